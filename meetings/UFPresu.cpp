#include "UFPresu.h"
#include "UDBControles.h"
#include "UDMConvoca.h"
#include "UFIBDBEditfind.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>

TFPresu::TFPresu(TDMConvoca& dm, QWidget* parent)
    : TFGestionHalvenbook(dm.QPresu, &dm.DsPresu, parent ? parent : QApplication::activeWindow())
{
    setObjectName(QStringLiteral("FPresu"));
    setWindowTitle(QStringLiteral("Creación presupuesto en Halvenbook"));
    auto* campos = new QFormLayout;

    DBEFecha = Texto(QStringLiteral("DBEFecha"), QStringLiteral("FECHA"), 19);
    campos->addRow(QStringLiteral("Fecha"), DBEFecha);
    DBEPropuesta = Texto(QStringLiteral("DBEPropuesta"), QStringLiteral("PROPUESTA"), 35);
    campos->addRow(QStringLiteral("Propuesta por"), DBEPropuesta);
    QHBoxLayout* fila = nullptr;
    DBEComunidad = Busqueda(QStringLiteral("DBEComunidad"), QStringLiteral("COMUNIDAD"), QStringLiteral("SYS_COMUNIDAD"),
                            QStringLiteral("COM_DES"), fila);
    campos->addRow(QStringLiteral("Comunidad"), fila);
    DBMPresupuesto = Memo(QStringLiteral("DBMPresupuesto"), QStringLiteral("PRESUPUESTO"));
    campos->addRow(QStringLiteral("Presupuesto"), DBMPresupuesto);
    DBMObs = Memo(QStringLiteral("DBMObs"), QStringLiteral("OBS"));
    campos->addRow(QStringLiteral("Observaciones"), DBMObs);
    DBEFLimite = Texto(QStringLiteral("DBEFLimite"), QStringLiteral("FLIMITE"), 10);
    campos->addRow(QStringLiteral("Fecha límite"), DBEFLimite);

    Termina(campos, 560, 420);
    DBEPropuesta->setFocus();
}
