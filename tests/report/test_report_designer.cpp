// The report designer driven as a user drives it: mouse and keys on the page,
// a field dropped from the data tree, the menus' commands, saving and closing.
#include "DesignerDataTree.h"
#include "DesignerProperties.h"
#include "DesignerRender.h"
#include "DesignerScene.h"
#include "DesignerView.h"
#include "DesignerWindow.h"
#include "Modales.h"
#include "ReportData.h"
#include "ReportDesigner.h"
#include "ReportXml.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace qdr;

namespace {

QString supplied(const QString& name)
{
    return qEnvironmentVariable("QD_SOURCE_DIR") + QStringLiteral("/report/supplied/") + name;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The data a label format is designed with: owner addresses and the administrator.
struct LabelData {
    MemoryDataSource owners{{QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("DOMICILIO"),
                             QStringLiteral("CODIGO_POSTAL"), QStringLiteral("POBLACION"), QStringLiteral("PROVINCIA")}};
    MemoryDataSource admin{{QStringLiteral("EMPRESA")}};
    ReportData data;
    LabelData()
    {
        owners.addRow({1, QStringLiteral("ANA PÉREZ"), QStringLiteral("C/ MAYOR 1"), QStringLiteral("28001"),
                       QStringLiteral("MADRID"), QStringLiteral("MADRID")});
        admin.addRow({QStringLiteral("Fincas Sol")});
        data.addDataSet(QStringLiteral("frDBDataSet1"), &owners);
        data.addDataSet(QStringLiteral("QAdministrador"), &admin);
    }
};

class Designer : public ::testing::Test {
protected:
    void open(Report report, const QString& saveFile)
    {
        w.setReport(std::move(report), QStringLiteral("Prueba"), saveFile);
        w.setData(&data.data, {QStringLiteral("TITULO")});
        w.show();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.view()->setFocus();
    }
    QWidget* viewport() { return w.view()->viewport(); }
    QPoint at(QPointF scenePos) { return w.view()->mapFromScene(scenePos); }
    // The view position of a point of band `band`, millimetres from its corner.
    QPoint inBand(int band, double x, double y) { return at(w.scene()->bandOrigin(band) + QPointF(x, y)); }
    const Report& model() { return w.document()->report(); }
    const ReportObject& obj(int band, int index) { return *model().bands[band].objects[index]; }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(k), mods);
    }
    void drop(const QMimeData* mime, QPoint pos)
    {
        // As a real drag does: the view is entered, then dropped on.
        QDragEnterEvent enter(pos, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &enter);
        QDropEvent ev(QPointF(pos), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &ev);
    }
    QTreeWidgetItem* treeEntry(const QString& group, const QString& entry)
    {
        for (QTreeWidgetItem* it : w.dataTree()->findItems(entry, Qt::MatchExactly | Qt::MatchRecursive))
            if (it->parent() && it->parent()->text(0) == group)
                return it;
        return nullptr;
    }

    QTemporaryDir tmp;
    LabelData data;
    DesignerWindow w;
};

TEST_F(Designer, FieldDroppedOnABandMovedByKeysUndoneSavedAndReloaded)
{
    const QString file = tmp.filePath(QStringLiteral("tmp.frf"));
    open(Report(), file);
    w.action(QStringLiteral("Datos maestros"))->trigger();
    ASSERT_EQ(model().bands.size(), 1u);
    EXPECT_EQ(model().bands[0].kind, BandKind::MasterData);
    EXPECT_EQ(model().bands[0].dataSet, QStringLiteral("frDBDataSet1"));
    // The band's height is dragged by its lower edge, on the 2 mm grid.
    const QRectF strip = w.scene()->bandRect(0);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at({strip.center().x(), strip.bottom()}));
    QTest::mouseMove(viewport(), at({strip.center().x(), strip.bottom() + 13.2}));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at({strip.center().x(), strip.bottom() + 13.2}));
    EXPECT_DOUBLE_EQ(model().bands[0].height, 20.0);

    // A field of the tree dropped 10.3 × 2.2 mm into the band: snapped to the grid.
    QTreeWidgetItem* nombre = treeEntry(QStringLiteral("frDBDataSet1"), QStringLiteral("NOMBRE"));
    ASSERT_TRUE(nombre);
    std::unique_ptr<QMimeData> mime(DesignerDataTree::dragData(nombre));
    drop(mime.get(), inBand(0, 10.3, 2.2));
    ASSERT_EQ(model().bands[0].objects.size(), 1u);
    const auto& text = static_cast<const TextObject&>(obj(0, 0));
    EXPECT_EQ(text.kind, ObjectKind::Text);
    EXPECT_EQ(text.text, QStringLiteral("[frDBDataSet1.\"NOMBRE\"]"));
    EXPECT_DOUBLE_EQ(text.x, 10.0);
    EXPECT_DOUBLE_EQ(text.y, 2.0);
    EXPECT_EQ(w.document()->selection().objects.size(), 1u);

    // Arrows move by a grid step, Ctrl by a tenth, Shift resizes.
    w.view()->setFocus();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ControlModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 14.0);
    EXPECT_NEAR(obj(0, 0).y, 2.1, 1e-9);
    EXPECT_DOUBLE_EQ(obj(0, 0).width, 42.0);

    // Repeated moves are one step; the resize is another.
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(obj(0, 0).width, 40.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 14.0);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 10.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).y, 2.0);
    key(Qt::Key_Y, Qt::ControlModifier);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 14.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).width, 42.0);

    // The mouse drags it 6 mm to the right, onto the grid.
    const QPointF centre = w.scene()->objectRect({0, 0}).center();
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at(centre));
    QTest::mouseMove(viewport(), at(centre + QPointF(3, 0)));
    QTest::mouseMove(viewport(), at(centre + QPointF(6, 0)));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(centre + QPointF(6, 0)));
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 20.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).y, 2.0);

    // Enter on a tree entry places it in the current band, clear of the first text.
    w.dataTree()->setFocus();
    w.dataTree()->setCurrentItem(treeEntry(QStringLiteral("QAdministrador"), QStringLiteral("EMPRESA")));
    key(Qt::Key_Return);
    ASSERT_EQ(model().bands[0].objects.size(), 2u);
    EXPECT_EQ(static_cast<const TextObject&>(obj(0, 1)).text, QStringLiteral("[QAdministrador.\"EMPRESA\"]"));
    EXPECT_FALSE(w.scene()->objectRect({0, 0}).intersects(w.scene()->objectRect({0, 1})));

    EXPECT_TRUE(w.document()->isModified());
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w.document()->isModified());
    const Report reloaded = loadReport(file);
    EXPECT_EQ(reportToXml(reloaded), reportToXml(model()));
    ASSERT_EQ(reloaded.bands.size(), 1u);
    EXPECT_DOUBLE_EQ(reloaded.bands[0].objects[0]->x, 20.0);
    EXPECT_DOUBLE_EQ(reloaded.bands[0].objects[0]->width, 42.0);
}

TEST_F(Designer, SelectionAlignedSizedCopiedPastedAndDeleted)
{
    Report r;
    Band& band = r.addBand(BandKind::MasterData, 30, QStringLiteral("Datos"));
    for (auto [x, y, w, h] : {std::tuple{10.0, 2.0, 30.0, 5.0}, std::tuple{50.0, 12.0, 20.0, 5.0}, std::tuple{90.0, 20.0, 25.0, 8.0}}) {
        auto& t = band.add<TextObject>();
        t.text = QStringLiteral("T");
        t.x = x;
        t.y = y;
        t.width = w;
        t.height = h;
    }
    open(std::move(r), tmp.filePath(QStringLiteral("a.frf")));
    EXPECT_FALSE(w.action(QStringLiteral("Alinear a la izquierda"))->isEnabled());
    // Click the second, Ctrl+click the third: the second is the reference.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(w.scene()->objectRect({0, 1}).center()));
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier, at(w.scene()->objectRect({0, 2}).center()));
    ASSERT_EQ(w.document()->selection().objects.size(), 2u);
    ASSERT_TRUE(w.action(QStringLiteral("Alinear a la izquierda"))->isEnabled());

    struct Case {
        const char* command;
        double x, y, width;
    };
    for (const Case& c : {Case{"Alinear a la izquierda", 50, 20, 25}, Case{"Alinear a la derecha", 45, 20, 25},
                          Case{"Alinear arriba", 45, 12, 25}, Case{"Alinear abajo", 45, 9, 25},
                          Case{"Mismo ancho", 45, 9, 20}}) {
        w.action(QString::fromUtf8(c.command))->trigger();
        EXPECT_DOUBLE_EQ(obj(0, 2).x, c.x) << c.command;
        EXPECT_DOUBLE_EQ(obj(0, 2).y, c.y) << c.command;
        EXPECT_DOUBLE_EQ(obj(0, 2).width, c.width) << c.command;
        EXPECT_DOUBLE_EQ(obj(0, 1).x, 50.0) << "the reference stays: " << c.command;
    }

    // A rubber band over empty space selects what it touches.
    const QPointF origin = w.scene()->bandOrigin(0);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at(origin + QPointF(1, 1)));
    QTest::mouseMove(viewport(), at(origin + QPointF(20, 6)));
    QTest::mouseMove(viewport(), at(origin + QPointF(44, 8)));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(origin + QPointF(44, 8)));
    ASSERT_EQ(w.document()->selection().objects.size(), 1u);
    EXPECT_EQ(w.document()->selection().objects.front(), (ObjRef{0, 0}));

    // Copy and paste over the original: the copy lands shifted and selected.
    key(Qt::Key_C, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(model().bands[0].objects.size(), 4u);
    EXPECT_DOUBLE_EQ(obj(0, 3).x, 12.0);
    EXPECT_DOUBLE_EQ(obj(0, 3).y, 4.0);
    EXPECT_EQ(w.document()->selection().objects.front(), (ObjRef{0, 3}));
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(model().bands[0].objects.size(), 3u);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(model().bands[0].objects.size(), 4u);

    // Del with only the band selected deletes the band; undo brings all back.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(w.scene()->captionRect(0).center()));
    EXPECT_TRUE(w.document()->selection().objects.empty());
    EXPECT_EQ(w.document()->selection().band, 0);
    key(Qt::Key_Delete);
    EXPECT_TRUE(model().bands.empty());
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(model().bands.size(), 1u);
    EXPECT_EQ(model().bands[0].objects.size(), 4u);
}

TEST_F(Designer, ObjectDraggedIntoAnotherBandAndResizedByItsHandle)
{
    Report r;
    r.addBand(BandKind::PageHeader, 15);
    Band& data = r.addBand(BandKind::MasterData, 10);
    auto& t = data.add<TextObject>();
    t.text = QStringLiteral("Mover");
    t.x = 4;
    t.y = 2;
    t.width = 30;
    t.height = 5;
    open(std::move(r), tmp.filePath(QStringLiteral("b.frf")));
    const QPointF from = w.scene()->objectRect({1, 0}).topLeft() + QPointF(1, 1);
    const QPointF to = w.scene()->bandOrigin(0) + QPointF(21.4, 7.4);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at(from));
    QTest::mouseMove(viewport(), at((from + to) / 2));
    QTest::mouseMove(viewport(), at(to));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(to));
    ASSERT_EQ(model().bands[0].objects.size(), 1u);
    EXPECT_TRUE(model().bands[1].objects.empty());
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 20.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).y, 6.0);
    EXPECT_EQ(w.document()->selection().objects.front(), (ObjRef{0, 0}));
    // The lower right handle resizes it, onto the grid.
    const QPointF corner = w.scene()->objectRect({0, 0}).bottomRight();
    QTest::mousePress(viewport(), Qt::LeftButton, {}, at(corner));
    QTest::mouseMove(viewport(), at(corner + QPointF(2, 1)));
    QTest::mouseMove(viewport(), at(corner + QPointF(5.2, 2.9)));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(corner + QPointF(5.2, 2.9)));
    EXPECT_DOUBLE_EQ(obj(0, 0).x, 20.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).width, 36.0);
    EXPECT_DOUBLE_EQ(obj(0, 0).height, 8.0);
    w.view()->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(obj(0, 0).width, 30.0);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(model().bands[1].objects.size(), 1u);
}

TEST_F(Designer, PropertyPanelEditsAreUndoable)
{
    Report r;
    Band& band = r.addBand(BandKind::MasterData, 10);
    auto& t = band.add<TextObject>();
    t.text = QStringLiteral("Antes");
    t.width = 30;
    t.height = 5;
    open(std::move(r), tmp.filePath(QStringLiteral("c.frf")));
    // Enter on a selected object opens its text.
    w.view()->setFocus();
    key(Qt::Key_Tab);
    EXPECT_EQ(w.document()->selection().objects.size(), 1u);
    key(Qt::Key_Return);
    auto* editor = qobject_cast<QPlainTextEdit*>(w.properties()->editorFor(QStringLiteral("Texto")));
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->hasFocus());
    QTest::keyClicks(editor, QStringLiteral("Despues [Page]"));
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(static_cast<const TextObject&>(obj(0, 0)).text, QStringLiteral("Despues [Page]"));
    // Page set-up with nothing selected.
    w.view()->setFocus();
    key(Qt::Key_Escape);
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(QPointF(2, 2)));
    auto* columns = qobject_cast<QSpinBox*>(w.properties()->editorFor(QStringLiteral("Columnas")));
    ASSERT_TRUE(columns);
    columns->setValue(3);
    EXPECT_EQ(model().page.columns, 3);
    w.view()->setFocus();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(model().page.columns, 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(static_cast<const TextObject&>(obj(0, 0)).text, QStringLiteral("Antes"));
}

TEST_F(Designer, EveryInsertCommandPlacesItsObjectInTheCurrentBand)
{
    open(Report(), QString());
    // Without a band there is nowhere to put an object.
    w.action(QStringLiteral("Texto"))->trigger();
    EXPECT_TRUE(model().bands.empty());
    w.action(QStringLiteral("Cabecera de página"))->trigger();
    w.action(QStringLiteral("Datos maestros"))->trigger();
    ASSERT_EQ(w.document()->selection().band, 1);
    auto* height = qobject_cast<QDoubleSpinBox*>(w.properties()->editorFor(QStringLiteral("Altura")));
    ASSERT_TRUE(height);
    height->setValue(80);
    EXPECT_DOUBLE_EQ(model().bands[1].height, 80.0);
    const std::pair<const char*, ObjectKind> commands[] = {
        {"Texto", ObjectKind::Text},       {"Línea", ObjectKind::Line},
        {"Rectángulo", ObjectKind::Rectangle}, {"Imagen", ObjectKind::Picture},
        {"Código de barras", ObjectKind::Barcode}, {"Gráfico", ObjectKind::Chart},
        {"Texto enriquecido", ObjectKind::RichText}, {"Total", ObjectKind::Aggregate},
    };
    for (const auto& [caption, kind] : commands) {
        w.action(QString::fromUtf8(caption))->trigger();
        const auto& sel = w.document()->selection().objects;
        ASSERT_EQ(sel.size(), 1u) << caption;
        EXPECT_EQ(sel.front().band, 1) << caption;
        const ReportObject& o = obj(sel.front().band, sel.front().index);
        EXPECT_EQ(o.kind, kind) << caption;
        const QRectF band = w.scene()->bandRect(1).adjusted(-1e-9, -1e-9, 1e-9, 1e-9);
        const QRectF box = w.scene()->objectRect(sel.front());
        EXPECT_TRUE(band.contains(box.topLeft()) && band.contains(box.bottomRight())) << caption;
    }
    EXPECT_TRUE(model().bands[0].objects.empty());
    ASSERT_EQ(model().bands[1].objects.size(), 8u);
    // Placed clear of one another.
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b)
            EXPECT_FALSE(w.scene()->objectRect({1, a}).adjusted(0, 0, 0, 0.01).intersects(w.scene()->objectRect({1, b}).adjusted(0, 0, 0, 0.01)))
                << a << " " << b;
    QApplication::processEvents();
    const QString shots = qEnvironmentVariable("QD_DESIGNER_SHOTS");
    if (!shots.isEmpty())
        w.grab().save(shots + QStringLiteral("/designer-objetos.png"));
}

// "Vista previa" runs the format on the caller's data; a name the data lacks is told.
TEST_F(Designer, PreviewUsesTheCallersData)
{
    Report r = loadReport(supplied(QStringLiteral("etiquetas-a4-3x8.frf")));
    open(r, QString());
    {
        qdtest::Modales m;
        m.Espera([](QWidget* preview) {
            EXPECT_EQ(preview->windowTitle(), QStringLiteral("Vista previa - Etiquetas A4 3 x 8 (70 x 37 mm)"));
            qobject_cast<QDialog*>(preview)->reject();
        });
        key(Qt::Key_P, Qt::ControlModifier);
    }
    r.bands[0].dataSet = QStringLiteral("frDBOtro");
    open(std::move(r), QString());
    {
        qdtest::Modales m;
        m.Espera([](QWidget* message) {
            EXPECT_TRUE(qdtest::Textos(message).contains(QStringLiteral("frDBOtro")));
            qobject_cast<QDialog*>(message)->reject();
        });
        key(Qt::Key_P, Qt::ControlModifier);
    }
}

// What the page shows of a text is its template as typed, drawn by the engine.
TEST(DesignerRender, TextShowsItsTemplate)
{
    for (const QString& tpl : {QStringLiteral("Hola"), QStringLiteral("[frDBDataSet1.\"NOMBRE\"]"),
                              QStringLiteral("It's [IIF(a.\"X\" = '1', 'sí', 'no')] [Page]"), QStringLiteral("a [ b"),
                              QStringLiteral("dos\nlíneas ] y ["), QStringLiteral("[x]]")}) {
        TextObject t;
        t.text = tpl;
        t.width = 50;
        t.height = 10;
        t.frame.setAll(true);
        const Document doc = designDocument(t);
        ASSERT_EQ(doc.pages.size(), 1u);
        QStringList texts;
        int lines = 0;
        for (const Primitive& p : doc.pages[0].items) {
            if (p.kind == PrimitiveKind::Text)
                texts << p.text;
            lines += p.kind == PrimitiveKind::Line;
        }
        EXPECT_EQ(texts, QStringList{tpl}) << tpl.toStdString();
        EXPECT_EQ(lines, 4);
    }
}

// Modal runs through the public class: closing without saving, saving on the
// question, "Cancelar", and the "new report" command turned off.
TEST(ReportDesigner, ClosingSavingAndTheNewReportCommand)
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("tmp.frf"));
    ASSERT_TRUE(QFile::copy(supplied(QStringLiteral("listado.frf")), file));
    const QByteArray before = fileBytes(file);
    auto designerOf = [](QWidget* dlg) { return qobject_cast<DesignerWindow*>(dlg); };

    {
        // A change, then closing and answering "No": the file is untouched.
        TReportDesigner d;
        d.CargarDeFichero(file);
        qdtest::Modales m;
        QPointer<DesignerWindow> designer;
        m.Espera([&](QWidget* dlg) {
            DesignerWindow* win = designerOf(dlg);
            ASSERT_TRUE(win);
            designer = win;
            EXPECT_EQ(win->windowTitle(), QStringLiteral("Diseñador de informes - Listado"));
            EXPECT_TRUE(win->action(QStringLiteral("Nuevo informe"))->isEnabled());
            win->document()->selectBand(0);
            win->action(QStringLiteral("Borrar"))->trigger();
            win->close();
        });
        m.Espera([&](QWidget* ask) {
            EXPECT_TRUE(qdtest::Textos(ask).contains(QStringLiteral("¿Desea guardar los cambios")));
            qdtest::Pulsa(ask, QStringLiteral("Cancelar"));
            // "Cancelar" keeps the designer open: close it again.
            QTimer::singleShot(0, [&] {
                ASSERT_TRUE(designer && designer->isVisible());
                designer->close();
            });
        });
        m.Espera([](QWidget* ask) { qdtest::Pulsa(ask, QStringLiteral("No")); });
        EXPECT_FALSE(d.Ejecutar(nullptr));
        EXPECT_EQ(fileBytes(file), before);
    }
    {
        // A blank report saved on the question goes to the file the caller named.
        TReportDesigner::SetNuevoInformeHabilitado(false);
        const QString named = tmp.filePath(QStringLiteral("nuevo.frf"));
        TReportDesigner d;
        d.NuevoInforme();
        d.SetFicheroGuardar(named);
        d.SetNombre(QStringLiteral("Nuevo"));
        qdtest::Modales m;
        m.Espera([&](QWidget* dlg) {
            DesignerWindow* win = designerOf(dlg);
            ASSERT_TRUE(win);
            QAction* newReport = win->action(QStringLiteral("Nuevo informe"));
            EXPECT_FALSE(newReport->isEnabled());
            win->action(QStringLiteral("Título del informe"))->trigger();
            // Its shortcut does nothing either.
            QTest::keyClick(win->view(), Qt::Key_N, Qt::ControlModifier);
            EXPECT_EQ(win->document()->report().bands.size(), 1u);
            win->close();
        });
        m.Espera([](QWidget* ask) { qdtest::Pulsa(ask, QStringLiteral("Sí")); });
        EXPECT_TRUE(d.Ejecutar(nullptr));
        const Report saved = loadReport(named);
        ASSERT_EQ(saved.bands.size(), 1u);
        EXPECT_EQ(saved.bands[0].kind, BandKind::ReportTitle);
        EXPECT_EQ(fileBytes(file), before);
        EXPECT_FALSE(TReportDesigner::NuevoInformeHabilitado());
        TReportDesigner::SetNuevoInformeHabilitado(true);
    }
}

// The supplied label sheet and listing open with their bands where they print;
// with QD_DESIGNER_SHOTS set, the window is saved there as pictures.
TEST_F(Designer, SuppliedFormatsOpen)
{
    open(loadReport(supplied(QStringLiteral("etiquetas-a4-3x8.frf"))), QString());
    w.resize(1280, 860);
    // The label band is one column wide; the text objects sit inside it.
    EXPECT_DOUBLE_EQ(w.scene()->bandRect(0).width(), 70.0);
    EXPECT_TRUE(w.scene()->bandRect(0).contains(w.scene()->objectRect({0, 3})));
    w.document()->selectObject({0, 0}, false);
    const QString shots = qEnvironmentVariable("QD_DESIGNER_SHOTS");
    QApplication::processEvents();
    if (!shots.isEmpty())
        w.grab().save(shots + QStringLiteral("/designer-etiquetas.png"));

    // The listing with the data a listing is designed with.
    MemoryDataSource campos({QStringLiteral("FINCA"), QStringLiteral("PROPIETARIO"), QStringLiteral("REPRESENTADO"),
                             QStringLiteral("COEFICIENTE"), QStringLiteral("COEFICIENTE_P"), QStringLiteral("CONVOCATORIA"),
                             QStringLiteral("DES"), QStringLiteral("FECHA")});
    MemoryDataSource comunidad({QStringLiteral("NOMBRE")});
    ReportData listing;
    listing.addDataSet(QStringLiteral("frDBCampos"), &campos);
    listing.addDataSet(QStringLiteral("QComunidad"), &comunidad);
    listing.addDataSet(QStringLiteral("QAdministrador"), &data.admin);
    open(loadReport(supplied(QStringLiteral("9000.frf"))), QString());
    w.setData(&listing, {});
    const Report& r = model();
    for (int b = 1; b < static_cast<int>(r.bands.size()); ++b)
        EXPECT_GE(w.scene()->bandRect(b).top(), w.scene()->bandRect(b - 1).bottom()) << "bands do not overlap";
    w.document()->selectObject({2, 1}, false);
    QApplication::processEvents();
    if (!shots.isEmpty())
        w.grab().save(shots + QStringLiteral("/designer-listado.png"));
}

} // namespace
