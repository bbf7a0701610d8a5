#include "ReportDocument.h"

#include <algorithm>
#include <cmath>

namespace qdr {

int Document::addStyle(const TextStyle& style)
{
    for (std::size_t i = 0; i < styles.size(); ++i)
        if (styles[i] == style)
            return static_cast<int>(i);
    styles.push_back(style);
    return static_cast<int>(styles.size() - 1);
}

int Document::addImage(const QImage& image)
{
    for (std::size_t i = 0; i < images.size(); ++i)
        if (images[i].cacheKey() == image.cacheKey())
            return static_cast<int>(i);
    images.push_back(image);
    return static_cast<int>(images.size() - 1);
}

std::size_t Document::primitiveCount() const
{
    std::size_t n = 0;
    for (const Page& p : pages)
        n += p.items.size();
    return n;
}

namespace {
QString mm(double v)
{
    return QString::number(v, 'f', 1);
}
} // namespace

QString dumpDocument(const Document& doc)
{
    static const char* const kKinds[] = {"text", "line", "rect", "image"};
    QString out;
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        const Page& page = doc.pages[p];
        out += QStringLiteral("page %1 %2x%3\n").arg(p + 1).arg(mm(page.width), mm(page.height));
        for (const Primitive& it : page.items) {
            out += QStringLiteral("  %1#%2%3 %4 ")
                       .arg(bandKindName(it.band))
                       .arg(it.bandInstance)
                       .arg(it.repeated ? QStringLiteral("r") : QString())
                       .arg(QLatin1String(kKinds[static_cast<int>(it.kind)]));
            if (it.kind == PrimitiveKind::Line) {
                out += QStringLiteral("%1,%2-%3,%4")
                           .arg(mm(it.rect.left()), mm(it.rect.top()), mm(it.rect.right()), mm(it.rect.bottom()));
            } else {
                out += QStringLiteral("%1,%2 %3x%4")
                           .arg(mm(it.rect.left()), mm(it.rect.top()), mm(it.rect.width()), mm(it.rect.height()));
            }
            if (it.kind == PrimitiveKind::Text) {
                QString t = it.text;
                t.replace(QLatin1Char('\n'), QLatin1String("\\n"));
                out += QStringLiteral(" \"%1\"").arg(t);
            }
            out += QLatin1Char('\n');
        }
    }
    return out;
}

std::vector<QStringList> dataRows(const Document& doc)
{
    std::vector<QStringList> rows;
    struct Cell {
        double y;
        double x;
        double width;
        QString text;
    };
    std::vector<Cell> cells;
    int current = -1;
    auto flush = [&] {
        if (cells.empty())
            return;
        // Reading order inside the band: top to bottom, then left to right.
        std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) {
            return a.y != b.y ? a.y < b.y : a.x < b.x;
        });
        QStringList row;
        for (Cell& c : cells)
            row << c.text;
        rows.push_back(row);
        cells.clear();
    };
    for (const Page& page : doc.pages) {
        for (const Primitive& it : page.items) {
            if (it.kind != PrimitiveKind::Text || it.repeated || it.band == BandKind::PageHeader
                || it.band == BandKind::PageFooter)
                continue;
            if (it.bandInstance != current) {
                flush();
                current = it.bandInstance;
            }
            if (it.continued) {
                // The rest of a split text joins the cell it continues.
                auto same = std::find_if(cells.rbegin(), cells.rend(), [&](const Cell& c) {
                    return std::abs(c.x - it.rect.left()) < 1e-6 && std::abs(c.width - it.rect.width()) < 1e-6;
                });
                if (same != cells.rend()) {
                    same->text += QLatin1Char('\n') + it.text;
                    continue;
                }
            }
            cells.push_back({it.rect.top(), it.rect.left(), it.rect.width(), it.text});
        }
    }
    flush();
    return rows;
}

} // namespace qdr
