#include "UFBase.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMBase.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFormatos.h"
#include "UPerfil.h"
#include "URecursos.h"
#include "USalida.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <optional>

namespace {
const char* const kClaves[] = {"Left", "top", "width", "height", "PixelsPerInch"};
const char* const kPorDefecto[] = {"313", "176", "696", "487", "96"};

std::optional<int> EnteroColocacion(const QString& texto)
{
    bool ok = false;
    const int valor = texto.trimmed().toInt(&ok);
    return ok ? std::optional<int>(valor) : std::nullopt;
}

// The placement buttons' glyphs: a window with a pin (keep where it is) or
// with an arrow back to the middle (forget the placement). A floppy disk
// would read as "save the record".
QIcon IconoColocacion(bool guarda)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 2));
    p.setBrush(QColor(0xF4, 0xF6, 0xF8));
    p.drawRect(QRectF(3, 6, 22, 18));
    p.fillRect(QRectF(4, 7, 21, 4), QColor(0x2F, 0x6F, 0xAF));
    if (guarda) {
        p.setPen(QPen(QColor(0xB0, 0x20, 0x20), 2));
        p.setBrush(QColor(0xE0, 0x40, 0x40));
        p.drawEllipse(QPointF(24, 8), 5, 5);
        p.drawLine(QPointF(24, 13), QPointF(24, 22));
    } else {
        p.setPen(QPen(QColor(0x20, 0x80, 0x30), 3));
        p.drawArc(QRectF(14, 12, 14, 14), 90 * 16, 270 * 16);
        p.drawLine(QPointF(21, 12), QPointF(17, 9));
        p.drawLine(QPointF(21, 12), QPointF(17, 15));
    }
    return QIcon(pm);
}

// The colour of a field that cannot be typed in, and of one that can.
void ColorSoloLectura(QWidget* w, bool soloLectura)
{
    if (!soloLectura) {
        w->setPalette(QPalette()); // the inherited colours, disabled look included
        return;
    }
    QPalette p = w->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
    w->setPalette(p);
}
} // namespace

TFBase::TFBase(int numeroFormulario, QSize inicial)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), numero_(numeroFormulario)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    capas->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    HYMNavigator1 = new THYMNavigator;
    HYMNavigator1->setObjectName(QStringLiteral("HYMNavigator1"));
    ToolBar1->addWidget(HYMNavigator1);
    ToolBar1->addSeparator();
    TbGuarda = new QToolButton;
    TbGuarda->setObjectName(QStringLiteral("TbGuarda"));
    TbGuarda->setToolTip(QStringLiteral("Guardar posición y dimensiones de la ventana."));
    TbGuarda->setIcon(IconoColocacion(true));
    ToolBar1->addWidget(TbGuarda);
    TbRest = new QToolButton;
    TbRest->setObjectName(QStringLiteral("TbRest"));
    TbRest->setToolTip(QStringLiteral("Resturar posición y dimensiones de la ventana."));
    TbRest->setIcon(IconoColocacion(false));
    ToolBar1->addWidget(TbRest);
    capas->addWidget(ToolBar1);
    connect(TbGuarda, &QToolButton::clicked, this, &TFBase::GuardaPosicion);
    connect(TbRest, &QToolButton::clicked, this, &TFBase::RestauraPosicion);

    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    LBusca = new QLabel(QStringLiteral("B&uscar"));
    EBusca = new QLineEdit;
    EBusca->setObjectName(QStringLiteral("EBusca"));
    LBusca->setBuddy(EBusca);
    LBusca->setContentsMargins(4, 0, 4, 0);
    ToolBar2->addWidget(LBusca);
    ToolBar2->addWidget(EBusca);
    capas->addWidget(ToolBar2);
    EBusca->installEventFilter(this);
    // A box emptied shows the whole list again at once: a list left filtered
    // by a search no longer in sight looks as if records had gone.
    connect(EBusca, &QLineEdit::textEdited, this, [this](const QString& texto) {
        if (dm_ && texto.trimmed().isEmpty())
            SinErrores([this] { dm_->Busca(QString()); });
    });

    PCMain = new QTabWidget(this);
    PCMain->setObjectName(QStringLiteral("PCMain"));
    TSFicha = new QWidget;
    TSFicha->setObjectName(QStringLiteral("TSFicha"));
    TSTabla = new QWidget;
    TSTabla->setObjectName(QStringLiteral("TSTabla"));
    PCMain->addTab(TSFicha, QStringLiteral("&Ficha"));
    PCMain->addTab(TSTabla, QStringLiteral("&Tabla"));
    capas->addWidget(PCMain, 1);
    PEdit = new QWidget(TSFicha);
    PEdit->setObjectName(QStringLiteral("PEdit"));
    PEdit->setEnabled(false);
    campos_ = new QFormLayout(PEdit);
    campos_->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    campos_->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* ficha = new QVBoxLayout(TSFicha);
    ficha->addWidget(PEdit);
    ficha->addStretch(1);
    HYTDBGrid1 = new THYTDBGrid(TSTabla);
    HYTDBGrid1->setObjectName(QStringLiteral("HYTDBGrid1"));
    auto* tabla = new QVBoxLayout(TSTabla);
    tabla->setContentsMargins(0, 0, 0, 0);
    tabla->addWidget(HYTDBGrid1);
    HYTDBGrid1->horizontalHeader()->setStretchLastSection(true);
    HYTDBGrid1->SetTabFicha(TSFicha);
    HYTDBGrid1->PermutaPaneles = true;
    HYTDBGrid1->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    HYTDBGrid1->SetCampoAOrdenarColor(QColor(255, 255, 225)); // the tooltip's pale yellow

    CEMain = new TControlEdit(this, QStringLiteral("CEMain"));
    CEUpTeclas = new TPopUpTeclas(this);
    CEUpTeclas->setObjectName(QStringLiteral("CEUpTeclas"));
    CEUpTeclas->CreaItemsNavegacion(QStringLiteral("CEMain"));
    CEMain->SetFichaEdicion(TSFicha);
    CEMain->SetFichaExclusiva(TSFicha);
    CEMain->SetPanelEdicion(PEdit);
    CEMain->SetPopUpMenu(CEUpTeclas);
    CEMain->SetTeclas(&Recursos().Teclas);
    HYMNavigator1->ModoDeSeguridad = true;
    HYMNavigator1->DelCaption = QStringLiteral("Información");
    HYMNavigator1->DelMessage = QStringLiteral(" ¿ Borra el registro ? ");
    HYMNavigator1->RefreshOnPost = false;
    HYMNavigator1->Exclusivo = true;
    HYMNavigator1->OnClick = [this](THYMNavigator&, TNavigateBtn b) { NavegadorClick(b); };

    connect(PCMain, &QTabWidget::currentChanged, this, [this](int) {
        if (PCMain->currentWidget() == TSTabla)
            HYTDBGrid1->setFocus();
        AsignaMenuEmergente(this, CEUpTeclas);
    });
    // Esc is seen before the focused control (the screen previews keys).
    qApp->installEventFilter(this);

    resize(inicial);
    move(313, 176);
    AplicaColocacion();
}

TFBase::~TFBase()
{
    qApp->removeEventFilter(this);
}

QString TFBase::FicheroColocacion()
{
    const QString nombre = QStringLiteral("USUARIO%1.INI").arg(Entorno.Usuario, 4, 10, QLatin1Char('0'));
    const QString existente = BuscaFichero(Entorno.CaminoPrograma, nombre);
    return existente.isEmpty() ? Entorno.CaminoPrograma + QLatin1Char('/') + nombre : existente;
}

void TFBase::AplicaColocacion()
{
    const QString seccion = QString::number(numero_);
    const QString fichero = FicheroColocacion();
    if (QFile::exists(fichero)) {
        TIniFile ini(fichero);
        if (ini.SectionExists(seccion)) {
            int v[5];
            bool valida = true;
            for (int i = 0; i < 5 && valida; ++i) {
                const auto n = EnteroColocacion(ini.ReadString(seccion, QLatin1String(kClaves[i]), QLatin1String(kPorDefecto[i])));
                valida = n.has_value();
                v[i] = n.value_or(0);
            }
            // A placement spoilt by hand opens the screen as if it had none.
            if (valida) {
                move(v[0], v[1]);
                resize(v[2], v[3]);
                return;
            }
        }
    }
    if (QScreen* pantalla = QGuiApplication::primaryScreen()) {
        QRect marco(QPoint(0, 0), size());
        marco.moveCenter(pantalla->availableGeometry().center());
        move(marco.topLeft());
    }
}

void TFBase::GuardaPosicion()
{
    TIniFile ini(FicheroColocacion());
    const QString seccion = QString::number(numero_);
    const int valores[] = {x(), y(), width(), height(), logicalDpiX()};
    for (int i = 0; i < 5; ++i)
        ini.WriteString(seccion, QLatin1String(kClaves[i]), QString::number(valores[i]));
}

void TFBase::RestauraPosicion()
{
    const QString fichero = FicheroColocacion();
    if (QFile::exists(fichero))
        TIniFile(fichero).EraseSection(QString::number(numero_));
}

void TFBase::Conecta(TDMBase& dm)
{
    dm_ = &dm;
    TDataSource* ds = dm.DataSource();
    ToolBar2->setVisible(dm.TieneBusqueda());
    CEMain->SetDataSource(ds);
    HYMNavigator1->SetDataSource(ds);
    HYTDBGrid1->SetDataSource(ds);
    HYMNavigator1->SetControlEdit(CEMain);
}

void TFBase::AnadeCampo(const QString& etiqueta, QWidget* control, QFormLayout* grupo)
{
    (grupo ? grupo : campos_)->addRow(etiqueta, control);
}

TDBEdit* TFBase::CampoTexto(const QString& etiqueta, const QString& campo, int caracteres, QFormLayout* grupo)
{
    auto* e = new TDBEdit(PEdit);
    e->setObjectName(QStringLiteral("DBE") + campo);
    e->SetDataSource(CEMain->DataSource());
    e->SetDataField(campo);
    e->setMinimumWidth(e->fontMetrics().averageCharWidth() * (caracteres + 2) + 8);
    AnadeCampo(etiqueta, e, grupo);
    return e;
}

bool TFBase::Editando() const
{
    const TDataSource* ds = HYMNavigator1->DataSource();
    const TFIBDataSet* d = ds ? ds->DataSet() : nullptr;
    return d && (d->State() == TDataSetState::dsEdit || d->State() == TDataSetState::dsInsert);
}

void TFBase::NavegadorClick(TNavigateBtn boton)
{
    // The key field; a screen whose first edited field is also its insert
    // field (the administrator's) has no key to protect.
    auto* clave = HYMNavigator1->InsertaControl() == HYMNavigator1->EditaControl()
                      ? nullptr
                      : qobject_cast<TDBEdit*>(HYMNavigator1->InsertaControl());
    switch (boton) {
    case TNavigateBtn::nbEdit:
        // A record's key cannot be changed.
        if (clave) {
            clave->setEnabled(false);
            ColorSoloLectura(clave, true);
        }
        [[fallthrough]];
    case TNavigateBtn::nbInsert:
        EBusca->setEnabled(false);
        ColorSoloLectura(EBusca, true);
        break;
    case TNavigateBtn::nbPost:
    case TNavigateBtn::nbCancel:
        if (clave) {
            clave->setEnabled(true);
            ColorSoloLectura(clave, false);
        }
        EBusca->setEnabled(true);
        ColorSoloLectura(EBusca, false);
        break;
    default:
        break;
    }
}

bool TFBase::eventFilter(QObject* objeto, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (objeto == EBusca && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            if (dm_)
                dm_->Busca(EBusca->text());
            return true;
        }
        auto* w = qobject_cast<QWidget*>(objeto);
        if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier && w && w->window() == this &&
            isActiveWindow() && !Editando()) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}

void TFBase::closeEvent(QCloseEvent* e)
{
    // A record being edited is neither lost nor left half-saved: the user
    // saves it, drops it, or stays.
    if (!PuedeCerrarse(*HYMNavigator1)) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

bool TFBase::GuardaRegistro()
{
    return !Editando() || SinErrores([this] { HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost); });
}

bool TFBase::GuardaDocumentoEditado(const QString& campo, const QByteArray& editado, const QString& fichero,
                                    const QString& clave)
{
    try {
        HYMNavigator1->EjecutarBoton(TNavigateBtn::nbEdit);
        HYMNavigator1->DataSource()->DataSet()->FieldByName(campo)->SetAsBytes(editado);
        HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    } catch (const std::exception& e) {
        EdicionSinGuardar(fichero, clave);
        MuestraError(e);
        QString texto = QStringLiteral("El documento editado no se ha guardado.");
        if (Editando())
            texto += QStringLiteral("\rSigue en edición: pulse Grabar para volver a intentarlo, o Cancelar para "
                                    "descartarlo.");
        texto += QStringLiteral("\rLo editado queda en el fichero %1; al volver a abrir el documento podrá seguir "
                                "editándolo.")
                     .arg(QDir::toNativeSeparators(fichero));
        Mensaje(texto);
        return false;
    }
    EdicionGuardada(fichero);
    return true;
}

void TFBase::UsableEnEdicion(QToolButton* boton) { boton->setProperty(THYMNavigator::kUsableEnEdicion, true); }

bool PuedeCerrarse(THYMNavigator& navegador)
{
    const TDataSource* ds = navegador.DataSource();
    const TFIBDataSet* d = ds ? ds->DataSet() : nullptr;
    if (!d || (d->State() != TDataSetState::dsEdit && d->State() != TDataSetState::dsInsert))
        return true;
    const int r = Pregunta(QStringLiteral("El registro está en edición. ¿Desea grabarlo?"),
                           {QStringLiteral("&Sí"), QStringLiteral("&No"), QStringLiteral("&Cancelar")});
    if (r != 1 && r != 2)
        return false;
    return SinErrores([&] { navegador.EjecutarBoton(r == 1 ? TNavigateBtn::nbPost : TNavigateBtn::nbCancel); });
}
