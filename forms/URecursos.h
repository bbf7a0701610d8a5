#pragma once
// The widget resources every screen shares: the key map of the key menus and
// the images of the grids' sort marks. Made once, on first use (after the
// application object exists), and kept to the end of the program.
#include "UHYDBGrid.h"
#include "UTeclas.h"

struct TRecursos {
    TRecursos();
    TTeclas Teclas;
    TListaImagenes ILOrdGrid;
};

TRecursos& Recursos();
