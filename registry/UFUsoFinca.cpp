#include "UFUsoFinca.h"

namespace {
// Use 0 ("SIN USO") is what a property without use points to: it is kept off
// the list, as the lookups keep it off theirs.
const TDescripcionCatalogo kUsoFinca{
    "TFUsoFinca", "Mantenimiento de Usos de Fincas", 109, "QUsoFinca", "SYS_USO_FINCAS", "CODIGO",
    {QStringLiteral("SELECT * FROM SYS_USO_FINCAS"), QStringLiteral("WHERE CODIGO <> 0")},
    "Descripción", 2};
} // namespace

TDMUsoFinca::TDMUsoFinca() : TDMCatalogo(kUsoFinca) {}

TFUsoFinca::TFUsoFinca() : TFCatalogo(kUsoFinca, std::make_unique<TDMUsoFinca>()) {}
