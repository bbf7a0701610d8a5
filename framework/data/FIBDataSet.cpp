#include "FIBDataSet.h"
#include "AlSalir.h"
#include "FIBDatabase.h"
#include "FIBInternal.h"
#include "WaitCursor.h"

#include <algorithm>
#include <cstring>
#include <exception>

using fib::ColumnInfo;
using fib::Record;

// The link of a detail dataset to its master's data source.
class TFIBDataSet::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TFIBDataSet* detail) : detail_(detail) {}

protected:
    void ActiveChanged() override
    {
        if (Quiet())
            return;
        if (Active())
            detail_->MasterChanged();
        else
            detail_->MasterClosed();
    }
    void DataSetChanged() override
    {
        if (Active() && !Quiet())
            detail_->MasterChanged();
    }

private:
    bool Quiet() const { return DataSet() && DataSet()->quietDetails_; }
    TFIBDataSet* detail_;
};

namespace {
const QStringList kEmpty;

bool Blank(const QStringList& sql) { return sql.join(QString()).trimmed().isEmpty(); }

// Whether a statement is a plain INSERT/UPDATE/DELETE (not a procedure call),
// whose count of rows affected tells whether it found its row.
bool Starts(const QStringList& sql, const char* word)
{
    return sql.join(QLatin1Char(' ')).trimmed().startsWith(QLatin1String(word), Qt::CaseInsensitive);
}

const char kFilaDesaparecida[] =
    "El registro ya no existe: otro usuario lo ha borrado o ha cambiado su código. No se ha grabado nada y "
    "la lista ya no lo muestra.";
const char kNoReleido[] =
    "El registro se ha grabado, pero no se ha podido volver a leer. Vuelva a abrir la lista para verlo como está.";

std::unique_ptr<TFIBQuery> MakeQuery(bool dataset)
{
    auto q = std::make_unique<TFIBQuery>();
    q->GoToFirstRecordOnExecute = false;
    TFIBQuery::BindOptions o;
    o.datasetNulls = dataset;
    q->SetBindOptions(o);
    return q;
}
} // namespace

QStringList RefreshKeys(const QStringList& refresh)
{
    QStringList names;
    TFIBQuery::ParseParams(refresh.join(QLatin1Char('\n')), &names);
    QStringList keys;
    for (QString n : std::as_const(names)) {
        if (n.startsWith(QLatin1String("old_"), Qt::CaseInsensitive) ||
            n.startsWith(QLatin1String("new_"), Qt::CaseInsensitive))
            n = n.mid(4);
        if (!n.isEmpty() && !keys.contains(n, Qt::CaseInsensitive))
            keys << n;
    }
    return keys;
}

TFIBDataSet::TFIBDataSet()
    : qSelect_(MakeQuery(false)), qInsert_(MakeQuery(true)), qUpdate_(MakeQuery(true)), qDelete_(MakeQuery(true)),
      qRefresh_(MakeQuery(true)), qInsertReturning_(MakeQuery(true))
{
    TFIBQuery::BindOptions writing;
    writing.datasetNulls = true;
    writing.cutText = true;
    qInsert_->SetBindOptions(writing);
    qInsertReturning_->SetBindOptions(writing);
    qUpdate_->SetBindOptions(writing);
    // The select's parameters come from code or from the master: NULL stays NULL.
    qSelect_->SetBindOptions(TFIBQuery::BindOptions{});
}

TFIBDataSet::~TFIBDataSet()
{
    // Closing runs no events here: the owner is being torn down.
    BeforeClose = nullptr;
    AfterClose = nullptr;
    try {
        Close();
    } catch (...) {
    }
    masterLink_.reset();
    for (TDataSource* s : std::vector<TDataSource*>(sources_))
        s->DataSetGone();
    if (transaction_)
        transaction_->Unregister(this);
}

void TFIBDataSet::SetDatabase(TFIBDatabase* db)
{
    CheckClosed();
    database_ = db;
    for (TFIBQuery* q : {qSelect_.get(), qInsert_.get(), qUpdate_.get(), qDelete_.get(), qRefresh_.get(),
                         qInsertReturning_.get()})
        q->SetDatabase(db);
}

void TFIBDataSet::SetTransaction(TFIBTransaction* tr)
{
    if (tr == transaction_)
        return;
    CheckClosed();
    if (transaction_)
        transaction_->Unregister(this);
    transaction_ = tr;
    if (transaction_)
        transaction_->Register(this);
    for (TFIBQuery* q : {qSelect_.get(), qInsert_.get(), qUpdate_.get(), qDelete_.get(), qRefresh_.get(),
                         qInsertReturning_.get()})
        q->SetTransaction(tr);
}

const QStringList& TFIBDataSet::SelectSQL() const { return qSelect_->SQL(); }
const QStringList& TFIBDataSet::InsertSQL() const { return qInsert_->SQL(); }
const QStringList& TFIBDataSet::UpdateSQL() const { return qUpdate_->SQL(); }
const QStringList& TFIBDataSet::DeleteSQL() const { return qDelete_->SQL(); }
const QStringList& TFIBDataSet::RefreshSQL() const { return qRefresh_->SQL(); }

void TFIBDataSet::SetSelectSQL(const QStringList& s)
{
    CheckClosed();
    qSelect_->SetSQL(s);
}
void TFIBDataSet::SetInsertSQL(const QStringList& s) { CheckClosed(); qInsert_->SetSQL(s); }
void TFIBDataSet::SetUpdateSQL(const QStringList& s) { CheckClosed(); qUpdate_->SetSQL(s); }
void TFIBDataSet::SetDeleteSQL(const QStringList& s) { CheckClosed(); qDelete_->SetSQL(s); }
void TFIBDataSet::SetRefreshSQL(const QStringList& s) { CheckClosed(); qRefresh_->SetSQL(s); }

TDataSource* TFIBDataSet::DataSource() const { return masterLink_ ? masterLink_->DataSource() : nullptr; }

void TFIBDataSet::SetDataSource(TDataSource* master)
{
    if (master && master->DataSet() == this)
        throw EFIBError(QStringLiteral("Circular datalinks are not allowed"));
    if (!master) {
        masterLink_.reset();
        return;
    }
    if (!masterLink_)
        masterLink_ = std::make_unique<TMasterLink>(this);
    masterLink_->SetDataSource(master);
}

TFIBDataSet* TFIBDataSet::MasterDataSet() const { return masterLink_ ? masterLink_->DataSet() : nullptr; }

bool TFIBDataSet::CanModify() const { return !Blank(InsertSQL()) || !Blank(UpdateSQL()) || !Blank(DeleteSQL()); }

void TFIBDataSet::CheckActive() const
{
    if (!Active())
        throw EFIBError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TFIBDataSet::CheckClosed() const
{
    if (Active())
        throw EFIBError(QStringLiteral("Cannot perform this operation on an open dataset"));
}

// --- fields ----------------------------------------------------------------------

void TFIBDataSet::AddDeclaredField(std::unique_ptr<TField> f)
{
    CheckClosed();
    if (FindField(f->FieldName()))
        throw EFIBError(QStringLiteral("Duplicate field name '%1'").arg(f->FieldName()));
    f->Bind(this, -1);
    declared_.push_back(std::move(f));
    fields_.clear();
    for (const auto& d : declared_)
        fields_.push_back(d.get());
}

void TFIBDataSet::BindFields()
{
    fields_.clear();
    defaults_.clear();
    std::vector<bool> used(declared_.size(), false);
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        TField* f = nullptr;
        for (std::size_t k = 0; k < declared_.size(); ++k) {
            if (!declared_[k]->Calculated && declared_[k]->FieldName().compare(cols_[i].name, Qt::CaseInsensitive) == 0) {
                f = declared_[k].get();
                used[k] = true;
                if (!f->Accepts(cols_[i].type))
                    throw EFIBError(QStringLiteral("%1: Type mismatch for field '%2'").arg(Name, f->FieldName()));
                break;
            }
        }
        if (!f) {
            defaults_.push_back(CreateDefaultField(cols_[i].type, cols_[i].name));
            f = defaults_.back().get();
        }
        f->Bind(this, static_cast<int>(i));
        fields_.push_back(f);
    }
    for (std::size_t k = 0; k < declared_.size(); ++k) {
        if (declared_[k]->Calculated) {
            declared_[k]->Bind(this, -1);
            fields_.push_back(declared_[k].get());
        } else if (!used[k]) {
            throw EFIBError(QStringLiteral("%1: Field '%2' not found").arg(Name, declared_[k]->FieldName()));
        }
    }
}

void TFIBDataSet::ReleaseFields()
{
    defaults_.clear();
    fields_.clear();
    for (const auto& d : declared_) {
        d->Bind(this, -1);
        fields_.push_back(d.get());
    }
}

TField* TFIBDataSet::FindField(const QString& name) const
{
    for (TField* f : fields_) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    return nullptr;
}

TField* TFIBDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EFIBError(QStringLiteral("%1: Field '%2' not found").arg(Name, name));
    return f;
}

TFIBParam* TFIBDataSet::ParamByName(const QString& name) const { return qSelect_->ParamByName(name); }

const ColumnInfo* TFIBDataSet::Column(int index) const
{
    if (index < 0 || index >= static_cast<int>(cols_.size()))
        return nullptr;
    return &cols_[static_cast<std::size_t>(index)];
}

// --- reading values ------------------------------------------------------------------

TFIBValue TFIBDataSet::CellValue(const Record& rec, int col) const
{
    if (rec.Empty())
        return TFIBValue();
    const ColumnInfo& c = cols_[static_cast<std::size_t>(col)];
    const Record::Cell cell = rec.At(col);
    ISC_QUAD id;
    if ((c.type == TFieldType::ftBlob || c.type == TFieldType::ftMemo) && fib::BlobIdOf(cell, id)) {
        // Blobs are read when asked for; the last one read is kept.
        const int row = displayRow_ >= 0 ? displayRow_ : cur_;
        if (blobCacheRow_ != row || blobCacheCol_ != col || &rec == editRec_.get()) {
            blobCache_ = const_cast<TFIBQuery&>(*qSelect_).ReadBlob(&id);
            blobCacheRow_ = row;
            blobCacheCol_ = col;
        }
        TFIBValue v = TFIBValue::Bytes(blobCache_);
        if (c.type == TFieldType::ftMemo)
            v.kind = TFIBValue::Kind::Text;
        return v;
    }
    TFIBValue v = fib::DecodeCell(c, cell);
    if (c.type == TFieldType::ftMemo && v.kind == TFIBValue::Kind::Bytes)
        v.kind = TFIBValue::Kind::Text;
    return v;
}

void TFIBDataSet::RecalcIfNeeded() const
{
    if (!OnCalcFields || inCalc_)
        return;
    const Record& rec = CurrentRecord();
    if (calcFor_ == rec.Id() && calcFor_)
        return;
    int n = 0;
    for (TField* f : fields_)
        n += f->Calculated ? 1 : 0;
    calc_.assign(static_cast<std::size_t>(n), TFIBValue());
    calcFor_ = rec.Id();
    if (rec.Empty())
        return;
    inCalc_ = true;
    try {
        const_cast<TFIBDataSet*>(this)->OnCalcFields(const_cast<TFIBDataSet&>(*this));
    } catch (...) {
        inCalc_ = false;
        throw;
    }
    inCalc_ = false;
}

static int CalcSlot(const std::vector<TField*>& fields, const TField* f)
{
    int slot = 0;
    for (TField* x : fields) {
        if (x == f)
            return slot;
        slot += x->Calculated ? 1 : 0;
    }
    return -1;
}

TFIBValue TFIBDataSet::FieldValue(const TField* f) const
{
    if (f->Calculated) {
        RecalcIfNeeded();
        const int slot = CalcSlot(fields_, f);
        return slot >= 0 && slot < static_cast<int>(calc_.size()) ? calc_[static_cast<std::size_t>(slot)] : TFIBValue();
    }
    if (!Active() || f->Index() < 0)
        return TFIBValue();
    return CellValue(CurrentRecord(), f->Index());
}

TFIBValue TFIBDataSet::FieldOldValue(const TField* f) const
{
    if (!Active() || f->Index() < 0)
        return TFIBValue();
    if (state_ == TDataSetState::dsEdit && oldRec_)
        return CellValue(*oldRec_, f->Index());
    if (state_ == TDataSetState::dsInsert)
        return TFIBValue();
    return FieldValue(f);
}

void TFIBDataSet::SetFieldValue(TField* f, const TFIBValue& v)
{
    if (f->Calculated) {
        if (!inCalc_)
            throw EFIBError(QStringLiteral("Field '%1' is calculated").arg(f->FieldName()));
        const int slot = CalcSlot(fields_, f);
        if (slot >= 0 && slot < static_cast<int>(calc_.size()))
            calc_[static_cast<std::size_t>(slot)] = v;
        return;
    }
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EFIBError(QStringLiteral("Dataset not in edit or insert mode"));
    if (f->ReadOnly)
        throw EFIBError(QStringLiteral("Field '%1' cannot be modified").arg(f->DisplayLabel()));
    const int col = f->Index();
    if (col < 0)
        throw EFIBError(QStringLiteral("Field '%1' is not bound to a column").arg(f->FieldName()));
    const ColumnInfo& c = cols_[static_cast<std::size_t>(col)];
    const Record::CellIn cell = fib::EncodeCell(c, v);
    Record previous = std::move(*editRec_);
    *editRec_ = previous.With(col, cell);
    calcFor_ = nullptr;
    blobCacheRow_ = -1;
    if (f->OnValidate) {
        try {
            f->OnValidate(*f);
        } catch (...) {
            *editRec_ = std::move(previous);
            throw;
        }
    }
    modified_ = true;
    if (f->OnChange)
        f->OnChange(*f);
    Notify(TDataEvent::RecordChange, f);
}

std::size_t TFIBDataSet::CachedBytes() const
{
    std::size_t total = rows_.capacity() * sizeof(Record) + arena_.Bytes();
    for (const Record& r : rows_)
        total += r.OwnBytes();
    return total;
}

TFIBDataSet::TRowScope::TRowScope(TFIBDataSet& ds, int row) : ds_(ds), saved_(ds.displayRow_)
{
    ds_.displayRow_ = row;
}

TFIBDataSet::TRowScope::~TRowScope() { ds_.displayRow_ = saved_; }

// --- notifications -----------------------------------------------------------------

void TFIBDataSet::Notify(TDataEvent event, TField* field)
{
    if (event != TDataEvent::RecordChange)
        calcFor_ = nullptr;
    if (event == TDataEvent::DataSetChange || event == TDataEvent::ActiveChange)
        blobCacheRow_ = -1;
    if (disableCount_ > 0) {
        if (event != TDataEvent::UpdateRecord)
            pendingChange_ = true;
        else
            for (TDataSource* s : std::vector<TDataSource*>(sources_))
                s->Notify(event, field);
        return;
    }
    for (TDataSource* s : std::vector<TDataSource*>(sources_)) {
        if (std::find(sources_.begin(), sources_.end(), s) != sources_.end())
            s->Notify(event, field);
    }
}

void TFIBDataSet::DisableControls() { ++disableCount_; }

void TFIBDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        Notify(Active() ? TDataEvent::DataSetChange : TDataEvent::ActiveChange);
    }
}

void TFIBDataSet::RegisterSource(TDataSource* s) { sources_.push_back(s); }
void TFIBDataSet::UnregisterSource(TDataSource* s) { std::erase(sources_, s); }

// --- open and close ------------------------------------------------------------------

void TFIBDataSet::Open()
{
    if (Active())
        return;
    if (BeforeOpen)
        BeforeOpen(*this);
    if (Blank(SelectSQL()))
        throw EFIBError(QStringLiteral("Empty query."));
    TWaitCursor wait;
    AssignMasterParams();
    qSelect_->ExecQuery();
    try {
        cols_ = qSelect_->Columns();
        BindFields();
    } catch (...) {
        qSelect_->Close();
        cols_.clear();
        ReleaseFields();
        throw;
    }
    rows_.clear();
    editRec_ = std::make_unique<Record>();
    oldRec_ = std::make_unique<Record>();
    allFetched_ = false;
    modified_ = false;
    state_ = TDataSetState::dsBrowse;
    try {
        FetchMore(std::max(1, BufferChunks));
    } catch (...) {
        Close();
        throw;
    }
    cur_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    DoAfterOpen();
    Notify(TDataEvent::ActiveChange);
    if (AfterScroll)
        AfterScroll(*this);
}

void TFIBDataSet::DoAfterOpen()
{
    if (AfterOpen)
        AfterOpen(*this);
}

void TFIBDataSet::Close()
{
    closedByMaster_ = false;
    rereadAfterEdit_ = false;
    if (!Active())
        return;
    if (BeforeClose)
        BeforeClose(*this);
    qSelect_->Close();
    rows_.clear();
    rows_.shrink_to_fit();
    arena_.Clear();
    editRec_.reset();
    oldRec_.reset();
    state_ = TDataSetState::dsInactive;
    cur_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    allFetched_ = true;
    ReleaseFields();
    cols_.clear();
    if (AfterClose)
        AfterClose(*this);
    Notify(TDataEvent::ActiveChange);
}

int TFIBDataSet::FetchMore(int count)
{
    if (!Active() || allFetched_)
        return 0;
    int added = 0;
    // The row list grows by doubling: reserving only the next chunk would
    // copy the whole list at every chunk.
    const std::size_t want = rows_.size() + static_cast<std::size_t>(count);
    if (want > rows_.capacity())
        rows_.reserve(std::max(want, rows_.capacity() * 2));
    while (added < count) {
        if (!qSelect_->FetchRow()) {
            allFetched_ = true;
            break;
        }
        rows_.push_back(Record::FromOutput(qSelect_->Output(), cols_, &arena_));
        ++added;
    }
    return added;
}

void TFIBDataSet::FetchAll()
{
    while (!allFetched_ && Active())
        FetchMore(std::max(1, BufferChunks) * 32);
}

void TFIBDataSet::TransactionEnding()
{
    // The end of the transaction closes the cursor: the dataset closes with it.
    Close();
}

void TFIBDataSet::ConnectionLost()
{
    if (Active())
        allFetched_ = true; // no cursor to fetch from
}

void TFIBDataSet::ConnectionRestored()
{
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        rereadAfterEdit_ = true; // the rows beyond those fetched come with the next cursor
        return;
    }
    if (state_ != TDataSetState::dsBrowse || closedByMaster_)
        return;
    ReadAgainAtSameRow();
}

void TFIBDataSet::ReadAgainAtSameRow()
{
    rereadAfterEdit_ = false;
    const int fila = RecNo();
    const bool quiet = std::exchange(quietDetails_, true);
    TAlSalir vuelve([this, quiet] { quietDetails_ = quiet; });
    Close();
    Open();
    if (fila > 1)
        MoveBy(fila - 1);
}

void TFIBDataSet::TransactionGone()
{
    Close();
    transaction_ = nullptr;
}

// --- navigation --------------------------------------------------------------------

void TFIBDataSet::CheckBrowseMode()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        Notify(TDataEvent::UpdateRecord);
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TFIBDataSet::MoveTo(int index, bool bof, bool eof)
{
    // The beginning and end marks are set before the move is announced, so
    // that the links see them as they are after the move.
    if (index == cur_) {
        const bool changed = bof != bof_ || eof != eof_;
        bof_ = bof;
        eof_ = eof;
        if (changed)
            Notify(TDataEvent::DataSetScroll);
        return;
    }
    if (BeforeScroll)
        BeforeScroll(*this);
    cur_ = index;
    bof_ = bof;
    eof_ = eof;
    Notify(TDataEvent::DataSetScroll);
    if (AfterScroll)
        AfterScroll(*this);
}

void TFIBDataSet::First()
{
    CheckBrowseMode();
    MoveTo(rows_.empty() ? -1 : 0, true, rows_.empty());
}

void TFIBDataSet::Last()
{
    CheckBrowseMode();
    FetchAll();
    MoveTo(static_cast<int>(rows_.size()) - 1, rows_.empty(), true);
}

void TFIBDataSet::Next()
{
    CheckBrowseMode();
    if (cur_ + 1 >= static_cast<int>(rows_.size()))
        FetchMore(std::max(1, BufferChunks));
    if (cur_ + 1 < static_cast<int>(rows_.size()))
        MoveTo(cur_ + 1, false, false);
    else
        MoveTo(cur_, bof_, true);
}

void TFIBDataSet::Prior()
{
    CheckBrowseMode();
    if (cur_ > 0)
        MoveTo(cur_ - 1, false, false);
    else
        MoveTo(cur_, true, eof_);
}

int TFIBDataSet::MoveBy(int distance)
{
    int moved = 0;
    while (distance > 0 && !eof_) {
        Next();
        if (!eof_) { ++moved; --distance; }
    }
    while (distance < 0 && !bof_) {
        Prior();
        if (!bof_) { --moved; ++distance; }
    }
    return moved;
}

void TFIBDataSet::SetRecNo(int recNo)
{
    CheckBrowseMode();
    while (recNo > static_cast<int>(rows_.size()) && !allFetched_)
        FetchMore(std::max(1, BufferChunks));
    if (recNo < 1 || recNo > static_cast<int>(rows_.size()))
        return;
    MoveTo(recNo - 1, recNo == 1, false);
}

bool TFIBDataSet::Locate(const QString& keyFields, const QVariantList& values, int options)
{
    CheckBrowseMode();
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw EFIBError(QStringLiteral("Locate: %1 fields and %2 values").arg(names.size()).arg(values.size()));
    std::vector<TField*> keys;
    for (const QString& n : names)
        keys.push_back(FieldByName(n.trimmed()));
    const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int row = 0;; ++row) {
        if (row >= static_cast<int>(rows_.size()) && FetchMore(std::max(1, BufferChunks)) == 0)
            return false;
        bool match = true;
        {
            TRowScope scope(*this, row);
            for (std::size_t k = 0; k < keys.size() && match; ++k) {
                const TFIBValue v = keys[k]->Value();
                const QVariant& want = values[static_cast<int>(k)];
                if (v.IsNull() || !want.isValid() || want.isNull()) {
                    match = v.IsNull() && (!want.isValid() || want.isNull());
                } else if (v.kind == TFIBValue::Kind::Text) {
                    const QString have = QString::fromUtf8(v.bytes);
                    match = (options & loPartialKey) ? have.startsWith(want.toString(), cs)
                                                     : have.compare(want.toString(), cs) == 0;
                } else if (v.kind == TFIBValue::Kind::Integer) {
                    match = v.i == want.toLongLong();
                } else if (v.kind == TFIBValue::Kind::Float) {
                    match = v.d == want.toDouble();
                } else if (v.kind == TFIBValue::Kind::DateTime) {
                    const QDateTime w = want.toDateTime();
                    match = v.dt.date() == w.date() && v.dt.time() == w.time();
                } else {
                    match = false;
                }
            }
        }
        if (match) {
            MoveTo(row, row == 0, false);
            return true;
        }
    }
}

// --- editing ---------------------------------------------------------------------

void TFIBDataSet::BeginInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    if (Blank(InsertSQL()))
        throw EFIBError(QStringLiteral("Cannot insert into dataset. (No insert query)."));
    if (BeforeInsert)
        BeforeInsert(*this);
    if (BeforeScroll)
        BeforeScroll(*this);
    if (append)
        FetchAll();
    const int pos = append ? static_cast<int>(rows_.size()) : std::max(cur_, 0);
    rows_.insert(rows_.begin() + pos, Record::Nulls(static_cast<int>(cols_.size())));
    cur_ = pos;
    *editRec_ = Record::Nulls(static_cast<int>(cols_.size()));
    *oldRec_ = Record();
    state_ = TDataSetState::dsInsert;
    eof_ = bof_ = false;
    try {
        if (OnNewRecord)
            OnNewRecord(*this);
    } catch (...) {
        Cancel();
        throw;
    }
    modified_ = false;
    if (AfterInsert)
        AfterInsert(*this);
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    if (AfterScroll)
        AfterScroll(*this);
}

void TFIBDataSet::Insert() { BeginInsert(false); }
void TFIBDataSet::Append() { BeginInsert(true); }

void TFIBDataSet::DoBeforeEdit()
{
    if (Blank(UpdateSQL()))
        throw EFIBError(QStringLiteral("Cannot update. (No update query)."));
    if (BeforeEdit)
        BeforeEdit(*this);
}

void TFIBDataSet::Edit()
{
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        return;
    if (rows_.empty()) {
        Insert();
        return;
    }
    for (;;) {
        try {
            DoBeforeEdit();
            break;
        } catch (const EFIBError& e) {
            TDataAction action = TDataAction::daFail;
            if (OnEditError)
                OnEditError(*this, e, action);
            if (action == TDataAction::daRetry)
                continue;
            if (action == TDataAction::daAbort)
                throw EAbort();
            throw;
        }
    }
    if (cur_ < 0 || rows_.empty())
        throw EFIBError(QStringLiteral("The record no longer exists"));
    *oldRec_ = rows_[static_cast<std::size_t>(cur_)].Clone();
    *editRec_ = rows_[static_cast<std::size_t>(cur_)].Clone();
    state_ = TDataSetState::dsEdit;
    modified_ = false;
    if (AfterEdit)
        AfterEdit(*this);
    Notify(TDataEvent::UpdateState);
}

static bool StartsWithCI(const QString& s, const char* prefix)
{
    return s.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

void TFIBDataSet::ExecWithRecord(TFIBQuery& q, const Record& current, const Record& old)
{
    auto columnOf = [this](const QString& name) {
        for (std::size_t i = 0; i < cols_.size(); ++i) {
            if (cols_[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        return -1;
    };
    auto valueOf = [this](const Record& rec, int col) {
        const ColumnInfo& c = cols_[static_cast<std::size_t>(col)];
        const Record::Cell cell = rec.At(col);
        TFIBValue v;
        ISC_QUAD id;
        if ((c.type == TFieldType::ftBlob || c.type == TFieldType::ftMemo) && fib::BlobIdOf(cell, id)) {
            // An unchanged blob is passed on by its id, not rewritten.
            v.kind = TFIBValue::Kind::BlobId;
            v.bytes = QByteArray(reinterpret_cast<const char*>(&id), sizeof id);
            return v;
        }
        return fib::DecodeCell(c, cell);
    };
    for (int i = 0; i < q.ParamCount(); ++i) {
        TFIBParam* p = q.Params(i);
        const QString name = p->Name();
        if (name.isEmpty())
            continue;
        int col = -1;
        const Record* from = &current;
        if (StartsWithCI(name, "OLD_") && (col = columnOf(name.mid(4))) >= 0)
            from = old.Empty() ? &current : &old;
        else if (StartsWithCI(name, "NEW_") && (col = columnOf(name.mid(4))) >= 0)
            from = &current;
        else
            col = columnOf(name);
        if (col >= 0)
            p->SetValue(valueOf(*from, col));
    }
    q.ExecQuery();
}

Record TFIBDataSet::Merge(const Record& base, const Record& other, const std::vector<ColumnInfo>& otherCols) const
{
    // Every column the other record gives by name (and type) replaces the base's.
    std::vector<Record::CellIn> cells(cols_.size());
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        cells[i] = base.Take(static_cast<int>(i));
        for (std::size_t k = 0; k < otherCols.size(); ++k) {
            if (otherCols[k].name.compare(cols_[i].name, Qt::CaseInsensitive) == 0 && otherCols[k].type == cols_[i].type) {
                cells[i] = other.Take(static_cast<int>(k));
                break;
            }
        }
    }
    return Record::Build(cells);
}

std::optional<Record> TFIBDataSet::ReadRow(const Record& base)
{
    ExecWithRecord(*qRefresh_, base, base);
    if (!qRefresh_->FetchRow())
        return std::nullopt;
    const Record fresh = Record::FromOutput(qRefresh_->Output(), qRefresh_->Columns());
    Record merged = Merge(base, fresh, qRefresh_->Columns());
    qRefresh_->Close();
    return merged;
}

bool TFIBDataSet::ReadBack(int row, const Record& current, const Record& old)
{
    ExecWithRecord(*qRefresh_, current, old);
    if (!qRefresh_->FetchRow())
        return false;
    const Record fresh = Record::FromOutput(qRefresh_->Output(), qRefresh_->Columns());
    rows_[static_cast<std::size_t>(row)] = Merge(current, fresh, qRefresh_->Columns());
    qRefresh_->Close();
    return true;
}

TFIBQuery& TFIBDataSet::InsertQuery()
{
    // A row whose key the database gives (a trigger numbers it) is read back
    // by the key the database returns, not by the one it was posted with.
    const QStringList keys = Blank(RefreshSQL()) ? QStringList() : RefreshKeys(RefreshSQL());
    if (keys.isEmpty() || !Starts(InsertSQL(), "INSERT") ||
        InsertSQL().join(QLatin1Char(' ')).contains(QLatin1String("RETURNING"), Qt::CaseInsensitive))
        return *qInsert_;
    for (const QString& k : keys) {
        if (std::none_of(cols_.cbegin(), cols_.cend(),
                         [&](const ColumnInfo& c) { return c.name.compare(k, Qt::CaseInsensitive) == 0; }))
            return *qInsert_;
    }
    const QStringList sql = InsertSQL() + QStringList{QStringLiteral("RETURNING ") + keys.join(QLatin1Char(','))};
    if (qInsertReturning_->SQL() != sql)
        qInsertReturning_->SetSQL(sql);
    return *qInsertReturning_;
}

void TFIBDataSet::RemoveCurrentRow()
{
    rows_.erase(rows_.begin() + cur_);
    if (cur_ >= static_cast<int>(rows_.size()))
        cur_ = static_cast<int>(rows_.size()) - 1;
    eof_ = rows_.empty();
    bof_ = rows_.empty() || cur_ == 0;
}

void TFIBDataSet::AbandonEdit(std::optional<Record> now)
{
    if (state_ != TDataSetState::dsEdit)
        return;
    if (now)
        rows_[static_cast<std::size_t>(cur_)] = std::move(*now);
    Cancel();
    if (!now) {
        RemoveCurrentRow();
        Notify(TDataEvent::DataSetChange);
    }
}

void TFIBDataSet::Post()
{
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EFIBError(QStringLiteral("Dataset not in edit or insert mode"));
    Notify(TDataEvent::UpdateRecord);
    if (BeforePost)
        BeforePost(*this);
    if (Blank(InsertSQL()) && Blank(UpdateSQL()))
        throw EFIBError(QStringLiteral("Cannot post. (No update/insert query)."));
    const bool inserting = state_ == TDataSetState::dsInsert;
    if (!inserting && !Blank(UpdateSQL()))
        DoBeforeUpdate();
    bool found = true;
    for (;;) {
        try {
            TWaitCursor wait;
            TFIBQuery& q = inserting ? InsertQuery() : *qUpdate_;
            if (Blank(q.SQL()))
                throw EFIBError(inserting ? QStringLiteral("Cannot insert into dataset. (No insert query).")
                                          : QStringLiteral("Cannot update. (No update query)."));
            ExecWithRecord(q, *editRec_, *oldRec_);
            if (&q == qInsertReturning_.get() && q.HasRow())
                *editRec_ = Merge(*editRec_, Record::FromOutput(q.Output(), q.Columns()), q.Columns());
            else if (!inserting && Starts(UpdateSQL(), "UPDATE"))
                found = q.RowsAffected() > 0;
            break;
        } catch (const EFIBError& e) {
            TDataAction action = TDataAction::daFail;
            if (OnPostError)
                OnPostError(*this, e, action);
            if (action == TDataAction::daRetry)
                continue;
            if (action == TDataAction::daAbort)
                throw EAbort();
            throw;
        }
    }
    if (!found) {
        // Another seat deleted the row or changed its key: nothing was
        // written, and the list no longer shows a row that does not exist.
        AbandonEdit(std::nullopt);
        throw EFIBError(QString::fromUtf8(kFilaDesaparecida));
    }
    const std::size_t row = static_cast<std::size_t>(cur_);
    rows_[row] = std::move(*editRec_);
    *editRec_ = Record();
    // Values set by the server (defaults, triggers) appear at once. The row is
    // written by now: a failing read-back still ends the post, then is reported.
    std::exception_ptr readBackError;
    if (!Blank(RefreshSQL())) {
        try {
            TWaitCursor wait;
            const Record current = rows_[row].Clone();
            if (!ReadBack(cur_, current, *oldRec_))
                throw EFIBError(QString::fromUtf8(kNoReleido));
        } catch (const EFIBError&) {
            readBackError = std::current_exception();
        }
    }
    *oldRec_ = Record();
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    DoAfterPost();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    if (rereadAfterEdit_ && state_ == TDataSetState::dsBrowse)
        ReadAgainAtSameRow();
    if (readBackError)
        std::rethrow_exception(readBackError);
}

void TFIBDataSet::DoAfterPost()
{
    if (AfterPost)
        AfterPost(*this);
}

void TFIBDataSet::Cancel()
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        return;
    if (BeforeCancel)
        BeforeCancel(*this);
    if (state_ == TDataSetState::dsInsert) {
        rows_.erase(rows_.begin() + cur_);
        if (cur_ >= static_cast<int>(rows_.size()))
            cur_ = static_cast<int>(rows_.size()) - 1;
    }
    *editRec_ = Record();
    *oldRec_ = Record();
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    eof_ = rows_.empty();
    bof_ = rows_.empty() || cur_ == 0;
    DoAfterCancel();
    Notify(TDataEvent::UpdateState);
    Notify(TDataEvent::DataSetChange);
    if (rereadAfterEdit_ && state_ == TDataSetState::dsBrowse)
        ReadAgainAtSameRow();
}

void TFIBDataSet::DoAfterCancel()
{
    if (AfterCancel)
        AfterCancel(*this);
}

void TFIBDataSet::DoBeforeDelete()
{
    if (BeforeDelete)
        BeforeDelete(*this);
}

void TFIBDataSet::Delete()
{
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (state_ == TDataSetState::dsEdit)
        Cancel();
    if (rows_.empty())
        throw EFIBError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (Blank(DeleteSQL()))
        throw EFIBError(QStringLiteral("Cannot delete from dataset. (No delete query)."));
    DoBeforeDelete();
    // From here on every failure goes through OnDeleteError.
    auto falla = [this](const EFIBError& e) {
        TDataAction action = TDataAction::daFail;
        if (OnDeleteError)
            OnDeleteError(*this, e, action);
        return action;
    };
    try {
        if (BeforeScroll)
            BeforeScroll(*this);
    } catch (const EFIBError& e) {
        falla(e);
        throw;
    }
    bool found = true;
    for (;;) {
        try {
            const Record& rec = rows_[static_cast<std::size_t>(cur_)];
            ExecWithRecord(*qDelete_, rec, rec);
            if (Starts(DeleteSQL(), "DELETE"))
                found = qDelete_->RowsAffected() > 0;
            break;
        } catch (const EFIBError& e) {
            const TDataAction action = falla(e);
            if (action == TDataAction::daRetry)
                continue;
            if (action == TDataAction::daAbort)
                throw EAbort();
            throw;
        }
    }
    if (!found) {
        // The row was not as read (deleted or its key changed by another
        // seat): it leaves the list, and the user is told that nothing was
        // deleted here.
        const EFIBError desaparecida(QString::fromUtf8(kFilaDesaparecida));
        falla(desaparecida);
        RemoveCurrentRow();
        Notify(TDataEvent::DataSetChange);
        throw desaparecida;
    }
    rows_.erase(rows_.begin() + cur_);
    if (cur_ >= static_cast<int>(rows_.size()) && !allFetched_)
        FetchMore(std::max(1, BufferChunks));
    if (cur_ >= static_cast<int>(rows_.size()))
        cur_ = static_cast<int>(rows_.size()) - 1;
    eof_ = rows_.empty();
    bof_ = rows_.empty() || cur_ == 0;
    DoAfterDelete();
    Notify(TDataEvent::DataSetChange);
    if (AfterScroll)
        AfterScroll(*this);
}

void TFIBDataSet::DoAfterDelete()
{
    if (AfterDelete)
        AfterDelete(*this);
}

bool TFIBDataSet::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    if (rows_.empty() || cur_ < 0)
        return false;
    if (Blank(RefreshSQL()))
        throw EFIBError(QStringLiteral("Cannot refresh. (No refresh query)."));
    TWaitCursor wait;
    const Record current = rows_[static_cast<std::size_t>(cur_)].Clone();
    const bool found = ReadBack(cur_, current, current);
    if (!found)
        RemoveCurrentRow(); // another seat deleted the row
    Notify(TDataEvent::DataSetChange);
    return found;
}

bool TFIBDataSet::RefreshKeepingDetails()
{
    const bool quiet = std::exchange(quietDetails_, true);
    TAlSalir vuelve([this, quiet] { quietDetails_ = quiet; });
    return Refresh();
}

void TFIBDataSet::SetCurrentRecordValues(Record&& rec)
{
    if (cur_ < 0)
        return;
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        *editRec_ = std::move(rec);
    else
        rows_[static_cast<std::size_t>(cur_)] = std::move(rec);
    Notify(TDataEvent::DataSetChange);
}

// --- master and detail ---------------------------------------------------------------

void TFIBDataSet::AssignMasterParams()
{
    TFIBDataSet* master = MasterDataSet();
    if (!master || !master->Active())
        return;
    for (int i = 0; i < qSelect_->ParamCount(); ++i) {
        TFIBParam* p = qSelect_->Params(i);
        if (TField* f = master->FindField(p->Name()))
            p->SetValue(f->Value()); // a null master value gives a NULL parameter
    }
}

void TFIBDataSet::MasterChanged()
{
    if (!Active() && !closedByMaster_)
        return;
    if (Active())
        CheckBrowseMode();
    closedByMaster_ = false;
    Close();
    Open();
}

void TFIBDataSet::MasterClosed()
{
    if (Active()) {
        Close();
        closedByMaster_ = true; // opens again with the master
    }
}
