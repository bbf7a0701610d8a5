#pragma once
// The navigator: the row of ten record buttons bound to a data source. It
// performs each button's dataset action, keeps the buttons (and the key-menu
// items bound to them) enabled in step with the dataset, and on entering and
// leaving edit mode drives the edit controller, focuses the right field and
// locks the rest of the toolbar.
#include "DataSource.h"
#include "FIBTableDataSet.h"
#include "UControlEdit.h"

#include <QPointer>
#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>

class QAction;
class THYMNavigator;

enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TButtonSet = TEnumSet<TNavigateBtn>;
inline constexpr TButtonSet kTodosLosBotones{
    TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,   TNavigateBtn::nbLast,
    TNavigateBtn::nbInsert, TNavigateBtn::nbDelete, TNavigateBtn::nbEdit, TNavigateBtn::nbPost,
    TNavigateBtn::nbCancel, TNavigateBtn::nbRefresh};

class TNavButton : public QToolButton {
    Q_OBJECT
public:
    TNavButton(THYMNavigator* navegador, TNavigateBtn indice);
    const TNavigateBtn Index;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    THYMNavigator* navegador_;
};

class THYMNavigator : public QWidget {
    Q_OBJECT
public:
    using TEvento = std::function<void(THYMNavigator&, TNavigateBtn)>;
    using TEventoAntes = std::function<void(THYMNavigator&, TNavigateBtn, bool& Continua)>;

    explicit THYMNavigator(QWidget* parent = nullptr);
    ~THYMNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* ds);

    // Hidden buttons take no space and their key-menu items are hidden.
    TButtonSet VisibleButtons() const { return visibles_; }
    void SetVisibleButtons(TButtonSet botones);

    bool Flat() const { return flat_; }
    void SetFlat(bool flat);

    // Replacement hints, one per button in button order; an empty line keeps
    // the default hint. A list equal to the defaults is kept as empty.
    QStringList Hints() const { return hints_; }
    void SetHints(const QStringList& hints);
    static const QStringList& HintsPorDefecto();

    bool ConfirmDelete = true;
    TEvento BeforeAction;     // just before the dataset action
    TEvento OnClick;          // after the dataset action
    bool ModoDeSeguridad = true; // in edit mode only edit, post and cancel stay usable
    QString DelCaption = QStringLiteral("Información");
    QString DelMessage = QStringLiteral(" ¿ Borra el registro ? ");

    // Receives the focus when editing, or inserting, begins.
    QWidget* EditaControl() const { return editaControl_; }
    void SetEditaControl(QWidget* w) { editaControl_ = w; }
    QWidget* InsertaControl() const { return insertaControl_; }
    void SetInsertaControl(QWidget* w) { insertaControl_ = w; }

    bool RefreshOnPost = false;
    TEventoAntes OnClickBefore; // first; clearing Continua skips the dataset action
    bool Exclusivo = true;      // in edit mode the toolbar's other buttons are locked
    // The dynamic property (true) of a tool button that stays usable in edit
    // mode: its action saves the record first.
    static constexpr const char* kUsableEnEdicion = "UsableEnEdicion";

    // Setting the controller shows its record page, makes its key menu this
    // navigator's popup menu, takes its data source when the navigator has
    // none, and binds the menu's ten navigation items to the buttons. Set the
    // controller's key menu and data source first.
    TControlEdit* ControlEdit() const { return controlEdit_; }
    void SetControlEdit(TControlEdit* ce);

    TEvento OnClickAfterAdjust; // last, after the edit-mode adjustments

    // The click of a button, also reached from the key menu and the keyboard.
    void EjecutarBoton(TNavigateBtn boton);

    TNavButton* Boton(TNavigateBtn b) const { return botones_[static_cast<std::size_t>(b)]; }
    QAction* Item(TNavigateBtn b) const { return items_[static_cast<std::size_t>(b)]; }
    // The button carrying the keyboard focus mark.
    TNavigateBtn BotonMarcado() const { return marcado_; }
    // Whether the navigator put the screen into edit mode.
    bool EnEdicion() const { return enEdicion_; }

    QSize sizeHint() const override { return {241, 25}; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class TNavButton;
    class TEnlace;
    void ActualizaBotones();
    void ActualizaHints();
    void EntraEdicion(bool insertando);
    void SaleEdicion();
    void BloqueaBarra(bool on);
    void Marca(TNavigateBtn b);
    void EnlazaItems();

    std::unique_ptr<TEnlace> enlace_;
    std::array<TNavButton*, 10> botones_{};
    std::array<QPointer<QAction>, 10> items_{};
    std::array<QMetaObject::Connection, 10> conexionesItems_{};
    TButtonSet visibles_ = kTodosLosBotones;
    bool flat_ = false;
    QStringList hints_;
    QPointer<QWidget> editaControl_, insertaControl_;
    QPointer<TControlEdit> controlEdit_;
    TNavigateBtn marcado_ = TNavigateBtn::nbFirst;
    bool enEdicion_ = false;
};
