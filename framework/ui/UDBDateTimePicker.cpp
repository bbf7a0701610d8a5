#include "UDBDateTimePicker.h"
#include "FIBFields.h"

TDBDateTimePicker::TDBDateTimePicker(QWidget* parent) : QDateTimeEdit(parent)
{
    // Values are wall-clock times without zone: no daylight-saving rule may
    // move them.
    setTimeSpec(Qt::UTC);
    setMinimumDateTime(MakeDateTime(QDate(100, 1, 1)));
    enlace_.OnDataChange = [this] { Muestra(); };
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &TDBDateTimePicker::Cambiado);
    SetKind(TDateTimeKind::dtkDate);
}

void TDBDateTimePicker::SetReadOnly(bool valor)
{
    enlace_.ReadOnly = valor;
    setReadOnly(valor);
}

void TDBDateTimePicker::SetKind(TDateTimeKind kind)
{
    kind_ = kind;
    mostrando_ = true;
    setDisplayFormat(kind == TDateTimeKind::dtkDate ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("HH:mm:ss"));
    setCalendarPopup(kind == TDateTimeKind::dtkDate);
    mostrando_ = false;
    Muestra();
}

void TDBDateTimePicker::Muestra()
{
    TField* f = enlace_.Field();
    // A null field shows the date of value zero.
    const QDateTime v = f && !f->IsNull() ? f->AsDateTime() : ZeroDateTime();
    const QDateTime mostrar = MakeDateTime(v.date(), v.time());
    // Showing the value already shown would disturb a section being typed.
    if (mostrar == dateTime())
        return;
    mostrando_ = true;
    setDateTime(mostrar);
    mostrando_ = false;
}

void TDBDateTimePicker::Cambiado(const QDateTime& valor)
{
    TField* f = enlace_.Field();
    if (mostrando_ || !f)
        return;
    bool editando = false;
    try {
        editando = enlace_.Edit();
    } catch (...) {
        Muestra();
        throw;
    }
    if (!editando) {
        Muestra();
        return;
    }
    if (kind_ == TDateTimeKind::dtkTime)
        f->SetAsDateTime(MakeDateTime(ZeroDateTime().date(), valor.time()));
    else
        f->SetAsDateTime(MakeDateTime(valor.date()));
}
