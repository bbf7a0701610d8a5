#pragma once
// The session: the environment record, the shared connection with its
// default transaction, and the statements that every screen shares. QtCore
// only: it shows nothing. What start-up has to ask the user is handed in.
#include "FIBDataSet.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class TFIBTableSet;

// The environment record: one instance, Entorno, from start-up to exit. Only
// start-up, login and community selection write it.
struct TREntorno {
    qint32 Ejercicio = 0;     // financial year: always 0, no selection carries one
    qint32 Comunidad = 0;     // current community; 0 is the "Comunidad general"
    QString CaminoPrograma;   // program directory, no trailing separator
    qint16 Usuario = 0;       // logged-in user
    quint8 EnlaceContable = 0; // 1 when the start-up import from the accounting product ran
    QString NombreComunidad;
};
extern TREntorno Entorno;

// The office's server as a seat names it: the database line
// ("servidor:/camino/quorumdesk.fdb"), the server user and its password.
struct TServidorElegido {
    QString Camino;
    QString Usuario;
    QString Clave;
};

// What a seat's first start chose: the demo database (no server) or a server.
struct TPrimerArranque {
    std::optional<TServidorElegido> Servidor;
};

// What the database part of start-up asks of the user.
struct TDialogosArranque {
    // A notice ("informativo") or a warning.
    std::function<void(const QString& texto, bool informativo)> Aviso;
    // Another path for a database that cannot be opened; nullopt when the
    // user gives up.
    std::function<std::optional<QString>(const QString& camino)> PideCamino;
    // A seat's first start, with no settings and no database yet: the demo
    // database or the office's server; nullopt when the user gives up. Unset,
    // the open loop runs as for any database that cannot be opened.
    std::function<std::optional<TPrimerArranque>()> PrimerArranque;
    // Another password for `usuario` when the server refused the one given;
    // nullopt when the user gives up. Unset, another path is asked for.
    std::function<std::optional<QString>(const QString& usuario)> PideClave;
};

// The built-in password of the server user SYSDBA, the same for every
// installation: the remote server's when the program folder holds the marker
// "ServidorRemoto.cfg", else the program's database password.
QString ClaveIncorporada();
// The connection parameters ("user_name=", "password=") of a database: the
// keys "Usuario" and "Clave" of `seccion` in the settings file `fichero`
// (bare name, configuration folder) where the installation set them, else
// SYSDBA with `claveIncorporada`. A settings file holding a password is made
// readable by its owner only.
QStringList ParametrosConexion(const QString& fichero, const QString& seccion, const QString& claveIncorporada);
// Opens and closes a connection to the server as chosen; throws EFIBError
// with the server's words when it cannot.
void CompruebaServidor(const TServidorElegido& servidor);
// Writes the server as this seat's database into "quorumdesk.ini", readable
// by its owner only.
void GuardaServidor(const TServidorElegido& servidor);

// The main data module: the shared connection and its default transaction,
// and the shared statements and datasets. Exists once, from start-up to exit.
class TDMMain : public QObject {
    Q_OBJECT
public:
    // The database password of the program's connection, and the remote
    // server's that the marker file "ServidorRemoto.cfg" switches to.
    static constexpr const char* kPassword = "kelpstone";
    static constexpr const char* kPasswordRemoto = "qx7v3mtb";

    TDMMain();
    ~TDMMain() override;

    TFIBDatabase DataBase;
    TFIBTransaction TGenerica;
    TFIBQuery QGen;
    TFIBDataSet QGene;      // "SELECT * FROM SYS_REGISTRO": users already connected
    TFIBDataSet QComunidad; // the current community's row, for the listings
    TFIBDataSet QPara;      // installation parameters
    TFIBDataSet QCondicion; // conditions of a listing

    // The database part of start-up: clean-up, the pending update script, the
    // configured path, the open loop asking for another path. Returns false
    // when the user gave up and the program must end.
    bool DataModuleCreate(const TDialogosArranque& dialogos);
    // Year 0, community 0, program directory, user 1, no community name, and
    // the process-wide number and date formats.
    void InicializarEntorno();
    // Closes the dataset, binds "Comunidad" (flag character 1 "1") and
    // "ejercicio" (character 2 "1") from the environment, and opens it when asked.
    void AsignarParametrosEntorno(TFIBDataSet& ds, const QString& flags, bool abrir);
    // The name of a user code typed as text ("" when there is no such user
    // or the text is not a code), read with the caller's statement.
    QString NombreUsuario(const QString& codigo, TFIBQuery& q);
    // Writes the login's row of the connected users, naming this seat's
    // attachment; every later connection of this seat (a reconnect after the
    // server came back) moves the row to its new attachment, so that the
    // guard against a second login of the same user holds across it.
    void RegistraEntrada(qint16 codigo);
    // Removes the login's row of the connected users, at exit.
    void RegistraSalida();
    // Removes the connected users' rows left by seats that ended without
    // logging out: rows whose attachment no longer exists.
    void QuitaRegistrosHuerfanos();
    // Opens the connection again on the same database after it was closed
    // (a restored copy took the file's place): brought up to this version,
    // rows of seats gone removed, the logged-in user registered again.
    void Reabre();
    // Makes a community the current one (year 0) and announces it.
    void CambiaComunidad(qint32 codigo, const QString& nombre);

    // The community last accepted in the selection dialog, for the life of
    // the process (code 0 and no name until one is accepted); a cancelled
    // selection falls back on it.
    struct TComunidadRecordada {
        qint16 Codigo = 0;
        QString Nombre;
    } ComunidadRecordada;

signals:
    void ComunidadCambiada();

private:
    void EjecutaActualizacion(const TDialogosArranque& dialogos);
    bool AbreBaseDeDatos(QString camino, const TDialogosArranque& dialogos);
    // The first start's choice: creates the demo databases, or names the
    // server; false when the user gave up.
    bool PrimerArranque(QString* camino, const TDialogosArranque& dialogos);
    void LimpiaRegistro();
    void SigueRegistro();
    qint16 registrado_ = 0; // the user whose row this seat wrote; 0 before a login
    qint32 conexion_ = 0;   // the attachment that row names
    // Brings a database made by an earlier version up to what this one writes.
    void CompletaEsquema();
};
extern TDMMain* DMMain;

// The program's database as this machine is configured for it: the path of
// "quorumdesk.ini" and the program's user and password (the remote server's
// when "ServidorRemoto.cfg" is in the program folder). For work without the
// session (the command line's backups); the caller opens the connection.
void PreparaBaseConfigurada(TFIBDatabase& base);
// The parameter lines of that user and password.
QStringList ParametrosConexion();

// The community-management product's database (Halvenbook): its path is the
// key "BaseDeDatos" of section "Datos" of "halvenbook.ini" in the
// configuration folder, trimmed; `defecto` when the key is missing.
QString CaminoHalvenbook(const QString& defecto = QString());
// Sets a connection up for that database on `camino`, with the user and
// password it is opened with; the caller opens and closes it.
void PreparaHalvenbook(TFIBDatabase& base, const QString& camino);
