// Every screen of the main window's commands opened on the demo database
// through the embedded engine and through the Firebird server on loopback
// (QD_FB_SERVER, QD_FB_USER, QD_FB_PASSWORD): the time from the command to
// the screen shown with its rows, the median of several openings, and the
// ratio of the two. A dialog that a command opens counts as its screen and is
// closed at once. Prints figures; asserts nothing.
#include "CreaBaseDatos.h"
#include "Medidas.h"
#include "SesionBench.h"
#include "UAplicacion.h"
#include "UFMain.h"
#include "UOrdenes.h"
#include "UFormGest.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <map>

namespace {

const int kVeces = 5;

// Milliseconds of each command's opening, by its caption.
std::map<QString, double> AbrePantallas()
{
    std::map<QString, double> tiempos;
    for (const TOrden& orden : OrdenesRegistradas()) {
        std::vector<double> veces;
        for (int i = 0; i < kVeces; ++i) {
            QAction accion(orden.Titulo);
            QElapsedTimer reloj;
            double ms = -1;
            // A modal dialog is the screen: timed when it shows, then closed.
            QTimer cierra;
            cierra.setInterval(1);
            QObject::connect(&cierra, &QTimer::timeout, [&] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    if (ms < 0)
                        ms = qdbench::Ms(reloj);
                    if (auto* d = qobject_cast<QDialog*>(w))
                        d->reject();
                    else
                        w->close();
                }
            });
            cierra.start();
            reloj.start();
            try {
                orden.Abre(&accion);
                QCoreApplication::processEvents();
            } catch (const std::exception& e) {
                std::printf("(%s: %s)\n", qPrintable(orden.Titulo), e.what());
            }
            if (ms < 0)
                ms = qdbench::Ms(reloj);
            cierra.stop();
            CierraVentanas();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            veces.push_back(ms);
        }
        tiempos[orden.Titulo] = qdbench::Mediana(veces);
    }
    return tiempos;
}

std::map<QString, double> MideEn(const QString& base, const QString& usuario, const QString& clave)
{
    TDMMain sesion;
    if (!usuario.isEmpty()) {
        TIniFile ini(FicheroPerfil(QStringLiteral("quorumdesk.ini")));
        ini.WriteString(QStringLiteral("datos"), QStringLiteral("Usuario"), usuario);
        ini.WriteString(QStringLiteral("datos"), QStringLiteral("Clave"), clave);
    }
    if (!qdbench::AbreSesion(sesion, base))
        return {};
    Entorno.Usuario = 1; // the administrator: every command is open to him
    sesion.CambiaComunidad(1, QStringLiteral("Comunidad 1"));
    auto tiempos = AbrePantallas();
    DMMain = nullptr;
    return tiempos;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TAplicacion app(argc, argv);
    RegistraOrdenesPrograma();
    const QString servidor = qEnvironmentVariable("QD_FB_SERVER");
    if (servidor.isEmpty()) {
        std::printf("(no Firebird server configured: QD_FB_SERVER, QD_FB_USER, QD_FB_PASSWORD)\n");
        return 0;
    }
    const QString usuario = qEnvironmentVariable("QD_FB_USER", QStringLiteral("SYSDBA"));
    const QString clave = qEnvironmentVariable("QD_FB_PASSWORD");
    QTemporaryDir dir;
    qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", dir.filePath(QStringLiteral("cfg")).toUtf8());
    TOpcionesBD demo;
    demo.Contenido = TContenidoBD::Demo;
    demo.ForcedWrites = false;
    const QString local = dir.filePath(QStringLiteral("quorumdesk.fdb"));
    CreaBaseDatos(local, demo);
    // The server's copy in the same folder, created by the server.
    demo.Usuario = usuario;
    demo.Clave = clave;
    const QString remota = servidor + QLatin1Char(':') + dir.filePath(QStringLiteral("servidor.fdb"));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    CreaBaseDatos(remota, demo);

    const auto integrado = MideEn(local, QString(), QString());
    const auto enServidor = MideEn(remota, usuario, clave);
    double peor = 0;
    for (const auto& [titulo, ms] : integrado) {
        const auto s = enServidor.find(titulo);
        if (s == enServidor.end())
            continue;
        const double ratio = s->second / std::max(ms, 0.01);
        peor = std::max(peor, ratio);
        std::printf("%s: embedded %.1f ms, server %.1f ms, server / embedded %.2f (goal <= 1.2)\n",
                    qPrintable(QString(titulo).remove(QLatin1Char('&'))), ms, s->second, ratio);
    }
    std::printf("slowest screen on the server / embedded: %.2f (goal <= 1.2)\n", peor);
    return 0;
}
