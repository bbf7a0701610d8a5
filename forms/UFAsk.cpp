#include "UFAsk.h"

#include "UTextos.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TFAsk::TFAsk(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FAsk"));
    setModal(true);
    setWindowTitle(QStringLiteral("¡ Atención !"));
    const int lado = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    ImPregunta = new QLabel(this);
    ImPregunta->setObjectName(QStringLiteral("ImPregunta"));
    ImPregunta->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(lado, lado));
    LbPregunta = new QLabel(this);
    LbPregunta->setObjectName(QStringLiteral("LbPregunta"));
    LbPregunta->setWordWrap(true);
    LbPregunta->setTextFormat(Qt::PlainText);
    LbPregunta->setMinimumWidth(260);
    LbPregunta->setMaximumWidth(520);

    auto* fila = new QHBoxLayout;
    fila->addWidget(ImPregunta, 0, Qt::AlignTop);
    fila->addWidget(LbPregunta, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    QPushButton** todos[] = {&BtOp1, &BtOp2, &BtOp3, &BtOp4};
    for (int i = 0; i < 4; ++i) {
        auto* boton = new QPushButton(this);
        boton->setObjectName(QStringLiteral("BtOp%1").arg(i + 1));
        boton->hide();
        connect(boton, &QPushButton::clicked, this, [this, i] {
            respuesta_ = i + 1;
            accept();
        });
        botones->addWidget(boton);
        *todos[i] = boton;
    }
    botones->addStretch();
    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(fila);
    raiz->addLayout(botones);
    raiz->setSizeConstraint(QLayout::SetFixedSize);
}

void TFAsk::Prepara(const QString& texto, const QStringList& respuestas)
{
    LbPregunta->setText(SaltosDeLinea(texto));
    respuesta_ = 0;
    QPushButton* const botones[] = {BtOp1, BtOp2, BtOp3, BtOp4};
    QPushButton* primero = nullptr;
    for (int i = 0; i < 4; ++i) {
        const QString titulo = i < respuestas.size() ? respuestas.at(i) : QString();
        botones[i]->setText(titulo);
        botones[i]->setVisible(!titulo.isEmpty());
        botones[i]->setDefault(false);
        if (!titulo.isEmpty() && !primero)
            primero = botones[i];
    }
    // Enter answers with the first button until the focus moves to another.
    if (primero) {
        primero->setDefault(true);
        primero->setFocus();
    }
}
