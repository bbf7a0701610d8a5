// The import from the accounting database, against the databases the creation
// tool makes: what is copied and how, the key rule, the start-up step and the
// convocations' refresh, and every failure with what it leaves behind.
#include "Ficheros.h"
#include "Modales.h"
#include "Taldemar.h"
#include "UDMMain.h"

#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUuid>

namespace {

using qdtest::Modales;

class Importacion : public qdtest::TaldemarAbierto {
protected:
    // Rows by their first `claves` columns, joined as text.
    static QMap<QString, QVariantList> PorClave(const QList<QVariantList>& filas, int claves)
    {
        QMap<QString, QVariantList> r;
        for (const QVariantList& f : filas) {
            QStringList clave;
            for (int i = 0; i < claves; ++i)
                clave << f[i].toString();
            r.insert(clave.join(QLatin1Char('|')), f);
        }
        return r;
    }
    // Everything either mode writes, for comparing the program's database
    // before and after.
    QList<QVariantList> TodoLoImportable()
    {
        QList<QVariantList> filas;
        for (const char* sql : {"SELECT * FROM SYS_COMUNIDAD ORDER BY CODIGO", "SELECT * FROM SYS_IDIOMAS ORDER BY CODIGO",
                                "SELECT * FROM SYS_BANCOS ORDER BY ENTIDAD", "SELECT * FROM SYS_FORMAS_PAGO ORDER BY CODIGO",
                                "SELECT * FROM SYS_TIPOS_FINCA ORDER BY CODIGO", "SELECT * FROM SYS_USO_FINCAS ORDER BY CODIGO",
                                "SELECT * FROM EMP_PROPIETARIO ORDER BY COMUNIDAD, CODIGO",
                                "SELECT * FROM EMP_DIRECCIONES ORDER BY COMUNIDAD, PROPIETARIO, CODIGO",
                                "SELECT * FROM EMP_FINCAS ORDER BY COMUNIDAD, PROPIETARIO, CODIGO"})
            filas << Programa(QString::fromLatin1(sql));
        return filas;
    }
};

// What each source row must become in the program's database: the source
// statement writes the conversions (a missing text or number of the kind
// made empty or 0 is the value the program must hold), the destination
// statement reads the same columns.
struct TCopia {
    const char* que;
    int claves;
    const char* origen;
    const char* destino;
};

const TCopia kCopias[] = {
    {"communities with year, months and president", 1,
     "SELECT C.CODIGO, COALESCE(C.NOMBRE,''), COALESCE(C.DOMICILIO,''), COALESCE(C.COD_POSTAL,''), "
     "COALESCE(C.POBLACION,''), COALESCE(C.PROVINCIA,''), COALESCE(C.TELEFONO,''), COALESCE(E.EJERCICIO,0), "
     "COALESCE(E.MES_INICIO,0), COALESCE(E.MES_CIERRE,0), COALESCE(E.PRESIDENTE,''), COALESCE(E.TEL_PRESIDENTE,'') "
     "FROM SYS_COMUNIDAD C LEFT JOIN EMP_EJERCICIOS E ON E.COMUNIDAD=C.CODIGO "
     "AND E.EJERCICIO=(SELECT MAX(X.EJERCICIO) FROM EMP_EJERCICIOS X WHERE X.COMUNIDAD=C.CODIGO)",
     "SELECT CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, TELEFONO, EJERCICIO, MES_INICIO, "
     "MES_CIERRE, PRESIDENTE, TEL_PRESIDENTE FROM SYS_COMUNIDAD"},
    {"languages", 1, "SELECT CODIGO, COALESCE(NOMBRE,'') FROM SYS_IDIOMAS", "SELECT CODIGO, NOMBRE FROM SYS_IDIOMAS"},
    {"banks", 1, "SELECT ENTIDAD, COALESCE(NOMBRE,'') FROM SYS_BANCOS", "SELECT ENTIDAD, NOMBRE FROM SYS_BANCOS"},
    {"payment methods", 1, "SELECT CODIGO, COALESCE(NOMBRE,'') FROM SYS_FORMAS_PAGO", "SELECT CODIGO, NOMBRE FROM SYS_FORMAS_PAGO"},
    {"property types", 1, "SELECT CODIGO, COALESCE(NOMBRE,'') FROM SYS_TIPOS_FINCA", "SELECT CODIGO, NOMBRE FROM SYS_TIPOS_FINCA"},
    {"property uses", 1, "SELECT CODIGO, COALESCE(NOMBRE,'') FROM SYS_USO_FINCAS", "SELECT CODIGO, NOMBRE FROM SYS_USO_FINCAS"},
    {"owners: language, payment and letter as they are", 2,
     "SELECT COMUNIDAD, CODIGO, COALESCE(NOMBRE,''), COALESCE(TELEFONO,''), COALESCE(FAX,''), COALESCE(MOVIL,''), "
     "COALESCE(E_MAIL,''), COALESCE(NIF,''), IDIOMA, FORMA_PAGO, COALESCE(BANCO,''), COALESCE(OFICINA,''), "
     "COALESCE(DC,''), COALESCE(CUENTA_BANCO,''), COALESCE(OBSERVACIONES,''), TEXTO, OBS, COALESCE(AVISO1,''), "
     "COALESCE(AVISO2,'') FROM EMP_PROPIETARIO WHERE COMUNIDAD=1",
     "SELECT COMUNIDAD, CODIGO, NOMBRE, TELEFONO, FAX, MOVIL, E_MAIL, NIF, IDIOMA, FORMA_PAGO, BANCO, OFICINA, DC, "
     "CUENTA_BANCO, OBSERVACIONES, TEXTO, OBS, AVISO1, AVISO2 FROM EMP_PROPIETARIO WHERE COMUNIDAD=1"},
    {"addresses: active as it is", 3,
     "SELECT COMUNIDAD, PROPIETARIO, CODIGO, COALESCE(DOMICILIO,''), COALESCE(COD_POSTAL,''), COALESCE(POBLACION,''), "
     "COALESCE(PROVINCIA,''), ACTIVO FROM EMP_DIRECCIONES WHERE COMUNIDAD=1",
     "SELECT COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, ACTIVO FROM EMP_DIRECCIONES "
     "WHERE COMUNIDAD=1"},
    {"properties: codes and amounts made 0, active as it is", 3,
     "SELECT COMUNIDAD, PROPIETARIO, CODIGO, COALESCE(NOMBRE,''), COALESCE(DOMICILIO,''), COALESCE(COD_POSTAL,''), "
     "COALESCE(POBLACION,''), COALESCE(PROVINCIA,''), COALESCE(TELEFONO,''), COALESCE(COEFICIENTES,0), "
     "COALESCE(REF_CATASTRAL,''), COALESCE(M2_PARCELA,0), COALESCE(M2_UTILES,0), COALESCE(TIPO_FINCA,0), "
     "COALESCE(USO_FINCA,0), COALESCE(FORMA_PAGO,0), COALESCE(CLAVE,''), OBSERVACIONES, COALESCE(BANCO,''), "
     "COALESCE(OFICINA,''), COALESCE(DC,''), COALESCE(CUENTA_BAN,''), COALESCE(CUOTA_PTS,0), COALESCE(CUOTA_EUR,0), "
     "ACTIVO, COALESCE(INQUILINO,''), COALESCE(REFERENCIA,0) FROM EMP_FINCAS WHERE COMUNIDAD=1",
     "SELECT COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, TELEFONO, "
     "COEFICIENTES, REF_CATASTRAL, M2_PARCELA, M2_UTILES, TIPO_FINCA, USO_FINCA, FORMA_PAGO, CLAVE, OBSERVACIONES, "
     "BANCO, OFICINA, DC, CUENTA_BAN, CUOTA_PTS, CUOTA_EUR, ACTIVO, INQUILINO, REFERENCIA FROM EMP_FINCAS "
     "WHERE COMUNIDAD=1"},
};

TEST_F(Importacion, EveryColumnIsCopiedByItsRuleAndASecondImportChangesNothing)
{
    // Values the demo does not hold: a note holding every byte value and a
    // text left missing.
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    {
        TFIBQuery q;
        q.SetDatabase(&origen->db);
        q.SetTransaction(&origen->tr);
        q.SetSQL(QStringLiteral("UPDATE EMP_PROPIETARIO SET OBS=?OBS, FAX=NULL WHERE COMUNIDAD=1 AND CODIGO=4"));
        q.ParamByName(QStringLiteral("OBS"))->SetAsBytes(bytes);
        q.ExecQuery();
        origen->tr.CommitRetaining();
    }
    Entorno.Comunidad = 1;
    ASSERT_TRUE(Importa(TModoImporta::Comunidades));
    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); }); // the sold shop, marked inactive
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));

    for (const TCopia& c : kCopias) {
        SCOPED_TRACE(c.que);
        const QList<QVariantList> fuente = Contable(QString::fromLatin1(c.origen));
        ASSERT_FALSE(fuente.isEmpty());
        const QMap<QString, QVariantList> aqui = PorClave(Programa(QString::fromLatin1(c.destino)), c.claves);
        for (const auto& [clave, fila] : PorClave(fuente, c.claves).asKeyValueRange())
            EXPECT_EQ(aqui.value(clave), fila) << clave.toStdString();
    }
    EXPECT_EQ(Programa("SELECT OBS FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=4").value(0).value(0).toByteArray(), bytes);
    EXPECT_EQ(Programa("SELECT FAX FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=4").value(0).value(0), QVariant(QString()));

    const QList<QVariantList> antes = TodoLoImportable();
    ASSERT_TRUE(Importa(TModoImporta::Comunidades));
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));
    EXPECT_EQ(TodoLoImportable(), antes);
}

TEST_F(Importacion, OwnersAreAddedAndOverwrittenNeverDeleted)
{
    Entorno.Comunidad = 1;
    // The demo's cases, as the accounting database holds them.
    const QString vendido = QStringLiteral(
        "SELECT CODIGO FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO<>0 AND CODIGO NOT IN (%1)");
    QStringList enCuentas;
    for (const QVariantList& f : Contable("SELECT CODIGO FROM EMP_PROPIETARIO WHERE COMUNIDAD=1"))
        enCuentas << f[0].toString();
    const QList<QVariantList> vendidos = Programa(vendido.arg(enCuentas.join(',')));
    ASSERT_EQ(vendidos.size(), 1) << "the owner gone from the accounts";
    const int codigoVendido = vendidos[0][0].toInt();
    ASSERT_TRUE(Contable("SELECT IDIOMA FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=2").value(0).value(0).isNull());
    ASSERT_TRUE(Contable("SELECT TIPO_FINCA FROM EMP_FINCAS WHERE COMUNIDAD=1 AND PROPIETARIO=2 AND CODIGO=1").value(0).value(0).isNull());
    ASSERT_EQ(Sql("SELECT IDIOMA FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=2").toInt(), 1);
    ASSERT_EQ(Sql("SELECT TIPO_FINCA FROM EMP_FINCAS WHERE COMUNIDAD=1 AND PROPIETARIO=2 AND CODIGO=1").toInt(), 1);
    // An address edited in the program.
    Sql("UPDATE EMP_DIRECCIONES SET DOMICILIO='CAMBIADA AQUÍ', ACTIVO=0 WHERE COMUNIDAD=1 AND PROPIETARIO=1 AND CODIGO=1");
    const int propietarios = Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1").toInt();

    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); }); // the sold shop, marked inactive
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));

    EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=%1").arg(codigoVendido)).toInt(), 1);
    EXPECT_GT(Sql(QStringLiteral("SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD=1 AND PROPIETARIO=%1").arg(codigoVendido)).toInt(), 0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1").toInt(), propietarios + 1) << "the buyer added";
    EXPECT_EQ(Programa("SELECT DOMICILIO, ACTIVO FROM EMP_DIRECCIONES WHERE COMUNIDAD=1 AND PROPIETARIO=1 AND CODIGO=1"),
              Contable("SELECT DOMICILIO, ACTIVO FROM EMP_DIRECCIONES WHERE COMUNIDAD=1 AND PROPIETARIO=1 AND CODIGO=1"));
    EXPECT_TRUE(Sql("SELECT IDIOMA FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=2").isNull()) << "an empty language stays empty";
    const QVariant tipo = Sql("SELECT TIPO_FINCA FROM EMP_FINCAS WHERE COMUNIDAD=1 AND PROPIETARIO=2 AND CODIGO=1");
    EXPECT_FALSE(tipo.isNull());
    EXPECT_EQ(tipo.toInt(), 0) << "an empty property type becomes 0";
    // Only the current community's.
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=5").toInt(), 0);
}

// The demo's shop changed hands in the accounting product: the buyer holds
// it there under a new code, the seller is gone from the accounts.
TEST_F(Importacion, ASoldPropertyIsMarkedInactiveUnderItsFormerOwnerAndCountedOnce)
{
    Entorno.Comunidad = 1;
    const auto suma = [this] {
        return Sql("SELECT SUM(COEFICIENTES) FROM EMP_FINCAS WHERE COMUNIDAD=1 AND ACTIVO=1").toDouble();
    };
    ASSERT_NEAR(suma(), 100, 1e-6);
    const int vendedor = Sql("SELECT PROPIETARIO FROM EMP_FINCAS WHERE COMUNIDAD=1 AND NOMBRE='LOCAL 1'").toInt();
    const QString nombre = Sql(QStringLiteral("SELECT NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=%1")
                                   .arg(vendedor)).toString();
    // A property and an address the accounting product never had: the
    // register of a linked community is the accounting product's.
    Sql("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, COEFICIENTES, ACTIVO) "
        "VALUES (1, 1, 9, 'TRASTERO AÑADIDO', 0, 1)");
    // Already inactive: not named again.
    Sql("UPDATE EMP_DIRECCIONES SET ACTIVO=0 WHERE COMUNIDAD=1 AND PROPIETARIO=1");
    Sql("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, ACTIVO) VALUES (1, 1, 9, 'VIEJA', 0)");
    // Other communities are not touched.
    const QVariant otras = Sql("SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD<>1 AND ACTIVO=1");

    QString visto, titulo;
    qdtest::AlAbrirse([&](QWidget* w) {
        titulo = w->windowTitle();
        visto = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));

    EXPECT_EQ(titulo, "Información");
    const QString local = QStringLiteral("LOCAL 1 (propietario %1, %2)").arg(vendedor).arg(nombre);
    EXPECT_TRUE(visto.contains("Taldemar ya no tiene estas fincas y direcciones")) << visto.toStdString();
    // In owner and code order.
    EXPECT_TRUE(visto.contains("Fincas:\n- TRASTERO AÑADIDO (propietario 1, ")) << visto.toStdString();
    EXPECT_TRUE(visto.contains("\n- " + local + "\n")) << visto.toStdString();
    EXPECT_TRUE(visto.contains(QStringLiteral("Direcciones:\n- ") + Sql(QStringLiteral(
        "SELECT DOMICILIO FROM EMP_DIRECCIONES WHERE COMUNIDAD=1 AND PROPIETARIO=%1").arg(vendedor)).toString()))
        << visto.toStdString();
    EXPECT_FALSE(visto.contains("VIEJA")) << visto.toStdString();
    // The seller and his rows stay, inactive; the buyer's shop is active.
    EXPECT_EQ(Programa(QStringLiteral("SELECT PROPIETARIO, ACTIVO FROM EMP_FINCAS WHERE COMUNIDAD=1 AND NOMBRE='LOCAL 1' "
                                      "ORDER BY PROPIETARIO")),
              (QList<QVariantList>{{vendedor, 0}, {vendedor + 1, 1}}));
    EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM EMP_DIRECCIONES WHERE COMUNIDAD=1 AND PROPIETARIO=%1 AND ACTIVO=1")
                      .arg(vendedor)).toInt(), 0);
    EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=%1").arg(vendedor)).toInt(), 1);
    EXPECT_NEAR(suma(), 100, 1e-6);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD<>1 AND ACTIVO=1"), otras);

    // A new convocation counts the shop once: in the vote rows' coefficients
    // and in the attendance list of the minutes.
    Sql("EXECUTE PROCEDURE VOTACIONES_PROPI(1, 900)");
    EXPECT_NEAR(Sql("SELECT SUM(COEFICIENTES) FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=900").toDouble(), 100, 1e-6);
    EXPECT_EQ(Sql(QStringLiteral("SELECT COEFICIENTES FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=900 AND PROPIETARIO=%1")
                      .arg(vendedor)).toDouble(), 0.0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM VER_JUNTAS WHERE COMUNIDAD=1 AND CONVOCATORIA=900 AND FINCA='LOCAL 1'").toInt(), 1);

    // A second import has nothing more to mark and says nothing (any window
    // would fail the test).
    qdtest::Modales ninguna;
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));
}

TEST_F(Importacion, ACommunityTheAccountsDoNotKeepLosesNothing)
{
    // No properties of community 2 in the accounting database (its owners
    // and addresses are there): none of the program's is marked.
    Entorno.Comunidad = 2;
    CambiaContable("DELETE FROM EMP_FINCAS WHERE COMUNIDAD=2");
    const QVariant activas = Sql("SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD=2 AND ACTIVO=1");
    ASSERT_GT(activas.toInt(), 0);
    qdtest::Modales ninguna;
    ASSERT_TRUE(Importa(TModoImporta::Propietarios));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD=2 AND ACTIVO=1"), activas);
}

TEST(TextoInactivadas, NamesTwentyOfEachAndCountsTheRest)
{
    EXPECT_EQ(TextoInactivadas({}, {}), QString());
    QStringList muchas;
    for (int i = 1; i <= 23; ++i)
        muchas << QStringLiteral("FINCA %1").arg(i);
    const QString texto = TextoInactivadas(muchas, {"CALLE 1"});
    EXPECT_TRUE(texto.contains("\r- FINCA 20\r... y 3 más.\r\rDirecciones:\r- CALLE 1")) << texto.toStdString();
    EXPECT_FALSE(texto.contains("FINCA 21"));
    EXPECT_FALSE(TextoInactivadas({}, {"CALLE 1"}).contains("Fincas:"));
}

TEST_F(Importacion, ACommunityWithoutFinancialYearsGetsYearAndMonthsZeroAndNoPresident)
{
    ASSERT_TRUE(Contable("SELECT 1 FROM EMP_EJERCICIOS WHERE COMUNIDAD=5").isEmpty());
    ASSERT_TRUE(Importa(TModoImporta::Comunidades));
    EXPECT_EQ(Programa("SELECT NOMBRE, EJERCICIO, MES_INICIO, MES_CIERRE, PRESIDENTE, TEL_PRESIDENTE FROM SYS_COMUNIDAD "
                       "WHERE CODIGO=5"),
              (QList<QVariantList>{{"C.P. RESIDENCIAL LAS ACACIAS", 0, 0, 0, "", ""}}));
}

TEST_F(Importacion, NoPathOrNoDatabaseIsSaidOnceAndNothingIsImported)
{
    const struct {
        const char* caso;
        std::function<void()> prepara;
        const char* mensaje;
    } casos[] = {
        {"no settings file", [this] { QFile::remove(FicheroPerfil("taldemar.ini")); }, "Camino programa Taldemar no valido."},
        {"a blank path", [this] { Configura("   "); }, "Camino programa Taldemar no valido."},
        {"no database there", [this] { Configura(programa.path() + "/no-existe.fdb"); },
         "Imposible abrir base de datos Taldemar"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        c.prepara();
        QString visto;
        Modales modales;
        modales.Espera([&](QWidget* w) {
            visto = qdtest::Textos(w);
            qdtest::Pulsa(w, "Aceptar");
        });
        TFImporta importa(TModoImporta::Comunidades, true);
        importa.exec();
        EXPECT_TRUE(visto.startsWith(c.mensaje)) << visto.toStdString();
        EXPECT_FALSE(importa.BtImporta->isEnabled());
        EXPECT_FALSE(importa.DM()->Conectado());
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD WHERE CODIGO=5").toInt(), 0);
    }
}

TEST_F(Importacion, AFailureInTheMiddleRollsBackTheRowsOfItsModeAndSaysSo)
{
    // Another seat holds a row the import must write: the server refuses it
    // in the middle of the copy.
    qdtest::Connection otro(base);
    const struct {
        const char* caso;
        TModoImporta modo;
        const char* bloqueo;
        const char* cambio; // in the program, committed before: the import would overwrite it
        const char* comprobacion;
        const char* servidor;
        const char* dice;
    } casos[] = {
        {"owners: the new owner's code taken by an uncommitted insert", TModoImporta::Propietarios,
         "INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) SELECT 1, MAX(CODIGO) + 1, 'OTRO PUESTO' "
         "FROM EMP_PROPIETARIO WHERE COMUNIDAD=1",
         "UPDATE EMP_PROPIETARIO SET NOMBRE='CAMBIADO' WHERE COMUNIDAD=1 AND CODIGO=2",
         "SELECT NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO=2", "violation of PRIMARY or UNIQUE KEY constraint",
         "se ha deshecho"},
        {"catalogues: the last one's row being changed", TModoImporta::Comunidades,
         "UPDATE SYS_USO_FINCAS SET NOMBRE='OTRO PUESTO' WHERE CODIGO=1",
         "UPDATE SYS_BANCOS SET NOMBRE='CAMBIADO' WHERE ENTIDAD='0049'",
         "SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD='0049'", "update conflicts with concurrent update",
         "las comunidades importadas hasta ese momento se conservan"},
    };
    Entorno.Comunidad = 1;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Sql(QString::fromLatin1(c.cambio));
        otro.db.ExecuteImmediate(QString::fromLatin1(c.bloqueo), otro.tr);
        QString visto;
        bool libre = false;
        Modales modales;
        modales.Espera([&](QWidget* w) {
            visto = qdtest::Textos(w);
            // Rolled back before the message is read: the rows it had
            // written are not held meanwhile.
            try {
                Sql(QString::fromLatin1(c.cambio));
                libre = true;
            } catch (const EFIBError&) {
            }
            qobject_cast<QDialog*>(w)->accept();
        });
        EXPECT_FALSE(Importa(c.modo));
        EXPECT_TRUE(libre);
        EXPECT_EQ(Sql(QString::fromLatin1(c.comprobacion)), QVariant("CAMBIADO")) << "rolled back";
        // The server's words first, then what became of the rows.
        EXPECT_GE(visto.indexOf(c.servidor), 0) << visto.toStdString();
        EXPECT_LT(visto.indexOf(c.servidor), visto.indexOf(c.dice)) << visto.toStdString();
        EXPECT_FALSE(visto.startsWith("La importación")) << visto.toStdString();
        otro.tr.Rollback();
        otro.tr.StartTransaction();
    }
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_COMUNIDAD WHERE CODIGO=5"), QVariant("C.P. RESIDENCIAL LAS ACACIAS"))
        << "communities are kept as they are written";
}

TEST_F(Importacion, StartUpImportsOnlyWithAPathOtherThanErrorAndThenSetsTheLink)
{
    const struct {
        const char* caso;
        std::function<void()> prepara;
        const char* mensaje; // nullptr: none
        int enlace;
        int comunidad5;
    } casos[] = {
        {"no settings file", [this] { QFile::remove(FicheroPerfil("taldemar.ini")); }, nullptr, 0, 0},
        {"ERROR", [this] { Configura(" ERROR "); }, nullptr, 0, 0},
        {"a database that cannot be opened", [this] { Configura(programa.path() + "/no-existe.fdb"); },
         "Imposible abrir base de datos Taldemar", 0, 0},
        {"a real path", [this] { Configura(contable); }, nullptr, 1, 1},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        c.prepara();
        Entorno.EnlaceContable = 1;
        QString visto;
        {
            // Any other window asking for an answer fails the test: the
            // failure is said once.
            Modales modales;
            if (c.mensaje) {
                modales.Espera([&](QWidget* w) {
                    visto = qdtest::Textos(w);
                    qdtest::Pulsa(w, "Aceptar");
                });
            }
            ImportaComunidadesArranque();
        }
        EXPECT_TRUE(c.mensaje ? visto.startsWith(c.mensaje) : visto.isEmpty()) << visto.toStdString();
        EXPECT_EQ(Entorno.EnlaceContable, c.enlace);
        EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD WHERE CODIGO=5").toInt(), c.comunidad5);
    }
}

TEST_F(Importacion, TheConvocationsRefreshRunsAtOnceOnTopWithoutQuestions)
{
    Entorno.Comunidad = 1;
    // Watched while it works: the window repaints as it goes.
    QString titulo;
    QStringList estados;
    bool encima = false, boton = false;
    QTimer mira;
    QObject::connect(&mira, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* f = qobject_cast<TFImporta*>(w);
            if (!f || !f->isVisible())
                continue;
            titulo = f->windowTitle();
            encima = f->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            boton = boton || f->BtImporta->isEnabled();
            if (!f->LbEstado->text().isEmpty() && estados.value(estados.size() - 1) != f->LbEstado->text())
                estados << f->LbEstado->text();
        }
    });
    mira.start(0);
    const int antes = Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1").toInt();
    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); }); // the sold shop, marked inactive
    EXPECT_TRUE(RefreshOwnersFromAccounting());
    mira.stop();
    EXPECT_EQ(titulo, "Importación/Actualización Propietario y fincas desde Taldemar");
    EXPECT_EQ(estados, (QStringList{"Conectando con Taldemar ...", "Conectado a Taldemar",
                                    "Cerrando la conexión con Taldemar, un momento ..."}));
    EXPECT_TRUE(encima);
    EXPECT_FALSE(boton);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1").toInt(), antes + 1);

    Configura(programa.path() + "/no-existe.fdb");
    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    EXPECT_FALSE(RefreshOwnersFromAccounting());
}

TEST_F(Importacion, TheRemoteServerMarkerSwitchesTheAccountingPassword)
{
    for (const bool remoto : {false, true}) {
        SCOPED_TRACE(remoto ? "ServidorRemoto.cfg" : "no marker");
        if (remoto)
            qdtest::EscribeFichero(programa.path() + "/ServidorRemoto.cfg", "");
        TFImporta importa(TModoImporta::Comunidades, false);
        importa.show();
        // The embedded engine checks no password: the connection opens with either.
        ASSERT_TRUE(importa.Conecta());
        EXPECT_EQ(importa.DM()->DataBase.DBParams(),
                  (QStringList{"user_name=SYSDBA", QStringLiteral("password=") +
                                                       (remoto ? TDMMain::kPasswordRemoto : TDMMain::kPassword)}));
        importa.close();
    }
}

// A server does check the password: the accounting database on the server of
// the multi-seat tests, whose SYSDBA has the program's password.
TEST_F(Importacion, AnAccountingDatabaseOnAServerOpensWithItsPasswordOnly)
{
    QD_REQUIRE_SERVER();
    if (qdtest::ServerPassword() != QLatin1String(TDMMain::kPassword))
        GTEST_SKIP() << "the server's SYSDBA password is not the program's";
    const QString camino = qdtest::ServerHost() + ':' + qdtest::TempDir() + "/taldemar-" +
                           QUuid::createUuid().toString(QUuid::Id128).left(12) + ".fdb";
    TOpcionesBD o;
    o.ForcedWrites = false;
    o.Contenido = TContenidoBD::Demo;
    o.Usuario = qdtest::ServerUser();
    o.Clave = qdtest::ServerPassword();
    CreaBaseTaldemar(camino, o);
    Configura(camino);
    ASSERT_TRUE(Importa(TModoImporta::Comunidades));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_COMUNIDAD WHERE CODIGO=5").toInt(), 1);

    qdtest::EscribeFichero(programa.path() + "/ServidorRemoto.cfg", "");
    QString visto;
    qdtest::AlAbrirse([&](QWidget* w) {
        visto = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    EXPECT_FALSE(Importa(TModoImporta::Comunidades));
    EXPECT_TRUE(visto.startsWith("Imposible abrir base de datos Taldemar")) << visto.toStdString();
}

} // namespace
