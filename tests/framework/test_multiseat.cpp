// Two seats on a real Firebird server: commit-retaining publishes a change at
// once, and a "nowait" write on a row the other seat holds fails at once with
// the server's lock-conflict text.
#include "DataAccessSchema.h"
#include "FIBDataSet.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

namespace {

struct Seat {
    qdtest::Connection c;
    TFIBQuery q;
    explicit Seat(const QString& db) : c(db, qdtest::ServerUser(), qdtest::ServerPassword())
    {
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
    }
    QString Name(int codigo)
    {
        q.SetSQL("SELECT NOMBRE FROM PIEZAS WHERE CODIGO = ?C");
        q.ParamByName("C")->SetAsInteger(codigo);
        q.ExecQuery();
        return q.FieldByName("NOMBRE")->AsString();
    }
};

TEST(MultiSeat, CommitRetainingMakesAChangeVisibleToTheOtherSeatAtOnce)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(DataAccessSchema());
    Seat a(db), b(db);
    EXPECT_EQ(a.c.db.UserNames().size(), 2);

    TFIBDataSet ds;
    ds.SetDatabase(&a.c.db);
    ds.SetTransaction(&a.c.tr);
    ds.SetSelectSQL({"SELECT * FROM PIEZAS ORDER BY CODIGO"});
    ds.SetUpdateSQL({"UPDATE PIEZAS SET NOMBRE=?NOMBRE WHERE CODIGO=?old_CODIGO"});
    ds.AfterPost = [&](TFIBDataSet&) { a.c.tr.CommitRetaining(); };
    ds.Open();
    ds.Edit();
    ds.FieldByName("NOMBRE")->SetAsString("Visto");
    EXPECT_EQ(b.Name(1), "Uno"); // not yet posted
    ds.Post();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(b.Name(1), "Visto");
}

TEST(MultiSeat, NowaitWriteOnAHeldRowFailsAtOnceWithTheLockConflictText)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(DataAccessSchema());
    Seat a(db), b(db);
    a.q.SetSQL("UPDATE PIEZAS SET NOMBRE = 'A' WHERE CODIGO = 2"); // held, not committed
    a.q.ExecQuery();
    b.q.SetSQL("UPDATE PIEZAS SET NOMBRE = 'B' WHERE CODIGO = 2");
    try { // a waiting transaction would hang here: nowait answers at once
        b.q.ExecQuery();
        FAIL() << "the second seat wrote a held row";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(qdtest::IsLockConflict(e.Message())) << e.what();
    }
    b.q.SetSQL("UPDATE PIEZAS SET NOMBRE = 'B' WHERE CODIGO = 3"); // another row is free
    b.q.ExecQuery();
    a.c.tr.CommitRetaining();
    b.q.SetSQL("UPDATE PIEZAS SET NOMBRE = 'B' WHERE CODIGO = 2");
    b.q.ExecQuery(); // released by the commit: read-committed writes the newest version
    b.c.tr.CommitRetaining();
    EXPECT_EQ(a.Name(2), "B");
}

TEST(MultiSeat, WrongPasswordIsRefusedWithTheServersTextAndTheObjectStaysUsable)
{
    QD_REQUIRE_SERVER();
    const QString path = qdtest::ServerDatabase(DataAccessSchema());
    TFIBDatabase db;
    db.SetDBName(path);
    db.SetDBParams({"user_name=" + qdtest::ServerUser(), "password=wrong"});
    try {
        db.Open();
        FAIL() << "opened with a wrong password";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.Message().contains("user name and password are not defined")) << e.what();
    }
    db.SetDBParams({"user_name=" + qdtest::ServerUser(), "password=" + qdtest::ServerPassword()});
    db.Open();
    EXPECT_TRUE(db.Connected());
}

} // namespace
