// Layout of small cases, compared as text dumps of the page primitives.
#include "ReportFixtures.h"

#include "ReportError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qdr;
using namespace qdrtest;

namespace {

QString dump(const Report& r, const ReportData& d)
{
    return dumpDocument(layoutReport(r, d, fixedClock()));
}

const QString kDs = QStringLiteral("frDBDataSet1");

Band& dataBand(Report& r, double height = 6)
{
    Band& b = r.addBand(BandKind::MasterData, height, QStringLiteral("Datos"));
    b.dataSet = kDs;
    return b;
}

AggregateObject& addAggregate(Band& band, AggregateFunction f, const QString& expr, AggregateScope scope, double x,
                              double w)
{
    auto& a = band.add<AggregateObject>();
    a.function = f;
    a.expression = expr;
    a.scope = scope;
    a.x = x;
    a.width = w;
    a.height = band.height;
    return a;
}

} // namespace

TEST(ReportLayout, PageOverflowRepeatsHeadersAndNumbersPagesNofM)
{
    Report r = smallReport();
    addText(r.addBand(BandKind::PageHeader, 8), QStringLiteral("Cabecera"), 0, 0, 90, 8);
    addText(r.addBand(BandKind::MasterHeader, 6), QStringLiteral("Nombre"), 0, 0, 40, 6);
    addText(dataBand(r), QStringLiteral("[frDBDataSet1.\"NOMBRE\"]"), 0, 0, 40, 6);
    addText(r.addBand(BandKind::PageFooter, 6), QStringLiteral("Página [Page] de [Pages]"), 0, 0, 90, 6);
    MemoryDataSource ds;
    fillRows(ds, 10);
    ReportData d;
    d.addDataSet(kDs, &ds);
    // 60 mm page: 5 mm margins and a 6 mm footer leave rows down to 49 mm.
    EXPECT_EQ(dump(r, d), QStringLiteral(R"(page 1 100.0x60.0
  PageHeader#1 text 5.0,5.0 90.0x8.0 "Cabecera"
  MasterHeader#2 text 5.0,13.0 40.0x6.0 "Nombre"
  MasterData#3 text 5.0,19.0 40.0x6.0 "Fila 1"
  MasterData#4 text 5.0,25.0 40.0x6.0 "Fila 2"
  MasterData#5 text 5.0,31.0 40.0x6.0 "Fila 3"
  MasterData#6 text 5.0,37.0 40.0x6.0 "Fila 4"
  MasterData#7 text 5.0,43.0 40.0x6.0 "Fila 5"
  PageFooter#8 text 5.0,49.0 90.0x6.0 "Página 1 de 2"
page 2 100.0x60.0
  PageHeader#9 text 5.0,5.0 90.0x8.0 "Cabecera"
  MasterHeader#10r text 5.0,13.0 40.0x6.0 "Nombre"
  MasterData#11 text 5.0,19.0 40.0x6.0 "Fila 6"
  MasterData#12 text 5.0,25.0 40.0x6.0 "Fila 7"
  MasterData#13 text 5.0,31.0 40.0x6.0 "Fila 8"
  MasterData#14 text 5.0,37.0 40.0x6.0 "Fila 9"
  MasterData#15 text 5.0,43.0 40.0x6.0 "Fila 10"
  PageFooter#16 text 5.0,49.0 90.0x6.0 "Página 2 de 2"
)"));
}

TEST(ReportLayout, GroupChangeClosesTheGroupWithItsOwnValuesAndTotal)
{
    Report r = smallReport();
    r.page.paperHeight = 120;
    Band& gh = r.addBand(BandKind::GroupHeader, 5);
    gh.condition = QStringLiteral("frDBDataSet1.GRUPO");
    addText(gh, QStringLiteral("Grupo [frDBDataSet1.GRUPO]"), 0, 0, 40, 5);
    addText(dataBand(r, 5), QStringLiteral("[frDBDataSet1.NOMBRE]"), 5, 0, 40, 5);
    Band& gf = r.addBand(BandKind::GroupFooter, 5);
    addText(gf, QStringLiteral("Fin [frDBDataSet1.GRUPO]"), 0, 0, 40, 5);
    addAggregate(gf, AggregateFunction::Sum, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Band, 50, 20)
        .displayFormat = QStringLiteral("#0.00");
    MemoryDataSource ds;
    fillRows(ds, 5, 3);
    ReportData d;
    d.addDataSet(kDs, &ds);
    EXPECT_EQ(dump(r, d), QStringLiteral(R"(page 1 100.0x120.0
  GroupHeader#1 text 5.0,5.0 40.0x5.0 "Grupo 1"
  MasterData#2 text 10.0,10.0 40.0x5.0 "Fila 1"
  MasterData#3 text 10.0,15.0 40.0x5.0 "Fila 2"
  MasterData#4 text 10.0,20.0 40.0x5.0 "Fila 3"
  GroupFooter#5 text 5.0,25.0 40.0x5.0 "Fin 1"
  GroupFooter#5 text 55.0,25.0 20.0x5.0 "9,00"
  GroupHeader#6 text 5.0,30.0 40.0x5.0 "Grupo 2"
  MasterData#7 text 10.0,35.0 40.0x5.0 "Fila 4"
  MasterData#8 text 10.0,40.0 40.0x5.0 "Fila 5"
  GroupFooter#9 text 5.0,45.0 40.0x5.0 "Fin 2"
  GroupFooter#9 text 55.0,45.0 20.0x5.0 "13,50"
)"));
}

TEST(ReportLayout, MasterDetailReReadsTheDetailForEachMasterRow)
{
    Report r = smallReport();
    r.page.paperHeight = 120;
    Band& m = r.addBand(BandKind::MasterData, 5);
    m.dataSet = QStringLiteral("frDBCampos");
    addText(m, QStringLiteral("[frDBCampos.NOMBRE]"), 0, 0, 40, 5);
    addText(r.addBand(BandKind::DetailHeader, 5), QStringLiteral("Fincas"), 5, 0, 40, 5);
    Band& det = r.addBand(BandKind::DetailData, 5);
    det.dataSet = QStringLiteral("frDBDetalle");
    addText(det, QStringLiteral("[frDBDetalle.FINCA] [Line]"), 10, 0, 40, 5);
    Band& df = r.addBand(BandKind::DetailFooter, 5);
    addAggregate(df, AggregateFunction::Count, {}, AggregateScope::Band, 10, 20);

    MemoryDataSource owners({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")});
    owners.addRow({1, QStringLiteral("Ana")});
    owners.addRow({2, QStringLiteral("Luis")});
    owners.addRow({3, QStringLiteral("Eva")});
    MemoryDataSource props({QStringLiteral("PROPIETARIO"), QStringLiteral("FINCA")});
    props.addRow({1, QStringLiteral("1A")});
    props.addRow({3, QStringLiteral("3B")});
    props.addRow({1, QStringLiteral("2C")});
    props.linkTo(&owners, {QStringLiteral("CODIGO")}, {QStringLiteral("PROPIETARIO")});
    ReportData d;
    d.addDataSet(QStringLiteral("frDBCampos"), &owners);
    d.addDataSet(QStringLiteral("frDBDetalle"), &props);
    // Luis has no properties: no detail header or footer for him.
    EXPECT_EQ(dump(r, d), QStringLiteral(R"(page 1 100.0x120.0
  MasterData#1 text 5.0,5.0 40.0x5.0 "Ana"
  DetailHeader#2 text 10.0,10.0 40.0x5.0 "Fincas"
  DetailData#3 text 15.0,15.0 40.0x5.0 "1A 1"
  DetailData#4 text 15.0,20.0 40.0x5.0 "2C 2"
  DetailFooter#5 text 15.0,25.0 20.0x5.0 "2"
  MasterData#6 text 5.0,30.0 40.0x5.0 "Luis"
  MasterData#7 text 5.0,35.0 40.0x5.0 "Eva"
  DetailHeader#8 text 10.0,40.0 40.0x5.0 "Fincas"
  DetailData#9 text 15.0,45.0 40.0x5.0 "3B 1"
  DetailFooter#10 text 15.0,50.0 20.0x5.0 "1"
)"));
}

TEST(ReportLayout, LabelColumnsFillAcrossThenDownOrDownThenAcross)
{
    struct Case {
        ColumnOrder order;
        const char* positions; // label number at x,y per page
    };
    const Case cases[] = {
        {ColumnOrder::AcrossThenDown, "p1 1@5,5 2@35,5 3@65,5 4@5,25 5@35,25 6@65,25 p2 7@5,5"},
        {ColumnOrder::DownThenAcross, "p1 1@5,5 2@5,25 3@35,5 4@35,25 5@65,5 6@65,25 p2 7@5,5"},
    };
    for (const Case& c : cases) {
        Report r = smallReport();
        r.page.columns = 3;
        r.page.columnOrder = c.order;
        addText(dataBand(r, 20), QStringLiteral("[frDBDataSet1.NOMBRE]"), 0, 0, 30, 20);
        MemoryDataSource ds;
        fillRows(ds, 7);
        ReportData d;
        d.addDataSet(kDs, &ds);
        const Document doc = layoutReport(r, d);
        QString got;
        for (std::size_t p = 0; p < doc.pages.size(); ++p) {
            got += QStringLiteral("%1p%2").arg(p ? QStringLiteral(" ") : QString()).arg(p + 1);
            for (const Primitive& it : doc.pages[p].items)
                got += QStringLiteral(" %1@%2,%3").arg(it.text.mid(5)).arg(it.rect.left()).arg(it.rect.top());
        }
        EXPECT_EQ(got, QString::fromLatin1(c.positions));
    }
}

TEST(ReportLayout, TotalsPerPageAndPerReport)
{
    Report r = smallReport();
    addText(dataBand(r, 10), QStringLiteral("[frDBDataSet1.IMPORTE]"), 0, 0, 30, 10);
    Band& pf = r.addBand(BandKind::PageFooter, 10);
    addAggregate(pf, AggregateFunction::Sum, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Page, 0, 30);
    addAggregate(pf, AggregateFunction::Sum, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Report, 40, 30);
    Band& sum = r.addBand(BandKind::ReportSummary, 10);
    addAggregate(sum, AggregateFunction::Count, {}, AggregateScope::Report, 0, 20);
    addAggregate(sum, AggregateFunction::Average, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Report, 20, 20);
    addAggregate(sum, AggregateFunction::Minimum, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Report, 40, 20);
    addAggregate(sum, AggregateFunction::Maximum, QStringLiteral("frDBDataSet1.IMPORTE"), AggregateScope::Report, 60, 20);
    MemoryDataSource ds;
    fillRows(ds, 5); // 1,5 3 4,5 6 7,5; four rows fit on a page
    ReportData d;
    d.addDataSet(kDs, &ds);
    EXPECT_EQ(dump(r, d), QStringLiteral(R"(page 1 100.0x60.0
  MasterData#1 text 5.0,5.0 30.0x10.0 "1,5"
  MasterData#2 text 5.0,15.0 30.0x10.0 "3"
  MasterData#3 text 5.0,25.0 30.0x10.0 "4,5"
  MasterData#4 text 5.0,35.0 30.0x10.0 "6"
  PageFooter#5 text 5.0,45.0 30.0x10.0 "15"
  PageFooter#5 text 45.0,45.0 30.0x10.0 "15"
page 2 100.0x60.0
  MasterData#6 text 5.0,5.0 30.0x10.0 "7,5"
  ReportSummary#7 text 5.0,15.0 20.0x10.0 "5"
  ReportSummary#7 text 25.0,15.0 20.0x10.0 "4,5"
  ReportSummary#7 text 45.0,15.0 20.0x10.0 "1,5"
  ReportSummary#7 text 65.0,15.0 20.0x10.0 "7,5"
  PageFooter#8 text 5.0,45.0 30.0x10.0 "7,5"
  PageFooter#8 text 45.0,45.0 30.0x10.0 "22,5"
)"));
}

TEST(ReportLayout, LongTextSplitsAcrossPagesAndNeverRunsIntoTheFooter)
{
    Report r = smallReport();
    addText(r.addBand(BandKind::PageHeader, 6), QStringLiteral("Cabecera"), 0, 0, 90, 6);
    Band& b = r.addBand(BandKind::MasterData, 6);
    b.stretch = true;
    QStringList lines;
    for (int i = 1; i <= 20; ++i)
        lines << QStringLiteral("Renglón %1").arg(i);
    TextObject& t = addText(b, lines.join(QLatin1Char('\n')), 0, 0, 90, 6);
    t.stretch = true;
    t.frame.setAll(true);
    addText(r.addBand(BandKind::PageFooter, 6), QStringLiteral("Pie [Page]"), 0, 0, 90, 6);
    const Document doc = layoutReport(r, ReportData());
    ASSERT_GE(doc.pages.size(), 2u);
    QStringList shown;
    for (const Page& p : doc.pages) {
        const double footerTop = p.height - 5 - 6;
        bool sawHeader = false;
        for (const Primitive& it : p.items) {
            if (it.band == BandKind::PageHeader)
                sawHeader = true;
            if (it.band == BandKind::MasterData) {
                EXPECT_LE(it.rect.bottom(), footerTop + 1e-6) << it.text.toStdString();
                EXPECT_GE(it.rect.top(), 11.0 - 1e-6);
                if (it.kind == PrimitiveKind::Text)
                    shown << it.text.split(QLatin1Char('\n'));
            }
        }
        EXPECT_TRUE(sawHeader);
    }
    // Every line once, in order, whole lines per page.
    EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(), lines.join(QLatin1Char('|')).toStdString());
}

TEST(ReportLayout, KeepTogetherAndStartNewPage)
{
    Report r = smallReport();
    addText(dataBand(r, 20), QStringLiteral("[frDBDataSet1.NOMBRE]"), 0, 0, 30, 20);
    Band& s = r.addBand(BandKind::ReportSummary, 6);
    s.startNewPage = true;
    addText(s, QStringLiteral("Resumen"), 0, 0, 30, 6);
    MemoryDataSource ds;
    fillRows(ds, 1);
    ReportData d;
    d.addDataSet(kDs, &ds);
    const Document doc = layoutReport(r, d);
    ASSERT_EQ(doc.pages.size(), 2u);
    EXPECT_EQ(doc.pages[1].items.front().text, QStringLiteral("Resumen"));
}

TEST(ReportLayout, AMissingNameStopsTheRunNamingTheObject)
{
    struct Case {
        QString text;
        QString dataSet;
        const char* message;
    };
    const Case cases[] = {
        {QStringLiteral("[frDBCampos.NOMBRE]"), kDs, "Objeto «Memo7»: no existe el conjunto de datos «frDBCampos»"},
        {QStringLiteral("[frDBDataSet1.\"APELLIDO\"]"), kDs, "Objeto «Memo7»: el conjunto de datos «frDBDataSet1» no tiene el campo «APELLIDO»"},
        {QStringLiteral("[Titulo]"), kDs, "Objeto «Memo7»: no existe la variable «Titulo»"},
        {QStringLiteral("x"), QStringLiteral("QAdministrador"), "Banda «Datos»: no existe el conjunto de datos «QAdministrador»"},
    };
    for (const Case& c : cases) {
        Report r = smallReport();
        Band& b = dataBand(r);
        b.dataSet = c.dataSet;
        addText(b, c.text, 0, 0, 30, 6).name = QStringLiteral("Memo7");
        MemoryDataSource ds;
        fillRows(ds, 2);
        ReportData d;
        d.addDataSet(kDs, &ds);
        try {
            layoutReport(r, d);
            ADD_FAILURE() << c.message;
        } catch (const EReportError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

TEST(ReportLayout, PicturesBarcodesAndChartsBecomeImagesAndRectangles)
{
    QTemporaryDir dir;
    QImage photo(40, 20, QImage::Format_RGB32);
    photo.fill(Qt::red);
    const QString jpg = dir.filePath(QStringLiteral("F000000.JPG"));
    ASSERT_TRUE(photo.save(jpg));

    Report r = smallReport();
    r.page.paperHeight = 200;
    Band& b = r.addBand(BandKind::ReportTitle, 100);
    auto& pic = b.add<PictureObject>();
    pic.name = QStringLiteral("Imagen");
    pic.width = 40;
    pic.height = 40; // a 2:1 photo keeps its aspect, centred: 40 × 20 at y 10
    auto& code = b.add<BarcodeObject>();
    code.type = BarcodeType::Ean13;
    code.text = QStringLiteral("[Codigo]");
    code.x = 45;
    code.width = 40;
    code.height = 20;
    auto& bad = b.add<BarcodeObject>();
    bad.type = BarcodeType::Ean13;
    bad.text = QStringLiteral("12AB");
    bad.y = 45;
    bad.width = 40;
    bad.height = 10;
    auto& qr = b.add<BarcodeObject>();
    qr.type = BarcodeType::QrCode;
    qr.text = QStringLiteral("https://example.org/acta?c=7");
    qr.x = 45;
    qr.y = 25;
    qr.width = 20;
    qr.height = 20;
    auto& chart = b.add<ChartObject>();
    chart.dataSet = kDs;
    chart.labelExpression = QStringLiteral("frDBDataSet1.NOMBRE");
    chart.valueExpression = QStringLiteral("frDBDataSet1.IMPORTE");
    chart.y = 60;
    chart.width = 80;
    chart.height = 40;
    MemoryDataSource ds;
    fillRows(ds, 3);
    ReportData d;
    d.addDataSet(kDs, &ds);
    d.setVariable(QStringLiteral("Codigo"), QStringLiteral("400638133393"));
    ASSERT_TRUE(d.loadPicture(QStringLiteral("Imagen"), {dir.filePath(QStringLiteral("F000000.BMP")), jpg}));

    const Document doc = layoutReport(r, d);
    ASSERT_EQ(doc.pages.size(), 1u);
    int images = 0;
    int bars = 0;
    QStringList texts;
    for (const Primitive& it : doc.pages[0].items) {
        if (it.kind == PrimitiveKind::Image) {
            ++images;
            if (images == 1) {
                EXPECT_EQ(it.rect, QRectF(5, 15, 40, 20));
            }
        }
        if (it.kind == PrimitiveKind::Rect)
            ++bars;
        if (it.kind == PrimitiveKind::Text)
            texts << it.text;
    }
    EXPECT_EQ(images, 2); // the photo and the chart
    EXPECT_GT(bars, 40);  // EAN-13 bars and QR modules
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], QStringLiteral("4006381333931")); // with its check digit
    EXPECT_TRUE(texts[1].contains(QStringLiteral("EAN-13"))) << texts[1].toStdString();
}

TEST(ReportLayout, RichTextBecomesFormattedTextsAndSplitsAcrossPages)
{
    Report r = smallReport();
    addText(r.addBand(BandKind::PageHeader, 6), QStringLiteral("Cabecera"), 0, 0, 90, 6);
    Band& b = r.addBand(BandKind::ReportTitle, 10);
    b.stretch = true;
    auto& rt = b.add<RichTextObject>();
    rt.name = QStringLiteral("Acta");
    rt.width = 90;
    rt.height = 10;
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 {\\b Negrita} normal\\par\n";
    for (int i = 1; i <= 30; ++i)
        rtf += "P\\'e1rrafo " + QByteArray::number(i) + "\\par\n";
    rtf += "}";
    rt.rtf = QString::fromLatin1(rtf);
    const Document doc = layoutReport(r, ReportData());
    ASSERT_GE(doc.pages.size(), 2u) << dumpDocument(doc).toStdString();
    QStringList texts;
    bool boldFirst = false;
    for (const Page& p : doc.pages) {
        for (const Primitive& it : p.items) {
            if (it.band != BandKind::ReportTitle || it.kind != PrimitiveKind::Text)
                continue;
            if (texts.isEmpty())
                boldFirst = doc.styles[static_cast<std::size_t>(it.style)].font.bold;
            texts << it.text;
            EXPECT_LE(it.rect.bottom(), p.height - 5 + 1e-6);
            EXPECT_GE(it.rect.top(), 11.0 - 1e-6); // below the page header
        }
    }
    EXPECT_TRUE(boldFirst);
    ASSERT_GE(texts.size(), 32);
    EXPECT_EQ(texts[0], QStringLiteral("Negrita"));
    EXPECT_EQ(texts[1], QStringLiteral("normal"));
    EXPECT_EQ(texts[2], QStringLiteral("Párrafo 1"));
    EXPECT_EQ(texts.last(), QStringLiteral("Párrafo 30"));
    EXPECT_EQ(texts.size(), 32); // each paragraph once

    rt.rtf = QStringLiteral("esto no es RTF");
    try {
        layoutReport(r, ReportData());
        ADD_FAILURE();
    } catch (const EReportError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Objeto «Acta»: el texto enriquecido no se puede leer"))) << e.message().toStdString();
    }
}
