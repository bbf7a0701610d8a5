#include "UFParametros.h"
#include "FIBError.h"
#include "UDBControles.h"

#include <QGroupBox>

bool HoraValida(const QString& hora)
{
    if (hora.trimmed().isEmpty())
        return true;
    if (hora.size() != 5 || hora[2] != QLatin1Char(':'))
        return false;
    for (int i : {0, 1, 3, 4})
        if (!hora[i].isDigit() || hora[i].unicode() > '9')
            return false;
    // Hours 24 to 29 are no time of the day either.
    return hora.left(2).toInt() <= 23 && hora[3] <= QLatin1Char('5');
}

TDMParametros::TDMParametros()
{
    QStringList columnas{QStringLiteral("CODIGO"),        QStringLiteral("HOST"),         QStringLiteral("USUARIO"),
                         QStringLiteral("CLAVE"),         QStringLiteral("DIRECTORIO"),   QStringLiteral("PUERTO"),
                         QStringLiteral("PAGINA"),        QStringLiteral("DEVOLUCION"),   QStringLiteral("ANTICIPO"),
                         QStringLiteral("COBRADO"),       QStringLiteral("CARTAC"),       QStringLiteral("CARTAD"),
                         QStringLiteral("CARTADE"),       QStringLiteral("CUENTANTICIPO"), QStringLiteral("GENERARAVISOS"),
                         QStringLiteral("SOPORTE"),       QStringLiteral("IMAGENES"),     QStringLiteral("ANTICIPOS"),
                         QStringLiteral("ASIENTODOMI"),   QStringLiteral("SALIR"),        QStringLiteral("ASIENTOSAUTO"),
                         QStringLiteral("AVISOGASTOS")};
    const QStringList clave{QStringLiteral("CODIGO")};
    const TSentenciasGeneradas g = SentenciasGeneradas(QStringLiteral("SYS_PARAMETROS"), columnas, clave);
    // IMAGENES is written back by the update only; a new row leaves it empty.
    columnas.removeAll(QStringLiteral("IMAGENES"));
    const TSentenciasGeneradas sinImagenes = SentenciasGeneradas(QStringLiteral("SYS_PARAMETROS"), columnas, clave);
    DefinePrincipal(QParametros, {.Name = QStringLiteral("QParametros"),
                                  .TableName = QStringLiteral("SYS_PARAMETROS"),
                                  .SelectSQL = {QStringLiteral("SELECT * FROM SYS_PARAMETROS")},
                                  .InsertSQL = sinImagenes.Insert,
                                  .UpdateSQL = g.Update,
                                  .DeleteSQL = g.Delete,
                                  .RefreshSQL = g.Refresh,
                                  .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QParametros.AddField<TStringField>(QStringLiteral("ASIENTOSAUTO"))->OnValidate = [](TField& f) {
        if (!HoraValida(f.AsString()))
            throw EAviso(QStringLiteral("Hora no válida"));
    };
    // "Modificar" on an empty table starts the one row, numbered 0.
    QParametros.OnNewRecord = [](TFIBDataSet& ds) { ds.FieldByName(QStringLiteral("CODIGO"))->SetAsInteger(0); };
    Abre();
}

TFParametros::TFParametros() : TFBase(116, {481, 316}), dm_(std::make_unique<TDMParametros>())
{
    setObjectName(QStringLiteral("FParametros"));
    setWindowTitle(QStringLiteral("Parametros generales"));
    Conecta(*dm_);
    auto* internet = new QGroupBox(QStringLiteral("Internet"), PEdit);
    auto* campos = new QFormLayout(internet);
    campos->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    TDBEdit* host = CampoTexto(QStringLiteral("Host"), QStringLiteral("HOST"), 40, campos);
    CampoTexto(QStringLiteral("Nombre del usuario"), QStringLiteral("USUARIO"), 40, campos);
    TDBEdit* clave = CampoTexto(QStringLiteral("Clave del usuario"), QStringLiteral("CLAVE"), 20, campos);
    MascaraClave(clave);
    CampoTexto(QStringLiteral("Página de inicio"), QStringLiteral("PAGINA"), 40, campos);
    CampoTexto(QStringLiteral("Directorio"), QStringLiteral("DIRECTORIO"), 40, campos);
    CampoTexto(QStringLiteral("Puerto"), QStringLiteral("PUERTO"), 6, campos);
    AnadeCampo(QString(), internet);
    HYMNavigator1->SetVisibleButtons({TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,
                                      TNavigateBtn::nbLast, TNavigateBtn::nbEdit, TNavigateBtn::nbPost,
                                      TNavigateBtn::nbCancel});
    HYMNavigator1->SetEditaControl(host);
    HYTDBGrid1->SetColumnas({QStringLiteral("HOST"), QStringLiteral("USUARIO"), QStringLiteral("DIRECTORIO")});
}

TFParametros::~TFParametros() = default;
