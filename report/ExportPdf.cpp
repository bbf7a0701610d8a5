#include "ReportError.h"
#include "ReportExport.h"
#include "ReportPainter.h"

#include <QPageSize>
#include <QPdfWriter>

namespace qdr {

void exportPdf(const Document& doc, const QString& fileName)
{
    constexpr int kDpi = 1200;
    QPdfWriter writer(fileName);
    writer.setResolution(kDpi);
    writer.setTitle(doc.title);
    writer.setCreator(QStringLiteral("QuorumDesk"));
    auto setPage = [&](const Page& p) {
        writer.setPageSize(QPageSize(QSizeF(p.width, p.height), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    };
    if (!doc.pages.empty())
        setPage(doc.pages.front());
    QPainter painter;
    if (!painter.begin(&writer))
        throw EReportError(QStringLiteral("No se puede escribir el fichero «%1»").arg(fileName));
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
        if (i > 0) {
            setPage(doc.pages[i]);
            writer.newPage();
        }
        paintPage(painter, doc, static_cast<int>(i), kDpi);
    }
    painter.end();
}

} // namespace qdr
