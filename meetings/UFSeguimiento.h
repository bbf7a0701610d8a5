#pragma once
// The follow-up of a convocation's decisions, the content of the workspace's
// tab "Se&guimiento": the convocation's follow-up rows, made from its agenda
// the first time the tab is shown, typed into in place; double-click switches
// a row between done and pending; a row becomes a task or a budget request
// of the community-management product (Halvenbook), whose connection the
// status label reports while it lasts.
#include <QWidget>

class QAction;
class QLabel;
class QToolBar;
class QToolButton;
class TDBEdit;
class TDMConvoca;
class THYMNavigator;
class THYTDBGrid;

class TFSeguimiento : public QWidget {
    Q_OBJECT
public:
    // On the workspace's convocations module, for the life of the screen.
    explicit TFSeguimiento(TDMConvoca& dm, QWidget* parent = nullptr);
    ~TFSeguimiento() override;

    QToolBar* ToolBar1;
    TDBEdit* DBECodigo;       // the convocation's code and description, read only
    TDBEdit* DBEDes;
    THYMNavigator* NavDetalle; // the follow-up rows, every button
    QToolButton* BtHalvenbook; // "Crear tarea o presupuesto en Halvenbook"
    QAction* AcCrearTarea;
    QAction* AcCrearPresupuesto;
    TDBEdit* DBEEscrito;       // the convocation's ESCRITO, editable
    QLabel* LEstado;           // the connection to Halvenbook; hidden otherwise
    THYTDBGrid* DBGDetalle;

    // Makes the follow-up rows of a convocation that has none (each time the
    // tab is shown).
    void Muestra();

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDMConvoca& dm_;
};
