// The report formats store: designing (stored only when the designer saved),
// editing in the word processor (the stub of tests/forms/procesador), the
// exchange pair with its checks and numbering, and duplicating.
#include "Capturas.h"
#include "DesignerDocument.h"
#include "DesignerWindow.h"
#include "Ficheros.h"
#include "FIBError.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "ReportError.h"
#include "ReportXml.h"
#include "Teclado.h"
#include "UDBControles.h"
#include "UFFormatos.h"
#include "UFormatos.h"
#include "UIntercambio.h"
#include "UPerfil.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QToolButton>

namespace {

using qdtest::EscribeFichero;
using qdtest::LeeFichero;

const QByteArray kFormato = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<report version=\"1\" name=\"Etiquetas\">\n"
                            "  <band kind=\"MasterData\" name=\"Datos\" dataset=\"frDBDataSet1\" height=\"5\">\n"
                            "    <text x=\"0\" y=\"0\" w=\"80\" h=\"5\" text='[frDBDataSet1.\"NOMBRE\"]'/>\n"
                            "  </band>\n</report>\n";

class Formatos : public qdtest::ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Entorno.CaminoPrograma = programa.path();
        w = new TFFormatos;
        qdtest::Activa(w);
    }
    void TearDown() override
    {
        delete w.data();
        ProgramaAbierto::TearDown();
    }
    void Formato(int codigo, const char* nombre, int tipo, const QByteArray& formato)
    {
        dm->QGen.SetSQL("INSERT INTO SYS_FORMATOS (CODIGO, NOMBRE, TIPO, FORMATO) VALUES (?C, ?N, ?T, ?F)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("N")->SetAsString(QString::fromUtf8(nombre));
        dm->QGen.ParamByName("T")->SetAsInteger(tipo);
        if (formato.isEmpty())
            dm->QGen.ParamByName("F")->SetNull();
        else
            dm->QGen.ParamByName("F")->SetAsBytes(formato);
        dm->QGen.ExecQuery();
        dm->TGenerica.CommitRetaining();
        Tabla().Close();
        Tabla().Open();
    }
    QByteArray Guardado(int codigo)
    {
        dm->QGen.SetSQL(QStringLiteral("SELECT FORMATO FROM SYS_FORMATOS WHERE CODIGO = %1").arg(codigo));
        dm->QGen.ExecQuery();
        const QByteArray b = dm->QGen.Eof() ? QByteArray("(sin fila)") : dm->QGen.Fields(0)->AsBytes();
        dm->QGen.Close();
        dm->TGenerica.CommitRetaining();
        return b;
    }
    TFIBTableSet& Tabla() const { return w->DM()->QTabla; }
    QString Fichero(const QString& nombre) const { return programa.path() + "/" + nombre; }
    // A pair written as an export writes it, in `carpeta` under the program folder.
    QString Par(const QString& carpeta, int codigo, const QStringList& lineas, const QByteArray& formato)
    {
        QDir(programa.path()).mkpath(carpeta);
        EscribeIntercambio(Fichero(carpeta), codigo, lineas, formato);
        return Fichero(carpeta) + "/" + NombreIntercambio(codigo) + ".FRF";
    }
    QPointer<TFFormatos> w;
};

qdr::DesignerWindow* Disenador(QWidget* w)
{
    auto* d = qobject_cast<qdr::DesignerWindow*>(w);
    EXPECT_NE(d, nullptr) << w->windowTitle().toStdString();
    return d;
}

TEST_F(Formatos, TheDesignIsStoredOnlyWhenTheDesignerSavedIt)
{
    EXPECT_EQ(w->windowTitle(), "Mantenimiento de formatos");
    Formato(1, "ETIQUETAS", 2, kFormato);
    Formato(2, "VACIO", 1, {});
    ASSERT_TRUE(Tabla().Locate("CODIGO", {1}));
    qdtest::Captura("formatos-ficha", w);
    {
        // Closed without saving: the stored format stays.
        qdtest::Modales m;
        m.Espera([](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Diseñador de informes - ETIQUETAS"));
            d->close();
        });
        w->TbConfeccion->click();
    }
    EXPECT_EQ(Guardado(1), kFormato);
    {
        // Saved: what the designer wrote is stored.
        qdtest::Modales m;
        m.Espera([](QWidget* d) {
            qdr::DesignerWindow* win = Disenador(d);
            win->document()->selectBand(0);
            win->action(QStringLiteral("Borrar"))->trigger();
            win->action(QStringLiteral("Guardar"))->trigger();
            win->close();
        });
        w->TbConfeccion->click();
    }
    const QByteArray nuevo = Guardado(1);
    EXPECT_NE(nuevo, kFormato);
    EXPECT_EQ(nuevo, LeeFichero(Fichero("tmp.frf"))) << "tmp.frf stays";
    EXPECT_FALSE(nuevo.contains("MasterData"));

    // An empty format opens as a blank page; leaving stores nothing.
    ASSERT_TRUE(Tabla().Locate("CODIGO", {2}));
    {
        qdtest::Modales m;
        m.Espera([](QWidget* d) {
            EXPECT_TRUE(Disenador(d)->document()->report().bands.empty());
            d->close();
        });
        w->TbConfeccion->click();
    }
    EXPECT_TRUE(Guardado(2).isEmpty());
    EXPECT_FALSE(QFile::exists(Fichero("tmp.frf")));
}

TEST_F(Formatos, EditingInWordStoresTheDocumentBack)
{
    TIniFile(FicheroPerfil("quorumdesk.ini"))
        .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
    Formato(1, "SOBRES", 2, {});
    ASSERT_TRUE(Tabla().Locate("CODIGO", {1}));
    qputenv("QD_PROCESADOR", "sin-guardar");
    w->TbWord->click();
    qunsetenv("QD_PROCESADOR");
    // Unchanged, still stored: the empty document it started as.
    EXPECT_EQ(Guardado(1), "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fnil MS Sans Serif;}}\r\n"
                           "\\viewkind4\\uc1\\pard\\f0\\fs16\r\n\\par }");
    EXPECT_TRUE(QFile::exists(Fichero("tmp.rtf"))) << "the working file is kept";
}

TEST_F(Formatos, TheToolsSaveAFormatBeingTypedFirstAndGoOn)
{
    TIniFile(FicheroPerfil("quorumdesk.ini"))
        .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
    qputenv("QD_PROCESADOR", "sin-guardar");
    const struct {
        const char* nombre;
        QToolButton* boton;
        qdtest::Modales::Respuesta respuesta; // the window the tool opens
        int filas;                            // rows of that name afterwards
    } casos[] = {
        {"DISEÑADO", w->TbConfeccion, [](QWidget* d) { d->close(); }, 1},
        {"EN WORD", w->TbWord, nullptr, 1},
        {"COPIADO", w->TbDuplicar,
         [](QWidget* d) {
             d->findChild<QLineEdit*>()->setText("90");
             qdtest::Pulsa(d, "Aceptar");
         },
         2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        qdtest::Activa(w);
        qdtest::Teclea(Qt::Key_Insert, Qt::ControlModifier);
        w->DBENombre->setFocus();
        qdtest::Escribe(QString::fromUtf8(c.nombre));
        EXPECT_TRUE(c.boton->isEnabled()) << "usable while the format is typed";
        qdtest::Modales m;
        if (c.respuesta)
            m.Espera(c.respuesta);
        QTest::mouseClick(c.boton, Qt::LeftButton);
        EXPECT_EQ(Tabla().State(), TDataSetState::dsBrowse);
        EXPECT_TRUE(w->EBusca->isEnabled()) << "the screen left its edit mode";
        EXPECT_EQ(Sql(QStringLiteral("SELECT COUNT(*) FROM SYS_FORMATOS WHERE NOMBRE = '%1'")
                          .arg(QString::fromUtf8(c.nombre)))
                      .toInt(),
                  c.filas);
    }
    qunsetenv("QD_PROCESADOR");
    EXPECT_TRUE(Guardado(Sql("SELECT CODIGO FROM SYS_FORMATOS WHERE NOMBRE = 'EN WORD'").toInt()).startsWith("{\\rtf1"))
        << "the word processor went on with the stored format";
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_FORMATOS WHERE CODIGO = 90").toInt(), 1);
}

TEST_F(Formatos, ImportingNumbersChecksThePathAndAsksBeforeReplacing)
{
    Formato(1, "UNO", 1, "a");
    Formato(12, "DOCE", 2, "b");
    TDMFormatos& m = *w->DM();
    const QString frf = Par("origen", 12, {"ETIQUETAS SOBRE", "2"}, kFormato);

    // Added: the next code, never the file's.
    m.Importa(frf, LeeLineasIntercambio(frf.left(frf.size() - 4) + ".TXT"), 12, false);
    EXPECT_EQ(Tabla().FieldByName("CODIGO")->AsInteger(), 13);
    EXPECT_EQ(Tabla().FieldByName("NOMBRE")->AsString(), "ETIQUETAS SOBRE");
    EXPECT_EQ(Tabla().FieldByName("TIPO")->AsInteger(), 2);
    EXPECT_EQ(Guardado(13), kFormato);

    // Through the screen: the code exists, so the question; "Abandonar"
    // changes nothing, "Reemplazar" writes over format 12.
    auto importa = [&](const QString& fichero, const char* respuesta) {
        qdtest::Modales modales;
        modales.Espera([fichero](QWidget* d) {
            auto* dialogo = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(dialogo, nullptr);
            EXPECT_EQ(dialogo->windowTitle(), "Importar formato");
            // Typed in its name field, as a user does.
            auto* nombre = dialogo->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(nombre, nullptr);
            nombre->setText(fichero);
            static_cast<QDialog*>(dialogo)->accept();
        });
        if (respuesta)
            modales.Espera([respuesta](QWidget* p) {
                EXPECT_TRUE(qdtest::Textos(p).contains("El formato ya existe"));
                qdtest::Pulsa(p, QString::fromUtf8(respuesta));
            });
        w->TbImportar->click();
    };
    importa(frf, "Abandonar");
    EXPECT_EQ(Guardado(12), "b");
    importa(frf, "Reemplazar");
    EXPECT_EQ(Guardado(12), kFormato);
    EXPECT_EQ(Tabla().FieldByName("NOMBRE")->AsString(), "ETIQUETAS SOBRE");
    importa(frf, "Añadir");
    EXPECT_EQ(Guardado(14), kFormato);

    // The path rules.
    const struct {
        QString ruta;
        const char* error;
    } malas[] = {
        {Fichero("origen/formato00012.frf"), "El fichero seleccionado no es valido"},
        {Fichero("origen/COPIA00012.FRF"), "El fichero seleccionado no es valido"},
        {Fichero("otra/FORMATO00012.FRF"), "No existe el fichero adjunto de formato"},
    };
    QDir(programa.path()).mkpath("otra");
    EscribeFichero(Fichero("otra/FORMATO00012.FRF"), kFormato);
    for (const auto& c : malas) {
        try {
            ParImportacion(c.ruta);
            ADD_FAILURE() << c.ruta.toStdString();
        } catch (const EAviso& e) {
            EXPECT_STREQ(e.what(), c.error) << c.ruta.toStdString();
        }
    }
    // A folder named FORMATOS comes first: its name gives the code, which
    // is no number.
    const QString enFormatos = Par("FORMATOS", 12, {"X", "1"}, kFormato);
    EXPECT_THROW(ParImportacion(enFormatos), EConvertError);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_FORMATOS").toInt(), 4);

    // A type line missing, or no number, is refused: no format of type 0.
    for (const QStringList& lineas : {QStringList{"SIN TIPO"}, QStringList{"SIN TIPO", " "}, QStringList{"X", "dos"}}) {
        SCOPED_TRACE(lineas.join('|').toStdString());
        EXPECT_THROW(m.Importa(frf, lineas, 12, false), EConvertError);
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_FORMATOS").toInt(), 4);
    EXPECT_EQ(Tabla().State(), TDataSetState::dsBrowse);
}

TEST_F(Formatos, AFormatFromOutsideIsARegularFileOfBoundedSizeAndObjects)
{
    TDMFormatos& m = *w->DM();
    const QString frf = Par("origen", 12, {"ETIQUETAS", "2"}, kFormato);
    // The ".FRF" a link to an endless device, or far larger than a format:
    // refused before it is read, nothing imported.
    QFile::remove(frf);
    ASSERT_TRUE(QFile::link("/dev/zero", frf));
    try {
        m.Importa(frf, {"ETIQUETAS", "2"}, 12, false);
        ADD_FAILURE() << "a device was imported";
    } catch (const EAviso& e) {
        EXPECT_TRUE(e.Message().contains("no es un fichero corriente")) << e.what();
    }
    QFile::remove(frf);
    {
        QFile grande(frf);
        ASSERT_TRUE(grande.open(QIODevice::WriteOnly));
        ASSERT_TRUE(grande.resize(qdr::kMaxFormatBytes + 1)); // sparse: no disk spent
    }
    try {
        m.Importa(frf, {"ETIQUETAS", "2"}, 12, false);
        ADD_FAILURE() << "a file past the bound was imported";
    } catch (const EAviso& e) {
        EXPECT_TRUE(e.Message().contains("tamaño máximo de 32 MB")) << e.what();
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM SYS_FORMATOS").toInt(), 0);

    // A format with more objects than any real report is refused as it is
    // read, before a layout; at the bound it still loads.
    auto formato = [](int objetos) {
        QByteArray xml = "<?xml version=\"1.0\"?>\n<report version=\"1\">\n<band kind=\"MasterData\" height=\"5\">\n";
        for (int i = 1; i < objetos; ++i)
            xml += "<text x=\"0\" y=\"0\" w=\"1\" h=\"1\" text=\"x\"/>\n";
        return xml + "</band>\n</report>\n";
    };
    EscribeFichero(Fichero("denso.frf"), formato(qdr::kMaxObjects));
    EXPECT_EQ(qdr::loadReport(Fichero("denso.frf")).bands.at(0).objects.size(), size_t(qdr::kMaxObjects - 1));
    EscribeFichero(Fichero("denso.frf"), formato(qdr::kMaxObjects + 1));
    try {
        qdr::loadReport(Fichero("denso.frf"));
        ADD_FAILURE() << "a format past the object bound was loaded";
    } catch (const qdr::EReportError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("más de 5000 bandas y objetos")) << e.what();
    }
}

TEST_F(Formatos, ExportWritesThePairUnderItsFixedNameAndDuplicateCopies)
{
    Formato(3, "VACIO", 2, {});
    Formato(5, "LLENO", 2, kFormato);
    ASSERT_TRUE(Tabla().Locate("CODIGO", {3}));
    QDir(programa.path()).mkdir("salida");
    {
        qdtest::Modales modales;
        modales.Espera([this](QWidget* d) {
            auto* dialogo = qobject_cast<QFileDialog*>(d);
            ASSERT_NE(dialogo, nullptr);
            EXPECT_EQ(dialogo->windowTitle(), "Exportar formato");
            dialogo->setDirectory(Fichero("salida"));
            dialogo->selectFile("OTRO.FRF"); // a name typed is not used
            static_cast<QDialog*>(dialogo)->accept();
        });
        w->TbExportar->click();
    }
    EXPECT_EQ(LeeFichero(Fichero("salida/FORMATO00003.TXT")), "VACIO\r\n2\r\n");
    ASSERT_TRUE(QFile::exists(Fichero("salida/FORMATO00003.FRF")));
    EXPECT_TRUE(LeeFichero(Fichero("salida/FORMATO00003.FRF")).isEmpty());
    EXPECT_FALSE(QFile::exists(Fichero("salida/OTRO.FRF")));

    TDMFormatos& m = *w->DM();
    ASSERT_TRUE(Tabla().Locate("CODIGO", {5}));
    const std::pair<int, const char*> refusals[] = {{5, "El formato no se puede copiar sobre sí mismo"},
                                                    {3, "El código de formato existe"}};
    for (const auto& [codigo, texto] : refusals) {
        try {
            m.Duplica(codigo);
            ADD_FAILURE() << codigo;
        } catch (const EAviso& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), QString::fromUtf8(texto));
        }
    }
    // Through the screen: the next code is proposed.
    qdtest::AlAbrirse([](QWidget* d) {
        EXPECT_EQ(d->windowTitle(), "Formatos");
        auto* campo = d->findChild<QLineEdit*>();
        ASSERT_NE(campo, nullptr);
        EXPECT_EQ(campo->text(), "6");
        campo->setText("40");
        qdtest::Pulsa(d, "Aceptar");
    });
    w->TbDuplicar->click();
    EXPECT_EQ(Guardado(40), kFormato);
    EXPECT_EQ(Sql("SELECT NOMBRE || TIPO FROM SYS_FORMATOS WHERE CODIGO = 40").toString(), "LLENO2");
    EXPECT_FALSE(QFile::exists(Fichero("DmFormatos.tmp")));
}

} // namespace
