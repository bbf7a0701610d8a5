#pragma once
// The community selection: the dialog in which the current community is
// picked, and the command that makes the pick current.
#include "FIBTableDataSet.h"
#include "DataSource.h"
#include "UHYDBGrid.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

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

    // The row accepted in the dialog (code 0 and no name for an empty list);
    // nothing when it was closed without accepting.
    struct TElegida {
        qint16 Codigo = 0;
        QString Nombre;
    };
    std::optional<TElegida> Elegida() const { return elegida_; }

    // Takes the list's current row and closes.
    void Acepta();
    // Enter in the search box: a code for a text that starts with a digit,
    // else the start of a name in upper case; an empty text lists them all.
    void Busca();

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    TDataSource ds_;
    std::optional<TElegida> elegida_;
};

// The command "Selección de comunidad": refused while screens of the window
// list are open; otherwise closes them, runs the dialog and makes its result
// the current community through the session (typing "0" chooses the
// "Comunidad general"; a cancelled dialog, the community last accepted).
void SeleccionaComunidad(QAction* orden);
