// The format file: versioned XML, lengths in millimetres, and only what
// differs from the defaults of the model. The stored formats ("tmp.frf",
// "FORMATO" + code + ".FRF") are these files byte for byte.
#pragma once

#include "ReportModel.h"

#include <QByteArray>
#include <QString>

namespace qdr {

constexpr int kFormatVersion = 1;

// Throw EReportError with a message that names the file (or `sourceName`) and,
// for a malformed file, the line at fault.
Report reportFromXml(const QByteArray& xml, const QString& sourceName = {});
Report loadReport(const QString& fileName);

QByteArray reportToXml(const Report& report);
void saveReport(const Report& report, const QString& fileName);

} // namespace qdr
