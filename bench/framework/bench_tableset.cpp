// The table dataset and the quick search on the embedded engine:
// - writing the five statements of a 30-column table from the catalogue and
//   reopening it, against reopening alone;
// - a quick search over 100 000 owners of one community until its first rows
//   show, its first run and the best of five, against opening the unfiltered
//   list. The table has the name indexes of the program's database (its order
//   index and, from the schema's own script, one index per word of the name),
//   so that no search sorts or reads every row; the plan of each is printed.
// Prints figures; asserts nothing.
#include "ActualizaEsquema.h"
#include "BenchPropietarios.h"
#include "CreaBaseDatos.h"
#include "FIBDatabase.h"
#include "FIBScript.h"
#include "FIBTableDataSet.h"
#include "UComponentesBusquedaFiltrada.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const int kOwners = kPropietarios;

// A table of 30 columns, the last one computed, with 200 rows.
void CreaTreinta(TFIBDatabase& db)
{
    QString columns;
    for (int i = 1; i <= 27; ++i)
        columns += QStringLiteral(", C%1 VARCHAR(20) DEFAULT ''").arg(i, 2, 10, QLatin1Char('0'));
    ExecuteScript(db, QStringLiteral(R"SQL(
CREATE TABLE TREINTA (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(40)%1,
  TOTAL COMPUTED BY (CODIGO * 2));
SET TERM ^ ;
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= 200) DO
  BEGIN
    INSERT INTO TREINTA (CODIGO, NOMBRE) VALUES (:I, 'Fila ' || :I);
    I = I + 1;
  END
END^
SET TERM ; ^
)SQL")
                           .arg(columns));
}

// The indexes the program's database gives the lists searched by name: the
// owners' list of a community orders by (COMUNIDAD, NOMBRE); a list without
// the community (communities, catalogues, formats) by NOMBRE alone.
void CreaIndicesNombre(TFIBDatabase& db)
{
    ExecuteScript(db, QStringLiteral(R"SQL(
CREATE INDEX IX_EMP_PROPIETARIO_NOMBRE ON EMP_PROPIETARIO (COMUNIDAD, NOMBRE);
CREATE INDEX IX_BENCH_NOMBRE ON EMP_PROPIETARIO (NOMBRE);
)SQL"));
    ExecuteScript(db, ScriptSQL(QStringLiteral("busqueda")));
    // As the owners' import leaves them.
    ActualizaEstadisticas(db, QStringLiteral("EMP_PROPIETARIO"));
}

// The best of `rounds` runs, in milliseconds.
double Best(int rounds, const std::function<void()>& f)
{
    double best = 1e12;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    THYDataBase db;
    CreaPropietarios(db, dir.path() + "/bench.fdb");
    CreaIndicesNombre(db);
    CreaTreinta(db);
    THYTransaction tr;
    tr.LoadDefinition(&db);
    tr.StartTransaction();

    // Statements of a 30-column table, regenerated while the list is open.
    TFIBTableSet tabla;
    tabla.SetDatabase(&db);
    tabla.SetTransaction(&tr);
    tabla.SetTableName("TREINTA");
    tabla.Open();
    const double reopen = Best(50, [&] {
        tabla.Close();
        tabla.Open();
    });
    const double regenerate = Best(50, [&] { tabla.SetRegenerar(true); });
    std::printf("30-column table, regenerate the statements and reopen: %.2f ms\n", regenerate);
    std::printf("30-column table, reopen alone: %.2f ms\n", reopen);
    std::printf("30-column table, regenerate and reopen / reopen alone: %.1f\n", regenerate / reopen);
    std::printf("  insert statement: %s\n", qPrintable(tabla.InsertSQL().at(1).left(60) + "..."));

    // Quick searches over the owners of one community.
    TFIBTableSet propietarios;
    propietarios.SetDatabase(&db);
    propietarios.SetTransaction(&tr);
    const QStringList listaComunidad{"SELECT * FROM EMP_PROPIETARIO", "WHERE COMUNIDAD=?Comunidad",
                                     "ORDER BY CODIGO"};
    const QStringList listaTodos{"SELECT * FROM EMP_PROPIETARIO", "ORDER BY CODIGO"};
    propietarios.LoadDefinition({.Name = "QTabla", .TableName = "EMP_PROPIETARIO", .SelectSQL = listaComunidad});
    const TAsignaParametros asigna = [](TFIBDataSet& ds, const QString& flags, bool) {
        if (flags.startsWith(QLatin1Char('1')))
            ds.ParamByName("Comunidad")->SetAsInteger(1);
    };
    const double unfiltered = Best(5, [&] {
        propietarios.Close();
        propietarios.SetSelectSQL(propietarios.SelectSQLOriginal());
        asigna(propietarios, "10000", false);
        propietarios.Open();
    });
    std::printf("unfiltered list of %d owners, first rows: %.2f ms\n", kOwners, unfiltered);
    struct Search {
        const char* text;
        const char* flags;
        const char* what;
    } searches[] = {
        {"12", "10000", "code"},
        {"Propietario 5", "10000", "name, first word"},
        {"PROPIETARI", "00000", "name, other case, every owner"},
        {"pérez garcía", "10000", "name, third word, every owner"},
        {"garcia", "10000", "name, fourth word without accent, every owner"},
        {"PROPIETARIA 99999", "10000", "name, one owner"},
        {"zz", "10000", "name, no match"},
    };
    for (const Search& s : searches) {
        // The owners screen's list, or one without the community parameter.
        const bool comunidad = QLatin1String(s.flags).startsWith(QLatin1Char('1'));
        propietarios.Close();
        propietarios.LoadDefinition({.Name = "QTabla",
                                     .TableName = "EMP_PROPIETARIO",
                                     .SelectSQL = comunidad ? listaComunidad : listaTodos});
        const auto busca = [&] {
            BusquedaRapida(QString::fromUtf8(s.text), propietarios, {"CODIGO", "NOMBRE", s.flags}, asigna);
        };
        const double primera = Best(1, busca);
        const double first = Best(5, busca);
        const QString plan = propietarios.SelectQuery().Plan();
        propietarios.FetchAll();
        std::printf("quick search \"%s\" (%s), first rows, first run: %.2f ms (goal <= 200)\n", s.text, s.what, primera);
        std::printf("quick search \"%s\", first rows, best of 5: %.2f ms (goal <= 200)\n", s.text, first);
        std::printf("  %s\n", qPrintable(plan));
        std::printf("quick search \"%s\", rows that match: %d rows\n", s.text, propietarios.RecordCount());
        std::printf("quick search \"%s\" / unfiltered list, first rows: %.1f\n", s.text, first / unfiltered);
    }
    return 0;
}
