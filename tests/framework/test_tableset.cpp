// The table dataset: statements written from the catalogue, stored
// definitions, the order clause, the re-read and beep when editing begins,
// commit-retaining, the refused delete, master parameters and its errors.
#include "FIBTableDataSet.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

namespace {

int g_beeps = 0;
void CountBeep() { ++g_beeps; }

class TableSetTest : public ::testing::Test {
protected:
    TableSetTest() : path(FreshTableSetDb()), c(path)
    {
        g_beeps = 0;
        SetBeepHook(&CountBeep);
        ds.Name = "QTabla";
        ds.SetDatabase(&c.db);
        ds.SetTransaction(&c.tr);
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
    }
    ~TableSetTest() override { SetBeepHook(nullptr); }
    // Runs a statement in the test's own transaction.
    void Exec(const QString& sql)
    {
        q.SetSQL(sql);
        q.ExecQuery();
    }
    QString path;
    qdtest::Connection c;
    TFIBTableSet ds;
    TFIBQuery q;
};

struct Generated {
    const char* table;
    bool comprobar;
    bool ordenarPorPk;
    QStringList select, insert, update, borrado, refresco, claves;
};

TEST_F(TableSetTest, StatementsAreWrittenFromTheCatalogueLineByLine)
{
    const QStringList bancosClave{"WHERE", "  ENTIDAD=?ENTIDAD "};
    const QStringList ordenClaves{"WHERE", "  NUMERO=?NUMERO AND ", "  CODIGO=?CODIGO AND ", "  COMUNIDAD=?COMUNIDAD "};
    const Generated cases[] = {
        {"SYS_BANCOS", false, false, {"SELECT * FROM SYS_BANCOS"},
         {"INSERT INTO SYS_BANCOS", "  (ENTIDAD,NOMBRE)", "VALUES", "  (?ENTIDAD,?NOMBRE)"},
         QStringList{"UPDATE SYS_BANCOS", "SET", "  NOMBRE=?NOMBRE "} + bancosClave,
         {"DELETE FROM SYS_BANCOS", "WHERE", "  ENTIDAD=?old_ENTIDAD "},
         QStringList{"SELECT", "  *", "FROM SYS_BANCOS"} + bancosClave, {"ENTIDAD"}},
        // Three keys in the order the server gives them; the name upper-cased.
        {"orden", false, true, {"SELECT * FROM ORDEN", " ORDER BY NUMERO, CODIGO, COMUNIDAD"},
         {"INSERT INTO ORDEN", "  (COMUNIDAD,CODIGO,NUMERO,PUNTO,DES)", "VALUES",
          "  (?COMUNIDAD,?CODIGO,?NUMERO,?PUNTO,?DES)"},
         QStringList{"UPDATE ORDEN", "SET", "  PUNTO=?PUNTO ", "  ,DES=?DES "} + ordenClaves,
         {"DELETE FROM ORDEN", "WHERE", "  NUMERO=?old_NUMERO AND ", "  CODIGO=?old_CODIGO AND ",
          "  COMUNIDAD=?old_COMUNIDAD "},
         QStringList{"SELECT", "  *", "FROM ORDEN"} + ordenClaves, {"NUMERO", "CODIGO", "COMUNIDAD"}},
        // The last columns are computed (one of them depends on no column):
        // no trailing comma, never inserted nor updated.
        {"IMPORTES", false, false, {"SELECT * FROM IMPORTES"},
         {"INSERT INTO IMPORTES", "  (CODIGO,BASE,CUOTA)", "VALUES", "  (?CODIGO,?BASE,?CUOTA)"},
         {"UPDATE IMPORTES", "SET", "  BASE=?BASE ", "  ,CUOTA=?CUOTA ", "WHERE", "  CODIGO=?CODIGO "},
         {"DELETE FROM IMPORTES", "WHERE", "  CODIGO=?old_CODIGO "},
         {"SELECT", "  *", "FROM IMPORTES", "WHERE", "  CODIGO=?CODIGO "}, {"CODIGO"}},
        // Nothing but keys and a computed column: nothing to update.
        {"PARES", false, false, {"SELECT * FROM PARES"},
         {"INSERT INTO PARES", "  (A,B)", "VALUES", "  (?A,?B)"}, {},
         {"DELETE FROM PARES", "WHERE", "  A=?old_A AND ", "  B=?old_B "},
         {"SELECT", "  *", "FROM PARES", "WHERE", "  A=?A AND ", "  B=?B "}, {"A", "B"}},
        // Without a usable key: only the select, no ORDER BY even when asked.
        {"NOTAS", false, true, {"SELECT * FROM NOTAS"}, {}, {}, {}, {}, {}},
        {"V_BANCOS", true, true, {"SELECT * FROM V_BANCOS"}, {}, {}, {}, {}, {}},
        {"V_ORDEN_BANCO", true, false, {"SELECT * FROM V_ORDEN_BANCO"}, {}, {}, {}, {}, {}},
    };
    for (const Generated& g : cases) {
        SCOPED_TRACE(g.table);
        TFIBTableSet t;
        t.SetDatabase(&c.db);
        t.SetTransaction(&c.tr);
        t.ComprobarTabla = g.comprobar;
        if (g.ordenarPorPk)
            t.Opciones = {TOpcionesTableSet::OrdenarPorPk};
        t.SetTableName(g.table);
        EXPECT_EQ(t.TableName(), g.table);
        EXPECT_EQ(t.SelectSQL(), g.select);
        EXPECT_EQ(t.SelectSQLOriginal(), g.select);
        EXPECT_EQ(t.InsertSQL(), g.insert);
        EXPECT_EQ(t.UpdateSQL(), g.update);
        EXPECT_EQ(t.DeleteSQL(), g.borrado);
        EXPECT_EQ(t.RefreshSQL(), g.refresco);
        EXPECT_EQ(t.ClavesPrimarias, g.claves);
        t.Open(); // every generated select runs
        EXPECT_TRUE(t.Active());
    }
}

TEST_F(TableSetTest, LockStatementNamesTheTableAsAssignedAndSetsEveryKeyToItself)
{
    ds.SetTableName("orden");
    EXPECT_EQ(ds.SentenciaBloqueo(),
              QStringList({"UPDATE orden SET", "  NUMERO=?NUMERO,", "  CODIGO=?CODIGO,", "  COMUNIDAD=?COMUNIDAD",
                           "WHERE", "  NUMERO=?NUMERO AND", "  CODIGO=?CODIGO AND", "  COMUNIDAD=?COMUNIDAD"}));
    ds.SetTableName("SYS_BANCOS");
    EXPECT_EQ(ds.SentenciaBloqueo(), QStringList({"UPDATE SYS_BANCOS SET", "  ENTIDAD=?ENTIDAD", "WHERE",
                                                  "  ENTIDAD=?ENTIDAD"}));
    // A keyless relation leaves keys and lock statement as they were.
    ds.SetTableName("NOTAS");
    EXPECT_EQ(ds.ClavesPrimarias, QStringList{"ENTIDAD"});
    EXPECT_EQ(ds.SentenciaBloqueo().first(), "UPDATE SYS_BANCOS SET");
}

TEST_F(TableSetTest, AKeylessRelationOnlyReads)
{
    ds.Opciones = {TOpcionesTableSet::OrdenarPorPk};
    ds.SetTableName("NOTAS");
    ds.Open();
    EXPECT_FALSE(ds.CanModify());
    EXPECT_EQ(ErrorOf([&] { ds.Insert(); }), "Cannot insert into dataset. (No insert query).");
    Exec("INSERT INTO NOTAS VALUES ('una')");
    ds.Close();
    ds.Open();
    EXPECT_EQ(ErrorOf([&] { ds.Edit(); }), "Cannot update. (No update query).");
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
}

TEST_F(TableSetTest, GenerationLeavesDatasetTransactionAndConnectionAsItFoundThem)
{
    // Open dataset, active transaction: both stay.
    ds.SetTableName("SYS_BANCOS");
    ds.Open();
    ds.SetTableName("ORDEN");
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.FieldByName("DES")->AsString(), "Cuentas");

    // Disconnected database: connected for the catalogue, disconnected after.
    TFIBDatabase db;
    db.SetDBName(path);
    db.SetDBParams({"user_name=SYSDBA", "password=masterkey"});
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    TFIBTableSet t;
    t.SetDatabase(&db);
    t.SetTransaction(&tr);
    t.SetTableName("SYS_BANCOS");
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(t.DeleteSQL().first(), "DELETE FROM SYS_BANCOS");

    // Connected, transaction inactive: rolled back again.
    db.Open();
    t.SetTableName("ORDEN");
    EXPECT_TRUE(db.Connected());
    EXPECT_FALSE(tr.Active());
    EXPECT_EQ(t.ClavesPrimarias.size(), 3);
}

TEST_F(TableSetTest, FailuresOfTheNameLeaveEverythingAsItWas)
{
    TFIBTableSet suelto;
    EXPECT_EQ(ErrorOf([&] { suelto.SetTableName("SYS_BANCOS"); }),
              "La base de datos o la transacción no han sido asignadas");
    EXPECT_EQ(ErrorOf([&] { suelto.EstablecerOrden("NOMBRE"); }),
              "La base de datos o la transacción no han sido asignadas");
    EXPECT_TRUE(suelto.TableName().isEmpty());

    ds.SetTableName("SYS_BANCOS");
    ds.Open();
    c.tr.Commit(); // closes the dataset too
    ds.ComprobarTabla = true;
    try {
        ds.SetTableName("NO_EXISTE");
        FAIL() << "no error";
    } catch (const EFIBTableError& e) {
        EXPECT_EQ(e.Message(), "La tabla introducida no exista en la base de datos");
    }
    EXPECT_EQ(ds.TableName(), "SYS_BANCOS");
    EXPECT_FALSE(ds.Active());
    EXPECT_FALSE(c.tr.Active());
    EXPECT_EQ(ds.SelectSQL(), QStringList{"SELECT * FROM SYS_BANCOS"});
    EXPECT_EQ(ds.DeleteSQL().size(), 3);
    EXPECT_EQ(ds.ClavesPrimarias, QStringList{"ENTIDAD"});
}

TEST_F(TableSetTest, SameNameDoesNothingEmptyNameClearsAndRegenerarRewrites)
{
    const QStringList handSelect{"SELECT * FROM SYS_BANCOS", "WHERE ENTIDAD > ?DESDE", "ORDER BY NOMBRE"};
    ds.LoadDefinition({.Name = "QTabla",
                       .TableName = "SYS_BANCOS",
                       .SelectSQL = handSelect,
                       .UpdateSQL = {"UPDATE SYS_BANCOS", "SET", "  NOMBRE=?NOMBRE ", "WHERE", "  ENTIDAD=?ENTIDAD "},
                       .RefreshSQL = {"SELECT", "  *", "FROM SYS_BANCOS", "WHERE", "  ENTIDAD=?ENTIDAD "}});
    ds.SetTableName("SYS_BANCOS");
    EXPECT_EQ(ds.SelectSQL(), handSelect); // the stored statements stand
    EXPECT_TRUE(ds.InsertSQL().isEmpty());

    // A column added since: Regenerar writes everything afresh and reads false.
    {
        TFIBTransaction ddl;
        ddl.SetDefaultDatabase(&c.db);
        ddl.StartTransaction();
        c.db.ExecuteImmediate("ALTER TABLE SYS_BANCOS ADD SWIFT VARCHAR(11)", ddl);
        ddl.Commit();
    }
    ds.ParamByName("DESDE")->SetAsString("0");
    ds.Open();
    ds.SetRegenerar(true);
    EXPECT_FALSE(ds.Regenerar());
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.SelectSQL(), QStringList{"SELECT * FROM SYS_BANCOS"});
    EXPECT_EQ(ds.InsertSQL().at(1), "  (ENTIDAD,NOMBRE,SWIFT)");
    EXPECT_EQ(ds.UpdateSQL(),
              QStringList({"UPDATE SYS_BANCOS", "SET", "  NOMBRE=?NOMBRE ", "  ,SWIFT=?SWIFT ", "WHERE",
                           "  ENTIDAD=?ENTIDAD "}));

    ds.SetTableName("");
    EXPECT_FALSE(ds.Active());
    EXPECT_TRUE(ds.TableName().isEmpty());
    for (const QStringList* s : {&ds.SelectSQL(), &ds.InsertSQL(), &ds.UpdateSQL(), &ds.DeleteSQL(), &ds.RefreshSQL()})
        EXPECT_TRUE(s->isEmpty());
    ds.SetRegenerar(true); // no name: nothing to do
    EXPECT_TRUE(ds.SelectSQL().isEmpty());
}

TEST_F(TableSetTest, LoadingADefinitionTakesTheKeysFromTheRefreshStatement)
{
    struct Case {
        QStringList refresco;
        QStringList claves;
    } cases[] = {
        {{"SELECT", "  *", "FROM SYS_BANCOS", "WHERE", "  ENTIDAD=?ENTIDAD "}, {"ENTIDAD"}},
        {{"SELECT * FROM SYS_IDIOMAS WHERE CODIGO=?old_CODIGO"}, {"CODIGO"}},
        {{"SELECT", "  *", "FROM ORDEN", "WHERE", "  NUMERO=?NUMERO AND ", "  CODIGO=?CODIGO AND ",
          "  COMUNIDAD=?NEW_COMUNIDAD "},
         {"NUMERO", "CODIGO", "COMUNIDAD"}},
        // A name that only contains "old_" is a column of its own.
        {{"SELECT * FROM T WHERE GOLD_ID=?GOLD_ID,\"?NO\""}, {"GOLD_ID"}},
        {{}, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.refresco.join(' ').toStdString());
        TFIBTableSet t;
        t.AutoSQLdeVistas = true;
        t.LoadDefinition({.TableName = "Tabla", .SelectSQL = {"SELECT * FROM X"}, .RefreshSQL = k.refresco});
        EXPECT_EQ(t.ClavesPrimarias, k.claves);
        EXPECT_FALSE(t.AutoSQLdeVistas);
        EXPECT_EQ(t.SelectSQLOriginal(), QStringList{"SELECT * FROM X"});
        EXPECT_EQ(t.SentenciaBloqueo().isEmpty(), k.claves.isEmpty());
        if (!k.claves.isEmpty()) {
            EXPECT_EQ(t.SentenciaBloqueo().first(), "UPDATE Tabla SET");
        }
    }
}

TEST_F(TableSetTest, EstablecerOrdenReplacesTheOrderAndKeepsParameterValues)
{
    const QStringList base{"SELECT * FROM ORDEN", "WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO"};
    ds.LoadDefinition({.TableName = "ORDEN",
                       .SelectSQL = base + QStringList{"ORDER BY PUNTO"},
                       .Opciones = {TOpcionesTableSet::DesactivarControlesAlOrdenar}});
    ds.ParamByName("COMUNIDAD")->SetAsInteger(1);
    ds.ParamByName("CODIGO")->SetAsInteger(2);
    ds.Open();
    EXPECT_EQ(ds.FieldByName("DES")->AsString(), "Ascensor");
    bool disabledWhileReopening = false;
    ds.AfterOpen = [&](TFIBDataSet& d) { disabledWhileReopening = d.ControlsDisabled(); };

    ds.EstablecerOrden("DES DESC");
    EXPECT_EQ(ds.SelectSQL(), base + QStringList{"ORDER BY DES DESC"});
    EXPECT_TRUE(ds.Active());
    EXPECT_TRUE(disabledWhileReopening);
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.FieldByName("DES")->AsString(), "Fachada");

    ds.EstablecerOrden("");
    EXPECT_EQ(ds.SelectSQL(), base);
    EXPECT_EQ(ds.RecordCount(), 3); // the WHERE values survived

    ds.Close();
    ds.SetSelectSQL({"SELECT * FROM ORDEN order by PUNTO, NUMERO"});
    ds.EstablecerOrden("NUMERO");
    EXPECT_EQ(ds.SelectSQL(), QStringList({"SELECT * FROM ORDEN ", "ORDER BY NUMERO"}));
    EXPECT_FALSE(ds.Active());
}

TEST_F(TableSetTest, EditingRereadsTheRowAndBeepsOnlyWhenAnotherSeatChangedIt)
{
    qdtest::Connection other(path);
    TFIBQuery q2;
    q2.SetDatabase(&other.db);
    q2.SetTransaction(&other.tr);
    auto otherSeat = [&](const QString& sql) {
        q2.SetSQL(sql);
        q2.ExecQuery();
        other.tr.CommitRetaining();
    };
    ds.Opciones = {TOpcionesTableSet::NoControlarConcurrencia};
    ds.SetTableName("SYS_BANCOS");
    ds.Open();
    ASSERT_TRUE(ds.Locate("ENTIDAD", {"2100"}));

    ds.Edit(); // unchanged: silent
    EXPECT_EQ(g_beeps, 0);
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    ds.Cancel();

    otherSeat("UPDATE SYS_BANCOS SET NOMBRE = 'CaixaBank' WHERE ENTIDAD = '2100'");
    EXPECT_EQ(ds.FieldByName("NOMBRE")->AsString(), "Caixa");
    ds.Edit();
    EXPECT_EQ(g_beeps, 1);
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    EXPECT_EQ(ds.FieldByName("NOMBRE")->AsString(), "CaixaBank");
    EXPECT_EQ(ds.FieldByName("NOMBRE")->OldValue().AsString(), "CaixaBank");
    ds.Cancel();

    // A field left out of the comparison does not beep, and the row shows the
    // server's value, so a post never writes the stale one back.
    ds.CamposNoComparables = {"NOMBRE"};
    otherSeat("UPDATE SYS_BANCOS SET NOMBRE = 'La Caixa' WHERE ENTIDAD = '2100'");
    ds.Edit();
    EXPECT_EQ(g_beeps, 1);
    EXPECT_EQ(ds.FieldByName("NOMBRE")->AsString(), "La Caixa");
    ds.Cancel();

    // A row another seat deleted cannot be edited and leaves the list.
    otherSeat("DELETE FROM SYS_BANCOS WHERE ENTIDAD = '2100'");
    EXPECT_EQ(ErrorOf([&] { ds.Edit(); }), "El registro ya no existe: otro usuario lo ha borrado.");
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(TableSetTest, ChangesAreCommittedRetainingUnlessConcurrencyIsNotControlled)
{
    qdtest::Connection other(path);
    TFIBQuery q2;
    q2.SetDatabase(&other.db);
    q2.SetTransaction(&other.tr);
    auto seen = [&] {
        q2.SetSQL("SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD = '2100'");
        q2.ExecQuery();
        const QString s = q2.Eof() ? QStringLiteral("<none>") : q2.Fields(0)->AsString();
        q2.Close();
        return s;
    };
    ds.SetTableName("SYS_BANCOS");
    ds.Open();
    ASSERT_TRUE(ds.Locate("ENTIDAD", {"2100"}));

    ds.Opciones = {TOpcionesTableSet::NoControlarConcurrencia};
    ds.Edit();
    ds.FieldByName("NOMBRE")->SetAsString("Sin confirmar");
    ds.Post();
    EXPECT_EQ(seen(), "Caixa"); // the data module commits when it wants to
    c.tr.CommitRetaining();
    EXPECT_EQ(seen(), "Sin confirmar");

    ds.Opciones = {};
    ds.Edit();
    ds.FieldByName("NOMBRE")->SetAsString("Confirmado");
    ds.Post();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(seen(), "Confirmado");
    ds.Delete();
    EXPECT_EQ(seen(), "<none>");
}

TEST_F(TableSetTest, DeletingIsRefusedWhenInhibited)
{
    ds.SetTableName("SYS_BANCOS");
    ds.AccionesInhibidas = {TAccionesInhibidas::Borrar};
    ds.Open();
    try {
        ds.Delete();
        FAIL() << "deleted";
    } catch (const EFIBTableError&) {
        FAIL() << "the refusal is a plain error";
    } catch (const EFIBError& e) {
        EXPECT_EQ(e.Message(), "No se puede borrar el registro seleccionado.");
    }
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    ds.AccionesInhibidas = {TAccionesInhibidas::Insertar, TAccionesInhibidas::Modificar}; // not enforced
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST_F(TableSetTest, NullMasterValuesArePassedAsEmptyTextZeroAndTheZeroDate)
{
    TFIBDataSet maestro;
    maestro.SetDatabase(&c.db);
    maestro.SetTransaction(&c.tr);
    maestro.SetSelectSQL({"SELECT * FROM MAESTRO ORDER BY ID"});
    TDataSource fuente(&maestro);
    ds.SetSelectSQL({"SELECT CAST(?TEXTO AS VARCHAR(10)) T, CAST(?N AS INTEGER) N, CAST(?F AS DATE) F,",
                     "       CAST(?X AS DOUBLE PRECISION) X, CAST(?OTRO AS INTEGER) O FROM RDB$DATABASE"});
    ds.SetDataSource(&fuente);
    maestro.Open();
    ds.Open();
    for (const char* f : {"T", "N", "F", "X"})
        EXPECT_FALSE(ds.FieldByName(f)->IsNull()) << f;
    EXPECT_EQ(ds.FieldByName("T")->AsString(), "");
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 0);
    EXPECT_EQ(ds.FieldByName("F")->AsDateTime(), ZeroDateTime());
    EXPECT_EQ(ds.FieldByName("X")->AsFloat(), 0.0);
    EXPECT_TRUE(ds.FieldByName("O")->IsNull()); // names no master field

    maestro.Next();
    EXPECT_EQ(ds.FieldByName("T")->AsString(), "b");
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 5);
    EXPECT_EQ(ds.FieldByName("F")->AsDateTime().date(), QDate(2024, 3, 1));
    EXPECT_EQ(ds.FieldByName("X")->AsFloat(), 2.5);
}

TEST_F(TableSetTest, ARowNumberedByTheDatabaseIsReadBackByTheCodeItWasGiven)
{
    ds.SetTableName("NUMERADA");
    ds.Open();
    ds.Insert();
    ds.FieldByName("CODIGO")->SetAsInteger(0);
    ds.FieldByName("NOMBRE")->SetAsString("Nueva");
    ds.Post();
    const qint64 codigo = ds.FieldByName("CODIGO")->AsInteger();
    EXPECT_GT(codigo, 0); // the trigger's code, not the 0 it was posted with
    // The row behaves as the database's own: it can be edited and deleted.
    ds.Edit();
    ds.FieldByName("NOMBRE")->SetAsString("Cambiada");
    ds.Post();
    q.SetSQL("SELECT NOMBRE FROM NUMERADA WHERE CODIGO = ?C");
    q.ParamByName("C")->SetAsInteger(codigo);
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsString(), "Cambiada");
    q.Close();
    ds.Delete();
    q.ExecQuery();
    EXPECT_TRUE(q.Eof());
    q.Close();
}

TEST_F(TableSetTest, ARowThatCannotBeReadBackAfterPostingIsReported)
{
    // A refresh statement that cannot find the row posted: the post is made,
    // and the user is told it could not be read again.
    ds.LoadDefinition({.TableName = "SYS_BANCOS",
                       .SelectSQL = {"SELECT * FROM SYS_BANCOS"},
                       .InsertSQL = {"INSERT INTO SYS_BANCOS (ENTIDAD, NOMBRE) VALUES (?ENTIDAD, ?NOMBRE)"},
                       .RefreshSQL = {"SELECT * FROM SYS_BANCOS WHERE ENTIDAD = ?ENTIDAD AND 1 = 0"}});
    ds.Open();
    ds.Insert();
    ds.FieldByName("ENTIDAD")->SetAsString("9999");
    const QString error = ErrorOf([&] { ds.Post(); });
    EXPECT_TRUE(error.contains("no se ha podido volver a leer")) << error.toStdString();
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
}

TEST_F(TableSetTest, ATriggersRefusalReachesTheUserAsItsOwnMessage)
{
    ds.SetTableName("NUMERADA");
    ds.Open();
    struct Caso {
        int codigo;
        const char* mensaje;
    } casos[] = {{100, "Este registro no se puede borrar"}, {101, "Mensaje propio del disparador"}};
    for (const Caso& k : casos) {
        ASSERT_TRUE(ds.Locate("CODIGO", {k.codigo}));
        EXPECT_EQ(ErrorOf([&] { ds.Delete(); }), QString::fromUtf8(k.mensaje));
    }
}

TEST_F(TableSetTest, ACommitThatFailsLeavesTheDatasetsOpen)
{
    ds.SetTableName("SYS_BANCOS");
    ds.Open();
    ds.Next();
    Exec("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', 'FALLA', '1') FROM RDB$DATABASE");
    q.Close();
    EXPECT_EQ(ErrorOf([&] { c.tr.Commit(); }), "La confirmación falla");
    EXPECT_TRUE(c.tr.Active());
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.RecNo(), 2);
    Exec("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', 'FALLA', NULL) FROM RDB$DATABASE");
    q.Close();
    c.tr.Commit();
    EXPECT_FALSE(ds.Active()); // a commit that is made ends the datasets' cursors
}

TEST_F(TableSetTest, ADefinitionWhoseSelectLacksAKeyIsRefusedOnOpening)
{
    ds.LoadDefinition({.Name = "QSinClave",
                       .TableName = "SYS_BANCOS",
                       .SelectSQL = {"SELECT NOMBRE FROM SYS_BANCOS"},
                       .UpdateSQL = {"UPDATE SYS_BANCOS SET NOMBRE=?NOMBRE WHERE ENTIDAD=?ENTIDAD"},
                       .RefreshSQL = {"SELECT * FROM SYS_BANCOS WHERE ENTIDAD=?ENTIDAD"}});
    const QString error = ErrorOf([&] { ds.Open(); });
    EXPECT_TRUE(error.contains("QSinClave") && error.contains("ENTIDAD")) << error.toStdString();
    EXPECT_FALSE(ds.Active());
}

TEST(THYTransactionTest, ADeclaredActiveTransactionStartsOnlyOnAConnectedDatabase)
{
    const QString path = FreshTableSetDb();
    THYDataBase db;
    db.SetDBName(path);
    db.SetDBParams({"user_name=SYSDBA", "password=masterkey"});
    THYTransaction tr;
    tr.LoadDefinition(&db, {.Active = true});
    EXPECT_FALSE(tr.Active());
    EXPECT_EQ(tr.TRParams(), QStringList({"read_committed", "rec_version", "nowait"}));
    EXPECT_EQ(tr.TimeoutAction, TTimeoutAction::TARollback);
    db.Open();
    THYTransaction otra;
    otra.LoadDefinition(&db, {.Active = true});
    EXPECT_TRUE(otra.Active());
    THYTransaction inactiva;
    inactiva.LoadDefinition(&db);
    EXPECT_FALSE(inactiva.Active());
}

} // namespace
