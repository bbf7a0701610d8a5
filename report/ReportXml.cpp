#include "ReportXml.h"
#include "FIBError.h"
#include "UFicheros.h"

#include "ReportError.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

namespace qdr {

namespace {

const QString kRoot = QStringLiteral("report");
constexpr double kMaxLength = 10000.0; // millimetres

// Names of enumerations in the file, in enum order.
const QStringList kOrientation = {QStringLiteral("portrait"), QStringLiteral("landscape")};
const QStringList kColumnOrder = {QStringLiteral("across-then-down"), QStringLiteral("down-then-across")};
const QStringList kHAlign = {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right"), QStringLiteral("justify")};
const QStringList kVAlign = {QStringLiteral("top"), QStringLiteral("center"), QStringLiteral("bottom")};
const QStringList kPictureSource = {QStringLiteral("file"), QStringLiteral("field"), QStringLiteral("named")};
const QStringList kBarcodeType = {QStringLiteral("code128"), QStringLiteral("ean13"), QStringLiteral("qr")};
const QStringList kChartType = {QStringLiteral("bar"), QStringLiteral("pie")};
const QStringList kFunction = {QStringLiteral("sum"), QStringLiteral("count"), QStringLiteral("average"),
                               QStringLiteral("minimum"), QStringLiteral("maximum")};
const QStringList kScope = {QStringLiteral("band"), QStringLiteral("page"), QStringLiteral("report")};

QString num(double v)
{
    return QString::number(v, 'g', 10);
}

QString color(Rgba c)
{
    if ((c >> 24) == 0xff)
        return QStringLiteral("#%1").arg(c & 0xffffffu, 6, 16, QLatin1Char('0'));
    return QStringLiteral("#%1").arg(c, 8, 16, QLatin1Char('0'));
}

// ---- writing ---------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(QByteArray* out) : w_(out) { w_.setAutoFormatting(true); }

    void write(const Report& r)
    {
        w_.writeStartDocument();
        w_.writeStartElement(kRoot);
        w_.writeAttribute(QStringLiteral("version"), QString::number(kFormatVersion));
        if (!r.name.isEmpty())
            w_.writeAttribute(QStringLiteral("name"), r.name);
        writePage(r.page);
        for (const Band& b : r.bands)
            writeBand(b);
        w_.writeEndElement();
        w_.writeEndDocument();
    }

private:
    void attr(const char* name, double v, double def)
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), num(v));
    }
    void attr(const char* name, int v, int def)
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), QString::number(v));
    }
    void attr(const char* name, bool v, bool def)
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), v ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void attr(const char* name, const QString& v, const QString& def = {})
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), v);
    }
    void colorAttr(const char* name, Rgba v, Rgba def)
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), color(v));
    }
    template <class E> void enumAttr(const char* name, E v, E def, const QStringList& names)
    {
        if (v != def)
            w_.writeAttribute(QLatin1String(name), names[static_cast<int>(v)]);
    }

    void writePage(const PageSetup& p)
    {
        const PageSetup d;
        if (p == d)
            return;
        w_.writeStartElement(QStringLiteral("page"));
        attr("paper-width", p.paperWidth, d.paperWidth);
        attr("paper-height", p.paperHeight, d.paperHeight);
        enumAttr("orientation", p.orientation, d.orientation, kOrientation);
        attr("margin-left", p.marginLeft, d.marginLeft);
        attr("margin-top", p.marginTop, d.marginTop);
        attr("margin-right", p.marginRight, d.marginRight);
        attr("margin-bottom", p.marginBottom, d.marginBottom);
        attr("columns", p.columns, d.columns);
        attr("column-width", p.columnWidth, d.columnWidth);
        attr("column-gap", p.columnGap, d.columnGap);
        enumAttr("column-order", p.columnOrder, d.columnOrder, kColumnOrder);
        w_.writeEndElement();
    }

    void writeBand(const Band& b)
    {
        const Band d;
        w_.writeStartElement(QStringLiteral("band"));
        w_.writeAttribute(QStringLiteral("kind"), bandKindName(b.kind));
        attr("name", b.name);
        attr("height", b.height, d.height);
        attr("keep-together", b.keepTogether, d.keepTogether);
        attr("start-new-page", b.startNewPage, d.startNewPage);
        attr("stretch", b.stretch, d.stretch);
        attr("repeat", b.repeatOnNewPage, d.repeatOnNewPage);
        attr("first-page", b.printOnFirstPage, d.printOnFirstPage);
        attr("dataset", b.dataSet);
        attr("condition", b.condition);
        for (const auto& o : b.objects)
            writeObject(*o);
        w_.writeEndElement();
    }

    void writeFont(const Font& f)
    {
        const Font d;
        if (f == d)
            return;
        w_.writeStartElement(QStringLiteral("font"));
        attr("family", f.family, d.family);
        attr("size", f.size, d.size);
        attr("bold", f.bold, d.bold);
        attr("italic", f.italic, d.italic);
        attr("underline", f.underline, d.underline);
        colorAttr("color", f.color, d.color);
        w_.writeEndElement();
    }

    // The sides are always written: an empty list takes a default frame away.
    void writeFrame(const Frame& f)
    {
        const Frame d;
        w_.writeStartElement(QStringLiteral("frame"));
        QString sides;
        if (f.left)
            sides += QLatin1Char('l');
        if (f.top)
            sides += QLatin1Char('t');
        if (f.right)
            sides += QLatin1Char('r');
        if (f.bottom)
            sides += QLatin1Char('b');
        w_.writeAttribute(QStringLiteral("sides"), sides);
        attr("width", f.width, d.width);
        colorAttr("color", f.color, d.color);
        w_.writeEndElement();
    }

    void writeTextProps(const TextProps& t)
    {
        const TextProps d;
        enumAttr("halign", t.hAlign, d.hAlign, kHAlign);
        enumAttr("valign", t.vAlign, d.vAlign, kVAlign);
        attr("wrap", t.wordWrap, d.wordWrap);
        attr("stretch", t.stretch, d.stretch);
        attr("split", t.allowSplit, d.allowSplit);
        attr("format", t.displayFormat);
    }

    void writeObject(const ReportObject& o)
    {
        w_.writeStartElement(objectKindName(o.kind));
        attr("name", o.name);
        attr("x", o.x, 0.0);
        attr("y", o.y, 0.0);
        attr("w", o.width, 0.0);
        attr("h", o.height, 0.0);
        switch (o.kind) {
        case ObjectKind::Text: {
            const auto& t = static_cast<const TextObject&>(o);
            attr("text", t.text);
            writeTextProps(t);
            writeCommon(o, TextObject().frame, &t.font);
            break;
        }
        case ObjectKind::Aggregate: {
            const auto& a = static_cast<const AggregateObject&>(o);
            const AggregateObject d;
            enumAttr("function", a.function, d.function, kFunction);
            attr("expression", a.expression);
            attr("data-band", a.dataBand);
            enumAttr("scope", a.scope, d.scope, kScope);
            writeTextProps(a);
            writeCommon(o, d.frame, &a.font);
            break;
        }
        case ObjectKind::Line: {
            const auto& l = static_cast<const LineObject&>(o);
            const LineObject d;
            attr("pen", l.penWidth, d.penWidth);
            colorAttr("color", l.color, d.color);
            writeCommon(o, d.frame, nullptr);
            break;
        }
        case ObjectKind::Rectangle:
            writeCommon(o, RectangleObject().frame, nullptr);
            break;
        case ObjectKind::Picture: {
            const auto& p = static_cast<const PictureObject&>(o);
            const PictureObject d;
            enumAttr("source", p.source, d.source, kPictureSource);
            attr("file", p.fileName);
            attr("expression", p.expression);
            attr("keep-aspect", p.keepAspect, d.keepAspect);
            attr("center", p.center, d.center);
            writeCommon(o, d.frame, nullptr);
            break;
        }
        case ObjectKind::Barcode: {
            const auto& b = static_cast<const BarcodeObject&>(o);
            const BarcodeObject d;
            enumAttr("type", b.type, d.type, kBarcodeType);
            attr("text", b.text);
            attr("show-text", b.showText, d.showText);
            colorAttr("color", b.color, d.color);
            writeCommon(o, d.frame, nullptr);
            break;
        }
        case ObjectKind::Chart: {
            const auto& c = static_cast<const ChartObject&>(o);
            const ChartObject d;
            enumAttr("type", c.type, d.type, kChartType);
            attr("dataset", c.dataSet);
            attr("label", c.labelExpression);
            attr("value", c.valueExpression);
            attr("title", c.title);
            writeCommon(o, d.frame, nullptr);
            break;
        }
        case ObjectKind::RichText: {
            const auto& r = static_cast<const RichTextObject&>(o);
            const RichTextObject d;
            attr("rtf", r.rtf);
            attr("expression", r.expression);
            attr("stretch", r.stretch, d.stretch);
            attr("split", r.allowSplit, d.allowSplit);
            writeCommon(o, d.frame, nullptr);
            break;
        }
        }
        w_.writeEndElement();
    }

    // Attributes and children every object has; the frame's default depends on the kind.
    void writeCommon(const ReportObject& o, const Frame& defaultFrame, const Font* font)
    {
        colorAttr("fill", o.fill, kNoColor);
        if (font)
            writeFont(*font);
        if (!(o.frame == defaultFrame))
            writeFrame(o.frame);
    }

    QXmlStreamWriter w_;
};

// ---- reading ---------------------------------------------------------------------------

class Reader {
public:
    Reader(const QByteArray& xml, const QString& source) : r_(xml), source_(source), empty_(xml.trimmed().isEmpty()) {}

    Report read()
    {
        Report rep;
        if (empty_)
            fail(QStringLiteral("está vacío"));
        // Up to the root element. A format never declares a document type:
        // one that does is refused before any of its entities is expanded
        // (a few kilobytes of nested entities would otherwise take gigabytes).
        while (!r_.atEnd() && !r_.isStartElement()) {
            r_.readNext();
            if (r_.isDTD())
                fail(QStringLiteral("declara un tipo de documento (DTD), que un formato no lleva"));
        }
        if (!r_.isStartElement())
            fail(r_.hasError() ? r_.errorString() : QStringLiteral("está vacío"));
        if (r_.name() != kRoot)
            fail(QStringLiteral("empieza por «%1» y no por «%2»").arg(r_.name().toString(), kRoot));
        const QString ver = r_.attributes().value(QStringLiteral("version")).toString();
        bool ok = false;
        const int version = ver.toInt(&ok);
        if (!ok || version < 1)
            fail(QStringLiteral("no indica su versión"));
        if (version > kFormatVersion)
            fail(QStringLiteral("es de una versión posterior (%1) a la que este programa lee (%2)").arg(version).arg(kFormatVersion));
        rep.name = str("name");
        while (r_.readNextStartElement()) {
            if (r_.name() == QLatin1String("page"))
                readPage(rep.page);
            else if (r_.name() == QLatin1String("band"))
                readBand(rep.bands.emplace_back());
            else
                unknown();
        }
        if (r_.hasError())
            fail(r_.errorString());
        // Nothing but comments and white space may follow the root element.
        while (!r_.atEnd()) {
            r_.readNext();
            if (r_.isStartElement() || (r_.isCharacters() && !r_.isWhitespace()))
                fail(QStringLiteral("tiene contenido después del final"));
        }
        if (r_.hasError())
            fail(r_.errorString());
        return rep;
    }

private:
    [[noreturn]] void fail(const QString& why) const
    {
        const QString name = source_.isEmpty() ? QStringLiteral("El formato") : QStringLiteral("El fichero «%1»").arg(source_);
        throw EReportError(QStringLiteral("%1 no es un formato de informe válido (línea %2): %3")
                               .arg(name)
                               .arg(r_.lineNumber())
                               .arg(why));
    }

    [[noreturn]] void unknown() const { fail(QStringLiteral("elemento desconocido «%1»").arg(r_.name().toString())); }

    bool has(const char* name) const { return r_.attributes().hasAttribute(QLatin1String(name)); }
    QString str(const char* name, const QString& def = {}) const
    {
        return has(name) ? r_.attributes().value(QLatin1String(name)).toString() : def;
    }
    double number(const char* name, double def, double lo, double hi) const
    {
        if (!has(name))
            return def;
        bool ok = false;
        const double v = r_.attributes().value(QLatin1String(name)).toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < lo || v > hi)
            fail(QStringLiteral("el valor de «%1» no es válido").arg(QLatin1String(name)));
        return v;
    }
    double length(const char* name, double def) const { return number(name, def, -kMaxLength, kMaxLength); }
    double size(const char* name, double def) const { return number(name, def, 0.0, kMaxLength); }
    bool flag(const char* name, bool def) const
    {
        if (!has(name))
            return def;
        const QString v = str(name);
        if (v == QLatin1String("1"))
            return true;
        if (v == QLatin1String("0"))
            return false;
        fail(QStringLiteral("«%1» debe ser 0 o 1").arg(QLatin1String(name)));
    }
    Rgba colorValue(const char* name, Rgba def) const
    {
        if (!has(name))
            return def;
        const QString v = str(name);
        bool ok = false;
        const uint c = v.mid(1).toUInt(&ok, 16);
        if (!v.startsWith(QLatin1Char('#')) || !ok || (v.size() != 7 && v.size() != 9))
            fail(QStringLiteral("el color «%1» no es válido").arg(v));
        return v.size() == 7 ? (0xff000000u | c) : c;
    }
    template <class E> E enumValue(const char* name, E def, const QStringList& names) const
    {
        if (!has(name))
            return def;
        const int i = names.indexOf(str(name));
        if (i < 0)
            fail(QStringLiteral("«%1» no admite «%2»").arg(QLatin1String(name), str(name)));
        return static_cast<E>(i);
    }
    void noChildren()
    {
        if (r_.readNextStartElement())
            unknown();
    }

    void readPage(PageSetup& p)
    {
        p.paperWidth = number("paper-width", p.paperWidth, 1.0, kMaxLength);
        p.paperHeight = number("paper-height", p.paperHeight, 1.0, kMaxLength);
        p.orientation = enumValue("orientation", p.orientation, kOrientation);
        p.marginLeft = size("margin-left", p.marginLeft);
        p.marginTop = size("margin-top", p.marginTop);
        p.marginRight = size("margin-right", p.marginRight);
        p.marginBottom = size("margin-bottom", p.marginBottom);
        p.columns = static_cast<int>(number("columns", p.columns, 1, 100));
        p.columnWidth = size("column-width", p.columnWidth);
        p.columnGap = size("column-gap", p.columnGap);
        p.columnOrder = enumValue("column-order", p.columnOrder, kColumnOrder);
        if (p.marginLeft + p.marginRight >= p.pageWidth() || p.marginTop + p.marginBottom >= p.pageHeight())
            fail(QStringLiteral("los márgenes no dejan sitio en la página"));
        noChildren();
    }

    void readBand(Band& b)
    {
        if (!bandKindFromName(str("kind"), &b.kind))
            fail(QStringLiteral("la banda es de un tipo desconocido «%1»").arg(str("kind")));
        b.name = str("name");
        b.height = size("height", b.height);
        b.keepTogether = flag("keep-together", b.keepTogether);
        b.startNewPage = flag("start-new-page", b.startNewPage);
        b.stretch = flag("stretch", b.stretch);
        b.repeatOnNewPage = flag("repeat", b.repeatOnNewPage);
        b.printOnFirstPage = flag("first-page", b.printOnFirstPage);
        b.dataSet = str("dataset");
        b.condition = str("condition");
        cuenta();
        while (r_.readNextStartElement()) {
            cuenta();
            b.objects.push_back(readObject());
        }
    }

    // Bands and objects of the whole format: past the bound it is refused
    // while it is read, long before a layout would take minutes and gigabytes.
    void cuenta()
    {
        if (++objects_ > kMaxObjects)
            fail(QStringLiteral("tiene más de %1 bandas y objetos, más de los que tiene un informe real").arg(kMaxObjects));
    }

    void readTextProps(TextProps& t)
    {
        t.hAlign = enumValue("halign", t.hAlign, kHAlign);
        t.vAlign = enumValue("valign", t.vAlign, kVAlign);
        t.wordWrap = flag("wrap", t.wordWrap);
        t.stretch = flag("stretch", t.stretch);
        t.allowSplit = flag("split", t.allowSplit);
        t.displayFormat = str("format");
    }

    std::unique_ptr<ReportObject> readObject()
    {
        const QString kind = r_.name().toString();
        std::unique_ptr<ReportObject> obj;
        Font* font = nullptr;
        if (kind == QLatin1String("text")) {
            auto t = std::make_unique<TextObject>();
            t->text = str("text");
            readTextProps(*t);
            font = &t->font;
            obj = std::move(t);
        } else if (kind == QLatin1String("aggregate")) {
            auto a = std::make_unique<AggregateObject>();
            a->function = enumValue("function", a->function, kFunction);
            a->expression = str("expression");
            a->dataBand = str("data-band");
            a->scope = enumValue("scope", a->scope, kScope);
            readTextProps(*a);
            font = &a->font;
            obj = std::move(a);
        } else if (kind == QLatin1String("line")) {
            auto l = std::make_unique<LineObject>();
            l->penWidth = number("pen", l->penWidth, 0.0, 100.0);
            l->color = colorValue("color", l->color);
            obj = std::move(l);
        } else if (kind == QLatin1String("rectangle")) {
            obj = std::make_unique<RectangleObject>();
        } else if (kind == QLatin1String("picture")) {
            auto p = std::make_unique<PictureObject>();
            p->source = enumValue("source", p->source, kPictureSource);
            p->fileName = str("file");
            p->expression = str("expression");
            p->keepAspect = flag("keep-aspect", p->keepAspect);
            p->center = flag("center", p->center);
            obj = std::move(p);
        } else if (kind == QLatin1String("barcode")) {
            auto b = std::make_unique<BarcodeObject>();
            b->type = enumValue("type", b->type, kBarcodeType);
            b->text = str("text");
            b->showText = flag("show-text", b->showText);
            b->color = colorValue("color", b->color);
            obj = std::move(b);
        } else if (kind == QLatin1String("chart")) {
            auto c = std::make_unique<ChartObject>();
            c->type = enumValue("type", c->type, kChartType);
            c->dataSet = str("dataset");
            c->labelExpression = str("label");
            c->valueExpression = str("value");
            c->title = str("title");
            obj = std::move(c);
        } else if (kind == QLatin1String("richtext")) {
            auto r = std::make_unique<RichTextObject>();
            r->rtf = str("rtf");
            r->expression = str("expression");
            r->stretch = flag("stretch", r->stretch);
            r->allowSplit = flag("split", r->allowSplit);
            obj = std::move(r);
        } else {
            unknown();
        }
        obj->name = str("name");
        obj->x = length("x", 0.0);
        obj->y = length("y", 0.0);
        obj->width = size("w", 0.0);
        obj->height = kind == QLatin1String("line") ? length("h", 0.0) : size("h", 0.0);
        obj->fill = colorValue("fill", kNoColor);
        while (r_.readNextStartElement()) {
            if (r_.name() == QLatin1String("font") && font) {
                font->family = str("family", font->family);
                font->size = number("size", font->size, 1.0, 500.0);
                font->bold = flag("bold", font->bold);
                font->italic = flag("italic", font->italic);
                font->underline = flag("underline", font->underline);
                font->color = colorValue("color", font->color);
                noChildren();
            } else if (r_.name() == QLatin1String("frame")) {
                const QString sides = str("sides");
                for (QChar c : sides)
                    if (!QStringLiteral("ltrb").contains(c))
                        fail(QStringLiteral("lados de marco desconocidos «%1»").arg(sides));
                obj->frame.left = sides.contains(QLatin1Char('l'));
                obj->frame.top = sides.contains(QLatin1Char('t'));
                obj->frame.right = sides.contains(QLatin1Char('r'));
                obj->frame.bottom = sides.contains(QLatin1Char('b'));
                obj->frame.width = number("width", Frame().width, 0.0, 100.0);
                obj->frame.color = colorValue("color", Frame().color);
                noChildren();
            } else {
                unknown();
            }
        }
        return obj;
    }

    QXmlStreamReader r_;
    QString source_;
    bool empty_;
    int objects_ = 0;
};

} // namespace

Report reportFromXml(const QByteArray& xml, const QString& sourceName)
{
    Reader reader(xml, sourceName);
    return reader.read();
}

Report loadReport(const QString& fileName)
{
    QByteArray bytes;
    try {
        bytes = LeeFicheroAcotado(fileName, kMaxFormatBytes);
    } catch (const EAviso& e) {
        throw EReportError(e.Message());
    }
    return reportFromXml(bytes, fileName);
}

QByteArray reportToXml(const Report& report)
{
    QByteArray out;
    Writer w(&out);
    w.write(report);
    return out;
}

void saveReport(const Report& report, const QString& fileName)
{
    QSaveFile f(fileName);
    const QByteArray bytes = reportToXml(report);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw EReportError(QStringLiteral("No se puede escribir el fichero «%1»").arg(fileName));
}

} // namespace qdr
