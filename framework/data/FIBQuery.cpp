#include "FIBQuery.h"
#include "FIBDatabase.h"
#include "FIBInternal.h"

#include <algorithm>
#include <cstring>

using fib::CheckStatus;

void TFIBParam::SetAsVariant(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) {
        SetNull();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Bool: SetAsInteger(v.toLongLong()); break;
    case QMetaType::Double:
    case QMetaType::Float: SetAsFloat(v.toDouble()); break;
    case QMetaType::QDateTime: SetAsDateTime(v.toDateTime()); break;
    case QMetaType::QDate: SetAsDateTime(MakeDateTime(v.toDate())); break;
    case QMetaType::QByteArray: SetAsBytes(v.toByteArray()); break;
    default: SetAsString(v.toString()); break;
    }
}

// --- columns -------------------------------------------------------------------

QString TFIBColumn::Name() const { return query_->columns_.at(index_).name; }
TFieldType TFIBColumn::DataType() const { return query_->columns_.at(index_).type; }
TFIBValue TFIBColumn::Value() const { return query_->ColumnValue(index_); }
bool TFIBColumn::IsNull() const { return Value().IsNull(); }
QString TFIBColumn::AsString() const { return Value().AsString(); }
QVariant TFIBColumn::AsVariant() const { return Value().AsVariant(); }
QByteArray TFIBColumn::AsBytes() const { return Value().bytes; }

qint64 TFIBColumn::AsInteger() const
{
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::Integer: return v.i;
    case TFIBValue::Kind::Float: return static_cast<qint64>(v.d);
    case TFIBValue::Kind::Text: return TextToInteger(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return 0;
    default: throw EFIBError(QStringLiteral("Column '%1' is not a number").arg(Name()));
    }
}

double TFIBColumn::AsFloat() const
{
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::Integer: return static_cast<double>(v.i);
    case TFIBValue::Kind::Float: return v.d;
    case TFIBValue::Kind::Text: return TextToFloat(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return 0;
    default: throw EFIBError(QStringLiteral("Column '%1' is not a number").arg(Name()));
    }
}

QDateTime TFIBColumn::AsDateTime() const
{
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::DateTime: return v.dt;
    case TFIBValue::Kind::Text: return TextToDateTime(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return QDateTime();
    default: throw EFIBError(QStringLiteral("Column '%1' is not a date").arg(Name()));
    }
}

// --- query ---------------------------------------------------------------------

TFIBQuery::TFIBQuery()
    : in_(std::make_unique<fib::SqlDA>()), bind_(std::make_unique<fib::SqlDA>()), out_(std::make_unique<fib::SqlDA>())
{
}

TFIBQuery::~TFIBQuery()
{
    FreeHandle();
    if (transaction_)
        transaction_->Unregister(this);
    if (database_)
        database_->Unregister(this);
}

void TFIBQuery::SetDatabase(TFIBDatabase* db)
{
    if (db == database_)
        return;
    FreeHandle();
    if (database_)
        database_->Unregister(this);
    database_ = db;
    if (database_)
        database_->Register(this);
}

void TFIBQuery::SetTransaction(TFIBTransaction* tr)
{
    if (tr == transaction_)
        return;
    Close();
    if (transaction_)
        transaction_->Unregister(this);
    transaction_ = tr;
    if (transaction_)
        transaction_->Register(this);
}

void TFIBQuery::SetSQL(const QStringList& lines)
{
    if (OnSQLChanging)
        OnSQLChanging(*this);
    FreeHandle();
    sql_ = lines;
    ParseAllParams();
}

QString TFIBQuery::ParseParams(const QString& text, QStringList* names)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); };
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal runs to the matching quote; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += text.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && text[i + 1] == QLatin1Char('-')) {
            qsizetype j = text.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            out += text.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            qsizetype j = text.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += text.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('?')) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(text[j]))
                ++j;
            if (names)
                *names << text.mid(i + 1, j - i - 1);
            out += QLatin1Char('?');
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void TFIBQuery::ParseAllParams()
{
    std::vector<std::unique_ptr<TFIBParam>> old;
    old.swap(params_);
    positions_.clear();
    QStringList names;
    serverText_ = (ParamCheck ? ParseParams(SQLText(), &names) : SQLText()).toUtf8();
    for (const QString& name : std::as_const(names)) {
        int index = -1;
        if (!name.isEmpty()) {
            for (std::size_t k = 0; k < params_.size(); ++k) {
                if (params_[k]->Name().compare(name, Qt::CaseInsensitive) == 0) {
                    index = static_cast<int>(k);
                    break;
                }
            }
        }
        if (index < 0) {
            auto p = std::make_unique<TFIBParam>(name);
            for (const auto& o : old) {
                if (!name.isEmpty() && o->Name().compare(name, Qt::CaseInsensitive) == 0)
                    p->SetValue(o->Value());
            }
            params_.push_back(std::move(p));
            index = static_cast<int>(params_.size()) - 1;
        }
        positions_.push_back(index);
    }
}

TFIBParam* TFIBQuery::ParamByName(const QString& name) const
{
    for (const auto& p : params_) {
        if (!p->Name().isEmpty() && p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

TFIBParam* TFIBQuery::ParamAtPosition(int pos) const
{
    return params_.at(static_cast<std::size_t>(positions_.at(static_cast<std::size_t>(pos)))).get();
}

void TFIBQuery::CheckReady()
{
    if (!database_)
        throw EFIBError(QStringLiteral("Database not assigned"));
    if (!database_->Connected())
        throw EFIBError(QStringLiteral("Database not connected"));
    if (!transaction_)
        throw EFIBError(QStringLiteral("Transaction not assigned"));
    if (!transaction_->Active())
        transaction_->StartTransaction();
}

void TFIBQuery::Prepare()
{
    if (Prepared())
        return;
    CheckReady();
    if (serverText_.trimmed().isEmpty())
        throw EFIBError(QStringLiteral("Empty query."));
    // The engine reads the text up to its first NUL: a statement holding one
    // would run cut short.
    if (serverText_.contains('\0'))
        throw EFIBError(QStringLiteral("La sentencia contiene un carácter nulo y no se puede ejecutar."));
    ISC_STATUS_ARRAY st;
    isc_stmt_handle h = 0;
    isc_dsql_allocate_statement(st, database_->HandlePtr(), &h);
    CheckStatus(st);
    try {
        out_->Resize(20);
        isc_dsql_prepare(st, transaction_->HandlePtr(), &h, 0, serverText_.constData(),
                         static_cast<unsigned short>(database_->SQLDialect()), out_->get());
        CheckStatus(st);
        if (out_->Count() > out_->Capacity()) {
            const int n = out_->Count();
            out_->Resize(n);
            isc_dsql_describe(st, &h, 1, out_->get());
            CheckStatus(st);
        }
        out_->AllocOutputBuffers();
        in_->Resize(std::max<int>(1, static_cast<int>(positions_.size())));
        isc_dsql_describe_bind(st, &h, 1, in_->get());
        CheckStatus(st);
        if (in_->Count() > in_->Capacity()) {
            const int n = in_->Count();
            in_->Resize(n);
            isc_dsql_describe_bind(st, &h, 1, in_->get());
            CheckStatus(st);
        }
        const char items[] = {isc_info_sql_stmt_type};
        char buf[16];
        isc_dsql_sql_info(st, &h, sizeof items, items, sizeof buf, buf);
        CheckStatus(st);
        statementType_ = 0;
        if (buf[0] == isc_info_sql_stmt_type) {
            const short len = static_cast<short>(isc_vax_integer(buf + 1, 2));
            statementType_ = static_cast<int>(isc_vax_integer(buf + 3, len));
        }
        if (in_->Count() != static_cast<int>(positions_.size()))
            throw EFIBError(QStringLiteral("The statement has %1 parameters; its text names %2")
                                .arg(in_->Count())
                                .arg(positions_.size()));
    } catch (...) {
        ISC_STATUS_ARRAY st2;
        isc_dsql_free_statement(st2, &h, DSQL_drop);
        throw;
    }
    handle_ = h;
    columns_.clear();
    fieldObjects_.clear();
    for (int i = 0; i < out_->Count(); ++i) {
        columns_.push_back(fib::DescribeColumn(out_->Var(i)));
        fieldObjects_.push_back(std::make_unique<TFIBColumn>(this, i));
    }
}

bool TFIBQuery::IsSelect() const
{
    return statementType_ == isc_info_sql_stmt_select || statementType_ == isc_info_sql_stmt_select_for_upd;
}

void TFIBQuery::BindParams()
{
    const int n = static_cast<int>(positions_.size());
    bind_->Resize(n);
    bind_->get()->sqld = static_cast<short>(n);
    slots_.assign(static_cast<std::size_t>(n), fib::ParamSlot());
    fib::BindRules rules;
    rules.datasetNulls = bindOptions_.datasetNulls;
    rules.cutText = bindOptions_.cutText;
    auto makeBlob = [this](const QByteArray& bytes) {
        return fib::WriteBlob(database_->HandlePtr(), transaction_->HandlePtr(), bytes);
    };
    for (int i = 0; i < n; ++i)
        fib::BindValue(bind_->Var(i), in_->Var(i), slots_[static_cast<std::size_t>(i)], ParamAtPosition(i)->Value(),
                       rules, makeBlob);
}

void TFIBQuery::ExecQuery()
{
    CheckReady();
    Prepare();
    Close();
    BindParams();
    XSQLDA* inDA = positions_.empty() ? nullptr : bind_->get();
    ISC_STATUS_ARRAY st;
    if (IsSelect()) {
        isc_dsql_execute(st, transaction_->HandlePtr(), &handle_, 1, inDA);
        CheckStatus(st);
        cursorOpen_ = true;
        eof_ = false;
        if (GoToFirstRecordOnExecute)
            Next();
    } else if (statementType_ == isc_info_sql_stmt_exec_procedure && out_->Count() > 0) {
        isc_dsql_execute2(st, transaction_->HandlePtr(), &handle_, 1, inDA, out_->get());
        CheckStatus(st);
        hasRow_ = true;
        eof_ = false;
        fetched_ = 1;
    } else {
        isc_dsql_execute(st, transaction_->HandlePtr(), &handle_, 1, inDA);
        CheckStatus(st);
    }
}

bool TFIBQuery::FetchRow()
{
    if (!cursorOpen_) {
        hasRow_ = false;
        eof_ = true;
        return false;
    }
    ISC_STATUS_ARRAY st;
    const ISC_STATUS r = isc_dsql_fetch(st, &handle_, 1, out_->get());
    if (r == 100) {
        // The end of the rows frees the server's cursor; the count of rows fetched stays.
        isc_dsql_free_statement(st, &handle_, DSQL_close);
        cursorOpen_ = false;
        hasRow_ = false;
        eof_ = true;
        return false;
    }
    CheckStatus(st);
    hasRow_ = true;
    ++fetched_;
    return true;
}

bool TFIBQuery::Next()
{
    if (!cursorOpen_) {
        // The single row of a procedure call, or nothing.
        hasRow_ = false;
        eof_ = true;
        return false;
    }
    return FetchRow();
}

void TFIBQuery::Close()
{
    if (cursorOpen_ && handle_) {
        ISC_STATUS_ARRAY st;
        // A cursor already closed by the end of its transaction answers with an error: nothing to do then.
        isc_dsql_free_statement(st, &handle_, DSQL_close);
    }
    cursorOpen_ = false;
    hasRow_ = false;
    eof_ = true;
    fetched_ = 0;
}

void TFIBQuery::FreeHandle()
{
    Close();
    if (handle_) {
        ISC_STATUS_ARRAY st;
        if (database_ && database_->Connected())
            isc_dsql_free_statement(st, &handle_, DSQL_drop);
        handle_ = 0;
    }
    columns_.clear();
    fieldObjects_.clear();
}

int TFIBQuery::RowsAffected()
{
    if (!handle_)
        return 0;
    const char items[] = {isc_info_sql_records};
    char buf[128];
    ISC_STATUS_ARRAY st;
    isc_dsql_sql_info(st, &handle_, sizeof items, items, sizeof buf, buf);
    CheckStatus(st);
    if (buf[0] != isc_info_sql_records)
        return 0;
    int total = 0;
    int i = 3;
    while (i < static_cast<int>(sizeof buf) - 3 && buf[i] != isc_info_end) {
        const char item = buf[i];
        const short len = static_cast<short>(isc_vax_integer(buf + i + 1, 2));
        const int value = static_cast<int>(isc_vax_integer(buf + i + 3, len));
        if (item == isc_info_req_insert_count || item == isc_info_req_update_count || item == isc_info_req_delete_count)
            total += value;
        i += 3 + len;
    }
    return total;
}

QString TFIBQuery::Plan()
{
    Prepare();
    const char items[] = {isc_info_sql_get_plan};
    std::vector<char> buf(2048);
    for (;;) {
        ISC_STATUS_ARRAY st;
        isc_dsql_sql_info(st, &handle_, sizeof items, items, static_cast<short>(buf.size()), buf.data());
        CheckStatus(st);
        if (buf[0] == isc_info_truncated && buf.size() < 16384) {
            buf.resize(buf.size() * 2);
            continue;
        }
        if (buf[0] != isc_info_sql_get_plan)
            return QString();
        const int len = static_cast<int>(isc_vax_integer(buf.data() + 1, 2));
        return QString::fromUtf8(buf.data() + 3, std::min(len, static_cast<int>(buf.size()) - 3)).trimmed();
    }
}

int TFIBQuery::FieldCount() const { return static_cast<int>(columns_.size()); }

TFIBColumn* TFIBQuery::FindField(const QString& name)
{
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return fieldObjects_[i].get();
    }
    return nullptr;
}

TFIBColumn* TFIBQuery::FieldByName(const QString& name)
{
    TFIBColumn* c = FindField(name);
    if (!c)
        throw EFIBError(QStringLiteral("Field '%1' not found").arg(name));
    return c;
}

TFIBColumn* TFIBQuery::Fields(int i) { return fieldObjects_.at(static_cast<std::size_t>(i)).get(); }

TFIBValue TFIBQuery::ColumnValue(int i)
{
    if (!hasRow_)
        return TFIBValue();
    const fib::ColumnInfo& col = columns_.at(static_cast<std::size_t>(i));
    fib::Record::Cell raw;
    TFIBValue v = fib::DecodeOutput(out_->Var(i), col, &raw);
    ISC_QUAD id;
    if ((col.type == TFieldType::ftBlob || col.type == TFieldType::ftMemo) && fib::BlobIdOf(raw, id))
        return TFIBValue::Bytes(ReadBlob(&id));
    return v;
}

QByteArray TFIBQuery::ReadBlob(const void* blobId)
{
    CheckReady();
    ISC_QUAD id;
    std::memcpy(&id, blobId, sizeof id);
    return fib::ReadBlob(database_->HandlePtr(), transaction_->HandlePtr(), id);
}

void TFIBQuery::TransactionEnding() { Close(); }

void TFIBQuery::TransactionGone()
{
    Close();
    transaction_ = nullptr;
}

void TFIBQuery::ConnectionLost()
{
    cursorOpen_ = false;
    hasRow_ = false;
    eof_ = true;
    handle_ = 0; // gone with the attachment
    columns_.clear();
    fieldObjects_.clear();
}

void TFIBQuery::DatabaseGone()
{
    cursorOpen_ = false;
    hasRow_ = false;
    eof_ = true;
    handle_ = 0; // freed with the attachment
    columns_.clear();
    fieldObjects_.clear();
    database_ = nullptr;
}
