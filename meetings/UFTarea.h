#pragma once
// "Creación tarea en Halvenbook": a call or errand of the
// community-management product, filled in before it is written, over the
// convocations' module's new task record (QTarea).
#include "UFGestionHalvenbook.h"

class TDMConvoca;
class TDBComboBoxValue;

class TFTarea : public TFGestionHalvenbook {
    Q_OBJECT
public:
    explicit TFTarea(TDMConvoca& dm, QWidget* parent = nullptr);

    TDBEdit* DBEFecha;
    TDBEdit* DBEFin;
    TDBEdit* DBEDuracion;
    TDBComboBoxValue* DBCTipo2;
    TDBEdit* DBEOrigen;
    TDBEdit* DBETelefono;
    TDBEditFind2000* DBEComunidad;
    TDBMemo* DBMAsunto;
    TDBEditFind2000* DBEDestinatario;
    TDBEditFind2000* DBEAtendido;
};
