#include "UFCamino.h"
#include "UDialogos.h"
#include "UFServidor.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFCamino::TFCamino(const QString& camino, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Base de datos"));
    setModal(true);
    auto* etiqueta = new QLabel(QStringLiteral("Camino de la base de datos:"));
    EdCamino = new QLineEdit(camino);
    EdCamino->setObjectName(QStringLiteral("EdCamino"));
    EdCamino->setMinimumWidth(420);
    etiqueta->setBuddy(EdCamino);
    auto* examinar = new QPushButton(QStringLiteral("..."));
    examinar->setObjectName(QStringLiteral("BtExaminar"));
    examinar->setAutoDefault(false);
    examinar->setFixedWidth(32);
    auto* reintentar = new QPushButton(QStringLiteral("Reintentar"));
    reintentar->setObjectName(QStringLiteral("BtReintentar"));
    reintentar->setDefault(true);
    auto* cancelar = new QPushButton(QStringLiteral("Cancelar"));
    cancelar->setObjectName(QStringLiteral("BtCancelar"));
    cancelar->setAutoDefault(false);

    auto* fila = new QHBoxLayout;
    fila->addWidget(EdCamino);
    fila->addWidget(examinar);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(reintentar);
    botones->addWidget(cancelar);
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(etiqueta);
    capa->addLayout(fila);
    capa->addLayout(botones);

    connect(examinar, &QPushButton::clicked, this, &TFCamino::Examinar);
    connect(reintentar, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
    CentraEnPantalla(this);
}

TDialogosArranque DialogosArranque()
{
    return {.Aviso = [](const QString& texto, bool informativo) { Mensaje(texto, informativo); },
            .PideCamino = [](const QString& camino) -> std::optional<QString> {
                TFCamino dialogo(camino);
                const bool reintentar = dialogo.exec() == QDialog::Accepted;
                if (!reintentar)
                    return std::nullopt;
                return dialogo.Camino();
            },
            .PrimerArranque = &PreguntaPrimerArranque,
            .PideClave = &PideClaveServidor};
}

QString TFCamino::Camino() const { return EdCamino->text().trimmed(); }

void TFCamino::Examinar()
{
    const QString inicio = QFileInfo(Camino()).absolutePath();
    const QString elegido = QFileDialog::getOpenFileName(
        this, QStringLiteral("Base de datos"), inicio,
        QStringLiteral("Bases de datos (*.fdb *.gdb);;Bases de datos (*.fdb);;Bases de datos (*.gdb)"));
    if (!elegido.isEmpty())
        EdCamino->setText(elegido);
}
