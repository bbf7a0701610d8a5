#include "UFSelectivo.h"
#include "FIBQuery.h"
#include "UAplicacion.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TFSelectivo::TFSelectivo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FSelectivo"));
    setWindowTitle(QStringLiteral("Selectivo"));
    Transaccion.LoadDefinition(&DMMain->DataBase);
    Transaccion.StartTransaction();
    QPropietarios.Name = QStringLiteral("QPropietarios");
    QPropietarios.SetDatabase(&DMMain->DataBase);
    QPropietarios.SetTransaction(&Transaccion);
    QPropietarios.SetSelectSQL({QStringLiteral("SELECT COMUNIDAD,CODIGO,NOMBRE,TEXTO FROM EMP_PROPIETARIO "
                                               "WHERE COMUNIDAD=?COMUNIDAD AND CODIGO <> 0")});
    QPropietarios.SetUpdateSQL({QStringLiteral("UPDATE EMP_PROPIETARIO SET TEXTO=?TEXTO "
                                               "WHERE COMUNIDAD=?COMUNIDAD AND CODIGO=?CODIGO")});
    QPropietarios.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    QPropietarios.AddField<TFIBStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Nombre"));
    QPropietarios.AddField<TIntegerField>(QStringLiteral("TEXTO"))->SetDisplayLabel(QStringLiteral("Activar"));
    QPropietarios.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    // Each switch is saved and committed at once, so the label screen (its
    // own transaction) reads it.
    QPropietarios.AfterPost = [this](TFIBDataSet&) { Transaccion.CommitRetaining(); };
    DsPropietarios.SetDataSet(&QPropietarios);

    auto* capa = new QVBoxLayout(this);
    auto* barra = new QHBoxLayout;
    Navegador = new THYMNavigator(this);
    Navegador->setObjectName(QStringLiteral("Navegador"));
    Navegador->SetVisibleButtons(
        {TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext, TNavigateBtn::nbLast});
    Navegador->SetDataSource(&DsPropietarios);
    barra->addWidget(Navegador);
    TbActivar = new QToolButton(this);
    TbActivar->setObjectName(QStringLiteral("TbActivar"));
    TbActivar->setToolTip(QStringLiteral("Activar todos los propietarios"));
    TbActivar->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    TbDesactivar = new QToolButton(this);
    TbDesactivar->setObjectName(QStringLiteral("TbDesactivar"));
    TbDesactivar->setToolTip(QStringLiteral("Desactivar todos los propietarios"));
    TbDesactivar->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    barra->addWidget(TbActivar);
    barra->addWidget(TbDesactivar);
    barra->addStretch(1);
    capa->addLayout(barra);
    Rejilla = new THYTDBGrid(this);
    Rejilla->setObjectName(QStringLiteral("Rejilla"));
    Rejilla->SetDataSource(&DsPropietarios);
    Rejilla->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("TEXTO")});
    Rejilla->SetCamposAMarcar({QStringLiteral("TEXTO")});
    Rejilla->SetCamposChecked({QStringLiteral("1")});
    Rejilla->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    capa->addWidget(Rejilla);
    // A double click or Enter switches the mark (the grid's activation would
    // also follow a single click where the desktop activates on one).
    connect(Rejilla, &QAbstractItemView::doubleClicked, this, [this] { SinErrores([this] { CambiaMarca(); }); });
    Rejilla->installEventFilter(this);
    connect(TbActivar, &QToolButton::clicked, this, [this] { SinErrores([this] { MarcaTodos(1); }); });
    connect(TbDesactivar, &QToolButton::clicked, this, [this] { SinErrores([this] { MarcaTodos(0); }); });

    // A new selection starts from none.
    Actualiza(0);
    QPropietarios.Open();
    resize(480, 420);
    CentraEnPantalla(this, false);
}

TFSelectivo::~TFSelectivo()
{
    try {
        QPropietarios.Close();
        if (Transaccion.Active())
            Transaccion.Commit();
    } catch (const std::exception&) {
        // Every switch was committed when it was made.
    }
}

bool TFSelectivo::eventFilter(QObject* objeto, QEvent* e)
{
    if (objeto == Rejilla && e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(e)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            SinErrores([this] { CambiaMarca(); });
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}

void TFSelectivo::Actualiza(int valor)
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&Transaccion);
    q.SetSQL(QStringLiteral("UPDATE EMP_PROPIETARIO SET TEXTO = ?TEXTO WHERE COMUNIDAD=?COMUNIDAD"));
    q.ParamByName(QStringLiteral("TEXTO"))->SetAsInteger(valor);
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    q.ExecQuery();
    Transaccion.CommitRetaining();
}

void TFSelectivo::CambiaMarca()
{
    if (!QPropietarios.Active() || QPropietarios.IsEmpty())
        return;
    TField* marca = QPropietarios.FieldByName(QStringLiteral("TEXTO"));
    const int nueva = !marca->IsNull() && marca->AsInteger() == 0 ? 1 : 0;
    QPropietarios.Edit();
    marca->SetAsInteger(nueva);
    try {
        QPropietarios.Post();
    } catch (...) {
        // A row another seat holds keeps its mark; the list shows it as saved.
        QPropietarios.Cancel();
        throw;
    }
}

void TFSelectivo::MarcaTodos(int valor)
{
    Actualiza(valor);
    QPropietarios.Close();
    QPropietarios.Open();
}
