#pragma once
// The search dialog of the lookup fields: a borderless window that stays on
// top, with a search field over the list of the referenced table's rows.
// Created for each search and freed afterwards.
#include "DataSource.h"
#include "FIBTableDataSet.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

class QFrame;
class QPushButton;
class QToolButton;
class TFIBEditFind;
class THYTDBGrid;

enum class TTipoPosicion {
    tpCentrado, // centred on the screen
    tpAuto,     // where it was placed, moved left or up to end at the screen's edge
    tpSuave     // where it was placed, sliding a pixel at a time until it fits
};

class TFIBDBEDITDLG : public QDialog {
    Q_OBJECT
public:
    explicit TFIBDBEDITDLG(QWidget* parent = nullptr);
    ~TFIBDBEDITDLG() override;

    // The database searched. Its default transaction serves the list; a
    // database without one uses `transaccion`.
    TFIBDatabase* Base_de_datos() const { return baseDatos_; }
    void SetBase_de_datos(TFIBDatabase* db, TFIBTransaction* transaccion = nullptr);
    // The table searched. Assigning it writes the list's statements from the
    // catalogue, lists Campos_Desplegar (or every column) of the rows that
    // meet Condicion, gives the search field the table and columns, and opens
    // the list. The other settings go first.
    QString Tabla_a_buscar() const { return tabla_; }
    void SetTabla_a_buscar(const QString& tabla);

    QStringList Campos_Desplegar;
    // Extra width per column of the list; used when it has an entry for
    // every column, otherwise each column gets 10.
    QList<int> Campos_Desplegar_Anchos;
    QString CampoNum;
    QString CampoStr;
    QString CampoADevolver;
    QString Condicion;
    TTipoPosicion Posicion = TTipoPosicion::tpCentrado;
    // 1 when closed with SbNuevo (a new record wanted).
    int Tag = 0;

    // The owner's balance and statement viewers, handed the selected row's
    // code. The dialog closes, accepting the row, when the statement viewer
    // returns a non-zero code.
    std::function<void(int codigo)> VerSaldos;
    std::function<int(int codigo)> VerExtracto;

    QFrame* Panel;
    QToolButton* SbNuevo;    // hidden unless asked for
    QToolButton* SbSaldos;   // hidden unless asked for
    QToolButton* SbExtracto; // hidden unless asked for
    TFIBEditFind* FIBEdit;
    THYTDBGrid* DBGFind;
    QPushButton* BAceptar;
    QPushButton* BCancelar;
    TFIBTableSet FIBFind;
    TDataSource DsFind{&FIBFind};

    // The code of the selected row as an integer (0 without rows).
    int CodigoSeleccionado() const;

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void ActualizaBotones();
    void Dimensiona();
    void Coloca();
    void Acepta();
    void Extracto();

    TFIBDatabase* baseDatos_ = nullptr;
    QString tabla_;
    QPoint arrastre_;
    bool arrastrando_ = false;
};
