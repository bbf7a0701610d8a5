#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

// Types of the values the data-access layer carries between the program and
// the server.

enum class TFieldType {
    ftUnknown,
    ftString,   // CHAR / VARCHAR
    ftSmallint,
    ftInteger,
    ftLargeint,
    ftFloat,    // FLOAT / DOUBLE, and NUMERIC stored with a scale
    ftDateTime, // TIMESTAMP (dialect 1 DATE)
    ftDate,
    ftTime,
    ftBlob,     // binary blob: documents and formats, byte for byte
    ftMemo,     // text blob
    ftBoolean
};

// Timestamps are wall-clock values without a zone. They travel as QDateTime
// marked as UTC so that no daylight-saving rule of the machine ever shifts them;
// values given by the program are taken by their date and time parts.
QDateTime MakeDateTime(const QDate& d, const QTime& t = QTime(0, 0));
// The zero date of the program ("30/12/1899"), sent for a null master date.
QDateTime ZeroDateTime();

// One value given to a statement parameter or taken from a column.
struct TFIBValue {
    // BlobId: a stored blob passed through unchanged (bytes hold its 8-byte id).
    enum class Kind : unsigned char { Null, Text, Integer, Float, DateTime, Bytes, BlobId };
    Kind kind = Kind::Null;
    qint64 i = 0;
    double d = 0;
    QDateTime dt;
    QByteArray bytes; // UTF-8 text or raw bytes

    static TFIBValue Text(const QString& s);
    static TFIBValue Integer(qint64 v);
    static TFIBValue Float(double v);
    static TFIBValue DateTime(const QDateTime& v);
    static TFIBValue Bytes(const QByteArray& v);
    bool IsNull() const { return kind == Kind::Null; }
    QString AsString() const;
    QVariant AsVariant() const;
};

// Conversions between values and text in the data layer: numbers are written
// with the program's decimal "," (UFormatos) and read with "," or "." (values
// given by code); dates are written "dd/mm/yyyy" and read also in ISO form.
QString FloatToText(double v);
double TextToFloat(const QString& s); // accepts "," or "." as decimal separator; throws EFIBError
qint64 TextToInteger(const QString& s); // throws EFIBError
QString DateTimeToText(const QDateTime& v);
QDateTime TextToDateTime(const QString& s); // "dd/mm/yyyy[ hh:mm[:ss]]" or ISO; throws EFIBError
