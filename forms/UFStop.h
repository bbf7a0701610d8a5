#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The program's message box: no title-bar buttons, a warning or an
// information icon, the word-wrapped text and one button "&Aceptar", the
// default button, which closes it. Shown through Mensaje (UUtiles.h).
class TFStop : public QDialog {
    Q_OBJECT
public:
    explicit TFStop(QWidget* parent = nullptr);

    // Caption, icon and text; a carriage return in the text starts a new line.
    void Prepara(const QString& texto, bool informativo);

    QLabel* ImAviso;
    QLabel* ImInfo;
    QLabel* Cadena;
    QPushButton* BtAceptar;

protected:
    // Only "&Aceptar" answers the message: Esc does not close it.
    void keyPressEvent(QKeyEvent* evento) override;
};
