// The layout engine: a format and its data become a document of pages.
#pragma once

#include "ReportData.h"
#include "ReportDocument.h"
#include "ReportModel.h"

#include <QDateTime>

namespace qdr {

struct LayoutOptions {
    // What [Date] and [Time] show; the current moment when not set.
    QDateTime now;
};

// Builds the report: binds every name the format uses to `data` (throwing
// EReportError that names the object when one is missing), walks the data
// bands and paginates. Page footers never overlap content, headers repeat on
// continuation pages and [Pages] is filled in once the last page is known.
Document layoutReport(const Report& report, const ReportData& data, const LayoutOptions& options = {});

} // namespace qdr
