#pragma once
class TFIBDatabase;

// The level of the program's schema this version writes. A database keeps
// the level it has reached in SYS_VERSION.ESQUEMA (row 1); level 0 is the
// schema as first released.
inline constexpr int NivelEsquema = 5;

// Brings a connected program database up to NivelEsquema: each missing step
// runs once, in a transaction of its own, and records its level. Two seats
// opening the same old database at once: the one that loses the race finds
// the step done and goes on. Failures throw EFIBError with the server's text.
void ActualizaEsquema(TFIBDatabase& db);

// The level a connected program database has reached.
int NivelEsquemaDe(TFIBDatabase& db);
