#include "UFIBDBEditDlg.h"
#include "UFIBEditFind.h"
#include "UHYDBGrid.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The width of a column for its field's values: the characters of a text
// field (at most 40), the digits of a number or a date.
int AnchoDatos(const QFontMetrics& fm, const TField* f)
{
    int caracteres = 10;
    switch (f->DataType()) {
    case TFieldType::ftString: caracteres = std::clamp(f->Size(), 1, 40); break;
    case TFieldType::ftSmallint: caracteres = 6; break;
    case TFieldType::ftInteger: caracteres = 11; break;
    case TFieldType::ftLargeint: caracteres = 15; break;
    default: break;
    }
    return fm.horizontalAdvance(QLatin1Char('0')) * caracteres + 4;
}

constexpr int FilasVisibles = 12;

} // namespace

TFIBDBEDITDLG::TFIBDBEDITDLG(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Seleccionar el valor"));
    FIBFind.Name = QStringLiteral("FIBFind");

    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    Panel = new QFrame(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    Panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel->setLineWidth(1);
    Panel->installEventFilter(this); // dragging the background moves the dialog
    capas->addWidget(Panel);

    // The frame's line and the margins make the dialog 13 pixels wider than
    // its list.
    auto* filas = new QVBoxLayout(Panel);
    filas->setContentsMargins(5, 5, 6, 5);
    filas->setSpacing(5);

    FIBEdit = new TFIBEditFind(Panel);
    FIBEdit->setObjectName(QStringLiteral("FIBEdit"));
    FIBEdit->Estado = TEstado::Busqueda;
    filas->addWidget(FIBEdit);

    DBGFind = new THYTDBGrid(Panel);
    DBGFind->setObjectName(QStringLiteral("DBGFind"));
    DBGFind->horizontalHeader()->hide();
    DBGFind->SetDataSource(&DsFind);
    FIBEdit->Lista = DBGFind;
    filas->addWidget(DBGFind);
    connect(DBGFind, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            Acepta();
    });

    auto* botones = new QHBoxLayout;
    auto boton = [this, botones](const char* nombre, QStyle::StandardPixmap imagen, const QString& pista) {
        auto* b = new QToolButton(Panel);
        b->setObjectName(QLatin1String(nombre));
        b->setIcon(style()->standardIcon(imagen));
        b->setToolTip(pista);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        botones->addWidget(b);
        return b;
    };
    SbNuevo = boton("SbNuevo", QStyle::SP_FileDialogNewFolder, QStringLiteral("Añadir"));
    SbSaldos = boton("SbSaldos", QStyle::SP_FileDialogDetailedView, QStringLiteral("Consulta saldos F3"));
    SbExtracto = boton("SbExtracto", QStyle::SP_FileDialogContentsView, QStringLiteral("Consulta extracto F5"));
    botones->addStretch();
    BAceptar = new QPushButton(QStringLiteral("Aceptar"), Panel);
    BAceptar->setObjectName(QStringLiteral("BAceptar"));
    BCancelar = new QPushButton(QStringLiteral("Cancelar"), Panel);
    BCancelar->setObjectName(QStringLiteral("BCancelar"));
    for (QPushButton* b : {BAceptar, BCancelar}) {
        b->setAutoDefault(false); // the default follows the list, not the focus
        botones->addWidget(b);
    }
    filas->addLayout(botones);

    connect(BAceptar, &QPushButton::clicked, this, &TFIBDBEDITDLG::Acepta);
    connect(BCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(SbNuevo, &QToolButton::clicked, this, [this] {
        Tag = 1;
        reject();
    });
    connect(SbSaldos, &QToolButton::clicked, this, [this] {
        if (VerSaldos)
            VerSaldos(CodigoSeleccionado());
    });
    connect(SbExtracto, &QToolButton::clicked, this, &TFIBDBEDITDLG::Extracto);

    FIBFind.AfterOpen = [this](TFIBDataSet&) { ActualizaBotones(); };
    ActualizaBotones();
}

TFIBDBEDITDLG::~TFIBDBEDITDLG()
{
    // The widgets go before the list and its data source they are linked to.
    delete Panel;
}

void TFIBDBEDITDLG::SetBase_de_datos(TFIBDatabase* db, TFIBTransaction* transaccion)
{
    baseDatos_ = db;
    FIBFind.Close();
    FIBFind.SetDatabase(db);
    FIBFind.SetTransaction(db && db->DefaultTransaction() ? db->DefaultTransaction() : transaccion);
}

void TFIBDBEDITDLG::SetTabla_a_buscar(const QString& tabla)
{
    FIBFind.Close();
    FIBFind.SetTableName(tabla);
    QStringList campos;
    for (const QString& c : Campos_Desplegar)
        if (!c.trimmed().isEmpty())
            campos << c.trimmed();
    QStringList sql{QStringLiteral("SELECT ") + (campos.isEmpty() ? QStringLiteral("*") : campos.join(QLatin1Char(','))) +
                    QStringLiteral(" FROM ") + tabla};
    if (!Condicion.isEmpty())
        sql << QStringLiteral("WHERE ") + Condicion;
    FIBFind.SetSelectSQL(sql);
    tabla_ = tabla;

    FIBEdit->Campos_Desplegar = Campos_Desplegar;
    FIBEdit->CampoNum = CampoNum;
    FIBEdit->CampoStr = CampoStr;
    FIBEdit->CampoADevolver = CampoADevolver;
    FIBEdit->Condicion = Condicion;
    FIBEdit->SetDataset(&FIBFind);
    FIBEdit->Tabla = tabla;
}

int TFIBDBEDITDLG::CodigoSeleccionado() const
{
    if (!FIBFind.Active() || FIBFind.IsEmpty())
        return 0;
    const TField* f = FIBFind.FindField(CampoADevolver.isEmpty() ? CampoNum : CampoADevolver);
    return f ? f->AsString().trimmed().toInt() : 0;
}

void TFIBDBEDITDLG::ActualizaBotones()
{
    const bool filas = FIBFind.Active() && !FIBFind.IsEmpty();
    BAceptar->setEnabled(filas);
    BAceptar->setDefault(filas);
    BCancelar->setDefault(!filas);
}

void TFIBDBEDITDLG::Acepta()
{
    if (FIBFind.Active() && !FIBFind.IsEmpty())
        accept();
}

void TFIBDBEDITDLG::Extracto()
{
    if (VerExtracto && VerExtracto(CodigoSeleccionado()) != 0)
        Acepta();
}

void TFIBDBEDITDLG::Dimensiona()
{
    TDataSetModel* modelo = DBGFind->Modelo();
    const QFontMetrics fm(DBGFind->font());
    const bool anchosDados = !Campos_Desplegar_Anchos.isEmpty() && Campos_Desplegar_Anchos.size() >= modelo->columnCount();
    int suma = 0;
    for (int c = 0; c < modelo->columnCount(); ++c) {
        const int ancho = AnchoDatos(fm, modelo->Campo(c)) + (anchosDados ? Campos_Desplegar_Anchos[c] : 10);
        DBGFind->setColumnWidth(c, ancho);
        suma += ancho;
    }
    const int lista = std::max(190, 20 + suma);
    DBGFind->setFixedWidth(lista);
    DBGFind->setFixedHeight(DBGFind->verticalHeader()->defaultSectionSize() * FilasVisibles + 2 * DBGFind->frameWidth());
    // The vertical bar of a long list narrows the columns' room: a
    // horizontal bar would then hide the last row shown.
    DBGFind->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FIBEdit->setFixedWidth(lista);
    setFixedWidth(lista + 13);
    adjustSize();
}

void TFIBDBEDITDLG::Coloca()
{
    const QScreen* pantalla = QGuiApplication::screenAt(pos());
    if (!pantalla)
        pantalla = screen();
    const QRect zona = pantalla->availableGeometry();
    switch (Posicion) {
    case TTipoPosicion::tpCentrado: move(zona.center() - QPoint(width() / 2, height() / 2)); break;
    case TTipoPosicion::tpAuto:
        move(std::min(x(), zona.right() + 1 - width()), std::min(y(), zona.bottom() + 1 - height()));
        break;
    case TTipoPosicion::tpSuave: {
        // One pixel a step, left and up, until the dialog ends within the screen.
        auto* paso = new QTimer(this);
        paso->setInterval(1);
        connect(paso, &QTimer::timeout, this, [this, paso, zona] {
            const int dx = x() + width() > zona.right() + 1 && x() > zona.left() ? 1 : 0;
            const int dy = y() + height() > zona.bottom() + 1 && y() > zona.top() ? 1 : 0;
            if (dx == 0 && dy == 0) {
                paso->deleteLater();
                return;
            }
            move(x() - dx, y() - dy);
        });
        paso->start();
        break;
    }
    }
}

void TFIBDBEDITDLG::showEvent(QShowEvent* e)
{
    Dimensiona();
    Coloca();
    QDialog::showEvent(e);
}

void TFIBDBEDITDLG::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        FIBEdit->setFocus(Qt::ActiveWindowFocusReason);
        FIBEdit->deselect();
        FIBEdit->end(false);
    }
}

void TFIBDBEDITDLG::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F3 && SbSaldos->isVisibleTo(this)) {
        SbSaldos->click();
        return;
    }
    if (e->key() == Qt::Key_F5 && SbExtracto->isVisibleTo(this)) {
        SbExtracto->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TFIBDBEDITDLG::eventFilter(QObject* objeto, QEvent* e)
{
    if (objeto == Panel) {
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(e);
            if (m->button() == Qt::LeftButton) {
                arrastrando_ = true;
                arrastre_ = m->globalPosition().toPoint() - pos();
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (arrastrando_) {
                move(static_cast<QMouseEvent*>(e)->globalPosition().toPoint() - arrastre_);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: arrastrando_ = false; break;
        default: break;
        }
    }
    return QDialog::eventFilter(objeto, e);
}
