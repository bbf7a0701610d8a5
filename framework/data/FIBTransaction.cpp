#include "FIBTransaction.h"
#include "FIBDatabase.h"
#include "FIBInternal.h"

#include <algorithm>

using fib::CheckStatus;

namespace {
struct TpbItem {
    const char* name;
    unsigned char code;
};
const TpbItem kTpbItems[] = {
    {"read_committed", isc_tpb_read_committed}, {"rec_version", isc_tpb_rec_version},
    {"no_rec_version", isc_tpb_no_rec_version}, {"nowait", isc_tpb_nowait},
    {"wait", isc_tpb_wait},                     {"concurrency", isc_tpb_concurrency},
    {"consistency", isc_tpb_consistency},       {"read", isc_tpb_read},
    {"write", isc_tpb_write},                   {"autocommit", isc_tpb_autocommit},
    {"no_auto_undo", isc_tpb_no_auto_undo},
};

QByteArray ParseTPB(const QStringList& lines)
{
    QByteArray tpb;
    for (const QString& raw : lines) {
        QString name = raw.trimmed().toLower();
        if (name.isEmpty())
            continue;
        if (name.startsWith(QLatin1String("isc_tpb_")))
            name = name.mid(8);
        const auto* item = std::find_if(std::begin(kTpbItems), std::end(kTpbItems),
                                        [&](const TpbItem& t) { return name == QLatin1String(t.name); });
        if (item == std::end(kTpbItems))
            throw EFIBError(QStringLiteral("Unknown transaction parameter: %1").arg(name));
        if (tpb.isEmpty())
            tpb.append(char(isc_tpb_version3));
        tpb.append(static_cast<char>(item->code));
    }
    return tpb;
}
} // namespace

TFIBTransaction::TFIBTransaction() = default;

TFIBTransaction::~TFIBTransaction()
{
    if (Active()) {
        try {
            Rollback();
        } catch (const EFIBError&) {
            handle_ = 0; // destructors never throw; the server ends it with the attachment
        }
    }
    for (TFIBTransactionUser* u : std::vector<TFIBTransactionUser*>(users_))
        u->TransactionGone();
    if (database_)
        database_->Unregister(this);
}

void TFIBTransaction::SetDefaultDatabase(TFIBDatabase* db)
{
    if (db == database_)
        return;
    if (Active())
        throw EFIBError(QStringLiteral("Cannot change the database of an active transaction"));
    if (database_)
        database_->Unregister(this);
    database_ = db;
    if (database_)
        database_->Register(this);
}

void TFIBTransaction::DatabaseGone()
{
    handle_ = 0;
    database_ = nullptr;
}

void TFIBTransaction::SetTRParams(const QStringList& params)
{
    ParseTPB(params); // reject unknown items at once
    trParams_ = params;
}

QByteArray TFIBTransaction::BuildTPB() const { return ParseTPB(trParams_); }

void TFIBTransaction::SetActive(bool value)
{
    if (value && !Active())
        StartTransaction();
    else if (!value && Active())
        Rollback();
}

void TFIBTransaction::StartTransaction()
{
    if (Active())
        throw EFIBError(QStringLiteral("Transaction already active"));
    if (!database_)
        throw EFIBError(QStringLiteral("Database not assigned"));
    if (!database_->Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    const QByteArray tpb = BuildTPB();
    ISC_STATUS_ARRAY st;
    isc_tr_handle h = 0;
    isc_start_transaction(st, &h, 1, database_->HandlePtr(), static_cast<unsigned short>(tpb.size()),
                          tpb.isEmpty() ? nullptr : tpb.constData());
    CheckStatus(st);
    handle_ = h;
}

void TFIBTransaction::CheckActive() const
{
    if (!Active())
        throw EFIBError(QStringLiteral("Transaction is not active"));
}

void TFIBTransaction::NotifyEnding()
{
    for (TFIBTransactionUser* u : std::vector<TFIBTransactionUser*>(users_)) {
        if (std::find(users_.begin(), users_.end(), u) != users_.end())
            u->TransactionEnding();
    }
}

namespace {
// Runs one of the C API's commit or rollback calls on the handle.
template <typename Call>
void Termina(Call call, std::uint32_t& handle)
{
    ISC_STATUS_ARRAY st;
    call(st, &handle);
    CheckStatus(st);
}
} // namespace

void TFIBTransaction::Commit()
{
    CheckActive();
    // The datasets close only once the commit is made: a commit that fails
    // leaves the transaction and its open datasets as they were.
    Termina(isc_commit_transaction, handle_);
    handle_ = 0;
    NotifyEnding();
}

void TFIBTransaction::CommitRetaining()
{
    CheckActive();
    Termina(isc_commit_retaining, handle_);
}

void TFIBTransaction::Rollback()
{
    CheckActive();
    Termina(isc_rollback_transaction, handle_);
    handle_ = 0;
    NotifyEnding();
}

void TFIBTransaction::RollbackRetaining()
{
    CheckActive();
    Termina(isc_rollback_retaining, handle_);
}

void TFIBTransaction::ConnectionLost()
{
    handle_ = 0;
    for (TFIBTransactionUser* u : std::vector<TFIBTransactionUser*>(users_))
        if (std::find(users_.begin(), users_.end(), u) != users_.end())
            u->ConnectionLost();
}

void TFIBTransaction::Restart()
{
    StartTransaction();
    for (TFIBTransactionUser* u : std::vector<TFIBTransactionUser*>(users_))
        if (std::find(users_.begin(), users_.end(), u) != users_.end())
            u->ConnectionRestored();
}

void TFIBTransaction::Register(TFIBTransactionUser* user)
{
    if (std::find(users_.begin(), users_.end(), user) == users_.end())
        users_.push_back(user);
}

void TFIBTransaction::Unregister(TFIBTransactionUser* user) { std::erase(users_, user); }
