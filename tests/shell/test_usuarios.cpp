// The users screen driven with keys against a fresh program database, and the
// mail preparation window with the mail program replaced by a recorder.
#include "Capturas.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UFUsuario.h"
#include "UFWeb.h"
#include "UFormGest.h"
#include "UOrdenes.h"

#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTest>

namespace {

using qdtest::Modales;
using qdtest::Pulsa;

using qdtest::Activa;
using qdtest::Escribe;
using qdtest::Teclea;

class Usuarios : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Sql("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (5, 'PEPE', 'abc')");
        p = new TFUsuario;
        Activa(p);
    }
    void TearDown() override
    {
        delete p.data();
        ProgramaAbierto::TearDown();
    }
    TFIBTableSet& Tabla() const { return p->DM()->QUsuario; }
    bool NuevasVisibles() const { return p->ENuevaClave->isVisibleTo(p) && p->ERepitaClave->isVisibleTo(p); }
    void EsperaVacias() const
    {
        for (QLineEdit* e : {p->EClaveActual, p->ENuevaClave, p->ERepitaClave})
            EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
        EXPECT_FALSE(p->ENuevaClave->isVisibleTo(p));
        EXPECT_FALSE(p->ERepitaClave->isVisibleTo(p));
    }
    void Guarda(const QString& nombre) const { qdtest::Captura(nombre, p); }
    QPointer<TFUsuario> p;
};

TEST_F(Usuarios, PasswordChangesOnlyWithTheCurrentPasswordAndTheSameNewTextTwice)
{
    const struct {
        const char* actual;
        const char* nueva;
        const char* repite;
        const char* guardada;
        bool difieren = false;
    } casos[] = {
        {"abc", "xyz", "xyz", "xyz"},
        {"abd", "", "", "abc"},             // wrong current password: the new fields never show
        {"ABC", "", "", "abc"},             // letter case counts
        {"abc", "xyz", "xzy", "abc", true}, // the repeat differs: said, and the record stays in edit
        {"abc", "", "", "abc"},             // new fields left empty keep the password
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.actual + std::string("/") + c.nueva + "/" + c.repite);
        Sql("UPDATE SYS_USUARIO SET CLAVE = 'abc' WHERE CODIGO = 5");
        ASSERT_TRUE(Tabla().Locate("CODIGO", {5}));
        Teclea(Qt::Key_E, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget(), p->EClaveActual);
        EXPECT_FALSE(NuevasVisibles());
        Escribe(c.actual);
        Teclea(Qt::Key_Tab);
        const bool confirmada = QString(c.actual) == "abc";
        EXPECT_EQ(NuevasVisibles(), confirmada);
        if (confirmada) {
            EXPECT_EQ(QApplication::focusWidget(), p->ENuevaClave);
            Escribe(c.nueva);
            Teclea(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), p->ERepitaClave);
            Escribe(c.repite);
        }
        Modales modales;
        if (c.difieren)
            modales.Espera([](QWidget* w) {
                EXPECT_EQ(qdtest::Textos(w), "La nueva clave y su repetición no coinciden: escríbalas de nuevo.");
                Pulsa(w, "Aceptar");
            });
        Teclea(Qt::Key_G, Qt::ControlModifier);
        EXPECT_EQ(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 5").toString(), c.guardada);
        if (c.difieren) {
            EXPECT_EQ(Tabla().State(), TDataSetState::dsEdit);
            p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
            Activa(p); // the message took the activation with it
        }
        EXPECT_EQ(Tabla().State(), TDataSetState::dsBrowse);
        EsperaVacias();
    }
    // The name of an existing user is not edited; no other row changed.
    EXPECT_EQ(Sql("SELECT NOMBRE FROM SYS_USUARIO WHERE CODIGO = 5").toString(), "PEPE");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_USUARIO").toInt(), 2);
}

TEST_F(Usuarios, NeitherUserOneNorTheUserLoggedInCanBeDeleted)
{
    Entorno.Usuario = 5;
    const struct {
        int codigo;
        const char* mensaje;
    } casos[] = {{1, "No se puede borrar el usuario 1: es el único con los derechos de administrador."},
                 {5, "No se puede borrar el usuario con el que ha entrado en el programa."}};
    for (const auto& c : casos) {
        Activa(p); // a message takes the activation with it
        ASSERT_TRUE(Tabla().Locate("CODIGO", {c.codigo}));
        Modales modales;
        modales.Espera([](QWidget* w) { Pulsa(w, "Aceptar"); }); // " ¿ Borra el registro ? "
        modales.Espera([&](QWidget* w) {
            EXPECT_EQ(qdtest::Textos(w), c.mensaje);
            Pulsa(w, "Aceptar");
        });
        Teclea(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM SYS_USUARIO WHERE CODIGO = %1").arg(c.codigo)).toInt(), 1);
    }
}

TEST_F(Usuarios, NewUserGetsTheDatabasesCodeShownAfterPostingAndNamesAreUnique)
{
    Sql("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (7, 'SIETE', '')");
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), p->DBENombre);
    Escribe("LUIS");
    Teclea(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), p->EClaveActual);
    Escribe("pw1");
    Teclea(Qt::Key_Tab);
    EXPECT_FALSE(NuevasVisibles()) << "a new user's password is typed once";
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_USUARIO WHERE NOMBRE = 'LUIS'").toInt(), 8);
    EXPECT_EQ(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE NOMBRE = 'LUIS'").toString(), "pw1");
    EXPECT_EQ(Tabla().FieldByName("CODIGO")->AsInteger(), 8) << "the new user is shown with its code";
    EXPECT_EQ(p->DBENombre->text(), "LUIS");
    EsperaVacias();
    // The shown row is the stored one: editing it reaches the database row.
    Teclea(Qt::Key_E, Qt::ControlModifier);
    Escribe("pw1");
    Teclea(Qt::Key_Tab);
    Escribe("pw2");
    Teclea(Qt::Key_Tab);
    Escribe("pw2");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 8").toString(), "pw2");

    // A second user with the same name could not be told apart when its code
    // is read back: refused, and the row stays being inserted.
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    Escribe("LUIS");
    Modales modales;
    QString visto;
    modales.Espera([&](QWidget* w) {
        visto = qdtest::Textos(w);
        Pulsa(w, "Aceptar");
    });
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(visto.contains("Ya existe un usuario con el nombre LUIS.")) << visto.toStdString();
    EXPECT_EQ(Tabla().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_USUARIO WHERE NOMBRE = 'LUIS'").toInt(), 1);
    p->HYMNavigator1->EjecutarBoton(TNavigateBtn::nbCancel);
}

TEST_F(Usuarios, CancelEmptiesAndHidesThePasswordFieldsAndDeleteIsCommitted)
{
    ASSERT_TRUE(Tabla().Locate("CODIGO", {5}));
    Teclea(Qt::Key_E, Qt::ControlModifier);
    Escribe("abc");
    Teclea(Qt::Key_Tab);
    Escribe("nueva");
    ASSERT_TRUE(NuevasVisibles());
    Guarda("usuarios-ficha");
    Teclea(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Tabla().State(), TDataSetState::dsBrowse);
    EsperaVacias();
    EXPECT_EQ(Sql("SELECT CLAVE FROM SYS_USUARIO WHERE CODIGO = 5").toString(), "abc");

    Modales modales;
    modales.Espera([](QWidget* w) { Pulsa(w, "Aceptar"); });
    Teclea(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(Sql("SELECT NOMBRE FROM SYS_USUARIO WHERE CODIGO = 5").isNull()) << "seen by another transaction";
}

TEST_F(Usuarios, UsuariosCommandOpensTheScreenWhoseSearchAndGridShowCodeAndName)
{
    delete p.data();
    RegistraOrdenesUsuarios();
    ASSERT_TRUE(OrdenRegistrada("Usuarios"));
    OrdenRegistrada("Usuarios")->Abre(nullptr);
    p = static_cast<TFUsuario*>(VentanaAbierta("TFUsuario"));
    ASSERT_TRUE(p);
    Activa(p);
    EXPECT_EQ(p->windowTitle(), "Mantenimiento de usuarios");
    EXPECT_EQ(p->NumeroFormulario(), 112);
    const QAbstractItemModel* m = p->HYTDBGrid1->Modelo();
    ASSERT_EQ(m->columnCount(), 2) << "the password is never listed";
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Código");
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Nombre");

    const struct {
        const char* texto;
        QStringList nombres;
    } busquedas[] = {{"pe", {"PEPE"}}, {"1", {"ADMINISTRADOR"}}, {"5", {"PEPE"}}};
    for (const auto& b : busquedas) {
        p->EBusca->setFocus();
        p->EBusca->clear();
        Escribe(b.texto);
        Teclea(Qt::Key_Return);
        QStringList nombres;
        for (Tabla().First(); !Tabla().Eof(); Tabla().Next())
            nombres << Tabla().FieldByName("NOMBRE")->AsString();
        nombres.sort();
        EXPECT_EQ(nombres, b.nombres) << b.texto;
    }
    p->PCMain->setCurrentWidget(p->TSTabla);
    Guarda("usuarios-tabla");
}

// ------------------------------------------------------------------ TFWeb --

class Correo : public ::testing::Test {
protected:
    void SetUp() override
    {
        Entorno = TREntorno{};
        Entorno.CaminoPrograma = carpeta.path();
        Entorno.NombreComunidad = QStringLiteral("Comunidad Sol & Mar");
        QGuiApplication::clipboard()->setText(QStringLiteral("antes"));
    }
    void Pagina(const QByteArray& html)
    {
        QFile f(carpeta.path() + "/tmp.htm");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html);
    }
    // A window whose mail program records what it was handed.
    TFWeb* Abre(bool abreBien = true)
    {
        auto* w = new TFWeb(QStringLiteral("a@x.es; b@y.es"));
        w->AbreCorreo = [this, abreBien](const QUrl& url) {
            abiertas << QString::fromLatin1(url.toEncoded());
            return abreBien;
        };
        return w;
    }
    QTemporaryDir carpeta;
    QStringList abiertas;
};

TEST_F(Correo, NewMessageAddressJoinsTheRecipientsAsBlindCopiesAndEncodesTheSubject)
{
    const struct {
        const char* destinatarios;
        const char* asunto;
        const char* url;
    } casos[] = {
        {"a@x.es; b@y.es", "Comunidad Sol", "mailto:?bcc=a@x.es,b@y.es&subject=Comunidad%20Sol"},
        {" a@x.es ;; ", "A&B?=#%", "mailto:?bcc=a@x.es&subject=A%26B%3F%3D%23%25"},
        {"o'brien+x@y.es;z@w.es", "Peñas", "mailto:?bcc=o%27brien%2Bx@y.es,z@w.es&subject=Pe%C3%B1as"},
        {"", "X", "mailto:?subject=X"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(QString::fromLatin1(TFWeb::UrlCorreo(QString::fromUtf8(c.destinatarios), QString::fromUtf8(c.asunto))
                                          .toEncoded()),
                  c.url)
            << c.destinatarios;
}

TEST_F(Correo, OpensTheComposerOnceAndPutsThePageOnTheClipboard)
{
    Pagina("<html><head><meta charset=\"utf-8\"></head><body><p><b>Junta</b> de Pe\xc3\xb1" "as</p></body></html>");
    QPointer<TFWeb> w = Abre();
    EXPECT_EQ(w->windowTitle(), "Preparando correo ...");
    Activa(w);
    EXPECT_EQ(abiertas, QStringList{"mailto:?bcc=a@x.es,b@y.es&subject=Comunidad%20Sol%20%26%20Mar"});
    EXPECT_EQ(QApplication::focusWidget(), w->BtCerrar);
    EXPECT_TRUE(w->WBMain->toPlainText().contains("Junta de Peñas")) << "the page is shown";
    EXPECT_FALSE(w->LbFin->isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "antes");

    QTRY_VERIFY_WITH_TIMEOUT(w->LbFin->isVisible(), 5000);
    EXPECT_EQ(w->LbFin->text(), "Correo finalizado");
    EXPECT_TRUE(w->LbPegar->isVisible());
    EXPECT_TRUE(w->LbPegar->text().contains("portapapeles"));
    const QMimeData* datos = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(datos && datos->hasHtml());
    EXPECT_TRUE(datos->html().contains("<b>Junta</b> de Peñas")) << datos->html().toStdString();
    EXPECT_TRUE(datos->text().contains("Junta de Peñas")) << datos->text().toStdString();

    // Activated again: no second message.
    QWidget otra;
    Activa(&otra);
    Activa(w);
    EXPECT_EQ(abiertas.size(), 1);
    QTest::mouseClick(w->BtCerrar, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w) << "freed when closed";
}

TEST_F(Correo, MissingPageAndMissingMailProgramAreToldAndTheClipboardKept)
{
    Modales modales;
    QStringList vistos;
    for (int i = 0; i < 2; ++i)
        modales.Espera([&](QWidget* w) {
            vistos << qdtest::Textos(w);
            Pulsa(w, "Aceptar");
        });
    QPointer<TFWeb> w = Abre(false);
    // Activated, without waiting: the message takes the activation.
    w->show();
    QApplication::setActiveWindow(w);
    QTRY_COMPARE_WITH_TIMEOUT(vistos.size(), 2, 5000);
    EXPECT_TRUE(vistos[0].contains("No se puede abrir el programa de correo")) << vistos[0].toStdString();
    EXPECT_TRUE(vistos[1].contains("tmp.htm")) << vistos[1].toStdString();
    EXPECT_FALSE(w->LbFin->isVisible());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "antes");
    delete w.data();
}

} // namespace
