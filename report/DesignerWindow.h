// The report designer's window: menus "Archivo", "Edición", "Insertar",
// "Alinear" and "Ver", a tool bar, the data tree on the left, the page in the
// middle and the property panel on the right. Modal; closing with unsaved
// changes asks whether to save them. F6 moves between the three panes.
#pragma once

#include "DesignerDocument.h"

#include <QDialog>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;

namespace qdr {

class DesignerDataTree;
class DesignerProperties;
class DesignerScene;
class DesignerView;
class ReportData;

class DesignerWindow : public QDialog {
    Q_OBJECT
public:
    explicit DesignerWindow(QWidget* parent = nullptr);

    // The format to design; `name` goes in the title, `saveFile` is where
    // "Guardar" writes (asked for when empty).
    void setReport(Report report, const QString& name, const QString& saveFile);
    // The data the caller runs the report with: offered in the data tree and
    // used by "Vista previa". Not owned.
    void setData(const ReportData* data, const QStringList& variables);
    void setNewReportEnabled(bool enabled);

    // Writes the format; false (after telling the user) when it cannot.
    bool save();
    // Builds the report with the caller's data and shows the preview.
    void preview();
    bool savedOnce() const { return savedOnce_; }
    // The format as last saved in this session.
    const Report& savedReport() const { return savedReport_; }
    QString saveFile() const { return saveFile_; }

    DesignerDocument* document() { return &doc_; }
    DesignerScene* scene() const { return scene_; }
    DesignerView* view() const { return view_; }
    DesignerDataTree* dataTree() const { return tree_; }
    DesignerProperties* properties() const { return props_; }
    // A command by its caption ("Guardar", "Nuevo informe").
    QAction* action(const QString& caption) const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenus();
    QAction* addCommand(QMenu* menu, const QString& caption, const QKeySequence& key, const std::function<void()>& run,
                        const QIcon& icon = {});
    void insertObject(ObjectKind kind);
    void insertExpression(const QString& expression);
    QPointF freeSpot(int band, ObjectKind kind) const;
    void copy();
    void cut();
    void paste();
    void updateActions();
    void updateStatus();
    void fitWidth();
    bool confirmClose();

    DesignerDocument doc_;
    DesignerScene* scene_;
    DesignerView* view_;
    DesignerDataTree* tree_;
    DesignerProperties* props_;
    QLabel* status_;
    QString name_;
    QString saveFile_;
    const ReportData* data_ = nullptr;
    bool savedOnce_ = false;
    bool fitted_ = false;
    Report savedReport_;
    QList<QAction*> selectionActions_; // need objects selected
    QList<QAction*> multiActions_;     // need two or more
    QAction* newReport_ = nullptr;
    QAction* delete_ = nullptr;
};

} // namespace qdr
