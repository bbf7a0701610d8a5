#pragma once
// "Selectivo": the owners of the current community, each with its selection
// mark (EMP_PROPIETARIO.TEXTO, 1 selected) for selective labels. Opening it
// clears every mark of the community; double-click or Enter on a row switches
// its mark, saved at once; two tool buttons mark or clear them all. The marks
// are in the database, shared by every seat.
#include "FIBDataSet.h"
#include "FIBTableDataSet.h"

#include <QDialog>

class QToolButton;
class THYMNavigator;
class THYTDBGrid;

class TFSelectivo : public QDialog {
    Q_OBJECT
public:
    explicit TFSelectivo(QWidget* parent = nullptr);
    ~TFSelectivo() override;
    THYTransaction Transaccion;
    TFIBDataSet QPropietarios;
    TDataSource DsPropietarios;
    THYMNavigator* Navegador;
    QToolButton* TbActivar;
    QToolButton* TbDesactivar;
    THYTDBGrid* Rejilla;

    // Switches the current owner's mark: 0 becomes 1, anything else 0.
    void CambiaMarca();
    // Every owner of the community marked (1) or not (0); the list is read again.
    void MarcaTodos(int valor);

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void Actualiza(int valor);
};
