#pragma once
// The key map of the screens (one instance in the main data module) and the
// key menu whose items carry its shortcuts. A key menu is the popup menu of a
// screen, of its pages and of its navigator; the shortcut of one of its
// enabled, visible items works wherever the focus is inside the widget whose
// popup menu it is, before the focused control sees the key.
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <array>

class QAction;

// A shortcut as the program stores it: the low byte is the key code, 16384 is
// Ctrl, 8192 Shift, 32768 Alt; 0 is none.
using TShortCut = quint16;
inline constexpr TShortCut scShift = 8192;
inline constexpr TShortCut scCtrl = 16384;
inline constexpr TShortCut scAlt = 32768;

// The key sequence of a stored shortcut (empty for 0 or an unknown key code).
QKeySequence ShortCutToKey(TShortCut atajo);
// The stored form of a key pressed with its modifiers; 0 when the key has no
// code (a lone modifier, a character without key code).
TShortCut ShortCutOf(int qtKey, Qt::KeyboardModifiers modificadores);

class TPopUpTeclas;

class TTeclas : public QObject {
    Q_OBJECT
public:
    explicit TTeclas(QObject* parent = nullptr);
    ~TTeclas() override;

    // An action: assigning any value re-applies the key map to every key menu
    // registered with it. Reads false.
    bool ActualizarPopUps() const { return false; }
    void SetActualizarPopUps(bool valor);

    // The component's defaults; the main data module's key map sets
    // TecNInsert to Ctrl+Ins and TecNDelete to Ctrl+Del (ValoresModuloPrincipal).
    TShortCut TecNFirst = 16464;   // Ctrl+P
    TShortCut TecNPrior = 16449;   // Ctrl+A
    TShortCut TecNNext = 16467;    // Ctrl+S
    TShortCut TecNLast = 16469;    // Ctrl+U
    TShortCut TecNInsert = 45;     // Ins
    TShortCut TecNDelete = 46;     // Del
    TShortCut TecNEdit = 16453;    // Ctrl+E
    TShortCut TecNPost = 16455;    // Ctrl+G
    TShortCut TecNCancel = 16472;  // Ctrl+X
    TShortCut TecNRefresh = 16466; // Ctrl+R
    TShortCut TecXBuscar = 16450;  // Ctrl+B
    TShortCut TecXAprox = 16465;   // Ctrl+Q
    TShortCut TecXExacta = 16471;  // Ctrl+W
    TShortCut TecXImprime = 16457; // Ctrl+I
    TShortCut TecXRango = 16454;   // Ctrl+F
    TShortCut TecXReport = 16460;  // Ctrl+L
    TShortCut TecXCopy = 16451;    // Ctrl+C
    TShortCut TecXCut = 16472;     // Ctrl+X, shared with TecNCancel
    TShortCut TecXPaste = 16470;   // Ctrl+V
    TShortCut TecXSalir = 115;     // F4

    // Every shortcut as the main data module stores it.
    void ValoresModuloPrincipal();

    // Gives every item of `menu` whose caption is one of the twenty captions
    // that entry's shortcut; other items are left alone.
    void Aplica(QMenu* menu) const;

    // The key menus that name this key map (kept by TPopUpTeclas::SetTeclas).
    void Registra(TPopUpTeclas* menu);
    void Desregistra(TPopUpTeclas* menu);
    QList<TPopUpTeclas*> Registrados() const;

    struct TEntrada {
        const char* propiedad;
        const char* titulo; // the key-menu caption it applies to (UTF-8)
        TShortCut TTeclas::*valor;
        TShortCut porDefecto;
        TShortCut moduloPrincipal;
    };
    static const std::array<TEntrada, 20>& Entradas();

private:
    QList<QPointer<TPopUpTeclas>> menus_;
};

// The key menu. Its navigation items are named after the edit controller and
// carry the main data module's shortcuts.
class TPopUpTeclas : public QMenu {
    Q_OBJECT
public:
    explicit TPopUpTeclas(QWidget* parent = nullptr);
    ~TPopUpTeclas() override;

    // Assigning unregisters the menu from its previous key map, registers it
    // with the new one and applies the new one's shortcuts.
    TTeclas* Teclas() const { return teclas_; }
    void SetTeclas(TTeclas* teclas);

    // Adds the ten navigation items, "Primero" to "Refrescar", named
    // `controlador` + "Mifirst" ... "Mirefresh", disabled.
    void CreaItemsNavegacion(const QString& controlador);

    // The first visible, enabled item whose shortcut is `atajo`.
    QAction* ItemDeAtajo(TShortCut atajo) const;

    static const std::array<const char*, 10>& SufijosNavegacion();

private:
    QPointer<TTeclas> teclas_;
};

// Makes `menu` the popup menu of `w` (nullptr: none): it opens on a context
// menu request over `w` or a child that has none of its own, and its
// shortcuts work while the focus is on `w` or inside it, taking precedence
// over the focused control.
void AsignaMenuEmergente(QWidget* w, TPopUpTeclas* menu);
TPopUpTeclas* MenuEmergente(const QWidget* w);
