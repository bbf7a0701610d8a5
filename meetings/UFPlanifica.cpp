#include "UFPlanifica.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"
#include "URecursos.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

// --- the month calendar ----------------------------------------------------------------

QDate PrimeraCelda(const QDate& referencia)
{
    const QDate primero(referencia.year(), referencia.month(), 1);
    // The cell of the first: Tuesday 2 … Sunday 7, Monday 8.
    const int posicion = primero.dayOfWeek() == Qt::Monday ? 8 : primero.dayOfWeek();
    return primero.addDays(1 - posicion);
}

std::array<TCeldaCalendario, kCeldasCalendario> CeldasCalendario(const QDate& referencia,
                                                                 const QSet<QDate>& planificados)
{
    std::array<TCeldaCalendario, kCeldasCalendario> celdas;
    const QDate primera = PrimeraCelda(referencia);
    for (int i = 0; i < kCeldasCalendario; ++i) {
        TCeldaCalendario& c = celdas[static_cast<std::size_t>(i)];
        c.Fecha = primera.addDays(i);
        const bool delMes = c.Fecha.month() == referencia.month();
        c.Color = delMes ? QColor(Qt::blue) : QColor(Qt::black);
        c.Negrita = delMes;
        if (c.Fecha.day() == referencia.day()) {
            c.Color = QColor(Qt::red);
            c.Negrita = c.Subrayada = true;
        }
        if (planificados.contains(c.Fecha)) {
            c.Color = QColor(Qt::magenta);
            c.Negrita = c.Subrayada = true;
        }
    }
    return celdas;
}

// --- the data ------------------------------------------------------------------------------

namespace {

QDateTime Dia(const QDate& dia) { return QDateTime(dia, QTime(0, 0)); }

void Etiquetas(TFIBDataSet& ds, const QString& comunidad)
{
    ds.AddField<TDateTimeField>(QStringLiteral("FECHA"))->SetDisplayLabel(QStringLiteral("Fecha"));
    ds.AddField<TStringField>(QStringLiteral("HORA"))->SetDisplayLabel(QStringLiteral("Hora"));
    ds.AddField<TStringField>(QStringLiteral("DES"))->SetDisplayLabel(QStringLiteral("Descripción"));
    ds.AddField<TIntegerField>(QStringLiteral("COMUNIDAD"))->SetDisplayLabel(comunidad);
}

} // namespace

TDMPlanifica::TDMPlanifica()
{
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("PLANIFICADOR"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM PLANIFICADOR"), QStringLiteral("WHERE FECHA=?FECHA"),
                                           QStringLiteral("ORDER BY FECHA,HORA")},
                             .UpdateSQL = {QStringLiteral("UPDATE PLANIFICADOR SET DES=?DES ,COMUNIDAD=?COMUNIDAD "
                                                          "WHERE HORA=?HORA AND FECHA=?FECHA")},
                             .RefreshSQL = {QStringLiteral("SELECT * FROM PLANIFICADOR WHERE HORA=?HORA AND FECHA=?FECHA")},
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    Etiquetas(QTabla, QStringLiteral("Comunidad"));
    Comunidades.AnadeCampoNombre(QTabla, QStringLiteral("Com_des"), QStringLiteral("Nombre"));

    QPte.Name = QStringLiteral("QPte");
    QPte.SetDatabase(&DMMain->DataBase);
    QPte.SetTransaction(&FIBTransaction);
    // TRIM, not the stored ltrim(rtrim()): each call of those copies their
    // 8 191-character buffers, which over thousands of slots costs more than
    // the rest of the opening.
    QPte.SetSelectSQL({QStringLiteral("SELECT * FROM PLANIFICADOR"), QStringLiteral("WHERE TRIM(DES) <> ''"),
                       QStringLiteral("ORDER BY FECHA desc, HORA desc")});
    Etiquetas(QPte, QStringLiteral("Com."));
    Comunidades.AnadeCampoNombre(QPte, QStringLiteral("Com_des"), QStringLiteral("Nombre"));

    SpGen.SetDatabase(&DMMain->DataBase);
    SpGen.SetTransaction(&FIBTransaction);

    FIBTransaction.StartTransaction();
    Comunidades.Lee(&DMMain->DataBase, &FIBTransaction);
    QPte.Open();
}

bool TDMPlanifica::Planificado(const QDate& dia)
{
    SpGen.SetSQL(QStringLiteral("SELECT COUNT(*) HAY FROM PLANIFICADOR  WHERE FECHA=?FECHA"));
    SpGen.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(Dia(dia));
    SpGen.ExecQuery();
    const bool hay = SpGen.Fields(0)->AsInteger() > 0;
    SpGen.Close();
    return hay;
}

QSet<QDate> TDMPlanifica::DiasPlanificados(const QDate& desde, const QDate& hasta)
{
    SpGen.SetSQL(QStringLiteral("SELECT DISTINCT FECHA FROM PLANIFICADOR WHERE FECHA BETWEEN ?DESDE AND ?HASTA"));
    SpGen.ParamByName(QStringLiteral("DESDE"))->SetAsDateTime(Dia(desde));
    SpGen.ParamByName(QStringLiteral("HASTA"))->SetAsDateTime(Dia(hasta));
    SpGen.ExecQuery();
    QSet<QDate> dias;
    while (!SpGen.Eof()) {
        // A day is planned as the day's count finds it: slots dated at its
        // midnight, which is how they are created.
        const QDateTime fecha = SpGen.Fields(0)->AsDateTime();
        if (fecha.time() == QTime(0, 0))
            dias.insert(fecha.date());
        SpGen.Next();
    }
    SpGen.Close();
    return dias;
}

void TDMPlanifica::CreaDia(const QDate& dia)
{
    SpGen.SetSQL(QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?FECHA)"));
    SpGen.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(Dia(dia));
    SpGen.ExecQuery();
    SpGen.Close();
    graba();
}

void TDMPlanifica::AbreDia(const QDate& dia)
{
    QTabla.Close();
    QTabla.ParamByName(QStringLiteral("fecha"))->SetAsDateTime(Dia(dia));
    QTabla.Open();
}

// --- the window ----------------------------------------------------------------------------

namespace {

THYTDBGrid* Rejilla(TDataSource* ds, const QStringList& columnas)
{
    auto* g = new THYTDBGrid;
    g->SetDataSource(ds);
    g->SetColumnas(columnas);
    g->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

THYMNavigator* Navegador(TDataSource* ds, TButtonSet botones)
{
    auto* n = new THYMNavigator;
    n->SetVisibleButtons(botones);
    n->SetDataSource(ds);
    return n;
}

QWidget* Pagina(THYMNavigator* navegador, THYTDBGrid* rejilla)
{
    auto* pagina = new QWidget;
    auto* v = new QVBoxLayout(pagina);
    v->addWidget(navegador, 0, Qt::AlignLeft);
    v->addWidget(rejilla, 1);
    return pagina;
}

} // namespace

TFPlanifica::TFPlanifica(QWidget* parent) : QDialog(parent), dm_(std::make_unique<TDMPlanifica>())
{
    setObjectName(QStringLiteral("FPlanifica"));
    setWindowTitle(QStringLiteral("Planificador de juntas"));
    auto* capas = new QVBoxLayout(this);

    auto* cabecera = new QHBoxLayout;
    LbPlanificacion = new QLabel;
    LbPlanificacion->setObjectName(QStringLiteral("LbPlanificacion"));
    QFont negrita = LbPlanificacion->font();
    negrita.setBold(true);
    LbPlanificacion->setFont(negrita);
    cabecera->addWidget(LbPlanificacion);
    cabecera->addSpacing(30);
    cabecera->addWidget(new QLabel(QStringLiteral("Comunidad:")));
    DBTComunidad = new TDBText;
    DBTComunidad->setObjectName(QStringLiteral("DBTComunidad"));
    DBTComunidad->setFont(negrita);
    DBTComunidad->SetDataSource(dm_->DataSource());
    DBTComunidad->SetDataField(QStringLiteral("Com_des"));
    cabecera->addWidget(DBTComunidad, 1);
    capas->addLayout(cabecera);

    auto* cuerpo = new QHBoxLayout;
    auto* calendario = new QFrame;
    calendario->setObjectName(QStringLiteral("PnCalendario"));
    calendario->setFrameShape(QFrame::StyledPanel);
    calendario->setAutoFillBackground(true);
    calendario->setBackgroundRole(QPalette::Base);
    auto* panel = new QVBoxLayout(calendario);
    auto* titulo = new QHBoxLayout;
    SbAnterior = new QToolButton;
    SbAnterior->setObjectName(QStringLiteral("SbAnterior"));
    SbAnterior->setArrowType(Qt::LeftArrow);
    SbAnterior->setToolTip(QStringLiteral("Mes anterior"));
    LbMes = new QLabel;
    LbMes->setObjectName(QStringLiteral("LbMes"));
    LbMes->setAlignment(Qt::AlignCenter);
    LbMes->setFont(negrita);
    SbSiguiente = new QToolButton;
    SbSiguiente->setObjectName(QStringLiteral("SbSiguiente"));
    SbSiguiente->setArrowType(Qt::RightArrow);
    SbSiguiente->setToolTip(QStringLiteral("Mes siguiente"));
    titulo->addWidget(SbAnterior);
    titulo->addWidget(LbMes, 1);
    titulo->addWidget(SbSiguiente);
    panel->addLayout(titulo);

    auto* rejilla = new QGridLayout;
    rejilla->setSpacing(2);
    const char* const dias[] = {"lun", "mar", "mié", "jue", "vie", "sáb", "dom"};
    for (int d = 0; d < 7; ++d) {
        auto* l = new QLabel(QString::fromUtf8(dias[d]));
        l->setAlignment(Qt::AlignCenter);
        rejilla->addWidget(l, 0, d);
    }
    for (int i = 0; i < kCeldasCalendario; ++i) {
        auto* celda = new QLabel;
        celda->setObjectName(QStringLiteral("Lbe%1").arg(i + 1));
        celda->setAlignment(Qt::AlignCenter);
        // On the panel's white the text role would be Text: the colour set
        // is the window text's.
        celda->setForegroundRole(QPalette::WindowText);
        celda->setMinimumSize(32, 24);
        celda->setCursor(Qt::PointingHandCursor);
        celda->installEventFilter(this);
        Lbe[static_cast<std::size_t>(i)] = celda;
        rejilla->addWidget(celda, 1 + i / 7, i % 7);
    }
    panel->addLayout(rejilla);
    LbHoy = new QLabel;
    LbHoy->setObjectName(QStringLiteral("LbHoy"));
    panel->addWidget(LbHoy);
    panel->addStretch(1);
    cuerpo->addWidget(calendario);

    PCPlanifica = new QTabWidget;
    PCPlanifica->setObjectName(QStringLiteral("PCPlanifica"));
    NavPendientes = Navegador(&dm_->DsPte, {TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,
                                            TNavigateBtn::nbLast});
    NavPendientes->setObjectName(QStringLiteral("NavPendientes"));
    DBGPendientes = Rejilla(&dm_->DsPte, {QStringLiteral("FECHA"), QStringLiteral("HORA"), QStringLiteral("DES"),
                                          QStringLiteral("COMUNIDAD"), QStringLiteral("Com_des")});
    DBGPendientes->setObjectName(QStringLiteral("DBGPendientes"));
    DBGPendientes->SetCamposAOrdenar({QStringLiteral("COMUNIDAD"), QStringLiteral("DES"), QStringLiteral("FECHA"),
                                      QStringLiteral("HORA")});
    TSPendientes = Pagina(NavPendientes, DBGPendientes);
    PCPlanifica->addTab(TSPendientes, QStringLiteral("Juntas pendientes"));

    NavDia = Navegador(dm_->DataSource(), {TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,
                                           TNavigateBtn::nbLast, TNavigateBtn::nbEdit, TNavigateBtn::nbPost,
                                           TNavigateBtn::nbCancel});
    NavDia->setObjectName(QStringLiteral("NavDia"));
    DBGDia = Rejilla(dm_->DataSource(), {QStringLiteral("HORA"), QStringLiteral("DES"), QStringLiteral("COMUNIDAD")});
    DBGDia->setObjectName(QStringLiteral("DBGDia"));
    DBGDia->SetEditables({QStringLiteral("DES"), QStringLiteral("COMUNIDAD")});
    DBGDia->horizontalHeader()->setStretchLastSection(false);
    DBGDia->installEventFilter(this);
    TSDia = Pagina(NavDia, DBGDia);
    // The community search of F2 in the grid: a lookup on the current slot's
    // community that is never shown itself.
    buscaComunidad_ = new TFIBDBEditfind(TSDia);
    buscaComunidad_->setObjectName(QStringLiteral("DBEComunidad"));
    buscaComunidad_->hide();
    buscaComunidad_->SetDataSource(dm_->DataSource());
    buscaComunidad_->SetDataField(QStringLiteral("COMUNIDAD"));
    buscaComunidad_->Tabla_a_buscar = QStringLiteral("SYS_COMUNIDAD");
    buscaComunidad_->CampoNum = QStringLiteral("CODIGO");
    buscaComunidad_->CampoStr = QStringLiteral("NOMBRE");
    PCPlanifica->addTab(TSDia, QString());
    cuerpo->addWidget(PCPlanifica, 1);
    capas->addLayout(cuerpo, 1);

    resize(900, 460);
    CentraEnPantalla(this, false);

    connect(SbAnterior, &QToolButton::clicked, this, [this] { SinErrores([this] { CambiaMes(-1); }); });
    connect(SbSiguiente, &QToolButton::clicked, this, [this] { SinErrores([this] { CambiaMes(1); }); });

    referencia_ = seleccionado_ = QDate::currentDate();
    ConstruyeCalendario();
    MuestraDia();
    // The date and hour columns as wide as their texts: measured on a sample,
    // not on the rows, which may be thousands.
    const QFontMetrics medida = DBGPendientes->fontMetrics();
    DBGPendientes->setColumnWidth(0, medida.horizontalAdvance(QStringLiteral("00/00/0000")) + 16);
    DBGPendientes->setColumnWidth(1, medida.horizontalAdvance(QStringLiteral("00:00")) + 16);
}

TFPlanifica::~TFPlanifica() = default;

void TFPlanifica::ConstruyeCalendario()
{
    const QDate primera = PrimeraCelda(referencia_);
    celdas_ = CeldasCalendario(referencia_, dm_->DiasPlanificados(primera, primera.addDays(kCeldasCalendario - 1)));
    LbMes->setText(NombreMes(referencia_.month()) + QStringLiteral(" de ") + QString::number(referencia_.year()));
    LbHoy->setText(QStringLiteral("Hoy: ") + FormatoFecha(QDate::currentDate()));
    for (std::size_t i = 0; i < celdas_.size(); ++i) {
        const TCeldaCalendario& c = celdas_[i];
        QLabel* l = Lbe[i];
        l->setText(QString::number(c.Fecha.day()));
        QFont letra = font();
        letra.setBold(c.Negrita);
        letra.setUnderline(c.Subrayada);
        l->setFont(letra);
        QPalette colores = l->palette();
        colores.setColor(QPalette::WindowText, c.Color);
        l->setPalette(colores);
    }
}

void TFPlanifica::CambiaMes(int meses)
{
    // From a day the other month lacks (the 31st towards April) the month
    // still changes: the reference becomes its last day.
    referencia_ = referencia_.addMonths(meses);
    ConstruyeCalendario();
}

void TFPlanifica::Titulos()
{
    const QString dia = FormatoFecha(seleccionado_);
    LbPlanificacion->setText(QStringLiteral("Planificación para el día: ") + dia);
    PCPlanifica->setTabText(PCPlanifica->indexOf(TSDia), QStringLiteral("Día: ") + dia);
}

void TFPlanifica::ActivaDia(bool activo)
{
    DBGDia->setEnabled(activo);
    NavDia->setEnabled(activo);
}

void TFPlanifica::MuestraDia()
{
    Titulos();
    dm_->AbreDia(seleccionado_);
    DBGDia->resizeColumnToContents(0);
    // The description takes the width the others leave.
    DBGDia->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    // A day without slots leaves the page as it was.
    if (!dm_->QTabla.IsEmpty())
        ActivaDia(true);
}

void TFPlanifica::PulsaDia(int celda)
{
    // A slot being typed is saved before another day is read.
    if (dm_->QTabla.Active())
        dm_->QTabla.CheckBrowseMode();
    seleccionado_ = celdas_[static_cast<std::size_t>(celda - 1)].Fecha;
    Titulos();
    if (!dm_->Planificado(seleccionado_)) {
        QMessageBox pregunta(QMessageBox::Critical, QStringLiteral("CONFIRMACIÓN"),
                             FormatoFecha(seleccionado_) + QStringLiteral(" Día sin planificar. ¿ Crear planificación ? "),
                             QMessageBox::Yes | QMessageBox::No, this);
        const bool crea = pregunta.exec() == QMessageBox::Yes;
        if (crea)
            dm_->CreaDia(seleccionado_);
        ActivaDia(crea);
    }
    MuestraDia();
    PCPlanifica->setCurrentWidget(TSDia);
}

void TFPlanifica::reject()
{
    // Escape closes the planner only while no slot is being edited.
    const TDataSetState estado = dm_->QTabla.State();
    if (estado == TDataSetState::dsEdit || estado == TDataSetState::dsInsert)
        return;
    QDialog::reject();
}

bool TFPlanifica::eventFilter(QObject* objeto, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        for (std::size_t i = 0; i < Lbe.size(); ++i) {
            if (objeto == Lbe[i]) {
                SinErrores([this, i] { PulsaDia(static_cast<int>(i) + 1); });
                return true;
            }
        }
    }
    if (objeto == DBGDia && e->type() == QEvent::KeyPress) {
        auto* tecla = static_cast<QKeyEvent*>(e);
        const TField* campo = DBGDia->Modelo()->Campo(DBGDia->currentIndex().column());
        if (tecla->key() == Qt::Key_F2 && tecla->modifiers() == Qt::NoModifier && campo &&
            campo->FieldName() == QLatin1String("COMUNIDAD") && !dm_->QTabla.IsEmpty()) {
            SinErrores([this] { buscaComunidad_->AbrirBusqueda(); });
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}

void RegistraOrdenesPlanificador()
{
    RegistraOrden({.Id = QStringLiteral("PlanificadorJuntas"), .Menu = TMenuOrden::Gestion, .Posicion = 60,
                   .Titulo = QStringLiteral("Planificador de juntas"), .Abre = [](QAction*) {
                       TFPlanifica ventana(QApplication::activeWindow());
                       ventana.exec();
                   }});
}
