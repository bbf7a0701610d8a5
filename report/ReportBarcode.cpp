#include "ReportBarcode.h"

#include <zint.h>

#include <memory>

namespace qdr {

namespace {
struct SymbolDeleter {
    void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};
using SymbolPtr = std::unique_ptr<zint_symbol, SymbolDeleter>;

bool allDigits(const QString& s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}
} // namespace

bool encodeBarcode(BarcodeType type, const QString& data, BarcodeSymbol* out, QString* error)
{
    QString value = data.trimmed();
    int symbology = BARCODE_CODE128;
    switch (type) {
    case BarcodeType::Code128:
        symbology = BARCODE_CODE128;
        break;
    case BarcodeType::Ean13:
        if (!allDigits(value) || (value.size() != 12 && value.size() != 13)) {
            *error = QStringLiteral("EAN-13 necesita 12 o 13 cifras: «%1»").arg(value);
            return false;
        }
        symbology = value.size() == 13 ? BARCODE_EANX_CHK : BARCODE_EANX;
        break;
    case BarcodeType::QrCode:
        symbology = BARCODE_QRCODE;
        break;
    }
    SymbolPtr sym(ZBarcode_Create());
    if (!sym) {
        *error = QStringLiteral("No hay memoria para el código de barras");
        return false;
    }
    sym->symbology = symbology;
    sym->input_mode = UNICODE_MODE;
    sym->show_hrt = 0;
    const QByteArray bytes = value.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer_Vector(sym.get(), reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                     static_cast<int>(bytes.size()), 0);
    if (rc >= ZINT_ERROR || !sym->vector) {
        *error = QStringLiteral("Código de barras no válido «%1»: %2").arg(value, QString::fromUtf8(sym->errtxt));
        return false;
    }
    out->width = sym->vector->width;
    out->height = sym->vector->height;
    out->bars.clear();
    for (const zint_vector_rect* r = sym->vector->rectangles; r; r = r->next)
        out->bars.emplace_back(r->x, r->y, r->width, r->height);
    out->humanText = value;
    if (type == BarcodeType::Ean13 && value.size() == 12) {
        // The check digit zint appended.
        int sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += (value[i].unicode() - '0') * (i % 2 ? 3 : 1);
        out->humanText += QChar('0' + (10 - sum % 10) % 10);
    }
    return out->width > 0 && out->height > 0;
}

} // namespace qdr
