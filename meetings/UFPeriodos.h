#pragma once
// "Saldos hasta periodo": the financial year and the period of the
// accounting product up to which the owners' debts are read. "Aceptar",
// Enter, or a double-click on either list takes the year and period under
// the cursors; "Cancelar", Esc or the window's close button takes none.
#include <QDialog>

class QPushButton;
class TDMConvoca;
class THYTDBGrid;

class TFPeriodos : public QDialog {
    Q_OBJECT
public:
    explicit TFPeriodos(TDMConvoca& dm);
    THYTDBGrid* GEjercicios;
    THYTDBGrid* GPeriodos;
    QPushButton* BtAceptar;
    QPushButton* BtCancelar;
};
