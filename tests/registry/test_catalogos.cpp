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

TEST_F(Catalogos, AGivenCodeThatAnotherSeatTookIsReadAgainOnTheNextSave)
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
    EXPECT_THROW(p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost), EFIBError);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsInsert);
    EXPECT_EQ(p->DBECodigo->text(), "Alta") << "the failed code is not kept";
    otro.tr.Commit();
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_IDIOMAS WHERE NOMBRE = 'ALEMAN'").toInt(), 6);
}

TEST_F(Catalogos, SearchBarFiltersByNameOrCodeAndTheTitlesSort)
{
    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (12, 'INGLÉS')");
    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (3, 'ITALIANO')");
    Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (4, 'FRANCÉS')");
    Pantalla<TFIdiomas> p;
    EXPECT_EQ(p.Lista("CODIGO"), (QStringList{"1", "3", "4", "12"}));
    QTest::keyClick(p.w, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), p->EBusca) << "the label's accelerator focuses the search";
    Escribe("i");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Lista("NOMBRE"), (QStringList{"INGLÉS", "ITALIANO"}));
    p->EBusca->clear();
    Escribe("1");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Lista("CODIGO"), (QStringList{"1", "12"}));

    // The table page: title clicks sort by the column (ascending, descending, none).
    p->PCMain->setCurrentWidget(p->TSTabla);
    EXPECT_EQ(QApplication::focusWidget(), p->HYTDBGrid1);
    p->HYTDBGrid1->PulsaTitulo(0);
    p->HYTDBGrid1->PulsaTitulo(0);
    EXPECT_EQ(p.Lista("CODIGO"), (QStringList{"12", "1"}));
}

TEST_F(Catalogos, EditingLocksKeySearchAndPlacementUntilSaved)
{
    Pantalla<TFIdiomas> p;
    p->PCMain->setCurrentWidget(p->TSTabla);
    // Insert from the table page shows the record page alone.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(p->PCMain->currentWidget(), p->TSFicha);
    EXPECT_FALSE(p->PCMain->isTabVisible(p->PCMain->indexOf(p->TSTabla)));
    Teclea(Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(p->PCMain->isTabVisible(p->PCMain->indexOf(p->TSTabla)));

    Teclea(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(p->PEdit->isEnabled());
    EXPECT_FALSE(p->DBECodigo->isEnabledTo(p->PEdit)) << "a record's key cannot change";
    EXPECT_FALSE(p->EBusca->isEnabled());
    EXPECT_FALSE(p->TbGuarda->isEnabled());
    EXPECT_FALSE(p->TbRest->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), p->DBENombre);
    Escribe("X");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_IDIOMAS WHERE CODIGO = 1").toString(), "CASTELLANOX");
    EXPECT_TRUE(p->DBECodigo->isEnabledTo(p->PEdit));
    for (QWidget* w : std::initializer_list<QWidget*>{p->EBusca, p->TbGuarda, p->TbRest})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    // Ctrl+G while browsing does nothing.
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsBrowse);
}

TEST_F(Catalogos, EscClosesOnlyWhileBrowsingAndCloseNeverLosesAnEdit)
{
    Pantalla<TFIdiomas> p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Teclea(Qt::Key_Escape);
    ASSERT_TRUE(p.w) << "Esc while inserting keeps the screen";
    EXPECT_TRUE(p->isVisible());
    Teclea(Qt::Key_X, Qt::ControlModifier);

    // Closing while editing asks; "Cancelar" keeps the screen and the edit,
    // "Sí" saves and closes.
    Teclea(Qt::Key_E, Qt::ControlModifier);
    Escribe("Z");
    Modales modales;
    modales.Espera([](QWidget* w) { Pulsa(w, "Cancelar"); });
    EXPECT_FALSE(p->close());
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsEdit);
    modales.Espera([](QWidget* w) { Pulsa(w, "Sí"); });
    EXPECT_TRUE(p->close());
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(p.w) << "a closed screen is freed";
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_IDIOMAS WHERE CODIGO = 1").toString(), "CASTELLANOZ");

    Pantalla<TFIdiomas> otra;
    Teclea(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(otra.w) << "Esc while browsing closes";
}

TEST_F(Catalogos, PlacementIsSavedRestoredAndSharedByFormNumber)
{
    const QRect pantalla = QGuiApplication::primaryScreen()->availableGeometry();
    const QString fichero = programa.path() + "/USUARIO0001.INI";
    {
        Pantalla<TFIdiomas> p;
        EXPECT_EQ(p->size(), QSize(696, 487));
        EXPECT_NEAR(p->geometry().center().x(), pantalla.center().x(), 2) << "no placement file: centred";
        p->move(40, 30);
        p->resize(500, 400);
        QTest::mouseClick(p->TbGuarda, Qt::LeftButton);
    }
    // The placement buttons have glyphs of their own, not the floppy disk of "save".
    {
        Pantalla<TFIdiomas> p;
        const QImage guarda = p->TbGuarda->icon().pixmap(32).toImage();
        EXPECT_NE(guarda, p->style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(32).toImage());
        EXPECT_NE(guarda, p->TbRest->icon().pixmap(32).toImage());
    }
    EXPECT_EQ(TIniFile(fichero).ReadString("106", "Left", ""), "40");
    EXPECT_EQ(TIniFile(fichero).ReadString("106", "width", ""), "500");
    {
        Pantalla<TFIdiomas> p;
        EXPECT_EQ(p->pos(), QPoint(40, 30));
        EXPECT_EQ(p->size(), QSize(500, 400));
        Pantalla<TFBanco> banco; // another number, still centred
        EXPECT_EQ(banco->size(), QSize(696, 487));
        QTest::mouseClick(p->TbRest, Qt::LeftButton);
        EXPECT_EQ(p->pos(), QPoint(40, 30)) << "the window stays where it is";
    }
    {
        Pantalla<TFIdiomas> p;
        EXPECT_NEAR(p->geometry().center().x(), pantalla.center().x(), 2);
    }
    // Screens without a number of their own share section 0.
    {
        Pantalla<TFAdministrador> a;
        a->move(70, 60);
        QTest::mouseClick(a->TbGuarda, Qt::LeftButton);
    }
    TFBase otra(0);
    EXPECT_EQ(otra.pos(), QPoint(70, 60));
    // A placement value that is not a number: the screen opens where it
    // would without a placement, centred and of its own size.
    TIniFile(fichero).WriteString("106", "top", "arriba");
    {
        Pantalla<TFIdiomas> p;
        EXPECT_EQ(p->size(), QSize(696, 487));
        EXPECT_NEAR(p->geometry().center().x(), pantalla.center().x(), 2);
    }
}

TEST_F(Catalogos, ParametersStartTheirRowOnEditAndHideInsertDeleteRefresh)
{
    Sql("DELETE FROM SYS_PARAMETROS");
    Pantalla<TFParametros> p;
    EXPECT_EQ(p->size(), QSize(481, 316));
    EXPECT_FALSE(p->ToolBar2->isVisibleTo(p.w)) << "no search bar";
    for (Qt::Key tecla : {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_R})
        Teclea(tecla, Qt::ControlModifier);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsBrowse);
    Teclea(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsInsert) << "Modificar on an empty table starts the row";
    Escribe("ftp.example.org");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT HOST FROM SYS_PARAMETROS WHERE CODIGO = 0").toString(), "ftp.example.org");
    Guarda("parametros-ficha", p.w);
}

TEST_F(Catalogos, AutomaticEntryTimeMustBeAnHourOfTheDay)
{
    const struct {
        const char* hora;
        bool valida;
    } casos[] = {{"", true},       {"23:59", true},  {"00:00", true}, {"07:70", false}, {"24:00", false},
                 {"29:15", false}, {"7:30", false},  {"12-30", false}, {"1a:00", false}, {"30:00", false}};
    for (const auto& c : casos)
        EXPECT_EQ(HoraValida(c.hora), c.valida) << c.hora;

    // Through the field: the program's warning, and the old value stays.
    Pantalla<TFParametros> p;
    TField* hora = p.Tabla().FieldByName("ASIENTOSAUTO");
    p.Tabla().Edit();
    try {
        hora->SetAsString("07:70");
        ADD_FAILURE() << "an hour of 70 minutes was taken";
    } catch (const EAviso& e) {
        EXPECT_EQ(e.Message(), "Hora no válida");
    }
    EXPECT_EQ(hora->AsString(), "");
    hora->SetAsString("23:59");
    p.Tabla().Post();
    EXPECT_EQ(Sql("SELECT ASIENTOSAUTO FROM SYS_PARAMETROS").toString(), "23:59");
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
                                             "Selección de comunidad       F2", "Salir de la aplicación"})
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
