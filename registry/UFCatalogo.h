#pragma once
// The catalogue screens (banks, payment methods, languages, property types
// and uses): a code and a name per row, kept on a base maintenance screen
// with its own data module. Each catalogue's unit states what differs.
#include "UDMBase.h"
#include "UFBase.h"

#include <memory>

class TDBEdit;

struct TDescripcionCatalogo {
    const char* clase;      // the screen's class, for the window list
    const char* titulo;     // caption
    int numeroFormulario;
    const char* dataset;    // the main dataset's name
    const char* tabla;
    const char* clave;      // code column
    QStringList select;
    const char* etiquetaNombre;
    int digitosClave;       // characters that can be typed in the code
    bool claveTexto = false;
};

class TDMCatalogo : public TDMBase {
public:
    explicit TDMCatalogo(const TDescripcionCatalogo& d);
    TFIBTableSet QTabla;
    const TDescripcionCatalogo& Descripcion() const { return d_; }

private:
    const TDescripcionCatalogo& d_;
};

class TFCatalogo : public TFBase {
    Q_OBJECT
public:
    TFCatalogo(const TDescripcionCatalogo& d, std::unique_ptr<TDMCatalogo> dm);
    ~TFCatalogo() override;
    TDMCatalogo* DM() const { return dm_.get(); }
    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;

private:
    std::unique_ptr<TDMCatalogo> dm_;
};
