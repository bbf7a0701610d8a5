// The data grid over a list of 100 000 owners: opening it and paging down
// fetch only the rows the view shows, so the grid opens about as fast as over
// a short list. Prints the rows fetched after opening and after paging down,
// the time to open the large and the short list with either opened first, and
// the time a grid that read every row first would take (the same dataset
// opened and fetched to its end). Asserts nothing.
#include "BenchPropietarios.h"
#include "FIBDataSet.h"
#include "FIBDatabase.h"
#include "FIBTransaction.h"
#include "UHYDBGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

const int kRows = kPropietarios;


struct Medida {
    double abrirMs = 0;
    int filasAlAbrir = 0;
    int filasTrasAvPag = 0;
    int filasTrasDiezAvPag = 0;
};

// Opens the list in a shown grid and pages down once.
Medida AbreEnGrid(TFIBDatabase& db, TFIBTransaction& tr, const QString& where)
{
    TFIBDataSet ds;
    ds.SetDatabase(&db);
    ds.SetTransaction(&tr);
    ds.SetSelectSQL({"SELECT * FROM EMP_PROPIETARIO" + where, "ORDER BY COMUNIDAD, CODIGO"});
    TDataSource fuente(&ds);
    THYTDBGrid grid;
    grid.resize(800, 500);
    grid.SetDataSource(&fuente);
    Medida m;
    QElapsedTimer t;
    t.start();
    ds.Open();
    grid.show();
    if (!QTest::qWaitForWindowExposed(&grid))
        std::printf("(the grid was not shown)\n");
    QApplication::processEvents();
    m.abrirMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    m.filasAlAbrir = ds.RecordCount();
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_PageDown);
    QApplication::processEvents();
    m.filasTrasAvPag = ds.RecordCount();
    for (int i = 1; i < 10; ++i)
        QTest::keyClick(&grid, Qt::Key_PageDown);
    QApplication::processEvents();
    m.filasTrasDiezAvPag = ds.RecordCount();
    return m;
}

// What a grid that read every row before showing would cost.
double AbreYLeeTodo(TFIBDatabase& db, TFIBTransaction& tr)
{
    TFIBDataSet ds;
    ds.SetDatabase(&db);
    ds.SetTransaction(&tr);
    ds.SetSelectSQL({"SELECT * FROM EMP_PROPIETARIO", "ORDER BY COMUNIDAD, CODIGO"});
    QElapsedTimer t;
    t.start();
    ds.Open();
    ds.FetchAll();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TFIBDatabase db;
    CreaPropietarios(db, dir.path() + "/bench_grid.fdb");
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({"read_committed", "rec_version", "nowait"});
    tr.StartTransaction();

    // Best of three of each list in each order, after one warm-up run. Every
    // round ends reading the whole list, so the list opened first in the next
    // round meets the memory that reading freed: the order alternates, and
    // both orders are shown.
    AbreEnGrid(db, tr, QString());
    const QString kCorta = " WHERE CODIGO <= 100";
    Medida grande[2], corta[2]; // [0]: opened first in its round; [1]: second
    for (Medida* m : {&grande[0], &grande[1], &corta[0], &corta[1]})
        m->abrirMs = 1e300;
    auto mejor = [](Medida& m, const Medida& nueva) {
        if (nueva.abrirMs < m.abrirMs)
            m = nueva;
    };
    double todo = 1e300;
    for (int i = 0; i < 6; ++i) {
        if (i % 2 == 0) {
            mejor(grande[0], AbreEnGrid(db, tr, QString()));
            mejor(corta[1], AbreEnGrid(db, tr, kCorta));
        } else {
            mejor(corta[0], AbreEnGrid(db, tr, kCorta));
            mejor(grande[1], AbreEnGrid(db, tr, QString()));
        }
        todo = std::min(todo, AbreYLeeTodo(db, tr));
    }
    std::printf("grid over %d rows, rows fetched after opening: %d rows\n", kRows, grande[0].filasAlAbrir);
    std::printf("grid over %d rows, rows fetched after one page down: %d rows\n", kRows, grande[0].filasTrasAvPag);
    std::printf("grid over %d rows, rows fetched after ten pages down: %d rows\n", kRows,
                grande[0].filasTrasDiezAvPag);
    const char* const orden[2] = {"large list first", "small list first"};
    for (int o = 0; o < 2; ++o) {
        // Order o: the list opened first is the large one (o = 0) or the small one.
        const Medida& g = grande[o];
        const Medida& c = corta[1 - o];
        std::printf("%s, open the grid over %d rows: %.1f ms\n", orden[o], kRows, g.abrirMs);
        std::printf("%s, open the grid over 100 rows: %.1f ms\n", orden[o], c.abrirMs);
        std::printf("%s, open over %d rows / over 100 rows: %.2f\n", orden[o], kRows, g.abrirMs / c.abrirMs);
    }
    const double grandeMs = std::min(grande[0].abrirMs, grande[1].abrirMs);
    std::printf("open and read all %d rows before showing: %.1f ms\n", kRows, todo);
    std::printf("read all first / open the grid over %d rows: %.0f\n", kRows, todo / grandeMs);
    return 0;
}
