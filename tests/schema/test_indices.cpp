// The program's database gives each list searched by name its order from an
// index, so that a quick search shows its first rows without the engine
// sorting the whole table.
#include "SchemaTest.h"
#include "UComponentesBusquedaFiltrada.h"

using namespace qdschema;

namespace {

using Indices = TBaseTest;

TEST_F(Indices, QuickSearchesByNameReadTheirOrderFromAnIndex)
{
    struct Lista {
        const char* select; // the list's statement, as its screen loads it
        const char* columna; // the text column its quick search matches and orders by
        const char* flags;
    };
    const Lista listas[] = {
        {"SELECT * FROM EMP_PROPIETARIO WHERE COMUNIDAD=?Comunidad", "NOMBRE", "10000"},
        {"SELECT * FROM CONVOCATORIAS WHERE COMUNIDAD=?Comunidad", "DES", "10000"},
        {"SELECT * FROM SYS_COMUNIDAD", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_BANCOS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_FORMAS_PAGO WHERE CODIGO <> 0", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_TIPOS_FINCA", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_USO_FINCAS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_IDIOMAS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_TEXTOS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_FORMATOS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_LISTADOS", "NOMBRE", "00000"},
        {"SELECT * FROM SYS_USUARIO", "NOMBRE", "00000"},
    };
    for (const Lista& l : listas) {
        const QString select = QString::fromLatin1(l.select);
        const QString columna = QString::fromLatin1(l.columna);
        const QString condicion =
            CondicionBusqueda(QStringLiteral("Gar"), {QStringLiteral("CODIGO"), columna, QString::fromLatin1(l.flags)});
        TFIBQuery q;
        q.SetDatabase(&con->db);
        q.SetTransaction(&con->tr);
        q.SetSQL(QStringList{select, (select.contains(QLatin1String("WHERE")) ? " and " : " where ") + condicion,
                             "ORDER BY " + columna});
        const QString plan = q.Plan();
        EXPECT_TRUE(plan.contains(QLatin1String(" ORDER ")) && !plan.contains(QLatin1String("SORT")))
            << l.select << " ... ORDER BY " << l.columna << ": " << plan.toStdString();
    }
}

// A name search over the owners reads in the order of the index of the whole
// name and finds its rows through one index per word of the name: the
// expressions the search writes are the indexed ones.
TEST_F(Indices, AnOwnersNameSearchReadsThroughItsWordIndexes)
{
    TFIBQuery q;
    q.SetDatabase(&con->db);
    q.SetTransaction(&con->tr);
    q.SetSQL(QStringList{"SELECT * FROM EMP_PROPIETARIO WHERE COMUNIDAD=?Comunidad",
                         " and " + CondicionNombre(QStringLiteral("NOMBRE"), LiteralSQL(QStringLiteral("garcía"))),
                         "ORDER BY NOMBRE COLLATE UNICODE_CI_AI"});
    const QString plan = q.Plan();
    EXPECT_TRUE(plan.contains(QLatin1String("ORDER IX_EMP_PROPIETARIO_PALABRA1"))) << plan.toStdString();
    for (int i = 1; i <= kPalabrasNombre; ++i)
        EXPECT_TRUE(plan.contains(QStringLiteral("IX_EMP_PROPIETARIO_PALABRA%1").arg(i))) << i << ": " << plan.toStdString();
    EXPECT_FALSE(plan.contains(QLatin1String("NATURAL"))) << plan.toStdString();
}

} // namespace
