// The meeting planner: the month calendar's 42 cells and their marks as a
// table of cases; on the window, a day planned only on Yes, the marks of the
// planned days read in one statement, the months across the year, the day's
// slots typed with the community chosen by F2, the pending list and its
// names, and the command.
#include "Capturas.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UDBControles.h"
#include "UFIBDBEditDlg.h"
#include "UFPlanifica.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using qdtest::Activa;
using qdtest::Modales;

enum class Marca { OtroMes, Mes, Referencia, Planificado };

void EsperaMarca(const TCeldaCalendario& c, Marca m, const std::string& donde)
{
    struct Estilo {
        QColor color;
        bool negrita, subrayada;
    };
    static const Estilo estilos[] = {{Qt::black, false, false},
                                     {Qt::blue, true, false},
                                     {Qt::red, true, true},
                                     {Qt::magenta, true, true}};
    const Estilo& e = estilos[static_cast<int>(m)];
    EXPECT_EQ(c.Color, e.color) << donde;
    EXPECT_EQ(c.Negrita, e.negrita) << donde;
    EXPECT_EQ(c.Subrayada, e.subrayada) << donde;
}

TEST(CalendarioPlanificador, CellsHoldSixWeeksFromMondayWithTheirMarks)
{
    using D = QDate;
    struct Caso {
        const char* que;
        QDate referencia;
        QList<QDate> planificados;
        int celdaDelUno; // the cell of the month's first day
        QDate primera, ultima;
        QList<std::pair<int, Marca>> marcas; // cell (1 to 42) and its mark
    };
    const Caso casos[] = {
        {"a month starting on Monday starts in the second row", D(2024, 4, 15), {}, 8, D(2024, 3, 25), D(2024, 5, 5),
         {{1, Marca::OtroMes}, {7, Marca::OtroMes}, {8, Marca::Mes}, {22, Marca::Referencia}, {37, Marca::Mes},
          {38, Marca::OtroMes}}},
        {"a month starting on Sunday", D(2024, 9, 10), {}, 7, D(2024, 8, 26), D(2024, 10, 6),
         {{6, Marca::OtroMes}, {7, Marca::Mes}, {16, Marca::Referencia}, {36, Marca::Mes}, {37, Marca::OtroMes}}},
        {"February of a leap year", D(2024, 2, 20), {}, 4, D(2024, 1, 29), D(2024, 3, 10),
         {{3, Marca::OtroMes}, {23, Marca::Referencia}, {32, Marca::Mes}, {33, Marca::OtroMes}}},
        {"February of a common year", D(2023, 2, 20), {}, 3, D(2023, 1, 30), D(2023, 3, 12),
         {{22, Marca::Referencia}, {30, Marca::Mes}, {31, Marca::OtroMes}, {42, Marca::OtroMes}}},
        {"December runs into January", D(2024, 12, 24), {}, 7, D(2024, 11, 25), D(2025, 1, 5),
         {{30, Marca::Referencia}, {37, Marca::Mes}, {38, Marca::OtroMes}}},
        {"January starts in December", D(2025, 1, 24), {}, 3, D(2024, 12, 30), D(2025, 2, 9),
         {{1, Marca::OtroMes}, {3, Marca::Mes}, {26, Marca::Referencia}}},
        {"a one-digit reference day marks its own number only, in the next month too", D(2024, 3, 5), {}, 5,
         D(2024, 2, 26), D(2024, 4, 7),
         {{9, Marca::Referencia}, {19, Marca::Mes}, {29, Marca::Mes}, {39, Marca::OtroMes}, {40, Marca::Referencia}}},
        {"the reference day's number in the month before", D(2024, 4, 30), {}, 8, D(2024, 3, 25), D(2024, 5, 5),
         {{6, Marca::Referencia}, {37, Marca::Referencia}}},
        {"planned days are magenta, the reference day and another month's too", D(2024, 4, 15),
         {D(2024, 4, 15), D(2024, 3, 29), D(2024, 4, 2)}, 8, D(2024, 3, 25), D(2024, 5, 5),
         {{5, Marca::Planificado}, {9, Marca::Planificado}, {10, Marca::Mes}, {22, Marca::Planificado}}},
    };
    for (const Caso& k : casos) {
        const QSet<QDate> planificados(k.planificados.begin(), k.planificados.end());
        const auto celdas = CeldasCalendario(k.referencia, planificados);
        EXPECT_EQ(PrimeraCelda(k.referencia), k.primera) << k.que;
        EXPECT_EQ(celdas.front().Fecha, k.primera) << k.que;
        EXPECT_EQ(celdas.back().Fecha, k.ultima) << k.que;
        EXPECT_EQ(celdas[static_cast<std::size_t>(k.celdaDelUno - 1)].Fecha,
                  QDate(k.referencia.year(), k.referencia.month(), 1))
            << k.que;
        for (std::size_t i = 1; i < celdas.size(); ++i)
            ASSERT_EQ(celdas[i].Fecha, celdas[i - 1].Fecha.addDays(1)) << k.que;
        for (const auto& [celda, marca] : k.marcas)
            EsperaMarca(celdas[static_cast<std::size_t>(celda - 1)], marca,
                        std::string(k.que) + ", cell " + std::to_string(celda));
    }
}

QString SqlFecha(const QDate& d) { return "'" + d.toString("MM/dd/yyyy") + "'"; }

class Planificador : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'C.P. LAS ACACIAS')");
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'RESIDENCIAL LOS ALMENDROS')");
    }
    void Planifica(const QDate& d) { Sql("EXECUTE PROCEDURE PLANIFICADOR_CREAR(" + SqlFecha(d) + ")"); }
    int Huecos(const QDate& d) { return Sql("SELECT COUNT(*) FROM PLANIFICADOR WHERE FECHA = " + SqlFecha(d)).toInt(); }
    // The cell (1 to 42) that shows the day.
    static int Celda(const TFPlanifica& p, const QDate& d)
    {
        for (int i = 0; i < kCeldasCalendario; ++i)
            if (p.Celdas()[static_cast<std::size_t>(i)].Fecha == d)
                return i + 1;
        ADD_FAILURE() << "no cell shows " << d.toString().toStdString();
        return 1;
    }
    static QLabel* Etiqueta(const TFPlanifica& p, const QDate& d)
    {
        return p.Lbe[static_cast<std::size_t>(Celda(p, d) - 1)];
    }
};

// Another day of the month shown, not today.
QDate OtroDiaDelMes()
{
    const QDate hoy = QDate::currentDate();
    return hoy.day() == 1 ? hoy.addDays(1) : hoy.addDays(-1);
}

TEST_F(Planificador, AnUnplannedDayIsCreatedOnlyOnYes)
{
    const QDate dia = OtroDiaDelMes();
    TFPlanifica p;
    Activa(&p);
    Modales modales;
    auto responde = [&](QMessageBox::StandardButton boton) {
        modales.Espera([&, boton](QWidget* w) {
            auto* caja = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(caja, nullptr);
            EXPECT_EQ(caja->windowTitle(), "CONFIRMACIÓN");
            EXPECT_EQ(caja->text(), FormatoFecha(dia) + " Día sin planificar. ¿ Crear planificación ? ");
            EXPECT_EQ(caja->icon(), QMessageBox::Critical);
            caja->button(boton)->click();
        });
    };
    responde(QMessageBox::No);
    QTest::mouseClick(Etiqueta(p, dia), Qt::LeftButton);
    EXPECT_EQ(p.Seleccionado(), dia);
    EXPECT_EQ(p.LbPlanificacion->text(), "Planificación para el día: " + FormatoFecha(dia));
    EXPECT_EQ(p.PCPlanifica->tabText(p.PCPlanifica->indexOf(p.TSDia)), "Día: " + FormatoFecha(dia));
    EXPECT_EQ(Huecos(dia), 0);
    EXPECT_TRUE(p.DM()->QTabla.IsEmpty());
    EXPECT_FALSE(p.DBGDia->isEnabled());
    EXPECT_FALSE(p.NavDia->isEnabled());

    responde(QMessageBox::Yes);
    QTest::mouseClick(Etiqueta(p, dia), Qt::LeftButton);
    EXPECT_EQ(Huecos(dia), 26);
    EXPECT_EQ(p.DM()->QTabla.RecordCount(), 26);
    EXPECT_EQ(p.DM()->QTabla.FieldByName("HORA")->AsString(), "09:00");
    EXPECT_TRUE(p.DBGDia->isEnabled());
    EXPECT_TRUE(p.NavDia->isEnabled());
    EXPECT_EQ(p.PCPlanifica->currentWidget(), p.TSDia);
    // The cell keeps its colour until the calendar is built again.
    EXPECT_NE(Etiqueta(p, dia)->palette().color(QPalette::WindowText), QColor(Qt::magenta));
    p.CambiaMes(1);
    p.CambiaMes(-1);
    EXPECT_EQ(Etiqueta(p, dia)->palette().color(QPalette::WindowText), QColor(Qt::magenta));
    // A planned day asks nothing (an unexpected question fails the test).
    QTest::mouseClick(Etiqueta(p, dia), Qt::LeftButton);
    EXPECT_EQ(Huecos(dia), 26);
}

TEST_F(Planificador, TheWindowShowsTheMonthItsPlannedDaysAndMovesAcrossTheYear)
{
    const QDate hoy = QDate::currentDate();
    const QDate dia = OtroDiaDelMes();
    Planifica(dia);
    // A slot dated with a time is no planned day, for the day's count either.
    Sql("INSERT INTO PLANIFICADOR (FECHA, HORA, DES, COMUNIDAD) VALUES ('" + hoy.toString("MM/dd/yyyy") +
        " 10:00', '10:00', '', 0)");
    TFPlanifica p;
    EXPECT_EQ(p.windowTitle(), "Planificador de juntas");
    EXPECT_EQ(p.Referencia(), hoy);
    EXPECT_EQ(p.Seleccionado(), hoy);
    EXPECT_EQ(p.LbMes->text(), NombreMes(hoy.month()) + " de " + QString::number(hoy.year()));
    EXPECT_EQ(p.LbHoy->text(), "Hoy: " + FormatoFecha(hoy));
    EXPECT_EQ(p.LbPlanificacion->text(), "Planificación para el día: " + FormatoFecha(hoy));
    EXPECT_EQ(Etiqueta(p, QDate(hoy.year(), hoy.month(), 1))->text(), "1");
    QLabel* planificado = Etiqueta(p, dia);
    EXPECT_EQ(planificado->palette().color(QPalette::WindowText), QColor(Qt::magenta));
    EXPECT_TRUE(planificado->font().bold());
    EXPECT_TRUE(planificado->font().underline());
    QLabel* referencia = Etiqueta(p, hoy);
    EXPECT_EQ(referencia->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(referencia->font().underline());
    EXPECT_TRUE(p.DM()->QTabla.IsEmpty()) << "today has no slot of its own midnight";

    // To December, then January of the next year and back.
    p.CambiaMes(12 - hoy.month());
    EXPECT_EQ(p.LbMes->text(), "Diciembre de " + QString::number(hoy.year()));
    QTest::mouseClick(p.SbSiguiente, Qt::LeftButton);
    EXPECT_EQ(p.LbMes->text(), "Enero de " + QString::number(hoy.year() + 1));
    EXPECT_EQ(p.Celdas()[0].Fecha.month(), 12) << "January " << hoy.year() + 1 << " starts in December";
    QTest::mouseClick(p.SbAnterior, Qt::LeftButton);
    EXPECT_EQ(p.LbMes->text(), "Diciembre de " + QString::number(hoy.year()));
    EXPECT_EQ(p.Seleccionado(), hoy) << "moving the month chooses no day";
}

TEST_F(Planificador, TheDaysSlotsAreTypedWithTheCommunityChosenByF2AndListedWhenPending)
{
    const QDate hoy = QDate::currentDate();
    Planifica(hoy);
    Planifica(hoy.addDays(-3));
    Sql("UPDATE PLANIFICADOR SET DES = 'JUNTA ORDINARIA', COMUNIDAD = 1 WHERE HORA = '18:00' AND FECHA = " +
        SqlFecha(hoy.addDays(-3)));
    Sql("UPDATE PLANIFICADOR SET DES = 'REVISAR CUENTAS', COMUNIDAD = 9 WHERE HORA = '10:00' AND FECHA = " +
        SqlFecha(hoy.addDays(-3)));
    Sql("UPDATE PLANIFICADOR SET DES = '   ' WHERE HORA = '11:00' AND FECHA = " + SqlFecha(hoy));
    {
        TFPlanifica p;
        Activa(&p);
        EXPECT_TRUE(p.DBGDia->isEnabled());
        ASSERT_EQ(p.DM()->QTabla.RecordCount(), 26);

        // The description typed in place on the 18:00 slot.
        p.PCPlanifica->setCurrentWidget(p.TSDia);
        ASSERT_TRUE(p.DM()->QTabla.Locate("HORA", {"18:00"}));
        const int fila = p.DM()->QTabla.RecNo() - 1;
        p.DBGDia->setFocus();
        p.DBGDia->setCurrentIndex(p.DBGDia->Modelo()->index(fila, 1));
        QTest::keyClick(p.DBGDia, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        qdtest::EscribeEn(editor, "JUNTA EXTRAORDINARIA ASCENSOR");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents(); // the view commits the editor's text queued
        EXPECT_EQ(p.DM()->QTabla.State(), TDataSetState::dsEdit);

        // F2 on the community column searches the communities; the one
        // chosen goes into the slot and its name into the header.
        p.DBGDia->setCurrentIndex(p.DBGDia->Modelo()->index(fila, 2));
        Modales modales;
        modales.Espera([](QWidget* w) {
            auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
            ASSERT_NE(d, nullptr) << w->windowTitle().toStdString();
            EXPECT_EQ(d->Tabla_a_buscar(), "SYS_COMUNIDAD");
            EXPECT_FALSE(d->SbNuevo->isVisible());
            ASSERT_TRUE(d->FIBFind.Locate("CODIGO", {2}));
            d->accept();
        });
        QTest::keyClick(p.DBGDia, Qt::Key_F2);
        EXPECT_EQ(p.DM()->QTabla.FieldByName("COMUNIDAD")->AsInteger(), 2);
        EXPECT_EQ(p.DBTComunidad->text(), "RESIDENCIAL LOS ALMENDROS");
        // Esc does not close the planner while the slot is being edited.
        QTest::keyClick(p.DBGDia, Qt::Key_Escape);
        EXPECT_TRUE(p.isVisible());
        qdtest::Captura("planificador", &p);
        p.NavDia->EjecutarBoton(TNavigateBtn::nbPost);
        EXPECT_EQ(Sql("SELECT DES || '/' || COMUNIDAD FROM PLANIFICADOR WHERE HORA = '18:00' AND FECHA = " +
                      SqlFecha(hoy))
                      .toString(),
                  "JUNTA EXTRAORDINARIA ASCENSOR/2");

        // The pending list is the one read at opening: newest first, blank
        // descriptions left out, a community that does not exist unnamed.
        TFIBDataSet& pte = p.DM()->QPte;
        EXPECT_EQ(pte.RecordCount(), 2);
        pte.First();
        EXPECT_EQ(pte.FieldByName("HORA")->AsString(), "18:00");
        EXPECT_EQ(pte.FieldByName("Com_des")->AsString(), "C.P. LAS ACACIAS");
        pte.Next();
        EXPECT_EQ(pte.FieldByName("HORA")->AsString(), "10:00");
        EXPECT_EQ(pte.FieldByName("Com_des")->AsString(), "");
        EXPECT_EQ(p.DBGPendientes->Modelo()->headerData(3, Qt::Horizontal).toString(), "Com.");
        QTest::keyClick(p.DBGDia, Qt::Key_Escape);
        EXPECT_FALSE(p.isVisible());
    }
    TFPlanifica p;
    Activa(&p);
    qdtest::Captura("planificador-pendientes", &p);
    EXPECT_EQ(p.DM()->QPte.RecordCount(), 3);
    EXPECT_EQ(p.DM()->QPte.FieldByName("DES")->AsString(), "JUNTA EXTRAORDINARIA ASCENSOR");
}

TEST_F(Planificador, ItsCommandIsInTheGestionMenu)
{
    RegistraOrdenesPlanificador();
    const TOrden* orden = OrdenRegistrada("PlanificadorJuntas");
    ASSERT_NE(orden, nullptr);
    EXPECT_EQ(orden->Menu, TMenuOrden::Gestion);
    EXPECT_EQ(orden->Posicion, 60);
    EXPECT_EQ(orden->Titulo, "Planificador de juntas");
    // Modal: it returns once the window is closed.
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_NE(qobject_cast<TFPlanifica*>(w), nullptr);
        static_cast<QDialog*>(w)->reject();
    });
    orden->Abre(nullptr);
}

} // namespace
