// The convocations' data module with the schema's procedures: numbering and
// defaults, vote and tally rows, attendance and tallies, agenda rows, and the
// debts imported from an accounting database.
#include "CreaBaseDatos.h"
#include "Ficheros.h"
#include "Juntas.h"
#include "Modales.h"
#include "TestDatabase.h"
#include "UFPeriodos.h"
#include "UHYDBGrid.h"
#include "UPerfil.h"

#include <QFile>
#include <QTest>
#include <functional>

namespace {

using qdtest::Juntas;

class Convocatorias : public Juntas {
protected:
    void SetUp() override
    {
        Juntas::SetUp();
        Propietario(1, "ANA", {{"1A", 20}, {"1B", 5}});
        Propietario(2, "BEATRIZ", {{"2A", 30}});
        Propietario(3, "CARLOS", {{"3A", 45}});
    }
    QStringList Codigos()
    {
        QStringList l;
        TFIBTableSet& t = Modulo().QTabla;
        for (t.First(); !t.Eof(); t.Next())
            l << t.FieldByName("CODIGO")->AsString();
        return l;
    }
    int Cuenta(const QString& tabla, qint64 convocatoria)
    {
        return Sql(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE COMUNIDAD = 1 AND CONVOCATORIA = %2")
                       .arg(tabla)
                       .arg(convocatoria))
            .toInt();
    }
    bool Situa(int propietario) { return Modulo().QVotacion.Locate("PROPIETARIO", {propietario}); }
};

TEST_F(Convocatorias, CodesAreTheCommunitysHighestPlusOneAndANewRowShowsAlta)
{
    // Another community's convocations do not count.
    Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'OTRA')");
    Sql("INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO) VALUES (2, 7)");
    TDMConvoca& m = Modulo();
    m.QTabla.Insert();
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->DisplayText(), "Alta");
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->Text(), "");
    EXPECT_EQ(m.QTabla.FieldByName("ORDEN")->AsString(), "1º.-");
    EXPECT_EQ(m.QTabla.FieldByName("TIPO")->AsInteger(), 1);
    EXPECT_EQ(m.QTabla.FieldByName("FECHA")->AsDateTime().date(), QDate::currentDate());
    EXPECT_EQ(m.QTabla.FieldByName("ASISTENTES")->AsInteger(), 0);
    EXPECT_EQ(m.QTabla.FieldByName("COMUNIDAD")->AsInteger(), 1);
    m.QTabla.Post();
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->DisplayText(), "1");
    NuevaConvocatoria();
    NuevaConvocatoria();
    EXPECT_EQ(Codigos(), (QStringList{"3", "2", "1"})) << "newest first";
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {3}));
    m.QTabla.Delete();
    EXPECT_EQ(Cuenta("VOTACIONES", 3), 0) << "the database removes a deleted convocation's vote rows";
    EXPECT_EQ(NuevaConvocatoria(), 3);
    EXPECT_EQ(Sql("SELECT CODIGO FROM CONVOCATORIAS WHERE COMUNIDAD = 2").toInt(), 7);
}

TEST_F(Convocatorias, TheFirstSaveMakesVoteAndTallyRowsLaterSavesDoNot)
{
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    EXPECT_EQ(Cuenta("VOTACIONES", c), 3) << "owner 0 is the community's own, never called";
    EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES_PUNTOS WHERE COMUNIDAD = 1 AND CONVOCATORIA = %1 "
                                 "AND PUNTO BETWEEN 1 AND 10 AND VSI = 0 AND CSI = 0").arg(c)).toInt(), 10);
    // The vote rows of the new convocation are shown, by name.
    QStringList nombres;
    for (m.QVotacion.First(); !m.QVotacion.Eof(); m.QVotacion.Next())
        nombres << m.QVotacion.FieldByName("NOMBRE")->AsString();
    EXPECT_EQ(nombres, (QStringList{"ANA", "BEATRIZ", "CARLOS"}));
    ASSERT_TRUE(Situa(1));
    EXPECT_EQ(m.QVotacion.FieldByName("COEFICIENTES")->DisplayText(), "25,00000%");
    EXPECT_EQ(m.QPropi.FieldByName("NOMBRE")->AsString(), "ANA");
    EXPECT_EQ(m.QFincas.RecordCount(), 2);
    EXPECT_EQ(m.QVotacionP.FieldByName("PUNTO")->AsInteger(), 1);
    m.ShowPointTally(3);
    EXPECT_EQ(m.QVotacionP.FieldByName("PUNTO")->AsInteger(), 3);

    // An owner added later is not called to this meeting.
    Propietario(4, "DAVID", {{"4A", 1}});
    m.QTabla.Edit();
    m.QTabla.FieldByName("DES")->SetAsString("JUNTA ORDINARIA");
    m.QTabla.Post();
    EXPECT_EQ(Cuenta("VOTACIONES", c), 3);
}

TEST_F(Convocatorias, AConvocationThatIsNotWrittenLeavesNoVoteRowsBehind)
{
    Sql("CREATE EXCEPTION E_PRUEBA 'Lugar no admitido'");
    Sql("CREATE TRIGGER CONVOCATORIAS_PRUEBA FOR CONVOCATORIAS BEFORE INSERT AS BEGIN "
        "IF (NEW.LUGAR = 'NO') THEN EXCEPTION E_PRUEBA; END");
    TDMConvoca& m = Modulo();
    m.QTabla.Insert();
    m.QTabla.FieldByName("LUGAR")->SetAsString("NO");
    EXPECT_THROW(m.QTabla.Post(), EFIBError);
    EXPECT_EQ(m.QTabla.State(), TDataSetState::dsInsert) << "the convocation stays to be corrected";
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->DisplayText(), "Alta");
    m.FIBTransaction.CommitRetaining();
    EXPECT_EQ(Cuenta("VOTACIONES", 1), 0);
    EXPECT_EQ(Cuenta("VOTACIONES_PUNTOS", 1), 0);
    m.QTabla.FieldByName("LUGAR")->SetAsString("SI");
    m.QTabla.Post();
    EXPECT_EQ(m.QTabla.FieldByName("CODIGO")->AsInteger(), 1);
    EXPECT_EQ(Cuenta("VOTACIONES", 1), 3);
}

TEST_F(Convocatorias, AConvocationNeedsItsDateAndNothingElse)
{
    TDMConvoca& m = Modulo();
    const struct {
        const char* caso;
        bool fecha;
        const char* aviso; // nullptr: saved
    } casos[] = {
        {"no date", false, "Escriba la fecha de la convocatoria: el campo Fecha no puede quedar vacío."},
        {"a date, and no description, hours or place", true, nullptr},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        m.QTabla.Insert();
        for (const char* campo : {"DES", "HORA1", "HORA2", "LUGAR"})
            m.QTabla.FieldByName(campo)->SetAsString(QString());
        if (!c.fecha)
            m.QTabla.FieldByName("FECHA")->Clear();
        try {
            m.QTabla.Post();
            EXPECT_EQ(c.aviso, nullptr) << "saved";
        } catch (const EAviso& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.aviso ? c.aviso : ""));
            EXPECT_EQ(m.QTabla.State(), TDataSetState::dsInsert) << "the convocation stays to be completed";
            m.QTabla.Cancel();
        }
        EXPECT_EQ(Cuenta("VOTACIONES", 1), c.aviso ? 0 : 3);
    }
    // An existing one whose date is cleared keeps it.
    m.QTabla.Edit();
    m.QTabla.FieldByName("FECHA")->Clear();
    EXPECT_THROW(m.QTabla.Post(), EAviso);
    m.QTabla.Cancel();
    EXPECT_FALSE(Sql("SELECT FECHA FROM CONVOCATORIAS WHERE COMUNIDAD = 1 AND CODIGO = 1").isNull());
}

TEST_F(Convocatorias, AttendanceSwitchesAndTheTotalsFollowAtOnce)
{
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    ASSERT_TRUE(Situa(2));
    m.ToggleAttendance();
    EXPECT_EQ(m.QVotacion.FieldByName("ASISTENCIA")->AsInteger(), 1);
    EXPECT_EQ(m.QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 2) << "the same owner stays current";
    EXPECT_EQ(m.QTabla.FieldByName("ASISTENTES")->AsInteger(), 1);
    EXPECT_EQ(m.QTabla.FieldByName("COEFICIENTES")->DisplayText(), "30,00000%");
    m.ToggleAttendance();
    m.ToggleAttendance();
    EXPECT_EQ(Sql(QStringLiteral("SELECT ASISTENCIA FROM VOTACIONES WHERE CONVOCATORIA = %1 AND PROPIETARIO = 2").arg(c)).toInt(), 1)
        << "twice leaves it as it was";

    m.SetAttendanceAll(1);
    EXPECT_EQ(m.QTabla.FieldByName("ASISTENTES")->AsInteger(), Cuenta("VOTACIONES", c));
    EXPECT_EQ(m.QTabla.FieldByName("COEFICIENTES")->AsFloat(), 100.0);
    EXPECT_EQ(m.QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 2);
    m.SetAttendanceAll(0);
    EXPECT_EQ(m.QTabla.FieldByName("ASISTENTES")->AsInteger(), 0);
    EXPECT_EQ(Sql(QStringLiteral("SELECT SUM(ASISTENCIA) FROM VOTACIONES WHERE CONVOCATORIA = %1").arg(c)).toInt(), 0);
}

TEST_F(Convocatorias, VotesAreStoredInUpperCaseAndTalliedPerPoint)
{
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.SetAttendanceAll(1);
    const struct {
        int propietario;
        const char* p1;
        const char* p2;
    } votos[] = {{1, "s", "n"}, {2, "S", "a"}, {3, "n", "a"}};
    for (const auto& v : votos) {
        ASSERT_TRUE(Situa(v.propietario));
        m.QVotacion.Edit();
        m.QVotacion.FieldByName("P1")->SetText(v.p1);
        m.QVotacion.FieldByName("P2")->SetText(v.p2);
        m.QVotacion.Post();
    }
    EXPECT_EQ(Sql(QStringLiteral("SELECT LIST(P1 || P2, ',') FROM (SELECT P1, P2 FROM VOTACIONES WHERE CONVOCATORIA = %1 "
                                 "ORDER BY PROPIETARIO)").arg(c)).toString(),
              "SN,SA,NA");
    m.ShowPointTally(2);
    m.CalculateVotes();
    EXPECT_EQ(m.PuntoMostrado(), 2) << "the tally shown stays the point the user looks at";
    EXPECT_EQ(m.QVotacionP.FieldByName("VNO")->AsInteger(), 1);
    EXPECT_EQ(m.QVotacionP.FieldByName("VABS")->AsInteger(), 2);
    EXPECT_EQ(m.QVotacionP.FieldByName("CABS")->DisplayText(), "75,00000%");
    m.ShowPointTally(1);
    EXPECT_EQ(m.QVotacionP.FieldByName("VSI")->AsInteger(), 2);
    EXPECT_EQ(m.QVotacionP.FieldByName("CSI")->DisplayText(), "55,00000%");
}

TEST_F(Convocatorias, AnOwnerTakenOffTheMeetingLeavesTheTotalsRecounted)
{
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    m.SetAttendanceAll(1);
    ASSERT_TRUE(Situa(3));
    m.QVotacion.Delete();
    EXPECT_EQ(Cuenta("VOTACIONES", c), 2);
    EXPECT_EQ(m.QTabla.FieldByName("ASISTENTES")->AsInteger(), 2);
    EXPECT_EQ(Sql(QStringLiteral("SELECT ASISTENTES FROM CONVOCATORIAS WHERE COMUNIDAD = 1 AND CODIGO = %1").arg(c)).toInt(), 2);
}

TEST_F(Convocatorias, AgendaRowsAreNumberedWithinTheirConvocation)
{
    NuevaConvocatoria();
    const qint64 segunda = NuevaConvocatoria();
    Sql(QStringLiteral("INSERT INTO ORDEN (COMUNIDAD, CODIGO, NUMERO, PUNTO, DES) VALUES (1, %1, 5, 1, 'CUENTAS')").arg(segunda));
    TDMConvoca& m = Modulo();
    auto alta = [&m](int punto) {
        m.QOrden.Insert();
        m.QOrden.FieldByName("PUNTO")->SetAsInteger(punto);
        m.QOrden.Post();
        return m.QOrden.FieldByName("NUMERO")->AsInteger();
    };
    m.QTabla.Refresh();
    EXPECT_EQ(alta(2), 6);
    ASSERT_TRUE(m.QTabla.Locate("CODIGO", {1}));
    EXPECT_EQ(alta(1), 1);
    EXPECT_EQ(alta(2), 2);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ORDEN WHERE COMUNIDAD = 1 AND CODIGO = 1").toInt(), 2);
}

TEST_F(Convocatorias, TheOwnersImportRunsBeforeTheVoteRowsOnlyWithTheAccountingLink)
{
    int veces = 0;
    TDMConvoca& m = Modulo();
    m.RefreshOwnersFromAccounting = [&] {
        ++veces;
        Propietario(10 + veces, QStringLiteral("IMPORTADO %1").arg(veces), {{"X", 1}});
    };
    const qint64 sin = NuevaConvocatoria();
    EXPECT_EQ(veces, 0);
    EXPECT_EQ(Cuenta("VOTACIONES", sin), 3);
    Entorno.EnlaceContable = 1;
    const qint64 con = NuevaConvocatoria();
    EXPECT_EQ(veces, 1);
    EXPECT_EQ(Cuenta("VOTACIONES", con), 4) << "the owner the import brought is called";
    m.QTabla.Edit();
    m.QTabla.Post();
    EXPECT_EQ(veces, 1) << "only a new convocation refreshes the owners";
}

// The accounting product's database with two financial years of community 1:
// this year's periods named after the months, last year's by quarters.
class Saldos : public Convocatorias {
protected:
    void SetUp() override
    {
        Convocatorias::SetUp();
        contable = qdtest::FreshDatabaseFrom("taldemar", [](const QString& camino) {
            TOpcionesBD o;
            o.ForcedWrites = false;
            CreaBaseTaldemar(camino, o);
        });
        qdtest::Connection c(contable);
        auto ejecuta = [&c](const QString& sql) {
            c.db.ExecuteImmediate(sql, c.tr);
        };
        ejecuta("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'RESIDENCIAL LOS ALMENDROS')");
        for (int p = 1; p <= 3; ++p)
            ejecuta(QStringLiteral("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (1, %1, 'P%1')").arg(p));
        anio = QDate::currentDate().year();
        ejecuta(QStringLiteral("INSERT INTO EMP_EJERCICIOS (COMUNIDAD, EJERCICIO) VALUES (1, %1)").arg(anio - 1));
        ejecuta(QStringLiteral("INSERT INTO EMP_EJERCICIOS (COMUNIDAD, EJERCICIO) VALUES (1, %1)").arg(anio));
        for (int t = 1; t <= 4; ++t)
            ejecuta(QStringLiteral("INSERT INTO EMP_PERIODOS (COMUNIDAD, EJERCICIO, PERIODO, TITULO) "
                                   "VALUES (1, %1, '0%2', 'TRIMESTRE %2')").arg(anio - 1).arg(t));
        ejecuta(QStringLiteral("INSERT INTO EMP_PERIODOS (COMUNIDAD, EJERCICIO, PERIODO, TITULO) "
                               "VALUES (1, %1, '00', 'APERTURA')").arg(anio));
        for (int mes = 1; mes <= 12; ++mes)
            ejecuta(QStringLiteral("INSERT INTO EMP_PERIODOS (COMUNIDAD, EJERCICIO, PERIODO, TITULO) "
                                   "VALUES (1, %1, '%2', 'Cuotas de %3')")
                        .arg(anio)
                        .arg(mes, 2, 10, QLatin1Char('0'))
                        .arg(NombreMes(mes).toLower()));
        c.tr.Commit();
        TIniFile(FicheroPerfil("taldemar.ini")).WriteString("Datos", "BaseDeDatos", contable);
    }
    // A charge (debe) or a payment (haber) of this year.
    void Movimiento(int propietario, const char* periodo, double debe, double haber)
    {
        qdtest::Connection c(contable);
        c.db.ExecuteImmediate(QStringLiteral("INSERT INTO EMP_SALDOS_PROPIETARIOS (COMUNIDAD, EJERCICIO, PERIODO, "
                                             "PROPIETARIO, DEBE, HABER) VALUES (1, %1, '%2', %3, %4, %5)")
                                  .arg(anio)
                                  .arg(periodo)
                                  .arg(propietario)
                                  .arg(debe)
                                  .arg(haber),
                              c.tr);
        c.tr.Commit();
    }
    double Saldo(qint64 convocatoria, int propietario)
    {
        return Sql(QStringLiteral("SELECT SALDO FROM VOTACIONES WHERE COMUNIDAD = 1 AND CONVOCATORIA = %1 AND "
                                  "PROPIETARIO = %2").arg(convocatoria).arg(propietario))
            .toDouble();
    }
    // Answers the period dialog: the period chosen by `periodo` (none: as it opens).
    void EligePeriodo(qdtest::Modales& modales, const char* periodo = nullptr)
    {
        modales.Espera([this, periodo](QWidget* w) {
            auto* d = qobject_cast<TFPeriodos*>(w);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), "Saldos hasta periodo");
            TDMConvoca& m = Modulo();
            EXPECT_EQ(m.QEjer.FieldByName("EJERCICIO")->AsInteger(), anio) << "the most recent year";
            periodoAlAbrir = m.QPeriodos.FieldByName("PERIODO")->AsString();
            if (periodo) {
                ASSERT_TRUE(m.QPeriodos.Locate("PERIODO", {QString::fromLatin1(periodo)}));
            }
            d->GPeriodos->setFocus();
            QTest::keyClick(d->GPeriodos, Qt::Key_Return);
        });
    }
    QString contable;
    int anio = 0;
    QString periodoAlAbrir;
};

TEST_F(Saldos, ANewConvocationTakesTheDebtsUpToTheChosenPeriod)
{
    Movimiento(1, "01", 120.50, 0);
    Movimiento(2, "01", 1234.50, 0);
    Movimiento(2, "03", 100, 0);
    Movimiento(3, "01", 10, 10);
    qdtest::Modales modales;
    EligePeriodo(modales, "02");
    const qint64 c = NuevaConvocatoria();
    EXPECT_EQ(periodoAlAbrir, QStringLiteral("%1").arg(QDate::currentDate().month(), 2, 10, QLatin1Char('0')))
        << "the period of the current month";
    EXPECT_EQ(Saldo(c, 1), 120.50);
    EXPECT_EQ(Saldo(c, 2), 1234.50) << "charges after the period do not count";
    EXPECT_EQ(Saldo(c, 3), 0);
    TDMConvoca& m = Modulo();
    EXPECT_FALSE(m.DataBase.Connected()) << "the accounting database is closed after the import";
    ASSERT_TRUE(m.QVotacion.Active());
    ASSERT_TRUE(Situa(2));
    EXPECT_EQ(m.QVotacion.FieldByName("SALDO")->DisplayText(), "1.234,50");

    // Owner 1 has paid since; a debt typed for owner 3 stays until the next import.
    Movimiento(1, "02", 0, 120.50);
    ASSERT_TRUE(Situa(3));
    m.QVotacion.Edit();
    m.QVotacion.FieldByName("SALDO")->SetAsFloat(50);
    m.QVotacion.Post();
    EXPECT_EQ(Saldo(c, 3), 50);
    EligePeriodo(modales, "12");
    m.ImportBalances();
    EXPECT_EQ(Saldo(c, 1), 0) << "a paid debt is no debt";
    EXPECT_EQ(Saldo(c, 2), 1334.50);
    EXPECT_EQ(Saldo(c, 3), 0);
}

TEST_F(Saldos, AVoteRowBeingTypedIsStoredBeforeTheDebtsAreRead)
{
    qdtest::Modales modales;
    EligePeriodo(modales);
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    ASSERT_TRUE(Situa(2));
    m.ToggleAttendance();
    m.QVotacion.Edit();
    m.QVotacion.FieldByName("P1")->SetText("s");
    EligePeriodo(modales);
    m.ImportBalances();
    EXPECT_EQ(Sql(QStringLiteral("SELECT P1 FROM VOTACIONES WHERE CONVOCATORIA = %1 AND PROPIETARIO = 2").arg(c)).toString(), "S");
    EXPECT_EQ(m.QVotacion.FieldByName("PROPIETARIO")->AsInteger(), 2) << "the same owner stays current";
}

TEST_F(Saldos, EachYearOpensOnTheCurrentMonthOrItsLastPeriod)
{
    qdtest::Modales modales;
    QStringList vistos;
    modales.Espera([&](QWidget* w) {
        auto* d = qobject_cast<TFPeriodos*>(w);
        ASSERT_NE(d, nullptr);
        TDMConvoca& m = Modulo();
        vistos << m.QPeriodos.FieldByName("TITULO")->AsString();
        d->GEjercicios->setFocus();
        QTest::keyClick(d->GEjercicios, Qt::Key_Up);
        vistos << QString::number(m.QEjer.FieldByName("EJERCICIO")->AsInteger())
               << m.QPeriodos.FieldByName("TITULO")->AsString();
        qdtest::Pulsa(d, "Aceptar"); // the year and period shown
    });
    Movimiento(1, "01", 99, 0);
    const qint64 c = NuevaConvocatoria();
    EXPECT_EQ(vistos, (QStringList{"Cuotas de " + NombreMes(QDate::currentDate().month()).toLower(),
                                   QString::number(anio - 1), "TRIMESTRE 4"}));
    EXPECT_EQ(Saldo(c, 1), 0) << "last year's fourth quarter holds none of this year's charges";
}

TEST_F(Saldos, EnterDoubleClickOrAceptarChooseThePeriodAndEscCancelarOrClosingTakeNone)
{
    Movimiento(1, "01", 120.50, 0);
    qint64 c = 0;
    {
        qdtest::Modales primera;
        primera.Espera([](QWidget* w) { qdtest::Pulsa(w, "Cancelar"); });
        c = NuevaConvocatoria();
    }
    TDMConvoca& m = Modulo();
    auto TeclaEn = [](QWidget* w, Qt::Key tecla) {
        w->setFocus();
        QTest::keyClick(w, tecla);
    };
    auto DobleClic = [](THYTDBGrid* g) {
        const QModelIndex i = g->Modelo()->index(std::max(0, g->Modelo()->FilaActual()), 0);
        g->scrollTo(i);
        const QPoint punto = g->visualRect(i).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, punto);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, punto);
    };
    using Gesto = std::function<void(TFPeriodos*)>;
    const struct {
        const char* como;
        Gesto gesto;
        double saldo;
    } casos[] = {
        {"Enter in the years", [&](TFPeriodos* d) { TeclaEn(d->GEjercicios, Qt::Key_Return); }, 120.50},
        {"Enter in the periods", [&](TFPeriodos* d) { TeclaEn(d->GPeriodos, Qt::Key_Return); }, 120.50},
        {"double-click", [&](TFPeriodos* d) { DobleClic(d->GPeriodos); }, 120.50},
        {"Aceptar", [](TFPeriodos* d) { qdtest::Pulsa(d, "Aceptar"); }, 120.50},
        {"Esc", [&](TFPeriodos* d) { TeclaEn(d->GPeriodos, Qt::Key_Escape); }, 7},
        {"Cancelar", [](TFPeriodos* d) { qdtest::Pulsa(d, "Cancelar"); }, 7},
        {"close button", [](TFPeriodos* d) { d->close(); }, 7},
    };
    for (const auto& k : casos) {
        SCOPED_TRACE(k.como);
        Sql(QStringLiteral("UPDATE VOTACIONES SET SALDO = 7 WHERE CONVOCATORIA = %1").arg(c));
        qdtest::Modales modales;
        modales.Espera([&](QWidget* w) {
            auto* d = qobject_cast<TFPeriodos*>(w);
            ASSERT_NE(d, nullptr);
            ASSERT_NE(d->BtAceptar, nullptr);
            EXPECT_EQ(d->BtCancelar->text(), "&Cancelar");
            k.gesto(d);
        });
        m.ImportBalances();
        EXPECT_EQ(Saldo(c, 1), k.saldo);
    }
}

TEST_F(Saldos, TheRemoteServerMarkerSwitchesThePasswordAndNothingRunsWithoutConfiguration)
{
    Movimiento(1, "01", 10, 0);
    qdtest::Modales modales;
    EligePeriodo(modales);
    const qint64 c = NuevaConvocatoria();
    TDMConvoca& m = Modulo();
    EXPECT_TRUE(m.DataBase.DBParams().contains("password=kelpstone"));
    qdtest::EscribeFichero(programa.path() + "/ServidorRemoto.cfg", "");
    EligePeriodo(modales);
    m.ImportBalances();
    EXPECT_TRUE(m.DataBase.DBParams().contains("password=qx7v3mtb"));
    EXPECT_EQ(Saldo(c, 1), 10);

    // A database that cannot be opened, or none configured: no dialog, no change.
    for (const QString& camino : {programa.path() + "/no-existe.fdb", QString()}) {
        TIniFile(FicheroPerfil("taldemar.ini")).WriteString("Datos", "BaseDeDatos", camino);
        m.ImportBalances();
        EXPECT_EQ(Saldo(c, 1), 10);
        EXPECT_FALSE(m.DataBase.Connected());
        EXPECT_TRUE(m.QVotacion.Active());
    }
    EXPECT_EQ(modales.Vistos().size(), 2);
}

} // namespace
