#pragma once
// The screen "Calendario": one day of one user's appointment book, its slots
// in a grid whose texts are typed in place.
#include "UDMCalendario.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QToolBar;
class TEditorFecha;
class THYMNavigator;
class THYTDBGrid;

class TFCalendario : public QDialog {
    Q_OBJECT
public:
    explicit TFCalendario(TLibroCitas libro = TLibroCitas::Propio, QWidget* parent = nullptr);
    ~TFCalendario() override;
    TDMCalendario* DM() const { return dm_.get(); }

    QToolBar* ToolBar1;
    TEditorFecha* DtFecha;
    THYMNavigator* HYMNavigator1;
    QComboBox* CbUsuario;
    THYTDBGrid* DBGCalendario;

    // Shows the day picked for the user chosen (saving a slot being typed first).
    void MuestraDia();

protected:
    void reject() override;

private:
    std::unique_ptr<TDMCalendario> dm_;
};

// Runs the screen modally; in the other product's mode, when its database is
// not configured or cannot be opened, the message is shown and nothing opens.
void AbreCalendario(TLibroCitas libro);

// The commands "Calendario" and "Calendario en Halvenbook" of the main window.
void RegistraOrdenesCalendario();
