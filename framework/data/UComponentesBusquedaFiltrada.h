#pragma once
// The quick search of the maintenance screens: the list is filtered by
// rewriting its select statement and reopening it.
#include <QString>
#include <functional>

class TFIBDataSet;
class TFIBTableSet;

// Binds the parameters a list's statement takes from the environment, as the
// flags ask ("1" first: Comunidad; "1" second: ejercicio), and opens the
// dataset when `abrir` is true. The session passes its
// AsignarParametrosEntorno.
using TAsignaParametros = std::function<void(TFIBDataSet& ds, const QString& flags, bool abrir)>;

// A list's quick search as its data module declares it: the column a number
// is matched against, the column a text is matched against, the flags, and
// the order (empty: the column searched).
struct TBusquedaRapida {
    QString CampoNumero;
    QString CampoTexto;
    QString Flags;
    QString Orden{};
};

// A text as a string literal of the database's dialect 1: between double
// quotation marks, each one inside doubled, so that the text is data only;
// NUL characters are left out.
QString LiteralSQL(const QString& texto);

// The condition a search text makes: a text that starts like a number
// (EsNumerico) is matched against the number column, any other against the
// text column, rows whose value begins with the text. The first flag "1"
// matches the text as typed, otherwise both sides are upper-cased (accented
// letters too). `porNumero` tells which column was searched.
QString CondicionBusqueda(const QString& texto, const TBusquedaRapida& b, bool* porNumero = nullptr);

// Filters the list `ds` by `texto`. An empty text changes nothing. Otherwise
// the list's statement is the select it was loaded with, the search's
// condition, and the order `b.Orden` or else the column searched
// (TFIBTableSet::Filtra), so searches never accumulate; `asigna` binds the
// parameters the flags ask for; then the list opens.
void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const TBusquedaRapida& b, const TAsignaParametros& asigna);
