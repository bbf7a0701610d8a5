#include "URegistro.h"
#include "UFAdministrador.h"
#include "UFBanco.h"
#include "UFBuscaEmp.h"
#include "UFComunidad.h"
#include "UFFormaPago.h"
#include "UFIdiomas.h"
#include "UFParametros.h"
#include "UFPropietarios.h"
#include "UFTipoFinca.h"
#include "UFUsoFinca.h"
#include "UFormGest.h"
#include "UOrdenes.h"

namespace {
template <class T>
TAbreOrden Ventana()
{
    return [](QAction* a) { AbreVentana<T>(a); };
}
} // namespace

void RegistraOrdenesRegistro()
{
    using enum TMenuOrden;
    RegistraOrden({.Id = QStringLiteral("Propietarios"), .Menu = Archivos, .Posicion = 10,
                   .Titulo = QStringLiteral("Propietarios y Fincas"), .Abre = Ventana<TFPropietarios>(),
                   .TextoHerramienta = QStringLiteral("Propietarios"), .PosicionHerramienta = 3,
                   .Icono = QStyle::SP_FileDialogInfoView});
    RegistraOrden({.Id = QStringLiteral("Comunidades"), .Menu = Archivos, .Posicion = 20,
                   .Titulo = QStringLiteral("Comunidades"), .Abre = Ventana<TFComunidad>(),
                   .TextoHerramienta = QStringLiteral("Comunidades"), .PosicionHerramienta = 2,
                   .Icono = QStyle::SP_DirHomeIcon});
    RegistraOrden({.Id = QStringLiteral("Administrador"), .Menu = Archivos, .Posicion = 40,
                   .Titulo = QStringLiteral("Administrador"), .Abre = Ventana<TFAdministrador>()});
    RegistraOrden({.Id = QStringLiteral("Parametros"), .Menu = Archivos, .Posicion = 60,
                   .Titulo = QStringLiteral("Parametros"), .Abre = Ventana<TFParametros>(),
                   .Acceso = TAccesoOrden::SoloAdministrador, .SeparadorDespues = true});
    RegistraOrden({.Id = QStringLiteral("Idiomas"), .Menu = Archivos, .Posicion = 70,
                   .Titulo = QStringLiteral("Idiomas"), .Abre = Ventana<TFIdiomas>()});
    RegistraOrden({.Id = QStringLiteral("Bancos"), .Menu = Archivos, .Posicion = 80,
                   .Titulo = QStringLiteral("Bancos"), .Abre = Ventana<TFBanco>()});
    RegistraOrden({.Id = QStringLiteral("FormasPago"), .Menu = Archivos, .Posicion = 90,
                   .Titulo = QStringLiteral("Formas de pago"), .Abre = Ventana<TFFormaPago>()});
    RegistraOrden({.Id = QStringLiteral("TiposFinca"), .Menu = Archivos, .Posicion = 100,
                   .Titulo = QStringLiteral("Tipo de fincas"), .Abre = Ventana<TFTipoFinca>()});
    RegistraOrden({.Id = QStringLiteral("UsosFinca"), .Menu = Archivos, .Posicion = 110,
                   .Titulo = QStringLiteral("Usos de finca"), .Abre = Ventana<TFUsoFinca>(),
                   .SeparadorDespues = true});
    RegistraOrden({.Id = ordenes::SeleccionComunidad, .Menu = Archivos, .Posicion = 120,
                   .Titulo = QStringLiteral("Selección de comunidad       F2"), .Abre = SeleccionaComunidad,
                   .SeparadorDespues = true, .TextoHerramienta = QStringLiteral("Selección"), .PosicionHerramienta = 1,
                   .Icono = QStyle::SP_FileDialogDetailedView});
}
