#include "ReportError.h"
#include "ReportExport.h"
#include "TextMetrics.h"

#include <QFile>

#include <cmath>

namespace qdr {

namespace {
void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw EReportError(QStringLiteral("No se puede escribir el fichero «%1»").arg(fileName));
}

QString csvField(const QString& v)
{
    if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('"')) || v.contains(QLatin1Char('\n'))
        || v.contains(QLatin1Char('\r'))) {
        QString q = v;
        q.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    }
    return v;
}
} // namespace

QString documentCsv(const Document& doc)
{
    QString out;
    for (const QStringList& row : dataRows(doc)) {
        if (std::all_of(row.begin(), row.end(), [](const QString& c) { return c.trimmed().isEmpty(); }))
            continue;
        QStringList fields;
        for (const QString& c : row)
            fields << csvField(c);
        out += fields.join(QLatin1Char(';'));
        out += QLatin1String("\r\n");
    }
    return out;
}

void exportCsv(const Document& doc, const QString& fileName)
{
    writeFile(fileName, documentCsv(doc).toUtf8());
}

QString documentText(const Document& doc)
{
    // 10 characters per inch across. Down the page, lines of text keep their
    // order and a gap of more than a line becomes one blank line.
    constexpr double kCellW = 2.54;
    constexpr double kCellH = 25.4 / 6.0;
    TextMeasurer measurer;
    QString out;
    struct Piece {
        double y;
        int col;
        QString text;
    };
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        std::vector<Piece> pieces;
        for (const Primitive& it : doc.pages[p].items) {
            if (it.kind != PrimitiveKind::Text || it.style < 0)
                continue;
            const TextStyle& st = doc.styles[static_cast<std::size_t>(it.style)];
            const double lh = measurer.lineHeight(st);
            const auto lines = measurer.breakLines(it.text, st, it.rect.width());
            const int maxChars = std::max(1, static_cast<int>(std::floor((it.rect.width() - 2 * kTextPadX) / kCellW)));
            const int col = std::max(0, static_cast<int>(std::lround((it.rect.left() + kTextPadX) / kCellW)));
            for (std::size_t i = 0; i < lines.size(); ++i) {
                QString s = it.text.mid(lines[i].start, lines[i].length);
                s.remove(QLatin1Char('\n'));
                s = s.trimmed();
                int c = col;
                if (st.hAlign == HAlign::Right)
                    c = std::max(0, col + maxChars - static_cast<int>(s.size()));
                else if (st.hAlign == HAlign::Center)
                    c = std::max(0, col + (maxChars - static_cast<int>(s.size())) / 2);
                pieces.push_back({it.rect.top() + kTextPadY + static_cast<double>(i) * lh, c, s});
            }
        }
        std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.y < b.y; });
        if (p > 0)
            out += QLatin1Char('\f');
        QStringList rows;
        double rowY = 0.0;
        for (const Piece& piece : pieces) {
            if (rows.isEmpty() || piece.y - rowY > 0.5) {
                if (!rows.isEmpty() && piece.y - rowY >= 1.5 * kCellH)
                    rows << QString();
                rows << QString();
                rowY = piece.y;
            }
            QString& line = rows.last();
            if (line.size() < piece.col + piece.text.size())
                line = line.leftJustified(piece.col + static_cast<int>(piece.text.size()), QLatin1Char(' '));
            line.replace(piece.col, static_cast<int>(piece.text.size()), piece.text);
        }
        for (QString& r : rows) {
            while (r.endsWith(QLatin1Char(' ')))
                r.chop(1);
            out += r + QLatin1Char('\n');
        }
    }
    return out;
}

void exportText(const Document& doc, const QString& fileName)
{
    writeFile(fileName, documentText(doc).toUtf8());
}

} // namespace qdr
