// Backups of the program's database: a copy counts only once verified, the
// rotation keeps 7 daily and 4 weekly copies, the automatic copy runs once a
// day on the embedded database, and a restore refuses (other seats, a copy
// cut short, another program's database) without touching the current one.
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBService.h"
#include "FIBTableSums.h"
#include "FIBTransaction.h"
#include "ProgramDatabase.h"
#include "TestDatabase.h"
#include "Capturas.h"
#include "Modales.h"
#include "UFCopias.h"
#include "UDMMain.h"
#include "UPerfil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList Params() { return {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey")}; }

// The program's folders in a folder of the test's own, the profile pointing
// at a fresh demo database.
struct Programa {
    QTemporaryDir dir;
    QString base;
    Programa()
    {
        qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
        qputenv("QUORUMDESK_CONFIG_DIR", dir.filePath(QStringLiteral("cfg")).toUtf8());
        base = qdtest::FreshProgramDatabase(true);
        TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini"))).WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), base);
    }
    QString Copias() const { return dir.filePath(QStringLiteral("copias")); }
    QStringList FicherosJuntoABase() const
    {
        const QFileInfo fi(base);
        return fi.dir().entryList({fi.completeBaseName() + QStringLiteral("*")}, QDir::Files);
    }
};

struct Conexion {
    TFIBDatabase db;
    TFIBTransaction tr;
    TFIBQuery q;
    explicit Conexion(const QString& nombre, const QStringList& params = Params())
    {
        db.SetDBName(nombre);
        db.SetDBParams(params);
        db.Open();
        tr.SetDefaultDatabase(&db);
        tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        tr.StartTransaction();
        q.SetDatabase(&db);
        q.SetTransaction(&tr);
    }
    void Ejecuta(const QString& sql)
    {
        q.SetSQL(sql);
        q.ExecQuery();
    }
    QString Nombre(int propietario)
    {
        q.SetSQL(QStringLiteral("SELECT NOMBRE FROM EMP_PROPIETARIO WHERE CODIGO = %1 ORDER BY COMUNIDAD").arg(propietario));
        q.ExecQuery();
        const QString n = q.Fields(0)->AsString();
        q.Close();
        return n;
    }
};

QString Aviso(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EAviso& e) {
        return e.Message();
    }
    return QStringLiteral("(sin aviso)");
}

} // namespace

TEST(Copias, RotationKeepsSevenDailyAndFourWeeklyCopies)
{
    // Two copies a day for 40 days up to Friday 11 December 2026, and a file
    // that is not a copy.
    QStringList nombres{QStringLiteral("notas.fbk")};
    const QDate ultimo(2026, 12, 11);
    for (int d = 0; d < 40; ++d)
        for (const QTime hora : {QTime(9, 0), QTime(19, 30)})
            nombres << NombreCopia(QDateTime(ultimo.addDays(-d), hora));
    const QStringList sobran = CopiasSobrantes(nombres);
    QStringList quedan;
    for (const QString& n : nombres)
        if (!sobran.contains(n))
            quedan << n;
    QStringList esperadas{QStringLiteral("notas.fbk")};
    // The evening copy of the last 7 days; the newest of each earlier week
    // (Sundays 29 and 22 November) until four weeks have one.
    for (int d = 0; d < 7; ++d)
        esperadas << NombreCopia(QDateTime(ultimo.addDays(-d), QTime(19, 30)));
    esperadas << NombreCopia(QDateTime(QDate(2026, 11, 29), QTime(19, 30)))
              << NombreCopia(QDateTime(QDate(2026, 11, 22), QTime(19, 30)));
    quedan.sort();
    esperadas.sort();
    EXPECT_EQ(quedan, esperadas);
    EXPECT_FALSE(MomentoCopia(QStringLiteral("quorumdesk-20261311-000000.fbk")).isValid());
    EXPECT_EQ(MomentoCopia(NombreCopia(QDateTime(ultimo, QTime(9, 0)))), QDateTime(ultimo, QTime(9, 0)));
}

TEST(Copias, ACopyIsVerifiedAndTheStandardToolRestoresItEqual)
{
    Programa p;
    Conexion c(p.base);
    QStringList pasos;
    const QString fichero = HazCopia(c.db, p.Copias(), [&](const QString& paso, int, int) { pasos << paso; });
    EXPECT_TRUE(QFile::exists(fichero));
    EXPECT_TRUE(MomentoCopia(QFileInfo(fichero).fileName()).isValid());
    EXPECT_TRUE(pasos.contains(QStringLiteral("Copiando EMP_PROPIETARIO")));
    EXPECT_TRUE(pasos.contains(QStringLiteral("Verificando: comparando EMP_PROPIETARIO")));
    // Nothing is left beside the database by the verification.
    EXPECT_EQ(p.FicherosJuntoABase(), QStringList{QFileInfo(p.base).fileName()});
    c.db.Close();

    const QString porGbak = QDir(qdtest::TempDir()).filePath(QStringLiteral("por-gbak.fdb"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("gbak"), {QStringLiteral("-c"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), fichero, porGbak}), 0);
    EXPECT_EQ(qdtest::Fingerprint(porGbak), qdtest::Fingerprint(p.base));
}

TEST(Copias, ACopyOnTheServerLeavesOutASecondSeatsUncommittedChange)
{
    QD_REQUIRE_SERVER();
    Programa p;
    const QString enServidor = qdtest::ServerHost() + QLatin1Char(':') + p.base;
    const QStringList params{QStringLiteral("user_name=") + qdtest::ServerUser(), QStringLiteral("password=") + qdtest::ServerPassword()};
    Conexion a(enServidor, params), b(enServidor, params);
    const QString nombre = a.Nombre(1);
    b.Ejecuta(QStringLiteral("UPDATE EMP_PROPIETARIO SET NOMBRE = 'SIN CONFIRMAR' WHERE CODIGO = 1"));
    const QString fichero = HazCopia(a.db, p.Copias());
    b.tr.Rollback();

    TFIBDatabase restaurada;
    restaurada.SetDBName(qdtest::ServerHost() + QLatin1Char(':') + QDir(qdtest::TempDir()).filePath(QStringLiteral("de-servidor.fdb")));
    restaurada.SetDBParams(params);
    RestoreDatabase(fichero, restaurada);
    Conexion r(restaurada.DBName(), params);
    EXPECT_EQ(r.Nombre(1), nombre);
}

TEST(Copias, RefusalsLeaveTheCurrentDatabaseUntouched)
{
    Programa p;
    QString buena;
    {
        Conexion c(p.base);
        buena = HazCopia(c.db, p.Copias());
    }
    const std::vector<TTableSum> antes = qdtest::Fingerprint(p.base);
    QFile entera(buena);
    ASSERT_TRUE(entera.open(QIODevice::ReadOnly));
    const QByteArray bytes = entera.readAll();
    const QString cortada = QDir(p.dir.path()).filePath(QStringLiteral("cortada.fbk"));
    QFile f(cortada);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.left(bytes.size() * 2 / 3));
    f.close();
    // A valid copy of a database of another program.
    const QString ajena = QDir(p.dir.path()).filePath(QStringLiteral("ajena.fbk"));
    {
        TFIBDatabase otra;
        otra.SetDBName(qdtest::FreshDatabase(QStringLiteral("ajena"), QStringLiteral("CREATE TABLE T (A INTEGER); COMMIT;")));
        otra.SetDBParams(Params());
        BackupDatabase(otra, ajena);
    }
    const QString fichero = QDir(p.dir.path()).filePath(QStringLiteral("un-fichero"));
    QFile(fichero).open(QIODevice::WriteOnly);

    const struct {
        const char* caso;
        std::function<void()> orden;
        const char* dice;
    } casos[] = {
        {"copia cortada", [&] { RestauraCopia(cortada, p.base, nullptr, Params()); }, "incompleto, dañado"},
        {"otra base de datos", [&] { RestauraCopia(ajena, p.base, nullptr, Params()); }, "no es de una base de datos de QuorumDesk"},
        {"carpeta sin escritura", [&] {
             Conexion c(p.base);
             HazCopia(c.db, fichero + QStringLiteral("/copias"));
         }, "No se puede crear la carpeta de copias"},
    };
    for (const auto& c : casos) {
        EXPECT_TRUE(Aviso(c.orden).contains(QString::fromUtf8(c.dice))) << c.caso << ": " << qPrintable(Aviso(c.orden));
        EXPECT_EQ(p.FicherosJuntoABase(), QStringList{QFileInfo(p.base).fileName()}) << c.caso;
        EXPECT_EQ(qdtest::Fingerprint(p.base), antes) << c.caso;
    }
}

TEST(Copias, RestoreIsRefusedWhileAnotherSeatIsConnectedAndNamesIt)
{
    Programa p;
    QString fichero;
    {
        Conexion c(p.base);
        fichero = HazCopia(c.db, p.Copias());
    }
    Conexion actual(p.base), otro(p.base);
    otro.Ejecuta(QStringLiteral("INSERT INTO SYS_REGISTRO (CODIGO, FECHA_ENTRADA, CONEXION) VALUES (1, 'NOW', CURRENT_CONNECTION)"));
    otro.tr.Commit();
    otro.q.SetSQL(QStringLiteral("SELECT NOMBRE FROM SYS_USUARIO WHERE CODIGO = 1"));
    otro.q.ExecQuery();
    const QString usuario = otro.q.Fields(0)->AsString().trimmed();
    otro.q.Close();
    const QString aviso = Aviso([&] { RestauraCopia(fichero, p.base, &actual.db, Params()); });
    EXPECT_TRUE(aviso.contains(QStringLiteral("otros puestos"))) << qPrintable(aviso);
    EXPECT_TRUE(aviso.contains(usuario)) << qPrintable(aviso);
    EXPECT_TRUE(actual.db.Connected());
    EXPECT_EQ(p.FicherosJuntoABase(), QStringList{QFileInfo(p.base).fileName()});
}

TEST(Copias, RestoreKeepsTheCurrentFileAsThePreviousOneAndSwitches)
{
    Programa p;
    QString fichero;
    QString nombre;
    {
        Conexion c(p.base);
        nombre = c.Nombre(1);
        fichero = HazCopia(c.db, p.Copias());
        c.Ejecuta(QStringLiteral("UPDATE EMP_PROPIETARIO SET NOMBRE = 'CAMBIADO' WHERE CODIGO = 1"));
        c.tr.Commit();
    }
    Conexion actual(p.base);
    const QString anterior = RestauraCopia(fichero, p.base, &actual.db, Params());
    EXPECT_FALSE(actual.db.Connected());
    EXPECT_TRUE(QFileInfo(anterior).fileName().startsWith(QFileInfo(p.base).completeBaseName() + QStringLiteral("-anterior-")));
    EXPECT_EQ(Conexion(p.base).Nombre(1), nombre);
    EXPECT_EQ(Conexion(anterior).Nombre(1), QStringLiteral("CAMBIADO"));
}

TEST(Copias, TheAutomaticCopyRunsOnceADayAndAFailureIsToldOnce)
{
    Programa p;
    Conexion c(p.base);
    const QDate hoy = QDate::currentDate();
    EXPECT_TRUE(CopiaAlSalir(c.db, hoy));
    EXPECT_EQ(QDir(p.Copias()).entryList({QStringLiteral("*.fbk")}).size(), 1);
    EXPECT_FALSE(CopiaAlSalir(c.db, hoy));
    EXPECT_TRUE(TomaFalloCopia().isEmpty());

    const QString fichero = p.dir.filePath(QStringLiteral("un-fichero"));
    QFile(fichero).open(QIODevice::WriteOnly);
    TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini"))).WriteString(QStringLiteral("Copias"), QStringLiteral("Carpeta"), fichero + QStringLiteral("/copias"));
    EXPECT_FALSE(CopiaAlSalir(c.db, hoy));
    EXPECT_TRUE(TomaFalloCopia().contains(QStringLiteral("carpeta de copias")));
    EXPECT_TRUE(TomaFalloCopia().isEmpty());
}

TEST(Copias, TheCommandLineExitsWithZeroOnlyWhenTheCopyIsVerified)
{
    Programa p;
    EXPECT_EQ(OrdenCopias({QStringLiteral("quorumdesk")}), std::nullopt);
    EXPECT_EQ(OrdenCopias({QStringLiteral("quorumdesk"), QStringLiteral("--copia")}), 2);
    EXPECT_EQ(OrdenCopias({QStringLiteral("quorumdesk"), QStringLiteral("--copia"), p.Copias()}), 0);
    const QStringList copias = QDir(p.Copias()).entryList({QStringLiteral("*.fbk")});
    ASSERT_EQ(copias.size(), 1);
    const QString fichero = p.dir.filePath(QStringLiteral("un-fichero"));
    QFile(fichero).open(QIODevice::WriteOnly);
    EXPECT_EQ(OrdenCopias({QStringLiteral("quorumdesk"), QStringLiteral("--copia"), fichero + QStringLiteral("/x")}), 1);

    const QString nueva = p.dir.filePath(QStringLiteral("nueva.fdb"));
    EXPECT_EQ(OrdenCopias({QStringLiteral("quorumdesk"), QStringLiteral("--restaura"), QDir(p.Copias()).filePath(copias[0]), nueva}), 0);
    EXPECT_EQ(qdtest::Fingerprint(nueva), qdtest::Fingerprint(p.base));
}

TEST(Copias, TheCopyWindowMakesAVerifiedCopyAndTheSessionRestoresIt)
{
    Programa p;
    TDMMain sesion;
    DMMain = &sesion;
    Entorno = TREntorno{};
    ASSERT_TRUE(sesion.DataModuleCreate({.Aviso = [](const QString& texto, bool) { ADD_FAILURE() << qPrintable(texto); },
                                         .PideCamino = [](const QString&) -> std::optional<QString> { return std::nullopt; },
             .PrimerArranque = {},
             .PideClave = {}}));
    {
        TFCopia ventana(true);
        ventana.show();
        EXPECT_EQ(ventana.EdCarpeta->text(), p.Copias()); // the copies folder by default
        const QString otra = p.dir.filePath(QStringLiteral("a mano"));
        ventana.EdCarpeta->setText(otra);
        QTest::mouseClick(ventana.BtCopiar, Qt::LeftButton);
        EXPECT_TRUE(ventana.LbPaso->text().startsWith(QStringLiteral("Copia hecha y verificada"))) << qPrintable(ventana.LbPaso->text());
        EXPECT_EQ(ventana.PbAvance->value(), ventana.PbAvance->maximum());
        EXPECT_TRUE(ventana.BtCopiar->isEnabled());
        EXPECT_EQ(QDir(otra).entryList({QStringLiteral("*.fbk")}).size(), 1);
        qdtest::Captura(QStringLiteral("copia-seguridad"), &ventana);
    }
    // Restored over the session's own database: asked first, then the
    // session works on the restored file, its login registered again.
    const QString fichero = QDir(p.dir.filePath(QStringLiteral("a mano"))).entryInfoList({QStringLiteral("*.fbk")}).value(0).filePath();
    sesion.QGen.SetSQL(QStringLiteral("UPDATE EMP_PROPIETARIO SET NOMBRE = 'CAMBIADO'"));
    sesion.QGen.ExecQuery();
    sesion.TGenerica.CommitRetaining();
    QString mensaje;
    {
        qdtest::Modales modales;
        modales.Espera([](QWidget* w) {
            qdtest::Captura(QStringLiteral("restaurar-copia"), w);
            qdtest::Pulsa(w, QStringLiteral("Sí"));
        });
        modales.Espera([&](QWidget* w) {
            mensaje = qdtest::Textos(w);
            qdtest::Pulsa(w, QStringLiteral("Aceptar"));
        });
        RestauraCopiaSesion(fichero);
    }
    EXPECT_TRUE(mensaje.contains(QStringLiteral("anterior"))) << qPrintable(mensaje);
    ASSERT_TRUE(sesion.DataBase.Connected());
    sesion.QGen.SetSQL(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE NOMBRE = 'CAMBIADO'"));
    sesion.QGen.ExecQuery();
    EXPECT_EQ(sesion.QGen.Fields(0)->AsInteger(), 0);
    sesion.QGen.Close();
    sesion.QGen.SetSQL(QStringLiteral("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CONEXION = CURRENT_CONNECTION"));
    sesion.QGen.ExecQuery();
    EXPECT_EQ(sesion.QGen.Fields(0)->AsInteger(), 1);
    sesion.QGen.Close();
    DMMain = nullptr;
}
