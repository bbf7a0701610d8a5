#include "UFComunidad.h"
#include "FIBError.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UFImporta.h"

#include <QDate>
#include <QToolBar>
#include <QToolButton>

namespace {
const QStringList kColumnas{QStringLiteral("CODIGO"),     QStringLiteral("NOMBRE"),     QStringLiteral("DOMICILIO"),
                            QStringLiteral("COD_POSTAL"), QStringLiteral("POBLACION"),  QStringLiteral("PROVINCIA"),
                            QStringLiteral("TELEFONO"),   QStringLiteral("EJERCICIO"),  QStringLiteral("MES_INICIO"),
                            QStringLiteral("MES_CIERRE"), QStringLiteral("REFERENCIAS"), QStringLiteral("PRESIDENTE"),
                            QStringLiteral("TEL_PRESIDENTE")};
} // namespace

TDMComunidad::TDMComunidad()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(QStringLiteral("SYS_COMUNIDAD"), kColumnas, {QStringLiteral("CODIGO")});
    DefinePrincipal(QComunidad, {.Name = QStringLiteral("QComunidad"),
                                 .TableName = QStringLiteral("SYS_COMUNIDAD"),
                                 .SelectSQL = {QStringLiteral("SELECT * FROM SYS_COMUNIDAD"), QStringLiteral("ORDER BY CODIGO")},
                                 .InsertSQL = g.Insert,
                                 .UpdateSQL = g.Update,
                                 .DeleteSQL = g.Delete,
                                 .RefreshSQL = g.Refresh,
                                 .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    SpGen.SetDatabase(&DMMain->DataBase);
    SpGen.SetTransaction(&FIBTransaction);
    const std::pair<const char*, const char*> etiquetas[] = {
        {"CODIGO", "Código"},         {"NOMBRE", "Nombre"},         {"DOMICILIO", "Domicilio"},
        {"COD_POSTAL", "Código Postal"}, {"POBLACION", "Población"}, {"PROVINCIA", "Provincia"},
        {"TELEFONO", "Teléfono"},     {"EJERCICIO", "Ejercicio"},   {"REFERENCIAS", "Contador escritos enviados"},
        {"PRESIDENTE", "Presidente"}, {"TEL_PRESIDENTE", "Teléfono presidente"},
        {"MES_INICIO", ""},           {"MES_CIERRE", ""}};
    for (const auto& [campo, etiqueta] : etiquetas) {
        const QString nombre = QString::fromLatin1(campo);
        const bool entero = nombre == QLatin1String("CODIGO") || nombre == QLatin1String("EJERCICIO") ||
                            nombre.startsWith(QLatin1String("MES_")) || nombre == QLatin1String("REFERENCIAS");
        TField* f = entero ? static_cast<TField*>(QComunidad.AddField<TIntegerField>(nombre))
                           : static_cast<TField*>(QComunidad.AddField<TStringField>(nombre));
        if (*etiqueta)
            f->SetDisplayLabel(QString::fromUtf8(etiqueta));
    }
    // Communities are carried as 16-bit codes.
    QComunidad.FieldByName(QStringLiteral("CODIGO"))->OnValidate = [](TField& f) {
        if (!f.IsNull() && (f.AsInteger() < 0 || f.AsInteger() > 32767))
            throw EAviso(QStringLiteral("El código de una comunidad va de 1 a 32767."));
    };
    QComunidad.OnNewRecord = [](TFIBDataSet& ds) {
        ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(0);
        ds.FieldByName(QStringLiteral("EJERCICIO"))->SetAsInteger(QDate::currentDate().year());
        ds.FieldByName(QStringLiteral("MES_INICIO"))->SetAsInteger(1);
        ds.FieldByName(QStringLiteral("MES_CIERRE"))->SetAsInteger(12);
    };
    // The financial year and the import rely on the months; a community is
    // found by its name.
    QComunidad.BeforePost = [](TFIBDataSet& ds) {
        if (ds.FieldByName(QStringLiteral("NOMBRE"))->AsString().trimmed().isEmpty())
            throw EAviso(QStringLiteral("Escriba el nombre de la comunidad."));
        for (const char* campo : {"MES_INICIO", "MES_CIERRE"}) {
            const TField* mes = ds.FieldByName(QString::fromLatin1(campo));
            if (mes->IsNull() || mes->AsInteger() < 1 || mes->AsInteger() > 12)
                throw EAviso(QStringLiteral("El mes de inicio y el de cierre del ejercicio deben estar entre 1 y 12."));
        }
    };
    AsignaCodigoAutomatico(QComunidad, QStringLiteral("CODIGO"), QStringLiteral("SYS_COMUNIDAD"));
    // The community everything is being done in cannot go.
    QComunidad.BeforeDelete = [](TFIBDataSet& ds) {
        if (ds.FieldByName(QStringLiteral("CODIGO"))->AsInteger() == Entorno.Comunidad)
            throw EAviso(QStringLiteral("No puede borrar la comunidad que tiene seleccionada"));
    };
    DeclaraBusqueda({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("00000")});
    Abre();
}

TFComunidad::TFComunidad() : TFBase(0), dm_(std::make_unique<TDMComunidad>())
{
    setObjectName(QStringLiteral("FComunidad"));
    setWindowTitle(QStringLiteral("Mantenimiento Comunidades"));
    Conecta(*dm_);
    DBECodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("CODIGO"), 5);
    DBECodigo->MaxLength = 5;
    DBENombre = CampoTexto(QStringLiteral("Nombre"), QStringLiteral("NOMBRE"), 40);
    CampoTexto(QStringLiteral("Domicilio"), QStringLiteral("DOMICILIO"), 60);
    CampoTexto(QStringLiteral("Código Postal"), QStringLiteral("COD_POSTAL"), 10);
    CampoTexto(QStringLiteral("Población"), QStringLiteral("POBLACION"), 30);
    CampoTexto(QStringLiteral("Provincia"), QStringLiteral("PROVINCIA"), 30);
    CampoTexto(QStringLiteral("Teléfono"), QStringLiteral("TELEFONO"), 15);
    CampoTexto(QStringLiteral("Presidente"), QStringLiteral("PRESIDENTE"), 40);
    CampoTexto(QStringLiteral("Teléfono presidente"), QStringLiteral("TEL_PRESIDENTE"), 15);
    CampoTexto(QStringLiteral("Último ejercicio"), QStringLiteral("EJERCICIO"), 4)->MaxLength = 4;
    CampoTexto(QStringLiteral("Mes inicio"), QStringLiteral("MES_INICIO"), 2)->MaxLength = 2;
    CampoTexto(QStringLiteral("Mes cierre"), QStringLiteral("MES_CIERRE"), 2)->MaxLength = 2;
    HYMNavigator1->SetEditaControl(DBENombre);
    HYMNavigator1->SetInsertaControl(DBECodigo);
    HYTDBGrid1->SetColumnas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("EJERCICIO")});
    HYTDBGrid1->SetCamposAOrdenar({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});

    TbImporta = new QToolButton;
    TbImporta->setObjectName(QStringLiteral("TbImporta"));
    TbImporta->setToolTip(QStringLiteral("Importar comunidades desde Taldemar"));
    TbImporta->setIcon(IconoImporta());
    ToolBar1->addSeparator();
    ToolBar1->addWidget(TbImporta);
    connect(TbImporta, &QToolButton::clicked, this, [this] {
        // While a record is edited the navigator locks this button: closing
        // the list cannot throw away a record being typed.
        TFIBTableSet& q = dm_->QComunidad;
        q.Close();
        {
            TFImporta importa(TModoImporta::Comunidades, true, this);
            importa.exec();
        }
        q.Open();
    });
}

TFComunidad::~TFComunidad() = default;
