#include "ReportPainter.h"

#include "TextMetrics.h"

#include <QTextLayout>

#include <cmath>

namespace qdr {

namespace {
QColor qcolor(Rgba c)
{
    return QColor::fromRgba(c);
}
} // namespace

void paintPage(QPainter& painter, const Document& doc, int index, double dpi)
{
    if (index < 0 || index >= static_cast<int>(doc.pages.size()))
        return;
    const Page& page = doc.pages[static_cast<std::size_t>(index)];
    TextMeasurer measurer;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Millimetres to device pixels.
    const double scale = dpi / 25.4;
    painter.scale(scale, scale);
    for (const Primitive& it : page.items) {
        switch (it.kind) {
        case PrimitiveKind::Rect:
            painter.fillRect(it.rect, qcolor(it.color));
            break;
        case PrimitiveKind::Line: {
            QPen pen(qcolor(it.color));
            pen.setWidthF(std::max(0.05, static_cast<double>(it.penWidth)));
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            painter.drawLine(it.rect.topLeft(), it.rect.bottomRight());
            break;
        }
        case PrimitiveKind::Image:
            if (it.image >= 0 && it.image < static_cast<int>(doc.images.size()))
                painter.drawImage(it.rect, doc.images[static_cast<std::size_t>(it.image)]);
            break;
        case PrimitiveKind::Text: {
            if (it.style < 0 || it.style >= static_cast<int>(doc.styles.size()) || it.text.isEmpty())
                break;
            const TextStyle& st = doc.styles[static_cast<std::size_t>(it.style)];
            QTextLayout layout;
            measurer.layoutForPainting(layout, it.text, st, it.rect.width());
            const double textH = layout.lineCount() > 0
                ? (layout.lineAt(layout.lineCount() - 1).y() + measurer.lineHeight(st) / kMmPerRefUnit) * kMmPerRefUnit
                : 0.0;
            double top = it.rect.top() + kTextPadY;
            const double inner = it.rect.height() - 2 * kTextPadY;
            if (st.vAlign == VAlign::Center)
                top += (inner - textH) / 2;
            else if (st.vAlign == VAlign::Bottom)
                top += inner - textH;
            painter.save();
            painter.setClipRect(it.rect.adjusted(-0.2, -0.2, 0.2, 0.2));
            painter.translate(it.rect.left() + kTextPadX, top);
            painter.scale(kMmPerRefUnit, kMmPerRefUnit);
            painter.setPen(qcolor(st.font.color));
            layout.draw(&painter, QPointF(0, 0));
            painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

QImage renderPageImage(const Document& doc, int index, double dpi)
{
    if (index < 0 || index >= static_cast<int>(doc.pages.size()))
        return {};
    const Page& page = doc.pages[static_cast<std::size_t>(index)];
    const int w = std::max(1, static_cast<int>(std::lround(page.width / 25.4 * dpi)));
    const int h = std::max(1, static_cast<int>(std::lround(page.height / 25.4 * dpi)));
    QImage img(w, h, QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    img.fill(Qt::white);
    QPainter painter(&img);
    paintPage(painter, doc, index, dpi);
    return img;
}

} // namespace qdr
