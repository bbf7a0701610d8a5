#include "FIBReportSource.h"

#include "FIBDataSet.h"
#include "FIBFields.h"

namespace qdr {

TFIBReportSource::TFIBReportSource(TFIBDataSet& dataSet) : dataSet_(dataSet) {}

QStringList TFIBReportSource::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < dataSet_.FieldCount(); ++i)
        names << dataSet_.Fields(i)->FieldName();
    return names;
}

int TFIBReportSource::fieldIndex(const QString& name) const
{
    for (int i = 0; i < dataSet_.FieldCount(); ++i)
        if (dataSet_.Fields(i)->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant TFIBReportSource::value(int field) const
{
    if (field < 0 || field >= dataSet_.FieldCount() || eof())
        return {};
    return dataSet_.Fields(field)->AsVariant();
}

void TFIBReportSource::first()
{
    if (dataSet_.Active())
        dataSet_.First();
}

void TFIBReportSource::next()
{
    if (dataSet_.Active())
        dataSet_.Next();
}

bool TFIBReportSource::eof() const
{
    return !dataSet_.Active() || dataSet_.IsEmpty() || dataSet_.Eof();
}

} // namespace qdr
