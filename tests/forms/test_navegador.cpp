// The key map, the key menu, the edit controller and the navigator: shortcut
// encoding, the click sequence and its events, button enabling, edit mode
// (pages, panel, toolbar lock, focus), shortcuts that win over the focused
// control, the delete confirmation, auto-repeat and the keyboard focus mark.
#include "DbComboBoxValue.h"
#include "Modales.h"
#include "Teclado.h"
#include "PantallaPrueba.h"

#include <QClipboard>
#include <cmath>
#include <QTabBar>
#include <QWheelEvent>
#include <QMessageBox>

namespace {

using qdtest::Teclea;

constexpr TNavigateBtn kBotones[] = {TNavigateBtn::nbFirst,  TNavigateBtn::nbPrior,  TNavigateBtn::nbNext,
                                     TNavigateBtn::nbLast,   TNavigateBtn::nbInsert, TNavigateBtn::nbDelete,
                                     TNavigateBtn::nbEdit,   TNavigateBtn::nbPost,   TNavigateBtn::nbCancel,
                                     TNavigateBtn::nbRefresh};

// The enabled buttons, one letter each: F P N L I D E S(ave) C R; "-" for a
// disabled one.
QString Activos(const THYMNavigator& nav)
{
    const char letras[] = "FPNLIDESCR";
    QString s;
    for (TNavigateBtn b : kBotones)
        s += nav.Boton(b)->isEnabled() ? QLatin1Char(letras[static_cast<int>(b)]) : QLatin1Char('-');
    return s;
}

QString ItemsActivos(const THYMNavigator& nav)
{
    const char letras[] = "FPNLIDESCR";
    QString s;
    for (TNavigateBtn b : kBotones)
        s += nav.Item(b) && nav.Item(b)->isEnabled() ? QLatin1Char(letras[static_cast<int>(b)]) : QLatin1Char('-');
    return s;
}

} // namespace

TEST(Teclas, ShortcutsAreSixteenBitCodesWithBothColumnsOfDefaults)
{
    struct Caso {
        const char* titulo;
        TShortCut componente, principal;
        const char* tecla; // the main data module's value, as Qt writes it
    };
    const Caso casos[] = {
        {"Primero", 16464, 16464, "Ctrl+P"},  {"Anterior", 16449, 16449, "Ctrl+A"},
        {"Siguiente", 16467, 16467, "Ctrl+S"}, {"Último", 16469, 16469, "Ctrl+U"},
        {"Añadir", 45, 16429, "Ctrl+Ins"},     {"Borrar", 46, 16430, "Ctrl+Del"},
        {"Modificar", 16453, 16453, "Ctrl+E"}, {"Grabar", 16455, 16455, "Ctrl+G"},
        {"Cancelar", 16472, 16472, "Ctrl+X"},  {"Refrescar", 16466, 16466, "Ctrl+R"},
        {"Buscar", 16450, 16450, "Ctrl+B"},    {"Búsqueda aproximada", 16465, 16465, "Ctrl+Q"},
        {"Búsqueda exacta", 16471, 16471, "Ctrl+W"}, {"Imprime pantalla", 16457, 16457, "Ctrl+I"},
        {"Filtra rango", 16454, 16454, "Ctrl+F"}, {"Imprime report", 16460, 16460, "Ctrl+L"},
        {"Copiar", 16451, 16451, "Ctrl+C"},    {"Cortar", 16472, 16472, "Ctrl+X"},
        {"Pegar", 16470, 16470, "Ctrl+V"},     {"Cerrar la ventana", 115, 115, "F4"},
    };
    TTeclas componente;
    TTeclas principal;
    principal.ValoresModuloPrincipal();
    ASSERT_EQ(std::size(casos), TTeclas::Entradas().size());
    for (std::size_t i = 0; i < std::size(casos); ++i) {
        const TTeclas::TEntrada& e = TTeclas::Entradas()[i];
        SCOPED_TRACE(e.propiedad);
        EXPECT_EQ(QString::fromUtf8(e.titulo), QString::fromUtf8(casos[i].titulo));
        EXPECT_EQ(componente.*e.valor, casos[i].componente);
        EXPECT_EQ(principal.*e.valor, casos[i].principal);
        EXPECT_EQ(ShortCutToKey(principal.*e.valor), QKeySequence(QString::fromLatin1(casos[i].tecla)));
    }
    EXPECT_EQ(ShortCutToKey(45), QKeySequence(Qt::Key_Insert));
    EXPECT_EQ(ShortCutToKey(16384 | 8192 | 32768 | 'Z'), QKeySequence(QStringLiteral("Ctrl+Shift+Alt+Z")));
    EXPECT_TRUE(ShortCutToKey(0).isEmpty());
    EXPECT_EQ(ShortCutOf(Qt::Key_Delete, Qt::ControlModifier | Qt::KeypadModifier), 16430);
    EXPECT_EQ(ShortCutOf(Qt::Key_F4, Qt::NoModifier), 115);
    EXPECT_EQ(ShortCutOf(Qt::Key_Control, Qt::ControlModifier), 0);
}

TEST(Teclas, KeyMapAppliesByCaptionToEveryRegisteredMenu)
{
    TTeclas teclas;
    auto menu = std::make_unique<TPopUpTeclas>();
    QAction* primero = menu->addAction(QStringLiteral("Primero"));
    QAction* otra = menu->addAction(QStringLiteral("Otra cosa"));
    QAction* cortar = menu->addAction(QStringLiteral("Cortar"));
    otra->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    menu->SetTeclas(&teclas);
    EXPECT_EQ(primero->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(cortar->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(otra->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));

    // A change reaches the menu only when the key map is told to re-apply.
    teclas.TecNFirst = 16384 | 'J';
    EXPECT_EQ(primero->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    teclas.SetActualizarPopUps(true);
    EXPECT_FALSE(teclas.ActualizarPopUps());
    EXPECT_EQ(primero->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));

    // Moving the menu to another key map unregisters it from the first.
    TTeclas otras;
    menu->SetTeclas(&otras);
    EXPECT_TRUE(teclas.Registrados().isEmpty());
    EXPECT_EQ(primero->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    menu.reset();
    EXPECT_TRUE(otras.Registrados().isEmpty());
}

TEST(Teclas, NavigationItemsAreNamedAfterTheControllerAndStartDisabled)
{
    TPopUpTeclas menu;
    menu.CreaItemsNavegacion(QStringLiteral("CEMain"));
    const QStringList nombres{"CEMainMifirst", "CEMainMiprior", "CEMainMinext",  "CEMainMilast",
                              "CEMainMiinsert", "CEMainMidelete", "CEMainMiedit", "CEMainMipost",
                              "CEMainMicancel", "CEMainMirefresh"};
    ASSERT_EQ(menu.actions().size(), 10);
    for (int i = 0; i < 10; ++i) {
        QAction* a = menu.actions()[i];
        EXPECT_EQ(a->objectName(), nombres[i]);
        EXPECT_EQ(a->text(), THYMNavigator::HintsPorDefecto()[i]);
        EXPECT_FALSE(a->isEnabled());
    }
    EXPECT_EQ(menu.actions()[4]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Ins")));
}

TEST(Navegador, ButtonsFollowTheDataSetAndTheMenuItemsFollowTheButtons)
{
    PantallaPrueba p;
    EXPECT_EQ(Activos(*p.nav), "--NLIDE--R");
    EXPECT_EQ(ItemsActivos(*p.nav), "--NLIDE--R");
    // Moves made by code (a grid, a search) reach the buttons too.
    p.bancos.Next();
    QApplication::processEvents();
    EXPECT_EQ(Activos(*p.nav), "FPNLIDE--R");
    p.bancos.Last();
    QApplication::processEvents();
    EXPECT_EQ(Activos(*p.nav), "FP--IDE--R");
    // A dataset put into edit by code changes only the enabling of the buttons.
    p.bancos.Edit();
    EXPECT_EQ(Activos(*p.nav), "FP--ID-SCR");
    EXPECT_FALSE(p.pEdit->isEnabled());
    p.bancos.Cancel();

    // An empty dataset: only insert and refresh among the moving buttons.
    p.bancos.Close();
    p.bancos.SetSelectSQL({"SELECT * FROM SYS_BANCOS WHERE ENTIDAD = 'none'"});
    p.bancos.Open();
    EXPECT_EQ(Activos(*p.nav), "----I-E--R");

    // A read-only dataset.
    TFIBDataSet solo;
    solo.SetDatabase(&p.c.db);
    solo.SetTransaction(&p.c.tr);
    solo.SetSelectSQL({"SELECT * FROM SYS_BANCOS"});
    solo.Open();
    TDataSource dsSolo(&solo);
    p.nav->SetDataSource(&dsSolo);
    EXPECT_EQ(Activos(*p.nav), "--NL------");
    p.nav->setEnabled(false);
    EXPECT_EQ(Activos(*p.nav), "----------");
    EXPECT_EQ(ItemsActivos(*p.nav), "----------");
    p.nav->setEnabled(true);
    solo.Close();
    EXPECT_EQ(Activos(*p.nav), "----------");
}

TEST(Navegador, ClickRunsItsStepsInOrderAndEntersEditModeAfterTheAction)
{
    PantallaPrueba p;
    QStringList pasos;
    auto panel = [&] { return p.pEdit->isEnabled() ? QStringLiteral("panel on") : QStringLiteral("panel off"); };
    p.nav->OnClickBefore = [&](THYMNavigator&, TNavigateBtn, bool&) { pasos << "OnClickBefore"; };
    p.nav->BeforeAction = [&](THYMNavigator&, TNavigateBtn) { pasos << "BeforeAction"; };
    p.bancos.AfterInsert = [&](TFIBDataSet&) { pasos << "AfterInsert " + QString::number(p.pcMain->currentIndex()); };
    p.nav->OnClick = [&](THYMNavigator&, TNavigateBtn) { pasos << "OnClick " + panel(); };
    p.nav->OnClickAfterAdjust = [&](THYMNavigator&, TNavigateBtn) { pasos << "OnClickAfterAdjust " + panel(); };
    p.pcMain->setCurrentWidget(p.tsTabla);
    p.nav->EjecutarBoton(TNavigateBtn::nbInsert);
    // The record page is shown before the record is inserted.
    EXPECT_EQ(pasos, QStringList({"OnClickBefore", "BeforeAction", "AfterInsert 0", "OnClick panel off",
                                  "OnClickAfterAdjust panel on"}));
}

TEST(Navegador, InsertShowsOnlyTheRecordPageLocksTheToolbarAndCancelUndoesIt)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    p.pcMain->setCurrentWidget(p.tsTabla);
    p.grid->setFocus();
    p.nav->EjecutarBoton(TNavigateBtn::nbInsert);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsInsert);
    EXPECT_EQ(p.pcMain->currentWidget(), p.tsFicha);
    EXPECT_TRUE(p.pcMain->isTabVisible(0));
    EXPECT_FALSE(p.pcMain->isTabVisible(1));
    EXPECT_TRUE(p.pEdit->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), p.eCodigo);
    EXPECT_TRUE(p.nav->EnEdicion());
    // Security mode: only post and cancel (edit is off by the insert state).
    EXPECT_EQ(Activos(*p.nav), "-------SC-");
    EXPECT_EQ(ItemsActivos(*p.nav), "-------SC-");
    // The toolbar is locked but for the "TbConsulta" buttons; the navigator stays.
    EXPECT_FALSE(p.tbGuarda->isEnabled());
    EXPECT_TRUE(p.tbConsulta->isEnabled());
    EXPECT_TRUE(p.nav->isEnabled());

    p.nav->EjecutarBoton(TNavigateBtn::nbCancel);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.pcMain->currentWidget(), p.tsFicha);
    EXPECT_TRUE(p.pcMain->isTabVisible(1));
    EXPECT_FALSE(p.pEdit->isEnabled());
    EXPECT_TRUE(p.tbGuarda->isEnabled());
    EXPECT_FALSE(p.tbConsulta->isEnabled());
    EXPECT_EQ(Activos(*p.nav), "--NLIDE--R");

    // Without Exclusivo the toolbar is left alone; without security mode the
    // moving buttons stay usable while editing.
    p.nav->Exclusivo = false;
    p.nav->ModoDeSeguridad = false;
    p.nav->EjecutarBoton(TNavigateBtn::nbEdit);
    EXPECT_TRUE(p.tbGuarda->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), p.eNombre);
    EXPECT_EQ(Activos(*p.nav), "--NLID-SCR");
    // Any other button ends edit mode: next posts the unchanged record and moves.
    p.nav->EjecutarBoton(TNavigateBtn::nbNext);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(p.pEdit->isEnabled());
    EXPECT_EQ(p.Codigo(), "0081");
}

TEST(Navegador, WhileEditingNeitherCtrlTabNorTheWheelReachTheTablePage)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    p.nav->EjecutarBoton(TNavigateBtn::nbEdit);
    ASSERT_EQ(p.pcMain->currentWidget(), p.tsFicha);
    QTest::keyClick(p.eNombre, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(p.pcMain->currentWidget(), p.tsFicha);
    QTabBar* barra = p.pcMain->tabBar();
    for (int paso : {-120, 120}) {
        const QPointF punto = barra->rect().center();
        QWheelEvent rueda(punto, barra->mapToGlobal(punto), {}, {0, paso}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(barra, &rueda);
        EXPECT_EQ(p.pcMain->currentWidget(), p.tsFicha) << paso;
    }
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsEdit);
    // Browsing again, both pages are there.
    p.nav->EjecutarBoton(TNavigateBtn::nbCancel);
    EXPECT_TRUE(p.pcMain->isTabEnabled(1));
    QTest::keyClick(p.pcMain, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(p.pcMain->currentWidget(), p.tsTabla);
}

// The contrast ratio of two colours (WCAG): 1 to 21.
double Contraste(const QColor& a, const QColor& b)
{
    auto luminancia = [](const QColor& c) {
        auto canal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
    };
    const double x = luminancia(a), y = luminancia(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

TEST(Navegador, BrowsingKeepsTheDisabledFieldsReadable)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    ASSERT_FALSE(p.eNombre->isEnabled()); // browsing
    const QPalette& paleta = p.eNombre->palette();
    const QColor texto = paleta.color(QPalette::Disabled, QPalette::Text);
    const QColor fondo = paleta.color(QPalette::Disabled, QPalette::Base);
    EXPECT_GE(Contraste(texto, fondo), 4.5) << texto.name().toStdString() << " on " << fondo.name().toStdString();
    // On the read-only background, not the editable one.
    EXPECT_EQ(fondo, paleta.color(QPalette::Active, QPalette::Window));
    // A data-aware combo box draws its text on the button colour.
    TDBComboBoxValue combo;
    combo.ensurePolished(); // as shown on a screen
    const QPalette& deCombo = combo.palette();
    EXPECT_GE(Contraste(deCombo.color(QPalette::Disabled, QPalette::ButtonText),
                        deCombo.color(QPalette::Disabled, QPalette::Button)), 4.5);
}

TEST(Navegador, AfterALostConnectionTheUserReconnectsAndSavesTheEditAgain)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    TFIBQuery propia;
    propia.SetDatabase(&p.s.sesion.DataBase);
    propia.SetTransaction(&p.s.sesion.TGenerica);
    propia.SetSQL("SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
    propia.ExecQuery();
    const qint64 conexion = propia.Fields(0)->AsInteger();
    propia.Close();
    Teclea(Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), p.eNombre);
    p.eNombre->selectAll();
    qdtest::Escribe("Banco Recuperado");
    // The server ends this seat's attachment (as when it stops or the network fails).
    TFIBQuery corta;
    corta.SetDatabase(&p.c.db);
    corta.SetTransaction(&p.c.tr);
    corta.SetSQL(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = %1").arg(conexion));
    corta.ExecQuery();
    p.c.tr.Commit();
    p.c.tr.StartTransaction();
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Conexión perdida");
        const auto* caja = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(caja, nullptr);
        EXPECT_TRUE(caja->detailedText().contains("connection", Qt::CaseInsensitive))
            << "the engine's text is in the details: " << caja->detailedText().toStdString();
        qdtest::Pulsa(w, "Sí");
    });
    modales.Espera([](QWidget* w) {
        EXPECT_EQ(qdtest::Textos(w), "Se ha vuelto a conectar con la base de datos.");
        qdtest::Pulsa(w, "Aceptar");
    });
    Teclea(Qt::Key_G, Qt::ControlModifier); // fails: the connection is gone
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsEdit) << "the edit stays on screen";
    EXPECT_EQ(p.eNombre->text(), "Banco Recuperado");
    qdtest::Activa(p.form);
    p.eNombre->setFocus();
    Teclea(Qt::Key_G, Qt::ControlModifier); // saved again on the new connection
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    TFIBQuery q;
    q.SetDatabase(&p.c.db);
    q.SetTransaction(&p.c.tr);
    q.SetSQL("SELECT NOMBRE FROM SYS_BANCOS WHERE ENTIDAD = '0049'");
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0)->AsString(), "Banco Recuperado");
    q.Close();
    // Browsing goes on over the rows of the list.
    Teclea(Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(p.Codigo(), "3058");
}

TEST(Navegador, ClearedContinuaLeavesTheDataSetAloneAndTheScreenBrowsing)
{
    PantallaPrueba p;
    QStringList pasos;
    p.nav->OnClickBefore = [&](THYMNavigator&, TNavigateBtn, bool& continua) { continua = false; };
    p.nav->BeforeAction = [&](THYMNavigator&, TNavigateBtn) { pasos << "BeforeAction"; };
    p.nav->OnClick = [&](THYMNavigator&, TNavigateBtn) { pasos << "OnClick"; };
    p.nav->OnClickAfterAdjust = [&](THYMNavigator&, TNavigateBtn) { pasos << "OnClickAfterAdjust"; };
    for (TNavigateBtn b : {TNavigateBtn::nbInsert, TNavigateBtn::nbEdit, TNavigateBtn::nbNext}) {
        p.nav->EjecutarBoton(b);
        EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
        EXPECT_EQ(p.Codigo(), "0049");
        EXPECT_FALSE(p.pEdit->isEnabled());
        EXPECT_TRUE(p.pcMain->isTabVisible(1));
    }
    EXPECT_EQ(pasos, QStringList({"OnClick", "OnClickAfterAdjust", "OnClick", "OnClickAfterAdjust", "OnClick",
                                  "OnClickAfterAdjust"}));
}

TEST(Navegador, FailedPostKeepsEditModeSoTheUserCanCorrect)
{
    PantallaPrueba p;
    p.nav->EjecutarBoton(TNavigateBtn::nbInsert);
    p.bancos.FieldByName("ENTIDAD")->SetAsString("2100"); // already there
    p.bancos.FieldByName("NOMBRE")->SetAsString("Duplicada");
    bool adjusted = false;
    p.nav->OnClickAfterAdjust = [&](THYMNavigator&, TNavigateBtn) { adjusted = true; };
    EXPECT_THROW(p.nav->EjecutarBoton(TNavigateBtn::nbPost), EFIBError);
    EXPECT_FALSE(adjusted);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsInsert);
    EXPECT_TRUE(p.pEdit->isEnabled());
    EXPECT_FALSE(p.pcMain->isTabVisible(1));
    EXPECT_FALSE(p.tbGuarda->isEnabled());
    EXPECT_EQ(Activos(*p.nav), "-------SC-");

    p.bancos.FieldByName("ENTIDAD")->SetAsString("9999");
    p.nav->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_TRUE(adjusted);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(p.pEdit->isEnabled());
    EXPECT_EQ(p.Filas(), 6);
}

TEST(Navegador, DeleteAsksOkOrCancelAndOnlyOkDeletes)
{
    PantallaPrueba p;
    qdtest::Modales modales;
    QString titulo, texto;
    auto responde = [&](const QString& boton) {
        return [&, boton](QWidget* w) {
            titulo = w->windowTitle();
            texto = qobject_cast<QMessageBox*>(w) ? qobject_cast<QMessageBox*>(w)->text() : QString();
            qdtest::Pulsa(w, boton);
        };
    };
    modales.Espera(responde("Cancelar"));
    p.nav->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(titulo, "Información");
    EXPECT_EQ(texto, " ¿ Borra el registro ? ");
    EXPECT_EQ(p.Filas(), 5);
    EXPECT_EQ(p.Codigo(), "0049");

    p.nav->DelCaption = "Confirmación";
    p.nav->DelMessage = " ¿ Borrar convocatoria ? ";
    modales.Espera(responde("Aceptar"));
    p.nav->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(titulo, "Confirmación");
    EXPECT_EQ(texto, " ¿ Borrar convocatoria ? ");
    EXPECT_EQ(p.Filas(), 4);
    EXPECT_EQ(p.Codigo(), "0081");

    // Without ConfirmDelete nothing is asked.
    p.nav->ConfirmDelete = false;
    p.nav->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(p.Filas(), 3);
}

TEST(Navegador, NavigationShortcutsWinOverTheFocusedEdit)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    QApplication::clipboard()->setText("portapapeles");
    p.eBusca->setText("texto buscado");
    p.eBusca->setFocus();
    p.eBusca->deselect();
    struct Paso {
        Qt::Key tecla;
        Qt::KeyboardModifiers mod;
        const char* codigo;
    };
    // Ctrl+S next, Ctrl+U last, Ctrl+A prior (not "select all"), Ctrl+P first.
    const Paso pasos[] = {{Qt::Key_S, Qt::ControlModifier, "0081"},
                          {Qt::Key_U, Qt::ControlModifier, "3058"},
                          {Qt::Key_A, Qt::ControlModifier, "2100"},
                          {Qt::Key_P, Qt::ControlModifier, "0049"}};
    for (const Paso& s : pasos) {
        QTest::keyClick(p.eBusca, s.tecla, s.mod);
        EXPECT_EQ(p.Codigo(), s.codigo);
    }
    EXPECT_EQ(p.eBusca->text(), "texto buscado");
    EXPECT_TRUE(p.eBusca->selectedText().isEmpty());

    // Ctrl+G while browsing does nothing: its item is disabled.
    bool clicked = false;
    p.nav->OnClick = [&](THYMNavigator&, TNavigateBtn) { clicked = true; };
    QTest::keyClick(p.eBusca, Qt::Key_G, Qt::ControlModifier);
    EXPECT_FALSE(clicked);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);

    // Ctrl+E edits and focuses the name; Ctrl+X then cancels instead of cutting.
    QTest::keyClick(p.eBusca, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsEdit);
    ASSERT_EQ(QApplication::focusWidget(), p.eNombre);
    p.eNombre->setText("Santander Central");
    p.eNombre->selectAll();
    QTest::keyClick(p.eNombre, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.eNombre->text(), "Santander"); // the typed change went with the cancel
    EXPECT_EQ(QApplication::clipboard()->text(), "portapapeles");
    EXPECT_FALSE(p.pEdit->isEnabled());

    // Ctrl+Ins inserts, Ctrl+G saves.
    p.eBusca->setFocus();
    QTest::keyClick(p.eBusca, Qt::Key_Insert, Qt::ControlModifier);
    ASSERT_EQ(p.bancos.State(), TDataSetState::dsInsert);
    EXPECT_EQ(QApplication::focusWidget(), p.eCodigo);
    p.bancos.FieldByName("ENTIDAD")->SetAsString("0128");
    QTest::keyClick(p.eCodigo, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.Filas(), 6);

    // Ctrl+R re-reads the row that another statement changed.
    TFIBQuery q;
    q.SetDatabase(&p.c.db);
    q.SetTransaction(&p.c.tr);
    q.SetSQL("UPDATE SYS_BANCOS SET NOMBRE = 'Bankinter' WHERE ENTIDAD = '0128'");
    q.ExecQuery();
    p.c.tr.CommitRetaining();
    p.eBusca->setFocus();
    QTest::keyClick(p.eBusca, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(p.bancos.FieldByName("NOMBRE")->AsString(), "Bankinter");

    // Ctrl+Del asks; Cancel keeps the row.
    qdtest::Modales modales;
    modales.Espera([](QWidget* w) { qdtest::Pulsa(w, "Cancelar"); });
    QTest::keyClick(p.eBusca, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(p.Filas(), 6);
    EXPECT_EQ(modales.Vistos(), QStringList({"Información"}));
}

TEST(Navegador, HiddenButtonsMakeTheirShortcutsAndItemsDoNothing)
{
    PantallaPrueba p;
    ASSERT_TRUE(p.Muestra());
    TButtonSet sinAltaNiBaja = kTodosLosBotones;
    sinAltaNiBaja.Exclude(TNavigateBtn::nbInsert);
    sinAltaNiBaja.Exclude(TNavigateBtn::nbDelete);
    p.nav->SetVisibleButtons(sinAltaNiBaja);
    EXPECT_FALSE(p.nav->Boton(TNavigateBtn::nbInsert)->isVisible());
    EXPECT_FALSE(p.nav->Item(TNavigateBtn::nbInsert)->isVisible());
    EXPECT_FALSE(p.nav->Item(TNavigateBtn::nbDelete)->isVisible());
    // Hidden buttons take no space: the eight left share the width.
    QApplication::processEvents();
    EXPECT_EQ(p.nav->width(), 241);
    EXPECT_GT(p.nav->Boton(TNavigateBtn::nbFirst)->width(), 241 / 10);

    p.eBusca->setFocus();
    p.eBusca->setText("abc");
    QTest::keyClick(p.eBusca, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(p.eBusca, Qt::Key_Delete, Qt::ControlModifier); // no question opens
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(p.Filas(), 5);
    // Even an item triggered by code acts only for a visible button.
    p.nav->Item(TNavigateBtn::nbInsert)->setVisible(true);
    p.nav->Item(TNavigateBtn::nbInsert)->trigger();
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    // The visible ones still work.
    QTest::keyClick(p.eBusca, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(p.Codigo(), "0081");
}

TEST(Navegador, MenuBlockStartsAtTheTwelfthItemWhenNotNamedAfterTheController)
{
    PantallaPrueba p;
    TPopUpTeclas otro(p.form);
    for (int i = 0; i < 11; ++i)
        otro.addAction(QStringLiteral("Propio %1").arg(i));
    otro.CreaItemsNavegacion(QStringLiteral("CEOtro"));
    TControlEdit ce(p.form, QStringLiteral("CEMain"));
    ce.SetDataSource(&p.ds);
    ce.SetPopUpMenu(&otro);
    THYMNavigator nav;
    nav.SetControlEdit(&ce);
    EXPECT_EQ(nav.DataSource(), &p.ds);
    EXPECT_EQ(nav.Item(TNavigateBtn::nbFirst), otro.actions()[11]);
    EXPECT_EQ(nav.Item(TNavigateBtn::nbRefresh), otro.actions()[20]);
    EXPECT_TRUE(nav.Item(TNavigateBtn::nbNext)->isEnabled());
}

TEST(Navegador, HeldNextRepeatsAfter400msThenEvery100ms)
{
    PantallaPrueba p;
    TFIBTableSet lista;
    lista.SetDatabase(&p.c.db);
    lista.SetTransaction(&p.c.tr);
    lista.Opciones.Include(TOpcionesTableSet::OrdenarPorPk);
    lista.SetTableName("LISTA");
    lista.Open();
    TDataSource ds(&lista);
    p.nav->SetDataSource(&ds);
    ASSERT_TRUE(p.Muestra());
    TNavButton* siguiente = p.nav->Boton(TNavigateBtn::nbNext);
    const QPoint centro = siguiente->rect().center();

    // A click moves one row.
    QTest::mouseClick(siguiente, Qt::LeftButton, {}, centro);
    EXPECT_EQ(lista.RecNo(), 2);
    // Held: nothing before 400 ms.
    QTest::mousePress(siguiente, Qt::LeftButton, {}, centro);
    QTest::qWait(250);
    EXPECT_EQ(lista.RecNo(), 2);
    QTest::qWait(1000);
    QTest::mouseRelease(siguiente, Qt::LeftButton, {}, centro);
    // About 400 ms + 8 repeats + the click on release; timers only come late.
    EXPECT_GE(lista.RecNo(), 2 + 5);
    EXPECT_LE(lista.RecNo(), 2 + 11);
    const int soltado = lista.RecNo();
    QTest::qWait(300);
    EXPECT_EQ(lista.RecNo(), soltado);
    // Prior repeats too; first, last and the others do not.
    EXPECT_TRUE(p.nav->Boton(TNavigateBtn::nbPrior)->autoRepeat());
    EXPECT_FALSE(p.nav->Boton(TNavigateBtn::nbLast)->autoRepeat());
}

TEST(Navegador, KeyboardMovesTheFocusMarkOverVisibleButtonsAndSpaceClicks)
{
    PantallaPrueba p;
    TButtonSet sinAnterior = kTodosLosBotones;
    sinAnterior.Exclude(TNavigateBtn::nbPrior);
    p.nav->SetVisibleButtons(sinAnterior);
    p.nav->setFocusPolicy(Qt::StrongFocus);
    ASSERT_TRUE(p.Muestra());
    p.nav->setFocus();
    EXPECT_EQ(p.nav->BotonMarcado(), TNavigateBtn::nbFirst);
    QTest::keyClick(p.nav, Qt::Key_Right);
    EXPECT_EQ(p.nav->BotonMarcado(), TNavigateBtn::nbNext);
    QTest::keyClick(p.nav, Qt::Key_Space);
    EXPECT_EQ(p.Codigo(), "0081");
    QTest::keyClick(p.nav, Qt::Key_Left);
    QTest::keyClick(p.nav, Qt::Key_Left);
    EXPECT_EQ(p.nav->BotonMarcado(), TNavigateBtn::nbFirst);
    QTest::keyClick(p.nav, Qt::Key_Space);
    EXPECT_EQ(p.Codigo(), "0049");
    // Space on a disabled button does nothing.
    QTest::keyClick(p.nav, Qt::Key_Space);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(p.nav, Qt::Key_Right);
    EXPECT_EQ(p.nav->BotonMarcado(), TNavigateBtn::nbPost);
    QTest::keyClick(p.nav, Qt::Key_Space);
    EXPECT_EQ(p.bancos.State(), TDataSetState::dsBrowse);
    // Clicking a button moves the mark to it.
    QTest::mouseClick(p.nav->Boton(TNavigateBtn::nbLast), Qt::LeftButton);
    EXPECT_EQ(p.nav->BotonMarcado(), TNavigateBtn::nbLast);
    EXPECT_EQ(p.Codigo(), "3058");
}

TEST(Navegador, HintsReplaceTheDefaultsLineByLine)
{
    THYMNavigator nav;
    EXPECT_EQ(nav.Boton(TNavigateBtn::nbPost)->toolTip(), "Grabar");
    nav.SetHints({"", "Previo", "", "", "", "", "", "Guardar"});
    EXPECT_EQ(nav.Boton(TNavigateBtn::nbFirst)->toolTip(), "Primero");
    EXPECT_EQ(nav.Boton(TNavigateBtn::nbPrior)->toolTip(), "Previo");
    EXPECT_EQ(nav.Boton(TNavigateBtn::nbPost)->toolTip(), "Guardar");
    EXPECT_EQ(nav.Boton(TNavigateBtn::nbRefresh)->toolTip(), "Refrescar");
    nav.SetHints(THYMNavigator::HintsPorDefecto());
    EXPECT_TRUE(nav.Hints().isEmpty());
    EXPECT_EQ(nav.size(), QSize(241, 25));
}

TEST(ControlEdit, ReferencesAreClearedWhenTheReferencedObjectGoes)
{
    QWidget form;
    TControlEdit ce(&form);
    TTeclas teclas;
    auto* panel = new QWidget(&form);
    auto* menu = new TPopUpTeclas(&form);
    ce.SetPanelEdicion(panel);
    EXPECT_FALSE(panel->isEnabled());
    ce.SetPopUpMenu(menu);
    ce.SetTeclas(&teclas);
    EXPECT_EQ(MenuEmergente(&form), menu);
    EXPECT_EQ(menu->Teclas(), &teclas);
    delete panel;
    EXPECT_EQ(ce.PanelEdicion(), nullptr);
    ce.ActivarEdicion(true);
    delete menu;
    EXPECT_EQ(ce.PopUpMenu(), nullptr);
    EXPECT_EQ(ce.Teclas(), nullptr);
    EXPECT_EQ(MenuEmergente(&form), nullptr);
    // The complementary control is locked while editing.
    QWidget barra;
    ce.SetComplementario(&barra);
    EXPECT_FALSE(barra.isEnabled());
    ce.ActivarEdicion(false);
    EXPECT_TRUE(barra.isEnabled());
}
