#include "UFIdiomas.h"

namespace {
const TDescripcionCatalogo kIdiomas{
    "TFIdiomas", "Mantenimiento de Idiomas", 106, "QIdiomas", "SYS_IDIOMAS", "CODIGO",
    {QStringLiteral("SELECT * FROM SYS_IDIOMAS"), QStringLiteral("order by codigo")},
    "Nombre", 2};
} // namespace

TDMIdiomas::TDMIdiomas() : TDMCatalogo(kIdiomas) {}

TFIdiomas::TFIdiomas() : TFCatalogo(kIdiomas, std::make_unique<TDMIdiomas>()) {}
