#include "UDBControles.h"
#include "FIBDataSet.h"
#include "FIBFields.h"
#include "UFormatos.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>
#include <cmath>

// --- the field link --------------------------------------------------------------------

void TFieldDataLink::Conecta(TDataSource* ds)
{
    SetDataSource(ds);
    ActiveChanged();
}

void TFieldDataLink::SetFieldName(const QString& nombre)
{
    fieldName_ = nombre;
    Enlaza();
    modified_ = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::Enlaza()
{
    TFIBDataSet* ds = DataSet();
    field_ = ds && ds->Active() && !fieldName_.isEmpty() ? ds->FindField(fieldName_) : nullptr;
}

bool TFieldDataLink::Editing() const
{
    TFIBDataSet* ds = DataSet();
    return ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
}

bool TFieldDataLink::CanModify() const
{
    TFIBDataSet* ds = DataSet();
    return !ReadOnly && field_ && !field_->ReadOnly && !field_->Calculated && ds && ds->Active() && ds->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (!CanModify())
        return false;
    if (!Editing())
        DataSet()->Edit();
    return Editing();
}

void TFieldDataLink::Reset()
{
    modified_ = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::UpdateRecord()
{
    if (!modified_)
        return;
    if (field_ && OnUpdateData)
        OnUpdateData();
    modified_ = false;
}

void TFieldDataLink::ActiveChanged()
{
    Enlaza();
    Reset();
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::DataSetChanged()
{
    // Reopened with controls suspended: the field objects may be new.
    Enlaza();
    Reset();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    // A calculated field follows the columns it is made from.
    if (!field || field == field_ || (field_ && field_->Calculated))
        Reset();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::UpdateData() { UpdateRecord(); }

// --- field rules ----------------------------------------------------------------------------

namespace {

bool EsEntero(TFieldType t)
{
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftLargeint ||
           t == TFieldType::ftBoolean;
}

bool EsNumero(TFieldType t) { return EsEntero(t) || t == TFieldType::ftFloat; }

bool EsFecha(TFieldType t)
{
    return t == TFieldType::ftDateTime || t == TFieldType::ftDate || t == TFieldType::ftTime;
}

} // namespace

QString TextoEdicion(const TField* campo)
{
    if (auto* f = dynamic_cast<const TFloatField*>(campo); f && !f->EditFormat.isEmpty() && !f->OnGetText &&
                                                          !f->IsNull())
        return FormatoNumero(f->AsFloat(), f->EditFormat);
    return campo->Text();
}

void AsignaTexto(TField* campo, const QString& texto)
{
    if (campo->OnSetText) {
        campo->SetText(texto);
        return;
    }
    const TFieldType tipo = campo->DataType();
    if ((EsNumero(tipo) || EsFecha(tipo)) && texto.trimmed().isEmpty()) {
        campo->Clear();
        return;
    }
    if (EsEntero(tipo)) {
        const double v = TextoANumero(texto);
        if (v != std::trunc(v) || std::fabs(v) > 9.2e18)
            throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(texto.trimmed()));
        campo->SetAsInteger(static_cast<qint64>(v));
    } else if (tipo == TFieldType::ftFloat) {
        campo->SetAsFloat(TextoANumero(texto));
    } else if (tipo == TFieldType::ftTime) {
        campo->SetAsDateTime(QDateTime(QDate(1899, 12, 30), TextoAHora(texto)));
    } else if (EsFecha(tipo)) {
        campo->SetAsDateTime(TextoAFechaHora(texto));
    } else {
        campo->SetAsString(texto);
    }
}

bool CaracterValido(const TField* campo, QChar c)
{
    if (!campo)
        return true;
    const TFieldType tipo = campo->DataType();
    if (EsEntero(tipo))
        return c.isDigit() || c == u'+' || c == u'-';
    if (tipo == TFieldType::ftFloat)
        return c.isDigit() || c == u'+' || c == u'-' || c == SeparadorDecimal || c == u'E' || c == u'e';
    return true;
}

TMascaraEdicion AnalizaMascara(const QString& mascara)
{
    TMascaraEdicion m;
    if (mascara.isEmpty())
        return m;
    QString cuerpo = mascara;
    // The trailing fields: ";1;_" or ";0" (literals stored or not, blank).
    const QStringList partes = mascara.split(QLatin1Char(';'));
    if (partes.size() >= 3 && partes[partes.size() - 1].size() == 1 && partes[partes.size() - 2].size() == 1) {
        m.blanco = partes.last()[0];
        m.guardaLiterales = partes[partes.size() - 2] != QLatin1String("0");
        cuerpo = partes.mid(0, partes.size() - 2).join(QLatin1Char(';'));
    } else if (partes.size() >= 2 && partes.last().size() == 1) {
        m.guardaLiterales = partes.last() != QLatin1String("0");
        cuerpo = partes.mid(0, partes.size() - 1).join(QLatin1Char(';'));
    }
    static const QString metaQt = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    for (qsizetype i = 0; i < cuerpo.size(); ++i) {
        const QChar c = cuerpo[i];
        QString qt;
        bool literal = false;
        switch (c.unicode()) {
        case '!': continue; // leading blanks: shown by the blank character
        case '>':
            if (i + 1 < cuerpo.size() && cuerpo[i + 1] == u'<') {
                m.qt += QLatin1Char('!');
                ++i;
            } else {
                m.qt += QLatin1Char('>');
            }
            continue;
        case '<': m.qt += QLatin1Char('<'); continue;
        case '0': qt = QStringLiteral("9"); break;
        case '9': qt = QStringLiteral("0"); break;
        case '#': qt = QStringLiteral("#"); break;
        case 'L': qt = QStringLiteral("A"); break;
        case 'l': qt = QStringLiteral("a"); break;
        case 'A': qt = QStringLiteral("N"); break;
        case 'a': qt = QStringLiteral("n"); break;
        case 'C': qt = QStringLiteral("X"); break;
        case 'c': qt = QStringLiteral("x"); break;
        case '_': qt = QStringLiteral(" "); literal = true; break;
        case '\\':
            if (i + 1 < cuerpo.size())
                ++i;
            [[fallthrough]];
        default:
            literal = true;
            qt = metaQt.contains(cuerpo[i]) ? QStringLiteral("\\") + cuerpo[i] : QString(cuerpo[i]);
            break;
        }
        m.qt += qt;
        m.literal << literal;
    }
    m.qt += QLatin1Char(';') + m.blanco;
    return m;
}

void TomaAlSalir(QWidget* control, QFocusEvent* e, const std::function<void()>& toma)
{
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    try {
        toma();
    } catch (...) {
        QTimer::singleShot(0, control, [control] { control->setFocus(Qt::OtherFocusReason); });
        throw;
    }
}

void EscribeAlSalir(QWidget* control, TFieldDataLink& enlace, QFocusEvent* e)
{
    TomaAlSalir(control, e, [&enlace] { enlace.UpdateRecord(); });
}

void MascaraClave(QLineEdit* campo)
{
    campo->setEchoMode(QLineEdit::Password);
    campo->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

// --- TDBEdit ------------------------------------------------------------------------------------

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent)
{
    enlace_.OnDataChange = [this] { Muestra(); };
    enlace_.OnEditingChange = [this] { QLineEdit::setReadOnly(!enlace_.Editing()); };
    enlace_.OnUpdateData = [this] { Escribe(); };
    QLineEdit::setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { enlace_.Modified(); });
}

void TDBEdit::SetReadOnly(bool valor) { enlace_.ReadOnly = valor; }

void TDBEdit::Muestra()
{
    TField* f = enlace_.Field();
    const QString mascara = f ? f->EditMask : QString();
    if (mascara != mascaraCampo_) {
        mascaraCampo_ = mascara;
        mascara_ = AnalizaMascara(mascara);
        setInputMask(mascara_.qt);
    }
    if (!f) {
        clear();
        return;
    }
    const TFieldType tipo = f->DataType();
    setAlignment(EsNumero(tipo) ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    const bool edicion = enfocado_ && enlace_.CanModify();
    // The typing limit applies to what is typed, not to a display text
    // such as a new record's "Alta".
    setMaxLength(edicion && MaxLength > 0                                ? MaxLength
                 : tipo == TFieldType::ftString && f->Size() > 0 ? f->Size()
                                                                  : 32767);
    QString texto = edicion ? TextoEdicion(f) : f->DisplayText();
    if (!mascara_.qt.isEmpty())
        texto.replace(QLatin1Char(' '), mascara_.blanco); // a blank stays in its place
    // The same text again (the row re-read as editing begins) keeps the
    // cursor and the selection where the user has them.
    if (texto != (mascara_.qt.isEmpty() ? text() : displayText()))
        setText(texto);
}

void TDBEdit::Escribe()
{
    TField* f = enlace_.Field();
    QString texto = text();
    if (!mascara_.qt.isEmpty()) {
        // Blanks are stored as spaces, in their place; a mask left untouched
        // stores nothing.
        const QString mostrado = displayText();
        texto.clear();
        bool tecleado = false;
        for (qsizetype i = 0; i < mostrado.size(); ++i) {
            const bool literal = i < mascara_.literal.size() && mascara_.literal[i];
            const QChar c = mostrado[i] == mascara_.blanco && !literal ? QChar(u' ') : mostrado[i];
            tecleado = tecleado || (!literal && c != u' ');
            if (!literal || mascara_.guardaLiterales)
                texto += c;
        }
        if (!tecleado)
            texto.clear();
    }
    AsignaTexto(f, texto);
}

void TDBEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (enlace_.IsModified()) {
            enlace_.Reset();
            selectAll();
            e->accept();
        } else {
            e->ignore(); // the screen decides what Esc does
        }
        return;
    }
    const QString t = e->text();
    const bool imprimible = !t.isEmpty() && t[0].isPrint() && !(e->modifiers() & Qt::ControlModifier);
    if (imprimible && !CaracterValido(enlace_.Field(), t[0])) {
        QApplication::beep();
        e->accept();
        return;
    }
    const bool modifica = imprimible || e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete ||
                          e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut);
    // Typing puts the record into edit state; a record that cannot be edited
    // takes no key (the field stays read-only). Leaving read-only loses the
    // selection, which the key is about to replace: keep it.
    if (modifica && !enlace_.Editing()) {
        const int inicio = selectionStart();
        const int largo = static_cast<int>(selectedText().size());
        const int cursor = cursorPosition();
        enlace_.Edit();
        if (inicio >= 0)
            setSelection(inicio, largo);
        else
            setCursorPosition(cursor);
    }
    QLineEdit::keyPressEvent(e);
}

void TDBEdit::focusInEvent(QFocusEvent* e)
{
    enfocado_ = true;
    if (!enlace_.IsModified())
        Muestra();
    QLineEdit::focusInEvent(e);
}

void TDBEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    EscribeAlSalir(this, enlace_, e);
    enfocado_ = false;
    if (!enlace_.IsModified())
        Muestra();
}

// --- TDBMemo ---------------------------------------------------------------------------------------

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    enlace_.OnDataChange = [this] { Muestra(); };
    enlace_.OnEditingChange = [this] { QPlainTextEdit::setReadOnly(!enlace_.Editing()); };
    enlace_.OnUpdateData = [this] { AsignaTexto(enlace_.Field(), toPlainText()); };
    QPlainTextEdit::setReadOnly(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!mostrando_)
            enlace_.Modified();
    });
}

void TDBMemo::SetReadOnly(bool valor) { enlace_.ReadOnly = valor; }

void TDBMemo::Muestra()
{
    TField* f = enlace_.Field();
    const QString texto = f ? f->AsString() : QString();
    if (texto == toPlainText())
        return; // keeps the cursor where the user has it
    mostrando_ = true;
    setPlainText(texto);
    mostrando_ = false;
}

void TDBMemo::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (enlace_.IsModified()) {
            enlace_.Reset();
            e->accept();
        } else {
            e->ignore();
        }
        return;
    }
    const QString t = e->text();
    const bool modifica = (!t.isEmpty() && (t[0].isPrint() || t[0] == u'\r' || t[0] == u'\t') &&
                           !(e->modifiers() & Qt::ControlModifier)) ||
                          e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete ||
                          e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut);
    if (modifica)
        enlace_.Edit();
    QPlainTextEdit::keyPressEvent(e);
}

void TDBMemo::insertFromMimeData(const QMimeData* source)
{
    // Dropped text edits the record like typed text.
    if (enlace_.Edit())
        QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusOutEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusOutEvent(e);
    EscribeAlSalir(this, enlace_, e);
}

// --- TDBCheckBox -------------------------------------------------------------------------------------

namespace {

bool EsUnoDe(const QString& texto, const QString& lista)
{
    for (const QString& v : lista.split(QLatin1Char(';')))
        if (v.compare(texto, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

TDBCheckBox::TDBCheckBox(QWidget* parent) : QCheckBox(parent)
{
    setTristate(true); // greyed for a text that is neither value
    enlace_.OnDataChange = [this] { Muestra(); };
}

void TDBCheckBox::SetValueChecked(const QString& v)
{
    valueChecked_ = v;
    Muestra();
}

void TDBCheckBox::SetValueUnchecked(const QString& v)
{
    valueUnchecked_ = v;
    Muestra();
}

void TDBCheckBox::Muestra()
{
    TField* f = enlace_.Field();
    const QString texto = f ? f->Text() : QString();
    if (f && !f->IsNull() && EsUnoDe(texto, valueChecked_))
        setCheckState(Qt::Checked);
    else if (f && !f->IsNull() && EsUnoDe(texto, valueUnchecked_))
        setCheckState(Qt::Unchecked);
    else
        setCheckState(Qt::PartiallyChecked);
}

void TDBCheckBox::nextCheckState()
{
    // A click on a record that cannot be edited changes nothing.
    if (!enlace_.Edit())
        return;
    const bool marcar = checkState() != Qt::Checked;
    const QString valor = (marcar ? valueChecked_ : valueUnchecked_).section(QLatin1Char(';'), 0, 0);
    enlace_.Field()->SetAsString(valor);
}

// --- TDBText -------------------------------------------------------------------------------------

TDBText::TDBText(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    enlace_.OnDataChange = [this] { setText(enlace_.Field() ? enlace_.Field()->DisplayText() : QString()); };
}
