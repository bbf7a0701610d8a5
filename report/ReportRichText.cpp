#include "ReportRichText.h"

#include "ReportError.h"
#include "TextMetrics.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

namespace qdr {

namespace {
// RTF documents measure indents and spacing in Qt's layout pixels at 96 dpi:
// they are laid out on a device of that resolution.
constexpr double kDocDpi = 96.0;
constexpr double kMmPerUnit = 25.4 / kDocDpi;
constexpr double kLineShare = 0.96;

const QImage& layoutDevice()
{
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        const int dpm = static_cast<int>(std::lround(kDocDpi / 0.0254));
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    return device;
}
} // namespace

RichTextLayout layoutRichText(const QTextDocument& document, double widthMm, Document& doc)
{
    RichTextLayout out;
    TextMeasurer measurer;
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(const_cast<QImage*>(&layoutDevice()));
    copy->setDocumentMargin(0);
    // Text drawn at the report's reference scale runs a little wider than at
    // 96 dpi: lines are broken a little short of the box.
    copy->setTextWidth(std::max(1.0, (widthMm - 2 * kTextPadX) * kLineShare / kMmPerUnit));
    QAbstractTextDocumentLayout* docLayout = copy->documentLayout();
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout)
            continue;
        const QPointF origin = docLayout->blockBoundingRect(block).topLeft();
        for (int li = 0; li < layout->lineCount(); ++li) {
            const QTextLine line = layout->lineAt(li);
            const int lineStart = block.position() + line.textStart();
            const int lineEnd = lineStart + line.textLength();
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                int from = std::max(frag.position(), lineStart);
                const int to = std::min(frag.position() + frag.length(), lineEnd);
                if (from >= to)
                    continue;
                QString text = frag.text().mid(from - frag.position(), to - from);
                text.replace(QChar::LineSeparator, QLatin1Char(' '));
                while (text.endsWith(QLatin1Char(' ')))
                    text.chop(1);
                // Leading blanks move the text's start instead of being drawn.
                const qsizetype blanks = text.size() - QStringView(text).trimmed().size();
                if (text.trimmed().isEmpty())
                    continue;
                from += static_cast<int>(blanks);
                text = text.mid(blanks);
                const QTextCharFormat fmt = frag.charFormat();
                const QFont f = fmt.font();
                TextStyle st;
                st.font.family = f.family();
                st.font.size = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
                st.font.bold = f.bold();
                st.font.italic = f.italic();
                st.font.underline = f.underline();
                st.font.color = fmt.foreground().style() == Qt::NoBrush ? kBlack : fmt.foreground().color().rgba();
                st.wordWrap = false;
                const double x0 = line.cursorToX(from - block.position());
                const double x1 = line.cursorToX(to - block.position());
                Primitive p;
                p.kind = PrimitiveKind::Text;
                p.style = doc.addStyle(st);
                p.text = text;
                // The primitive's box takes the padding every text box has.
                const double left = (origin.x() + x0) * kMmPerUnit;
                const double top = (origin.y() + line.y()) * kMmPerUnit;
                // Wide enough for the text as the painter draws it.
                const double drawn = measurer.textWidth(text, st);
                p.rect = QRectF(left, top, std::max((x1 - x0) * kMmPerUnit, drawn) + 2 * kTextPadX,
                                line.height() * kMmPerUnit + 2 * kTextPadY);
                out.primitives.push_back(std::move(p));
            }
        }
    }
    out.height = docLayout->documentSize().height() * kMmPerUnit + 2 * kTextPadY;
    return out;
}

} // namespace qdr
