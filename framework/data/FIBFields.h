#pragma once
#include "FIBRecord.h"
#include "FIBTypes.h"

#include <QString>
#include <functional>
#include <memory>

class TFIBDataSet;

// A field object: the program's view of one column of a dataset's current
// record. Fields declared by a data module keep their settings (label, mask,
// events) across opens; the others are made when the dataset opens.
class TField {
public:
    virtual ~TField();
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    QString FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name) { fieldName_ = name; }
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    QString EditMask;
    bool Visible = true;
    bool ReadOnly = false;
    bool Calculated = false; // value set by the dataset's OnCalcFields, not stored
    TFieldType CalcType = TFieldType::ftString;

    // OnGetText(field, text, displayText): fills the text shown for the value.
    std::function<void(TField&, QString&, bool)> OnGetText;
    // OnSetText(field, text): stores a text typed by the user.
    std::function<void(TField&, const QString&)> OnSetText;
    std::function<void(TField&)> OnChange;
    std::function<void(TField&)> OnValidate; // throw to refuse the new value

    TFIBDataSet* DataSet() const { return dataSet_; }
    int Index() const { return index_; } // column index; -1 for a calculated field
    TFieldType DataType() const;
    int Size() const; // characters of a text field

    bool IsNull() const;
    TFIBValue Value() const;
    TFIBValue OldValue() const; // the value when editing began
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    QDateTime AsDateTime() const;
    QByteArray AsBytes() const; // blob content or text bytes, byte for byte
    QVariant AsVariant() const;
    bool AsBoolean() const { return AsInteger() != 0; }

    void SetValue(const TFIBValue& v);
    void SetAsString(const QString& v);
    void SetAsInteger(qint64 v) { SetValue(TFIBValue::Integer(v)); }
    void SetAsFloat(double v) { SetValue(TFIBValue::Float(v)); }
    void SetAsDateTime(const QDateTime& v) { SetValue(TFIBValue::DateTime(v)); }
    void SetAsBytes(const QByteArray& v) { SetValue(TFIBValue::Bytes(v)); }
    void SetAsVariant(const QVariant& v);
    void Clear() { SetValue(TFIBValue()); }

    QString Text() const;        // for editing: OnGetText(false) or AsString
    QString DisplayText() const; // for showing: OnGetText(true) or the display format
    void SetText(const QString& text); // OnSetText or SetAsString

    // The dataset's binding; for the layer's own units.
    void Bind(TFIBDataSet* ds, int index) { dataSet_ = ds; index_ = index; }
    virtual TFIBValue Normalize(const TFIBValue& v) const { return v; }
    virtual bool Accepts(TFieldType t) const = 0;
    virtual QString FormatDisplay(const TFIBValue& v) const;

protected:
    explicit TField(const QString& name) : fieldName_(name) {}

private:
    const fib::Record* StoredRecord(const fib::ColumnInfo*& col) const;
    QString fieldName_;
    QString displayLabel_;
    TFIBDataSet* dataSet_ = nullptr;
    int index_ = -1;
};

class TStringField : public TField {
public:
    explicit TStringField(const QString& name = QString()) : TField(name) {}
    bool Accepts(TFieldType t) const override { return t == TFieldType::ftString || t == TFieldType::ftMemo; }
    TFIBValue Normalize(const TFIBValue& v) const override;
};

// A text field of the data layer: an empty text (or, with BlanksToNULL, a text
// of blanks only) makes the field null; a text longer than Size is cut.
class TFIBStringField : public TStringField {
public:
    explicit TFIBStringField(const QString& name = QString()) : TStringField(name) {}
    bool BlanksToNULL = true;
    TFIBValue Normalize(const TFIBValue& v) const override;
};

class TIntegerField : public TField {
public:
    explicit TIntegerField(const QString& name = QString()) : TField(name) {}
    bool Accepts(TFieldType t) const override;
    QString DisplayFormat;
    QString FormatDisplay(const TFIBValue& v) const override;
};

class TFloatField : public TField {
public:
    explicit TFloatField(const QString& name = QString()) : TField(name) {}
    bool Accepts(TFieldType t) const override;
    QString DisplayFormat; // e.g. "#0.00000%" (UFormatos)
    QString EditFormat;
    QString FormatDisplay(const TFIBValue& v) const override;
};

class TDateTimeField : public TField {
public:
    explicit TDateTimeField(const QString& name = QString()) : TField(name) {}
    bool Accepts(TFieldType t) const override;
    QString DisplayFormat; // e.g. "dd/mm/yyyy"
    QString FormatDisplay(const TFIBValue& v) const override;
};

// Raw bytes: documents and report formats, stored byte for byte.
class TBlobField : public TField {
public:
    explicit TBlobField(const QString& name = QString()) : TField(name) {}
    bool Accepts(TFieldType t) const override { return t == TFieldType::ftBlob || t == TFieldType::ftMemo; }
};

std::unique_ptr<TField> CreateDefaultField(TFieldType type, const QString& name);
