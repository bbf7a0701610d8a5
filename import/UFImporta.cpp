#include "UFImporta.h"
#include "UAplicacion.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UPerfil.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// While rows are copied the window is repainted this often (milliseconds):
// often enough to look alive, seldom enough to cost nothing.
constexpr int kIntervaloPintado = 50;

// The everyday database errors explained in Spanish (empty for others).
QString Explicacion(const std::exception& e)
{
    const auto* fib = dynamic_cast<const EFIBError*>(&e);
    return fib ? fib->Explanation() : QString();
}

// At most this many lines of each list are named; the rest are counted.
constexpr int kLineasInactivadas = 20;

QString Lista(const QString& titulo, const QStringList& lineas)
{
    if (lineas.isEmpty())
        return QString();
    QString texto = QStringLiteral("\r\r") + titulo;
    for (int i = 0; i < lineas.size() && i < kLineasInactivadas; ++i)
        texto += QStringLiteral("\r- ") + lineas[i];
    if (lineas.size() > kLineasInactivadas)
        texto += QStringLiteral("\r... y %1 más.").arg(lineas.size() - kLineasInactivadas);
    return texto;
}

} // namespace

QString TextoInactivadas(const QStringList& fincas, const QStringList& direcciones)
{
    if (fincas.isEmpty() && direcciones.isEmpty())
        return QString();
    return QStringLiteral("Taldemar ya no tiene estas fincas y direcciones de la comunidad: se han marcado como "
                          "inactivas y dejan de contar en las convocatorias nuevas.") +
           Lista(QStringLiteral("Fincas:"), fincas) + Lista(QStringLiteral("Direcciones:"), direcciones);
}

TFImporta::TFImporta(TModoImporta modo, bool habilitar, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), modo_(modo), habilitar_(habilitar), dm_(std::make_unique<TDMImporta>())
{
    setObjectName(QStringLiteral("FImporta"));
    setWindowTitle(modo == TModoImporta::Comunidades
                       ? QStringLiteral("Importación/Actualización comunidades desde Taldemar")
                       : QStringLiteral("Importación/Actualización Propietario y fincas desde Taldemar"));
    LbEstado = new QLabel;
    LbEstado->setObjectName(QStringLiteral("LbEstado"));
    QFont negrita = LbEstado->font();
    negrita.setBold(true);
    LbEstado->setFont(negrita);
    PBar = new QProgressBar;
    PBar->setObjectName(QStringLiteral("PBar"));
    PBar->setValue(0);
    BtImporta = new QPushButton(QStringLiteral("Añadir / Actualizar"));
    BtImporta->setObjectName(QStringLiteral("BtImporta"));
    BtImporta->setEnabled(false);
    auto* capas = new QVBoxLayout(this);
    capas->addWidget(LbEstado);
    capas->addWidget(PBar);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(BtImporta);
    capas->addLayout(botones);
    setMinimumWidth(480);
    connect(BtImporta, &QPushButton::clicked, this, &TFImporta::Ejecuta);
    dm_->AlEmpezarFase = [this](int filas) { Fase(filas); };
    dm_->AlCopiarFila = [this] { Fila(); };
    pintado_.start();
}

TFImporta::~TFImporta() = default;

void TFImporta::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Connected once shown, so that the window tells what it is doing.
    if (!intentado_)
        QTimer::singleShot(0, this, [this] { Conecta(); });
}

bool TFImporta::Conecta()
{
    if (intentado_)
        return conectado_;
    intentado_ = true;
    try {
        const QString camino = TDMImporta::CaminoTaldemar().trimmed();
        if (camino.isEmpty()) {
            // Closed first: a window kept on top would hide the message.
            close();
            Mensaje(QStringLiteral("Camino programa Taldemar no valido."));
            return false;
        }
        Estado(QStringLiteral("Conectando con Taldemar ..."));
        dm_->Conecta(camino);
    } catch (const std::exception& e) {
        // The server's words say why: a wrong path, a server that does not
        // answer, a password it refuses.
        close();
        const QString explicacion = Explicacion(e);
        Mensaje(QStringLiteral("Imposible abrir base de datos Taldemar\r\r") +
                (explicacion.isEmpty() ? QString() : explicacion + QStringLiteral("\r\r")) + QString::fromUtf8(e.what()));
        return false;
    }
    conectado_ = true;
    Estado(QStringLiteral("Conectado a Taldemar"));
    BtImporta->setEnabled(habilitar_);
    return true;
}

bool TFImporta::Ejecuta()
{
    BtImporta->setEnabled(false);
    if (!conectado_) {
        close();
        return false;
    }
    bool hecho = false;
    importando_ = true;
    pintado_.restart();
    try {
        if (modo_ == TModoImporta::Comunidades)
            dm_->ImportaComunidades();
        else
            dm_->ImportaPropietarios(Entorno.Comunidad);
        hecho = true;
    } catch (const std::exception& e) {
        // The server's text first, then what became of the rows. The everyday
        // explanations speak of a record being typed: none of them fits here.
        QString texto = QString::fromUtf8(e.what()) + QStringLiteral("\n\n");
        texto += modo_ == TModoImporta::Comunidades
                     ? QStringLiteral("La importación se ha interrumpido: las comunidades importadas hasta ese momento se "
                                      "conservan y el resto de esta importación se ha deshecho.")
                     : QStringLiteral("La importación se ha interrumpido y se ha deshecho: los propietarios, direcciones y "
                                      "fincas de la comunidad quedan como estaban.");
        QMessageBox::critical(this, QStringLiteral("QuorumDesk"), texto);
    }
    importando_ = false;
    // Closed first: a window kept on top would hide the message.
    close();
    if (hecho && modo_ == TModoImporta::Propietarios) {
        const QString inactivadas = TextoInactivadas(dm_->FincasInactivadas, dm_->DireccionesInactivadas);
        if (!inactivadas.isEmpty())
            Mensaje(inactivadas, true);
    }
    return hecho;
}

void TFImporta::closeEvent(QCloseEvent* e)
{
    // A copy under way ends by itself; it is not cut short.
    if (importando_) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TFImporta::reject()
{
    if (!importando_)
        QDialog::reject();
}

void TFImporta::done(int resultado)
{
    if (dm_->Conectado()) {
        Estado(QStringLiteral("Cerrando la conexión con Taldemar, un momento ..."));
        try {
            dm_->Desconecta();
        } catch (const EFIBError&) {
            // A connection that cannot be closed is lost already; the
            // program's database is committed or rolled back by now.
        }
    }
    QDialog::done(resultado);
}

void TFImporta::Estado(const QString& texto)
{
    LbEstado->setText(texto);
    Repinta();
}

void TFImporta::Fase(int filas)
{
    filas_ = 0;
    PBar->setRange(0, std::max(filas, 1));
    PBar->setValue(0);
    Repinta();
}

void TFImporta::Fila()
{
    ++filas_;
    if (pintado_.elapsed() >= kIntervaloPintado) {
        PBar->setValue(filas_);
        Repinta();
    }
}

void TFImporta::Repinta()
{
    // Painted, and nothing typed or clicked acts while the work goes on.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    pintado_.restart();
}

QIcon IconoImporta()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 1.5));
    p.setBrush(QColor(0x9F, 0xC8, 0xE8));
    p.drawRect(QRectF(3, 7, 16, 18));
    p.drawEllipse(QRectF(3, 21, 16, 8));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(3.75, 8, 14.5, 17));
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 1.5));
    p.setBrush(QColor(0xC8, 0xE0, 0xF4));
    p.drawEllipse(QRectF(3, 3, 16, 8));
    QPainterPath flecha;
    flecha.moveTo(15, 15);
    flecha.lineTo(23, 15);
    flecha.lineTo(23, 10);
    flecha.lineTo(31, 19);
    flecha.lineTo(23, 28);
    flecha.lineTo(23, 23);
    flecha.lineTo(15, 23);
    flecha.closeSubpath();
    p.setPen(QPen(QColor(0x1F, 0x60, 0x2A), 1.2));
    p.setBrush(QColor(0x3C, 0xB0, 0x4E));
    p.drawPath(flecha);
    return QIcon(pm);
}

void ImportaComunidadesArranque()
{
    Entorno.EnlaceContable = 0;
    try {
        const QString camino = TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini")))
                                   .ReadString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), QStringLiteral("ERROR"));
        if (camino.trimmed() == QLatin1String("ERROR"))
            return;
    } catch (const std::exception& e) {
        MuestraError(e);
        return;
    }
    TFImporta importa(TModoImporta::Comunidades, false, nullptr, Qt::WindowStaysOnTopHint);
    importa.show();
    // A database that cannot be opened is said once; nothing is imported and
    // the link stays off.
    if (!importa.Conecta())
        return;
    importa.Ejecuta();
    Entorno.EnlaceContable = 1;
}

bool RefreshOwnersFromAccounting()
{
    TFImporta importa(TModoImporta::Propietarios, false, QApplication::activeWindow(), Qt::WindowStaysOnTopHint);
    importa.show();
    importa.raise();
    return importa.Conecta() && importa.Ejecuta();
}
