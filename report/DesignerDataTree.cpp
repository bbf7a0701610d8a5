#include "DesignerDataTree.h"

#include "DesignerDocument.h"
#include "DesignerView.h"
#include "ReportData.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>

namespace qdr {

namespace {
constexpr int kExpressionRole = Qt::UserRole + 1;

QTreeWidgetItem* leaf(QTreeWidgetItem* parent, const QString& text, const QString& expression, const QString& tip = {})
{
    auto* item = new QTreeWidgetItem(parent, {text});
    item->setData(0, kExpressionRole, expression);
    item->setToolTip(0, tip.isEmpty() ? QLatin1Char('[') + expression + QLatin1Char(']') : tip);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

QTreeWidgetItem* group(QTreeWidget* tree, const QString& text)
{
    auto* item = new QTreeWidgetItem(tree, {text});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QFont f = item->font(0);
    f.setBold(true);
    item->setFont(0, f);
    return item;
}
} // namespace

DesignerDataTree::DesignerDataTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderLabel(QStringLiteral("Datos"));
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setData(nullptr, {});
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString e = expressionOf(item);
        if (!e.isEmpty())
            emit expressionActivated(e);
    });
}

void DesignerDataTree::setData(const ReportData* data, const QStringList& variables)
{
    clear();
    if (data) {
        for (const QString& name : data->dataSetNames()) {
            QTreeWidgetItem* set = group(this, name);
            if (const DataSource* ds = data->dataSet(name))
                for (const QString& field : ds->fieldNames())
                    leaf(set, field, fieldExpression(name, field));
        }
    }
    if (!variables.isEmpty()) {
        QTreeWidgetItem* vars = group(this, QStringLiteral("Variables"));
        for (const QString& v : variables)
            leaf(vars, v, v);
    }
    QTreeWidgetItem* sys = group(this, QStringLiteral("Variables del sistema"));
    leaf(sys, QStringLiteral("Page"), QStringLiteral("Page"), QStringLiteral("Número de página"));
    leaf(sys, QStringLiteral("Pages"), QStringLiteral("Pages"), QStringLiteral("Número de páginas"));
    leaf(sys, QStringLiteral("Line"), QStringLiteral("Line"), QStringLiteral("Número de línea"));
    leaf(sys, QStringLiteral("Date"), QStringLiteral("Date"), QStringLiteral("Fecha"));
    leaf(sys, QStringLiteral("Time"), QStringLiteral("Time"), QStringLiteral("Hora"));
    expandAll();
}

QString DesignerDataTree::expressionOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kExpressionRole).toString() : QString();
}

QStringList DesignerDataTree::mimeTypes() const
{
    return {QLatin1String(kExpressionMime), QStringLiteral("text/plain")};
}

QMimeData* DesignerDataTree::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    return items.isEmpty() ? nullptr : dragData(items.front());
}

QMimeData* DesignerDataTree::dragData(const QTreeWidgetItem* item)
{
    const QString e = expressionOf(item);
    if (e.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(kExpressionMime), e.toUtf8());
    mime->setText(QLatin1Char('[') + e + QLatin1Char(']'));
    return mime;
}

void DesignerDataTree::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !expressionOf(currentItem()).isEmpty()) {
        emit expressionActivated(expressionOf(currentItem()));
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace qdr
