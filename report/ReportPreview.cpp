#include "ReportPreview.h"

#include "ReportPainter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace qdr {

namespace {
QPageLayout pageLayout(const Page& p)
{
    // Paper given in its printed orientation, no printer margins: the report
    // carries its own.
    const bool landscape = p.width > p.height;
    const QSizeF portrait = landscape ? QSizeF(p.height, p.width) : QSizeF(p.width, p.height);
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}
} // namespace

void printTo(QPrinter& printer, const Document& doc)
{
    printer.setFullPage(true);
    if (!doc.pages.empty())
        printer.setPageLayout(pageLayout(doc.pages.front()));
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
        if (i > 0) {
            printer.setPageLayout(pageLayout(doc.pages[i]));
            printer.newPage();
        }
        paintPage(painter, doc, static_cast<int>(i), printer.resolution());
    }
    painter.end();
}

void showPreview(const Document& doc, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(doc.title);
    if (!doc.pages.empty())
        printer.setPageLayout(pageLayout(doc.pages.front()));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(doc.title.isEmpty() ? QStringLiteral("Vista previa") : QStringLiteral("Vista previa - %1").arg(doc.title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&doc](QPrinter* p) { printTo(*p, doc); });
    dialog.resize(900, 700);
    dialog.exec();
}

bool printDocument(const Document& doc, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(doc.title);
    if (!doc.pages.empty())
        printer.setPageLayout(pageLayout(doc.pages.front()));
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printTo(printer, doc);
    return true;
}

} // namespace qdr
