#pragma once
#include <functional>
#include <vector>

class TFIBDataSet;
class TField;
class TDataSource;

enum class TDataEvent {
    ActiveChange,   // opened or closed
    DataSetChange,  // rows changed (open, post, delete, refresh, re-enabled controls)
    DataSetScroll,  // another record became current
    RecordChange,   // a field of the current record changed (field given)
    UpdateState,    // browse / edit / insert changed
    UpdateRecord    // before post: controls write what they hold into the fields
};

// A link from a control (or a detail dataset) to a data source. It registers
// itself with the source and unregisters when destroyed.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TFIBDataSet* DataSet() const;
    bool Active() const;

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void EditingChanged() {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void Dispatch(TDataEvent event, TField* field);
    TDataSource* source_ = nullptr;
};

// Binds data-aware controls and detail datasets to a dataset.
class TDataSource {
public:
    explicit TDataSource(TFIBDataSet* dataSet = nullptr);
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TFIBDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TFIBDataSet* ds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    std::function<void(TDataSource&, TField*)> OnDataChange;
    std::function<void(TDataSource&)> OnStateChange;
    std::function<void(TDataSource&)> OnUpdateData;

    // Called by the dataset.
    void Notify(TDataEvent event, TField* field);
    void DataSetGone();

private:
    friend class TDataLink;
    TFIBDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};
