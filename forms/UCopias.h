#pragma once
// Backups of the program's database. A copy is the engine's own backup
// (".fbk", restorable with the standard tool); it counts as made only once it
// has been restored aside and every table compared with the database (rows
// and a checksum of each row). Copies live in the copies folder, named with
// their date and time, the last 7 daily and 4 weekly kept. A restore never
// loses the current database: the copy is restored beside it and verified,
// the current file is kept as "…-anterior-<fecha>.fdb", and only then the
// restored file takes its place. QtCore only: the caller shows the progress.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TFIBDatabase;

// A step of the work ("Copiando SYS_USUARIO"), with how much of it is done
// of a total; called often enough to keep a window painted.
using TAvanceCopia = std::function<void(const QString& paso, int hecho, int total)>;

// The copies folder: key "Carpeta" of section "Copias" of "quorumdesk.ini",
// by default the folder "copias" of the program folder.
QString CarpetaCopias();

// "quorumdesk-AAAAMMDD-HHMMSS.fbk"; the moment of such a name, invalid for
// any other.
QString NombreCopia(const QDateTime& momento);
QDateTime MomentoCopia(const QString& nombre);
// Of the copies named, those the rotation removes: it keeps the newest copy
// of each of the last 7 days that have one and of each of the last 4 weeks
// that have one. Other names are never removed.
QStringList CopiasSobrantes(const QStringList& nombres);

// Makes a copy of the connected database into `carpeta`, verifies it and
// removes what the rotation leaves over; returns the copy's path. Throws
// EAviso when no copy was made or it did not verify (a copy that does not
// verify is moved to the subfolder "no-verificadas" of the folder, with a
// text file of the reason).
QString HazCopia(TFIBDatabase& db, const QString& carpeta, const TAvanceCopia& avance = {});

// The copy made when the program ends: only on the embedded database, and
// only when the copies folder holds none of today. A failure is kept to be
// told at the next start and never stops the program. True when a copy was made.
bool CopiaAlSalir(TFIBDatabase& db, const QDate& hoy, const TAvanceCopia& avance = {});
// The failure of the last automatic copy, with the engine's text; it is
// told once (empty when the last one was made).
QString TomaFalloCopia();

// The seats other than this connection attached to its database: the name
// of the user who logged in there, or else where it connects from.
QStringList OtrosPuestos(TFIBDatabase& db);

// Restores the copy `fbk` over the database named `destino` (a path of this
// machine, or on a server of this machine; it need not exist yet). `actual`
// is a connection to it when it exists: no other seat may be attached, and
// it is closed just before the switch (the caller opens it again, whatever
// the outcome). Returns the path the previous database was kept as (empty
// when there was none). Throws EAviso with the reason; the current database
// is then as it was.
QString RestauraCopia(const QString& fbk, const QString& destino, TFIBDatabase* actual,
                      const QStringList& parametros, const TAvanceCopia& avance = {});

// The command line "--copia DESTINO" and "--restaura ORIGEN DESTINO", on the
// configured database: nullopt when the arguments hold neither, else the
// exit status (0 only when the copy was made and verified).
std::optional<int> OrdenCopias(const QStringList& argumentos);
