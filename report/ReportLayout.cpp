#include "ReportLayout.h"

#include "ReportBarcode.h"
#include "ReportChart.h"
#include "ReportError.h"
#include "ReportExpr.h"
#include "ReportFormat.h"
#include "UFormatos.h"
#include "ReportRichText.h"
#include "TextMetrics.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace qdr {

namespace {

constexpr double kEps = 1e-6;
// A band that runs over more pages than this is a format error, not a report.
constexpr int kMaxPagesPerBand = 1000;

// Wraps a dataset so footers printed after the cursor has moved on (a group
// change, the end of the rows) still read the row they close.
class CursorProxy : public DataSource {
public:
    explicit CursorProxy(DataSource* real) : real_(real) {}
    QStringList fieldNames() const override { return real_->fieldNames(); }
    int fieldIndex(const QString& name) const override { return real_->fieldIndex(name); }
    QVariant value(int field) const override
    {
        if (showPrevious_)
            return field >= 0 && field < previous_.size() ? previous_[field] : QVariant();
        return real_->value(field);
    }
    void first() override { real_->first(); }
    void next() override { real_->next(); }
    bool eof() const override { return real_->eof(); }
    void masterMoved() override { real_->masterMoved(); }

    void remember()
    {
        const int n = static_cast<int>(real_->fieldNames().size());
        previous_.resize(n);
        for (int i = 0; i < n; ++i)
            previous_[i] = real_->value(i);
    }
    void setShowPrevious(bool on) { showPrevious_ = on; }

private:
    DataSource* real_;
    QVariantList previous_;
    bool showPrevious_ = false;
};

struct Aggregate {
    const AggregateObject* object = nullptr;
    Expression expression;
    int dataBand = -1;
    double sum = 0.0;
    qlonglong count = 0;
    QVariant minimum;
    QVariant maximum;

    void reset()
    {
        sum = 0.0;
        count = 0;
        minimum = QVariant();
        maximum = QVariant();
    }
    void add(const EvalContext& ctx)
    {
        if (object->function == AggregateFunction::Count && expression.isEmpty()) {
            ++count;
            return;
        }
        const QVariant v = expression.evaluate(ctx);
        if (v.isNull() || !v.isValid())
            return;
        ++count;
        bool ok = false;
        const double d = toNumber(v, &ok);
        if (ok)
            sum += d;
        auto less = [](const QVariant& a, const QVariant& b) {
            bool okA = false;
            bool okB = false;
            const double x = toNumber(a, &okA);
            const double y = toNumber(b, &okB);
            if (okA && okB)
                return x < y;
            if (isDateTime(a) && isDateTime(b))
                return a.toDateTime() < b.toDateTime();
            return displayText(a) < displayText(b);
        };
        if (minimum.isNull() || less(v, minimum))
            minimum = v;
        if (maximum.isNull() || less(maximum, v))
            maximum = v;
    }
    QVariant value() const
    {
        switch (object->function) {
        case AggregateFunction::Sum:
            return sum;
        case AggregateFunction::Count:
            return count;
        case AggregateFunction::Average:
            return count ? QVariant(sum / static_cast<double>(count)) : QVariant();
        case AggregateFunction::Minimum:
            return minimum;
        case AggregateFunction::Maximum:
            return maximum;
        }
        return {};
    }
};

struct CompiledObject {
    const ReportObject* object = nullptr;
    TextTemplate text;       // text, barcode
    Expression expression;   // picture field, rich text field
    Expression label;        // chart
    Expression value;        // chart
    DataSource* chartSource = nullptr;
    int style = -1;
    int aggregate = -1;
    QImage fileImage; // picture from a file, read once
};

struct CompiledBand {
    const Band* band = nullptr;
    int index = 0;
    std::vector<CompiledObject> objects;
    DataSource* source = nullptr;
    CursorProxy* proxy = nullptr;
    Expression condition;
    QVariant groupValue;
    std::vector<int> resetAfterPrint; // band-scope aggregates shown here
};

// One object's output inside a band, positioned relative to the band.
struct Item {
    QRectF box;
    Frame frame;
    Rgba fill = kNoColor;
    bool isText = false;
    QString text;
    int style = -1;
    bool pagesMarker = false;
    bool continued = false;
    std::vector<TextLine> lines;
    double lineHeight = 0.0;
    bool splittable = false;
    std::vector<Primitive> content; // relative to the box's top-left corner
};

struct BandOutput {
    BandKind kind = BandKind::MasterData;
    double height = 0.0;
    bool keepTogether = false;
    std::vector<Item> items;
};

struct Section {
    int header = -1;
    std::vector<int> groupHeaders; // outermost first
    int data = -1;
    int detailHeader = -1;
    int detail = -1;
    int detailFooter = -1;
    std::vector<int> groupFooters; // paired with groupHeaders; -1 when a group has none
    int footer = -1;
};

class Engine : public EvalContext {
public:
    Engine(const Report& report, const ReportData& data, const LayoutOptions& options)
        : report_(report), data_(data), now_(options.now.isValid() ? options.now : QDateTime::currentDateTime())
    {
    }

    Document run()
    {
        compile();
        doc_.title = report_.name;
        startPage(true);
        for (const Section& s : sections_)
            runSection(s);
        if (summary_ >= 0)
            printBand(summary_);
        finishPage();
        resolvePageCount();
        return std::move(doc_);
    }

    QVariant systemVariable(SystemVariable v) const override
    {
        switch (v) {
        case SystemVariable::Page:
            return pageNumber_;
        case SystemVariable::Pages:
            return QString(kPagesMarker);
        case SystemVariable::Line:
            return line_;
        case SystemVariable::Date:
            return now_.date();
        case SystemVariable::Time:
            return FormatoHora(now_.time());
        }
        return {};
    }

private:
    // ---- compilation: names bound, styles made, sections found --------------------------

    static QString objectLabel(const ReportObject& o, const Band& b)
    {
        if (!o.name.isEmpty())
            return o.name;
        return QStringLiteral("%1 de la banda %2").arg(objectKindName(o.kind), b.name.isEmpty() ? bandKindName(b.kind) : b.name);
    }

    [[noreturn]] static void objectError(const ReportObject& o, const Band& b, const QString& why)
    {
        throw EReportError(QStringLiteral("Objeto «%1»: %2").arg(objectLabel(o, b), why));
    }

    static QString bandLabel(const Band& b) { return b.name.isEmpty() ? bandKindName(b.kind) : b.name; }

    void compile()
    {
        // Every dataset is read through a proxy that can show the previous row.
        bound_ = data_;
        for (const QString& name : data_.dataSetNames()) {
            DataSource* real = data_.dataSet(name);
            if (!real)
                continue;
            auto proxy = std::make_unique<CursorProxy>(real);
            bound_.addDataSet(name, proxy.get());
            proxies_.push_back(std::move(proxy));
        }
        bands_.resize(report_.bands.size());
        for (std::size_t i = 0; i < report_.bands.size(); ++i) {
            const Band& b = report_.bands[i];
            CompiledBand& cb = bands_[i];
            cb.band = &b;
            cb.index = static_cast<int>(i);
            if (isDataBand(b.kind) && !b.dataSet.isEmpty()) {
                cb.source = bound_.dataSet(b.dataSet);
                if (!cb.source)
                    throw EReportError(QStringLiteral("Banda «%1»: no existe el conjunto de datos «%2»").arg(bandLabel(b), b.dataSet));
                cb.proxy = static_cast<CursorProxy*>(cb.source);
            }
            if (b.kind == BandKind::GroupHeader) {
                try {
                    cb.condition = Expression::parse(b.condition);
                    cb.condition.bind(bound_);
                } catch (const EReportError& e) {
                    throw EReportError(QStringLiteral("Banda «%1»: %2").arg(bandLabel(b), e.message()));
                }
            }
        }
        // Details must be open for their fields to be known: put every master on its
        // first row and let its details re-read before names are bound.
        for (CompiledBand& cb : bands_)
            if (cb.band->kind == BandKind::MasterData && cb.source)
                cb.source->first();
        for (CompiledBand& cb : bands_)
            if (cb.band->kind == BandKind::DetailData && cb.source)
                cb.source->masterMoved();
        for (CompiledBand& cb : bands_)
            for (const auto& o : cb.band->objects)
                cb.objects.push_back(compileObject(*o, cb));
        findSections();
        linkAggregates();
    }

    CompiledObject compileObject(const ReportObject& o, CompiledBand& cb)
    {
        const Band& b = *cb.band;
        CompiledObject co;
        co.object = &o;
        try {
            switch (o.kind) {
            case ObjectKind::Text: {
                const auto& t = static_cast<const TextObject&>(o);
                co.text = TextTemplate::parse(t.text);
                co.text.bind(bound_);
                co.style = doc_.addStyle({t.font, t.hAlign, t.vAlign, t.wordWrap});
                break;
            }
            case ObjectKind::Aggregate: {
                const auto& a = static_cast<const AggregateObject&>(o);
                Aggregate agg;
                agg.object = &a;
                agg.expression = Expression::parse(a.expression);
                agg.expression.bind(bound_);
                if (a.function != AggregateFunction::Count && agg.expression.isEmpty())
                    throw EReportError(QStringLiteral("falta la expresión que se acumula"));
                aggregates_.push_back(std::move(agg));
                co.aggregate = static_cast<int>(aggregates_.size() - 1);
                co.style = doc_.addStyle({a.font, a.hAlign, a.vAlign, a.wordWrap});
                if (a.scope == AggregateScope::Band)
                    cb.resetAfterPrint.push_back(co.aggregate);
                break;
            }
            case ObjectKind::Barcode: {
                const auto& bc = static_cast<const BarcodeObject&>(o);
                co.text = TextTemplate::parse(bc.text);
                co.text.bind(bound_);
                Font f;
                f.size = 8.0;
                f.color = bc.color;
                co.style = doc_.addStyle({f, HAlign::Center, VAlign::Top, false});
                break;
            }
            case ObjectKind::Picture: {
                const auto& p = static_cast<const PictureObject&>(o);
                if (data_.hasPicture(p.name))
                    break;
                if (p.source == PictureSource::Field) {
                    co.expression = Expression::parse(p.expression);
                    co.expression.bind(bound_);
                } else if (p.source == PictureSource::File && !p.fileName.isEmpty()) {
                    co.fileImage = QImage(p.fileName);
                    if (co.fileImage.isNull())
                        throw EReportError(QStringLiteral("no se puede leer la imagen «%1»").arg(p.fileName));
                }
                break;
            }
            case ObjectKind::Chart: {
                const auto& c = static_cast<const ChartObject&>(o);
                co.chartSource = bound_.dataSet(c.dataSet);
                if (!co.chartSource)
                    throw EReportError(QStringLiteral("no existe el conjunto de datos «%1»").arg(c.dataSet));
                co.label = Expression::parse(c.labelExpression);
                co.label.bind(bound_);
                co.value = Expression::parse(c.valueExpression);
                co.value.bind(bound_);
                Font f;
                f.size = 8.0;
                co.style = doc_.addStyle({f, HAlign::Left, VAlign::Top, false});
                break;
            }
            case ObjectKind::RichText: {
                const auto& r = static_cast<const RichTextObject&>(o);
                co.expression = Expression::parse(r.expression);
                co.expression.bind(bound_);
                break;
            }
            case ObjectKind::Line:
            case ObjectKind::Rectangle:
                break;
            }
        } catch (const EReportError& e) {
            objectError(o, b, e.message());
        }
        return co;
    }

    void findSections()
    {
        Section cur;
        bool open = false;
        auto close = [&] {
            if (open)
                sections_.push_back(cur);
            cur = Section();
            open = false;
        };
        int pendingHeader = -1;
        std::vector<int> pendingGroups;
        for (const CompiledBand& cb : bands_) {
            const int i = cb.index;
            switch (cb.band->kind) {
            case BandKind::ReportTitle:
                title_ = i;
                break;
            case BandKind::PageHeader:
                pageHeader_ = i;
                break;
            case BandKind::PageFooter:
                pageFooter_ = i;
                break;
            case BandKind::ReportSummary:
                summary_ = i;
                break;
            case BandKind::MasterHeader:
                close();
                pendingHeader = i;
                break;
            case BandKind::GroupHeader:
                if (open && cur.data >= 0)
                    close();
                pendingGroups.push_back(i);
                break;
            case BandKind::MasterData:
                close();
                cur.header = pendingHeader;
                cur.groupHeaders = pendingGroups;
                cur.groupFooters.assign(pendingGroups.size(), -1);
                cur.data = i;
                pendingHeader = -1;
                pendingGroups.clear();
                open = true;
                break;
            case BandKind::DetailHeader:
                if (open)
                    cur.detailHeader = i;
                break;
            case BandKind::DetailData:
                if (open)
                    cur.detail = i;
                break;
            case BandKind::DetailFooter:
                if (open)
                    cur.detailFooter = i;
                break;
            case BandKind::GroupFooter:
                // Footers pair with the groups innermost first.
                if (open) {
                    for (int g = static_cast<int>(cur.groupFooters.size()) - 1; g >= 0; --g) {
                        if (cur.groupFooters[static_cast<std::size_t>(g)] < 0) {
                            cur.groupFooters[static_cast<std::size_t>(g)] = i;
                            break;
                        }
                    }
                }
                break;
            case BandKind::MasterFooter:
                if (open)
                    cur.footer = i;
                close();
                break;
            }
        }
        close();
    }

    void linkAggregates()
    {
        int firstMaster = -1;
        for (const CompiledBand& cb : bands_)
            if (cb.band->kind == BandKind::MasterData) {
                firstMaster = cb.index;
                break;
            }
        for (CompiledBand& cb : bands_) {
            for (CompiledObject& co : cb.objects) {
                if (co.aggregate < 0)
                    continue;
                Aggregate& agg = aggregates_[static_cast<std::size_t>(co.aggregate)];
                int target = firstMaster;
                if (!agg.object->dataBand.isEmpty()) {
                    target = -1;
                    for (const CompiledBand& other : bands_)
                        if (other.band->name == agg.object->dataBand && isDataBand(other.band->kind))
                            target = other.index;
                    if (target < 0)
                        objectError(*co.object, *cb.band,
                                    QStringLiteral("no existe la banda de datos «%1»").arg(agg.object->dataBand));
                } else {
                    // Inside a section the nearest data band is meant: a detail footer sums its details.
                    for (const Section& s : sections_) {
                        if (cb.index == s.detailFooter && s.detail >= 0)
                            target = s.detail;
                        else if (cb.index == s.footer || cb.index == s.header || cb.index == s.data
                                 || std::find(s.groupFooters.begin(), s.groupFooters.end(), cb.index) != s.groupFooters.end())
                            target = s.data;
                    }
                }
                agg.dataBand = target;
            }
        }
    }

    // ---- rendering one band into items ----------------------------------------------------

    BandOutput render(int bandIndex)
    {
        CompiledBand& cb = bands_[static_cast<std::size_t>(bandIndex)];
        const Band& b = *cb.band;
        renderingBand_ = bandIndex;
        BandOutput out;
        out.kind = b.kind;
        out.keepTogether = b.keepTogether;
        out.height = b.height;
        for (CompiledObject& co : cb.objects)
            renderObject(co, out);
        if (b.stretch)
            for (const Item& it : out.items)
                out.height = std::max(out.height, it.box.bottom());
        for (int a : cb.resetAfterPrint)
            aggregates_[static_cast<std::size_t>(a)].reset();
        return out;
    }

    void addText(const CompiledObject& co, const TextProps& props, QString text, bool pagesMarker, BandOutput& out)
    {
        const ReportObject& o = *co.object;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        Item it;
        it.box = QRectF(o.x, o.y, o.width, o.height);
        it.frame = o.frame;
        it.fill = o.fill;
        it.isText = true;
        it.text = text;
        it.style = co.style;
        it.pagesMarker = pagesMarker;
        if (props.stretch && !text.isEmpty()) {
            const TextStyle& st = doc_.styles[static_cast<std::size_t>(co.style)];
            it.lines = measurer_.breakLines(text, st, o.width);
            it.lineHeight = measurer_.lineHeight(st);
            const double needed = static_cast<double>(it.lines.size()) * it.lineHeight + 2 * kTextPadY;
            it.box.setHeight(std::max(o.height, needed));
            it.splittable = props.allowSplit && it.lines.size() > 1;
        }
        out.items.push_back(std::move(it));
    }

    void addBox(const ReportObject& o, std::vector<Primitive> content, BandOutput& out)
    {
        Item it;
        it.box = QRectF(o.x, o.y, o.width, o.height);
        it.frame = o.frame;
        it.fill = o.fill;
        it.content = std::move(content);
        out.items.push_back(std::move(it));
    }

    static Primitive imagePrimitive(int image, const QImage& img, const QRectF& box, bool keepAspect, bool center)
    {
        Primitive p;
        p.kind = PrimitiveKind::Image;
        p.image = image;
        QRectF r(0, 0, box.width(), box.height());
        if (keepAspect && img.width() > 0 && img.height() > 0) {
            const double scale = std::min(box.width() / img.width(), box.height() / img.height());
            const double w = img.width() * scale;
            const double h = img.height() * scale;
            r = center ? QRectF((box.width() - w) / 2, (box.height() - h) / 2, w, h) : QRectF(0, 0, w, h);
        }
        p.rect = r;
        return p;
    }

    void renderObject(CompiledObject& co, BandOutput& out)
    {
        const ReportObject& o = *co.object;
        switch (o.kind) {
        case ObjectKind::Text: {
            const auto& t = static_cast<const TextObject&>(o);
            addText(co, t, co.text.evaluate(*this, t.displayFormat), co.text.usesPages(), out);
            break;
        }
        case ObjectKind::Aggregate: {
            const auto& a = static_cast<const AggregateObject&>(o);
            const Aggregate& agg = aggregates_[static_cast<std::size_t>(co.aggregate)];
            addText(co, a, displayText(agg.value(), a.displayFormat), false, out);
            break;
        }
        case ObjectKind::Line: {
            const auto& l = static_cast<const LineObject&>(o);
            Item it;
            it.box = QRectF(o.x, o.y, o.width, o.height);
            Primitive p;
            p.kind = PrimitiveKind::Line;
            p.rect = QRectF(0, 0, o.width, o.height);
            p.color = l.color;
            p.penWidth = static_cast<float>(l.penWidth);
            it.content.push_back(p);
            out.items.push_back(std::move(it));
            break;
        }
        case ObjectKind::Rectangle:
            addBox(o, {}, out);
            break;
        case ObjectKind::Picture: {
            const auto& p = static_cast<const PictureObject&>(o);
            QImage img;
            if (data_.hasPicture(p.name))
                img = data_.picture(p.name);
            else if (p.source == PictureSource::File)
                img = co.fileImage;
            else if (p.source == PictureSource::Field)
                img = QImage::fromData(co.expression.evaluate(*this).toByteArray());
            std::vector<Primitive> content;
            if (!img.isNull())
                content.push_back(imagePrimitive(doc_.addImage(img), img, QRectF(0, 0, o.width, o.height), p.keepAspect, p.center));
            addBox(o, std::move(content), out);
            break;
        }
        case ObjectKind::Barcode:
            addBox(o, barcodeContent(co, static_cast<const BarcodeObject&>(o)), out);
            break;
        case ObjectKind::Chart: {
            const auto& c = static_cast<const ChartObject&>(o);
            std::vector<ChartPoint> points;
            for (co.chartSource->first(); !co.chartSource->eof(); co.chartSource->next()) {
                bool ok = false;
                const double v = toNumber(co.value.evaluate(*this), &ok);
                points.push_back({displayText(co.label.evaluate(*this)), ok ? v : 0.0});
            }
            const QImage img = renderChart(c.type, c.title, points, QSizeF(o.width, o.height));
            std::vector<Primitive> content;
            content.push_back(imagePrimitive(doc_.addImage(img), img, QRectF(0, 0, o.width, o.height), false, false));
            addBox(o, std::move(content), out);
            break;
        }
        case ObjectKind::RichText: {
            const auto& r = static_cast<const RichTextObject&>(o);
            QByteArray rtf = r.rtf.toUtf8();
            if (!co.expression.isEmpty()) {
                // A blob field gives the document byte for byte.
                const QVariant v = co.expression.evaluate(*this);
                rtf = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : displayText(v).toUtf8();
            }
            renderRichText(co, r, rtf, out);
            break;
        }
        }
    }

    std::vector<Primitive> barcodeContent(const CompiledObject& co, const BarcodeObject& bc)
    {
        std::vector<Primitive> content;
        const QString value = co.text.evaluate(*this, QString());
        if (value.isEmpty())
            return content;
        BarcodeSymbol sym;
        QString error;
        const TextStyle& st = doc_.styles[static_cast<std::size_t>(co.style)];
        auto text = [&](const QString& s, const QRectF& r) {
            Primitive p;
            p.kind = PrimitiveKind::Text;
            p.style = co.style;
            p.text = s;
            p.rect = r;
            content.push_back(p);
        };
        if (!encodeBarcode(bc.type, value, &sym, &error)) {
            text(error, QRectF(0, 0, bc.width, bc.height));
            return content;
        }
        const bool linear = bc.type != BarcodeType::QrCode;
        const double textH = bc.showText && linear ? measurer_.lineHeight(st) + 2 * kTextPadY : 0.0;
        const double availH = std::max(0.0, bc.height - textH);
        double sx = bc.width / sym.width;
        double sy = availH / sym.height;
        double ox = 0.0;
        double oy = 0.0;
        if (!linear) {
            sx = sy = std::min(sx, sy);
            ox = (bc.width - sym.width * sx) / 2;
            oy = (bc.height - sym.height * sy) / 2;
        }
        for (const QRectF& bar : sym.bars) {
            Primitive p;
            p.kind = PrimitiveKind::Rect;
            p.color = bc.color;
            p.rect = QRectF(ox + bar.x() * sx, oy + bar.y() * sy, bar.width() * sx, bar.height() * sy);
            content.push_back(p);
        }
        if (textH > 0.0)
            text(sym.humanText, QRectF(0, availH, bc.width, textH));
        return content;
    }

    void renderRichText(const CompiledObject& co, const RichTextObject& r, const QByteArray& rtf, BandOutput& out)
    {
        const ReportObject& o = *co.object;
        Item it;
        it.box = QRectF(o.x, o.y, o.width, o.height);
        it.frame = o.frame;
        it.fill = o.fill;
        RichTextLayout rich;
        try {
            rich = layoutRichText(rtf, o.width, doc_);
        } catch (const EReportError& e) {
            objectError(o, *bands_[static_cast<std::size_t>(renderingBand_)].band, e.message());
        }
        if (r.stretch)
            it.box.setHeight(std::max(o.height, rich.height));
        it.content = std::move(rich.primitives);
        it.splittable = r.allowSplit && r.stretch;
        out.items.push_back(std::move(it));
    }

    // ---- pages ----------------------------------------------------------------------------

    double footerHeight(int page) const
    {
        if (pageFooter_ < 0)
            return 0.0;
        const Band& f = *bands_[static_cast<std::size_t>(pageFooter_)].band;
        if (page == 1 && !f.printOnFirstPage)
            return 0.0;
        return f.height;
    }

    void startPage(bool first)
    {
        Page p;
        p.width = report_.page.pageWidth();
        p.height = report_.page.pageHeight();
        doc_.pages.push_back(std::move(p));
        ++pageNumber_;
        y_ = report_.page.marginTop;
        bottom_ = report_.page.pageHeight() - report_.page.marginBottom - footerHeight(pageNumber_);
        placedOnPage_ = 0;
        columnIndex_ = 0;
        columnActive_ = false;
        if (pageHeader_ >= 0 && (!first || bands_[static_cast<std::size_t>(pageHeader_)].band->printOnFirstPage))
            placeFixed(pageHeader_, false);
        if (first && title_ >= 0)
            printBand(title_);
        if (!first)
            for (int h : repeat_)
                if (bands_[static_cast<std::size_t>(h)].band->repeatOnNewPage)
                    placeFixed(h, true);
    }

    void finishPage()
    {
        endColumns();
        if (pageFooter_ >= 0 && footerHeight(pageNumber_) > 0.0) {
            BandOutput out = render(pageFooter_);
            const double top = report_.page.pageHeight() - report_.page.marginBottom - footerHeight(pageNumber_);
            emitOutput(clipTo(std::move(out), footerHeight(pageNumber_)), report_.page.marginLeft, top, false);
        }
        for (Aggregate& a : aggregates_)
            if (a.object->scope == AggregateScope::Page)
                a.reset();
    }

    void newPage()
    {
        finishPage();
        startPage(false);
    }

    double contentWidth() const { return report_.page.printableWidth(); }

    // A band printed where the cursor is without page breaks (page header, repeated headers).
    void placeFixed(int bandIndex, bool repeated)
    {
        BandOutput out = render(bandIndex);
        const double room = std::max(0.0, bottom_ - y_);
        const double h = std::min(out.height, room);
        emitOutput(clipTo(std::move(out), h), report_.page.marginLeft, y_, repeated);
        y_ += h;
    }

    static BandOutput clipTo(BandOutput out, double height)
    {
        out.height = std::min(out.height, height);
        for (Item& it : out.items) {
            if (it.box.bottom() > height + kEps)
                it.box.setBottom(std::max(it.box.top(), height));
        }
        return out;
    }

    // Puts a band's items on the current page. The parts of a band split across
    // pages share one band instance.
    int emitOutput(const BandOutput& out, double x0, double y0, bool repeated, int instance = 0)
    {
        if (instance == 0)
            instance = ++instance_;
        Page& page = doc_.pages.back();
        for (const Item& it : out.items) {
            const QRectF box = it.box.translated(x0, y0);
            auto base = [&](PrimitiveKind kind) {
                Primitive p;
                p.kind = kind;
                p.band = out.kind;
                p.repeated = repeated;
                p.bandInstance = instance;
                return p;
            };
            if (qAlpha(it.fill) != 0) {
                Primitive p = base(PrimitiveKind::Rect);
                p.rect = box;
                p.color = it.fill;
                page.items.push_back(p);
            }
            if (it.isText && !it.text.isEmpty()) {
                Primitive p = base(PrimitiveKind::Text);
                p.rect = box;
                p.text = it.text;
                p.style = it.style;
                p.pagesMarker = it.pagesMarker;
                p.continued = it.continued;
                page.items.push_back(std::move(p));
            }
            for (const Primitive& c : it.content) {
                Primitive p = c;
                p.band = out.kind;
                p.repeated = repeated;
                p.bandInstance = instance;
                p.rect.translate(box.topLeft());
                page.items.push_back(std::move(p));
            }
            if (it.frame.any()) {
                const Frame& f = it.frame;
                auto line = [&](QPointF a, QPointF b) {
                    Primitive p = base(PrimitiveKind::Line);
                    p.rect = QRectF(a, b);
                    p.color = f.color;
                    p.penWidth = static_cast<float>(f.width);
                    page.items.push_back(p);
                };
                if (f.top)
                    line(box.topLeft(), box.topRight());
                if (f.bottom)
                    line(box.bottomLeft(), box.bottomRight());
                if (f.left)
                    line(box.topLeft(), box.bottomLeft());
                if (f.right)
                    line(box.topRight(), box.bottomRight());
            }
        }
        return instance;
    }

    // Splits a band at `cut` (band coordinates): the first part fits above it,
    // the rest continues. Whole lines of splittable texts stay above the cut;
    // other objects that cross it move down whole. Returns the cut used.
    double split(const BandOutput& out, double cut, bool force, BandOutput* first, BandOutput* rest)
    {
        double c = cut;
        // Lower the cut above any unsplittable object that crosses it.
        for (bool moved = true; moved && !force;) {
            moved = false;
            for (const Item& it : out.items) {
                if (!it.splittable && it.box.top() < c - kEps && it.box.bottom() > c + kEps) {
                    c = it.box.top();
                    moved = true;
                }
            }
        }
        if (c <= kEps) {
            if (!force)
                return 0.0;
            c = cut;
        }
        first->kind = rest->kind = out.kind;
        first->keepTogether = rest->keepTogether = out.keepTogether;
        first->items.clear();
        rest->items.clear();
        first->height = c;
        double restHeight = std::max(0.0, out.height - c);
        for (const Item& it : out.items) {
            if (it.box.bottom() <= c + kEps) {
                first->items.push_back(it);
            } else if (it.box.top() >= c - kEps) {
                Item moved = it;
                moved.box.translate(0, -c);
                restHeight = std::max(restHeight, moved.box.bottom());
                rest->items.push_back(std::move(moved));
            } else if (it.isText && it.splittable) {
                const double room = c - it.box.top() - kTextPadY;
                int fit = std::clamp(static_cast<int>(std::floor(room / it.lineHeight + kEps)), 0,
                                     static_cast<int>(it.lines.size()));
                // On an empty page at least one line goes, so the text always moves on.
                if (force && fit == 0 && it.box.top() <= kEps)
                    fit = 1;
                if (fit > 0) {
                    Item head = it;
                    head.lines.assign(it.lines.begin(), it.lines.begin() + fit);
                    head.text = linesText(it, 0, fit);
                    head.box.setHeight(c - it.box.top());
                    first->items.push_back(std::move(head));
                }
                if (fit < static_cast<int>(it.lines.size())) {
                    Item tail = it;
                    tail.lines.assign(it.lines.begin() + fit, it.lines.end());
                    tail.text = linesText(it, fit, static_cast<int>(it.lines.size()));
                    // The tail's lines index its own text and start at its top.
                    const double base = tail.lines.front().y;
                    const int startBase = tail.lines.front().start;
                    for (TextLine& l : tail.lines) {
                        l.y -= base;
                        l.start -= startBase;
                    }
                    const double h = static_cast<double>(tail.lines.size()) * it.lineHeight + 2 * kTextPadY;
                    tail.box = QRectF(it.box.left(), 0.0, it.box.width(), h);
                    tail.splittable = tail.lines.size() > 1;
                    tail.continued = true;
                    restHeight = std::max(restHeight, h);
                    rest->items.push_back(std::move(tail));
                }
            } else if (!it.isText && it.splittable) {
                // Rich text: primitives above the cut stay, the others move down.
                Item head = it;
                Item tail = it;
                head.content.clear();
                tail.content.clear();
                const double local = c - it.box.top();
                double tailTop = std::numeric_limits<double>::max();
                for (const Primitive& p : it.content) {
                    if (p.rect.bottom() <= local + kEps)
                        head.content.push_back(p);
                    else
                        tailTop = std::min(tailTop, p.rect.top());
                }
                for (const Primitive& p : it.content) {
                    if (p.rect.bottom() > local + kEps) {
                        Primitive q = p;
                        q.rect.translate(0, -tailTop);
                        tail.content.push_back(q);
                    }
                }
                head.box.setHeight(local);
                first->items.push_back(std::move(head));
                if (!tail.content.empty()) {
                    double h = 0.0;
                    for (const Primitive& p : tail.content)
                        h = std::max(h, p.rect.bottom());
                    tail.box = QRectF(it.box.left(), 0.0, it.box.width(), h);
                    restHeight = std::max(restHeight, h);
                    rest->items.push_back(std::move(tail));
                }
            } else {
                // Forced: an object taller than a page is cut off.
                Item clipped = it;
                clipped.box.setBottom(c);
                first->items.push_back(std::move(clipped));
            }
        }
        rest->height = rest->items.empty() ? 0.0 : restHeight;
        return c;
    }

    static QString linesText(const Item& it, int from, int to)
    {
        const int start = it.lines[static_cast<std::size_t>(from)].start;
        const TextLine& last = it.lines[static_cast<std::size_t>(to - 1)];
        QString t = it.text.mid(start, last.start + last.length - start);
        if (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
        return t;
    }

    static bool hasSplittable(const BandOutput& out)
    {
        return std::any_of(out.items.begin(), out.items.end(), [](const Item& it) { return it.splittable; });
    }

    // Places a band in the flow, breaking pages as needed.
    void place(BandOutput out)
    {
        endColumns();
        int instance = 0; // the parts of a split band share one instance
        for (int guard = 0;; ++guard) {
            const double room = bottom_ - y_;
            if (guard > kMaxPagesPerBand || (placedOnPage_ == 0 && room <= kEps))
                throw EReportError(QStringLiteral("La banda «%1» no cabe en la página")
                                       .arg(bandLabel(*bands_[static_cast<std::size_t>(currentBand_)].band)));
            if (out.height <= room + kEps) {
                emitOutput(out, report_.page.marginLeft, y_, false, instance);
                y_ += out.height;
                ++placedOnPage_;
                return;
            }
            const bool fresh = placedOnPage_ == 0;
            if (!fresh && (out.keepTogether || !hasSplittable(out))) {
                newPage();
                continue;
            }
            BandOutput first;
            BandOutput rest;
            const double c = split(out, room, fresh, &first, &rest);
            if (c <= kEps) {
                newPage();
                continue;
            }
            instance = emitOutput(first, report_.page.marginLeft, y_, false, instance);
            y_ += first.height;
            ++placedOnPage_;
            if (rest.items.empty())
                return;
            newPage();
            out = std::move(rest);
        }
    }

    // ---- columns (label sheets) ------------------------------------------------------------

    double columnX(int col) const
    {
        const PageSetup& ps = report_.page;
        return ps.marginLeft + col * (ps.effectiveColumnWidth() + ps.columnGap);
    }

    void endColumns()
    {
        if (!columnActive_)
            return;
        columnActive_ = false;
        y_ = std::max(y_, columnMaxY_);
        if (report_.page.columnOrder == ColumnOrder::AcrossThenDown && columnIndex_ > 0)
            y_ = std::max(y_, rowTop_ + rowHeight_);
        columnIndex_ = 0;
    }

    void placeInColumns(const BandOutput& out)
    {
        const PageSetup& ps = report_.page;
        const int n = std::max(1, ps.columns);
        const double h = std::min(out.height, bottom_ - report_.page.marginTop);
        if (!columnActive_) {
            columnActive_ = true;
            columnIndex_ = 0;
            columnTop_ = y_;
            rowTop_ = y_;
            rowHeight_ = 0.0;
            columnMaxY_ = y_;
        }
        if (ps.columnOrder == ColumnOrder::AcrossThenDown) {
            if (columnIndex_ == 0) {
                rowTop_ = y_;
                rowHeight_ = 0.0;
                if (h > bottom_ - y_ + kEps && placedOnPage_ > 0) {
                    newPage();
                    columnActive_ = true;
                    columnTop_ = rowTop_ = columnMaxY_ = y_;
                }
            }
            emitOutput(clipTo(out, h), columnX(columnIndex_), rowTop_, false);
            ++placedOnPage_;
            rowHeight_ = std::max(rowHeight_, h);
            if (++columnIndex_ >= n) {
                columnIndex_ = 0;
                y_ = rowTop_ + rowHeight_;
                columnMaxY_ = y_;
            }
        } else {
            if (h > bottom_ - y_ + kEps && placedOnPage_ > 0) {
                if (++columnIndex_ >= n) {
                    newPage();
                    columnActive_ = true;
                    columnIndex_ = 0;
                    columnTop_ = columnMaxY_ = y_;
                } else {
                    y_ = columnTop_;
                }
            }
            emitOutput(clipTo(out, h), columnX(columnIndex_), y_, false);
            ++placedOnPage_;
            y_ += h;
            columnMaxY_ = std::max(columnMaxY_, y_);
        }
    }

    // ---- walking the data --------------------------------------------------------------------

    void printBand(int bandIndex)
    {
        if (bandIndex < 0)
            return;
        const Band& b = *bands_[static_cast<std::size_t>(bandIndex)].band;
        if (b.startNewPage && placedOnPage_ > 0) {
            endColumns();
            newPage();
        }
        currentBand_ = bandIndex;
        BandOutput out = render(bandIndex);
        if (report_.page.columns > 1 && b.kind == BandKind::MasterData)
            placeInColumns(out);
        else
            place(std::move(out));
    }

    void accumulate(int dataBand)
    {
        for (Aggregate& a : aggregates_)
            if (a.dataBand == dataBand)
                a.add(*this);
    }

    void setShowPrevious(const CompiledBand& cb, bool on)
    {
        if (cb.proxy)
            cb.proxy->setShowPrevious(on);
    }

    // The row's page is settled before it counts towards page totals.
    void printDataRow(int bandIndex)
    {
        printBand(bandIndex);
        accumulate(bandIndex);
    }

    void printDetails(const Section& s)
    {
        if (s.detail < 0)
            return;
        CompiledBand& det = bands_[static_cast<std::size_t>(s.detail)];
        const int savedLine = line_;
        if (det.source) {
            det.source->masterMoved();
            if (det.source->eof()) {
                line_ = savedLine;
                return;
            }
        }
        printBand(s.detailHeader);
        if (s.detailHeader >= 0)
            repeat_.push_back(s.detailHeader);
        line_ = 0;
        if (!det.source) {
            line_ = 1;
            printDataRow(s.detail);
        } else {
            while (!det.source->eof()) {
                ++line_;
                printDataRow(s.detail);
                det.proxy->remember();
                det.source->next();
            }
        }
        if (s.detailHeader >= 0)
            repeat_.pop_back();
        if (det.proxy)
            det.proxy->setShowPrevious(true);
        printBand(s.detailFooter);
        if (det.proxy)
            det.proxy->setShowPrevious(false);
        line_ = savedLine;
    }

    void runSection(const Section& s)
    {
        CompiledBand& master = bands_[static_cast<std::size_t>(s.data)];
        if (master.source) {
            master.source->first();
            if (master.source->eof())
                return;
        }
        printBand(s.header);
        if (s.header >= 0)
            repeat_.push_back(s.header);
        const std::size_t groups = s.groupHeaders.size();
        for (std::size_t g = 0; g < groups; ++g)
            openGroup(s, g);
        line_ = 0;
        for (;;) {
            ++line_;
            printDataRow(s.data);
            printDetails(s);
            if (!master.source)
                break;
            master.proxy->remember();
            master.source->next();
            if (master.source->eof())
                break;
            std::size_t changed = groups;
            for (std::size_t g = 0; g < groups; ++g) {
                CompiledBand& gh = bands_[static_cast<std::size_t>(s.groupHeaders[g])];
                if (compareGroupValue(gh.condition.evaluate(*this), gh.groupValue)) {
                    changed = g;
                    break;
                }
            }
            if (changed < groups) {
                master.proxy->setShowPrevious(true);
                for (std::size_t g = groups; g-- > changed;)
                    closeGroup(s, g);
                master.proxy->setShowPrevious(false);
                for (std::size_t g = changed; g < groups; ++g)
                    openGroup(s, g);
            }
        }
        setShowPrevious(master, true);
        for (std::size_t g = groups; g-- > 0;)
            closeGroup(s, g);
        if (s.header >= 0)
            repeat_.pop_back();
        printBand(s.footer);
        setShowPrevious(master, false);
    }

    static bool compareGroupValue(const QVariant& now, const QVariant& before)
    {
        if (now.isNull() != before.isNull())
            return true;
        return displayText(now) != displayText(before);
    }

    void openGroup(const Section& s, std::size_t g)
    {
        CompiledBand& gh = bands_[static_cast<std::size_t>(s.groupHeaders[g])];
        gh.groupValue = gh.condition.evaluate(*this);
        printBand(gh.index);
        repeat_.push_back(gh.index);
    }

    void closeGroup(const Section& s, std::size_t g)
    {
        if (!repeat_.empty() && repeat_.back() == s.groupHeaders[g])
            repeat_.pop_back();
        printBand(s.groupFooters[g]);
    }

    void resolvePageCount()
    {
        const QString total = QString::number(doc_.pages.size());
        for (Page& p : doc_.pages)
            for (Primitive& it : p.items)
                if (it.pagesMarker)
                    it.text.replace(kPagesMarker, total);
    }

    const Report& report_;
    const ReportData& data_;
    QDateTime now_;
    ReportData bound_;
    std::vector<std::unique_ptr<CursorProxy>> proxies_;
    std::vector<CompiledBand> bands_;
    std::vector<Aggregate> aggregates_;
    std::vector<Section> sections_;
    int title_ = -1;
    int pageHeader_ = -1;
    int pageFooter_ = -1;
    int summary_ = -1;

    Document doc_;
    TextMeasurer measurer_;
    int pageNumber_ = 0;
    int line_ = 0;
    int instance_ = 0;
    double y_ = 0.0;
    double bottom_ = 0.0;
    int placedOnPage_ = 0;
    int currentBand_ = 0;   // the band being placed
    int renderingBand_ = 0; // the band whose objects are being evaluated
    std::vector<int> repeat_;
    bool columnActive_ = false;
    int columnIndex_ = 0;
    double columnTop_ = 0.0;
    double rowTop_ = 0.0;
    double rowHeight_ = 0.0;
    double columnMaxY_ = 0.0;
};

} // namespace

Document layoutReport(const Report& report, const ReportData& data, const LayoutOptions& options)
{
    Engine engine(report, data, options);
    return engine.run();
}

} // namespace qdr
