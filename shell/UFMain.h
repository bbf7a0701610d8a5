#pragma once
#include <QHash>
#include <QMainWindow>

class QLabel;
class QMenu;
class QToolBar;

// The program's frame: menus and tool bar of the command set, the "Ventanas"
// window list, the status bar with the user, and the start-up steps that run
// the first time the window is activated.
class TFMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    QLabel* LbAct;     // shown while the version check asks the server
    QLabel* LbUsuario; // "USUARIO: " + name, in the status bar
    QMenu* MenuArchivos;
    QMenu* MenuVentanasItem;
    QMenu* MenuAyuda;
    QToolBar* Herramientas;

    bool EsTira() const { return tira_; }
    // The updater that "Actualización de QuorumDesk" left to run once the
    // program has ended (empty when none).
    QString ActualizadorPendiente() const { return actualizador_; }
    QString PistaVer() const;
    // The interactive part of start-up: login, version check (and, as they
    // exist, the import and the community selection). False when the program ends.
    bool PasosInicio();
    bool Login();

    // Commands of the window.
    void VerEscritorio();
    void Salir();
    void AcercaDe();
    void Actualizacion();

    // The command of a subsystem's screen, by its identifier (nullptr when
    // the screen is not part of the program).
    QAction* OrdenPantalla(const QString& id) const;
    // The maker's web site and support address (the two "Ayuda" commands).
    static const char* const kWeb;
    static const char* const kCorreo;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QAction* Orden(QMenu* menu, const QString& titulo, void (TFMain::*accion)(), bool enHerramientas = false,
                   const QString& textoHerramienta = QString());
    void AbreAyuda();
    void BotonHerramienta(QAction* a, const QString& texto);
    QHash<QString, QAction*> pantallas_;

    bool inicio_ = true;
    bool tira_ = false;
    bool usado_ = false;
    int alturaGuardada_ = 0;
    bool login_ = false;
    QAction* ver_ = nullptr;
    QString actualizador_;
};

// Registers the commands of every subsystem's screens; the main window lists
// what is registered.
void RegistraOrdenesPrograma();
