#include "UVotaciones.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMConvoca.h"
#include "UDMMain.h"
#include "UFAcuerdos.h"
#include "UListados.h"
#include "UNavigator.h"
#include "URecursos.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kAsistencia = QStringLiteral("ASISTENCIA");
const QString kModo = QStringLiteral("MODO");

// The agenda point of a vote column ("P1" to "P10"); 0 for any other.
int PuntoDeCampo(const QString& campo)
{
    if (!campo.startsWith(QLatin1Char('P'), Qt::CaseInsensitive))
        return 0;
    bool numero = false;
    const int n = campo.mid(1).toInt(&numero);
    return numero && n >= 1 && n <= 10 ? n : 0;
}

// The cells of the vote grid: the editor takes no more characters than the
// column holds, and a vote shows in upper case as it is typed.
class TCeldasVotacion : public TCeldasGrid {
public:
    explicit TCeldasVotacion(THYTDBGrid* grid) : TCeldasGrid(grid), grid_(grid) {}

    std::function<int(int)> Deudor;

    // An owner who owes shows on a red ground while he is left out of the
    // votes, on a pale one once the meeting lets him vote.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        TCeldasGrid::initStyleOption(option, index);
        if (!Deudor)
            return;
        const int marca = Deudor(index.siblingAtColumn(0).data(Qt::EditRole).toInt());
        if (marca == 1)
            option->backgroundBrush = QColor(0xf4, 0xc7, 0xc3);
        else if (marca == 2)
            option->backgroundBrush = QColor(0xfc, 0xe8, 0xd5);
    }

    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // How the owner attends is chosen from its three ways.
        if (const TField* c = grid_->Modelo()->Campo(index.column());
            c && c->FieldName().compare(kModo, Qt::CaseInsensitive) == 0) {
            auto* modos = new QComboBox(padre);
            for (TModoAsistencia m : {TModoAsistencia::EnPersona, TModoAsistencia::Representado, TModoAsistencia::Telematico})
                modos->addItem(NombreModo(m));
            return modos;
        }
        QWidget* editor = TCeldasGrid::createEditor(padre, option, index);
        auto* linea = qobject_cast<QLineEdit*>(editor);
        const TField* campo = grid_->Modelo()->Campo(index.column());
        if (!linea || !campo)
            return editor;
        if (campo->Size() > 0)
            linea->setMaxLength(campo->Size());
        if (PuntoDeCampo(campo->FieldName()) > 0) {
            QObject::connect(linea, &QLineEdit::textEdited, linea, [linea](const QString& t) {
                if (t != t.toUpper())
                    linea->setText(t.toUpper());
            });
        }
        return editor;
    }

    // A value refused is told here, so that the editor still closes as usual.
    void setModelData(QWidget* editor, QAbstractItemModel* modelo, const QModelIndex& index) const override
    {
        SinErrores([&] { TCeldasGrid::setModelData(editor, modelo, index); });
    }

protected:
    // A vote cell is typed as a clerk reads the votes out: the letter, then
    // Enter, an arrow or both. Each of them hands the vote over at once
    // (Enter would otherwise do it only after the next keys), and an arrow
    // then moves on from the cell as it does outside an editor.
    bool eventFilter(QObject* objeto, QEvent* e) override
    {
        auto* linea = qobject_cast<QLineEdit*>(objeto);
        if (!linea || e->type() != QEvent::KeyPress || !EsVoto(grid_->currentIndex()))
            return TCeldasGrid::eventFilter(objeto, e);
        auto* k = static_cast<QKeyEvent*>(e);
        const bool intro = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        const bool flecha = k->key() == Qt::Key_Up || k->key() == Qt::Key_Down ||
                            (k->key() == Qt::Key_Right && linea->cursorPosition() == linea->text().size()) ||
                            (k->key() == Qt::Key_Left && linea->cursorPosition() == 0);
        if (k->modifiers() != Qt::NoModifier || (!intro && !flecha))
            return TCeldasGrid::eventFilter(objeto, e);
        emit commitData(linea); // a vote refused closes its editor, and says why
        emit closeEditor(linea, QAbstractItemDelegate::NoHint);
        if (flecha) {
            QKeyEvent mueve(QEvent::KeyPress, k->key(), Qt::NoModifier);
            QCoreApplication::sendEvent(grid_, &mueve);
        }
        return true;
    }

private:
    bool EsVoto(const QModelIndex& celda) const
    {
        const TField* campo = grid_->Modelo()->Campo(celda.column());
        return campo && PuntoDeCampo(campo->FieldName()) > 0;
    }
    THYTDBGrid* grid_;
};

TDBText* Texto(TDataSource* ds, const QString& campo, const QString& nombre, bool derecha = false)
{
    auto* t = new TDBText;
    t->setObjectName(nombre);
    t->SetDataSource(ds);
    t->SetDataField(campo);
    t->setFrameShape(QFrame::StyledPanel);
    t->setMinimumWidth(t->fontMetrics().averageCharWidth() * 12);
    if (derecha)
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return t;
}

QToolButton* Boton(const QString& texto, const QString& nombre)
{
    auto* b = new QToolButton;
    b->setObjectName(nombre);
    b->setText(texto);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    return b;
}

} // namespace

// --- the grid ---------------------------------------------------------------------------------

TRejillaVotaciones::TRejillaVotaciones(TDMConvoca& dm, QWidget* parent) : THYTDBGrid(parent), dm_(dm)
{
    setItemDelegate(new TCeldasVotacion(this));
    QStringList columnas{QStringLiteral("PROPIETARIO"), QStringLiteral("NOMBRE"), kAsistencia, kModo};
    QStringList editables{QStringLiteral("NOMBRE"), kModo};
    for (int p = 1; p <= 10; ++p) {
        columnas << QStringLiteral("P%1").arg(p);
        editables << QStringLiteral("P%1").arg(p);
    }
    SetDataSource(&dm.DsVotacion);
    SetColumnas(columnas);
    SetEditables(editables);
    SetCamposAMarcar({kAsistencia});
    SetCamposChecked({QStringLiteral("1")});
    SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    // The current cell, not only its row: the vote being typed shows.
    setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& actual, const QModelIndex&) { ColumnaCambiada(actual); });
}

void TRejillaVotaciones::SetDeudor(std::function<int(int)> deudor)
{
    static_cast<TCeldasVotacion*>(itemDelegate())->Deudor = std::move(deudor);
    viewport()->update();
}

int TRejillaVotaciones::PuntoDeColumna(int columna) const
{
    const TField* f = Modelo()->Campo(columna);
    const int punto = f ? PuntoDeCampo(f->FieldName()) : 0;
    return punto > 0 ? punto : 1;
}

bool TRejillaVotaciones::EnAsistencia() const
{
    const TField* f = Modelo()->Campo(currentIndex().column());
    return f && f->FieldName().compare(kAsistencia, Qt::CaseInsensitive) == 0;
}

void TRejillaVotaciones::ColumnaCambiada(const QModelIndex& actual)
{
    if (!actual.isValid())
        return;
    const int punto = PuntoDeColumna(actual.column());
    // Only the tally is read again: one row, never the vote rows.
    if (punto != dm_.PuntoMostrado())
        SinErrores([&] { dm_.ShowPointTally(punto); });
}

void TRejillaVotaciones::keyPressEvent(QKeyEvent* e)
{
    const bool editando = state() == QAbstractItemView::EditingState;
    if (!editando && e->modifiers() == Qt::NoModifier) {
        if (e->key() == Qt::Key_F4) {
            dm_.CalculateVotes();
            return;
        }
        if (e->key() == Qt::Key_F7 && AlPulsarF7) {
            AlPulsarF7();
            return;
        }
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && EnAsistencia()) {
            dm_.ToggleAttendance();
            dm_.QVotacion.Next(); // on the last owner it stays there
            return;
        }
    }
    THYTDBGrid::keyPressEvent(e);
}

void TRejillaVotaciones::mouseDoubleClickEvent(QMouseEvent* e)
{
    THYTDBGrid::mouseDoubleClickEvent(e);
    if (EnAsistencia() && indexAt(e->position().toPoint()) == currentIndex())
        dm_.ToggleAttendance();
}

// --- the totals -------------------------------------------------------------------------------

TTotalesVotacion::TTotalesVotacion(TDMConvoca& dm, QWidget* parent) : QWidget(parent), dsPunto_(&dm.QVotacionP)
{
    setObjectName(QStringLiteral("Totales"));
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);

    auto* asistencia = new QGridLayout;
    DBTAsistentes = Texto(dm.DataSource(), QStringLiteral("ASISTENTES"), QStringLiteral("DBTAsistentes"), true);
    DBTCoeficientes = Texto(dm.DataSource(), QStringLiteral("COEFICIENTES"), QStringLiteral("DBTCoeficientes"), true);
    DBESaldo = new TDBEdit;
    DBESaldo->setObjectName(QStringLiteral("DBESaldo"));
    DBESaldo->SetDataSource(&dm.DsVotacion);
    DBESaldo->SetDataField(QStringLiteral("SALDO"));
    DBESaldo->setAlignment(Qt::AlignRight);
    DBESaldo->setMaximumWidth(DBESaldo->fontMetrics().averageCharWidth() * 16);
    asistencia->addWidget(new QLabel(QStringLiteral("Asistentes")), 0, 0);
    asistencia->addWidget(DBTAsistentes, 0, 1);
    asistencia->addWidget(new QLabel(QStringLiteral("Suma coeficientes")), 1, 0);
    asistencia->addWidget(DBTCoeficientes, 1, 1);
    asistencia->addWidget(new QLabel(QStringLiteral("Saldo")), 2, 0);
    asistencia->addWidget(DBESaldo, 2, 1);
    fila->addLayout(asistencia);

    auto* votaciones = new QGroupBox(QStringLiteral("Votaciones"));
    votaciones->setObjectName(QStringLiteral("GBVotaciones"));
    auto* tabla = new QGridLayout(votaciones);
    LPunto = new QLabel;
    LPunto->setObjectName(QStringLiteral("LPunto"));
    tabla->addWidget(LPunto, 0, 0);
    const char* const columnas[] = {"Si", "No", "Abstención"};
    for (int c = 0; c < 3; ++c) {
        auto* t = new QLabel(QString::fromUtf8(columnas[c]));
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tabla->addWidget(t, 0, c + 1);
    }
    DBTVSi = Texto(&dsPunto_, QStringLiteral("VSI"), QStringLiteral("DBTVSi"), true);
    DBTVNo = Texto(&dsPunto_, QStringLiteral("VNO"), QStringLiteral("DBTVNo"), true);
    DBTVAbs = Texto(&dsPunto_, QStringLiteral("VABS"), QStringLiteral("DBTVAbs"), true);
    DBTCSi = Texto(&dsPunto_, QStringLiteral("CSI"), QStringLiteral("DBTCSi"), true);
    DBTCNo = Texto(&dsPunto_, QStringLiteral("CNO"), QStringLiteral("DBTCNo"), true);
    DBTCAbs = Texto(&dsPunto_, QStringLiteral("CABS"), QStringLiteral("DBTCAbs"), true);
    tabla->addWidget(new QLabel(QStringLiteral("Propietarios")), 1, 0);
    tabla->addWidget(DBTVSi, 1, 1);
    tabla->addWidget(DBTVNo, 1, 2);
    tabla->addWidget(DBTVAbs, 1, 3);
    tabla->addWidget(new QLabel(QStringLiteral("Suma coeficientes")), 2, 0);
    tabla->addWidget(DBTCSi, 2, 1);
    tabla->addWidget(DBTCNo, 2, 2);
    tabla->addWidget(DBTCAbs, 2, 3);
    fila->addWidget(votaciones, 1);

    // Which point the tally is of follows the point shown.
    dsPunto_.OnDataChange = [this, &dm](TDataSource&, TField*) {
        LPunto->setText(QStringLiteral("Punto %1").arg(dm.PuntoMostrado()));
    };
    LPunto->setText(QStringLiteral("Punto %1").arg(dm.PuntoMostrado()));
}

TTotalesVotacion::~TTotalesVotacion() { dsPunto_.OnDataChange = nullptr; }

// --- the page ---------------------------------------------------------------------------------

// Follows a dataset for the law's panel: another row, or rows read again.
class TPaginaVotaciones::TEnlace : public TDataLink {
public:
    TEnlace(TDataSource* ds, std::function<void(bool)> aviso) : aviso_(std::move(aviso)) { SetDataSource(ds); }

protected:
    void DataSetScrolled() override { aviso_(false); }
    void DataSetChanged() override { aviso_(true); }
    void ActiveChanged() override { aviso_(true); }

private:
    std::function<void(bool)> aviso_;
};

TPaginaVotaciones::TPaginaVotaciones(TDMConvoca& dm, QWidget* parent)
    : QWidget(parent), dm_(dm), dsPropi_(&dm.QPropi), dsFincas_(&dm.QFincas)
{
    setObjectName(QStringLiteral("TSVotaciones"));
    auto* capas = new QVBoxLayout(this);

    ToolBarVotos = new QToolBar;
    ToolBarVotos->setObjectName(QStringLiteral("ToolBarVotos"));
    ToolBarVotos->addWidget(new QLabel(QStringLiteral("  Código  ")));
    DBTCodigo = Texto(dm.DataSource(), QStringLiteral("CODIGO"), QStringLiteral("DBTCodigo"), true);
    DBTCodigo->setMinimumWidth(DBTCodigo->fontMetrics().averageCharWidth() * 6);
    DBTDescripcion = Texto(dm.DataSource(), QStringLiteral("DES"), QStringLiteral("DBTDescripcion"));
    DBTDescripcion->setMinimumWidth(DBTDescripcion->fontMetrics().averageCharWidth() * 18);
    ToolBarVotos->addWidget(DBTCodigo);
    ToolBarVotos->addWidget(DBTDescripcion);
    ToolBarVotos->addSeparator();
    TbActivaTodos = Boton(QStringLiteral("Activar asistencia todos"), QStringLiteral("TbActivaTodos"));
    TbDesactivaTodos = Boton(QStringLiteral("Desactivar asistencia todos"), QStringLiteral("TbDesactivaTodos"));
    TbCalcula = Boton(QStringLiteral("Calcular votaciones F4"), QStringLiteral("TbCalcula"));
    TbListado = Boton(QStringLiteral("Listado juntas F7"), QStringLiteral("TbListado"));
    TbSaldos = Boton(QStringLiteral("Actualizar saldos desde Taldemar"), QStringLiteral("TbSaldos"));
    TbImprimeVotaciones = Boton(QStringLiteral("Imprimir votaciones"), QStringLiteral("TbImprimeVotaciones"));
    for (QToolButton* b : {TbActivaTodos, TbDesactivaTodos, TbCalcula, TbListado, TbSaldos, TbImprimeVotaciones})
        ToolBarVotos->addWidget(b);
    // The listings' order: chosen on their buttons' menu, used at the next run.
    auto* ordenListado = new QMenu(this);
    ordenListado->addAction(QStringLiteral("Ordenado por finca"), this, [this] { ordenListado_ = QStringLiteral("FINCA"); });
    ordenListado->addAction(QStringLiteral("Ordenado por propietario"), this,
                            [this] { ordenListado_ = QStringLiteral("PROPIETARIO"); });
    for (QToolButton* b : {TbListado, TbImprimeVotaciones}) {
        b->setMenu(ordenListado);
        b->setPopupMode(QToolButton::MenuButtonPopup);
    }
    ToolBarVotos->addSeparator();
    CbOrden = new QComboBox;
    CbOrden->setObjectName(QStringLiteral("CbOrden"));
    CbOrden->addItems({QStringLiteral("Ordenado por nombre"), QStringLiteral("Ordenado por código")});
    ToolBarVotos->addWidget(CbOrden);
    capas->addWidget(ToolBarVotos);

    auto* barraNavegador = new QToolBar;
    barraNavegador->setObjectName(QStringLiteral("ToolBarNavVotos"));
    NavVotos = new THYMNavigator;
    NavVotos->setObjectName(QStringLiteral("NavVotos"));
    NavVotos->SetDataSource(&dm.DsVotacion);
    TButtonSet botones = kTodosLosBotones;
    botones.Exclude(TNavigateBtn::nbInsert); // the database makes the vote rows
    NavVotos->SetVisibleButtons(botones);
    NavVotos->DelMessage = QStringLiteral(" ¿ Borrar propietario ? ");
    // Its refresh reads every vote row again, with the totals: what other
    // seats marked and voted shows, the grid staying on its cell.
    NavVotos->OnClickBefore = [this](THYMNavigator&, TNavigateBtn boton, bool& continua) {
        DBGVotos->ConfirmaCelda();
        if (boton != TNavigateBtn::nbRefresh)
            return;
        continua = false;
        dm_.RefreshVotes();
    };
    barraNavegador->addWidget(NavVotos);
    barraNavegador->addWidget(new QLabel(QStringLiteral("  Propietario:")));
    // The owner's own name, also while the row carries his representative's.
    DBTPropietario = Texto(&dsPropi_, QStringLiteral("NOMBRE"), QStringLiteral("DBTPropietario"));
    DBTPropietario->setMinimumWidth(DBTPropietario->fontMetrics().averageCharWidth() * 40);
    barraNavegador->addWidget(DBTPropietario);
    capas->addWidget(barraNavegador);

    auto* divisor = new QSplitter(Qt::Vertical);
    divisor->setObjectName(QStringLiteral("SplitterVotos"));
    DBGVotos = new TRejillaVotaciones(dm);
    DBGVotos->setObjectName(QStringLiteral("DBGVotos"));
    // The whole name, a representative's too, each time the rows are read.
    auto anchoNombre = [g = DBGVotos] { g->setColumnWidth(1, g->fontMetrics().averageCharWidth() * 42); };
    connect(DBGVotos->Modelo(), &QAbstractItemModel::modelReset, DBGVotos, anchoNombre);
    anchoNombre();
    divisor->addWidget(DBGVotos);

    auto* abajo = new QWidget;
    auto* v = new QVBoxLayout(abajo);
    v->setContentsMargins(0, 0, 0, 0);
    Totales = new TTotalesVotacion(dm);
    v->addWidget(Totales);
    Acuerdos = new TFAcuerdos(DMMain->DataBase, dm.FIBTransaction);
    Acuerdos->setObjectName(QStringLiteral("Acuerdos"));
    v->addWidget(Acuerdos);
    DBGFincas = new THYTDBGrid;
    DBGFincas->setObjectName(QStringLiteral("DBGFincas"));
    DBGFincas->SetDataSource(&dsFincas_);
    DBGFincas->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COEFICIENTES")});
    DBGFincas->setFocusPolicy(Qt::NoFocus);
    v->addWidget(DBGFincas, 1);
    auto* total = new QHBoxLayout;
    total->addStretch(1);
    total->addWidget(new QLabel(QStringLiteral("  Total coeficientes")));
    DBTTotalCoeficientes = Texto(&dm.DsVotacion, QStringLiteral("COEFICIENTES"), QStringLiteral("DBTTotalCoeficientes"), true);
    total->addWidget(DBTTotalCoeficientes);
    v->addLayout(total);
    divisor->addWidget(abajo);
    divisor->setStretchFactor(0, 3);
    divisor->setStretchFactor(1, 2);
    capas->addWidget(divisor, 1);

    // A vote being typed when a button is pressed counts: the buttons take
    // no focus, so its cell is handed over first.
    auto trasCelda = [this](std::function<void()> accion) {
        return [this, accion = std::move(accion)] {
            DBGVotos->ConfirmaCelda();
            accion();
        };
    };
    connect(TbActivaTodos, &QToolButton::clicked, this, trasCelda([this] { dm_.SetAttendanceAll(1); }));
    connect(TbDesactivaTodos, &QToolButton::clicked, this, trasCelda([this] { dm_.SetAttendanceAll(0); }));
    connect(TbCalcula, &QToolButton::clicked, this, trasCelda([this] {
                TWaitCursor espera;
                dm_.CalculateVotes();
            }));
    connect(TbListado, &QToolButton::clicked, this, trasCelda([this] { PrintMeetingListing(9000); }));
    connect(TbImprimeVotaciones, &QToolButton::clicked, this, trasCelda([this] { PrintMeetingListing(9001); }));
    DBGVotos->AlPulsarF7 = [this] { PrintMeetingListing(9000); };
    connect(TbSaldos, &QToolButton::clicked, this, trasCelda([this] {
                dm_.ImportBalances();
                dm_.CalculateVotes();
            }));
    connect(CbOrden, &QComboBox::currentIndexChanged, this,
            [this](int indice) { SinErrores([&] { dm_.OrdenaVotaciones(indice); }); });

    // The law's panel follows the convocation, the owner, the votes and the
    // point shown; the grid marks the debtors as the panel counts them.
    enlaceConvocatoria_ = std::make_unique<TEnlace>(dm.DataSource(), [this](bool) { ActualizaAcuerdos(true, true); });
    enlaceVotos_ = std::make_unique<TEnlace>(&dm.DsVotacion, [this](bool filas) { ActualizaAcuerdos(false, filas); });
    connect(DBGVotos->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Acuerdos->MuestraPunto(dm_.PuntoMostrado()); });
    connect(Acuerdos, &TFAcuerdos::Cambiado, DBGVotos->viewport(), qOverload<>(&QWidget::update));
    DBGVotos->SetDeudor([this](int propietario) {
        const TAcuerdos& a = Acuerdos->Acuerdos();
        return !a.Deudor(propietario) ? 0 : a.Rehabilitado(propietario) ? 2 : 1;
    });
}

void TPaginaVotaciones::PrintMeetingListing(int codigo)
{
    const TFIBDataSet& v = dm_.QVotacion;
    if (!v.Active() || v.IsEmpty())
        return;
    const QString n = QStringLiteral("N");
    SinErrores([&] {
        ListadoPredefinido(codigo, {LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("COMUNIDAD"), n,
                                                   v.FieldByName(QStringLiteral("COMUNIDAD"))->AsString()),
                                    LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("CONVOCATORIA"), n,
                                                   v.FieldByName(QStringLiteral("CONVOCATORIA"))->AsString()),
                                    LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("ASISTENCIA"), n, QStringLiteral("1")),
                                    LineaCondicion(QStringLiteral("ORDEN"), ordenListado_, QStringLiteral("C"), QString())});
    });
}

void TPaginaVotaciones::ActualizaAcuerdos(bool convocatoria, bool votos)
{
    convocatoriaPendiente_ = convocatoriaPendiente_ || convocatoria;
    votosPendientes_ = votosPendientes_ || votos;
    if (!isVisible())
        return;
    SinErrores([&] {
        const TFIBTableSet& t = dm_.QTabla;
        const qint64 codigo = t.Active() && !t.IsEmpty() ? t.FieldByName(QStringLiteral("CODIGO"))->AsInteger() : 0;
        const qint64 clave = (static_cast<qint64>(Entorno.Comunidad) << 32) | codigo;
        if (convocatoriaPendiente_ && clave != convocatoriaMostrada_) {
            Acuerdos->MuestraConvocatoria(Entorno.Comunidad, static_cast<int>(codigo));
            convocatoriaMostrada_ = clave;
        } else if (votosPendientes_) {
            Acuerdos->VotosCambiados();
        }
        if (convocatoriaPendiente_)
            Acuerdos->MuestraAgenda(codigo != 0 ? TextosPuntos(t.FieldByName(QStringLiteral("ORDEN"))->AsString()) : QStringList());
        convocatoriaPendiente_ = votosPendientes_ = false;
        const TFIBDataSet& v = dm_.QVotacion;
        Acuerdos->MuestraPunto(dm_.PuntoMostrado());
        Acuerdos->MuestraPropietario(v.Active() && !v.IsEmpty() ? static_cast<int>(v.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger()) : 0);
        DBGVotos->viewport()->update();
    });
}

TPaginaVotaciones::~TPaginaVotaciones()
{
    enlaceConvocatoria_.reset();
    enlaceVotos_.reset();
}

void TPaginaVotaciones::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    ActualizaAcuerdos(false, false);
    DBGVotos->setFocus();
}
