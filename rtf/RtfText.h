#pragma once
// Plain values into RTF documents: escaping and merge fields.

#include <QByteArray>
#include <QString>

#include <initializer_list>

namespace Rtf {

// RTF text that shows value exactly as typed: backslash and braces escaped,
// characters outside ASCII as \uN with a Windows-1252 fallback (or "?"), tabs as
// \tab and line ends (LF, CR LF or CR) as \par. Meant for a place where \uc1
// holds, as in every document the usual word processors write; replaceField
// adapts the fallback to the document.
QByteArray escapeText(QStringView value);

// Replaces every occurrence of field (for example "[Lugar]") in the text of
// the document by value, escaped as escapeText does. Occurrences are found from
// left to right; an inserted value is not searched again. A field counts when
// its characters are in the text in a row, even if formatting control words,
// braces or ignorable groups ({\*...}) split them, as word processors write
// after a spelling check or an edit inside the field: the value takes the
// formatting of the field's first character and the split formatting is kept,
// so the braces stay balanced. A field broken by text, a paragraph or cell
// mark, a tab, \uN, a field code or the edge of a \upr group or of one of its
// halves is not matched. Fields are matched in the document body, headers and
// footers, never inside font, colour or style tables, pictures or {\*...}
// groups, except the \ud half of a \upr group: both its halves are searched,
// so that readers of either one show the value. Field names must be ASCII or
// written as plain bytes or \'xx in the document's code page.
// count, when given, receives the number of replacements.
QByteArray replaceField(const QByteArray& rtf, QStringView field, QStringView value, int* count = nullptr);

// A field and the plain value that takes its place.
struct FieldValue {
    QStringView field;
    QStringView value;
};

// Replaces the first occurrence of each field (matched as replaceField
// matches) by its value, escaped as replaceField does. Every field is looked
// for in rtf as given, so a value put in is never taken for another field.
// count, when given, receives the number of fields replaced.
QByteArray replaceFirstFields(const QByteArray& rtf, std::initializer_list<FieldValue> fields,
                              int* count = nullptr);

// The same with a ready RTF fragment (generated lists with \par marks), put in
// as it is. A fragment that ends in a control word gets its delimiting blank.
QByteArray replaceFieldRtf(const QByteArray& rtf, QStringView field, const QByteArray& fragment,
                           int* count = nullptr);

} // namespace Rtf
