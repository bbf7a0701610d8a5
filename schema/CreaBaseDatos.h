#pragma once
#include <QString>
#include <functional>

class TFIBDatabase;

// Creation of QuorumDesk's database and of the two sibling products'
// databases from the SQL compiled into the program (resources under
// ":/schema/sql/"). Failures throw EFIBError with the server's text, or with
// a message of this library (an existing file, a missing resource).

// What a new database holds besides its structure and reserved rows.
enum class TContenidoBD {
    Vacia,     // structure and reserved rows only
    Demo,      // a few communities with owners, properties, addresses and a convocation
    Sintetica  // Comunidades x Propietarios x Fincas generated rows, for benchmarks
};

struct TOpcionesBD {
    TContenidoBD Contenido = TContenidoBD::Vacia;
    int Comunidades = 10;  // synthetic content only
    int Propietarios = 2000;
    int Fincas = 2;
    QString Usuario = QStringLiteral("SYSDBA");
    QString Clave = QStringLiteral("kelpstone"); // the program's database password; the embedded engine checks none
    bool ForcedWrites = true; // off only for throw-away databases (tests, benchmarks)
    bool Reemplaza = false;   // a local file that exists is replaced, once the new database is complete
    // Run on the complete database just before it takes its final name; a
    // creation whose step throws leaves nothing behind. Tests use it to stop
    // a creation at its last moment.
    std::function<void(TFIBDatabase&)> AlTerminar;
};

// The one-character password of user 1 that the automatic login types.
inline constexpr char ClaveAccesoAutomatico[] = "Q";

// The version stored in SYS_VERSION, "x.yz" from a "major.minor.release"
// version (2.0.5 gives "2.05"); by default the program's own version.
QString VersionBaseDatos(const QString& versionPrograma = QStringLiteral(QD_VERSION));

// Creates the program's database at path (a local file or "host:/path"); the
// file must not exist unless the options ask to replace it. A local database
// is built under a temporary name in the same folder and renamed at the end.
void CreaBaseDatos(const QString& path, const TOpcionesBD& opciones = {});

// The accounting product's database; Demo adds the demo register (the
// program's demo with what the accounts have learnt since: a shop sold, an
// owner moved, a language and a property type left blank, notes, a new
// community without financial year), financial years, periods and owners'
// balances; Sintetica the same generated register as the program's.
void CreaBaseTaldemar(const QString& path, const TOpcionesBD& opciones = {});

// The community-management product's database; Demo adds a few budgets,
// calls and appointments.
void CreaBaseHalvenbook(const QString& path, const TOpcionesBD& opciones = {});

// The SQL text of one of the scripts ("registro", "quorumdesk", "reservados",
// "taldemar", "halvenbook").
QString ScriptSQL(const QString& nombre);
