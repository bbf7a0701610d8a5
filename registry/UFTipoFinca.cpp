#include "UFTipoFinca.h"

namespace {
// Type 0 ("SIN TIPO") is what a property without type points to: it is kept
// off the list, as the lookups keep it off theirs.
const TDescripcionCatalogo kTipoFinca{
    "TFTipoFinca", "Mantenimiento Tipos de fincas", 108, "QTipoFinca", "SYS_TIPOS_FINCA", "CODIGO",
    {QStringLiteral("SELECT * FROM SYS_TIPOS_FINCA"), QStringLiteral("WHERE CODIGO <> 0")},
    "Descripción", 2};
} // namespace

TDMTipoFinca::TDMTipoFinca() : TDMCatalogo(kTipoFinca) {}

TFTipoFinca::TFTipoFinca() : TFCatalogo(kTipoFinca, std::make_unique<TDMTipoFinca>()) {}
