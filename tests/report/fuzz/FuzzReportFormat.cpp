#include "FuzzReportFormat.h"

#include "ReportError.h"
#include "ReportLayout.h"
#include "ReportXml.h"

namespace qdrfuzz {

QString checkFormatBytes(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    qdr::Report report;
    try {
        report = qdr::reportFromXml(bytes, QStringLiteral("fuzz.frf"));
    } catch (const qdr::EReportError& e) {
        if (!e.message().startsWith(QStringLiteral("El fichero «fuzz.frf» no es un formato de informe válido")))
            return QStringLiteral("unexpected load error: ") + e.message();
        return {};
    }
    const QByteArray saved = qdr::reportToXml(report);
    try {
        if (qdr::reportToXml(qdr::reportFromXml(saved)) != saved)
            return QStringLiteral("the format changes when saved and loaded again");
    } catch (const qdr::EReportError& e) {
        return QStringLiteral("a saved format does not load again: ") + e.message();
    }
    try {
        qdr::layoutReport(report, qdr::ReportData());
    } catch (const qdr::EReportError&) {
        // Names the format uses are missing, or a band cannot fit: reported, not a fault.
    }
    return {};
}

} // namespace qdrfuzz
