#include "UFListJuntas.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UListados.h"
#include "UOrdenes.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
constexpr int kListadoJuntas = 9000;
} // namespace

TFListJuntas::TFListJuntas(QWidget* parent) : TFPideListado(kListadoJuntas, parent)
{
    setObjectName(QStringLiteral("FListJuntas"));
    setWindowTitle(QStringLiteral("Listado de juntas"));
    auto* capas = new QVBoxLayout(this);
    auto* campos = new QFormLayout;
    EdConvoca = new TFIBHYGEditFind;
    EdConvoca->setObjectName(QStringLiteral("EdConvoca"));
    EdConvoca->Base_de_datos = &DMMain->DataBase;
    EdConvoca->Tabla_a_buscar = QStringLiteral("CONVOCATORIAS");
    EdConvoca->CampoNum = QStringLiteral("CODIGO");
    EdConvoca->CampoStr = QStringLiteral("DES");
    EdConvoca->CondicionBusqueda = QStringLiteral("Comunidad=") + QString::number(Entorno.Comunidad);
    // The search list holds the whole key of a convocation (its community
    // too), which the list needs to read its rows; the date helps to choose.
    EdConvoca->Campos_Desplegar = {QStringLiteral("CODIGO"), QStringLiteral("DES"), QStringLiteral("FECHA"),
                                   QStringLiteral("COMUNIDAD")};
    EdConvoca->AutoCambiarFoco = false;
    EdConvoca->ReemplazarCaracter = true;
    EdConvoca->SalirSiVacio = true;
    EdConvoca->setMaximumWidth(EdConvoca->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    campos->addRow(QStringLiteral("Convocatoria"), EdConvoca);
    CbOrden = new QComboBox;
    CbOrden->setObjectName(QStringLiteral("CbOrden"));
    CbOrden->addItems({QStringLiteral("Finca"), QStringLiteral("Propietario")});
    CbOrden->setCurrentIndex(0);
    campos->addRow(QStringLiteral("Ordenador"), CbOrden);
    capas->addLayout(campos);

    AnadeBotones(capas);
    Busqueda = EdConvoca;
    EdConvoca->setFocus();
    CentraEnPantalla(this);
}

QStringList TFListJuntas::Lineas() const
{
    const QString n = QStringLiteral("N");
    return {LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("COMUNIDAD"), n, QString::number(Entorno.Comunidad)),
            LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("CONVOCATORIA"), n, EdConvoca->text()),
            LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("ASISTENCIA"), n, QStringLiteral("1")),
            LineaCondicion(QStringLiteral("ORDEN"),
                           CbOrden->currentIndex() == 1 ? QStringLiteral("PROPIETARIO") : QStringLiteral("FINCA"),
                           QStringLiteral("C"), QString())};
}

void RegistraOrdenesListJuntas()
{
    RegistraOrden({.Id = QStringLiteral("ListadoJuntas"), .Menu = TMenuOrden::Gestion, .Posicion = 20,
                   .Titulo = QStringLiteral("Listado de juntas"), .Abre = [](QAction*) {
                       TFListJuntas ventana(QApplication::activeWindow());
                       ventana.exec();
                   }});
}
