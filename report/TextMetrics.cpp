#include "TextMetrics.h"

#include <QTextOption>

#include <algorithm>

namespace qdr {

QFont referenceFont(const Font& font)
{
    QFont q(font.family);
    q.setPixelSize(std::max(1, qRound(font.size * 10.0)));
    q.setBold(font.bold);
    q.setItalic(font.italic);
    q.setUnderline(font.underline);
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

QString layoutText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return t;
}

TextMeasurer::FontEntry& TextMeasurer::entry(const Font& font)
{
    for (auto& e : fonts_)
        if (e->font == font)
            return *e;
    auto e = std::make_unique<FontEntry>();
    e->font = font;
    e->qfont = referenceFont(font);
    e->metrics = std::make_unique<QFontMetricsF>(e->qfont);
    fonts_.push_back(std::move(e));
    return *fonts_.back();
}

double TextMeasurer::lineHeight(const TextStyle& style)
{
    return entry(style.font).metrics->lineSpacing() * kMmPerRefUnit;
}

double TextMeasurer::textWidth(const QString& text, const TextStyle& style)
{
    return entry(style.font).metrics->horizontalAdvance(text) * kMmPerRefUnit;
}

static QTextOption textOption(const TextStyle& style)
{
    QTextOption opt;
    opt.setWrapMode(style.wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    Qt::Alignment a = Qt::AlignLeft;
    switch (style.hAlign) {
    case HAlign::Left:
        a = Qt::AlignLeft;
        break;
    case HAlign::Center:
        a = Qt::AlignHCenter;
        break;
    case HAlign::Right:
        a = Qt::AlignRight;
        break;
    case HAlign::Justify:
        a = Qt::AlignJustify;
        break;
    }
    opt.setAlignment(a);
    return opt;
}

std::vector<TextLine> TextMeasurer::breakLines(const QString& text, const TextStyle& style, double width)
{
    FontEntry& e = entry(style.font);
    const double spacing = e.metrics->lineSpacing() * kMmPerRefUnit;
    const double inner = std::max(0.0, width - 2 * kTextPadX) / kMmPerRefUnit;
    std::vector<TextLine> lines;
    if (text.isEmpty())
        return lines;
    // Most report texts are one short line: no layout needed.
    if (!text.contains(QLatin1Char('\n')) && (!style.wordWrap || e.metrics->horizontalAdvance(text) <= inner)) {
        lines.push_back({0, static_cast<int>(text.size()), 0.0});
        return lines;
    }
    QTextLayout layout(layoutText(text), e.qfont);
    layout.setTextOption(textOption(style));
    layout.beginLayout();
    double y = 0.0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(inner);
        lines.push_back({line.textStart(), line.textLength(), y});
        y += spacing;
    }
    layout.endLayout();
    return lines;
}

double TextMeasurer::textHeight(const QString& text, const TextStyle& style, double width)
{
    const auto lines = breakLines(text, style, width);
    return static_cast<double>(lines.size()) * lineHeight(style) + 2 * kTextPadY;
}

void TextMeasurer::layoutForPainting(QTextLayout& layout, const QString& text, const TextStyle& style, double width)
{
    FontEntry& e = entry(style.font);
    const double spacing = e.metrics->lineSpacing();
    const double inner = std::max(0.0, width - 2 * kTextPadX) / kMmPerRefUnit;
    layout.setText(layoutText(text));
    layout.setFont(e.qfont);
    layout.setTextOption(textOption(style));
    layout.beginLayout();
    double y = 0.0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(inner);
        line.setPosition(QPointF(0.0, y));
        y += spacing;
    }
    layout.endLayout();
}

} // namespace qdr
