#pragma once
// "Saldos hasta periodo": the financial year and the period of the
// accounting product up to which the owners' debts are read. Double-click or
// Enter on a period closes it; however it closes, the year and period under
// the cursors are the ones taken.
#include <QDialog>

class TDMConvoca;
class THYTDBGrid;

class TFPeriodos : public QDialog {
    Q_OBJECT
public:
    explicit TFPeriodos(TDMConvoca& dm);
    THYTDBGrid* GEjercicios;
    THYTDBGrid* GPeriodos;
};
