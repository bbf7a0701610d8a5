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
// the order (empty: the column searched). `PorNombre`: the text column holds
// a name, searched by the start of its words with case and accents ignored
// (CondicionNombre); otherwise it is matched from its beginning as the flags
// say.
struct TBusquedaRapida {
    QString CampoNumero;
    QString CampoTexto;
    QString Flags;
    QString Orden{};
    bool PorNombre = true;
};

// A text as a string literal of the database's dialect 1: between double
// quotation marks, each one inside doubled, so that the text is data only;
// NUL characters are left out.
QString LiteralSQL(const QString& texto);

// How many words of a name a name search looks at: the name is matched from
// the start of each of its first kPalabrasNombre words (words are separated
// by spaces), so "ramos" finds "GARCÍA RAMOS, ANA". The program's database
// indexes the owners' names by the same expressions (NombreDesdePalabra).
inline constexpr int kPalabrasNombre = 6;

// The text of `columna` from the start of its word `palabra` (0 the first)
// on; with fewer words, the text from the start of one of them. Written
// exactly as the database's expression indexes on names are.
QString NombreDesdePalabra(const QString& columna, int palabra);

// The condition of a name search: some word among the first kPalabrasNombre
// of `columna` begins the text that starts with the literal `literal` (a
// string literal already quoted for the statement's dialect), with case and
// accents ignored (collation UNICODE_CI_AI). Characters such as "%" and "_"
// are text, not patterns.
QString CondicionNombre(const QString& columna, const QString& literal);

// The condition a search text makes: a text that starts like a number
// (EsNumerico) is matched against the number column, rows whose code begins
// with it. Any other text against the text column: by CondicionNombre when
// `b.PorNombre`; otherwise rows whose value begins with the text, as typed
// with the first flag "1", else with both sides upper-cased (accented letters
// too). `porNumero` tells which column was searched.
QString CondicionBusqueda(const QString& texto, const TBusquedaRapida& b, bool* porNumero = nullptr);

// Filters the list `ds` by `texto`. An empty (or blank) text shows the whole
// list again: the select it was loaded with, when a search had filtered it;
// an unfiltered list stays as it is. Otherwise the list's statement is the
// select it was loaded with, the search's condition, and the order `b.Orden`
// or else the column searched, a name in the collation the search compares
// in (TFIBTableSet::Filtra), so searches never accumulate. `asigna` binds the parameters the flags ask for; then the list
// opens.
void BusquedaRapida(const QString& texto, TFIBTableSet& ds, const TBusquedaRapida& b, const TAsignaParametros& asigna);
