#include "FIBTableSums.h"
#include "FIBDatabase.h"
#include "FIBInternal.h"
#include "FIBTransaction.h"

#include <QStringList>
#include <cstring>

using fib::CheckStatus;

namespace {

// A statement handle freed when it goes.
struct SumStatement {
    isc_stmt_handle h = 0;
    ~SumStatement()
    {
        if (h) {
            ISC_STATUS_ARRAY st;
            isc_dsql_free_statement(st, &h, DSQL_drop);
        }
    }
};

// FNV-1a over the bytes of a row; each value is preceded by its kind and
// length so that values cannot shift into each other.
struct RowHash {
    quint64 h = 0xcbf29ce484222325ULL;
    void Add(const void* data, std::size_t n)
    {
        const auto* b = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < n; ++i) {
            h ^= b[i];
            h *= 0x100000001b3ULL;
        }
    }
    void AddValue(short kind, const void* data, std::size_t n)
    {
        const quint32 len = static_cast<quint32>(n);
        Add(&kind, sizeof kind);
        Add(&len, sizeof len);
        Add(data, n);
    }
    // Mixed before rows are summed, so that similar rows do not cancel out.
    quint64 Final() const
    {
        quint64 z = h + 0x9e3779b97f4a7c15ULL;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
};

// Runs a select and calls `row` with its output area for each row.
template <typename F>
void EachRowOf(TFIBDatabase& db, TFIBTransaction& tr, const QString& sql, F&& row)
{
    ISC_STATUS_ARRAY st;
    SumStatement stmt;
    isc_dsql_allocate_statement(st, db.HandlePtr(), &stmt.h);
    CheckStatus(st);
    fib::SqlDA out;
    out.Resize(20);
    const QByteArray text = sql.toUtf8();
    const auto dialect = static_cast<unsigned short>(db.SQLDialect());
    isc_dsql_prepare(st, tr.HandlePtr(), &stmt.h, 0, text.constData(), dialect, out.get());
    CheckStatus(st);
    if (out.Count() > out.Capacity()) {
        out.Resize(out.Count());
        isc_dsql_describe(st, &stmt.h, dialect, out.get());
        CheckStatus(st);
    }
    out.AllocOutputBuffers();
    isc_dsql_execute(st, tr.HandlePtr(), &stmt.h, dialect, nullptr);
    CheckStatus(st);
    for (;;) {
        const ISC_STATUS r = isc_dsql_fetch(st, &stmt.h, dialect, out.get());
        if (r == 100)
            break;
        CheckStatus(st);
        row(out);
    }
}

} // namespace

std::vector<TTableSum> TableSums(TFIBDatabase& db, TFIBTransaction& tr, const std::function<void(const QString&)>& onTable)
{
    if (!tr.Active())
        tr.StartTransaction();
    QStringList tables;
    EachRowOf(db, tr,
            QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 "
                           "AND RDB$VIEW_BLR IS NULL ORDER BY 1"),
            [&](fib::SqlDA& out) {
                const XSQLVAR& v = out.Var(0);
                const auto len = static_cast<unsigned short>(isc_vax_integer(v.sqldata, 2));
                tables << QString::fromUtf8(v.sqldata + 2, len);
            });
    std::vector<TTableSum> sums;
    for (const QString& table : tables) {
        if (onTable)
            onTable(table);
        TTableSum sum{table};
        // Dialect 1 has no quoted names; the name is the catalogue's own.
        QString name = table;
        if (db.SQLDialect() >= 3)
            name = QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        EachRowOf(db, tr, QStringLiteral("SELECT * FROM %1").arg(name), [&](fib::SqlDA& out) {
            RowHash h;
            for (int i = 0; i < out.Count(); ++i) {
                const XSQLVAR& v = out.Var(i);
                const short type = static_cast<short>(v.sqltype & ~1);
                if ((v.sqltype & 1) && *v.sqlind < 0) {
                    h.AddValue(-1, nullptr, 0);
                } else if (type == SQL_VARYING) {
                    const auto len = static_cast<unsigned short>(isc_vax_integer(v.sqldata, 2));
                    h.AddValue(type, v.sqldata + 2, len);
                } else if (type == SQL_BLOB) {
                    // The contents: a blob's id differs from one database to another.
                    ISC_QUAD id;
                    std::memcpy(&id, v.sqldata, sizeof id);
                    const QByteArray bytes = fib::ReadBlob(db.HandlePtr(), tr.HandlePtr(), id);
                    h.AddValue(type, bytes.constData(), static_cast<std::size_t>(bytes.size()));
                } else {
                    h.AddValue(type, v.sqldata, static_cast<unsigned short>(v.sqllen));
                }
            }
            ++sum.Rows;
            sum.Sum += h.Final();
        });
        sums.push_back(sum);
    }
    return sums;
}
