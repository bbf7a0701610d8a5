#pragma once
// The commands of the main window that open the subsystems' screens. The
// program entry registers each screen's opener before the main window is
// built; the main window lists a command only when its screen is registered,
// so a screen that is not part of the program has no command.
#include <QString>
#include <functional>

class QAction;

// Receives the menu command that was chosen (the window list's origin).
using TAbreOrden = std::function<void(QAction* orden)>;

// `titulo` is the command's caption in the main window's menus.
void RegistraOrden(const QString& titulo, TAbreOrden abre);
// The opener registered for a caption (empty when none).
TAbreOrden OrdenRegistrada(const QString& titulo);
// The commands for the application shell's own screens.
void RegistraOrdenesAplicacion();
