// Report engine benchmark: a listing of one line per row (code, name,
// coefficient, amount) with page header and footer, laid out and exported to
// PDF. Prints rows and pages per second, memory against pages, and the ratio
// to a baseline that only reads and formats the same values.
#include "ReportExport.h"
#include "ReportLayout.h"
#include "ReportPainter.h"

#include "UFormatos.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

using namespace qdr;

namespace {

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

Report listing()
{
    Report r;
    r.name = QStringLiteral("Listado de prueba");
    auto text = [](Band& b, const QString& t, double x, double w, HAlign a = HAlign::Left) -> TextObject& {
        auto& o = b.add<TextObject>();
        o.text = t;
        o.x = x;
        o.width = w;
        o.height = b.height;
        o.hAlign = a;
        o.font.size = 9;
        return o;
    };
    Band& ph = r.addBand(BandKind::PageHeader, 12);
    text(ph, QStringLiteral("Listado de propietarios"), 0, 120).font.size = 14;
    text(ph, QStringLiteral("[Date]"), 150, 40, HAlign::Right);
    Band& mh = r.addBand(BandKind::MasterHeader, 6);
    text(mh, QStringLiteral("Código"), 0, 20).font.bold = true;
    text(mh, QStringLiteral("Propietario"), 20, 90).font.bold = true;
    text(mh, QStringLiteral("Coeficiente"), 110, 35, HAlign::Right).font.bold = true;
    text(mh, QStringLiteral("Saldo"), 145, 45, HAlign::Right).font.bold = true;
    Band& d = r.addBand(BandKind::MasterData, 5, QStringLiteral("Datos"));
    d.dataSet = QStringLiteral("frDBCampos");
    text(d, QStringLiteral("[frDBCampos.\"CODIGO\"]"), 0, 20);
    text(d, QStringLiteral("[frDBCampos.\"NOMBRE\"]"), 20, 90);
    text(d, QStringLiteral("[frDBCampos.\"COEFICIENTE\"]"), 110, 35, HAlign::Right).displayFormat = QStringLiteral("#0.00000%");
    text(d, QStringLiteral("[frDBCampos.\"SALDO\"]"), 145, 45, HAlign::Right).displayFormat = QStringLiteral("###,###,###,##0.00");
    Band& pf = r.addBand(BandKind::PageFooter, 8);
    auto& sum = pf.add<AggregateObject>();
    sum.expression = QStringLiteral("frDBCampos.SALDO");
    sum.scope = AggregateScope::Page;
    sum.x = 145;
    sum.width = 45;
    sum.height = 8;
    sum.hAlign = HAlign::Right;
    sum.displayFormat = QStringLiteral("###,###,###,##0.00");
    text(pf, QStringLiteral("Página [Page] de [Pages]"), 0, 80);
    return r;
}

void fill(MemoryDataSource& ds, int rows)
{
    ds.setFields({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("COEFICIENTE"), QStringLiteral("SALDO")});
    for (int i = 1; i <= rows; ++i)
        ds.addRow({i, QStringLiteral("Propietario número %1 de la comunidad").arg(i), 100.0 / rows * (1 + i % 7) / 4,
                   (i % 13) * 1234.56});
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Report report = listing();
    QTemporaryDir dir;

    std::printf("%8s %7s %10s %10s %10s %10s %9s %10s %10s %12s\n", "rows", "pages", "layout_ms", "rows/s",
                "pages/s", "base_ms", "ratio", "pdf_ms", "pdf_pg/s", "rss_kb/page");
    for (int rows : {1000, 5000, 10000, 20000}) {
        MemoryDataSource ds;
        fill(ds, rows);
        ReportData data;
        data.addDataSet(QStringLiteral("frDBCampos"), &ds);

        // Baseline: read and format the same values, nothing laid out.
        QElapsedTimer t;
        t.start();
        qint64 chars = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            chars += ds.value(0).toString().size() + ds.value(1).toString().size();
            chars += FormatoNumero(ds.value(2).toDouble(), QStringLiteral("#0.00000%")).size();
            chars += FormatoNumero(ds.value(3).toDouble(), QStringLiteral("###,###,###,##0.00")).size();
        }
        const double baseMs = static_cast<double>(t.nsecsElapsed()) / 1e6;

        const long before = residentKb();
        t.restart();
        Document doc = layoutReport(report, data);
        const double layoutMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
        const long after = residentKb();
        const auto pages = static_cast<double>(doc.pages.size());

        t.restart();
        exportPdf(doc, dir.filePath(QStringLiteral("bench.pdf")));
        const double pdfMs = static_cast<double>(t.nsecsElapsed()) / 1e6;

        std::printf("%8d %7.0f %10.1f %10.0f %10.0f %10.1f %9.1f %10.1f %10.0f %12.1f\n", rows, pages, layoutMs,
                    rows / layoutMs * 1000, pages / layoutMs * 1000, baseMs, layoutMs / std::max(baseMs, 0.001), pdfMs,
                    pages / pdfMs * 1000, static_cast<double>(after - before) / pages);
        if (chars == 0)
            std::printf("no values read\n");
    }
    std::printf("targets: 10 000 rows lay out in < 1000 ms and export to PDF in < 5000 ms\n");
    return 0;
}
