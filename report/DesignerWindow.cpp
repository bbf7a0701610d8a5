#include "DesignerWindow.h"

#include "DesignerDataTree.h"
#include "DesignerProperties.h"
#include "DesignerScene.h"
#include "DesignerView.h"
#include "ReportData.h"
#include "ReportError.h"
#include "ReportLayout.h"
#include "ReportPreview.h"
#include "ReportXml.h"
#include "WaitCursor.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace qdr {

namespace {

const QString kObjectsMime = QStringLiteral("application/x-quorumdesk-report-objects");

enum class Glyph : std::uint8_t { Band, Text, Line, Rectangle, Picture, Barcode, Chart, RichText, Total,
                                  AlignLeft, AlignRight, AlignTop, AlignBottom, SameWidth, SameHeight };

// Tool bar pictures drawn here, so the designer needs no image files.
QIcon glyph(Glyph g)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x30, 0x40, 0x58);
    const QColor accent(0x3a, 0x6e, 0xc0);
    p.setPen(QPen(ink, 1.6));
    auto text = [&](const QString& s, int px, bool bold) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(px);
        f.setBold(bold);
        p.setFont(f);
        p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, s);
    };
    auto bars = [&](bool vertical, int edge) {
        p.setPen(QPen(ink, 1.6));
        if (vertical)
            p.drawLine(edge, 3, edge, 21);
        else
            p.drawLine(3, edge, 21, edge);
        p.fillRect(vertical ? QRectF(edge == 4 ? 5 : 9, 6, 10, 4) : QRectF(6, edge == 4 ? 5 : 9, 4, 10), accent);
        p.fillRect(vertical ? QRectF(edge == 4 ? 5 : 13, 13, edge == 4 ? 14 : 6, 4) : QRectF(13, edge == 4 ? 5 : 13, 4, edge == 4 ? 14 : 6), accent);
    };
    switch (g) {
    case Glyph::Band:
        p.fillRect(QRectF(2, 6, 20, 4), QColor(0xd8, 0xe4, 0xf4));
        p.drawRect(QRectF(2, 6, 20, 12));
        break;
    case Glyph::Text:
        text(QStringLiteral("A"), 17, true);
        break;
    case Glyph::Line:
        p.drawLine(4, 20, 20, 4);
        break;
    case Glyph::Rectangle:
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case Glyph::Picture:
        p.drawRect(QRectF(3, 5, 18, 14));
        p.setBrush(accent);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(4, 18), QPointF(10, 10), QPointF(15, 15), QPointF(20, 11), QPointF(20, 18)}));
        break;
    case Glyph::Barcode:
        for (int x : {4, 6, 9, 12, 13, 16, 19})
            p.fillRect(QRectF(x, 5, x % 3 == 0 ? 2 : 1, 14), ink);
        break;
    case Glyph::Chart:
        p.fillRect(QRectF(4, 12, 4, 8), accent);
        p.fillRect(QRectF(10, 6, 4, 14), accent);
        p.fillRect(QRectF(16, 10, 4, 10), accent);
        break;
    case Glyph::RichText:
        text(QStringLiteral("¶"), 17, false);
        break;
    case Glyph::Total:
        text(QStringLiteral("Σ"), 17, false);
        break;
    case Glyph::AlignLeft:
        bars(true, 4);
        break;
    case Glyph::AlignRight:
        p.translate(24, 0);
        p.scale(-1, 1);
        bars(true, 4);
        break;
    case Glyph::AlignTop:
        bars(false, 4);
        break;
    case Glyph::AlignBottom:
        p.translate(0, 24);
        p.scale(1, -1);
        bars(false, 4);
        break;
    case Glyph::SameWidth:
        p.fillRect(QRectF(4, 5, 16, 5), accent);
        p.fillRect(QRectF(4, 14, 16, 5), accent);
        break;
    case Glyph::SameHeight:
        p.fillRect(QRectF(5, 4, 5, 16), accent);
        p.fillRect(QRectF(14, 4, 5, 16), accent);
        break;
    }
    return QIcon(pm);
}

Glyph objectGlyph(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Text:
        return Glyph::Text;
    case ObjectKind::Line:
        return Glyph::Line;
    case ObjectKind::Rectangle:
        return Glyph::Rectangle;
    case ObjectKind::Picture:
        return Glyph::Picture;
    case ObjectKind::Barcode:
        return Glyph::Barcode;
    case ObjectKind::Chart:
        return Glyph::Chart;
    case ObjectKind::RichText:
        return Glyph::RichText;
    case ObjectKind::Aggregate:
        return Glyph::Total;
    }
    return Glyph::Text;
}

QString mm(double v)
{
    return QLocale(QLocale::Spanish).toString(v, 'f', 1);
}

} // namespace

DesignerWindow::DesignerWindow(QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    scene_ = new DesignerScene(&doc_, this);
    view_ = new DesignerView(&doc_, scene_);
    tree_ = new DesignerDataTree;
    props_ = new DesignerProperties(&doc_);
    status_ = new QLabel;
    status_->setContentsMargins(6, 2, 6, 2);

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(tree_);
    split->addWidget(view_);
    split->addWidget(props_);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setStretchFactor(2, 0);
    split->setSizes({190, 690, 340});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();
    layout->addWidget(split, 1);
    layout->addWidget(status_);

    connect(&doc_, &DesignerDocument::selectionChanged, this, &DesignerWindow::updateActions);
    connect(&doc_, &DesignerDocument::reportChanged, this, &DesignerWindow::updateStatus);
    connect(&doc_, &DesignerDocument::selectionChanged, this, &DesignerWindow::updateStatus);
    connect(scene_, &DesignerScene::objectActivated, this, [this](ObjRef ref) {
        doc_.selectObject(ref, false);
        props_->focusMainProperty();
    });
    connect(view_, &DesignerView::objectActivated, props_, &DesignerProperties::focusMainProperty);
    connect(tree_, &DesignerDataTree::expressionActivated, this, &DesignerWindow::insertExpression);
    resize(1220, 820);
    setReport(Report(), QString(), QString());
    view_->setFocus();
}

QAction* DesignerWindow::addCommand(QMenu* menu, const QString& caption, const QKeySequence& key,
                                    const std::function<void()>& run, const QIcon& icon)
{
    QAction* a = menu->addAction(icon, caption);
    if (!key.isEmpty())
        a->setShortcut(key);
    // The window's commands work from every pane.
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    connect(a, &QAction::triggered, this, run);
    return a;
}

void DesignerWindow::buildMenus()
{
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    auto* tools = new QToolBar(this);
    tools->setIconSize(QSize(20, 20));
    static_cast<QVBoxLayout*>(layout())->addWidget(tools);
    QStyle* st = style();

    QMenu* file = bar->addMenu(QStringLiteral("&Archivo"));
    newReport_ = addCommand(file, QStringLiteral("Nuevo informe"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { doc_.newReport(); },
                            st->standardIcon(QStyle::SP_FileIcon));
    QAction* save = addCommand(file, QStringLiteral("Guardar"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { this->save(); },
                               st->standardIcon(QStyle::SP_DialogSaveButton));
    QAction* prev = addCommand(file, QStringLiteral("Vista previa"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] { preview(); },
                               st->standardIcon(QStyle::SP_FileDialogContentsView));
    file->addSeparator();
    addCommand(file, QStringLiteral("Configurar página"), QKeySequence(), [this] {
        doc_.setSelection({});
        props_->focusFirstEditor();
    });
    file->addSeparator();
    addCommand(file, QStringLiteral("Salir"), QKeySequence(Qt::ALT | Qt::Key_F4), [this] { close(); });

    QMenu* edit = bar->addMenu(QStringLiteral("&Edición"));
    QAction* undo = addCommand(edit, QStringLiteral("Deshacer"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { doc_.undoStack()->undo(); },
                               st->standardIcon(QStyle::SP_ArrowBack));
    QAction* redo = addCommand(edit, QStringLiteral("Rehacer"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { doc_.undoStack()->redo(); },
                               st->standardIcon(QStyle::SP_ArrowForward));
    connect(doc_.undoStack(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(doc_.undoStack(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
    edit->addSeparator();
    selectionActions_ << addCommand(edit, QStringLiteral("Cortar"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { cut(); });
    selectionActions_ << addCommand(edit, QStringLiteral("Copiar"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copy(); });
    addCommand(edit, QStringLiteral("Pegar"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] { paste(); });
    delete_ = addCommand(edit, QStringLiteral("Borrar"), QKeySequence(Qt::Key_Delete), [this] { doc_.deleteSelection(); },
                         st->standardIcon(QStyle::SP_TrashIcon));
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Seleccionar todo"), QKeySequence(Qt::CTRL | Qt::Key_A), [this] { doc_.selectAll(); });
    QMenu* insert = bar->addMenu(QStringLiteral("&Insertar"));
    QMenu* bands = insert->addMenu(glyph(Glyph::Band), QStringLiteral("Banda"));
    for (int k = 0; k < kBandKindCount; ++k) {
        const auto kind = static_cast<BandKind>(k);
        addCommand(bands, bandKindCaption(kind), QKeySequence(), [this, kind] {
            const QStringList sets = data_ ? data_->dataSetNames() : QStringList();
            doc_.insertBand(kind, sets.isEmpty() ? QString() : sets.front());
            view_->setFocus();
        });
    }
    insert->addSeparator();
    QList<QAction*> insertActions;
    for (ObjectKind kind : {ObjectKind::Text, ObjectKind::Line, ObjectKind::Rectangle, ObjectKind::Picture, ObjectKind::Barcode,
                            ObjectKind::Chart, ObjectKind::RichText, ObjectKind::Aggregate})
        insertActions << addCommand(insert, objectKindCaption(kind), QKeySequence(), [this, kind] { insertObject(kind); }, glyph(objectGlyph(kind)));

    QMenu* align = bar->addMenu(QStringLiteral("A&linear"));
    multiActions_ << addCommand(align, QStringLiteral("Alinear a la izquierda"), QKeySequence(), [this] { doc_.align(AlignEdge::Left); }, glyph(Glyph::AlignLeft));
    multiActions_ << addCommand(align, QStringLiteral("Alinear a la derecha"), QKeySequence(), [this] { doc_.align(AlignEdge::Right); }, glyph(Glyph::AlignRight));
    multiActions_ << addCommand(align, QStringLiteral("Alinear arriba"), QKeySequence(), [this] { doc_.align(AlignEdge::Top); }, glyph(Glyph::AlignTop));
    multiActions_ << addCommand(align, QStringLiteral("Alinear abajo"), QKeySequence(), [this] { doc_.align(AlignEdge::Bottom); }, glyph(Glyph::AlignBottom));
    align->addSeparator();
    multiActions_ << addCommand(align, QStringLiteral("Mismo ancho"), QKeySequence(), [this] { doc_.makeSameSize(SameSize::Width); }, glyph(Glyph::SameWidth));
    multiActions_ << addCommand(align, QStringLiteral("Mismo alto"), QKeySequence(), [this] { doc_.makeSameSize(SameSize::Height); }, glyph(Glyph::SameHeight));
    multiActions_ << addCommand(align, QStringLiteral("Mismo tamaño"), QKeySequence(), [this] { doc_.makeSameSize(SameSize::Both); });

    QMenu* viewMenu = bar->addMenu(QStringLiteral("&Ver"));
    QAction* grid = addCommand(viewMenu, QStringLiteral("Mostrar rejilla"), QKeySequence(), [] {});
    grid->setCheckable(true);
    grid->setChecked(scene_->gridVisible());
    connect(grid, &QAction::toggled, scene_, &DesignerScene::setGridVisible);
    QAction* snap = addCommand(viewMenu, QStringLiteral("Ajustar a la rejilla"), QKeySequence(), [] {});
    snap->setCheckable(true);
    snap->setChecked(scene_->snapToGrid());
    connect(snap, &QAction::toggled, scene_, &DesignerScene::setSnapToGrid);
    auto* steps = new QActionGroup(this);
    for (double step : {0.5, 1.0, 2.0, 5.0}) {
        QAction* a = addCommand(viewMenu, QStringLiteral("Rejilla de %1 mm").arg(mm(step)), QKeySequence(), [this, step] { scene_->setGridStep(step); });
        a->setCheckable(true);
        a->setChecked(step == scene_->gridStep());
        steps->addAction(a);
    }
    viewMenu->addSeparator();
    addCommand(viewMenu, QStringLiteral("Ampliar"), QKeySequence(QKeySequence::ZoomIn), [this] { view_->setZoom(view_->zoom() * 1.25); });
    addCommand(viewMenu, QStringLiteral("Reducir"), QKeySequence(QKeySequence::ZoomOut), [this] { view_->setZoom(view_->zoom() / 1.25); });
    addCommand(viewMenu, QStringLiteral("Ajustar al ancho"), QKeySequence(), [this] { fitWidth(); });

    tools->addAction(newReport_);
    tools->addAction(save);
    tools->addAction(prev);
    tools->addSeparator();
    tools->addAction(undo);
    tools->addAction(redo);
    tools->addAction(delete_);
    tools->addSeparator();
    tools->addAction(bands->menuAction());
    tools->addActions(insertActions);
    tools->addSeparator();
    tools->addActions(multiActions_.mid(0, 6));
    updateActions();
}

QAction* DesignerWindow::action(const QString& caption) const
{
    for (QAction* a : findChildren<QAction*>())
        if (a->text() == caption)
            return a;
    return nullptr;
}

void DesignerWindow::setReport(Report report, const QString& name, const QString& saveFile)
{
    name_ = name.isEmpty() ? report.name : name;
    saveFile_ = saveFile;
    savedReport_ = report;
    doc_.setReport(std::move(report));
    setWindowTitle(QStringLiteral("Diseñador de informes - ") + name_);
    fitted_ = false;
    if (isVisible()) {
        fitted_ = true;
        fitWidth();
    }
}

void DesignerWindow::setData(const ReportData* data, const QStringList& variables)
{
    data_ = data;
    tree_->setData(data, variables);
    props_->setDataSetNames(data ? data->dataSetNames() : QStringList());
}

void DesignerWindow::setNewReportEnabled(bool enabled)
{
    newReport_->setEnabled(enabled);
    newReport_->setVisible(true);
}

bool DesignerWindow::save()
{
    QString file = saveFile_;
    if (file.isEmpty()) {
        file = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar"), QString(), QStringLiteral("Fichero de Formato (*.frf)"));
        if (file.isEmpty())
            return false;
    }
    try {
        saveReport(doc_.report(), file);
    } catch (const EReportError& e) {
        QMessageBox::critical(this, windowTitle(), e.message());
        return false;
    }
    saveFile_ = file;
    savedReport_ = doc_.report();
    savedOnce_ = true;
    doc_.markSaved();
    updateStatus();
    return true;
}

void DesignerWindow::preview()
{
    ReportData none;
    Document built;
    try {
        TWaitCursor wait;
        built = layoutReport(doc_.report(), data_ ? *data_ : none);
    } catch (const EReportError& e) {
        QMessageBox::warning(this, QStringLiteral("Vista previa"), e.message());
        return;
    }
    if (built.title.isEmpty())
        built.title = name_;
    showPreview(built, this);
}

void DesignerWindow::insertObject(ObjectKind kind)
{
    const int band = doc_.targetBand();
    if (band < 0) {
        status_->setText(QStringLiteral("Inserte primero una banda."));
        return;
    }
    doc_.insertObject(kind, band, freeSpot(band, kind));
    view_->setFocus();
}

void DesignerWindow::insertExpression(const QString& expression)
{
    const int band = doc_.targetBand();
    if (band < 0) {
        status_->setText(QStringLiteral("Inserte primero una banda."));
        return;
    }
    doc_.insertExpression(expression, band, freeSpot(band, ObjectKind::Text));
}

QPointF DesignerWindow::freeSpot(int band, ObjectKind kind) const
{
    // Down the band's left edge, then along, a step at a time, where no object starts.
    const Band& b = doc_.report().bands[static_cast<std::size_t>(band)];
    const double step = std::max(scene_->gridStep(), 1.0);
    const double h = defaultObjectSize(kind).height();
    for (double x = 0; x < 400; x += 10 * step) {
        for (double y = 0; y + std::min(h, b.height) <= b.height + 1e-6; y += step) {
            // With a millimetre to spare around it, so it does not touch its neighbours.
            const QRectF want = QRectF(x, y, defaultObjectSize(kind).width(), std::max(h, 0.5)).adjusted(-1, -1, 1, 1);
            const bool taken = std::any_of(b.objects.begin(), b.objects.end(), [&](const auto& o) {
                return QRectF(o->x, o->y, std::max(o->width, 0.5), std::max(o->height, 0.5)).intersects(want);
            });
            if (!taken)
                return {x, y};
        }
    }
    return {0, 0};
}

void DesignerWindow::copy()
{
    const QByteArray bytes = doc_.copySelection();
    if (bytes.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(kObjectsMime, bytes);
    QApplication::clipboard()->setMimeData(mime);
}

void DesignerWindow::cut()
{
    copy();
    doc_.deleteSelection();
}

void DesignerWindow::paste()
{
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(kObjectsMime))
        return;
    if (!doc_.paste(mime->data(kObjectsMime)))
        status_->setText(QStringLiteral("Inserte primero una banda."));
}

void DesignerWindow::updateActions()
{
    const DesignSelection& s = doc_.selection();
    for (QAction* a : selectionActions_)
        a->setEnabled(!s.objects.empty());
    for (QAction* a : multiActions_)
        a->setEnabled(s.objects.size() > 1);
    delete_->setEnabled(!s.objects.empty() || s.band >= 0);
}

void DesignerWindow::updateStatus()
{
    const DesignSelection& s = doc_.selection();
    QString text;
    if (s.objects.size() == 1) {
        if (const ReportObject* o = doc_.object(s.objects.front()))
            text = QStringLiteral("%1   X: %2   Y: %3   Ancho: %4   Alto: %5 mm")
                       .arg(o->name, mm(o->x), mm(o->y), mm(o->width), mm(o->height));
    } else if (s.objects.size() > 1) {
        text = QStringLiteral("%1 objetos seleccionados").arg(s.objects.size());
    } else if (s.band >= 0 && s.band < static_cast<int>(doc_.report().bands.size())) {
        const Band& b = doc_.report().bands[static_cast<std::size_t>(s.band)];
        text = QStringLiteral("%1   Altura: %2 mm").arg(bandKindCaption(b.kind), mm(b.height));
    }
    if (doc_.isModified())
        text += text.isEmpty() ? QStringLiteral("Modificado") : QStringLiteral("   (modificado)");
    status_->setText(text);
}

void DesignerWindow::fitWidth()
{
    const double pageMm = scene_->sceneRect().width();
    const double px = view_->viewport()->width() - 4;
    if (pageMm > 0 && px > 50)
        view_->setZoom(px / (pageMm * view_->logicalDpiX() / 25.4));
    // The top of the page, where the first bands are.
    view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->minimum());
}

void DesignerWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!fitted_) {
        fitted_ = true;
        fitWidth();
    }
}

void DesignerWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F6) {
        // The three panes in turn.
        QWidget* panes[] = {tree_, view_, props_};
        int at = 1;
        for (int i = 0; i < 3; ++i)
            if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget())
                at = i;
        QWidget* next = panes[(at + (event->modifiers() & Qt::ShiftModifier ? 2 : 1)) % 3];
        if (next == props_)
            props_->focusFirstEditor();
        else
            next->setFocus(Qt::ShortcutFocusReason);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DesignerWindow::confirmClose()
{
    if (!doc_.isModified())
        return true;
    QMessageBox ask(QMessageBox::Question, windowTitle(), QStringLiteral("¿Desea guardar los cambios del informe?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    ask.button(QMessageBox::Yes)->setText(QStringLiteral("Sí"));
    ask.button(QMessageBox::No)->setText(QStringLiteral("No"));
    ask.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancelar"));
    ask.setDefaultButton(QMessageBox::Yes);
    switch (ask.exec()) {
    case QMessageBox::Yes:
        return save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void DesignerWindow::reject()
{
    // Escape, the window's close button and "Salir" all end here.
    if (confirmClose())
        QDialog::reject();
}

} // namespace qdr
