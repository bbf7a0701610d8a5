// Small formats and datasets shared by the report engine's tests.
#pragma once

#include "ReportData.h"
#include "ReportDocument.h"
#include "ReportLayout.h"
#include "ReportModel.h"

#include <QString>

namespace qdrtest {

// A small page (100 × 60 mm, 5 mm margins) keeps pagination cases short.
inline qdr::Report smallReport()
{
    qdr::Report r;
    r.name = QStringLiteral("Prueba");
    r.page.paperWidth = 100;
    r.page.paperHeight = 60;
    r.page.marginLeft = r.page.marginTop = r.page.marginRight = r.page.marginBottom = 5;
    return r;
}

inline qdr::TextObject& addText(qdr::Band& band, const QString& text, double x, double y, double w, double h)
{
    auto& t = band.add<qdr::TextObject>();
    t.text = text;
    t.x = x;
    t.y = y;
    t.width = w;
    t.height = h;
    return t;
}

// Rows NOMBRE = "Fila 1".."Fila n", IMPORTE = 1.5 * i, GRUPO = (i - 1) / groupSize + 1.
inline void fillRows(qdr::MemoryDataSource& ds, int n, int groupSize = 1000)
{
    ds.setFields({QStringLiteral("NOMBRE"), QStringLiteral("IMPORTE"), QStringLiteral("GRUPO")});
    for (int i = 1; i <= n; ++i)
        ds.addRow({QStringLiteral("Fila %1").arg(i), 1.5 * i, (i - 1) / groupSize + 1});
}

inline qdr::LayoutOptions fixedClock()
{
    qdr::LayoutOptions o;
    o.now = QDateTime(QDate(2024, 3, 15), QTime(10, 30));
    return o;
}

} // namespace qdrtest
