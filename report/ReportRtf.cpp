// RTF in the report engine: the rich-text objects' documents are read, and
// the "WORD" export is written, through the program's RTF reader and writer.
#include "ReportError.h"
#include "ReportExport.h"
#include "ReportRichText.h"
#include "TextMetrics.h"

#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFile>
#include <QTextCursor>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace qdr {

RichTextLayout layoutRichText(const QByteArray& rtf, double widthMm, Document& doc)
{
    if (rtf.trimmed().isEmpty())
        return {};
    QTextDocument document;
    try {
        Rtf::read(rtf, document);
    } catch (const Rtf::ERtfError& e) {
        throw EReportError(QStringLiteral("el texto enriquecido no se puede leer: %1").arg(e.message()));
    }
    return layoutRichText(document, widthMm, doc);
}

namespace {

// RTF documents measure in Qt's layout pixels at 96 dpi.
constexpr double kUnitsPerMm = 96.0 / 25.4;

struct Piece {
    double y = 0.0;
    double x = 0.0;
    double right = 0.0;
    QString text;
    int style = -1;
    int image = -1;
    double width = 0.0;
    double height = 0.0;
};

struct Row {
    double y = 0.0;
    std::vector<Piece> pieces;
};

// The page's texts (each wrapped line on its own) and images, as rows of
// pieces that share a top edge, top to bottom, each row left to right.
std::vector<Row> pageRows(const Document& doc, const Page& page, TextMeasurer& measurer)
{
    std::vector<Piece> pieces;
    for (const Primitive& it : page.items) {
        if (it.kind == PrimitiveKind::Image && it.image >= 0) {
            Piece p;
            p.y = it.rect.top();
            p.x = it.rect.left();
            p.right = it.rect.right();
            p.image = it.image;
            p.width = it.rect.width();
            p.height = it.rect.height();
            pieces.push_back(p);
        }
        if (it.kind != PrimitiveKind::Text || it.style < 0 || it.text.trimmed().isEmpty())
            continue;
        const TextStyle& st = doc.styles[static_cast<std::size_t>(it.style)];
        const double lh = measurer.lineHeight(st);
        const auto lines = measurer.breakLines(it.text, st, it.rect.width());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            QString s = it.text.mid(lines[i].start, lines[i].length);
            s.remove(QLatin1Char('\n'));
            if (s.trimmed().isEmpty())
                continue;
            Piece p;
            p.y = it.rect.top() + static_cast<double>(i) * lh;
            p.x = it.rect.left();
            p.right = it.rect.right();
            p.text = s.trimmed();
            p.style = it.style;
            pieces.push_back(p);
        }
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.y < b.y; });
    std::vector<Row> rows;
    for (Piece& p : pieces) {
        if (rows.empty() || p.y - rows.back().y > 0.5)
            rows.push_back({p.y, {}});
        rows.back().pieces.push_back(std::move(p));
    }
    for (Row& r : rows)
        std::stable_sort(r.pieces.begin(), r.pieces.end(), [](const Piece& a, const Piece& b) { return a.x < b.x; });
    return rows;
}

QTextCharFormat charFormat(const TextStyle& st)
{
    QTextCharFormat f;
    f.setFontFamilies({st.font.family});
    f.setFontPointSize(st.font.size);
    f.setFontWeight(st.font.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(st.font.italic);
    f.setFontUnderline(st.font.underline);
    f.setForeground(QColor::fromRgba(st.font.color));
    return f;
}

Qt::Alignment alignment(const TextStyle& st)
{
    switch (st.hAlign) {
    case HAlign::Center:
        return Qt::AlignHCenter;
    case HAlign::Right:
        return Qt::AlignRight;
    case HAlign::Justify:
        return Qt::AlignJustify;
    case HAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

// Word edits flowing text, not positioned boxes: every row of the page becomes
// a table row (no borders) whose cells start where its texts start, in shares
// of the width the page's texts span; rows of the same columns form one table.
void exportRtf(const Document& doc, const QString& fileName)
{
    QTextDocument td;
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSizeF(10);
    td.setDefaultFont(base);
    QTextCursor cursor(&td);
    TextMeasurer measurer;
    for (std::size_t i = 0; i < doc.images.size(); ++i)
        td.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("report-image-%1").arg(i)), doc.images[i]);

    bool firstTable = true;
    for (std::size_t pi = 0; pi < doc.pages.size(); ++pi) {
        const Page& page = doc.pages[pi];
        const std::vector<Row> rows = pageRows(doc, page, measurer);
        if (rows.empty())
            continue;
        double left = page.width;
        double right = 0.0;
        for (const Row& r : rows)
            for (const Piece& p : r.pieces) {
                left = std::min(left, p.x);
                right = std::max(right, p.right);
            }
        const double span = std::max(1.0, right - left);
        QTextTable* table = nullptr;
        std::vector<int> edges; // cell starts of the current table, in tenths of a per cent
        bool newPage = pi > 0;
        for (const Row& r : rows) {
            std::vector<int> starts;
            for (const Piece& p : r.pieces) {
                const int s = static_cast<int>(std::lround((p.x - left) / span * 1000));
                if (starts.empty() || s > starts.back())
                    starts.push_back(s);
            }
            if (starts.front() > 0)
                starts.insert(starts.begin(), 0);
            if (!table || starts != edges || newPage) {
                QTextTableFormat tf;
                tf.setBorder(0);
                tf.setBorderStyle(QTextFrameFormat::BorderStyle_None);
                tf.setCellPadding(2);
                tf.setCellSpacing(0);
                tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
                QList<QTextLength> widths;
                for (std::size_t c = 0; c < starts.size(); ++c) {
                    const int end = c + 1 < starts.size() ? starts[c + 1] : 1000;
                    widths << QTextLength(QTextLength::PercentageLength, (end - starts[c]) / 10.0);
                }
                tf.setColumnWidthConstraints(widths);
                if (newPage && !firstTable)
                    tf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                cursor.movePosition(QTextCursor::End);
                table = cursor.insertTable(1, static_cast<int>(starts.size()), tf);
                edges = starts;
                firstTable = false;
                newPage = false;
            } else {
                table->appendRows(1);
            }
            const int row = table->rows() - 1;
            for (const Piece& p : r.pieces) {
                const int s = static_cast<int>(std::lround((p.x - left) / span * 1000));
                const int col = static_cast<int>(std::upper_bound(edges.begin(), edges.end(), s) - edges.begin()) - 1;
                QTextCursor cell = table->cellAt(row, std::max(0, col)).lastCursorPosition();
                if (p.image >= 0) {
                    QTextImageFormat img;
                    img.setName(QStringLiteral("report-image-%1").arg(p.image));
                    img.setWidth(p.width * kUnitsPerMm);
                    img.setHeight(p.height * kUnitsPerMm);
                    cell.insertImage(img);
                    continue;
                }
                const TextStyle& st = doc.styles[static_cast<std::size_t>(p.style)];
                if (!cell.block().text().isEmpty())
                    cell.insertText(QStringLiteral(" "));
                QTextBlockFormat bf = cell.blockFormat();
                bf.setAlignment(alignment(st));
                cell.setBlockFormat(bf);
                cell.insertText(p.text, charFormat(st));
            }
        }
    }
    const QByteArray bytes = Rtf::write(td);
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw EReportError(QStringLiteral("No se puede escribir el fichero «%1»").arg(fileName));
}

} // namespace qdr
