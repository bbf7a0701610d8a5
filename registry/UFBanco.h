#pragma once
#include "UFCatalogo.h"

class TDMBanco : public TDMCatalogo {
public:
    TDMBanco();
};

class TFBanco : public TFCatalogo {
    Q_OBJECT
public:
    TFBanco();
};
