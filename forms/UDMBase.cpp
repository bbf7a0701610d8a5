#include "UDMBase.h"
#include "FIBQuery.h"
#include "UDMMain.h"

#include <memory>

TDMBase::TDMBase()
{
    FIBTransaction.LoadDefinition(&DMMain->DataBase);
}

TDMBase::~TDMBase()
{
    // The module's datasets are gone by now (they close as they go).
    try {
        if (FIBTransaction.Active())
            FIBTransaction.Commit();
    } catch (const EFIBError&) {
        // Every post and delete was committed when it was made; nothing the
        // user saved is left in this transaction.
    }
}

void TDMBase::graba()
{
    FIBTransaction.CommitRetaining();
}

void TDMBase::Busca(const QString& texto)
{
    if (!busqueda_ || !principal_)
        return;
    BusquedaRapida(texto, *principal_, *busqueda_, [](TFIBDataSet& d, const QString& flags, bool abrir) {
        DMMain->AsignarParametrosEntorno(d, flags, abrir);
    });
}

void TDMBase::UsaBaseDeDatos(TFIBDatabase& base)
{
    FIBTransaction.LoadDefinition(&base);
}

void TDMBase::DefinePrincipal(TFIBTableSet& ds, const TTableSetDefinition& definicion)
{
    principal_ = &ds;
    ds.SetDatabase(FIBTransaction.DefaultDatabase());
    ds.SetTransaction(&FIBTransaction);
    ds.LoadDefinition(definicion);
    ds.AfterPost = [this](TFIBDataSet&) { graba(); };
    ds.AfterDelete = [this](TFIBDataSet&) { graba(); };
    dataSource_.SetDataSet(&ds);
}

void TDMBase::Abre()
{
    FIBTransaction.StartTransaction();
    principal_->Open();
}

void AsignaCodigoAutomatico(TFIBTableSet& ds, const QString& campo, const QString& tabla)
{
    TField* clave = ds.FieldByName(campo);
    clave->OnGetText = [&ds](TField& f, QString& texto, bool mostrar) {
        const bool nuevo = ds.State() == TDataSetState::dsInsert && (f.IsNull() || f.AsInteger() == 0);
        // The edit text is empty so that a typed code replaces nothing.
        texto = nuevo ? (mostrar ? QStringLiteral("Alta") : QString()) : f.AsString();
    };
    // Whether the code of the record being saved was given here: when the
    // save fails (another seat took that code in the meantime), the code goes
    // back to 0 so that the next save reads the highest code again.
    auto dado = std::make_shared<bool>(false);
    auto antes = ds.BeforePost;
    ds.BeforePost = [antes, campo, tabla, dado](TFIBDataSet& d) {
        if (antes)
            antes(d);
        TField* f = d.FieldByName(campo);
        *dado = false;
        if (!f->IsNull() && f->AsInteger() != 0)
            return;
        TFIBQuery q;
        q.SetDatabase(d.Database());
        q.SetTransaction(d.Transaction());
        q.SetSQL(QStringLiteral("SELECT MAX(%1) %1 FROM %2").arg(campo, tabla));
        q.ExecQuery();
        TFIBColumn* maximo = q.Fields(0);
        f->SetAsInteger(maximo->IsNull() ? 1 : maximo->AsInteger() + 1);
        *dado = true;
    };
    auto error = ds.OnPostError;
    ds.OnPostError = [error, campo, dado](TFIBDataSet& d, const EFIBError& e, TDataAction& accion) {
        if (*dado && d.State() == TDataSetState::dsInsert)
            d.FieldByName(campo)->SetAsInteger(0);
        *dado = false;
        if (error)
            error(d, e, accion);
    };
}
