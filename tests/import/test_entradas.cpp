// Where the program opens the import: the communities screen's button and
// the start-up after the login.
#include "Ficheros.h"
#include "Capturas.h"
#include "UFPropietarios.h"
#include "Modales.h"
#include "Taldemar.h"
#include "Teclado.h"
#include "UFBuscaEmp.h"
#include "UFComunidad.h"
#include "UFMain.h"
#include "UOrdenes.h"
#include "URegistro.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

using qdtest::Modales;

class Entradas : public qdtest::TaldemarAbierto {
protected:
    static void Guarda(const QString& nombre, QWidget* w) { qdtest::Captura(nombre, w); }
    static QStringList Codigos(TFIBDataSet& t)
    {
        QStringList l;
        for (t.First(); !t.Eof(); t.Next())
            l << t.FieldByName("CODIGO")->AsString();
        return l;
    }
};

TEST_F(Entradas, OwnersScreenButtonImportsTheCommunitysRegisterAndReadsTheListAgain)
{
    Entorno.Comunidad = 1;
    QPointer<TFPropietarios> w = new TFPropietarios;
    qdtest::Activa(w);
    TFIBTableSet& lista = w->DM()->QPropietario;
    lista.Last();
    const int antes = lista.RecordCount();
    EXPECT_EQ(w->TbImporta->toolTip(), "Importar/Actualizar Propietarios, Fincas desde Taldemar");
    Modales modales;
    modales.Espera([&](QWidget* m) {
        auto* f = qobject_cast<TFImporta*>(m);
        ASSERT_NE(f, nullptr);
        if (!QTest::qWaitFor([f] { return f->BtImporta->isEnabled(); })) {
            ADD_FAILURE() << "the button never became available";
            f->close();
            return;
        }
        f->BtImporta->click();
    });
    // The shop sold in the accounts: the seller's rows marked inactive, said.
    QString dicho;
    modales.Espera([&](QWidget* m) {
        dicho = qdtest::Textos(m);
        qdtest::Pulsa(m, "Aceptar");
    });
    w->TbImporta->click();
    EXPECT_TRUE(dicho.contains("- LOCAL 1 (propietario ")) << dicho.toStdString();
    ASSERT_TRUE(lista.Active());
    lista.Last();
    EXPECT_EQ(lista.RecordCount(), antes + 1) << "the buyer of the shop is listed";
    delete w.data();
}

TEST_F(Entradas, CommunitiesScreenButtonImportsAndReopensTheList)
{
    QPointer<TFComunidad> w = new TFComunidad;
    qdtest::Activa(w);
    TFIBTableSet& lista = w->DM()->QComunidad;
    ASSERT_EQ(Codigos(lista), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(w->TbImporta->toolTip(), "Importar comunidades desde Taldemar");
    qdtest::Captura("comunidades", w);

    // A record being typed is not thrown away by the import: the button is
    // locked while editing.
    qdtest::Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_FALSE(w->TbImporta->isEnabled());
    w->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
    ASSERT_TRUE(w->TbImporta->isEnabled());

    QString titulo, estado;
    bool listaCerrada = false;
    qdtest::AlAbrirse([&](QWidget* m) {
        auto* f = qobject_cast<TFImporta*>(m);
        ASSERT_NE(f, nullptr);
        // Offered once connected.
        if (!QTest::qWaitFor([f] { return f->BtImporta->isEnabled(); })) {
            ADD_FAILURE() << "the button never became available";
            f->close();
            return;
        }
        titulo = f->windowTitle();
        estado = f->LbEstado->text();
        listaCerrada = !lista.Active();
        Guarda("importar-comunidades", f);
        f->BtImporta->click();
    });
    w->TbImporta->click();
    EXPECT_EQ(titulo, "Importación/Actualización comunidades desde Taldemar");
    EXPECT_EQ(estado, "Conectado a Taldemar");
    EXPECT_TRUE(listaCerrada);
    ASSERT_TRUE(lista.Active());
    EXPECT_EQ(Codigos(lista), (QStringList{"1", "2", "3", "4", "5"}));
    w->PCMain->setCurrentWidget(w->TSTabla);
    Guarda("comunidades-importadas", w);
    delete w.data();
}

TEST_F(Entradas, StartUpImportsAfterTheLoginAndBeforeTheCommunitySelection)
{
    qdtest::EscribeFichero(programa.path() + "/usuario2.cfg", "");
    qdtest::EscribeFichero(programa.path() + "/CFGACT.CFG", ""); // no version check
    RegistraOrdenesRegistro();
    TFMain principal;
    QStringList ofrecidas;
    qdtest::AlAbrirse([&](QWidget* m) {
        auto* d = qobject_cast<TFBuscaEmp*>(m);
        ASSERT_NE(d, nullptr);
        ofrecidas = Codigos(d->FIBEmpresas);
        d->reject();
    });
    ASSERT_TRUE(principal.PasosInicio());
    EXPECT_EQ(Entorno.EnlaceContable, 1);
    EXPECT_EQ(ofrecidas, (QStringList{"1", "2", "3", "4", "5"}));
}

} // namespace
