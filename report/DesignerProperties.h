// The designer's property panel: the page set-up when nothing is selected,
// the current band's properties when a band is selected, and the properties
// of the selected objects otherwise (shown for the first one, applied to every
// selected object that has them). Each edit is one undo step.
#pragma once

#include "DesignerDocument.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QFormLayout;
class QLabel;
class QScrollArea;

namespace qdr {

class DesignerProperties : public QWidget {
    Q_OBJECT
public:
    explicit DesignerProperties(DesignerDocument* doc, QWidget* parent = nullptr);

    // Offered in the dataset choices of bands and charts.
    void setDataSetNames(const QStringList& names);
    // Focuses the editor of the selected object's main property (its text or expression).
    void focusMainProperty();
    void focusFirstEditor();
    // The editor of a property by caption, for the keyboard and for tests; null when not shown.
    QWidget* editorFor(const QString& caption) const;

    enum class Editor : std::uint8_t { Number, Integer, Check, Line, Multi, Choice, Combo, Color, OptColor, Font, File, Rtf };
    struct Prop {
        QString caption;
        Editor editor = Editor::Line;
        QStringList choices; // captions of a choice by index, or suggestions of a combo
        double minimum = 0.0;
        double maximum = 2000.0;
        // Invalid when the property does not apply to the current target.
        std::function<QVariant(const Report&, const DesignSelection&)> get;
        std::function<void(Report&, DesignSelection&, const QVariant&)> set;
        bool main = false; // what Enter or a double click on the object opens
    };

private:
    void refresh();
    void rebuild(const QString& key);
    void updateValues();
    QWidget* makeEditor(const Prop& prop, std::size_t index);
    void apply(std::size_t index, const QVariant& value);
    QString targetKey() const;
    std::vector<Prop> propsForTarget() const;

    DesignerDocument* doc_;
    QStringList dataSets_;
    QLabel* title_;
    QScrollArea* scroll_;
    QPointer<QWidget> form_;
    QString key_;
    std::vector<Prop> props_;
    std::vector<QWidget*> editors_;
    bool updating_ = false;
};

} // namespace qdr
