#pragma once
// The command registry: each subsystem registers the commands that open its
// screens, as records keyed by an identifier; the main window builds its
// menus and tool bar from them. A screen that is not part of the program has
// no record, so it has no command.
#include <QList>
#include <QString>
#include <QStyle>
#include <functional>

class QAction;

// Receives the menu command that was chosen (the window list's origin).
using TAbreOrden = std::function<void(QAction* orden)>;

// The main window's menus that hold screens.
enum class TMenuOrden { Archivos, Gestion, Textos, Varios };

// Who may use a command: everybody, or only user 1 (the others get
// "ACCESO DENEGADO.").
enum class TAccesoOrden { Todos, SoloAdministrador };

struct TOrden {
    QString Id;               // the identifier others name the command by
    TMenuOrden Menu;
    int Posicion;             // order in its menu
    QString Titulo;           // caption in the menu
    TAbreOrden Abre;
    TAccesoOrden Acceso = TAccesoOrden::Todos;
    bool SeparadorDespues = false; // a separator follows when the menu goes on
    // On the tool bar when it has a caption there; ordered by its position.
    QString TextoHerramienta{};
    int PosicionHerramienta = 0;
    QStyle::StandardPixmap Icono = QStyle::SP_CustomBase; // SP_CustomBase: none
};

// Registers (or replaces) the command with the record's identifier.
void RegistraOrden(TOrden orden);
// Every registered command, by menu and position.
QList<TOrden> OrdenesRegistradas();
// The command with this identifier; nullptr when none is registered.
const TOrden* OrdenRegistrada(const QString& id);

// Identifiers that other parts of the program name.
namespace ordenes {
// The community selection: the last start-up step and the key F2 of the main
// window run it.
inline const QString SeleccionComunidad = QStringLiteral("SeleccionComunidad");
} // namespace ordenes
