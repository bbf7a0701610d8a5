#pragma once
// The community selection: the dialog in which the current community is
// picked, and the command that makes the pick current.
#include "FIBTableDataSet.h"
#include "DataSource.h"
#include "UHYDBGrid.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

class QAction;

class TFBuscaEmp : public QDialog {
    Q_OBJECT
public:
    explicit TFBuscaEmp(QWidget* parent = nullptr);
    ~TFBuscaEmp() override;

    QLineEdit* cNombre;
    THYTDBGrid* DbGridEmp;
    QPushButton* BtAceptar;
    QPushButton* BtCancelar;
    THYTransaction Transaccion;
    TFIBTableSet FIBEmpresas;

    // The row last accepted in the dialog, for the life of the process
    // (code 0 and no name until something is accepted).
    static qint16 CodigoElegido();
    static QString NombreElegido();

    // Remembers the list's current row (code 0 and no name for an empty
    // list) and closes.
    void Acepta();
    // Enter in the search box: a code for a text that starts with a digit,
    // else the start of a name in upper case; an empty text lists them all.
    void Busca();

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    TDataSource ds_;
};

// The command "Selección de comunidad": refused while screens of the window
// list are open; otherwise closes them, runs the dialog and makes its result
// the current community (typing "0" chooses the "Comunidad general"). The
// command's window (the main window) gets the community in its title.
void SeleccionaComunidad(QAction* orden);
