#include "dataset/FieldDataLink.h"

namespace dataset {

TFieldDataLink::TFieldDataLink(QObject *parent)
    : QObject(parent)
{
}

void TFieldDataLink::SetDataSource(TDataSource *source)
{
    if (source == m_source)
        return;
    QObject::disconnect(m_connection);
    m_source = source;
    if (source)
        m_connection = connect(source, &TDataSource::DataEvent, this, &TFieldDataLink::Event);
    Rebind();
}

void TFieldDataLink::SetFieldName(const QString &name)
{
    m_fieldName = name;
    Rebind();
}

bool TFieldDataLink::Active() const
{
    TTable *t = DataSet();
    return t && t->Active() && m_source->Enabled();
}

bool TFieldDataLink::Editing() const
{
    if (!Active())
        return false;
    const TDataSetState s = DataSet()->State();
    return s == TDataSetState::Edit || s == TDataSetState::Insert;
}

bool TFieldDataLink::CanModify() const
{
    if (!Active() || !DataSet()->CanModify())
        return false;
    return !m_field || m_field->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (!CanModify())
        return false;
    if (Editing())
        return true;
    return m_source->EnsureEditing();
}

void TFieldDataLink::Reset()
{
    m_modified = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::UpdateRecord()
{
    if (!m_modified)
        return;
    m_updating = true;
    try {
        if (OnUpdateData)
            OnUpdateData();
    } catch (...) {
        m_updating = false;
        throw;
    }
    m_updating = false;
    m_modified = false;
}

void TFieldDataLink::Rebind()
{
    TTable *t = Active() ? DataSet() : nullptr;
    m_field = t && !m_fieldName.isEmpty() ? t->FindField(m_fieldName) : nullptr;
    m_modified = false;
    if (OnActiveChange)
        OnActiveChange();
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::Event(TDataEvent event, TField *field)
{
    switch (event) {
    case TDataEvent::DataSetChange:
        Rebind();
        break;
    case TDataEvent::DataSetScroll:
        m_modified = false;
        if (OnDataChange)
            OnDataChange();
        break;
    case TDataEvent::RecordChange:
        // A value the user is still typing survives changes made to other fields.
        if (m_updating || (m_modified && field != m_field))
            break;
        if (!field || field == m_field) {
            m_modified = false;
            if (OnDataChange)
                OnDataChange();
        }
        break;
    case TDataEvent::UpdateState:
        if (!Active() && m_field)
            Rebind();
        else if (OnActiveChange)
            OnActiveChange();
        break;
    case TDataEvent::UpdateRecord:
        UpdateRecord();
        break;
    case TDataEvent::LayoutChange:
        if (!field || field == m_field) {
            if (OnActiveChange)
                OnActiveChange();
            if (!m_modified && OnDataChange)
                OnDataChange();
        }
        break;
    }
}

} // namespace dataset
