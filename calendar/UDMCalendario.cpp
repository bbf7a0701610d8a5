#include "UDMCalendario.h"
#include "UAplicacion.h"
#include "FIBError.h"
#include "UDMMain.h"

TDMCalendario::TDMCalendario(TLibroCitas libro) : libro_(libro)
{
    TFIBDatabase* base = &DMMain->DataBase;
    if (libro_ == TLibroCitas::Halvenbook) {
        const QString camino = CaminoHalvenbook(QStringLiteral("ERROR"));
        if (camino == QLatin1String("ERROR"))
            throw EAviso(QStringLiteral("No se puede conectar con Halvenbook 1"));
        PreparaHalvenbook(DBHalvenbook, camino);
        try {
            DBHalvenbook.Open();
        } catch (const EFIBError& e) {
            throw EAviso(QStringLiteral("No se puede conectar con Halvenbook 2\r\r") + TextoError(e));
        }
        base = &DBHalvenbook;
        UsaBaseDeDatos(DBHalvenbook);
    }
    DefinePrincipal(QCalendario,
                    {.Name = QStringLiteral("QCalendario"),
                     .TableName = QStringLiteral("CALENDARIO"),
                     .SelectSQL = {QStringLiteral("SELECT * FROM CALENDARIO WHERE FECHA=?FECHA AND USUARIO=?USUARIO ORDER BY FECHA,HORA")},
                     .UpdateSQL = {QStringLiteral("UPDATE CALENDARIO SET HORA2=?HORA2 ,TEXTO=?TEXTO ,LLAMADA=?LLAMADA "
                                                  "WHERE HORA=?HORA AND FECHA=?FECHA AND USUARIO=?USUARIO")},
                     .RefreshSQL = {QStringLiteral("SELECT * FROM CALENDARIO WHERE HORA=?HORA AND FECHA=?FECHA AND USUARIO=?USUARIO")},
                     .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
    QCalendario.AddField<TIntegerField>(QStringLiteral("HORA2"))->SetDisplayLabel(QStringLiteral("Hora"));
    QCalendario.AddField<TStringField>(QStringLiteral("TEXTO"))->SetDisplayLabel(QStringLiteral("Texto"));
    // Hour 0 is no hour.
    QCalendario.FieldByName(QStringLiteral("HORA2"))->OnGetText = [](TField& f, QString& texto, bool) {
        texto = f.IsNull() || f.AsInteger() == 0 ? QString() : f.AsString();
    };
    // A slot left blank is free again: no call of the other product stays linked to it.
    QCalendario.BeforePost = [](TFIBDataSet& ds) {
        if (ds.FieldByName(QStringLiteral("TEXTO"))->AsString().trimmed().isEmpty())
            ds.FieldByName(QStringLiteral("LLAMADA"))->SetAsInteger(0);
    };
    for (TFIBQuery* q : {&QCuenta, &SpCrea}) {
        q->SetDatabase(base);
        q->SetTransaction(&FIBTransaction);
    }
    QCuenta.SetSQL(QStringLiteral("SELECT COUNT(*) n FROM CALENDARIO WHERE FECHA=?FECHA  AND USUARIO=?USUARIO"));
    SpCrea.SetSQL(QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?FECHA,?USUARIO)"));
    FIBTransaction.StartTransaction();
}

TDMCalendario::~TDMCalendario()
{
    // The slots close and the transaction commits before the other
    // product's connection goes.
    QCalendario.Close();
    try {
        if (FIBTransaction.Active())
            FIBTransaction.Commit();
    } catch (const EFIBError&) {
        // Every change was committed when it was saved.
    }
}

void TDMCalendario::MuestraDia(const QDate& fecha, int usuario)
{
    const QDateTime dia(fecha, QTime(0, 0));
    QCuenta.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(dia);
    QCuenta.ParamByName(QStringLiteral("USUARIO"))->SetAsInteger(usuario);
    QCuenta.ExecQuery();
    const bool vacio = QCuenta.Fields(0)->AsInteger() == 0;
    QCuenta.Close();
    if (vacio) {
        SpCrea.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(dia);
        SpCrea.ParamByName(QStringLiteral("USUARIO"))->SetAsInteger(usuario);
        SpCrea.ExecQuery();
        SpCrea.Close();
        graba();
    }
    fecha_ = fecha;
    usuario_ = usuario;
    QCalendario.Close();
    QCalendario.ParamByName(QStringLiteral("FECHA"))->SetAsDateTime(dia);
    QCalendario.ParamByName(QStringLiteral("USUARIO"))->SetAsInteger(usuario);
    QCalendario.Open();
}

QStringList UsuariosCalendario()
{
    TFIBQuery& q = DMMain->QGen;
    q.SetSQL(QStringLiteral("SELECT CODIGO,NOMBRE FROM SYS_USUARIO ORDER BY NOMBRE"));
    q.ExecQuery();
    QStringList entradas;
    while (!q.Eof()) {
        entradas << q.FieldByName(QStringLiteral("NOMBRE"))->AsString().leftJustified(15, QLatin1Char(' ')) +
                        QLatin1Char('-') + q.FieldByName(QStringLiteral("CODIGO"))->AsString();
        q.Next();
    }
    q.Close();
    return entradas;
}

int CodigoDeUsuario(const QString& entrada)
{
    return entrada.mid(16).trimmed().toInt();
}
