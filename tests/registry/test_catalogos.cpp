// The catalogue, administrator and parameters screens on the base maintenance
// form, driven with keys and clicks against a fresh program database.
#include "Capturas.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UFAdministrador.h"
#include "UFBanco.h"
#include "UFFormaPago.h"
#include "UFIdiomas.h"
#include "UFMain.h"
#include "UFParametros.h"
#include "UFTipoFinca.h"
#include "UFUsoFinca.h"
#include "UFormGest.h"
#include "UFormatos.h"
#include "UOrdenes.h"
#include "UPerfil.h"
#include "URegistro.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTest>

namespace {

using qdtest::Modales;
using qdtest::Pulsa;

using qdtest::Activa;
using qdtest::Escribe;
using qdtest::Teclea;

template <class T>
struct Pantalla {
    QPointer<T> w = new T;
    Pantalla() { Activa(w); }
    ~Pantalla()
    {
        if (w)
            delete w.data();
    }
    T* operator->() const { return w.data(); }
    TFIBTableSet& Tabla() const { return *w->DM()->Principal(); }
    QStringList Lista(const QString& campo) const
    {
        QStringList l;
        TFIBTableSet& t = Tabla();
        for (t.First(); !t.Eof(); t.Next())
            l << t.FieldByName(campo)->AsString();
        return l;
    }
};

class Catalogos : public qdtest::ProgramaAbierto {
protected:
    void Guarda(const QString& nombre, QWidget* w) { qdtest::Captura(nombre, w); }
};

TEST_F(Catalogos, LanguageCodesAreAssignedShownAsAltaAndKeptWhenTyped)
{
    Sql("DELETE FROM SYS_IDIOMAS");
    Pantalla<TFIdiomas> p;
    // The first language of an empty table gets code 1.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), p->DBECodigo);
    EXPECT_EQ(p->DBECodigo->text(), "") << "the code field is ready for typing";
    EXPECT_EQ(p.Tabla().FieldByName("CODIGO")->DisplayText(), "Alta");
    p->DBENombre->setFocus();
    EXPECT_EQ(p->DBECodigo->text(), "Alta");
    Escribe("Catalan");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'Catalan'").toInt(), 1);
    EXPECT_EQ(p->DBECodigo->text(), "1");

    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (2, 'B')");
    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (7, 'C')");
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    p->DBENombre->setFocus();
    Escribe("Gallego");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'Gallego'").toInt(), 8);

    // A code typed by the user stays.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Escribe("55");
    p->DBENombre->setFocus();
    Escribe("Vasco");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'Vasco'").toInt(), 55);
    // At most two digits are typed in the code.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Escribe("1234");
    EXPECT_EQ(p->DBECodigo->text(), "12");
    Teclea(Qt::Key_X, Qt::ControlModifier);
}

TEST_F(Catalogos, EveryIntegerCatalogueNumbersItsNewRowsFromItsOwnTable)
{
    struct Caso {
        const char* tabla;
        std::function<QWidget*()> crea;
    } casos[] = {
        {"SYS_FORMAS_PAGO", [] { return new TFFormaPago; }},
        {"SYS_TIPOS_FINCA", [] { return new TFTipoFinca; }},
        {"SYS_USO_FINCAS", [] { return new TFUsoFinca; }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.tabla);
        Sql(QStringLiteral("INSERT INTO %1 (CODIGO, NOMBRE) VALUES (4, 'CUATRO')").arg(c.tabla));
        std::unique_ptr<QWidget> w(c.crea());
        Activa(w.get());
        auto* f = static_cast<TFCatalogo*>(w.get());
        f->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbInsert);
        f->DBENombre->setFocus();
        QTest::keyClicks(f->DBENombre, "NUEVO");
        QTest::keyClick(f->DBENombre, Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(Sql(QStringLiteral("SELECT CODIGO FROM %1 WHERE NOMBRE = 'NUEVO'").arg(c.tabla)).toInt(), 5);
        // The reserved row 0 is not on the list.
        EXPECT_FALSE(f->DM()->QTabla.Locate("CODIGO", {0}));
        Guarda(QStringLiteral("%1-ficha").arg(c.tabla), f);
        f->PCMain->setCurrentWidget(f->TSTabla);
        Guarda(QStringLiteral("%1-tabla").arg(c.tabla), f);
    }
}

TEST_F(Catalogos, BankCodesAreZeroFilledAndTheReservedBankNeverListed)
{
    Pantalla<TFBanco> p;
    EXPECT_EQ(p.Lista("ENTIDAD"), QStringList{}) << "bank 0000 is reserved";
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Escribe("182");
    p->DBENombre->setFocus();
    Escribe("BANCO DE PRUEBA");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT ENTIDAD FROM SYS_BANCOS WHERE NOMBRE = 'BANCO DE PRUEBA'").toString(), "0182");
    Guarda("bancos-ficha", p.w);

    // A search for "0" lists the banks whose code starts with it, never 0000.
    p->EBusca->setFocus();
    Escribe("0");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Lista("ENTIDAD"), QStringList{"0182"});
    // Saving the reserved code again is refused by the database: the row
    // stays in insert state with the server's message.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Escribe("0");
    EXPECT_THROW(p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost), EFIBError);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsInsert);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD = '0000'").toString(), "SIN ENTIDAD");
}

TEST_F(Catalogos, ACodeLeftToTheProgramThatAnotherSeatIsTakingGoesToTheNextFreeOne)
{
    Sql("DELETE FROM SYS_IDIOMAS");
    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (4, 'FRANCÉS')");
    Pantalla<TFIdiomas> p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    p->DBENombre->setFocus();
    Escribe("ALEMAN");
    // Another seat saves code 5 while this one is about to take it.
    qdtest::Connection otro(base);
    TFIBQuery q;
    q.SetDatabase(&otro.db);
    q.SetTransaction(&otro.tr);
    q.SetSQL("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (5, 'ITALIANO')");
    q.ExecQuery();
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsBrowse);
    otro.tr.Commit();
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'ALEMAN'").toInt(), 6);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'ITALIANO'").toInt(), 5);
}

TEST_F(Catalogos, AdministratorEditsItsOneRowWithoutInsertOrDelete)
{
    Pantalla<TFAdministrador> p;
    EXPECT_FALSE(p->HYMNavigator1->Boton(TNavigateBtn::nbInsert)->isVisible());
    EXPECT_FALSE(p->HYMNavigator1->Boton(TNavigateBtn::nbDelete)->isVisible());
    Teclea(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ADMINISTRADOR").toInt(), 1);
    Teclea(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::focusWidget()->isEnabled()) << "the company name stays editable";
    Escribe("FINCAS DEL NORTE");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT EMPRESA FROM ADMINISTRADOR").toString(), "FINCAS DEL NORTE");
    Guarda("administrador-ficha", p.w);
}

TEST_F(Catalogos, MainWindowListsTheRegisteredScreensAndGuardsTheParameters)
{
    RegistraOrdenesRegistro();
    TFMain principal;
    QStringList menu;
    for (QAction* a : principal.MenuArchivos->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(menu.join(" | "), QStringList({"Propietarios y Fincas", "Comunidades", "Administrador", "Parametros", "-", "Idiomas", "Bancos",
                                             "Formas de pago", "Tipo de fincas", "Usos de finca", "-",
                                             "Selección de comunidad       F2", "-", "Salir de la aplicación"})
                                    .join(" | "));
    Entorno.Usuario = 2;
    Modales modales;
    QString visto;
    modales.Espera([&](QWidget* w) {
        visto = qdtest::Textos(w);
        Pulsa(w, "Aceptar");
    });
    principal.OrdenPantalla("Parametros")->trigger();
    EXPECT_TRUE(visto.contains("ACCESO DENEGADO.")) << visto.toStdString();
    EXPECT_EQ(VentanaAbierta("TFParametros"), nullptr);
    Entorno.Usuario = 1;
    principal.OrdenPantalla("Bancos")->trigger();
    QWidget* bancos = VentanaAbierta("TFBanco");
    ASSERT_NE(bancos, nullptr);
    EXPECT_EQ(bancos->windowTitle(), "Mantenimiento de bancos");
    EXPECT_EQ(VentanasAbiertas(), 1);
    CierraVentanas();
}

} // namespace
