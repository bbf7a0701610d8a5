#pragma once
// Date and text helpers of every screen, and the Spanish bank-account check
// digits. They keep no state between calls; conversion errors throw
// EConvertError (UFormatos.h).
#include "UFormatos.h"

#include <QDate>
#include <QString>

// A carriage return (alone or before a line feed) as a line break: texts
// written for the message windows break lines with "\r".
QString SaltosDeLinea(const QString& texto);

// The text without its surrounding blanks, control characters included (a
// trailing carriage return or tab goes too).
QString Recorta(const QString& texto);

// The same day number one month later/earlier. Throws EConvertError when that
// day does not exist in the target month (31 January to February).
QDate MesSiguiente(const QDate& fecha);
QDate MesAnterior(const QDate& fecha);

// "Enero" … "Diciembre"; empty for any other number.
QString NombreMes(int mes);

// A "dd/mm/yyyy" date (or "DATE" for today) rewritten as "mm/dd/yyyy" for SQL
// text. Throws EConvertError for a text that is not a date.
QString FechaSQL(const QString& texto);

// 0 for an empty (or blank) text; otherwise the whole number written in the
// text. Throws EConvertError when the text is not a whole number.
int TextoAEntero(const QString& texto);

// The text preceded by the zeros missing to reach `ancho`, at most ten.
QString RellenaCeros(int ancho, const QString& texto);

// `cantidad` blanks (none for 0 or less).
QString Espacios(int cantidad);

// The text without surrounding blanks, preceded (AlineaDerecha) or followed
// (AlineaIzquierda) by `relleno` repeated (ancho − length) times; a longer text
// is not cut.
QString AlineaDerecha(const QString& texto, int ancho, const QString& relleno);
QString AlineaIzquierda(const QString& texto, int ancho, const QString& relleno);

// One-character pattern: every occurrence replaced. Longer pattern: the first
// occurrence replaced and the rest of the text dropped. No occurrence: the text.
QString ReemplazaCorta(const QString& texto, const QString& patron, const QString& reemplazo);

// One-character pattern: every occurrence replaced. Longer pattern: only the
// first occurrence replaced, the rest kept. No occurrence: the text.
QString ReemplazaPrimero(const QString& texto, const QString& patron, const QString& reemplazo);

// The two check digits of a Spanish bank account code (entity 4 digits,
// branch 4, account 10; shorter parts count as zero-padded on the left). Two
// blanks when the entity or the account is blank; with check digits given,
// those digits when they are right and "**" when they are not. Throws
// EConvertError when a part holds anything but digits or is too long.
QString DigitosControlCuenta(const QString& entidad, const QString& oficina,
                             const QString& digitos, const QString& cuenta);
