// The appointment book: the day's slots created once by the database, the
// hour 0 shown blank, a cleared text unlinking its call, the users list, the
// other product's book and its two messages, Esc while a slot is typed.
#include "Capturas.h"
#include "CreaBaseDatos.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UFCalendario.h"
#include "UHYDBGrid.h"
#include "UPerfil.h"

#include <QComboBox>
#include "UDBDateTimePicker.h"
#include <QLineEdit>
#include <QTest>

namespace {

class Calendario : public qdtest::ProgramaAbierto {
protected:
    int Huecos(const QDate& dia, int usuario)
    {
        return Sql(QStringLiteral("SELECT COUNT(*) FROM CALENDARIO WHERE FECHA = '%1' AND USUARIO = %2")
                       .arg(dia.toString("MM/dd/yyyy"))
                       .arg(usuario))
            .toInt();
    }
};

TEST_F(Calendario, ADaysSlotsAreCreatedTheFirstTimeItIsShownAndNeverAgain)
{
    Entorno.Usuario = 1;
    const QDate hoy = QDate::currentDate();
    {
        TFCalendario c;
        EXPECT_EQ(c.windowTitle(), "Calendario");
        EXPECT_EQ(Huecos(hoy, 1), 14);
        EXPECT_EQ(c.DM()->QCalendario.RecordCount(), 14);
        c.DtFecha->setDate(hoy.addDays(1));
        EXPECT_EQ(Huecos(hoy.addDays(1), 1), 14);
    }
    // A day that has slots is not created again, even when some are missing.
    Sql(QStringLiteral("DELETE FROM CALENDARIO WHERE HORA = 1 AND FECHA = '%1'").arg(hoy.toString("MM/dd/yyyy")));
    TFCalendario c;
    EXPECT_EQ(Huecos(hoy, 1), 13);
    EXPECT_EQ(c.DM()->QCalendario.RecordCount(), 13);
}

TEST_F(Calendario, TheHourZeroIsBlankAndAClearedTextUnlinksItsCall)
{
    Entorno.Usuario = 1;
    const QString dia = QDate::currentDate().toString("MM/dd/yyyy");
    Sql("EXECUTE PROCEDURE CALENDARIO_CREA('" + dia + "', 1)");
    Sql("UPDATE CALENDARIO SET HORA2 = 0, TEXTO = 'Llamar al presidente', LLAMADA = 7 WHERE HORA = 1 AND FECHA = '" + dia + "'");
    TFCalendario c;
    qdtest::Activa(&c);
    EXPECT_EQ(c.DBGCalendario->Modelo()->index(0, 0).data().toString(), "");
    EXPECT_EQ(c.DBGCalendario->Modelo()->index(1, 0).data().toString(), "9");
    Sql("UPDATE CALENDARIO SET TEXTO = 'Junta ordinaria C/ Mayor 12' WHERE HORA = 11 AND FECHA = '" + dia + "'");
    c.MuestraDia();
    qdtest::Captura("calendario", &c);
    // The text typed away in the grid and saved: the slot is free and unlinked.
    c.DBGCalendario->setFocus();
    c.DBGCalendario->setCurrentIndex(c.DBGCalendario->Modelo()->index(0, 1));
    QTest::keyClick(c.DBGCalendario, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    // Esc while the slot is being edited asks first; "Cancelar" stays.
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).contains("El registro está en edición. ¿Desea grabarlo?"));
        qdtest::Pulsa(w, "Cancelar");
    });
    QTest::keyClick(c.DBGCalendario, Qt::Key_Escape);
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(c.DM()->QCalendario.State(), TDataSetState::dsEdit);
    c.DM()->QCalendario.Post();
    EXPECT_EQ(Sql("SELECT LLAMADA FROM CALENDARIO WHERE HORA = 1 AND FECHA = '" + dia + "'").toInt(), 0);
    QTest::keyClick(c.DBGCalendario, Qt::Key_Escape);
    EXPECT_FALSE(c.isVisible());
}

TEST_F(Calendario, ClosingWithAnAppointmentBeingTypedAsksToSaveIt)
{
    Entorno.Usuario = 1;
    const QString dia = QDate::currentDate().toString("MM/dd/yyyy");
    const struct {
        const char* respuesta;
        bool cierra;
        const char* guardado; // the slot's text afterwards
    } casos[] = {{"Cancelar", false, ""}, {"No", true, ""}, {"Sí", true, "Visita del perito"}};
    for (const auto& k : casos) {
        SCOPED_TRACE(k.respuesta);
        Sql("UPDATE CALENDARIO SET TEXTO = NULL");
        TFCalendario c;
        qdtest::Activa(&c);
        // Typed in the slot's cell, its editor still open: nothing saved yet.
        c.DBGCalendario->setFocus();
        c.DBGCalendario->setCurrentIndex(c.DBGCalendario->Modelo()->index(2, 1));
        QTest::keyClick(c.DBGCalendario, Qt::Key_F2);
        qdtest::Escribe("Visita del perito");
        qdtest::AlAbrirse([&](QWidget* w) { qdtest::Pulsa(w, QString::fromUtf8(k.respuesta)); });
        c.close(); // the window's close button
        EXPECT_EQ(c.isVisible(), !k.cierra);
        EXPECT_EQ(Sql("SELECT COALESCE(TEXTO, '') FROM CALENDARIO WHERE HORA = 3 AND FECHA = '" + dia + "'").toString(),
                  QString::fromUtf8(k.guardado));
        if (!k.cierra) {
            EXPECT_EQ(c.DM()->QCalendario.FieldByName("TEXTO")->AsString(), "Visita del perito")
                << "the appointment stays on screen";
            c.DM()->QCalendario.Cancel();
        }
    }
}

TEST_F(Calendario, TheUsersAreListedByNameWithTheirCodeAndTheLoggedInOneIsShown)
{
    Sql("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (5, 'ANA', '')");
    Entorno.Usuario = 5;
    TFCalendario c;
    EXPECT_EQ(c.CbUsuario->currentText(), "ANA            -5");
    EXPECT_EQ(CodigoDeUsuario(c.CbUsuario->currentText()), 5);
    EXPECT_EQ(c.DM()->Usuario(), 5);
    // Another user's book.
    c.CbUsuario->setCurrentIndex(c.CbUsuario->findText("ADMINISTRADOR  -1"));
    EXPECT_EQ(c.DM()->Usuario(), 1);
    EXPECT_EQ(Huecos(QDate::currentDate(), 1), 14);
}

TEST_F(Calendario, TheOtherProductsBookOrItsMessageAndNothingElseCloses)
{
    Entorno.Usuario = 1;
    struct {
        const char* ini;
        const char* mensaje;
    } casos[] = {{nullptr, "No se puede conectar con Halvenbook 1"},
                 {"/no/existe/halvenbook.fdb", "No se puede conectar con Halvenbook 2"}};
    for (const auto& k : casos) {
        if (k.ini)
            TIniFile(FicheroPerfil("halvenbook.ini")).WriteString("Datos", "BaseDeDatos", k.ini);
        qdtest::Modales modales;
        modales.Espera([&](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).startsWith(k.mensaje)) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
        });
        AbreCalendario(TLibroCitas::Halvenbook); // returns: no window, and the program goes on
    }
    // Configured: its own procedure makes that product's slots (9 to 20 o'clock).
    const QString hb = programa.path() + "/halvenbook.fdb";
    TOpcionesBD o;
    o.ForcedWrites = false;
    CreaBaseHalvenbook(hb, o);
    TIniFile(FicheroPerfil("halvenbook.ini")).WriteString("Datos", "BaseDeDatos", hb);
    TFCalendario c(TLibroCitas::Halvenbook);
    EXPECT_EQ(c.windowTitle(), "Calendario en Halvenbook");
    EXPECT_EQ(c.DM()->QCalendario.RecordCount(), 12);
    EXPECT_EQ(Huecos(QDate::currentDate(), 1), 0) << "the program's own book is untouched";
}

} // namespace
