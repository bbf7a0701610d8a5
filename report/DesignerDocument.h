// The report designer's document: the format being designed, what is
// selected in it, and the undo stack. Every change goes through change(), which
// records the format and selection before and after as one undo step, so undo
// and redo restore exactly what the user saw.
#pragma once

#include "ReportModel.h"

#include <QByteArray>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QUndoStack>

#include <functional>
#include <vector>

namespace qdr {

// An object by position: band index and index among the band's objects.
struct ObjRef {
    int band = -1;
    int index = -1;
    bool operator==(const ObjRef&) const = default;
};

struct DesignSelection {
    std::vector<ObjRef> objects; // the first one is the reference for align and same size
    int band = -1;               // the current band: selected, or holding the first object
    bool operator==(const DesignSelection&) const = default;
};

// Where an object goes when it is moved, possibly into another band.
struct Placement {
    int band = -1;
    double x = 0.0;
    double y = 0.0;
};

enum class AlignEdge : std::uint8_t { Left, Right, Top, Bottom };
enum class SameSize : std::uint8_t { Width, Height, Both };

// Keyboard steps repeated on the same selection merge into one undo step.
enum class MergeKey : int { None = -1, Nudge = 1, Grow = 2 };

class DesignerDocument : public QObject {
    Q_OBJECT
public:
    explicit DesignerDocument(QObject* parent = nullptr);

    const Report& report() const { return report_; }
    // A new format to design: the undo history is cleared and the document is unmodified.
    void setReport(Report report);
    QUndoStack* undoStack() { return &undo_; }
    bool isModified() const { return !undo_.isClean(); }
    void markSaved() { undo_.setClean(); }

    const DesignSelection& selection() const { return selection_; }
    void setSelection(DesignSelection selection);
    void selectBand(int band);
    // `add` toggles the object in the selection instead of replacing it.
    void selectObject(ObjRef ref, bool add);
    void selectAll();
    const ReportObject* object(ObjRef ref) const;
    // The band new objects go into: the current band, or the first band.
    int targetBand() const;

    // One undo step named `text`: `edit` changes a copy of the format and the
    // selection; nothing is recorded when it leaves both as they were.
    void change(const QString& text, const std::function<void(Report&, DesignSelection&)>& edit,
                MergeKey merge = MergeKey::None);

    // Inserted where the band list keeps the engine's order; selects the new band.
    int insertBand(BandKind kind, const QString& defaultDataSet = {});
    // A new object of the usual size at `at` (band coordinates); selects it.
    ObjRef insertObject(ObjectKind kind, int band, QPointF at);
    // A text object showing [expression] at `at`; selects it.
    ObjRef insertExpression(const QString& expression, int band, QPointF at);
    // Moves the selected objects: one placement for each, in selection order.
    void placeSelection(const std::vector<Placement>& places);
    void nudgeSelection(double dx, double dy);
    void growSelection(double dw, double dh);
    void setObjectRect(ObjRef ref, const QRectF& rect);
    void setBandHeight(int band, double height);
    void align(AlignEdge edge);
    void makeSameSize(SameSize what);
    // Deletes the selected objects or, with none selected, the current band.
    void deleteSelection();
    // The selected objects as a format file of one band (the clipboard's content).
    QByteArray copySelection() const;
    // Adds the objects of a copied selection to the target band and selects them.
    // False when the bytes are not a copied selection or there is no band.
    bool paste(const QByteArray& bytes);
    // One blank page, as one undo step.
    void newReport();

    QString uniqueObjectName(ObjectKind kind) const;

signals:
    void reportChanged();
    void selectionChanged();

private:
    friend class SnapshotCommand;
    void restore(const Report& report, const DesignSelection& selection);

    Report report_;
    DesignSelection selection_;
    QUndoStack undo_;
};

// The caption of a band kind as the designer shows it ("Datos maestros").
QString bandKindCaption(BandKind kind);
// The caption of an object kind ("Código de barras").
QString objectKindCaption(ObjectKind kind);
// The default size of a new object, millimetres.
QSizeF defaultObjectSize(ObjectKind kind);
// The expression of a field: frDBCampos."NOMBRE" (a '"' in the name doubled).
QString fieldExpression(const QString& dataSet, const QString& field);

} // namespace qdr
