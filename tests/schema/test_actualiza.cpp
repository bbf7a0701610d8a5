// A database made by the previous version gains what this one writes when
// it is opened, once, and keeps every row.
#include "SchemaTest.h"

#include "ActualizaEsquema.h"
#include "DatosDemo.h"
#include "FIBDatabase.h"
#include "FIBScript.h"

using namespace qdschema;

namespace {

// The demo database as the previous version made it: the same scripts and
// rows, without the levels added since.
QString BaseAnterior()
{
    return qdtest::FreshDatabaseFrom(QStringLiteral("esquema-0"), [](const QString& path) {
        TFIBDatabase::CreateDatabase(path, QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), false);
        TFIBDatabase db;
        db.SetDBName(path);
        db.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=masterkey"),
                        QStringLiteral("lc_ctype=UTF8")});
        db.Open();
        ExecuteScript(db, ScriptSQL(QStringLiteral("registro")));
        ExecuteScript(db, ScriptSQL(QStringLiteral("quorumdesk")));
        ExecuteScript(db, ScriptSQL(QStringLiteral("reservados"))
                              .replace(QStringLiteral("@VERSION@"), QStringLiteral("0.10"))
                              .replace(QStringLiteral("@CLAVE@"), QStringLiteral("Q")));
        InsertaDemoPrograma(db);
        db.Close();
    });
}

class Actualiza : public TBaseTest {
protected:
    void SetUp() override { con = std::make_unique<qdtest::Connection>(BaseAnterior()); }

    // Every user table with its number of rows.
    QList<QVariantList> Recuento()
    {
        QList<QVariantList> r;
        for (const QVariantList& t : Filas(QStringLiteral(
                 "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 "
                 "AND RDB$VIEW_BLR IS NULL ORDER BY 1")))
            r << QVariantList{t[0], Valor(QStringLiteral("SELECT COUNT(*) FROM ") + t[0].toString())};
        return r;
    }
    void Actualizar()
    {
        con->tr.Commit();
        ActualizaEsquema(con->db);
        con->tr.StartTransaction();
    }
};

} // namespace

TEST_F(Actualiza, AnEarlierDatabaseIsUpgradedOnceAndKeepsEveryRow)
{
    const QList<QVariantList> antes = Recuento();
    ASSERT_GT(Valor(QStringLiteral("SELECT COUNT(*) FROM CONVOCATORIAS")).toInt(), 0);
    const QVariantList version = Filas(QStringLiteral("SELECT VERSION, FECHA FROM SYS_VERSION WHERE CODIGO = 1")).value(0);
    EXPECT_EQ(NivelEsquemaDe(con->db), 0);

    Actualizar();
    EXPECT_EQ(NivelEsquemaDe(con->db), NivelEsquema);
    QList<QVariantList> despues = Recuento();
    for (const char* nueva : {"ACUERDOS", "DEUDORES_VOTAN", "OPOSICIONES", "ACTAS_FIRMADAS"}) {
        const QVariantList vacia{QString::fromLatin1(nueva), 0};
        EXPECT_TRUE(despues.removeOne(vacia)) << nueva;
    }
    EXPECT_EQ(despues, antes);
    EXPECT_EQ(Filas(QStringLiteral("SELECT VERSION, FECHA FROM SYS_VERSION WHERE CODIGO = 1")).value(0), version);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$RELATION_NAME = 'EMP_PROPIETARIO' "
                                   "AND RDB$INDEX_NAME STARTING WITH 'IX_EMP_PROPIETARIO_PALABRA'")).toInt(),
              6) << "the owners' word indexes";

    // A second opening runs nothing again: what the first one made stays.
    Ejecuta(QStringLiteral("INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA, LLAMADA, M2) "
                           "SELECT FIRST 1 COMUNIDAD, CODIGO, 2, 4 FROM CONVOCATORIAS"));
    Actualizar();
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM ACUERDOS WHERE LLAMADA = 2 AND M2 = 4")).toInt(), 1);
}

TEST_F(Actualiza, ADatabaseAtTheFirstLevelLearnsHowOwnersAttendAndKeepsItsRowsAndTemplates)
{
    // The first level as a version of that time left it, with its rows.
    con->tr.Commit();
    ExecuteScript(con->db, QStringLiteral("ALTER TABLE SYS_VERSION ADD ESQUEMA INTEGER DEFAULT 0;\n") +
                               ScriptSQL(QStringLiteral("acuerdos")) +
                               QStringLiteral("\nCOMMIT;\nUPDATE SYS_VERSION SET ESQUEMA = 1 WHERE CODIGO = 1;\n"));
    con->tr.StartTransaction();
    const QVariantList c = Filas(QStringLiteral("SELECT FIRST 1 COMUNIDAD, CODIGO FROM CONVOCATORIAS")).value(0);
    const TParametros p{{QStringLiteral("C"), I(c[0].toInt())}, {QStringLiteral("V"), I(c[1].toInt())}};
    Ejecuta(QStringLiteral("INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA, LLAMADA, M3) VALUES (?C, ?V, 1, 2)"), p);
    Ejecuta(QStringLiteral("INSERT INTO OPOSICIONES (COMUNIDAD, CONVOCATORIA, PROPIETARIO, PUNTO, FECHA) "
                           "VALUES (?C, ?V, 1, 3, '2026-03-10')"), p);
    // One owner attended through a representative: his row carries that name.
    const int representado = Valor(QStringLiteral("SELECT MIN(PROPIETARIO) FROM VOTACIONES WHERE COMUNIDAD = ?C AND CONVOCATORIA = ?V"), p).toInt();
    ASSERT_GT(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES WHERE COMUNIDAD = ?C AND CONVOCATORIA = ?V"), p).toInt(), 1);
    Ejecuta(QStringLiteral("UPDATE VOTACIONES SET NOMBRE = 'SU REPRESENTANTE', ASISTENCIA = 1 WHERE COMUNIDAD = ?C "
                           "AND CONVOCATORIA = ?V AND PROPIETARIO = %1").arg(representado), p);
    const QString votos = QStringLiteral("SELECT PROPIETARIO, NOMBRE, ASISTENCIA, P1, COEFICIENTES, SALDO FROM VOTACIONES "
                                         "ORDER BY COMUNIDAD, CONVOCATORIA, PROPIETARIO");
    const QList<QVariantList> antes = Recuento();
    const QList<QVariantList> filasAntes = Filas(votos);
    const QList<QVariantList> textos = Filas(QStringLiteral("SELECT CODIGO, TEXTO FROM SYS_TEXTOS ORDER BY CODIGO"));
    ASSERT_EQ(NivelEsquemaDe(con->db), 1);

    Actualizar();
    EXPECT_EQ(NivelEsquemaDe(con->db), NivelEsquema);
    QList<QVariantList> despues = Recuento();
    EXPECT_TRUE(despues.removeOne(QVariantList{QStringLiteral("ACTAS_FIRMADAS"), 0})) << "the later level's table";
    EXPECT_EQ(despues, antes);
    EXPECT_EQ(Filas(votos), filasAntes);
    EXPECT_EQ(Filas(QStringLiteral("SELECT CODIGO, TEXTO FROM SYS_TEXTOS ORDER BY CODIGO")), textos) << "its own templates";
    EXPECT_EQ(Filas(QStringLiteral("SELECT LLAMADA, M3, IIF(NOTIFICADA IS NULL, 1, 0) FROM ACUERDOS")),
              (QList<QVariantList>{{1, 2, 1}}));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM OPOSICIONES WHERE FECHA = '2026-03-10'")).toInt(), 1);
    // Represented where the row carries another name, in person elsewhere.
    EXPECT_EQ(Filas(QStringLiteral("SELECT PROPIETARIO FROM VOTACIONES WHERE MODO = 1")),
              (QList<QVariantList>{{representado}}));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES WHERE MODO IS NULL OR MODO NOT IN (0, 1)")).toInt(), 0);
    EXPECT_NE(Fallo(QStringLiteral("UPDATE VOTACIONES SET MODO = 3")), QString());
}

TEST_F(Actualiza, WhatTheLawAsksOfAConvocationGoesWithIt)
{
    Actualizar();
    const QVariantList c = Filas(QStringLiteral("SELECT FIRST 1 COMUNIDAD, CODIGO FROM CONVOCATORIAS")).value(0);
    const TParametros p{{QStringLiteral("C"), I(c[0].toInt())}, {QStringLiteral("V"), I(c[1].toInt())}};
    Ejecuta(QStringLiteral("INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA) VALUES (?C, ?V)"), p);
    Ejecuta(QStringLiteral("INSERT INTO DEUDORES_VOTAN (COMUNIDAD, CONVOCATORIA, PROPIETARIO) VALUES (?C, ?V, 1)"), p);
    Ejecuta(QStringLiteral("INSERT INTO OPOSICIONES (COMUNIDAD, CONVOCATORIA, PROPIETARIO, PUNTO) VALUES (?C, ?V, 1, 3)"), p);
    Ejecuta(QStringLiteral("INSERT INTO ACTAS_FIRMADAS (COMUNIDAD, CONVOCATORIA, FIRMANTE) VALUES (?C, ?V, 'ANA')"), p);
    EXPECT_NE(Fallo(QStringLiteral("INSERT INTO ACUERDOS (COMUNIDAD, CONVOCATORIA, LLAMADA) VALUES (?C, ?V + 1000, 3)"), p),
              QString());
    Ejecuta(QStringLiteral("DELETE FROM CONVOCATORIAS WHERE COMUNIDAD = ?C AND CODIGO = ?V"), p);
    for (const char* tabla : {"ACUERDOS", "DEUDORES_VOTAN", "OPOSICIONES", "ACTAS_FIRMADAS"})
        EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(tabla))).toInt(), 0) << tabla;
}

TEST(EsquemaNuevo, ANewDatabaseIsMadeAtThisVersionsLevel)
{
    qdtest::Connection c(Copia(TBase::Programa));
    EXPECT_EQ(NivelEsquemaDe(c.db), NivelEsquema);
}
