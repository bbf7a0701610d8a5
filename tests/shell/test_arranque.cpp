// Start-up: the INI file, the update script, the marker files, the open loop
// with the path dialog, the environment and the clean-up of connected users.
#include "Ficheros.h"
#include "Modales.h"
#include "TestDatabase.h"
#include "UDMMain.h"
#include "UFCamino.h"
#include "UFServidor.h"
#include "CreaBaseDatos.h"
#include "UPerfil.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kEsquema = QStringLiteral(R"SQL(
CREATE TABLE SYS_REGISTRO (CODIGO SMALLINT, FECHA_ENTRADA DATE, FECHA_SALIDA DATE);
INSERT INTO SYS_REGISTRO VALUES (3, '2026-01-01 10:00', NULL);
INSERT INTO SYS_REGISTRO VALUES (4, '2026-01-01 11:00', NULL);
)SQL");

int Registrados(const QString& camino, const QString& password = QStringLiteral("masterkey"))
{
    qdtest::Connection c(camino, QStringLiteral("SYSDBA"), password);
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL("SELECT COUNT(*) FROM SYS_REGISTRO");
    q.ExecQuery();
    return static_cast<int>(q.Fields(0)->AsInteger());
}

// The server of the multi-seat tests, opened with the program's own password.
#define QD_REQUIRE_PROGRAM_SERVER()                                                                     \
    do {                                                                                                \
        QD_REQUIRE_SERVER();                                                                            \
        if (qdtest::ServerPassword() != QLatin1String(TDMMain::kPassword)) {                            \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                                    \
                FAIL() << "the test server's SYSDBA password must be the program's";                    \
            GTEST_SKIP() << "the test server's SYSDBA password is not the program's: test skipped";     \
        }                                                                                               \
    } while (0)

// A program folder, a configuration folder and a working folder of their own.
class Arranque : public ::testing::Test {
protected:
    Arranque()
    {
        qputenv("QUORUMDESK_HOME", programa.path().toUtf8());
        qputenv("QUORUMDESK_CONFIG_DIR", (config.path() + "/cfg").toUtf8());
        anterior = QDir::currentPath();
        QDir::setCurrent(trabajo.path());
        Entorno = TREntorno{};
    }
    ~Arranque() override { QDir::setCurrent(anterior); }
    QString Ini() const { return QString::fromUtf8(qdtest::LeeFichero(FicheroPerfil("quorumdesk.ini"))); }
    void PonIni(const QString& camino)
    {
        QDir().mkpath(config.path() + "/cfg");
        qdtest::EscribeFichero(config.path() + "/cfg/QuorumDesk.INI", ("[datos]\nBaseDeDatos=" + camino + "\n").toUtf8());
    }
    QString BaseEn(const QString& camino)
    {
        QFile::copy(qdtest::FreshDatabase("arranque", kEsquema), camino);
        return camino;
    }
    QTemporaryDir programa, config, trabajo;
    QString anterior;
};

TEST_F(Arranque, FirstStartWritesTheIniWithTheDefaultPathAndOpensIt)
{
    const QString base = BaseEn(programa.path() + "/quorumdesk.fdb");
    qdtest::EscribeFichero(programa.path() + "/viejo.out", "x");
    qdtest::EscribeFichero(programa.path() + "/OTRO.OUT", "x");
    qdtest::EscribeFichero(programa.path() + "/guarda.txt", "x");
    Entorno.Comunidad = 7;
    TDMMain dm;
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    EXPECT_TRUE(dm.DataBase.Connected());
    EXPECT_TRUE(dm.TGenerica.Active());
    EXPECT_TRUE(Ini().contains("BaseDeDatos=" + base)) << Ini().toStdString();
    EXPECT_EQ(Entorno.Comunidad, 0);
    EXPECT_EQ(Entorno.Usuario, 1);
    EXPECT_EQ(Entorno.Ejercicio, 0);
    EXPECT_EQ(Entorno.CaminoPrograma, programa.path());
    EXPECT_EQ(QDir(programa.path()).entryList(QDir::Files), QStringList({"guarda.txt", "quorumdesk.fdb"}));
    EXPECT_EQ(dm.DataBase.DBParams(), QStringList({"user_name=SYSDBA", "password=kelpstone"}));
}

TEST_F(Arranque, AFailingPathCorrectedInTheDialogOpensAndIsWrittenToTheIni)
{
    const QString base = BaseEn(trabajo.path() + "/buena.fdb");
    PonIni("/no/existe/quorumdesk.fdb");
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).startsWith("Imposible abrir base de datos")) << qdtest::Textos(w).toStdString();
        EXPECT_TRUE(qdtest::Textos(w).contains("/no/existe/quorumdesk.fdb")); // the server's own words follow
        qdtest::Pulsa(w, "Aceptar");
    });
    modales.Espera([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Base de datos");
        auto* ed = w->findChild<QLineEdit*>("EdCamino");
        EXPECT_EQ(ed->text(), "/no/existe/quorumdesk.fdb");
        ed->setText(base);
        qdtest::Pulsa(w, "Reintentar");
    });
    TDMMain dm;
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    EXPECT_EQ(dm.DataBase.DBName(), base);
    EXPECT_TRUE(Ini().contains("BaseDeDatos=" + base)) << Ini().toStdString();
    EXPECT_EQ(QDir(config.path() + "/cfg").entryList(QDir::Files).size(), 1); // one file, whatever the case
}

TEST_F(Arranque, CancellingThePathDialogEndsWithoutTouchingAnything)
{
    PonIni("/no/existe/quorumdesk.fdb");
    const QString antes = Ini();
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    modales.Espera([](QWidget* w) {
        w->findChild<QLineEdit*>("EdCamino")->setText("/otro/sitio.fdb");
        qdtest::Pulsa(w, "Cancelar");
    });
    TDMMain dm;
    EXPECT_FALSE(dm.DataModuleCreate(DialogosArranque()));
    EXPECT_FALSE(dm.DataBase.Connected());
    EXPECT_EQ(Ini(), antes); // only a path that opened is written
}

TEST_F(Arranque, BadInputLeadsToThePathDialog)
{
    struct Caso {
        const char* que;
        QByteArray ini;
    } casos[] = {
        {"garbage INI", QByteArray("\x01\x02 basura\n[[[\n=sin clave\n[datos\nBaseDeDatos\n", 44)},
        {"not a database", "[datos]\nBaseDeDatos=@NOBASE@\n"},
    };
    const QString noBase = trabajo.path() + "/nobase.fdb";
    qdtest::EscribeFichero(noBase, QByteArray(30000, 'z'));
    for (const Caso& c : casos) {
        QDir().mkpath(config.path() + "/cfg");
        qdtest::EscribeFichero(config.path() + "/cfg/quorumdesk.ini", QByteArray(c.ini).replace("@NOBASE@", noBase.toUtf8()));
        qdtest::Modales modales;
        modales.Espera([&](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).startsWith("Imposible abrir base de datos")) << c.que;
            qdtest::Pulsa(w, "Aceptar");
        });
        modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Cancelar"); });
        TDMMain dm;
        EXPECT_FALSE(dm.DataModuleCreate(DialogosArranque())) << c.que;
    }
}

TEST_F(Arranque, AFileHeldByAnotherProgramIsSaidOnceWithoutAskingForAnotherPath)
{
    const QString base = BaseEn(programa.path() + "/quorumdesk.fdb");
    QProcess otro; // another program of this machine with the file open
    otro.start(QStandardPaths::findExecutable("isql-fb"), {"-q", "-user", "SYSDBA", base});
    ASSERT_TRUE(otro.waitForStarted());
    otro.write("SELECT 1 FROM RDB$DATABASE;\n");
    ASSERT_TRUE(otro.waitForReadyRead(10000));
    {
        qdtest::Modales modales; // the message, and no path dialog after it
        modales.Espera([](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).contains("la tiene abierta otro programa")) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
        });
        TDMMain dm;
        EXPECT_FALSE(dm.DataModuleCreate(DialogosArranque()));
    }
    otro.closeWriteChannel();
    otro.waitForFinished(10000);
}

TEST_F(Arranque, UpdateScriptRunsOnlyFromTheProgramFolderBesideTheDatabaseFileAndIsDeleted)
{
    PonIni(BaseEn(config.path() + "/base.fdb"));
    const QString marca = programa.path() + "/corrio";
    // A script in the folder the program was started from is nobody's
    // update: neither run nor touched, even beside a database file.
    qdtest::EscribeFichero(trabajo.path() + "/ACT.BAT", ("echo si > " + marca + "\n").toUtf8());
    qdtest::EscribeFichero(trabajo.path() + "/QuorumDesk.fdb", "x");
    {
        qdtest::Modales ninguna;
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    }
    EXPECT_FALSE(QFile::exists(marca));
    EXPECT_TRUE(QFile::exists(trabajo.path() + "/ACT.BAT"));

    // The program folder's, without "QUORUMDESK.FDB" there: no message, not run, deleted.
    qdtest::EscribeFichero(programa.path() + "/act.bat", ("echo si > " + marca + "\n").toUtf8());
    {
        qdtest::Modales ninguna;
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    }
    EXPECT_FALSE(QFile::exists(marca));
    EXPECT_FALSE(QFile::exists(programa.path() + "/act.bat"));

    // Beside it: announced, run in the program folder to its end, deleted; a
    // failing script is reported.
    qdtest::EscribeFichero(programa.path() + "/QuorumDesk.fdb", "x");
    qdtest::EscribeFichero(programa.path() + "/ACT.BAT", ("sleep 1; pwd > " + marca + "; exit 3\n").toUtf8());
    {
        qdtest::Modales modales;
        modales.Espera([](QWidget* w) {
            EXPECT_EQ(qdtest::Textos(w), "Se va a proceder a actualizar la base de datos, pulse una tecla");
            qdtest::Pulsa(w, "Aceptar");
        });
        modales.Espera([](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).contains("código 3")) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
        });
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    }
    EXPECT_EQ(QString::fromUtf8(qdtest::LeeFichero(marca).trimmed()), QDir(programa.path()).canonicalPath());
    EXPECT_FALSE(QFile::exists(programa.path() + "/ACT.BAT"));
}

TEST_F(Arranque, RemoteServerMarkerSwitchesThePasswordOnly)
{
    BaseEn(programa.path() + "/quorumdesk.fdb");
    qdtest::EscribeFichero(programa.path() + "/servidorremoto.CFG", "");
    TDMMain dm;
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque())); // the embedded engine checks no password
    EXPECT_EQ(dm.DataBase.DBParams(), QStringList({"user_name=SYSDBA", "password=qx7v3mtb"}));
}

TEST_F(Arranque, AnEnvironmentParameterBinderFollowsTheFlags)
{
    BaseEn(programa.path() + "/quorumdesk.fdb");
    TDMMain dm;
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    Entorno.Comunidad = 12;
    TFIBDataSet ds;
    ds.SetDatabase(&dm.DataBase);
    ds.SetTransaction(&dm.TGenerica);
    ds.SetSelectSQL({"SELECT CAST(?Comunidad AS INTEGER) C, CAST(?ejercicio AS INTEGER) E FROM RDB$DATABASE"});
    ds.ParamByName("ejercicio")->SetAsInteger(5);
    dm.AsignarParametrosEntorno(ds, "10000", true);
    EXPECT_EQ(ds.FieldByName("C")->AsInteger(), 12);
    EXPECT_EQ(ds.FieldByName("E")->AsInteger(), 5); // flag 2 not set: left as it was
    dm.AsignarParametrosEntorno(ds, "01", false);
    EXPECT_FALSE(ds.Active());
    ds.Open();
    EXPECT_EQ(ds.FieldByName("E")->AsInteger(), 0);
}

TEST_F(Arranque, ALoneSeatEmptiesTheConnectedUsers)
{
    const QString base = BaseEn(programa.path() + "/quorumdesk.fdb");
    {
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    }
    EXPECT_EQ(Registrados(base), 0);
}

TEST_F(Arranque, ASecondSeatLeavesTheConnectedUsersAlone)
{
    QD_REQUIRE_PROGRAM_SERVER();
    const QString base = qdtest::ServerDatabase(kEsquema);
    PonIni(base);
    {
        qdtest::Connection otroPuesto(base, qdtest::ServerUser(), qdtest::ServerPassword());
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
        EXPECT_EQ(Registrados(base, qdtest::ServerPassword()), 2);
    }
    TDMMain dm;
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    EXPECT_EQ(Registrados(base, qdtest::ServerPassword()), 0);
}

TEST_F(Arranque, OnTheServerARowOfASeatThatIsGoneIsStaleAndALiveSeatsIsNot)
{
    QD_REQUIRE_PROGRAM_SERVER();
    const QString base = qdtest::ServerDatabase(kEsquema);
    PonIni(base);
    // Each seat logs its user in with its own attachment.
    auto entra = [&](qdtest::Connection& puesto, int usuario) {
        TFIBQuery q;
        q.SetDatabase(&puesto.db);
        q.SetTransaction(&puesto.tr);
        q.SetSQL(QStringLiteral("INSERT INTO SYS_REGISTRO (CODIGO, FECHA_ENTRADA, CONEXION) "
                                "VALUES (%1, 'NOW', CURRENT_CONNECTION)").arg(usuario));
        q.ExecQuery();
        puesto.tr.Commit();
    };
    qdtest::Connection vivo(base, qdtest::ServerUser(), qdtest::ServerPassword());
    TDMMain dm; // adds the attachment column to this earlier schema
    ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
    entra(vivo, 7);
    {
        qdtest::Connection muerto(base, qdtest::ServerUser(), qdtest::ServerPassword());
        entra(muerto, 8);
    } // its attachment ends without logging out, as a killed seat's does
    EXPECT_EQ(Registrados(base, qdtest::ServerPassword()), 4);
    dm.QuitaRegistrosHuerfanos();
    // The rows of earlier versions (no attachment) and the live seat's stay.
    EXPECT_EQ(Registrados(base, qdtest::ServerPassword()), 3);
    dm.QGen.SetSQL("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO = 8");
    dm.QGen.ExecQuery();
    EXPECT_EQ(dm.QGen.Fields(0)->AsInteger(), 0);
    dm.QGen.Close();
}

TEST_F(Arranque, OnTheServerAReconnectKeepsTheLoginGuardAndANormalEndLeavesNoRow)
{
    QD_REQUIRE_PROGRAM_SERVER();
    const QString base = qdtest::ServerDatabase(kEsquema);
    PonIni(base);
    qdtest::Connection admin(base, qdtest::ServerUser(), qdtest::ServerPassword());
    auto cuenta = [&](const QString& sql) {
        admin.tr.Commit(); // a fresh look at what the seats committed
        admin.tr.StartTransaction();
        TFIBQuery q;
        q.SetDatabase(&admin.db);
        q.SetTransaction(&admin.tr);
        q.SetSQL(sql);
        q.ExecQuery();
        return q.Fields(0)->AsInteger();
    };
    TDMMain puesto;
    ASSERT_TRUE(puesto.DataModuleCreate(DialogosArranque()));
    puesto.RegistraEntrada(7);
    // The server restarts under the seat: its attachment ends; the seat
    // reconnects.
    const qint64 vieja = cuenta("SELECT CONEXION FROM SYS_REGISTRO WHERE CODIGO = 7");
    {
        TFIBQuery corta;
        corta.SetDatabase(&admin.db);
        corta.SetTransaction(&admin.tr);
        corta.SetSQL(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = %1").arg(vieja));
        corta.ExecQuery();
        admin.tr.Commit();
        admin.tr.StartTransaction();
    }
    puesto.DataBase.Reconnect();
    EXPECT_NE(cuenta("SELECT CONEXION FROM SYS_REGISTRO WHERE CODIGO = 7"), vieja);
    // Another seat's login finds the row live: the same user stays out.
    {
        TDMMain otro;
        ASSERT_TRUE(otro.DataModuleCreate(DialogosArranque()));
        otro.QuitaRegistrosHuerfanos();
        EXPECT_EQ(cuenta("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO = 7"), 1);
    }
    // The normal end removes the seat's row, whatever the shared transaction's state.
    puesto.TGenerica.Commit();
    puesto.RegistraSalida();
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO = 7"), 0);
    EXPECT_EQ(cuenta("SELECT COUNT(*) FROM SYS_REGISTRO"), 2); // the earlier version's rows
}

TEST_F(Arranque, AnInstallationsOwnServerUserAndPasswordReplaceTheBuiltInOnesAndStayPrivate)
{
    // Per database, its settings file and section; the built-in SYSDBA
    // password where the installation set none.
    BaseEn(programa.path() + "/quorumdesk.fdb");
    QDir().mkpath(config.path() + "/cfg");
    const QString cfg = config.path() + "/cfg/";
    qdtest::EscribeFichero(cfg + "quorumdesk.ini", "[datos]\nBaseDeDatos=" + (programa.path() + "/quorumdesk.fdb").toUtf8() +
                                                       "\nUsuario=QUORUMDESK\nClave=s3creta\n");
    QFile::setPermissions(cfg + "quorumdesk.ini", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                                      QFileDevice::ReadOther);
    qdtest::EscribeFichero(cfg + "Halvenbook.ini", "[Datos]\nBaseDeDatos=x\nClave=otra\n");
    TDMMain dm;
    // The embedded engine checks no password but keeps the grants: the test's
    // database belongs to SYSDBA, so this user's clean-up is refused, and
    // said, while the connection itself is made.
    TDialogosArranque dialogos = DialogosArranque();
    dialogos.Aviso = [](const QString&, bool) {};
    ASSERT_TRUE(dm.DataModuleCreate(dialogos));
    EXPECT_EQ(dm.DataBase.DBParams(), QStringList({"user_name=QUORUMDESK", "password=s3creta"}));
    // A password written by hand into a file others could read is kept from
    // them, and later writes of the file keep that.
    EXPECT_EQ(QFile::permissions(cfg + "quorumdesk.ini") & 0x0FFF, QFileDevice::ReadUser | QFileDevice::WriteUser);
    struct Caso {
        const char* fichero;
        QStringList esperados;
    } casos[] = {
        {"halvenbook.ini", {"user_name=SYSDBA", "password=otra"}},
        {"taldemar.ini", {"user_name=SYSDBA", "password=kelpstone"}},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(ParametrosConexion(c.fichero, "Datos", ClaveIncorporada()), c.esperados) << c.fichero;
    TFIBDatabase halvenbook;
    PreparaHalvenbook(halvenbook, "x");
    EXPECT_EQ(halvenbook.DBParams(), QStringList({"user_name=SYSDBA", "password=otra"}));
}

TEST_F(Arranque, AFirstStartWithoutADatabaseOffersTheDemoOrAServer)
{
    // The demo: the program's and the accounting product's, named in the settings.
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Primer arranque");
        qdtest::Pulsa(w, "Base de demostración");
    });
    {
        TDMMain dm;
        ASSERT_TRUE(dm.DataModuleCreate(DialogosArranque()));
        EXPECT_EQ(dm.DataBase.DBName(), programa.path() + "/quorumdesk.fdb");
        dm.QGen.SetSQL("SELECT COUNT(*) FROM SYS_COMUNIDAD");
        dm.QGen.ExecQuery();
        EXPECT_GT(dm.QGen.Fields(0)->AsInteger(), 1);
        dm.QGen.Close();
    }
    EXPECT_TRUE(QFile::exists(programa.path() + "/taldemar.fdb"));
    EXPECT_TRUE(qdtest::LeeFichero(FicheroPerfil("taldemar.ini")).contains("taldemar.fdb"));

    // Cancelled, the program ends and nothing is made.
    QFile::remove(FicheroPerfil("quorumdesk.ini"));
    QFile::remove(programa.path() + "/quorumdesk.fdb");
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Cancelar"); });
    TDMMain cancelado;
    EXPECT_FALSE(cancelado.DataModuleCreate(DialogosArranque()));
    EXPECT_FALSE(QFile::exists(programa.path() + "/quorumdesk.fdb"));
}

// A server user of the test's own, removed at the end, with a database it owns.
class UsuarioServidor {
public:
    UsuarioServidor()
    {
        const QString nombre = QStringLiteral("QD_PRUEBA_%1").arg(QCoreApplication::applicationPid());
        admin_ = std::make_unique<qdtest::Connection>(qdtest::ServerDatabase(kEsquema), qdtest::ServerUser(),
                                                      qdtest::ServerPassword());
        Sql(QStringLiteral("CREATE OR ALTER USER %1 PASSWORD 'buena'").arg(nombre));
        Sql(QStringLiteral("GRANT CREATE DATABASE TO USER %1").arg(nombre));
        Usuario = nombre;
        Base = qdtest::ServerHost() + ":" + qdtest::TempDir() + "/propia.fdb";
        TOpcionesBD o;
        o.Usuario = Usuario;
        o.Clave = "buena";
        CreaBaseDatos(Base, o);
    }
    // The database goes with the test program's folder.
    ~UsuarioServidor() { Sql("DROP USER " + Usuario); }
    QString Usuario, Base;

private:
    void Sql(const QString& sql)
    {
        TFIBQuery q;
        q.SetDatabase(&admin_->db);
        q.SetTransaction(&admin_->tr);
        q.SetSQL(sql);
        q.ExecQuery();
        admin_->tr.Commit();
        admin_->tr.StartTransaction();
    }
    std::unique_ptr<qdtest::Connection> admin_;
};

TEST_F(Arranque, OnTheServerASeatConnectsAsTheProgramsOwnUserAndAWrongPasswordAsksForThePassword)
{
    QD_REQUIRE_SERVER();
    UsuarioServidor propio;
    // First start: "Conectar con un servidor"; a wrong password is said and
    // asked for again, the database line kept.
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Conectar con un servidor"); });
    modales.Espera([&](QWidget* w) {
        auto* d = static_cast<TFServidor*>(w);
        d->EdCamino->setText(propio.Base);
        d->EdUsuario->setText(propio.Usuario);
        d->EdClave->setText("mala");
        qdtest::Pulsa(w, "Conectar");
    });
    modales.Espera([&](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).startsWith("El servidor no acepta la clave del usuario " + propio.Usuario))
            << qdtest::Textos(w).toStdString();
        qdtest::Pulsa(w, "Aceptar");
        QTimer::singleShot(50, [] {
            auto* d = qobject_cast<TFServidor*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->focusWidget(), d->EdClave) << "the password is asked for again";
            EXPECT_TRUE(d->EdClave->text().isEmpty());
            d->EdClave->setText("buena");
            qdtest::Pulsa(d, "Conectar");
        });
    });
    {
        TDMMain puesto;
        ASSERT_TRUE(puesto.DataModuleCreate(DialogosArranque()));
        EXPECT_EQ(puesto.DataBase.DBName(), propio.Base);
        EXPECT_EQ(puesto.DataBase.DBParams(), QStringList({"user_name=" + propio.Usuario, "password=buena"}));
    }
    const QString ini = FicheroPerfil("quorumdesk.ini");
    EXPECT_TRUE(Ini().contains("Clave=buena"));
    EXPECT_EQ(QFile::permissions(ini) & 0x0FFF, QFileDevice::ReadUser | QFileDevice::WriteUser);

    // A later start with a password the server no longer takes: the
    // message in Spanish, then the password, not the path.
    qdtest::EscribeFichero(ini, qdtest::LeeFichero(ini).replace("Clave=buena", "Clave=vieja"));
    modales.Espera([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).contains("El servidor no acepta el usuario o la clave")) << qdtest::Textos(w).toStdString();
        qdtest::Pulsa(w, "Aceptar");
    });
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Clave del servidor");
        w->findChild<QLineEdit*>("EdClave")->setText("buena");
        qdtest::Pulsa(w, "Reintentar");
    });
    TDMMain puesto;
    ASSERT_TRUE(puesto.DataModuleCreate(DialogosArranque()));
    EXPECT_TRUE(Ini().contains("Clave=buena"));
    EXPECT_EQ(QFile::permissions(ini) & 0x0FFF, QFileDevice::ReadUser | QFileDevice::WriteUser);
}

} // namespace
