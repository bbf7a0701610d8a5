// The buffered dataset: null and empty rules, posting with old and new values,
// read-back, refusals, master and detail, fetching on demand, events and links.
#include "DataAccessSchema.h"
#include "FIBDataSet.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

namespace {

class DataSetTest : public ::testing::Test {
protected:
    DataSetTest() : c(FreshDataAccessDb())
    {
        for (TFIBDataSet* ds : {&piezas, &lineas}) {
            ds->SetDatabase(&c.db);
            ds->SetTransaction(&c.tr);
        }
        piezas.Name = "QPiezas";
        piezas.SetSelectSQL({"SELECT * FROM PIEZAS", "ORDER BY CODIGO"});
        piezas.SetInsertSQL({"INSERT INTO PIEZAS", "  (CODIGO,NOMBRE,CANTIDAD,PRECIO,FECHA,DOC,SELLO)", "VALUES",
                             "  (?CODIGO,?NOMBRE,?CANTIDAD,?PRECIO,?FECHA,?DOC,?SELLO)"});
        piezas.SetUpdateSQL({"UPDATE PIEZAS", "SET", "  CODIGO=?CODIGO ", "  ,NOMBRE=?NOMBRE ",
                             "  ,CANTIDAD=?CANTIDAD ", "  ,PRECIO=?PRECIO ", "  ,FECHA=?FECHA ", "  ,DOC=?DOC ",
                             "WHERE", "  CODIGO=?old_CODIGO "});
        piezas.SetDeleteSQL({"DELETE FROM PIEZAS", "WHERE", "  CODIGO=?old_CODIGO "});
        piezas.SetRefreshSQL({"SELECT", "  *", "FROM PIEZAS", "WHERE", "  CODIGO=?CODIGO "});
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
    }
    // What the table holds, seen through a separate statement.
    QString Stored(const QString& column, int codigo, bool* isNull = nullptr)
    {
        q.SetSQL("SELECT " + column + " FROM PIEZAS WHERE CODIGO = ?C");
        q.ParamByName("C")->SetAsInteger(codigo);
        q.ExecQuery();
        if (q.Eof())
            return "<no row>";
        if (isNull)
            *isNull = q.Fields(0)->IsNull();
        return q.Fields(0)->AsString();
    }
    qdtest::Connection c;
    TFIBDataSet piezas, lineas;
    TFIBQuery q;
};

TEST_F(DataSetTest, ClearedTextIsStoredEmptyNullNumberAsZeroNullDateAsNull)
{
    piezas.Open();
    piezas.Insert();
    piezas.FieldByName("CODIGO")->SetAsInteger(7);
    piezas.FieldByName("NOMBRE")->SetAsString("algo");
    piezas.FieldByName("NOMBRE")->SetAsString(""); // an empty text makes the field null
    EXPECT_TRUE(piezas.FieldByName("NOMBRE")->IsNull());
    piezas.FieldByName("FECHA")->Clear();
    piezas.Post();
    bool null = true;
    EXPECT_EQ(Stored("NOMBRE", 7, &null), "");
    EXPECT_FALSE(null);
    EXPECT_EQ(Stored("CANTIDAD", 7, &null), "0");
    EXPECT_FALSE(null);
    EXPECT_EQ(Stored("PRECIO", 7, &null), "0");
    EXPECT_FALSE(null);
    Stored("FECHA", 7, &null);
    EXPECT_TRUE(null);
    Stored("DOC", 7, &null);
    EXPECT_TRUE(null);
}

TEST_F(DataSetTest, BlanksToNullAndTextCutToTheColumnLength)
{
    piezas.Open();
    piezas.Edit();
    TField* nombre = piezas.FieldByName("NOMBRE");
    EXPECT_EQ(nombre->Size(), 20);
    nombre->SetAsString("   ");
    EXPECT_TRUE(nombre->IsNull());
    static_cast<TFIBStringField*>(nombre)->BlanksToNULL = false;
    nombre->SetAsString("   ");
    EXPECT_EQ(nombre->AsString(), "   ");
    nombre->SetAsString(QString(25, QChar(0xF1))); // 25 × "ñ" into 20 characters
    EXPECT_EQ(nombre->AsString(), QString(20, QChar(0xF1)));
    piezas.Post();
    EXPECT_EQ(Stored("NOMBRE", 1), QString(20, QChar(0xF1)));
}

TEST_F(DataSetTest, UpdateFindsTheRowByItsOldKeyAndTriggerValuesAppearAfterPost)
{
    piezas.Open();
    ASSERT_TRUE(piezas.Locate("CODIGO", {2}));
    piezas.Edit();
    piezas.FieldByName("CODIGO")->SetAsInteger(20);
    EXPECT_EQ(piezas.FieldByName("CODIGO")->OldValue().i, 2);
    piezas.Post();
    EXPECT_EQ(Stored("NOMBRE", 20), "Dos");
    EXPECT_EQ(Stored("NOMBRE", 2), "<no row>");

    piezas.Append();
    piezas.FieldByName("CODIGO")->SetAsInteger(8);
    piezas.Post(); // SELLO is filled by the trigger and read back at once
    EXPECT_EQ(piezas.FieldByName("SELLO")->AsString(), "T8");
    EXPECT_EQ(piezas.State(), TDataSetState::dsBrowse);

    piezas.Delete(); // the delete statement's old_ value is the row's own
    EXPECT_EQ(Stored("CODIGO", 8), "<no row>");
    EXPECT_EQ(piezas.RecordCount(), 3);
}

TEST_F(DataSetTest, LibraryRefusalsUseTheirEnglishMessages)
{
    TFIBDataSet ds;
    ds.SetDatabase(&c.db);
    ds.SetTransaction(&c.tr);
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const EFIBError& e) {
            return e.Message();
        }
        return QString("<no error>");
    };
    EXPECT_EQ(message([&] { ds.Open(); }), "Empty query.");
    EXPECT_FALSE(ds.Active());
    ds.SetSelectSQL({"SELECT * FROM SYS_BANCOS"});
    ds.Open();
    EXPECT_FALSE(ds.CanModify());
    EXPECT_EQ(message([&] { ds.Insert(); }), "Cannot insert into dataset. (No insert query).");
    EXPECT_EQ(message([&] { ds.Edit(); }), "Cannot update. (No update query).");
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    EXPECT_THROW(ds.SetSelectSQL({"SELECT 1 FROM RDB$DATABASE"}), EFIBError); // only while closed
}

TEST_F(DataSetTest, FailedPostKeepsTheRecordInInsertStateAndCanBeCorrected)
{
    piezas.Open();
    piezas.Insert();
    piezas.FieldByName("CODIGO")->SetAsInteger(1); // taken
    piezas.FieldByName("NOMBRE")->SetAsString("Nueva");
    EXPECT_THROW(piezas.Post(), EFIBError);
    EXPECT_EQ(piezas.State(), TDataSetState::dsInsert);
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "Nueva");
    piezas.FieldByName("CODIGO")->SetAsInteger(4);
    piezas.Post();
    EXPECT_EQ(Stored("NOMBRE", 4), "Nueva");
    EXPECT_EQ(piezas.RecordCount(), 4);
}

TEST_F(DataSetTest, PostErrorHandlerCanAbortSilently)
{
    int calls = 0;
    piezas.OnPostError = [&](TFIBDataSet&, const EFIBError& e, TDataAction& action) {
        ++calls;
        EXPECT_TRUE(e.Message().contains("PRIMARY or UNIQUE KEY"));
        action = TDataAction::daAbort;
    };
    piezas.Open();
    piezas.Insert();
    piezas.FieldByName("CODIGO")->SetAsInteger(1);
    EXPECT_THROW(piezas.Post(), EAbort);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(piezas.State(), TDataSetState::dsInsert);
    piezas.Cancel();
    EXPECT_EQ(piezas.RecordCount(), 3);
}

TEST_F(DataSetTest, CancelRestoresAndRefreshRereadsOnlyTheCurrentRow)
{
    piezas.Open();
    piezas.Edit();
    piezas.FieldByName("NOMBRE")->SetAsString("cambiado");
    piezas.Cancel();
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "Uno");

    q.SetSQL("UPDATE PIEZAS SET NOMBRE = NOMBRE || '!'");
    q.ExecQuery();
    piezas.Refresh();
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "Uno!");
    piezas.Next();
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "Dos"); // the cache keeps the rest

    q.SetSQL("DELETE FROM PIEZAS WHERE CODIGO = 2");
    q.ExecQuery();
    piezas.Refresh(); // the row is gone: it leaves the cache
    EXPECT_EQ(piezas.RecordCount(), 2);
}

TEST_F(DataSetTest, DetailFollowsItsMaster)
{
    TDataSource master(&piezas);
    lineas.SetSelectSQL({"SELECT * FROM LINEAS WHERE PIEZA = ?CODIGO ORDER BY LINEA"});
    lineas.SetDataSource(&master);
    piezas.Open();
    lineas.Open();
    EXPECT_EQ(lineas.RecordCount(), 2);
    piezas.Next();
    EXPECT_EQ(lineas.RecordCount(), 1);
    EXPECT_EQ(lineas.FieldByName("TEXTO")->AsString(), "c");
    piezas.Next();
    EXPECT_TRUE(lineas.IsEmpty());
    piezas.Close();
    EXPECT_FALSE(lineas.Active());
    piezas.Open();
    EXPECT_TRUE(lineas.Active());
    EXPECT_EQ(lineas.RecordCount(), 2);
}

TEST_F(DataSetTest, ADetailRowBeingTypedOutlivesItsMastersReReadAndAReconnect)
{
    TDataSource master(&piezas);
    lineas.SetSelectSQL({"SELECT * FROM LINEAS WHERE PIEZA = ?CODIGO ORDER BY LINEA"});
    lineas.SetUpdateSQL({"UPDATE LINEAS SET TEXTO=?TEXTO WHERE PIEZA=?old_PIEZA AND LINEA=?old_LINEA"});
    lineas.SetRefreshSQL({"SELECT * FROM LINEAS WHERE PIEZA=?PIEZA AND LINEA=?LINEA"});
    lineas.SetDataSource(&master);
    lineas.BufferChunks = 1; // one row fetched; the other waits on the cursor
    piezas.Open();
    lineas.Open();
    lineas.Edit();
    lineas.FieldByName("TEXTO")->SetAsString("tecleado");
    // The master's row read again for a column of its own.
    EXPECT_TRUE(piezas.RefreshKeepingDetails());
    EXPECT_EQ(lineas.State(), TDataSetState::dsEdit);
    EXPECT_EQ(lineas.FieldByName("TEXTO")->AsString(), "tecleado");

    // The server ends the attachment; after the reconnect the master,
    // browsing, is read again and the detail is still being typed.
    q.SetSQL("SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
    q.ExecQuery();
    const qint64 conexion = q.Fields(0)->AsInteger();
    q.Close();
    {
        qdtest::Connection otra(c.db.DBName());
        otra.db.ExecuteImmediate(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = %1").arg(conexion),
                                 otra.tr);
        otra.tr.Commit();
    }
    c.db.Reconnect();
    EXPECT_EQ(lineas.State(), TDataSetState::dsEdit);
    EXPECT_EQ(lineas.FieldByName("TEXTO")->AsString(), "tecleado");
    EXPECT_EQ(piezas.RecordCount(), 3);
    lineas.Post();
    q.SetSQL("SELECT TEXTO FROM LINEAS WHERE PIEZA = 1 AND LINEA = 1");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsString(), "tecleado");
    q.Close();
    // Once saved, the rows are read again: those not fetched before come too.
    lineas.Last();
    EXPECT_EQ(lineas.RecordCount(), 2);
    EXPECT_EQ(lineas.FieldByName("TEXTO")->AsString(), "b");
}

TEST_F(DataSetTest, RowsAreFetchedOnDemandInChunks)
{
    TFIBDataSet ds;
    ds.SetDatabase(&c.db);
    ds.SetTransaction(&c.tr);
    ds.SetSelectSQL({"SELECT * FROM NUMEROS ORDER BY N"});
    ds.BufferChunks = 32;
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 32);
    EXPECT_FALSE(ds.AllFetched());
    for (int i = 0; i < 32; ++i)
        ds.Next();
    EXPECT_EQ(ds.RecordCount(), 64);
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 33);
    ASSERT_TRUE(ds.Locate("TEXTO", {"FILA; NÚMERO 500"}, loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 500);
    EXPECT_LT(ds.RecordCount(), 1000);
    ds.Last();
    EXPECT_EQ(ds.RecordCount(), 1000);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 1000);
    {
        TFIBDataSet::TRowScope row(ds, 9);
        EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 10);
    }
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 1000);
}

TEST_F(DataSetTest, CommitClosesDatasetsAndCommitRetainingKeepsThemPositioned)
{
    piezas.Open();
    piezas.Next();
    c.tr.CommitRetaining();
    EXPECT_TRUE(piezas.Active());
    EXPECT_EQ(piezas.FieldByName("CODIGO")->AsInteger(), 2);
    c.tr.Rollback();
    EXPECT_FALSE(piezas.Active());
    piezas.Open();
    EXPECT_TRUE(c.tr.Active());
    c.tr.Commit();
    EXPECT_FALSE(piezas.Active());
}

TEST_F(DataSetTest, BlobsAreStoredByteForByteAndUnchangedBlobsSurviveAnUpdate)
{
    QByteArray doc;
    for (int i = 0; i < 70000; ++i)
        doc.append(static_cast<char>((i * 7) % 256));
    piezas.Open();
    piezas.Edit();
    piezas.FieldByName("DOC")->SetAsBytes(doc);
    piezas.Post();
    piezas.Edit();
    piezas.FieldByName("NOMBRE")->SetAsString("otro nombre");
    piezas.Post();
    piezas.Close();
    piezas.Open();
    EXPECT_EQ(piezas.FieldByName("DOC")->AsBytes(), doc);
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "otro nombre");
}

TEST_F(DataSetTest, EventsRunInOrderAndFieldEventsCanRefuseAValue)
{
    QStringList log;
    auto note = [&](const char* name) { return [&log, name](TFIBDataSet&) { log << name; }; };
    piezas.BeforeEdit = note("BeforeEdit");
    piezas.AfterEdit = note("AfterEdit");
    piezas.BeforePost = note("BeforePost");
    piezas.AfterPost = note("AfterPost");
    piezas.BeforeInsert = note("BeforeInsert");
    piezas.OnNewRecord = [&](TFIBDataSet& ds) {
        log << "OnNewRecord";
        ds.FieldByName("CANTIDAD")->SetAsInteger(5); // defaults set here leave the record unmodified
    };
    piezas.AfterInsert = note("AfterInsert");
    piezas.BeforeDelete = note("BeforeDelete");
    piezas.AfterDelete = note("AfterDelete");
    auto* cantidad = piezas.AddField<TIntegerField>("CANTIDAD");
    cantidad->SetDisplayLabel("Cantidad");
    cantidad->OnValidate = [](TField& f) {
        if (f.AsInteger() < 0)
            throw EFIBError("La cantidad no puede ser negativa");
    };
    int changes = 0;
    cantidad->OnChange = [&](TField&) { ++changes; };
    piezas.Open();
    EXPECT_EQ(piezas.FieldByName("CANTIDAD"), cantidad);
    piezas.Edit();
    EXPECT_THROW(cantidad->SetAsInteger(-1), EFIBError);
    EXPECT_EQ(cantidad->AsInteger(), 10);
    cantidad->SetAsInteger(11);
    piezas.Post();
    piezas.Insert();
    EXPECT_FALSE(piezas.Modified());
    EXPECT_EQ(cantidad->AsInteger(), 5);
    piezas.Cancel();
    piezas.Delete();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(log, QStringList({"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeInsert", "OnNewRecord",
                                "AfterInsert", "BeforeDelete", "AfterDelete"}));
}

TEST_F(DataSetTest, DeclaredFieldsMustMatchTheirColumns)
{
    piezas.AddField<TIntegerField>("NO_SUCH_COLUMN");
    EXPECT_THROW(piezas.Open(), EFIBError);
    EXPECT_FALSE(piezas.Active());
    TFIBDataSet other;
    other.SetDatabase(&c.db);
    other.SetTransaction(&c.tr);
    other.SetSelectSQL({"SELECT * FROM PIEZAS"});
    other.AddField<TDateTimeField>("NOMBRE");
    EXPECT_THROW(other.Open(), EFIBError);
}

class CountingLink : public TDataLink {
public:
    int changes = 0, states = 0, records = 0;

protected:
    void DataSetChanged() override { ++changes; }
    void EditingChanged() override { ++states; }
    void RecordChanged(TField*) override { ++records; }
};

TEST_F(DataSetTest, LinksHearChangesUnlessControlsAreDisabled)
{
    TDataSource ds(&piezas);
    CountingLink link;
    link.SetDataSource(&ds);
    piezas.Open();
    piezas.Next();
    EXPECT_EQ(link.changes, 1);
    piezas.Edit();
    piezas.FieldByName("NOMBRE")->SetAsString("x");
    EXPECT_EQ(link.states, 1);
    EXPECT_EQ(link.records, 1);
    piezas.Cancel();
    link.changes = 0;
    piezas.DisableControls();
    piezas.First();
    piezas.Next();
    piezas.Next();
    EXPECT_EQ(link.changes, 0);
    piezas.EnableControls();
    EXPECT_EQ(link.changes, 1);
}

TEST_F(DataSetTest, CalculatedFieldsAreMadeByOnCalcFields)
{
    auto* total = piezas.AddField<TFloatField>("TOTAL");
    total->Calculated = true;
    total->CalcType = TFieldType::ftFloat;
    piezas.OnCalcFields = [](TFIBDataSet& ds) {
        ds.FieldByName("TOTAL")->SetAsFloat(ds.FieldByName("CANTIDAD")->AsInteger() * 1.5);
    };
    piezas.Open();
    EXPECT_DOUBLE_EQ(total->AsFloat(), 15.0);
    piezas.Next();
    EXPECT_DOUBLE_EQ(total->AsFloat(), 30.0);
    piezas.Edit();
    piezas.FieldByName("CANTIDAD")->SetAsInteger(2);
    EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
    EXPECT_THROW(total->SetAsFloat(1), EFIBError);
}

// Text and whole numbers are read straight from the cached row: every reader
// gives what the field's value gives, for every type, null or not, in browse
// and edit state and for another row read through a row scope.
TEST_F(DataSetTest, FieldReadersAgreeWithTheFieldsValue)
{
    q.SetSQL("UPDATE PIEZAS SET CORTO = -7, PRECIO = 2.5, IMPORTE = 12.34, COEF = 0.5, "
             "FECHA = '2024-03-01 10:30', INICIAL = 'ñá', NOTAS = 'nota' WHERE CODIGO = 2");
    q.ExecQuery();
    piezas.Open();
    auto agree = [&](const char* when) {
        SCOPED_TRACE(when);
        for (int i = 0; i < piezas.FieldCount(); ++i) {
            const TField* f = piezas.Fields(i);
            SCOPED_TRACE(f->FieldName().toStdString());
            const TFIBValue v = f->Value();
            EXPECT_EQ(f->IsNull(), v.IsNull());
            EXPECT_EQ(f->AsString(), v.AsString());
            if (v.kind == TFIBValue::Kind::Integer || v.IsNull()) {
                EXPECT_EQ(f->AsInteger(), v.i);
            }
        }
    };
    agree("a row of nulls");
    piezas.Next();
    agree("a row of values");
    EXPECT_EQ(piezas.FieldByName("CORTO")->AsString(), "-7");
    EXPECT_EQ(piezas.FieldByName("INICIAL")->AsString(), "ñá "); // CHAR keeps its padding
    {
        TFIBDataSet::TRowScope scope(piezas, 0);
        agree("another row through a scope");
        EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "Uno");
    }
    piezas.Edit();
    piezas.FieldByName("NOMBRE")->SetAsString("editado");
    piezas.FieldByName("CORTO")->Clear();
    agree("editing");
    EXPECT_EQ(piezas.FieldByName("NOMBRE")->AsString(), "editado");
    EXPECT_TRUE(piezas.FieldByName("CORTO")->IsNull());
    piezas.Cancel();
    EXPECT_EQ(piezas.FieldByName("CORTO")->AsInteger(), -7);
}

// Fetched rows are packed together in blocks, edited rows hold their own
// buffer: every row keeps its values wherever it lies, rows larger than a
// block too, across chunks, an edit and a delete.
TEST_F(DataSetTest, EveryCachedRowKeepsItsValuesWhereverItIsStored)
{
    TFIBDataSet ds;
    ds.SetDatabase(&c.db);
    ds.SetTransaction(&c.tr);
    ds.SetSelectSQL({"SELECT N, TEXTO, CAST(LPAD('', 6000, '*') || N AS VARCHAR(6010)) AS GRANDE",
                     "FROM NUMEROS ORDER BY N"});
    ds.SetUpdateSQL({"UPDATE NUMEROS SET TEXTO = ?TEXTO WHERE N = ?old_N"});
    ds.SetDeleteSQL({"DELETE FROM NUMEROS WHERE N = ?old_N"});
    ds.BufferChunks = 7;
    ds.Open();
    ds.SetRecNo(500);
    ds.Edit();
    ds.FieldByName("TEXTO")->SetAsString("editada");
    ds.Post();
    ds.SetRecNo(10);
    ds.Delete();
    ds.Last();
    ASSERT_EQ(ds.RecordCount(), 999);
    TField* n = ds.FieldByName("N");
    TField* texto = ds.FieldByName("TEXTO");
    TField* grande = ds.FieldByName("GRANDE");
    for (int row = 0; row < ds.RecordCount(); ++row) {
        TFIBDataSet::TRowScope scope(ds, row);
        const int esperado = row < 9 ? row + 1 : row + 2;
        ASSERT_EQ(n->AsInteger(), esperado);
        ASSERT_EQ(texto->AsString(), esperado == 500 ? QString("editada") : "fila; número " + QString::number(esperado));
        ASSERT_EQ(grande->AsString(), QString(6000, QLatin1Char('*')) + QString::number(esperado)) << "row " << row;
    }
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.FieldByName("TEXTO")->AsString(), "fila; número 1");
}

} // namespace
