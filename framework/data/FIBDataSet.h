#pragma once
#include "DataSource.h"
#include "FIBFields.h"
#include "FIBQuery.h"
#include "FIBRecord.h"

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>


enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum class TDataAction { daFail, daAbort, daRetry };
enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };

// The key columns named by the parameters of a refresh statement, in order;
// a name "old_X" or "new_X" stands for X.
QStringList RefreshKeys(const QStringList& refresh);

// A buffered, navigable, editable result set. Rows are fetched on demand,
// BufferChunks at a time, and kept packed; edits are written with the
// dataset's own insert, update and delete statements, and a posted row is read
// back with the refresh statement.
class TFIBDataSet : public TFIBTransactionUser {
public:
    TFIBDataSet();
    ~TFIBDataSet() override;
    TFIBDataSet(const TFIBDataSet&) = delete;
    TFIBDataSet& operator=(const TFIBDataSet&) = delete;

    QString Name; // the component name, used in messages

    TFIBDatabase* Database() const { return database_; }
    virtual void SetDatabase(TFIBDatabase* db);
    TFIBTransaction* Transaction() const { return transaction_; }
    virtual void SetTransaction(TFIBTransaction* tr);

    // The statements may be changed only while the dataset is closed.
    const QStringList& SelectSQL() const;
    const QStringList& InsertSQL() const;
    const QStringList& UpdateSQL() const;
    const QStringList& DeleteSQL() const;
    const QStringList& RefreshSQL() const;
    void SetSelectSQL(const QStringList& s);
    void SetInsertSQL(const QStringList& s);
    void SetUpdateSQL(const QStringList& s);
    void SetDeleteSQL(const QStringList& s);
    void SetRefreshSQL(const QStringList& s);

    TDataSource* DataSource() const; // the master
    void SetDataSource(TDataSource* master);
    int BufferChunks = 32;
    bool CachedUpdates = false; // the program never caches updates
    bool UniDirectional = false;
    bool AutoCalcFields = true;

    using Event = std::function<void(TFIBDataSet&)>;
    using ErrorEvent = std::function<void(TFIBDataSet&, const EFIBError&, TDataAction&)>;
    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit, AfterEdit,
        BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll,
        OnNewRecord, OnCalcFields;
    // OnDeleteError hears of every delete that fails once BeforeDelete has
    // run (a row another seat deleted first included), so that what
    // BeforeDelete began can be undone; a retry is taken only for the
    // statement's own errors.
    ErrorEvent OnPostError, OnEditError, OnDeleteError;

    void Open();
    void Close();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool value) { value ? Open() : Close(); }
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool CanModify() const; // any of insert, update or delete statement present

    void First();
    void Prior();
    void Next();
    void Last(); // fetches every row
    int MoveBy(int distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return rows_.empty(); }
    int RecordCount() const { return static_cast<int>(rows_.size()); } // rows fetched so far
    int RecNo() const { return cur_ + 1; } // 1-based; 0 when empty
    void SetRecNo(int recNo);
    bool Locate(const QString& keyFields, const QVariantList& values, int options = 0);

    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Re-reads the current row only. False when there is no current row or
    // another seat deleted it (the row then leaves the cache).
    bool Refresh();
    // Re-reads the current row as Refresh does while the details keep their
    // rows, and a detail row being typed its edit: for columns no detail
    // depends on, such as totals the server writes.
    bool RefreshKeepingDetails();
    void CheckBrowseMode(); // posts a modified record, cancels an unmodified one

    // Fields in column order (calculated fields last); valid while open,
    // declared fields always.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int i) const { return fields_.at(static_cast<std::size_t>(i)); }
    TField* FindField(const QString& name) const;
    TField* FieldByName(const QString& name) const; // an unknown name is an error
    template <class F>
    F* AddField(const QString& fieldName)
    {
        auto f = std::make_unique<F>(fieldName);
        F* raw = f.get();
        AddDeclaredField(std::move(f));
        return raw;
    }
    TFIBParam* ParamByName(const QString& name) const; // of the select statement
    TFIBQuery& SelectQuery() { return *qSelect_; }

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Fetching, for lists that show the rows as they are needed.
    bool AllFetched() const { return allFetched_; }
    int FetchMore(int count); // returns the number of rows added
    void FetchAll();
    // Reading another cached row without moving: fields read that row while
    // the scope lives (the grid paints its rows this way).
    class TRowScope {
    public:
        TRowScope(TFIBDataSet& ds, int row);
        ~TRowScope();
        TRowScope(const TRowScope&) = delete;
        TRowScope& operator=(const TRowScope&) = delete;

    private:
        TFIBDataSet& ds_;
        int saved_;
    };

    // For the layer's own units and the fields.
    TFIBValue FieldValue(const TField* f) const;
    TFIBValue FieldOldValue(const TField* f) const;
    // The record the fields read and the column of a bound field, so that a
    // field can read its cell without making a value; nullptr for a calculated
    // or unbound field, a closed dataset or no record.
    const fib::Record* FieldRecord(const TField* f, const fib::ColumnInfo*& col) const;
    void SetFieldValue(TField* f, const TFIBValue& v);
    const fib::ColumnInfo* Column(int index) const;
    void RegisterSource(TDataSource* s);
    void UnregisterSource(TDataSource* s);
    std::size_t CachedBytes() const; // memory held by the cached rows and their list
    void TransactionEnding() override;
    void TransactionGone() override;
    // A lost connection takes the cursor: the cached rows and an edit in
    // progress stay; once it is back, a dataset that was only browsing is
    // read again at the same row, and one that was editing once its edit is
    // saved or cancelled. Reading a master again leaves its details alone:
    // each is read again (or keeps its edit) on its own.
    void ConnectionLost() override;
    void ConnectionRestored() override;

protected:
    // Steps that a derived dataset widens; each base version runs the
    // dataset's own checks and events.
    virtual void DoBeforeEdit();
    virtual void DoBeforeDelete();
    virtual void DoAfterPost();
    virtual void DoAfterCancel();
    virtual void DoAfterDelete();
    virtual void AssignMasterParams();
    virtual void DoAfterOpen();
    TFIBDataSet* MasterDataSet() const;
    void Notify(TDataEvent event, TField* field = nullptr);
    // Runs a statement with parameters from the record (Algorithm of names:
    // X, OLD_X, NEW_X).
    void ExecWithRecord(TFIBQuery& q, const fib::Record& current, const fib::Record& old);
    // Re-reads the given row with the refresh statement; false when it is gone.
    bool ReadBack(int row, const fib::Record& current, const fib::Record& old);
    // The row as the server has it now, read with the refresh statement by
    // the values of `base`: the columns the refresh statement gives, the
    // others as in `base`. Nothing when the row is gone.
    std::optional<fib::Record> ReadRow(const fib::Record& base);
    // Before the update statement writes an edited row (the table dataset
    // checks that nobody else changed it).
    virtual void DoBeforeUpdate() {}
    // Ends an edit without writing it: the row shows `now`, or leaves the
    // cache when it is gone; the cancel events run.
    void AbandonEdit(std::optional<fib::Record> now);
    // The record as it was when editing began (empty while browsing).
    const fib::Record& OldRecord() const { return *oldRec_; }
    const fib::Record& CurrentRecord() const;
    int CurrentIndex() const { return cur_; }
    void SetCurrentRecordValues(fib::Record&& rec);

private:
    class TMasterLink;
    void AddDeclaredField(std::unique_ptr<TField> f);
    void BindFields();
    void ReleaseFields();
    void CheckActive() const;
    void CheckClosed() const;
    void BeginInsert(bool append);
    void MoveTo(int index, bool bof, bool eof);
    void MasterChanged();
    // Closes and opens again at the same row, the details left as they are.
    void ReadAgainAtSameRow();
    void MasterClosed();
    TFIBValue CellValue(const fib::Record& rec, int col) const;
    void RecalcIfNeeded() const;

    TFIBDatabase* database_ = nullptr;
    TFIBTransaction* transaction_ = nullptr;
    TFIBQuery& InsertQuery();
    fib::Record Merge(const fib::Record& base, const fib::Record& other,
                      const std::vector<fib::ColumnInfo>& otherCols) const;
    void RemoveCurrentRow();

    std::unique_ptr<TFIBQuery> qSelect_, qInsert_, qUpdate_, qDelete_, qRefresh_;
    // The insert statement followed by "RETURNING" and the row's keys, so a
    // row whose key the database gives is read back by that key.
    std::unique_ptr<TFIBQuery> qInsertReturning_;
    std::unique_ptr<TMasterLink> masterLink_;
    std::vector<fib::ColumnInfo> cols_;
    std::vector<fib::Record> rows_;
    // The fetched rows, freed on close; rows edited since hold their own
    // buffers, and a deleted row's bytes stay here until then.
    fib::RowArena arena_;
    std::unique_ptr<fib::Record> editRec_, oldRec_;
    TDataSetState state_ = TDataSetState::dsInactive;
    int cur_ = -1;
    int displayRow_ = -1;
    bool bof_ = true, eof_ = true, modified_ = false, allFetched_ = true;
    int disableCount_ = 0;
    bool pendingChange_ = false;
    bool closedByMaster_ = false;
    bool quietDetails_ = false;    // the details do not follow this dataset for now
    bool rereadAfterEdit_ = false; // the cursor was lost during an edit
    std::vector<std::unique_ptr<TField>> declared_;
    std::vector<std::unique_ptr<TField>> defaults_;
    std::vector<TField*> fields_;
    std::vector<TDataSource*> sources_;
    // Calculated values of one record, made on demand by OnCalcFields.
    mutable std::vector<TFIBValue> calc_;
    mutable const void* calcFor_ = nullptr;
    mutable bool inCalc_ = false;
    mutable int blobCacheRow_ = -1, blobCacheCol_ = -1;
    mutable QByteArray blobCache_;
};

// Inline: fields reach the cached row through these for every cell a list reads.
inline const fib::Record& TFIBDataSet::CurrentRecord() const
{
    static const fib::Record kNone;
    const bool editing = state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert;
    if (displayRow_ >= 0) {
        if (displayRow_ == cur_ && editing)
            return *editRec_;
        if (displayRow_ < static_cast<int>(rows_.size()))
            return rows_[static_cast<std::size_t>(displayRow_)];
        return kNone;
    }
    if (editing)
        return *editRec_;
    if (cur_ >= 0 && cur_ < static_cast<int>(rows_.size()))
        return rows_[static_cast<std::size_t>(cur_)];
    return kNone;
}

inline const fib::Record* TFIBDataSet::FieldRecord(const TField* f, const fib::ColumnInfo*& col) const
{
    const int i = f->Index();
    if (f->Calculated || !Active() || i < 0 || i >= static_cast<int>(cols_.size()))
        return nullptr;
    const fib::Record& rec = CurrentRecord();
    if (rec.Empty())
        return nullptr;
    col = &cols_[static_cast<std::size_t>(i)];
    return &rec;
}
