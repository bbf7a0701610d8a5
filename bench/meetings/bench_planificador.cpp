// The meeting planner over a table of 5 018 slots (193 planned days around
// today, two of each day's slots described) against an empty table: the
// window opens on its month in about the same time, because the month's
// planned days are read in one statement and the pending list fetches only
// what it shows. Prints the time to open the window (best of several
// openings), to move to the next month, and the marking of a month's 42 cells
// with that one statement against one count per cell, with the ratios.
// Asserts nothing.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "UDMMain.h"
#include "UFPlanifica.h"
#include "UPerfil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

using namespace qdbench;

constexpr int kDias = 193; // 26 slots a day

struct Medida {
    int huecos = 0;
    double abrirMs = 0;
    double mesSiguienteMs = 0;
    double marcasMs = 0;       // one statement
    double marcasCeldaMs = 0;  // one count per cell
};

void Planifica(TDMMain& dm)
{
    const QDate desde = QDate::currentDate().addDays(-kDias / 2);
    TFIBQuery q;
    q.SetDatabase(&dm.DataBase);
    q.SetTransaction(&dm.TGenerica);
    q.SetSQL(QStringLiteral("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'C.P. LAS ACACIAS')"));
    q.ExecQuery();
    q.SetSQL(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?FECHA)"));
    for (int d = 0; d < kDias; ++d) {
        q.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(QDateTime(desde.addDays(d), QTime(0, 0)));
        q.ExecQuery();
        q.Close();
    }
    q.SetSQL(QStringLiteral("UPDATE PLANIFICADOR SET DES = 'JUNTA ORDINARIA', COMUNIDAD = 1 "
                            "WHERE HORA IN ('18:00', '19:00')"));
    q.ExecQuery();
    dm.TGenerica.CommitRetaining();
}

// Opened and shown, as the command does.
void Abre()
{
    TFPlanifica w;
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::printf("(the window was not shown)\n");
    QApplication::processEvents();
}

Medida Mide(const QString& carpeta, bool lleno)
{
    const QString base = carpeta + (lleno ? QStringLiteral("/lleno.fdb") : QStringLiteral("/vacio.fdb"));
    TOpcionesBD o;
    o.ForcedWrites = false;
    CreaBaseDatos(base, o);
    TDMMain dm;
    if (!AbreSesion(dm, base))
        std::exit(1);
    if (lleno)
        Planifica(dm);

    Medida m;
    dm.QGen.SetSQL(QStringLiteral("SELECT COUNT(*) FROM PLANIFICADOR"));
    dm.QGen.ExecQuery();
    m.huecos = static_cast<int>(dm.QGen.Fields(0)->AsInteger());
    dm.QGen.Close();

    Abre(); // warm-up: statements and pages read once
    m.abrirMs = Mejor(7, Abre);

    TFPlanifica w;
    w.show();
    QApplication::processEvents();
    m.mesSiguienteMs = Mejor(7, [&] {
        w.CambiaMes(1);
        QApplication::processEvents();
    });

    // The month's marks: the window's one statement, then the 42 counts it
    // replaces, on the same transaction.
    const QDate primera = PrimeraCelda(QDate::currentDate());
    TDMPlanifica& d = *w.DM();
    int planificados = 0;
    m.marcasMs = Mejor(20, [&] { planificados = static_cast<int>(d.DiasPlanificados(primera, primera.addDays(41)).size()); });
    TFIBQuery cuenta;
    cuenta.SetDatabase(&dm.DataBase);
    cuenta.SetTransaction(&d.FIBTransaction);
    cuenta.SetSQL(QStringLiteral("SELECT COUNT(*) HAY FROM PLANIFICADOR  WHERE FECHA=?FECHA"));
    int contados = 0;
    m.marcasCeldaMs = Mejor(20, [&] {
        contados = 0;
        for (int i = 0; i < kCeldasCalendario; ++i) {
            cuenta.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(QDateTime(primera.addDays(i), QTime(0, 0)));
            cuenta.ExecQuery();
            contados += cuenta.Fields(0)->AsInteger() > 0 ? 1 : 0;
            cuenta.Close();
        }
    });
    if (contados != planificados)
        std::printf("(the two ways disagree: %d planned days against %d)\n", planificados, contados);
    DMMain = nullptr;
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", (dir.path() + QStringLiteral("/cfg")).toUtf8());
    const Medida vacio = Mide(dir.path(), false);
    const Medida lleno = Mide(dir.path(), true);
    std::printf("open the planner on its month, empty table: %.1f ms\n", vacio.abrirMs);
    std::printf("open the planner on its month, %d slots: %.1f ms (goal <= 100)\n", lleno.huecos, lleno.abrirMs);
    std::printf("open the planner, %d slots / empty table: %.2f\n", lleno.huecos, lleno.abrirMs / vacio.abrirMs);
    std::printf("next month, %d slots: %.2f ms\n", lleno.huecos, lleno.mesSiguienteMs);
    std::printf("month's planned days, one statement, %d slots: %.3f ms\n", lleno.huecos, lleno.marcasMs);
    std::printf("month's planned days, one count per cell, %d slots: %.3f ms\n", lleno.huecos, lleno.marcasCeldaMs);
    std::printf("month's planned days, one count per cell / one statement: %.2f\n", lleno.marcasCeldaMs / lleno.marcasMs);
    return 0;
}
