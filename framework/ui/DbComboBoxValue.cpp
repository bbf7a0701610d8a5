#include "DbComboBoxValue.h"
#include "FIBFields.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <numeric>

TDBComboBoxValue::TDBComboBoxValue(QWidget* parent) : QComboBox(parent)
{
    setEditable(false); // a list to choose from, never typed into
    setMaxVisibleItems(8);
    enlace_.OnDataChange = [this] { Muestra(false); };
    enlace_.OnUpdateData = [this] {
        AsignaTexto(enlace_.Field(), currentIndex() >= 0 ? ValorDeEntrada(currentIndex()) : QString());
    };
    connect(this, &QComboBox::activated, this, &TDBComboBoxValue::Elige);
}

void TDBComboBoxValue::SetItems(const QStringList& items)
{
    items_ = items;
    Rellena();
}

void TDBComboBoxValue::SetValues(const QStringList& values)
{
    values_ = values;
    Rellena();
}

void TDBComboBoxValue::SetSorted(bool valor)
{
    sorted_ = valor;
    Rellena();
}

void TDBComboBoxValue::Rellena()
{
    // Entry i keeps Items line i and Values line i together, sorted or not:
    // the value of each entry is kept as its data.
    std::vector<qsizetype> orden(static_cast<std::size_t>(items_.size()));
    std::iota(orden.begin(), orden.end(), qsizetype{0});
    if (sorted_)
        std::stable_sort(orden.begin(), orden.end(),
                         [this](qsizetype a, qsizetype b) { return items_[a].localeAwareCompare(items_[b]) < 0; });
    clear();
    for (qsizetype k : orden) {
        const QString valor = k < values_.size() && !values_[k].isEmpty() ? values_[k] : items_[k];
        addItem(items_[k], valor);
    }
    Selecciona(valorActual_);
}

QString TDBComboBoxValue::ValorDeEntrada(int i) const
{
    if (i < 0 || i >= count())
        return QString();
    return itemData(i).toString();
}

void TDBComboBoxValue::Selecciona(const QString& valor)
{
    int indice = -1;
    if (!valor.isEmpty()) {
        for (int i = 0; i < count(); ++i)
            if (ValorDeEntrada(i) == valor) {
                indice = i;
                break;
            }
    }
    setCurrentIndex(indice);
}

void TDBComboBoxValue::Muestra(bool forzar)
{
    if (desplegada_ && !forzar)
        return;
    TField* f = enlace_.Field();
    const QString valor = f ? f->Text() : QString();
    if (valor == valorActual_ && !forzar)
        return;
    valorActual_ = valor;
    Selecciona(valor);
}

void TDBComboBoxValue::Elige(int i)
{
    bool editando = false;
    try {
        editando = enlace_.Edit();
    } catch (...) {
        Selecciona(valorActual_);
        throw;
    }
    if (!editando) {
        // The record cannot be edited: the choice is refused.
        Selecciona(valorActual_);
        hidePopup();
        return;
    }
    valorActual_ = ValorDeEntrada(i);
    Selecciona(valorActual_);
    enlace_.Modified();
    if (OnChange)
        OnChange(*this);
}

void TDBComboBoxValue::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (enlace_.IsModified()) {
            enlace_.Reset();
            Muestra(true);
            e->accept();
        } else {
            e->ignore(); // the screen decides what Esc does
        }
        return;
    }
    const QString t = e->text();
    if (!t.isEmpty() && t[0].isPrint() && !CaracterValido(enlace_.Field(), t[0])) {
        QApplication::beep();
        e->accept();
        return;
    }
    const int k = e->key();
    const bool mueve = k == Qt::Key_Up || k == Qt::Key_Down || k == Qt::Key_PageUp || k == Qt::Key_PageDown ||
                       k == Qt::Key_Home || k == Qt::Key_End;
    if (mueve && !(e->modifiers() & Qt::AltModifier) && !enlace_.Edit()) {
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void TDBComboBoxValue::focusOutEvent(QFocusEvent* e)
{
    QComboBox::focusOutEvent(e);
    EscribeAlSalir(this, enlace_, e);
}

void TDBComboBoxValue::showPopup()
{
    desplegada_ = true;
    QComboBox::showPopup();
}

void TDBComboBoxValue::hidePopup()
{
    QComboBox::hidePopup();
    desplegada_ = false;
    if (!enlace_.IsModified())
        Muestra(false);
}
