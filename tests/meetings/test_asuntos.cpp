// The matters to bring to meetings: a new matter's defaults and the code the
// database gives it, the list of every community newest first with the
// community's name, the dialog's buttons and window button, the delete
// question, and the command.
#include "Capturas.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UDBControles.h"
#include "UFAsuntos.h"
#include "UFIBDBEditfind.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <functional>

namespace {

using qdtest::Activa;
using qdtest::Modales;

class Asuntos : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'C.P. LAS ACACIAS')");
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'RESIDENCIAL LOS ALMENDROS')");
    }
    // A matter entered at `fechar` ("MM/dd/yyyy HH:mm").
    void Asunto(const QString& fechar, const QString& ampliada, int comunidad)
    {
        Sql(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, FECHAR, FECHAP, ASUNTO, AMPLIADA, COMUNIDAD) "
                           "VALUES (0, '%1', '12/01/2031', '', '%2', %3)")
                .arg(fechar, ampliada)
                .arg(comunidad));
    }
    // What the list shows in a cell.
    static QString Celda(const TFAsuntos& a, int fila, int columna)
    {
        return a.DBGAsuntos->Modelo()->index(fila, columna).data().toString();
    }
};

TEST_F(Asuntos, ANewMatterTakesNowAndTheCurrentCommunityAndTheCodeTheDatabaseGives)
{
    Asunto("01/10/2030 09:00", "anterior", 1);
    Entorno.Comunidad = 2;
    TFAsuntos a;
    Activa(&a);
    Modales modales;
    modales.Espera([](QWidget* w) {
        auto* d = qobject_cast<TFAsuntos2*>(w);
        ASSERT_NE(d, nullptr) << w->windowTitle().toStdString();
        EXPECT_EQ(d->windowTitle(), "Asuntos a tratar en juntas");
        Activa(d);
        // Before anything is typed.
        EXPECT_TRUE(d->DBEFechaR->text().startsWith(FormatoFecha(QDate::currentDate()))) << d->DBEFechaR->text().toStdString();
        EXPECT_EQ(d->DBEComunidad->text(), "2");
        EXPECT_EQ(d->DBTNombre->text(), "RESIDENCIAL LOS ALMENDROS");
        d->DBEFechaP->setFocus();
        qdtest::Escribe("15/06/2031");
        d->DBMAmpliada->setFocus();
        qdtest::Escribe("Humedades en el garaje");
        qdtest::Captura("asuntos-dialogo", d);
        qdtest::Pulsa(d, "Aceptar");
    });
    a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbInsert);
    TFIBTableSet& q = a.DM()->QAsuntos;
    EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
    const int codigo = Sql("SELECT CODIGO FROM ASUNTOS WHERE AMPLIADA = 'Humedades en el garaje'").toInt();
    EXPECT_GT(codigo, 1);
    EXPECT_EQ(q.FieldByName("CODIGO")->AsInteger(), codigo) << "the new matter is read back with its code";
    EXPECT_EQ(Sql("SELECT COMUNIDAD FROM ASUNTOS WHERE CODIGO = " + QString::number(codigo)).toInt(), 2);
    EXPECT_EQ(Sql("SELECT FECHAP FROM ASUNTOS WHERE CODIGO = " + QString::number(codigo)).toDateTime().date(),
              QDate(2031, 6, 15));
    const QDateTime registro = Sql("SELECT FECHAR FROM ASUNTOS WHERE CODIGO = " + QString::number(codigo)).toDateTime();
    EXPECT_LT(std::abs(registro.secsTo(QDateTime::currentDateTime())), 120);

    // Edited at once, the new matter is the one changed.
    modales.Espera([](QWidget* w) {
        auto* d = qobject_cast<TFAsuntos2*>(w);
        ASSERT_NE(d, nullptr);
        Activa(d);
        d->DBMAmpliada->setFocus();
        d->DBMAmpliada->moveCursor(QTextCursor::End);
        qdtest::Escribe(" y en el trastero");
        qdtest::Pulsa(d, "Aceptar");
    });
    a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbEdit);
    EXPECT_EQ(Sql("SELECT AMPLIADA FROM ASUNTOS WHERE CODIGO = " + QString::number(codigo)).toString(),
              "Humedades en el garaje y en el trastero");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ASUNTOS").toInt(), 2);
}

TEST_F(Asuntos, EveryCommunitysMattersAreListedNewestFirstWithTheCommunitysName)
{
    Asunto("01/10/2030 09:00", "primero", 1);
    Asunto("03/05/2030 12:00", "tercero", 9); // a community that no longer exists
    Asunto("02/20/2030 10:00", "segundo", 2);
    Entorno.Comunidad = 1;
    TFAsuntos a;
    Activa(&a);
    qdtest::Captura("asuntos", &a);
    const QStringList titulos{"Fecha Registro", "Fecha junta", "Comunidad", "Nombre comunidad"};
    for (int c = 0; c < titulos.size(); ++c)
        EXPECT_EQ(a.DBGAsuntos->Modelo()->headerData(c, Qt::Horizontal).toString(), titulos[c]);
    struct Fila {
        const char* fecha;
        const char* comunidad;
        const char* nombre;
    };
    const Fila filas[] = {{"05/03/2030 12:00", "9", ""},
                          {"20/02/2030 10:00", "2", "RESIDENCIAL LOS ALMENDROS"},
                          {"10/01/2030 09:00", "1", "C.P. LAS ACACIAS"}};
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(Celda(a, f, 0), filas[f].fecha) << f;
        EXPECT_EQ(Celda(a, f, 2), filas[f].comunidad) << f;
        EXPECT_EQ(Celda(a, f, 3), filas[f].nombre) << f;
    }
    EXPECT_EQ(a.DBMAmpliada->toPlainText(), "tercero");
    // The registration date's title sorts, oldest first on the first click.
    a.DBGAsuntos->PulsaTitulo(0);
    EXPECT_EQ(Celda(a, 0, 0), "10/01/2030 09:00");
    EXPECT_EQ(a.DBMAmpliada->toPlainText(), "primero");
}

TEST_F(Asuntos, CancelDropsTheChangeAndClosingWithAMatterInEditAsksToSaveIt)
{
    Asunto("01/10/2030 09:00", "primero", 1);
    TFAsuntos a;
    Activa(&a);
    TFIBTableSet& q = a.DM()->QAsuntos;
    Modales modales;
    // The matter's dialog, opened by Edit: community 2 typed, then `fin`.
    auto edita = [&](std::function<void(TFAsuntos2*)> fin) {
        modales.Espera([fin](QWidget* w) {
            auto* d = qobject_cast<TFAsuntos2*>(w);
            ASSERT_NE(d, nullptr);
            Activa(d);
            d->DBEComunidad->setFocus();
            d->DBEComunidad->selectAll();
            qdtest::Escribe("2");
            qdtest::Teclea(Qt::Key_Tab);
            fin(d);
        });
        a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbEdit);
    };
    // The community typed: its name follows; "&Cancelar" drops it.
    edita([](TFAsuntos2* d) {
        EXPECT_EQ(d->DBTNombre->text(), "RESIDENCIAL LOS ALMENDROS");
        qdtest::Pulsa(d, "Cancelar");
    });
    EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(q.FieldByName("COMUNIDAD")->AsInteger(), 1);
    EXPECT_EQ(Sql("SELECT COMUNIDAD FROM ASUNTOS").toInt(), 1);

    // Closed with its window button: the matter is still being edited, the
    // list asks before it goes; "Cancelar" keeps it open, for its navigator.
    auto editaYCierra = [&] {
        edita([](TFAsuntos2* d) { d->close(); });
        EXPECT_EQ(q.State(), TDataSetState::dsEdit);
        Activa(&a);
    };
    auto responde = [&](const char* respuesta) {
        modales.Espera([respuesta](QWidget* w) {
            EXPECT_TRUE(qdtest::Textos(w).contains("El registro está en edición. ¿Desea grabarlo?"));
            qdtest::Pulsa(w, QString::fromUtf8(respuesta));
        });
    };
    editaYCierra();
    responde("Cancelar");
    QTest::keyClick(a.DBGAsuntos, Qt::Key_Escape);
    EXPECT_TRUE(a.isVisible());
    ASSERT_TRUE(a.HYMNavigator1->Boton(TNavigateBtn::nbPost)->isEnabled());
    a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbPost);
    EXPECT_EQ(Sql("SELECT COMUNIDAD FROM ASUNTOS").toInt(), 2);
    // "No" drops the change and the screen goes; "Sí" saves it first.
    Sql("UPDATE ASUNTOS SET COMUNIDAD = 1");
    a.DM()->QAsuntos.Refresh();
    editaYCierra();
    responde("No");
    a.close();
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(Sql("SELECT COMUNIDAD FROM ASUNTOS").toInt(), 1);
    Activa(&a);
    editaYCierra();
    responde("Sí");
    QTest::keyClick(a.DBGAsuntos, Qt::Key_Escape);
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(Sql("SELECT COMUNIDAD FROM ASUNTOS").toInt(), 2);
}

TEST_F(Asuntos, DeletingAMatterAsksAndCommitsAtOnce)
{
    Asunto("01/10/2030 09:00", "primero", 1);
    Asunto("02/20/2030 10:00", "segundo", 2);
    TFAsuntos a;
    Activa(&a);
    Modales modales;
    auto responde = [&](QMessageBox::StandardButton boton) {
        modales.Espera([boton](QWidget* w) {
            auto* caja = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(caja, nullptr);
            EXPECT_EQ(caja->text(), " ¿ Borra el registro ? ");
            caja->button(boton)->click();
        });
    };
    responde(QMessageBox::Cancel);
    a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbDelete);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ASUNTOS").toInt(), 2);
    responde(QMessageBox::Ok);
    a.HYMNavigator1->EjecutarBoton(TNavigateBtn::nbDelete);
    // Read on the program's own connection: committed while the screen is open.
    EXPECT_EQ(Sql("SELECT AMPLIADA FROM ASUNTOS").toString(), "primero");
    EXPECT_EQ(a.DM()->QAsuntos.RecordCount(), 1);
}

TEST_F(Asuntos, ItsCommandIsInTheGestionMenu)
{
    RegistraOrdenesAsuntos();
    const TOrden* orden = OrdenRegistrada("AsuntosJuntas");
    ASSERT_NE(orden, nullptr);
    EXPECT_EQ(orden->Menu, TMenuOrden::Gestion);
    EXPECT_EQ(orden->Posicion, 50);
    EXPECT_EQ(orden->Titulo, "Asuntos a tratar en juntas");
    qdtest::AlAbrirse([](QWidget* w) {
        EXPECT_NE(qobject_cast<TFAsuntos*>(w), nullptr);
        static_cast<QDialog*>(w)->reject();
    });
    orden->Abre(nullptr);
}

} // namespace
