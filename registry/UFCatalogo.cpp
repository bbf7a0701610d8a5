#include "UFCatalogo.h"
#include "UDBControles.h"

TDMCatalogo::TDMCatalogo(const TDescripcionCatalogo& d) : d_(d)
{
    const QString clave = QString::fromLatin1(d.clave);
    const QString tabla = QString::fromLatin1(d.tabla);
    const TSentenciasGeneradas g = SentenciasGeneradas(tabla, {QStringLiteral("NOMBRE"), clave}, {clave});
    DefinePrincipal(QTabla, {.Name = QString::fromLatin1(d.dataset),
                             .TableName = tabla,
                             .SelectSQL = d.select,
                             .InsertSQL = g.Insert,
                             .UpdateSQL = g.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QTabla.AddField<TStringField>(QStringLiteral("NOMBRE"))->SetDisplayLabel(QString::fromUtf8(d.etiquetaNombre));
    TField* codigo = d.claveTexto ? static_cast<TField*>(QTabla.AddField<TStringField>(clave))
                                  : static_cast<TField*>(QTabla.AddField<TIntegerField>(clave));
    codigo->SetDisplayLabel(QStringLiteral("Código"));
    if (!d.claveTexto)
        AsignaCodigoAutomatico(QTabla, clave, tabla);
    DeclaraBusqueda({clave, QStringLiteral("NOMBRE"), QStringLiteral("00000")});
    Abre();
}

TFCatalogo::TFCatalogo(const TDescripcionCatalogo& d, std::unique_ptr<TDMCatalogo> dm)
    : TFBase(d.numeroFormulario), dm_(std::move(dm))
{
    setObjectName(QString::fromLatin1(d.clase).mid(1));
    setWindowTitle(QString::fromUtf8(d.titulo));
    Conecta(*dm_);
    DBECodigo = CampoTexto(QStringLiteral("Código"), QString::fromLatin1(d.clave), d.digitosClave);
    DBECodigo->MaxLength = d.digitosClave;
    DBENombre = CampoTexto(QString::fromUtf8(d.etiquetaNombre), QStringLiteral("NOMBRE"), 40);
    HYMNavigator1->SetEditaControl(DBENombre);
    HYMNavigator1->SetInsertaControl(DBECodigo);
    const QString clave = QString::fromLatin1(d.clave);
    HYTDBGrid1->SetColumnas({clave, QStringLiteral("NOMBRE")});
    HYTDBGrid1->SetCamposAOrdenar({clave, QStringLiteral("NOMBRE")});
}

TFCatalogo::~TFCatalogo() = default;
