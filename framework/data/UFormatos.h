#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <stdexcept>

// The program's one set of number, date and time formats. Every screen converts
// between values and text through this unit, so the result never depends on the
// user's own regional settings: many places take a date apart by character
// position of its "dd/mm/yyyy" text.

// A text that does not convert to the value asked for. what() is the Spanish
// message for the user (UTF-8); the calling screen shows it and abandons the
// operation.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

inline constexpr char16_t SeparadorDecimal = u',';
inline constexpr char16_t SeparadorMiles = u'.';
inline constexpr char16_t SeparadorFecha = u'/';
inline constexpr char16_t SeparadorHora = u':';
inline constexpr int DecimalesMoneda = 2;

// Date and time masks (FormatoFechaHora).
inline constexpr char MascaraFechaCorta[] = "dd/mm/yyyy";
inline constexpr char MascaraFechaLarga[] = "\"Hoy es\" dddd d \"de\" mmmm \"de\" yyyy";
inline constexpr char MascaraHoraCorta[] = "HH:mm";
inline constexpr char MascaraHoraLarga[] = "HH:mm:ss";

// Number masks (FormatoNumero): money, and coefficients (percentages stored as
// plain numbers: 4.25 shows as 4,25000%).
inline constexpr char MascaraMoneda[] = "###,###,###,##0.00";
inline constexpr char MascaraCoeficiente[] = "#0.00000%";
inline constexpr char MascaraCoeficienteEdicion[] = "#0.00000";

// Makes Qt's own locale-aware widgets and conversions (QLocale()) follow the
// program: Spanish of Spain, "," for decimals, Spanish day and month names, no
// thousands separators (grouped numbers come from FormatoNumero). Called once
// at start-up.
void EstableceFormatosProceso();

// A number through a format mask:
//   0  a digit, always written (leading or trailing zero)
//   #  a digit, written only when significant
//   .  the decimal separator position (written as ","; left out when no
//      decimal digit follows); only the first "." counts
//   ,  anywhere before the decimal point: group thousands with "."
//   "text" or 'text'  literal text; any other character (such as %) is
//      written as it stands, with no scaling
// Digits beyond the integer placeholders are all written. Rounding is half
// away from zero on the shortest decimal form of the value, so 2.675 with two
// decimals is 2,68. A negative value takes a leading "-" unless it rounds to
// zero. An empty mask gives NumeroATexto.
QString FormatoNumero(double valor, const QString& mascara);
// A coefficient as the screens and documents show it: "4,25000%".
QString FormatoCoeficiente(double valor);

// A number in general form: up to 15 significant digits, "," for decimals, no
// thousands separators.
QString NumeroATexto(double valor);

// Reads a number written with the program's separators: optional sign, digits
// with "," for decimals, thousands separated by "." only in groups of three
// (1.234,5), an optional exponent. Surrounding blanks are ignored. Throws
// EConvertError for anything else ("4.5" is not a number here).
double TextoANumero(const QString& texto);

// A date and time through a mask, letters in either case:
//   d dd ddd dddd   day; two digits; short and full Spanish day name
//   m mm mmm mmmm   month; two digits; short and full Spanish month name
//                   (right after an hour, m and mm are minutes)
//   yy yyyy         two- and four-digit year
//   h hh  n nn  s ss  z zzz   hour, minute, second, millisecond
//   "text" or 'text'  literal text; other characters as they stand
QString FormatoFechaHora(const QDateTime& valor, const QString& mascara);

QString FormatoFecha(const QDate& fecha);          // "dd/mm/yyyy"
QString FormatoFecha(const QDateTime& fecha);      // "dd/mm/yyyy"
QString FormatoFechaLarga(const QDate& fecha);     // "Hoy es lunes 5 de marzo de 2012"
QString FormatoHora(const QTime& hora);            // "HH:mm"
QString FormatoHoraSegundos(const QTime& hora);    // "HH:mm:ss"

// The years a typed date may have.
inline constexpr int AnioMinimo = 1900;
inline constexpr int AnioMaximo = 2100;

// Reads a date as people type it: "dd/mm/yyyy" or "dd-mm-yyyy" (day and
// month of one or two digits), or the bare digits "ddmmyyyy"; the year of
// four digits or two (which falls within 50 years before or 49 after the
// current year). Throws EConvertError for any other text, a day that does
// not exist or a year outside AnioMinimo..AnioMaximo.
QDate TextoAFecha(const QString& texto);

// Reads "HH:mm" or "HH:mm:ss". Throws EConvertError otherwise.
QTime TextoAHora(const QString& texto);

// Reads a date as TextoAFecha does, optionally followed by blanks and a
// time. Throws EConvertError otherwise.
QDateTime TextoAFechaHora(const QString& texto);

// True when the text starts like a number: its first character is a digit,
// ",", "-" or ".".
bool EsNumerico(const QString& texto);
