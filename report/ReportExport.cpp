#include "ReportExport.h"

namespace qdr {

bool exportDocument(const Document& doc, const QString& target, const QString& fileName)
{
    if (target == QLatin1String("PDF"))
        exportPdf(doc, fileName);
    else if (target == QLatin1String("HTML"))
        exportHtml(doc, fileName);
    else if (target == QLatin1String("EXCEL"))
        exportCsv(doc, fileName);
    else if (target == QLatin1String("WORD"))
        exportRtf(doc, fileName);
    else
        return false;
    return true;
}

QString exportFileName(const QString& target)
{
    if (target == QLatin1String("PDF"))
        return QStringLiteral("tmp.pdf");
    if (target == QLatin1String("HTML"))
        return QStringLiteral("tmp.htm");
    if (target == QLatin1String("EXCEL"))
        return QStringLiteral("tmp.csv");
    if (target == QLatin1String("WORD"))
        return QStringLiteral("tmp.rtf");
    return {};
}

} // namespace qdr
