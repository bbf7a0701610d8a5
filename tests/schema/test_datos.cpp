// The databases the schema library builds with rows: the program's demo
// database, the sibling products' databases as the program reads them, and
// the synthetic benchmark database; and creation itself.
#include "SchemaTest.h"

#include "FIBDatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

using namespace qdschema;

class Demo : public TBaseTest {
protected:
    void SetUp() override { Abre(TBase::Demo); }
};

TEST_F(Demo, EveryCommunityHasOwnersWhosePropertiesAddUpToOneHundred)
{
    const QList<QVariantList> comunidades = Filas(QStringLiteral(
        "SELECT C.CODIGO, C.NOMBRE, C.POBLACION, (SELECT SUM(F.COEFICIENTES) FROM EMP_FINCAS F WHERE F.COMUNIDAD=C.CODIGO), "
        "(SELECT COUNT(*) FROM EMP_PROPIETARIO P WHERE P.COMUNIDAD=C.CODIGO AND P.CODIGO<>0) FROM SYS_COMUNIDAD C ORDER BY C.CODIGO"));
    ASSERT_GE(comunidades.size(), 3);
    for (const QVariantList& c : comunidades) {
        EXPECT_FALSE(c[1].toString().trimmed().isEmpty());
        EXPECT_FALSE(c[2].toString().trimmed().isEmpty());
        EXPECT_NEAR(c[3].toDouble(), 100.0, 1e-9) << c[1].toString().toStdString();
        EXPECT_GE(c[4].toInt(), 5);
    }
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_COMUNIDAD C WHERE NOT EXISTS "
                                   "(SELECT 1 FROM EMP_PROPIETARIO P WHERE P.COMUNIDAD=C.CODIGO AND P.CODIGO=0)")).toInt(), 0);
}

TEST_F(Demo, EveryOwnerHasOnePropertyAndExactlyOneActiveAddressAndValidCodes)
{
    // Every owner (but owner 0) has a property and one active address.
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO P WHERE P.CODIGO<>0 AND NOT EXISTS "
                                   "(SELECT 1 FROM EMP_FINCAS F WHERE F.COMUNIDAD=P.COMUNIDAD AND F.PROPIETARIO=P.CODIGO)")).toInt(), 0);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO P WHERE P.CODIGO<>0 AND 1 <> "
                                   "(SELECT COUNT(*) FROM EMP_DIRECCIONES D WHERE D.COMUNIDAD=P.COMUNIDAD AND D.PROPIETARIO=P.CODIGO AND D.ACTIVO=1)")).toInt(), 0);
    // Codes the owners point to exist in the catalogues.
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO P WHERE NOT EXISTS (SELECT 1 FROM SYS_IDIOMAS I WHERE I.CODIGO=P.IDIOMA) "
                                   "OR NOT EXISTS (SELECT 1 FROM SYS_FORMAS_PAGO F WHERE F.CODIGO=P.FORMA_PAGO) "
                                   "OR NOT EXISTS (SELECT 1 FROM SYS_BANCOS B WHERE B.ENTIDAD=P.BANCO)")).toInt(), 0);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_FINCAS F WHERE NOT EXISTS (SELECT 1 FROM SYS_TIPOS_FINCA T WHERE T.CODIGO=F.TIPO_FINCA) "
                                   "OR NOT EXISTS (SELECT 1 FROM SYS_USO_FINCAS U WHERE U.CODIGO=F.USO_FINCA)")).toInt(), 0);
    // New owners and properties default to code 1 of the catalogues: it exists.
    for (const char* tabla : {"SYS_FORMAS_PAGO", "SYS_TIPOS_FINCA", "SYS_USO_FINCAS", "SYS_IDIOMAS"})
        EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CODIGO=1").arg(QLatin1String(tabla))).toInt(), 1) << tabla;
    // Spanish tax numbers with their check letter; bank data as the owners screen stores them.
    static const QString letras = QStringLiteral("TRWAGMYFPDXBNJZSQVHLCKE");
    for (const QVariantList& f : Filas(QStringLiteral("SELECT NIF, BANCO, OFICINA, DC, CUENTA_BANCO FROM EMP_PROPIETARIO WHERE CODIGO<>0"))) {
        const QString nif = f[0].toString();
        if (!nif.startsWith(QLatin1Char('B'))) {
            ASSERT_EQ(nif.size(), 9) << nif.toStdString();
            EXPECT_EQ(nif[8], letras[nif.left(8).toInt() % 23]) << nif.toStdString();
        }
        EXPECT_EQ(f[1].toString().size(), 4);
        EXPECT_EQ(f[2].toString().size(), 4);
        EXPECT_EQ(f[3].toString().size(), 2);
        EXPECT_EQ(f[4].toString().size(), 10);
    }
}

TEST_F(Demo, TheConvocationHasItsAgendaVoteRowsAndTallies)
{
    const QList<QVariantList> c = Filas(QStringLiteral("SELECT COMUNIDAD, CODIGO, ORDEN, TIPO, HORA1, HORA2 FROM CONVOCATORIAS"));
    ASSERT_EQ(c.size(), 1);
    const int comunidad = c[0][0].toInt();
    const QString orden = QString::fromUtf8(c[0][2].toByteArray());
    EXPECT_TRUE(orden.startsWith(QStringLiteral("1º.-"))) << orden.toStdString();
    int puntos = 0;
    while (orden.contains(QStringLiteral("%1º.-").arg(puntos + 1)))
        ++puntos;
    EXPECT_GE(puntos, 3);
    EXPECT_LE(puntos, 10);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(c[0][4].toString()).hasMatch());
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM ORDEN WHERE COMUNIDAD=?C AND CODIGO=1"), {{QStringLiteral("C"), I(comunidad)}}).toInt(), puntos);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES WHERE COMUNIDAD=?C AND CONVOCATORIA=1"), {{QStringLiteral("C"), I(comunidad)}}).toInt(),
              Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=?C AND CODIGO<>0"), {{QStringLiteral("C"), I(comunidad)}}).toInt());
    EXPECT_NEAR(Valor(QStringLiteral("SELECT SUM(COEFICIENTES) FROM VOTACIONES WHERE COMUNIDAD=?C AND CONVOCATORIA=1"),
                      {{QStringLiteral("C"), I(comunidad)}}).toDouble(), 100.0, 1e-9);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES_PUNTOS WHERE COMUNIDAD=?C AND CONVOCATORIA=1"), {{QStringLiteral("C"), I(comunidad)}}).toInt(), 10);
}

TEST_F(Demo, TemplatesAdministratorAndUsersAreFilledIn)
{
    for (int tipo : {1, 2}) {
        const QByteArray texto = Valor(QStringLiteral("SELECT TEXTO FROM SYS_TEXTOS WHERE IDIOMA=?IDIOMA"),
                                       {{QStringLiteral("IDIOMA"), I(tipo)}}).toByteArray();
        EXPECT_TRUE(texto.startsWith("{\\rtf1")) << tipo;
        EXPECT_TRUE(texto.contains("[Puntos]")) << tipo;
        EXPECT_TRUE(texto.contains("[Comunidad]")) << tipo;
    }
    EXPECT_FALSE(Valor(QStringLiteral("SELECT PERSONA FROM ADMINISTRADOR")).toString().trimmed().isEmpty());
    EXPECT_EQ(Valor(QStringLiteral("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO=1")).toString(), QString::fromLatin1(ClaveAccesoAutomatico));
    EXPECT_GE(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_USUARIO")).toInt(), 2);
}

// ------------------------------------------------------ sibling databases

class Taldemar : public TBaseTest {
protected:
    void SetUp() override { Abre(TBase::TaldemarDemo); }
};

TEST_F(Taldemar, ImportStatementsFindTheSameRegisterAsTheProgramsDemo)
{
    // The program's four communities; the fifth, new in the accounts, has no year yet.
    const QList<QVariantList> comunidades = Filas(QStringLiteral("SELECT CODIGO, NOMBRE FROM SYS_COMUNIDAD WHERE CODIGO<5 ORDER BY CODIGO"));
    ASSERT_EQ(comunidades.size(), 4);
    for (const QVariantList& c : comunidades) {
        const int ejercicio = Valor(QStringLiteral("SELECT MAX(EJERCICIO) EJERCICIO FROM EMP_EJERCICIOS WHERE COMUNIDAD=?CODIGO"),
                                    {{QStringLiteral("CODIGO"), I(c[0].toInt())}}).toInt();
        EXPECT_EQ(ejercicio, QDate::currentDate().year());
        const QList<QVariantList> meses = Filas(QStringLiteral("SELECT MES_INICIO,MES_CIERRE FROM EMP_EJERCICIOS WHERE COMUNIDAD=?CODIGO AND EJERCICIO=?EJERCICIO"),
                                                {{QStringLiteral("CODIGO"), I(c[0].toInt())}, {QStringLiteral("EJERCICIO"), I(ejercicio)}});
        EXPECT_EQ(meses.value(0), (QVariantList{1, 12}));
    }
    // The owners of the second community are those of the program's demo (the
    // first one's differ on purpose: the import's cases).
    const QList<QVariantList> aqui = Filas(QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=2 AND CODIGO<>0 ORDER BY CODIGO"));
    ASSERT_FALSE(aqui.isEmpty());
    Abre(TBase::Demo);
    EXPECT_EQ(Filas(QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=2 AND CODIGO<>0 ORDER BY CODIGO")), aqui);
}

TEST_F(Taldemar, DebtorsUpToAPeriodArePositiveBalancesOfTheCurrentYear)
{
    const int anio = QDate::currentDate().year();
    const QList<QVariantList> periodos = Filas(QStringLiteral(
        "SELECT COMUNIDAD,EJERCICIO,PERIODO,TITULO FROM EMP_PERIODOS WHERE COMUNIDAD=?COMUNIDAD AND EJERCICIO=?EJERCICIO ORDER BY PERIODO"),
        {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("EJERCICIO"), I(anio)}});
    ASSERT_EQ(periodos.size(), 13);
    EXPECT_EQ(periodos[0][2].toString(), QStringLiteral("00"));
    EXPECT_EQ(periodos[3][3].toString(), QStringLiteral("MARZO"));
    const QString mes = QStringLiteral("%1").arg(QDate::currentDate().month(), 2, 10, QLatin1Char('0'));
    const QList<QVariantList> deudores = Filas(QStringLiteral("SELECT CODIGO,SALDOE FROM LISTADO_DEUDORES( ?COMUNIDAD,?EJERCICIO,?PERIODO) WHERE SALDOE > 0"),
                                               {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("EJERCICIO"), I(anio)}, {QStringLiteral("PERIODO"), T(mes)}});
    EXPECT_FALSE(deudores.isEmpty());
    for (const QVariantList& d : deudores) {
        EXPECT_NE(d[0].toInt(), 0);
        EXPECT_GT(d[1].toDouble(), 0);
    }
}

TEST_F(Taldemar, DebtorsProcedureAddsChargesMinusPaymentsUpToThePeriodGiven)
{
    Abre(TBase::Taldemar);
    Ejecuta(QStringLiteral("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'C')"));
    for (int p = 0; p <= 3; ++p)
        Ejecuta(QStringLiteral("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (1, ?P, 'X')"), {{QStringLiteral("P"), I(p)}});
    const struct { const char* periodo; int propietario; double debe, haber; } movimientos[] = {
        {"00", 1, 100, 0}, {"01", 1, 50, 50}, {"02", 1, 50, 0}, {"03", 1, 50, 150}, {"01", 2, 30, 30}, {"02", 2, 30, 0}};
    for (const auto& m : movimientos)
        Ejecuta(QStringLiteral("INSERT INTO EMP_SALDOS_PROPIETARIOS (COMUNIDAD, EJERCICIO, PERIODO, PROPIETARIO, DEBE, HABER) "
                               "VALUES (1, 2025, ?R, ?P, ?D, ?H)"),
                {{QStringLiteral("R"), T(QString::fromLatin1(m.periodo))}, {QStringLiteral("P"), I(m.propietario)},
                 {QStringLiteral("D"), F(m.debe)}, {QStringLiteral("H"), F(m.haber)}});
    auto saldos = [&](const char* periodo) {
        QStringList r;
        for (const QVariantList& f : Filas(QStringLiteral("SELECT CODIGO, SALDOE FROM LISTADO_DEUDORES(1, 2025, ?R)"),
                                           {{QStringLiteral("R"), T(QString::fromLatin1(periodo))}}))
            r << QStringLiteral("%1:%2").arg(f[0].toInt()).arg(f[1].toDouble());
        return r.join(QLatin1Char(' '));
    };
    EXPECT_EQ(saldos("00"), QStringLiteral("1:100 2:0 3:0"));
    EXPECT_EQ(saldos("02"), QStringLiteral("1:150 2:30 3:0"));
    EXPECT_EQ(saldos("03"), QStringLiteral("1:50 2:30 3:0"));
}

class Halvenbook : public TBaseTest {
protected:
    void SetUp() override { Abre(TBase::HalvenbookDemo); }
};

TEST_F(Halvenbook, TasksBudgetsAndCalendarAreThereAsTheProgramUsesThem)
{
    EXPECT_GT(Filas(QStringLiteral("SELECT * FROM RGESTIONES ORDER BY CODIGO DESC")).size(), 0);
    EXPECT_GT(Filas(QStringLiteral("SELECT * FROM PRESUPUESTO ORDER BY CODIGO DESC")).size(), 0);
    const int tarea = Valor(QStringLiteral("SELECT MAX(CODIGO) CODIGO FROM RGESTIONES")).toInt() + 1;
    Ejecuta(QStringLiteral("INSERT INTO RGESTIONES (CODIGO, FECHA, FIN, DURACION, TIPOLLAMADA, TIPO2, ESTADO, ATENDIDO, DESTINATARIO, "
                           "LLAMADATIPO, COMUNIDAD, ASUNTO) VALUES (?C, 'NOW', 'NOW', '00:00:00', 0, 0, 0, 1, 1, 1, 1, ?A)"),
            {{QStringLiteral("C"), I(tarea)}, {QStringLiteral("A"), T(QStringLiteral("2º.- Obras\r\nQUORUMDESK CODIGO Nº 5"))}});
    EXPECT_EQ(Valor(QStringLiteral("SELECT ASUNTO FROM RGESTIONES WHERE CODIGO=?C"), {{QStringLiteral("C"), I(tarea)}}).toString(),
              QStringLiteral("2º.- Obras\r\nQUORUMDESK CODIGO Nº 5"));
    // Its own appointment book.
    const TParametros dia{{QStringLiteral("FECHA"), Dia(2025, 5, 5)}, {QStringLiteral("USUARIO"), I(3)}};
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) n FROM CALENDARIO WHERE FECHA=?FECHA  AND USUARIO=?USUARIO"), dia).toInt(), 0);
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?FECHA,?USUARIO)"), dia);
    EXPECT_GT(Valor(QStringLiteral("SELECT COUNT(*) n FROM CALENDARIO WHERE FECHA=?FECHA  AND USUARIO=?USUARIO"), dia).toInt(), 0);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM CALENDARIO WHERE USUARIO=1 AND TEXTO<>''")).toInt(), 2);
}

// --------------------------------------------------------------- creation

TEST(Creacion, SyntheticDatabaseHoldsCommunitiesTimesOwnersTimesProperties)
{
    const QString path = qdtest::TempDir() + QStringLiteral("/sintetica.fdb");
    TOpcionesBD o;
    o.Contenido = TContenidoBD::Sintetica;
    o.Comunidades = 2;
    o.Propietarios = 7;
    o.Fincas = 3;
    o.ForcedWrites = false;
    CreaBaseDatos(path, o);
    qdtest::Connection c(path);
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL(QStringLiteral(
        "SELECT C.CODIGO, (SELECT COUNT(*) FROM EMP_PROPIETARIO P WHERE P.COMUNIDAD=C.CODIGO AND P.CODIGO<>0), "
        "(SELECT COUNT(*) FROM EMP_FINCAS F WHERE F.COMUNIDAD=C.CODIGO), (SELECT SUM(F.COEFICIENTES) FROM EMP_FINCAS F WHERE F.COMUNIDAD=C.CODIGO), "
        "(SELECT COUNT(*) FROM VER_PROPIETARIO_DIRE D WHERE D.COMUNIDAD=C.CODIGO AND D.ACTIVO=1) FROM SYS_COMUNIDAD C ORDER BY 1"));
    q.ExecQuery();
    int comunidades = 0;
    for (; !q.Eof(); q.Next(), ++comunidades) {
        EXPECT_EQ(q.Fields(1)->AsInteger(), 7);
        EXPECT_EQ(q.Fields(2)->AsInteger(), 21);
        EXPECT_NEAR(q.Fields(3)->AsFloat(), 100.0, 1e-9);
        EXPECT_EQ(q.Fields(4)->AsInteger(), 7);
    }
    EXPECT_EQ(comunidades, 2);
}

TEST(Creacion, AnExistingFileIsNeitherOverwrittenNorRemoved)
{
    const QString path = qdtest::TempDir() + QStringLiteral("/existe.fdb");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("no es una base de datos");
    }
    TOpcionesBD o;
    o.ForcedWrites = false;
    EXPECT_THROW(CreaBaseDatos(path, o), EFIBError);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("no es una base de datos"));
}

// A database is built under another name in its folder and takes its final
// name only when complete: a creation that stops halfway (here, failing at
// its last step) never leaves a file that the program would open as a good
// database, nor takes the place of the file it was to replace.
TEST(Creacion, AnUnfinishedCreationLeavesTheFinalNameAsItWas)
{
    const struct { bool anterior; bool falla; } casos[] = {{false, true}, {true, true}, {true, false}};
    int n = 0;
    for (const auto& c : casos) {
        const QString carpeta = qdtest::TempDir() + QStringLiteral("/creacion-%1").arg(++n);
        ASSERT_TRUE(QDir().mkpath(carpeta));
        const QString path = carpeta + QStringLiteral("/quorumdesk.fdb");
        if (c.anterior) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("ANTERIOR");
        }
        auto contenido = [&]() -> QByteArray {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.read(8) : QByteArray("(ninguno)");
        };
        const QByteArray antes = contenido();
        QByteArray durante;
        TOpcionesBD o;
        o.ForcedWrites = false;
        o.Reemplaza = c.anterior;
        o.AlTerminar = [&](TFIBDatabase& db) {
            EXPECT_TRUE(db.Connected());
            durante = contenido();
            if (c.falla)
                throw EFIBError(QStringLiteral("interrumpida"));
        };
        if (c.falla)
            EXPECT_THROW(CreaBaseDatos(path, o), EFIBError) << n;
        else
            EXPECT_NO_THROW(CreaBaseDatos(path, o)) << n;
        EXPECT_EQ(durante, antes) << n;
        // Nothing else is left in the folder.
        const QStringList esperados = c.anterior || !c.falla ? QStringList{QStringLiteral("quorumdesk.fdb")} : QStringList{};
        EXPECT_EQ(QDir(carpeta).entryList(QDir::Files | QDir::Hidden), esperados) << n;
        if (c.falla) {
            EXPECT_EQ(contenido(), antes) << n;
        } else {
            qdtest::Connection nueva(path);
            TFIBQuery q;
            q.SetDatabase(&nueva.db);
            q.SetTransaction(&nueva.tr);
            q.SetSQL(QStringLiteral("SELECT VERSION FROM SYS_VERSION WHERE CODIGO=1"));
            q.ExecQuery();
            EXPECT_EQ(q.Fields(0)->AsString(), VersionBaseDatos()) << n;
        }
    }
}

TEST(Creacion, DatabaseVersionIsMajorDotMinorAndRelease)
{
    const struct { const char* programa; const char* base; } casos[] = {
        {"2.0.5", "2.05"}, {"0.1.0", "0.10"}, {"3.1", "3.10"}, {"1.2.3.4", "1.23"}};
    for (const auto& c : casos)
        EXPECT_EQ(VersionBaseDatos(QString::fromLatin1(c.programa)), QString::fromLatin1(c.base)) << c.programa;
    EXPECT_EQ(VersionBaseDatos(), VersionBaseDatos(QStringLiteral(QD_VERSION)));
}

TEST(Creacion, EveryScriptIsCompiledIntoTheProgram)
{
    for (const char* s : {"registro", "quorumdesk", "reservados", "taldemar", "halvenbook"})
        EXPECT_TRUE(ScriptSQL(QString::fromLatin1(s)).contains(QStringLiteral("CREATE TABLE")) ||
                    ScriptSQL(QString::fromLatin1(s)).contains(QStringLiteral("INSERT INTO"))) << s;
    EXPECT_THROW(ScriptSQL(QStringLiteral("no-existe")), EFIBError);
}

// The supplied listings' report formats go into FICHERO when the program
// carries them; otherwise the column stays empty.
class FormatosSuministrados : public TBaseTest {};

TEST_F(FormatosSuministrados, EachCompiledInFormatIsStoredWithItsListing)
{
    const QDir dir(QStringLiteral(":/schema/formatos"));
    QHash<int, QByteArray> formatos;
    for (const QString& nombre : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(nombre));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        formatos.insert(QRegularExpression(QStringLiteral("(\\d+)")).match(nombre).captured(1).toInt(), f.readAll());
    }
    for (const QVariantList& l : Filas(QStringLiteral("SELECT CODIGO, FICHERO FROM SYS_LISTADOS WHERE CODIGO>=9000"))) {
        if (formatos.contains(l[0].toInt()))
            EXPECT_EQ(l[1].toByteArray(), formatos.value(l[0].toInt())) << l[0].toInt();
        else
            EXPECT_FALSE(l[1].isValid()) << l[0].toInt();
    }
}
