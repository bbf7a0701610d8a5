// How an object looks in the designer: the primitives the layout engine would
// make for it, painted by the engine's own painter, with the template text in
// place of the values (the data is not read while designing). Barcodes and
// charts show sample data; a picture without a file shows a placeholder.
#pragma once

#include "ReportDocument.h"
#include "ReportModel.h"

#include <QPainter>

namespace qdr {

// A one-page document the size of the object, its primitives relative to the
// object's top-left corner.
Document designDocument(const ReportObject& object);

// Paints the object with the painter's origin at its top-left corner and the
// painter's units in millimetres.
void paintDesignDocument(QPainter& painter, const Document& doc);

// The text shown for an aggregate while designing: "Suma(frDBCampos."IMPORTE")".
QString aggregateCaption(const AggregateObject& a);

} // namespace qdr
