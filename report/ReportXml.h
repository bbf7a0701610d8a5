// The format file: versioned XML, lengths in millimetres, and only what
// differs from the defaults of the model. The stored formats ("tmp.frf",
// "FORMATO" + code + ".FRF") are these files byte for byte.
#pragma once

#include "ReportModel.h"

#include <QByteArray>
#include <QString>

namespace qdr {

constexpr int kFormatVersion = 1;
// The bounds of a format read: its file's bytes (its pictures go inside, as
// a stored document's do), and its bands and objects together. A dense
// report has a few hundred; 200 000 text objects took 30 s and 1 GB to lay
// out, so a format beyond the bound is refused as it is read.
constexpr qint64 kMaxFormatBytes = 32 * 1024 * 1024;
constexpr int kMaxObjects = 5000;

// Throw EReportError with a message that names the file (or `sourceName`) and,
// for a malformed file, the line at fault.
Report reportFromXml(const QByteArray& xml, const QString& sourceName = {});
Report loadReport(const QString& fileName);

QByteArray reportToXml(const Report& report);
void saveReport(const Report& report, const QString& fileName);

} // namespace qdr
