#include "URecursos.h"

TRecursos::TRecursos() : ILOrdGrid(ImagenesOrdenGrid())
{
    Teclas.ValoresModuloPrincipal();
}

TRecursos& Recursos()
{
    static TRecursos recursos;
    return recursos;
}
