// The data the caller offers the report: its datasets with their fields, its
// variables and the system variables. A field or variable is dragged onto a
// band to place a text object showing it, or chosen with Enter to place one in
// the current band.
#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace qdr {

class ReportData;

class DesignerDataTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit DesignerDataTree(QWidget* parent = nullptr);

    // `data` is read now only: dataset names and their fields.
    void setData(const ReportData* data, const QStringList& variables);
    // The expression an entry stands for; empty for the group entries.
    static QString expressionOf(const QTreeWidgetItem* item);
    // What dragging an entry carries; null for the group entries.
    static QMimeData* dragData(const QTreeWidgetItem* item);

signals:
    void expressionActivated(const QString& expression);

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qdr
