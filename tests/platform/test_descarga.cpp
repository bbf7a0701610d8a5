// HTTP download against a small server on 127.0.0.1 run by the test itself:
// the download keeps the event loop turning, so the server in this same
// thread answers while the file is fetched.
#include "Ficheros.h"
#include "ServidorHttp.h"
#include "UDescarga.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

QString U(const char* texto) { return QString::fromUtf8(texto); }

class Descarga : public testing::Test {
protected:
    void SetUp() override
    {
        // Loopback requests never go through a proxy of the environment.
        qputenv("no_proxy", "127.0.0.1");
        ASSERT_TRUE(dir.isValid());
        destino = dir.filePath(U("historico7.txt"));
    }

    QTemporaryDir dir;
    QString destino;
    qdtest::ServidorHttp servidor;
    TConexionInternet conexion{U("ZerurOvozudir")};
};

TEST_F(Descarga, WritesTheWholeBodyInBlocks)
{
    // Not a multiple of the block size, with every byte value.
    QByteArray cuerpo;
    for (int i = 0; i < 10007; ++i)
        cuerpo.append(static_cast<char>(i * 7 % 256));
    servidor.rutas["/Descargas/historico7.txt"] = {"200 OK", {}, cuerpo};
    ASSERT_TRUE(conexion.Abierta());
    EXPECT_TRUE(DescargaFichero(servidor.Url("/Descargas/historico7.txt"), destino, 30, conexion));
    EXPECT_EQ(qdtest::LeeFichero(destino), cuerpo);
    EXPECT_EQ(servidor.ultimoAgente, QByteArray("ZerurOvozudir"));

    // again on the same connection, overwriting the file with a shorter one
    servidor.rutas["/Descargas/historico7.txt"] = {"200 OK", {}, "2.04 ...\r\n2.05 versión\r\n"};
    EXPECT_TRUE(DescargaFichero(servidor.Url("/Descargas/historico7.txt"), destino, 30, conexion));
    EXPECT_EQ(qdtest::LeeFichero(destino), QByteArray("2.04 ...\r\n2.05 versión\r\n"));
}

TEST_F(Descarga, EmptyBodyGivesAnEmptyFile)
{
    servidor.rutas["/vacio"] = {"200 OK", {}, {}};
    EXPECT_TRUE(DescargaFichero(servidor.Url("/vacio"), destino, 30, conexion));
    EXPECT_TRUE(QFile::exists(destino));
    EXPECT_EQ(qdtest::LeeFichero(destino), QByteArray());
}

TEST_F(Descarga, FollowsRedirections)
{
    servidor.rutas["/viejo"] = {"301 Moved Permanently", "Location: /Descargas/historico7.txt\r\n", {}};
    servidor.rutas["/Descargas/historico7.txt"] = {"200 OK", {}, "2.06\r\n"};
    EXPECT_TRUE(DescargaFichero(servidor.Url("/viejo"), destino, 4096, conexion));
    EXPECT_EQ(qdtest::LeeFichero(destino), QByteArray("2.06\r\n"));
}

TEST_F(Descarga, AnErrorPageIsNotAFileAndLeavesTheOldOneAlone)
{
    qdtest::EscribeFichero(destino, "anterior");
    EXPECT_FALSE(DescargaFichero(servidor.Url("/Descargas/historico7.txt"), destino, 30, conexion));
    EXPECT_EQ(servidor.peticiones, 1);
    EXPECT_EQ(qdtest::LeeFichero(destino), QByteArray("anterior"));

    servidor.rutas["/roto"] = {"500 Internal Server Error", {}, "fallo"};
    EXPECT_FALSE(DescargaFichero(servidor.Url("/roto"), destino, 30, conexion));
    EXPECT_EQ(qdtest::LeeFichero(destino), QByteArray("anterior"));

    // nothing is created where there was no file
    const QString nuevo = dir.filePath(U("nuevo.txt"));
    EXPECT_FALSE(DescargaFichero(servidor.Url("/falta"), nuevo, 30, conexion));
    EXPECT_FALSE(QFile::exists(nuevo));
}

TEST_F(Descarga, AServerThatIsDownGivesFalse)
{
    QString url;
    {
        QTcpServer cerrado;
        ASSERT_TRUE(cerrado.listen(QHostAddress::LocalHost));
        url = QStringLiteral("http://127.0.0.1:%1/Descargas/historico7.txt").arg(cerrado.serverPort());
    }
    EXPECT_FALSE(DescargaFichero(url, destino, 30, conexion));
    EXPECT_FALSE(QFile::exists(destino));
}

TEST_F(Descarga, UnusableUrlsAndFilesGiveFalse)
{
    servidor.rutas["/a"] = {"200 OK", {}, "datos"};
    // a folder that does not exist: no request is made
    EXPECT_FALSE(DescargaFichero(servidor.Url("/a"), dir.filePath(U("no/hay/carpeta.txt")), 30, conexion));
    EXPECT_EQ(servidor.peticiones, 0);
    // only http and https
    qdtest::EscribeFichero(dir.filePath(U("local.txt")), "secreto");
    EXPECT_FALSE(DescargaFichero(QStringLiteral("file://") + dir.filePath(U("local.txt")), destino, 30, conexion));
    EXPECT_FALSE(DescargaFichero(U("esto no es una url"), destino, 30, conexion));
    EXPECT_FALSE(QFile::exists(destino));
}

} // namespace
