#pragma once
#include "FIBError.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class TFIBTransaction;
class TFIBQuery;

// A connection to a database. DBName is a local path (opened in-process by
// the embedded engine) or "host:/path" / "host/port:/path" (through a server).
// The connection character set is always UTF8.
class TFIBDatabase {
public:
    TFIBDatabase();
    virtual ~TFIBDatabase();
    TFIBDatabase(const TFIBDatabase&) = delete;
    TFIBDatabase& operator=(const TFIBDatabase&) = delete;

    QString DBName() const { return dbName_; }
    void SetDBName(const QString& name); // only while disconnected
    // Lines "name=value"; names are parameter-block items ("user_name",
    // "password", "lc_ctype", "sql_role_name", ...), optionally "isc_dpb_"-prefixed.
    QStringList DBParams() const { return dbParams_; }
    void SetDBParams(const QStringList& params);
    TFIBTransaction* DefaultTransaction() const { return defaultTransaction_; }
    void SetDefaultTransaction(TFIBTransaction* tr) { defaultTransaction_ = tr; }
    int Timeout = 0;
    bool UseLoginPrompt = false; // the program never shows a login dialog of the layer

    std::function<void(TFIBDatabase&)> OnConnect;
    std::function<void(TFIBDatabase&)> OnTimeout;

    void Open();
    // Ends every transaction on this connection (rolling back what was not
    // committed) and frees every statement, then detaches.
    void Close();
    // Removes the connected database's file (its only attachment must be
    // this one); the connection ends with it.
    void Drop();
    bool Connected() const { return handle_ != 0; }
    void SetConnected(bool value);
    // Asks the server; a connection that fails is marked disconnected.
    bool TestConnected();
    // After the connection was lost (EFIBError::ConnectionLost): the old
    // attachment, its transactions and statements are let go without asking
    // the server, the database is attached again and the transactions that
    // were active start again. Datasets keep their rows and any edit in
    // progress; those only browsing are read again.
    void Reconnect();

    int SQLDialect() const { return dialect_; }
    // One entry for every attachment to the database (user names).
    QStringList UserNames();
    QString ServerVersion();
    // Runs a statement without parameters or result in the given transaction.
    void ExecuteImmediate(const QString& sql, TFIBTransaction& tr);

    // Creates a database: SQL dialect 1, default character set UTF8. The file
    // must not exist. forcedWrites off is for throw-away databases only.
    static void CreateDatabase(const QString& path, const QString& user, const QString& password,
                               bool forcedWrites = true, int pageSize = 8192);

    // For the layer's own units.
    std::uint32_t* HandlePtr() { return &handle_; }
    void Register(TFIBTransaction* tr);
    void Unregister(TFIBTransaction* tr);
    void Register(TFIBQuery* q);
    void Unregister(TFIBQuery* q);

private:
    QByteArray BuildDPB() const;
    void ReadDialect();
    void ReleaseDependents();

    QString dbName_;
    QStringList dbParams_;
    TFIBTransaction* defaultTransaction_ = nullptr;
    std::uint32_t handle_ = 0;
    int dialect_ = 3;
    std::vector<TFIBTransaction*> transactions_;
    std::vector<TFIBQuery*> queries_;
};
