// Layout of small cases, compared as text dumps of the page primitives.
#include "ReportFixtures.h"

#include "ReportError.h"

#include <gtest/gtest.h>

using namespace qdr;
using namespace qdrtest;

namespace {

QString dump(const Report& r, const ReportData& d)
{
    return dumpDocument(layoutReport(r, d, fixedClock()));
}

} // namespace

TEST(ReportLayout, Scratch)
{
    Report r = smallReport();
    addText(r.addBand(BandKind::PageHeader, 8), QStringLiteral("Cabecera"), 0, 0, 90, 8);
    addText(r.addBand(BandKind::MasterHeader, 6), QStringLiteral("Nombre"), 0, 0, 40, 6);
    Band& data = r.addBand(BandKind::MasterData, 6);
    data.dataSet = QStringLiteral("frDBDataSet1");
    addText(data, QStringLiteral("[frDBDataSet1.\"NOMBRE\"]"), 0, 0, 40, 6);
    addText(r.addBand(BandKind::PageFooter, 6), QStringLiteral("Página [Page] de [Pages]"), 0, 0, 90, 6);
    MemoryDataSource ds;
    fillRows(ds, 10);
    ReportData d;
    d.addDataSet(QStringLiteral("frDBDataSet1"), &ds);
    printf("%s\n", qPrintable(dump(r, d)));
}
