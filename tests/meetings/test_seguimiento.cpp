// The follow-up of a convocation's decisions: rows made once from the agenda,
// the done switch, and tasks and budgets written in the community-management
// database with the row linked to them, or nothing at all.
#include "Capturas.h"
#include "DbComboBoxValue.h"
#include "CreaBaseDatos.h"
#include "Juntas.h"
#include "Modales.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFPresu.h"
#include "UFSeguimiento.h"
#include "UFTarea.h"
#include "UHYDBGrid.h"
#include "UPerfil.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

namespace {

using qdtest::Juntas;

const QString kCuentasObras = QStringLiteral("1º.- Cuentas\r\n2º.- Obras");

class Seguimiento : public Juntas {
protected:
    void SetUp() override
    {
        Juntas::SetUp();
        Entorno.Usuario = 1;
    }
    void TearDown() override
    {
        pantalla.reset();
        Juntas::TearDown();
    }
    // Convocation `codigo` of community 1 with this agenda, current in the module.
    void Convocatoria(int codigo, const QString& agenda)
    {
        dm->QGen.SetSQL("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, ORDEN, FECHA) "
                        "VALUES (1, ?C, 'JUNTA', ?O, CURRENT_TIMESTAMP)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("O")->SetAsString(agenda);
        dm->QGen.ExecQuery();
        dm->TGenerica.CommitRetaining();
        conv.reset();
        ASSERT_TRUE(Modulo().QTabla.Locate("CODIGO", {codigo}));
    }
    // The follow-up rows of a convocation: "DES|TERMINADO|NUMGESTION|TIPOGESTION" by number.
    QStringList Filas(int codigo)
    {
        QStringList l;
        dm->QGen.SetSQL(QStringLiteral("SELECT NUMERO, DES, TERMINADO, NUMGESTION, TIPOGESTION FROM DETALLE "
                                       "WHERE COMUNIDAD = 1 AND CODIGO = %1 ORDER BY NUMERO").arg(codigo));
        dm->QGen.ExecQuery();
        for (int n = 1; !dm->QGen.Eof(); ++n, dm->QGen.Next()) {
            EXPECT_EQ(dm->QGen.Fields(0)->AsInteger(), n) << "numbered one by one";
            l << QStringLiteral("%1|%2|%3|%4")
                     .arg(dm->QGen.Fields(1)->AsString(), dm->QGen.Fields(2)->AsString(), dm->QGen.Fields(3)->AsString(),
                          dm->QGen.Fields(4)->AsString());
        }
        dm->QGen.Close();
        return l;
    }
    // The community-management database, configured in "halvenbook.ini",
    // with a task and a budget of another program already there.
    QString Halvenbook()
    {
        const QString hb = programa.path() + "/halvenbook.fdb";
        TOpcionesBD o;
        o.ForcedWrites = false;
        CreaBaseHalvenbook(hb, o);
        TIniFile(FicheroPerfil("halvenbook.ini")).WriteString("Datos", "BaseDeDatos", hb);
        hb_ = std::make_unique<qdtest::Connection>(hb);
        SqlHb("INSERT INTO RGESTIONES (CODIGO, ASUNTO) VALUES (41, 'OTRA')");
        SqlHb("INSERT INTO PRESUPUESTO (CODIGO, PRESUPUESTO) VALUES (7, 'OTRO')");
        return hb;
    }
    QVariant SqlHb(const QString& sql)
    {
        TFIBQuery q;
        q.SetDatabase(&hb_->db);
        q.SetTransaction(&hb_->tr);
        if (!hb_->tr.Active())
            hb_->tr.StartTransaction();
        q.SetSQL(sql);
        q.ExecQuery();
        const QVariant v = q.IsSelect() && !q.Eof() ? q.Fields(0)->AsVariant() : QVariant();
        q.Close();
        hb_->tr.Commit();
        return v;
    }
    // The follow-up tab on the module, shown.
    TFSeguimiento& Pantalla()
    {
        if (!pantalla) {
            pantalla = std::make_unique<TFSeguimiento>(Modulo());
            pantalla->resize(900, 400);
            qdtest::Activa(pantalla.get());
        }
        return *pantalla;
    }
    QString Celda(int fila, int columna)
    {
        return Pantalla().DBGDetalle->Modelo()->index(fila, columna).data().toString();
    }
    std::unique_ptr<qdtest::Connection> hb_;
    std::unique_ptr<TFSeguimiento> pantalla;
};

TEST_F(Seguimiento, ShowingTheTabMakesOneRowPerAgendaPointOnceWithoutLineBreaks)
{
    Convocatoria(5, kCuentasObras);
    Pantalla();
    EXPECT_EQ(Filas(5), (QStringList{"1º.- Cuentas  |0|0|0", "2º.- Obras|0|0|0"}));
    EXPECT_EQ(Pantalla().DBGDetalle->Modelo()->rowCount(), 2);
    EXPECT_EQ(Celda(1, 0), "2º.- Obras");
    // Shown again, after the agenda changed: the rows are the user's now.
    Modulo().QTabla.Edit();
    Modulo().QTabla.FieldByName("ORDEN")->SetAsString("1º.- Cuentas\r\n2º.- Obras\r\n3º.- Ruegos");
    Modulo().QTabla.Post();
    Pantalla().hide();
    Pantalla().show();
    EXPECT_EQ(Filas(5).size(), 2);
}

TEST_F(Seguimiento, EachPointsTextIsItsDescriptionCutTo60)
{
    const QString largo = QStringLiteral("1º.- Aprobación del presupuesto de reparación de la cubierta y las bajantes");
    const struct {
        const char* caso;
        QString agenda;
        QStringList filas;
    } casos[] = {
        {"long point", largo, {largo.left(60) + "|0|0|0"}},
        {"line ends inside a point", "1º.- Obras\rde\nla fachada", {"1º.- Obras de la fachada|0|0|0"}},
        {"tenth point", "9º.- Nueve 10º.- Diez", {"9º.- Nueve |0|0|0", "10º.- Diez|0|0|0"}},
        {"no marker", "Sin puntos", {}},
    };
    int codigo = 0;
    for (const auto& k : casos) {
        SCOPED_TRACE(k.caso);
        Convocatoria(++codigo, k.agenda);
        Modulo().CreateFollowUpRows();
        EXPECT_EQ(Filas(codigo), k.filas);
        EXPECT_EQ(Modulo().QDetalle.RecordCount(), k.filas.size());
    }
    EXPECT_EQ(largo.left(60).size(), 60);
}

TEST_F(Seguimiento, DoubleClickSwitchesTheDoneMarkAndTwiceLeavesItAsItWas)
{
    Convocatoria(5, kCuentasObras);
    QTableView* grid = Pantalla().DBGDetalle;
    const QModelIndex celda = grid->model()->index(1, 0);
    auto dobleClic = [&] {
        const QPoint p = grid->visualRect(celda).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, p);
        QApplication::processEvents();
    };
    dobleClic();
    EXPECT_EQ(Filas(5), (QStringList{"1º.- Cuentas  |0|0|0", "2º.- Obras|1|0|0"}));
    EXPECT_EQ(Modulo().QDetalle.FieldByName("TERMINADO")->AsInteger(), 1) << "the row is read again";
    EXPECT_EQ(Modulo().QDetalle.State(), TDataSetState::dsBrowse) << "a double-click edits nothing";
    EXPECT_EQ(grid->model()->index(1, 1).data(TDataSetModel::RolTexto).toString(), "1");
    dobleClic();
    EXPECT_EQ(Filas(5), (QStringList{"1º.- Cuentas  |0|0|0", "2º.- Obras|0|0|0"}));
}

TEST_F(Seguimiento, ATaskOrABudgetIsWrittenThereWithTheNextCodeAndTheRowIsLinkedToIt)
{
    Halvenbook();
    Sql("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (5, 'ANA', '')");
    Convocatoria(5, kCuentasObras);
    TFSeguimiento& p = Pantalla();
    const struct {
        QAction* accion;
        int numero; // the follow-up row
        const char* titulo;
        const char* sql;
        QString esperado;
        const char* fila;
        const char* tipo;
    } casos[] = {
        {p.AcCrearTarea, 2, "Creación tarea en Halvenbook",
         "SELECT CODIGO || '|' || ASUNTO || '|' || COMUNIDAD || '|' || DESTINATARIO || '|' || ATENDIDO || '|' || "
         "TIPO2 || '|' || TIPOLLAMADA || '|' || ESTADO || '|' || LLAMADATIPO || '|' || DURACION || '|' || "
         "IIF(FECHA = FIN, 'igual', 'distinta') FROM RGESTIONES WHERE CODIGO = 42",
         "42|2º.- Obras\r\nQUORUMDESK CODIGO Nº 5|1|5|1|0|0|0|1|00:00:00|igual", "2º.- Obras|0|42|1", "TAREA"},
        {p.AcCrearPresupuesto, 1, "Creación presupuesto en Halvenbook",
         "SELECT CODIGO || '|' || PRESUPUESTO || '|' || OBS || '|' || COMUNIDAD || '|' || SITUACION FROM PRESUPUESTO "
         "WHERE CODIGO = 8",
         "8|1º.- Cuentas  |QUORUMDESK CODIGO Nº 5|1|0", "1º.- Cuentas  |0|8|2", "PRESUPUESTO"},
    };
    for (const auto& k : casos) {
        SCOPED_TRACE(k.titulo);
        ASSERT_TRUE(Modulo().QDetalle.Locate("NUMERO", {k.numero}));
        qdtest::Modales modales;
        modales.Espera([&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), k.titulo);
            EXPECT_TRUE(p.LEstado->isVisible());
            EXPECT_EQ(p.LEstado->text(), "Conectado a Halvenbook");
            // The community is looked up among the program's, named beside its code.
            auto* comunidad = w->findChild<TDBEditFind2000*>("DBEComunidad");
            ASSERT_NE(comunidad, nullptr);
            EXPECT_EQ(comunidad->text(), "1");
            EXPECT_TRUE(comunidad->ExisteValor());
            EXPECT_EQ(w->findChild<TDBText*>("DBEComunidadNombre")->text(), "RESIDENCIAL LOS ALMENDROS");
            if (auto* tarea = qobject_cast<TFTarea*>(w)) {
                EXPECT_EQ(QApplication::focusWidget(), tarea->DBEOrigen);
                EXPECT_EQ(tarea->DBMAsunto->toPlainText().remove('\r'), "2º.- Obras\nQUORUMDESK CODIGO Nº 5");
                EXPECT_EQ(w->findChild<TDBText*>("DBEDestinatarioNombre")->text(), "ADMINISTRADOR");
                EXPECT_EQ(tarea->DBCTipo2->currentText(), "Ha llamado");
                qdtest::Captura("seguimiento-tarea", w);
                // F2 searches the program's users; the one chosen is the addressee.
                modales.Espera([](QWidget* busqueda) {
                    auto* d = qobject_cast<TFIBDBEDITDLG*>(busqueda);
                    ASSERT_NE(d, nullptr);
                    ASSERT_TRUE(d->FIBFind.Locate("CODIGO", {5}));
                    d->BAceptar->click();
                });
                tarea->DBEDestinatario->setFocus();
                QTest::keyClick(tarea->DBEDestinatario, Qt::Key_F2);
                EXPECT_EQ(w->findChild<TDBText*>("DBEDestinatarioNombre")->text(), "ANA");
            } else {
                EXPECT_EQ(QApplication::focusWidget(), qobject_cast<TFPresu*>(w)->DBEPropuesta);
            }
            qdtest::Pulsa(w, "Aceptar");
        });
        k.accion->trigger();
        EXPECT_EQ(SqlHb(k.sql).toString().trimmed(), k.esperado);
        EXPECT_EQ(Filas(5).value(k.numero - 1), k.fila);
        EXPECT_EQ(Celda(k.numero - 1, 3), k.tipo);
        EXPECT_FALSE(p.LEstado->isVisible()) << "the label goes with the connection";
        EXPECT_FALSE(Modulo().DBHalvenbook.Connected());
    }
    ASSERT_TRUE(Modulo().QDetalle.Locate("NUMERO", {1}));
    Modulo().ToggleTaskDone();
    qdtest::Captura("seguimiento", &p);
}

TEST_F(Seguimiento, AConvocationWithoutRowsGetsOneForItsTask)
{
    Halvenbook();
    Convocatoria(5, "Sin puntos");
    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    Modulo().CreateTask();
    EXPECT_EQ(Filas(5), (QStringList{"|0|42|1"}));
    EXPECT_EQ(SqlHb("SELECT ASUNTO FROM RGESTIONES WHERE CODIGO = 42").toString(), "\r\nQUORUMDESK CODIGO Nº 5");
}

TEST_F(Seguimiento, ARecordTheOtherDatabaseRefusesKeepsTheDialogOpenAndTheRowUnlinked)
{
    Halvenbook();
    SqlHb("ALTER TABLE RGESTIONES ADD CONSTRAINT TELEFONO_VALIDO CHECK (TELEFONO <> 'X')");
    Convocatoria(5, kCuentasObras);
    Modulo().CreateFollowUpRows();
    ASSERT_TRUE(Modulo().QDetalle.Locate("NUMERO", {2}));
    qdtest::Modales modales;
    modales.Espera([&](QWidget* w) {
        auto* tarea = qobject_cast<TFTarea*>(w);
        ASSERT_NE(tarea, nullptr);
        tarea->DBETelefono->setFocus();
        qdtest::EscribeEn(tarea->DBETelefono, "X");
        modales.Espera([](QWidget* error) {
            EXPECT_TRUE(qobject_cast<QMessageBox*>(error)->text().contains("TELEFONO_VALIDO"));
            qobject_cast<QMessageBox*>(error)->accept();
        });
        qdtest::Pulsa(w, "Aceptar");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(Modulo().QTarea.State(), TDataSetState::dsInsert);
        EXPECT_EQ(Filas(5).value(1), "2º.- Obras|0|0|0");
        // Meanwhile another program takes the next code: it is drawn again.
        SqlHb("INSERT INTO RGESTIONES (CODIGO, ASUNTO) VALUES (42, 'OTRA MAS')");
        tarea->DBETelefono->clear();
        qdtest::EscribeEn(tarea->DBETelefono, "976");
        qdtest::Pulsa(w, "Aceptar");
    });
    Modulo().CreateTask();
    EXPECT_EQ(SqlHb("SELECT TELEFONO FROM RGESTIONES WHERE CODIGO = 43").toString(), "976");
    EXPECT_EQ(Filas(5).value(1), "2º.- Obras|0|43|1");
}

TEST_F(Seguimiento, ClosingTheDialogWithoutAceptarCreatesNothing)
{
    Halvenbook();
    Convocatoria(5, kCuentasObras);
    Modulo().CreateFollowUpRows();
    for (bool presupuesto : {false, true}) {
        ASSERT_TRUE(Modulo().QDetalle.Locate("NUMERO", {2}));
        qdtest::AlAbrirse([](QWidget* w) {
            // Something typed, then the window closed.
            auto* memo = w->findChildren<QPlainTextEdit*>().value(0);
            memo->setFocus();
            qdtest::EscribeEn(memo, "x");
            w->close();
        });
        presupuesto ? Modulo().CreateBudget() : Modulo().CreateTask();
        EXPECT_EQ(SqlHb("SELECT COUNT(*) FROM RGESTIONES").toInt(), 1);
        EXPECT_EQ(SqlHb("SELECT COUNT(*) FROM PRESUPUESTO").toInt(), 1);
        EXPECT_EQ(Filas(5), (QStringList{"1º.- Cuentas  |0|0|0", "2º.- Obras|0|0|0"}));
        EXPECT_FALSE(Modulo().DBHalvenbook.Connected());
    }
}

TEST_F(Seguimiento, WithoutTheOtherDatabaseItsMessageIsShownAndNothingIsCreated)
{
    Convocatoria(5, kCuentasObras);
    TFSeguimiento& p = Pantalla();
    // What the status label said, in order.
    QStringList estados;
    auto muestra = Modulo().EstadoHalvenbook;
    Modulo().EstadoHalvenbook = [&](const QString& texto) {
        estados << texto;
        muestra(texto);
    };
    const struct {
        const char* ini; // nullptr: no "halvenbook.ini" at all
        const char* titulo;
        const char* mensaje;
        QStringList estados;
    } casos[] = {
        {nullptr, "¡ Atención !", "Camino programa Halvenbook no valido.", {}},
        {"", "¡ Atención !", "Camino programa Halvenbook no valido.", {}},
        {"/no/existe/halvenbook.fdb", "Información", "Imposible abrir base de datos Halvenbook",
         {"Conectando con Halvenbook ...", ""}},
    };
    for (const auto& k : casos) {
        SCOPED_TRACE(k.mensaje);
        if (k.ini)
            TIniFile(FicheroPerfil("halvenbook.ini")).WriteString("Datos", "BaseDeDatos", k.ini);
        qdtest::Modales modales;
        modales.Espera([&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), k.titulo);
            EXPECT_TRUE(qdtest::Textos(w).startsWith(k.mensaje)) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
        });
        estados.clear();
        p.AcCrearTarea->trigger();
        EXPECT_EQ(estados, k.estados);
        EXPECT_FALSE(p.LEstado->isVisible());
        EXPECT_EQ(Filas(5), (QStringList{"1º.- Cuentas  |0|0|0", "2º.- Obras|0|0|0"}));
    }
}

TEST_F(Seguimiento, TheLinkKindGoesFrom0To2AndRowsBelongToASavedConvocation)
{
    Convocatoria(5, kCuentasObras);
    TDMConvoca& m = Modulo();
    m.CreateFollowUpRows();
    m.QDetalle.Edit();
    TField* tipo = m.QDetalle.FieldByName("TIPOGESTION");
    EXPECT_THROW(tipo->SetAsInteger(3), EAviso);
    EXPECT_THROW(tipo->SetAsInteger(-1), EAviso);
    tipo->SetAsInteger(2);
    m.QDetalle.Post();
    EXPECT_EQ(tipo->DisplayText(), "PRESUPUESTO");
    EXPECT_EQ(tipo->Text(), "2") << "typed as a number";
    // A row typed in by hand is numbered after the others.
    m.QDetalle.Insert();
    m.QDetalle.FieldByName("DES")->SetAsString("Llamar al seguro");
    m.QDetalle.Post();
    EXPECT_EQ(Filas(5).value(2), "Llamar al seguro|0|0|0");
    // Under a convocation not saved yet there is nothing to hang rows on.
    m.QTabla.Insert();
    EXPECT_THROW(m.QDetalle.Insert(), EAviso);
    EXPECT_THROW(m.CreateTask(), EAviso);
    m.QTabla.Cancel();
}

} // namespace
