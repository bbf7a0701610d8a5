#include "UFSTexto.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "USalida.h"

#include <QFile>
#include <QVBoxLayout>

namespace {
QString Tmp1() { return Entorno.CaminoPrograma + QStringLiteral("/tmp1.rtf"); }
} // namespace

TFSTexto::TFSTexto(int idioma)
{
    setObjectName(QStringLiteral("FSTexto"));
    setWindowTitle(QStringLiteral("Seleccione un texto tipo"));
    // Whatever an earlier choice left is no choice of this one.
    QFile::remove(Tmp1());
    Transaccion.LoadDefinition(&DMMain->DataBase);
    Transaccion.StartTransaction();
    QTextos.Name = QStringLiteral("QTextos");
    QTextos.SetDatabase(&DMMain->DataBase);
    QTextos.SetTransaction(&Transaccion);
    QTextos.SetSelectSQL({QStringLiteral("SELECT CODIGO,NOMBRE,TEXTO FROM SYS_TEXTOS WHERE IDIOMA=?IDIOMA")});
    QTextos.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    QTextos.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Nombre"));
    QTextos.ParamByName(QStringLiteral("IDIOMA"))->SetAsInteger(idioma);
    DsTextos.SetDataSet(&QTextos);

    auto* capa = new QVBoxLayout(this);
    Navegador = new THYMNavigator(this);
    Navegador->setObjectName(QStringLiteral("Navegador"));
    Navegador->SetVisibleButtons(
        {TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext, TNavigateBtn::nbLast});
    Navegador->SetDataSource(&DsTextos);
    capa->addWidget(Navegador, 0, Qt::AlignLeft);
    Rejilla = new THYTDBGrid(this);
    Rejilla->setObjectName(QStringLiteral("Rejilla"));
    Rejilla->SetDataSource(&DsTextos);
    Rejilla->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    capa->addWidget(Rejilla);
    connect(Rejilla, &QAbstractItemView::activated, this, &TFSTexto::Elige);
    connect(Rejilla, &QAbstractItemView::doubleClicked, this, &TFSTexto::Elige);
    QTextos.Open();
    resize(420, 320);
    CentraEnPantalla(this);
}

TFSTexto::~TFSTexto() = default;

void TFSTexto::Elige()
{
    if (elegido_ || QTextos.IsEmpty())
        return;
    elegido_ = true;
    // A template never edited has no document: nothing is written, as if
    // none had been chosen.
    const QByteArray texto = QTextos.FieldByName(QStringLiteral("TEXTO"))->AsBytes();
    if (!texto.isEmpty())
        GuardaFichero(Tmp1(), texto);
    accept();
}
