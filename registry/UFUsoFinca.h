#pragma once
#include "UFCatalogo.h"

class TDMUsoFinca : public TDMCatalogo {
public:
    TDMUsoFinca();
};

class TFUsoFinca : public TFCatalogo {
    Q_OBJECT
public:
    TFUsoFinca();
};
