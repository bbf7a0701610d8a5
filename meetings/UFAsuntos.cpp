#include "UFAsuntos.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFBase.h"
#include "UFIBDBEditfind.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"
#include "URecursos.h"

#include <QApplication>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QStringList kColumnas{QStringLiteral("CODIGO"), QStringLiteral("FECHAR"),   QStringLiteral("FECHAP"),
                            QStringLiteral("ASUNTO"), QStringLiteral("AMPLIADA"), QStringLiteral("COMUNIDAD")};

// Wide enough for `caracteres` digits.
void Ancho(QWidget* w, int caracteres)
{
    w->setFixedWidth(w->fontMetrics().horizontalAdvance(QString(caracteres, u'0')) + 16);
}

} // namespace

TDMAsuntos::TDMAsuntos()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(QStringLiteral("ASUNTOS"), kColumnas, {QStringLiteral("CODIGO")});
    DefinePrincipal(QAsuntos, {.Name = QStringLiteral("QAsuntos"),
                               .TableName = QStringLiteral("ASUNTOS"),
                               .SelectSQL = {QStringLiteral("SELECT * FROM ASUNTOS ORDER BY FECHAR DESC")},
                               .InsertSQL = g.Insert,
                               .UpdateSQL = g.Update,
                               .DeleteSQL = g.Delete,
                               .RefreshSQL = g.Refresh,
                               .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QAsuntos.AddField<TIntegerField>(QStringLiteral("CODIGO"));
    QAsuntos.AddField<TDateTimeField>(QStringLiteral("FECHAR"))->SetDisplayLabel(QStringLiteral("Fecha Registro"));
    QAsuntos.AddField<TDateTimeField>(QStringLiteral("FECHAP"))->SetDisplayLabel(QStringLiteral("Fecha junta"));
    QAsuntos.AddField<TStringField>(QStringLiteral("ASUNTO"))->SetDisplayLabel(QStringLiteral("Asunto"));
    QAsuntos.AddField<TStringField>(QStringLiteral("AMPLIADA"));
    QAsuntos.AddField<TIntegerField>(QStringLiteral("COMUNIDAD"))->SetDisplayLabel(QStringLiteral("Comunidad"));
    Comunidades.AnadeCampoNombre(QAsuntos, QStringLiteral("COM_DES"), QStringLiteral("Nombre comunidad"));
    // The database gives the code of a matter inserted with 0.
    QAsuntos.OnNewRecord = [](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("FECHAR"))->SetAsDateTime(QDateTime::currentDateTime());
        ds.FieldByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(Entorno.Comunidad);
    };
    FIBTransaction.StartTransaction();
    Comunidades.Lee(&DMMain->DataBase, &FIBTransaction);
    QAsuntos.Open();
}

TFAsuntos::TFAsuntos(QWidget* parent) : QDialog(parent), dm_(std::make_unique<TDMAsuntos>())
{
    setObjectName(QStringLiteral("FAsuntos"));
    setWindowTitle(QStringLiteral("Asuntos a tratar en juntas"));
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    ToolBar1 = new QToolBar(this);
    HYMNavigator1 = new THYMNavigator;
    HYMNavigator1->setObjectName(QStringLiteral("HYMNavigator1"));
    HYMNavigator1->SetDataSource(dm_->DataSource());
    // After Insert or Edit (and the navigator's own adjustments) the matter
    // is filled in its dialog.
    HYMNavigator1->OnClickAfterAdjust = [this](THYMNavigator& navegador, TNavigateBtn boton) {
        if (boton != TNavigateBtn::nbInsert && boton != TNavigateBtn::nbEdit)
            return;
        const TDataSetState estado = dm_->QAsuntos.State();
        if (estado != TDataSetState::dsInsert && estado != TDataSetState::dsEdit)
            return;
        TFAsuntos2 dialogo(&navegador, this);
        dialogo.exec();
    };
    ToolBar1->addWidget(HYMNavigator1);
    capas->addWidget(ToolBar1);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    DBGAsuntos = new THYTDBGrid;
    DBGAsuntos->setObjectName(QStringLiteral("DBGAsuntos"));
    DBGAsuntos->SetDataSource(dm_->DataSource());
    DBGAsuntos->SetColumnas({QStringLiteral("FECHAR"), QStringLiteral("FECHAP"), QStringLiteral("COMUNIDAD"),
                             QStringLiteral("COM_DES")});
    DBGAsuntos->SetCamposAOrdenar({QStringLiteral("FECHAR"), QStringLiteral("FECHAP"), QStringLiteral("COMUNIDAD")});
    DBGAsuntos->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    DBGAsuntos->horizontalHeader()->setStretchLastSection(true);
    DBMAmpliada = new TDBMemo;
    DBMAmpliada->setObjectName(QStringLiteral("DBMAmpliada"));
    DBMAmpliada->SetDataSource(dm_->DataSource());
    DBMAmpliada->SetDataField(QStringLiteral("AMPLIADA"));
    Splitter1->addWidget(DBGAsuntos);
    Splitter1->addWidget(DBMAmpliada);
    Splitter1->setStretchFactor(0, 3);
    Splitter1->setStretchFactor(1, 1);
    capas->addWidget(Splitter1, 1);
    DBGAsuntos->resizeColumnToContents(0);
    resize(640, 480);
    CentraEnPantalla(this, false);
}

TFAsuntos::~TFAsuntos() = default;

void TFAsuntos::reject()
{
    // A matter still being edited (its dialog closed with the window's
    // button) is saved or dropped as the user answers before the screen goes.
    if (PuedeCerrarse(*HYMNavigator1))
        QDialog::reject();
}

TFAsuntos2::TFAsuntos2(THYMNavigator* navegador, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FAsuntos2"));
    setWindowTitle(QStringLiteral("Asuntos a tratar en juntas"));
    TDataSource* ds = navegador->DataSource();
    auto* capas = new QVBoxLayout(this);
    auto* campos = new QFormLayout;

    DBEFechaR = new TDBEdit;
    DBEFechaR->setObjectName(QStringLiteral("DBEFechaR"));
    DBEFechaR->SetDataSource(ds);
    DBEFechaR->SetDataField(QStringLiteral("FECHAR"));
    Ancho(DBEFechaR, 19);
    campos->addRow(QStringLiteral("Fecha Registro"), DBEFechaR);

    DBEFechaP = new TDBEdit;
    DBEFechaP->setObjectName(QStringLiteral("DBEFechaP"));
    DBEFechaP->SetDataSource(ds);
    DBEFechaP->SetDataField(QStringLiteral("FECHAP"));
    Ancho(DBEFechaP, 19);
    campos->addRow(QStringLiteral("Fecha junta"), DBEFechaP);

    DBEComunidad = new TFIBDBEditfind;
    DBEComunidad->setObjectName(QStringLiteral("DBEComunidad"));
    DBEComunidad->SetDataSource(ds);
    DBEComunidad->SetDataField(QStringLiteral("COMUNIDAD"));
    DBEComunidad->Tabla_a_buscar = QStringLiteral("SYS_COMUNIDAD");
    DBEComunidad->CampoNum = QStringLiteral("CODIGO");
    DBEComunidad->CampoStr = QStringLiteral("NOMBRE");
    Ancho(DBEComunidad, 6);
    DBTNombre = new TDBText;
    DBTNombre->setObjectName(QStringLiteral("DBTNombre"));
    DBTNombre->SetDataSource(ds);
    DBTNombre->SetDataField(QStringLiteral("COM_DES"));
    auto* comunidad = new QHBoxLayout;
    comunidad->addWidget(DBEComunidad);
    comunidad->addWidget(DBTNombre, 1);
    campos->addRow(QStringLiteral("Comunidad"), comunidad);
    capas->addLayout(campos);

    DBMAmpliada = new TDBMemo;
    DBMAmpliada->setObjectName(QStringLiteral("DBMAmpliada"));
    DBMAmpliada->SetDataSource(ds);
    DBMAmpliada->SetDataField(QStringLiteral("AMPLIADA"));
    capas->addWidget(DBMAmpliada, 1);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"));
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    BtCancelar = new QPushButton(QStringLiteral("&Cancelar"));
    BtCancelar->setObjectName(QStringLiteral("BtCancelar"));
    // Enter in a field confirms the field, not the dialog.
    BtAceptar->setAutoDefault(false);
    BtCancelar->setAutoDefault(false);
    botones->addWidget(BtAceptar);
    botones->addWidget(BtCancelar);
    capas->addLayout(botones);

    // A save the database refuses shows its error and the dialog stays, with
    // the matter still being edited.
    connect(BtAceptar, &QPushButton::clicked, this, [this, navegador] {
        if (SinErrores([navegador] { navegador->EjecutarBoton(TNavigateBtn::nbPost); }))
            accept();
    });
    connect(BtCancelar, &QPushButton::clicked, this, [this, navegador] {
        if (SinErrores([navegador] { navegador->EjecutarBoton(TNavigateBtn::nbCancel); }))
            reject();
    });
    resize(520, 340);
    CentraEnPantalla(this, false);
}

void RegistraOrdenesAsuntos()
{
    RegistraOrden({.Id = QStringLiteral("AsuntosJuntas"), .Menu = TMenuOrden::Gestion, .Posicion = 50,
                   .Titulo = QStringLiteral("Asuntos a tratar en juntas"), .Abre = [](QAction*) {
                       TFAsuntos ventana(QApplication::activeWindow());
                       ventana.exec();
                   }});
}
