#pragma once
// The engine's service manager: backup and restore of a database as the
// engine itself makes them (the ".fbk" format of the standard backup tool),
// with the embedded engine of this process or through a server.
#include "FIBError.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class TFIBDatabase;

// Where a database lives as the engine sees it: the server that holds it
// ("host" or "host/port"; empty for the embedded engine of this process) and
// its path on that machine.
struct TFIBDatabaseLocation {
    QString Server;
    QString Path;
    static TFIBDatabaseLocation Of(const QString& dbName);
    bool Embedded() const { return Server.isEmpty(); }
    QString DBName() const { return Embedded() ? Path : Server + QLatin1Char(':') + Path; }
};

// What a backup or restore reports while it runs. Each is optional.
struct TFIBServiceProgress {
    // A table whose rows are being written (backup) or read back (restore).
    std::function<void(const QString& table)> OnTable{};
    // Bytes of the backup file moved so far (through a server only: the
    // embedded engine reads and writes the file itself).
    std::function<void(qint64 bytes)> OnBytes{};
    // At least once a second while the engine works, so that a window stays painted.
    std::function<void()> OnIdle{};
};

// An attachment to a service manager; detached when destroyed.
class TFIBService {
public:
    // `params`: the database's parameter lines (user_name, password).
    TFIBService(const QString& server, const QStringList& params);
    ~TFIBService();
    TFIBService(const TFIBService&) = delete;
    TFIBService& operator=(const TFIBService&) = delete;

    // Backs up the database at `path` (on the service's machine) into the
    // local file `fbk`, which is replaced. Through a server the file comes
    // over the connection and this process writes it.
    void Backup(const QString& path, const QString& fbk, const TFIBServiceProgress& progress);
    // Restores the local file `fbk` into a new database at `path` (on the
    // service's machine; an existing file is never replaced). Without
    // indexes the restore is quicker, for a database only read once. A
    // failed restore may leave a partial database at `path`: the caller drops it.
    void Restore(const QString& fbk, const QString& path, bool withIndexes, const TFIBServiceProgress& progress);

private:
    void Start(const QByteArray& request);
    // Reads the report until the service ends; `stdinFile` feeds a restore
    // through a server, `stdoutFile` takes a backup's bytes.
    QStringList Run(const TFIBServiceProgress& progress, class QFile* stdinFile, class QFile* stdoutFile);

    bool embedded_;
    std::uint32_t handle_ = 0;
};

// Backup of a database (its DBName and parameters; it need not be open).
void BackupDatabase(const TFIBDatabase& db, const QString& fbk, const TFIBServiceProgress& progress = {});
// Restore into a new database at the DBName of `target`, with its parameters.
void RestoreDatabase(const QString& fbk, const TFIBDatabase& target, bool withIndexes = true,
                     const TFIBServiceProgress& progress = {});
