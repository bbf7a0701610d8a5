#pragma once
#include "UFCatalogo.h"

class TDMTipoFinca : public TDMCatalogo {
public:
    TDMTipoFinca();
};

class TFTipoFinca : public TFCatalogo {
    Q_OBJECT
public:
    TFTipoFinca();
};
