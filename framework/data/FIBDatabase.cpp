#include "FIBDatabase.h"
#include "FIBInternal.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"

#include <QFile>
#include <algorithm>

using fib::CheckStatus;

namespace {

struct DpbItem {
    const char* name;
    unsigned char code;
    bool numeric;
};

const DpbItem kDpbItems[] = {
    {"user_name", isc_dpb_user_name, false},
    {"password", isc_dpb_password, false},
    {"lc_ctype", isc_dpb_lc_ctype, false},
    {"sql_role_name", isc_dpb_sql_role_name, false},
    {"set_db_charset", isc_dpb_set_db_charset, false},
    {"num_buffers", isc_dpb_num_buffers, true},
    {"sql_dialect", isc_dpb_sql_dialect, true},
    {"set_db_sql_dialect", isc_dpb_set_db_sql_dialect, true},
    {"force_write", isc_dpb_force_write, true},
    {"page_size", isc_dpb_page_size, true},
    {"connect_timeout", isc_dpb_connect_timeout, true},
};

void AddItem(QByteArray& dpb, unsigned char code, const QByteArray& value)
{
    if (value.size() > 255)
        throw EFIBError(QStringLiteral("Database parameter value too long"));
    dpb.append(static_cast<char>(code));
    dpb.append(static_cast<char>(value.size()));
    dpb.append(value);
}

void AddInt(QByteArray& dpb, unsigned char code, qint32 value)
{
    dpb.append(static_cast<char>(code));
    dpb.append(char(4));
    for (int i = 0; i < 4; ++i)
        dpb.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray BuildParams(const QStringList& lines)
{
    QByteArray dpb;
    dpb.append(char(isc_dpb_version1));
    bool charset = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        QString name = (eq < 0 ? line : line.left(eq)).trimmed().toLower();
        const QString value = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        if (name.startsWith(QLatin1String("isc_dpb_")))
            name = name.mid(8);
        const auto* item = std::find_if(std::begin(kDpbItems), std::end(kDpbItems),
                                        [&](const DpbItem& d) { return name == QLatin1String(d.name); });
        if (item == std::end(kDpbItems))
            throw EFIBError(QStringLiteral("Unknown database parameter: %1").arg(name));
        if (item->numeric) {
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok)
                throw EFIBError(QStringLiteral("Invalid value for database parameter %1: %2").arg(name, value));
            AddInt(dpb, item->code, n);
        } else {
            AddItem(dpb, item->code, value.toUtf8());
        }
        if (item->code == isc_dpb_lc_ctype)
            charset = true;
    }
    if (!charset)
        AddItem(dpb, isc_dpb_lc_ctype, QByteArrayLiteral("UTF8"));
    return dpb;
}

// Reads one clumplet list answered by isc_database_info.
template <typename F>
void WalkInfo(const char* buf, int size, F&& onItem)
{
    int i = 0;
    while (i < size) {
        const unsigned char item = static_cast<unsigned char>(buf[i]);
        if (item == isc_info_end || item == isc_info_truncated || i + 3 > size)
            break;
        const int len = static_cast<int>(isc_vax_integer(buf + i + 1, 2));
        if (i + 3 + len > size)
            break;
        onItem(item, buf + i + 3, len);
        i += 3 + len;
    }
}

// The client library and the embedded engine run threads of their own; they
// are stopped before the process ends, so that nothing of them runs while the
// process tears down (and the engine flushes what it holds).
struct ShutdownAtExit {
    ~ShutdownAtExit() { fb_shutdown(0, fb_shutrsn_exit_called); }
} g_shutdownAtExit;

} // namespace

TFIBDatabase::TFIBDatabase() = default;

TFIBDatabase::~TFIBDatabase()
{
    try {
        Close();
    } catch (...) {
        // A destructor never throws; the client library frees the attachment.
        handle_ = 0;
    }
    for (TFIBTransaction* tr : std::vector<TFIBTransaction*>(transactions_))
        tr->DatabaseGone();
    for (TFIBQuery* q : std::vector<TFIBQuery*>(queries_))
        q->DatabaseGone();
}

void TFIBDatabase::SetDBName(const QString& name)
{
    if (Connected())
        throw EFIBError(QStringLiteral("Cannot change the database name while connected"));
    dbName_ = name;
}

void TFIBDatabase::SetDBParams(const QStringList& params)
{
    BuildParams(params); // reject unknown names at once
    dbParams_ = params;
}

QByteArray TFIBDatabase::BuildDPB() const { return BuildParams(dbParams_); }

void TFIBDatabase::Open()
{
    if (Connected())
        return;
    if (dbName_.trimmed().isEmpty())
        throw EFIBError(QStringLiteral("Database name is missing"));
    const QByteArray dpb = BuildDPB();
    const QByteArray name = dbName_.toUtf8();
    ISC_STATUS_ARRAY st;
    isc_db_handle h = 0;
    isc_attach_database(st, static_cast<short>(name.size()), name.constData(), &h,
                        static_cast<short>(dpb.size()), dpb.constData());
    CheckStatus(st);
    handle_ = h;
    try {
        ReadDialect();
    } catch (...) {
        isc_detach_database(st, &h);
        handle_ = 0;
        throw;
    }
    if (OnConnect)
        OnConnect(*this);
}

void TFIBDatabase::ReadDialect()
{
    const char items[] = {isc_info_db_sql_dialect, isc_info_end};
    char buf[64];
    ISC_STATUS_ARRAY st;
    isc_database_info(st, &handle_, sizeof items, items, sizeof buf, buf);
    CheckStatus(st);
    dialect_ = 1;
    WalkInfo(buf, sizeof buf, [&](unsigned char item, const char* p, int len) {
        if (item == isc_info_db_sql_dialect)
            dialect_ = static_cast<int>(isc_vax_integer(p, static_cast<short>(len)));
    });
}

void TFIBDatabase::ReleaseDependents()
{
    for (TFIBTransaction* tr : std::vector<TFIBTransaction*>(transactions_)) {
        if (tr->Active()) {
            try {
                tr->Rollback();
            } catch (const EFIBError&) {
                *tr->HandlePtr() = 0; // the connection is gone; so is the transaction
            }
        }
    }
    for (TFIBQuery* q : std::vector<TFIBQuery*>(queries_))
        q->FreeHandle();
}

void TFIBDatabase::Close()
{
    if (!Connected())
        return;
    ReleaseDependents();
    ISC_STATUS_ARRAY st;
    isc_detach_database(st, &handle_);
    // Even when the server cannot be told (a lost connection), this side is done.
    handle_ = 0;
    CheckStatus(st);
}

void TFIBDatabase::Drop()
{
    if (!Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    ReleaseDependents();
    ISC_STATUS_ARRAY st;
    isc_drop_database(st, &handle_);
    CheckStatus(st);
    handle_ = 0;
}

void TFIBDatabase::Reconnect()
{
    std::vector<TFIBTransaction*> activas;
    for (TFIBQuery* q : std::vector<TFIBQuery*>(queries_))
        q->ConnectionLost();
    for (TFIBTransaction* tr : std::vector<TFIBTransaction*>(transactions_)) {
        if (tr->Active()) {
            activas.push_back(tr);
            tr->ConnectionLost();
        }
    }
    if (handle_) {
        ISC_STATUS_ARRAY st;
        isc_detach_database(st, &handle_); // frees this side; the server is gone
        handle_ = 0;
    }
    Open();
    for (TFIBTransaction* tr : activas)
        tr->Restart();
}

void TFIBDatabase::SetConnected(bool value)
{
    if (value)
        Open();
    else
        Close();
}

bool TFIBDatabase::TestConnected()
{
    if (!Connected())
        return false;
    const char items[] = {isc_info_ods_version, isc_info_end};
    char buf[32];
    ISC_STATUS_ARRAY st;
    isc_database_info(st, &handle_, sizeof items, items, sizeof buf, buf);
    if (st[0] == 1 && st[1] != 0) {
        try {
            Close();
        } catch (const EFIBError&) {
        }
        handle_ = 0;
        return false;
    }
    return true;
}

QStringList TFIBDatabase::UserNames()
{
    if (!Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    const char items[] = {isc_info_user_names, isc_info_end};
    std::vector<char> buf(64 * 1024);
    ISC_STATUS_ARRAY st;
    isc_database_info(st, &handle_, sizeof items, items, static_cast<short>(buf.size() - 1), buf.data());
    CheckStatus(st);
    QStringList names;
    WalkInfo(buf.data(), static_cast<int>(buf.size() - 1), [&](unsigned char item, const char* p, int len) {
        if (item == isc_info_user_names && len > 0) {
            const int n = static_cast<unsigned char>(p[0]);
            names << QString::fromUtf8(p + 1, std::min(n, len - 1));
        }
    });
    return names;
}

QString TFIBDatabase::ServerVersion()
{
    if (!Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    const char items[] = {isc_info_firebird_version, isc_info_end};
    char buf[512];
    ISC_STATUS_ARRAY st;
    isc_database_info(st, &handle_, sizeof items, items, sizeof buf, buf);
    CheckStatus(st);
    QString version;
    WalkInfo(buf, sizeof buf, [&](unsigned char item, const char* p, int len) {
        // A count of strings, each preceded by its length; the first is the server's.
        if (item == isc_info_firebird_version && len > 2 && version.isEmpty()) {
            const int n = static_cast<unsigned char>(p[1]);
            version = QString::fromUtf8(p + 2, std::min(n, len - 2));
        }
    });
    return version;
}

void TFIBDatabase::ExecuteImmediate(const QString& sql, TFIBTransaction& tr)
{
    if (!Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    if (!tr.Active())
        tr.StartTransaction();
    const QByteArray text = sql.toUtf8();
    ISC_STATUS_ARRAY st;
    isc_dsql_execute_immediate(st, &handle_, tr.HandlePtr(), 0, text.constData(),
                               static_cast<unsigned short>(dialect_), nullptr);
    CheckStatus(st);
}

void TFIBDatabase::CreateDatabase(const QString& path, const QString& user, const QString& password,
                                  bool forcedWrites, int pageSize)
{
    if (!path.contains(QLatin1Char(':')) && QFile::exists(path))
        throw EFIBError(QStringLiteral("The database file already exists: %1").arg(path));
    QByteArray dpb;
    dpb.append(char(isc_dpb_version1));
    AddItem(dpb, isc_dpb_user_name, user.toUtf8());
    AddItem(dpb, isc_dpb_password, password.toUtf8());
    AddItem(dpb, isc_dpb_lc_ctype, QByteArrayLiteral("UTF8"));
    AddItem(dpb, isc_dpb_set_db_charset, QByteArrayLiteral("UTF8"));
    AddInt(dpb, isc_dpb_set_db_sql_dialect, 1);
    AddInt(dpb, isc_dpb_sql_dialect, 1);
    AddInt(dpb, isc_dpb_page_size, pageSize);
    AddInt(dpb, isc_dpb_force_write, forcedWrites ? 1 : 0);
    const QByteArray name = path.toUtf8();
    ISC_STATUS_ARRAY st;
    isc_db_handle h = 0;
    isc_create_database(st, static_cast<short>(name.size()), name.constData(), &h,
                        static_cast<short>(dpb.size()), dpb.constData(), 0);
    CheckStatus(st);
    isc_detach_database(st, &h);
    CheckStatus(st);
}

void TFIBDatabase::Register(TFIBTransaction* tr) { transactions_.push_back(tr); }
void TFIBDatabase::Unregister(TFIBTransaction* tr) { std::erase(transactions_, tr); }
void TFIBDatabase::Register(TFIBQuery* q) { queries_.push_back(q); }
void TFIBDatabase::Unregister(TFIBQuery* q) { std::erase(queries_, q); }
