#include "ReportChart.h"

#include "UFormatos.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qdr {

namespace {
const QColor kPalette[] = {
    QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0xe1, 0x57, 0x59), QColor(0x76, 0xb7, 0xb2),
    QColor(0x59, 0xa1, 0x4f), QColor(0xed, 0xc9, 0x48), QColor(0xb0, 0x7a, 0xa1), QColor(0xff, 0x9d, 0xa7),
    QColor(0x9c, 0x75, 0x5f), QColor(0xba, 0xb0, 0xac),
};
constexpr int kPaletteSize = sizeof(kPalette) / sizeof(kPalette[0]);

QString valueText(double v)
{
    return FormatoNumero(v, QStringLiteral("#,##0.##"));
}
} // namespace

QImage renderChart(ChartType type, const QString& title, const std::vector<ChartPoint>& points, QSizeF sizeMm,
                   double dpi)
{
    const int w = std::max(1, static_cast<int>(std::lround(sizeMm.width() / 25.4 * dpi)));
    const int h = std::max(1, static_cast<int>(std::lround(sizeMm.height() / 25.4 * dpi)));
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(8.0 / 72.0 * dpi))));
    p.setFont(font);
    const QFontMetricsF fm(font);
    const double pad = fm.height() * 0.5;
    QRectF area(pad, pad, w - 2 * pad, h - 2 * pad);
    if (!title.isEmpty()) {
        QFont bold = font;
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(QRectF(area.left(), area.top(), area.width(), fm.height()), Qt::AlignCenter, title);
        p.setFont(font);
        area.setTop(area.top() + fm.height() * 1.5);
    }
    if (points.empty() || area.width() <= 0 || area.height() <= 0)
        return img;

    if (type == ChartType::Bar) {
        double maxV = 0.0;
        double minV = 0.0;
        for (const ChartPoint& pt : points) {
            maxV = std::max(maxV, pt.value);
            minV = std::min(minV, pt.value);
        }
        const double span = maxV - minV > 0 ? maxV - minV : 1.0;
        const QRectF plot(area.left(), area.top() + fm.height(), area.width(), area.height() - 2.2 * fm.height());
        const double zeroY = plot.bottom() - (0.0 - minV) / span * plot.height();
        const double slot = plot.width() / static_cast<double>(points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double x = plot.left() + slot * static_cast<double>(i) + slot * 0.15;
            const double barY = plot.bottom() - (points[i].value - minV) / span * plot.height();
            const QRectF bar(x, std::min(barY, zeroY), slot * 0.7, std::abs(zeroY - barY));
            p.fillRect(bar, kPalette[i % kPaletteSize]);
            p.setPen(Qt::black);
            p.drawText(QRectF(x - slot * 0.15, bar.top() - fm.height(), slot, fm.height()), Qt::AlignCenter,
                       valueText(points[i].value));
            p.drawText(QRectF(x - slot * 0.15, plot.bottom() + fm.height() * 0.2, slot, fm.height()),
                       Qt::AlignCenter, fm.elidedText(points[i].label, Qt::ElideRight, slot));
        }
        p.setPen(QPen(Qt::black, std::max(1.0, dpi / 150.0)));
        p.drawLine(QPointF(plot.left(), zeroY), QPointF(plot.right(), zeroY));
        return img;
    }

    double total = 0.0;
    for (const ChartPoint& pt : points)
        total += std::max(0.0, pt.value);
    const double legendW = area.width() * 0.45;
    const double d = std::min(area.width() - legendW - pad, area.height());
    const QRectF pie(area.left(), area.top() + (area.height() - d) / 2, d, d);
    int start = 90 * 16;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double v = std::max(0.0, points[i].value);
        const int span = total > 0 ? static_cast<int>(std::lround(-v / total * 360.0 * 16.0)) : 0;
        p.setBrush(kPalette[i % kPaletteSize]);
        p.setPen(QPen(Qt::white, std::max(1.0, dpi / 150.0)));
        if (span != 0)
            p.drawPie(pie, start, span);
        start += span;
        const double ly = area.top() + fm.height() * 1.3 * static_cast<double>(i);
        if (ly + fm.height() > area.bottom())
            continue;
        const double lx = area.right() - legendW;
        p.fillRect(QRectF(lx, ly + fm.height() * 0.2, fm.height() * 0.6, fm.height() * 0.6), kPalette[i % kPaletteSize]);
        p.setPen(Qt::black);
        p.drawText(QRectF(lx + fm.height(), ly, legendW - fm.height(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(points[i].label + QStringLiteral(": ") + valueText(points[i].value), Qt::ElideRight,
                                 legendW - fm.height()));
    }
    return img;
}

} // namespace qdr
