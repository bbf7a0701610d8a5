#pragma once
#include "FIBError.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class TFIBDatabase;

// Statements and datasets that run in a transaction hear when it ends, so
// that their cursors close with it (commit retaining keeps them open).
class TFIBTransactionUser {
public:
    virtual ~TFIBTransactionUser() = default;
    virtual void TransactionEnding() = 0;
    virtual void TransactionGone() = 0; // the transaction object is destroyed
    // The connection was lost: cursors and statements are gone without the
    // server being told; then it came back and the transaction started again.
    virtual void ConnectionLost() {}
    virtual void ConnectionRestored() {}
};

enum class TTimeoutAction { TARollback, TACommit, TACommitRetaining };

// A transaction on one database. TRParams holds one parameter-block item a
// line ("read_committed", "rec_version", "nowait", ...), optionally with the
// "isc_tpb_" prefix. A transaction not committed rolls back when destroyed.
class TFIBTransaction {
public:
    TFIBTransaction();
    virtual ~TFIBTransaction();
    TFIBTransaction(const TFIBTransaction&) = delete;
    TFIBTransaction& operator=(const TFIBTransaction&) = delete;

    TFIBDatabase* DefaultDatabase() const { return database_; }
    void SetDefaultDatabase(TFIBDatabase* db);
    QStringList TRParams() const { return trParams_; }
    void SetTRParams(const QStringList& params);
    int Timeout = 0; // no idle timeout: the program never sets another
    TTimeoutAction TimeoutAction = TTimeoutAction::TARollback;
    std::function<void(TFIBTransaction&)> OnTimeout;

    bool Active() const { return handle_ != 0; }
    void SetActive(bool value); // False rolls back
    void StartTransaction();
    void Commit();          // ends; open cursors close
    void CommitRetaining(); // keeps the context and open cursors
    void Rollback();        // ends; open cursors close
    void RollbackRetaining();

    // For the layer's own units.
    std::uint32_t* HandlePtr() { return &handle_; }
    void Register(TFIBTransactionUser* user);
    void Unregister(TFIBTransactionUser* user);
    void DatabaseGone(); // the database object is destroyed
    // The connection was lost: the transaction is gone without the server
    // being told, and its users hear it; once the database is attached again,
    // Restart starts it anew and tells its users.
    void ConnectionLost();
    void Restart();

private:
    QByteArray BuildTPB() const;
    void NotifyEnding();
    void CheckActive() const;

    TFIBDatabase* database_ = nullptr;
    QStringList trParams_;
    std::uint32_t handle_ = 0;
    std::vector<TFIBTransactionUser*> users_;
};
