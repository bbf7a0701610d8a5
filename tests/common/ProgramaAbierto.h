#pragma once
// A program folder whose profile points at a fresh copy of the program's
// database, opened by the main data module as start-up does: the setting of
// every test that drives the program's screens.
#include "ProgramDatabase.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UPerfil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace qdtest {

class ProgramaAbierto : public ::testing::Test {
protected:
    explicit ProgramaAbierto(bool demo = false) : demo_(demo) {}
    void SetUp() override
    {
        qputenv("QUORUMDESK_HOME", programa.path().toUtf8());
        qputenv("QUORUMDESK_CONFIG_DIR", (programa.path() + "/cfg").toUtf8());
        qputenv("no_proxy", "127.0.0.1");
        base = FreshProgramDatabase(demo_);
        TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("datos", "BaseDeDatos", base);
        Entorno = TREntorno{};
        dm = std::make_unique<TDMMain>();
        DMMain = dm.get();
        ASSERT_TRUE(dm->DataModuleCreate(
            {.Aviso = [](const QString& texto, bool informativo) { Mensaje(texto, informativo); },
             .PideCamino = [](const QString& camino) -> std::optional<QString> {
                 ADD_FAILURE() << "the test database did not open: " << camino.toStdString();
                 return std::nullopt;
             },
             .PrimerArranque = {},
             .PideClave = {}}));
    }
    void TearDown() override
    {
        DMMain = nullptr;
        dm.reset();
    }
    // The first column of the first row of a statement (a null QVariant when
    // there is none), run in the main data module's transaction and committed.
    QVariant Sql(const QString& sql)
    {
        dm->QGen.SetSQL(sql);
        dm->QGen.ExecQuery();
        const QVariant v = dm->QGen.IsSelect() && !dm->QGen.Eof() ? dm->QGen.Fields(0)->AsVariant() : QVariant();
        dm->QGen.Close();
        dm->TGenerica.CommitRetaining();
        return v;
    }
    QTemporaryDir programa;
    QString base;
    std::unique_ptr<TDMMain> dm;

private:
    bool demo_;
};

} // namespace qdtest
