#pragma once
// The data-aware controls of the record pages: each shows one field of its
// data source's current record and writes what the user types back into it.
// Typing puts the record into edit state; what was typed reaches the field
// when the control loses the focus or the record is posted. Numbers and dates
// are shown and read with the program's formats (UFormatos).
#include "DataSource.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

class TField;
class TFIBDataSet;

// The link of a control to one field of a data source.
class TFieldDataLink : public TDataLink {
public:
    // Links to another data source and shows its field.
    void Conecta(TDataSource* ds);
    QString FieldName() const { return fieldName_; }
    void SetFieldName(const QString& nombre);
    // The field, while the dataset is open and has it.
    TField* Field() const { return field_; }

    bool ReadOnly = false;
    // Whether the dataset is in edit or insert state.
    bool Editing() const;
    // Whether the field may be changed through the control.
    bool CanModify() const;
    // Puts the record into edit state when it can be; true when it is being
    // edited afterwards. A refusal of the dataset (a lock) is thrown.
    bool Edit();

    // The control holds a change not yet written into the field.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Forgets the control's change and shows the field again.
    void Reset();
    // Writes the control's change, if any, into the field.
    void UpdateRecord();

    std::function<void()> OnDataChange;    // show the field
    std::function<void()> OnEditingChange; // the record began or ended editing
    std::function<void()> OnUpdateData;    // write the control's value

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void RecordChanged(TField* field) override;
    void EditingChanged() override;
    void UpdateData() override;

private:
    void Enlaza();
    QString fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
};

// --- the program's rules for fields, shared by the controls -----------------------

// The text to edit: a number with its field's edit format, otherwise the
// field's Text.
QString TextoEdicion(const TField* campo);
// Stores a typed text: through the field's OnSetText when it has one;
// numbers read with "," for decimals, dates as "dd/mm/yyyy" with an optional
// time; an empty text clears the field. Throws EConvertError for a text that
// is not a value of the field's type.
void AsignaTexto(TField* campo, const QString& texto);
// Whether a typed character can be part of the field's value (digits and
// signs for integers; also "," and the exponent for other numbers).
bool CaracterValido(const TField* campo, QChar c);
// An edit mask as the program writes them, such as "!90:00;1;_": 0 a
// required digit, 9 an optional one, # a digit or sign, L/l a letter, A/a a
// letter or digit, C/c any character, ">" "<" upper or lower case, "\\" a
// literal, "!" optional characters as leading blanks; then ";" and 1 or 0
// (literals stored with the value or not) and ";" and the blank character.
struct TMascaraEdicion {
    QString qt;                 // the same mask as a Qt input mask
    bool guardaLiterales = true;
    QChar blanco = QLatin1Char('_');
    QList<bool> literal;        // per position of the text, whether it is a literal
};
TMascaraEdicion AnalizaMascara(const QString& mascara);

// An edit field.
// A password field: what is typed shows as "*", the same in every window.
void MascaraClave(QLineEdit* campo);

class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }
    bool ReadOnly() const { return enlace_.ReadOnly; }
    void SetReadOnly(bool valor);
    // Characters that can be typed; 0 takes the text field's size.
    int MaxLength = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void Muestra();
    void Escribe();
    TFieldDataLink enlace_;
    TMascaraEdicion mascara_;
    QString mascaraCampo_;
    bool enfocado_ = false;
};

// A multi-line text field.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }
    bool ReadOnly() const { return enlace_.ReadOnly; }
    void SetReadOnly(bool valor);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void Muestra();
    TFieldDataLink enlace_;
    bool mostrando_ = false;
};

// A check box over a text field: ticked when the field's text is one of
// ValueChecked's texts (separated by ";", any case), empty when one of
// ValueUnchecked's, greyed otherwise (null included). Clicking writes the
// first text of either.
class TDBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget* parent = nullptr);
    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }
    bool ReadOnly() const { return enlace_.ReadOnly; }
    void SetReadOnly(bool valor) { enlace_.ReadOnly = valor; }
    QString ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const QString& v);
    QString ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const QString& v);

protected:
    void nextCheckState() override;

private:
    void Muestra();
    TFieldDataLink enlace_;
    QString valueChecked_ = QStringLiteral("1");
    QString valueUnchecked_ = QStringLiteral("0");
};

// A read-only label showing the field's display text.
class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }

private:
    TFieldDataLink enlace_;
};

// A control that loses the focus takes what was typed in it (not when the
// focus only went to a pop-up or another window). A failed `toma` gives the
// control the focus back and the error goes on to the user.
void TomaAlSalir(QWidget* control, QFocusEvent* e, const std::function<void()>& toma);
// The same for a data-bound control: its change is written into the field.
void EscribeAlSalir(QWidget* control, TFieldDataLink& enlace, QFocusEvent* e);
