// Exporters: files made from a laid-out document. Each throws EReportError
// (naming the file) when the file cannot be written.
#pragma once

#include "ReportDocument.h"

#include <QString>

namespace qdr {

// PDF through QPdfWriter: text stays text, fonts are embedded.
void exportPdf(const Document& doc, const QString& fileName);
// HTML: one positioned block per page, every text escaped.
void exportHtml(const Document& doc, const QString& fileName);
QString documentHtml(const Document& doc);
// CSV of the data bands: ";" between fields, one band per line, empty lines
// dropped, a field quoted when it holds ";", a quotation mark or a line break.
void exportCsv(const Document& doc, const QString& fileName);
QString documentCsv(const Document& doc);
// Plain text: the pages on a character grid, separated by form feeds.
void exportText(const Document& doc, const QString& fileName);
QString documentText(const Document& doc);
// RTF for the word processor.
void exportRtf(const Document& doc, const QString& fileName);

// The exporter of an output target: "PDF", "HTML", "EXCEL" (CSV), "WORD" (RTF).
// Returns false, writing nothing, for any other target.
bool exportDocument(const Document& doc, const QString& target, const QString& fileName);
// The working file of a target in the program folder: "tmp.pdf", "tmp.htm",
// "tmp.csv", "tmp.rtf"; empty for any other target.
QString exportFileName(const QString& target);

} // namespace qdr
