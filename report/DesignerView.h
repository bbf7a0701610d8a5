// The view of the designer's page: zoom, the keyboard (arrows move the
// selection by a grid step, Ctrl+arrows by a tenth of a millimetre,
// Shift+arrows resize; Tab and Shift+Tab go through the objects; Enter opens
// the selected object's main property), and fields or variables dropped from
// the data tree, which become text objects where they are dropped.
#pragma once

#include "DesignerDocument.h"

#include <QGraphicsView>

namespace qdr {

class DesignerScene;

// MIME type of an expression dragged from the data tree.
inline constexpr const char* kExpressionMime = "application/x-quorumdesk-report-expression";

class DesignerView : public QGraphicsView {
    Q_OBJECT
public:
    DesignerView(DesignerDocument* doc, DesignerScene* scene, QWidget* parent = nullptr);

    double zoom() const { return zoom_; }
    void setZoom(double zoom);

signals:
    // Enter on a selected object.
    void objectActivated(ObjRef ref);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The band under a drop position; -1 when it is not over a band.
    int dropBand(const QPointF& viewPos, QPointF* bandPos) const;
    void selectNext(bool forward);

    DesignerDocument* doc_;
    DesignerScene* scene_;
    double zoom_ = 1.0;
};

} // namespace qdr
