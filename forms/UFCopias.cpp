#include "UFCopias.h"
#include "AlSalir.h"
#include "UAplicacion.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFormGest.h"
#include "UOrdenes.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TFCopia::TFCopia(bool conCarpeta, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FCopia"));
    setWindowTitle(QStringLiteral("Copia de seguridad"));
    auto* capas = new QVBoxLayout(this);
    if (conCarpeta) {
        capas->addWidget(new QLabel(QStringLiteral("Carpeta de la copia:")));
        auto* fila = new QHBoxLayout;
        EdCarpeta = new QLineEdit(CarpetaCopias());
        EdCarpeta->setObjectName(QStringLiteral("EdCarpeta"));
        EdCarpeta->setMinimumWidth(360);
        BtExaminar = new QPushButton(QStringLiteral("&Examinar…"));
        BtExaminar->setObjectName(QStringLiteral("BtExaminar"));
        fila->addWidget(EdCarpeta, 1);
        fila->addWidget(BtExaminar);
        capas->addLayout(fila);
        connect(BtExaminar, &QPushButton::clicked, this, [this] {
            const QString carpeta = QFileDialog::getExistingDirectory(this, QStringLiteral("Carpeta de la copia"), EdCarpeta->text());
            if (!carpeta.isEmpty())
                EdCarpeta->setText(carpeta);
        });
    }
    LbPaso = new QLabel;
    LbPaso->setObjectName(QStringLiteral("LbPaso"));
    LbPaso->setWordWrap(true);
    LbPaso->setMinimumWidth(420);
    // Room for a copy's full path on two lines: the window keeps its size.
    LbPaso->setMinimumHeight(2 * LbPaso->fontMetrics().lineSpacing() + 4);
    PbAvance = new QProgressBar;
    PbAvance->setObjectName(QStringLiteral("PbAvance"));
    PbAvance->setValue(0);
    capas->addWidget(LbPaso);
    capas->addWidget(PbAvance);
    if (conCarpeta) {
        auto* botones = new QHBoxLayout;
        botones->addStretch(1);
        BtCopiar = new QPushButton(QStringLiteral("&Hacer copia"));
        BtCopiar->setObjectName(QStringLiteral("BtCopiar"));
        BtCopiar->setDefault(true);
        BtCerrar = new QPushButton(QStringLiteral("&Cerrar"));
        BtCerrar->setObjectName(QStringLiteral("BtCerrar"));
        botones->addWidget(BtCopiar);
        botones->addWidget(BtCerrar);
        capas->addLayout(botones);
        connect(BtCopiar, &QPushButton::clicked, this, &TFCopia::HazCopiaManual);
        connect(BtCerrar, &QPushButton::clicked, this, &QDialog::close);
    }
}

TAvanceCopia TFCopia::Avance()
{
    return [this](const QString& paso, int hecho, int total) {
        LbPaso->setText(paso);
        PbAvance->setMaximum(total);
        if (total > 0)
            PbAvance->setValue(hecho);
        // Painted while the engine works; what the user types waits.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void TFCopia::Ocupado(bool ocupado)
{
    for (QWidget* w : {static_cast<QWidget*>(EdCarpeta), static_cast<QWidget*>(BtExaminar),
                       static_cast<QWidget*>(BtCopiar), static_cast<QWidget*>(BtCerrar)})
        if (w)
            w->setEnabled(!ocupado);
    if (ocupado)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFCopia::HazCopiaManual()
{
    const QString carpeta = EdCarpeta->text().trimmed();
    if (carpeta.isEmpty())
        throw EAviso(QStringLiteral("Escriba o elija la carpeta de la copia."));
    Ocupado(true);
    TAlSalir libre([this] { Ocupado(false); });
    LbPaso->clear();
    const QString fichero = HazCopia(DMMain->DataBase, carpeta, Avance());
    LbPaso->setText(QStringLiteral("Copia hecha y verificada: %1").arg(fichero));
}

void RestauraCopiaSesion(const QString& fbk)
{
    // The screens' datasets read the database that is about to be replaced.
    if (VentanasAbiertas() > 0)
        throw EAviso(QStringLiteral("Cierre las demás ventanas del programa antes de restaurar una copia."));
    if (Pregunta(QStringLiteral("La base de datos actual se sustituirá por la copia «%1». La actual se conservará "
                                "aparte, con la fecha de hoy en su nombre.\r\r¿Desea continuar?")
                     .arg(QFileInfo(fbk).fileName()),
                 {QStringLiteral("&Sí"), QStringLiteral("&No")}) != 1)
        return;
    TFCopia ventana(false);
    ventana.setWindowTitle(QStringLiteral("Restaurar copia"));
    ventana.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TAlSalir cursor([] { QApplication::restoreOverrideCursor(); });
    TFIBDatabase& base = DMMain->DataBase;
    // Whatever happened, the session works on the database in place when done.
    TAlSalir reabre([&base] {
        if (!base.Connected())
            SinErrores([] { DMMain->Reabre(); });
    });
    const QString anterior = RestauraCopia(fbk, base.DBName(), &base, base.DBParams(), ventana.Avance());
    ventana.close();
    Mensaje(QStringLiteral("La copia se ha restaurado y verificado.") +
                (anterior.isEmpty() ? QString() : QStringLiteral("\rLa base de datos anterior se conserva como «%1».").arg(anterior)) +
                QStringLiteral("\rElija de nuevo la comunidad (F2)."),
            true);
}

void RegistraOrdenesCopias()
{
    RegistraOrden({.Id = QStringLiteral("CopiaSeguridad"), .Menu = TMenuOrden::Archivos, .Posicion = 130,
                   .Titulo = QStringLiteral("Copia de seguridad…"), .Abre = [](QAction*) {
                       TFCopia ventana(true);
                       CentraEnPantalla(&ventana);
                       ventana.exec();
                   }});
    RegistraOrden({.Id = QStringLiteral("RestauraCopia"), .Menu = TMenuOrden::Archivos, .Posicion = 140,
                   .Titulo = QStringLiteral("Restaurar copia…"),
                   .Abre = [](QAction*) {
                       const QString fbk = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Restaurar copia"), CarpetaCopias(),
                                                                        QStringLiteral("Copias de seguridad (*.fbk)"));
                       if (!fbk.isEmpty())
                           RestauraCopiaSesion(fbk);
                   },
                   .Acceso = TAccesoOrden::SoloAdministrador, .SeparadorDespues = true});
}

void CopiaFinal()
{
    if (!DMMain || !DMMain->DataBase.Connected())
        return;
    TFCopia ventana(false);
    ventana.setWindowTitle(QStringLiteral("Copia de seguridad diaria"));
    bool mostrada = false;
    const TAvanceCopia avance = ventana.Avance();
    CopiaAlSalir(DMMain->DataBase, QDate::currentDate(), [&](const QString& paso, int hecho, int total) {
        if (!mostrada) {
            CentraEnPantalla(&ventana);
            ventana.show();
            mostrada = true;
        }
        avance(paso, hecho, total);
    });
}

void AvisaFalloCopia()
{
    const QString fallo = TomaFalloCopia();
    if (!fallo.isEmpty())
        Mensaje(QStringLiteral("La última copia de seguridad automática no se pudo hacer:\r\r") + fallo);
}
