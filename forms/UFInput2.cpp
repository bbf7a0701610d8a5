#include "UFInput2.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFInput2::TFInput2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FInput2"));
    setModal(true);
    LbDato = new QLabel(this);
    LbDato->setObjectName(QStringLiteral("LbDato"));
    EdInput = new QLineEdit(this);
    EdInput->setObjectName(QStringLiteral("EdInput"));
    EdInput->setMinimumWidth(260);
    EdInput->installEventFilter(this);
    LbDato->setBuddy(EdInput);
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    BtAceptar->setDefault(true);
    BtCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    BtCancelar->setAutoDefault(false);
    connect(BtAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtCancelar, &QPushButton::clicked, this, [this] {
        cancelado_ = true;
        reject();
    });

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(BtAceptar);
    botones->addWidget(BtCancelar);
    auto* raiz = new QVBoxLayout(this);
    raiz->addWidget(LbDato);
    raiz->addWidget(EdInput);
    raiz->addLayout(botones);
    raiz->setSizeConstraint(QLayout::SetFixedSize);
}

void TFInput2::Prepara(const QString& titulo, const QString& etiqueta, const QString& inicial)
{
    setWindowTitle(titulo);
    LbDato->setText(etiqueta);
    EdInput->setText(inicial);
    EdInput->selectAll();
    EdInput->setFocus();
    cancelado_ = false;
}

QString TFInput2::Resultado() const
{
    return cancelado_ ? QString() : EdInput->text();
}

bool TFInput2::eventFilter(QObject* objeto, QEvent* evento)
{
    // Decimal input in the program's number format: "." is entered as ",".
    if (objeto == EdInput && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->text() == QStringLiteral(".")) {
            EdInput->insert(QStringLiteral(","));
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void TFInput2::keyPressEvent(QKeyEvent* evento)
{
    // Esc is "&Cancelar"; the close box keeps the text.
    if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
        BtCancelar->click();
        return;
    }
    QDialog::keyPressEvent(evento);
}
