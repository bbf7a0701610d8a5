#pragma once
// The program's message, question and input dialogs, shown modally and
// centred on the screen.
#include "UTextos.h"

#include <QString>
#include <QStringList>

class QWidget;

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
// Places a window in the middle of the screen it is on (the primary screen
// before it is shown).
// `ajusta` first fits the window to its contents; without it the window
// keeps the size it was given.
void CentraEnPantalla(QWidget* ventana, bool ajusta = true);

// The file's modification stamp (milliseconds since 1970, UTC); compare two
// stamps to learn whether a file was saved in between. When the file cannot be
// opened for reading: shows "No se puede abrir el fichero" and returns -1.
qint64 FechaFichero(const QString& fichero);
