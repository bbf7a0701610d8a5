#include "UFAdministrador.h"
#include "UDBControles.h"

TDMAdministrador::TDMAdministrador()
{
    const TSentenciasGeneradas g = SentenciasGeneradas(
        QStringLiteral("ADMINISTRADOR"),
        {QStringLiteral("CODIGO"), QStringLiteral("EMPRESA"), QStringLiteral("PERSONA"), QStringLiteral("DOMICILIO"),
         QStringLiteral("POBLACION"), QStringLiteral("PROVINCIA"), QStringLiteral("TELEFONO"), QStringLiteral("FAX"),
         QStringLiteral("MOVIL"), QStringLiteral("E_MAIL"), QStringLiteral("CIF"), QStringLiteral("CAMINO")},
        {QStringLiteral("CODIGO")});
    DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                             .TableName = QStringLiteral("ADMINISTRADOR"),
                             .SelectSQL = {QStringLiteral("SELECT * FROM ADMINISTRADOR")},
                             .InsertSQL = g.Insert,
                             .UpdateSQL = g.Update,
                             .DeleteSQL = g.Delete,
                             .RefreshSQL = g.Refresh,
                             .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    // "Modificar" on an empty table starts the one row, numbered 0.
    QTabla.OnNewRecord = [](TFIBDataSet& ds) { ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(0); };
    Abre();
}

TFAdministrador::TFAdministrador() : TFBase(0), dm_(std::make_unique<TDMAdministrador>())
{
    setObjectName(QStringLiteral("FAdministrador"));
    setWindowTitle(QStringLiteral("Datos Administrador"));
    Conecta(*dm_);
    TDBEdit* empresa = CampoTexto(QStringLiteral("Empresa"), QStringLiteral("EMPRESA"), 60);
    CampoTexto(QStringLiteral("Administrador"), QStringLiteral("PERSONA"), 35);
    CampoTexto(QStringLiteral("Domicilio"), QStringLiteral("DOMICILIO"), 35);
    CampoTexto(QStringLiteral("Población"), QStringLiteral("POBLACION"), 30);
    CampoTexto(QStringLiteral("Provincia"), QStringLiteral("PROVINCIA"), 20);
    CampoTexto(QStringLiteral("Teléfono"), QStringLiteral("TELEFONO"), 15);
    CampoTexto(QStringLiteral("FAX"), QStringLiteral("FAX"), 15);
    CampoTexto(QStringLiteral("Movil"), QStringLiteral("MOVIL"), 15);
    CampoTexto(QStringLiteral("E_MAIL"), QStringLiteral("E_MAIL"), 30);
    CampoTexto(QStringLiteral("N.I.F."), QStringLiteral("CIF"), 15);
    HYMNavigator1->SetVisibleButtons({TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,
                                      TNavigateBtn::nbLast, TNavigateBtn::nbEdit, TNavigateBtn::nbPost,
                                      TNavigateBtn::nbCancel, TNavigateBtn::nbRefresh});
    HYMNavigator1->SetEditaControl(empresa);
    HYMNavigator1->SetInsertaControl(empresa);
    HYTDBGrid1->SetColumnas({QStringLiteral("EMPRESA"), QStringLiteral("PERSONA")});
}

TFAdministrador::~TFAdministrador() = default;
