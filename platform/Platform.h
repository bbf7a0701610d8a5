#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The few places where the operating system shows through the common
// utilities: starting and watching processes, the process list and the
// system's name. One implementation per platform (PlatformLinux.cpp).
namespace plataforma {

// Starts `programa` (looked up on PATH when it names no directory) with its
// arguments, as a child that may outlive this process, in the folder
// `carpeta` (this process's when empty). `silencioso` sends its standard
// input and output to /dev/null. Returns the process id, or nullopt when it
// cannot be started.
std::optional<qint64> Lanza(const QString& programa, const QStringList& argumentos,
                            bool silencioso, const QString& carpeta = {});

// nullopt while the child runs; once it has ended its exit status (128 + the
// signal number when a signal ended it, -1 when it is not a child of ours).
std::optional<int> Termino(qint64 pid);

// A child not waited for any longer: its end is collected later, so it leaves
// no defunct entry behind.
void Abandona(qint64 pid);

// True when a live process's executable (/proc/PID/exe) has the file name
// `nombre`, or, when that does not match or cannot be read (another user's
// process, a script run by its interpreter), its command name (/proc/PID/comm)
// equals `nombre` cut to the 15 bytes the kernel keeps, confirmed for a longer
// name by the file name of the first or second word of its command line.
// Letter case ignored.
bool HayProceso(const QString& nombre);

// PRETTY_NAME of an os-release text ("Linux" when it has none).
QString NombreDeOsRelease(const QByteArray& contenido);

// The system's name from /etc/os-release (or /usr/lib/os-release).
QString NombreSistema();

// The request to end (SIGTERM, as a desktop session sends on log-out) is
// held back from every thread started afterwards, so that it never interrupts
// the database engine's threads. Call first thing in main.
void ReservaTerminar();
// From then on the request runs `accion` from the event loop, so that the
// program closes as if the user had closed it (a request made before this
// call runs it at once).
void AlTerminar(std::function<void()> accion);

} // namespace plataforma
