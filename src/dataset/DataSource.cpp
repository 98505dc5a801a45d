#include "dataset/DataSource.h"

namespace dataset {

TDataSource::TDataSource(QObject *parent)
    : QObject(parent)
{
}

TDataSource::~TDataSource()
{
    if (m_dataSet)
        m_dataSet->RemoveSource(this);
}

void TDataSource::SetDataSet(TTable *table)
{
    if (table == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->RemoveSource(this);
    m_dataSet = table;
    if (table)
        table->AddSource(this);
    Dispatch(TDataEvent::DataSetChange, nullptr);
    Dispatch(TDataEvent::UpdateState, nullptr);
}

void TDataSource::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = true; // the two events below must reach the controls either way
    Dispatch(TDataEvent::DataSetChange, nullptr);
    Dispatch(TDataEvent::UpdateState, nullptr);
    m_enabled = enabled;
}

TDataSetState TDataSource::State() const
{
    return m_dataSet && m_enabled ? m_dataSet->State() : TDataSetState::Inactive;
}

bool TDataSource::EnsureEditing()
{
    if (!m_dataSet || !m_enabled || !m_dataSet->Active())
        return false;
    const TDataSetState s = m_dataSet->State();
    if (s == TDataSetState::Browse && m_autoEdit && m_dataSet->CanModify())
        m_dataSet->Edit();
    const TDataSetState now = m_dataSet->State();
    return now == TDataSetState::Edit || now == TDataSetState::Insert;
}

void TDataSource::Dispatch(TDataEvent event, TField *field)
{
    if (!m_enabled)
        return;
    emit DataEvent(event, field);
    switch (event) {
    case TDataEvent::UpdateState:
        emit StateChanged();
        if (OnStateChange)
            OnStateChange(*this);
        break;
    case TDataEvent::DataSetChange:
    case TDataEvent::DataSetScroll:
    case TDataEvent::RecordChange:
        emit DataChanged(event == TDataEvent::RecordChange ? field : nullptr);
        if (OnDataChange)
            OnDataChange(*this, event == TDataEvent::RecordChange ? field : nullptr);
        break;
    case TDataEvent::UpdateRecord:
        if (OnUpdateData)
            OnUpdateData(*this);
        break;
    case TDataEvent::LayoutChange: break;
    }
}

void TDataSource::Detach()
{
    m_dataSet = nullptr;
    Dispatch(TDataEvent::DataSetChange, nullptr);
    Dispatch(TDataEvent::UpdateState, nullptr);
}

} // namespace dataset
