#include "UHYDBGrid.h"
#include "FIBDataSet.h"
#include "FIBTableDataSet.h"
#include "UControlEdit.h"
#include "UDBControles.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

// --- images -------------------------------------------------------------------------------

TListaImagenes ImagenesOrdenGrid()
{
    auto lienzo = [] {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        return pm;
    };
    auto triangulo = [](QPainter& p, QPointF a, QPointF b, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        p.drawPath(path);
    };
    const QColor gris(0x90, 0x90, 0x90), azul(0x1f, 0x3a, 0x73);
    TListaImagenes lista;
    {
        // Sortable: a small pair of grey arrows.
        QPixmap pm = lienzo();
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(gris);
        triangulo(p, {5, 7}, {11, 7}, {8, 3});
        triangulo(p, {5, 9}, {11, 9}, {8, 13});
        p.end();
        lista << pm;
    }
    for (bool ascendente : {true, false}) {
        QPixmap pm = lienzo();
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(azul);
        if (ascendente)
            triangulo(p, {3, 11}, {13, 11}, {8, 4});
        else
            triangulo(p, {3, 5}, {13, 5}, {8, 12});
        p.end();
        lista << pm;
    }
    {
        // Ticked: a check mark that fits the 10 by 10 box drawn around it.
        QPixmap pm = lienzo();
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x10, 0x60, 0x20), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{5, 8}, {7, 10.5}, {11.5, 5}}));
        p.end();
        lista << pm;
    }
    return lista;
}

// --- the model -------------------------------------------------------------------------------

class TDataSetModel::TEnlace : public TDataLink {
public:
    explicit TEnlace(TDataSetModel* m) : m_(m) {}

protected:
    void ActiveChanged() override { m_->Cambiado(); }
    void DataSetChanged() override { m_->Cambiado(); }
    void DataSetScrolled() override { m_->Desplazado(); }
    void RecordChanged(TField*) override { m_->RegistroCambiado(); }
    void EditingChanged() override { m_->EstadoCambiado(); }

private:
    TDataSetModel* m_;
};

TDataSetModel::TDataSetModel(QObject* parent) : QAbstractTableModel(parent), enlace_(std::make_unique<TEnlace>(this))
{
}

TDataSetModel::~TDataSetModel() = default;

TDataSource* TDataSetModel::DataSource() const { return enlace_->DataSource(); }
TFIBDataSet* TDataSetModel::DataSet() const { return enlace_->DataSet(); }

void TDataSetModel::SetDataSource(TDataSource* ds)
{
    enlace_->SetDataSource(ds);
    Reinicia();
}

void TDataSetModel::SetColumnas(const QStringList& campos)
{
    columnas_ = campos;
    Reinicia();
}

std::vector<TField*> TDataSetModel::CamposActuales() const
{
    std::vector<TField*> campos;
    TFIBDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return campos;
    if (columnas_.isEmpty()) {
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i)->Visible)
                campos.push_back(ds->Fields(i));
    } else {
        for (const QString& nombre : columnas_)
            if (TField* f = ds->FindField(nombre))
                campos.push_back(f);
    }
    return campos;
}

TField* TDataSetModel::Campo(int columna) const
{
    TFIBDataSet* ds = DataSet();
    if (!ds || !ds->Active() || columna < 0 || columna >= static_cast<int>(campos_.size()))
        return nullptr;
    return campos_[static_cast<std::size_t>(columna)];
}

void TDataSetModel::Reinicia()
{
    beginResetModel();
    TFIBDataSet* ds = DataSet();
    campos_ = CamposActuales();
    filas_ = ds && ds->Active() ? ds->RecordCount() : 0;
    fila_ = ds && ds->Active() && !ds->IsEmpty() ? ds->RecNo() - 1 : -1;
    endResetModel();
    emit FilaActualCambiada(fila_);
}

void TDataSetModel::Cambiado()
{
    TFIBDataSet* ds = DataSet();
    // Opened, closed, reordered, a row inserted or deleted: read again.
    if (!ds || !ds->Active() || ds->RecordCount() != filas_ || CamposActuales() != campos_) {
        Reinicia();
        return;
    }
    if (filas_ > 0 && !campos_.empty())
        emit dataChanged(index(0, 0), index(filas_ - 1, columnCount() - 1));
    MueveIndicador();
}

void TDataSetModel::PublicaFilasNuevas()
{
    TFIBDataSet* ds = DataSet();
    const int total = ds && ds->Active() ? ds->RecordCount() : 0;
    if (total < filas_) {
        Reinicia();
        return;
    }
    if (total > filas_) {
        beginInsertRows(QModelIndex(), filas_, total - 1);
        filas_ = total;
        endInsertRows();
    }
}

void TDataSetModel::Desplazado()
{
    // Moving forward may have fetched rows: they come at the end.
    PublicaFilasNuevas();
    MueveIndicador();
}

void TDataSetModel::MueveIndicador()
{
    TFIBDataSet* ds = DataSet();
    const int nueva = ds && ds->Active() && !ds->IsEmpty() ? ds->RecNo() - 1 : -1;
    if (nueva == fila_)
        return;
    const int antes = fila_;
    fila_ = nueva;
    if (antes >= 0 && antes < filas_)
        emit headerDataChanged(Qt::Vertical, antes, antes);
    if (fila_ >= 0 && fila_ < filas_)
        emit headerDataChanged(Qt::Vertical, fila_, fila_);
    emit FilaActualCambiada(fila_);
}

void TDataSetModel::RegistroCambiado()
{
    if (fila_ >= 0 && fila_ < filas_ && !campos_.empty())
        emit dataChanged(index(fila_, 0), index(fila_, columnCount() - 1));
}

void TDataSetModel::EstadoCambiado()
{
    if (fila_ >= 0 && fila_ < filas_)
        emit headerDataChanged(Qt::Vertical, fila_, fila_);
}

int TDataSetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : filas_; }

int TDataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(campos_.size());
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const
{
    TFIBDataSet* ds = DataSet();
    TField* f = index.isValid() ? Campo(index.column()) : nullptr;
    // Only rows already fetched are read; data() never fetches.
    if (!f || index.row() >= ds->RecordCount())
        return {};
    const TFieldType tipo = f->DataType();
    switch (role) {
    case Qt::DisplayRole: {
        if (tipo == TFieldType::ftMemo)
            return QStringLiteral("(MEMO)");
        if (tipo == TFieldType::ftBlob)
            return QStringLiteral("(BLOB)");
        TFIBDataSet::TRowScope fila(*ds, index.row());
        return f->DisplayText();
    }
    case RolTexto: {
        if (tipo == TFieldType::ftMemo || tipo == TFieldType::ftBlob)
            return QString();
        TFIBDataSet::TRowScope fila(*ds, index.row());
        return f->Text();
    }
    case Qt::EditRole: {
        if (tipo == TFieldType::ftMemo || tipo == TFieldType::ftBlob)
            return QString();
        TFIBDataSet::TRowScope fila(*ds, index.row());
        return TextoEdicion(f);
    }
    case Qt::TextAlignmentRole: {
        const bool numero = tipo == TFieldType::ftSmallint || tipo == TFieldType::ftInteger ||
                            tipo == TFieldType::ftLargeint || tipo == TFieldType::ftFloat;
        return QVariant::fromValue(Qt::Alignment((numero ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    default: return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        TField* f = Campo(section);
        return f ? QVariant(f->DisplayLabel()) : QVariant();
    }
    if (section != fila_ || fila_ < 0)
        return QString();
    // The row indicator: the current row, being edited or being inserted.
    switch (DataSet()->State()) {
    case TDataSetState::dsEdit: return QStringLiteral("I");
    case TDataSetState::dsInsert: return QStringLiteral("*");
    default: return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    TField* campo = Campo(index.column());
    TFIBDataSet* ds = DataSet();
    if (campo && ds && ds->CanModify() && !campo->ReadOnly && editables_.contains(campo->FieldName(), Qt::CaseInsensitive))
        f |= Qt::ItemIsEditable;
    return f;
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TField* campo = index.isValid() ? Campo(index.column()) : nullptr;
    TFIBDataSet* ds = DataSet();
    if (role != Qt::EditRole || !campo || !ds || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString texto = value.toString();
    // The view's hand-over cannot be unwound by an exception: a refusal is
    // kept for the grid to report once the hand-over is done.
    try {
        if (ds->RecNo() != index.row() + 1)
            ds->SetRecNo(index.row() + 1); // leaving a modified row saves it
        if (texto == TextoEdicion(campo))
            return true; // nothing typed: the row stays as it is
        if (ds->State() == TDataSetState::dsBrowse) {
            // The text was typed over the row as shown: typed over another
            // seat's change, it is refused, not written over it.
            if (auto* tabla = dynamic_cast<TFIBTableSet*>(ds))
                tabla->EditaSobreLoMostrado();
            else
                ds->Edit();
        }
        AsignaTexto(campo, texto);
    } catch (...) {
        rechazo_ = std::current_exception();
        return false;
    }
    return true;
}

bool TDataSetModel::canFetchMore(const QModelIndex& parent) const
{
    TFIBDataSet* ds = DataSet();
    return !parent.isValid() && ds && ds->Active() && !ds->AllFetched();
}

void TDataSetModel::fetchMore(const QModelIndex& parent)
{
    TFIBDataSet* ds = DataSet();
    if (parent.isValid() || !ds || !ds->Active())
        return;
    ds->FetchMore(std::max(1, ds->BufferChunks));
    PublicaFilasNuevas();
}

// --- titles and cells ------------------------------------------------------------------------

TTitulosGrid::TTitulosGrid(THYTDBGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {}

void TTitulosGrid::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // The style leaves the painter clipped to nothing: keep its state.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    const TField* f = grid_->Modelo()->Campo(logicalIndex);
    if (!f)
        return;
    const int imagen = grid_->ImagenTitulo(f->FieldName());
    const TListaImagenes imagenes = grid_->CamposAOrdenarImgs();
    if (imagen < 0 || imagen >= imagenes.size())
        return;
    // At the top, its right edge 2 pixels beyond the cell's.
    const QPixmap& pm = imagenes[imagen];
    painter->drawPixmap(rect.x() + rect.width() + 2 - pm.width(), rect.y(), pm);
}

TCeldasGrid::TCeldasGrid(THYTDBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void TCeldasGrid::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const TField* f = grid_->Modelo()->Campo(index.column());
    if (!f)
        return;
    if (grid_->EsColumnaColoreada(f->FieldName()))
        option->backgroundBrush = grid_->CampoAOrdenarColor();
    if (grid_->PosicionMarcado(f->FieldName()) >= 0)
        option->text.clear();
}

void TCeldasGrid::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const TField* f = grid_->Modelo()->Campo(index.column());
    const int pos = f ? grid_->PosicionMarcado(f->FieldName()) : -1;
    if (pos < 0)
        return;
    const QStringList marcados = grid_->CamposChecked();
    const bool marcado = pos < marcados.size() && index.data(TDataSetModel::RolTexto).toString() == marcados[pos];
    const TListaImagenes imagenes = grid_->CamposAOrdenarImgs();
    const int imagen = grid_->IndiceColMarcada;
    const bool conImagen = imagen >= 0 && imagen < imagenes.size();
    const QPoint esquina = option.rect.topLeft();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    QBrush relleno = Qt::NoBrush;
    if (marcado) {
        if (conImagen) {
            const QPixmap& pm = imagenes[imagen];
            painter->drawPixmap(esquina + QPoint(8, 8) - QPoint(pm.width() / 2, pm.height() / 2), pm);
        } else {
            relleno = QColor(0xC0, 0xC0, 0xC0); // silver, 12632256
        }
    }
    // The 10 by 10 box, from 3 pixels right and down of the corner.
    painter->setPen(option.palette.color(QPalette::Text));
    painter->setBrush(relleno);
    painter->drawRect(QRect(esquina + QPoint(3, 3), QSize(9, 9)));
    painter->restore();
}

// --- the grid ---------------------------------------------------------------------------------

THYTDBGrid::THYTDBGrid(QWidget* parent)
    : QTableView(parent), modelo_(new TDataSetModel(this)), colorOrden_(0xFF, 0xFF, 0xE1) // clInfoBk
{
    setHorizontalHeader(new TTitulosGrid(this));
    setItemDelegate(new TCeldasGrid(this));
    setModel(modelo_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab moves to the next control
    setShowGrid(true);
    setWordWrap(false);
    // The selection shows the same with or without the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    QHeaderView* titulos = horizontalHeader();
    titulos->setSectionsClickable(true);
    titulos->setHighlightSections(false);
    titulos->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titulos->setSectionResizeMode(QHeaderView::Interactive);
    titulos->setStretchLastSection(false);
    connect(titulos, &QHeaderView::sectionClicked, this, &THYTDBGrid::PulsaTitulo);

    QHeaderView* indicador = verticalHeader();
    indicador->setSectionResizeMode(QHeaderView::Fixed);
    indicador->setDefaultSectionSize(fontMetrics().height() + 6);
    indicador->setDefaultAlignment(Qt::AlignCenter);
    indicador->setFixedWidth(16);
    indicador->setSectionsClickable(false);

    connect(modelo_, &TDataSetModel::FilaActualCambiada, this, &THYTDBGrid::VaAFila);
    connect(modelo_, &QAbstractItemModel::modelReset, this, &THYTDBGrid::AjustaColumnas);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& actual) {
        if (actual.isValid())
            columna_ = actual.column();
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& actual, const QModelIndex&) {
                TFIBDataSet* ds = DataSet();
                if (sincronizando_ || !actual.isValid() || !ds || !ds->Active() ||
                    actual.row() == modelo_->FilaActual())
                    return;
                try {
                    ds->SetRecNo(actual.row() + 1);
                } catch (...) {
                    // The row could not be left (a failed post): the view
                    // goes back to the dataset's row.
                    VaAFila(modelo_->FilaActual());
                    throw;
                }
            });
}

THYTDBGrid::~THYTDBGrid() = default;

void THYTDBGrid::SetControlEdit(TControlEdit* ce)
{
    controlEdit_ = ce;
    if (ce && !DataSource())
        SetDataSource(ce->DataSource());
}

void THYTDBGrid::SetCamposAMarcar(const QStringList& campos)
{
    camposAMarcar_ = campos;
    viewport()->update();
}

void THYTDBGrid::SetCamposChecked(const QStringList& textos)
{
    camposChecked_ = textos;
    viewport()->update();
}

void THYTDBGrid::SetCamposAOrdenar(const QStringList& campos)
{
    camposAOrdenar_ = campos;
    horizontalHeader()->viewport()->update();
}

void THYTDBGrid::SetCamposAOrdenarImgs(const TListaImagenes& imagenes)
{
    imagenes_ = imagenes;
    horizontalHeader()->viewport()->update();
    viewport()->update();
}

void THYTDBGrid::SetCampoAOrdenarColor(const QColor& c)
{
    colorOrden_ = c;
    viewport()->update();
}

int THYTDBGrid::PosicionMarcado(const QString& campo) const
{
    for (qsizetype i = 0; i < camposAMarcar_.size(); ++i)
        if (camposAMarcar_[i].trimmed().compare(campo, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

bool THYTDBGrid::EsOrdenable(const QString& campo) const
{
    for (const QString& c : camposAOrdenar_)
        if (c.trimmed().compare(campo, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool THYTDBGrid::EsColumnaColoreada(const QString& campo) const
{
    return estado_ != 0 && !ordenada_.isEmpty() && ordenada_.compare(campo, Qt::CaseInsensitive) == 0;
}

int THYTDBGrid::ImagenTitulo(const QString& campo) const
{
    if (!EsOrdenable(campo))
        return -1;
    if (ordenada_.compare(campo, Qt::CaseInsensitive) != 0 || estado_ == 0)
        return IndiceColOrdenada;
    return estado_ == 1 ? IndiceAscendente : IndiceDescendente;
}

void THYTDBGrid::PulsaTitulo(int columna)
{
    const TField* f = modelo_->Campo(columna);
    TFIBDataSet* ds = DataSet();
    if (!f || !ds || !EsOrdenable(f->FieldName()))
        return;
    const QString campo = f->FieldName();
    // Repeated clicks on one title cycle ascending, descending, none.
    estado_ = ordenada_.compare(campo, Qt::CaseInsensitive) == 0 ? (estado_ + 1) % 3 : 1;
    ordenada_ = campo.toUpper();
    viewport()->update();
    const QString columnas = estado_ == 0 ? QString() : estado_ == 1 ? campo : campo + QStringLiteral(" DESC");
    if (auto* tabla = dynamic_cast<TFIBTableSet*>(ds)) {
        tabla->EstablecerOrden(columnas);
    } else {
        // A plain dataset: the same change of clause, without suspending the
        // controls. Its select parameters keep their values.
        const bool abierto = ds->Active();
        ds->Close();
        QStringList sql = QuitaOrden(ds->SelectSQL());
        if (!columnas.isEmpty())
            sql << QStringLiteral("ORDER BY ") + columnas;
        ds->SetSelectSQL(sql);
        if (abierto)
            ds->Open();
    }
    horizontalHeader()->viewport()->update();
}

void THYTDBGrid::VaAFila(int fila)
{
    sincronizando_ = true;
    if (fila < 0 || fila >= modelo_->rowCount()) {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
    } else {
        // A re-read leaves no current cell: the column stays the one the user was on.
        const int columna = currentIndex().isValid() ? currentIndex().column() : columna_;
        const QModelIndex i = modelo_->index(fila, std::clamp(columna, 0, std::max(0, modelo_->columnCount() - 1)));
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(i);
    }
    sincronizando_ = false;
}

void THYTDBGrid::AjustaColumnas()
{
    QStringList nombres;
    for (int c = 0; c < modelo_->columnCount(); ++c)
        nombres << modelo_->Campo(c)->FieldName();
    // Widths are set when the columns change, not on every re-read, so that
    // the user's widths stay.
    if (nombres == columnasAjustadas_)
        return;
    columnasAjustadas_ = nombres;
    const QFontMetrics fm(font());
    const QFontMetrics fmTitulo(horizontalHeader()->font());
    for (int c = 0; c < modelo_->columnCount(); ++c) {
        const TField* f = modelo_->Campo(c);
        const int titulo = fmTitulo.horizontalAdvance(f->DisplayLabel()) + (EsOrdenable(f->FieldName()) ? 24 : 10);
        int datos = 0;
        if (PosicionMarcado(f->FieldName()) >= 0)
            datos = 18;
        else if (f->DataType() == TFieldType::ftString)
            datos = fm.averageCharWidth() * std::clamp(f->Size(), 4, 30) + 8;
        else
            datos = fm.averageCharWidth() * 12 + 8;
        setColumnWidth(c, std::max(titulo, datos));
    }
}

void THYTDBGrid::MuestraFicha()
{
    if (!PermutaPaneles || !tabFicha_)
        return;
    MuestraPagina(tabFicha_);
    emit FichaMostrada();
}

void THYTDBGrid::GuardaEscrito()
{
    QWidget* editor = Escribiendo() ? indexWidget(currentIndex()) : nullptr;
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void THYTDBGrid::SetEditables(const QStringList& campos)
{
    modelo_->SetEditables(campos);
    setEditTriggers(campos.isEmpty() ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::DoubleClicked);
}

void THYTDBGrid::ConfirmaCelda()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void THYTDBGrid::commitData(QWidget* editor)
{
    QTableView::commitData(editor);
    if (std::exception_ptr rechazo = modelo_->TomaRechazo()) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        std::rethrow_exception(rechazo);
    }
}

void THYTDBGrid::keyReleaseEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat())
        MuestraFicha();
    QTableView::keyReleaseEvent(e);
}

void THYTDBGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTableView::mouseDoubleClickEvent(e);
    MuestraFicha();
}
