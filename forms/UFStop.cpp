#include "UFStop.h"

#include "UTextos.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TFStop::TFStop(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FStop"));
    setModal(true);
    const int lado = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    ImAviso = new QLabel(this);
    ImAviso->setObjectName(QStringLiteral("ImAviso"));
    ImAviso->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(lado, lado));
    ImInfo = new QLabel(this);
    ImInfo->setObjectName(QStringLiteral("ImInfo"));
    ImInfo->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(lado, lado));
    Cadena = new QLabel(this);
    Cadena->setObjectName(QStringLiteral("Cadena"));
    Cadena->setWordWrap(true);
    Cadena->setTextFormat(Qt::PlainText);
    Cadena->setMinimumWidth(260);
    Cadena->setMaximumWidth(520);
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    BtAceptar->setDefault(true);
    connect(BtAceptar, &QPushButton::clicked, this, &QDialog::accept);

    auto* fila = new QHBoxLayout;
    fila->addWidget(ImAviso, 0, Qt::AlignTop);
    fila->addWidget(ImInfo, 0, Qt::AlignTop);
    fila->addWidget(Cadena, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(BtAceptar);
    botones->addStretch();
    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(fila);
    raiz->addLayout(botones);
    raiz->setSizeConstraint(QLayout::SetFixedSize);
}

void TFStop::Prepara(const QString& texto, bool informativo)
{
    setWindowTitle(informativo ? QStringLiteral("Información") : QStringLiteral("¡ Atención !"));
    ImInfo->setVisible(informativo);
    ImAviso->setVisible(!informativo);
    Cadena->setText(SaltosDeLinea(texto));
    BtAceptar->setFocus();
}

void TFStop::keyPressEvent(QKeyEvent* evento)
{
    if (evento->key() == Qt::Key_Escape) {
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}
