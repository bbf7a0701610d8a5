#include "FIBTableDataSet.h"
#include "AlSalir.h"

#include <algorithm>
#include <cstring>

#include <vector>

namespace {

const char kNoAsignadas[] = "La base de datos o la transacción no han sido asignadas";
const char kNoExiste[] = "La tabla introducida no exista en la base de datos";
const char kNoBorrar[] = "No se puede borrar el registro seleccionado.";
const char kFilaBorrada[] = "El registro ya no existe: otro usuario lo ha borrado.";
const char kFilaCambiada[] =
    "Otro usuario ha cambiado este registro mientras usted lo editaba. No se han grabado sus cambios: "
    "se muestra el registro como está ahora; vuelva a hacerlos si siguen siendo necesarios.";
const char kSavepoint[] = "QD_ANTES_DE_GRABAR";

// Catalogue reads, the relation name given as the parameter T. Names come
// back blank-padded; the rows keep the server's order.
const char kLongitudDbKey[] = "SELECT RDB$DBKEY_LENGTH FROM RDB$RELATIONS WHERE RDB$RELATION_NAME=?T";
const char kColumnas[] = "SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS\n"
                         "  WHERE RDB$RELATION_NAME=?T";
const char kClaves[] = "SELECT ISX.RDB$FIELD_NAME FROM RDB$RELATION_CONSTRAINTS RCX,RDB$INDEX_SEGMENTS ISX\n"
                       "  WHERE RCX.RDB$RELATION_NAME=?T\n"
                       "        AND RCX.RDB$CONSTRAINT_TYPE='PRIMARY KEY'\n"
                       "        AND RCX.RDB$INDEX_NAME=ISX.RDB$INDEX_NAME";
// A column is computed when its field source carries a computed expression;
// this finds also an expression that depends on no other column.
const char kCalculadas[] = "SELECT RF.RDB$FIELD_NAME FROM RDB$RELATION_FIELDS RF, RDB$FIELDS F\n"
                           "  WHERE RF.RDB$RELATION_NAME=?T\n"
                           "        AND F.RDB$FIELD_NAME=RF.RDB$FIELD_SOURCE\n"
                           "        AND F.RDB$COMPUTED_BLR IS NOT NULL";

BeepHook g_beep = nullptr;
PseudoKeyChooserHook g_chooser = nullptr;

bool EnBlanco(const QStringList& sql) { return sql.join(QString()).trimmed().isEmpty(); }

QStringList LeeNombres(TFIBQuery& q, const char* sql, const QString& relacion)
{
    q.SetSQL(QString::fromLatin1(sql));
    q.ParamByName(QStringLiteral("T"))->SetAsString(relacion);
    q.ExecQuery();
    QStringList nombres;
    while (!q.Eof()) {
        nombres << q.Fields(0)->AsString().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toUpper();
        q.Next();
    }
    q.Close();
    return nombres;
}

bool MismoValor(const TFIBValue& a, const TFIBValue& b)
{
    if (a.IsNull() || b.IsNull())
        return a.IsNull() && b.IsNull();
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case TFIBValue::Kind::Integer: return a.i == b.i;
    case TFIBValue::Kind::Float: return a.d == b.d;
    case TFIBValue::Kind::DateTime: return a.dt == b.dt;
    default: return a.bytes == b.bytes;
    }
}

} // namespace

void SetBeepHook(BeepHook hook) { g_beep = hook; }

QStringList QuitaOrden(const QStringList& sql)
{
    QStringList sin = sql;
    for (qsizetype i = sin.size() - 1; i >= 0; --i) {
        const qsizetype pos = sin[i].indexOf(QLatin1String("ORDER BY"), 0, Qt::CaseInsensitive);
        if (pos < 0)
            continue;
        sin.erase(sin.begin() + i + 1, sin.end());
        sin[i].truncate(pos);
        if (sin[i].trimmed().isEmpty())
            sin.removeAt(i);
        break;
    }
    return sin;
}
void SetPseudoKeyChooserHook(PseudoKeyChooserHook hook) { g_chooser = hook; }

// --- THYTransaction ----------------------------------------------------------------

void THYTransaction::LoadDefinition(TFIBDatabase* database, const THYTransactionDefinition& definition)
{
    SetDefaultDatabase(database);
    SetTRParams(definition.TRParams);
    TimeoutAction = definition.TimeoutAction;
    Timeout = definition.Timeout;
    if (definition.Active && database && database->Connected() && !Active())
        StartTransaction();
}

// --- TFIBTableSet ---------------------------------------------------------------------

// What generation may change, kept to put back when it fails.
struct TFIBTableSet::TEstado {
    QStringList select, insert, update, borrado, refresco, claves, bloqueo, original;
};

TFIBTableSet::TFIBTableSet() { bloqueo_.GoToFirstRecordOnExecute = false; }

TFIBTableSet::~TFIBTableSet() = default;

void TFIBTableSet::SetDatabase(TFIBDatabase* db)
{
    TFIBDataSet::SetDatabase(db);
    bloqueo_.SetDatabase(db);
}

void TFIBTableSet::SetTransaction(TFIBTransaction* tr)
{
    TFIBDataSet::SetTransaction(tr);
    bloqueo_.SetTransaction(tr);
}

void TFIBTableSet::CheckAssigned() const
{
    if (!Database() || !Transaction())
        throw EFIBTableError(QString::fromUtf8(kNoAsignadas));
}

TFIBTableSet::TEstado TFIBTableSet::Estado() const
{
    return TEstado{SelectSQL(), InsertSQL(), UpdateSQL(), DeleteSQL(), RefreshSQL(),
                   ClavesPrimarias, bloqueo_.SQL(), selectOriginal_};
}

void TFIBTableSet::Restaura(const TEstado& e)
{
    SetSelectSQL(e.select);
    SetInsertSQL(e.insert);
    SetUpdateSQL(e.update);
    SetDeleteSQL(e.borrado);
    SetRefreshSQL(e.refresco);
    ClavesPrimarias = e.claves;
    bloqueo_.SetSQL(e.bloqueo);
    selectOriginal_ = e.original;
}

void TFIBTableSet::SetTableName(const QString& name) { AsignaNombre(name, false); }

void TFIBTableSet::SetRegenerar(bool value)
{
    if (value && Database() && Transaction() && !tableName_.isEmpty())
        AsignaNombre(tableName_, true);
}

void TFIBTableSet::AsignaNombre(const QString& name, bool forzar)
{
    if (!forzar && name == tableName_)
        return;
    if (name.isEmpty()) {
        Close();
        tableName_.clear();
        Restaura(TEstado{{}, {}, {}, {}, {}, ClavesPrimarias, bloqueo_.SQL(), {}});
        return;
    }
    CheckAssigned();
    TFIBDatabase& db = *Database();
    TFIBTransaction& tr = *Transaction();
    const bool abierto = Active();
    Close();
    const bool conectada = db.Connected();
    if (!conectada)
        db.Open();
    const bool activa = tr.Active();
    // Transaction and connection return to the state they were found in.
    auto devuelve = [&] {
        if (!activa && tr.Active())
            tr.Rollback();
        if (!conectada && db.Connected())
            db.Close();
    };
    const TEstado antes = Estado();
    try {
        if (!activa)
            tr.StartTransaction();
        Genera(name);
        if (abierto)
            Open();
    } catch (...) {
        Close();
        Restaura(antes);
        try {
            devuelve();
        } catch (const EFIBError&) {
            // The generation's own error is the one to report.
        }
        throw;
    }
    devuelve();
    tableName_ = name;
}

void TFIBTableSet::Genera(const QString& name)
{
    const QString T = name.toUpper();
    TFIBQuery q;
    q.SetDatabase(Database());
    q.SetTransaction(Transaction());

    bool sinClave = false;
    if (ComprobarTabla) {
        q.SetSQL(QString::fromLatin1(kLongitudDbKey));
        q.ParamByName(QStringLiteral("T"))->SetAsString(T);
        q.ExecQuery();
        if (q.Eof())
            throw EFIBTableError(QString::fromUtf8(kNoExiste));
        // A view over more than one table has a longer key than a table's 8 bytes.
        sinClave = q.Fields(0)->AsInteger() > 8;
        q.Close();
    }
    const QStringList columnas = LeeNombres(q, kColumnas, T);
    const QStringList primarias = LeeNombres(q, kClaves, T);
    const QStringList calculadas = LeeNombres(q, kCalculadas, T);

    QStringList claves;
    if (!primarias.isEmpty() && !sinClave)
        claves = primarias;
    else if (primarias.isEmpty() && AutoSQLdeVistas && g_chooser)
        claves = g_chooser(columnas);

    QStringList select{QStringLiteral("SELECT * FROM ") + T};
    if (Opciones.Contains(TOpcionesTableSet::OrdenarPorPk) && !claves.isEmpty())
        select << QStringLiteral(" ORDER BY ") + claves.join(QStringLiteral(", "));
    Restaura(TEstado{select, {}, {}, {}, {}, ClavesPrimarias, bloqueo_.SQL(), select});
    // Without a usable key the dataset only reads.
    if (claves.isEmpty())
        return;

    ClavesPrimarias = claves;
    ConstruyeBloqueo(name);

    const TSentenciasGeneradas g = SentenciasGeneradas(T, columnas, claves, calculadas);
    SetDeleteSQL(g.Delete);
    SetUpdateSQL(g.Update);
    SetInsertSQL(g.Insert);
    SetRefreshSQL(g.Refresh);
}

TSentenciasGeneradas SentenciasGeneradas(const QString& T, const QStringList& columnas, const QStringList& claves,
                                         const QStringList& calculadas)
{
    TSentenciasGeneradas g;
    auto lineasClave = [&](const QString& prefijo) {
        QStringList l;
        for (qsizetype i = 0; i < claves.size(); ++i)
            l << QStringLiteral("  ") + claves[i] + QStringLiteral("=?") + prefijo + claves[i] + QLatin1Char(' ') +
                     (i + 1 < claves.size() ? QStringLiteral("AND ") : QString());
        return l;
    };
    QStringList escritas; // neither computed (insert and update) nor key (update)
    QStringList insertables;
    for (const QString& c : columnas) {
        if (calculadas.contains(c))
            continue;
        insertables << c;
        if (!claves.contains(c))
            escritas << c;
    }

    g.Delete = QStringList{QStringLiteral("DELETE FROM ") + T, QStringLiteral("WHERE")} + lineasClave(QStringLiteral("old_"));
    // A relation made only of keys and computed columns has nothing to update:
    // it gets no update statement, and editing is refused.
    if (!escritas.isEmpty()) {
        g.Update = QStringList{QStringLiteral("UPDATE ") + T, QStringLiteral("SET")};
        for (qsizetype i = 0; i < escritas.size(); ++i)
            g.Update << (i == 0 ? QStringLiteral("  ") : QStringLiteral("  ,")) + escritas[i] + QStringLiteral("=?") +
                            escritas[i] + QLatin1Char(' ');
        g.Update << QStringLiteral("WHERE");
        g.Update += lineasClave(QString());
    }
    g.Insert = QStringList{QStringLiteral("INSERT INTO ") + T,
                           QStringLiteral("  (") + insertables.join(QLatin1Char(',')) + QLatin1Char(')'),
                           QStringLiteral("VALUES"),
                           QStringLiteral("  (?") + insertables.join(QStringLiteral(",?")) + QLatin1Char(')')};
    g.Refresh = QStringList{QStringLiteral("SELECT"), QStringLiteral("  *"), QStringLiteral("FROM ") + T,
                            QStringLiteral("WHERE")} +
                lineasClave(QString());
    return g;
}

void TFIBTableSet::ConstruyeBloqueo(const QString& name)
{
    if (ClavesPrimarias.isEmpty() || name.isEmpty()) {
        bloqueo_.SetSQL(QStringList());
        return;
    }
    QStringList l{QStringLiteral("UPDATE ") + name + QStringLiteral(" SET")};
    const qsizetype n = ClavesPrimarias.size();
    for (qsizetype i = 0; i < n; ++i)
        l << QStringLiteral("  ") + ClavesPrimarias[i] + QStringLiteral("=?") + ClavesPrimarias[i] +
                 (i + 1 < n ? QStringLiteral(",") : QString());
    l << QStringLiteral("WHERE");
    for (qsizetype i = 0; i < n; ++i)
        l << QStringLiteral("  ") + ClavesPrimarias[i] + QStringLiteral("=?") + ClavesPrimarias[i] +
                 (i + 1 < n ? QStringLiteral(" AND") : QString());
    bloqueo_.SetSQL(l);
}

void TFIBTableSet::LoadDefinition(const TTableSetDefinition& d)
{
    if (Active())
        throw EFIBError(QStringLiteral("Cannot perform this operation on an open dataset"));
    Name = d.Name;
    // The stored statements stand: naming the table generates nothing here.
    tableName_ = d.TableName;
    SetSelectSQL(d.SelectSQL);
    SetInsertSQL(d.InsertSQL);
    SetUpdateSQL(d.UpdateSQL);
    SetDeleteSQL(d.DeleteSQL);
    SetRefreshSQL(d.RefreshSQL);
    AccionesInhibidas = d.AccionesInhibidas;
    Opciones = d.Opciones;
    CamposNoComparables = d.CamposNoComparables;
    ComprobarTabla = d.ComprobarTabla;
    BufferChunks = d.BufferChunks;

    ClavesPrimarias = RefreshKeys(RefreshSQL());
    AutoSQLdeVistas = false;
    selectOriginal_ = SelectSQL();
    condicion_.clear();
    ConstruyeBloqueo(tableName_);
}

void TFIBTableSet::Filtra(const QString& condicion, const QString& orden)
{
    Close();
    QStringList sql = QuitaOrden(selectOriginal_);
    if (!condicion.isEmpty()) {
        const bool conWhere = std::any_of(sql.cbegin(), sql.cend(), [](const QString& linea) {
            return linea.contains(QLatin1String("WHERE"), Qt::CaseInsensitive);
        });
        sql << (conWhere ? QStringLiteral(" and ") : QStringLiteral(" where ")) + condicion;
    }
    sql << QStringLiteral("ORDER BY ") << orden;
    SetSelectSQL(sql);
    condicion_ = condicion;
}

void TFIBTableSet::QuitaFiltro()
{
    Close();
    SetSelectSQL(selectOriginal_);
    condicion_.clear();
}

void TFIBTableSet::EstablecerOrden(const QString& columnas)
{
    CheckAssigned();
    const bool desactiva = Opciones.Contains(TOpcionesTableSet::DesactivarControlesAlOrdenar);
    if (desactiva)
        DisableControls();
    struct Reactiva {
        TFIBDataSet& ds;
        bool activo;
        ~Reactiva()
        {
            if (activo)
                ds.EnableControls();
        }
    } reactiva{*this, desactiva};

    const bool abierto = Active();
    Close();
    // The select's parameters keep their values across the change of text.
    QStringList sql = QuitaOrden(SelectSQL());
    if (!columnas.isEmpty())
        sql << QStringLiteral("ORDER BY ") + columnas;
    SetSelectSQL(sql);
    if (abierto)
        Open();
}

// --- editing --------------------------------------------------------------------------

void TFIBTableSet::DoBeforeEdit()
{
    // Without an update statement the inherited check refuses at once: no
    // re-read, no lock.
    if (!EnBlanco(UpdateSQL())) {
        ReleeFila();
        if (!Opciones.Contains(TOpcionesTableSet::NoControlarConcurrencia))
            Bloquea(false);
    }
    TFIBDataSet::DoBeforeEdit();
}

void TFIBTableSet::ReleeFila()
{
    if (EnBlanco(RefreshSQL()))
        return;
    std::vector<TField*> comparables;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        const TFieldType t = f->DataType();
        if (f->Calculated || t == TFieldType::ftBlob || t == TFieldType::ftMemo ||
            CamposNoComparables.contains(f->DisplayLabel().toUpper(), Qt::CaseInsensitive))
            continue;
        comparables.push_back(f);
    }
    std::vector<TFIBValue> antes;
    antes.reserve(comparables.size());
    for (TField* f : comparables)
        antes.push_back(f->Value());
    // The row as the server has it now stays in the record, so that a post
    // never writes back a stale value of a column left out of the comparison.
    if (!Refresh())
        throw EFIBTableError(QString::fromUtf8(kFilaBorrada));
    for (std::size_t k = 0; k < comparables.size(); ++k) {
        if (!MismoValor(antes[k], comparables[k]->Value())) {
            if (rehusaCambiada_)
                throw EFIBTableError(QString::fromUtf8(kFilaCambiada));
            if (g_beep)
                g_beep();
            break;
        }
    }
}

void TFIBTableSet::EditaSobreLoMostrado()
{
    rehusaCambiada_ = true;
    TAlSalir vuelve([this] { rehusaCambiada_ = false; });
    Edit();
}

void TFIBTableSet::Bloquea(bool valoresLeidos)
{
    if (EnBlanco(bloqueo_.SQL()))
        return;
    for (int i = 0; i < bloqueo_.ParamCount(); ++i) {
        TFIBParam* p = bloqueo_.Params(i);
        TField* f = FindField(p->Name());
        if (!f)
            throw EFIBTableError(QStringLiteral("%1: la columna clave %2 no está en la consulta").arg(Name, p->Name()));
        p->SetValue(valoresLeidos ? f->OldValue() : f->Value());
    }
    // A "nowait" transaction gets the server's lock conflict at once when
    // another transaction holds the row.
    bloqueo_.ExecQuery();
    bloqueo_.Close();
}

void TFIBTableSet::DoBeforeUpdate()
{
    // Two seats editing one row: the second save would write every column
    // back over the first seat's change. Under the row lock (so nobody can
    // change it between the check and the update), the row as the server has
    // it now must still be the row as it was read when editing began.
    if (EnBlanco(RefreshSQL()))
        return;
    TFIBDatabase& db = *Database();
    TFIBTransaction& tr = *Transaction();
    auto vuelve = [&] {
        db.ExecuteImmediate(QStringLiteral("ROLLBACK TO SAVEPOINT ") + QLatin1String(kSavepoint), tr);
        db.ExecuteImmediate(QStringLiteral("RELEASE SAVEPOINT ") + QLatin1String(kSavepoint), tr);
    };
    db.ExecuteImmediate(QStringLiteral("SAVEPOINT ") + QLatin1String(kSavepoint), tr);
    std::optional<fib::Record> ahora;
    try {
        Bloquea(true);
        ahora = ReadRow(OldRecord());
    } catch (...) {
        vuelve();
        throw;
    }
    if (!ahora || !MismaFila(*ahora, OldRecord())) {
        vuelve();
        const bool borrada = !ahora;
        AbandonEdit(std::move(ahora));
        throw EFIBTableError(QString::fromUtf8(borrada ? kFilaBorrada : kFilaCambiada));
    }
    db.ExecuteImmediate(QStringLiteral("RELEASE SAVEPOINT ") + QLatin1String(kSavepoint), tr);
}

bool TFIBTableSet::MismaFila(const fib::Record& a, const fib::Record& b) const
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i) {
        const fib::Record::Cell x = a.At(i), y = b.At(i);
        if (x.null != y.null || (!x.null && (x.len != y.len || std::memcmp(x.data, y.data, x.len) != 0)))
            return false;
    }
    return true;
}

void TFIBTableSet::DoAfterOpen()
{
    // A key that the select does not read could neither lock nor re-read its
    // row: such a definition is refused rather than left without either.
    if (CanModify()) {
        for (const QString& clave : std::as_const(ClavesPrimarias)) {
            if (!FindField(clave)) {
                Close();
                throw EFIBTableError(
                    QStringLiteral("%1: la columna clave %2 no está entre las columnas de su consulta; sin ella no se "
                                   "puede bloquear ni volver a leer la fila.")
                        .arg(Name.isEmpty() ? tableName_ : Name, clave));
            }
        }
    }
    TFIBDataSet::DoAfterOpen();
}

void TFIBTableSet::ConfirmaSiControla()
{
    if (Opciones.Contains(TOpcionesTableSet::NoControlarConcurrencia))
        return;
    // Makes the change permanent and releases the row lock; cursors stay open.
    if (Transaction() && Transaction()->Active())
        Transaction()->CommitRetaining();
}

void TFIBTableSet::DoAfterPost()
{
    TFIBDataSet::DoAfterPost();
    ConfirmaSiControla();
}

void TFIBTableSet::DoAfterCancel()
{
    TFIBDataSet::DoAfterCancel();
    ConfirmaSiControla();
}

void TFIBTableSet::DoAfterDelete()
{
    TFIBDataSet::DoAfterDelete();
    ConfirmaSiControla();
}

void TFIBTableSet::DoBeforeDelete()
{
    if (AccionesInhibidas.Contains(TAccionesInhibidas::Borrar))
        throw EFIBError(QString::fromUtf8(kNoBorrar));
    TFIBDataSet::DoBeforeDelete();
}

// --- opening ----------------------------------------------------------------------------

void TFIBTableSet::AssignMasterParams()
{
    TFIBDataSet* master = MasterDataSet();
    if (!master || !master->Active())
        return;
    TFIBQuery& select = SelectQuery();
    for (int i = 0; i < select.ParamCount(); ++i) {
        TFIBParam* p = select.Params(i);
        TField* f = p->Name().isEmpty() ? nullptr : master->FindField(p->Name());
        if (!f)
            continue;
        // A null master value goes as empty text, 0 or the zero date, never as NULL.
        const bool nulo = f->IsNull();
        switch (f->DataType()) {
        case TFieldType::ftString: p->SetAsString(nulo ? QString() : f->AsString()); break;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger: p->SetAsInteger(nulo ? 0 : f->AsInteger()); break;
        case TFieldType::ftFloat: p->SetAsFloat(nulo ? 0.0 : f->AsFloat()); break;
        case TFieldType::ftDateTime:
        case TFieldType::ftDate:
        case TFieldType::ftTime: p->SetAsDateTime(nulo ? ZeroDateTime() : f->AsDateTime()); break;
        case TFieldType::ftBlob:
        case TFieldType::ftMemo: p->SetAsBytes(nulo ? QByteArray() : f->AsBytes()); break;
        default:
            throw EFIBError(QStringLiteral("%1: the master field '%2' has a type no parameter takes")
                                .arg(Name, f->FieldName()));
        }
    }
}
