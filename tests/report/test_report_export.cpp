// Renderers and exporters, each on a tiny document.
#include "ReportFixtures.h"

#include "ReportError.h"
#include "ReportExport.h"
#include "ReportPainter.h"
#include "ReportPreview.h"

#include "RtfReader.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace qdr;
using namespace qdrtest;

namespace {

// A listing with a page header and footer, a column header, rows and a total.
Document tinyListing()
{
    Report r = smallReport();
    r.name = QStringLiteral("Listado juntas");
    addText(r.addBand(BandKind::PageHeader, 6), QStringLiteral("Cabecera de página"), 0, 0, 90, 6);
    Band& h = r.addBand(BandKind::MasterHeader, 6);
    addText(h, QStringLiteral("Propietario"), 0, 0, 50, 6);
    addText(h, QStringLiteral("Coeficiente"), 50, 0, 40, 6);
    Band& b = r.addBand(BandKind::MasterData, 6);
    b.dataSet = QStringLiteral("frDBCampos");
    addText(b, QStringLiteral("[frDBCampos.NOMBRE]"), 0, 0, 50, 6);
    addText(b, QStringLiteral("[frDBCampos.COEF]"), 50, 0, 40, 6).displayFormat = QStringLiteral("#0.00000%");
    addText(r.addBand(BandKind::PageFooter, 6), QStringLiteral("Página [Page] de [Pages]"), 0, 0, 90, 6);
    MemoryDataSource ds({QStringLiteral("NOMBRE"), QStringLiteral("COEF")});
    ds.addRow({QStringLiteral("Ñandú <&> S.L."), 4.25});
    ds.addRow({QStringLiteral("Pérez; \"el Viejo\""), 10.5});
    ds.addRow({QString(), QVariant()}); // an empty line
    ds.addRow({QStringLiteral("López"), 85.25});
    ReportData d;
    d.addDataSet(QStringLiteral("frDBCampos"), &ds);
    return layoutReport(r, d);
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ReportExport, RenderedTextReallyShowsGlyphs)
{
    // Without a font Qt paints empty boxes that look alike whatever the text.
    auto render = [](const QString& text) {
        Report r = smallReport();
        addText(r.addBand(BandKind::ReportTitle, 20), text, 0, 0, 90, 20).font.size = 24;
        return renderPageImage(layoutReport(r, ReportData()), 0, 96);
    };
    auto ink = [](const QImage& img) {
        qint64 dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    ++dark;
        return dark;
    };
    const QImage narrow = render(QStringLiteral("iiii"));
    const QImage wide = render(QStringLiteral("WWWW"));
    EXPECT_NE(narrow, wide);
    EXPECT_GT(ink(narrow), 0);
    EXPECT_GT(ink(wide), 2 * ink(narrow));
}

TEST(ReportExport, PdfKeepsTextAsTextWithEmbeddedFonts)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("tmp.pdf"));
    ASSERT_TRUE(exportDocument(tinyListing(), QStringLiteral("PDF"), pdf));
    const QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char* expected : {"Cabecera de página", "Ñandú <&> S.L.", "Pérez; \"el Viejo\"", "4,25000%", "85,25000%",
                                 "Página 1 de 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("DejaVu"))) << fonts.toStdString();
    for (const QString& line : fonts.split(QLatin1Char('\n')).mid(2)) {
        if (!line.trimmed().isEmpty()) {
            EXPECT_TRUE(line.contains(QStringLiteral(" yes "))) << "not embedded: " << line.toStdString();
        }
    }
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("Listado juntas"))) << info.toStdString();
}

TEST(ReportExport, HtmlEscapesEveryText)
{
    const QString html = documentHtml(tinyListing());
    EXPECT_TRUE(html.contains(QStringLiteral("Ñandú &lt;&amp;&gt; S.L.")));
    EXPECT_FALSE(html.contains(QStringLiteral("<&>")));
    EXPECT_TRUE(html.contains(QStringLiteral("Pérez; &quot;el Viejo&quot;")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Listado juntas</title>")));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tmp.htm"));
    ASSERT_TRUE(exportDocument(tinyListing(), QStringLiteral("HTML"), file));
    EXPECT_EQ(QString::fromUtf8(readFile(file)), html);
}

TEST(ReportExport, CsvHasOneLinePerDataBandWithoutPageHeadersOrEmptyLines)
{
    const QString expected = QStringLiteral(
        "Propietario;Coeficiente\r\n"
        "Ñandú <&> S.L.;4,25000%\r\n"
        "\"Pérez; \"\"el Viejo\"\"\";10,50000%\r\n"
        "López;85,25000%\r\n");
    EXPECT_EQ(documentCsv(tinyListing()).toStdString(), expected.toStdString());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tmp.csv"));
    ASSERT_TRUE(exportDocument(tinyListing(), QStringLiteral("EXCEL"), file));
    EXPECT_EQ(readFile(file), expected.toUtf8());
}

TEST(ReportExport, PlainTextPutsThePageOnACharacterGrid)
{
    const QString text = documentText(tinyListing());
    const QStringList lines = text.split(QLatin1Char('\n'));
    auto lineWith = [&](const QString& s) {
        for (const QString& l : lines)
            if (l.contains(s))
                return l;
        return QString();
    };
    EXPECT_TRUE(lineWith(QStringLiteral("Ñandú <&> S.L.")).contains(QStringLiteral("4,25000%")));
    EXPECT_TRUE(lineWith(QStringLiteral("Página 1 de 1")).size() > 0);
    // Columns line up: each coefficient starts in the same column as its heading.
    const int col = lineWith(QStringLiteral("Coeficiente")).indexOf(QStringLiteral("Coeficiente"));
    EXPECT_EQ(lineWith(QStringLiteral("López")).indexOf(QStringLiteral("85,25000%")), col);
}

TEST(ReportExport, TargetsAndTheirWorkingFiles)
{
    const std::pair<const char*, const char*> cases[] = {
        {"PDF", "tmp.pdf"}, {"HTML", "tmp.htm"}, {"EXCEL", "tmp.csv"}, {"WORD", "tmp.rtf"}, {"", ""}, {"pdf", ""},
    };
    for (const auto& [target, file] : cases)
        EXPECT_EQ(exportFileName(QString::fromLatin1(target)), QString::fromLatin1(file)) << target;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nada"));
    EXPECT_FALSE(exportDocument(tinyListing(), QStringLiteral("IMPRESORA"), file));
    EXPECT_FALSE(QFile::exists(file));
    try {
        exportCsv(tinyListing(), dir.filePath(QStringLiteral("no/existe/tmp.csv")));
        ADD_FAILURE();
    } catch (const EReportError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("No se puede escribir el fichero"))) << e.message().toStdString();
    }
}

TEST(ReportExport, RtfForTheWordProcessorReadsBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tmp.rtf"));
    ASSERT_TRUE(exportDocument(tinyListing(), QStringLiteral("WORD"), file));
    const QByteArray bytes = readFile(file);
    ASSERT_TRUE(Rtf::isRtf(bytes));
    QTextDocument back;
    Rtf::read(bytes, back);
    const QString text = back.toPlainText();
    for (const char* expected : {"Cabecera de página", "Propietario", "Ñandú <&> S.L.", "Pérez; \"el Viejo\"", "4,25000%",
                                 "López", "85,25000%", "Página 1 de 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    // A row's texts stay in reading order.
    EXPECT_LT(text.indexOf(QStringLiteral("López")), text.indexOf(QStringLiteral("85,25000%")));
    EXPECT_LT(text.indexOf(QStringLiteral("Pérez")), text.indexOf(QStringLiteral("López")));
}

TEST(ReportExport, PrintingGivesEveryPageItsOwnPaper)
{
    // A portrait page and a landscape page, printed to a PDF printer.
    Document doc = tinyListing();
    Page landscape = doc.pages.front();
    std::swap(landscape.width, landscape.height);
    doc.pages.push_back(landscape);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("impreso.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printTo(printer, doc);
    const QString info = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                         QStringLiteral("2"), pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           2"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Page    1 size:  283 x 170 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Page    2 size:  170 x 283 pts"))) << info.toStdString();
    EXPECT_TRUE(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).contains(QStringLiteral("López")));
}

TEST(ReportExport, PreviewWindowPaintsTheReport)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        shown = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    showPreview(tinyListing());
    EXPECT_TRUE(shown);
}
