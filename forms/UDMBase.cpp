#include "UDMBase.h"
#include "FIBQuery.h"
#include "UDMMain.h"

#include <algorithm>
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
    // Whether the code of the record being saved was given here, and how
    // many codes this save has tried. When another seat takes the code first
    // (it inserts the same highest plus one at the same moment), the next
    // code is tried: the user left the code to the system, so the save goes
    // on rather than asking for another code.
    struct TAsignado {
        bool dado = false;
        int intentos = 0;
    };
    auto asignado = std::make_shared<TAsignado>();
    const auto siguiente = [campo, tabla](TFIBDataSet& d) {
        TFIBQuery q;
        q.SetDatabase(d.Database());
        q.SetTransaction(d.Transaction());
        q.SetSQL(QStringLiteral("SELECT MAX(%1) %1 FROM %2").arg(campo, tabla));
        q.ExecQuery();
        TFIBColumn* maximo = q.Fields(0);
        return maximo->IsNull() ? qint64(1) : maximo->AsInteger() + 1;
    };
    auto antes = ds.BeforePost;
    ds.BeforePost = [antes, campo, asignado, siguiente](TFIBDataSet& d) {
        if (antes)
            antes(d);
        TField* f = d.FieldByName(campo);
        *asignado = {};
        if (!f->IsNull() && f->AsInteger() != 0)
            return;
        f->SetAsInteger(siguiente(d));
        asignado->dado = true;
    };
    auto error = ds.OnPostError;
    ds.OnPostError = [error, campo, asignado, siguiente](TFIBDataSet& d, const EFIBError& e, TDataAction& accion) {
        const bool dado = asignado->dado && d.State() == TDataSetState::dsInsert;
        if (dado && e.KeyTaken()) {
            // Seats adding rows at once each move past the codes the others
            // are writing; past the bound, something else holds the table.
            constexpr int kIntentos = 200;
            if (++asignado->intentos <= kIntentos) {
                TField* f = d.FieldByName(campo);
                f->SetAsInteger(std::max(siguiente(d), f->AsInteger() + 1));
                accion = TDataAction::daRetry;
                return;
            }
            d.FieldByName(campo)->SetAsInteger(0);
            *asignado = {};
            throw EAviso(QStringLiteral("No se ha podido dar un código libre: otros puestos están dando de alta a la "
                                        "vez. Vuelva a grabar.\r") +
                         e.Message());
        }
        // When the save fails otherwise, the code goes back to 0 so that the
        // next save reads the highest code again.
        if (dado)
            d.FieldByName(campo)->SetAsInteger(0);
        *asignado = {};
        if (error)
            error(d, e, accion);
    };
}
