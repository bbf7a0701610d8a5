// The general error message: the everyday database errors, provoked for real,
// say first in Spanish what happened and what to do; the server's text
// follows.
#include "FIBQuery.h"
#include "Modales.h"
#include "TestDatabase.h"
#include "UAplicacion.h"

#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

const QString kEsquema = QStringLiteral(R"SQL(
CREATE TABLE CODIGOS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(3));
INSERT INTO CODIGOS VALUES (1, 'uno');
)SQL");

// The error a statement raises in the connection's transaction.
EFIBError ErrorDe(qdtest::Connection& c, const QString& sql)
{
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL(sql);
    try {
        q.ExecQuery();
    } catch (const EFIBError& e) {
        return e;
    }
    ADD_FAILURE() << "no error: " << sql.toStdString();
    return EFIBError(QString());
}

TEST(ErroresDelMotor, EverydayErrorsAreExplainedFirstAndTheServersTextFollows)
{
    const QString base = qdtest::FreshDatabase("errores", kEsquema);
    qdtest::Connection c(base), otro(base);
    TFIBQuery q;
    q.SetDatabase(&otro.db);
    q.SetTransaction(&otro.tr);
    q.SetSQL("UPDATE CODIGOS SET NOMBRE = 'dos' WHERE CODIGO = 1"); // held, not committed
    q.ExecQuery();
    const struct {
        const char* sql;
        const char* explicacion;
    } casos[] = {
        {"INSERT INTO CODIGOS VALUES (1, 'otr')", "Ya existe un registro con ese código."},
        {"UPDATE CODIGOS SET NOMBRE = 'tre' WHERE CODIGO = 1", "Otro usuario está modificando este registro"},
        {"INSERT INTO CODIGOS VALUES (2, 'demasiado')", "Un dato es demasiado largo para su campo."},
        {"INSERT INTO CODIGOS VALUES ('dos', 'x')", "Un dato no es del tipo que admite su campo"},
    };
    for (const auto& k : casos) {
        const EFIBError e = ErrorDe(c, QString::fromUtf8(k.sql));
        const QString texto = TextoError(e);
        EXPECT_TRUE(texto.startsWith(QString::fromUtf8(k.explicacion))) << texto.toStdString();
        EXPECT_TRUE(texto.endsWith(e.Message())) << "the server's text follows";
    }
    // Any other error is the server's text alone.
    const EFIBError otroError = ErrorDe(c, "SELECT * FROM NO_EXISTE");
    EXPECT_EQ(TextoError(otroError), otroError.Message());
}

TEST(ErroresDelMotor, AFileHeldByAnotherProgramSaysSoAndPointsToTheServer)
{
    const QString base = qdtest::FreshDatabase("errores", kEsquema);
    // Another program of this machine with the file open.
    QProcess otro;
    otro.start(QStandardPaths::findExecutable("isql-fb"), {"-q", "-user", "SYSDBA", base});
    ASSERT_TRUE(otro.waitForStarted());
    otro.write("SELECT 1 FROM RDB$DATABASE;\n");
    ASSERT_TRUE(otro.waitForReadyRead(10000));
    try {
        qdtest::Connection c(base);
        ADD_FAILURE() << "opened a file another program holds";
    } catch (const EFIBError& e) {
        EXPECT_TRUE(e.HeldByAnotherProgram()) << e.what();
        EXPECT_TRUE(TextoError(e).startsWith("La base de datos ya la tiene abierta otro programa")) << e.what();
        EXPECT_TRUE(TextoError(e).contains("servidor Firebird"));
        // The general error message shows it.
        qdtest::Modales modales;
        QString visto;
        modales.Espera([&](QWidget* w) {
            visto = qobject_cast<QMessageBox*>(w)->text();
            qobject_cast<QMessageBox*>(w)->accept();
        });
        MuestraError(e);
        EXPECT_EQ(visto, TextoError(e));
    }
    otro.closeWriteChannel();
    otro.waitForFinished(10000);
}

} // namespace
