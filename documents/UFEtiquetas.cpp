#include "UFEtiquetas.h"
#include "ReportPreview.h"
#include "UDMMain.h"
#include "UHYDBGrid.h"
#include "UAplicacion.h"
#include "UDialogos.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UFSelectivo.h"
#include "USalida.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

TEditFind2000* Busqueda(QWidget* padre, const char* nombre, const char* tabla, const char* nombreColumna,
                        const QString& condicion)
{
    auto* e = new TEditFind2000(padre);
    e->setObjectName(QLatin1String(nombre));
    e->Base_de_datos = &DMMain->DataBase;
    e->Tabla_a_buscar = QLatin1String(tabla);
    e->CampoNum = QStringLiteral("CODIGO");
    e->CampoStr = QLatin1String(nombreColumna);
    e->CondicionBusqueda = condicion;
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 9 + 12);
    return e;
}

QComboBox* Lista(QWidget* padre, const char* nombre, const QStringList& entradas)
{
    auto* c = new QComboBox(padre);
    c->setObjectName(QLatin1String(nombre));
    c->addItems(entradas);
    return c;
}

} // namespace

TFEtiquetas::TFEtiquetas(QWidget* parent) : QDialog(parent), dm_(std::make_unique<TDMEtiqueta>())
{
    setObjectName(QStringLiteral("FEtiquetas"));
    setWindowTitle(QStringLiteral("Etiquetas"));
    const QString propietarios =
        QStringLiteral("comunidad=") + QString::number(Entorno.Comunidad) + QStringLiteral(" and codigo <>0");
    EDesde = Busqueda(this, "EDesde", "EMP_PROPIETARIO", "NOMBRE", propietarios);
    EHasta = Busqueda(this, "EHasta", "EMP_PROPIETARIO", "NOMBRE", propietarios);
    // The search's list needs the whole key of the owners (community and
    // code) to read its rows; the community is not shown.
    for (TEditFind2000* e : {EDesde, EHasta}) {
        e->Campos_Desplegar = {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COMUNIDAD")};
        e->OnBusqueda = [](TFIBDBEDITDLG& d) { d.DBGFind->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")}); };
    }
    EFormato = Busqueda(this, "EFormato", "SYS_FORMATOS", "NOMBRE", QStringLiteral("tipo = 2"));
    EIdioma = Busqueda(this, "EIdioma", "SYS_IDIOMAS", "NOMBRE", QString());
    COrden = Lista(this, "COrden",
                   {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("DOMICILIO"),
                    QStringLiteral("CODIGO_POSTAL"), QStringLiteral("POBLACION"), QStringLiteral("PROVINCIA"),
                    QStringLiteral("IDIOMA")});
    CSelectivo = Lista(this, "CSelectivo", {QStringLiteral("NO"), QStringLiteral("SI")});
    CCorreo = Lista(this, "CCorreo",
                    {QStringLiteral("TODOS"), QStringLiteral("CON DIRECCION CORREO ELECTRONICO"),
                     QStringLiteral("SIN DIRECCION CORREO ELECTRONICO")});

    auto* campos = new QFormLayout;
    auto conNombre = [&](const QString& etiqueta, TEditFind2000* codigo, QLabel*& nombre,
                         QString (TDMEtiqueta::*busca)(const QString&)) {
        nombre = new QLabel(this);
        nombre->setObjectName(QStringLiteral("L") + codigo->objectName().mid(1));
        nombre->setMinimumWidth(260);
        auto* fila = new QHBoxLayout;
        fila->addWidget(codigo);
        fila->addWidget(nombre, 1);
        campos->addRow(etiqueta, fila);
        codigo->installEventFilter(this);
        // An empty code leaves the name as it was.
        connect(codigo, &QLineEdit::textChanged, this, [this, nombre, busca](const QString& texto) {
            if (!texto.trimmed().isEmpty())
                nombre->setText((dm_.get()->*busca)(texto));
        });
    };
    conNombre(QStringLiteral("Desde Propietario"), EDesde, LDesde, &TDMEtiqueta::NombrePropietario);
    conNombre(QStringLiteral("Hasta Propietario"), EHasta, LHasta, &TDMEtiqueta::NombrePropietario);
    conNombre(QStringLiteral("Formato etiqueta"), EFormato, LFormato, &TDMEtiqueta::NombreFormato);
    conNombre(QStringLiteral("Idioma"), EIdioma, LIdioma, &TDMEtiqueta::NombreIdioma);
    campos->addRow(QStringLiteral("Ordenado por"), COrden);
    campos->addRow(QStringLiteral("Selectivo"), CSelectivo);
    campos->addRow(QStringLiteral("Correo electrónico"), CCorreo);

    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    BtWord = new QPushButton(QStringLiteral("&Word"), this);
    BtWord->setObjectName(QStringLiteral("BtWord"));
    BtSelectivo = new QPushButton(QStringLiteral("&Selectivo"), this);
    BtSelectivo->setObjectName(QStringLiteral("BtSelectivo"));
    for (QPushButton* b : {BtAceptar, BtWord, BtSelectivo})
        b->setAutoDefault(false);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(BtAceptar);
    botones->addWidget(BtWord);
    botones->addWidget(BtSelectivo);
    auto* capa = new QVBoxLayout(this);
    capa->addLayout(campos);
    capa->addSpacing(8);
    capa->addLayout(botones);
    IconosBotones(this);
    connect(BtAceptar, &QPushButton::clicked, this, [this] { SinErrores([this] { Aceptar(); }); });
    connect(BtWord, &QPushButton::clicked, this, [this] { SinErrores([this] { Word(); }); });
    connect(BtSelectivo, &QPushButton::clicked, this, [this] { SinErrores([this] { Selectivo(); }); });

    EDesde->setText(dm_->PrimerPropietario());
    EHasta->setText(dm_->UltimoPropietario());
    EFormato->setText(dm_->PrimerFormato());
    CentraEnPantalla(this);
}

TFEtiquetas::~TFEtiquetas() = default;

TPeticionEtiquetas TFEtiquetas::Peticion() const
{
    TPeticionEtiquetas p;
    p.Desde = EDesde->text();
    p.Hasta = EHasta->text();
    p.Formato = EFormato->text();
    p.Idioma = EIdioma->text();
    p.Orden = COrden->currentText();
    p.Selectivo = CSelectivo->currentIndex() == 1;
    p.Correo = static_cast<TPeticionEtiquetas::TCorreo>(CCorreo->currentIndex());
    return p;
}

void TFEtiquetas::Aceptar()
{
    const qdr::Document etiquetas = dm_->EtiquetasInforme(Peticion());
    qdr::showPreview(etiquetas, this);
}

void TFEtiquetas::Word()
{
    AbreEnWord(dm_->EtiquetasWord(Peticion()));
}

void TFEtiquetas::Selectivo()
{
    TFSelectivo selectivo(this);
    selectivo.exec();
}

bool TFEtiquetas::eventFilter(QObject* objeto, QEvent* e)
{
    // F2 opens the search of the lookup field being typed in.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_F2 && k->modifiers() == Qt::NoModifier) {
            TeclaBusqueda(static_cast<QWidget*>(objeto), Qt::Key_F2);
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}
