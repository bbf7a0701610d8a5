#include "UDocumentos.h"
#include "UFEtiquetas.h"
#include "UFFormatos.h"
#include "UFListados.h"
#include "UFTexto.h"
#include "UFormGest.h"
#include "UOrdenes.h"

#include <QApplication>

void RegistraOrdenesDocumentos()
{
    // Opened from the main window, not from the command: no "Ventanas" entry.
    RegistraOrden({.Id = QStringLiteral("EditorTexto"), .Menu = TMenuOrden::Textos, .Posicion = 10,
                   .Titulo = QStringLiteral("Editor texto"),
                   .Abre = [](QAction*) { AbreVentana<TFTexto>(nullptr); }});
    RegistraOrdenesFormatos();
    RegistraOrdenesListados();
    RegistraOrden({.Id = QStringLiteral("Etiquetas"), .Menu = TMenuOrden::Textos, .Posicion = 20,
                   .Titulo = QStringLiteral("Etiquetas"), .Abre = [](QAction*) {
                       TFEtiquetas etiquetas(QApplication::activeWindow());
                       etiquetas.exec();
                   }});
}
