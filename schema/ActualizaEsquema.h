#pragma once
class QString;
class TFIBDatabase;

// The level of the program's schema this version writes. A database keeps
// the level it has reached in SYS_VERSION.ESQUEMA (row 1); level 0 is the
// schema as first released.
inline constexpr int NivelEsquema = 6;

// Brings a connected program database up to NivelEsquema: each missing step
// runs once, in a transaction of its own, and records its level. Two seats
// opening the same old database at once: the one that loses the race finds
// the step done and goes on. Failures throw EFIBError with the server's text.
void ActualizaEsquema(TFIBDatabase& db);

// The level a connected program database has reached.
int NivelEsquemaDe(TFIBDatabase& db);

// Recomputes the selectivity the engine keeps for every index of `tabla`, in
// a transaction of its own. The engine reckons it only when an index is made:
// an index made on an empty table and never recomputed tells the optimizer
// that any value is rare, and a search then reads through it instead of
// through the index that does select (the owners' word indexes). Run after a
// table fills up in bulk. Failures throw EFIBError.
void ActualizaEstadisticas(TFIBDatabase& db, const QString& tabla);
