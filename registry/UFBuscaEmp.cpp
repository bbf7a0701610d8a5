#include "UFBuscaEmp.h"
#include "UAplicacion.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UDMMain.h"
#include "UFormGest.h"
#include "UDialogos.h"
#include "URecursos.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QStringList kSelect{QStringLiteral("select codigo,nombre from sys_comunidad"), QStringLiteral("order by codigo")};
} // namespace

TFBuscaEmp::TFBuscaEmp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FBuscaEmp"));
    setWindowTitle(QStringLiteral("Selección de comunidad"));
    auto* capas = new QVBoxLayout(this);
    auto* busca = new QHBoxLayout;
    auto* etiqueta = new QLabel(QStringLiteral("Buscar"));
    cNombre = new QLineEdit;
    cNombre->setObjectName(QStringLiteral("cNombre"));
    etiqueta->setBuddy(cNombre);
    busca->addWidget(etiqueta);
    busca->addWidget(cNombre, 1);
    capas->addLayout(busca);
    DbGridEmp = new THYTDBGrid;
    DbGridEmp->setObjectName(QStringLiteral("DbGridEmp"));
    DbGridEmp->setTabKeyNavigation(false); // Tab leaves the list
    capas->addWidget(DbGridEmp, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"));
    BtCancelar = new QPushButton(QStringLiteral("&Cancelar"));
    // Enter is the window's own: it searches or does nothing.
    for (QPushButton* b : {BtAceptar, BtCancelar}) {
        b->setAutoDefault(false);
        botones->addWidget(b);
    }
    capas->addLayout(botones);
    connect(BtAceptar, &QPushButton::clicked, this, &TFBuscaEmp::Acepta);
    connect(BtCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(DbGridEmp, &QAbstractItemView::doubleClicked, this, [this] {
        if (!FIBEmpresas.IsEmpty())
            Acepta();
    });

    Transaccion.LoadDefinition(&DMMain->DataBase);
    FIBEmpresas.Name = QStringLiteral("FIBEmpresas");
    FIBEmpresas.SetDatabase(&DMMain->DataBase);
    FIBEmpresas.SetTransaction(&Transaccion);
    FIBEmpresas.LoadDefinition({.Name = QStringLiteral("FIBEmpresas"),
                                .TableName = QStringLiteral("SYS_COMUNIDAD"),
                                .SelectSQL = kSelect,
                                .RefreshSQL = {QStringLiteral("SELECT"), QStringLiteral("  *"),
                                               QStringLiteral("FROM SYS_COMUNIDAD"), QStringLiteral("WHERE"),
                                               QStringLiteral("  CODIGO=?CODIGO ")}});
    FIBEmpresas.AddField<TIntegerField>(QStringLiteral("CODIGO"))->SetDisplayLabel(QStringLiteral("Código"));
    FIBEmpresas.AddField<TStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QStringLiteral("Nombre"));
    ds_.SetDataSet(&FIBEmpresas);
    DbGridEmp->SetDataSource(&ds_);
    DbGridEmp->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    DbGridEmp->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    Transaccion.StartTransaction();
    FIBEmpresas.Open();

    // The window sees every key first.
    for (QWidget* w : {static_cast<QWidget*>(cNombre), static_cast<QWidget*>(DbGridEmp),
                       static_cast<QWidget*>(BtAceptar), static_cast<QWidget*>(BtCancelar)})
        w->installEventFilter(this);
    DbGridEmp->horizontalHeader()->setStretchLastSection(true);
    setMinimumSize(540, 400);
    cNombre->setFocus();
}

TFBuscaEmp::~TFBuscaEmp()
{
    FIBEmpresas.Close();
    if (Transaccion.Active())
        Transaccion.Commit();
}

void TFBuscaEmp::Acepta()
{
    TElegida elegida;
    if (FIBEmpresas.Active() && !FIBEmpresas.IsEmpty()) {
        elegida.Codigo = static_cast<qint16>(FIBEmpresas.FieldByName(QStringLiteral("CODIGO"))->AsInteger());
        elegida.Nombre = FIBEmpresas.FieldByName(QStringLiteral("NOMBRE"))->AsString();
    }
    elegida_ = elegida;
    accept();
}

void TFBuscaEmp::Busca()
{
    const QString texto = cNombre->text();
    QStringList sql;
    int codigo = 0;
    const bool porCodigo = !texto.isEmpty() && texto[0] >= QLatin1Char('0') && texto[0] <= QLatin1Char('9');
    if (porCodigo) {
        bool ok = false;
        codigo = texto.trimmed().toInt(&ok);
        // A text such as "12a" is no code: said before the list changes.
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(texto));
        sql << QStringLiteral("select codigo,nombre from sys_comunidad where codigo = ?codigo");
    } else {
        sql << QStringLiteral("select codigo,nombre from sys_comunidad where ") +
                   CondicionNombre(QStringLiteral("nombre"), LiteralSQL(texto));
    }
    FIBEmpresas.Close();
    FIBEmpresas.SetSelectSQL(sql);
    if (porCodigo)
        FIBEmpresas.ParamByName(QStringLiteral("codigo"))->SetAsInteger(codigo);
    FIBEmpresas.Open();
}

bool TFBuscaEmp::eventFilter(QObject* objeto, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(e)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            if (objeto == cNombre) {
                if (cNombre->text() == QLatin1String("0"))
                    Acepta();
                else
                    SinErrores([this] { Busca(); });
            }
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}

void SeleccionaComunidad(QAction* orden)
{
    if (VentanasAbiertas() > 0)
        throw EAviso(QStringLiteral("Cierre todas las ventanas antes de cambiar de comunidad"));
    CierraVentanas();
    TFBuscaEmp dialogo(orden ? qobject_cast<QWidget*>(orden->parent()) : nullptr);
    CentraEnPantalla(&dialogo);
    dialogo.exec();
    if (const auto elegida = dialogo.Elegida())
        DMMain->ComunidadRecordada = {elegida->Codigo, elegida->Nombre};
    if (dialogo.cNombre->text() == QLatin1String("0"))
        DMMain->CambiaComunidad(0, QStringLiteral("Comunidad general"));
    else
        DMMain->CambiaComunidad(DMMain->ComunidadRecordada.Codigo, DMMain->ComunidadRecordada.Nombre);
}
