#include "FIBFields.h"
#include "FIBDataSet.h"
#include "FIBError.h"
#include "FIBInternal.h"
#include "UFormatos.h"

TField::~TField() = default;

TFieldType TField::DataType() const
{
    if (Calculated)
        return CalcType;
    if (dataSet_ && index_ >= 0) {
        if (const fib::ColumnInfo* c = dataSet_->Column(index_))
            return c->type;
    }
    return TFieldType::ftUnknown;
}

int TField::Size() const
{
    if (dataSet_ && index_ >= 0) {
        if (const fib::ColumnInfo* c = dataSet_->Column(index_))
            return c->charSize;
    }
    return 0;
}

TFIBValue TField::Value() const
{
    if (!dataSet_)
        throw EFIBError(QStringLiteral("Field '%1' has no dataset").arg(fieldName_));
    return dataSet_->FieldValue(this);
}

TFIBValue TField::OldValue() const
{
    if (!dataSet_)
        throw EFIBError(QStringLiteral("Field '%1' has no dataset").arg(fieldName_));
    return dataSet_->FieldOldValue(this);
}

// Text and whole numbers are read straight from the cached row, without a
// value in between: lists read every field of every row this way. Other types,
// blobs and calculated fields go through Value().
const fib::Record* TField::StoredRecord(const fib::ColumnInfo*& col) const
{
    if (!dataSet_)
        return nullptr;
    const fib::Record* rec = dataSet_->FieldRecord(this, col);
    return rec && col->type != TFieldType::ftUnknown ? rec : nullptr;
}

bool TField::IsNull() const
{
    const fib::ColumnInfo* col = nullptr;
    if (const fib::Record* rec = StoredRecord(col))
        return rec->At(index_).null;
    return Value().IsNull();
}

QString TField::AsString() const
{
    const fib::ColumnInfo* col = nullptr;
    if (const fib::Record* rec = StoredRecord(col)) {
        const fib::Record::Cell cell = rec->At(index_);
        if (cell.null)
            return QString();
        if (col->type == TFieldType::ftString)
            return QString::fromUtf8(cell.data, static_cast<qsizetype>(cell.len));
        if (fib::IsWholeNumber(col->type))
            return QString::number(fib::CellInteger(*col, cell));
    }
    return Value().AsString();
}

QVariant TField::AsVariant() const { return Value().AsVariant(); }
QByteArray TField::AsBytes() const { return Value().bytes; }

qint64 TField::AsInteger() const
{
    const fib::ColumnInfo* col = nullptr;
    if (const fib::Record* rec = StoredRecord(col); rec && fib::IsWholeNumber(col->type)) {
        const fib::Record::Cell cell = rec->At(index_);
        return cell.null ? 0 : fib::CellInteger(*col, cell);
    }
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::Integer: return v.i;
    case TFIBValue::Kind::Float: return static_cast<qint64>(v.d);
    case TFIBValue::Kind::Text: return v.bytes.trimmed().isEmpty() ? 0 : TextToInteger(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return 0;
    default: throw EFIBError(QStringLiteral("Field '%1' is not a number").arg(fieldName_));
    }
}

double TField::AsFloat() const
{
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::Integer: return static_cast<double>(v.i);
    case TFIBValue::Kind::Float: return v.d;
    case TFIBValue::Kind::Text: return v.bytes.trimmed().isEmpty() ? 0 : TextToFloat(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return 0;
    default: throw EFIBError(QStringLiteral("Field '%1' is not a number").arg(fieldName_));
    }
}

QDateTime TField::AsDateTime() const
{
    const TFIBValue v = Value();
    switch (v.kind) {
    case TFIBValue::Kind::DateTime: return v.dt;
    case TFIBValue::Kind::Text: return TextToDateTime(QString::fromUtf8(v.bytes));
    case TFIBValue::Kind::Null: return QDateTime();
    default: throw EFIBError(QStringLiteral("Field '%1' is not a date").arg(fieldName_));
    }
}

void TField::SetValue(const TFIBValue& v)
{
    if (!dataSet_)
        throw EFIBError(QStringLiteral("Field '%1' has no dataset").arg(fieldName_));
    dataSet_->SetFieldValue(this, Normalize(v));
}

void TField::SetAsString(const QString& v) { SetValue(TFIBValue::Text(v)); }

void TField::SetAsVariant(const QVariant& v)
{
    TFIBParam p(QString{});
    p.SetAsVariant(v);
    SetValue(p.Value());
}

QString TField::Text() const
{
    QString text;
    if (OnGetText) {
        const_cast<TField*>(this)->OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    return AsString();
}

QString TField::DisplayText() const
{
    if (OnGetText) {
        QString text;
        const_cast<TField*>(this)->OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    return FormatDisplay(Value());
}

void TField::SetText(const QString& text)
{
    if (OnSetText)
        OnSetText(*this, text);
    else
        SetAsString(text);
}

QString TField::FormatDisplay(const TFIBValue& v) const { return v.AsString(); }

// Display formats follow the program's own separators, whatever the machine's locale.
static QString Formatted(const QString& format, const TFIBValue& v)
{
    if (format.isEmpty() || v.IsNull())
        return v.AsString();
    switch (v.kind) {
    case TFIBValue::Kind::Integer: return FormatoNumero(static_cast<double>(v.i), format);
    case TFIBValue::Kind::Float: return FormatoNumero(v.d, format);
    case TFIBValue::Kind::DateTime: return FormatoFechaHora(v.dt, format);
    default: return v.AsString();
    }
}

TFIBValue TStringField::Normalize(const TFIBValue& v) const
{
    if ((v.kind == TFIBValue::Kind::Text || v.kind == TFIBValue::Kind::Bytes) && v.bytes.isEmpty())
        return TFIBValue();
    return v;
}

TFIBValue TFIBStringField::Normalize(const TFIBValue& v) const
{
    const TFIBValue n = TStringField::Normalize(v);
    if (BlanksToNULL && n.kind == TFIBValue::Kind::Text && n.bytes.trimmed().isEmpty())
        return TFIBValue();
    return n;
}

bool TIntegerField::Accepts(TFieldType t) const
{
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint ||
           t == TFieldType::ftBoolean;
}

QString TIntegerField::FormatDisplay(const TFIBValue& v) const { return Formatted(DisplayFormat, v); }

bool TFloatField::Accepts(TFieldType t) const
{
    return t == TFieldType::ftFloat || t == TFieldType::ftSmallint || t == TFieldType::ftInteger ||
           t == TFieldType::ftLargeint;
}

QString TFloatField::FormatDisplay(const TFIBValue& v) const { return Formatted(DisplayFormat, v); }

bool TDateTimeField::Accepts(TFieldType t) const
{
    return t == TFieldType::ftDateTime || t == TFieldType::ftDate || t == TFieldType::ftTime;
}

QString TDateTimeField::FormatDisplay(const TFIBValue& v) const { return Formatted(DisplayFormat, v); }

std::unique_ptr<TField> CreateDefaultField(TFieldType type, const QString& name)
{
    switch (type) {
    case TFieldType::ftString: return std::make_unique<TFIBStringField>(name);
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
    case TFieldType::ftBoolean: return std::make_unique<TIntegerField>(name);
    case TFieldType::ftFloat: return std::make_unique<TFloatField>(name);
    case TFieldType::ftDateTime:
    case TFieldType::ftDate:
    case TFieldType::ftTime: return std::make_unique<TDateTimeField>(name);
    case TFieldType::ftBlob:
    case TFieldType::ftMemo: return std::make_unique<TBlobField>(name);
    case TFieldType::ftUnknown: break;
    }
    return std::make_unique<TStringField>(name);
}
