#pragma once
// The data grid of the table pages and sub-lists: a read-only table over a
// dataset whose rows are fetched from the server only as the view needs them.
// Clicking a sortable column's title orders the rows by it (ascending,
// descending, none); flag columns show check boxes; double-click or Enter
// switch to the record page.
#include "DataSource.h"
#include "UControlEdit.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

class TFIBDataSet;
class TField;

using TListaImagenes = QList<QPixmap>;
// The four images of the grids' titles and check boxes, in this order:
// sortable column, sorted ascending, sorted descending, ticked box.
TListaImagenes ImagenesOrdenGrid();

// A table model over a dataset: one row per cached record, one column per
// shown field. rowCount() counts the rows fetched so far; the view asks for
// more through canFetchMore/fetchMore, and data() never fetches.
class TDataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The field's text for editing (Text), for comparisons such as the
    // check boxes'.
    static constexpr int RolTexto = Qt::UserRole;

    explicit TDataSetModel(QObject* parent = nullptr);
    ~TDataSetModel() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* ds);
    TFIBDataSet* DataSet() const;

    // The fields shown, by name; empty shows every visible field.
    QStringList Columnas() const { return columnas_; }
    void SetColumnas(const QStringList& campos);
    TField* Campo(int columna) const;
    // Fields typed into in place (by name); the others only show. A cell
    // typed into puts the dataset in edit on its row; the row is saved when
    // the dataset leaves it or is posted.
    QStringList Editables() const { return editables_; }
    void SetEditables(const QStringList& campos) { editables_ = campos; }

    // The dataset's current row, -1 when none.
    int FilaActual() const { return fila_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // A text the dataset refused in the last setData (which then returns
    // false instead of throwing through the view), taken once.
    std::exception_ptr TomaRechazo() { return std::exchange(rechazo_, nullptr); }
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The dataset moved to another row (or the rows were read again).
    void FilaActualCambiada(int fila);

private:
    class TEnlace;
    std::vector<TField*> CamposActuales() const;
    void Reinicia();
    void Cambiado();
    void Desplazado();
    void RegistroCambiado();
    void EstadoCambiado();
    void PublicaFilasNuevas();
    void MueveIndicador();

    std::unique_ptr<TEnlace> enlace_;
    QStringList columnas_;
    QStringList editables_;
    std::vector<TField*> campos_;
    std::exception_ptr rechazo_;
    int filas_ = 0; // rows the view knows of
    int fila_ = -1;
};

class THYTDBGrid;

// The titles: the sortable columns' images at the right end.
class TTitulosGrid : public QHeaderView {
    Q_OBJECT
public:
    explicit TTitulosGrid(THYTDBGrid* grid);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    THYTDBGrid* grid_;
};

// The cells: the sorted column's colour and the check boxes.
class TCeldasGrid : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TCeldasGrid(THYTDBGrid* grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    THYTDBGrid* grid_;
};

class THYTDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit THYTDBGrid(QWidget* parent = nullptr);
    ~THYTDBGrid() override;

    TDataSource* DataSource() const { return modelo_->DataSource(); }
    void SetDataSource(TDataSource* ds) { modelo_->SetDataSource(ds); }
    TFIBDataSet* DataSet() const { return modelo_->DataSet(); }
    TDataSetModel* Modelo() const { return modelo_; }
    // The fields shown, by name; empty shows every visible field.
    void SetColumnas(const QStringList& campos) { modelo_->SetColumnas(campos); }
    // Fields typed into in place: typing, F2 or a double-click on their cells
    // edits them (the other columns only show).
    void SetEditables(const QStringList& campos);
    // Hands the text of a cell being typed to the dataset and closes its
    // editor: what was typed is kept before the rows are saved or read again.
    void ConfirmaCelda();

    bool AutoDeseleccionar = true; // accepted; has no effect

    // A grid without data source takes the controller's.
    TControlEdit* ControlEdit() const { return controlEdit_; }
    void SetControlEdit(TControlEdit* ce);

    // The record page shown on double-click or Enter, with PermutaPaneles.
    QWidget* TabFicha() const { return tabFicha_; }
    void SetTabFicha(QWidget* pagina) { tabFicha_ = pagina; }
    bool PermutaPaneles = false;

    // Field names drawn as check boxes, and per position the text that means
    // ticked. CamposNoChecked is accepted and not used: any other text is an
    // empty box.
    QStringList CamposAMarcar() const { return camposAMarcar_; }
    void SetCamposAMarcar(const QStringList& campos);
    QStringList CamposChecked() const { return camposChecked_; }
    void SetCamposChecked(const QStringList& textos);
    QStringList CamposNoChecked;
    // Field names whose titles sort the rows when clicked.
    QStringList CamposAOrdenar() const { return camposAOrdenar_; }
    void SetCamposAOrdenar(const QStringList& campos);
    TListaImagenes CamposAOrdenarImgs() const { return imagenes_; }
    void SetCamposAOrdenarImgs(const TListaImagenes& imagenes);
    QColor CampoAOrdenarColor() const { return colorOrden_; }
    void SetCampoAOrdenarColor(const QColor& c);
    int IndiceAscendente = 1;
    int IndiceDescendente = 2;
    int IndiceColOrdenada = 0;
    int IndiceColMarcada = 3;

    // The column the rows are sorted by (upper case; empty for none) and its
    // state: 0 none, 1 ascending, 2 descending.
    QString ColumnaOrdenada() const { return ordenada_; }
    int EstadoOrden() const { return estado_; }

    // The title click of a column (also reached from the mouse).
    void PulsaTitulo(int columna);

    // A cell's editor is open.
    bool Escribiendo() const { return state() == QAbstractItemView::EditingState; }
    // What is typed in the open cell editor goes into the field (the record
    // goes into edit) and the editor closes, as when the cell is left; a
    // value the field refuses is thrown and the editor stays open.
    void GuardaEscrito();

    // For the titles and cells: the position of a field in CamposAMarcar
    // (-1 when not listed), and whether it is in CamposAOrdenar.
    int PosicionMarcado(const QString& campo) const;
    bool EsOrdenable(const QString& campo) const;
    bool EsColumnaColoreada(const QString& campo) const;
    // The title image of a sortable field (-1 for none).
    int ImagenTitulo(const QString& campo) const;

signals:
    // After double-click or Enter has shown TabFicha.
    void FichaMostrada();

protected:
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // A text the dataset refuses closes its editor, the cell showing what
    // is stored, before the refusal reaches the user: the editor losing the
    // focus to the message would hand the text over again.
    void commitData(QWidget* editor) override;

private:
    void MuestraFicha();
    void VaAFila(int fila);
    void AjustaColumnas();

    TDataSetModel* modelo_;
    QPointer<TControlEdit> controlEdit_;
    QPointer<QWidget> tabFicha_;
    QStringList camposAMarcar_, camposChecked_, camposAOrdenar_;
    TListaImagenes imagenes_;
    QColor colorOrden_;
    QString ordenada_;
    int estado_ = 0;
    bool sincronizando_ = false;
    int columna_ = 0; // the current column, kept while the rows are read again
    QStringList columnasAjustadas_;
};
