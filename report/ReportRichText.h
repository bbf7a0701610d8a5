// Rich text (RTF) in reports: the document is laid out at the object's width
// and turned into text primitives, one per run of equal formatting on a line,
// so every renderer and exporter shows it without knowing about RTF.
#pragma once

#include "ReportDocument.h"

#include <QTextDocument>

#include <vector>

namespace qdr {

struct RichTextLayout {
    double height = 0.0;                 // millimetres
    std::vector<Primitive> primitives;   // relative to the object's top-left corner
};

// Lays `document` out `widthMm` wide. Styles are added to `doc`.
RichTextLayout layoutRichText(const QTextDocument& document, double widthMm, Document& doc);
// The same from RTF bytes; throws EReportError when they cannot be read.
RichTextLayout layoutRichText(const QByteArray& rtf, double widthMm, Document& doc);

} // namespace qdr
