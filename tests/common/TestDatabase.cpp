#include "TestDatabase.h"
#include "FIBScript.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QUuid>
#include <gtest/gtest.h>

namespace qdtest {

QString TempDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qdtest-XXXXXX"));
    return dir.path();
}

static QString NewPath(const QString& stem)
{
    return TempDir() + QLatin1Char('/') + stem + QLatin1Char('-') +
           QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".fdb");
}

QString FreshDatabaseFrom(const QString& key, const std::function<void(const QString& path)>& build)
{
    static QHash<QString, QString> templates;
    auto it = templates.find(key);
    if (it == templates.end()) {
        const QString path = NewPath(QStringLiteral("template-") + key);
        build(path);
        it = templates.insert(key, path);
    }
    const QString copy = NewPath(key);
    if (!QFile::copy(it.value(), copy))
        throw std::runtime_error("cannot copy the template database");
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    return copy;
}

QString FreshDatabase(const QString& key, const QString& script)
{
    return FreshDatabaseFrom(key, [&](const QString& path) {
        TFIBDatabase::CreateDatabase(path, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), false);
        TFIBDatabase db;
        db.SetDBName(path);
        db.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey")});
        db.Open();
        ExecuteScript(db, script);
        db.Close();
    });
}

Connection::Connection(const QString& path, const QString& user, const QString& password)
{
    db.SetDBName(path);
    db.SetDBParams({QStringLiteral("user_name=") + user, QStringLiteral("password=") + password});
    db.Open();
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    tr.StartTransaction();
}

QString ServerHost() { return qEnvironmentVariable("QD_FB_SERVER"); }
QString ServerUser() { return qEnvironmentVariable("QD_FB_USER", QStringLiteral("SYSDBA")); }
QString ServerPassword() { return qEnvironmentVariable("QD_FB_PASSWORD"); }

bool IsLockConflict(const QString& message)
{
    return message.contains(QLatin1String("lock conflict on no wait transaction")) ||
           message.contains(QLatin1String("update conflicts with concurrent update"));
}

std::vector<TTableSum> Fingerprint(const QString& name, const QString& user, const QString& password)
{
    Connection c(name, user, password);
    return TableSums(c.db, c.tr);
}

QString ServerDatabase(const QString& script)
{
    const QString name = ServerHost() + QLatin1Char(':') + NewPath(QStringLiteral("server"));
    TFIBDatabase::CreateDatabase(name, ServerUser(), ServerPassword(), false);
    TFIBDatabase db;
    db.SetDBName(name);
    db.SetDBParams({QStringLiteral("user_name=") + ServerUser(), QStringLiteral("password=") + ServerPassword()});
    db.Open();
    ExecuteScript(db, script);
    db.Close();
    return name;
}

} // namespace qdtest
