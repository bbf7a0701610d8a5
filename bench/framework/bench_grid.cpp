// The data grid over a list of 100 000 owners: opening it and paging down
// fetch only the rows the view shows, so the grid opens about as fast as over
// a short list. Prints the rows fetched after opening and after one page down,
// the time to open, and the time a grid that read every row first would take
// (the same dataset opened and fetched to its end). Asserts nothing.
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

    // Best of three of each, after one warm-up run.
    AbreEnGrid(db, tr, QString());
    Medida grande{1e300, 0, 0, 0}, corta{1e300, 0, 0, 0};
    double todo = 1e300;
    for (int i = 0; i < 3; ++i) {
        const Medida g = AbreEnGrid(db, tr, QString());
        if (g.abrirMs < grande.abrirMs)
            grande = g;
        const Medida c = AbreEnGrid(db, tr, " WHERE CODIGO <= 100");
        if (c.abrirMs < corta.abrirMs)
            corta = c;
        todo = std::min(todo, AbreYLeeTodo(db, tr));
    }
    std::printf("grid over %d rows: %d rows fetched after opening, %d after one page down, %d after ten\n", kRows,
                grande.filasAlAbrir, grande.filasTrasAvPag, grande.filasTrasDiezAvPag);
    std::printf("time to open the grid over %d rows: %.1f ms; over 100 rows: %.1f ms; ratio %.2f\n", kRows,
                grande.abrirMs, corta.abrirMs, grande.abrirMs / corta.abrirMs);
    std::printf("opening and reading all %d rows first: %.1f ms; the grid opens %.0f times faster\n", kRows, todo,
                todo / grande.abrirMs);
    return 0;
}
