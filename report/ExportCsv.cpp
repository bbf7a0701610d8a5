#include "ReportError.h"
#include "ReportExport.h"
#include "TextMetrics.h"

#include <QFile>

#include <cmath>
#include <map>

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
    // A character cell of the grid: 10 characters per inch, 6 lines per inch.
    constexpr double kCellW = 2.54;
    constexpr double kCellH = 25.4 / 6.0;
    TextMeasurer measurer;
    QString out;
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        std::map<int, QString> grid;
        auto put = [&](int row, int col, const QString& s) {
            QString& line = grid[row];
            if (line.size() < col + s.size())
                line = line.leftJustified(col + static_cast<int>(s.size()), QLatin1Char(' '));
            line.replace(col, static_cast<int>(s.size()), s);
        };
        for (const Primitive& it : doc.pages[p].items) {
            if (it.kind != PrimitiveKind::Text || it.style < 0)
                continue;
            const TextStyle& st = doc.styles[static_cast<std::size_t>(it.style)];
            const auto lines = measurer.breakLines(it.text, st, it.rect.width());
            const int maxChars = std::max(1, static_cast<int>(std::floor(it.rect.width() / kCellW)));
            const int col = std::max(0, static_cast<int>(std::lround((it.rect.left() + kTextPadX) / kCellW)));
            const int row0 = std::max(0, static_cast<int>(std::lround((it.rect.top() + kTextPadY) / kCellH)));
            for (std::size_t i = 0; i < lines.size(); ++i) {
                QString s = it.text.mid(lines[i].start, lines[i].length);
                s.remove(QLatin1Char('\n'));
                s = s.trimmed();
                if (s.size() > maxChars && st.hAlign != HAlign::Left)
                    s = s.left(maxChars);
                int c = col;
                if (st.hAlign == HAlign::Right)
                    c = std::max(0, col + maxChars - static_cast<int>(s.size()));
                else if (st.hAlign == HAlign::Center)
                    c = std::max(0, col + (maxChars - static_cast<int>(s.size())) / 2);
                put(row0 + static_cast<int>(i), c, s);
            }
        }
        if (p > 0)
            out += QLatin1Char('\f');
        int next = 0;
        for (const auto& [row, text] : grid) {
            for (; next < row; ++next)
                out += QLatin1Char('\n');
            QString t = text;
            while (t.endsWith(QLatin1Char(' ')))
                t.chop(1);
            out += t + QLatin1Char('\n');
            next = row + 1;
        }
    }
    return out;
}

void exportText(const Document& doc, const QString& fileName)
{
    writeFile(fileName, documentText(doc).toUtf8());
}

} // namespace qdr
