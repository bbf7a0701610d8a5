#pragma once
// What the dialogs of a new task and a new budget request of the
// community-management product share: the fields of the record being
// inserted, lookups of the program's communities and users (F2 searches), and
// "&Aceptar", which writes the record and closes. Closed any other way, the
// dialog leaves the record unwritten for its caller to drop.
#include <QDialog>
#include <QList>

class QFormLayout;
class QHBoxLayout;
class QPushButton;
class TDataSource;
class TDBEdit;
class TDBEditFind2000;
class TDBMemo;
class TDBText;
class TFIBTableSet;

class TFGestionHalvenbook : public QDialog {
    Q_OBJECT
public:
    QPushButton* BtAceptar;

protected:
    TFGestionHalvenbook(TFIBTableSet& ds, TDataSource* fuente, QWidget* parent);

    // A text box on `campo`, wide enough for `caracteres` characters.
    TDBEdit* Texto(const QString& nombre, const QString& campo, int caracteres);
    TDBMemo* Memo(const QString& nombre, const QString& campo);
    // A code looked up in a table of the program's database (CODIGO / NOMBRE),
    // with the name beside it from the calculated field `campoNombre`.
    TDBEditFind2000* Busqueda(const QString& nombre, const QString& campo, const QString& tabla,
                              const QString& campoNombre, QHBoxLayout*& fila);
    // Adds the form, then the button row, to the window.
    void Termina(QFormLayout* campos, int ancho, int alto);

    bool eventFilter(QObject* objeto, QEvent* e) override;

    TDataSource* Fuente() const { return fuente_; }

private:
    TFIBTableSet& ds_;
    TDataSource* fuente_;
    QList<QWidget*> busquedas_;
};
