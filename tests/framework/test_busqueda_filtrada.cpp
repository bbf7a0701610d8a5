// The quick search: number and text searches, case, order, the statement it
// starts from, and search texts that hold quotation marks, semicolons and SQL.
#include "FIBTableDataSet.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UFormatos.h"

#include <gtest/gtest.h>

namespace {

TEST(EsNumerico, ATextStartsLikeANumberWithADigitCommaHyphenOrFullStop)
{
    for (const char* si : {"-3", ",5", ".5", "0", "9abc", "-"})
        EXPECT_TRUE(EsNumerico(QString::fromUtf8(si))) << si;
    for (const char* no : {"A1", "", " 1", "+1", "٣", "ñ"})
        EXPECT_FALSE(EsNumerico(QString::fromUtf8(no))) << no;
}

TEST(LiteralSQL, DoublesEveryQuotationMark)
{
    EXPECT_EQ(LiteralSQL("abc"), "\"abc\"");
    EXPECT_EQ(LiteralSQL("a\"b\"\""), "\"a\"\"b\"\"\"\"\"");
    EXPECT_EQ(LiteralSQL(""), "\"\"");
}

class BusquedaTest : public ::testing::Test {
protected:
    BusquedaTest() : c(FreshTableSetDb())
    {
        for (TFIBTableSet* ds : {&propietarios, &todos, &bancos}) {
            ds->SetDatabase(&c.db);
            ds->SetTransaction(&c.tr);
        }
        propietarios.LoadDefinition({.TableName = "EMP_PROPIETARIO", .SelectSQL = propietariosSelect});
        todos.LoadDefinition({.TableName = "EMP_PROPIETARIO", .SelectSQL = todosSelect});
        bancos.LoadDefinition({.TableName = "SYS_BANCOS", .SelectSQL = {"SELECT * FROM SYS_BANCOS ORDER BY ENTIDAD DESC"}});
        // The environment binder: community 1 when the first flag asks for it.
        asigna = [this](TFIBDataSet& ds, const QString& flags, bool abrir) {
            ++asignaciones;
            EXPECT_FALSE(abrir);
            if (flags.startsWith('1'))
                ds.ParamByName("Comunidad")->SetAsInteger(1);
        };
    }
    QList<qint64> Codigos(TFIBDataSet& ds)
    {
        QList<qint64> codigos;
        for (ds.First(); !ds.Eof(); ds.Next())
            codigos << ds.FieldByName("CODIGO")->AsInteger();
        return codigos;
    }
    const QStringList propietariosSelect{"SELECT * FROM EMP_PROPIETARIO", "WHERE COMUNIDAD=?Comunidad",
                                         "ORDER BY CODIGO DESC"};
    const QStringList todosSelect{"SELECT * FROM EMP_PROPIETARIO", "ORDER BY CODIGO DESC"};
    qdtest::Connection c;
    TFIBTableSet propietarios, todos, bancos;
    TAsignaParametros asigna;
    int asignaciones = 0;
};

struct Caso {
    const char* texto;
    bool todos; // the list of every community, without the Comunidad parameter
    const char* flags;
    const char* orden;
    QStringList lineas; // what the search adds to the stored statement without its order
    QList<qint64> codigos;
};

TEST_F(BusquedaTest, SearchesMatchTheBeginningOfTheCodeOrTheName)
{
    QList<qint64> doce{12};
    for (int i = 120; i <= 129; ++i)
        doce << i;
    for (int i = 1200; i <= 1299; ++i)
        doce << i;
    const Caso casos[] = {
        {"12", false, "10000", "", {" and CODIGO LIKE \"12%\"", "ORDER BY ", "CODIGO"}, doce},
        {"-", false, "10000", "", {" and CODIGO LIKE \"-%\"", "ORDER BY ", "CODIGO"}, {-5}},
        {",", false, "10000", "", {" and CODIGO LIKE \",%\"", "ORDER BY ", "CODIGO"}, {}},
        {"1299", false, "10000", "CODIGO DESC", {" and CODIGO LIKE \"1299%\"", "ORDER BY ", "CODIGO DESC"}, {1299}},
        // First flag "1": as typed, case-sensitive.
        {"pér", false, "10000", "", {" and NOMBRE LIKE \"pér%\"", "ORDER BY ", "NOMBRE"}, {2002}},
        // Otherwise both sides upper-cased, accented letters too; in name order.
        {"pér", true, "00000", "", {" where Upper(NOMBRE) LIKE \"PÉR%\"", "ORDER BY ", "NOMBRE"},
         {2003, 2001, 12, 2002}},
        // Quotation marks, semicolons, SQL and question marks are data.
        {"Bar \"El", false, "10000", "", {" and NOMBRE LIKE \"Bar \"\"El%\"", "ORDER BY ", "NOMBRE"}, {2004}},
        {"Ana; Luis", false, "10000", "", {" and NOMBRE LIKE \"Ana; Luis%\"", "ORDER BY ", "NOMBRE"}, {2005}},
        {"x\" OR \"1\"=\"1", false, "10000", "",
         {" and NOMBRE LIKE \"x\"\" OR \"\"1\"\"=\"\"1%\"", "ORDER BY ", "NOMBRE"}, {2006}},
        {"x\"; DELETE FROM EMP_PROPIETARIO; --", true, "00000", "",
         {" where Upper(NOMBRE) LIKE \"X\"\"; DELETE FROM EMP_PROPIETARIO; --%\"", "ORDER BY ", "NOMBRE"}, {}},
        {"¿Quién?", false, "10000", "", {" and NOMBRE LIKE \"¿Quién?%\"", "ORDER BY ", "NOMBRE"}, {2007}},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.texto);
        TFIBTableSet& ds = k.todos ? todos : propietarios;
        BusquedaRapida(QString::fromUtf8(k.texto), ds, {"CODIGO", "NOMBRE", k.flags, k.orden}, asigna);
        QStringList esperado = k.todos ? QStringList{todosSelect.first()} : propietariosSelect.mid(0, 2);
        for (const QString& l : k.lineas)
            esperado << l;
        EXPECT_EQ(ds.SelectSQL(), esperado);
        EXPECT_TRUE(ds.Active());
        EXPECT_EQ(Codigos(ds), k.codigos);
    }
    EXPECT_EQ(asignaciones, static_cast<int>(std::size(casos)));
    todos.Close();
    todos.SetSelectSQL({"SELECT COUNT(*) FROM EMP_PROPIETARIO"});
    todos.Open();
    EXPECT_EQ(todos.Fields(0)->AsInteger(), 1309); // nothing was deleted
}

TEST_F(BusquedaTest, ANulCharacterPastedIntoTheSearchIsLeftOut)
{
    BusquedaRapida(QStringLiteral("Propietario 7") + QChar(u'\0') + QStringLiteral("\" OR 1=1"), propietarios,
                   {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(propietarios.SelectSQL().at(2), " and NOMBRE LIKE \"Propietario 7\"\" OR 1=1%\"");
    EXPECT_TRUE(propietarios.IsEmpty());
    // Nor can any statement run cut short at one.
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL(QStringLiteral("SELECT 1 FROM RDB$DATABASE") + QChar(u'\0') + QStringLiteral(" WHERE 1=0"));
    EXPECT_THROW(q.ExecQuery(), EFIBError);
}

TEST_F(BusquedaTest, SearchesNeverAccumulateAndAnEmptySearchKeepsTheFilter)
{
    BusquedaRapida("12", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    const QStringList filtrada = propietarios.SelectSQL();
    const int filas = propietarios.RecordCount();
    BusquedaRapida("", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(propietarios.SelectSQL(), filtrada);
    EXPECT_TRUE(propietarios.Active());
    EXPECT_EQ(propietarios.RecordCount(), filas);
    EXPECT_EQ(asignaciones, 1);

    BusquedaRapida("Propietario 7", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(propietarios.SelectSQL(),
              QStringList({"SELECT * FROM EMP_PROPIETARIO", "WHERE COMUNIDAD=?Comunidad",
                           " and NOMBRE LIKE \"Propietario 7%\"", "ORDER BY ", "NOMBRE"}));
    EXPECT_EQ(propietarios.FieldByName("NOMBRE")->AsString(), "Propietario 7");
    EXPECT_EQ(propietarios.SelectSQLOriginal(), propietariosSelect);
}

TEST_F(BusquedaTest, AnOrderClauseOnTheSelectsOwnLineGoesWithoutTheSelect)
{
    BusquedaRapida("2", bancos, {"ENTIDAD", "NOMBRE", "00000"}, asigna);
    EXPECT_EQ(bancos.SelectSQL(),
              QStringList({"SELECT * FROM SYS_BANCOS ", " where ENTIDAD LIKE \"2%\"", "ORDER BY ", "ENTIDAD"}));
    EXPECT_EQ(bancos.FieldByName("NOMBRE")->AsString(), "Caixa");
    BusquedaRapida("s", bancos, {"ENTIDAD", "NOMBRE", "00000"}, nullptr); // nothing to bind
    EXPECT_EQ(bancos.FieldByName("NOMBRE")->AsString(), "Santander");
}

} // namespace
