#pragma once
// The communities: every record of the program is filed under one of them.
#include "FIBQuery.h"
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>

class QToolButton;
class TDBEdit;

class TDMComunidad : public TDMBase {
public:
    TDMComunidad();
    TFIBTableSet QComunidad;
    TFIBQuery SpGen;
};

class TFComunidad : public TFBase {
    Q_OBJECT
public:
    TFComunidad();
    ~TFComunidad() override;
    TDMComunidad* DM() const { return dm_.get(); }
    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;
    QToolButton* TbImporta; // "Importar comunidades desde Taldemar"

private:
    std::unique_ptr<TDMComunidad> dm_;
};
