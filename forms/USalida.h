#pragma once
// Where reports and documents leave the program: the exporters' working files
// in the program folder, the outside programs that open them, and the editing
// of a stored document in a word processor.
//
// "Word" and "Excel" are LibreOffice Writer and Calc started as a private
// instance (a profile folder of their own, in the configuration folder), so
// that the process ends when the user closes its window and the wait on it
// is exact. "OpenOffice" is LibreOffice as the user has it: its work may go to
// an instance already running, so the wait follows the office process
// ("soffice.bin") instead.
#include "RtfReader.h"

#include <QByteArray>
#include <QIcon>
#include <QString>
#include <optional>

class QWidget;
namespace qdr {
struct Report;
class ReportData;
} // namespace qdr

// Output targets of a report: "WORD" (RTF), "EXCEL" (CSV), "PDF", "HTML"; an
// empty target is the preview.
// The target's working file, full path in the program folder; empty for any
// other target.
QString FicheroSalida(const QString& destino);

// Lays the report out, deletes the target's working file and exports the
// pages to it. Any other target does nothing. An exporter's error ends the
// export with that error (the file may then be missing or partial).
void ExportaInforme(const qdr::Report& informe, const qdr::ReportData& datos, const QString& destino);

// Hands the target's working file to its program: Word and Excel are waited
// for until the user closes them; PDF and HTML go to the desktop's viewer and
// are not waited for. Any other target does nothing. Throws EUtilesError "No
// se puede actualizar" when Word or Excel cannot be started.
void AbreExportado(const QString& destino);
// Opens a document in Word and waits until the user closes it; nothing is
// read back. Throws EUtilesError "No se puede actualizar" when Word cannot be
// started.
void AbreEnWord(const QString& fichero);

// The folder of the "Word" and "Excel" programs: key "Path" of section
// "Word" of the program's profile "quorumdesk.ini"; LibreOffice's program
// folder when it is not set.
QString CarpetaWord();
// The folder of "OpenOffice" Writer: the first line of "OPPENOFFICEPATH.CFG"
// in the working folder (letter case ignored); LibreOffice's program folder
// when the file is missing or its first line is blank.
QString CarpetaOpenOffice();
// LibreOffice's program folder as Debian installs it.
inline constexpr char CarpetaLibreOffice[] = "/usr/lib/libreoffice/program";

// The shared icons of the report-request buttons.
enum class TIconoSalida { Aceptar, Cancelar, Internet, Word, Pdf, Excel };
QIcon IconoSalida(TIconoSalida icono);
// Every button of the screen named BtAceptar, BtCancelar, BtInternet,
// BtWord, BtPdf, BtHtml or BtExcel gets its shared icon (BtHtml the
// internet one).
void IconosBotones(QWidget* pantalla);

enum class TProcesadorTextos { Word, OpenOffice };

// The editing of a stored document in a word processor. The caller has
// written the document (or its starting document) to `fichero`; the screen
// is hidden, the word processor edits the file and is waited for, and the
// screen is shown again. Returns the file's bytes, to be stored back whether
// or not the user changed them; nothing when there is nothing to store:
//  - the program could not be started ("No se puede actualizar" is shown);
//  - the file is gone (the user deleted or renamed it);
//  - the program ended abnormally, or left the file empty or not a whole RTF
//    document: the user is told that the stored document is kept, and the
//    file stays for him to recover what he wrote, held as an edit not
//    stored of the document `clave` names (when one is given).
std::optional<QByteArray> EditaEnProcesador(QWidget* pantalla, TProcesadorTextos procesador,
                                            const QString& fichero, const QString& clave = {});

// Working files that hold an edit not stored (the word processor ended badly,
// or the database refused the document) are never deleted or written over.
// The program remembers them while it runs, each with the key of its
// document (table, record and column, as the screen writes it).
void EdicionSinGuardar(const QString& fichero, const QString& clave);
// The edit in `fichero` has been stored: the file may go.
void EdicionGuardada(const QString& fichero);
// Clears the way for a new working file: deletes `fichero`, or, when it holds
// an edit not stored, renames it with "-sin-guardar-" and the date and time
// before its extension and tells the user where it is.
void LiberaFicheroTrabajo(const QString& fichero);
// Before the document `clave` is edited again in `fichero`: when the file
// holds an edit of that document not stored, and different from the one
// stored (`guardado`), asks whether to go on editing it; true when the user
// takes it back (the file stays as it is, to be edited). Otherwise the file
// is cleared as LiberaFicheroTrabajo does and false is returned.
bool RecuperaEdicion(const QString& fichero, const QString& clave, const QByteArray& guardado);

// Whether bytes are a whole RTF document: its start, and its closing brace
// as the last thing in the file (a file cut short has none).
bool DocumentoRtfCompleto(const QByteArray& bytes);

// Working files, written and read whole. GuardaFichero throws EUtilesError
// naming the file when it cannot be written. CargaFichero reads only a
// regular file of at most `maximo` bytes (by default the bound of a stored
// document), and throws EAviso naming it otherwise (LeeFicheroAcotado).
void GuardaFichero(const QString& fichero, const QByteArray& datos);
QByteArray CargaFichero(const QString& fichero, qint64 maximo = Rtf::kMaxDocumentBytes);

// Writes a starting RTF document named `fichero` in the program folder,
// overwriting it; kind "C" lists the merge fields a template may use.
void WriteStarterDocument(const QString& fichero, const QString& tipo = {});
