#include "UEditorPseudoClaves.h"
#include "FIBTableDataSet.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TFMCampos::TFMCampos(const QStringList& campos, QWidget* parent)
    : QDialog(parent), LDisponibles(new QListWidget(this)), LClaves(new QListWidget(this)),
      BAnade(new QPushButton(QStringLiteral("->"), this)), BQuita(new QPushButton(QStringLiteral("<-"), this)),
      BAceptar(new QPushButton(QStringLiteral("&Aceptar"), this)),
      BCancelar(new QPushButton(QStringLiteral("&Cancelar"), this))
{
    setWindowTitle(QStringLiteral("Campos pseudo-clave..."));
    for (QListWidget* l : {LDisponibles, LClaves})
        l->setSortingEnabled(true);
    LDisponibles->addItems(campos);

    auto* flechas = new QVBoxLayout;
    flechas->addStretch();
    flechas->addWidget(BAnade);
    flechas->addWidget(BQuita);
    flechas->addStretch();
    auto* listas = new QGridLayout;
    listas->addWidget(new QLabel(QStringLiteral("Campos disponibles..."), this), 0, 0);
    listas->addWidget(new QLabel(QStringLiteral("Pseudo-claves..."), this), 0, 2);
    listas->addWidget(LDisponibles, 1, 0);
    listas->addLayout(flechas, 1, 1);
    listas->addWidget(LClaves, 1, 2);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(BAceptar);
    botones->addWidget(BCancelar);
    auto* capas = new QVBoxLayout(this);
    capas->addLayout(listas);
    capas->addLayout(botones);

    BAceptar->setDefault(true);
    connect(BAnade, &QPushButton::clicked, this, [this] { Mueve(LDisponibles, LClaves); });
    connect(BQuita, &QPushButton::clicked, this, [this] { Mueve(LClaves, LDisponibles); });
    connect(BAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(BCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void TFMCampos::Mueve(QListWidget* desde, QListWidget* hacia)
{
    QListWidgetItem* item = desde->currentItem();
    if (!item)
        return;
    hacia->addItem(desde->takeItem(desde->row(item)));
}

QStringList TFMCampos::PseudoClaves() const
{
    QStringList claves;
    for (int i = 0; i < LClaves->count(); ++i)
        claves << LClaves->item(i)->text();
    return claves;
}

QStringList EligePseudoClaves(const QStringList& campos)
{
    TFMCampos dlg(campos, QApplication::activeWindow());
    return dlg.exec() == QDialog::Accepted ? dlg.PseudoClaves() : QStringList();
}

void InstalaEditorPseudoClaves() { SetPseudoKeyChooserHook(&EligePseudoClaves); }
