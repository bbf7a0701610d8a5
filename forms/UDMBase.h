#pragma once
// What every screen's data module shares: its own transaction on the main
// database, its main dataset and the data source the screen binds to it.
// Each saved or deleted record is committed at once (retaining, so the screen
// stays open and positioned); closing the screen commits.
#include "DataSource.h"
#include "FIBTableDataSet.h"
#include "UComponentesBusquedaFiltrada.h"

#include <optional>

class TDMBase {
public:
    TDMBase();
    virtual ~TDMBase();
    TDMBase(const TDMBase&) = delete;
    TDMBase& operator=(const TDMBase&) = delete;

    THYTransaction FIBTransaction;

    TFIBTableSet* Principal() const { return principal_; }
    TDataSource* DataSource() { return &dataSource_; }
    // Commits the module's work, keeping the context: every post and delete
    // of the main dataset runs it.
    void graba();

    // The quick search of the main list, when the module declares one.
    bool TieneBusqueda() const { return busqueda_.has_value(); }
    // Filters the main list by the search bar's text (BusquedaRapida with the
    // environment's parameters); an empty text shows the whole list again.
    void Busca(const QString& texto);

protected:
    // A module that works on another database than the program's (a sibling
    // product's, opened by the module): its transaction and main dataset go
    // there. Call before DefinePrincipal.
    void UsaBaseDeDatos(TFIBDatabase& base);
    // Loads the main dataset's definition on the module's database and
    // transaction, ties its post and delete to graba and binds the data
    // source. Call once from the module's constructor, then Abre.
    void DefinePrincipal(TFIBTableSet& ds, const TTableSetDefinition& definicion);
    // Declares the main list's quick search (the screen's search bar).
    void DeclaraBusqueda(const TBusquedaRapida& busqueda) { busqueda_ = busqueda; }
    // Starts the transaction and opens the main dataset.
    void Abre();

private:
    TFIBTableSet* principal_ = nullptr;
    std::optional<TBusquedaRapida> busqueda_;
    TDataSource dataSource_;
};

// Integer keys assigned by the system: before a record whose key is 0 or empty
// is saved, it gets the highest code of the table plus one (1 on an empty
// table), read in the module's transaction; while such a record is being
// inserted its key reads "Alta". A typed code other than 0 stays.
void AsignaCodigoAutomatico(TFIBTableSet& ds, const QString& campo, const QString& tabla);
