#include "UFFormaPago.h"

namespace {
// Payment method 0 is reserved: never listed, never changed here.
const TDescripcionCatalogo kFormaPago{
    "TFFormaPago", "Mantenimiento de formas de pago", 105, "QFormaPago", "SYS_FORMAS_PAGO", "CODIGO",
    {QStringLiteral("SELECT * FROM SYS_FORMAS_PAGO"), QStringLiteral("WHERE CODIGO <> 0"), QStringLiteral("ORDER BY CODIGO")},
    "Nombre", 2};
} // namespace

TDMFormaPago::TDMFormaPago() : TDMCatalogo(kFormaPago) {}

TFFormaPago::TFFormaPago() : TFCatalogo(kFormaPago, std::make_unique<TDMFormaPago>()) {}
