// Two seats editing one row through table datasets: the row lock taken when
// editing begins holds the other seat off until the first posts or cancels;
// without that lock, a save never overwrites what another seat changed or
// deleted since the row was read.
#include "FIBTableDataSet.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"

#include <functional>
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

// The screens' settings: no lock when editing begins, a commit after each change.
void ComoLasPantallas(Seat& s)
{
    s.ds.Opciones = {TOpcionesTableSet::NoControlarConcurrencia};
    s.ds.AfterPost = [&s](TFIBDataSet&) { s.c.tr.CommitRetaining(); };
    s.ds.AfterDelete = [&s](TFIBDataSet&) { s.c.tr.CommitRetaining(); };
}

QString NombreEnElServidor(Seat& s)
{
    TFIBQuery q;
    q.SetDatabase(&s.c.db);
    q.SetTransaction(&s.c.tr);
    q.SetSQL("SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD = '2100'");
    q.ExecQuery();
    return q.Eof() ? QStringLiteral("<borrado>") : q.Fields(0)->AsString();
}

TEST(TableSetMultiSeat, WithoutTheLockASaveOverAnotherSeatsChangeIsRefusedAndShowsTheRowAsItIs)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(TableSetSchema());
    Seat a(db), b(db);
    ComoLasPantallas(a);
    ComoLasPantallas(b);
    // Nobody else changed the row: both save, one after the other.
    b.ds.Edit();
    b.ds.FieldByName("NOMBRE")->SetAsString("Sin conflicto");
    b.ds.Post();
    EXPECT_EQ(NombreEnElServidor(a), "Sin conflicto");

    a.ds.Refresh();
    b.ds.Refresh();
    a.ds.Edit();
    b.ds.Edit();
    a.ds.FieldByName("NOMBRE")->SetAsString("A");
    a.ds.Post();
    b.ds.FieldByName("NOMBRE")->SetAsString("B");
    const QString error = ErrorOf([&] { b.ds.Post(); });
    EXPECT_TRUE(error.contains("Otro usuario ha cambiado este registro")) << error.toStdString();
    EXPECT_EQ(b.ds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(b.ds.FieldByName("NOMBRE")->AsString(), "A"); // the row as it now is
    EXPECT_EQ(NombreEnElServidor(a), "A");
    // The refusal kept no lock: the first seat edits on.
    a.ds.Edit();
    a.ds.FieldByName("NOMBRE")->SetAsString("A2");
    a.ds.Post();
    // Editing begins with the row as it now is: the second seat's next save
    // goes through.
    b.ds.Edit();
    EXPECT_EQ(b.ds.FieldByName("NOMBRE")->AsString(), "A2");
    b.ds.FieldByName("NOMBRE")->SetAsString("B3");
    b.ds.Post();
    EXPECT_EQ(NombreEnElServidor(a), "B3");
}

TEST(TableSetMultiSeat, ARowDeletedByAnotherSeatIsNeitherSavedNorDeletedAgainAndLeavesTheList)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(TableSetSchema());
    Seat a(db), b(db), c(db);
    for (Seat* s : {&a, &b, &c})
        ComoLasPantallas(*s);
    const int filas = b.ds.RecordCount();
    b.ds.Edit();
    a.ds.Delete();
    b.ds.FieldByName("NOMBRE")->SetAsString("Tarde");
    EXPECT_TRUE(ErrorOf([&] { b.ds.Post(); }).contains("ya no existe")) << "save";
    EXPECT_EQ(b.ds.RecordCount(), filas - 1);
    EXPECT_FALSE(b.ds.Locate("ENTIDAD", {"2100"}));
    EXPECT_EQ(NombreEnElServidor(a), "<borrado>");
    // Deleting it again finds nothing: said, and it leaves the list.
    EXPECT_TRUE(ErrorOf([&] { c.ds.Delete(); }).contains("ya no existe")) << "delete";
    EXPECT_FALSE(c.ds.Locate("ENTIDAD", {"2100"}));
}

TEST(TableSetMultiSeat, AnUpdateThatFindsNoRowSaysSoEvenWithoutTheTableDatasetsCheck)
{
    QD_REQUIRE_SERVER();
    const QString db = qdtest::ServerDatabase(TableSetSchema());
    Seat a(db);
    qdtest::Connection otro(db, qdtest::ServerUser(), qdtest::ServerPassword());
    TFIBDataSet plano;
    plano.SetDatabase(&otro.db);
    plano.SetTransaction(&otro.tr);
    plano.SetSelectSQL({"SELECT * FROM SYS_BANCOS WHERE ENTIDAD = '2100'"});
    plano.SetUpdateSQL({"UPDATE SYS_BANCOS SET NOMBRE = ?NOMBRE WHERE ENTIDAD = ?old_ENTIDAD"});
    plano.Open();
    plano.Edit();
    a.ds.Delete();
    a.c.tr.CommitRetaining();
    plano.FieldByName("NOMBRE")->SetAsString("Nadie");
    EXPECT_TRUE(ErrorOf([&] { plano.Post(); }).contains("ya no existe"));
    EXPECT_TRUE(plano.IsEmpty());
}

} // namespace
