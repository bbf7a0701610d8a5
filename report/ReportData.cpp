#include "ReportData.h"

#include <QFile>

namespace qdr {

int DataSource::fieldIndex(const QString& name) const
{
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

MemoryDataSource::MemoryDataSource(QStringList fields) : fields_(std::move(fields)) {}

void MemoryDataSource::setFields(const QStringList& fields)
{
    fields_ = fields;
}

void MemoryDataSource::addRow(const QVariantList& values)
{
    rows_.push_back(values);
}

void MemoryDataSource::linkTo(const DataSource* master, const QStringList& masterFields,
                              const QStringList& detailFields)
{
    master_ = master;
    masterIdx_.clear();
    detailIdx_.clear();
    for (const QString& f : masterFields)
        masterIdx_.push_back(master->fieldIndex(f));
    for (const QString& f : detailFields)
        detailIdx_.push_back(fieldIndex(f));
    masterMoved();
}

QVariant MemoryDataSource::value(int field) const
{
    if (eof() || field < 0)
        return {};
    const QVariantList& row = rows_[pos_];
    return field < row.size() ? row[field] : QVariant();
}

bool MemoryDataSource::visible(std::size_t row) const
{
    if (!master_)
        return true;
    for (std::size_t i = 0; i < detailIdx_.size(); ++i) {
        const int f = detailIdx_[i];
        const QVariant v = f >= 0 && f < rows_[row].size() ? rows_[row][f] : QVariant();
        if (i >= static_cast<std::size_t>(key_.size()) || v != key_[static_cast<int>(i)])
            return false;
    }
    return true;
}

void MemoryDataSource::skipHidden()
{
    while (pos_ < rows_.size() && !visible(pos_))
        ++pos_;
}

void MemoryDataSource::first()
{
    pos_ = 0;
    skipHidden();
}

void MemoryDataSource::next()
{
    if (pos_ < rows_.size()) {
        ++pos_;
        skipHidden();
    }
}

bool MemoryDataSource::eof() const
{
    return pos_ >= rows_.size();
}

void MemoryDataSource::masterMoved()
{
    if (master_) {
        key_.clear();
        for (int f : masterIdx_)
            key_ << master_->value(f);
    }
    first();
}

void ReportData::addDataSet(const QString& name, DataSource* source)
{
    for (auto& entry : dataSets_) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) {
            entry.second = source;
            return;
        }
    }
    dataSets_.emplace_back(name, source);
}

DataSource* ReportData::dataSet(const QString& name) const
{
    for (const auto& entry : dataSets_)
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return entry.second;
    return nullptr;
}

QStringList ReportData::dataSetNames() const
{
    QStringList out;
    for (const auto& entry : dataSets_)
        out << entry.first;
    return out;
}

void ReportData::setVariable(const QString& name, const QVariant& value)
{
    const int i = variableIndex(name);
    if (i >= 0)
        variables_[static_cast<std::size_t>(i)].second = value;
    else
        variables_.emplace_back(name, value);
}

int ReportData::variableIndex(const QString& name) const
{
    for (std::size_t i = 0; i < variables_.size(); ++i)
        if (variables_[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void ReportData::setPicture(const QString& objectName, const QImage& image)
{
    pictures_.insert(objectName, image);
}

bool ReportData::loadPicture(const QString& objectName, const QStringList& candidateFiles)
{
    for (const QString& file : candidateFiles) {
        if (!QFile::exists(file))
            continue;
        QImage image(file);
        if (image.isNull())
            return false;
        setPicture(objectName, image);
        return true;
    }
    return false;
}

} // namespace qdr
