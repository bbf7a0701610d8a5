#include "UAplicacion.h"
#include "UDMMain.h"
#include "UFInicio.h"

#include <memory>

int main(int argc, char** argv)
{
    TAplicacion app(argc, argv);
    auto splash = std::make_unique<TFInicio>();
    splash->Muestra();
    Entorno = TREntorno{};
    auto dataModule = std::make_unique<TDMMain>();
    DMMain = dataModule.get();
    bool abierta = false;
    SinErrores([&] { abierta = DMMain->DataModuleCreate(); });
    splash.reset();
    if (!abierta)
        return 0;
    // The main window takes over here once it exists; until then start-up
    // ends once the database is open and the environment is set.
    DMMain = nullptr;
    return 0;
}
