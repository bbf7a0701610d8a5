#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The question window (caption "¡ Atención !"): an icon, the word-wrapped
// question and up to four answer buttons BtOp1 … BtOp4, of which only those
// given a caption are shown. Shown through Pregunta (UUtiles.h).
class TFAsk : public QDialog {
    Q_OBJECT
public:
    explicit TFAsk(QWidget* parent = nullptr);

    // The question and the captions of the answers, in button order (at most
    // four are used; an empty caption leaves its button hidden).
    void Prepara(const QString& texto, const QStringList& respuestas);

    // 1 to 4: the button pressed; 0: closed without an answer (close box, Esc).
    int Respuesta() const { return respuesta_; }

    QLabel* ImPregunta;
    QLabel* LbPregunta;
    QPushButton* BtOp1;
    QPushButton* BtOp2;
    QPushButton* BtOp3;
    QPushButton* BtOp4;

private:
    int respuesta_ = 0;
};
