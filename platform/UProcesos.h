#pragma once
// Starting external programs and waiting for them with the windows painted.
#include "EUtilesError.h"

#include <QString>

// The handle of a started program (its process id).
using THandleProceso = qint64;

// Starts `comando` (a program file, looked up on PATH when it has no
// directory) with the arguments written in `parametros` (separated by blanks;
// double quotes group an argument). `oculto` sends the program's standard
// input and output to /dev/null. The program goes on after this one ends.
// Throws EUtilesError "No se puede actualizar" when it cannot be started.
// `carpeta`, when given, is the program's working folder.
THandleProceso EjecutaPrograma(const QString& comando, const QString& parametros, bool oculto,
                               const QString& carpeta = {});

// Without a name: waits until the started program ends. With a name: waits 5
// seconds, then until no process of that executable name runs (for programs
// that hand their work to an instance already running). The windows stay
// painted; user input waits until this returns. Returns the program's exit
// status (-1 when it is not known).
int EsperaPrograma(THandleProceso proceso, const QString& nombre = {});

// True when a running process's executable file name equals `nombre`, letter
// case ignored (a program started from a script counts by the script's name).
bool ProcesoActivo(const QString& nombre);

// Starts `programa` once the process `proceso` has ended (a waiting shell
// stands in for it until then), so that a program that replaces this one's
// files never runs beside it. Throws EUtilesError "No se puede actualizar"
// when the wait cannot be started.
void EjecutaAlTerminar(const QString& programa, qint64 proceso);

// Lets the windows repaint (and timers run) for `ms` milliseconds while user
// input waits: the program is busy with an external program or a transfer.
void EsperaPintando(int ms);
