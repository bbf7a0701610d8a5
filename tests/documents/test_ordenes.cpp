// The main window's commands of the formats, the listings and the meeting
// list: each in its menu, opening its screen in its own way.
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "UDocumentos.h"
#include "UFListJuntas.h"
#include "UFMain.h"
#include "UFormGest.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

class Ordenes : public qdtest::ProgramaAbierto {};

// The caption of the menu that holds a command.
QString MenuDe(QAction* accion)
{
    for (QObject* o : accion->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o))
            return menu->title();
    return {};
}

TEST_F(Ordenes, FormatsListingsAndTheMeetingList)
{
    RegistraOrdenesDocumentos();
    RegistraOrdenesListJuntas();
    TFMain principal;
    QAction* formatos = principal.OrdenPantalla("Formatos");
    QAction* listados = principal.OrdenPantalla("CreacionListados");
    QAction* juntas = principal.OrdenPantalla("ListadoJuntas");
    ASSERT_TRUE(formatos && listados && juntas);
    EXPECT_EQ(MenuDe(formatos), "Archivos");
    EXPECT_EQ(MenuDe(listados), "Varios");
    EXPECT_EQ(MenuDe(juntas), "Gestión");

    // Formats: a window with its entry in "Ventanas".
    formatos->trigger();
    QPointer<QWidget> f = VentanaAbierta("TFFormatos");
    ASSERT_TRUE(f);
    EXPECT_EQ(VentanasAbiertas(), 1);
    formatos->trigger();
    EXPECT_EQ(VentanaAbierta("TFFormatos"), f.data()) << "brought to the front, not opened again";
    // Listings: a window without entry.
    listados->trigger();
    QPointer<QWidget> l = VentanaAbierta("TFListados");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->windowTitle(), "Creación de listados");
    EXPECT_EQ(VentanasAbiertas(), 1);
    // The meeting list: modal.
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Listado de juntas");
        w->close();
    });
    juntas->trigger();
    delete l.data();
    delete f.data();
}

} // namespace
