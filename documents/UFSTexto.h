#pragma once
// "Seleccione un texto tipo": the templates of one kind (1 letters, 2
// minutes), from which a convocation's document starts. Double-click or
// Enter writes the chosen template's document to "tmp1.rtf" in the program
// folder and closes; closing otherwise writes nothing.
#include "FIBDataSet.h"
#include "FIBTableDataSet.h"

#include <QDialog>

class THYMNavigator;
class THYTDBGrid;

class TFSTexto : public QDialog {
    Q_OBJECT
public:
    explicit TFSTexto(int idioma);
    ~TFSTexto() override;
    THYTransaction Transaccion;
    TFIBDataSet QTextos;
    TDataSource DsTextos;
    THYMNavigator* Navegador;
    THYTDBGrid* Rejilla;

private:
    void Elige();
    bool elegido_ = false;
};
