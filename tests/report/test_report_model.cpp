// Display formats, expressions and the format file.
#include "ReportData.h"
#include "ReportError.h"
#include "ReportExpr.h"
#include "ReportFormat.h"
#include "ReportXml.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qdr;

TEST(ReportFormat, ValuesShowThroughTheProgramFormats)
{
    EXPECT_EQ(displayText(QVariant()), QString());
    EXPECT_EQ(displayText(4.25), QStringLiteral("4,25"));
    EXPECT_EQ(displayText(3), QStringLiteral("3"));
    EXPECT_EQ(displayText(QDate(2024, 3, 5)), QStringLiteral("05/03/2024"));
    EXPECT_EQ(displayText(QDateTime(QDate(2024, 3, 5), QTime(0, 0))), QStringLiteral("05/03/2024"));
    EXPECT_EQ(displayText(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3))), QStringLiteral("05/03/2024 09:07:03"));
    EXPECT_EQ(displayText(1234.5, QStringLiteral("###,###,###,##0.00")), QStringLiteral("1.234,50"));
    EXPECT_EQ(displayText(4.25, QStringLiteral("#0.00000%")), QStringLiteral("4,25000%"));
    EXPECT_EQ(displayText(qlonglong(7), QStringLiteral("0000")), QStringLiteral("0007"));
    EXPECT_EQ(displayText(QDate(2024, 3, 5), QStringLiteral("dd 'de' mmmm")), QStringLiteral("05 de marzo"));
    EXPECT_EQ(displayText(QStringLiteral("texto"), QStringLiteral("#0.00")), QStringLiteral("texto"));
}

namespace {
struct NoSystem : EvalContext {
    QVariant systemVariable(SystemVariable v) const override
    {
        return v == SystemVariable::Page ? QVariant(3) : QVariant();
    }
};

QString eval(const QString& text, const ReportData& data)
{
    Expression e = Expression::parse(text);
    e.bind(data);
    return displayText(e.evaluate(NoSystem()));
}
} // namespace

TEST(ReportExpr, EvaluatesFieldsVariablesOperatorsAndFunctions)
{
    MemoryDataSource ds({QStringLiteral("NOMBRE"), QStringLiteral("IMPORTE"), QStringLiteral("COD")});
    ds.addRow({QStringLiteral("García"), 2.5, 7});
    ds.first();
    ReportData data;
    data.addDataSet(QStringLiteral("frDBDataSet1"), &ds);
    data.setVariable(QStringLiteral("Titulo"), QStringLiteral("Junta"));
    const std::pair<const char*, const char*> cases[] = {
        {"frDBDataSet1.\"NOMBRE\"", "García"},
        {"[frDBDataSet1.\"NOMBRE\"]", "García"},
        {"frdbdataset1.nombre", "García"}, // names without regard to case
        {"1 + 2 * 3", "7"},
        {"(1 + 2) * 3", "9"},
        {"10 / 4", "2,5"},
        {"1 / 0", ""},
        {"frDBDataSet1.IMPORTE * 2", "5"},
        {"frDBDataSet1.COD - 10", "-3"},
        {"'a' + 'b' + frDBDataSet1.COD", "ab7"},
        {"'it''s'", "it's"},
        {"IIF(frDBDataSet1.IMPORTE > 2, 'alto', 'bajo')", "alto"},
        {"UpperCase(frDBDataSet1.NOMBRE)", "GARCÍA"},
        {"Copy('abcdef', 2, 3)", "bcd"},
        {"Length(Trim('  ab  '))", "2"},
        {"FormatFloat('#0.00', 3.14159)", "3,14"},
        {"not (1 = 2) and (2 <> 3)", "1"},
        {"'b' > 'a' or 1 > 2", "1"},
        {"Titulo + ' ' + Page", "Junta 3"},
        {"-frDBDataSet1.COD", "-7"},
    };
    for (const auto& [expr, expected] : cases)
        EXPECT_EQ(eval(QString::fromUtf8(expr), data), QString::fromUtf8(expected)) << expr;
}

TEST(ReportExpr, SyntaxAndNameErrorsAreReportedNotCrashed)
{
    MemoryDataSource ds({QStringLiteral("NOMBRE")});
    ReportData data;
    data.addDataSet(QStringLiteral("ds"), &ds);
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("1 +"), "termina antes de tiempo"},
        {QStringLiteral("'abc"), "falta la comilla"},
        {QStringLiteral("Foo(1)"), "la función «Foo» no existe"},
        {QStringLiteral("Copy('a')"), "argumentos"},
        {QStringLiteral("\"NOMBRE\""), "no indica su conjunto de datos"},
        {QStringLiteral("1 2"), "sobra"},
        {QStringLiteral("a # b"), "carácter inesperado"},
        {QString(1000, QLatin1Char('(')), "demasiado anidada"},
        {QStringLiteral("otro.NOMBRE"), "no existe el conjunto de datos «otro»"},
        {QStringLiteral("ds.APELLIDO"), "no tiene el campo «APELLIDO»"},
        {QStringLiteral("Desconocida"), "no existe la variable «Desconocida»"},
    };
    for (const auto& [text, message] : cases) {
        try {
            Expression e = Expression::parse(text);
            e.bind(data);
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const EReportError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(message))) << e.message().toStdString();
        }
    }
}

TEST(ReportExpr, TemplatesMixLiteralTextAndFormattedValues)
{
    MemoryDataSource ds({QStringLiteral("IMPORTE")});
    ds.addRow({1234.5});
    ds.first();
    ReportData data;
    data.addDataSet(QStringLiteral("ds"), &ds);
    TextTemplate t = TextTemplate::parse(QStringLiteral("Total: [ds.\"IMPORTE\"] € [sin cerrar"));
    t.bind(data);
    EXPECT_EQ(t.evaluate(NoSystem(), QStringLiteral("###,###,###,##0.00")), QStringLiteral("Total: 1.234,50 € [sin cerrar"));
    TextTemplate nested = TextTemplate::parse(QStringLiteral("[IIF(1 = 1, '[a]', 'b')]"));
    nested.bind(data);
    EXPECT_EQ(nested.evaluate(NoSystem(), {}), QStringLiteral("[a]"));
}

namespace {
Report everyKindOfObject()
{
    Report r;
    r.name = QStringLiteral("Todo");
    r.page.orientation = Orientation::Landscape;
    r.page.columns = 3;
    r.page.columnGap = 2.5;
    r.page.columnOrder = ColumnOrder::DownThenAcross;
    Band& b = r.addBand(BandKind::GroupHeader, 12.5, QStringLiteral("Grupo"));
    b.condition = QStringLiteral("frDBCampos.\"FINCA\"");
    b.keepTogether = b.startNewPage = b.stretch = true;
    b.repeatOnNewPage = false;
    auto& t = b.add<TextObject>();
    t.name = QStringLiteral("Memo1");
    t.text = QStringLiteral("Línea 1\nLínea \"2\" <&>");
    t.x = 1.25;
    t.width = 40;
    t.height = 5;
    t.font.family = QStringLiteral("DejaVu Serif");
    t.font.size = 12;
    t.font.bold = true;
    t.font.color = 0xff336699;
    t.hAlign = HAlign::Right;
    t.vAlign = VAlign::Bottom;
    t.wordWrap = false;
    t.stretch = true;
    t.displayFormat = QStringLiteral("#0.00000%");
    t.frame.setAll(true);
    t.frame.width = 0.5;
    t.fill = 0x80ff0000;
    auto& l = b.add<LineObject>();
    l.width = 50;
    l.penWidth = 0.3;
    auto& rect = b.add<RectangleObject>();
    rect.frame.setAll(false); // a rectangle that keeps only its fill
    rect.fill = 0xffeeeeee;
    auto& p = b.add<PictureObject>();
    p.name = QStringLiteral("Imagen");
    p.source = PictureSource::Field;
    p.expression = QStringLiteral("frDBCampos.FOTO");
    p.keepAspect = false;
    auto& bc = b.add<BarcodeObject>();
    bc.type = BarcodeType::QrCode;
    bc.text = QStringLiteral("[frDBCampos.CODIGO]");
    bc.showText = false;
    auto& c = b.add<ChartObject>();
    c.type = ChartType::Pie;
    c.dataSet = QStringLiteral("frDBCampos");
    c.labelExpression = QStringLiteral("frDBCampos.FINCA");
    c.valueExpression = QStringLiteral("frDBCampos.COEFICIENTE");
    c.title = QStringLiteral("Coeficientes");
    auto& rt = b.add<RichTextObject>();
    rt.rtf = QStringLiteral("{\\rtf1 hola}");
    rt.allowSplit = false;
    auto& a = b.add<AggregateObject>();
    a.function = AggregateFunction::Average;
    a.expression = QStringLiteral("frDBCampos.COEFICIENTE");
    a.dataBand = QStringLiteral("Datos");
    a.scope = AggregateScope::Report;
    r.addBand(BandKind::MasterData, 5, QStringLiteral("Datos")).dataSet = QStringLiteral("frDBCampos");
    return r;
}
} // namespace

TEST(ReportXml, SavesOnlyWhatDiffersAndReadsItBack)
{
    const Report r = everyKindOfObject();
    const QByteArray xml = reportToXml(r);
    const Report back = reportFromXml(xml);
    EXPECT_EQ(reportToXml(back), xml);
    ASSERT_EQ(back.bands.size(), 2u);
    const Band& b = back.bands[0];
    EXPECT_EQ(b.kind, BandKind::GroupHeader);
    EXPECT_EQ(b.condition, QStringLiteral("frDBCampos.\"FINCA\""));
    EXPECT_FALSE(b.repeatOnNewPage);
    ASSERT_EQ(b.objects.size(), 8u);
    const auto& t = static_cast<const TextObject&>(*b.objects[0]);
    EXPECT_EQ(t.text, QStringLiteral("Línea 1\nLínea \"2\" <&>"));
    EXPECT_EQ(t.font.color, 0xff336699u);
    EXPECT_EQ(t.fill, 0x80ff0000u);
    EXPECT_TRUE(t.frame.left && t.frame.bottom);
    EXPECT_DOUBLE_EQ(t.x, 1.25);
    EXPECT_FALSE(b.objects[2]->frame.any());
    EXPECT_EQ(back.page.columnOrder, ColumnOrder::DownThenAcross);
    EXPECT_EQ(static_cast<const AggregateObject&>(*b.objects[7]).scope, AggregateScope::Report);

    // Defaults are not written: an untouched text object is a bare element.
    Report plain;
    plain.addBand(BandKind::MasterData, 10).add<TextObject>();
    const QString plainXml = QString::fromUtf8(reportToXml(plain));
    EXPECT_TRUE(plainXml.contains(QStringLiteral("<text/>"))) << plainXml.toStdString();
    EXPECT_FALSE(plainXml.contains(QStringLiteral("<page")));
}

TEST(ReportXml, FilesThatAreNotFormatsGiveAClearError)
{
    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(), "está vacío"},
        {QByteArray("hola"), "línea 1"},
        {QByteArray("{\\rtf1\\ansi hola}"), "no es un formato"},
        {QByteArray("<informe version=\"1\"/>"), "empieza por «informe»"},
        {QByteArray("<report/>"), "no indica su versión"},
        {QByteArray("<report version=\"99\"/>"), "versión posterior (99)"},
        {QByteArray("<report version=\"1\"><tabla/></report>"), "elemento desconocido «tabla»"},
        {QByteArray("<report version=\"1\"><band kind=\"Nada\"/></report>"), "tipo desconocido «Nada»"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\" height=\"abc\"/></report>"), "«height»"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\" height=\"nan\"/></report>"), "«height»"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\"><text w=\"-3\"/></band></report>"), "«w»"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\"><text fill=\"rojo\"/></band></report>"), "color"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\" stretch=\"si\"/></report>"), "0 o 1"},
        {QByteArray("<report version=\"1\"><page margin-left=\"150\" margin-right=\"80\"/></report>"), "márgenes"},
        {QByteArray("<report version=\"1\"><band kind=\"MasterData\">"), "línea 1"},
        {QByteArray("<report version=\"1\"/><report version=\"1\"/>"), "línea"},
        // A document type, with or without entities, is refused before it costs anything.
        {QByteArray("<?xml version=\"1.0\"?><!DOCTYPE report [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                    "<report version=\"1\" name=\"&b;\"/>"),
         "tipo de documento (DTD)"},
        {QByteArray("<!DOCTYPE report SYSTEM \"http://127.0.0.1/x.dtd\"><report version=\"1\"/>"), "(DTD)"},
        {QByteArray("<report version=\"1\" name=\"&a;\"/>"), "línea 1"}, // no entity is known
    };
    for (const auto& [xml, message] : cases) {
        try {
            reportFromXml(xml, QStringLiteral("tmp.frf"));
            ADD_FAILURE() << "accepted: " << xml.toStdString();
        } catch (const EReportError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("El fichero «tmp.frf» no es un formato de informe válido")))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(message))) << xml.toStdString() << " → " << e.message().toStdString();
        }
    }
}

TEST(ReportXml, LoadsAndSavesFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FORMATO00012.FRF"));
    saveReport(everyKindOfObject(), path);
    EXPECT_EQ(reportToXml(loadReport(path)), reportToXml(everyKindOfObject()));
    try {
        loadReport(dir.filePath(QStringLiteral("no-existe.frf")));
        ADD_FAILURE();
    } catch (const EReportError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("No se puede abrir el fichero"))) << e.message().toStdString();
    }
}
