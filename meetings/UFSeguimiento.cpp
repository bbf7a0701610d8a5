#include "UFSeguimiento.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMConvoca.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "URecursos.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

TDBEdit* CampoConvocatoria(TDMConvoca& dm, const char* nombre, const char* campo, int caracteres, bool soloLectura)
{
    auto* e = new TDBEdit;
    e->setObjectName(QString::fromLatin1(nombre));
    e->SetDataSource(dm.DataSource());
    e->SetDataField(QString::fromLatin1(campo));
    e->SetReadOnly(soloLectura);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(caracteres, u'0')) + 16);
    return e;
}

} // namespace

TFSeguimiento::TFSeguimiento(TDMConvoca& dm, QWidget* parent) : QWidget(parent), dm_(dm)
{
    setObjectName(QStringLiteral("TSSeguimiento"));
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);

    ToolBar1 = new QToolBar;
    ToolBar1->setObjectName(QStringLiteral("ToolBarSeguimiento"));
    ToolBar1->addWidget(new QLabel(QStringLiteral("   Código")));
    DBECodigo = CampoConvocatoria(dm, "DBECodigoSeg", "CODIGO", 6, true);
    ToolBar1->addWidget(DBECodigo);
    DBEDes = CampoConvocatoria(dm, "DBEDesSeg", "DES", 30, true);
    ToolBar1->addWidget(DBEDes);
    ToolBar1->addSeparator();
    NavDetalle = new THYMNavigator;
    NavDetalle->setObjectName(QStringLiteral("NavDetalle"));
    NavDetalle->SetDataSource(&dm.DsDetalle);
    ToolBar1->addWidget(NavDetalle);
    ToolBar1->addSeparator();
    BtHalvenbook = new QToolButton;
    BtHalvenbook->setObjectName(QStringLiteral("BtHalvenbook"));
    BtHalvenbook->setText(QStringLiteral("Crear tarea o presupuesto en Halvenbook"));
    BtHalvenbook->setToolButtonStyle(Qt::ToolButtonTextOnly);
    BtHalvenbook->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(BtHalvenbook);
    AcCrearTarea = menu->addAction(QStringLiteral("Crear Tarea"));
    AcCrearPresupuesto = menu->addAction(QStringLiteral("Crear Presupuesto"));
    BtHalvenbook->setMenu(menu);
    ToolBar1->addWidget(BtHalvenbook);
    capas->addWidget(ToolBar1);

    auto* linea = new QHBoxLayout;
    linea->setContentsMargins(6, 0, 6, 0);
    linea->addWidget(new QLabel(QStringLiteral("Escrito Libro de actas")));
    DBEEscrito = CampoConvocatoria(dm, "DBEEscrito", "ESCRITO", 19, false);
    linea->addWidget(DBEEscrito);
    linea->addSpacing(12);
    LEstado = new QLabel;
    LEstado->setObjectName(QStringLiteral("LEstado"));
    LEstado->setStyleSheet(QStringLiteral("font-weight: bold;"));
    LEstado->hide();
    linea->addWidget(LEstado);
    linea->addStretch(1);
    capas->addLayout(linea);

    DBGDetalle = new THYTDBGrid;
    DBGDetalle->setObjectName(QStringLiteral("DBGDetalle"));
    DBGDetalle->SetDataSource(&dm.DsDetalle);
    DBGDetalle->SetColumnas({QStringLiteral("DES"), QStringLiteral("TERMINADO"), QStringLiteral("NUMGESTION"),
                             QStringLiteral("TIPOGESTION")});
    DBGDetalle->SetEditables({QStringLiteral("DES"), QStringLiteral("TERMINADO"), QStringLiteral("NUMGESTION"),
                              QStringLiteral("TIPOGESTION")});
    // In place, cell by cell; a double-click is the done switch, not an edit.
    DBGDetalle->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    DBGDetalle->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGDetalle->SetCamposAMarcar({QStringLiteral("TERMINADO")});
    DBGDetalle->SetCamposChecked({QStringLiteral("1")});
    DBGDetalle->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    capas->addWidget(DBGDetalle, 1);
    // The description takes the room the others leave; the kind is read
    // whole. The columns exist once the rows are read.
    auto anchos = [grid = DBGDetalle] {
        if (grid->model()->columnCount() < 4)
            return;
        grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        grid->horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    };
    connect(DBGDetalle->model(), &QAbstractItemModel::modelReset, this, anchos);
    anchos();

    connect(DBGDetalle, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            SinErrores([this] { dm_.ToggleTaskDone(); });
    });
    connect(AcCrearTarea, &QAction::triggered, this, [this] { SinErrores([this] { dm_.CreateTask(); }); });
    connect(AcCrearPresupuesto, &QAction::triggered, this, [this] { SinErrores([this] { dm_.CreateBudget(); }); });

    // The connection's state, painted at once: connecting may take a while.
    QPointer<QLabel> estado(LEstado);
    dm.EstadoHalvenbook = [estado](const QString& texto) {
        if (!estado)
            return;
        estado->setText(texto);
        estado->setVisible(!texto.isEmpty());
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

TFSeguimiento::~TFSeguimiento() = default;

void TFSeguimiento::Muestra()
{
    SinErrores([this] { dm_.CreateFollowUpRows(); });
}

void TFSeguimiento::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        Muestra();
}
