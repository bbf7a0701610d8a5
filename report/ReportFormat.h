// How values show in reports. Numbers and dates go through the program's one
// formatting unit (FormatoNumero, FormatoFechaHora: "#0.00000%",
// "###,###,###,##0.00", "dd/mm/yyyy", decimal "," and thousands ".").
#pragma once

#include <QString>
#include <QVariant>

namespace qdr {

// Null as empty text; numbers and dates through the display format when one
// is given, otherwise numbers in general form ("4,25") and dates as
// "dd/mm/yyyy" (with "HH:mm:ss" when the time is not midnight).
QString displayText(const QVariant& value, const QString& displayFormat = {});

bool isNumeric(const QVariant& v);
bool isDateTime(const QVariant& v);
// A number from a value: numbers as they are, text read with either decimal
// separator; anything else gives ok = false.
double toNumber(const QVariant& v, bool* ok = nullptr);

} // namespace qdr
