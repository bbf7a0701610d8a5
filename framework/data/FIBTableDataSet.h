#pragma once
// The table dataset of the screens: a dataset that knows its table's name and
// key columns, writes its own statements from the server's catalogue, re-reads
// a row when editing begins and, unless told not to, locks it on the server
// for the length of the edit. Also the connection and transaction components
// of the data modules.
#include "FIBDataSet.h"
#include "FIBDatabase.h"
#include "FIBTransaction.h"

#include <QString>
#include <QStringList>
#include <initializer_list>

// A set of values of a small enumeration, written like {A, B}.
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> items)
    {
        for (E e : items)
            bits_ |= Bit(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~Bit(e); }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }

private:
    static constexpr unsigned Bit(E e) { return 1u << static_cast<unsigned>(e); }
    unsigned bits_ = 0;
};

// Operations forbidden on a table dataset. Only Borrar is enforced: nothing in
// the program forbids inserting or modifying through this set.
enum class TAccionesInhibidas { Borrar, Insertar, Modificar };

enum class TOpcionesTableSet {
    DesactivarControlesAlOrdenar, // attached controls are not refreshed while the order changes
    OrdenarPorPk,                 // the generated select ends with ORDER BY the keys
    NoControlarConcurrencia       // no row lock when editing, no commit-retaining after changes
};

// Failures of the table dataset's own rules. The refused delete raises a plain
// EFIBError instead.
class EFIBTableError : public EFIBError {
public:
    using EFIBError::EFIBError;
};

// The beep given when a row changed since it was shown. The data layer knows no
// widgets: the application installs QApplication::beep.
using BeepHook = void (*)();
void SetBeepHook(BeepHook hook);

// The pseudo-key chooser offered, when code sets AutoSQLdeVistas, for a
// relation without primary key: given the relation's columns, returns the
// chosen key columns (empty when the user chose none or cancelled). The
// form framework installs its dialog (UEditorPseudoClaves.h); without a hook
// no columns are chosen.
using PseudoKeyChooserHook = QStringList (*)(const QStringList& columns);
void SetPseudoKeyChooserHook(PseudoKeyChooserHook hook);

// A select statement without its ORDER BY clause: the last line that holds
// "ORDER BY" (in any case) is cut just before it, or dropped when nothing but
// blanks remains, and the lines after it are dropped.
QStringList QuitaOrden(const QStringList& sql);

// The database connection of every data module. Setting up a connection never
// connects it: start-up code connects it explicitly.
class THYDataBase : public TFIBDatabase {
public:
    using TFIBDatabase::TFIBDatabase;
};

// How every transaction of the program is declared: read-committed with record
// versions, never waiting for a lock, no idle timeout, not started.
struct THYTransactionDefinition {
    QStringList TRParams{QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")};
    TTimeoutAction TimeoutAction = TTimeoutAction::TARollback;
    int Timeout = 0;
    bool Active = false;
};

// The transaction of every data module.
class THYTransaction : public TFIBTransaction {
public:
    using TFIBTransaction::TFIBTransaction;
    // Takes the declared settings. A declared Active starts the transaction
    // only when its database is already connected; otherwise it stays
    // inactive until code starts it.
    void LoadDefinition(TFIBDatabase* database, const THYTransactionDefinition& definition = {});
};

// The statements the generator writes for a table with these columns (in
// order), keys and computed columns; a data module's stored definition starts
// from them. Update is empty when only keys and computed columns remain.
struct TSentenciasGeneradas {
    QStringList Insert, Update, Delete, Refresh;
};
TSentenciasGeneradas SentenciasGeneradas(const QString& tabla, const QStringList& columnas,
                                         const QStringList& claves, const QStringList& calculadas = {});

// A table dataset as a data module declares it: its statements as stored (the
// generated ones, often hand-edited) and its settings. Database, transaction
// and master data source are assigned separately, as for any dataset:
//
//   QTabla.SetDatabase(&DMMain->DataBase);
//   QTabla.SetTransaction(&FIBTransaction);
//   QTabla.LoadDefinition({
//       .Name = "QTabla",
//       .TableName = "SYS_BANCOS",
//       .SelectSQL = {"SELECT * FROM SYS_BANCOS", "ORDER BY ENTIDAD"},
//       .InsertSQL = {"INSERT INTO SYS_BANCOS", "  (ENTIDAD,NOMBRE)", "VALUES", "  (?ENTIDAD,?NOMBRE)"},
//       .UpdateSQL = {"UPDATE SYS_BANCOS", "SET", "  NOMBRE=?NOMBRE ", "WHERE", "  ENTIDAD=?ENTIDAD "},
//       .DeleteSQL = {"DELETE FROM SYS_BANCOS", "WHERE", "  ENTIDAD=?old_ENTIDAD "},
//       .RefreshSQL = {"SELECT", "  *", "FROM SYS_BANCOS", "WHERE", "  ENTIDAD=?ENTIDAD "},
//       .Opciones = {TOpcionesTableSet::NoControlarConcurrencia}});
// Every member has its initial value, so a declaration names only what it sets.
struct TTableSetDefinition {
    QString Name{}; // the component name, used in messages
    QString TableName{};
    QStringList SelectSQL{}, InsertSQL{}, UpdateSQL{}, DeleteSQL{}, RefreshSQL{};
    TEnumSet<TAccionesInhibidas> AccionesInhibidas{};
    TEnumSet<TOpcionesTableSet> Opciones{};
    QStringList CamposNoComparables{};
    bool ComprobarTabla = false;
    int BufferChunks = 32;
};

class TFIBTableSet : public TFIBDataSet {
public:
    TFIBTableSet();
    ~TFIBTableSet() override;

    // Key column names, one per item: written by the generator, rebuilt from
    // the refresh statement when a definition is loaded. Source of the lock
    // statement.
    QStringList ClavesPrimarias;
    TEnumSet<TAccionesInhibidas> AccionesInhibidas;
    TEnumSet<TOpcionesTableSet> Opciones;
    // Offer the pseudo-key chooser for a relation without primary key when the
    // statements are generated. Loading a definition sets it to false: only
    // code that sets it afterwards gets the chooser.
    bool AutoSQLdeVistas = false;
    // Upper-case display names of fields left out of the changed-row
    // comparison when editing begins.
    QStringList CamposNoComparables;
    // Before generating, check that the relation exists and whether it is a
    // view over more than one table (which has no usable key).
    bool ComprobarTabla = false;
    // A warning for a keyless table chosen while a developer designs a stored
    // definition. The program has no design mode, so it has no effect.
    bool Mensajes = false;

    // An action: setting true writes every statement afresh from the
    // catalogue (when database and transaction are assigned). Reads false.
    bool Regenerar() const { return false; }
    void SetRegenerar(bool value);

    QString TableName() const { return tableName_; }
    // Assigning another name writes the five statements from the catalogue;
    // an empty name closes the dataset and clears them. Open, transaction and
    // connection states are the same afterwards as before.
    void SetTableName(const QString& name);

    // Loads a stored definition: statements and settings as declared, then the
    // keys from the refresh statement's parameters, the select statement kept
    // as SelectSQLOriginal and the lock statement built. Only while closed.
    void LoadDefinition(const TTableSetDefinition& definition);

    // The select statement as loaded, or as last generated for a dataset set
    // up by its table name: the quick search starts from it so that searches
    // never accumulate.
    const QStringList& SelectSQLOriginal() const { return selectOriginal_; }
    // The list filtered, the statement composed of its parts: the select as
    // loaded without its ORDER BY clause; the condition joined by " where ",
    // or " and " when a line left holds "WHERE"; the lines "ORDER BY " and
    // `orden`. The dataset closes; parameters keep their values.
    void Filtra(const QString& condicion, const QString& orden);
    // The condition of the last Filtra (empty when the list is unfiltered).
    const QString& Condicion() const { return condicion_; }
    // The list whole again: the select statement as loaded. The dataset
    // closes; parameters keep their values.
    void QuitaFiltro();

    // The row-lock statement: sets every key to its own value.
    const QStringList& SentenciaBloqueo() const { return bloqueo_.SQL(); }

    // Replaces the ORDER BY clause of the select statement with "ORDER BY " +
    // columnas (one or more columns, each optionally followed by DESC); empty
    // removes it. Parameter values and the open state are kept.
    void EstablecerOrden(const QString& columnas);

    // Begins editing a row whose new values were typed over the row as shown
    // (a grid's cell): when another seat changed the row since it was read,
    // the edit is refused as a save over that change is, and the row shows as
    // it now is.
    void EditaSobreLoMostrado();

    void SetDatabase(TFIBDatabase* db) override;
    void SetTransaction(TFIBTransaction* tr) override;

protected:
    void DoBeforeEdit() override;
    void DoBeforeUpdate() override;
    void DoAfterOpen() override;
    void DoBeforeDelete() override;
    void DoAfterPost() override;
    void DoAfterCancel() override;
    void DoAfterDelete() override;
    void AssignMasterParams() override;

private:
    struct TEstado;
    TEstado Estado() const;
    void Restaura(const TEstado& e);
    void AsignaNombre(const QString& name, bool forzar);
    void Genera(const QString& name);
    void ConstruyeBloqueo(const QString& name);
    void ReleeFila();
    // Takes the server's row lock, with the key values as read (`valoresLeidos`) or as edited.
    void Bloquea(bool valoresLeidos);
    bool MismaFila(const fib::Record& a, const fib::Record& b) const;
    void ConfirmaSiControla();
    void CheckAssigned() const;

    QString tableName_;
    QStringList selectOriginal_;
    QString condicion_;
    TFIBQuery bloqueo_;
    bool rehusaCambiada_ = false; // an edit over a row changed since shown is refused
};
