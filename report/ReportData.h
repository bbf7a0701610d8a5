// The data a report is run with, bound by name: datasets (a master such as
// frDBCampos, a detail such as frDBDetalle re-read for each master row, single
// rows such as QAdministrador or QComunidad), variables and pictures.
#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace qdr {

// A forward cursor over rows with named fields. A report reads the current
// row of any dataset it names; data bands walk theirs from first() to eof().
class DataSource {
public:
    virtual ~DataSource() = default;
    virtual QStringList fieldNames() const = 0;
    // Index of a field by name, compared without regard to case; -1 when absent.
    virtual int fieldIndex(const QString& name) const;
    // The current row's value of a field; a null QVariant off the rows.
    virtual QVariant value(int field) const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // A detail dataset re-reads its rows for its master's current row.
    virtual void masterMoved() {}
};

// Rows held in memory: the fixture of tests and benchmarks, and a detail
// linked to a master by equal field values.
class MemoryDataSource : public DataSource {
public:
    explicit MemoryDataSource(QStringList fields = {});
    void setFields(const QStringList& fields);
    void addRow(const QVariantList& values);
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Rows shown are those whose detailFields equal the master's masterFields.
    void linkTo(const DataSource* master, const QStringList& masterFields, const QStringList& detailFields);

    QStringList fieldNames() const override { return fields_; }
    QVariant value(int field) const override;
    void first() override;
    void next() override;
    bool eof() const override;
    void masterMoved() override;

private:
    bool visible(std::size_t row) const;
    void skipHidden();

    QStringList fields_;
    std::vector<QVariantList> rows_;
    std::size_t pos_ = 0;
    const DataSource* master_ = nullptr;
    std::vector<int> masterIdx_;
    std::vector<int> detailIdx_;
    QVariantList key_;
};

class ReportData {
public:
    // The dataset is not owned and must outlive the report run.
    void addDataSet(const QString& name, DataSource* source);
    DataSource* dataSet(const QString& name) const;
    QStringList dataSetNames() const;

    void setVariable(const QString& name, const QVariant& value);
    // Index for fast reading during a run; -1 when not set.
    int variableIndex(const QString& name) const;
    const QVariant& variable(int index) const { return variables_[static_cast<std::size_t>(index)].second; }

    // A picture for the picture object of that name ("Imagen"), whatever its source.
    void setPicture(const QString& objectName, const QImage& image);
    // Loads the first of the files that exists; false when none does or none reads as an image.
    bool loadPicture(const QString& objectName, const QStringList& candidateFiles);
    QImage picture(const QString& objectName) const { return pictures_.value(objectName); }
    bool hasPicture(const QString& objectName) const { return pictures_.contains(objectName); }

private:
    std::vector<std::pair<QString, DataSource*>> dataSets_;
    std::vector<std::pair<QString, QVariant>> variables_;
    QHash<QString, QImage> pictures_;
};

} // namespace qdr
