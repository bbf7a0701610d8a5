#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The one-line input window: caption and label set by the caller, the field
// EdInput (a "." typed is entered as ",", the program's decimal separator),
// "&Aceptar" (default) and "&Cancelar". Shown through PideDato (UUtiles.h).
class TFInput2 : public QDialog {
    Q_OBJECT
public:
    explicit TFInput2(QWidget* parent = nullptr);

    void Prepara(const QString& titulo, const QString& etiqueta, const QString& inicial);

    // The field's text after "&Aceptar" or the close box; empty after
    // "&Cancelar" or Esc.
    QString Resultado() const;

    QLabel* LbDato;
    QLineEdit* EdInput;
    QPushButton* BtAceptar;
    QPushButton* BtCancelar;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    bool cancelado_ = false;
};
