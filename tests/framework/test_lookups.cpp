// The lookup fields and the search dialog, driven with real keys: the code
// check, the code and name searches of the dialog's list, the one-second
// search timer, Down arrow, the default button, the typing rules of the bound
// and unbound fields (Enter, letters, leaving the field), the fallback after a
// statement the server rejects, and typed quotation marks kept as data.
#include "FIBTableDataSet.h"
#include "Teclado.h"
#include "TestDatabase.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UHYDBGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <deque>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Banks with a reserved "0000" row, a code holding a double quote and a name
// holding an apostrophe; languages with integer codes, names out of code
// order and one beginning with an accented letter; owners referring to both.
QString Esquema()
{
    return QStringLiteral(R"SQL(
CREATE TABLE SYS_BANCOS (ENTIDAD CHAR(4) NOT NULL PRIMARY KEY, NOMBRE VARCHAR(40));
INSERT INTO SYS_BANCOS VALUES ('0000', 'Sin banco');
INSERT INTO SYS_BANCOS VALUES ('0049', 'Santander');
INSERT INTO SYS_BANCOS VALUES ('0081', 'Sabadell');
INSERT INTO SYS_BANCOS VALUES ('0182', 'BBVA');
INSERT INTO SYS_BANCOS VALUES ('3058', 'Cajamar');
INSERT INTO SYS_BANCOS VALUES ('3035', 'Laboral');
INSERT INTO SYS_BANCOS VALUES ('1"23', 'Comillas');
INSERT INTO SYS_BANCOS VALUES ('7777', 'O''Brien');
CREATE TABLE SYS_IDIOMAS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(30));
INSERT INTO SYS_IDIOMAS VALUES (1, 'Castellano');
INSERT INTO SYS_IDIOMAS VALUES (2, 'Català');
INSERT INTO SYS_IDIOMAS VALUES (3, 'Sueco');
INSERT INTO SYS_IDIOMAS VALUES (4, 'Euskera');
INSERT INTO SYS_IDIOMAS VALUES (12, 'Serbio');
INSERT INTO SYS_IDIOMAS VALUES (13, 'Árabe');
CREATE TABLE PROPIETARIOS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(40), IDIOMA INTEGER, BANCO CHAR(4));
INSERT INTO PROPIETARIOS VALUES (1, 'Ana', 1, '0049');
)SQL");
}

// Answers the search dialogs a piece of code opens, in order, each once it is
// the top modal window; message boxes over them are read and closed. A dialog
// nobody expected fails the test and is cancelled, so nothing hangs.
class Ventanas {
public:
    using Respuesta = std::function<void(TFIBDBEDITDLG&)>;
    Ventanas()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Mira(); });
        timer_.start();
    }
    ~Ventanas()
    {
        EXPECT_TRUE(respuestas_.empty()) << respuestas_.size() << " expected dialog(s) never opened";
        EXPECT_TRUE(mensajes_.isEmpty()) << mensajes_.join(" | ").toStdString();
    }
    void Espera(Respuesta r) { respuestas_.push_back(std::move(r)); }
    // The texts of the message boxes shown so far; forgets them.
    QStringList Mensajes() { return std::exchange(mensajes_, {}); }
    int Abiertos() const { return abiertos_; }

private:
    void Mira()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || vistas_.contains(w))
            return;
        vistas_.removeAll(nullptr);
        vistas_ << w;
        if (auto* m = qobject_cast<QMessageBox*>(w)) {
            mensajes_ << m->text();
            QTimer::singleShot(0, m, [m] { m->accept(); });
            return;
        }
        auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
        if (!d)
            return;
        ++abiertos_;
        if (respuestas_.empty()) {
            ADD_FAILURE() << "unexpected search dialog";
            d->reject();
            return;
        }
        auto r = std::make_shared<Respuesta>(std::move(respuestas_.front()));
        respuestas_.pop_front();
        Responde(d, r);
    }
    // After the timer event returns, and only while the dialog is on top.
    static void Responde(QPointer<TFIBDBEDITDLG> d, std::shared_ptr<Respuesta> r)
    {
        QTimer::singleShot(10, [d, r] {
            if (!d)
                return;
            if (QApplication::activeModalWidget() != d) {
                Responde(d, r);
                return;
            }
            (*r)(*d);
            // An answer that left the dialog open fails instead of hanging.
            QTimer::singleShot(8000, [d] {
                if (d && d->isVisible()) {
                    ADD_FAILURE() << "the search dialog stayed open";
                    d->reject();
                }
            });
        });
    }
    QTimer timer_;
    std::deque<Respuesta> respuestas_;
    QList<QPointer<QWidget>> vistas_;
    QStringList mensajes_;
    int abiertos_ = 0;
};

// The first column of the list, row by row.
QStringList Lista(const TFIBDBEDITDLG& d)
{
    QStringList v;
    const TDataSetModel* m = d.DBGFind->Modelo();
    for (int r = 0; r < m->rowCount(); ++r)
        v << m->index(r, 0).data().toString().trimmed();
    return v;
}

QStringList Nombres(const TFIBDBEDITDLG& d)
{
    QStringList v;
    const TDataSetModel* m = d.DBGFind->Modelo();
    for (int r = 0; r < m->rowCount(); ++r)
        v << m->index(r, 1).data().toString();
    return v;
}

bool Espera(const std::function<bool()>& condicion, int ms = 5000)
{
    QElapsedTimer reloj;
    reloj.start();
    while (!condicion() && reloj.elapsed() < ms)
        QTest::qWait(20);
    return condicion();
}

class LookupTest : public ::testing::Test {
protected:
    LookupTest() : c(qdtest::FreshDatabase(QStringLiteral("lookups"), Esquema()))
    {
        c.db.SetDefaultTransaction(&c.tr);
        propietarios.Name = "QTabla";
        propietarios.SetDatabase(&c.db);
        propietarios.SetTransaction(&c.tr);
        propietarios.Opciones.Include(TOpcionesTableSet::NoControlarConcurrencia);
        propietarios.SetTableName("PROPIETARIOS");
        propietarios.Open();

        auto* filas = new QVBoxLayout(&form);
        for (QWidget* w : std::initializer_list<QWidget*>{eBanco, eIdioma, eLibre, otro})
            filas->addWidget(w);
        eBanco->SetDataSource(&ds);
        eBanco->SetDataField("BANCO");
        eBanco->Tabla_a_buscar = "SYS_BANCOS";
        eBanco->CampoNum = "ENTIDAD";
        eBanco->CampoStr = "NOMBRE";
        eBanco->CondicionBusqueda = "entidad <> \"0000\"";
        eIdioma->SetDataSource(&ds);
        eIdioma->SetDataField("IDIOMA");
        eIdioma->Tabla_a_buscar = "SYS_IDIOMAS";
        eIdioma->CampoNum = "CODIGO";
        eIdioma->CampoStr = "NOMBRE";
        eLibre->Base_de_datos = &c.db;
        eLibre->Tabla_a_buscar = "SYS_IDIOMAS";
        eLibre->CampoNum = "CODIGO";
        eLibre->CampoStr = "NOMBRE";
        form.resize(300, 200);
        form.show();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    // A dialog set up as a lookup sets it up, with its first search run.
    std::unique_ptr<TFIBDBEDITDLG> Dialogo(const QString& tabla, const QString& num, const QString& str,
                                           const QString& condicion, const QString& texto)
    {
        auto d = std::make_unique<TFIBDBEDITDLG>();
        d->Condicion = condicion;
        d->SetBase_de_datos(&c.db);
        d->CampoNum = num;
        d->CampoStr = str;
        d->SetTabla_a_buscar(tabla);
        d->FIBEdit->setText(texto);
        return d;
    }

    // The screen active again after a dialog, so that focus moves as for a user.
    void Activa()
    {
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    QString Guardado(const QString& columna)
    {
        TFIBQuery q;
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
        q.SetSQL("SELECT " + columna + " FROM PROPIETARIOS WHERE CODIGO = 1");
        q.ExecQuery();
        return q.Fields(0)->AsString().trimmed();
    }

    qdtest::Connection c;
    TFIBTableSet propietarios;
    TDataSource ds{&propietarios};
    QWidget form;
    TDBEditFind2000* eBanco = new TDBEditFind2000;
    TDBEditFind2000* eIdioma = new TDBEditFind2000;
    TEditFind2000* eLibre = new TEditFind2000;
    QLineEdit* otro = new QLineEdit;
};

} // namespace

// --- the code check ------------------------------------------------------------------------

TEST_F(LookupTest, ExisteValorFindsExactCodesUnderTheConditionAndKeepsQuotesAsData)
{
    // The bound field holds at most the column's four characters: longer
    // texts go through an unbound one.
    TFIBHYGEditFind banco;
    banco.Base_de_datos = &c.db;
    banco.Tabla_a_buscar = "SYS_BANCOS";
    banco.CampoNum = "ENTIDAD";
    banco.CondicionBusqueda = eBanco->CondicionBusqueda;
    struct Caso {
        TEditFindComun* campo;
        QLineEdit* editor;
        const char* texto;
        bool existe;
    };
    const Caso casos[] = {
        {eBanco, eBanco, "0049", true},
        {eBanco, eBanco, "0000", false}, // excluded by the condition
        {eBanco, eBanco, "3", false},    // a code is matched whole
        {eBanco, eBanco, "", false},
        {eBanco, eBanco, "1\"23", true}, // the quotation mark is part of the code
        {&banco, &banco, "0049\" OR \"1\"=\"1", false},
        {&banco, &banco, "x'; DELETE FROM SYS_BANCOS; --", false},
        {&banco, &banco, "0000", false},
        {eLibre, eLibre, "12", true},
        {eLibre, eLibre, "5", false},
        {eLibre, eLibre, "abc", false}, // no number at all: no code, no error
        {eLibre, eLibre, "99999999999999999999", false}, // too long for the column: no code either
        {eLibre, eLibre, "1\" OR \"1\"=\"1", false},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.texto);
        k.editor->setText(QString::fromUtf8(k.texto));
        bool existe = !k.existe;
        EXPECT_NO_THROW(existe = k.campo->ExisteValor());
        EXPECT_EQ(existe, k.existe);
    }
    // A NUL character pasted after a code is no part of it and cuts nothing.
    eLibre->setText(QStringLiteral("12") + QChar(u'\0'));
    EXPECT_TRUE(eLibre->ExisteValor());
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    q.SetSQL("SELECT COUNT(*) FROM SYS_BANCOS");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 8);
}

TEST(LookupFilters, FlaggedTermsInTheSetsOrderThenTheCondition)
{
    TEntornoFind2000 e;
    e.Empresa = 3;
    e.Ejercicio = 2024;
    e.Serie = "A\"B";
    e.Pais = "ES";
    using O = TROpcionBusqueda;
    EXPECT_EQ(CondicionFiltros({}, e, "codigo <> 0"), "codigo <> 0");
    EXPECT_EQ(CondicionFiltros({O::obPais, O::obEmpresa, O::obSerie}, e, "codigo <> 0"),
              "EMPRESA=3 AND SERIE=\"A\"\"B\" AND PAIS=\"ES\" AND codigo <> 0");
    EXPECT_EQ(CondicionFiltros({O::obEjercicio}, e, ""), "EJERCICIO=2024");
}

// --- the dialog's searches -------------------------------------------------------------------

TEST_F(LookupTest, SearchListsCodesOrElseNamesThatBeginWithTheText)
{
    struct Caso {
        const char* tabla;
        const char* num;
        const char* condicion;
        const char* texto;
        QStringList codigos;
        int sentencias; // statements opened: the code search, then the name search
    };
    const Caso casos[] = {
        {"SYS_BANCOS", "ENTIDAD", "entidad <> \"0000\"", "3", {"3035", "3058"}, 1},
        {"SYS_BANCOS", "ENTIDAD", "entidad <> \"0000\"", "0", {"0049", "0081", "0182"}, 1},
        {"SYS_BANCOS", "ENTIDAD", "", "0", {"0000", "0049", "0081", "0182"}, 1},
        {"SYS_BANCOS", "ENTIDAD", "", "sa", {"0081", "0049"}, 2}, // Sabadell, Santander
        {"SYS_BANCOS", "ENTIDAD", "", "1\"", {"1\"23"}, 1},
        {"SYS_BANCOS", "ENTIDAD", "", "o'b", {"7777"}, 2},
        {"SYS_BANCOS", "ENTIDAD", "", "x' OR ''='", {}, 2},
        {"SYS_IDIOMAS", "CODIGO", "", "1", {"1", "12", "13"}, 1},
        {"SYS_IDIOMAS", "CODIGO", "", "S", {"12", "3"}, 2},  // Serbio, Sueco
        {"SYS_IDIOMAS", "CODIGO", "", "á", {"13"}, 1},       // no code search at all
        {"SYS_IDIOMAS", "CODIGO", "codigo <> 1", "", {"2", "3", "4", "12", "13"}, 1},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.texto);
        auto d = Dialogo(k.tabla, k.num, "NOMBRE", k.condicion, QString::fromUtf8(k.texto));
        int sentencias = 0;
        d->FIBFind.BeforeOpen = [&](TFIBDataSet&) { ++sentencias; };
        EXPECT_NO_THROW(d->FIBEdit->EjecutarBusqueda());
        EXPECT_EQ(Lista(*d), k.codigos);
        EXPECT_EQ(sentencias, k.sentencias);
        // Aceptar is usable, and the default, only with rows.
        EXPECT_EQ(d->BAceptar->isEnabled(), !k.codigos.isEmpty());
        EXPECT_EQ(d->BAceptar->isDefault(), !k.codigos.isEmpty());
        EXPECT_EQ(d->BCancelar->isDefault(), k.codigos.isEmpty());
    }
}

TEST_F(LookupTest, SearchFieldRefusesToSearchWithoutDatasetOrColumns)
{
    TFIBEditFind campo;
    campo.Tabla = "SYS_BANCOS";
    campo.CampoNum = "ENTIDAD";
    campo.CampoStr = "NOMBRE";
    try {
        campo.EjecutarBusqueda();
        ADD_FAILURE() << "searched without dataset";
    } catch (const ETablaError& e) {
        EXPECT_EQ(e.Message(), "No tiene ningún valor el Dataset");
    }
    auto d = Dialogo("SYS_BANCOS", "ENTIDAD", "", "", "0");
    try {
        d->FIBEdit->EjecutarBusqueda();
        ADD_FAILURE() << "searched without name column";
    } catch (const ENombreTablaError& e) {
        EXPECT_EQ(e.Message(), "No tiene asignado algún valor para la búsqueda");
    }
}

TEST_F(LookupTest, RejectedSearchFallsBackToTheFirstStatementWithItsCondition)
{
    auto d = Dialogo("SYS_BANCOS", "ENTIDAD", "NO_EXISTE", "entidad <> \"0000\"", "3");
    EXPECT_EQ(d->FIBFind.SelectSQL(), QStringList({"SELECT * FROM SYS_BANCOS", "WHERE entidad <> \"0000\""}));
    try {
        d->FIBEdit->EjecutarBusqueda();
        ADD_FAILURE() << "the server accepted a missing column";
    } catch (const ENombreTablaError& e) {
        EXPECT_EQ(e.Message(), "Ha ocurrido un error en la consulta");
    }
    EXPECT_EQ(Lista(*d), QStringList({"0049", "0081", "0182", "3058", "3035", "1\"23", "7777"}));
    EXPECT_FALSE(d->FIBFind.ControlsDisabled());

    // Through a lookup, the message shows over the open dialog and its list.
    eBanco->CampoStr = "NO_EXISTE";
    Ventanas v;
    QStringList lista;
    v.Espera([&](TFIBDBEDITDLG& dlg) {
        lista = Lista(dlg);
        dlg.reject();
    });
    eBanco->setFocus();
    QTest::keyClick(eBanco, 'x');
    EXPECT_EQ(v.Mensajes(), QStringList{"Ha ocurrido un error en la consulta"});
    EXPECT_EQ(lista.size(), 7);
}

// --- the dialog ------------------------------------------------------------------------------

TEST_F(LookupTest, DialogIsABorderlessTopWindowSizedToItsColumns)
{
    auto d = Dialogo("SYS_BANCOS", "ENTIDAD", "NOMBRE", "", "0");
    d->FIBEdit->EjecutarBusqueda();
    EXPECT_EQ(d->windowTitle(), "Seleccionar el valor");
    EXPECT_TRUE(d->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(d->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(d->SbNuevo->toolTip(), "Añadir");
    EXPECT_EQ(d->SbSaldos->toolTip(), "Consulta saldos F3");
    EXPECT_EQ(d->SbExtracto->toolTip(), "Consulta extracto F5");
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    for (QToolButton* b : {d->SbNuevo, d->SbSaldos, d->SbExtracto})
        EXPECT_FALSE(b->isVisible());
    EXPECT_FALSE(d->DBGFind->horizontalHeader()->isVisible());
    EXPECT_EQ(d->DBGFind->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(d->DBGFind->selectionBehavior(), QAbstractItemView::SelectRows);

    const int lista = d->DBGFind->width();
    EXPECT_EQ(lista, std::max(190, 20 + d->DBGFind->columnWidth(0) + d->DBGFind->columnWidth(1)));
    EXPECT_EQ(d->width(), lista + 13);
    EXPECT_EQ(d->FIBEdit->width(), lista);
    // Centred on the screen.
    const QRect pantalla = d->screen()->availableGeometry();
    EXPECT_LE((d->frameGeometry().center() - pantalla.center()).manhattanLength(), 2);

    // Given widths, one per column, replace the 10 pixels added to each.
    auto e = Dialogo("SYS_BANCOS", "ENTIDAD", "NOMBRE", "", "0");
    e->FIBEdit->EjecutarBusqueda();
    e->Campos_Desplegar_Anchos = {30, 0};
    e->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(e.get()));
    EXPECT_EQ(e->DBGFind->columnWidth(0) - d->DBGFind->columnWidth(0), 20);
    EXPECT_EQ(e->DBGFind->columnWidth(1) - d->DBGFind->columnWidth(1), -10);
}

TEST_F(LookupTest, ALongListShowsItsTwelfthRowWhole)
{
    // More rows than the list shows: the vertical scroll bar takes its width
    // from the columns, never a horizontal bar from the last row.
    TFIBQuery q;
    q.SetDatabase(&c.db);
    q.SetTransaction(&c.tr);
    for (int i = 100; i < 130; ++i) {
        q.SetSQL(QStringLiteral("INSERT INTO SYS_IDIOMAS VALUES (%1, 'Idioma largo número %1')").arg(i));
        q.ExecQuery();
    }
    auto d = Dialogo("SYS_IDIOMAS", "CODIGO", "NOMBRE", "", "1");
    d->FIBEdit->EjecutarBusqueda();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    ASSERT_GT(d->FIBFind.RecordCount(), 12);
    EXPECT_TRUE(d->DBGFind->verticalScrollBar()->isVisible());
    EXPECT_FALSE(d->DBGFind->horizontalScrollBar()->isVisible());
    EXPECT_GE(d->DBGFind->viewport()->height(), 12 * d->DBGFind->verticalHeader()->defaultSectionSize());
}

TEST_F(LookupTest, DialogPlacedAutomaticallyEndsAtTheScreensEdge)
{
    const QRect pantalla = QApplication::primaryScreen()->availableGeometry();
    for (TTipoPosicion p : {TTipoPosicion::tpAuto, TTipoPosicion::tpSuave}) {
        auto d = Dialogo("SYS_IDIOMAS", "CODIGO", "NOMBRE", "", "");
        d->Posicion = p;
        d->move(pantalla.right() - 40, pantalla.bottom() - 30);
        d->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
        EXPECT_TRUE(Espera([&] { return pantalla.contains(d->frameGeometry()); }));
        EXPECT_EQ(d->frameGeometry().right(), pantalla.right());
        EXPECT_EQ(d->frameGeometry().bottom(), pantalla.bottom());
    }
    // A place that fits stays.
    auto d = Dialogo("SYS_IDIOMAS", "CODIGO", "NOMBRE", "", "");
    d->Posicion = TTipoPosicion::tpAuto;
    d->move(pantalla.left() + 10, pantalla.top() + 20);
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    EXPECT_EQ(d->pos(), pantalla.topLeft() + QPoint(10, 20));

    // Dragging the background moves it.
    const QPoint antes = d->pos();
    auto raton = [&](QEvent::Type tipo, QPoint local, Qt::MouseButtons botones) {
        QMouseEvent ev(tipo, local, d->Panel->mapToGlobal(local), Qt::LeftButton, botones, Qt::NoModifier);
        QApplication::sendEvent(d->Panel, &ev);
    };
    raton(QEvent::MouseButtonPress, {3, 3}, Qt::LeftButton);
    raton(QEvent::MouseMove, {33, 23}, Qt::LeftButton);
    raton(QEvent::MouseButtonRelease, {33, 23}, Qt::NoButton);
    EXPECT_EQ(d->pos(), antes + QPoint(30, 20));
}

TEST_F(LookupTest, TypingSearchesOneSecondAfterTheLastKeyAndDownMovesIntoTheList)
{
    Ventanas v;
    v.Espera([&](TFIBDBEDITDLG& d) {
        // The search field has the focus, the caret after the letter.
        EXPECT_TRUE(d.FIBEdit->hasFocus());
        EXPECT_EQ(d.FIBEdit->text(), "S");
        EXPECT_EQ(d.FIBEdit->cursorPosition(), 1);
        EXPECT_EQ(Nombres(d), QStringList({"Serbio", "Sueco"}));

        QTest::keyClick(d.FIBEdit, 'u');
        EXPECT_EQ(d.FIBEdit->Temporizador().interval(), 1000);
        EXPECT_TRUE(d.FIBEdit->Temporizador().isActive());
        EXPECT_EQ(Nombres(d), QStringList({"Serbio", "Sueco"})); // not yet
        EXPECT_TRUE(Espera([&] { return Nombres(d) == QStringList{"Sueco"}; }));
        EXPECT_FALSE(d.FIBEdit->Temporizador().isActive());

        // Down searches at once, then moves into the list and one row down.
        QTest::keyClick(d.FIBEdit, Qt::Key_Backspace);
        QTest::keyClick(d.FIBEdit, Qt::Key_Backspace);
        QTest::keyClick(d.FIBEdit, 'c');
        EXPECT_TRUE(d.FIBEdit->Temporizador().isActive());
        QTest::keyClick(d.FIBEdit, Qt::Key_Down);
        EXPECT_FALSE(d.FIBEdit->Temporizador().isActive());
        EXPECT_EQ(Nombres(d), QStringList({"Castellano", "Català"}));
        EXPECT_TRUE(d.DBGFind->hasFocus());
        EXPECT_EQ(d.FIBFind.RecNo(), 2);
        EXPECT_EQ(d.DBGFind->currentIndex().row(), 1);
        // Enter reaches the default button: the row is chosen.
        QTest::keyClick(d.DBGFind, Qt::Key_Return);
    });
    eLibre->setFocus();
    QTest::keyClick(eLibre, 's');
    EXPECT_EQ(v.Abiertos(), 1);
    EXPECT_EQ(eLibre->text(), "2");
}

// --- typing in the lookup fields --------------------------------------------------------------

TEST_F(LookupTest, EnterWithAMissingBankCodeOpensTheDialogOnThatDigit)
{
    propietarios.Edit();
    int existe = 0;
    eBanco->OnExiste = [&] { ++existe; };
    eBanco->AutoCambiarFoco = true;
    Ventanas v;
    v.Espera([&](TFIBDBEDITDLG& d) {
        EXPECT_EQ(d.FIBEdit->text(), "3");
        EXPECT_EQ(Lista(d), QStringList({"3035", "3058"}));
        EXPECT_EQ(d.FIBFind.SelectSQL().join('\n'),
                  "Select ENTIDAD,NOMBRE From SYS_BANCOS where ENTIDAD LIKE '3%'\n AND entidad <> \"0000\"\n Order by ENTIDAD");
        QTest::keyClick(d.FIBEdit, Qt::Key_Down);
        QTest::keyClick(d.DBGFind, Qt::Key_Return);
    });
    eBanco->setFocus();
    eBanco->selectAll();
    QTest::keyClick(eBanco, '3');
    EXPECT_EQ(eBanco->text(), "3"); // digits are typed
    QTest::keyClick(eBanco, Qt::Key_Return);
    EXPECT_EQ(v.Abiertos(), 1);
    EXPECT_EQ(eBanco->text(), "3058");
    EXPECT_EQ(propietarios.FieldByName("BANCO")->AsString(), "3058");
    EXPECT_EQ(existe, 1);
    EXPECT_EQ(form.focusWidget(), eIdioma); // moved on

    // An existing code is confirmed without dialog; the reserved one is not a code.
    Activa();
    eBanco->setFocus();
    eBanco->selectAll();
    QTest::keyClicks(eBanco, "0081");
    QTest::keyClick(eBanco, Qt::Key_Return);
    EXPECT_EQ(existe, 2);
    eBanco->setFocus();
    eBanco->selectAll();
    QTest::keyClicks(eBanco, "0000");
    v.Espera([&](TFIBDBEDITDLG& d) {
        EXPECT_EQ(Lista(d), QStringList{});
        EXPECT_FALSE(d.BAceptar->isEnabled());
        EXPECT_TRUE(d.BCancelar->isDefault());
        QTest::keyClick(d.FIBEdit, Qt::Key_Return); // only Cancelar
    });
    QTest::keyClick(eBanco, Qt::Key_Return);
    EXPECT_EQ(v.Abiertos(), 2);
    EXPECT_EQ(eBanco->text(), "0000"); // left as it was
    EXPECT_EQ(form.focusWidget(), eBanco);
    propietarios.Cancel();
}

TEST_F(LookupTest, LetterInTheLanguageFieldSearchesNamesAndChoosingEditsTheRecord)
{
    ASSERT_EQ(propietarios.State(), TDataSetState::dsBrowse);
    Ventanas v;
    v.Espera([&](TFIBDBEDITDLG& d) {
        EXPECT_EQ(d.FIBEdit->text(), "S");
        EXPECT_EQ(Lista(d), QStringList({"12", "3"}));
        EXPECT_TRUE(d.BAceptar->isDefault());
        // Double-clicking a row accepts it.
        const QRect fila = d.DBGFind->visualRect(d.DBGFind->Modelo()->index(1, 1));
        // As the platform delivers it: a click, then the second press as a
        // double click.
        QTest::mouseClick(d.DBGFind->viewport(), Qt::LeftButton, {}, fila.center());
        QTest::mouseDClick(d.DBGFind->viewport(), Qt::LeftButton, {}, fila.center());
    });
    eIdioma->setFocus();
    QTest::keyClick(eIdioma, 's');
    EXPECT_EQ(propietarios.State(), TDataSetState::dsEdit);
    EXPECT_EQ(propietarios.FieldByName("IDIOMA")->AsInteger(), 3);
    EXPECT_EQ(eIdioma->text(), "3"); // the letter is spent
    propietarios.Post();
    EXPECT_EQ(Guardado("IDIOMA"), "3");

    // An accented letter: names only, upper-cased.
    v.Espera([&](TFIBDBEDITDLG& d) {
        EXPECT_EQ(d.FIBEdit->text(), "Á");
        EXPECT_EQ(Nombres(d), QStringList{"Árabe"});
        d.accept();
    });
    qdtest::EscribeEn(eIdioma, "á");
    EXPECT_EQ(propietarios.FieldByName("IDIOMA")->AsInteger(), 13);
}

TEST_F(LookupTest, CancellingGivesTheBoundFieldTheCharacterAndTheUnboundNothing)
{
    struct Caso {
        QLineEdit* campo;
        bool reemplaza;
        const char* busqueda;
        const char* queda;
    };
    eLibre->setText("4");
    const Caso casos[] = {
        {eBanco, true, "X", "x"}, // the bound field takes the letter as typed
        {eLibre, true, "X", "4"},     // the unbound one drops it
        {eLibre, false, "4X", "4"},   // the letter follows the field's text
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.busqueda);
        eLibre->ReemplazarCaracter = k.reemplaza;
        Ventanas v;
        QString busqueda;
        v.Espera([&](TFIBDBEDITDLG& d) {
            busqueda = d.FIBEdit->text();
            QTest::keyClick(d.FIBEdit, Qt::Key_Escape);
        });
        Activa();
        k.campo->setFocus();
        k.campo->selectAll();
        QTest::keyClick(k.campo, 'x');
        EXPECT_EQ(busqueda, k.busqueda);
        EXPECT_EQ(k.campo->text(), k.queda);
        propietarios.Cancel(); // leaving the bound field would search again
    }
}

TEST_F(LookupTest, LeavingAMissingCodeSearchesOnlyWhereItMust)
{
    // Browsing: nothing to confirm.
    {
        Ventanas v;
        eIdioma->setFocus();
        otro->setFocus();
        EXPECT_EQ(v.Abiertos(), 0);
    }
    // Editing, with the code emptied: the dialog opens on leaving, with
    // every row.
    {
        propietarios.Edit();
        propietarios.FieldByName("IDIOMA")->Clear();
        Activa();
        Ventanas v;
        v.Espera([&](TFIBDBEDITDLG& d) {
            EXPECT_EQ(Lista(d), QStringList({"1", "2", "3", "4", "12", "13"}));
            d.FIBFind.Last();
            QTest::keyClick(d.FIBEdit, Qt::Key_Return);
        });
        eIdioma->setFocus();
        otro->setFocus();
        EXPECT_EQ(v.Abiertos(), 1);
        EXPECT_EQ(propietarios.FieldByName("IDIOMA")->AsInteger(), 13);
        EXPECT_EQ(form.focusWidget(), otro);
        propietarios.Cancel();
    }
    // Unbound and empty: SalirSiVacio lets it go; without it the dialog
    // opens, and cancelled it keeps the focus and says the code is missing.
    int noExiste = 0;
    eLibre->OnNoExiste = [&] { ++noExiste; };
    for (bool salir : {true, false}) {
        SCOPED_TRACE(salir);
        eLibre->clear();
        eLibre->SalirSiVacio = salir;
        noExiste = 0;
        Ventanas v;
        if (!salir)
            v.Espera([](TFIBDBEDITDLG& d) { d.reject(); });
        Activa();
        eLibre->setFocus();
        otro->setFocus();
        EXPECT_EQ(v.Abiertos(), salir ? 0 : 1);
        EXPECT_EQ(noExiste, salir ? 0 : 1);
        EXPECT_EQ(form.focusWidget(), salir ? static_cast<QWidget*>(otro) : eLibre);
    }
    // An unbound code that does not exist.
    Ventanas v;
    v.Espera([](TFIBDBEDITDLG& d) {
        EXPECT_EQ(d.FIBEdit->text(), "99");
        d.reject();
    });
    eLibre->SalirSiVacio = true;
    eLibre->setText("99");
    Activa();
    eLibre->setFocus();
    otro->setFocus();
    EXPECT_EQ(v.Abiertos(), 1);
    EXPECT_EQ(noExiste, 2);
    EXPECT_EQ(form.focusWidget(), eLibre);
}

TEST_F(LookupTest, DialogButtonsHandOverTheSelectedRow)
{
    eBanco->VerBotonNuevo = true;
    eBanco->VerBotonSaldos = true;
    eBanco->VerBotonExtracto = true;
    eBanco->CampoADevolver2 = "NOMBRE";
    QList<int> saldos, extractos;
    eBanco->OnBusqueda = [&](TFIBDBEDITDLG& d) {
        d.VerSaldos = [&](int codigo) { saldos << codigo; };
        d.VerExtracto = [&](int codigo) {
            extractos << codigo;
            return extractos.size() == 2 ? codigo : 0; // the second time the viewer keeps it
        };
    };
    Ventanas v;
    // New record: closed with tag 1, nothing chosen, the second value kept.
    v.Espera([](TFIBDBEDITDLG& d) {
        EXPECT_EQ(Nombres(d), QStringList({"Cajamar", "Comillas"}));
        d.SbNuevo->click();
    });
    eBanco->setFocus();
    QTest::keyClick(eBanco, 'c');
    EXPECT_EQ(eBanco->Tag, 1);
    EXPECT_EQ(eBanco->ValorDevuelto2(), "Cajamar");
    EXPECT_EQ(propietarios.FieldByName("BANCO")->AsString(), "0049");
    propietarios.Cancel();

    // F3 and F5 hand the selected code over as a number; a statement viewer
    // that keeps a code closes the dialog with the row.
    v.Espera([](TFIBDBEDITDLG& d) {
        for (QToolButton* b : {d.SbNuevo, d.SbSaldos, d.SbExtracto})
            EXPECT_TRUE(b->isVisible());
        QTest::keyClick(d.FIBEdit, Qt::Key_Down);
        QTest::keyClick(d.DBGFind, Qt::Key_F3);
        QTest::keyClick(d.DBGFind, Qt::Key_F5);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(d.DBGFind, Qt::Key_F5);
    });
    Activa();
    eBanco->setFocus();
    eBanco->selectAll();
    QTest::keyClick(eBanco, '0');
    QTest::keyClick(eBanco, Qt::Key_Return);
    EXPECT_EQ(saldos, QList<int>{81});
    EXPECT_EQ(extractos, QList<int>({81, 81}));
    EXPECT_EQ(eBanco->Tag, 0);
    EXPECT_EQ(propietarios.FieldByName("BANCO")->AsString(), "0081");
    propietarios.Cancel();

    // A read-only field opens no search.
    eBanco->SetReadOnly(true);
    QTest::keyClick(eBanco, 'c');
    EXPECT_EQ(v.Abiertos(), 2);
    EXPECT_EQ(propietarios.State(), TDataSetState::dsBrowse);
}
