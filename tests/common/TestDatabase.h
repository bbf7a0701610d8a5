#pragma once
// Throw-away databases for tests: built once per test program from a script,
// then copied for each test so that tests never see each other's rows.
#include "FIBDatabase.h"
#include "FIBTableSums.h"
#include "FIBTransaction.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace qdtest {

// A folder removed when the test program ends.
QString TempDir();

// Path of a fresh copy of a database built from `script` (dialect 1, UTF8).
// Databases with the same key are built once per test program.
QString FreshDatabase(const QString& key, const QString& script);
// The same for a database that `build` creates at the path it is given.
QString FreshDatabaseFrom(const QString& key, const std::function<void(const QString& path)>& build);

// An open connection with a started "read_committed", "rec_version", "nowait"
// transaction, as the program's data modules use.
struct Connection {
    TFIBDatabase db;
    TFIBTransaction tr;
    explicit Connection(const QString& path, const QString& user = QStringLiteral("SYSDBA"),
                        const QString& password = QStringLiteral("masterkey"));
};

// The row fingerprint (FIBTableSums) of the database `name`, read in a
// connection of its own.
std::vector<TTableSum> Fingerprint(const QString& name, const QString& user = QStringLiteral("SYSDBA"),
                                   const QString& password = QStringLiteral("masterkey"));

// The Firebird server of the multi-seat tests (QD_FB_SERVER, QD_FB_USER,
// QD_FB_PASSWORD). Empty when none is configured.
QString ServerHost();
QString ServerUser();
QString ServerPassword();
// Whether a server error is the server's own words for a row that another
// transaction holds (the text depends on the statement that met the lock).
bool IsLockConflict(const QString& message);

// Creates a database through the server from `script`; returns its
// connection string ("host:/path").
QString ServerDatabase(const QString& script);

} // namespace qdtest

// Under CI a missing server fails the test; elsewhere the test is skipped
// with a visible message.
#define QD_REQUIRE_SERVER()                                                                      \
    do {                                                                                         \
        if (qdtest::ServerHost().isEmpty()) {                                                    \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                             \
                FAIL() << "No Firebird server configured (QD_FB_SERVER) under CI";               \
            GTEST_SKIP() << "No Firebird server configured (QD_FB_SERVER): multi-seat test skipped"; \
        }                                                                                        \
    } while (0)
