// Measuring and breaking text the same way for layout and for painting. Fonts
// are made at a reference scale of 720 units per inch (a font's pixel size is
// ten times its point size), so line breaks do not depend on the output
// device: the painter scales from reference units to the device.
#pragma once

#include "ReportDocument.h"

#include <QFont>
#include <QFontMetricsF>
#include <QTextLayout>

#include <memory>
#include <vector>

namespace qdr {

constexpr double kRefUnitsPerInch = 720.0;
constexpr double kMmPerRefUnit = 25.4 / kRefUnitsPerInch;
// Space between a text object's box and its text.
constexpr double kTextPadX = 0.5;
constexpr double kTextPadY = 0.2;

QFont referenceFont(const Font& font);

struct TextLine {
    int start = 0;  // into the text
    int length = 0;
    double y = 0.0; // top of the line from the top of the text, millimetres
};

class TextMeasurer {
public:
    // Lines of `text` in a box `width` mm wide, honouring line feeds and, when
    // the style wraps words, breaking at word boundaries (within a word when it
    // is longer than the line).
    std::vector<TextLine> breakLines(const QString& text, const TextStyle& style, double width);
    double lineHeight(const TextStyle& style);
    // Width of one line of text as painted, millimetres.
    double textWidth(const QString& text, const TextStyle& style);
    // Height the text needs in a box of that width, padding included.
    double textHeight(const QString& text, const TextStyle& style, double width);
    // Lays the text out in `layout` for painting; lines positioned in reference units.
    void layoutForPainting(QTextLayout& layout, const QString& text, const TextStyle& style, double width);

private:
    struct FontEntry {
        Font font;
        QFont qfont;
        std::unique_ptr<QFontMetricsF> metrics;
    };
    FontEntry& entry(const Font& font);

    std::vector<std::unique_ptr<FontEntry>> fonts_;
};

// The text as QTextLayout wants it: line feeds as line separators.
QString layoutText(const QString& text);

} // namespace qdr
