#pragma once
// A QTextDocument to RTF: \ansi\ansicpg1252 with \uc1, font and colour tables,
// character and paragraph formatting, tables (with merged cells), pictures as
// PNG or JPEG, page breaks as \pagebb. What the reader keeps comes back the same
// when the written bytes are read again. List items are written as paragraphs
// whose label ("1.", bullet) is text; tables nested in a cell are flattened.

#include <QByteArray>

class QTextDocument;

namespace Rtf {

QByteArray write(const QTextDocument& doc);

} // namespace Rtf
