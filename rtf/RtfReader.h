#pragma once
// RTF bytes to a QTextDocument.
//
// Kept: paragraphs, line breaks, page breaks (\page, \pagebb and page section
// breaks become a page-break-before on the next block), character formatting
// (bold, italic, underline styles, strike, font family and size, colour,
// background, super- and subscript, capitals), paragraph alignment, indents,
// spacing, line spacing and tab stops, hyperlinks, PNG, JPEG and DIB pictures,
// and tables (cell widths, horizontal and vertical merges, cell background,
// borders). Text is decoded with \ansicpg and the fonts' \fcharset, \'xx and
// \uN with \ucN; of a \upr group, the \ud half is read and the ANSI half
// written for older readers is not.
//
// Left out: headers, footers, footnotes, comments, styles (their formatting is
// repeated on every paragraph by the usual writers), list numbering (the label
// text that writers put in \listtext is kept as text), metafile pictures,
// hidden text. Tables nested in a cell are flattened into paragraphs of the
// outer cell.

#include "RtfError.h"

#include <QByteArray>

class QTextDocument;

namespace Rtf {

// What a stored document (a letter, minutes, a template) may cost to open.
// Real ones stay under a few MB and tens of thousands of paragraphs. Each
// paragraph, table cell and change of format costs the QTextDocument some
// microseconds and some hundred bytes on the user-interface thread (two
// million short paragraphs took 18 s and 780 MB in the editor); at each bound
// reading takes under a second. A document beyond them is refused while it is
// parsed, before the QTextDocument is built.
//
// Bytes: photographs go as hex, twice their size, and Word writes most
// pictures twice (the second a metafile for older readers), so a few of them
// weigh more than the text of any letter.
inline constexpr qsizetype kMaxDocumentBytes = 32 * 1024 * 1024;
// A few times the paragraphs (table cells' included) of a long book of minutes.
inline constexpr qint64 kMaxDocumentParagraphs = 100'000;
inline constexpr qint64 kMaxDocumentTableCells = 100'000;
// Runs of text in one format: five a paragraph at the paragraph bound.
inline constexpr qint64 kMaxDocumentRuns = 500'000;

struct ReadLimits {
    qsizetype maxInputBytes = kMaxDocumentBytes;
    int maxGroupDepth = 512;
    // Encoded bytes of one picture; a larger picture is left out.
    qsizetype maxPictureBytes = 64 * 1024 * 1024;
    // Pixels of one picture, and of all pictures of the document; pictures
    // beyond them are left out.
    qint64 maxPicturePixels = 25'000'000;
    qint64 maxTotalPicturePixels = 100'000'000;
    // Paragraphs (table cells' included), cells of all the tables, runs of
    // text in one format (a picture is one).
    qint64 maxParagraphs = kMaxDocumentParagraphs;
    qint64 maxTableCells = kMaxDocumentTableCells;
    qint64 maxRuns = kMaxDocumentRuns;
};

// True when the bytes start like an RTF document ("{\rtf", after blanks).
bool isRtf(const QByteArray& bytes);

// Replaces the content of doc by the document in rtf. Throws ERtfError when the
// bytes are not RTF or exceed the limits; doc is then left empty. Damaged RTF
// (unbalanced braces, a truncated file, unknown control words) is read as far
// as it goes.
void read(const QByteArray& rtf, QTextDocument& doc, const ReadLimits& limits = {});

} // namespace Rtf
