#include "UFMain.h"
#include "UDocumentos.h"
#include "UFAsuntos.h"
#include "UFCalendario.h"
#include "UFListCitas.h"
#include "UFListJuntas.h"
#include "UFPlanifica.h"
#include "UFConvoca.h"
#include "UFUsuario.h"
#include "URegistro.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFAccesos.h"
#include "UFAcercaDe.h"
#include "UFCopias.h"
#include "UFImporta.h"
#include "UFInicio.h"
#include "UFormGest.h"
#include "UOrdenes.h"
#include "UPerfil.h"
#include "UProcesos.h"
#include "UVersion.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QDialog>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

const char* const TFMain::kWeb = "https://www.zarvik-informatica.es";
const char* const TFMain::kCorreo = "soporte@zarvik-informatica.es";

namespace {

// The background: a picture stretched over the client area.
class TFondo : public QWidget {
public:
    TFondo() { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QLinearGradient g(rect().topLeft(), rect().bottomRight());
        g.setColorAt(0, QColor(0x2F, 0x4F, 0x6F));
        g.setColorAt(1, QColor(0x9F, 0xB8, 0xCC));
        p.fillRect(rect(), g);
        const int lado = std::min(width(), height()) / 3;
        if (lado > 16) {
            p.setOpacity(0.35);
            p.drawPixmap(width() - lado - lado / 4, height() - lado - lado / 4, ImagenPrograma(lado));
        }
    }
};

// The glyph of "Ver ": a screen with the desktop behind the window.
QIcon IconoVer()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 2));
    p.setBrush(QColor(0x9F, 0xC8, 0xE8));
    p.drawRoundedRect(QRectF(3, 4, 26, 18), 2, 2);
    p.fillRect(QRectF(5, 6, 22, 4), QColor(0x2F, 0x4F, 0x6F));
    p.drawLine(QPointF(16, 22), QPointF(16, 27));
    p.drawLine(QPointF(10, 28), QPointF(22, 28));
    return QIcon(pm);
}

} // namespace

TFMain::TFMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("QuorumDesk - Gestión de juntas"));
    setWindowIcon(QIcon(ImagenPrograma(64)));
    auto* fondo = new TFondo;
    LbAct = new QLabel(QStringLiteral("BUSCANDO ACTUALIZACIONES PARA QUORUMDESK ..."));
    LbAct->setObjectName(QStringLiteral("LbAct"));
    LbAct->setStyleSheet(QStringLiteral("color: white; font-weight: bold; font-size: 14pt;"));
    LbAct->setAlignment(Qt::AlignCenter);
    LbAct->hide();
    auto* capa = new QVBoxLayout(fondo);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addStretch();
    capa->addWidget(LbAct);
    capa->addStretch();
    setCentralWidget(fondo);

    Herramientas = addToolBar(QStringLiteral("Herramientas"));
    Herramientas->setObjectName(QStringLiteral("TbMain"));
    Herramientas->setMovable(false);
    Herramientas->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Herramientas->setIconSize(QSize(24, 24)); // the strip of 115 pixels still holds menu, tool bar and status bar

    MenuArchivos = menuBar()->addMenu(QStringLiteral("Archivos"));
    QMenu* gestion = menuBar()->addMenu(QStringLiteral("Gestión"));
    QMenu* textos = menuBar()->addMenu(QStringLiteral("Textos"));
    QMenu* varios = menuBar()->addMenu(QStringLiteral("Varios"));
    MenuVentanasItem = menuBar()->addMenu(QStringLiteral("Ventanas"));
    MenuAyuda = menuBar()->addMenu(QStringLiteral("Ayuda"));
    AsignaMenuVentanas(MenuVentanasItem);

    // The subsystems' commands, in menu order; a separator follows a
    // command that asks for one when its menu goes on.
    QMenu* const menus[] = {MenuArchivos, gestion, textos, varios};
    QMenu* ultimoMenu = nullptr;
    bool separadorPendiente = false;
    QList<std::pair<int, QAction*>> enHerramientas;
    for (const TOrden& o : OrdenesRegistradas()) {
        QMenu* menu = menus[static_cast<int>(o.Menu)];
        if (separadorPendiente && menu == ultimoMenu)
            menu->addSeparator();
        auto* a = new QAction(o.Titulo, this);
        a->setObjectName(o.Id);
        connect(a, &QAction::triggered, this, [a, abre = o.Abre, acceso = o.Acceso] {
            if (acceso == TAccesoOrden::SoloAdministrador && Entorno.Usuario != 1) {
                Mensaje(QStringLiteral("ACCESO DENEGADO."));
                return;
            }
            abre(a);
        });
        menu->addAction(a);
        pantallas_.insert(o.Id, a);
        ultimoMenu = menu;
        separadorPendiente = o.SeparadorDespues;
        if (!o.TextoHerramienta.isEmpty()) {
            if (o.Icono != QStyle::SP_CustomBase)
                a->setIcon(style()->standardIcon(o.Icono));
            a->setProperty("textoHerramienta", o.TextoHerramienta);
            enHerramientas.append({o.PosicionHerramienta, a});
        }
    }
    for (QMenu* m : {gestion, textos, varios})
        m->menuAction()->setVisible(!m->isEmpty());
    // The tool bar: the same commands under a short caption.
    std::stable_sort(enHerramientas.begin(), enHerramientas.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (const auto& [posicion, a] : enHerramientas)
        BotonHerramienta(a, a->property("textoHerramienta").toString());

    if (separadorPendiente && ultimoMenu == MenuArchivos)
        MenuArchivos->addSeparator();
    Orden(MenuArchivos, QStringLiteral("Salir de la aplicación"), &TFMain::Salir);
    Orden(MenuAyuda, QStringLiteral("Ayuda"), &TFMain::AbreAyuda);
    Orden(MenuAyuda, QStringLiteral("&Acerca de ..."), &TFMain::AcercaDe);
    MenuAyuda->addSeparator();
    MenuAyuda->addAction(QStringLiteral("Web de Zarvik Informática"), this,
                         [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWeb))); });
    MenuAyuda->addAction(QStringLiteral("Enviar email a Zarvik informática"), this,
                         [] { QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kCorreo))); });
    MenuAyuda->addSeparator();
    Orden(MenuAyuda, QStringLiteral("Actualización de QuorumDesk"), &TFMain::Actualizacion);

    ver_ = Orden(nullptr, QStringLiteral("Ver escritorio, fondo programa"), &TFMain::VerEscritorio, true, QStringLiteral("Ver "));
    ver_->setIcon(IconoVer());
    ver_->setToolTip(PistaVer());

    // The title follows the current community.
    connect(DMMain, &TDMMain::ComunidadCambiada, this, [this] {
        setWindowTitle(QStringLiteral("QuorumDesk - Comunidad : %1 - %2").arg(Entorno.Comunidad).arg(Entorno.NombreComunidad));
    });

    LbUsuario = new QLabel;
    LbUsuario->setObjectName(QStringLiteral("LbUsuario"));
    statusBar()->setObjectName(QStringLiteral("SBMain"));
    statusBar()->addWidget(LbUsuario);
}

TFMain::~TFMain()
{
    // The login's row of the connected users goes with the window.
    if (login_ && DMMain && DMMain->DataBase.Connected()) {
        try {
            DMMain->RegistraSalida();
        } catch (const std::exception&) {
            // Left behind, it is removed by the next start-up that finds no other seat.
        }
    }
}

QAction* TFMain::Orden(QMenu* menu, const QString& titulo, void (TFMain::*accion)(), bool enHerramientas,
                       const QString& textoHerramienta)
{
    auto* a = new QAction(titulo, this);
    connect(a, &QAction::triggered, this, accion);
    if (menu)
        menu->addAction(a);
    if (enHerramientas)
        BotonHerramienta(a, textoHerramienta.isEmpty() ? titulo : textoHerramienta);
    return a;
}

void TFMain::BotonHerramienta(QAction* a, const QString& texto)
{
    auto* b = new QToolButton;
    b->setDefaultAction(a);
    b->setText(texto);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Herramientas->addWidget(b);
    // The button's own text stays when the action changes its hint.
    connect(a, &QAction::changed, b, [b, texto] { b->setText(texto); });
}

QAction* TFMain::OrdenPantalla(const QString& id) const
{
    return pantallas_.value(id);
}

QString TFMain::PistaVer() const
{
    if (!usado_)
        return QStringLiteral("Ver escritorio o fondo programa");
    return tira_ ? QStringLiteral("Ver fondo programa") : QStringLiteral("Ver escritorio");
}

bool TFMain::event(QEvent* e)
{
    const bool r = QMainWindow::event(e);
    // The first activation runs the start-up steps; the first showing counts
    // as one too, for a desktop that activates no window by itself.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && inicio_) {
        inicio_ = false;
        // After the activation has been handled: the steps open modal windows.
        QTimer::singleShot(0, this, [this] {
            if (!PasosInicio())
                close();
        });
    }
    return r;
}

bool TFMain::Login()
{
    TFAccesos accesos(this);
    const bool automatico = !BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("usuario2.cfg")).isEmpty();
    if (automatico)
        accesos.Automatico();
    else
        accesos.exec();
    if (!accesos.Aceptado())
        return false;
    login_ = true;
    Entorno.Usuario = accesos.Codigo();
    LbUsuario->setText(QStringLiteral("<b>USUARIO: %1</b>").arg(accesos.Nombre().toHtmlEscaped()));
    return true;
}

bool TFMain::PasosInicio()
{
    if (!Login())
        return false;
    AvisaFalloCopia();
    CompruebaVersion(LbAct);
    ImportaComunidadesArranque(); // sets Entorno.EnlaceContable
    // The first community selection ends start-up.
    if (QAction* seleccion = OrdenPantalla(ordenes::SeleccionComunidad))
        seleccion->trigger();
    return true;
}

void TFMain::VerEscritorio()
{
    const QRect pantalla = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    if (!tira_) {
        alturaGuardada_ = height();
        showNormal();
        setGeometry(pantalla.x(), pantalla.y(), pantalla.width(), 115);
    } else {
        showNormal();
        setGeometry(pantalla.x(), pantalla.y(), pantalla.width(), alturaGuardada_ > 115 ? alturaGuardada_ : pantalla.height());
    }
    tira_ = !tira_;
    usado_ = true;
    ver_->setIcon(IconoVer());
    ver_->setToolTip(PistaVer());
}

void TFMain::keyPressEvent(QKeyEvent* e)
{
    QAction* seleccion = OrdenPantalla(ordenes::SeleccionComunidad);
    if (e->key() == Qt::Key_F2 && e->modifiers() == Qt::NoModifier && seleccion) {
        seleccion->trigger();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

void TFMain::Salir()
{
    QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Confirmación"),
                         QStringLiteral("¿Desea salir de la aplicación?"), QMessageBox::Yes | QMessageBox::No, this);
    pregunta.setDefaultButton(QMessageBox::No);
    if (pregunta.exec() == QMessageBox::Yes)
        close();
}

void TFMain::closeEvent(QCloseEvent* e)
{
    // Every open screen closes with the frame (their data modules commit).
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // A screen may keep itself open (a record still being edited): the
        // program then goes on.
        if (w != this && w->isVisible() && !w->close()) {
            e->ignore();
            return;
        }
    }
    e->accept();
    QApplication::quit();
}

void TFMain::AcercaDe()
{
    TFAcercaDe acerca(this);
    acerca.exec();
}

void TFMain::Actualizacion()
{
    if (Entorno.Usuario != 1) {
        Mensaje(QStringLiteral("ACCESO DENEGADO."));
        return;
    }
    const QString actualizador = BuscaFichero(Entorno.CaminoPrograma, QStringLiteral("ACTUALIZADOR.EXE"));
    if (actualizador.isEmpty()) {
        Mensaje(QStringLiteral("Opción no disponible"));
        return;
    }
    // The updater replaces the program's files: it runs once the program has
    // ended, and not at all when the user keeps a screen open.
    if (close())
        actualizador_ = actualizador;
}

void TFMain::AbreAyuda()
{
    // The user guide in a window of its own, centred like every other, with
    // a close button; Esc closes it too.
    QWidget* ayuda = VentanaAbierta("TAyuda");
    if (!ayuda) {
        auto* dialogo = new QDialog(nullptr, Qt::Window);
        dialogo->setObjectName(QStringLiteral("Ayuda"));
        dialogo->setAttribute(Qt::WA_DeleteOnClose);
        dialogo->setWindowTitle(QStringLiteral("Ayuda de QuorumDesk"));
        auto* texto = new QTextBrowser;
        texto->setObjectName(QStringLiteral("TextoAyuda"));
        texto->setOpenExternalLinks(true);
        texto->setSearchPaths({QStringLiteral(":/docs")});
        QFile guia(QStringLiteral(":/docs/guia-usuario.md"));
        if (guia.open(QIODevice::ReadOnly))
            texto->setMarkdown(QString::fromUtf8(guia.readAll()));
        auto* cerrar = new QPushButton(QStringLiteral("&Cerrar"));
        cerrar->setObjectName(QStringLiteral("BtCerrar"));
        connect(cerrar, &QPushButton::clicked, dialogo, &QDialog::close);
        auto* capas = new QVBoxLayout(dialogo);
        capas->addWidget(texto, 1);
        auto* botones = new QHBoxLayout;
        botones->addStretch(1);
        botones->addWidget(cerrar);
        capas->addLayout(botones);
        dialogo->resize(760, 640);
        CentraEnPantalla(dialogo, false);
        ayuda = dialogo;
    }
    ayuda->show();
    ayuda->raise();
    ayuda->activateWindow();
}

void RegistraOrdenesPrograma()
{
    RegistraOrdenesRegistro();
    RegistraOrdenesConvocatorias();
    RegistraOrdenesAsuntos();
    RegistraOrdenesPlanificador();
    RegistraOrdenesListJuntas();
    RegistraOrdenesCalendario();
    RegistraOrdenesListCitas();
    RegistraOrdenesUsuarios();
    RegistraOrdenesDocumentos();
    RegistraOrdenesCopias();
}
