#pragma once
// Code pages of RTF text: \ansicpgN for the document, \fcharsetN or \cpgN for a
// font. Single-byte pages decode through a 256-entry table built once per page;
// the double-byte Asian pages and UTF-8 (65001) through QStringDecoder.

#include <QByteArrayView>
#include <QString>

namespace Rtf::detail {

// The Windows code page of an RTF font character set, or 0 when the font uses
// the document's page (\fcharset1 and unknown sets).
int codePageForCharset(int charset);

// True when the page is one this reader can decode; unknown pages read as 1252.
bool isKnownCodePage(int codePage);

// Appends bytes of the given page to out. Bytes that the page does not map
// become U+FFFD.
void decodeAppend(QString& out, QByteArrayView bytes, int codePage);

// The Windows-1252 byte for a character, or -1 when 1252 has none.
int toCp1252(char16_t c);

} // namespace Rtf::detail
