#pragma once
// "Asuntos a tratar en juntas": the matters owners raise between meetings,
// to be brought to one, of every community in one list, newest first. The
// list screen (TFAsuntos) edits each matter in its dialog (TFAsuntos2).
#include "UDMBase.h"
#include "UNombresComunidad.h"

#include <QDialog>
#include <memory>

class QPushButton;
class QSplitter;
class QToolBar;
class TDBEdit;
class TDBMemo;
class TDBText;
class TFIBDBEditfind;
class THYMNavigator;
class THYTDBGrid;

// The screen's transaction and its matters; the database numbers each new
// matter, which is read back with its code.
class TDMAsuntos : public TDMBase {
public:
    TDMAsuntos();
    TFIBTableSet QAsuntos;
    TNombresComunidad Comunidades;
};

class TFAsuntos : public QDialog {
    Q_OBJECT
public:
    explicit TFAsuntos(QWidget* parent = nullptr);
    ~TFAsuntos() override;
    TDMAsuntos* DM() const { return dm_.get(); }

    QToolBar* ToolBar1;
    THYMNavigator* HYMNavigator1;
    QSplitter* Splitter1;
    THYTDBGrid* DBGAsuntos;
    TDBMemo* DBMAmpliada;

protected:
    void reject() override;

private:
    std::unique_ptr<TDMAsuntos> dm_;
};

// The dialog of one matter, on the list's dataset: "&Aceptar" saves it and
// "&Cancelar" drops the change, each through the list's navigator.
class TFAsuntos2 : public QDialog {
    Q_OBJECT
public:
    TFAsuntos2(THYMNavigator* navegador, QWidget* parent = nullptr);

    TDBEdit* DBEFechaR;
    TDBEdit* DBEFechaP;
    TFIBDBEditfind* DBEComunidad;
    TDBText* DBTNombre;
    TDBMemo* DBMAmpliada;
    QPushButton* BtAceptar;
    QPushButton* BtCancelar;
};

// The command "Asuntos a tratar en juntas" of the main window.
void RegistraOrdenesAsuntos();
