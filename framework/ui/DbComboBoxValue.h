#pragma once
// A data-bound drop-down list whose displayed texts (Items) differ from the
// values stored in the field (Values, same positions).
#include "UDBControles.h"

#include <QComboBox>
#include <functional>

class TDBComboBoxValue : public QComboBox {
    Q_OBJECT
public:
    explicit TDBComboBoxValue(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return enlace_.DataSource(); }
    void SetDataSource(TDataSource* ds) { enlace_.Conecta(ds); }
    QString DataField() const { return enlace_.FieldName(); }
    void SetDataField(const QString& campo) { enlace_.SetFieldName(campo); }
    TField* Field() const { return enlace_.Field(); }

    QStringList Items() const { return items_; }
    void SetItems(const QStringList& items);
    QStringList Values() const { return values_; }
    void SetValues(const QStringList& values);
    bool ReadOnly() const { return enlace_.ReadOnly; }
    void SetReadOnly(bool valor) { enlace_.ReadOnly = valor; }
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int n) { setMaxVisibleItems(n); }
    // Shows the entries in alphabetical order of their texts; each keeps its value.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool valor);
    std::function<void(TDBComboBoxValue&)> OnChange;

    // The value of entry i: its Values line when there is one and it is not
    // empty, otherwise its Items line, otherwise empty.
    QString ValorDeEntrada(int i) const;
    // The value last shown or chosen.
    QString ValorActual() const { return valorActual_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void showPopup() override;
    void hidePopup() override;

private:
    void Rellena();
    void Muestra(bool forzar);
    void Selecciona(const QString& valor);
    void Elige(int i);
    TFieldDataLink enlace_;
    QStringList items_, values_;
    QString valorActual_;
    bool sorted_ = false;
    bool desplegada_ = false;
};
