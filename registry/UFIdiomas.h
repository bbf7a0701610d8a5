#pragma once
#include "UFCatalogo.h"

class TDMIdiomas : public TDMCatalogo {
public:
    TDMIdiomas();
};

class TFIdiomas : public TFCatalogo {
    Q_OBJECT
public:
    TFIdiomas();
};
