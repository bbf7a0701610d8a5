#include "DesignerView.h"

#include "DesignerScene.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>

namespace qdr {

DesignerView::DesignerView(DesignerDocument* doc, DesignerScene* scene, QWidget* parent)
    : QGraphicsView(scene, parent), doc_(doc), scene_(scene)
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setZoom(1.0);
}

void DesignerView::setZoom(double zoom)
{
    zoom_ = std::clamp(zoom, 0.25, 8.0);
    // Zoom 1 shows millimetres at their size on the screen.
    const double scale = zoom_ * logicalDpiX() / 25.4;
    setTransform(QTransform::fromScale(scale, scale));
}

void DesignerView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        if (doc_->selection().objects.empty()) {
            // Nothing to move: the arrows scroll the page.
            QGraphicsView::keyPressEvent(event);
            return;
        }
        const double step = mods & Qt::ControlModifier ? 0.1 : (scene_->snapToGrid() ? scene_->gridStep() : 1.0);
        double dx = 0;
        double dy = 0;
        if (key == Qt::Key_Left)
            dx = -step;
        else if (key == Qt::Key_Right)
            dx = step;
        else if (key == Qt::Key_Up)
            dy = -step;
        else
            dy = step;
        if (mods & Qt::ShiftModifier)
            doc_->growSelection(dx, dy);
        else
            doc_->nudgeSelection(dx, dy);
        event->accept();
        return;
    }
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(mods & Qt::ControlModifier)) {
        if (!focusNextPrevChild(key == Qt::Key_Tab && !(mods & Qt::ShiftModifier)))
            event->ignore();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && doc_->selection().objects.size() == 1) {
        emit objectActivated(doc_->selection().objects.front());
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && !doc_->selection().objects.empty()) {
        doc_->selectBand(doc_->selection().band);
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

bool DesignerView::focusNextPrevChild(bool next)
{
    // Tab goes through the objects of the page; with none, focus moves on.
    const Report& r = doc_->report();
    const bool any = std::any_of(r.bands.begin(), r.bands.end(), [](const Band& b) { return !b.objects.empty(); });
    if (!any)
        return QGraphicsView::focusNextPrevChild(next);
    selectNext(next);
    return true;
}

void DesignerView::selectNext(bool forward)
{
    const Report& r = doc_->report();
    std::vector<ObjRef> all;
    for (int b = 0; b < static_cast<int>(r.bands.size()); ++b)
        for (int i = 0; i < static_cast<int>(r.bands[static_cast<std::size_t>(b)].objects.size()); ++i)
            all.push_back({b, i});
    const auto& sel = doc_->selection().objects;
    int at = -1;
    if (!sel.empty())
        at = static_cast<int>(std::find(all.begin(), all.end(), sel.front()) - all.begin());
    const int n = static_cast<int>(all.size());
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    doc_->selectObject(all[static_cast<std::size_t>(next)], false);
    ensureVisible(scene_->objectRect(all[static_cast<std::size_t>(next)]));
}

int DesignerView::dropBand(const QPointF& viewPos, QPointF* bandPos) const
{
    const QPointF scenePos = mapToScene(viewPos.toPoint());
    const int band = scene_->bandAt(scenePos);
    if (band < 0)
        return -1;
    const QPointF rel = scenePos - scene_->bandOrigin(band);
    const QRectF strip = scene_->bandRect(band);
    *bandPos = QPointF(std::clamp(scene_->snap(rel.x()), 0.0, std::max(0.0, strip.width() - 1.0)),
                       std::clamp(scene_->snap(rel.y()), 0.0, std::max(0.0, strip.height() - 1.0)));
    return band;
}

void DesignerView::dragEnterEvent(QDragEnterEvent* event)
{

    if (event->mimeData()->hasFormat(QLatin1String(kExpressionMime)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignerView::dragMoveEvent(QDragMoveEvent* event)
{
    QPointF at;
    if (event->mimeData()->hasFormat(QLatin1String(kExpressionMime)) && dropBand(event->position(), &at) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignerView::dropEvent(QDropEvent* event)
{
    QPointF at;
    const int band = dropBand(event->position(), &at);
    if (band < 0 || !event->mimeData()->hasFormat(QLatin1String(kExpressionMime))) {
        event->ignore();
        return;
    }
    const QString expression = QString::fromUtf8(event->mimeData()->data(QLatin1String(kExpressionMime)));
    doc_->insertExpression(expression, band, at);
    event->acceptProposedAction();
    setFocus();
}

} // namespace qdr
