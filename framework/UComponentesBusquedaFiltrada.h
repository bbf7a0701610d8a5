#pragma once
// The quick search of the maintenance screens: the list is filtered by
// rewriting its select statement and reopening it.
#include <QString>
#include <functional>

class TFIBDataSet;
class TFIBTableSet;

// Binds the parameters a list's statement takes from the environment, as the
// flags ask ("1" first: Comunidad; "1" second: ejercicio), and opens the
// dataset when `abrir` is true. The main data module passes its
// AsignarParametrosEntorno.
using TAsignaParametros = std::function<void(TFIBDataSet& ds, const QString& flags, bool abrir)>;

// A text as a string literal of the database's dialect 1: between double
// quotation marks, each one inside doubled, so that the text is data only.
QString LiteralSQL(const QString& texto);

// Filters the list `ds` by `texto`. An empty text changes nothing. A text that
// starts like a number (EsNumerico) is matched against `campoNumero`, any other
// against `campoTexto`: rows whose value begins with the text. The first flag
// "1" matches the text as typed, otherwise both sides are upper-cased (accented
// letters too). The statement starts again from the dataset's
// SelectSQLOriginal without its ORDER BY clause, so searches never accumulate,
// and is ordered by `orden` when given, otherwise by the column searched.
// `asigna` binds the parameters the flags ask for; then the list opens.
void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const QString& campoNumero, const QString& campoTexto,
                    const QString& flags, const QString& orden, const TAsignaParametros& asigna);
