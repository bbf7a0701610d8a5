// The quick search: number and name searches (any word start, case and
// accents ignored), order, the statement it starts from, the empty search, and
// search texts that hold quotation marks, semicolons and SQL.
#include "FIBTableDataSet.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UFormatos.h"

#include <QSet>
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

TEST_F(BusquedaTest, SearchesMatchTheBeginningOfTheCodeOrOfAWordOfTheName)
{
    QList<qint64> doce{12};
    for (int i = 120; i <= 129; ++i)
        doce << i;
    for (int i = 1200; i <= 1299; ++i)
        doce << i;
    // A name search: every word start of the name, case and accents ignored,
    // in name order with case and accents ignored too.
    auto nombre = [](const char* texto, bool todos) {
        return QStringList{(todos ? QStringLiteral(" where ") : QStringLiteral(" and ")) +
                               CondicionNombre("NOMBRE", LiteralSQL(QString::fromUtf8(texto))),
                           "ORDER BY ", "NOMBRE COLLATE UNICODE_CI_AI"};
    };
    const Caso casos[] = {
        {"12", false, "10000", "", {" and CODIGO LIKE \"12%\"", "ORDER BY ", "CODIGO"}, doce},
        {"-", false, "10000", "", {" and CODIGO LIKE \"-%\"", "ORDER BY ", "CODIGO"}, {-5}},
        {",", false, "10000", "", {" and CODIGO LIKE \",%\"", "ORDER BY ", "CODIGO"}, {}},
        {"1299", false, "10000", "CODIGO DESC", {" and CODIGO LIKE \"1299%\"", "ORDER BY ", "CODIGO DESC"}, {1299}},
        // Within the community, or in every one.
        {"pér", false, "10000", "", nombre("pér", false), {2001, 2003, 2002}},
        {"pér", true, "00000", "", nombre("pér", true), {12, 2001, 2003, 2002}},
        {"PEREZ", false, "10000", "", nombre("PEREZ", false), {2001, 2003, 2002}},
        {"ñoño", false, "10000", "", nombre("ñoño", false), {2003}},
        {"gil", false, "10000", "", nombre("gil", false), {2001}},
        {"Pérez Gil", false, "10000", "", nombre("Pérez Gil", false), {2001}},
        {"nadie", false, "10000", "", nombre("nadie", false), {2007}},
        // Not the middle of a word; "%" and "_" are no patterns.
        {"uiz", false, "10000", "", nombre("uiz", false), {}},
        {"Pro%", false, "10000", "", nombre("Pro%", false), {}},
        {"Propietario 1_", false, "10000", "", nombre("Propietario 1_", false), {}},
        // Quotation marks, semicolons, SQL and question marks are data.
        {"Bar \"El", false, "10000", "", nombre("Bar \"El", false), {2004}},
        {"Ana; Luis", false, "10000", "", nombre("Ana; Luis", false), {2005}},
        {"x\" OR \"1\"=\"1", false, "10000", "", nombre("x\" OR \"1\"=\"1", false), {2006}},
        {"x\"; DELETE FROM EMP_PROPIETARIO; --", true, "00000", "", nombre("x\"; DELETE FROM EMP_PROPIETARIO; --", true), {}},
        {"¿Quién?", false, "10000", "", nombre("¿Quién?", false), {2007}},
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

TEST(CondicionNombre, TakesTheNameFromTheStartOfEachOfItsFirstWords)
{
    // Each expression evaluated on the server for names of one to eight
    // words: the text from each word start, while there are words.
    qdtest::Connection c(FreshTableSetDb());
    const struct {
        const char* nombre;
        QStringList desde; // from word 1, 2, ...: what a name search can begin
    } casos[] = {
        {"ANA", {"ANA"}},
        {"GARCÍA RAMOS, ANA", {"GARCÍA RAMOS, ANA", "RAMOS, ANA", "ANA"}},
        {"DE LA FUENTE SOLER, JOSÉ MARÍA", {"DE LA FUENTE SOLER, JOSÉ MARÍA", "LA FUENTE SOLER, JOSÉ MARÍA",
                                            "FUENTE SOLER, JOSÉ MARÍA", "SOLER, JOSÉ MARÍA", "JOSÉ MARÍA", "MARÍA"}},
        {"A B C D E F G H", {"A B C D E F G H", "B C D E F G H", "C D E F G H", "D E F G H", "E F G H", "F G H"}},
    };
    for (const auto& k : casos) {
        SCOPED_TRACE(k.nombre);
        QSet<QString> vistos;
        for (int i = 0; i < kPalabrasNombre; ++i) {
            TFIBQuery q;
            q.SetDatabase(&c.db);
            q.SetTransaction(&c.tr);
            q.SetSQL(QStringLiteral("SELECT %1 FROM RDB$DATABASE")
                         .arg(NombreDesdePalabra(LiteralSQL(QString::fromUtf8(k.nombre)), i)));
            q.ExecQuery();
            const QString desde = q.Fields(0)->AsString();
            q.Close();
            // Past the last word, the text from an earlier word start.
            EXPECT_TRUE(k.desde.contains(desde)) << i << ": " << desde.toStdString();
            if (i < k.desde.size()) {
                EXPECT_EQ(desde, k.desde[i]) << i;
            }
            vistos << desde;
        }
        EXPECT_EQ(vistos.size(), std::min<int>(k.desde.size(), kPalabrasNombre));
    }
}

TEST_F(BusquedaTest, ANulCharacterPastedIntoTheSearchIsLeftOut)
{
    BusquedaRapida(QStringLiteral("Propietario 7") + QChar(u'\0') + QStringLiteral("\" OR 1=1"), propietarios,
                   {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(propietarios.SelectSQL().at(2), " and " + CondicionNombre("NOMBRE", "\"Propietario 7\"\" OR 1=1\""));
    EXPECT_TRUE(propietarios.IsEmpty());
    // Nor can any statement run cut short at one.
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL(QStringLiteral("SELECT 1 FROM RDB$DATABASE") + QChar(u'\0') + QStringLiteral(" WHERE 1=0"));
    EXPECT_THROW(q.ExecQuery(), EFIBError);
}

TEST_F(BusquedaTest, SearchesNeverAccumulateAndAnEmptySearchShowsTheWholeListAgain)
{
    // An empty search on a list no search has filtered leaves it as it is.
    propietarios.ParamByName("Comunidad")->SetAsInteger(1);
    propietarios.Open();
    propietarios.Last();
    const int todas = propietarios.RecordCount();
    BusquedaRapida("", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(asignaciones, 0);
    EXPECT_EQ(propietarios.RecordCount(), todas);

    BusquedaRapida("12", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    propietarios.Last();
    EXPECT_EQ(propietarios.RecordCount(), 111);
    for (const char* vacio : {"", "   "}) {
        SCOPED_TRACE(vacio);
        BusquedaRapida("12", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
        BusquedaRapida(vacio, propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
        EXPECT_EQ(propietarios.SelectSQL(), propietariosSelect);
        EXPECT_TRUE(propietarios.Condicion().isEmpty());
        ASSERT_TRUE(propietarios.Active());
        EXPECT_EQ(propietarios.FieldByName("CODIGO")->AsInteger(), 2007) << "in the list's own order";
        propietarios.Last();
        EXPECT_EQ(propietarios.RecordCount(), 1308) << "the community's whole list";
    }

    BusquedaRapida("Propietario 7", propietarios, {"CODIGO", "NOMBRE", "10000"}, asigna);
    EXPECT_EQ(propietarios.SelectSQL(),
              QStringList({"SELECT * FROM EMP_PROPIETARIO", "WHERE COMUNIDAD=?Comunidad",
                           " and " + CondicionNombre("NOMBRE", "\"Propietario 7\""), "ORDER BY ",
                           "NOMBRE COLLATE UNICODE_CI_AI"}));
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
