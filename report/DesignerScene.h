// The designer's page: the paper with its bands stacked as horizontal strips
// (each under a caption bar that is not printed), the objects drawn as they
// print, the grid, and the mouse: click to select (Ctrl or Shift adds), drag
// to move (into another band too), the handles to resize, the lower edge of a
// band to change its height, and a rubber band over empty space to select
// several objects. Scene units are millimetres.
#pragma once

#include "DesignerDocument.h"

#include <QGraphicsScene>

#include <vector>

namespace qdr {

class DesignerObjectItem;
class DesignerBandItem;

class DesignerScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit DesignerScene(DesignerDocument* doc, QObject* parent = nullptr);

    // Height of the caption bar above each band.
    static constexpr double kCaptionHeight = 4.5;

    double gridStep() const { return grid_; }
    void setGridStep(double mm);
    bool gridVisible() const { return showGrid_; }
    void setGridVisible(bool on);
    bool snapToGrid() const { return snap_; }
    void setSnapToGrid(bool on);
    double snap(double v) const;

    // Band (0, 0) in scene coordinates, and the band's strip.
    QPointF bandOrigin(int band) const;
    QRectF bandRect(int band) const;
    QRectF captionRect(int band) const;
    // The band whose strip or caption holds the point; -1 for none.
    int bandAt(QPointF scenePos) const;
    QRectF objectRect(ObjRef ref) const;
    // The object under the point, the one drawn on top first.
    ObjRef objectAt(QPointF scenePos) const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;

signals:
    // A double click on an object: the window opens its main property.
    void objectActivated(ObjRef ref);

private:
    enum class Drag : std::uint8_t { None, Move, Resize, BandHeight, Rubber };

    void rebuild();
    void updateSelection();
    void layoutBands();
    // Millimetres per screen pixel in the first view: handles and tolerances are pixels.
    double pixel() const;
    int handleAt(QPointF scenePos, ObjRef* ref) const;
    int bandEdgeAt(QPointF scenePos) const;
    QRectF resizedRect(QPointF delta) const;
    DesignerObjectItem* itemFor(ObjRef ref) const;

    DesignerDocument* doc_;
    double grid_ = 2.0;
    bool showGrid_ = true;
    bool snap_ = true;

    std::vector<double> bandTops_; // band strip tops, scene coordinates
    std::vector<DesignerBandItem*> bandItems_;
    std::vector<std::vector<DesignerObjectItem*>> objectItems_;
    QGraphicsRectItem* rubber_ = nullptr;

    Drag drag_ = Drag::None;
    bool dragStarted_ = false;
    QPointF pressPos_;
    ObjRef dragRef_;
    int dragHandle_ = -1;
    int dragBand_ = -1;
    QRectF dragStartRect_;
};

} // namespace qdr
