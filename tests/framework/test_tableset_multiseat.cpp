// Two seats editing one row through table datasets that control concurrency:
// the row lock taken when editing begins holds the other seat off until the
// first posts or cancels.
#include "FIBTableDataSet.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

namespace {

struct Seat {
    qdtest::Connection c;
    TFIBTableSet ds;
    explicit Seat(const QString& db) : c(db, qdtest::ServerUser(), qdtest::ServerPassword())
    {
        ds.SetDatabase(&c.db);
        ds.SetTransaction(&c.tr);
        ds.SetTableName("SYS_BANCOS");
        ds.Open();
        EXPECT_TRUE(ds.Locate("ENTIDAD", {"2100"}));
    }
};


void ExpectLockConflict(Seat& s)
{
    try {
        s.ds.Edit();
        FAIL() << "the second seat began editing a locked row";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(qdtest::IsLockConflict(e.Message())) << e.what();
    }
    EXPECT_EQ(s.ds.State(), TDataSetState::dsBrowse);
}

TEST(TableSetMultiSeat, TheSecondSeatGetsTheLockConflictUntilTheFirstPostsOrCancels)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(TableSetSchema());
    Seat a(db), b(db);

    a.ds.Edit();
    ExpectLockConflict(b);
    ExpectLockConflict(b); // still held
    a.ds.FieldByName("NOMBRE")->SetAsString("Primero");
    a.ds.Post(); // commit-retaining releases the lock

    b.ds.Edit(); // now free; shows the first seat's value
    EXPECT_EQ(b.ds.FieldByName("NOMBRE")->AsString(), "Primero");
    ExpectLockConflict(a);
    b.ds.Cancel(); // releases too

    a.ds.Edit();
    ExpectLockConflict(b);
    a.ds.Cancel();
    b.ds.Edit();
    b.ds.FieldByName("NOMBRE")->SetAsString("Segundo");
    b.ds.Post();
    a.ds.Refresh();
    EXPECT_EQ(a.ds.FieldByName("NOMBRE")->AsString(), "Segundo");
}

TEST(TableSetMultiSeat, WithoutConcurrencyControlBothSeatsEditAndTheLastPostWins)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(TableSetSchema());
    Seat a(db), b(db);
    for (Seat* s : {&a, &b}) {
        s->ds.Opciones = {TOpcionesTableSet::NoControlarConcurrencia};
        s->ds.AfterPost = [s](TFIBDataSet&) { s->c.tr.CommitRetaining(); }; // the data module's graba
    }
    a.ds.Edit();
    b.ds.Edit();
    a.ds.FieldByName("NOMBRE")->SetAsString("A");
    a.ds.Post();
    b.ds.FieldByName("NOMBRE")->SetAsString("B");
    b.ds.Post();
    a.ds.Refresh();
    EXPECT_EQ(a.ds.FieldByName("NOMBRE")->AsString(), "B");
}

} // namespace
