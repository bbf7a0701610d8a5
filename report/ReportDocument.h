// A laid-out report: pages of primitives (text, line, rectangle, image) in
// millimetres from the paper's top-left corner. Every renderer and exporter
// works from this one document. Each primitive carries the kind of band it
// came from and the printed band instance it belongs to, so data exporters
// can skip page headers and footers and put one band per output line.
#pragma once

#include "ReportModel.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <vector>

namespace qdr {

struct TextStyle {
    Font font;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool wordWrap = true;
    bool operator==(const TextStyle&) const = default;
};

enum class PrimitiveKind : std::uint8_t { Text, Line, Rect, Image };

struct Primitive {
    PrimitiveKind kind = PrimitiveKind::Text;
    BandKind band = BandKind::MasterData;
    // A header printed again on a continuation page.
    bool repeated = false;
    // Text that held [Pages] before the count was known (resolved already).
    bool pagesMarker = false;
    // The rest of a text split across pages: it continues the text of the same
    // object in the same band instance on an earlier page.
    bool continued = false;
    int bandInstance = 0;
    // Text, rectangle and image: the box. Line: from topLeft() to bottomRight().
    QRectF rect;
    QString text;
    int style = -1;  // text: index into Document::styles
    int image = -1;  // image: index into Document::images
    Rgba color = kBlack; // line colour, rectangle fill
    float penWidth = 0.2f; // line width in millimetres
};

struct Page {
    double width = 210.0;
    double height = 297.0;
    std::vector<Primitive> items;
};

struct Document {
    QString title;
    std::vector<Page> pages;
    std::vector<TextStyle> styles;
    std::vector<QImage> images;

    int addStyle(const TextStyle& style);
    int addImage(const QImage& image);
    std::size_t primitiveCount() const;
};

// One line per primitive, for tests and for looking at a layout:
// "p1 PageHeader#1 text 10.0,10.0 190.0x5.0 \"Listado\"".
QString dumpDocument(const Document& doc);

// Texts of the bands that carry data, in reading order: one list of cells per
// band instance (cells left to right, then top to bottom), page headers and
// footers and repeated headers left out. The CSV and plain-text exporters and
// the HTML table export read through it.
std::vector<QStringList> dataRows(const Document& doc);

} // namespace qdr
