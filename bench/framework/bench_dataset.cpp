// Fetching an owners-shaped table of 100 000 rows: the buffered dataset against
// a plain C API loop doing the same work, the memory the cached rows take, and
// the time to open a large and a small result and read their first rows.
// Prints figures; asserts nothing.
#include "BenchPropietarios.h"
#include "FIBDataSet.h"
#include "FIBDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <ibase.h>

namespace {

const int kRows = kPropietarios;

long RssKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}


struct Walk {
    double seconds = 0;
    long long checksum = 0;
    long long rawBytes = 0;
};

// The dataset: open, walk every row, read every field.
Walk WalkDataSet(TFIBDatabase& db, TFIBTransaction& tr, std::size_t* cached)
{
    TFIBDataSet ds;
    ds.SetDatabase(&db);
    ds.SetTransaction(&tr);
    ds.SetSelectSQL({"SELECT * FROM EMP_PROPIETARIO ORDER BY COMUNIDAD, CODIGO"});
    Walk w;
    QElapsedTimer t;
    t.start();
    ds.Open();
    const int n = ds.FieldCount();
    std::vector<TField*> fields;
    for (int i = 0; i < n; ++i)
        fields.push_back(ds.Fields(i));
    while (!ds.Eof()) {
        w.checksum += fields[0]->AsInteger() + fields[1]->AsInteger();
        for (int i = 2; i < n; ++i) {
            const QString s = fields[i]->AsString();
            w.checksum += s.size();
            w.rawBytes += s.toUtf8().size();
        }
        w.rawBytes += 8;
        ds.Next();
    }
    w.seconds = t.elapsed() / 1000.0;
    *cached = ds.CachedBytes();
    return w;
}

void Check(const ISC_STATUS* st)
{
    if (st[0] == 1 && st[1]) {
        isc_print_status(st);
        std::exit(1);
    }
}

// The same work on the plain C API: prepare, execute, fetch, convert every field.
Walk WalkCApi(TFIBDatabase& db, TFIBTransaction& tr)
{
    Walk w;
    QElapsedTimer t;
    t.start();
    ISC_STATUS_ARRAY st;
    isc_stmt_handle stmt = 0;
    isc_dsql_allocate_statement(st, db.HandlePtr(), &stmt);
    Check(st);
    std::vector<char> daMem(XSQLDA_LENGTH(6));
    XSQLDA* da = reinterpret_cast<XSQLDA*>(daMem.data());
    da->version = SQLDA_VERSION1;
    da->sqln = 6;
    isc_dsql_prepare(st, tr.HandlePtr(), &stmt, 0, "SELECT * FROM EMP_PROPIETARIO ORDER BY COMUNIDAD, CODIGO", 1, da);
    Check(st);
    std::vector<std::vector<char>> bufs(6);
    std::vector<short> nulls(6);
    for (int i = 0; i < 6; ++i) {
        bufs[i].resize(da->sqlvar[i].sqllen + 2);
        da->sqlvar[i].sqldata = bufs[i].data();
        da->sqlvar[i].sqlind = &nulls[i];
    }
    isc_dsql_execute(st, tr.HandlePtr(), &stmt, 1, nullptr);
    Check(st);
    while (isc_dsql_fetch(st, &stmt, 1, da) == 0) {
        for (int i = 0; i < 6; ++i) {
            XSQLVAR& v = da->sqlvar[i];
            if ((v.sqltype & 1) && nulls[i] < 0)
                continue;
            if ((v.sqltype & ~1) == SQL_LONG) {
                ISC_LONG x;
                std::memcpy(&x, v.sqldata, 4);
                w.checksum += x;
            } else {
                unsigned short len;
                std::memcpy(&len, v.sqldata, 2);
                const QString s = QString::fromUtf8(v.sqldata + 2, len);
                w.checksum += s.size();
            }
        }
    }
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    w.seconds = t.elapsed() / 1000.0;
    return w;
}

double OpenFirstRows(TFIBDatabase& db, TFIBTransaction& tr, int rows)
{
    TFIBDataSet ds;
    ds.SetDatabase(&db);
    ds.SetTransaction(&tr);
    ds.SetSelectSQL({"SELECT * FROM EMP_PROPIETARIO WHERE CODIGO <= ?N ORDER BY COMUNIDAD, CODIGO"});
    ds.ParamByName("N")->SetAsInteger(rows);
    QElapsedTimer t;
    t.start();
    ds.Open();
    long long sum = 0;
    for (int i = 0; i < 32 && !ds.Eof(); ++i) {
        sum += ds.FieldByName("CODIGO")->AsInteger();
        ds.Next();
    }
    const double ms = t.nsecsElapsed() / 1e6;
    if (sum == 0)
        std::printf("(no rows)\n");
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TFIBDatabase db;
    CreaPropietarios(db, dir.path() + "/bench.fdb");

    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({"read_committed", "rec_version", "nowait"});
    tr.StartTransaction();

    WalkCApi(db, tr); // warm the page cache for both
    double bestApi = 1e9, bestDs = 1e9;
    Walk api, ds;
    std::size_t cached = 0;
    const long rssBefore = RssKb();
    long rssPeak = 0;
    for (int round = 0; round < 3; ++round) {
        api = WalkCApi(db, tr);
        bestApi = std::min(bestApi, api.seconds);
        ds = WalkDataSet(db, tr, &cached);
        bestDs = std::min(bestDs, ds.seconds);
        rssPeak = std::max(rssPeak, RssKb());
    }
    std::printf("C API loop:  %9.0f rows/s\n", kRows / bestApi);
    std::printf("TFIBDataSet: %9.0f rows/s\n", kRows / bestDs);
    std::printf("ratio dataset / C API: %.2f (goal >= 0.60)\n", bestApi / bestDs);
    std::printf("raw data %.1f MB; cached rows %.1f MB; ratio %.2f (goal <= 3)\n", ds.rawBytes / 1e6, cached / 1e6,
                static_cast<double>(cached) / static_cast<double>(ds.rawBytes));
    std::printf("process memory grew by %.1f MB at most while the dataset held every row\n",
                (rssPeak - rssBefore) / 1024.0);
    for (int rows : {1000, kRows}) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i)
            best = std::min(best, OpenFirstRows(db, tr, rows));
        std::printf("open and read 32 rows of a %6d-row result: %.2f ms\n", rows, best);
    }
    if (api.checksum == 0)
        return 1;
    return 0;
}
