// Reports over the program's own datasets: a master with a detail linked to
// it, read from a real database.
#include "FIBDataSet.h"
#include "FIBReportSource.h"
#include "ReportError.h"
#include "ReportFixtures.h"
#include "TestDatabase.h"

#include "DataSource.h"

#include <gtest/gtest.h>

using namespace qdr;
using namespace qdrtest;

namespace {
const QString kSchema = QStringLiteral(R"SQL(
CREATE TABLE PROPIETARIOS (CODIGO INTEGER NOT NULL PRIMARY KEY, NOMBRE VARCHAR(40), FOTO BLOB SUB_TYPE 0);
CREATE TABLE FINCAS (PROPIETARIO INTEGER NOT NULL, FINCA VARCHAR(20) NOT NULL, COEFICIENTE NUMERIC(9,5),
  PRIMARY KEY (PROPIETARIO, FINCA));
INSERT INTO PROPIETARIOS (CODIGO, NOMBRE) VALUES (1, 'Ana Ruiz');
INSERT INTO PROPIETARIOS (CODIGO, NOMBRE) VALUES (2, 'Luis Peña');
INSERT INTO PROPIETARIOS (CODIGO, NOMBRE) VALUES (3, 'Eva Sanz');
INSERT INTO FINCAS VALUES (1, '1A', 4.25);
INSERT INTO FINCAS VALUES (1, '2B', 10.5);
INSERT INTO FINCAS VALUES (3, '3C', 85.25);
)SQL");
} // namespace

TEST(ReportFib, MasterAndDetailDatasetsOfTheProgramBindByName)
{
    qdtest::Connection c(qdtest::FreshDatabase(QStringLiteral("report"), kSchema));
    TFIBDataSet campos;
    TFIBDataSet detalle;
    for (TFIBDataSet* ds : {&campos, &detalle}) {
        ds->SetDatabase(&c.db);
        ds->SetTransaction(&c.tr);
    }
    campos.SetSelectSQL({QStringLiteral("SELECT * FROM PROPIETARIOS ORDER BY CODIGO")});
    TDataSource master(&campos);
    detalle.SetSelectSQL({QStringLiteral("SELECT * FROM FINCAS WHERE PROPIETARIO = ?CODIGO ORDER BY FINCA")});
    detalle.SetDataSource(&master);
    campos.Open();
    detalle.Open();

    Report r = smallReport();
    r.page.paperHeight = 150;
    Band& m = r.addBand(BandKind::MasterData, 5);
    m.dataSet = QStringLiteral("frDBCampos");
    addText(m, QStringLiteral("[frDBCampos.\"CODIGO\"] [frDBCampos.\"NOMBRE\"]"), 0, 0, 60, 5);
    Band& d = r.addBand(BandKind::DetailData, 5);
    d.dataSet = QStringLiteral("frDBDetalle");
    d.name = QStringLiteral("Fincas");
    addText(d, QStringLiteral("[frDBDetalle.\"FINCA\"]"), 10, 0, 20, 5);
    addText(d, QStringLiteral("[frDBDetalle.\"COEFICIENTE\"]"), 30, 0, 30, 5).displayFormat = QStringLiteral("#0.00000%");
    Band& s = r.addBand(BandKind::ReportSummary, 5);
    auto& total = s.add<AggregateObject>();
    total.expression = QStringLiteral("frDBDetalle.COEFICIENTE");
    total.dataBand = QStringLiteral("Fincas");
    total.scope = AggregateScope::Report;
    total.displayFormat = QStringLiteral("#0.00000%");
    total.width = 30;
    total.height = 5;

    TFIBReportSource src(campos);
    TFIBReportSource det(detalle);
    ReportData data;
    data.addDataSet(QStringLiteral("frDBCampos"), &src);
    data.addDataSet(QStringLiteral("frDBDetalle"), &det);
    QStringList texts;
    const Document doc = layoutReport(r, data);
    for (const Primitive& p : doc.pages.at(0).items)
        texts << p.text;
    EXPECT_EQ(texts.join(QLatin1Char('|')).toStdString(),
              "1 Ana Ruiz|1A|4,25000%|2B|10,50000%|2 Luis Peña|3 Eva Sanz|3C|85,25000%|100,00000%");

    // A field the statement does not select is named in the error.
    addText(r.bands[0], QStringLiteral("[frDBCampos.\"DOMICILIO\"]"), 0, 0, 10, 5).name = QStringLiteral("Memo9");
    try {
        layoutReport(r, data);
        ADD_FAILURE();
    } catch (const EReportError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Objeto «Memo9»: el conjunto de datos «frDBCampos» no tiene el campo «DOMICILIO»"));
    }
}
