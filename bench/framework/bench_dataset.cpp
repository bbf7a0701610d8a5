// Fetching an owners-shaped table of 100 000 rows and reading every column:
// the buffered dataset against a plain C API loop doing the same work and,
// where Qt's own Firebird driver is installed, against that driver as a peer
// (QSqlQuery, forward only). The dataset's first walk in a process is shown
// apart: it pays for memory the process has not used yet; it is measured here
// and in new processes of this program (--first-walk). Also the memory the
// cached rows take and the time to open a large and a small result and read
// their first rows. Prints figures; asserts nothing.
#include "BenchPropietarios.h"
#include "FIBDataSet.h"
#include "FIBDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ibase.h>
#include <utility>
#include <vector>
#ifdef QD_BENCH_QT_PEER
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#endif

namespace {

const int kRows = kPropietarios;
const int kRounds = 8;
// The first walk happens once a process: it is measured in this process and
// in as many new ones, the best taken as for the other walks.
const int kNewProcesses = 3;
const char* const kSelect = "SELECT * FROM EMP_PROPIETARIO ORDER BY COMUNIDAD, CODIGO";

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

// Every walk sums the two numbers and the lengths of the texts, so that the
// three can be checked to have read the same values.
struct Walk {
    double seconds = 0;
    long long checksum = 0;
    long long rawBytes = 0; // the values' own bytes: UTF-8 texts and 4-byte numbers
};

// The dataset: open, walk every row, read every field. `cached` and `rssKb`
// tell the memory the rows take while the dataset still holds them.
Walk WalkDataSet(TFIBDatabase& db, TFIBTransaction& tr, std::size_t* cached, long* rssKb)
{
    TFIBDataSet ds;
    ds.SetDatabase(&db);
    ds.SetTransaction(&tr);
    ds.SetSelectSQL({kSelect});
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
        for (int i = 2; i < n; ++i)
            w.checksum += fields[i]->AsString().size();
        ds.Next();
    }
    w.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    *cached = ds.CachedBytes();
    *rssKb = RssKb();
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
    isc_dsql_prepare(st, tr.HandlePtr(), &stmt, 0, kSelect, 1, da);
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
    long long bytes = 0;
    while (isc_dsql_fetch(st, &stmt, 1, da) == 0) {
        for (int i = 0; i < 6; ++i) {
            XSQLVAR& v = da->sqlvar[i];
            if ((v.sqltype & 1) && nulls[i] < 0)
                continue;
            if ((v.sqltype & ~1) == SQL_LONG) {
                ISC_LONG x;
                std::memcpy(&x, v.sqldata, 4);
                w.checksum += x;
                bytes += 4;
            } else {
                unsigned short len;
                std::memcpy(&len, v.sqldata, 2);
                const QString s = QString::fromUtf8(v.sqldata + 2, len);
                w.checksum += s.size();
                bytes += len;
            }
        }
    }
    isc_dsql_free_statement(st, &stmt, DSQL_drop);
    w.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    w.rawBytes = bytes;
    return w;
}

#ifdef QD_BENCH_QT_PEER
// Qt's driver doing the same: a forward-only query, every value as a QVariant.
Walk WalkQtDriver(const QString& connection)
{
    Walk w;
    QSqlDatabase db = QSqlDatabase::database(connection);
    QElapsedTimer t;
    t.start();
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QString::fromLatin1(kSelect))) {
            std::printf("(Qt driver: %s)\n", qPrintable(q.lastError().text()));
            return w;
        }
        while (q.next()) {
            w.checksum += q.value(0).toInt() + q.value(1).toInt();
            for (int i = 2; i < 6; ++i) {
                const QVariant v = q.value(i);
                if (!v.isNull())
                    w.checksum += v.toString().size();
            }
        }
    }
    w.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    return w;
}

// Qt's driver on the same database file, or an empty name when it is not installed.
QString OpenQtDriver(const QString& path)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QIBASE"))) {
        std::printf("(Qt's Firebird driver is not installed: no peer figures)\n");
        return QString();
    }
    const QString name = QStringLiteral("peer");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
    db.setDatabaseName(path);
    db.setUserName(QStringLiteral("SYSDBA"));
    db.setPassword(QStringLiteral("masterkey"));
    db.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    if (!db.open()) {
        std::printf("(Qt driver: %s)\n", qPrintable(db.lastError().text()));
        return QString();
    }
    return name;
}
#endif

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
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (sum == 0)
        std::printf("(no rows)\n");
    return ms;
}

void Same(const char* what, const Walk& a, const Walk& b)
{
    if (a.checksum != b.checksum)
        std::printf("(%s read other values: checksum %lld, the C API loop's %lld)\n", what, a.checksum, b.checksum);
}

// A process of its own for one first walk: its database, a warm-up C API
// walk, a C API walk and the dataset's first walk, printed for the parent as
// "first walk: C_API_SECONDS DATASET_SECONDS".
int FirstWalkOnly()
{
    QTemporaryDir dir;
    TFIBDatabase db;
    CreaPropietarios(db, dir.path() + "/bench.fdb");
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({"read_committed", "rec_version", "nowait"});
    tr.StartTransaction();
    WalkCApi(db, tr);
    const Walk api = WalkCApi(db, tr);
    std::size_t cached = 0;
    long rss = 0;
    const Walk first = WalkDataSet(db, tr, &cached, &rss);
    Same("the dataset's first walk", first, api);
    std::printf("first walk: %.6f %.6f\n", api.seconds, first.seconds);
    return 0;
}

// The first walks of new processes of this program: pairs of C API and
// dataset seconds.
std::vector<std::pair<double, double>> FirstWalksInNewProcesses()
{
    std::vector<std::pair<double, double>> walks;
    for (int i = 0; i < kNewProcesses; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first-walk")});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::printf("(a first walk in a new process failed)\n");
            continue;
        }
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            if (line.startsWith("first walk: ")) {
                const QList<QByteArray> f = line.mid(12).split(' ');
                walks.emplace_back(f.value(0).toDouble(), f.value(1).toDouble());
            } else if (line.startsWith('(')) {
                std::printf("%s\n", line.constData());
            }
        }
    }
    return walks;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--first-walk")))
        return FirstWalkOnly();
    const std::vector<std::pair<double, double>> newProcesses = FirstWalksInNewProcesses();
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.fdb";
    TFIBDatabase db;
    CreaPropietarios(db, path);

    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({"read_committed", "rec_version", "nowait"});
    tr.StartTransaction();
#ifdef QD_BENCH_QT_PEER
    const QString peer = OpenQtDriver(path);
#endif

    // The page cache is warmed for all by a C API walk; then the dataset's
    // first walk in this process, before any other has grown the heap.
    WalkCApi(db, tr);
    Walk api = WalkCApi(db, tr);
    double bestApi = api.seconds;
    std::size_t cached = 0;
    const long rssBefore = RssKb();
    long rssPeak = 0, rss = 0;
    const Walk first = WalkDataSet(db, tr, &cached, &rssPeak);
    double bestDs = first.seconds, bestQt = 1e9;
    Walk ds = first, qt;
    for (int round = 0; round < kRounds; ++round) {
        api = WalkCApi(db, tr);
        bestApi = std::min(bestApi, api.seconds);
        ds = WalkDataSet(db, tr, &cached, &rss);
        bestDs = std::min(bestDs, ds.seconds);
        rssPeak = std::max(rssPeak, rss);
#ifdef QD_BENCH_QT_PEER
        if (!peer.isEmpty()) {
            qt = WalkQtDriver(peer);
            bestQt = std::min(bestQt, qt.seconds);
        }
#endif
    }
    Same("the dataset", ds, api);
    Same("the dataset's first walk", first, api);
    // The first walks are set against the C API walks of the same processes.
    double bestFirst = first.seconds, bestApiAll = bestApi;
    for (const auto& [apiSeconds, dsSeconds] : newProcesses) {
        bestApiAll = std::min(bestApiAll, apiSeconds);
        bestFirst = std::min(bestFirst, dsSeconds);
    }
    const int processes = 1 + static_cast<int>(newProcesses.size());

    std::printf("C API loop: %.0f rows/s\n", kRows / bestApi);
    std::printf("TFIBDataSet: %.0f rows/s\n", kRows / bestDs);
    std::printf("TFIBDataSet first walk of a process, best of %d processes: %.0f rows/s\n", processes,
                kRows / bestFirst);
    std::printf("dataset / C API loop, best of %d: %.2f (goal >= 0.85)\n", kRounds + 1, bestApi / bestDs);
    std::printf("dataset first walk / C API loop, best of %d processes: %.2f (goal >= 0.85)\n", processes,
                bestApiAll / bestFirst);
    if (bestQt < 1e9) {
        Same("Qt's driver", qt, api);
        std::printf("Qt driver, forward only: %.0f rows/s\n", kRows / bestQt);
        std::printf("Qt driver / C API loop, best of %d: %.2f\n", kRounds, bestApi / bestQt);
        std::printf("dataset / Qt driver: %.2f\n", bestQt / bestDs);
    }
    std::printf("raw data: %.1f MB\n", static_cast<double>(api.rawBytes) / 1e6);
    std::printf("cached rows: %.1f MB\n", static_cast<double>(cached) / 1e6);
    std::printf("cached rows / raw data: %.2f (goal <= 3)\n",
                static_cast<double>(cached) / static_cast<double>(api.rawBytes));
    std::printf("process memory growth while the dataset held every row, at most: %.1f MB\n",
                static_cast<double>(rssPeak - rssBefore) / 1024.0);
    for (int rows : {1000, kRows}) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i)
            best = std::min(best, OpenFirstRows(db, tr, rows));
        std::printf("open and read 32 rows of a %d-row result: %.2f ms\n", rows, best);
    }
    return api.checksum == 0 ? 1 : 0;
}
