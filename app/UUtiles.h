#pragma once
#include "UFormatos.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

class QWidget;

// The common utilities every screen uses: the program's message, question and
// input dialogs, text and date helpers, the Spanish bank-account check digits,
// file functions, external programs, HTTP download and mail hand-over. They
// keep no state between calls. Conversion errors throw EConvertError
// (UFormatos.h).

// A failure of an operation of this unit that is not a conversion (a program
// that cannot be started). what() is the message for the user (UTF-8).
class EUtilesError : public std::runtime_error {
public:
    explicit EUtilesError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// ------------------------------------------------------------------ dialogs --

// The program's message box (TFStop): caption "Información" with the
// information icon when `informativo`, otherwise "¡ Atención !" with the
// warning icon. A carriage return in the text starts a new line. Returns when
// "&Aceptar" is pressed.
void Mensaje(const QString& texto, bool informativo = false);

// Question with up to four answers (TFAsk): returns 1 to 4 for the button
// pressed, 0 when the window was closed without an answer (close box or Esc).
// Only the answers given with a caption get a button.
int Pregunta(const QString& texto, const QStringList& respuestas);

// One-line input (TFInput2): a "." typed is entered as ",". "&Aceptar" and the
// close box return the field's text; "&Cancelar" (or Esc) returns an empty text.
QString PideDato(const QString& titulo, const QString& etiqueta, const QString& inicial);

// A carriage return (alone or before a line feed) as a line break: texts
// written for the message windows break lines with "\r".
QString SaltosDeLinea(const QString& texto);

// Places a window in the middle of the screen it is on (the primary screen
// before it is shown).
void CentraEnPantalla(QWidget* ventana);

// --------------------------------------------------------- dates and texts --

// The same day number one month later/earlier. Throws EConvertError when that
// day does not exist in the target month (31 January to February).
QDate MesSiguiente(const QDate& fecha);
QDate MesAnterior(const QDate& fecha);

// "Enero" … "Diciembre"; empty for any other number.
QString NombreMes(int mes);

// A "dd/mm/yyyy" date (or "DATE" for today) rewritten as "mm/dd/yyyy" for SQL
// text. Throws EConvertError for a text that is not a date.
QString FechaSQL(const QString& texto);

// 0 for an empty (or blank) text; otherwise the whole number written in the
// text. Throws EConvertError when the text is not a whole number.
int TextoAEntero(const QString& texto);

// The text preceded by the zeros missing to reach `ancho`, at most ten.
QString RellenaCeros(int ancho, const QString& texto);

// `cantidad` blanks (none for 0 or less).
QString Espacios(int cantidad);

// The text without surrounding blanks, preceded (AlineaDerecha) or followed
// (AlineaIzquierda) by `relleno` repeated (ancho − length) times; a longer text
// is not cut.
QString AlineaDerecha(const QString& texto, int ancho, const QString& relleno);
QString AlineaIzquierda(const QString& texto, int ancho, const QString& relleno);

// One-character pattern: every occurrence replaced. Longer pattern: the first
// occurrence replaced and the rest of the text dropped. No occurrence: the text.
QString ReemplazaCorta(const QString& texto, const QString& patron, const QString& reemplazo);

// One-character pattern: every occurrence replaced. Longer pattern: only the
// first occurrence replaced, the rest kept. No occurrence: the text.
QString ReemplazaPrimero(const QString& texto, const QString& patron, const QString& reemplazo);

// The two check digits of a Spanish bank account code (entity 4 digits,
// branch 4, account 10; shorter parts count as zero-padded on the left). Two
// blanks when the entity or the account is blank; with check digits given,
// those digits when they are right and "**" when they are not. Throws
// EConvertError when a part holds anything but digits or is too long.
QString DigitosControlCuenta(const QString& entidad, const QString& oficina,
                             const QString& digitos, const QString& cuenta);

// ---------------------------------------------------------------- files --

// The file's modification stamp (milliseconds since 1970, UTC); compare two
// stamps to learn whether a file was saved in between. When the file cannot be
// opened for reading: shows "No se puede abrir el fichero" and returns -1.
qint64 FechaFichero(const QString& fichero);

// Deletes every ordinary file (not hidden, not a directory, link to a
// directory, device or socket) of `directorio` whose name matches the
// wildcard `mascara`, letter case ignored.
void BorraFicheros(const QString& directorio, const QString& mascara);

struct TVersionFichero {
    int mayor = 0;
    int menor = 0;
    int revision = 0;
    int compilacion = 0;
};

// The version of a program file: the program's own file carries the version
// it was built with; any other file has none.
std::optional<TVersionFichero> VersionFichero(const QString& fichero);

// "Versión %d.%d%d" of major, minor and release: 2.0.5 gives "Versión 2.05".
QString TextoVersion(const TVersionFichero& version);

// ------------------------------------------------------------- internet --

// An open Internet session: one agent name, the platform's proxy settings
// (http_proxy, https_proxy, no_proxy) and kept-alive connections.
class TConexionInternet {
public:
    explicit TConexionInternet(const QString& agente);
    ~TConexionInternet();
    TConexionInternet(const TConexionInternet&) = delete;
    TConexionInternet& operator=(const TConexionInternet&) = delete;

    bool Abierta() const;

private:
    friend bool DescargaFichero(const QString&, const QString&, int, TConexionInternet&);
    struct Datos;
    std::unique_ptr<Datos> d;
};

// Downloads an http or https URL into `fichero` (a full path; created or
// overwritten), `bloque` bytes at a time, keeping the windows painted between
// blocks. Returns false and leaves any existing file untouched when the URL
// cannot be opened (no connection, server down, an HTTP error status such as
// 404), the transfer breaks off, or the file cannot be created.
bool DescargaFichero(const QString& url, const QString& fichero, int bloque,
                     TConexionInternet& conexion);

// -------------------------------------------------------------- processes --

// The handle of a started program (its process id).
using THandleProceso = qint64;

// Starts `comando` (a program file, looked up on PATH when it has no
// directory) with the arguments written in `parametros` (separated by blanks;
// double quotes group an argument). `oculto` sends the program's standard
// input and output to /dev/null. The program goes on after this one ends.
// Throws EUtilesError "No se puede actualizar" when it cannot be started.
THandleProceso EjecutaPrograma(const QString& comando, const QString& parametros, bool oculto);

// Without a name: waits until the started program ends. With a name: waits 5
// seconds, then until no process of that executable name runs (for programs
// that hand their work to an instance already running). The windows stay
// painted; user input waits until this returns. Returns the program's exit
// status (-1 when it is not known).
int EsperaPrograma(THandleProceso proceso, const QString& nombre = {});

// True when a running process's executable file name equals `nombre`, letter
// case ignored (a program started from a script counts by the script's name).
bool ProcesoActivo(const QString& nombre);

// ------------------------------------------------------------------ mail --

// Hands one message to the user's mail program for review (xdg-email):
// subject, body, recipients ("a@x.es; b@y.es" are two), one attachment; empty
// arguments are left out. The sender is the mail program's own account, so
// the sender arguments and the recipient's name are not passed. Returns 0 when
// the message was handed over, -1 when there is no mail interface
// (xdg-email missing), otherwise xdg-email's error status.
int EnviaCorreo(const QString& asunto, const QString& cuerpo, const QString& adjunto,
                const QString& direccion, const QString& nombre,
                const QString& direccionRemitente, const QString& nombreRemitente);

// ------------------------------------------------------------- lookups --

// The search key of a lookup field: F2 opens the field's search dialog as a
// key without character typed in it would (the list starts with every row);
// any other key does nothing.
void TeclaBusqueda(QWidget* campo, int tecla);

// --------------------------------------------------------------- system --

// The operating system's name: on Linux the PRETTY_NAME of os-release.
QString NombreSistemaOperativo();
