// A program dataset offered to a report under a name: frDBCampos over
// QCampos, frDBDetalle over QDetalle, QAdministrador, QComunidad. A detail
// linked to its master (TFIBDataSet::SetDataSource) re-reads its rows itself
// whenever the master moves, so the report only walks it.
#pragma once

#include "ReportData.h"

class TFIBDataSet;

namespace qdr {

class TFIBReportSource : public DataSource {
public:
    explicit TFIBReportSource(TFIBDataSet& dataSet);

    QStringList fieldNames() const override;
    int fieldIndex(const QString& name) const override;
    // Text as text, binary blobs (pictures) as bytes, numbers and dates as such.
    QVariant value(int field) const override;
    void first() override;
    void next() override;
    // A closed dataset reads as one with no rows.
    bool eof() const override;

private:
    TFIBDataSet& dataSet_;
};

} // namespace qdr
