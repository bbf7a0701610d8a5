#include "DesignerRender.h"

#include "DesignerDocument.h"

#include "ReportData.h"
#include "ReportError.h"
#include "ReportLayout.h"
#include "ReportPainter.h"

#include <QImage>

#include <cmath>

namespace qdr {

namespace {

const QString kSampleSet = QStringLiteral("Muestra");

// A text expression whose value is `text` itself: the template shown as typed.
QString literalTemplate(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1String("['") + quoted + QLatin1String("']");
}

void copyBase(const ReportObject& from, ReportObject& to)
{
    to.name = from.name;
    to.width = from.width;
    to.height = from.height;
    to.frame = from.frame;
    to.fill = from.fill;
}

std::unique_ptr<TextObject> textStandIn(const ReportObject& from, const TextProps& props, const QString& shown)
{
    auto t = std::make_unique<TextObject>();
    copyBase(from, *t);
    static_cast<TextProps&>(*t) = props;
    t->stretch = false;
    // A template with expressions shows on one line: its lines when printed
    // are the values', not the template's.
    if (shown.contains(QLatin1Char('[')))
        t->wordWrap = false;
    t->text = literalTemplate(shown);
    return t;
}

// Grey box with a sun and a hill, the shape of the object's box.
QImage picturePlaceholder(double widthMm, double heightMm)
{
    const int w = std::max(8, static_cast<int>(std::lround(widthMm * 8)));
    const int h = std::max(8, static_cast<int>(std::lround(heightMm * 8)));
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0xe8, 0xec, 0xf0));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xc0, 0x40));
    const double r = std::min(w, h) * 0.12;
    p.drawEllipse(QPointF(w * 0.7, h * 0.3), r, r);
    p.setBrush(QColor(0x8a, 0xa8, 0x8a));
    QPolygonF hill;
    hill << QPointF(0, h) << QPointF(w * 0.35, h * 0.45) << QPointF(w * 0.6, h * 0.75) << QPointF(w * 0.8, h * 0.6)
         << QPointF(w, h);
    p.drawPolygon(hill);
    return img;
}

QString barcodeSample(BarcodeType type)
{
    switch (type) {
    case BarcodeType::Ean13:
        return QStringLiteral("590123412345");
    case BarcodeType::QrCode:
        return QStringLiteral("QuorumDesk");
    case BarcodeType::Code128:
        break;
    }
    return QStringLiteral("123456");
}

Document errorDocument(const ReportObject& o, const QString& message)
{
    Document doc;
    Page page;
    page.width = o.width;
    page.height = o.height;
    TextStyle st;
    st.font.size = 7;
    st.font.color = 0xffc00000u;
    Primitive p;
    p.kind = PrimitiveKind::Text;
    p.rect = QRectF(0, 0, o.width, o.height);
    p.text = message;
    p.style = doc.addStyle(st);
    page.items.push_back(p);
    doc.pages.push_back(std::move(page));
    return doc;
}

} // namespace

QString aggregateCaption(const AggregateObject& a)
{
    QString fn;
    switch (a.function) {
    case AggregateFunction::Sum:
        fn = QStringLiteral("Suma");
        break;
    case AggregateFunction::Count:
        fn = QStringLiteral("Cuenta");
        break;
    case AggregateFunction::Average:
        fn = QStringLiteral("Media");
        break;
    case AggregateFunction::Minimum:
        fn = QStringLiteral("Mínimo");
        break;
    case AggregateFunction::Maximum:
        fn = QStringLiteral("Máximo");
        break;
    }
    return fn + QLatin1Char('(') + a.expression + QLatin1Char(')');
}

Document designDocument(const ReportObject& object)
{
    // The object alone on a page its size, laid out by the engine.
    Report mini;
    mini.name = object.name;
    mini.page.paperWidth = std::max(object.width, 0.0) + 1.0;
    mini.page.paperHeight = std::max(object.height, 0.0) + 1.0;
    mini.page.marginLeft = mini.page.marginTop = mini.page.marginRight = mini.page.marginBottom = 0.0;
    Band& band = mini.addBand(BandKind::ReportTitle, std::max(object.height, 0.0));

    ReportData data;
    MemoryDataSource sample({QStringLiteral("L"), QStringLiteral("V")});
    sample.addRow({QStringLiteral("A"), 3});
    sample.addRow({QStringLiteral("B"), 5});
    sample.addRow({QStringLiteral("C"), 2});
    sample.addRow({QStringLiteral("D"), 4});
    data.addDataSet(kSampleSet, &sample);

    std::unique_ptr<ReportObject> copy;
    switch (object.kind) {
    case ObjectKind::Text: {
        const auto& t = static_cast<const TextObject&>(object);
        copy = textStandIn(object, t, t.text);
        break;
    }
    case ObjectKind::Aggregate: {
        const auto& a = static_cast<const AggregateObject&>(object);
        copy = textStandIn(object, a, QLatin1Char('[') + aggregateCaption(a) + QLatin1Char(']'));
        break;
    }
    case ObjectKind::Picture: {
        auto p = std::unique_ptr<PictureObject>(static_cast<PictureObject*>(object.clone().release()));
        const bool fromFile = p->source == PictureSource::File && !QImage(p->fileName).isNull();
        if (!fromFile) {
            p->source = PictureSource::Named;
            if (p->name.isEmpty())
                p->name = QStringLiteral("Imagen");
            data.setPicture(p->name, picturePlaceholder(p->width, p->height));
            p->keepAspect = false;
        }
        copy = std::move(p);
        break;
    }
    case ObjectKind::Barcode: {
        auto b = std::unique_ptr<BarcodeObject>(static_cast<BarcodeObject*>(object.clone().release()));
        if (b->text.contains(QLatin1Char('[')) || b->text.isEmpty())
            b->text = barcodeSample(b->type);
        copy = std::move(b);
        break;
    }
    case ObjectKind::Chart: {
        auto c = std::unique_ptr<ChartObject>(static_cast<ChartObject*>(object.clone().release()));
        c->dataSet = kSampleSet;
        c->labelExpression = fieldExpression(kSampleSet, QStringLiteral("L"));
        c->valueExpression = fieldExpression(kSampleSet, QStringLiteral("V"));
        copy = std::move(c);
        break;
    }
    case ObjectKind::RichText: {
        const auto& r = static_cast<const RichTextObject&>(object);
        if (!r.expression.isEmpty()) {
            TextProps props;
            props.font.size = 8;
            copy = textStandIn(object, props, QLatin1Char('[') + r.expression + QLatin1Char(']'));
        } else {
            auto c = std::unique_ptr<RichTextObject>(static_cast<RichTextObject*>(object.clone().release()));
            c->stretch = false;
            copy = std::move(c);
        }
        break;
    }
    case ObjectKind::Line:
    case ObjectKind::Rectangle:
        copy = object.clone();
        break;
    }
    copy->x = 0;
    copy->y = 0;
    band.objects.push_back(std::move(copy));
    try {
        Document doc = layoutReport(mini, data);
        if (doc.pages.size() > 1)
            doc.pages.resize(1);
        return doc;
    } catch (const EReportError& e) {
        return errorDocument(object, e.message());
    }
}

void paintDesignDocument(QPainter& painter, const Document& doc)
{
    // One device unit per millimetre: the painter already works in millimetres.
    paintPage(painter, doc, 0, 25.4);
}

} // namespace qdr
