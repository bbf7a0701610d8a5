#pragma once
// "Etiquetas": address labels for the owners of the current community,
// chosen by code range, e-mail address and language, or by hand in
// "Selectivo"; printed through the report engine from a label format
// ("&Aceptar") or merged into an RTF label sheet opened in Word ("&Word").
#include "UDMEtiqueta.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class TEditFind2000;

class TFEtiquetas : public QDialog {
    Q_OBJECT
public:
    explicit TFEtiquetas(QWidget* parent = nullptr);
    ~TFEtiquetas() override;
    TDMEtiqueta* DM() const { return dm_.get(); }

    TEditFind2000* EDesde;
    TEditFind2000* EHasta;
    TEditFind2000* EFormato;
    TEditFind2000* EIdioma;
    QLabel* LDesde; // the names beside the codes
    QLabel* LHasta;
    QLabel* LFormato;
    QLabel* LIdioma;
    QComboBox* COrden;
    QComboBox* CSelectivo;
    QComboBox* CCorreo;
    QPushButton* BtAceptar;
    QPushButton* BtWord;
    QPushButton* BtSelectivo;

    // What the fields say.
    TPeticionEtiquetas Peticion() const;
    // The buttons' work.
    void Aceptar();
    void Word();
    void Selectivo();

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    std::unique_ptr<TDMEtiqueta> dm_;
};
