#pragma once
// The exchange files of formats and listings: a pair named "FORMATO" + the
// code in five digits, ".FRF" holding the stored format byte for byte and
// ".TXT" the row's other columns, one per line ending in CR LF. The text file
// is written one byte per character (Latin-1), so that its fixed columns stay
// in place.
#include <QByteArray>
#include <QtGlobal>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;
class TFIBTableSet;

// "FORMATO00012" for code 12.
QString NombreIntercambio(int codigo);

// A pair chosen to import.
struct TParIntercambio {
    QString Frf;  // the chosen file
    QString Txt;  // its companion
    int Codigo;   // the code its name carries
};
// Checks the chosen path: it must hold ".FRF" and "FORMATO" (case counts),
// or EAviso "El fichero seleccionado no es valido"; the companion is the path
// cut at its first ".FRF" plus ".TXT", which must exist, or EAviso "No existe
// el fichero adjunto de formato". The code is the five characters after the
// first "FORMATO" of the whole path (a folder named FORMATOS gives its own),
// and EConvertError stops the import when they are no whole number.
TParIntercambio ParImportacion(const QString& ruta);

// The most a ".TXT" may weigh: a listing's is a few lines and one line per
// condition, a few kilobytes.
inline constexpr qint64 kMaximoTxtIntercambio = 1024 * 1024;

// The lines of a ".TXT" (line ends CR LF removed; a bare line feed inside a
// line is a line break of its value). Throws EAviso naming the file when it
// cannot be read, is no regular file or passes kMaximoTxtIntercambio.
QStringList LeeLineasIntercambio(const QString& fichero);
// Writes the ".TXT" and then the ".FRF" of the pair for `codigo` into
// `carpeta`, line breaks inside a line as bare line feeds. Throws EAviso
// naming a character that Latin-1 cannot write, before writing anything, and
// "No se puede exportar el formato" on any other failure.
void EscribeIntercambio(const QString& carpeta, int codigo, const QStringList& lineas, const QByteArray& formato);

// The dialogs of the exchange: the folder of an export (the fixed pair name
// proposed; the name typed is not used) and the ".FRF" of an import. Empty
// when the user cancels.
QString CarpetaExportacion(QWidget* padre, int codigo);
QString FicheroImportacion(QWidget* padre, const QString& titulo, const QString& filtro, const QString& patron);

// Exports the current row of the formats' or listings' list: its code names
// the pair, `columna` holds the stored format, `lineas` gives the ".TXT".
// Nothing while the list is empty or a row is edited, or when the user gives
// the folder up.
void ExportaFila(QWidget* padre, TFIBTableSet& q, const QString& columna, const std::function<QStringList()>& lineas);

// An import asked of the user: the pair chosen (ParImportacion's checks) and,
// when its code exists already, whether it replaces that row ("Reemplazar") or
// is added under a new code ("Añadir"). Nothing when the user gives it up.
struct TImportacion {
    TParIntercambio Par;
    QStringList Lineas; // of the ".TXT"
    bool Reemplaza = false;
};
std::optional<TImportacion> PideImportacion(QWidget* padre, const QString& titulo, const QString& filtro,
                                            const QString& patron, const std::function<bool(int codigo)>& existe);
