#pragma once
// "Creación de listados": the user's own listings, each an SQL statement, a
// designed report and a grid of conditions that become the statement's WHERE
// and ORDER BY clauses on every run. The supplied listings (codes 9000 and
// above) run through the same data module (ListadoPredefinido, UListados.h).
#include "ReportDocument.h"
#include "UDMBase.h"
#include "UFBase.h"
#include "UListados.h"

#include <memory>
#include <optional>
#include <vector>

class QPushButton;
class TDBEdit;
class TDBMemo;
class TDBText;
class QStyledItemDelegate;
namespace qdr {
class ReportData;
class TFIBReportSource;
} // namespace qdr

class TDMFListados : public TDMBase {
public:
    TDMFListados();
    ~TDMFListados() override;

    // Read-only: the listing's data is read in it, so that nothing a listing
    // holds can change a row. Before the datasets, which go first.
    TFIBTransaction TLectura;
    TFIBTableSet QTabla;       // the listings
    TFIBTableSet QCondiciones; // the current listing's conditions
    TDataSource DsCondiciones;
    TFIBDataSet QCampos;       // the listing's data: the master statement
    TDataSource DsCampos;
    TFIBDataSet QDetalle;      // the detail statement, linked to QCampos
    TFIBDataSet QAdministrador;
    TFIBDataSet QComunidad;    // the current community's row

    // The current listing's SQL, and whether it holds two statements.
    QString SQL() const;
    bool DosConjuntos() const { return SQL().contains(u';'); }

    // What the conditions grid offers for the current listing: its data's
    // columns of the types a condition compares ("C", "N", "F" before each
    // name in Tipos), from the detail when `tabla` first occurs in the SQL
    // after the ";", and the two tables of a two-dataset listing.
    struct TOfertas {
        QStringList Campos;
        QStringList Tipos;
        QStringList Tablas;
    };
    TOfertas Ofertas;
    // Reads them again for a condition of table `tabla`: the datasets are
    // opened with the listing's SQL and closed again.
    void RefrescaOfertas(const QString& tabla);

    // The stored conditions of the current listing, in their order.
    QList<TCondicion> Condiciones();

    // Runs the current listing with `condiciones` (the stored ones when
    // none are given): exported to `destino`, or laid out for the preview
    // without a target. EAviso "Debe primero confeccionar el listado." when
    // it has no format yet. A condition being edited is saved first.
    std::optional<qdr::Document> EjecutaListado(const QString& destino,
                                                const std::optional<QList<TCondicion>>& condiciones = std::nullopt);

    // The listing's datasets with their statements, opened (conditions
    // applied when given) and offered to the engine by name; CierraDatos
    // closes them.
    // The statement must be one SELECT (two, master and detail, separated by
    // ";"), as the engine prepares it; conditions may only name columns of
    // the statement or of its table. EAviso otherwise.
    void AbreDatos(const std::optional<QList<TCondicion>>& condiciones);
    // The check AbreDatos makes of a listing's SQL, for one being imported.
    void CompruebaSentencia(const QString& sql);
    void CierraDatos();
    const qdr::ReportData& Datos() const { return *datos_; }

    // Replaces the stored conditions of the current listing by these.
    void GuardaCondiciones(const QList<TCondicion>& condiciones);

    // The exchange pair: the ".TXT" lines of the current listing, and the
    // import of a pair (EAviso for its refusals). `reemplaza`: over the
    // listing with the file's code (found by the quick search), otherwise
    // as a new listing with the next code.
    QStringList LineasIntercambio();
    bool ExisteCodigo(int codigo);
    void Importa(const QString& frf, const QStringList& lineas, int codigo, bool reemplaza);

    // Stores the designed format (the file's bytes).
    void GuardaFormato(const QByteArray& formato);

private:
    // The columns a condition of `ds` may name: those of its statement and,
    // when the statement names one, those of its table.
    QStringList Columnas(TFIBDataSet& ds, const QString& tabla);

    std::unique_ptr<qdr::ReportData> datos_;
    std::vector<std::unique_ptr<qdr::TFIBReportSource>> fuentes_;
};

class TFListados : public TFBase {
    Q_OBJECT
public:
    TFListados();
    ~TFListados() override;
    TDMFListados* DM() const { return dm_.get(); }

    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;
    TDBMemo* DBMSql;
    QWidget* TSCondiciones;
    TDBText* DBTCodigo;
    TDBText* DBTNombre;
    THYMNavigator* NavCondiciones;
    THYTDBGrid* GridCondiciones;
    QPushButton* BtObtencion;
    QToolButton* TbConfeccion;
    QToolButton* TbImportar;
    QToolButton* TbExportar;

    // The current listing to `destino` (the preview when empty).
    void EjecutaListado(const QString& destino = {});
    // "Confección listado": the designer over the listing's format.
    void Confecciona();
    void Importa();
    void Exporta();
    // Reads again what the conditions grid offers (fields, types, tables)
    // for its current condition; the "Tabla" column shows only for a
    // two-dataset listing.
    void RefrescaOfertas();

private:
    std::unique_ptr<TDMFListados> dm_;
};

// The command "Creación de listados" of the main window.
void RegistraOrdenesListados();
