// Barcodes through libzint: the bars of a symbol as rectangles in module units.
#pragma once

#include "ReportModel.h"

#include <QRectF>
#include <QString>

#include <vector>

namespace qdr {

struct BarcodeSymbol {
    double width = 0.0;  // whole symbol, module units
    double height = 0.0;
    std::vector<QRectF> bars;
    QString humanText; // the text printed under a linear code (with its check digit)
};

// False with a message (for the user) when the data cannot be encoded in that
// symbology, for instance letters in an EAN-13.
bool encodeBarcode(BarcodeType type, const QString& data, BarcodeSymbol* out, QString* error);

} // namespace qdr
