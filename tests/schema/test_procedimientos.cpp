// What the database does for the program: numbering of new rows, the stored
// procedures as their callers use them, the deletion rules and the views.
#include "SchemaTest.h"

#include <QDate>
#include <QSet>

using namespace qdschema;

// ---------------------------------------------------------------- numbering

class Numeracion : public TBaseTest {};

TEST_F(Numeracion, UsersArrivingWithoutCodeGetTheNextFreeOneAlsoSeveralInOneTransaction)
{
    const QString alta = QStringLiteral("INSERT INTO SYS_USUARIO (CODIGO,NOMBRE,CLAVE) VALUES (?CODIGO,?NOMBRE,?CLAVE)");
    Ejecuta(alta, {{QStringLiteral("CODIGO"), I(0)}, {QStringLiteral("NOMBRE"), T(QStringLiteral("PEPE"))}, {QStringLiteral("CLAVE"), T(QString())}});
    Ejecuta(QStringLiteral("INSERT INTO SYS_USUARIO (NOMBRE) VALUES ('JUAN')")); // null code
    Ejecuta(alta, {{QStringLiteral("CODIGO"), I(10)}, {QStringLiteral("NOMBRE"), T(QStringLiteral("TECLEADO"))}, {QStringLiteral("CLAVE"), T(QString())}});
    Ejecuta(alta, {{QStringLiteral("CODIGO"), I(0)}, {QStringLiteral("NOMBRE"), T(QStringLiteral("LUCIA"))}, {QStringLiteral("CLAVE"), T(QString())}});
    // The users screen reads the new code back by name.
    auto codigo = [&](const char* nombre) {
        return Valor(QStringLiteral("SELECT CODIGO FROM SYS_USUARIO WHERE NOMBRE=?NOMBRE"),
                     {{QStringLiteral("NOMBRE"), T(QString::fromLatin1(nombre))}}).toInt();
    };
    EXPECT_EQ(codigo("PEPE"), 2);
    EXPECT_EQ(codigo("JUAN"), 3);
    EXPECT_EQ(codigo("TECLEADO"), 10);
    EXPECT_EQ(codigo("LUCIA"), 11);
}

TEST_F(Numeracion, UserCodesStopAtTheLimitOfTheProgramsSixteenBitValue)
{
    Ejecuta(QStringLiteral("INSERT INTO SYS_USUARIO (CODIGO,NOMBRE) VALUES (32767,'ULTIMO')"));
    EXPECT_TRUE(Fallo(QStringLiteral("INSERT INTO SYS_USUARIO (CODIGO,NOMBRE) VALUES (0,'OTRO')")).contains(QStringLiteral("32767")));
    EXPECT_FALSE(Fallo(QStringLiteral("INSERT INTO SYS_USUARIO (CODIGO,NOMBRE) VALUES (40000,'OTRO')")).isEmpty());
}

TEST_F(Numeracion, MattersInsertedWithCodeZeroEachGetACodeOfTheirOwn)
{
    for (int i = 0; i < 3; ++i)
        Ejecuta(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, FECHAR, ASUNTO, COMUNIDAD) VALUES (0, 'NOW', ?A, 1)"),
                {{QStringLiteral("A"), T(QStringLiteral("ASUNTO %1").arg(i))}});
    EXPECT_EQ(Valor(QStringLiteral("SELECT LIST(CODIGO) FROM (SELECT CODIGO FROM ASUNTOS ORDER BY CODIGO)")).toString(),
              QStringLiteral("1,2,3"));
    Confirma();
    // A deleted matter's code is not given to another one.
    Ejecuta(QStringLiteral("DELETE FROM ASUNTOS WHERE CODIGO=3"));
    Ejecuta(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, ASUNTO) VALUES (0, 'OTRO')"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT CODIGO FROM ASUNTOS WHERE ASUNTO='OTRO'")).toInt(), 4);
    // A typed code stays, and later codes follow it.
    Ejecuta(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, ASUNTO) VALUES (20, 'TECLEADO')"));
    Ejecuta(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, ASUNTO) VALUES (0, 'SIGUIENTE')"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT LIST(CODIGO) FROM (SELECT CODIGO FROM ASUNTOS WHERE CODIGO > 4 ORDER BY CODIGO)")).toString(),
              QStringLiteral("20,21"));
}

// Two seats, each inserting in its own transaction before either commits.
class NumeracionDosPuestos : public TBaseTest {
protected:
    void SetUp() override
    {
        TBaseTest::SetUp();
        Confirma();
        otro = std::make_unique<qdtest::Connection>(con->db.DBName());
    }
    // Runs an insert on the other seat's connection; the server's text when it fails.
    QString FalloOtro(const QString& sql)
    {
        try {
            TFIBQuery q;
            q.SetDatabase(&otro->db);
            q.SetTransaction(&otro->tr);
            q.SetSQL(sql);
            q.ExecQuery();
        } catch (const EFIBError& e) {
            return e.Message();
        }
        return QString();
    }
    QVariant ValorOtro(const QString& sql)
    {
        TFIBQuery q;
        q.SetDatabase(&otro->db);
        q.SetTransaction(&otro->tr);
        q.SetSQL(sql);
        q.ExecQuery();
        return q.Eof() ? QVariant() : q.Fields(0)->AsVariant();
    }
    std::unique_ptr<qdtest::Connection> otro;
};

TEST_F(NumeracionDosPuestos, UsersAndMattersInsertedAtOnceGetDistinctCodes)
{
    const struct { const char* tabla; const char* insercion; const char* nombre; } casos[] = {
        {"ASUNTOS", "INSERT INTO ASUNTOS (CODIGO, FECHAR, ASUNTO, COMUNIDAD) VALUES (0, 'NOW', '%1', 1)", "ASUNTO"},
        {"SYS_USUARIO", "INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (0, '%1', '')", "NOMBRE"},
    };
    for (const auto& c : casos) {
        const QString insercion = QString::fromLatin1(c.insercion);
        const QString codigo = QStringLiteral("SELECT CODIGO FROM %1 WHERE %2='%3'").arg(QLatin1String(c.tabla), QLatin1String(c.nombre));
        Ejecuta(insercion.arg(QStringLiteral("PUESTO1")));
        const QString fallo = FalloOtro(insercion.arg(QStringLiteral("PUESTO2")));
        ASSERT_TRUE(fallo.isEmpty()) << c.tabla << ": " << fallo.toStdString();
        const int uno = Valor(codigo.arg(QStringLiteral("PUESTO1"))).toInt();
        const int dos = ValorOtro(codigo.arg(QStringLiteral("PUESTO2"))).toInt();
        EXPECT_GT(uno, 0) << c.tabla;
        EXPECT_GT(dos, 0) << c.tabla;
        EXPECT_NE(uno, dos) << c.tabla;
        con->tr.Commit();
        otro->tr.Commit();
        con->tr.StartTransaction();
        otro->tr.StartTransaction();
        EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 STARTING WITH 'PUESTO'")
                            .arg(QLatin1String(c.tabla), QLatin1String(c.nombre))).toInt(), 2) << c.tabla;
    }
}

// Follow-up rows are numbered within their convocation, not by a generator:
// they are created from the agenda once, when the convocation has none, and
// the key is what stops a second seat doing the same at the same time from
// giving the convocation every point twice.
TEST_F(NumeracionDosPuestos, FollowUpRowsOfOneConvocationCreatedByTwoSeatsAtOnceAreRefusedToTheSecond)
{
    const QString alta = QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO) VALUES (1,%1,0,'1º.- CUENTAS',0)");
    Ejecuta(alta.arg(5));
    EXPECT_FALSE(FalloOtro(alta.arg(5)).isEmpty());
    EXPECT_TRUE(FalloOtro(alta.arg(6)).isEmpty()); // another convocation meets nothing
}

TEST_F(Numeracion, FollowUpRowsAreNumberedWithinTheirConvocation)
{
    // The statement the follow-up tab runs for each agenda point.
    const QString alta = QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO)  VALUES (?COMUNIDAD,?CODIGO,0,?DES,0)");
    const struct { int comunidad, convocatoria; } filas[] = {{1, 5}, {1, 5}, {1, 6}, {1, 5}, {2, 5}, {1, 6}};
    for (const auto& f : filas)
        Ejecuta(alta, {{QStringLiteral("COMUNIDAD"), I(f.comunidad)}, {QStringLiteral("CODIGO"), I(f.convocatoria)},
                       {QStringLiteral("DES"), T(QStringLiteral("1º.- PUNTO"))}});
    auto numeros = [&](int comunidad, int convocatoria) {
        return Valor(QStringLiteral("SELECT LIST(NUMERO) FROM (SELECT NUMERO FROM DETALLE WHERE COMUNIDAD=?C AND CODIGO=?V ORDER BY NUMERO)"),
                     {{QStringLiteral("C"), I(comunidad)}, {QStringLiteral("V"), I(convocatoria)}}).toString();
    };
    EXPECT_EQ(numeros(1, 5), QStringLiteral("1,2,3"));
    EXPECT_EQ(numeros(1, 6), QStringLiteral("1,2"));
    EXPECT_EQ(numeros(2, 5), QStringLiteral("1"));
    // A number given by the program stays; a null one is numbered too.
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES) VALUES (2,5,7,'X')"));
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,DES) VALUES (2,5,'Y')"));
    EXPECT_EQ(numeros(2, 5), QStringLiteral("1,7,8"));
    // Several rows in one statement.
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES) SELECT 3, 1, 0, NOMBRE FROM SYS_USUARIO "
                           "UNION ALL SELECT 3, 1, 0, NOMBRE FROM SYS_USUARIO"));
    EXPECT_EQ(numeros(3, 1), QStringLiteral("1,2"));
}

TEST_F(Numeracion, RegisterProceduresReturnTheHighestCodeInUseOrNull)
{
    Comunidad(1);
    Propietario(1, 1, QStringLiteral("A"));
    Propietario(1, 57, QStringLiteral("B"));
    Finca(1, 57, 1, 10);
    Finca(1, 57, 4, 10);
    Direccion(1, 57, 2, 1);
    const TParametros comunidad{{QStringLiteral("comunidad"), I(1)}};
    const TParametros propietario57{{QStringLiteral("comunidad"), I(1)}, {QStringLiteral("propietario"), I(57)}};
    const TParametros propietario1{{QStringLiteral("comunidad"), I(1)}, {QStringLiteral("propietario"), I(1)}};
    EXPECT_EQ(Valor(QStringLiteral("execute procedure emp_propietario_codigo( ?comunidad )"), comunidad).toInt(), 57);
    EXPECT_EQ(Valor(QStringLiteral("execute procedure emp_fincas_linea(?comunidad,?propietario)"), propietario57).toInt(), 4);
    EXPECT_EQ(Valor(QStringLiteral("execute procedure emp_direcciones_linea(?comunidad,?propietario)"), propietario57).toInt(), 2);
    EXPECT_FALSE(Valor(QStringLiteral("execute procedure emp_fincas_linea(?comunidad,?propietario)"), propietario1).isValid());
    EXPECT_FALSE(Valor(QStringLiteral("execute procedure emp_direcciones_linea(?comunidad,?propietario)"), propietario1).isValid());
    EXPECT_FALSE(Valor(QStringLiteral("execute procedure emp_propietario_codigo( ?comunidad )"),
                       {{QStringLiteral("comunidad"), I(99)}}).isValid());
    // The output column is named CODIGO.
    TFIBQuery q;
    q.SetDatabase(&con->db);
    q.SetTransaction(&con->tr);
    q.SetSQL(QStringLiteral("execute procedure emp_propietario_codigo( ?comunidad )"));
    q.ParamByName(QStringLiteral("comunidad"))->SetAsInteger(1);
    q.ExecQuery();
    EXPECT_EQ(q.FieldByName(QStringLiteral("CODIGO"))->AsInteger(), 57);
}

// ----------------------------------------------------------- votes

// Community 1: owner 1 with active properties of 10 and 15 and an inactive
// one of 5; owner 2 with 30; owner 3 with none; owner 4 with 20 and 20.
// Community 2 has an owner of its own.
class Votaciones : public TBaseTest {
protected:
    void SetUp() override
    {
        TBaseTest::SetUp();
        Comunidad(1);
        Comunidad(2);
        Propietario(1, 1, QStringLiteral("ANA"));
        Propietario(1, 2, QStringLiteral("LUIS"));
        Propietario(1, 3, QStringLiteral("SIN FINCAS"));
        Propietario(1, 4, QStringLiteral("MARTA"));
        Propietario(2, 1, QStringLiteral("DE OTRA COMUNIDAD"));
        Finca(1, 1, 1, 10, 1, QStringLiteral("1º A"));
        Finca(1, 1, 2, 15, 1, QStringLiteral("GARAJE 1"));
        Finca(1, 1, 3, 5, 0, QStringLiteral("VENDIDA"));
        Finca(1, 2, 1, 30, 1, QStringLiteral("1º B"));
        Finca(1, 4, 1, 20, 1, QStringLiteral("2º A"));
        Finca(1, 4, 2, 20, 1, QStringLiteral("2º B"));
        Finca(2, 1, 1, 100);
    }
    // As the convocation's first post does: procedures before the row.
    void NuevaConvocatoria(int codigo)
    {
        const TParametros p{{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(codigo)}};
        Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(?COMUNIDAD,?CONVOCATORIA)"), p);
        Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_puntos_mete(?COMUNIDAD,?CONVOCATORIA)"), p);
        Ejecuta(QStringLiteral("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, ORDEN, ASISTENTES, COEFICIENTES) "
                               "VALUES (1, ?CODIGO, 'JUNTA', '1º.-', 0, 0)"),
                {{QStringLiteral("CODIGO"), I(codigo)}});
    }
    void Asiste(int propietario, int convocatoria = 1)
    {
        Ejecuta(QStringLiteral("EXECUTE PROCEDURE VOTACIONES_ASISTENCIA( ?COMUNIDAD,?CONVOCATORIA,?PROPIETARIO)"),
                {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(convocatoria)},
                 {QStringLiteral("PROPIETARIO"), I(propietario)}});
    }
    void Vota(int propietario, const QString& columna, const QString& voto)
    {
        Ejecuta(QStringLiteral("UPDATE VOTACIONES SET %1=?V WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND PROPIETARIO=?P").arg(columna),
                {{QStringLiteral("V"), T(voto)}, {QStringLiteral("P"), I(propietario)}});
    }
    void Calcula()
    {
        const TParametros p{{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(1)}};
        Ejecuta(QStringLiteral("EXECUTE procedure CONVOCATORIA_ASISTENCIA (?COMUNIDAD,?CONVOCATORIA)"), p);
        Ejecuta(QStringLiteral("EXECUTE procedure votaciones_calcula (?COMUNIDAD,?CONVOCATORIA)"), p);
    }
    QVariantList Recuento(int punto)
    {
        return Filas(QStringLiteral("SELECT VSI, VNO, VABS, CSI, CNO, CABS FROM VOTACIONES_PUNTOS "
                                    "WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA AND PUNTO=?PUNTO"),
                     {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(1)}, {QStringLiteral("PUNTO"), I(punto)}})
            .value(0);
    }
};

TEST_F(Votaciones, ANewConvocationGetsOneVoteRowPerOwnerButOwnerZeroAndTenZeroTallies)
{
    NuevaConvocatoria(1);
    const QList<QVariantList> filas = Filas(QStringLiteral(
        "SELECT PROPIETARIO, NOMBRE, COEFICIENTES, ASISTENCIA, SALDO, P1 || P2 || P3 || P4 || P5 || P6 || P7 || P8 || P9 || P10 "
        "FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=1 ORDER BY PROPIETARIO"));
    ASSERT_EQ(filas.size(), 4);
    const struct { int propietario; const char* nombre; double coeficientes; } esperado[] = {
        {1, "ANA", 25}, {2, "LUIS", 30}, {3, "SIN FINCAS", 0}, {4, "MARTA", 40}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(filas[i][0].toInt(), esperado[i].propietario);
        EXPECT_EQ(filas[i][1].toString(), QString::fromUtf8(esperado[i].nombre));
        EXPECT_DOUBLE_EQ(filas[i][2].toDouble(), esperado[i].coeficientes); // active properties only
        EXPECT_EQ(filas[i][3].toInt(), 0);
        EXPECT_EQ(filas[i][4].toDouble(), 0.0);
        EXPECT_EQ(filas[i][5].toString(), QString()); // no votes yet
    }
    const QList<QVariantList> puntos = Filas(QStringLiteral(
        "SELECT PUNTO, VSI + VNO + VABS, CSI + CNO + CABS FROM VOTACIONES_PUNTOS WHERE COMUNIDAD=1 AND CONVOCATORIA=1 ORDER BY PUNTO"));
    ASSERT_EQ(puntos.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(puntos[i][0].toInt(), i + 1);
        EXPECT_EQ(puntos[i][1].toInt(), 0);
        EXPECT_EQ(puntos[i][2].toDouble(), 0.0);
    }
    // An empty agenda does not matter: the rows exist all the same.
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM ORDEN")).toInt(), 0);
}

TEST_F(Votaciones, CreatingTheRowsAgainKeepsTheExistingOnesAndAddsOnlyMissingOwners)
{
    NuevaConvocatoria(1);
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET NOMBRE='REPRESENTANTE', P1='S' WHERE PROPIETARIO=1"));
    Propietario(1, 5, QStringLiteral("NUEVO"));
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(1,1)"));
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_puntos_mete(1,1)"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES")).toInt(), 5);
    EXPECT_EQ(Valor(QStringLiteral("SELECT NOMBRE || P1 FROM VOTACIONES WHERE PROPIETARIO=1")).toString(), QStringLiteral("REPRESENTANTES"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES_PUNTOS")).toInt(), 10);
}

TEST_F(Votaciones, AttendanceSwitchesOneOwnerAndTheTotalsCountOnlyThoseAttending)
{
    NuevaConvocatoria(1);
    NuevaConvocatoria(2);
    Asiste(1);
    Asiste(4);
    Asiste(2);
    Asiste(2); // twice: as it was
    EXPECT_EQ(Valor(QStringLiteral("SELECT LIST(PROPIETARIO) FROM (SELECT PROPIETARIO FROM VOTACIONES "
                                   "WHERE CONVOCATORIA=1 AND ASISTENCIA=1 ORDER BY PROPIETARIO)")).toString(), QStringLiteral("1,4"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES WHERE CONVOCATORIA=2 AND ASISTENCIA=1")).toInt(), 0);
    // Toggling does not recount; the totals procedure does.
    EXPECT_EQ(Valor(QStringLiteral("SELECT ASISTENTES FROM CONVOCATORIAS WHERE CODIGO=1")).toInt(), 0);
    Ejecuta(QStringLiteral("execute procedure convocatoria_asistencia(?comunidad,?convocatoria);"),
            {{QStringLiteral("comunidad"), I(1)}, {QStringLiteral("convocatoria"), I(1)}});
    const QVariantList totales = Filas(QStringLiteral("SELECT ASISTENTES, COEFICIENTES FROM CONVOCATORIAS WHERE COMUNIDAD=1 AND CODIGO=1")).value(0);
    EXPECT_EQ(totales[0].toInt(), 2);
    EXPECT_DOUBLE_EQ(totales[1].toDouble(), 65);
    // Everybody by the bulk statement of the workspace.
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=?ASISTENCIA WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA"),
            {{QStringLiteral("ASISTENCIA"), I(1)}, {QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(1)}});
    Calcula();
    EXPECT_EQ(Valor(QStringLiteral("SELECT ASISTENTES FROM CONVOCATORIAS WHERE CODIGO=1")).toInt(), 4);
    EXPECT_DOUBLE_EQ(Valor(QStringLiteral("SELECT COEFICIENTES FROM CONVOCATORIAS WHERE CODIGO=1")).toDouble(), 95);
    // Nobody.
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=0"));
    Calcula();
    EXPECT_EQ(Valor(QStringLiteral("SELECT ASISTENTES FROM CONVOCATORIAS WHERE CODIGO=1")).toInt(), 0);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COEFICIENTES FROM CONVOCATORIAS WHERE CODIGO=1")).toDouble(), 0.0);
}

TEST_F(Votaciones, TalliesCountYesNoAndAbstentionOfOwnersPresentWeightedByCoefficient)
{
    NuevaConvocatoria(1);
    Asiste(1); // 25
    Asiste(2); // 30
    Asiste(3); // 0
    // Owner 4 (40) is absent: his votes do not count.
    const struct { int propietario; const char* p1; const char* p2; const char* p10; } votos[] = {
        {1, "S", "A", "N"}, {2, "s", "X", "N"}, {3, "N", "", "a"}, {4, "S", "A", "S"}};
    for (const auto& v : votos) {
        Vota(v.propietario, QStringLiteral("P1"), QString::fromLatin1(v.p1));
        Vota(v.propietario, QStringLiteral("P2"), QString::fromLatin1(v.p2));
        Vota(v.propietario, QStringLiteral("P10"), QString::fromLatin1(v.p10));
    }
    Calcula();
    const struct { int punto; int vsi, vno, vabs; double csi, cno, cabs; } esperado[] = {
        {1, 2, 1, 0, 55, 0, 0},
        {2, 0, 0, 1, 0, 0, 25},   // "X" and blank count nowhere
        {3, 0, 0, 0, 0, 0, 0},
        {10, 0, 2, 1, 0, 55, 0},
    };
    for (const auto& e : esperado) {
        const QVariantList r = Recuento(e.punto);
        ASSERT_EQ(r.size(), 6) << e.punto;
        EXPECT_EQ(r[0].toInt(), e.vsi) << e.punto;
        EXPECT_EQ(r[1].toInt(), e.vno) << e.punto;
        EXPECT_EQ(r[2].toInt(), e.vabs) << e.punto;
        EXPECT_DOUBLE_EQ(r[3].toDouble(), e.csi) << e.punto;
        EXPECT_DOUBLE_EQ(r[4].toDouble(), e.cno) << e.punto;
        EXPECT_DOUBLE_EQ(r[5].toDouble(), e.cabs) << e.punto;
    }
    // Recalculating after a change replaces the tallies; it does not add up.
    Vota(1, QStringLiteral("P1"), QStringLiteral("N"));
    Calcula();
    const QVariantList r = Recuento(1);
    EXPECT_EQ(r[0].toInt(), 1);
    EXPECT_EQ(r[1].toInt(), 2);
    EXPECT_DOUBLE_EQ(r[3].toDouble(), 30);
    EXPECT_DOUBLE_EQ(r[4].toDouble(), 25);
}

TEST_F(Votaciones, TalliesAreWrittenEvenWhenTheTallyRowsAreMissing)
{
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(1,1)"));
    Asiste(2);
    Vota(2, QStringLiteral("P3"), QStringLiteral("S"));
    Calcula();
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES_PUNTOS WHERE COMUNIDAD=1 AND CONVOCATORIA=1")).toInt(), 10);
    EXPECT_EQ(Recuento(3).value(0).toInt(), 1);
}

TEST_F(Votaciones, AttendanceListViewGivesOneRowPerActivePropertyAndShowsRepresentation)
{
    NuevaConvocatoria(1);
    Asiste(1);
    Asiste(2);
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET NOMBRE='PEDRO REPRESENTANTE' WHERE PROPIETARIO=2"));
    // The attendance list's statement with both of its order lines.
    const QString sql = QStringLiteral(
        "SELECT PROPIETARIO, REPRESENTADO, COEFICIENTE_P, FINCA, COEFICIENTE FROM VER_JUNTAS WHERE COMUNIDAD=?COMUNIDAD "
        "AND CONVOCATORIA=?CONVOCATORIA AND ASISTENCIA=1\n");
    const TParametros p{{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(1)}};
    const QList<QVariantList> porNombre = Filas(sql + QStringLiteral("ORDER BY PROPIETARIO,FINCA"), p);
    ASSERT_EQ(porNombre.size(), 3);
    EXPECT_EQ(porNombre[0], (QVariantList{QStringLiteral("ANA"), QStringLiteral("ANA"), 25.0, QStringLiteral("1º A"), 10.0}));
    EXPECT_EQ(porNombre[1], (QVariantList{QStringLiteral("ANA"), QStringLiteral("ANA"), 25.0, QStringLiteral("GARAJE 1"), 15.0}));
    EXPECT_EQ(porNombre[2], (QVariantList{QStringLiteral("LUIS"), QStringLiteral("PEDRO REPRESENTANTE"), 30.0, QStringLiteral("1º B"), 30.0}));
    EXPECT_EQ(Filas(sql + QStringLiteral("ORDER BY CODIGO_P,FINCA"), p).size(), 3);
}

// The minutes' attendance list must add up to the totals written on the
// convocation even when the register has changed since the meeting.
TEST_F(Votaciones, AttendanceListViewAddsUpToTheConvocationsTotalsAfterTheRegisterChanges)
{
    Propietario(1, 5, QStringLiteral("JUAN"));
    Finca(1, 5, 1, 2, 1, QStringLiteral("TRASTERO 1"));
    Finca(1, 5, 2, 3, 1, QStringLiteral("TRASTERO 2"));
    NuevaConvocatoria(1);
    for (int p = 1; p <= 5; ++p)
        Asiste(p);
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET NOMBRE='PEDRO REPRESENTANTE' WHERE PROPIETARIO=4"));
    Calcula();
    // After the meeting: LUIS is deleted, MARTA's properties become
    // inactive and one of JUAN's two properties too.
    Ejecuta(QStringLiteral("DELETE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=2"));
    Ejecuta(QStringLiteral("UPDATE EMP_FINCAS SET ACTIVO=0 WHERE COMUNIDAD=1 AND PROPIETARIO=4"));
    Ejecuta(QStringLiteral("UPDATE EMP_FINCAS SET ACTIVO=0 WHERE COMUNIDAD=1 AND PROPIETARIO=5 AND CODIGO=2"));

    const QVariantList totales = Filas(QStringLiteral("SELECT ASISTENTES, COEFICIENTES FROM CONVOCATORIAS WHERE COMUNIDAD=1 AND CODIGO=1")).value(0);
    ASSERT_EQ(totales.size(), 2);
    EXPECT_EQ(totales[0].toInt(), 5);
    EXPECT_DOUBLE_EQ(totales[1].toDouble(), 100);
    const QList<QVariantList> lista = Filas(QStringLiteral(
        "SELECT CODIGO_P, PROPIETARIO, REPRESENTADO, COEFICIENTE_P, FINCA, COEFICIENTE FROM VER_JUNTAS "
        "WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA AND ASISTENCIA=1\nORDER BY CODIGO_P,FINCA"),
        {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CONVOCATORIA"), I(1)}});
    QSet<int> propietarios;
    double suma = 0;
    QStringList filas;
    for (const QVariantList& f : lista) {
        propietarios.insert(f[0].toInt());
        suma += f[5].toDouble();
        QStringList campos;
        for (const QVariant& v : f)
            campos << v.toString();
        filas << campos.join(QLatin1Char('|'));
    }
    EXPECT_EQ(propietarios.size(), totales[0].toInt());
    EXPECT_NEAR(suma, totales[1].toDouble(), 1e-9);
    // An owner whose active properties still make up his vote row's
    // coefficient is listed by property; any other attending owner once, with
    // the coefficient he voted with and no property; the deleted owner by the
    // name kept on his vote row.
    EXPECT_EQ(filas, (QStringList{QStringLiteral("1|ANA|ANA|25|1º A|10"), QStringLiteral("1|ANA|ANA|25|GARAJE 1|15"),
                                  QStringLiteral("2|LUIS|LUIS|30||30"), QStringLiteral("3|SIN FINCAS|SIN FINCAS|0||0"),
                                  QStringLiteral("4|MARTA|PEDRO REPRESENTANTE|40||40"), QStringLiteral("5|JUAN|JUAN|5||5")}));
}

// The supplied listings' statements with the conditions their callers give.
TEST_F(Votaciones, SuppliedListingsRunWithTheirCallersConditions)
{
    NuevaConvocatoria(1);
    Asiste(1);
    Asiste(4);
    Vota(4, QStringLiteral("P1"), QStringLiteral("S"));
    auto sqlListado = [&](int codigo) {
        return Valor(QStringLiteral("SELECT SQL FROM SYS_LISTADOS WHERE CODIGO=?C"), {{QStringLiteral("C"), I(codigo)}}).toString();
    };
    for (int codigo : {9000, 9001}) {
        for (const char* orden : {"FINCA", "PROPIETARIO"}) {
            const QList<QVariantList> filas = Filas(sqlListado(codigo) +
                QStringLiteral("\nWHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND ASISTENCIA=1\nORDER BY %1").arg(QLatin1String(orden)));
            EXPECT_EQ(filas.size(), codigo == 9000 ? 4 : 2) << codigo << orden;
        }
    }
    const QList<QVariantList> votos = Filas(sqlListado(9001) +
        QStringLiteral("\nWHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND ASISTENCIA=1\nORDER BY PROPIETARIO"));
    // VER_VOTACIONES: one row per attending owner with his votes.
    QStringList nombres;
    for (const QVariantList& f : votos)
        nombres << f[4].toString();
    EXPECT_EQ(nombres, (QStringList{QStringLiteral("ANA"), QStringLiteral("MARTA")}));

    // The appointment list: a date range, a user and the text condition.
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?F, 1)"), {{QStringLiteral("F"), Dia(2025, 3, 10)}});
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?F, 2)"), {{QStringLiteral("F"), Dia(2025, 3, 10)}});
    Ejecuta(QStringLiteral("UPDATE CALENDARIO SET TEXTO='DENTISTA' WHERE HORA=3"));
    const QString citas = sqlListado(9009) +
        QStringLiteral("\nWHERE FECHA>=\"03/01/2025 00:00:00\" AND FECHA<=\"03/16/2025 23:59:59\" AND TEXTO<>\"\"\"\"");
    EXPECT_EQ(Filas(citas).size(), 2); // franjas without text are no appointments
    EXPECT_EQ(Filas(citas + QStringLiteral(" AND USUARIO=2")).size(), 1);
}

// ---------------------------------------------------------- other procedures

class Procedimientos : public TBaseTest {};

TEST_F(Procedimientos, FollowUpDoneMarkSwitches)
{
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO) VALUES (1,5,0,'A',0)"));
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO) VALUES (1,5,0,'B',0)"));
    const QString activa = QStringLiteral("EXECUTE PROCEDURE DETALLE_ACTIVA(?COMUNIDAD,?CODIGO,?NUMERO)");
    const TParametros p{{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CODIGO"), I(5)}, {QStringLiteral("NUMERO"), I(2)}};
    Ejecuta(activa, p);
    EXPECT_EQ(Valor(QStringLiteral("SELECT LIST(TERMINADO) FROM (SELECT TERMINADO FROM DETALLE ORDER BY NUMERO)")).toString(), QStringLiteral("0,1"));
    Ejecuta(activa, p);
    EXPECT_EQ(Valor(QStringLiteral("SELECT SUM(TERMINADO) FROM DETALLE")).toInt(), 0);
}

TEST_F(Procedimientos, PlannerDayGetsHalfHourSlotsFromNineToHalfPastNine)
{
    const TParametros dia{{QStringLiteral("FECHA"), Dia(2025, 3, 10)}};
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) HAY FROM PLANIFICADOR  WHERE FECHA=?FECHA"), dia).toInt(), 0);
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?FECHA)"), dia);
    EXPECT_EQ(Filas(QStringLiteral("SELECT * FROM PLANIFICADOR\nWHERE FECHA=?FECHA\nORDER BY FECHA,HORA"), dia).size(), 26);
    QStringList esperadas;
    for (int h = 9; h <= 21; ++h)
        esperadas << QStringLiteral("%1:00").arg(h, 2, 10, QLatin1Char('0')) << QStringLiteral("%1:30").arg(h, 2, 10, QLatin1Char('0'));
    QStringList reales;
    for (const QVariantList& f : Filas(QStringLiteral("SELECT HORA, DES FROM PLANIFICADOR WHERE FECHA=?FECHA ORDER BY HORA"), dia)) {
        reales << f[0].toString();
        EXPECT_EQ(f[1].toString(), QString());
    }
    EXPECT_EQ(reales, esperadas);
    // Free franjas are not pending meetings; a described one is.
    const QString pendientes = QStringLiteral("SELECT * FROM PLANIFICADOR\nWHERE ltrim(rtrim(des)) <> \"\"\nORDER BY FECHA desc, HORA desc");
    EXPECT_TRUE(Filas(pendientes).isEmpty());
    Ejecuta(QStringLiteral("UPDATE PLANIFICADOR SET DES='  JUNTA  ', COMUNIDAD=1 WHERE HORA='18:00'"));
    EXPECT_EQ(Filas(pendientes).size(), 1);
    // Creating the day again adds nothing.
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?FECHA)"), dia);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) HAY FROM PLANIFICADOR  WHERE FECHA=?FECHA"), dia).toInt(), 26);
}

TEST_F(Procedimientos, CalendarDayGetsOneSlotPerHourFromEightToNineForThatUser)
{
    const TParametros dia{{QStringLiteral("FECHA"), Dia(2025, 3, 10)}, {QStringLiteral("USUARIO"), I(2)}};
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?FECHA,?USUARIO)"), dia);
    const QList<QVariantList> franjas = Filas(QStringLiteral(
        "SELECT HORA, HORA2, TEXTO, LLAMADA FROM CALENDARIO WHERE FECHA=?FECHA AND USUARIO=?USUARIO ORDER BY FECHA,HORA"), dia);
    ASSERT_EQ(franjas.size(), 14);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(franjas[i], (QVariantList{i + 1, i + 8, QString(), 0}));
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?FECHA,?USUARIO)"), dia);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) n FROM CALENDARIO WHERE FECHA=?FECHA  AND USUARIO=?USUARIO"), dia).toInt(), 14);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM CALENDARIO WHERE USUARIO<>2")).toInt(), 0);
}

TEST_F(Procedimientos, ImportedCommunityIsInsertedOrUpdatedByCode)
{
    const QString sql = QStringLiteral(
        "execute procedure sys_comunidad_imp(?codigo,?nombre, ?domicilio,?cod_postal,?poblacion, ?provincia,"
        "?telefono,?ejercicio,?mes1,?mes2,?presidente,?tel_presidente)");
    auto llama = [&](const QString& nombre, int ejercicio) {
        Ejecuta(sql, {{QStringLiteral("codigo"), I(7)}, {QStringLiteral("nombre"), T(nombre)},
                      {QStringLiteral("domicilio"), T(QStringLiteral("CALLE MAYOR, 1"))}, {QStringLiteral("cod_postal"), T(QStringLiteral("50001"))},
                      {QStringLiteral("poblacion"), T(QStringLiteral("ZARAGOZA"))}, {QStringLiteral("provincia"), T(QStringLiteral("ZARAGOZA"))},
                      {QStringLiteral("telefono"), T(QStringLiteral("976000000"))}, {QStringLiteral("ejercicio"), I(ejercicio)},
                      {QStringLiteral("mes1"), I(1)}, {QStringLiteral("mes2"), I(12)}, {QStringLiteral("presidente"), T(QStringLiteral("ANA"))},
                      {QStringLiteral("tel_presidente"), T(QStringLiteral("600000000"))}});
    };
    llama(QStringLiteral("C.P. NUEVA"), 2024);
    EXPECT_EQ(Filas(QStringLiteral("SELECT NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, TELEFONO, EJERCICIO, MES_INICIO, "
                                   "MES_CIERRE, PRESIDENTE, TEL_PRESIDENTE, REFERENCIAS FROM SYS_COMUNIDAD WHERE CODIGO=7")).value(0),
              (QVariantList{QStringLiteral("C.P. NUEVA"), QStringLiteral("CALLE MAYOR, 1"), QStringLiteral("50001"), QStringLiteral("ZARAGOZA"),
                            QStringLiteral("ZARAGOZA"), QStringLiteral("976000000"), 2024, 1, 12, QStringLiteral("ANA"),
                            QStringLiteral("600000000"), 0}));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=7 AND CODIGO=0")).toInt(), 1);
    Ejecuta(QStringLiteral("UPDATE SYS_COMUNIDAD SET REFERENCIAS=12 WHERE CODIGO=7"));
    llama(QStringLiteral("C.P. RENOMBRADA"), 2025);
    EXPECT_EQ(Filas(QStringLiteral("SELECT NOMBRE, EJERCICIO, REFERENCIAS FROM SYS_COMUNIDAD")).value(0),
              (QVariantList{QStringLiteral("C.P. RENOMBRADA"), 2025, 12}));
}

// ------------------------------------------------------------------ deleting

class Borrado : public TBaseTest {
protected:
    void SetUp() override
    {
        TBaseTest::SetUp();
        Comunidad(1);
        for (int p = 1; p <= 2; ++p) {
            Propietario(1, p, QStringLiteral("PROPIETARIO %1").arg(p));
            Finca(1, p, 1, 40);
            Finca(1, p, 2, 10);
            Direccion(1, p, 1, 1);
            for (int f = 1; f <= 2; ++f)
                for (const char* periodo : {"00", "01"})
                    Ejecuta(QStringLiteral("INSERT INTO EMP_SALDOS_APER_FINCAS (COMUNIDAD, EJERCICIO, PROPIETARIO, FINCA, PERIODO) "
                                           "VALUES (1, 0, ?P, ?F, ?R)"),
                            {{QStringLiteral("P"), I(p)}, {QStringLiteral("F"), I(f)}, {QStringLiteral("R"), T(QString::fromLatin1(periodo))}});
        }
        for (int c = 1; c <= 2; ++c) {
            Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(1,?C)"), {{QStringLiteral("C"), I(c)}});
            Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_puntos_mete(1,?C)"), {{QStringLiteral("C"), I(c)}});
            Ejecuta(QStringLiteral("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO) VALUES (1, ?C)"), {{QStringLiteral("C"), I(c)}});
            Ejecuta(QStringLiteral("INSERT INTO ORDEN (COMUNIDAD, CODIGO, NUMERO, PUNTO, DES) VALUES (1, ?C, 1, 1, 'CUENTAS')"), {{QStringLiteral("C"), I(c)}});
            Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD,CODIGO,NUMERO,DES,TERMINADO) VALUES (1,?C,0,'1º.- CUENTAS',0)"), {{QStringLiteral("C"), I(c)}});
        }
        Confirma();
    }
    int Cuenta(const QString& tabla, const QString& condicion)
    {
        return Valor(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(tabla, condicion)).toInt();
    }
};

TEST_F(Borrado, DeletingAConvocationDeletesItsVotesTalliesAgendaAndFollowUp)
{
    Ejecuta(QStringLiteral("DELETE FROM CONVOCATORIAS WHERE CODIGO=?old_CODIGO AND COMUNIDAD=?old_COMUNIDAD"),
            {{QStringLiteral("old_CODIGO"), I(1)}, {QStringLiteral("old_COMUNIDAD"), I(1)}});
    for (const char* tabla : {"VOTACIONES", "VOTACIONES_PUNTOS"}) {
        EXPECT_EQ(Cuenta(QString::fromLatin1(tabla), QStringLiteral("CONVOCATORIA=1")), 0) << tabla;
        EXPECT_GT(Cuenta(QString::fromLatin1(tabla), QStringLiteral("CONVOCATORIA=2")), 0) << tabla;
    }
    for (const char* tabla : {"ORDEN", "DETALLE"}) {
        EXPECT_EQ(Cuenta(QString::fromLatin1(tabla), QStringLiteral("CODIGO=1")), 0) << tabla;
        EXPECT_EQ(Cuenta(QString::fromLatin1(tabla), QStringLiteral("CODIGO=2")), 1) << tabla;
    }
}

TEST_F(Borrado, DeletingAnOwnerDeletesHisAddressesPropertiesAndBalancesButKeepsHisVotes)
{
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=1, P1='S' WHERE PROPIETARIO=1"));
    Ejecuta(QStringLiteral("DELETE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=1"));
    for (const char* tabla : {"EMP_DIRECCIONES", "EMP_FINCAS", "EMP_SALDOS_APER_FINCAS"}) {
        EXPECT_EQ(Cuenta(QString::fromLatin1(tabla), QStringLiteral("PROPIETARIO=1")), 0) << tabla;
        EXPECT_GT(Cuenta(QString::fromLatin1(tabla), QStringLiteral("PROPIETARIO=2")), 0) << tabla;
    }
    // Past meetings keep the owner's vote, name and coefficient.
    EXPECT_EQ(Cuenta(QStringLiteral("VOTACIONES"), QStringLiteral("PROPIETARIO=1 AND COEFICIENTES=50")), 2);
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_calcula(1,1)"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT VSI FROM VOTACIONES_PUNTOS WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND PUNTO=1")).toInt(), 1);
    const QList<QVariantList> votacion = Filas(QStringLiteral("SELECT PROPIETARIO, REPRESENTADO FROM VER_VOTACIONES WHERE CONVOCATORIA=1 AND CODIGO_P=1"));
    EXPECT_EQ(votacion.value(0), (QVariantList{QStringLiteral("PROPIETARIO 1"), QStringLiteral("PROPIETARIO 1")}));
}

TEST_F(Borrado, DeletingAPropertyLeavesItsBalancesToTheProgram)
{
    // The owners screen deletes the balance of the current year, period 00,
    // and then the property.
    Ejecuta(QStringLiteral("DELETE FROM EMP_SALDOS_APER_FINCAS\nWHERE COMUNIDAD=?COMUNIDAD AND\nEJERCICIO=?EJERCICIO AND\n"
                           "PROPIETARIO=?PROPIETARIO AND\nFINCA=?FINCA AND\nPERIODO=\"00\""),
            {{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("EJERCICIO"), I(0)}, {QStringLiteral("PROPIETARIO"), I(1)}, {QStringLiteral("FINCA"), I(1)}});
    Ejecuta(QStringLiteral("DELETE FROM EMP_FINCAS WHERE COMUNIDAD=1 AND PROPIETARIO=1 AND CODIGO=1"));
    EXPECT_EQ(Cuenta(QStringLiteral("EMP_SALDOS_APER_FINCAS"), QStringLiteral("PROPIETARIO=1 AND FINCA=1")), 1); // period 01 stays
    EXPECT_EQ(Cuenta(QStringLiteral("EMP_SALDOS_APER_FINCAS"), QStringLiteral("PROPIETARIO=1 AND FINCA=2")), 2);
}

// The minutes of a community's meetings are a legal record: one mistaken
// delete of the community must not take them along, so the community is
// refused while anything the user can see of it remains.
TEST_F(Borrado, ACommunityIsRefusedWhileItHasOwnersConvocationsMattersOrPlannedMeetings)
{
    // Convocations are named before owners, so that nobody deletes the
    // owners only to learn that the community must stay anyway.
    QString fallo = Fallo(QStringLiteral("DELETE FROM SYS_COMUNIDAD WHERE CODIGO=1"));
    EXPECT_TRUE(fallo.contains(QStringLiteral("No se puede borrar una comunidad con juntas"))) << fallo.toStdString();

    const struct { const char* fila; const char* quita; const char* mensaje; } casos[] = {
        {"INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (2, 1, 'ANA')",
         "DELETE FROM EMP_PROPIETARIO WHERE COMUNIDAD=2 AND CODIGO=1", "todavía tiene propietarios"},
        {"INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO) VALUES (2, 1)",
         "DELETE FROM CONVOCATORIAS WHERE COMUNIDAD=2", "con juntas, asuntos o planificación"},
        {"INSERT INTO ASUNTOS (CODIGO, ASUNTO, COMUNIDAD) VALUES (0, 'GOTERAS', 2)",
         "DELETE FROM ASUNTOS WHERE COMUNIDAD=2", "con juntas, asuntos o planificación"},
        {"UPDATE PLANIFICADOR SET DES='JUNTA ORDINARIA', COMUNIDAD=2 WHERE HORA='18:00'",
         "UPDATE PLANIFICADOR SET DES='' WHERE COMUNIDAD=2", "con juntas, asuntos o planificación"},
    };
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?F)"), {{QStringLiteral("F"), Dia(2025, 6, 2)}});
    for (const auto& c : casos) {
        Comunidad(2);
        Ejecuta(QString::fromUtf8(c.fila));
        fallo = Fallo(QStringLiteral("DELETE FROM SYS_COMUNIDAD WHERE CODIGO=2"));
        EXPECT_TRUE(fallo.contains(QString::fromUtf8(c.mensaje))) << c.fila << ": " << fallo.toStdString();
        EXPECT_EQ(Cuenta(QStringLiteral("SYS_COMUNIDAD"), QStringLiteral("CODIGO=2")), 1) << c.fila;
        Ejecuta(QString::fromUtf8(c.quita));
        fallo = Fallo(QStringLiteral("DELETE FROM SYS_COMUNIDAD WHERE CODIGO=2"));
        EXPECT_TRUE(fallo.isEmpty()) << c.quita << ": " << fallo.toStdString();
    }
}

// Whatever of a deleted community no screen reaches any more (vote, tally,
// agenda and follow-up rows left without their convocation; properties,
// addresses and balances left without their owner; free planner slots
// carrying its code) goes with it, so that a new community given the same
// code starts with nothing of the old one.
TEST_F(Borrado, ACommunityCodeUsedAgainStartsWithNothingOfTheDeletedCommunity)
{
    // Rows of a convocation whose own row was never written (the vote rows
    // are created first), and rows whose owner is gone.
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(1,9)"));
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_puntos_mete(1,9)"));
    Ejecuta(QStringLiteral("INSERT INTO ORDEN (COMUNIDAD, CODIGO, NUMERO, PUNTO, DES) VALUES (1, 9, 1, 1, 'CUENTAS')"));
    Ejecuta(QStringLiteral("INSERT INTO DETALLE (COMUNIDAD, CODIGO, NUMERO, DES) VALUES (1, 9, 0, 'CUENTAS')"));
    Ejecuta(QStringLiteral("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, COEFICIENTES) VALUES (1, 99, 1, 5)"));
    Ejecuta(QStringLiteral("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO) VALUES (1, 99, 1)"));
    Ejecuta(QStringLiteral("INSERT INTO EMP_SALDOS_APER_FINCAS (COMUNIDAD, EJERCICIO, PROPIETARIO, FINCA, PERIODO) VALUES (1, 0, 99, 1, '00')"));
    Ejecuta(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?F)"), {{QStringLiteral("F"), Dia(2025, 6, 2)}});
    Ejecuta(QStringLiteral("UPDATE PLANIFICADOR SET COMUNIDAD=1 WHERE HORA='18:00'")); // described once, freed since
    // What the user deletes first, from the screens.
    Ejecuta(QStringLiteral("DELETE FROM CONVOCATORIAS WHERE COMUNIDAD=1"));
    Ejecuta(QStringLiteral("DELETE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO<>0"));
    const QString fallo = Fallo(QStringLiteral("DELETE FROM SYS_COMUNIDAD WHERE CODIGO=1"));
    ASSERT_TRUE(fallo.isEmpty()) << fallo.toStdString();
    Confirma();

    Comunidad(1, QStringLiteral("C.P. NUEVA"));
    // Every table that carries a community code.
    const QList<QVariantList> tablas = Filas(QStringLiteral(
        "SELECT TRIM(RF.RDB$RELATION_NAME) FROM RDB$RELATION_FIELDS RF "
        "JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME "
        "WHERE RF.RDB$FIELD_NAME = 'COMUNIDAD' AND R.RDB$VIEW_BLR IS NULL AND COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0"));
    ASSERT_GE(tablas.size(), 10);
    for (const QVariantList& t : tablas) {
        const QString tabla = t[0].toString();
        const bool propietarios = tabla == QLatin1String("EMP_PROPIETARIO");
        EXPECT_EQ(Cuenta(tabla, QStringLiteral("COMUNIDAD=1")), propietarios ? 1 : 0) << tabla.toStdString();
    }
    EXPECT_EQ(Filas(QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1")).value(0),
              (QVariantList{0, QStringLiteral("C.P. NUEVA")}));
    // The planner keeps its slot, free.
    EXPECT_EQ(Cuenta(QStringLiteral("PLANIFICADOR"), QStringLiteral("HORA='18:00'")), 1);
}

TEST_F(Borrado, OwnerZeroCannotBeDeletedWhileItsCommunityExists)
{
    EXPECT_TRUE(Fallo(QStringLiteral("DELETE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=0")).contains(QStringLiteral("reservado")));
    EXPECT_EQ(Cuenta(QStringLiteral("EMP_PROPIETARIO"), QStringLiteral("COMUNIDAD=1 AND CODIGO=0")), 1);
}

// ----------------------------------------------------------------- views

class Vistas : public TBaseTest {};

TEST_F(Vistas, OwnerAddressViewGivesOneRowPerAddressForLettersAndLabels)
{
    Comunidad(1);
    Propietario(1, 1, QStringLiteral("ANA"));
    Propietario(1, 2, QStringLiteral("LUIS"));
    Propietario(1, 3, QStringLiteral("SIN DIRECCION"));
    Ejecuta(QStringLiteral("UPDATE EMP_PROPIETARIO SET E_MAIL='  ana@correo.es ', IDIOMA=2, TEXTO=1 WHERE CODIGO=1"));
    Direccion(1, 1, 1, 1);
    Direccion(1, 1, 2, 0);
    Direccion(1, 2, 1, 1);
    // The labels' statement, with the e-mail choice.
    const QString etiquetas = QStringLiteral(
        "SELECT * FROM VER_PROPIETARIO_DIRE\nWHERE COMUNIDAD=?COMUNIDAD AND\nCODIGO >= ?CODIGO1 AND CODIGO <= ?CODIGO2 AND\n%1\n"
        "ORDER BY CODIGO_POSTAL");
    const TParametros p{{QStringLiteral("COMUNIDAD"), I(1)}, {QStringLiteral("CODIGO1"), I(1)}, {QStringLiteral("CODIGO2"), I(3)}};
    EXPECT_EQ(Filas(etiquetas.arg(QStringLiteral("ACTIVO = 1")), p).size(), 2);
    EXPECT_EQ(Filas(etiquetas.arg(QStringLiteral("ACTIVO = 1 AND rtrim(ltrim(e_mail))<> \"\"")), p).size(), 1);
    EXPECT_EQ(Filas(etiquetas.arg(QStringLiteral("ACTIVO = 1 AND rtrim(ltrim(e_mail))= \"\"")), p).size(), 1);
    EXPECT_EQ(Filas(QStringLiteral("SELECT * FROM VER_PROPIETARIO_DIRE\nWHERE COMUNIDAD=?COMUNIDAD AND\nTEXTO = 1 AND ACTIVO=1\nORDER BY IDIOMA"),
                    {{QStringLiteral("COMUNIDAD"), I(1)}}).size(), 1);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VER_PROPIETARIO_DIRE WHERE CODIGO=1")).toInt(), 2);
}
