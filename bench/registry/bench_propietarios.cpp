// The owners screen over a community of 20 000 owners with 40 000 properties
// and 20 000 addresses, against one of 100 owners built the same way: the
// screen opens in about the same time, because the lists fetch only what they
// show, and moving to the next owner (its properties, addresses and the names
// beside the codes read again) costs the same whatever the community's size.
// Prints the time to open the screen (best of several openings), the mean and
// slowest move to the next owner, with the ratios of the large community to
// the small one, and the time the owners' list takes to show with the total of
// the community's coefficients (read only there, as it reads every property).
// Asserts nothing.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "UDMMain.h"
#include "UFPropietarios.h"
#include "UPerfil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

using namespace qdbench;

struct Medida {
    double abrirMs = 1e300;  // best opening
    double siguienteMs = 0;  // mean move to the next owner
    double peorSiguienteMs = 0;
    double tablaMs = 0; // the owners' list shown with the coefficients' total
};

// Opened and shown, as the command does.
double Abre()
{
    QElapsedTimer t;
    t.start();
    auto* w = new TFPropietarios;
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        std::printf("(the screen was not shown)\n");
    QApplication::processEvents();
    const double ms = Ms(t);
    delete w;
    return ms;
}

Medida Mide(const QString& carpeta, int propietarios)
{
    const QString base = carpeta + QStringLiteral("/propietarios-%1.fdb").arg(propietarios);
    TOpcionesBD o;
    o.Contenido = TContenidoBD::Sintetica;
    o.Comunidades = 1;
    o.Propietarios = propietarios;
    o.Fincas = 2;
    o.ForcedWrites = false;
    CreaBaseDatos(base, o);
    TDMMain dm;
    if (!AbreSesion(dm, base))
        std::exit(1);
    Entorno.Comunidad = 1;

    Medida m;
    Abre(); // warm-up: statements and pages read once
    for (int i = 0; i < 7; ++i)
        m.abrirMs = std::min(m.abrirMs, Abre());

    // Moves through the first owners of the shown screen, each repainted.
    TFPropietarios w;
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::printf("(the screen was not shown)\n");
    QApplication::processEvents();
    const int pasos = std::min(propietarios - 1, 300);
    double total = 0;
    for (int i = 0; i < pasos; ++i) {
        QElapsedTimer t;
        t.start();
        w.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbNext);
        QApplication::processEvents();
        const double ms = Ms(t);
        total += ms;
        m.peorSiguienteMs = std::max(m.peorSiguienteMs, ms);
    }
    m.siguienteMs = total / pasos;
    QElapsedTimer t;
    t.start();
    w.PCMain->setCurrentWidget(w.TSTabla);
    QApplication::processEvents();
    m.tablaMs = Ms(t);
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
    const Medida corta = Mide(dir.path(), 100);
    const Medida grande = Mide(dir.path(), 20000);
    std::printf("open the owners screen, 100 owners: %.1f ms\n", corta.abrirMs);
    std::printf("open the owners screen, 20000 owners: %.1f ms\n", grande.abrirMs);
    std::printf("open the owners screen, 20000 owners / 100 owners: %.2f (goal <= 1.5)\n", grande.abrirMs / corta.abrirMs);
    std::printf("next owner, 100 owners: %.2f ms\n", corta.siguienteMs);
    std::printf("next owner, 20000 owners: %.2f ms (goal <= 20)\n", grande.siguienteMs);
    std::printf("next owner, 20000 owners / 100 owners: %.2f\n", grande.siguienteMs / corta.siguienteMs);
    std::printf("slowest next owner, 100 owners: %.2f ms\n", corta.peorSiguienteMs);
    std::printf("slowest next owner, 20000 owners: %.2f ms (goal <= 20)\n", grande.peorSiguienteMs);
    std::printf("show the owners' list with the coefficients' total, 100 owners: %.1f ms\n", corta.tablaMs);
    std::printf("show the owners' list with the coefficients' total, 20000 owners: %.1f ms\n", grande.tablaMs);
    return 0;
}
