#include "RtfWriter.h"

#include "RtfInternal.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Rtf {

using namespace detail;

namespace {

// A4 with the margins of a Spanish word processor's blank document; the text
// width is what a table without fixed widths spreads over.
constexpr int kPaperWidth = 11906;
constexpr int kPaperHeight = 16838;
constexpr int kMarginLeftRight = 1701;
constexpr int kMarginTopBottom = 1417;
constexpr int kTextWidth = kPaperWidth - 2 * kMarginLeftRight;

int toTwips(double units)
{
    // A length no page holds (or not a number) would only upset readers.
    if (!(std::abs(units) < 1e5))
        return 0;
    return int(std::lround(units * kTwipsPerUnit));
}

void word(QByteArray& out, const char* name, long long value)
{
    out += '\\';
    out += name;
    out += QByteArray::number(value);
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {}

    QByteArray run()
    {
        defaultFamily_ = family(doc_.defaultFont());
        fonts_.append(defaultFamily_);
        frame(doc_.rootFrame());

        QByteArray out;
        out.reserve(body_.size() + 1024);
        out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082\\uc1\n{\\fonttbl";
        for (qsizetype i = 0; i < fonts_.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            appendEscaped(out, fonts_[i], EscapeOptions{});
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (const QColor& c : colors_)
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
                + QByteArray::number(c.blue()) + ';';
        out += "}\n{\\*\\generator QuorumDesk;}\n";
        word(out, "paperw", kPaperWidth);
        word(out, "paperh", kPaperHeight);
        word(out, "margl", kMarginLeftRight);
        word(out, "margr", kMarginLeftRight);
        word(out, "margt", kMarginTopBottom);
        word(out, "margb", kMarginTopBottom);
        out += "\\viewkind4\n";
        out += body_;
        out += "}\n";
        return out;
    }

private:
    static QString family(const QFont& font)
    {
        const QStringList families = font.families();
        return families.isEmpty() ? font.family() : families.first();
    }

    int fontIndex(const QString& name)
    {
        qsizetype i = fonts_.indexOf(name);
        if (i < 0) {
            fonts_.append(name);
            i = fonts_.size() - 1;
        }
        return int(i);
    }

    int colorIndex(const QColor& c)
    {
        const QColor rgb = c.toRgb();
        qsizetype i = colors_.indexOf(QColor(rgb.red(), rgb.green(), rgb.blue()));
        if (i < 0) {
            colors_.append(QColor(rgb.red(), rgb.green(), rgb.blue()));
            i = colors_.size() - 1;
        }
        return int(i) + 1; // entry 0 is "automatic"
    }

    // Blocks of a frame in order; a table inside a table is flattened.
    void collect(QTextFrame::iterator it, std::vector<QTextBlock>& blocks)
    {
        for (; !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame())
                collect(child->begin(), blocks);
            else if (it.currentBlock().isValid())
                blocks.push_back(it.currentBlock());
        }
    }

    void frame(QTextFrame* f)
    {
        for (auto it = f->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child))
                    writeTable(table);
                else
                    frame(child);
            } else if (it.currentBlock().isValid()) {
                // QTextDocument puts an empty block before a table that opens
                // the document; it is not part of the text.
                const QTextBlock b = it.currentBlock();
                auto next = it;
                ++next;
                if (f == doc_.rootFrame() && b.position() == 0 && b.length() == 1 && !next.atEnd()
                    && qobject_cast<QTextTable*>(next.currentFrame()))
                    continue;
                block(b, false, false);
            }
        }
    }

    // Font and size: all a paragraph mark needs (the height of an empty
    // line). Its other properties are not written, since the first block of
    // a table cell carries the cell's own format among them.
    void fontProps(QByteArray& out, const QFont& f)
    {
        word(out, "f", fontIndex(family(f)));
        double points = f.pointSizeF();
        if (points <= 0)
            points = f.pixelSize() > 0 ? f.pixelSize() * 0.75 : 12;
        word(out, "fs", std::clamp<long long>(std::lround(points * 2), 2, 3276));
    }

    // A run's properties, after \plain so that nothing of the paragraph
    // level leaks into it.
    void charProps(QByteArray& out, const QTextCharFormat& cf)
    {
        const QFont f = cf.font().resolve(doc_.defaultFont());
        out += "\\plain";
        fontProps(out, f);
        if (f.weight() >= QFont::DemiBold)
            out += "\\b";
        if (f.italic())
            out += "\\i";
        QTextCharFormat::UnderlineStyle ul = cf.hasProperty(QTextFormat::TextUnderlineStyle)
            ? cf.underlineStyle()
            : (f.underline() ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
        switch (ul) {
        case QTextCharFormat::SingleUnderline: out += "\\ul"; break;
        case QTextCharFormat::DashUnderline: out += "\\uldash"; break;
        case QTextCharFormat::DotLine: out += "\\uld"; break;
        case QTextCharFormat::DashDotLine: out += "\\uldashd"; break;
        case QTextCharFormat::DashDotDotLine: out += "\\uldashdd"; break;
        case QTextCharFormat::WaveUnderline: out += "\\ulwave"; break;
        default: break;
        }
        if (f.strikeOut())
            out += "\\strike";
        if (cf.foreground().style() != Qt::NoBrush)
            word(out, "cf", colorIndex(cf.foreground().color()));
        if (cf.background().style() != Qt::NoBrush)
            word(out, "chcbpat", colorIndex(cf.background().color()));
        if (cf.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out += "\\super";
        else if (cf.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out += "\\sub";
        if (f.capitalization() == QFont::AllUppercase)
            out += "\\caps";
        else if (f.capitalization() == QFont::SmallCaps)
            out += "\\scaps";
    }

    void paraProps(QByteArray& out, const QTextBlock& b, bool inTable)
    {
        const QTextBlockFormat bf = b.blockFormat();
        out += "\\pard\\plain";
        if (inTable)
            out += "\\intbl";
        const Qt::Alignment align = horizontalAlignment(bf.alignment());
        if (align & Qt::AlignHCenter)
            out += "\\qc";
        else if (align & Qt::AlignRight)
            out += "\\qr";
        else if (align & Qt::AlignJustify)
            out += "\\qj";
        else
            out += "\\ql";
        double left = bf.leftMargin() + bf.indent() * doc_.indentWidth();
        double first = bf.textIndent();
        QTextList* list = b.textList();
        if (list) {
            left += list->format().indent() * doc_.indentWidth();
            first -= doc_.indentWidth() / 2;
        }
        if (int li = toTwips(left))
            word(out, "li", li);
        if (int ri = toTwips(bf.rightMargin()))
            word(out, "ri", ri);
        if (int fi = toTwips(first))
            word(out, "fi", fi);
        if (int sb = toTwips(bf.topMargin()))
            word(out, "sb", sb);
        if (int sa = toTwips(bf.bottomMargin()))
            word(out, "sa", sa);
        switch (bf.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            if (bf.lineHeight() != 100) {
                word(out, "sl", std::lround(bf.lineHeight() * 240 / 100));
                out += "\\slmult1";
            }
            break;
        case QTextBlockFormat::FixedHeight:
            word(out, "sl", -toTwips(bf.lineHeight()));
            out += "\\slmult0";
            break;
        case QTextBlockFormat::MinimumHeight:
            word(out, "sl", toTwips(bf.lineHeight()));
            out += "\\slmult0";
            break;
        default:
            break;
        }
        if (list)
            word(out, "tx", toTwips(left));
        for (const QTextOption::Tab& tab : bf.tabPositions()) {
            if (tab.type == QTextOption::RightTab)
                out += "\\tqr";
            else if (tab.type == QTextOption::CenterTab)
                out += "\\tqc";
            else if (tab.type == QTextOption::DelimiterTab)
                out += "\\tqdec";
            word(out, "tx", toTwips(tab.position));
        }
        if (pageBreakNext_ || (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
            out += "\\pagebb";
        pageBreakNext_ = !inTable && (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter);
        if (bf.headingLevel() > 0)
            word(out, "outlinelevel", bf.headingLevel() - 1);
    }

    static Qt::Alignment horizontalAlignment(Qt::Alignment a)
    {
        // Leading and trailing follow the text direction; the program's
        // documents are left to right.
        a &= Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignTrailing)
            return Qt::AlignRight;
        return a;
    }

    void block(const QTextBlock& b, bool inTable, bool endsCell)
    {
        QByteArray& out = body_;
        paraProps(out, b, inTable);
        fontProps(out, b.charFormat().font().resolve(doc_.defaultFont()));
        out += ' ';
        if (QTextList* list = b.textList()) {
            QString label = list->itemText(b);
            if (label.isEmpty())
                label = QString(QChar(0x2022));
            out += '{';
            charProps(out, b.charFormat());
            out += ' ';
            appendEscaped(out, label, EscapeOptions{});
            out += "\\tab}";
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            const QTextCharFormat cf = frag.charFormat();
            if (cf.isImageFormat()) {
                for (qsizetype i = 0; i < frag.text().size(); ++i)
                    picture(cf.toImageFormat());
                continue;
            }
            const bool link = cf.isAnchor() && !cf.anchorHref().isEmpty();
            if (link) {
                out += "{\\field{\\*\\fldinst HYPERLINK \"";
                appendEscaped(out, cf.anchorHref(), EscapeOptions{});
                out += "\"}{\\fldrslt ";
            }
            out += '{';
            charProps(out, cf);
            out += ' ';
            appendEscaped(out, frag.text(), EscapeOptions{});
            out += '}';
            if (link)
                out += "}}";
        }
        out += endsCell ? "\\cell\n" : "\\par\n";
    }

    QImage resourceImage(const QTextImageFormat& f) const
    {
        const QVariant v = doc_.resource(QTextDocument::ImageResource, QUrl(f.name()));
        if (v.userType() == QMetaType::QImage)
            return v.value<QImage>();
        if (v.userType() == QMetaType::QPixmap)
            return v.value<QPixmap>().toImage();
        if (v.userType() == QMetaType::QByteArray)
            return QImage::fromData(v.toByteArray());
        return {};
    }

    void picture(const QTextImageFormat& f)
    {
        QByteArray data = f.property(kImageBytesProperty).toByteArray();
        const QString type = f.property(kImageTypeProperty).toString();
        QSize pixels;
        bool jpeg = false;
        if (!data.isEmpty() && (type == QLatin1String("png") || type == QLatin1String("jpeg"))) {
            jpeg = type == QLatin1String("jpeg");
            pixels = resourceImage(f).size();
        } else {
            const QImage image = resourceImage(f);
            if (image.isNull())
                return; // nothing to show: the picture is left out
            pixels = image.size();
            data.clear();
            QBuffer buffer(&data);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        const double w = f.width() > 0 ? f.width() : pixels.width();
        const double h = f.height() > 0 ? f.height() : pixels.height();
        QByteArray& out = body_;
        out += jpeg ? "{\\pict\\jpegblip" : "{\\pict\\pngblip";
        word(out, "picw", pixels.width());
        word(out, "pich", pixels.height());
        word(out, "picwgoal", toTwips(w));
        word(out, "pichgoal", toTwips(h));
        static const char kHex[] = "0123456789abcdef";
        const qsizetype start = out.size();
        out.resize(start + data.size() * 2 + data.size() / 64 + 2);
        char* dst = out.data() + start;
        *dst++ = '\n';
        for (qsizetype i = 0; i < data.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(data[i]);
            *dst++ = kHex[byte >> 4];
            *dst++ = kHex[byte & 15];
            if (i % 64 == 63)
                *dst++ = '\n';
        }
        out.resize(dst - out.data());
        out += "}";
    }

    // Column edges in twips from the table's width constraints.
    std::vector<int> columnEdges(const QTextTable* t) const
    {
        const QTextTableFormat tf = t->format();
        const int columns = t->columns();
        const QList<QTextLength> constraints = tf.columnWidthConstraints();
        int total = kTextWidth;
        if (tf.width().type() == QTextLength::FixedLength)
            total = toTwips(tf.width().rawValue());
        else if (tf.width().type() == QTextLength::PercentageLength)
            total = int(kTextWidth * tf.width().rawValue() / 100);
        std::vector<double> widths(columns, -1);
        double used = 0;
        int variable = 0;
        for (int c = 0; c < columns; ++c) {
            const QTextLength l = c < constraints.size() ? constraints[c] : QTextLength();
            if (l.type() == QTextLength::FixedLength)
                widths[c] = l.rawValue() * kTwipsPerUnit;
            else if (l.type() == QTextLength::PercentageLength)
                widths[c] = total * l.rawValue() / 100;
            if (widths[c] >= 0)
                used += widths[c];
            else
                ++variable;
        }
        const double share = variable ? std::max((total - used) / variable, 300.0) : 0;
        std::vector<int> edges(columns + 1, 0);
        double x = 0;
        for (int c = 0; c < columns; ++c) {
            x += std::max(widths[c] >= 0 ? widths[c] : share, 30.0);
            edges[c + 1] = std::max(int(std::lround(x)), edges[c] + 30);
        }
        return edges;
    }

    void writeTable(QTextTable* t)
    {
        const QTextTableFormat tf = t->format();
        const std::vector<int> edges = columnEdges(t);
        const bool borders = tf.border() > 0 && tf.borderStyle() != QTextFrameFormat::BorderStyle_None;
        const long long borderWidth = std::clamp<long long>(toTwips(tf.border()), 1, 75);
        bool breakBefore = pageBreakNext_ || (tf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
        pageBreakNext_ = false;
        QByteArray& out = body_;
        for (int r = 0; r < t->rows(); ++r) {
            out += "\\trowd";
            word(out, "trgaph", toTwips(tf.cellPadding()));
            out += "\\trleft0";
            if (tf.alignment() & Qt::AlignHCenter)
                out += "\\trqc";
            else if (tf.alignment() & Qt::AlignRight)
                out += "\\trqr";
            if (r < tf.headerRowCount())
                out += "\\trhdr";
            std::vector<QTextTableCell> cells;
            for (int c = 0; c < t->columns();) {
                const QTextTableCell cell = t->cellAt(r, c);
                const int span = std::max(cell.columnSpan(), 1);
                if (cell.row() != r)
                    out += "\\clvmrg";
                else if (cell.rowSpan() > 1)
                    out += "\\clvmgf";
                if (borders) {
                    for (const char* side : {"\\clbrdrt", "\\clbrdrl", "\\clbrdrb", "\\clbrdrr"}) {
                        out += side;
                        out += "\\brdrs";
                        word(out, "brdrw", borderWidth);
                    }
                }
                const QBrush bg = cell.format().background();
                if (bg.style() != Qt::NoBrush)
                    word(out, "clcbpat", colorIndex(bg.color()));
                word(out, "cellx", edges[std::min(c + span, t->columns())]);
                cells.push_back(cell);
                c += span;
            }
            out += '\n';
            for (const QTextTableCell& cell : cells) {
                if (cell.row() != r) {
                    out += "\\pard\\plain\\intbl\\cell\n";
                    continue;
                }
                std::vector<QTextBlock> blocks;
                collect(cell.begin(), blocks);
                if (blocks.empty()) {
                    out += "\\pard\\plain\\intbl\\cell\n";
                    continue;
                }
                for (size_t i = 0; i < blocks.size(); ++i) {
                    if (breakBefore) {
                        // Carried by the table's first paragraph.
                        pageBreakNext_ = true;
                        breakBefore = false;
                    }
                    block(blocks[i], true, i + 1 == blocks.size());
                }
            }
            out += "\\row\n";
        }
    }

    const QTextDocument& doc_;
    QString defaultFamily_;
    QStringList fonts_;
    QList<QColor> colors_;
    QByteArray body_;
    bool pageBreakNext_ = false;
};

} // namespace

QByteArray write(const QTextDocument& doc)
{
    return Writer(doc).run();
}

} // namespace Rtf
