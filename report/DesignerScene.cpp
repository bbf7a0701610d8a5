#include "DesignerScene.h"

#include "DesignerRender.h"

#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>

namespace qdr {

namespace {

constexpr double kBandGap = 1.5;     // between a band and the next caption bar
constexpr double kPagePadding = 8.0; // grey around the paper
constexpr int kHandleCount = 8;

QColor captionColor(BandKind kind)
{
    switch (kind) {
    case BandKind::MasterData:
    case BandKind::DetailData:
        return {0xd9, 0xec, 0xd5};
    case BandKind::ReportTitle:
    case BandKind::PageHeader:
    case BandKind::MasterHeader:
    case BandKind::DetailHeader:
    case BandKind::GroupHeader:
        return {0xd8, 0xe4, 0xf4};
    default:
        return {0xf4, 0xe3, 0xcf};
    }
}

QPen cosmeticPen(const QColor& color, Qt::PenStyle style = Qt::SolidLine, double width = 1.0)
{
    QPen pen(color, width, style);
    pen.setCosmetic(true);
    return pen;
}

// Handles of a box, clockwise from the top-left corner.
QPointF handlePoint(const QRectF& r, int h)
{
    switch (h) {
    case 0:
        return r.topLeft();
    case 1:
        return {r.center().x(), r.top()};
    case 2:
        return r.topRight();
    case 3:
        return {r.right(), r.center().y()};
    case 4:
        return r.bottomRight();
    case 5:
        return {r.center().x(), r.bottom()};
    case 6:
        return r.bottomLeft();
    default:
        return {r.left(), r.center().y()};
    }
}

double pixelOf(const QPainter* painter)
{
    const double m = painter->worldTransform().m11();
    return m > 0 ? 1.0 / m : 0.25;
}

// Text at a size given in millimetres, independent of the view's scale.
void drawSmallText(QPainter* painter, const QRectF& rect, const QString& text, double heightMm, int flags)
{
    painter->save();
    constexpr double k = 10.0;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(static_cast<int>(std::lround(heightMm * k)));
    painter->setFont(f);
    painter->translate(rect.topLeft());
    painter->scale(1.0 / k, 1.0 / k);
    painter->drawText(QRectF(0, 0, rect.width() * k, rect.height() * k), flags, text);
    painter->restore();
}

} // namespace

class DesignerPageItem : public QGraphicsItem {
public:
    DesignerPageItem(const QRectF& paper, const QRectF& printable) : paper_(paper), printable_(printable) { setZValue(0); }
    QRectF boundingRect() const override { return paper_.adjusted(-1, -1, 2, 2); }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        p->fillRect(paper_.translated(0.8, 0.8), QColor(0, 0, 0, 60));
        p->fillRect(paper_, Qt::white);
        p->setPen(cosmeticPen(QColor(0x90, 0x90, 0x90)));
        p->drawRect(paper_);
        p->setPen(cosmeticPen(QColor(0xc8, 0xc8, 0xc8), Qt::DotLine));
        p->drawRect(printable_);
    }

private:
    QRectF paper_;
    QRectF printable_;
};

class DesignerBandItem : public QGraphicsItem {
public:
    DesignerBandItem(const QRectF& strip, const QRectF& caption, QString text, QColor color, std::vector<QRectF> ghosts)
        : strip_(strip), caption_(caption), text_(std::move(text)), color_(color), ghosts_(std::move(ghosts))
    {
        setZValue(1);
    }
    QRectF boundingRect() const override
    {
        QRectF r = strip_.united(caption_);
        for (const QRectF& g : ghosts_)
            r = r.united(g);
        return r.adjusted(-1, -1, 1, 40);
    }
    void setSelected(bool on)
    {
        selected_ = on;
        update();
    }
    void setGrid(double step, bool visible)
    {
        grid_ = step;
        showGrid_ = visible;
        update();
    }
    // The height shown while the lower edge is dragged; below 0 shows the band's own.
    void setPreviewHeight(double h)
    {
        prepareGeometryChange();
        previewHeight_ = h;
        update();
    }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QRectF strip = strip_;
        if (previewHeight_ >= 0)
            strip.setHeight(previewHeight_);
        QColor tint = color_;
        tint.setAlpha(selected_ ? 70 : 35);
        p->fillRect(strip, tint);
        for (const QRectF& g : ghosts_) {
            p->setPen(cosmeticPen(QColor(0xb0, 0xb0, 0xb0), Qt::DashLine));
            p->drawRect(QRectF(g.topLeft(), QSizeF(g.width(), strip.height())));
        }
        if (showGrid_ && grid_ > 0.0) {
            const double px = pixelOf(p);
            // A grid finer than four pixels is left out: it would only grey the band.
            if (grid_ / px >= 4.0) {
                QPolygonF dots;
                for (double y = strip.top(); y <= strip.bottom() + 1e-6; y += grid_)
                    for (double x = strip.left(); x <= strip.right() + 1e-6; x += grid_)
                        dots << QPointF(x, y);
                p->setPen(cosmeticPen(QColor(0xa0, 0xa8, 0xb4)));
                p->drawPoints(dots);
            }
        }
        p->fillRect(caption_, selected_ ? color_.darker(125) : color_);
        p->setPen(cosmeticPen(selected_ ? QColor(0x30, 0x60, 0xb0) : QColor(0x80, 0x80, 0x80)));
        p->drawRect(caption_);
        p->setPen(QColor(0x20, 0x20, 0x20));
        drawSmallText(p, caption_.adjusted(1.0, 0, -1.0, 0), text_, 2.6, Qt::AlignVCenter | Qt::AlignLeft);
        p->setPen(cosmeticPen(selected_ ? QColor(0x30, 0x60, 0xb0) : QColor(0x90, 0x90, 0x90), Qt::DashLine));
        p->drawLine(strip.bottomLeft(), strip.bottomRight());
    }

private:
    QRectF strip_;
    QRectF caption_;
    QString text_;
    QColor color_;
    std::vector<QRectF> ghosts_;
    double grid_ = 2.0;
    bool showGrid_ = true;
    bool selected_ = false;
    double previewHeight_ = -1.0;
};

class DesignerObjectItem : public QGraphicsItem {
public:
    explicit DesignerObjectItem(const ReportObject& o)
        : design_(designDocument(o)), size_(o.width, o.height), isLine_(o.kind == ObjectKind::Line)
    {
        setZValue(2);
    }
    QRectF boundingRect() const override
    {
        QRectF r(QPointF(0, 0), size_);
        if (preview_.isValid())
            r = r.united(preview_);
        return r.normalized().adjusted(-3, -3, 3, 3);
    }
    void setSelected(bool on, bool reference)
    {
        selected_ = on;
        reference_ = reference;
        update();
    }
    void setPreview(const QRectF& local)
    {
        prepareGeometryChange();
        preview_ = local;
    }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const QRectF box(QPointF(0, 0), size_);
        paintDesignDocument(*p, design_);
        const double px = pixelOf(p);
        if (!isLine_ && !selected_) {
            // Where the object is, though nothing of it may print there.
            p->setPen(cosmeticPen(QColor(0x90, 0xa0, 0xb8), Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(box);
        }
        if (preview_.isValid()) {
            p->setPen(cosmeticPen(QColor(0x30, 0x60, 0xb0), Qt::DashLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(preview_);
        }
        if (!selected_)
            return;
        p->setPen(cosmeticPen(QColor(0x30, 0x60, 0xb0), Qt::DashLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(box);
        const double hs = 3.0 * px;
        p->setPen(cosmeticPen(Qt::white));
        p->setBrush(reference_ ? QColor(0x20, 0x50, 0xa0) : QColor(0x70, 0x90, 0xc0));
        for (int h = 0; h < kHandleCount; ++h) {
            const QPointF c = handlePoint(box, h);
            p->drawRect(QRectF(c.x() - hs, c.y() - hs, 2 * hs, 2 * hs));
        }
    }

private:
    Document design_;
    QSizeF size_;
    bool isLine_;
    bool selected_ = false;
    bool reference_ = false;
    QRectF preview_;
};

DesignerScene::DesignerScene(DesignerDocument* doc, QObject* parent) : QGraphicsScene(parent), doc_(doc)
{
    setBackgroundBrush(QColor(0x9a, 0xa0, 0xa8));
    connect(doc_, &DesignerDocument::reportChanged, this, &DesignerScene::rebuild);
    connect(doc_, &DesignerDocument::selectionChanged, this, &DesignerScene::updateSelection);
    rebuild();
}

void DesignerScene::setGridStep(double mm)
{
    grid_ = mm > 0 ? mm : 1.0;
    for (DesignerBandItem* b : bandItems_)
        b->setGrid(grid_, showGrid_);
}

void DesignerScene::setGridVisible(bool on)
{
    showGrid_ = on;
    for (DesignerBandItem* b : bandItems_)
        b->setGrid(grid_, showGrid_);
}

void DesignerScene::setSnapToGrid(bool on)
{
    snap_ = on;
}

double DesignerScene::snap(double v) const
{
    if (!snap_ || grid_ <= 0)
        return v;
    return std::round(v / grid_) * grid_;
}

void DesignerScene::layoutBands()
{
    const Report& r = doc_->report();
    bandTops_.clear();
    double y = r.page.marginTop;
    for (const Band& b : r.bands) {
        bandTops_.push_back(y + kCaptionHeight);
        y += kCaptionHeight + b.height + kBandGap;
    }
}

QPointF DesignerScene::bandOrigin(int band) const
{
    if (band < 0 || band >= static_cast<int>(bandTops_.size()))
        return {};
    return {doc_->report().page.marginLeft, bandTops_[static_cast<std::size_t>(band)]};
}

QRectF DesignerScene::bandRect(int band) const
{
    const Report& r = doc_->report();
    if (band < 0 || band >= static_cast<int>(bandTops_.size()) || band >= static_cast<int>(r.bands.size()))
        return {};
    const Band& b = r.bands[static_cast<std::size_t>(band)];
    const double w = isDataBand(b.kind) && r.page.columns > 1 ? r.page.effectiveColumnWidth() : r.page.printableWidth();
    return {bandOrigin(band), QSizeF(w, b.height)};
}

QRectF DesignerScene::captionRect(int band) const
{
    const QRectF strip = bandRect(band);
    return {strip.left(), strip.top() - kCaptionHeight, strip.width(), kCaptionHeight};
}

int DesignerScene::bandAt(QPointF pos) const
{
    for (int i = 0; i < static_cast<int>(bandTops_.size()); ++i) {
        const QRectF all = bandRect(i).united(captionRect(i));
        if (pos.y() >= all.top() && pos.y() <= all.bottom() && pos.x() >= all.left() - 2 && pos.x() <= all.right() + 2)
            return i;
    }
    return -1;
}

QRectF DesignerScene::objectRect(ObjRef ref) const
{
    const ReportObject* o = doc_->object(ref);
    if (!o)
        return {};
    return QRectF(bandOrigin(ref.band) + QPointF(o->x, o->y), QSizeF(o->width, o->height));
}

ObjRef DesignerScene::objectAt(QPointF pos) const
{
    const Report& r = doc_->report();
    const double tol = 3.0 * pixel();
    for (int b = static_cast<int>(r.bands.size()) - 1; b >= 0; --b) {
        const auto& objs = r.bands[static_cast<std::size_t>(b)].objects;
        for (int i = static_cast<int>(objs.size()) - 1; i >= 0; --i) {
            const QRectF rect = objectRect({b, i});
            // Thin objects (lines) are hit within a few pixels.
            const QRectF hit = rect.adjusted(rect.width() < 2 * tol ? -tol : 0, rect.height() < 2 * tol ? -tol : 0,
                                             rect.width() < 2 * tol ? tol : 0, rect.height() < 2 * tol ? tol : 0);
            if (hit.contains(pos))
                return {b, i};
        }
    }
    return {};
}

DesignerObjectItem* DesignerScene::itemFor(ObjRef ref) const
{
    if (ref.band < 0 || ref.band >= static_cast<int>(objectItems_.size()))
        return nullptr;
    const auto& items = objectItems_[static_cast<std::size_t>(ref.band)];
    if (ref.index < 0 || ref.index >= static_cast<int>(items.size()))
        return nullptr;
    return items[static_cast<std::size_t>(ref.index)];
}

double DesignerScene::pixel() const
{
    if (views().isEmpty())
        return 0.25;
    const double m = views().front()->transform().m11();
    return m > 0 ? 1.0 / m : 0.25;
}

void DesignerScene::rebuild()
{
    drag_ = Drag::None;
    clear();
    bandItems_.clear();
    objectItems_.clear();
    rubber_ = nullptr;
    layoutBands();
    const Report& r = doc_->report();
    double bottom = r.page.pageHeight();
    if (!r.bands.empty())
        bottom = std::max(bottom, bandRect(static_cast<int>(r.bands.size()) - 1).bottom() + r.page.marginBottom);
    const QRectF paper(0, 0, r.page.pageWidth(), bottom);
    const QRectF printable(r.page.marginLeft, r.page.marginTop, r.page.printableWidth(),
                           bottom - r.page.marginTop - r.page.marginBottom);
    addItem(new DesignerPageItem(paper, printable));
    for (int i = 0; i < static_cast<int>(r.bands.size()); ++i) {
        const Band& b = r.bands[static_cast<std::size_t>(i)];
        QString caption = bandKindCaption(b.kind);
        if (!b.name.isEmpty())
            caption += QStringLiteral(" «%1»").arg(b.name);
        if (!b.dataSet.isEmpty())
            caption += QStringLiteral(": ") + b.dataSet;
        if (b.kind == BandKind::GroupHeader && !b.condition.isEmpty())
            caption += QStringLiteral(" [%1]").arg(b.condition);
        std::vector<QRectF> ghosts;
        const QRectF strip = bandRect(i);
        if (isDataBand(b.kind) && r.page.columns > 1) {
            // The other columns of a label sheet: where the next rows print.
            for (int c = 1; c < r.page.columns; ++c)
                ghosts.push_back(strip.translated(c * (r.page.effectiveColumnWidth() + r.page.columnGap), 0));
        }
        auto* band = new DesignerBandItem(strip, captionRect(i), caption, captionColor(b.kind), std::move(ghosts));
        band->setGrid(grid_, showGrid_);
        addItem(band);
        bandItems_.push_back(band);
        auto& items = objectItems_.emplace_back();
        for (int k = 0; k < static_cast<int>(b.objects.size()); ++k) {
            auto* item = new DesignerObjectItem(*b.objects[static_cast<std::size_t>(k)]);
            item->setPos(objectRect({i, k}).topLeft());
            addItem(item);
            items.push_back(item);
        }
    }
    QRectF all = paper;
    for (const QGraphicsItem* it : items())
        all = all.united(it->sceneBoundingRect());
    setSceneRect(all.adjusted(-kPagePadding, -kPagePadding, kPagePadding, kPagePadding));
    updateSelection();
}

void DesignerScene::updateSelection()
{
    const DesignSelection& s = doc_->selection();
    for (int b = 0; b < static_cast<int>(bandItems_.size()); ++b)
        bandItems_[static_cast<std::size_t>(b)]->setSelected(s.objects.empty() && s.band == b);
    for (int b = 0; b < static_cast<int>(objectItems_.size()); ++b) {
        const auto& items = objectItems_[static_cast<std::size_t>(b)];
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            const ObjRef ref{b, i};
            auto it = std::find(s.objects.begin(), s.objects.end(), ref);
            items[static_cast<std::size_t>(i)]->setSelected(it != s.objects.end(), it == s.objects.begin() && s.objects.size() > 1);
        }
    }
}

int DesignerScene::handleAt(QPointF pos, ObjRef* ref) const
{
    const double tol = 4.0 * pixel();
    for (ObjRef r : doc_->selection().objects) {
        const QRectF rect = objectRect(r);
        for (int h = 0; h < kHandleCount; ++h) {
            const QPointF c = handlePoint(rect, h);
            if (std::abs(c.x() - pos.x()) <= tol && std::abs(c.y() - pos.y()) <= tol) {
                *ref = r;
                return h;
            }
        }
    }
    return -1;
}

int DesignerScene::bandEdgeAt(QPointF pos) const
{
    const double tol = 3.0 * pixel();
    for (int i = 0; i < static_cast<int>(bandTops_.size()); ++i) {
        const QRectF strip = bandRect(i);
        if (std::abs(pos.y() - strip.bottom()) <= tol && pos.x() >= strip.left() && pos.x() <= strip.right())
            return i;
    }
    return -1;
}

QRectF DesignerScene::resizedRect(QPointF delta) const
{
    double l = dragStartRect_.left();
    double t = dragStartRect_.top();
    double r = dragStartRect_.right();
    double b = dragStartRect_.bottom();
    const int h = dragHandle_;
    if (h == 0 || h == 6 || h == 7)
        l = std::min(snap(l + delta.x()), r);
    if (h == 2 || h == 3 || h == 4)
        r = std::max(snap(r + delta.x()), l);
    if (h == 0 || h == 1 || h == 2)
        t = std::min(snap(t + delta.y()), b);
    if (h == 4 || h == 5 || h == 6)
        b = std::max(snap(b + delta.y()), t);
    return QRectF(QPointF(std::max(0.0, l), std::max(0.0, t)), QPointF(r, b));
}

void DesignerScene::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    drag_ = Drag::None;
    dragStarted_ = false;
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    event->accept();
    const QPointF pos = event->scenePos();
    pressPos_ = pos;
    ObjRef handleRef;
    const int handle = handleAt(pos, &handleRef);
    if (handle >= 0) {
        drag_ = Drag::Resize;
        dragRef_ = handleRef;
        dragHandle_ = handle;
        const ReportObject* o = doc_->object(handleRef);
        dragStartRect_ = QRectF(o->x, o->y, o->width, o->height);
        return;
    }
    const int edge = bandEdgeAt(pos);
    if (edge >= 0 && objectAt(pos).band < 0) {
        drag_ = Drag::BandHeight;
        dragBand_ = edge;
        return;
    }
    const ObjRef hit = objectAt(pos);
    if (hit.band >= 0) {
        const auto& sel = doc_->selection().objects;
        const bool add = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
        const bool selected = std::find(sel.begin(), sel.end(), hit) != sel.end();
        if (add || !selected)
            doc_->selectObject(hit, add);
        const auto& now = doc_->selection().objects;
        if (std::find(now.begin(), now.end(), hit) != now.end()) {
            drag_ = Drag::Move;
            dragRef_ = hit;
        }
        return;
    }
    const int band = bandAt(pos);
    if (band >= 0) {
        drag_ = Drag::Rubber;
        dragBand_ = band;
        return;
    }
    doc_->setSelection({});
}

void DesignerScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    if (drag_ == Drag::None)
        return;
    const QPointF delta = event->scenePos() - pressPos_;
    if (!dragStarted_) {
        if (std::abs(delta.x()) + std::abs(delta.y()) < 3.0 * pixel())
            return;
        dragStarted_ = true;
    }
    switch (drag_) {
    case Drag::Move: {
        const ReportObject* anchor = doc_->object(dragRef_);
        if (!anchor)
            return;
        const QPointF step(snap(anchor->x + delta.x()) - anchor->x, snap(anchor->y + delta.y()) - anchor->y);
        for (ObjRef r : doc_->selection().objects)
            if (DesignerObjectItem* item = itemFor(r))
                item->setPos(objectRect(r).topLeft() + step);
        break;
    }
    case Drag::Resize: {
        const QRectF rect = resizedRect(delta);
        if (DesignerObjectItem* item = itemFor(dragRef_))
            item->setPreview(rect.translated(-dragStartRect_.topLeft()));
        break;
    }
    case Drag::BandHeight: {
        const double h = std::max(1.0, snap(bandRect(dragBand_).height() + delta.y()));
        bandItems_[static_cast<std::size_t>(dragBand_)]->setPreviewHeight(h);
        break;
    }
    case Drag::Rubber:
        if (!rubber_) {
            rubber_ = addRect(QRectF(), cosmeticPen(QColor(0x30, 0x60, 0xb0), Qt::DashLine), QColor(0x30, 0x60, 0xb0, 30));
            rubber_->setZValue(5);
        }
        rubber_->setRect(QRectF(pressPos_, event->scenePos()).normalized());
        break;
    case Drag::None:
        break;
    }
}

void DesignerScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    const Drag drag = drag_;
    drag_ = Drag::None;
    const QPointF delta = event->scenePos() - pressPos_;
    if (drag == Drag::Rubber) {
        if (!dragStarted_) {
            doc_->selectBand(dragBand_);
            return;
        }
        const QRectF area = QRectF(pressPos_, event->scenePos()).normalized();
        if (rubber_) {
            removeItem(rubber_);
            delete rubber_;
            rubber_ = nullptr;
        }
        DesignSelection s;
        if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
            s = doc_->selection();
        const Report& r = doc_->report();
        for (int b = 0; b < static_cast<int>(r.bands.size()); ++b)
            for (int i = 0; i < static_cast<int>(r.bands[static_cast<std::size_t>(b)].objects.size()); ++i)
                if (objectRect({b, i}).intersects(area) && std::find(s.objects.begin(), s.objects.end(), ObjRef{b, i}) == s.objects.end())
                    s.objects.push_back({b, i});
        if (s.objects.empty())
            s.band = dragBand_;
        doc_->setSelection(s);
        return;
    }
    if (!dragStarted_)
        return;
    switch (drag) {
    case Drag::Move: {
        const ReportObject* anchor = doc_->object(dragRef_);
        if (!anchor)
            return;
        const QPointF step(snap(anchor->x + delta.x()) - anchor->x, snap(anchor->y + delta.y()) - anchor->y);
        std::vector<Placement> places;
        for (ObjRef ref : doc_->selection().objects) {
            const ReportObject* o = doc_->object(ref);
            // Into another band: snapped to that band's grid, which need not line up with this one's.
            const QPointF to = objectRect(ref).topLeft() + delta;
            int band = bandAt(to + QPointF(0.01, 0.01));
            if (band < 0)
                band = ref.band;
            if (band == ref.band) {
                places.push_back({band, std::max(0.0, o->x + step.x()), std::max(0.0, o->y + step.y())});
            } else {
                const QPointF rel = to - bandOrigin(band);
                places.push_back({band, std::max(0.0, snap(rel.x())), std::max(0.0, snap(rel.y()))});
            }
        }
        doc_->placeSelection(places);
        // Nothing changed (the objects came back where they were): put the items back.
        for (ObjRef r : doc_->selection().objects)
            if (DesignerObjectItem* item = itemFor(r))
                item->setPos(objectRect(r).topLeft());
        break;
    }
    case Drag::Resize:
        if (DesignerObjectItem* item = itemFor(dragRef_))
            item->setPreview({});
        doc_->setObjectRect(dragRef_, resizedRect(delta));
        break;
    case Drag::BandHeight: {
        const double h = std::max(1.0, snap(bandRect(dragBand_).height() + delta.y()));
        bandItems_[static_cast<std::size_t>(dragBand_)]->setPreviewHeight(-1);
        doc_->setBandHeight(dragBand_, h);
        break;
    }
    case Drag::Rubber:
    case Drag::None:
        break;
    }
}

void DesignerScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    const ObjRef hit = objectAt(event->scenePos());
    if (hit.band >= 0)
        emit objectActivated(hit);
}

} // namespace qdr
