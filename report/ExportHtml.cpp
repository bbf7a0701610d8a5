#include "ReportError.h"
#include "ReportExport.h"
#include "TextMetrics.h"

#include <QBuffer>
#include <QFile>

namespace qdr {

namespace {
QString mm(double v)
{
    return QString::number(v, 'f', 2) + QStringLiteral("mm");
}

QString cssColor(Rgba c)
{
    const QColor q = QColor::fromRgba(c);
    if (q.alpha() == 255)
        return q.name(QColor::HexRgb);
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(q.red()).arg(q.green()).arg(q.blue()).arg(q.alphaF(), 0, 'f', 3);
}

QString styleCss(const TextStyle& st, double lineHeight)
{
    QString css = QStringLiteral("font-family:'%1';font-size:%2pt;line-height:%3;color:%4;")
                      .arg(QString(st.font.family).remove(QLatin1Char('\'')).toHtmlEscaped())
                      .arg(st.font.size)
                      .arg(mm(lineHeight))
                      .arg(cssColor(st.font.color));
    if (st.font.bold)
        css += QStringLiteral("font-weight:bold;");
    if (st.font.italic)
        css += QStringLiteral("font-style:italic;");
    if (st.font.underline)
        css += QStringLiteral("text-decoration:underline;");
    static const char* const kAlign[] = {"left", "center", "right", "justify"};
    css += QStringLiteral("text-align:%1;").arg(QLatin1String(kAlign[static_cast<int>(st.hAlign)]));
    static const char* const kV[] = {"flex-start", "center", "flex-end"};
    css += QStringLiteral("justify-content:%1;").arg(QLatin1String(kV[static_cast<int>(st.vAlign)]));
    css += st.wordWrap ? QStringLiteral("white-space:pre-wrap;") : QStringLiteral("white-space:pre;");
    return css;
}
} // namespace

QString documentHtml(const Document& doc)
{
    TextMeasurer measurer;
    QString h;
    h += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n<style>\n")
             .arg(doc.title.toHtmlEscaped());
    h += QStringLiteral("body{background:#ddd;margin:0;padding:4mm 0}\n"
                        ".page{position:relative;background:#fff;margin:0 auto 4mm auto;overflow:hidden}\n"
                        ".t{position:absolute;box-sizing:border-box;overflow:hidden;display:flex;flex-direction:column;"
                        "padding:%1 %2}\n"
                        ".t>span{display:block}\n"
                        ".r,.i,.l{position:absolute}\n"
                        "svg.l{overflow:visible}\n")
             .arg(mm(kTextPadY), mm(kTextPadX));
    for (std::size_t i = 0; i < doc.styles.size(); ++i)
        h += QStringLiteral(".s%1{%2}\n").arg(i).arg(styleCss(doc.styles[i], measurer.lineHeight(doc.styles[i])));
    for (std::size_t i = 0; i < doc.images.size(); ++i) {
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        doc.images[i].save(&buf, "PNG");
        h += QStringLiteral(".m%1{background:url(data:image/png;base64,%2) no-repeat;background-size:100% 100%}\n")
                 .arg(i)
                 .arg(QString::fromLatin1(png.toBase64()));
    }
    h += QStringLiteral("</style>\n</head>\n<body>\n");
    for (const Page& page : doc.pages) {
        h += QStringLiteral("<div class=\"page\" style=\"width:%1;height:%2\">\n").arg(mm(page.width), mm(page.height));
        QString lines;
        for (const Primitive& it : page.items) {
            switch (it.kind) {
            case PrimitiveKind::Text:
                h += QStringLiteral("<div class=\"t s%1\" style=\"left:%2;top:%3;width:%4;height:%5\"><span>%6</span></div>\n")
                         .arg(it.style)
                         .arg(mm(it.rect.left()), mm(it.rect.top()), mm(it.rect.width()), mm(it.rect.height()),
                              it.text.toHtmlEscaped());
                break;
            case PrimitiveKind::Rect:
                h += QStringLiteral("<div class=\"r\" style=\"left:%1;top:%2;width:%3;height:%4;background:%5\"></div>\n")
                         .arg(mm(it.rect.left()), mm(it.rect.top()), mm(it.rect.width()), mm(it.rect.height()),
                              cssColor(it.color));
                break;
            case PrimitiveKind::Image:
                h += QStringLiteral("<div class=\"i m%1\" style=\"left:%2;top:%3;width:%4;height:%5\"></div>\n")
                         .arg(it.image)
                         .arg(mm(it.rect.left()), mm(it.rect.top()), mm(it.rect.width()), mm(it.rect.height()));
                break;
            case PrimitiveKind::Line:
                lines += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>\n")
                             .arg(it.rect.left())
                             .arg(it.rect.top())
                             .arg(it.rect.right())
                             .arg(it.rect.bottom())
                             .arg(cssColor(it.color))
                             .arg(static_cast<double>(it.penWidth));
                break;
            }
        }
        // Lines in one drawing over the page, in millimetres.
        if (!lines.isEmpty())
            h += QStringLiteral("<svg class=\"l\" style=\"left:0;top:0\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %3 %4\" "
                                "stroke-linecap=\"square\">\n%5</svg>\n")
                     .arg(mm(page.width), mm(page.height))
                     .arg(page.width)
                     .arg(page.height)
                     .arg(lines);
        h += QStringLiteral("</div>\n");
    }
    h += QStringLiteral("</body>\n</html>\n");
    return h;
}

void exportHtml(const Document& doc, const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(documentHtml(doc).toUtf8()) < 0 || !f.flush())
        throw EReportError(QStringLiteral("No se puede escribir el fichero «%1»").arg(fileName));
}

} // namespace qdr
