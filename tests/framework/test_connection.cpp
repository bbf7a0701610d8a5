// Connecting: the embedded default, failures with the server's own text, and
// objects that stay usable after a failure.
#include "DataAccessSchema.h"
#include "FIBQuery.h"
#include "TestDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

void Attach(TFIBDatabase& db, const QString& path)
{
    db.SetDBName(path);
    db.SetDBParams({"user_name=SYSDBA", "isc_dpb_password=masterkey"});
    db.Open();
}

TEST(Connection, EmbeddedPathOpensDialectOneAndListsItsAttachment)
{
    TFIBDatabase db;
    Attach(db, FreshDataAccessDb());
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(db.SQLDialect(), 1);
    EXPECT_EQ(db.UserNames().size(), 1);
    EXPECT_FALSE(db.ServerVersion().isEmpty());
    EXPECT_TRUE(db.TestConnected());
    db.Close();
    EXPECT_FALSE(db.Connected());
    EXPECT_FALSE(db.TestConnected());
}

TEST(Connection, FailuresCarryTheServersTextAndLeaveTheObjectUsable)
{
    const QString good = FreshDataAccessDb();
    const QString notADatabase = qdtest::TempDir() + "/garbage.fdb";
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'x'));
    }
    struct Case {
        const char* what;
        QString path;
        const char* expected; // a part of the server's text
    } cases[] = {
        {"missing folder", "/no/such/folder/x.fdb", "I/O error"},
        {"not a database", notADatabase, "not a valid database"},
        {"server down", "127.0.0.1/3999:/tmp/x.fdb", "network"},
    };
    for (const Case& c : cases) {
        TFIBDatabase db;
        try {
            Attach(db, c.path);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const EFIBError& e) {
            EXPECT_TRUE(e.Message().contains(c.expected, Qt::CaseInsensitive)) << c.what << ": " << e.what();
            EXPECT_NE(e.IBErrorCode(), 0) << c.what;
        }
        EXPECT_FALSE(db.Connected()) << c.what;
        Attach(db, good); // the same object opens the right path afterwards
        EXPECT_TRUE(db.Connected()) << c.what;
    }
}

TEST(Connection, ParameterNamesAreCheckedAndCharsetIsUtf8)
{
    TFIBDatabase db;
    EXPECT_THROW(db.SetDBParams({"no_such_item=1"}), EFIBError);
    Attach(db, FreshDataAccessDb());
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL("SELECT RDB$CHARACTER_SET_NAME FROM MON$ATTACHMENTS A JOIN RDB$CHARACTER_SETS C "
             "ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsString().trimmed(), "UTF8");
}

TEST(Connection, CreateDatabaseRefusesAnExistingFile)
{
    const QString path = FreshDataAccessDb();
    EXPECT_THROW(TFIBDatabase::CreateDatabase(path, "SYSDBA", "masterkey"), EFIBError);
    TFIBDatabase db;
    Attach(db, path); // untouched
    EXPECT_TRUE(db.Connected());
}

TEST(Connection, ClosingEndsTransactionsAndStatementsAndObjectsOutliveTheDatabase)
{
    auto db = std::make_unique<TFIBDatabase>();
    Attach(*db, FreshDataAccessDb());
    TFIBTransaction tr;
    tr.SetDefaultDatabase(db.get());
    TFIBQuery q;
    q.SetDatabase(db.get());
    q.SetTransaction(&tr);
    q.SetSQL("SELECT N FROM NUMEROS");
    q.ExecQuery();
    EXPECT_TRUE(q.Open());
    db->Close();
    EXPECT_FALSE(tr.Active());
    EXPECT_FALSE(q.Open());
    EXPECT_FALSE(q.Prepared());
    db->Open();
    q.ExecQuery(); // prepares again, starts the transaction again
    EXPECT_EQ(q.Fields(0)->AsInteger(), 1);
    db.reset(); // the transaction and the query are destroyed after it: no use of freed memory
    EXPECT_FALSE(tr.Active());
}

} // namespace
