#include "UFConvoca.h"
#include "UAcuerdos.h"
#include "UActaFirmada.h"
#include "UFFirmaActa.h"
#include "UTablon.h"
#include "DbComboBoxValue.h"
#include "EUtilesError.h"
#include "FIBError.h"
#include "UAplicacion.h"
#include "UCorreo.h"
#include "UDBControles.h"
#include "UDBDateTimePicker.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFAcuerdos.h"
#include "UFImporta.h"
#include "UFSTexto.h"
#include "UFSeguimiento.h"
#include "UFWeb.h"
#include "UFormGest.h"
#include "UOrdenes.h"
#include "UPublica.h"
#include "UVotaciones.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QString Fichero(const char* nombre) { return Entorno.CaminoPrograma + QLatin1Char('/') + QString::fromLatin1(nombre); }

QString Columna(TFConvoca::TDocumento d)
{
    switch (d) {
    case TFConvoca::TDocumento::Convocatoria: return QStringLiteral("TEXTO");
    case TFConvoca::TDocumento::Notas: return QStringLiteral("NOTAS");
    case TFConvoca::TDocumento::Acta: return QStringLiteral("ACTA");
    case TFConvoca::TDocumento::Observaciones: return QStringLiteral("OBS");
    }
    return {};
}

// The glyphs of the document buttons: a sheet (or an envelope, for what is
// sent) with the document's letter, blue for Word and green for Writer.
QIcon Glifo(bool sobre, const QString& letra, const QColor& color, const QString& marca = {})
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x40, 0x50), 1.5));
    p.setBrush(QColor(0xFA, 0xFA, 0xF6));
    if (sobre) {
        p.drawRect(QRectF(2, 7, 28, 19));
        p.drawLine(QPointF(2, 7), QPointF(16, 18));
        p.drawLine(QPointF(30, 7), QPointF(16, 18));
    } else {
        QPolygonF hoja({{7, 2}, {20, 2}, {26, 8}, {26, 30}, {7, 30}});
        p.drawPolygon(hoja);
        p.drawPolyline(QPolygonF({{20, 2}, {20, 8}, {26, 8}}));
    }
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(marca.isEmpty() ? 15 : 11);
    p.setFont(f);
    p.setPen(color);
    const QRectF zona = sobre ? QRectF(2, 12, 28, 16) : QRectF(7, 10, 19, 20);
    p.drawText(zona, Qt::AlignCenter, letra);
    if (!marca.isEmpty()) {
        p.setBrush(QColor(0xC0, 0x20, 0x20));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(0, 22, 22, 10));
        f.setPixelSize(8);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 22, 22, 10), Qt::AlignCenter, marca);
    }
    return QIcon(pm);
}

const QColor kWord(0x1F, 0x4E, 0x9A);
const QColor kWriter(0x18, 0x80, 0x38);
const QColor kFirma(0x9A, 0x1F, 0x2E);

} // namespace

// The notice period is checked again when the convocation on screen, its
// kind, its date or its notice's date changes.
class TFConvoca::TEnlacePlazo : public TDataLink {
public:
    TEnlacePlazo(TDataSource* ds, std::function<void()> aviso) : aviso_(std::move(aviso)) { SetDataSource(ds); }

protected:
    void DataSetChanged() override { aviso_(); }
    void RecordChanged(TField*) override { aviso_(); }
    void ActiveChanged() override { aviso_(); }

private:
    std::function<void()> aviso_;
};

TFConvoca::TFConvoca() : TFBase(0, {1180, 720}), dm_(std::make_unique<TDMConvoca>())
{
    setObjectName(QStringLiteral("FConvoca"));
    setWindowTitle(QStringLiteral("Convocatorias y Actas"));
    // A new convocation brings the register up to date from the accounting
    // product first, without questions.
    dm_->RefreshOwnersFromAccounting = [] { ::RefreshOwnersFromAccounting(); };
    Conecta(*dm_);
    HYMNavigator1->DelMessage = QStringLiteral(" ¿ Borrar convocatoria ? ");
    CreaBotones();

    // The search bar: the column searched, and the publishing's status.
    CbBusca = new QComboBox;
    CbBusca->setObjectName(QStringLiteral("CbBusca"));
    CbBusca->addItems({QString(), QStringLiteral("Código"), QStringLiteral("Descripción"), QStringLiteral("Orden del día")});
    ToolBar2->addWidget(CbBusca);
    EEstado = new QLineEdit;
    EEstado->setObjectName(QStringLiteral("EEstado"));
    EEstado->setReadOnly(true);
    EEstado->setFocusPolicy(Qt::NoFocus);
    EEstado->setMinimumWidth(EEstado->fontMetrics().averageCharWidth() * 30);
    ToolBar2->addWidget(EEstado);

    // "&Ficha": the convocation above, its agenda below.
    TFIBTableSet& t = dm_->QTabla;
    t.FieldByName(QStringLiteral("HORA1"))->EditMask = QStringLiteral("!90:00;1;_");
    t.FieldByName(QStringLiteral("HORA2"))->EditMask = QStringLiteral("!90:00;1;_");
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 6);
    DBEDes = CampoTexto(QStringLiteral("Descripción"), QStringLiteral("DES"), 35);
    DBCTipo = new TDBComboBoxValue(PEdit);
    DBCTipo->setObjectName(QStringLiteral("DBCTipo"));
    DBCTipo->SetItems({QStringLiteral("1 - JUNTA ORDINARIA"), QStringLiteral("2 - JUNTA EXTRAORDINARIA")});
    DBCTipo->SetValues({QStringLiteral("1"), QStringLiteral("2")});
    DBCTipo->SetDataSource(CEMain->DataSource());
    DBCTipo->SetDataField(QStringLiteral("TIPO"));
    AnadeCampo(QStringLiteral("Tipo"), DBCTipo);
    DBDFecha = new TDBDateTimePicker(PEdit);
    DBDFecha->setObjectName(QStringLiteral("DBDFecha"));
    DBDFecha->SetDataSource(CEMain->DataSource());
    DBDFecha->SetDataField(QStringLiteral("FECHA"));
    AnadeCampo(QStringLiteral("Fecha"), DBDFecha);
    DBEHora1 = CampoTexto(QStringLiteral("Hora 1ª convocaria"), QStringLiteral("HORA1"), 5);
    DBEHora2 = CampoTexto(QStringLiteral("Hora 2ª convocaria"), QStringLiteral("HORA2"), 5);
    DBELugar = CampoTexto(QStringLiteral("Lugar"), QStringLiteral("LUGAR"), 35);
    DBEFechaT = CampoTexto(QStringLiteral("Fecha tablón anuncios"), QStringLiteral("FECHAT"), 10);
    HYMNavigator1->SetInsertaControl(DBECodigo);
    HYMNavigator1->SetEditaControl(DBEDes);

    POrden = new QWidget;
    POrden->setObjectName(QStringLiteral("POrden"));
    POrden->setEnabled(false); // typed in while the convocation is edited, as the fields above
    auto* orden = new QVBoxLayout(POrden);
    orden->setContentsMargins(0, 0, 0, 0);
    orden->addWidget(new QLabel(QStringLiteral("ORDEN DEL DIA")));
    DBMOrden = new TDBMemo;
    DBMOrden->setObjectName(QStringLiteral("DBMOrden"));
    DBMOrden->SetDataSource(CEMain->DataSource());
    DBMOrden->SetDataField(QStringLiteral("ORDEN"));
    orden->addWidget(DBMOrden, 1);
    auto* ficha = static_cast<QVBoxLayout*>(TSFicha->layout());
    while (QLayoutItem* item = ficha->takeAt(0))
        delete item; // PEdit goes into the splitter; the base page's stretch goes
    auto* divisor = new QSplitter(Qt::Vertical);
    divisor->setObjectName(QStringLiteral("SplitterFicha"));
    divisor->addWidget(PEdit);
    divisor->addWidget(POrden);
    divisor->setStretchFactor(1, 1);
    divisor->setChildrenCollapsible(false);
    ficha->addWidget(divisor, 1);
    LAvisoPlazo = new QLabel;
    LAvisoPlazo->setObjectName(QStringLiteral("LAvisoPlazo"));
    LAvisoPlazo->setWordWrap(true);
    LAvisoPlazo->setStyleSheet(QStringLiteral("color: #b00000;"));
    LAvisoPlazo->hide();
    ficha->addWidget(LAvisoPlazo);
    LFirma = new QLabel;
    LFirma->setObjectName(QStringLiteral("LFirma"));
    LFirma->setWordWrap(true);
    LFirma->hide();
    ficha->addWidget(LFirma);
    LPropietarios = new QLabel;
    LPropietarios->setObjectName(QStringLiteral("LPropietarios"));
    ficha->addWidget(LPropietarios);

    // "&Tabla".
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("DES"), QStringLiteral("FECHA"), QStringLiteral("LUGAR")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("DES"), QStringLiteral("FECHA")});

    // "&Votaciones".
    TSVotaciones = new TPaginaVotaciones(*dm_);
    PCMain->addTab(TSVotaciones, QStringLiteral("&Votaciones"));
    // "Se&guimiento": its rows are made from the agenda the first time it is shown.
    TSSeguimiento = new TFSeguimiento(*dm_);
    PCMain->addTab(TSSeguimiento, QStringLiteral("Se&guimiento"));
    CuentaPropietarios();
    enlacePlazo_ = std::make_unique<TEnlacePlazo>(dm_->DataSource(), [this] {
        CompruebaPlazo();
        MuestraFirma();
    });
    CompruebaPlazo();
    MuestraFirma();
    PCMain->setCurrentWidget(TSFicha);
}

void TFConvoca::CompruebaPlazo()
{
    const TFIBTableSet& t = dm_->QTabla;
    QString aviso;
    if (t.Active() && !t.IsEmpty()) {
        const TField* notificada = t.FieldByName(QStringLiteral("FECHAT"));
        const TField* fecha = t.FieldByName(QStringLiteral("FECHA"));
        if (!fecha->IsNull())
            aviso = AvisoPlazo(static_cast<int>(t.FieldByName(QStringLiteral("TIPO"))->AsInteger()),
                               notificada->IsNull() ? QDate::currentDate() : notificada->AsDateTime().date(),
                               fecha->AsDateTime().date());
    }
    LAvisoPlazo->setText(aviso);
    LAvisoPlazo->setVisible(!aviso.isEmpty());
}

void TFConvoca::CopiaTablon(TDocumento documento)
{
    if (!HayConvocatoria())
        return;
    const QByteArray guardado = dm_->QTabla.FieldByName(Columna(documento))->AsBytes();
    if (guardado.isEmpty()) {
        Mensaje(documento == TDocumento::Acta ? QStringLiteral("La convocatoria no tiene Acta.")
                                              : QStringLiteral("La convocatoria no tiene carta de convocatoria."));
        return;
    }
    const int convocatoria = static_cast<int>(dm_->QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    const QByteArray copia = CopiaParaTablon(
        guardado, NombresDeLaJunta(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, convocatoria));
    const QString fichero = Fichero("tablon.rtf");
    GuardaFichero(fichero, copia);
    // Whatever the user does with the copy stays in its file.
    EditaEnProcesador(this, TProcesadorTextos::Word, fichero);
}

TFConvoca::~TFConvoca()
{
    dm_->RefreshOwnersFromAccounting = nullptr;
    // The pages follow the module's datasets: they go before the module,
    // whose datasets tell them of their closing while they are destroyed.
    enlacePlazo_.reset();
    delete TSVotaciones;
    delete TSSeguimiento;
}

bool TFConvoca::HayConvocatoria()
{
    const TFIBTableSet& t = dm_->QTabla;
    // The documents work on the stored convocation: what is being typed is
    // saved first (an error keeps the edit and stops the operation).
    return t.Active() && GuardaRegistro() && !t.IsEmpty() && t.State() == TDataSetState::dsBrowse;
}

QToolButton* TFConvoca::BotonDocumento(const QString& nombre, const QString& hint, const QIcon& icono)
{
    auto* b = new QToolButton;
    b->setObjectName(nombre);
    b->setToolTip(hint);
    b->setIcon(icono);
    UsableEnEdicion(b);
    // In order, before the placement buttons' separator.
    ToolBar1->insertWidget(ToolBar1->actions().value(ToolBar1->actions().size() - 3), b);
    return b;
}

QMenu* TFConvoca::MenuDocumento(TDocumento documento, TProcesadorTextos procesador, const QString& consulta,
                                const QString& crea)
{
    auto* menu = new QMenu(this);
    menu->addAction(consulta, this, [this, documento, procesador] { EditDocument(documento, procesador); });
    menu->addAction(crea, this, [this, documento, procesador] { RecreateDocument(documento, procesador); });
    return menu;
}

void TFConvoca::CreaBotones()
{
    using enum TDocumento;
    const auto word = TProcesadorTextos::Word;
    const auto writer = TProcesadorTextos::OpenOffice;
    struct Boton {
        QToolButton*& boton;
        const char* nombre;
        const char* hint;
        QIcon icono;
    };
    const QString c = QStringLiteral("C"), n = QStringLiteral("N"), a = QStringLiteral("A"), o = QStringLiteral("O");
    const Boton botones[] = {
        {TbConvocatoria, "TbConvocatoria", "Confección, consulta texto convocatoria", Glifo(false, c, kWord)},
        {TbEnviaConvocatoria, "TbEnviaConvocatoria", "Enviar convocatoria a propietarios por correo electrónico",
         Glifo(true, c, kWord)},
        {TbEnviaConvocatoriaPdf, "TbEnviaConvocatoriaPdf",
         "Enviar convocatoria en PDF a propietarios por correo electrónico", Glifo(true, c, kWord, QStringLiteral("PDF"))},
        {TbNotas, "TbNotas", "Confección, consulta notas", Glifo(false, n, kWord)},
        {TbActa, "TbActa", "Confección, consulta del Acta", Glifo(false, a, kWord)},
        {TbObservaciones, "TbObservaciones", "Observaciones", Glifo(false, o, kWord)},
        {TbEnviaActa, "TbEnviaActa", "Enviar acta a propietarios por correo electrónico", Glifo(true, a, kWord)},
        {TbEnviaActaPdf, "TbEnviaActaPdf", "Enviar acta en PDF a propietarios por correo electrónico",
         Glifo(true, a, kWord, QStringLiteral("PDF"))},
        {TbPublica, "TbPublica", "Publicar el Acta en Internet", IconoSalida(TIconoSalida::Internet)},
        {TbConvocatoriaOO, "TbConvocatoriaOO", "Confección, consulta texto convocatoria con OpenOffice",
         Glifo(false, c, kWriter)},
        {TbNotasOO, "TbNotasOO", "Confección, consulta notas con OpenOffice", Glifo(false, n, kWriter)},
        {TbActaOO, "TbActaOO", "Confección, consulta del Acta con OpenOffice", Glifo(false, a, kWriter)},
        {TbObservacionesOO, "TbObservacionesOO", "Observaciones con OpenOffice", Glifo(false, o, kWriter)},
        {TbTablon, "TbTablon", "Copia para el tablón", Glifo(false, QStringLiteral("T"), kWord)},
        {TbFirmaActa, "TbFirmaActa", "Firmar el Acta en PDF con su certificado", Glifo(false, a, kFirma)},
        {TbCompruebaFirma, "TbCompruebaFirma", "Comprobar la firma del Acta firmada o de un PDF",
         Glifo(false, QStringLiteral("✓"), kFirma)},
        {TbGuardaPdf, "TbGuardaPdf", "Guardar PDF…", IconoSalida(TIconoSalida::Pdf)},
    };
    for (const Boton& b : botones)
        b.boton = BotonDocumento(QString::fromLatin1(b.nombre), QString::fromUtf8(b.hint), b.icono);
    // Named on the bar, with their access keys.
    TbFirmaActa->setText(QStringLiteral("Fir&mar acta"));
    TbCompruebaFirma->setText(QStringLiteral("Com&probar firma"));
    for (QToolButton* b : {TbFirmaActa, TbCompruebaFirma})
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(TbFirmaActa, &QToolButton::clicked, this, [this] { FirmarActa(); });
    auto* comprueba = new QMenu(this);
    comprueba->addAction(QStringLiteral("Comprobar el Acta firmada de la convocatoria"), this,
                         [this] { ComprobarFirma(false); });
    comprueba->addAction(QStringLiteral("Comprobar un fichero PDF..."), this, [this] { ComprobarFirma(true); });
    TbCompruebaFirma->setMenu(comprueba);
    TbCompruebaFirma->setPopupMode(QToolButton::MenuButtonPopup);
    connect(TbCompruebaFirma, &QToolButton::clicked, this, [this] { ComprobarFirma(false); });

    const QString consultaC = QStringLiteral("Consultar convocatoria"), creaC = QStringLiteral("Crear nueva convocatoria");
    const QString consultaA = QStringLiteral("Consultar Acta"), creaA = QStringLiteral("Crear nueva Acta");
    for (const auto& [boton, documento, procesador] :
         {std::tuple{TbConvocatoria, Convocatoria, word}, std::tuple{TbActa, Acta, word},
          std::tuple{TbConvocatoriaOO, Convocatoria, writer}, std::tuple{TbActaOO, Acta, writer}}) {
        const bool carta = documento == Convocatoria;
        boton->setMenu(MenuDocumento(documento, procesador, carta ? consultaC : consultaA, carta ? creaC : creaA));
        boton->setPopupMode(QToolButton::MenuButtonPopup);
    }
    for (const auto& [boton, documento, procesador] :
         {std::tuple{TbConvocatoria, Convocatoria, word}, std::tuple{TbNotas, Notas, word},
          std::tuple{TbActa, Acta, word}, std::tuple{TbObservaciones, Observaciones, word},
          std::tuple{TbConvocatoriaOO, Convocatoria, writer}, std::tuple{TbNotasOO, Notas, writer},
          std::tuple{TbActaOO, Acta, writer}, std::tuple{TbObservacionesOO, Observaciones, writer}}) {
        connect(boton, &QToolButton::clicked, this,
                [this, documento, procesador] { EditDocument(documento, procesador); });
    }
    connect(TbEnviaConvocatoria, &QToolButton::clicked, this,
            [this] { SendDocument(QStringLiteral("CONVOCATORIA"), QStringLiteral("WORD"), false); });
    connect(TbEnviaConvocatoriaPdf, &QToolButton::clicked, this,
            [this] { SendDocument(QStringLiteral("CONVOCATORIA"), QStringLiteral("PDF"), false); });
    connect(TbEnviaActa, &QToolButton::clicked, this,
            [this] { SendDocument(QStringLiteral("ACTA"), QStringLiteral("WORD"), false); });
    connect(TbEnviaActaPdf, &QToolButton::clicked, this,
            [this] { SendDocument(QStringLiteral("ACTA"), QStringLiteral("PDF"), false); });
    auto* tablon = new QMenu(this);
    tablon->addAction(QStringLiteral("Copia de la convocatoria para el tablón"), this,
                      [this] { CopiaTablon(TDocumento::Convocatoria); });
    tablon->addAction(QStringLiteral("Copia del Acta para el tablón"), this, [this] { CopiaTablon(TDocumento::Acta); });
    TbTablon->setMenu(tablon);
    TbTablon->setPopupMode(QToolButton::InstantPopup);
    auto* pdf = new QMenu(this);
    pdf->addAction(QStringLiteral("Convocatoria en PDF…"), this, [this] { GuardaPdf(TDocumento::Convocatoria); });
    pdf->addAction(QStringLiteral("Acta en PDF…"), this, [this] { GuardaPdf(TDocumento::Acta); });
    TbGuardaPdf->setMenu(pdf);
    TbGuardaPdf->setPopupMode(QToolButton::InstantPopup);
    connect(TbPublica, &QToolButton::clicked, this, [this] {
        QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Confirmación"),
                             QStringLiteral("¿ Desea publicar el Acta en Internet ?"),
                             QMessageBox::Yes | QMessageBox::No, this);
        pregunta.setDefaultButton(QMessageBox::No);
        if (pregunta.exec() == QMessageBox::Yes)
            SendDocument(QStringLiteral("ACTA"), QStringLiteral("PDF"), true);
    });
}

void TFConvoca::CuentaPropietarios()
{
    TFIBQuery q;
    q.SetDatabase(&DMMain->DataBase);
    q.SetTransaction(&dm_->FIBTransaction);
    q.SetSQL(QStringLiteral("select count(*) hay from ver_propietario_dire where comunidad=?comunidad and activo=1 "
                            "and codigo<>0"));
    q.ParamByName(QStringLiteral("comunidad"))->SetAsInteger(Entorno.Comunidad);
    q.ExecQuery();
    LPropietarios->setText(QStringLiteral("Nº Propietarios: ") + QString::number(q.Fields(0)->AsInteger()));
    q.Close();
}

void TFConvoca::NavegadorClick(TNavigateBtn boton)
{
    TFBase::NavegadorClick(boton);
    const TDataSetState estado = dm_->QTabla.State();
    POrden->setEnabled(estado == TDataSetState::dsEdit || estado == TDataSetState::dsInsert);
}

bool TFConvoca::VotoEnEdicion() const
{
    const TDataSetState estado = dm_->QVotacion.State();
    return estado == TDataSetState::dsEdit || estado == TDataSetState::dsInsert ||
           TSVotaciones->DBGVotos->Escribiendo();
}

bool TFConvoca::eventFilter(QObject* objeto, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (objeto == EBusca && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            Busca();
            return true;
        }
        // Esc while a vote or a name is being typed drops that typing; it
        // does not close the screen.
        if (k->key() == Qt::Key_Escape && VotoEnEdicion())
            return QWidget::eventFilter(objeto, e);
    }
    return TFBase::eventFilter(objeto, e);
}

void TFConvoca::closeEvent(QCloseEvent* e)
{
    // A vote row being typed is saved with the screen; a save the database
    // refuses keeps the screen open with the error shown.
    if (dm_->QVotacion.Active() && !SinErrores([this] {
            TSVotaciones->DBGVotos->ConfirmaCelda();
            dm_->QVotacion.CheckBrowseMode();
        })) {
        e->ignore();
        return;
    }
    TFBase::closeEvent(e);
}

void TFConvoca::Busca()
{
    // With no column chosen, a number is a code and any other text a
    // description. The agenda is text of any length, which the database
    // cannot sort by: its matches come newest first.
    TBusquedaRapida b{QStringLiteral("CODIGO"), QStringLiteral("DES"), QStringLiteral("10000")};
    // The code and the agenda are no names: they are matched from their
    // beginning, as typed.
    switch (CbBusca->currentIndex()) {
    case 1:
        b.CampoTexto = b.CampoNumero = QStringLiteral("CODIGO");
        b.PorNombre = false;
        break;
    case 2: b.CampoTexto = b.CampoNumero = QStringLiteral("DES"); break;
    case 3:
        b.CampoTexto = b.CampoNumero = QStringLiteral("ORDEN");
        b.Orden = QStringLiteral("CODIGO DESC");
        b.PorNombre = false;
        break;
    default: break;
    }
    BusquedaRapida(EBusca->text(), dm_->QTabla, b, [](TFIBDataSet& d, const QString& flags, bool abrir) {
        DMMain->AsignarParametrosEntorno(d, flags, abrir);
    });
}

void TFConvoca::EditDocument(TDocumento documento, TProcesadorTextos procesador)
{
    if (!HayConvocatoria())
        return;
    TFIBTableSet& t = dm_->QTabla;
    const QString tmp1 = Fichero("tmp1.rtf");
    const QString tmptmp = Fichero("tmptmp.rtf");
    const bool observaciones = documento == TDocumento::Observaciones;
    const QString fichero = observaciones ? Fichero("tmp.rtf") : tmp1;
    const QString columna = Columna(documento);
    const QString clave = QStringLiteral("CONVOCATORIAS %1 %2 %3")
                              .arg(Entorno.Comunidad)
                              .arg(t.FieldByName(QStringLiteral("CODIGO"))->AsInteger())
                              .arg(columna);
    const QByteArray guardado = t.FieldByName(columna)->AsBytes();
    // An edit of this document that could not be stored is offered back;
    // any other working file of the kind is cleared, never lost.
    const bool recuperado = RecuperaEdicion(fichero, clave, guardado);
    if (observaciones)
        LiberaFicheroTrabajo(tmp1);
    QFile::remove(tmptmp);
    // A merge leaves the convocation in edit with the merged document: it is
    // dropped unless the edited one comes back to be stored.
    struct Deshace {
        TFIBTableSet& t;
        bool activo = true;
        ~Deshace()
        {
            if (activo && t.State() == TDataSetState::dsEdit) {
                try {
                    t.Cancel();
                } catch (...) {
                }
            }
        }
    } deshace{t};
    // A document taken back is edited again as the file holds it.
    if (!recuperado) {
        if (guardado.isEmpty()) {
            switch (documento) {
            case TDocumento::Convocatoria:
            case TDocumento::Acta: {
                const bool carta = documento == TDocumento::Convocatoria;
                {
                    TFSTexto selector(carta ? 1 : 2);
                    // Over this screen, which stays on top of the others.
                    selector.setParent(this, selector.windowFlags());
                    selector.exec();
                }
                if (QFile::exists(tmp1))
                    dm_->MergeDocument(carta ? QStringLiteral("CONVOCATORIA") : QStringLiteral("ACTA"));
                else
                    WriteStarterDocument(QStringLiteral("tmp1.rtf"));
                break;
            }
            case TDocumento::Notas: dm_->WriteNotesDocument(); break;
            case TDocumento::Observaciones: WriteStarterDocument(QStringLiteral("tmp.rtf")); break;
            }
        } else if (observaciones) {
            GuardaFichero(fichero, guardado);
        } else {
            GuardaFichero(tmptmp, guardado);
            if (!QFile::copy(tmptmp, tmp1))
                throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(tmp1));
        }
    }
    const std::optional<QByteArray> editado = EditaEnProcesador(this, procesador, fichero, clave);
    if (!editado)
        return; // the stored document stays; what was edited stays in the file
    // Keeping the signed minutes drops this edit by the user's own choice.
    if (documento == TDocumento::Acta && *editado != guardado && FirmaVigente(guardado) && !CambiaActaFirmada()) {
        QFile::remove(fichero);
        return;
    }
    // From here on the edit is the user's: a save refused keeps it on screen.
    deshace.activo = false;
    const bool grabado = GuardaDocumentoEditado(columna, *editado, fichero, clave);
    MuestraFirma();
    if (grabado && !observaciones)
        QFile::remove(tmp1);
}

void TFConvoca::RecreateDocument(TDocumento documento, TProcesadorTextos procesador)
{
    if (!HayConvocatoria())
        return;
    TFIBTableSet& t = dm_->QTabla;
    TField* columna = t.FieldByName(Columna(documento));
    if (!columna->AsBytes().isEmpty()) {
        const QString texto = documento == TDocumento::Convocatoria
                                  ? QStringLiteral("Sobrescribir la convocatoria actual, ¿Continuar?")
                                  : QStringLiteral("Sobrescribir el Acta actual, ¿Continuar?");
        QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Confirmación"), texto,
                             QMessageBox::Yes | QMessageBox::No, this);
        pregunta.setDefaultButton(QMessageBox::No);
        if (pregunta.exec() != QMessageBox::Yes)
            return;
        if (documento == TDocumento::Acta && FirmaVigente(columna->AsBytes()) && !CambiaActaFirmada())
            return;
        t.Edit();
        columna->Clear();
        t.Post();
    }
    EditDocument(documento, procesador);
}

void TFConvoca::SendDocument(const QString& tipo, const QString& modo, bool publica)
{
    if (!HayConvocatoria())
        return;
    const bool carta = tipo == QLatin1String("CONVOCATORIA");
    const QByteArray documento = dm_->QTabla.FieldByName(carta ? QStringLiteral("TEXTO") : QStringLiteral("ACTA"))->AsBytes();
    if (documento.isEmpty()) {
        Mensaje(QStringLiteral("Debe crear primero el texto"));
        return;
    }
    QString direcciones;
    if (!publica) {
        if (Entorno.EnlaceContable == 1 && dm_->RefreshOwnersFromAccounting)
            dm_->RefreshOwnersFromAccounting();
        direcciones = dm_->DireccionesCorreo();
        if (direcciones.isEmpty()) {
            Mensaje(QStringLiteral("Propietarios sin dirección de correo electrónico"));
            return;
        }
    }
    if (modo == QLatin1String("WORD")) {
        // Freed when it closes.
        auto* correo = new TFWeb(direcciones, this);
        correo->exec();
        if (!carta)
            ActaNotificada();
        return;
    }
    // The signed minutes are the record that goes, while they hold for the
    // stored ones; otherwise this convocation's document as stored now.
    const QByteArray firmada = carta ? QByteArray() : ActaFirmadaVigente();
    auto pdfDe = [&](const QString& destino) {
        if (firmada.isEmpty())
            DocumentoPdf(documento, destino);
        else
            GuardaFichero(destino, firmada);
    };
    if (publica) {
        // This convocation's minutes, signed or as they are stored now.
        if (PublishMinutes(EEstado, documento, firmada))
            ActaNotificada();
        return;
    }
    const QString pdf = Fichero(carta ? "CONVOCATORIA.pdf" : "ACTA.pdf");
    pdfDe(pdf);
    const int r = EnviaCorreo(Entorno.NombreComunidad, QString(), pdf, direcciones, QString(), QString(), QString(), true);
    if (r == 0 && !carta)
        ActaNotificada();
    if (r != 0)
        Mensaje(ExplicaCorreo(r, pdf));
}

void TFConvoca::GuardaPdf(TDocumento documento)
{
    if (!HayConvocatoria())
        return;
    const bool carta = documento == TDocumento::Convocatoria;
    const QByteArray guardado = dm_->QTabla.FieldByName(Columna(documento))->AsBytes();
    if (guardado.isEmpty()) {
        Mensaje(QStringLiteral("Debe crear primero el texto"));
        return;
    }
    const QString nombre = QStringLiteral("%1 %2.pdf")
                               .arg(carta ? QStringLiteral("Convocatoria") : QStringLiteral("Acta"))
                               .arg(dm_->QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    QFileDialog d(this, QStringLiteral("Guardar PDF"), QDir::home().filePath(nombre),
                  QStringLiteral("Documento PDF (*.pdf)"));
    d.setObjectName(QStringLiteral("DialogoGuardarPdf"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QStringLiteral("pdf"));
    d.setOption(QFileDialog::DontUseNativeDialog);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return;
    DocumentoPdf(guardado, d.selectedFiles().constFirst());
}

int TFConvoca::Codigo() const { return static_cast<int>(dm_->QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger()); }

void TFConvoca::MuestraFirma()
{
    const TFIBTableSet& t = dm_->QTabla;
    QString texto;
    if (t.Active() && !t.IsEmpty() && t.State() == TDataSetState::dsBrowse) {
        try {
            if (const auto firmada = LeeActaFirmada(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, Codigo(), false))
                texto = firmada->Estado(t.FieldByName(QStringLiteral("ACTA"))->AsBytes());
        } catch (const EFIBError& e) {
            texto = QStringLiteral("No se puede leer la firma del Acta: %1").arg(QString::fromUtf8(e.what()));
        }
    }
    LFirma->setText(texto);
    LFirma->setVisible(!texto.isEmpty());
}

bool TFConvoca::FirmaVigente(const QByteArray& acta)
{
    const auto firmada = LeeActaFirmada(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, Codigo(), false);
    return firmada && firmada->Vigente(acta);
}

QByteArray TFConvoca::ActaFirmadaVigente()
{
    const auto firmada = LeeActaFirmada(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, Codigo(), true);
    const QByteArray acta = dm_->QTabla.FieldByName(QStringLiteral("ACTA"))->AsBytes();
    return firmada && firmada->Vigente(acta) ? firmada->Pdf : QByteArray();
}

bool TFConvoca::CambiaActaFirmada()
{
    QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Confirmación"),
                         QStringLiteral("El Acta está firmada. Si la cambia, la firma dejará de valer y habrá que "
                                        "firmarla de nuevo (el Acta firmada se guarda como versión anterior). "
                                        "¿Continuar?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    pregunta.setDefaultButton(QMessageBox::No);
    return pregunta.exec() == QMessageBox::Yes;
}

void TFConvoca::FirmarActa()
{
    if (!HayConvocatoria())
        return;
    const QByteArray acta = dm_->QTabla.FieldByName(QStringLiteral("ACTA"))->AsBytes();
    if (acta.isEmpty()) {
        Mensaje(QStringLiteral("La convocatoria no tiene Acta."));
        return;
    }
    if (FirmaActa(this, DMMain->DataBase, dm_->FIBTransaction,
                  TActaAFirmar{Entorno.Comunidad, Codigo(), Entorno.NombreComunidad, acta}))
        MuestraFirma();
}

void TFConvoca::ComprobarFirma(bool fichero)
{
    QByteArray pdf;
    if (fichero) {
        const QString nombre = QFileDialog::getOpenFileName(this, QStringLiteral("Comprobar firma"), QString(),
                                                            QStringLiteral("Documentos PDF (*.pdf *.PDF)"));
        if (nombre.isEmpty())
            return;
        pdf = CargaFichero(nombre);
    } else {
        if (!HayConvocatoria())
            return;
        const auto firmada = LeeActaFirmada(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, Codigo(), true);
        if (!firmada) {
            Mensaje(QStringLiteral("La convocatoria no tiene Acta firmada."));
            return;
        }
        pdf = firmada->Pdf;
    }
    ::ComprobarFirma(this, pdf);
}

void TFConvoca::ActaNotificada()
{
    const int codigo = static_cast<int>(dm_->QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
    if (!AnotaActaNotificada(DMMain->DataBase, dm_->FIBTransaction, Entorno.Comunidad, codigo, QDate::currentDate()))
        return;
    dm_->FIBTransaction.CommitRetaining();
    TSVotaciones->Acuerdos->MuestraConvocatoria(Entorno.Comunidad, codigo);
}

void RegistraOrdenesConvocatorias()
{
    RegistraOrden({.Id = QStringLiteral("Convocatorias"), .Menu = TMenuOrden::Gestion, .Posicion = 10,
                   .Titulo = QStringLiteral("Convocatorias y Actas"),
                   .Abre = [](QAction* a) { AbreVentana<TFConvoca>(a); },
                   .TextoHerramienta = QStringLiteral("Convocatorias "), .PosicionHerramienta = 4,
                   .Icono = QStyle::SP_FileDialogListView});
}
