#pragma once
// Pieces the reader, the writer and the text helpers share.

#include <QByteArray>
#include <QStringView>
#include <QTextFormat>

namespace Rtf::detail {

// Document units (Qt's layout pixels at 96 dpi) and twips, 1/1440 inch.
constexpr double kTwipsPerUnit = 15.0;

// A picture read from RTF keeps its encoded bytes and their type ("png",
// "jpeg", "bmp") on its image format, so that writing it again costs no
// re-encoding and keeps a photograph as JPEG.
constexpr int kImageBytesProperty = QTextFormat::UserProperty + 0x5210;
constexpr int kImageTypeProperty = QTextFormat::UserProperty + 0x5211;

struct EscapeOptions {
    // Every character outside ASCII as \uN (merges into documents of any code
    // page); otherwise Windows-1252 characters as \'xx, the rest as \uN.
    bool unicodeAlways = false;
    // Fallback characters after \uN: the \ucN in force where the text goes.
    int fallbackChars = 1;
    // Line ends as \par (plain values); otherwise they are dropped, since a
    // block's text holds none.
    bool lineEndsAsPar = false;
};

void appendEscaped(QByteArray& out, QStringView text, const EscapeOptions& options);

} // namespace Rtf::detail
