#include "Platform.h"
#include "UAplicacion.h"
#include "UDMMain.h"
#include "UFCamino.h"
#include "UFCopias.h"
#include "UFInicio.h"
#include "UFMain.h"
#include "UProcesos.h"

#include <QScreen>
#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    plataforma::ReservaTerminar();
    // "--copia" and "--restaura" work without a window (a timer on a server).
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--copia") == 0 || std::strcmp(argv[i], "--restaura") == 0) {
            QCoreApplication app(argc, argv);
            return OrdenCopias(QCoreApplication::arguments()).value_or(2);
        }
    }
    TAplicacion app(argc, argv);
    auto splash = std::make_unique<TFInicio>();
    splash->Muestra();
    Entorno = TREntorno{};
    auto dataModule = std::make_unique<TDMMain>();
    DMMain = dataModule.get();
    bool abierta = false;
    SinErrores([&] { abierta = DMMain->DataModuleCreate(DialogosArranque()); });
    if (!abierta)
        return 0;
    RegistraOrdenesPrograma();
    int resultado = 0;
    QString actualizador;
    {
        TFMain principal;
        splash.reset();
        // Maximised; where no window manager does that, the size of the screen.
        principal.setGeometry(principal.screen()->availableGeometry());
        principal.showMaximized();
        // Log-out or a service manager ends the program as the user would.
        plataforma::AlTerminar([&principal] { principal.close(); });
        resultado = TAplicacion::exec();
        actualizador = principal.ActualizadorPendiente();
    }
    // The day's copy of the embedded database; a failure is told at the next start.
    SinErrores([] { CopiaFinal(); });
    if (!actualizador.isEmpty())
        SinErrores([&] { EjecutaAlTerminar(actualizador, QCoreApplication::applicationPid()); });
    DMMain = nullptr;
    return resultado;
}
