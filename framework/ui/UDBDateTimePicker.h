#pragma once
// Date editors that take a date as people type it, and the data-bound date
// or time picker built on them.
#include "UDBControles.h"

#include <QDateTimeEdit>

// A date editor with its calendar (Alt+Down). A digit typed starts a new date
// over the one shown, wherever the cursor is: day, month and year with "/" or
// "-" between them, or the bare digits (15012027, 150127). The date typed is
// taken with Enter or any other key that is not part of it, or on leaving the
// editor; a text that is no date, or a year outside 1900–2100, is refused with
// its message and the editor keeps what was typed and the focus. Esc drops
// the typing. Without typing, the arrow keys step the section under the
// cursor.
class TEditorFecha : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit TEditorFecha(const QDate& fecha = QDate::currentDate(), QWidget* parent = nullptr);

    // A date is being typed, not taken yet.
    bool Tecleando() const { return tecleando_; }
    QString Tecleado() const { return tecleado_; }
    // Takes the date being typed, if any: it becomes the editor's date.
    // Throws EConvertError (the typing stays) when it is not a date the
    // program takes.
    void TomaTecleado();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    QValidator::State validate(QString& texto, int& posicion) const override;
    // Whether typing may begin; a data-bound editor puts its record into edit.
    virtual bool EmpiezaTecleo() { return !isReadOnly(); }
    // The typing was dropped with Esc.
    virtual void TecleoDescartado() {}
    // Leaving the editor takes what was typed.
    virtual void TomaAlSalir(QFocusEvent* e);
    // Ends the typing and shows the editor's date again.
    void DejaTecleo();

private:
    void MuestraTecleado();
    bool tecleando_ = false;
    QString tecleado_;
};

// A data-bound date or time picker. Every change made in it is written to the
// field at once, putting the record into edit state; a date typed reaches the
// field when it is taken or when the record is posted.
class TDBDateTimePicker : public TEditorFecha {
    Q_OBJECT
public:
    enum class TDateTimeKind { dtkDate, dtkTime };

    explicit TDBDateTimePicker(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }
    bool ReadOnly() const { return enlace_.ReadOnly; }
    void SetReadOnly(bool valor);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind kind);

protected:
    bool EmpiezaTecleo() override;
    void TecleoDescartado() override;
    void TomaAlSalir(QFocusEvent* e) override;

private:
    void Muestra();
    void Cambiado(const QDateTime& valor);
    TFieldDataLink enlace_;
    TDateTimeKind kind_ = TDateTimeKind::dtkDate;
    bool mostrando_ = false;
};
