#include "UNombresComunidad.h"
#include "FIBQuery.h"

void TNombresComunidad::Lee(TFIBDatabase* base, TFIBTransaction* transaccion)
{
    TFIBQuery q;
    q.SetDatabase(base);
    q.SetTransaction(transaccion);
    q.SetSQL(QStringLiteral("SELECT CODIGO,NOMBRE FROM SYS_COMUNIDAD ORDER BY CODIGO"));
    q.ExecQuery();
    nombres_.clear();
    while (!q.Eof()) {
        nombres_.insert(q.Fields(0)->AsInteger(), q.Fields(1)->AsString());
        q.Next();
    }
    q.Close();
}

void TNombresComunidad::AnadeCampoNombre(TFIBDataSet& ds, const QString& campo, const QString& etiqueta,
                                         const QString& columna) const
{
    TField* nombre = ds.AddField<TStringField>(campo);
    nombre->Calculated = true;
    nombre->SetDisplayLabel(etiqueta);
    ds.OnCalcFields = [this, campo, columna](TFIBDataSet& d) {
        const TField* codigo = d.FieldByName(columna);
        d.FieldByName(campo)->SetAsString(codigo->IsNull() ? QString() : Nombre(codigo->AsInteger()));
    };
}
