// Bar and pie charts over the rows of a dataset, drawn into an image that the
// document places like a picture.
#pragma once

#include "ReportModel.h"

#include <QImage>
#include <QSizeF>

#include <vector>

namespace qdr {

struct ChartPoint {
    QString label;
    double value = 0.0;
};

// The chart at `dpi` for a box of `sizeMm`.
QImage renderChart(ChartType type, const QString& title, const std::vector<ChartPoint>& points, QSizeF sizeMm,
                   double dpi = 200.0);

} // namespace qdr
