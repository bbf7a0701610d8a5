// RTF in the report engine: reading the rich-text objects' documents and the
// "WORD" export. Both go through the program's RTF reader and writer.
#include "ReportError.h"
#include "ReportExport.h"
#include "ReportRichText.h"

namespace qdr {

RichTextLayout layoutRichText(const QString&, double, Document&)
{
    throw EReportError(QStringLiteral("Los objetos de texto enriquecido (RTF) aún no se pueden imprimir"));
}

void exportRtf(const Document&, const QString&)
{
    throw EReportError(QStringLiteral("La exportación a RTF aún no está disponible"));
}

} // namespace qdr
