#include "UFPeriodos.h"
#include "UDMConvoca.h"
#include "UDialogos.h"
#include "UHYDBGrid.h"

#include <QHBoxLayout>

TFPeriodos::TFPeriodos(TDMConvoca& dm)
{
    setObjectName(QStringLiteral("FPeriodos"));
    setWindowTitle(QStringLiteral("Saldos hasta periodo"));
    auto* capa = new QHBoxLayout(this);
    GEjercicios = new THYTDBGrid(this);
    GEjercicios->setObjectName(QStringLiteral("GEjercicios"));
    GEjercicios->SetDataSource(&dm.DsEjer);
    GEjercicios->SetColumnas({QStringLiteral("EJERCICIO")});
    GPeriodos = new THYTDBGrid(this);
    GPeriodos->setObjectName(QStringLiteral("GPeriodos"));
    GPeriodos->SetDataSource(&dm.DsPeriodos);
    GPeriodos->SetColumnas({QStringLiteral("PERIODO"), QStringLiteral("TITULO")});
    capa->addWidget(GEjercicios, 1);
    capa->addWidget(GPeriodos, 3);
    // Enter and double-click activate the period under the cursor.
    connect(GPeriodos, &QAbstractItemView::activated, this, &QDialog::accept);
    connect(GPeriodos, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
    resize(420, 300);
    CentraEnPantalla(this);
}
