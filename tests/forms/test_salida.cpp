// The output routing: the exporters' working files, the outside programs that
// open them, the editing of a stored document in a word processor (with the
// stub programs of tests/forms/procesador) and the starting documents.
#include "Ficheros.h"
#include "Modales.h"
#include "ReportData.h"
#include "ReportModel.h"
#include "RtfReader.h"
#include "UDMMain.h"
#include "UPerfil.h"
#include "USalida.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

namespace {

using qdtest::EscribeFichero;
using qdtest::LeeFichero;

QString Stubs() { return qEnvironmentVariable("QD_SOURCE_DIR") + QStringLiteral("/tests/forms/procesador"); }

// The paragraphs of an RTF document as the reader sees them.
QStringList Parrafos(const QByteArray& rtf)
{
    QTextDocument doc;
    Rtf::read(rtf, doc);
    QStringList l;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        l << b.text();
    return l;
}

// A program folder and a configuration folder of the test's own; "Word" is
// the stub word processor.
class Salida : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUORUMDESK_HOME", programa.path().toUtf8());
        qputenv("QUORUMDESK_CONFIG_DIR", (programa.path() + "/cfg").toUtf8());
        QDir().mkpath(programa.path() + "/cfg");
        Entorno = TREntorno{};
        Entorno.CaminoPrograma = programa.path();
        TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", Stubs());
        qputenv("QD_PROCESADOR_ARGS", Argumentos().toUtf8());
        anterior = QDir::currentPath();
        QDir::setCurrent(programa.path());
    }
    void TearDown() override
    {
        QDir::setCurrent(anterior);
        qunsetenv("QD_PROCESADOR");
        qunsetenv("QD_PROCESADOR_ARGS");
    }
    QString Fichero(const char* nombre) const { return programa.path() + "/" + nombre; }
    QString Argumentos() const { return programa.path() + "/argumentos.txt"; }
    QStringList ArgumentosRecibidos() const
    {
        QStringList l = QString::fromUtf8(LeeFichero(Argumentos())).split('\n');
        l.removeAll(QString());
        return l;
    }
    QTemporaryDir programa;
    QString anterior;
};

// Receives what the desktop would open.
class Visor : public QObject {
    Q_OBJECT
public:
    QList<QUrl> abiertas;
public slots:
    void Abre(const QUrl& url) { abiertas << url; }
};

qdr::Report UnaLinea()
{
    qdr::Report r;
    r.reset();
    auto& banda = r.addBand(qdr::BandKind::PageHeader, 20, QStringLiteral("Cabecera"));
    auto& t = banda.add<qdr::TextObject>();
    t.text = QStringLiteral("Junta de propietarios");
    t.width = 120;
    t.height = 10;
    return r;
}

TEST_F(Salida, EachTargetReplacesItsOwnWorkingFileAndOthersExportNothing)
{
    const qdr::Report informe = UnaLinea();
    const qdr::ReportData datos;
    const struct {
        const char* destino;
        const char* fichero;
        QByteArray empieza;
    } casos[] = {{"WORD", "tmp.rtf", "{\\rtf"}, {"EXCEL", "tmp.csv", ""}, {"PDF", "tmp.pdf", "%PDF"}, {"HTML", "tmp.htm", "<"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.destino);
        EscribeFichero(Fichero(c.fichero), "anterior");
        ExportaInforme(informe, datos, c.destino);
        const QByteArray hecho = LeeFichero(Fichero(c.fichero));
        EXPECT_NE(hecho, "anterior");
        EXPECT_TRUE(hecho.startsWith(c.empieza)) << hecho.left(40).toStdString();
        EXPECT_EQ(FicheroSalida(c.destino), Fichero(c.fichero));
    }
    // The HTML export is the page the mail preparation window sends.
    EXPECT_TRUE(LeeFichero(Fichero("tmp.htm")).contains("Junta de propietarios"));
    for (const char* destino : {"", "TXT", "word"}) {
        SCOPED_TRACE(destino);
        const QStringList antes = QDir(programa.path()).entryList(QDir::Files);
        ExportaInforme(informe, datos, destino);
        AbreExportado(destino);
        EXPECT_EQ(QDir(programa.path()).entryList(QDir::Files), antes);
        EXPECT_TRUE(FicheroSalida(destino).isEmpty());
    }
    EXPECT_FALSE(QFile::exists(Argumentos())) << "no program was started";
}

TEST_F(Salida, WordAndExcelArePrivateOfficeInstancesWaitedForUntilTheyEnd)
{
    const QString perfil = QUrl::fromLocalFile(programa.path() + "/cfg/libreoffice").toString(QUrl::FullyEncoded);
    qputenv("QD_PROCESADOR", "espera");
    qputenv("QD_PROCESADOR_SEGUNDOS", "1");
    QElapsedTimer reloj;
    reloj.start();
    AbreExportado("WORD");
    EXPECT_GE(reloj.elapsed(), 900) << "the program waits until the word processor ends";
    EXPECT_EQ(ArgumentosRecibidos(), (QStringList{"-env:UserInstallation=" + perfil, Fichero("tmp.rtf")}));
    AbreExportado("EXCEL");
    EXPECT_EQ(ArgumentosRecibidos(), (QStringList{"-env:UserInstallation=" + perfil,
                                                  "--infilter=Text - txt - csv (StarCalc):59,34,76", Fichero("tmp.csv")}));
    // Word's folder is the one configured; without it nothing starts there.
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", programa.path() + "/no-existe");
    EXPECT_THROW(AbreExportado("WORD"), EUtilesError);
}

TEST_F(Salida, PdfAndHtmlGoToTheDesktopViewerWithoutWaiting)
{
    Visor visor;
    QDesktopServices::setUrlHandler("file", &visor, "Abre");
    AbreExportado("PDF");
    AbreExportado("HTML");
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(visor.abiertas, (QList<QUrl>{QUrl::fromLocalFile(Fichero("tmp.pdf")), QUrl::fromLocalFile(Fichero("tmp.htm"))}));
}

TEST_F(Salida, TheWordProcessorsFolders)
{
    EXPECT_EQ(CarpetaWord(), Stubs());
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", "  ");
    EXPECT_EQ(CarpetaWord(), "/usr/lib/libreoffice/program");

    // OpenOffice's folder: the first line of the file in the working folder.
    EXPECT_EQ(CarpetaOpenOffice(), "/usr/lib/libreoffice/program");
    EscribeFichero(Fichero("oppenofficepath.cfg"), "/opt/office/program\r\n/otra\r\n");
    EXPECT_EQ(CarpetaOpenOffice(), "/opt/office/program");
    EscribeFichero(Fichero("oppenofficepath.cfg"), "");
    EXPECT_EQ(CarpetaOpenOffice(), "/usr/lib/libreoffice/program") << "an empty file names no folder";
}

TEST_F(Salida, RequestButtonsGetTheSharedIcons)
{
    QWidget pantalla;
    QStringList nombres{"BtAceptar", "BtCancelar", "BtInternet", "BtWord", "BtPdf", "BtHtml", "BtExcel", "BtOtro"};
    for (const QString& n : nombres)
        (new QPushButton(n, &pantalla))->setObjectName(n);
    IconosBotones(&pantalla);
    auto icono = [&](const char* n) { return pantalla.findChild<QPushButton*>(n)->icon(); };
    for (const char* n : {"BtAceptar", "BtCancelar", "BtInternet", "BtWord", "BtPdf", "BtHtml", "BtExcel"})
        EXPECT_FALSE(icono(n).isNull()) << n;
    EXPECT_TRUE(icono("BtOtro").isNull());
    EXPECT_EQ(icono("BtHtml").pixmap(16).toImage(), icono("BtInternet").pixmap(16).toImage());
}

TEST_F(Salida, StarterDocumentWithAndWithoutTheFieldList)
{
    WriteStarterDocument("tmp.rtf");
    EXPECT_EQ(LeeFichero(Fichero("tmp.rtf")),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fnil MS Sans Serif;}}\r\n"
              "\\viewkind4\\uc1\\pard\\f0\\fs16\r\n"
              "\\par }");
    WriteStarterDocument("tmp.rtf", "C");
    const QByteArray hoja = LeeFichero(Fichero("tmp.rtf"));
    EXPECT_TRUE(hoja.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fnil MS Sans Serif;}}\r\n"
                                "\\viewkind4\\uc1\\pard\\f0\\fs16\r\n"
                                "\\par CAMPOS DISPONIBLES\r\n\\par \r\n\\par [Lugar] \\endash  Lugar de celebracion convocatoria\r\n"));
    EXPECT_TRUE(hoja.endsWith("\\par [Fecha] \\endash  Fecha del dia\r\n\\par }"));
    const QStringList parrafos = Parrafos(hoja);
    const QStringList campos{"[Lugar]",          "[Fecha1]",         "[Hora1]",
                             "[Hora2]",          "[Convocatoria]",   "[Puntos]",         "[Administrador]",
                             "[AdministradorCif]", "[AdministradorDomicilio]", "[AdministradorPoblacion]",
                             "[Comunidad]",      "[ComunidadDomicilio]", "[ComunidadPoblacion]",
                             "[Presidente]",     "[Asistentes]",     "[Deudores]",
                             "[Resultados]",     "[Fecha]"};
    ASSERT_EQ(parrafos.size(), 3 + campos.size()) << parrafos.join('|').toStdString();
    EXPECT_EQ(parrafos[1], "CAMPOS DISPONIBLES");
    for (qsizetype i = 0; i < campos.size(); ++i)
        EXPECT_TRUE(parrafos[3 + i].startsWith(campos[i] + " \u2013 ")) << parrafos[3 + i].toStdString();
    EXPECT_EQ(parrafos[3 + 9], "[AdministradorPoblacion] \u2013 Población administrador");
}

// What a word processor leaves decides what is stored.
class Edicion : public Salida {
protected:
    void SetUp() override
    {
        Salida::SetUp();
        documento = Fichero("tmp1.rtf");
        EscribeFichero(documento, original);
        pantalla.show();
    }
    std::optional<QByteArray> Edita(const char* modo, TProcesadorTextos p = TProcesadorTextos::Word)
    {
        qputenv("QD_PROCESADOR", modo);
        // The screen is hidden while the word processor has the document.
        QTimer::singleShot(50, &pantalla, [this] { ocultaDurante = pantalla.isHidden(); });
        qputenv("QD_PROCESADOR_SEGUNDOS", "0.3");
        auto r = EditaEnProcesador(&pantalla, p, documento);
        EXPECT_TRUE(pantalla.isVisible()) << "the screen comes back";
        return r;
    }
    const QByteArray original = "{\\rtf1\\ansi Carta\\par }";
    QString documento;
    QWidget pantalla;
    bool ocultaDurante = false;
};

TEST_F(Edicion, AnEditedOrUntouchedDocumentIsStoredBack)
{
    const std::optional<QByteArray> editado = Edita("edita");
    ASSERT_TRUE(editado);
    EXPECT_EQ(*editado, "{\\rtf1\\ansi Carta\\par \\par Editado en el procesador}");
    EXPECT_EQ(ArgumentosRecibidos().value(1), documento);
    EscribeFichero(documento, original);
    EXPECT_EQ(Edita("sin-guardar"), std::optional<QByteArray>(original)) << "saved unchanged, still stored back";
    EscribeFichero(documento, original);
    EXPECT_EQ(Edita("espera"), std::optional<QByteArray>(original));
    EXPECT_TRUE(ocultaDurante);
}

TEST_F(Edicion, AFailedEditNeverReplacesTheStoredDocument)
{
    const struct {
        const char* modo;
        const char* aviso;
    } casos[] = {
        {"falla", "ha terminado con error (código 139)"},
        {"vacia", "vacío o no es un documento RTF completo"},
        {"corta", "vacío o no es un documento RTF completo"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.modo);
        EscribeFichero(documento, original);
        QString visto;
        qdtest::AlAbrirse([&](QWidget* w) {
            visto = qdtest::Textos(w);
            qdtest::Pulsa(w, "Aceptar");
        });
        EXPECT_FALSE(Edita(c.modo));
        EXPECT_TRUE(visto.contains(c.aviso)) << visto.toStdString();
        EXPECT_TRUE(visto.contains("Se conserva el documento guardado")) << visto.toStdString();
        EXPECT_TRUE(QFile::exists(documento)) << "what was written stays for the user";
    }
    // A file the user deleted or renamed: nothing to store, nothing to say.
    EscribeFichero(documento, original);
    EXPECT_FALSE(Edita("borra"));
}

TEST_F(Edicion, AWorkingFileHoldingAnEditNotStoredIsNeverDeletedNorWrittenOver)
{
    const QByteArray aMedias = "{\\rtf1 a medias";
    const QString clave = QStringLiteral("CONVOCATORIAS 1 7 ACTA");
    // What a broken edit leaves becomes an edit not stored of its document.
    qdtest::AlAbrirse([](QWidget* w) { qdtest::Pulsa(w, "Aceptar"); });
    qputenv("QD_PROCESADOR", "falla");
    EXPECT_FALSE(EditaEnProcesador(&pantalla, TProcesadorTextos::Word, documento, clave));
    ASSERT_EQ(LeeFichero(documento), aMedias);
    auto apartados = [this] {
        return QDir(programa.path()).entryList({QStringLiteral("tmp1-sin-guardar-*.rtf")}, QDir::Files);
    };
    // The same document, answered Sí: the file stays to be edited again.
    qdtest::Modales m;
    QString pregunta;
    m.Espera([&](QWidget* w) {
        pregunta = qdtest::Textos(w);
        qdtest::Pulsa(w, "Sí");
    });
    EXPECT_TRUE(RecuperaEdicion(documento, clave, original));
    EXPECT_TRUE(pregunta.contains("no llegó a guardarse")) << pregunta.toStdString();
    EXPECT_EQ(LeeFichero(documento), aMedias);
    // Answered No, or asked for by another document: set aside, never lost.
    m.Espera([](QWidget* w) { qdtest::Pulsa(w, "No"); });
    QString aviso;
    m.Espera([&](QWidget* w) {
        aviso = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    EXPECT_FALSE(RecuperaEdicion(documento, clave, original));
    EXPECT_FALSE(QFile::exists(documento));
    ASSERT_EQ(apartados().size(), 1);
    EXPECT_TRUE(aviso.contains(apartados().first())) << aviso.toStdString();
    EXPECT_EQ(LeeFichero(programa.path() + "/" + apartados().first()), aMedias);
    // Stored after all (the same bytes), or never marked: simply cleared.
    EscribeFichero(documento, aMedias);
    EdicionSinGuardar(documento, clave);
    EXPECT_FALSE(RecuperaEdicion(documento, clave, aMedias));
    EXPECT_FALSE(QFile::exists(documento));
    EscribeFichero(documento, original);
    LiberaFicheroTrabajo(documento);
    EXPECT_FALSE(QFile::exists(documento));
    EXPECT_EQ(apartados().size(), 1);
}

TEST_F(Edicion, AWordProcessorThatCannotStartIsToldAndTheScreenComesBack)
{
    TIniFile(FicheroPerfil("quorumdesk.ini")).WriteString("Word", "Path", programa.path() + "/no-existe");
    QString visto;
    qdtest::AlAbrirse([&](QWidget* w) {
        visto = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    EXPECT_FALSE(Edita("edita"));
    EXPECT_EQ(visto, "No se puede actualizar");
    EXPECT_EQ(LeeFichero(documento), original);
}

TEST_F(Edicion, OpenOfficeIsLibreOfficeAsInstalledWaitedForByItsOfficeProcess)
{
    // The folder comes from the working folder's file; no private profile.
    EscribeFichero(Fichero("OPPENOFFICEPATH.CFG"), Stubs().toUtf8() + "\n");
    QElapsedTimer reloj;
    reloj.start();
    const std::optional<QByteArray> editado = Edita("edita", TProcesadorTextos::OpenOffice);
    // Five seconds before the office process is looked for (a coarse timer
    // may end a pause up to 5 % early).
    EXPECT_GE(reloj.elapsed(), 4750);
    ASSERT_TRUE(editado);
    EXPECT_TRUE(editado->contains("Editado en el procesador"));
    EXPECT_EQ(ArgumentosRecibidos(), QStringList{documento});
}

TEST(DocumentoRtf, AWholeDocumentEndsWithItsClosingBrace)
{
    EXPECT_TRUE(DocumentoRtfCompleto("{\\rtf1 Hola}"));
    EXPECT_TRUE(DocumentoRtfCompleto(QByteArray("  {\\rtf1 Hola}\r\n\0", 17)));
    EXPECT_FALSE(DocumentoRtfCompleto(""));
    EXPECT_FALSE(DocumentoRtfCompleto("{\\rtf1 Hola"));
    EXPECT_FALSE(DocumentoRtfCompleto("Hola}"));
}

} // namespace

#include "test_salida.moc"
