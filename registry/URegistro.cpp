#include "URegistro.h"
#include "UFAdministrador.h"
#include "UFBanco.h"
#include "UFBuscaEmp.h"
#include "UFComunidad.h"
#include "UFFormaPago.h"
#include "UFIdiomas.h"
#include "UFMain.h"
#include "UFParametros.h"
#include "UFTipoFinca.h"
#include "UFUsoFinca.h"
#include "UFormGest.h"
#include "UOrdenes.h"

void RegistraOrdenesRegistro()
{
    RegistraOrden(QStringLiteral("Comunidades"), [](QAction* a) { AbreVentana<TFComunidad>(a); });
    RegistraOrden(QString::fromUtf8(TFMain::kOrdenSeleccion), SeleccionaComunidad);
    RegistraOrden(QStringLiteral("Administrador"), [](QAction* a) { AbreVentana<TFAdministrador>(a); });
    RegistraOrden(QStringLiteral("Parametros"), [](QAction* a) { AbreVentana<TFParametros>(a); });
    RegistraOrden(QStringLiteral("Idiomas"), [](QAction* a) { AbreVentana<TFIdiomas>(a); });
    RegistraOrden(QStringLiteral("Bancos"), [](QAction* a) { AbreVentana<TFBanco>(a); });
    RegistraOrden(QStringLiteral("Formas de pago"), [](QAction* a) { AbreVentana<TFFormaPago>(a); });
    RegistraOrden(QStringLiteral("Tipo de fincas"), [](QAction* a) { AbreVentana<TFTipoFinca>(a); });
    RegistraOrden(QStringLiteral("Usos de finca"), [](QAction* a) { AbreVentana<TFUsoFinca>(a); });
}
