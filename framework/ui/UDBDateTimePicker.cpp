#include "UDBDateTimePicker.h"
#include "FIBFields.h"
#include "UFormatos.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

// --- TEditorFecha -------------------------------------------------------------------------------

TEditorFecha::TEditorFecha(const QDate& fecha, QWidget* parent) : QDateTimeEdit(fecha, parent)
{
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    setCalendarPopup(true);
    // A date set from anywhere else (the calendar, the program) ends the typing.
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (tecleando_)
            DejaTecleo();
    });
}

void TEditorFecha::MuestraTecleado()
{
    // The spin box must not read the typing as its own sections.
    const QSignalBlocker bloqueo(lineEdit());
    lineEdit()->setText(tecleado_);
    lineEdit()->setCursorPosition(static_cast<int>(tecleado_.size()));
}

void TEditorFecha::DejaTecleo()
{
    tecleando_ = false;
    tecleado_.clear();
    const QSignalBlocker bloqueo(lineEdit());
    lineEdit()->setText(textFromDateTime(dateTime()));
}

void TEditorFecha::TomaTecleado()
{
    if (!tecleando_)
        return;
    const QDate fecha = TextoAFecha(tecleado_);
    DejaTecleo();
    setDate(fecha);
}

QValidator::State TEditorFecha::validate(QString& texto, int& posicion) const
{
    // What is being typed is read when it is taken, not section by section.
    if (tecleando_)
        return QValidator::Intermediate;
    return QDateTimeEdit::validate(texto, posicion);
}

void TEditorFecha::keyPressEvent(QKeyEvent* e)
{
    if (!(displayedSections() & QDateTimeEdit::DaySection)) {
        QDateTimeEdit::keyPressEvent(e); // a time: typed by sections
        return;
    }
    const QString t = e->text();
    const bool sinMando = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const QChar c = t.size() == 1 && sinMando ? t[0] : QChar();
    const bool cifra = c >= u'0' && c <= u'9';
    const bool separador = c == u'/' || c == u'-';
    if (!tecleando_) {
        if (!cifra) {
            QDateTimeEdit::keyPressEvent(e);
            return;
        }
        e->accept();
        if (!EmpiezaTecleo())
            return;
        tecleando_ = true;
        tecleado_.clear();
    }
    if (cifra || separador) {
        if (tecleado_.size() < 10)
            tecleado_ += c;
        MuestraTecleado();
        e->accept();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Backspace:
        tecleado_.chop(1);
        MuestraTecleado();
        e->accept();
        return;
    case Qt::Key_Escape:
        DejaTecleo();
        TecleoDescartado();
        e->accept();
        return;
    default:
        // Enter, an arrow, a shortcut: the date typed first.
        TomaTecleado();
        QDateTimeEdit::keyPressEvent(e);
    }
}

void TEditorFecha::focusInEvent(QFocusEvent* e)
{
    QDateTimeEdit::focusInEvent(e);
    if (tecleando_)
        MuestraTecleado(); // back after a refused date: the spin box showed its own
}

void TEditorFecha::focusOutEvent(QFocusEvent* e)
{
    QDateTimeEdit::focusOutEvent(e);
    if (!tecleando_)
        return;
    MuestraTecleado(); // the spin box showed its own date again
    TomaAlSalir(e);
}

void TEditorFecha::TomaAlSalir(QFocusEvent* e)
{
    ::TomaAlSalir(this, e, [this] { TomaTecleado(); });
}

// --- TDBDateTimePicker --------------------------------------------------------------------------

TDBDateTimePicker::TDBDateTimePicker(QWidget* parent) : TEditorFecha(QDate::currentDate(), parent)
{
    // Values are wall-clock times without zone: no daylight-saving rule may
    // move them.
    setTimeSpec(Qt::UTC);
    setMinimumDateTime(MakeDateTime(QDate(100, 1, 1)));
    enlace_.OnDataChange = [this] { Muestra(); };
    enlace_.OnUpdateData = [this] { TomaTecleado(); };
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

bool TDBDateTimePicker::EmpiezaTecleo()
{
    if (!enlace_.Edit())
        return false;
    enlace_.Modified();
    return true;
}

void TDBDateTimePicker::TecleoDescartado() { enlace_.Reset(); }

void TDBDateTimePicker::TomaAlSalir(QFocusEvent* e) { EscribeAlSalir(this, enlace_, e); }

void TDBDateTimePicker::Muestra()
{
    // Another value or another record: what was being typed is dropped.
    if (Tecleando() && !enlace_.IsModified())
        DejaTecleo();
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
