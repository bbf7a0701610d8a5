#pragma once
// Helpers of the RTF tests: test files, a readable description of a
// document's text and formatting, and a sample document.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace RtfTest {

QByteArray dataFile(const QString& name);

// One line per block with its properties, then one line per run of text with
// its character formatting; tables as a header line and their cells in order.
QString describe(const QTextDocument& doc);

// The document's characters, blocks joined by "\n" (line breaks, tabs and
// non-breaking spaces kept as they are).
QString rawText(const QTextDocument& doc);

// A document with every kind of formatting the writer writes: character and
// paragraph formatting, characters outside Windows-1252, tabs, a line break,
// a page break, a table with merged cells, a picture and a hyperlink.
void buildSampleDocument(QTextDocument& doc);

// An RTF picture group of an image encoded in the given format ("PNG",
// "JPEG"), or as a device-independent bitmap for "DIB".
QByteArray pictGroup(int width, int height, const char* format);

} // namespace RtfTest
