// Statements with parameters: names, positions, literals, types, blobs and
// results, against a real dialect-1 UTF8 database.
#include "DataAccessSchema.h"
#include "FIBQuery.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

namespace {

class QueryTest : public ::testing::Test {
protected:
    QueryTest() : c(FreshDataAccessDb())
    {
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
    }
    qdtest::Connection c;
    TFIBQuery q;
};

TEST(ParseParams, NamesAreFoundOutsideLiteralsAndComments)
{
    struct Case {
        QString text;
        QString server;
        QStringList names;
    } cases[] = {
        {"SELECT * FROM T WHERE A=?A AND B=?b_2", "SELECT * FROM T WHERE A=? AND B=?", {"A", "b_2"}},
        {"UPDATE T SET X=?X WHERE X=?old_X", "UPDATE T SET X=? WHERE X=?", {"X", "old_X"}},
        {"SELECT '?no' || \"?no\" FROM T WHERE A = ?", "SELECT '?no' || \"?no\" FROM T WHERE A = ?", {""}},
        {"SELECT 'it''s ?no' FROM T -- ?no\nWHERE A=?yes /* ?no */", "SELECT 'it''s ?no' FROM T -- ?no\nWHERE A=? /* ?no */", {"yes"}},
        {"INSERT INTO T VALUES (?A,?B)", "INSERT INTO T VALUES (?,?)", {"A", "B"}},
    };
    for (const Case& c : cases) {
        QStringList names;
        EXPECT_EQ(TFIBQuery::ParseParams(c.text, &names), c.server) << c.text.toStdString();
        EXPECT_EQ(names, c.names) << c.text.toStdString();
    }
}

TEST_F(QueryTest, ParametersByNameAreCaseInsensitiveAndShareRepeatedNames)
{
    q.SetSQL(QStringList{"SELECT COUNT(*) FROM NUMEROS", "WHERE N >= ?Desde AND N <= ?HASTA AND N <> ?desde + 1"});
    EXPECT_EQ(q.ParamCount(), 2);
    EXPECT_EQ(q.ParamPositionCount(), 3);
    EXPECT_EQ(q.ParamByName("NO_SUCH"), nullptr);
    q.ParamByName("DESDE")->SetAsInteger(10);
    q.ParamByName("hasta")->SetAsString("19");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 9); // 10..19 without 11
    // By position, and the values survive a change of text that keeps the name.
    q.SetSQL("SELECT COUNT(*) FROM NUMEROS WHERE N >= ?DESDE");
    EXPECT_EQ(q.ParamAtPosition(0)->AsString(), "10");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 991);
}

TEST_F(QueryTest, EmptyResultFetchesNothingAndReadsNull)
{
    q.SetSQL("SELECT * FROM PIEZAS WHERE CODIGO < 0");
    q.ExecQuery();
    EXPECT_EQ(q.RecordCount(), 0);
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.FieldByName("nombre")->IsNull());
    EXPECT_EQ(q.FieldByName("CANTIDAD")->AsInteger(), 0);
    EXPECT_THROW(q.FieldByName("NO_SUCH_COLUMN"), EFIBError);
}

TEST_F(QueryTest, ForwardCursorCountsRowsAndProcedureReturnsItsRow)
{
    q.SetSQL("SELECT N FROM NUMEROS WHERE N <= 5 ORDER BY N");
    q.ExecQuery();
    int sum = 0;
    while (!q.Eof()) {
        sum += static_cast<int>(q.FieldByName("N")->AsInteger());
        q.Next();
    }
    EXPECT_EQ(sum, 15);
    EXPECT_EQ(q.RecordCount(), 5);
    q.SetSQL("EXECUTE PROCEDURE DOBLE ?X");
    q.ParamByName("X")->SetAsInteger(21);
    q.ExecQuery();
    EXPECT_EQ(q.FieldByName("Y")->AsInteger(), 42);
}

TEST_F(QueryTest, ValuesOfEveryTypeRoundTrip)
{
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes.append(static_cast<char>(i % 256)); // every byte value, more than one segment
    const QDateTime dst = MakeDateTime(QDate(2026, 3, 29), QTime(2, 30)); // a local daylight-saving gap
    q.SetSQL("INSERT INTO PIEZAS (CODIGO, NOMBRE, CORTO, PRECIO, IMPORTE, COEF, FECHA, INICIAL, DOC, NOTAS) "
             "VALUES (?C, ?N, ?S, ?P, ?I, ?K, ?F, ?INI, ?D, ?T)");
    q.ParamByName("C")->SetAsInteger(50);
    q.ParamByName("N")->SetAsString("Peña «Ñandú» €");
    q.ParamByName("S")->SetAsInteger(-7);
    q.ParamByName("P")->SetAsString("1234,5"); // the program's decimal comma
    q.ParamByName("I")->SetAsFloat(1234567.89);
    q.ParamByName("K")->SetAsFloat(4.25);
    q.ParamByName("F")->SetAsDateTime(dst);
    q.ParamByName("INI")->SetAsString("ñ");
    q.ParamByName("D")->SetAsBytes(bytes);
    q.ParamByName("T")->SetAsString("línea 1\nlínea 2");
    q.ExecQuery();
    EXPECT_EQ(q.RowsAffected(), 1);

    q.SetSQL("SELECT * FROM PIEZAS WHERE INICIAL = ?INI"); // CHAR compares without its padding
    q.ParamByName("INI")->SetAsString("ñ");
    q.ExecQuery();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("NOMBRE")->AsString(), "Peña «Ñandú» €");
    EXPECT_EQ(q.FieldByName("CORTO")->AsInteger(), -7);
    EXPECT_DOUBLE_EQ(q.FieldByName("PRECIO")->AsFloat(), 1234.5);
    EXPECT_DOUBLE_EQ(q.FieldByName("IMPORTE")->AsFloat(), 1234567.89);
    EXPECT_DOUBLE_EQ(q.FieldByName("COEF")->AsFloat(), 4.25);
    EXPECT_EQ(q.FieldByName("IMPORTE")->AsString(), "1234567,89");
    EXPECT_EQ(q.FieldByName("FECHA")->AsDateTime(), dst);
    EXPECT_EQ(q.FieldByName("INICIAL")->AsString(), "ñ  "); // CHAR(3) keeps its padding
    EXPECT_EQ(q.FieldByName("DOC")->AsBytes(), bytes);
    EXPECT_EQ(q.FieldByName("NOTAS")->AsString(), "línea 1\nlínea 2");
    EXPECT_EQ(q.FieldByName("SELLO")->AsString(), "T50");
}

TEST_F(QueryTest, ServerRefusalsKeepTheServersTextAndTheQueryUsable)
{
    q.SetSQL("SELECT * FROM NO_SUCH_TABLE");
    try {
        q.ExecQuery();
        FAIL() << "prepared";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.Message().contains("Table unknown")) << e.what();
        EXPECT_TRUE(e.Message().contains("NO_SUCH_TABLE")) << e.what();
        EXPECT_EQ(e.SQLCode(), -204);
    }
    q.SetSQL("INSERT INTO PIEZAS (CODIGO) VALUES (?C)");
    q.ParamByName("C")->SetAsInteger(1); // exists already
    try {
        q.ExecQuery();
        FAIL() << "inserted a duplicate";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.Message().contains("violation of PRIMARY or UNIQUE KEY")) << e.what();
    }
    q.ParamByName("C")->SetAsString("not a number");
    EXPECT_THROW(q.ExecQuery(), EFIBError);
    q.ParamByName("C")->SetAsInteger(99);
    q.ExecQuery();
    EXPECT_EQ(q.RowsAffected(), 1);
}

TEST_F(QueryTest, CommitClosesTheCursorAndCommitRetainingKeepsIt)
{
    q.SetSQL("SELECT N FROM NUMEROS ORDER BY N");
    q.ExecQuery();
    c.tr.CommitRetaining();
    EXPECT_TRUE(q.Next());
    EXPECT_EQ(q.FieldByName("N")->AsInteger(), 2);
    c.tr.Commit();
    EXPECT_FALSE(q.Open());
    EXPECT_FALSE(c.tr.Active());
    q.ExecQuery(); // starts a new transaction
    EXPECT_EQ(q.FieldByName("N")->AsInteger(), 1);
}

} // namespace
