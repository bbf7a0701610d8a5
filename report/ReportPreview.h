// Preview and printing of a laid-out report (QtPrintSupport).
#pragma once

#include "ReportDocument.h"

class QPrinter;
class QWidget;

namespace qdr {

// The print preview window, modal; the user prints from it.
void showPreview(const Document& doc, QWidget* parent = nullptr);
// The print dialog, then printing; false when the user cancels.
bool printDocument(const Document& doc, QWidget* parent = nullptr);
// Every page to a printer already set up, each with its own paper size.
void printTo(QPrinter& printer, const Document& doc);

} // namespace qdr
