// The pseudo-key chooser: the dialog itself, and a table dataset that offers
// it for a relation without primary key when code sets AutoSQLdeVistas.
#include "FIBTableDataSet.h"
#include "Modales.h"
#include "TableSetSchema.h"
#include "TestDatabase.h"
#include "UEditorPseudoClaves.h"

#include <QListWidget>
#include <gtest/gtest.h>

namespace {

QStringList Items(const QListWidget* l)
{
    QStringList s;
    for (int i = 0; i < l->count(); ++i)
        s << l->item(i)->text();
    return s;
}

// Picks `campo` in the available list and moves it across.
void Elige(TFMCampos* d, const QString& campo)
{
    const auto found = d->LDisponibles->findItems(campo, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << campo.toStdString();
    d->LDisponibles->setCurrentItem(found.first());
    d->BAnade->click();
}

TEST(EditorPseudoClaves, MovesColumnsBetweenTwoSortedLists)
{
    TFMCampos d({"NOMBRE", "ENTIDAD", "CODIGO"});
    EXPECT_EQ(d.windowTitle(), "Campos pseudo-clave...");
    EXPECT_TRUE(qdtest::Textos(&d).contains("Campos disponibles..."));
    EXPECT_TRUE(qdtest::Textos(&d).contains("Pseudo-claves..."));
    EXPECT_TRUE(d.BAceptar->isDefault());
    EXPECT_EQ(Items(d.LDisponibles), QStringList({"CODIGO", "ENTIDAD", "NOMBRE"}));
    d.BAnade->click(); // nothing selected: nothing moves
    EXPECT_TRUE(d.PseudoClaves().isEmpty());
    Elige(&d, "NOMBRE");
    Elige(&d, "CODIGO");
    EXPECT_EQ(d.PseudoClaves(), QStringList({"CODIGO", "NOMBRE"}));
    EXPECT_EQ(Items(d.LDisponibles), QStringList{"ENTIDAD"});
    d.LClaves->setCurrentRow(1);
    d.BQuita->click();
    EXPECT_EQ(d.PseudoClaves(), QStringList{"CODIGO"});
    EXPECT_EQ(Items(d.LDisponibles), QStringList({"ENTIDAD", "NOMBRE"}));
}

class PseudoClavesTest : public ::testing::Test {
protected:
    PseudoClavesTest() : c(FreshTableSetDb())
    {
        InstalaEditorPseudoClaves();
        ds.SetDatabase(&c.db);
        ds.SetTransaction(&c.tr);
    }
    ~PseudoClavesTest() override { SetPseudoKeyChooserHook(nullptr); }
    qdtest::Connection c;
    TFIBTableSet ds;
};

TEST_F(PseudoClavesTest, ChosenColumnsBecomeTheKeysOfAView)
{
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) {
        auto* d = qobject_cast<TFMCampos*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(Items(d->LDisponibles), QStringList({"ENTIDAD", "NOMBRE"}));
        Elige(d, "ENTIDAD");
        qdtest::Pulsa(d, "Aceptar");
    });
    ds.AutoSQLdeVistas = true;
    ds.Opciones = {TOpcionesTableSet::OrdenarPorPk};
    ds.SetTableName("V_BANCOS");
    EXPECT_EQ(modales.Vistos(), QStringList{"Campos pseudo-clave..."});
    EXPECT_EQ(ds.ClavesPrimarias, QStringList{"ENTIDAD"});
    EXPECT_EQ(ds.SelectSQL(), QStringList({"SELECT * FROM V_BANCOS", " ORDER BY ENTIDAD"}));
    EXPECT_EQ(ds.UpdateSQL(),
              QStringList({"UPDATE V_BANCOS", "SET", "  NOMBRE=?NOMBRE ", "WHERE", "  ENTIDAD=?ENTIDAD "}));
    EXPECT_EQ(ds.DeleteSQL(), QStringList({"DELETE FROM V_BANCOS", "WHERE", "  ENTIDAD=?old_ENTIDAD "}));

    // The view is updatable: the row is locked, written and read back by its pseudo-key.
    ds.Open();
    ASSERT_TRUE(ds.Locate("ENTIDAD", {"2100"}));
    ds.Edit();
    ds.FieldByName("NOMBRE")->SetAsString("Por la vista");
    ds.Post();
    ds.Refresh();
    EXPECT_EQ(ds.FieldByName("NOMBRE")->AsString(), "Por la vista");
}

TEST_F(PseudoClavesTest, CancellingOrNotAskingLeavesTheRelationReadOnly)
{
    {
        qdtest::Modales modales;
        modales.Espera([](QWidget* w) {
            Elige(qobject_cast<TFMCampos*>(w), "TEXTO");
            qdtest::Pulsa(w, "Cancelar");
        });
        ds.AutoSQLdeVistas = true;
        ds.SetTableName("NOTAS");
    }
    EXPECT_EQ(ds.SelectSQL(), QStringList{"SELECT * FROM NOTAS"});
    EXPECT_TRUE(ds.UpdateSQL().isEmpty());
    EXPECT_TRUE(ds.ClavesPrimarias.isEmpty());

    // A loaded definition never asks (an unexpected window would fail the test).
    qdtest::Modales ninguno;
    ds.LoadDefinition({.TableName = "NOTAS", .SelectSQL = {"SELECT * FROM NOTAS"}});
    ds.SetTableName("V_BANCOS");
    EXPECT_TRUE(ds.ClavesPrimarias.isEmpty());
    EXPECT_TRUE(ninguno.Vistos().isEmpty());
}

} // namespace
