#include "UFPeriodos.h"
#include "UDMConvoca.h"
#include "UDialogos.h"
#include "UHYDBGrid.h"
#include "USalida.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFPeriodos::TFPeriodos(TDMConvoca& dm)
{
    setObjectName(QStringLiteral("FPeriodos"));
    setWindowTitle(QStringLiteral("Saldos hasta periodo"));
    auto* capas = new QVBoxLayout(this);
    auto* listas = new QHBoxLayout;
    GEjercicios = new THYTDBGrid(this);
    GEjercicios->setObjectName(QStringLiteral("GEjercicios"));
    GEjercicios->SetDataSource(&dm.DsEjer);
    GEjercicios->SetColumnas({QStringLiteral("EJERCICIO")});
    GPeriodos = new THYTDBGrid(this);
    GPeriodos->setObjectName(QStringLiteral("GPeriodos"));
    GPeriodos->SetDataSource(&dm.DsPeriodos);
    GPeriodos->SetColumnas({QStringLiteral("PERIODO"), QStringLiteral("TITULO")});
    listas->addWidget(GEjercicios, 1);
    listas->addWidget(GPeriodos, 3);
    capas->addLayout(listas, 1);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"));
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    BtCancelar = new QPushButton(QStringLiteral("&Cancelar"));
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    botones->addWidget(BtAceptar);
    botones->addWidget(BtCancelar);
    capas->addLayout(botones);
    IconosBotones(this);
    // Enter in either list reaches the default button: the lists do not take it.
    BtAceptar->setDefault(true);
    connect(BtAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtCancelar, &QPushButton::clicked, this, &QDialog::reject);
    for (THYTDBGrid* lista : {GEjercicios, GPeriodos})
        connect(lista, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
    resize(420, 300);
    CentraEnPantalla(this);
    GPeriodos->setFocus();
}
