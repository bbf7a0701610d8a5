#pragma once
// The listings' conditions and the runner other screens call: a listing is a
// stored SQL statement and format whose rows are chosen and ordered by a list
// of conditions, turned into a WHERE and an ORDER BY clause on every run.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One condition of a listing, as stored (or as handed over in a line).
struct TCondicion {
    QString Operador;  // "IGUAL", "DESDE", "HASTA", "DISTI", ">=", "<=", ">", "<", "ORDEN", "EXPRE"
    QString Campo;     // a column of the listing's data, as written
    QString Tipo;      // "C" text, "F" date, "N" number
    QString Contenido; // value, expression ("EXPRE") or direction ("ORDEN"); empty: inactive
    QString Tabla;     // two-dataset listings: the table the condition applies to
    bool operator==(const TCondicion&) const = default;
};

// The operators the conditions grid offers, in its order (the symbols padded
// with blanks to five characters).
QStringList OperadoresCondicion();

// An operator typed in the grid: upper-cased; the whole word when it is the
// beginning of "DESDE", "HASTA", "IGUAL", "ORDEN", "DISTI" or "EXPRE" (tried in
// that order, so an empty text is "DESDE"), otherwise the text as typed.
QString OperadorTecleado(const QString& texto);

// Why a condition's content does not suit its type; empty when it does:
// "F" a day/month/year date (or "DATE"), "N" a number with decimal comma,
// "C" anything. The order ("ORDEN") also takes a direction ("ASC", "DESC"),
// the only condition whose content never goes into the statement.
QString ErrorCondicion(const QString& operador, const QString& tipo, const QString& contenido);
// The check before a condition is saved: throws EAviso with ErrorCondicion's
// text when it refuses.
void CompruebaCondicion(const QString& operador, const QString& tipo, const QString& contenido);

// The fields go into the statement as written, so each one a condition of
// table `tabla` uses must be one of `columnas` (compared without case), or
// EAviso names it.
void CompruebaCampos(const QList<TCondicion>& condiciones, const QString& tabla, const QStringList& columnas);

// The clause built from the conditions whose trimmed table is `tabla` (an
// empty `tabla` takes only conditions without table), in their order: kind 1
// the WHERE clause, kind 2 the ORDER BY clause. It always starts with "WHERE "
// or "ORDER BY "; that bare start means no condition applied. Fields are
// upper-cased a to z; texts, upper-cased letter by letter (á gives Á), and
// dates go in as quoted literals, numbers only when they are numbers (EAviso
// otherwise); "EXPRE" contents upper-cased, with the word "DATE" as today.
// Throws EConvertError for a date that does not convert.
QString ClausulaListado(int tipo, const QList<TCondicion>& condiciones, const QString& tabla,
                        const QDate& hoy = QDate::currentDate());

// The table names a listing's SQL gives its two datasets: in the upper-cased
// text, the word after the first (second) "FROM " up to the next blank, which
// must come within 25 characters; empty otherwise.
QString TablaListado(const QString& sql, int cual);

// A condition line as the screens hand it to ListadoPredefinido: five columns
// of 20 characters (operator, field, type, content, table), each trimmed and
// padded on the right with blanks.
QString LineaCondicion(const QString& operador, const QString& campo, const QString& tipo,
                       const QString& contenido, const QString& tabla = {});
// The condition a line holds, each column trimmed and cut to its column's width.
TCondicion CondicionDeLinea(const QString& linea);

// Runs a listing by code with the conditions of `lineas` (LineaCondicion) to
// `destino` ("WORD", "EXCEL", "PDF", "HTML"; empty: the preview). The lines
// are stored as the listing's conditions, and the run uses exactly them, so
// two seats running the same listing each get their own rows. It works apart
// from an open "Creación de listados", which keeps whatever it is editing.
// The caller opens an exported file with AbreExportado. Errors are raised:
// EAviso for a listing that does not exist or has no format, or a condition
// refused; the server's error for a statement it rejects.
void ListadoPredefinido(int codigo, const QStringList& lineas, const QString& destino = {});
