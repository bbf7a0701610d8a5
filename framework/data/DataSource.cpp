#include "DataSource.h"
#include "FIBDataSet.h"

#include <algorithm>

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == source_)
        return;
    if (source_)
        std::erase(source_->links_, this);
    source_ = source;
    if (source_)
        source_->links_.push_back(this);
}

TFIBDataSet* TDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

bool TDataLink::Active() const
{
    TFIBDataSet* ds = DataSet();
    return ds && ds->Active();
}

void TDataLink::Dispatch(TDataEvent event, TField* field)
{
    switch (event) {
    case TDataEvent::ActiveChange: ActiveChanged(); break;
    case TDataEvent::DataSetChange: DataSetChanged(); break;
    case TDataEvent::DataSetScroll: DataSetScrolled(); break;
    case TDataEvent::RecordChange: RecordChanged(field); break;
    case TDataEvent::UpdateState: EditingChanged(); break;
    case TDataEvent::UpdateRecord: UpdateData(); break;
    }
}

TDataSource::TDataSource(TFIBDataSet* dataSet) { SetDataSet(dataSet); }

TDataSource::~TDataSource()
{
    SetDataSet(nullptr);
    for (TDataLink* l : std::vector<TDataLink*>(links_))
        l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TFIBDataSet* ds)
{
    if (ds == dataSet_)
        return;
    if (dataSet_)
        dataSet_->UnregisterSource(this);
    dataSet_ = ds;
    if (dataSet_)
        dataSet_->RegisterSource(this);
    Notify(TDataEvent::ActiveChange, nullptr);
}

void TDataSource::DataSetGone() { dataSet_ = nullptr; }

void TDataSource::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    Notify(TDataEvent::ActiveChange, nullptr);
}

void TDataSource::Notify(TDataEvent event, TField* field)
{
    if (!enabled_)
        return;
    for (TDataLink* l : std::vector<TDataLink*>(links_)) {
        if (std::find(links_.begin(), links_.end(), l) != links_.end())
            l->Dispatch(event, field);
    }
    switch (event) {
    case TDataEvent::UpdateState:
    case TDataEvent::ActiveChange:
        if (OnStateChange)
            OnStateChange(*this);
        if (event == TDataEvent::ActiveChange && OnDataChange)
            OnDataChange(*this, nullptr);
        break;
    case TDataEvent::UpdateRecord:
        if (OnUpdateData)
            OnUpdateData(*this);
        break;
    case TDataEvent::RecordChange:
        if (OnDataChange)
            OnDataChange(*this, field);
        break;
    case TDataEvent::DataSetChange:
    case TDataEvent::DataSetScroll:
        if (OnDataChange)
            OnDataChange(*this, nullptr);
        break;
    }
}
