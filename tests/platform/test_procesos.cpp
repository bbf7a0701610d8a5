// Starting, watching and waiting for external programs, and the mail
// hand-over, against small helper programs made by the test: copies of
// /bin/sleep and /bin/true under names of their own, shell scripts that record
// their arguments, and a stub xdg-email placed first on PATH.
#include "Ficheros.h"
#include "UProcesos.h"
#include "UCorreo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString U(const char* texto) { return QString::fromUtf8(texto); }

class Procesos : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sufijo = QString::number(::getpid());
    }

    // A copy of a system program under a name no other process has.
    QString Copia(const char* original, const QString& nombre)
    {
        const QString ruta = dir.filePath(nombre);
        EXPECT_TRUE(QFile::copy(U(original), ruta));
        QFile::setPermissions(ruta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return ruta;
    }

    QString Guion(const QString& nombre, const QByteArray& cuerpo)
    {
        const QString ruta = dir.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + cuerpo);
        f.close();
        QFile::setPermissions(ruta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return ruta;
    }

    // The NUL-separated arguments a helper script wrote.
    static QStringList Argumentos(const QString& fichero)
    {
        QFile f(fichero);
        if (!f.open(QIODevice::ReadOnly))
            return {U("<no file>")};
        QStringList lista;
        const QByteArray todo = f.readAll();
        for (const QByteArray& a : todo.split('\0'))
            lista << QString::fromUtf8(a);
        lista.removeLast(); // after the last NUL
        return lista;
    }

    static char EstadoDe(qint64 pid)
    {
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            return '-';
        const QByteArray s = f.readAll();
        const qsizetype cierre = s.lastIndexOf(')');
        return cierre >= 0 && cierre + 2 < s.size() ? s.at(cierre + 2) : '?';
    }

    QTemporaryDir dir;
    QString sufijo;
};

TEST_F(Procesos, ProcesoActivoMatchesTheExecutableNameInAnyCase)
{
    // Longer than the 15 characters the kernel keeps as the command name.
    const QString nombre = U("qd_dormilon_largo_") + sufijo;
    const QString programa = Copia("/bin/sleep", nombre);
    EXPECT_FALSE(ProcesoActivo(nombre));
    const THandleProceso h = EjecutaPrograma(programa, U("30"), false);
    EXPECT_TRUE(ProcesoActivo(nombre));
    EXPECT_TRUE(ProcesoActivo(nombre.toUpper()));
    EXPECT_TRUE(ProcesoActivo(programa)); // a path counts by its file name
    EXPECT_FALSE(ProcesoActivo(nombre + U("x")));
    EXPECT_FALSE(ProcesoActivo(nombre.left(nombre.size() - 1)));
    EXPECT_FALSE(ProcesoActivo(U("")));
    ::kill(static_cast<pid_t>(h), SIGTERM);
    EsperaPrograma(h);
    EXPECT_FALSE(ProcesoActivo(nombre));
}

TEST_F(Procesos, AScriptCountsByItsNameCutLikeTheKernelCutsIt)
{
    // A script's executable is the shell; its command name is the script's
    // name, cut to 15 characters.
    const QString corto = U("qdg") + sufijo;
    const QString largo = U("qd_guion_de_prueba_") + sufijo;
    const THandleProceso a = EjecutaPrograma(Guion(corto, "sleep 2\nexit 0\n"), U(""), false);
    const THandleProceso b = EjecutaPrograma(Guion(largo, "sleep 2\nexit 0\n"), U(""), false);
    EXPECT_TRUE(ProcesoActivo(corto));
    EXPECT_TRUE(ProcesoActivo(largo));
    EsperaPrograma(a);
    EsperaPrograma(b);
    EXPECT_FALSE(ProcesoActivo(corto));
    EXPECT_FALSE(ProcesoActivo(largo));
}

TEST_F(Procesos, EjecutaAlTerminarStartsTheProgramOnlyOnceTheProcessHasEnded)
{
    const QString marca = dir.filePath(U("corrio"));
    const QString programa = Guion(U("qd_despues_") + sufijo, ("pwd > " + marca + "\n").toUtf8());
    const THandleProceso espera = EjecutaPrograma(Copia("/bin/sleep", U("qd_antes_") + sufijo), U("1"), false);
    EjecutaAlTerminar(programa, espera);
    QTest::qWait(500);
    EXPECT_FALSE(QFile::exists(marca)) << "run before the process ended";
    EsperaPrograma(espera);
    QElapsedTimer reloj;
    reloj.start();
    while (!QFile::exists(marca) && reloj.elapsed() < 5000)
        QTest::qWait(50);
    EXPECT_TRUE(QFile::exists(marca));
}

TEST_F(Procesos, EjecutaProgramaRunsInTheFolderItIsGiven)
{
    const QString marca = dir.filePath(U("carpeta"));
    const QString programa = Guion(U("qd_pwd_") + sufijo, ("pwd > " + marca + "\n").toUtf8());
    EsperaPrograma(EjecutaPrograma(programa, U(""), false, dir.path()));
    EXPECT_EQ(QString::fromUtf8(qdtest::LeeFichero(marca).trimmed()), QDir(dir.path()).canonicalPath());
}

TEST_F(Procesos, AnEndedProcessNotYetCollectedDoesNotCount)
{
    const QString nombre = U("qd_nada_") + sufijo;
    const THandleProceso h = EjecutaPrograma(Copia("/bin/true", nombre), U(""), false);
    QElapsedTimer reloj;
    reloj.start();
    while (EstadoDe(h) != 'Z' && reloj.elapsed() < 5000)
        ::usleep(10000);
    ASSERT_EQ(EstadoDe(h), 'Z');
    EXPECT_FALSE(ProcesoActivo(nombre));
    // a handle that names no process waits for nothing, and collects no
    // other child in passing
    EsperaPrograma(0);
    EsperaPrograma(-1);
    EXPECT_EQ(EstadoDe(h), 'Z');
    EsperaPrograma(h); // collects it
    EXPECT_EQ(EstadoDe(h), '-');
}

class ContadorPintado : public QWidget {
public:
    int veces = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), Qt::white);
        ++veces;
    }
};

TEST_F(Procesos, EsperaProgramaWaitsForTheEndAndKeepsWindowsPainted)
{
    ContadorPintado ventana;
    ventana.resize(100, 100);
    ventana.show();
    QTimer repinta;
    QObject::connect(&repinta, &QTimer::timeout, &ventana, qOverload<>(&QWidget::update));
    repinta.start(50);

    const QString nombre = U("qd_espera_") + sufijo;
    QElapsedTimer reloj;
    reloj.start();
    const THandleProceso h = EjecutaPrograma(Copia("/bin/sleep", nombre), U("1.5"), false);
    const int antes = ventana.veces;
    EsperaPrograma(h);
    EXPECT_GE(reloj.elapsed(), 1400);
    EXPECT_FALSE(ProcesoActivo(nombre));
    EXPECT_GE(ventana.veces - antes, 5) << "the window was not repainted while waiting";
    EXPECT_EQ(EstadoDe(h), '-') << "the process was not collected";
}

TEST_F(Procesos, EsperaProgramaByNameWaitsForTheInstanceThatTookTheWorkOver)
{
    // The started program hands its document to another process and ends at
    // once, as a word processor's launcher does.
    const QString nombre = U("qd_oficina_") + sufijo;
    const QString oficina = Copia("/bin/sleep", nombre);
    const QString lanzador = Guion(U("qd_lanzador_") + sufijo, "\"$1\" 7 &\nexit 0\n");
    QElapsedTimer reloj;
    reloj.start();
    const THandleProceso h = EjecutaPrograma(lanzador, QStringLiteral("\"%1\"").arg(oficina), false);
    EsperaPrograma(h, nombre);
    EXPECT_GE(reloj.elapsed(), 6900);
    EXPECT_FALSE(ProcesoActivo(nombre));
    EXPECT_EQ(EstadoDe(h), '-') << "the launcher was not collected";
}

TEST_F(Procesos, EjecutaProgramaPassesQuotedArgumentsAndHidesOutputWhenAsked)
{
    const QString grabador = Guion(U("grabador"),
                                   "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args\"\n"
                                   "salida=$(readlink /proc/$$/fd/1)\n"
                                   "printf '%s' \"$salida\" > \"$0.fd1\"\n");
    THandleProceso h = EjecutaPrograma(grabador, U("\"/tmp/una carpeta/acta ñ.rtf\" -x"), true);
    EsperaPrograma(h);
    EXPECT_EQ(Argumentos(grabador + U(".args")), (QStringList{U("/tmp/una carpeta/acta ñ.rtf"), U("-x")}));
    QFile fd1(grabador + U(".fd1"));
    ASSERT_TRUE(fd1.open(QIODevice::ReadOnly));
    EXPECT_EQ(fd1.readAll().trimmed(), QByteArray("/dev/null"));
    fd1.close();

    h = EjecutaPrograma(grabador, U(""), false);
    EsperaPrograma(h);
    EXPECT_EQ(Argumentos(grabador + U(".args")), QStringList());
    ASSERT_TRUE(fd1.open(QIODevice::ReadOnly));
    EXPECT_NE(fd1.readAll().trimmed(), QByteArray("/dev/null"));
}

TEST_F(Procesos, AProgramThatCannotStartFailsWithTheMessage)
{
    const QString noEjecutable = dir.filePath(U("texto.txt"));
    QFile f(noEjecutable);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    for (const QString& comando : {dir.filePath(U("no-existe")), noEjecutable, U("qd-no-hay-tal-programa")}) {
        try {
            EjecutaPrograma(comando, U("a b"), false);
            ADD_FAILURE() << comando.toStdString();
        } catch (const EUtilesError& e) {
            EXPECT_EQ(e.Message(), U("No se puede actualizar"));
        }
    }
}

// A stub xdg-email first on PATH records its arguments and ends with the
// status in QD_ESTADO.
class Correo : public Procesos {
protected:
    void SetUp() override
    {
        Procesos::SetUp();
        pathAntes = qgetenv("PATH");
        Guion(U("xdg-email"),
              "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$QD_SALIDA\"\nexit ${QD_ESTADO:-0}\n");
        salida = dir.filePath(U("xdg-email.args"));
        qputenv("QD_SALIDA", salida.toLocal8Bit());
        qputenv("PATH", dir.path().toLocal8Bit() + ":" + pathAntes);
    }
    void TearDown() override
    {
        qputenv("PATH", pathAntes);
        qunsetenv("QD_SALIDA");
        qunsetenv("QD_ESTADO");
    }

    QByteArray pathAntes;
    QString salida;
};

TEST_F(Correo, HandsSubjectBodyRecipientsAndAttachmentToTheMailProgram)
{
    const QString adjunto = dir.filePath(U("CONVOCATORIA.pdf"));
    QFile f(adjunto);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const int r = EnviaCorreo(U("Comunidad Ñandú, 3"), U("Línea 1\r\nLínea 2"), adjunto,
                              U("ana@ejemplo.es; luis@ejemplo.es"), U("Ana"), U("admin@ejemplo.es"),
                              U("Administración"));
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Argumentos(salida),
              (QStringList{U("--utf8"), U("--subject"), U("Comunidad Ñandú, 3"), U("--body"),
                           U("Línea 1\r\nLínea 2"), U("--attach"), adjunto, U("ana@ejemplo.es"),
                           U("luis@ejemplo.es")}));
}

TEST_F(Correo, BlindCopiesHideTheRecipientsFromOneAnother)
{
    EXPECT_EQ(EnviaCorreo(U("Acta"), U(""), U(""), U("ana@ejemplo.es; ;luis@ejemplo.es"), U(""), U(""), U(""), true), 0);
    EXPECT_EQ(Argumentos(salida), (QStringList{U("--utf8"), U("--subject"), U("Acta"), U("--bcc"), U("ana@ejemplo.es"),
                                               U("--bcc"), U("luis@ejemplo.es")}));
}

TEST_F(Correo, EmptyPartsAreLeftOut)
{
    EXPECT_EQ(EnviaCorreo(U(""), U(""), U(""), U("ana@ejemplo.es"), U(""), U(""), U("")), 0);
    EXPECT_EQ(Argumentos(salida), (QStringList{U("--utf8"), U("ana@ejemplo.es")}));
    EXPECT_EQ(EnviaCorreo(U("Acta"), U(""), U(""), U(""), U(""), U(""), U("")), 0);
    EXPECT_EQ(Argumentos(salida), (QStringList{U("--utf8"), U("--subject"), U("Acta")}));
}

TEST_F(Correo, FailuresComeBackAsResultCodes)
{
    qputenv("QD_ESTADO", "2");
    EXPECT_EQ(EnviaCorreo(U("Acta"), U(""), U("/no/existe.pdf"), U("ana@ejemplo.es"), U(""), U(""), U("")), 2);
    qunsetenv("QD_ESTADO");

    // no mail interface at all
    QTemporaryDir vacio;
    qputenv("PATH", vacio.path().toLocal8Bit());
    EXPECT_EQ(EnviaCorreo(U("Acta"), U(""), U(""), U("ana@ejemplo.es"), U(""), U(""), U("")), -1);
}

} // namespace
