// Labels and mailings: the merge of owners' addresses into RTF label sheets
// (small sheets written as the word processors write them, and a sheet that
// LibreOffice Writer saved), the label screen's data module against a fresh
// program database, the screens "Etiquetas" and "Selectivo", and the demo
// database's two label formats. The word processor is the stub of
// tests/forms/procesador; one test reads a merged sheet with the real
// LibreOffice, headless.
#include "Capturas.h"
#include "FIBError.h"
#include "Ficheros.h"
#include "Modales.h"
#include "ProgramaAbierto.h"
#include "ReportLayout.h"
#include "RtfReader.h"
#include "Teclado.h"
#include "UDocumentos.h"
#include "UEtiquetasRtf.h"
#include "UFEtiquetas.h"
#include "UFIBDBEditDlg.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UFSelectivo.h"
#include "UFormatos.h"
#include "UHYDBGrid.h"
#include "UOrdenes.h"
#include "UPerfil.h"
#include "USalida.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <memory>

namespace {

using qdtest::LeeFichero;

// What a reader of the merged sheet shows.
QString Texto(const QByteArray& rtf)
{
    QTextDocument d;
    Rtf::read(rtf, d);
    return d.toPlainText();
}

TDireccionEtiqueta Direccion(int n)
{
    return {QStringLiteral("NOMBRE %1").arg(n), QStringLiteral("CALLE %1").arg(n), QString::number(28000 + n),
            QStringLiteral("POBLACION %1").arg(n), QStringLiteral("PROVINCIA %1").arg(n)};
}

// The owners 1 to n, one after another.
TSiguienteEtiqueta Filas(QList<TDireccionEtiqueta> filas)
{
    auto i = std::make_shared<qsizetype>(0);
    return [filas = std::move(filas), i](TDireccionEtiqueta& f) {
        if (*i >= filas.size())
            return false;
        f = filas[(*i)++];
        return true;
    };
}
TSiguienteEtiqueta Filas(int n)
{
    QList<TDireccionEtiqueta> l;
    for (int k = 1; k <= n; ++k)
        l << Direccion(k);
    return Filas(l);
}

// Whether the text holds the pieces in this order.
bool EnOrden(const QString& texto, const QStringList& piezas, QString* falta = nullptr)
{
    qsizetype desde = 0;
    for (const QString& p : piezas) {
        const qsizetype i = texto.indexOf(p, desde);
        if (i < 0) {
            if (falta)
                *falta = p;
            return false;
        }
        desde = i + p.size();
    }
    return true;
}

// One document: its braces balance and only its last one closes the
// outermost group.
bool UnSoloDocumento(const QByteArray& rtf)
{
    int nivel = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++nivel;
        } else if (rtf[i] == '}' && --nivel == 0) {
            return rtf.mid(i + 1).trimmed().isEmpty();
        }
    }
    return false;
}

// Two labels, one "\cell " a line: the layout of the word processors that
// write a label's end at the end of its line.
const QByteArray kHojaDos =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
    "{\\info{\\title Etiquetas [Propietario]}}\r\n"
    "\\paperw11906\\paperh16838\\pard\\plain\r\n"
    "\\trowd\\cellx4000\\cellx8000\r\n"
    "\\pard\\intbl [Propietario] [Propietario]\\par [Domicilio]\\par [Codigo Postal] [Poblacion]\\par [Provincia]\\cell \r\n"
    "\\pard\\intbl [Propietario]\\par [Domicilio]\\par [Codigo Postal] [Poblacion]\r\n"
    "\\par [Provincia]\\cell \r\n"
    "\\row \r\n"
    "\\pard\\par }\r\n";

QByteArray HojaLibreOffice()
{
    return LeeFichero(qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/documents/data/etiquetas-a4-3x8.rtf");
}

// --- the merge -------------------------------------------------------------------------------

TEST(FusionEtiquetas, FillsTheLabelsInOrderFirstOccurrencesOnlyAndBlanksTheRest)
{
    const QByteArray r = FusionaEtiquetas(kHojaDos, Filas(1));
    EXPECT_TRUE(DocumentoRtfCompleto(r));
    EXPECT_TRUE(UnSoloDocumento(r));
    EXPECT_TRUE(r.contains("{\\info{\\title Etiquetas [Propietario]}}\r\n")) << "the title is never filled";
    EXPECT_TRUE(r.contains("NOMBRE 1 [Propietario]\\par CALLE 1\\par 28001 POBLACION 1\\par PROVINCIA 1\\cell "))
        << "one owner's label, the repeated placeholder left; its last field, on the line its \\cell ends, kept\n"
        << r.toStdString();
    EXPECT_TRUE(r.contains("\\pard\\intbl  \\par  \\par    \r\n\\par  \\cell \r\n")) << "the label left over is blank\n"
                                                                               << r.toStdString();
    EXPECT_FALSE(r.contains("\\page"));
    EXPECT_TRUE(r.endsWith("\\pard\\par \r\n}\r\n")) << "the sheet's own line ends";

    const QByteArray vacia = FusionaEtiquetas(kHojaDos, Filas(0));
    EXPECT_EQ(QString::fromLatin1(vacia).count(QRegularExpression("\\[(Propietario|Domicilio|Codigo Postal|Poblacion|Provincia)\\]")), 2)
        << "without owners every placeholder is blank but the title's and a line's second one\n" << vacia.toStdString();
    EXPECT_TRUE(vacia.contains("\\pard\\intbl   [Propietario]\\par  \\par    \\par  \\cell "));
    EXPECT_TRUE(UnSoloDocumento(vacia));
}

TEST(FusionEtiquetas, EachPageBeyondTheSheetAddsOnePageBreakAndOneCopyOfTheBody)
{
    const struct {
        int propietarios, paginas;
    } casos[] = {{2, 1}, {3, 2}, {4, 2}, {7, 4}};
    for (const auto& c : casos) {
        const QByteArray r = FusionaEtiquetas(kHojaDos, Filas(c.propietarios));
        EXPECT_EQ(r.count("\\page"), c.paginas - 1) << c.propietarios;
        EXPECT_EQ(r.count("\\trowd"), c.paginas) << c.propietarios;
        EXPECT_EQ(r.count("{\\info"), c.paginas) << "each copy starts at the information group";
        EXPECT_EQ(r.count("\\fonttbl"), 1);
        EXPECT_TRUE(UnSoloDocumento(r)) << c.propietarios << "\n" << r.toStdString();
        QStringList nombres;
        for (int k = 1; k <= c.propietarios; ++k)
            nombres << QStringLiteral("NOMBRE %1").arg(k) << QStringLiteral("CALLE %1").arg(k)
                    << QStringLiteral("PROVINCIA %1").arg(k);
        QString falta;
        EXPECT_TRUE(EnOrden(QString::fromLatin1(r), nombres, &falta)) << c.propietarios << ": " << falta.toStdString();
        EXPECT_EQ(r.count("[Provincia]"), 0) << c.propietarios;
    }
}

TEST(FusionEtiquetas, ValuesAreTextNotRtf)
{
    TDireccionEtiqueta d{QStringLiteral("{A}\\B Ñúñez"), QStringLiteral("[Poblacion] 3, 2º"), QStringLiteral("50001"),
                         QStringLiteral("ZARAGOZA"), QStringLiteral("ARAGÓN")};
    const QByteArray r = FusionaEtiquetas(kHojaDos, Filas({d}));
    EXPECT_TRUE(r.contains("\\{A\\}\\\\B \\u209"));
    for (const char c : r)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "non-ASCII written as \\u escapes";
    const QString t = Texto(r);
    EXPECT_TRUE(t.contains("{A}\\B Ñúñez [Propietario]")) << t.toStdString();
    EXPECT_TRUE(t.contains("[Poblacion] 3, 2º")) << "a value is never taken for a placeholder";
    EXPECT_TRUE(t.contains("50001 ZARAGOZA"));
    EXPECT_TRUE(t.contains("ARAGÓN"));
}

TEST(FusionEtiquetas, ReadsSheetsAsLibreOfficeWritesThem)
{
    // Several labels' ends on one line, "\cell" right before the next
    // control word, fields inside groups: each label takes its own owner.
    const QByteArray linea =
        "{\\rtf1\\ansi\n{\\fonttbl{\\f0 Arial;}}\n\\trowd\\cellx3000\\cellx6000\\cellx9000\n"
        "\\pard\\intbl{\\loch\\b [Propietario]}\\cell\\pard\\intbl{\\loch\\b [Propietario]}\\cell\\pard\\intbl{\\loch [Propietario]}"
        "\\cell\\row\\pard\\par }";
    const QByteArray r = FusionaEtiquetas(linea, Filas(4));
    QString falta;
    EXPECT_TRUE(EnOrden(QString::fromLatin1(r), {"NOMBRE 1}\\cell", "NOMBRE 2}\\cell", "NOMBRE 3}\\cell", "\\page",
                                                  "NOMBRE 4}\\cell", "\\loch  }\\cell"}, &falta))
        << falta.toStdString() << "\n" << r.toStdString();
    EXPECT_EQ(r.count("\\cellx"), 6) << "\\cellx is no label's end";
    EXPECT_EQ(r.count("\\fonttbl"), 1) << "without an information group the copy starts after the tables";
    EXPECT_TRUE(UnSoloDocumento(r));

    // The sheet LibreOffice Writer saved: 24 labels a page.
    const QByteArray hoja = HojaLibreOffice();
    ASSERT_FALSE(hoja.isEmpty());
    const QByteArray fusion = FusionaEtiquetas(hoja, Filas(25));
    EXPECT_EQ(fusion.count("\\page"), 1);
    EXPECT_TRUE(UnSoloDocumento(fusion));
    QStringList todos;
    for (int k = 1; k <= 25; ++k)
        todos << QStringLiteral("NOMBRE %1").arg(k) << QStringLiteral("CALLE %1").arg(k)
              << QStringLiteral("%1 POBLACION %2").arg(28000 + k).arg(k) << QStringLiteral("PROVINCIA %1").arg(k);
    EXPECT_TRUE(EnOrden(Texto(fusion), todos, &falta)) << falta.toStdString();
    EXPECT_FALSE(fusion.contains("[")) << "the 23 labels left are blank";
}

TEST(FusionEtiquetas, ASheetWithoutLabelEndsIsOneLabelAPage)
{
    const QByteArray hoja = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\r\n\\pard [Propietario]\\par [Domicilio]\r\n\\par }";
    const QByteArray r = FusionaEtiquetas(hoja, Filas(3));
    EXPECT_EQ(r.count("\\page"), 2);
    QString falta;
    EXPECT_TRUE(EnOrden(QString::fromLatin1(r), {"NOMBRE 1\\par CALLE 1", "\\page", "NOMBRE 2", "\\page", "NOMBRE 3"}, &falta))
        << falta.toStdString();
    EXPECT_TRUE(UnSoloDocumento(r));
}

TEST(FusionEtiquetas, AFormatThatIsNoRtfDocumentIsRefused)
{
    for (const QByteArray& formato : {QByteArray("<?xml version=\"1.0\"?><report/>"), QByteArray("{\\rtf1\\ansi [Propietario]\\cell")}) {
        try {
            FusionaEtiquetas(formato, Filas(1));
            ADD_FAILURE() << formato.toStdString();
        } catch (const EAviso& e) {
            EXPECT_TRUE(e.Message().contains("no es un documento RTF"));
        }
    }
}

// --- the data module and the screens ----------------------------------------------------------

class Etiquetas : public qdtest::ProgramaAbierto {
protected:
    explicit Etiquetas(bool demo = false) : ProgramaAbierto(demo), conDemo_(demo) {}
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        TIniFile(FicheroPerfil("quorumdesk.ini"))
            .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
        if (!conDemo_) {
            Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (1, 'RESIDENCIAL LOS ALMENDROS')");
            Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE) VALUES (2, 'EDIFICIO MIRAMAR')");
            Sql("INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (2, 'CATALAN')");
        }
        Entorno.Comunidad = 1;
    }
    void TearDown() override
    {
        qunsetenv("QD_PROCESADOR");
        qunsetenv("QD_PROCESADOR_ARGS");
        ProgramaAbierto::TearDown();
    }
    struct TPropietario {
        int codigo;
        QString nombre;
        QString correo = {};
        int idioma = 1;
        int marca = 0;
        int activo = 1;
        int comunidad = 1;
    };
    void Propietario(const TPropietario& p)
    {
        dm->QGen.SetSQL("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE, E_MAIL, IDIOMA, TEXTO) "
                        "VALUES (?A, ?C, ?N, ?E, ?I, ?T)");
        dm->QGen.ParamByName("A")->SetAsInteger(p.comunidad);
        dm->QGen.ParamByName("C")->SetAsInteger(p.codigo);
        dm->QGen.ParamByName("N")->SetAsString(p.nombre);
        dm->QGen.ParamByName("E")->SetAsString(p.correo);
        dm->QGen.ParamByName("I")->SetAsInteger(p.idioma);
        dm->QGen.ParamByName("T")->SetAsInteger(p.marca);
        dm->QGen.ExecQuery();
        dm->QGen.SetSQL("INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, COD_POSTAL, "
                        "POBLACION, PROVINCIA, ACTIVO) VALUES (?A, ?P, 1, ?D, ?C, ?O, 'ZARAGOZA', ?V)");
        dm->QGen.ParamByName("A")->SetAsInteger(p.comunidad);
        dm->QGen.ParamByName("P")->SetAsInteger(p.codigo);
        dm->QGen.ParamByName("D")->SetAsString(QStringLiteral("CALLE %1").arg(p.codigo));
        dm->QGen.ParamByName("C")->SetAsString(QString::number(50000 + p.codigo));
        dm->QGen.ParamByName("O")->SetAsString(QStringLiteral("POBLACION %1").arg(p.codigo));
        dm->QGen.ParamByName("V")->SetAsInteger(p.activo);
        dm->QGen.ExecQuery();
        dm->TGenerica.CommitRetaining();
    }
    void Formato(int codigo, const QString& nombre, const QByteArray& documento, int tipo = 2)
    {
        dm->QGen.SetSQL("INSERT INTO SYS_FORMATOS (CODIGO, NOMBRE, FORMATO, TIPO) VALUES (?C, ?N, ?F, ?T)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("N")->SetAsString(nombre);
        if (documento.isEmpty())
            dm->QGen.ParamByName("F")->SetNull();
        else
            dm->QGen.ParamByName("F")->SetAsBytes(documento);
        dm->QGen.ParamByName("T")->SetAsInteger(tipo);
        dm->QGen.ExecQuery();
        dm->TGenerica.CommitRetaining();
    }
    static QByteArray FormatoMotor()
    {
        return LeeFichero(qEnvironmentVariable("QD_SOURCE_DIR") + "/report/supplied/etiquetas-a4-3x8.frf");
    }
    // The owner codes of the rows a request selects, in their order.
    QList<int> Codigos(TDMEtiqueta& m, const TPeticionEtiquetas& p)
    {
        m.Prepara(p);
        QList<int> l;
        for (m.QEtiqueta.First(); !m.QEtiqueta.Eof(); m.QEtiqueta.Next())
            l << int(m.QEtiqueta.FieldByName("CODIGO")->AsInteger());
        return l;
    }
    QString Fichero(const char* nombre) const { return programa.path() + "/" + nombre; }
    bool conDemo_;
};

TEST_F(Etiquetas, OwnersAreChosenByRangeEmailAndLanguageOrByTheirMark)
{
    Propietario({1, "ZOE", "zoe@correo.es", 1, 1});
    Propietario({2, "ANA", "", 2});
    Propietario({3, "LUIS", "  ", 1, 1});
    Propietario({4, "BEA", "bea@correo.es", 2, 1, 0}); // marked, address not active
    Propietario({5, "CARMEN", "carmen@correo.es", 2, 1});
    Propietario({1, "OTRA COMUNIDAD", "", 1, 1, 1, 2});
    Formato(1, "ETIQUETAS", FormatoMotor());
    TDMEtiqueta m;
    using C = TPeticionEtiquetas;
    const struct {
        const char *desde, *hasta, *idioma;
        C::TCorreo correo;
        bool selectivo;
        const char* orden;
        QList<int> codigos;
    } casos[] = {
        {"1", "5", "", C::Todos, false, "CODIGO", {1, 2, 3, 5}},
        {"2", "3", "", C::Todos, false, "CODIGO", {2, 3}},
        {"1", "5", "", C::ConCorreo, false, "CODIGO", {1, 5}},
        {"1", "5", "", C::SinCorreo, false, "CODIGO", {2, 3}},
        {"1", "5", "2", C::Todos, false, "CODIGO", {2, 5}},
        {"1", "5", " 2 ", C::ConCorreo, false, "NOMBRE", {5}},
        {"1", "5", "", C::Todos, false, "NOMBRE", {2, 5, 3, 1}},
        // The marked owners with an active address, whatever the rest says.
        {"2", "2", "2", C::SinCorreo, true, "CODIGO", {1, 3, 5}},
        {"", "", "", C::Todos, true, "NOMBRE", {5, 3, 1}},
    };
    for (const auto& c : casos) {
        C p;
        p.Desde = c.desde;
        p.Hasta = c.hasta;
        p.Formato = "1";
        p.Idioma = c.idioma;
        p.Correo = c.correo;
        p.Selectivo = c.selectivo;
        p.Orden = c.orden;
        EXPECT_EQ(Codigos(m, p), c.codigos) << c.desde << "-" << c.hasta << " " << c.idioma << " " << int(c.correo)
                                            << " " << c.selectivo << " " << c.orden;
    }
    // A language code is a number, never SQL.
    C p;
    p.Desde = "1";
    p.Hasta = "5";
    p.Formato = "1";
    p.Idioma = "1 OR 1=1";
    EXPECT_THROW(m.Prepara(p), EConvertError);
    EXPECT_FALSE(TDMEtiqueta::SentenciaEtiquetas(p).join(" ").contains("1=1"));
}

TEST_F(Etiquetas, RunsStopWithTheirMessagesAndCodesMustBeNumbers)
{
    Propietario({1, "ZOE"});
    auto aviso = [&](const TPeticionEtiquetas& p) {
        TDMEtiqueta m;
        try {
            m.EtiquetasWord(p);
        } catch (const EAviso& e) {
            return e.Message();
        }
        return QString();
    };
    TPeticionEtiquetas p;
    p.Desde = "1";
    p.Hasta = "1";
    p.Formato = "1";
    const QString sinFormatos = "No hay formatos de etiquetas definidos, creelos en formatos";
    const QString sinDocumento = "No se ha confeccionado el formato de la etiqueta, hágalo en la opción de formatos";
    EXPECT_EQ(aviso(p), sinFormatos);
    Formato(1, "LISTADO", kHojaDos, 1);
    EXPECT_EQ(aviso(p), sinFormatos) << "a format of another kind is no label format";
    Formato(2, "SIN HACER", {});
    EXPECT_EQ(aviso(p), sinDocumento) << "code 1 is not a label format";
    p.Formato = "2";
    EXPECT_EQ(aviso(p), sinDocumento) << "an empty format";
    p.Formato = "77";
    EXPECT_EQ(aviso(p), sinDocumento);
    EXPECT_FALSE(QFile::exists(Fichero("tmp2.rtf"))) << "nothing merged";

    Formato(3, "HOJA", kHojaDos);
    TDMEtiqueta m;
    const struct {
        const char *formato, *desde, *hasta;
        bool selectivo, error;
    } casos[] = {{"", "1", "1", false, true},   {"X", "1", "1", false, true}, {"3", "", "1", false, true},
                 {"3", "1", "9a", false, true}, {"3", "", "", true, false},   {"3", "1", "1", false, false}};
    for (const auto& c : casos) {
        p.Formato = c.formato;
        p.Desde = c.desde;
        p.Hasta = c.hasta;
        p.Selectivo = c.selectivo;
        if (c.error)
            EXPECT_THROW(m.Prepara(p), EConvertError) << c.formato << " " << c.desde << " " << c.hasta;
        else
            EXPECT_NO_THROW(m.Prepara(p)) << c.formato << " " << c.desde << " " << c.hasta;
    }
}

TEST_F(Etiquetas, TheEngineLaysOutALabelFormatWithTheRows)
{
    for (int k = 1; k <= 30; ++k)
        Propietario({k, QStringLiteral("PROPIETARIO %1").arg(k, 2, 10, QLatin1Char('0'))});
    Formato(1, "ETIQUETAS A4", FormatoMotor());
    TDMEtiqueta m;
    TPeticionEtiquetas p;
    p.Desde = "1";
    p.Hasta = "30";
    p.Formato = "1";
    const qdr::Document doc = m.EtiquetasInforme(p);
    EXPECT_EQ(doc.pages.size(), 2u) << "24 labels a page";
    const std::vector<QStringList> filas = qdr::dataRows(doc);
    ASSERT_EQ(filas.size(), 30u);
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(filas[k].value(0), QStringLiteral("PROPIETARIO %1").arg(k + 1, 2, 10, QLatin1Char('0')));
    EXPECT_EQ(LeeFichero(Fichero("tmp.rtf")), FormatoMotor()) << "the format goes through tmp.rtf";

    p.Desde = "31";
    p.Hasta = "40";
    const qdr::Document vacio = m.EtiquetasInforme(p);
    EXPECT_EQ(vacio.primitiveCount(), 0u) << "no rows: an empty report";

    // An RTF sheet is no engine format: the engine says so.
    Formato(2, "HOJA", kHojaDos);
    p.Formato = "2";
    EXPECT_ANY_THROW(m.EtiquetasInforme(p));
}

TEST_F(Etiquetas, FiftyOwnersMergedIntoTheLibreOfficeSheetReadBackInOrder)
{
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty()) {
        if (qEnvironmentVariable("CI") == QLatin1String("true"))
            FAIL() << "LibreOffice (soffice) is not installed";
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: the real-document test is skipped";
    }
    QStringList esperado;
    for (int k = 1; k <= 50; ++k) {
        const QString nombre = k == 7 ? QStringLiteral("{A}\\B ÑÚÑEZ") : QStringLiteral("PROPIETARIA %1 MUÑOZ").arg(k);
        Propietario({k, nombre});
        esperado << nombre << QString::number(50000 + k);
    }
    Formato(1, "HOJA LIBREOFFICE", HojaLibreOffice());
    TDMEtiqueta m;
    TPeticionEtiquetas p;
    p.Desde = "1";
    p.Hasta = "50";
    p.Formato = "1";
    const QString fichero = m.EtiquetasWord(p);
    EXPECT_EQ(fichero, Fichero("tmp2.rtf"));

    QTemporaryDir salida;
    auto convierte = [&](const QString& filtro) {
        QProcess proceso;
        proceso.setProcessChannelMode(QProcess::MergedChannels);
        proceso.start(soffice, {"--headless", "-env:UserInstallation=" + QUrl::fromLocalFile(salida.path() + "/perfil").toString(),
                                "--convert-to", filtro, "--outdir", salida.path(), fichero});
        EXPECT_TRUE(proceso.waitForFinished(180000)) << proceso.readAll().toStdString();
    };
    convierte("txt:Text (encoded):UTF8");
    const QString texto = QString::fromUtf8(LeeFichero(salida.path() + "/tmp2.txt"));
    ASSERT_FALSE(texto.isEmpty());
    QString falta;
    EXPECT_TRUE(EnOrden(texto, esperado, &falta)) << falta.toStdString() << "\n" << texto.toStdString();
    EXPECT_FALSE(texto.contains("[")) << "no placeholder left";
    // Three pages: two copies of the sheet's body after page breaks.
    convierte("pdf");
    const QByteArray pdf = LeeFichero(salida.path() + "/tmp2.pdf");
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);
    // The first page as Writer prints it, for the user guide.
    const QString capturas = qEnvironmentVariable("QD_CAPTURAS");
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (!capturas.isEmpty() && !pdftoppm.isEmpty())
        QProcess::execute(pdftoppm, {"-r", "50", "-png", "-singlefile", "-f", "1", "-l", "1", salida.path() + "/tmp2.pdf",
                                     capturas + "/etiquetas-word"});
}

struct Pantalla {
    QPointer<TFEtiquetas> w = new TFEtiquetas;
    Pantalla() { qdtest::Activa(w); }
    ~Pantalla() { delete w.data(); }
    TFEtiquetas* operator->() const { return w.data(); }
};

TEST_F(Etiquetas, TheScreenOpensOnTheCommunitysOwnersAndFirstFormatWithTheirNames)
{
    Propietario({3, "ANA GIL"});
    Propietario({7, "LUIS PEREZ"});
    Propietario({5, "ZOE RUIZ"});
    Propietario({9, "DE OTRA", "", 1, 0, 1, 2});
    Formato(6, "ETIQUETAS 3 X 8", FormatoMotor());
    Formato(4, "HOJA PARA WORD", HojaLibreOffice());
    Formato(2, "UN LISTADO", {}, 1);
    Pantalla p;
    EXPECT_EQ(p->windowTitle(), "Etiquetas");
    EXPECT_EQ(p->EDesde->text(), "3");
    EXPECT_EQ(p->LDesde->text(), "ANA GIL");
    EXPECT_EQ(p->EHasta->text(), "7");
    EXPECT_EQ(p->LHasta->text(), "LUIS PEREZ");
    EXPECT_EQ(p->EFormato->text(), "4");
    EXPECT_EQ(p->LFormato->text(), "HOJA PARA WORD");
    EXPECT_EQ(p->EIdioma->text(), "");
    EXPECT_EQ(p->COrden->currentText(), "CODIGO");
    EXPECT_EQ(p->COrden->count(), 7);
    EXPECT_EQ(p->CSelectivo->currentText(), "NO");
    EXPECT_EQ(p->CCorreo->currentText(), "TODOS");
    EXPECT_EQ(p->EDesde->CondicionBusqueda, "comunidad=1 and codigo <>0");
    EXPECT_EQ(p->EFormato->CondicionBusqueda, "tipo = 2");

    // The name follows the code as it is typed; an empty code leaves it.
    p->EIdioma->setFocus();
    qdtest::Escribe("2");
    EXPECT_EQ(p->LIdioma->text(), "CATALAN");
    qdtest::Captura("etiquetas", p.w);
    p->EHasta->setFocus();
    p->EHasta->selectAll();
    qdtest::Escribe("5");
    EXPECT_EQ(p->LHasta->text(), "ZOE RUIZ");
    qdtest::Teclea(Qt::Key_Backspace);
    EXPECT_EQ(p->LHasta->text(), "ZOE RUIZ");
    qdtest::Escribe("9");
    EXPECT_EQ(p->LHasta->text(), "") << "owner 9 is another community's";
    // F2 opens the search of the lookup being typed in: the community's
    // owners, by code and name.
    p->EHasta->clear();
    QStringList lista;
    qdtest::AlAbrirse([&](QWidget* w) {
        auto* d = qobject_cast<TFIBDBEDITDLG*>(w);
        ASSERT_TRUE(d);
        for (d->FIBFind.First(); !d->FIBFind.Eof(); d->FIBFind.Next())
            lista << d->FIBFind.FieldByName("CODIGO")->AsString();
        EXPECT_EQ(d->DBGFind->Modelo()->columnCount(), 2) << "code and name";
        d->FIBFind.Last();
        d->accept();
    });
    qdtest::Teclea(Qt::Key_F2);
    EXPECT_EQ(lista, QStringList({"3", "5", "7"}));
    EXPECT_EQ(p->EHasta->text(), "7");
    EXPECT_EQ(p->LHasta->text(), "LUIS PEREZ");
}

TEST_F(Etiquetas, TheButtonsPreviewTheLabelsOrOpenTheMergedSheetInWord)
{
    Propietario({1, "ANA GIL"});
    Propietario({2, "LUIS PEREZ"});
    Pantalla p;
    // No label formats yet: the message, and nothing else.
    QString visto;
    qdtest::AlAbrirse([&](QWidget* w) {
        visto = qdtest::Textos(w);
        qdtest::Pulsa(w, "Aceptar");
    });
    p->BtWord->click();
    EXPECT_TRUE(visto.contains("No hay formatos de etiquetas definidos, creelos en formatos")) << visto.toStdString();

    Formato(1, "ETIQUETAS 3 X 8", FormatoMotor());
    Formato(2, "HOJA PARA WORD", HojaLibreOffice());
    p->EFormato->setText("1");
    QString vista;
    qdtest::AlAbrirse([&](QWidget* w) {
        vista = w->windowTitle();
        qdtest::Captura("etiquetas-vista-previa", w);
        static_cast<QDialog*>(w)->reject();
    });
    p->BtAceptar->click();
    EXPECT_TRUE(vista.startsWith("Vista previa")) << vista.toStdString();

    p->EFormato->setText("2");
    qputenv("QD_PROCESADOR", "sin-guardar");
    qputenv("QD_PROCESADOR_ARGS", (programa.path() + "/args.txt").toUtf8());
    p->BtWord->click();
    const QStringList args = QString::fromUtf8(LeeFichero(programa.path() + "/args.txt")).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(args.isEmpty());
    EXPECT_EQ(args.last(), Fichero("tmp2.rtf"));
    const QString texto = Texto(LeeFichero(Fichero("tmp2.rtf")));
    EXPECT_TRUE(EnOrden(texto, {"ANA GIL", "50001 POBLACION 1", "LUIS PEREZ", "50002 POBLACION 2"})) << texto.toStdString();
}

TEST_F(Etiquetas, SelectivoClearsTheMarksOnOpeningAndSwitchesThemOneByOneOrAll)
{
    Propietario({1, "ANA GIL", "", 1, 1});
    Propietario({2, "LUIS PEREZ", "", 1, 1});
    Propietario({3, "ZOE RUIZ", "", 1, 1});
    Propietario({1, "DE OTRA", "", 1, 1, 1, 2});
    auto marcas = [&] { return Sql("SELECT LIST(CODIGO || ':' || TEXTO) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1 AND CODIGO<>0").toString(); };
    auto sumaOtra = [&] { return Sql("SELECT SUM(TEXTO) FROM EMP_PROPIETARIO WHERE COMUNIDAD=2").toInt(); };
    Pantalla etiquetas;
    QPointer<TFSelectivo> s;
    qdtest::AlAbrirse([&](QWidget* w) {
        s = qobject_cast<TFSelectivo*>(w);
        ASSERT_TRUE(s);
        EXPECT_EQ(w->windowTitle(), "Selectivo");
        EXPECT_EQ(marcas(), "1:0,2:0,3:0") << "opening clears the community's marks";
        EXPECT_EQ(sumaOtra(), 1) << "and no other community's";
        EXPECT_EQ(s->Rejilla->Modelo()->rowCount(), 3);
        EXPECT_EQ(s->Rejilla->Modelo()->headerData(2, Qt::Horizontal).toString(), "Activar");
        s->Rejilla->setFocus();
        s->Rejilla->setCurrentIndex(s->Rejilla->Modelo()->index(1, 1));
        qdtest::Teclea(Qt::Key_Return);
        EXPECT_EQ(marcas(), "1:0,2:1,3:0") << "Enter switches the mark and saves it at once";
        // As the platform delivers a double click: a click, then the second
        // press as a double click.
        auto dobleClic = [&](int fila) {
            const QPoint celda = s->Rejilla->visualRect(s->Rejilla->Modelo()->index(fila, 1)).center();
            QTest::mouseClick(s->Rejilla->viewport(), Qt::LeftButton, {}, celda);
            QTest::mouseDClick(s->Rejilla->viewport(), Qt::LeftButton, {}, celda);
        };
        dobleClic(1);
        EXPECT_EQ(marcas(), "1:0,2:0,3:0") << "so does a double click";
        dobleClic(2);
        EXPECT_EQ(marcas(), "1:0,2:0,3:1");
        QTest::mouseClick(s->Rejilla->viewport(), Qt::LeftButton, {},
                          s->Rejilla->visualRect(s->Rejilla->Modelo()->index(0, 1)).center());
        EXPECT_EQ(marcas(), "1:0,2:0,3:1") << "a single click only moves";
        qdtest::Captura("etiquetas-selectivo", w);
        s->TbActivar->click();
        EXPECT_EQ(marcas(), "1:1,2:1,3:1");
        EXPECT_EQ(s->QPropietarios.FieldByName("TEXTO")->AsInteger(), 1) << "the list is read again";
        s->TbDesactivar->click();
        EXPECT_EQ(marcas(), "1:0,2:0,3:0");
        s->Rejilla->setCurrentIndex(s->Rejilla->Modelo()->index(0, 1));
        qdtest::Teclea(Qt::Key_Return);
        qdtest::Teclea(Qt::Key_Escape);
    });
    etiquetas->BtSelectivo->click();
    EXPECT_FALSE(s) << "Escape closed it, and it is gone";
    EXPECT_EQ(marcas(), "1:1,2:0,3:0") << "the marks stay after closing";

    // The labels of the marked owners only.
    Formato(1, "HOJA", kHojaDos);
    etiquetas->EFormato->setText("1");
    etiquetas->CSelectivo->setCurrentIndex(1);
    TDMEtiqueta* m = etiquetas->DM();
    m->Prepara(etiquetas->Peticion());
    EXPECT_EQ(m->QEtiqueta.FieldByName("NOMBRE")->AsString(), "ANA GIL");
    m->QEtiqueta.Next();
    EXPECT_TRUE(m->QEtiqueta.Eof());
}

TEST_F(Etiquetas, TheCommandIsInTheTextsMenu)
{
    RegistraOrdenesDocumentos();
    const TOrden* orden = OrdenRegistrada("Etiquetas");
    ASSERT_NE(orden, nullptr);
    EXPECT_EQ(orden->Menu, TMenuOrden::Textos);
    EXPECT_EQ(orden->Posicion, 20);
    EXPECT_EQ(orden->Titulo, "Etiquetas");
    QString titulo;
    qdtest::AlAbrirse([&](QWidget* w) {
        titulo = w->windowTitle();
        w->close();
    });
    orden->Abre(nullptr);
    EXPECT_EQ(titulo, "Etiquetas") << "opened modally";
}

class EtiquetasDemo : public Etiquetas {
protected:
    EtiquetasDemo() : Etiquetas(true) {}
};

TEST_F(EtiquetasDemo, BothButtonsWorkOnTheDemoDatabase)
{
    Pantalla p;
    EXPECT_EQ(p->EFormato->text(), "1");
    TPeticionEtiquetas pet = p->Peticion();
    const qdr::Document doc = p->DM()->EtiquetasInforme(pet);
    ASSERT_FALSE(doc.pages.empty());
    const std::vector<QStringList> filas = qdr::dataRows(doc);
    const int propietarios = Sql("SELECT COUNT(*) FROM VER_PROPIETARIO_DIRE WHERE COMUNIDAD=1 AND ACTIVO=1").toInt();
    EXPECT_EQ(int(filas.size()), propietarios);
    const QString primero = Sql("SELECT NOMBRE FROM VER_PROPIETARIO_DIRE WHERE COMUNIDAD=1 AND ACTIVO=1 ORDER BY CODIGO").toString();
    EXPECT_EQ(filas.front().value(0), primero);

    pet.Formato = "2";
    const QByteArray hoja = LeeFichero(p->DM()->EtiquetasWord(pet));
    EXPECT_TRUE(DocumentoRtfCompleto(hoja));
    EXPECT_TRUE(Texto(hoja).contains(primero)) << "a name with accents, read back as typed";
    EXPECT_EQ(Sql("SELECT FORMATO FROM SYS_FORMATOS WHERE CODIGO=2").toByteArray(), HojaLibreOffice())
        << "the demo's sheet is the one LibreOffice saved";
}

} // namespace
