// The data grid: its model (checked by Qt's model tester) fetching rows only
// as the view needs them, the title-click sort cycle with its colour and
// images, check-box columns, the current row in both directions, and the
// switch to the record page.
#include "ControlesSchema.h"
#include "FIBTableDataSet.h"
#include "TestDatabase.h"
#include "UControlEdit.h"
#include "UHYDBGrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class GridTest : public ::testing::Test {
protected:
    GridTest() : c(FreshControlesDb())
    {
        for (TFIBTableSet* t : {&bancos, &lista, &tareas}) {
            t->SetDatabase(&c.db);
            t->SetTransaction(&c.tr);
            t->Opciones.Include(TOpcionesTableSet::OrdenarPorPk);
        }
        bancos.SetTableName("SYS_BANCOS");
        lista.SetTableName("LISTA");
        tareas.SetTableName("TAREAS");
    }

    // Shows the grid alone, 400 by 300, and lets it lay out and fetch.
    static void Muestra(THYTDBGrid& g)
    {
        g.resize(400, 300);
        g.show();
        QApplication::setActiveWindow(&g);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
        QApplication::processEvents();
    }

    static QStringList Columna(const THYTDBGrid& g, int col)
    {
        QStringList v;
        for (int r = 0; r < g.Modelo()->rowCount(); ++r)
            v << g.Modelo()->index(r, col).data().toString();
        return v;
    }

    static void PulsaTitulo(THYTDBGrid& g, int col)
    {
        QHeaderView* h = g.horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
    }

    // The colour of a cell's background, sampled near its right end.
    static QColor Fondo(THYTDBGrid& g, int row, int col)
    {
        const QImage img = g.viewport()->grab().toImage();
        const QRect r = g.visualRect(g.Modelo()->index(row, col));
        return img.pixelColor(r.right() - 3, r.center().y());
    }

    qdtest::Connection c;
    TFIBTableSet bancos, lista, tareas;
    TDataSource dsBancos{&bancos}, dsLista{&lista}, dsTareas{&tareas};
};

const QColor kInfoBk(0xFF, 0xFF, 0xE1);

} // namespace

TEST_F(GridTest, ModelPassesQtsTesterThroughFetchesEditsAndReopening)
{
    bancos.Open();
    TDataSetModel m;
    m.SetDataSource(&dsBancos);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    bancos.Last();
    bancos.Insert();
    bancos.FieldByName("ENTIDAD")->SetAsString("0128");
    bancos.Post();
    bancos.First();
    bancos.Delete();
    bancos.Close();
    bancos.Open();
    EXPECT_EQ(m.rowCount(), 5);
    m.SetColumnas({"NOMBRE"});
    EXPECT_EQ(m.columnCount(), 1);

    // A list longer than a chunk. The tester fetches whatever it can after
    // every change; it is attached after the opening because Qt 6.4's tester
    // fetches from inside its own reset check.
    lista.Open();
    TDataSetModel ml;
    ml.SetDataSource(&dsLista);
    QAbstractItemModelTester testerLista(&ml, QAbstractItemModelTester::FailureReportingMode::Fatal);
    lista.MoveBy(40);
    EXPECT_EQ(ml.rowCount(), 1000);
    EXPECT_EQ(ml.FilaActual(), 40);
}

TEST_F(GridTest, RowsAreFetchedOnlyAsTheViewNeedsThem)
{
    lista.Open();
    EXPECT_EQ(lista.RecordCount(), 32);
    THYTDBGrid g;
    g.SetDataSource(&dsLista);
    Muestra(g);
    const int alAbrir = lista.RecordCount();
    EXPECT_LT(alAbrir, 100);
    EXPECT_EQ(g.Modelo()->rowCount(), alAbrir);
    // Reading the last known row does not fetch; a row not fetched yet has no data.
    EXPECT_EQ(g.Modelo()->index(alAbrir - 1, 1).data().toString(), QStringLiteral("Fila %1").arg(alAbrir));
    EXPECT_EQ(lista.RecordCount(), alAbrir);
    EXPECT_TRUE(g.Modelo()->canFetchMore({}));

    // Paging down fetches a chunk at a time as the end of the known rows shows.
    g.setFocus();
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(&g, Qt::Key_PageDown);
    QApplication::processEvents();
    EXPECT_GT(lista.RecordCount(), alAbrir);
    EXPECT_LT(lista.RecordCount(), 300);
    EXPECT_EQ(g.Modelo()->rowCount(), lista.RecordCount());
    // The dataset follows the view's current row.
    EXPECT_EQ(lista.RecNo(), g.currentIndex().row() + 1);
    EXPECT_EQ(lista.FieldByName("CODIGO")->AsInteger(), g.currentIndex().row() + 1);

    // Dragging the scroll bar to the end keeps fetching until every row is there.
    for (int i = 0; i < 200 && !lista.AllFetched(); ++i) {
        g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum());
        QApplication::processEvents();
    }
    EXPECT_TRUE(lista.AllFetched());
    EXPECT_EQ(g.Modelo()->rowCount(), 1000);
    EXPECT_FALSE(g.Modelo()->canFetchMore({}));
}

TEST_F(GridTest, CurrentRowFollowsTheDataSetAndTheClickedRowMovesIt)
{
    bancos.Open();
    THYTDBGrid g;
    g.SetDataSource(&dsBancos);
    Muestra(g);
    const QAbstractItemModel* m = g.Modelo();
    EXPECT_EQ(g.currentIndex().row(), 0);
    EXPECT_EQ(m->headerData(0, Qt::Vertical).toString(), QStringLiteral("\u25B6"));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(m->index(3, 1)).center());
    EXPECT_EQ(bancos.FieldByName("ENTIDAD")->AsString(), "2100");
    bancos.Prior();
    EXPECT_EQ(g.currentIndex().row(), 2);
    EXPECT_EQ(m->headerData(2, Qt::Vertical).toString(), QStringLiteral("\u25B6"));
    EXPECT_EQ(m->headerData(3, Qt::Vertical).toString(), QString());
    // Editing shows in the row indicator and in the cells at once.
    bancos.Edit();
    EXPECT_EQ(m->headerData(2, Qt::Vertical).toString(), "I");
    bancos.FieldByName("NOMBRE")->SetAsString("Banco Bilbao");
    EXPECT_EQ(m->index(2, 1).data().toString(), "Banco Bilbao");
    bancos.Cancel();
    EXPECT_EQ(m->index(2, 1).data().toString(), "BBVA");
    // An insert adds a row where the record goes; a cancel takes it away.
    bancos.Insert();
    EXPECT_EQ(m->rowCount(), 6);
    EXPECT_EQ(m->headerData(2, Qt::Vertical).toString(), "*");
    bancos.Cancel();
    EXPECT_EQ(m->rowCount(), 5);
    // Closing empties the grid.
    bancos.Close();
    EXPECT_EQ(m->rowCount(), 0);
    EXPECT_EQ(m->columnCount(), 0);
}

TEST_F(GridTest, TitleClicksCycleAscendingDescendingAndNone)
{
    // The controls are suspended while the order changes: the grid must not
    // touch the fields of the closed dataset.
    bancos.Opciones.Include(TOpcionesTableSet::DesactivarControlesAlOrdenar);
    bancos.Open();
    THYTDBGrid g;
    g.SetDataSource(&dsBancos);
    g.SetCamposAOrdenar({"entidad", "Nombre"});
    g.SetCamposAOrdenarImgs(ImagenesOrdenGrid());
    Muestra(g);
    const QColor normal = Fondo(g, 1, 1);
    EXPECT_NE(normal, kInfoBk);
    EXPECT_EQ(g.ImagenTitulo("NOMBRE"), 0);

    PulsaTitulo(g, 1);
    EXPECT_EQ(Columna(g, 1), QStringList({"BBVA", "Caixa", "Cajamar", "Sabadell", "Santander"}));
    EXPECT_EQ(bancos.SelectSQL().last(), "ORDER BY NOMBRE");
    EXPECT_EQ(g.EstadoOrden(), 1);
    EXPECT_EQ(g.ImagenTitulo("NOMBRE"), 1);
    EXPECT_EQ(Fondo(g, 1, 1), kInfoBk);
    EXPECT_EQ(Fondo(g, 1, 0), normal);

    PulsaTitulo(g, 1);
    EXPECT_EQ(Columna(g, 1), QStringList({"Santander", "Sabadell", "Cajamar", "Caixa", "BBVA"}));
    EXPECT_EQ(bancos.SelectSQL().last(), "ORDER BY NOMBRE DESC");
    EXPECT_EQ(g.ImagenTitulo("NOMBRE"), 2);
    EXPECT_EQ(Fondo(g, 1, 1), kInfoBk);

    // The third click removes the clause: the server's order, normal colour.
    PulsaTitulo(g, 1);
    EXPECT_EQ(bancos.SelectSQL(), QStringList({"SELECT * FROM SYS_BANCOS"}));
    EXPECT_EQ(g.EstadoOrden(), 0);
    EXPECT_EQ(g.ImagenTitulo("NOMBRE"), 0);
    EXPECT_EQ(Fondo(g, 1, 1), normal);

    // Another title: the previous column gives up its colour.
    PulsaTitulo(g, 1);
    PulsaTitulo(g, 0);
    EXPECT_EQ(g.ColumnaOrdenada(), "ENTIDAD");
    EXPECT_EQ(g.EstadoOrden(), 1);
    EXPECT_EQ(bancos.SelectSQL().last(), "ORDER BY ENTIDAD");
    EXPECT_EQ(Fondo(g, 1, 1), normal);
    EXPECT_EQ(Fondo(g, 1, 0), kInfoBk);
    EXPECT_EQ(g.ImagenTitulo("NOMBRE"), 0);

    // The title images are drawn at the right end of the sortable titles.
    const QImage titulos = g.horizontalHeader()->grab().toImage();
    const QImage flecha = ImagenesOrdenGrid()[1].toImage();
    const int x = g.horizontalHeader()->sectionViewportPosition(0) + g.columnWidth(0) + 2 - 16;
    int iguales = 0;
    for (int dy = 0; dy < 16; ++dy)
        for (int dx = 0; dx < 14; ++dx)
            if (flecha.pixelColor(dx, dy).alpha() == 255 && titulos.pixelColor(x + dx, dy) == flecha.pixelColor(dx, dy))
                ++iguales;
    EXPECT_GT(iguales, 10);
}

TEST_F(GridTest, TitleNotListedLeavesTheOrderAndAPlainDataSetKeepsItsParameters)
{
    bancos.Open();
    THYTDBGrid g;
    g.SetDataSource(&dsBancos);
    g.SetCamposAOrdenar({"NOMBRE"});
    Muestra(g);
    const QStringList sql = bancos.SelectSQL();
    PulsaTitulo(g, 0);
    EXPECT_EQ(bancos.SelectSQL(), sql);
    EXPECT_EQ(g.EstadoOrden(), 0);
    EXPECT_EQ(g.ImagenTitulo("ENTIDAD"), -1);

    TFIBDataSet plano;
    plano.SetDatabase(&c.db);
    plano.SetTransaction(&c.tr);
    plano.SetSelectSQL({"SELECT CODIGO, NOMBRE FROM LISTA", "WHERE CODIGO <= ?HASTA", "ORDER BY CODIGO"});
    plano.ParamByName("HASTA")->SetAsInteger(12);
    plano.Open();
    TDataSource dsPlano(&plano);
    THYTDBGrid g2;
    g2.SetDataSource(&dsPlano);
    g2.SetCamposAOrdenar({"NOMBRE"});
    Muestra(g2);
    PulsaTitulo(g2, 1);
    EXPECT_EQ(plano.SelectSQL(), QStringList({"SELECT CODIGO, NOMBRE FROM LISTA", "WHERE CODIGO <= ?HASTA", "ORDER BY NOMBRE"}));
    EXPECT_EQ(Columna(g2, 1).mid(0, 4), QStringList({"Fila 1", "Fila 10", "Fila 11", "Fila 12"}));
    EXPECT_EQ(g2.Modelo()->rowCount(), 12);
}

TEST_F(GridTest, FlagColumnsShowATickedBoxOnlyForTheTickedText)
{
    tareas.Open();
    THYTDBGrid g;
    g.SetDataSource(&dsTareas);
    g.SetCamposAMarcar({"terminado"});
    g.SetCamposChecked({"1"});
    g.CamposNoChecked = QStringList{"0"};
    Muestra(g);
    const int col = 2;
    ASSERT_EQ(g.Modelo()->Campo(col)->FieldName(), "TERMINADO");
    // Without images a ticked box is filled silver; "0", null and "S" are empty.
    auto interior = [&](int row) {
        const QImage img = g.viewport()->grab().toImage();
        return img.pixelColor(g.visualRect(g.Modelo()->index(row, col)).topLeft() + QPoint(7, 7));
    };
    g.selectionModel()->clearSelection();
    g.setCurrentIndex(QModelIndex());
    const QColor plata(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(interior(0), plata);
    for (int row : {1, 2, 3})
        EXPECT_NE(interior(row), plata) << row;
    // No text in the cell: right of the box the cell is plain background.
    {
        const QImage img = g.viewport()->grab().toImage();
        const QRect r = g.visualRect(g.Modelo()->index(1, col));
        const QColor fondo = img.pixelColor(r.right() - 2, r.center().y());
        int distintos = 0;
        for (int x = r.left() + 16; x < r.right() - 1; ++x)
            for (int y = r.top() + 1; y < r.bottom(); ++y)
                distintos += img.pixelColor(x, y) != fondo;
        EXPECT_EQ(distintos, 0);
    }
    // With images the check image is drawn centred 8 pixels in, inside the box.
    g.SetCamposAOrdenarImgs(ImagenesOrdenGrid());
    QApplication::processEvents();
    EXPECT_NE(interior(0), plata);
    const QImage img = g.viewport()->grab().toImage();
    const QPoint esquina = g.visualRect(g.Modelo()->index(0, col)).topLeft();
    const QImage marca = ImagenesOrdenGrid()[3].toImage();
    int iguales = 0;
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            if (marca.pixelColor(x, y).alpha() == 255 && img.pixelColor(esquina + QPoint(x, y)) == marca.pixelColor(x, y))
                ++iguales;
    EXPECT_GT(iguales, 3);
    // A negative index falls back to the silver box.
    g.IndiceColMarcada = -1;
    g.viewport()->update();
    EXPECT_EQ(interior(0), plata);
}

TEST_F(GridTest, DoubleClickAndEnterShowTheRecordPageOnlyWhenAsked)
{
    bancos.Open();
    QTabWidget paginas;
    auto* ficha = new QWidget;
    auto* g = new THYTDBGrid;
    paginas.addTab(ficha, "&Ficha");
    paginas.addTab(g, "&Tabla");
    TControlEdit ce(&paginas);
    ce.SetDataSource(&dsBancos);
    g->SetControlEdit(&ce);
    EXPECT_EQ(g->DataSource(), &dsBancos);
    g->SetTabFicha(ficha);
    paginas.resize(400, 300);
    paginas.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&paginas));
    QSignalSpy mostrada(g, &THYTDBGrid::FichaMostrada);

    paginas.setCurrentWidget(g);
    const QPoint fila = g->visualRect(g->Modelo()->index(1, 0)).center();
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, fila);
    EXPECT_EQ(paginas.currentWidget(), g); // PermutaPaneles is off
    g->PermutaPaneles = true;
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, fila);
    EXPECT_EQ(paginas.currentWidget(), ficha);
    EXPECT_EQ(mostrada.count(), 1);

    paginas.setCurrentWidget(g);
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(paginas.currentWidget(), ficha);
    EXPECT_EQ(mostrada.count(), 2);
}

TEST_F(GridTest, CellsOfTheEditableColumnsAreTypedIntoAndTheRowIsSavedOnLeavingIt)
{
    THYTDBGrid g;
    g.SetDataSource(&dsBancos);
    g.SetColumnas({"ENTIDAD", "NOMBRE"});
    g.SetEditables({"NOMBRE"});
    bancos.Open();
    Muestra(g);
    EXPECT_FALSE(g.Modelo()->flags(g.Modelo()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(g.Modelo()->flags(g.Modelo()->index(0, 1)) & Qt::ItemIsEditable);
    // Typing on the name's cell of the second row edits it in place.
    g.setCurrentIndex(g.Modelo()->index(1, 1));
    QTest::keyClick(g.viewport(), Qt::Key_B, Qt::NoModifier); // opens the cell's editor with the key
    QTest::keyClicks(QApplication::focusWidget(), "anco Sabadell");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents(); // the editor hands its text over after the key
    EXPECT_EQ(bancos.RecNo(), 2);
    EXPECT_EQ(bancos.State(), TDataSetState::dsEdit);
    EXPECT_EQ(bancos.FieldByName("NOMBRE")->AsString(), "banco Sabadell");
    // Moving to another row saves it; the code column cannot be typed into.
    g.setCurrentIndex(g.Modelo()->index(2, 0));
    EXPECT_EQ(bancos.RecNo(), 3);
    EXPECT_EQ(bancos.State(), TDataSetState::dsBrowse);
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL("SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD = '0081'");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsString(), "banco Sabadell");
    q.Close();
    // A grid without editable columns edits nothing.
    THYTDBGrid soloVer;
    soloVer.SetDataSource(&dsBancos);
    EXPECT_EQ(soloVer.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(soloVer.Modelo()->setData(soloVer.Modelo()->index(0, 1), "x"));
}
