#pragma once
// A data-bound date or time picker. Every change made in it is written to the
// field at once, putting the record into edit state.
#include "UDBControles.h"

#include <QDateTimeEdit>

class TDBDateTimePicker : public QDateTimeEdit {
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

private:
    void Muestra();
    void Cambiado(const QDateTime& valor);
    TFieldDataLink enlace_;
    TDateTimeKind kind_ = TDateTimeKind::dtkDate;
    bool mostrando_ = false;
};
