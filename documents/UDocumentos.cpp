#include "UDocumentos.h"
#include "UFFormatos.h"
#include "UFListados.h"
#include "UFTexto.h"
#include "UFormGest.h"
#include "UOrdenes.h"

void RegistraOrdenesDocumentos()
{
    // Opened from the main window, not from the command: no "Ventanas" entry.
    RegistraOrden({.Id = QStringLiteral("EditorTexto"), .Menu = TMenuOrden::Textos, .Posicion = 10,
                   .Titulo = QStringLiteral("Editor texto"),
                   .Abre = [](QAction*) { AbreVentana<TFTexto>(nullptr); }});
    RegistraOrdenesFormatos();
    RegistraOrdenesListados();
}
