// The text templates screen and the template chooser, driven with keys and
// clicks against a fresh program database; the word processor is the stub of
// tests/forms/procesador.
#include "Capturas.h"
#include "DbComboBoxValue.h"
#include "Ficheros.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "Teclado.h"
#include "UDBControles.h"
#include "UDocumentos.h"
#include "UFMain.h"
#include "UFSTexto.h"
#include "UFTexto.h"
#include "UFormGest.h"
#include "UHYDBGrid.h"
#include "UOrdenes.h"
#include "UPerfil.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

namespace {

using qdtest::EscribeFichero;
using qdtest::LeeFichero;
using qdtest::Teclea;

class Textos : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        TIniFile(FicheroPerfil("quorumdesk.ini"))
            .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
        QFile::remove(programa.path() + "/OPPENOFFICEPATH.CFG");
    }
    void TearDown() override
    {
        qunsetenv("QD_PROCESADOR");
        ProgramaAbierto::TearDown();
    }
    void Plantilla(int codigo, const char* nombre, int tipo, const QByteArray& texto = {})
    {
        dm->QGen.SetSQL("INSERT INTO SYS_TEXTOS (CODIGO, NOMBRE, IDIOMA, TEXTO) VALUES (?C, ?N, ?I, ?T)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("N")->SetAsString(QString::fromUtf8(nombre));
        dm->QGen.ParamByName("I")->SetAsInteger(tipo);
        if (texto.isEmpty())
            dm->QGen.ParamByName("T")->SetNull();
        else
            dm->QGen.ParamByName("T")->SetAsBytes(texto);
        dm->QGen.ExecQuery();
        dm->TGenerica.CommitRetaining();
    }
    QByteArray Documento(int codigo)
    {
        dm->QGen.SetSQL(QStringLiteral("SELECT TEXTO FROM SYS_TEXTOS WHERE CODIGO = %1").arg(codigo));
        dm->QGen.ExecQuery();
        const QByteArray b = dm->QGen.Fields(0)->AsBytes();
        dm->QGen.Close();
        dm->TGenerica.CommitRetaining();
        return b;
    }
    QString Fichero(const char* nombre) const { return programa.path() + "/" + nombre; }
    void Guarda(const QString& nombre, QWidget* w) { qdtest::Captura(nombre, w); }
};

struct Pantalla {
    QPointer<TFTexto> w = new TFTexto;
    Pantalla() { qdtest::Activa(w); }
    ~Pantalla() { delete w.data(); }
    TFTexto* operator->() const { return w.data(); }
    TFIBTableSet& Tabla() const { return w->DM()->QTabla; }
};

TEST_F(Textos, NewTemplatesAreNumberedAndStartAsLetters)
{
    Pantalla p;
    EXPECT_EQ(p->windowTitle(), "Editor de textos");
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), p->DBENombre) << "adding starts in the name";
    EXPECT_EQ(p->DBECodigo->text(), "Alta");
    EXPECT_EQ(p->DBCTipo->currentText(), "1-Convocatoria");
    QTest::keyClicks(p->DBENombre, "CONVOCATORIA ORDINARIA");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_TEXTOS WHERE NOMBRE = 'CONVOCATORIA ORDINARIA'").toInt(), 1);
    EXPECT_EQ(Sql("SELECT IDIOMA FROM SYS_TEXTOS WHERE CODIGO = 1").toInt(), 1);

    Plantilla(7, "CONVOCATORIA EXTRAORDINARIA", 1);
    p.Tabla().Close();
    p.Tabla().Open();
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClicks(p->DBENombre, "ACTA GENERAL");
    p->DBCTipo->setFocus();
    QTest::keyClick(p->DBCTipo, Qt::Key_Down);
    EXPECT_EQ(p->DBCTipo->currentText(), "2-Acta");
    Teclea(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Sql("SELECT CODIGO FROM SYS_TEXTOS WHERE NOMBRE = 'ACTA GENERAL'").toInt(), 8);
    EXPECT_EQ(Sql("SELECT IDIOMA FROM SYS_TEXTOS WHERE CODIGO = 8").toInt(), 2);
    EXPECT_FALSE(p->DBECodigo->isEnabled() && !p->DBECodigo->ReadOnly()) << "the code is never typed";
    Guarda("textos-ficha", p.w);
    // The list as it opens: by code.
    p.Tabla().Close();
    p.Tabla().Open();
    p->PCMain->setCurrentWidget(p->TSTabla);
    EXPECT_EQ(p->HYTDBGrid1->Modelo()->rowCount(), 3);
    Guarda("textos-tabla", p.w);

    // The quick search by name or code.
    p->EBusca->setFocus();
    QTest::keyClicks(p->EBusca, "ACTA");
    Teclea(Qt::Key_Return);
    EXPECT_EQ(p.Tabla().RecordCount(), 1);
    EXPECT_EQ(p.Tabla().FieldByName("CODIGO")->AsInteger(), 8);
}

TEST_F(Textos, WithoutTemplatesTheWordProcessorButtonsSaySo)
{
    Pantalla p;
    for (QToolButton* boton : {p->TbWord, p->TbOpenOffice}) {
        qdtest::Modales m;
        QString texto;
        m.Espera([&](QWidget* w) {
            texto = qdtest::Textos(w);
            qdtest::Pulsa(w, "Aceptar");
        });
        QTest::mouseClick(boton, Qt::LeftButton);
        EXPECT_TRUE(texto.contains("No hay ningún texto que confeccionar")) << texto.toStdString();
    }
}

TEST_F(Textos, ATemplateWithoutDocumentOpensAsTheFieldSheetForEitherKind)
{
    Plantilla(1, "CARTA", 1);
    Plantilla(2, "ACTA", 2);
    const struct {
        int codigo;
        TProcesadorTextos procesador;
    } casos[] = {{1, TProcesadorTextos::Word}, {2, TProcesadorTextos::OpenOffice}};
    EscribeFichero(Fichero("OPPENOFFICEPATH.CFG"),
                   qEnvironmentVariable("QD_SOURCE_DIR").toUtf8() + "/tests/forms/procesador\n");
    const QString antes = QDir::currentPath();
    QDir::setCurrent(programa.path());
    struct Vuelve {
        QString carpeta;
        ~Vuelve() { QDir::setCurrent(carpeta); }
    } vuelve{antes};
    Pantalla p;
    qputenv("QD_PROCESADOR", "edita");
    for (const auto& c : casos) {
        SCOPED_TRACE(c.codigo);
        ASSERT_TRUE(p.Tabla().Locate("CODIGO", {c.codigo}));
        if (c.procesador == TProcesadorTextos::Word)
            QTest::mouseClick(p->TbWord, Qt::LeftButton);
        else
            QTest::mouseClick(p->TbOpenOffice, Qt::LeftButton);
        const QByteArray guardado = Documento(c.codigo);
        EXPECT_TRUE(guardado.contains("\\par CAMPOS DISPONIBLES")) << guardado.toStdString();
        EXPECT_TRUE(guardado.endsWith("\\par Editado en el procesador}"));
        EXPECT_FALSE(QFile::exists(Fichero("tmp.rtf"))) << "the working file goes once stored";
        EXPECT_TRUE(p->isVisible());
    }
}

TEST_F(Textos, ATemplateBeingTypedIsSavedFirstAndThenEdited)
{
    Pantalla p;
    Teclea(Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClicks(p->DBENombre, "CARTA NUEVA");
    ASSERT_TRUE(p->TbWord->isEnabled()) << "usable while the template is typed";
    qputenv("QD_PROCESADOR", "edita");
    QTest::mouseClick(p->TbWord, Qt::LeftButton);
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsBrowse);
    const int codigo = Sql("SELECT CODIGO FROM SYS_TEXTOS WHERE NOMBRE = 'CARTA NUEVA'").toInt();
    ASSERT_GT(codigo, 0);
    EXPECT_TRUE(Documento(codigo).endsWith("\\par Editado en el procesador}"));
}

TEST_F(Textos, AnUntouchedDocumentIsStoredBackAndABrokenOneNever)
{
    const QByteArray carta = "{\\rtf1\\ansi Estimado propietario: [Lugar]\\par }";
    Plantilla(1, "CARTA", 1, carta);
    Pantalla p;
    qputenv("QD_PROCESADOR", "sin-guardar");
    QTest::mouseClick(p->TbWord, Qt::LeftButton);
    EXPECT_EQ(Documento(1), carta);
    EXPECT_EQ(LeeFichero(Fichero("tmptmp.rtf")), carta) << "the intermediate copy stays";

    qputenv("QD_PROCESADOR", "falla");
    QString visto;
    qdtest::AlAbrirse([&](QWidget* w) {
        visto = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    QTest::mouseClick(p->TbWord, Qt::LeftButton);
    EXPECT_TRUE(visto.contains("Se conserva el documento guardado")) << visto.toStdString();
    EXPECT_EQ(Documento(1), carta);
    EXPECT_EQ(LeeFichero(Fichero("tmp.rtf")), "{\\rtf1 a medias") << "what the user wrote is not thrown away";
    EXPECT_EQ(p.Tabla().State(), TDataSetState::dsBrowse);
}

TEST_F(Textos, TheCommandOpensTheEditorWithoutAWindowsEntry)
{
    RegistraOrdenesDocumentos();
    const TOrden* orden = OrdenRegistrada("EditorTexto");
    ASSERT_NE(orden, nullptr);
    EXPECT_EQ(orden->Menu, TMenuOrden::Textos);
    EXPECT_EQ(orden->Posicion, 10);
    EXPECT_EQ(orden->Titulo, "Editor texto");
    TFMain principal;
    QAction* accion = principal.OrdenPantalla("EditorTexto");
    ASSERT_NE(accion, nullptr);
    accion->trigger();
    QPointer<QWidget> editor = VentanaAbierta("TFTexto");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->windowTitle(), "Editor de textos");
    EXPECT_EQ(VentanasAbiertas(), 0);
    accion->trigger();
    EXPECT_EQ(VentanaAbierta("TFTexto"), editor.data()) << "one editor at a time";
    delete editor.data();
}

TEST_F(Textos, TheChooserOffersOneKindAndWritesTheChosenDocument)
{
    const QByteArray acta = "{\\rtf1 ACTA}";
    Plantilla(1, "CARTA VACIA", 1);
    Plantilla(2, "ACTA ORDINARIA", 2, acta);
    Plantilla(3, "ACTA EXTRAORDINARIA", 2, "{\\rtf1 OTRA}");
    const QString tmp1 = Fichero("tmp1.rtf");
    auto elige = [&](int tipo, const std::function<void(TFSTexto&)>& actua) {
        EscribeFichero(tmp1, "de antes");
        TFSTexto d(tipo);
        EXPECT_EQ(d.windowTitle(), "Seleccione un texto tipo");
        EXPECT_FALSE(QFile::exists(tmp1)) << "an earlier choice is no choice";
        qdtest::Activa(&d);
        d.Rejilla->setFocus();
        actua(d);
    };
    elige(2, [&](TFSTexto& d) {
        EXPECT_EQ(d.QTextos.RecordCount(), 2);
        Guarda("seleccion-texto", &d);
        QTest::keyClick(d.Rejilla, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(LeeFichero(tmp1), acta);
    });
    elige(2, [&](TFSTexto& d) {
        QTest::keyClick(d.Rejilla, Qt::Key_Escape);
        EXPECT_FALSE(QFile::exists(tmp1));
    });
    // A template never edited has no document to start from.
    elige(1, [&](TFSTexto& d) {
        EXPECT_EQ(d.QTextos.RecordCount(), 1);
        QTest::keyClick(d.Rejilla, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(QFile::exists(tmp1));
    });
}

} // namespace
