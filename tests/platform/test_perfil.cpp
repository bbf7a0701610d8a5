// Profile files: sections and keys without regard to case, and files that
// are not profile files (too long, a device that never ends) refused at once.
#include "Ficheros.h"
#include "UPerfil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Perfil, SectionsAndKeysAreFoundWithoutRegardToCase)
{
    QTemporaryDir dir;
    const QString fichero = dir.filePath("QuorumDesk.INI");
    qdtest::EscribeFichero(fichero, "[Datos]\r\nBaseDeDatos=/srv/q.fdb\r\nraro sin igual\n");
    TIniFile ini(fichero);
    EXPECT_EQ(ini.ReadString("datos", "BASEDEDATOS", "x"), "/srv/q.fdb");
    EXPECT_EQ(ini.ReadString("otra", "clave", "x"), "x");
    ini.WriteString("DATOS", "Usuario", "1");
    EXPECT_TRUE(qdtest::LeeFichero(fichero).contains("raro sin igual")); // lines not understood are kept
    EXPECT_EQ(TIniFile(fichero).ReadString("datos", "usuario", ""), "1");
    EXPECT_EQ(BuscaFichero(dir.path(), "quorumdesk.ini"), fichero);
}

TEST(Perfil, AFileThatIsNoProfileIsRefusedWithoutBeingReadWhole)
{
    QTemporaryDir dir;
    const QString largo = dir.filePath("largo.ini");
    qdtest::EscribeFichero(largo, QByteArray(TIniFile::kMaximoPerfil + 1, 'a'));
    const QString cero = dir.filePath("cero.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", cero));
    for (const QString& fichero : {largo, cero}) {
        try {
            TIniFile ini(fichero);
            ADD_FAILURE() << "read: " << fichero.toStdString();
        } catch (const EUtilesError& e) {
            EXPECT_TRUE(e.Message().contains("demasiado grande")) << e.what();
        }
    }
    qdtest::EscribeFichero(largo, QByteArray(TIniFile::kMaximoPerfil, 'a')); // at the cap: read
    EXPECT_EQ(TIniFile(largo).ReadString("s", "k", "d"), "d");
}

} // namespace
