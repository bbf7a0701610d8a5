// The communities screen and the community selection, driven with keys and
// clicks against a fresh program database.
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "CreaBaseDatos.h"
#include "UDMBase.h"
#include "UDBControles.h"
#include "UFBuscaEmp.h"
#include "UFComunidad.h"
#include "UFMain.h"
#include "UFormGest.h"
#include "UOrdenes.h"
#include "URegistro.h"

#include <QAction>
#include <QPointer>
#include <QTest>
#include <memory>
#include <vector>

namespace {

using qdtest::Modales;
using qdtest::Pulsa;

class Comunidades : public qdtest::ProgramaAbierto {
protected:
    void Alta(int codigo, const QString& nombre)
    {
        Sql(QStringLiteral("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (%1, '%2')").arg(codigo).arg(nombre));
    }
    static QStringList Lista(TFIBDataSet& t, const QString& campo)
    {
        QStringList l;
        for (t.First(); !t.Eof(); t.Next())
            l << t.FieldByName(campo)->AsString();
        return l;
    }
};

struct Pantalla {
    QPointer<TFComunidad> w = new TFComunidad;
    Pantalla() { qdtest::Activa(w); }
    ~Pantalla() { delete w.data(); }
    TFComunidad* operator->() const { return w.data(); }
};

using qdtest::Teclea;

TEST_F(Comunidades, NewCommunitiesAreNumberedAndGetTheYearAndMonths)
{
    Pantalla p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    TFIBTableSet& q = p->DM()->QComunidad;
    EXPECT_EQ(q.FieldByName("EJERCICIO")->AsInteger(), QDate::currentDate().year());
    EXPECT_EQ(q.FieldByName("MES_INICIO")->AsInteger(), 1);
    EXPECT_EQ(q.FieldByName("MES_CIERRE")->AsInteger(), 12);
    EXPECT_EQ(q.FieldByName("CODIGO")->DisplayText(), "Alta");
    p->DBENombre->setFocus();
    QTest::keyClicks(p->DBENombre, "PRIMERA");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_COMUNIDAD WHERE NOMBRE = 'PRIMERA'").toInt(), 1);

    Alta(57, "OTRA");
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    p->DBENombre->setFocus();
    QTest::keyClicks(p->DBENombre, "SIGUIENTE");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_COMUNIDAD WHERE NOMBRE = 'SIGUIENTE'").toInt(), 58);
}

TEST_F(Comunidades, TheSelectedCommunityCannotBeDeletedAnyOtherCan)
{
    Alta(3, "TRES");
    Alta(4, "CUATRO");
    Entorno.Comunidad = 3;
    Pantalla p;
    Modales modales;
    QString visto;
    modales.Espera([](QWidget* w) { Pulsa(w, "Aceptar"); }); // " ¿ Borra el registro ? "
    modales.Espera([&](QWidget* w) {
        visto = qdtest::Textos(w);
        Pulsa(w, "Aceptar");
    });
    ASSERT_TRUE(p->DM()->QComunidad.Locate("CODIGO", {3}));
    Teclea(Qt::Key_Delete, Qt::ControlModifier); // the refusal reaches the user as the program's warning
    EXPECT_TRUE(visto.contains("No puede borrar la comunidad que tiene seleccionada")) << visto.toStdString();
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD").toInt(), 2);
    ASSERT_TRUE(p->DM()->QComunidad.Locate("CODIGO", {4}));
    modales.Espera([](QWidget* w) { Pulsa(w, "Aceptar"); }); // " ¿ Borra el registro ? "
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD").toInt(), 1);
}

TEST_F(Comunidades, ANameAndMonthsWithinTheYearAreRequired)
{
    Pantalla p;
    const struct {
        const char* nombre;
        const char* inicio;
        const char* cierre;
        const char* mensaje;
    } casos[] = {
        {"", "1", "12", "Escriba el nombre de la comunidad."},
        {"   ", "1", "12", "Escriba el nombre de la comunidad."},
        {"TRECE", "1", "13", "El mes de inicio y el de cierre del ejercicio deben estar entre 1 y 12."},
        {"CERO", "0", "12", "El mes de inicio y el de cierre del ejercicio deben estar entre 1 y 12."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Teclea(Qt::Key_Insert, Qt::ControlModifier);
        TFIBTableSet& q = p->DM()->QComunidad;
        q.FieldByName("NOMBRE")->SetAsString(QString::fromUtf8(c.nombre));
        q.FieldByName("MES_INICIO")->SetAsString(c.inicio);
        q.FieldByName("MES_CIERRE")->SetAsString(c.cierre);
        Modales modales;
        modales.Espera([&](QWidget* w) {
            EXPECT_EQ(qdtest::Textos(w), c.mensaje);
            Pulsa(w, "Aceptar");
        });
        Teclea(Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(q.State(), TDataSetState::dsInsert) << "kept to be corrected";
        p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
        qdtest::Activa(p.w); // the message took the activation with it
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD").toInt(), 0);
}

TEST_F(Comunidades, ACodeAboveWhatTheDatabaseTakesIsRefusedOnTyping)
{
    Pantalla p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), p->DBECodigo);
    qdtest::Escribe("40000");
    Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qdtest::Textos(w), "El código de una comunidad va de 1 a 32767.");
        Pulsa(w, "Aceptar");
    });
    Teclea(Qt::Key_Tab);
    EXPECT_NE(p->DM()->QComunidad.FieldByName("CODIGO")->AsInteger(), 40000);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
}

TEST_F(Comunidades, QuickSearchByCodeOrName)
{
    for (auto [c, n] : std::initializer_list<std::pair<int, const char*>>{
             {12, "SAN PEDRO"}, {120, "LAS ROSAS"}, {3, "san juan"}, {1200, "ALAMEDA"}, {7, "Santa Ana"}})
        Alta(c, n);
    Pantalla p;
    p->EBusca->setFocus();
    QTest::keyClicks(p->EBusca, "12");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(Lista(p->DM()->QComunidad, "CODIGO"), (QStringList{"12", "120", "1200"}));
    p->EBusca->clear();
    QTest::keyClicks(p->EBusca, "san");
    Teclea(Qt::Key_Return);
    // Any case, in the order of the letters whatever their case.
    EXPECT_EQ(Lista(p->DM()->QComunidad, "NOMBRE"), (QStringList{"san juan", "SAN PEDRO", "Santa Ana"}));
}

// The selection dialog as the command shows it; `actua` drives it.
class Seleccion : public Comunidades {
protected:
    void SetUp() override
    {
        Comunidades::SetUp();
        Alta(5, "CINCO");
        Alta(12, "DOCE");
        Alta(15, "QUINCE");
        RegistraOrdenesRegistro();
        principal = std::make_unique<TFMain>();
        seleccion = principal->OrdenPantalla(ordenes::SeleccionComunidad);
        ASSERT_NE(seleccion, nullptr);
    }
    void TearDown() override
    {
        principal.reset();
        Comunidades::TearDown();
    }
    void Selecciona(std::function<void(TFBuscaEmp*)> actua)
    {
        modales.Espera([actua](QWidget* w) {
            auto* d = qobject_cast<TFBuscaEmp*>(w);
            ASSERT_NE(d, nullptr);
            actua(d);
        });
        seleccion->trigger();
    }
    static void Escribe(TFBuscaEmp* d, const char* texto)
    {
        d->cNombre->setFocus();
        d->cNombre->clear();
        QTest::keyClicks(d->cNombre, texto);
        QTest::keyClick(d->cNombre, Qt::Key_Return);
    }
    QString Titulo() const { return principal->windowTitle(); }
    Modales modales;
    std::unique_ptr<TFMain> principal;
    QAction* seleccion = nullptr;
};

TEST_F(Seleccion, CancelKeepsTheLastAcceptedCommunity)
{
    // Nothing accepted yet: code 0 without a name.
    Selecciona([](TFBuscaEmp* d) { QTest::keyClick(d->cNombre, Qt::Key_Escape); });
    EXPECT_EQ(Titulo(), "QuorumDesk - Comunidad : 0 - ");
    EXPECT_EQ(Entorno.Comunidad, 0);
    Selecciona([](TFBuscaEmp* d) {
        Escribe(d, "12");
        EXPECT_EQ(d->FIBEmpresas.FieldByName("NOMBRE")->AsString(), "DOCE");
        QTest::mouseClick(d->BtAceptar, Qt::LeftButton);
    });
    EXPECT_EQ(Titulo(), "QuorumDesk - Comunidad : 12 - DOCE");
    EXPECT_EQ(Entorno.Comunidad, 12);
    EXPECT_EQ(Entorno.NombreComunidad, "DOCE");
    Selecciona([](TFBuscaEmp* d) { QTest::mouseClick(d->BtCancelar, Qt::LeftButton); });
    EXPECT_EQ(Entorno.Comunidad, 12);
}

TEST_F(Seleccion, ZeroChoosesTheGeneralCommunityWhateverRowIsShown)
{
    const struct {
        const char* caso;
        std::function<void(TFBuscaEmp*)> actua;
    } casos[] = {
        {"0 and Enter", [](TFBuscaEmp* d) { Escribe(d, "0"); }},
        {"0, a row and Aceptar",
         [](TFBuscaEmp* d) {
             QTest::keyClicks(d->cNombre, "0");
             d->DbGridEmp->setFocus();
             QTest::keyClick(d->DbGridEmp, Qt::Key_Down);
             QTest::mouseClick(d->BtAceptar, Qt::LeftButton);
         }},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Selecciona(c.actua);
        EXPECT_EQ(Titulo(), "QuorumDesk - Comunidad : 0 - Comunidad general");
        EXPECT_EQ(Entorno.Comunidad, 0);
        EXPECT_EQ(Entorno.NombreComunidad, "Comunidad general");
    }
}

TEST_F(Seleccion, SearchByCodeAndNameAndAnEmptyListSelectsNothing)
{
    Selecciona([](TFBuscaEmp* d) {
        EXPECT_EQ(Lista(d->FIBEmpresas, "CODIGO"), (QStringList{"5", "12", "15"}));
        Escribe(d, "qu");
        EXPECT_EQ(Lista(d->FIBEmpresas, "NOMBRE"), QStringList{"QUINCE"});
        // Typed text is data: a quotation mark finds nothing and breaks nothing.
        Escribe(d, "Q\"UI");
        EXPECT_TRUE(d->FIBEmpresas.IsEmpty());
        Escribe(d, "");
        EXPECT_EQ(Lista(d->FIBEmpresas, "CODIGO").size(), 3);
        Escribe(d, "99");
        EXPECT_TRUE(d->FIBEmpresas.IsEmpty());
        // Enter elsewhere does nothing; Aceptar on the empty list picks code 0.
        QTest::keyClick(d->DbGridEmp, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        QTest::mouseClick(d->BtAceptar, Qt::LeftButton);
    });
    EXPECT_EQ(Titulo(), "QuorumDesk - Comunidad : 0 - ");
}

TEST_F(Seleccion, ACodeThatIsNoNumberIsRefusedAndTheListStays)
{
    Selecciona([this](TFBuscaEmp* d) {
        Escribe(d, "15");
        modales.Espera([](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).contains("'1a' no es un número entero válido"));
            qobject_cast<QDialog*>(w)->accept();
        });
        Escribe(d, "1a");
        EXPECT_EQ(Lista(d->FIBEmpresas, "CODIGO"), QStringList{"15"});
        // Double-click on a row accepts it (once the list has shown its rows).
        QTest::qWait(50);
        const QRect fila = d->DbGridEmp->visualRect(d->DbGridEmp->model()->index(0, 1));
        if (fila.isEmpty()) {
            ADD_FAILURE() << "the list shows no row";
            d->reject();
            return;
        }
        QTest::mouseClick(d->DbGridEmp->viewport(), Qt::LeftButton, {}, fila.center());
        QTest::mouseDClick(d->DbGridEmp->viewport(), Qt::LeftButton, {}, fila.center());
    });
    EXPECT_EQ(Entorno.Comunidad, 15);
}

TEST_F(Seleccion, RefusedWhileScreensAreOpenAndF2RunsIt)
{
    QAction comunidades(QStringLiteral("Comunidades"));
    AbreVentana<TFComunidad>(&comunidades);
    QString visto;
    modales.Espera([&](QWidget* w) {
        visto = qdtest::Textos(w);
        Pulsa(w, "Aceptar");
    });
    QTest::keyClick(principal.get(), Qt::Key_F2);
    EXPECT_TRUE(visto.contains("Cierre todas las ventanas antes de cambiar de comunidad")) << visto.toStdString();
    CierraVentanas();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    modales.Espera([](QWidget* w) { Escribe(qobject_cast<TFBuscaEmp*>(w), "5"); QTest::mouseClick(qobject_cast<TFBuscaEmp*>(w)->BtAceptar, Qt::LeftButton); });
    QTest::keyClick(principal.get(), Qt::Key_F2);
    EXPECT_EQ(Entorno.Comunidad, 5);
}

// Twenty seats adding communities at once on the server, the code left at 0:
// each save reads the same highest code, and every one of them is saved under
// a free code of its own. A code the user typed that is taken is still
// refused, with the advice to type another.
TEST(ComunidadesEnServidor, SeatsAddingAtOnceEachTakeTheNextFreeCode)
{
    QD_REQUIRE_SERVER();
    const QString servidor = qdtest::ServerHost() + ":" + qdtest::TempDir() + "/comunidades-puestos.fdb";
    TOpcionesBD o;
    o.ForcedWrites = false;
    o.Usuario = qdtest::ServerUser();
    o.Clave = qdtest::ServerPassword();
    CreaBaseDatos(servidor, o);
    struct Puesto {
        qdtest::Connection c;
        TFIBTableSet ds;
        explicit Puesto(const QString& db) : c(db, qdtest::ServerUser(), qdtest::ServerPassword())
        {
            ds.SetDatabase(&c.db);
            ds.SetTransaction(&c.tr);
            ds.SetTableName("SYS_COMUNIDAD");
            ds.Opciones = {TOpcionesTableSet::NoControlarConcurrencia};
            ds.Open();
            AsignaCodigoAutomatico(ds, "CODIGO", "SYS_COMUNIDAD");
        }
    };
    std::vector<std::unique_ptr<Puesto>> puestos;
    for (int i = 0; i < 20; ++i)
        puestos.push_back(std::make_unique<Puesto>(servidor));
    // Each round every seat saves before any commits: each one's insert meets
    // the codes the others hold uncommitted.
    for (int ronda = 0; ronda < 3; ++ronda) {
        for (std::size_t i = 0; i < puestos.size(); ++i) {
            TFIBTableSet& ds = puestos[i]->ds;
            ds.Append();
            ds.FieldByName("CODIGO")->SetAsInteger(0);
            ds.FieldByName("NOMBRE")->SetAsString(QStringLiteral("PUESTO %1 RONDA %2").arg(i).arg(ronda));
            ASSERT_NO_THROW(ds.Post()) << "seat " << i << " round " << ronda;
        }
        for (auto& p : puestos)
            p->c.tr.CommitRetaining();
    }
    TFIBQuery q;
    q.SetDatabase(&puestos[0]->c.db);
    q.SetTransaction(&puestos[0]->c.tr);
    q.SetSQL("SELECT COUNT(*), COUNT(DISTINCT CODIGO), MIN(CODIGO) FROM SYS_COMUNIDAD WHERE NOMBRE STARTING 'PUESTO'");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 60);
    EXPECT_EQ(q.Fields(1)->AsInteger(), 60);
    EXPECT_GT(q.Fields(2)->AsInteger(), 0);
    q.Close();

    TFIBTableSet& ds = puestos[0]->ds;
    ds.Append();
    ds.FieldByName("CODIGO")->SetAsInteger(puestos[1]->ds.FieldByName("CODIGO")->AsInteger());
    ds.FieldByName("NOMBRE")->SetAsString("CODIGO TECLEADO");
    try {
        ds.Post();
        ADD_FAILURE() << "a typed code that is taken was saved";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.Explanation().contains("Escriba otro código")) << e.what();
    }
    ds.Cancel();
}

} // namespace
