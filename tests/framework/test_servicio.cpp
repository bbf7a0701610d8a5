// Backup and restore through the engine's service manager: the ".fbk" goes
// both ways with the standard backup tool, a file cut short is refused, and
// the row fingerprint tells equal databases from different ones.
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBService.h"
#include "FIBTableSums.h"
#include "FIBTransaction.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Text, numbers, a date, nulls and a text blob: every kind the program stores.
const char* kEsquema = R"SQL(
CREATE TABLE FICHAS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(40), IMPORTE NUMERIC(15,2),
  FECHA DATE, NOTA BLOB SUB_TYPE 1, FIJO CHAR(5));
CREATE TABLE VACIA (A INTEGER);
CREATE VIEW VISTA AS SELECT CODIGO FROM FICHAS;
INSERT INTO FICHAS VALUES (1, 'Pérez', 12.5, '2026-01-02', 'nota larga {\rtf1}', 'ab');
INSERT INTO FICHAS VALUES (2, NULL, NULL, NULL, NULL, NULL);
INSERT INTO FICHAS VALUES (3, 'Ñandú', -3, '2025-12-31', '', 'xyz');
COMMIT;
)SQL";

QStringList Params() { return {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey")}; }

void Ejecuta(const QString& nombre, const QString& sql)
{
    qdtest::Connection c(nombre);
    c.db.ExecuteImmediate(sql, c.tr);
    c.tr.Commit();
}

void Respalda(const QString& base, const QString& fbk, const TFIBServiceProgress& progreso = {})
{
    TFIBDatabase origen;
    origen.SetDBName(base);
    origen.SetDBParams(Params());
    BackupDatabase(origen, fbk, progreso);
}

QString Nuevo(const QString& nombre) { return QDir(qdtest::TempDir()).filePath(nombre); }

int Gbak(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("gbak"), QStringList{QStringLiteral("-user"), QStringLiteral("SYSDBA")} + args);
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(Servicio, DatabaseLocationSplitsServerAndPath)
{
    const struct {
        const char* nombre;
        const char* servidor;
        const char* camino;
    } casos[] = {
        {"/srv/qd/quorumdesk.fdb", "", "/srv/qd/quorumdesk.fdb"},
        {"C:\\QuorumDesk\\quorumdesk.fdb", "", "C:\\QuorumDesk\\quorumdesk.fdb"},
        {"servidor:/srv/qd/quorumdesk.fdb", "servidor", "/srv/qd/quorumdesk.fdb"},
        {"192.168.1.5/3051:/srv/qd.fdb", "192.168.1.5/3051", "/srv/qd.fdb"},
        {"servidor:C:\\qd.fdb", "servidor", "C:\\qd.fdb"},
    };
    for (const auto& c : casos) {
        const TFIBDatabaseLocation l = TFIBDatabaseLocation::Of(QString::fromUtf8(c.nombre));
        EXPECT_EQ(l.Server, QString::fromUtf8(c.servidor)) << c.nombre;
        EXPECT_EQ(l.Path, QString::fromUtf8(c.camino)) << c.nombre;
        EXPECT_EQ(l.DBName(), QString::fromUtf8(c.nombre));
    }
}

TEST(Servicio, BackupRestoresEqualAndTheStandardToolReadsIt)
{
    const QString base = qdtest::FreshDatabase(QStringLiteral("servicio"), QString::fromUtf8(kEsquema));
    const QString fbk = Nuevo(QStringLiteral("servicio.fbk"));
    QStringList tablas;
    Respalda(base, fbk, {.OnTable = [&](const QString& t) { tablas << t; }});
    EXPECT_TRUE(tablas.contains(QStringLiteral("FICHAS")));

    const std::vector<TTableSum> esperada = qdtest::Fingerprint(base);
    ASSERT_EQ(esperada.size(), 2u); // the view is not a table
    EXPECT_EQ(esperada[0].Table, QStringLiteral("FICHAS"));
    EXPECT_EQ(esperada[0].Rows, 3);

    TFIBDatabase destino;
    destino.SetDBName(Nuevo(QStringLiteral("servicio-restaurada.fdb")));
    destino.SetDBParams(Params());
    RestoreDatabase(fbk, destino);
    EXPECT_EQ(qdtest::Fingerprint(destino.DBName()), esperada);
    // A restore never replaces a database.
    EXPECT_THROW(RestoreDatabase(fbk, destino), EFIBError);

    const QString porGbak = Nuevo(QStringLiteral("servicio-gbak.fdb"));
    ASSERT_EQ(Gbak({QStringLiteral("-c"), fbk, porGbak}), 0);
    EXPECT_EQ(qdtest::Fingerprint(porGbak), esperada);
}

TEST(Servicio, FingerprintSeesEveryKindOfChange)
{
    const QString base = qdtest::FreshDatabase(QStringLiteral("servicio"), QString::fromUtf8(kEsquema));
    const std::vector<TTableSum> antes = qdtest::Fingerprint(base);
    const char* cambios[] = {
        "UPDATE FICHAS SET NOMBRE = 'Perez' WHERE CODIGO = 1",
        "UPDATE FICHAS SET NOTA = 'nota larga {\\rtf2}' WHERE CODIGO = 1",
        "UPDATE FICHAS SET NOMBRE = '' WHERE CODIGO = 2", // null against empty
        "UPDATE FICHAS SET IMPORTE = 12.51 WHERE CODIGO = 1",
        "UPDATE FICHAS SET FIJO = 'xy' WHERE CODIGO = 3",
        "INSERT INTO VACIA VALUES (NULL)",
    };
    for (const char* sql : cambios) {
        const QString copia = qdtest::FreshDatabase(QStringLiteral("servicio"), QString::fromUtf8(kEsquema));
        Ejecuta(copia, QString::fromUtf8(sql));
        EXPECT_NE(qdtest::Fingerprint(copia), antes) << sql;
    }
    // A row written again lies elsewhere on disk: still the same rows.
    const QString otra = qdtest::FreshDatabase(QStringLiteral("servicio"), QString::fromUtf8(kEsquema));
    Ejecuta(otra, QStringLiteral("DELETE FROM FICHAS WHERE CODIGO = 1"));
    Ejecuta(otra, QStringLiteral("INSERT INTO FICHAS VALUES (1, 'Pérez', 12.5, '2026-01-02', 'nota larga {\\rtf1}', 'ab')"));
    EXPECT_EQ(qdtest::Fingerprint(otra), antes);
}

TEST(Servicio, RestoreOfAFileCutShortOrNotABackupFails)
{
    const QString base = qdtest::FreshDatabase(QStringLiteral("servicio"), QString::fromUtf8(kEsquema));
    const QString fbk = Nuevo(QStringLiteral("entera.fbk"));
    Respalda(base, fbk);
    QFile entera(fbk);
    ASSERT_TRUE(entera.open(QIODevice::ReadOnly));
    const QByteArray bytes = entera.readAll();
    const struct {
        const char* nombre;
        QByteArray contenido;
    } casos[] = {{"cortada.fbk", bytes.left(bytes.size() / 2)}, {"texto.fbk", QByteArray("no es una copia\n")}};
    for (const auto& c : casos) {
        QFile f(Nuevo(QString::fromUtf8(c.nombre)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.contenido);
        f.close();
        // Read by the embedded engine itself, or sent to a server.
        const QString servidor = qdtest::ServerHost();
        for (const QString& prefijo : {QString(), servidor.isEmpty() ? QString() : servidor + QLatin1Char(':')}) {
            TFIBDatabase destino;
            destino.SetDBName(prefijo + Nuevo(QString::fromUtf8(c.nombre) + QString::number(prefijo.size()) + QStringLiteral(".fdb")));
            destino.SetDBParams(prefijo.isEmpty() ? Params()
                                                  : QStringList{QStringLiteral("user_name=") + qdtest::ServerUser(),
                                                                QStringLiteral("password=") + qdtest::ServerPassword()});
            EXPECT_THROW(RestoreDatabase(f.fileName(), destino), EFIBError) << c.nombre << qPrintable(prefijo);
        }
    }
}

TEST(Servicio, ThroughAServerTheFileTravelsOverTheConnection)
{
    QD_REQUIRE_SERVER();
    const QString base = qdtest::ServerDatabase(QString::fromUtf8(kEsquema));
    const QStringList params{QStringLiteral("user_name=") + qdtest::ServerUser(), QStringLiteral("password=") + qdtest::ServerPassword()};
    TFIBDatabase origen;
    origen.SetDBName(base);
    origen.SetDBParams(params);
    const QString fbk = Nuevo(QStringLiteral("servidor.fbk"));
    qint64 bytes = 0;
    BackupDatabase(origen, fbk, {.OnBytes = [&](qint64 b) { bytes = b; }});
    EXPECT_GT(bytes, 0);
    EXPECT_EQ(QFileInfo(fbk).size(), bytes);

    TFIBDatabase destino;
    destino.SetDBName(qdtest::ServerHost() + QLatin1Char(':') + Nuevo(QStringLiteral("servidor-restaurada.fdb")));
    destino.SetDBParams(params);
    RestoreDatabase(fbk, destino);
    EXPECT_EQ(qdtest::Fingerprint(destino.DBName(), qdtest::ServerUser(), qdtest::ServerPassword()), qdtest::Fingerprint(base, qdtest::ServerUser(), qdtest::ServerPassword()));
    destino.Open();
    destino.Drop();
    EXPECT_FALSE(QFile::exists(TFIBDatabaseLocation::Of(destino.DBName()).Path));
}
