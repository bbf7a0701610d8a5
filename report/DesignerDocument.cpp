#include "DesignerDocument.h"

#include "ReportError.h"
#include "ReportXml.h"

#include <QUndoCommand>

#include <algorithm>
#include <array>

namespace qdr {

// The format and selection before and after a change: undo and redo put one
// of them back whole, so every kind of change is undone the same way.
class SnapshotCommand : public QUndoCommand {
public:
    SnapshotCommand(DesignerDocument* doc, const QString& text, Report before, DesignSelection selBefore, Report after,
                    DesignSelection selAfter, MergeKey merge)
        : QUndoCommand(text), doc_(doc), before_(std::move(before)), after_(std::move(after)),
          selBefore_(std::move(selBefore)), selAfter_(std::move(selAfter)), merge_(merge)
    {
    }
    void undo() override { doc_->restore(before_, selBefore_); }
    void redo() override { doc_->restore(after_, selAfter_); }
    int id() const override { return static_cast<int>(merge_); }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* o = static_cast<const SnapshotCommand*>(other);
        // Only steps on the same objects merge: a nudge after a new selection is a step of its own.
        if (o->selBefore_.objects != selAfter_.objects)
            return false;
        after_ = o->after_;
        selAfter_ = o->selAfter_;
        return true;
    }

private:
    DesignerDocument* doc_;
    Report before_;
    Report after_;
    DesignSelection selBefore_;
    DesignSelection selAfter_;
    MergeKey merge_;
};

namespace {

bool sameReport(const Report& a, const Report& b)
{
    // The file form compares every property the format keeps.
    return reportToXml(a) == reportToXml(b);
}

ReportObject* objectAt(Report& r, ObjRef ref)
{
    if (ref.band < 0 || ref.band >= static_cast<int>(r.bands.size()))
        return nullptr;
    auto& objs = r.bands[static_cast<std::size_t>(ref.band)].objects;
    if (ref.index < 0 || ref.index >= static_cast<int>(objs.size()))
        return nullptr;
    return objs[static_cast<std::size_t>(ref.index)].get();
}

// Order of band kinds in a format, as the layout engine reads them.
int bandRank(BandKind kind)
{
    switch (kind) {
    case BandKind::ReportTitle:
        return 0;
    case BandKind::PageHeader:
        return 1;
    case BandKind::MasterHeader:
        return 2;
    case BandKind::GroupHeader:
        return 3;
    case BandKind::MasterData:
        return 4;
    case BandKind::DetailHeader:
        return 5;
    case BandKind::DetailData:
        return 6;
    case BandKind::DetailFooter:
        return 7;
    case BandKind::GroupFooter:
        return 8;
    case BandKind::MasterFooter:
        return 9;
    case BandKind::ReportSummary:
        return 10;
    case BandKind::PageFooter:
        return 11;
    }
    return 11;
}

// Geometry a box keeps: lines may be flat, boxes keep a visible size.
void clampSize(ReportObject& o)
{
    const double minimum = o.kind == ObjectKind::Line ? 0.0 : 0.5;
    o.width = std::max(minimum, o.width);
    o.height = std::max(minimum, o.height);
}

} // namespace

DesignerDocument::DesignerDocument(QObject* parent) : QObject(parent) {}

void DesignerDocument::setReport(Report report)
{
    undo_.clear();
    report_ = std::move(report);
    selection_ = {};
    undo_.setClean();
    emit reportChanged();
    emit selectionChanged();
}

void DesignerDocument::restore(const Report& report, const DesignSelection& selection)
{
    report_ = report;
    selection_ = selection;
    emit reportChanged();
    emit selectionChanged();
}

void DesignerDocument::setSelection(DesignSelection selection)
{
    auto valid = [this](ObjRef r) { return object(r) != nullptr; };
    std::erase_if(selection.objects, [&](ObjRef r) { return !valid(r); });
    if (!selection.objects.empty())
        selection.band = selection.objects.front().band;
    if (selection.band >= static_cast<int>(report_.bands.size()))
        selection.band = -1;
    if (selection == selection_)
        return;
    selection_ = std::move(selection);
    emit selectionChanged();
}

void DesignerDocument::selectBand(int band)
{
    DesignSelection s;
    s.band = band;
    setSelection(s);
}

void DesignerDocument::selectObject(ObjRef ref, bool add)
{
    DesignSelection s = add ? selection_ : DesignSelection();
    auto it = std::find(s.objects.begin(), s.objects.end(), ref);
    if (it != s.objects.end()) {
        if (add)
            s.objects.erase(it);
    } else {
        s.objects.push_back(ref);
    }
    if (s.objects.empty())
        s.band = ref.band;
    setSelection(s);
}

void DesignerDocument::selectAll()
{
    DesignSelection s;
    for (int b = 0; b < static_cast<int>(report_.bands.size()); ++b)
        for (int i = 0; i < static_cast<int>(report_.bands[static_cast<std::size_t>(b)].objects.size()); ++i)
            s.objects.push_back({b, i});
    s.band = selection_.band;
    setSelection(s);
}

const ReportObject* DesignerDocument::object(ObjRef ref) const
{
    return objectAt(const_cast<Report&>(report_), ref);
}

int DesignerDocument::targetBand() const
{
    if (selection_.band >= 0 && selection_.band < static_cast<int>(report_.bands.size()))
        return selection_.band;
    return report_.bands.empty() ? -1 : 0;
}

void DesignerDocument::change(const QString& text, const std::function<void(Report&, DesignSelection&)>& edit,
                              MergeKey merge)
{
    Report after = report_;
    DesignSelection sel = selection_;
    edit(after, sel);
    if (sameReport(after, report_) && sel == selection_)
        return;
    undo_.push(new SnapshotCommand(this, text, report_, selection_, std::move(after), std::move(sel), merge));
}

int DesignerDocument::insertBand(BandKind kind, const QString& defaultDataSet)
{
    int at = 0;
    change(QStringLiteral("Insertar banda"), [&](Report& r, DesignSelection& s) {
        const int n = static_cast<int>(r.bands.size());
        const int cur = selection_.band;
        int start = cur >= 0 && cur < n && bandRank(kind) >= bandRank(r.bands[static_cast<std::size_t>(cur)].kind) ? cur + 1 : 0;
        at = n;
        for (int i = start; i < n; ++i) {
            if (bandRank(r.bands[static_cast<std::size_t>(i)].kind) > bandRank(kind)) {
                at = i;
                break;
            }
        }
        Band band(kind);
        band.height = kind == BandKind::MasterData || kind == BandKind::DetailData ? 6.0 : 10.0;
        for (int k = 1;; ++k) {
            const QString name = QStringLiteral("Banda%1").arg(k);
            if (!r.findBand(name)) {
                band.name = name;
                break;
            }
        }
        if (isDataBand(kind))
            band.dataSet = defaultDataSet;
        r.bands.insert(r.bands.begin() + at, std::move(band));
        s = {};
        s.band = at;
    });
    return at;
}

QString DesignerDocument::uniqueObjectName(ObjectKind kind) const
{
    static const std::array<const char*, 8> kStems = {"Texto", "Linea", "Rectangulo", "Imagen",
                                                       "Codigo", "Grafico", "TextoRico", "Total"};
    const QString stem = QString::fromLatin1(kStems[static_cast<std::size_t>(kind)]);
    for (int k = 1;; ++k) {
        const QString name = stem + QString::number(k);
        if (!report_.findObject(name))
            return name;
    }
}

ObjRef DesignerDocument::insertObject(ObjectKind kind, int band, QPointF at)
{
    ObjRef ref;
    if (band < 0 || band >= static_cast<int>(report_.bands.size()))
        return ref;
    const QString name = uniqueObjectName(kind);
    change(QStringLiteral("Insertar objeto"), [&](Report& r, DesignSelection& s) {
        Band& b = r.bands[static_cast<std::size_t>(band)];
        std::unique_ptr<ReportObject> o;
        switch (kind) {
        case ObjectKind::Text: {
            auto t = std::make_unique<TextObject>();
            t->text = QStringLiteral("Texto");
            o = std::move(t);
            break;
        }
        case ObjectKind::Line:
            o = std::make_unique<LineObject>();
            break;
        case ObjectKind::Rectangle:
            o = std::make_unique<RectangleObject>();
            break;
        case ObjectKind::Picture:
            o = std::make_unique<PictureObject>();
            break;
        case ObjectKind::Barcode: {
            auto c = std::make_unique<BarcodeObject>();
            c->text = QStringLiteral("123456");
            o = std::move(c);
            break;
        }
        case ObjectKind::Chart:
            o = std::make_unique<ChartObject>();
            break;
        case ObjectKind::RichText: {
            auto t = std::make_unique<RichTextObject>();
            t->rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 Texto enriquecido\\par}");
            o = std::move(t);
            break;
        }
        case ObjectKind::Aggregate: {
            auto a = std::make_unique<AggregateObject>();
            a->function = AggregateFunction::Count;
            o = std::move(a);
            break;
        }
        }
        const QSizeF size = defaultObjectSize(kind);
        o->name = name;
        o->x = std::max(0.0, at.x());
        o->y = std::max(0.0, at.y());
        o->width = size.width();
        o->height = size.height();
        if (o->y + o->height > b.height && kind != ObjectKind::Line)
            o->height = std::max(0.5, std::min(o->height, b.height - o->y));
        b.objects.push_back(std::move(o));
        ref = {band, static_cast<int>(b.objects.size()) - 1};
        s = {};
        s.objects = {ref};
        s.band = band;
    });
    return ref;
}

ObjRef DesignerDocument::insertExpression(const QString& expression, int band, QPointF at)
{
    ObjRef ref;
    if (band < 0 || band >= static_cast<int>(report_.bands.size()) || expression.isEmpty())
        return ref;
    const QString name = uniqueObjectName(ObjectKind::Text);
    change(QStringLiteral("Insertar campo"), [&](Report& r, DesignSelection& s) {
        Band& b = r.bands[static_cast<std::size_t>(band)];
        auto& t = b.add<TextObject>();
        t.name = name;
        t.text = QLatin1Char('[') + expression + QLatin1Char(']');
        t.x = std::max(0.0, at.x());
        t.y = std::max(0.0, at.y());
        t.width = defaultObjectSize(ObjectKind::Text).width();
        t.height = std::max(0.5, std::min(defaultObjectSize(ObjectKind::Text).height(), b.height - t.y));
        ref = {band, static_cast<int>(b.objects.size()) - 1};
        s = {};
        s.objects = {ref};
        s.band = band;
    });
    return ref;
}

void DesignerDocument::placeSelection(const std::vector<Placement>& places)
{
    if (places.size() != selection_.objects.size() || places.empty())
        return;
    change(QStringLiteral("Mover"), [&](Report& r, DesignSelection& s) {
        // Positions first, then objects that change band leave theirs (highest
        // index first, so the others keep their indices) and join the new one.
        struct Moving {
            ObjRef from;
            Placement to;
            std::unique_ptr<ReportObject> object;
        };
        std::vector<Moving> moving;
        for (std::size_t i = 0; i < places.size(); ++i) {
            ReportObject* o = objectAt(r, s.objects[i]);
            if (!o)
                continue;
            o->x = places[i].x;
            o->y = places[i].y;
            if (places[i].band >= 0 && places[i].band < static_cast<int>(r.bands.size()) && places[i].band != s.objects[i].band)
                moving.push_back({s.objects[i], places[i], nullptr});
        }
        if (moving.empty())
            return;
        std::vector<ObjRef> order;
        for (const Moving& m : moving)
            order.push_back(m.from);
        std::sort(order.begin(), order.end(), [](ObjRef a, ObjRef b) { return a.band != b.band ? a.band < b.band : a.index > b.index; });
        for (ObjRef from : order) {
            auto& objs = r.bands[static_cast<std::size_t>(from.band)].objects;
            auto m = std::find_if(moving.begin(), moving.end(), [&](const Moving& mv) { return mv.from == from; });
            m->object = std::move(objs[static_cast<std::size_t>(from.index)]);
            objs.erase(objs.begin() + from.index);
        }
        // Selection references are rebuilt from the new positions.
        std::vector<ObjRef> next;
        for (ObjRef ref : s.objects) {
            auto m = std::find_if(moving.begin(), moving.end(), [&](const Moving& mv) { return mv.from == ref; });
            if (m != moving.end())
                continue;
            int shift = 0;
            for (const Moving& mv : moving)
                if (mv.from.band == ref.band && mv.from.index < ref.index)
                    ++shift;
            next.push_back({ref.band, ref.index - shift});
        }
        for (Moving& m : moving) {
            auto& objs = r.bands[static_cast<std::size_t>(m.to.band)].objects;
            objs.push_back(std::move(m.object));
            next.push_back({m.to.band, static_cast<int>(objs.size()) - 1});
        }
        s.objects = next;
        s.band = next.front().band;
    });
}

void DesignerDocument::nudgeSelection(double dx, double dy)
{
    change(QStringLiteral("Mover"), [&](Report& r, DesignSelection& s) {
        for (ObjRef ref : s.objects) {
            if (ReportObject* o = objectAt(r, ref)) {
                o->x = std::max(0.0, o->x + dx);
                o->y = std::max(0.0, o->y + dy);
            }
        }
    }, MergeKey::Nudge);
}

void DesignerDocument::growSelection(double dw, double dh)
{
    change(QStringLiteral("Cambiar tamaño"), [&](Report& r, DesignSelection& s) {
        for (ObjRef ref : s.objects) {
            if (ReportObject* o = objectAt(r, ref)) {
                o->width += dw;
                o->height += dh;
                clampSize(*o);
            }
        }
    }, MergeKey::Grow);
}

void DesignerDocument::setObjectRect(ObjRef ref, const QRectF& rect)
{
    change(QStringLiteral("Cambiar tamaño"), [&](Report& r, DesignSelection&) {
        if (ReportObject* o = objectAt(r, ref)) {
            o->x = std::max(0.0, rect.x());
            o->y = std::max(0.0, rect.y());
            o->width = rect.width();
            o->height = rect.height();
            clampSize(*o);
        }
    });
}

void DesignerDocument::setBandHeight(int band, double height)
{
    if (band < 0 || band >= static_cast<int>(report_.bands.size()))
        return;
    change(QStringLiteral("Altura de banda"), [&](Report& r, DesignSelection&) {
        r.bands[static_cast<std::size_t>(band)].height = std::max(1.0, height);
    });
}

void DesignerDocument::align(AlignEdge edge)
{
    if (selection_.objects.size() < 2)
        return;
    change(QStringLiteral("Alinear"), [&](Report& r, DesignSelection& s) {
        const ReportObject* ref = objectAt(r, s.objects.front());
        if (!ref)
            return;
        const double left = ref->x;
        const double right = ref->x + ref->width;
        const double top = ref->y;
        const double bottom = ref->y + ref->height;
        for (std::size_t i = 1; i < s.objects.size(); ++i) {
            ReportObject* o = objectAt(r, s.objects[i]);
            if (!o)
                continue;
            switch (edge) {
            case AlignEdge::Left:
                o->x = left;
                break;
            case AlignEdge::Right:
                o->x = std::max(0.0, right - o->width);
                break;
            case AlignEdge::Top:
                o->y = top;
                break;
            case AlignEdge::Bottom:
                o->y = std::max(0.0, bottom - o->height);
                break;
            }
        }
    });
}

void DesignerDocument::makeSameSize(SameSize what)
{
    if (selection_.objects.size() < 2)
        return;
    change(QStringLiteral("Mismo tamaño"), [&](Report& r, DesignSelection& s) {
        const ReportObject* ref = objectAt(r, s.objects.front());
        if (!ref)
            return;
        const double w = ref->width;
        const double h = ref->height;
        for (std::size_t i = 1; i < s.objects.size(); ++i) {
            ReportObject* o = objectAt(r, s.objects[i]);
            if (!o)
                continue;
            if (what != SameSize::Height)
                o->width = w;
            if (what != SameSize::Width)
                o->height = h;
            clampSize(*o);
        }
    });
}

void DesignerDocument::deleteSelection()
{
    if (selection_.objects.empty()) {
        const int band = selection_.band;
        if (band < 0 || band >= static_cast<int>(report_.bands.size()))
            return;
        change(QStringLiteral("Borrar banda"), [&](Report& r, DesignSelection& s) {
            r.bands.erase(r.bands.begin() + band);
            s = {};
        });
        return;
    }
    change(QStringLiteral("Borrar"), [&](Report& r, DesignSelection& s) {
        std::vector<ObjRef> order = s.objects;
        std::sort(order.begin(), order.end(), [](ObjRef a, ObjRef b) { return a.band != b.band ? a.band < b.band : a.index > b.index; });
        for (ObjRef ref : order) {
            auto& objs = r.bands[static_cast<std::size_t>(ref.band)].objects;
            if (ref.index >= 0 && ref.index < static_cast<int>(objs.size()))
                objs.erase(objs.begin() + ref.index);
        }
        const int band = s.band;
        s = {};
        s.band = band;
    });
}

QByteArray DesignerDocument::copySelection() const
{
    if (selection_.objects.empty())
        return {};
    Report clip;
    Band& band = clip.bands.emplace_back(BandKind::MasterData);
    for (ObjRef ref : selection_.objects)
        if (const ReportObject* o = object(ref))
            band.objects.push_back(o->clone());
    return reportToXml(clip);
}

bool DesignerDocument::paste(const QByteArray& bytes)
{
    const int band = targetBand();
    if (band < 0 || bytes.isEmpty())
        return false;
    Report clip;
    try {
        clip = reportFromXml(bytes, QStringLiteral("portapapeles"));
    } catch (const EReportError&) {
        return false;
    }
    if (clip.bands.size() != 1 || clip.bands.front().objects.empty())
        return false;
    change(QStringLiteral("Pegar"), [&](Report& r, DesignSelection& s) {
        auto& objs = r.bands[static_cast<std::size_t>(band)].objects;
        // A copy pasted over its original is shifted so both can be seen.
        auto covers = [&](const ReportObject& o) {
            return std::any_of(objs.begin(), objs.end(), [&](const auto& e) {
                return e->kind == o.kind && qFuzzyCompare(e->x + 1, o.x + 1) && qFuzzyCompare(e->y + 1, o.y + 1);
            });
        };
        bool shift = false;
        for (const auto& o : clip.bands.front().objects)
            shift = shift || covers(*o);
        s = {};
        s.band = band;
        for (auto& o : clip.bands.front().objects) {
            if (shift) {
                o->x += 2.0;
                o->y += 2.0;
            }
            objs.push_back(std::move(o));
            s.objects.push_back({band, static_cast<int>(objs.size()) - 1});
        }
    });
    return true;
}

void DesignerDocument::newReport()
{
    change(QStringLiteral("Nuevo informe"), [](Report& r, DesignSelection& s) {
        r.reset();
        s = {};
    });
}

QString bandKindCaption(BandKind kind)
{
    switch (kind) {
    case BandKind::ReportTitle:
        return QStringLiteral("Título del informe");
    case BandKind::PageHeader:
        return QStringLiteral("Cabecera de página");
    case BandKind::MasterHeader:
        return QStringLiteral("Cabecera maestra");
    case BandKind::MasterData:
        return QStringLiteral("Datos maestros");
    case BandKind::DetailHeader:
        return QStringLiteral("Cabecera de detalle");
    case BandKind::DetailData:
        return QStringLiteral("Datos de detalle");
    case BandKind::DetailFooter:
        return QStringLiteral("Pie de detalle");
    case BandKind::MasterFooter:
        return QStringLiteral("Pie maestro");
    case BandKind::GroupHeader:
        return QStringLiteral("Cabecera de grupo");
    case BandKind::GroupFooter:
        return QStringLiteral("Pie de grupo");
    case BandKind::PageFooter:
        return QStringLiteral("Pie de página");
    case BandKind::ReportSummary:
        return QStringLiteral("Resumen del informe");
    }
    return {};
}

QString objectKindCaption(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Text:
        return QStringLiteral("Texto");
    case ObjectKind::Line:
        return QStringLiteral("Línea");
    case ObjectKind::Rectangle:
        return QStringLiteral("Rectángulo");
    case ObjectKind::Picture:
        return QStringLiteral("Imagen");
    case ObjectKind::Barcode:
        return QStringLiteral("Código de barras");
    case ObjectKind::Chart:
        return QStringLiteral("Gráfico");
    case ObjectKind::RichText:
        return QStringLiteral("Texto enriquecido");
    case ObjectKind::Aggregate:
        return QStringLiteral("Total");
    }
    return {};
}

QSizeF defaultObjectSize(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Text:
    case ObjectKind::Aggregate:
        return {40.0, 5.0};
    case ObjectKind::Line:
        return {40.0, 0.0};
    case ObjectKind::Rectangle:
        return {30.0, 10.0};
    case ObjectKind::Picture:
        return {25.0, 18.0};
    case ObjectKind::Barcode:
        return {40.0, 12.0};
    case ObjectKind::Chart:
        return {80.0, 50.0};
    case ObjectKind::RichText:
        return {80.0, 20.0};
    }
    return {40.0, 5.0};
}

QString fieldExpression(const QString& dataSet, const QString& field)
{
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return dataSet + QLatin1String(".\"") + quoted + QLatin1Char('"');
}

} // namespace qdr
