#pragma once
// "Creación presupuesto en Halvenbook": a budget request of the
// community-management product, filled in before it is written, over the
// convocations' module's new budget record (QPresu).
#include "UFGestionHalvenbook.h"

class TDMConvoca;

class TFPresu : public TFGestionHalvenbook {
    Q_OBJECT
public:
    explicit TFPresu(TDMConvoca& dm, QWidget* parent = nullptr);

    TDBEdit* DBEFecha;
    TDBEdit* DBEPropuesta;
    TDBEditFind2000* DBEComunidad;
    TDBMemo* DBMPresupuesto;
    TDBMemo* DBMObs;
    TDBEdit* DBEFLimite;
};
