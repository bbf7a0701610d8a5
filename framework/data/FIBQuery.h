#pragma once
#include "FIBError.h"
#include "FIBTransaction.h"
#include "FIBTypes.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TFIBDatabase;
class TFIBQuery;
namespace fib {
class SqlDA;
struct ColumnInfo;
struct ParamSlot;
}

// A parameter of a statement, written "?name" in the text. One object serves
// every occurrence of the same name.
class TFIBParam {
public:
    explicit TFIBParam(const QString& name) : name_(name) {}
    QString Name() const { return name_; }
    bool IsNull() const { return value_.IsNull(); }
    void SetNull() { value_ = TFIBValue(); }
    void SetIsNull(bool null) { if (null) SetNull(); }
    void SetAsString(const QString& v) { value_ = TFIBValue::Text(v); }
    void SetAsInteger(qint64 v) { value_ = TFIBValue::Integer(v); }
    void SetAsFloat(double v) { value_ = TFIBValue::Float(v); }
    void SetAsDateTime(const QDateTime& v) { value_ = TFIBValue::DateTime(v); }
    void SetAsBytes(const QByteArray& v) { value_ = TFIBValue::Bytes(v); } // blob content, byte for byte
    void SetAsVariant(const QVariant& v);
    void SetValue(const TFIBValue& v) { value_ = v; }
    const TFIBValue& Value() const { return value_; }
    QString AsString() const { return value_.AsString(); }

private:
    QString name_;
    TFIBValue value_;
};

// A column of the current row of a query.
class TFIBColumn {
public:
    TFIBColumn(TFIBQuery* q, int index) : query_(q), index_(index) {}
    QString Name() const;
    TFieldType DataType() const;
    bool IsNull() const;
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    QDateTime AsDateTime() const;
    QByteArray AsBytes() const; // blob content or text bytes
    QVariant AsVariant() const;
    TFIBValue Value() const;

private:
    TFIBQuery* query_;
    int index_;
};

// One SQL statement with parameters and a forward-only result.
class TFIBQuery : public TFIBTransactionUser {
public:
    TFIBQuery();
    ~TFIBQuery() override;
    TFIBQuery(const TFIBQuery&) = delete;
    TFIBQuery& operator=(const TFIBQuery&) = delete;

    TFIBDatabase* Database() const { return database_; }
    void SetDatabase(TFIBDatabase* db);
    TFIBTransaction* Transaction() const { return transaction_; }
    void SetTransaction(TFIBTransaction* tr);
    const QStringList& SQL() const { return sql_; }
    void SetSQL(const QStringList& lines); // unprepares; parameter values of kept names survive
    void SetSQL(const QString& text) { SetSQL(QStringList{text}); }
    QString SQLText() const { return sql_.join(QLatin1Char('\n')); }
    bool GoToFirstRecordOnExecute = true;
    bool ParamCheck = true;
    std::function<void(TFIBQuery&)> OnSQLChanging;

    void Prepare();
    bool Prepared() const { return handle_ != 0; }
    void ExecQuery(); // prepares when needed; a select opens its cursor
    bool Next();      // fetches the next row; false at the end
    void Close();     // closes the cursor
    void FreeHandle(); // unprepares: frees the server statement
    bool Open() const { return cursorOpen_ || hasRow_; }
    bool Eof() const { return eof_; }
    int RecordCount() const { return fetched_; } // rows fetched so far
    bool IsSelect() const;
    int RowsAffected();
    QString Plan(); // the server's access plan, as "PLAN (...)"; prepares when needed

    int ParamCount() const { return static_cast<int>(params_.size()); }
    TFIBParam* ParamByName(const QString& name) const; // case-insensitive; nullptr when none
    TFIBParam* Params(int i) const { return params_.at(static_cast<std::size_t>(i)).get(); }
    int ParamPositionCount() const { return static_cast<int>(positions_.size()); }
    TFIBParam* ParamAtPosition(int pos) const; // by position in the text

    int FieldCount() const;
    TFIBColumn* FieldByName(const QString& name); // an unknown name is an error
    TFIBColumn* FindField(const QString& name);
    TFIBColumn* Fields(int i);

    // For datasets built on queries.
    struct BindOptions {
        bool datasetNulls = false;
        bool cutText = false;
    };
    void SetBindOptions(const BindOptions& o) { bindOptions_ = o; }
    bool FetchRow(); // raw fetch into the output area; false at the end
    bool HasRow() const { return hasRow_; }
    const fib::SqlDA& Output() const { return *out_; }
    const std::vector<fib::ColumnInfo>& Columns() const { return columns_; }
    QByteArray ReadBlob(const void* blobId);
    void DatabaseGone();
    // The attachment was lost: the statement is gone without the server
    // being told; it is prepared again on its next use.
    void ConnectionLost() override;

    // TFIBTransactionUser
    void TransactionEnding() override;
    void TransactionGone() override;

    // Splits "?name" parameters out of a statement text: the text the server
    // gets (with plain "?") and the names in order ("" for a bare "?").
    static QString ParseParams(const QString& text, QStringList* names);

private:
    void CheckReady();
    void BindParams();
    void ParseAllParams();
    TFIBValue ColumnValue(int i);
    friend class TFIBColumn;

    TFIBDatabase* database_ = nullptr;
    TFIBTransaction* transaction_ = nullptr;
    QStringList sql_;
    QByteArray serverText_;
    std::uint32_t handle_ = 0;
    int statementType_ = 0;
    bool cursorOpen_ = false;
    bool hasRow_ = false;
    bool eof_ = true;
    int fetched_ = 0;
    BindOptions bindOptions_;
    std::vector<std::unique_ptr<TFIBParam>> params_;
    std::vector<int> positions_; // position -> index in params_
    std::unique_ptr<fib::SqlDA> in_;   // as described by the server
    std::unique_ptr<fib::SqlDA> bind_; // as sent
    std::vector<fib::ParamSlot> slots_;
    std::unique_ptr<fib::SqlDA> out_;
    std::vector<fib::ColumnInfo> columns_;
    std::vector<std::unique_ptr<TFIBColumn>> fieldObjects_;
};
