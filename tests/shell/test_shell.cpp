// The application shell: window list, login and connected users, version
// check, the main window's commands and the about box.
#include "Ficheros.h"
#include "Modales.h"
#include "ProgramDatabase.h"
#include "ServidorHttp.h"
#include "TestDatabase.h"
#include "ProgramaAbierto.h"
#include "UDMMain.h"
#include "UFAccesos.h"
#include "UFAcercaDe.h"
#include "UFMain.h"
#include "UFormGest.h"
#include "UPerfil.h"
#include "Teclado.h"
#include "UVersion.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// Two screens for the window list.
class TFPruebaUno : public QWidget {
    Q_OBJECT
};
class TFPruebaDos : public QWidget {
    Q_OBJECT
};

namespace {

// A program folder with the demo database opened by the main data module.
class Shell : public qdtest::ProgramaAbierto {
protected:
    Shell() : ProgramaAbierto(true) {}
};

TEST_F(Shell, WindowListKeepsOneInstanceAndOneEntryAndHandsTheFocusOn)
{
    QMenu ventanas;
    AsignaMenuVentanas(&ventanas);
    QAction uno("Uno"), dos("Dos");
    auto* a = AbreVentana<TFPruebaUno>(&uno);
    EXPECT_EQ(a->objectName(), "FPruebaUno");
    EXPECT_EQ(AbreVentana<TFPruebaUno>(&uno), a); // brought to the front, not opened again
    EXPECT_EQ(VentanasAbiertas(), 1);
    EXPECT_EQ(ventanas.actions().value(0)->text(), "Uno");
    auto* b = AbreVentana<TFPruebaDos>(&dos);
    EXPECT_EQ(VentanasAbiertas(), 2);
    auto* sinEntrada = AbreVentana<TFPruebaUno>(nullptr); // already open: no second window either
    EXPECT_EQ(sinEntrada, a);
    b->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VentanasAbiertas(), 1);
    EXPECT_EQ(VentanaAbierta("TFPruebaDos"), nullptr);
    int reabierta = 0;
    QObject::connect(&uno, &QAction::triggered, [&] { ++reabierta; });
    ventanas.actions().value(0)->trigger(); // the entry runs its command again
    EXPECT_EQ(reabierta, 1);
    CierraVentanas();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VentanasAbiertas(), 0);
    AsignaMenuVentanas(nullptr);
}

TEST_F(Shell, LoginRecordsTheUserRemembersTheCodeAndRefusesASecondLogin)
{
    qdtest::Modales modales;
    {
        TFAccesos accesos;
        EXPECT_TRUE(accesos.EdCodigo->text().isEmpty()); // first login on this machine
        // The password shows as "*", as in the other password fields.
        EXPECT_EQ(accesos.EdClave->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(accesos.EdClave->styleSheet().contains("lineedit-password-character: 42"));
        modales.Espera([](QWidget* w) {
            auto* d = static_cast<TFAccesos*>(w);
            QTest::keyClicks(d->EdCodigo, "1");
            EXPECT_EQ(d->EdNombre->text(), "ADMINISTRADOR");
            QTest::keyClicks(d->EdClave, "Q  "); // compared without surrounding blanks
            QTest::keyClick(d->EdClave, Qt::Key_Return);
        });
        accesos.exec();
        EXPECT_TRUE(accesos.Aceptado());
        EXPECT_EQ(accesos.Codigo(), 1);
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO = 1").toInt(), 1);
    QFile cfg(programa.path() + "/usuario.cfg");
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_EQ(cfg.readAll().trimmed(), "1");

    // The next login shows the code with the focus on the password; the user
    // is connected already: the message, and the dialog stays open.
    TFAccesos otra;
    modales.Espera([&](QWidget* w) {
        EXPECT_EQ(otra.EdCodigo->text(), "1");
        EXPECT_EQ(QApplication::focusWidget(), otra.EdClave);
        QTest::keyClicks(otra.EdClave, "Q");
        QTest::keyClick(otra.EdClave, Qt::Key_Return);
        EXPECT_TRUE(w->isVisible());
    });
    modales.Espera([](QWidget* w) {
        EXPECT_TRUE(qdtest::Textos(w).startsWith("USUARIO CONECTADO\nDESDE:\n")) << qdtest::Textos(w).toStdString();
        EXPECT_EQ(qdtest::Textos(w).size(), QString("USUARIO CONECTADO\nDESDE:\n").size() + 19); // dd/mm/yyyy HH:mm:ss
        qdtest::Pulsa(w, "Aceptar");
    });
    QTimer::singleShot(1500, &otra, [&] {
        EXPECT_TRUE(otra.isVisible());
        otra.reject();
    });
    otra.exec();
    EXPECT_FALSE(otra.Aceptado());
}

TEST_F(Shell, ALastUserFileThatNeverEndsIsReadOneLineAtMost)
{
    ASSERT_TRUE(QFile::link("/dev/zero", programa.path() + "/usuario.cfg"));
    TFAccesos accesos; // returns at once, with no code remembered
    EXPECT_TRUE(accesos.EdCodigo->text().isEmpty());
}

TEST_F(Shell, LoginRefusalsTable)
{
    struct Caso {
        const char* codigo;
        const char* clave;
        const char* mensaje;
        bool cierra;
    } casos[] = {
        {"1", "q", "Nombre de usuario o clave no valida", true}, // letter case counts
        {"99", "", "Nombre de usuario o clave no valida", true},  // no such user
        {"1 OR 1=1", "Q", "El código de usuario debe ser un número entre 1 y 32767.", false},
        {"abc'", "Q", "El código de usuario debe ser un número entre 1 y 32767.", false},
        {"   ", "Q", "Escriba su código de usuario.", false}, // nothing typed: the dialog stays
    };
    for (const Caso& c : casos) {
        TFAccesos accesos;
        qdtest::Modales modales;
        modales.Espera([&](QWidget*) {
            QTest::keyClicks(accesos.EdCodigo, c.codigo);
            QTest::keyClicks(accesos.EdClave, c.clave);
            QTest::keyClick(accesos.EdClave, Qt::Key_Return);
        });
        modales.Espera([&](QWidget* w) {
            EXPECT_EQ(qdtest::Textos(w), c.mensaje) << c.codigo;
            qdtest::Pulsa(w, "Aceptar");
            if (!c.cierra)
                QTimer::singleShot(50, &accesos, [&] {
                    EXPECT_TRUE(accesos.isVisible()) << c.codigo;
                    accesos.reject();
                });
        });
        accesos.exec();
        EXPECT_FALSE(accesos.Aceptado()) << c.codigo;
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO").toInt(), 0);
}

// Logs user 1 in through the dialog; true when accepted. A refused login
// shows "USUARIO CONECTADO" and the dialog is then cancelled.
bool EntraComoAdministrador(bool rechazado)
{
    qdtest::Modales modales;
    TFAccesos accesos;
    modales.Espera([&](QWidget*) {
        accesos.EdCodigo->setText("1");
        accesos.EdClave->setText("Q");
        QTest::keyClick(accesos.EdClave, Qt::Key_Return);
    });
    if (rechazado)
        modales.Espera([&](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).startsWith("USUARIO CONECTADO")) << qdtest::Textos(w).toStdString();
            qdtest::Pulsa(w, "Aceptar");
            QTimer::singleShot(50, &accesos, [&] { accesos.reject(); });
        });
    accesos.exec();
    return accesos.Aceptado();
}

TEST_F(Shell, ARowLeftByASeatThatIsGoneDoesNotKeepItsUserOut)
{
    // The row of a seat whose attachment no longer exists (killed, or a
    // lost connection) is stale; a live seat's row and a row of an earlier
    // version (no attachment recorded) still refuse the login.
    qdtest::Connection vivo(base);
    TFIBQuery q;
    q.SetDatabase(&vivo.db);
    q.SetTransaction(&vivo.tr);
    q.SetSQL("SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
    q.ExecQuery();
    const qint64 conexionViva = q.Fields(0)->AsInteger();
    q.Close();
    struct Caso {
        QString conexion;
        bool entra;
    } casos[] = {{QString::number(conexionViva), false}, {"NULL", false}, {"987654", true}};
    for (const Caso& c : casos) {
        Sql("DELETE FROM SYS_REGISTRO");
        Sql("INSERT INTO SYS_REGISTRO (CODIGO, FECHA_ENTRADA, CONEXION) VALUES (1, 'NOW', " + c.conexion + ")");
        EXPECT_EQ(EntraComoAdministrador(!c.entra), c.entra) << c.conexion.toStdString();
    }
    // The login records its own attachment.
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO = 1 AND CONEXION = CURRENT_CONNECTION").toInt(), 1);
}

TEST_F(Shell, AutomaticLoginSucceedsWithTheBuiltInPasswordAndFailsWithAnother)
{
    {
        TFAccesos accesos;
        EXPECT_TRUE(accesos.Automatico());
        EXPECT_EQ(accesos.Nombre(), "ADMINISTRADOR");
    }
    Sql("DELETE FROM SYS_REGISTRO");
    Sql("UPDATE SYS_USUARIO SET CLAVE = 'otra' WHERE CODIGO = 1");
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qdtest::Textos(w), "Nombre de usuario o clave no valida");
        qdtest::Pulsa(w, "Aceptar");
    });
    TFAccesos accesos;
    EXPECT_FALSE(accesos.Automatico());
}

TEST_F(Shell, MainWindowLogsInAutomaticallyAndRemovesItsRowAtExit)
{
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", "");
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", ""); // no version check here
    Sql("INSERT INTO SYS_REGISTRO (CODIGO, FECHA_ENTRADA) VALUES (5, 'NOW')"); // another seat's
    {
        TFMain principal;
        ASSERT_TRUE(principal.PasosInicio());
        EXPECT_EQ(Entorno.Usuario, 1);
        EXPECT_EQ(principal.LbUsuario->text(), "<b>USUARIO: ADMINISTRADOR</b>");
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO").toInt(), 2);
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO").toInt(), 1);
    {
        TFMain sinLogin; // a run whose login did not happen removes nothing
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_REGISTRO").toInt(), 1);
}

TEST_F(Shell, StripToggleTwiceRestoresTheHeightAndUpdaterNeedsUserOne)
{
    // Shown, the window runs its start-up steps: the automatic login, no version check.
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", "");
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", "");
    TFMain principal;
    principal.setGeometry(0, 0, 800, 600);
    principal.show();
    EXPECT_EQ(principal.PistaVer(), "Ver escritorio o fondo programa");
    principal.VerEscritorio();
    EXPECT_EQ(principal.height(), 115);
    EXPECT_EQ(principal.PistaVer(), "Ver fondo programa");
    principal.VerEscritorio();
    EXPECT_EQ(principal.height(), 600);
    EXPECT_EQ(principal.PistaVer(), "Ver escritorio");

    qdtest::Modales modales;
    Entorno.Usuario = 2;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qdtest::Textos(w), "ACCESO DENEGADO.");
        qdtest::Pulsa(w, "Aceptar");
    });
    principal.Actualizacion();
    Entorno.Usuario = 1;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qdtest::Textos(w), "Opción no disponible");
        qdtest::Pulsa(w, "Aceptar");
    });
    principal.Actualizacion();
}

TEST_F(Shell, TheUpdaterWaitsForTheProgramToEndAndDoesNotRunWhenAScreenStaysOpen)
{
    // An updater in the program folder that leaves a mark when it runs.
    const QString marca = programa.path() + "/actualizado";
    const QString actualizador = programa.path() + "/ACTUALIZADOR.EXE";
    qdtest::EscribeFichero(actualizador, ("#!/bin/sh\necho si > " + marca + "\n").toUtf8());
    QFile::setPermissions(actualizador, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", ""); // start-up without questions
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", "");
    TFMain principal;
    principal.show();
    QTest::qWait(100);
    // A screen that keeps itself open (the user cancels the close): the
    // program goes on and nothing is left to run.
    QWidget terca;
    struct Terca : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != QEvent::Close)
                return false;
            e->ignore();
            return true;
        }
    } filtro;
    terca.installEventFilter(&filtro);
    terca.show();
    principal.Actualizacion();
    EXPECT_TRUE(principal.isVisible());
    EXPECT_TRUE(principal.ActualizadorPendiente().isEmpty());
    terca.removeEventFilter(&filtro);
    terca.close();
    // Closed: the updater is left for when the program has ended, not started.
    principal.Actualizacion();
    EXPECT_FALSE(principal.isVisible());
    EXPECT_EQ(principal.ActualizadorPendiente(), actualizador);
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(marca));
}

TEST_F(Shell, TheWindowsMenuCannotBeOpenedEmptyAndOpensWhenItListsAScreen)
{
    // An empty menu opened from the menu bar left the bar unable to open it
    // again: while no screen is listed the menu is not offered at all.
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", "");
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", "");
    TFMain principal;
    principal.resize(800, 600);
    qdtest::Activa(&principal);
    QTest::qWait(100);
    QMenuBar* barra = principal.menuBar();
    QAction* ventanas = principal.MenuVentanasItem->menuAction();
    auto abre = [&] {
        QTest::mouseClick(barra, Qt::LeftButton, {}, barra->actionGeometry(ventanas).center());
        QTest::qWait(50);
        const bool abierto = principal.MenuVentanasItem->isVisible();
        principal.MenuVentanasItem->close();
        QTest::qWait(50);
        return abierto;
    };
    EXPECT_FALSE(ventanas->isEnabled());
    EXPECT_FALSE(abre());
    for (int vez = 0; vez < 2; ++vez) {
        QAction origen("Uno");
        QWidget* uno = AbreVentana<TFPruebaUno>(&origen);
        EXPECT_TRUE(ventanas->isEnabled());
        principal.activateWindow();
        QTest::qWait(50);
        EXPECT_TRUE(abre()) << "the menu lists the open screen, time " << vez;
        uno->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(ventanas->isEnabled());
    }
}

TEST_F(Shell, TheUserGuideOpensCentredWithACloseButtonAndEscClosesIt)
{
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", "");
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", "");
    TFMain principal;
    principal.MenuAyuda->actions().value(0)->trigger(); // "Ayuda"
    QWidget* ayuda = VentanaAbierta("TAyuda");
    ASSERT_NE(ayuda, nullptr);
    EXPECT_TRUE(ayuda->findChild<QTextBrowser*>()->toMarkdown().contains("QuorumDesk"));
    const QRect pantalla = ayuda->screen()->availableGeometry();
    EXPECT_LE((ayuda->geometry().center() - pantalla.center()).manhattanLength(), 4);
    ASSERT_NE(ayuda->findChild<QPushButton*>("BtCerrar"), nullptr);
    qdtest::Activa(ayuda);
    qdtest::Teclea(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VentanaAbierta("TAyuda"), nullptr);
    // Open again, the button closes it.
    principal.MenuAyuda->actions().value(0)->trigger();
    ayuda = VentanaAbierta("TAyuda");
    ASSERT_NE(ayuda, nullptr);
    ayuda->findChild<QPushButton*>("BtCerrar")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VentanaAbierta("TAyuda"), nullptr);
}

TEST_F(Shell, AboutBoxShowsVersionsDatabaseAndConnections)
{
    TFAcercaDe acerca;
    auto texto = [&](const char* nombre) { return acerca.findChild<QLabel*>(nombre)->text(); };
    EXPECT_EQ(texto("LbBaseDatos"), base);
    EXPECT_EQ(texto("LbVersionBD"), "0.10");
    EXPECT_FALSE(texto("LbMotor").isEmpty());
    EXPECT_EQ(texto("LbConexiones"), "Conexiones activas: 1");
    EXPECT_TRUE(texto("LbSistema").startsWith("Sistema Operativo: "));
    EXPECT_TRUE(qdtest::Textos(&acerca).contains("Versión 0.10"));
}

TEST_F(Shell, VersionCheckAsksOnlyWhenTheServerPublishesANewerVersion)
{
    qdtest::ServidorHttp servidor;
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Actualizacion", "Servidor", servidor.Base());
    struct Caso {
        QByteArray historia;
        bool pregunta;
    } casos[] = {
        {"0.09 primera\n0.10 actual\n0.11 nueva\n", true},
        {"0.11 nueva\n0.10 actual\n", false},   // only the last line counts
        {"0.09 anterior\n", false},
        {"", false},
        {"<html>error</html>\n", false},         // not a version: ignored
    };
    for (const Caso& c : casos) {
        servidor.rutas["/Descargas/historico7.txt"] = {"200 OK", {}, c.historia};
        qdtest::Modales modales;
        if (c.pregunta)
            modales.Espera([](QWidget* w) {
                EXPECT_EQ(w->windowTitle(), "CONFIRMACIÓN");
                qdtest::Pulsa(w, "No");
            });
        QLabel aviso;
        CompruebaVersion(&aviso);
        EXPECT_FALSE(aviso.isVisible());
        EXPECT_FALSE(QFile::exists(programa.path() + "/historico7.txt"));
    }
    const int peticiones = servidor.peticiones;
    EXPECT_EQ(peticiones, 5);
    EXPECT_EQ(servidor.ultimoAgente, "ZerurOvozudir");

    // A workstation with another version than the database's is warned; the
    // machine that holds the database file is not. "CFGACT.CFG" skips it all.
    Sql("UPDATE SYS_VERSION SET VERSION = '0.09' WHERE CODIGO = 1");
    servidor.rutas.clear();
    {
        qdtest::Modales modales;
        modales.Espera([](QWidget* w) {
            EXPECT_EQ(qdtest::Textos(w), "TERMINAL CON VERSION DE QUORUMDESK DISTINTA A SERVIDOR");
            qdtest::Pulsa(w, "Aceptar");
        });
        CompruebaVersion(nullptr);
    }
    qdtest::EscribeFichero(programa.path() + "/quorumdesk.fdb", "");
    {
        qdtest::Modales ninguna;
        CompruebaVersion(nullptr);
    }
    qdtest::EscribeFichero(programa.path() + "/cfgact.cfg", "");
    CompruebaVersion(nullptr);
    EXPECT_EQ(servidor.peticiones, peticiones + 2);
}

TEST_F(Shell, VersionCheckEndsSilentlyWithoutServer)
{
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Actualizacion", "Servidor", "http://127.0.0.1:9");
    qdtest::Modales ninguna;
    QLabel aviso;
    CompruebaVersion(&aviso);
    EXPECT_FALSE(aviso.isVisible());
}

} // namespace

#include "test_shell.moc"
