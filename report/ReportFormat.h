// Display of values in reports: numbers through a picture format such as
// "#0.00000%" or "###,###,###,##0.00", dates through "dd/mm/yyyy", with the
// program's separators (decimal ",", thousands ".").
#pragma once

#include <QString>
#include <QVariant>

namespace qdr {

struct FormatSettings {
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandSeparator = QLatin1Char('.');
    QString dateFormat = QStringLiteral("dd/mm/yyyy");
    QString timeFormat = QStringLiteral("hh:nn:ss");
};

// The settings every report uses; the program sets them once at start-up.
FormatSettings& formatSettings();

// A number through a picture: '0' a digit always shown, '#' a digit shown when
// significant, '.' the decimal point, ',' anywhere among the integer digits
// groups thousands; other characters (and text in quotes) are copied, so "%"
// is a literal sign and does not scale. Up to three sections split by ';'
// serve positive, negative and zero values.
QString formatNumber(double value, const QString& picture, const FormatSettings& s = formatSettings());

// A date and time through d, dd, m, mm (minutes right after h), mmm, mmmm,
// yy, yyyy, h, hh, n, nn, s, ss; other characters and quoted text are copied.
QString formatDateTime(const QDateTime& value, const QString& picture, const FormatSettings& s = formatSettings());

// How a value from a dataset or expression shows in a report: null as empty
// text, numbers and dates through the picture when one is given.
QString displayText(const QVariant& value, const QString& picture = {}, const FormatSettings& s = formatSettings());

bool isNumeric(const QVariant& v);
bool isDateTime(const QVariant& v);
// A number from a value: numbers as they are, text read with either decimal
// separator; anything else gives ok = false.
double toNumber(const QVariant& v, bool* ok = nullptr);

} // namespace qdr
