#pragma once
#include "UFCatalogo.h"

class TDMFormaPago : public TDMCatalogo {
public:
    TDMFormaPago();
};

class TFFormaPago : public TFCatalogo {
    Q_OBJECT
public:
    TFFormaPago();
};
