#include "UFBanco.h"
#include "UTextos.h"

namespace {
// Bank "0000" is reserved: never listed, never changed here.
const TDescripcionCatalogo kBanco{
    "TFBanco", "Mantenimiento de bancos", 103, "QBanco", "SYS_BANCOS", "ENTIDAD",
    {QStringLiteral("SELECT * FROM SYS_BANCOS"), QStringLiteral("WHERE ENTIDAD <> \"0000\"")},
    "Nombre", 4, true};
} // namespace

TDMBanco::TDMBanco() : TDMCatalogo(kBanco)
{
    // The entity code is always four characters: 182 is stored as 0182.
    QTabla.BeforePost = [](TFIBDataSet& ds) {
        TField* entidad = ds.FieldByName(QStringLiteral("ENTIDAD"));
        entidad->SetAsString(RellenaCeros(4, entidad->AsString()));
    };
}

TFBanco::TFBanco() : TFCatalogo(kBanco, std::make_unique<TDMBanco>()) {}
