#include "dataset/DBCheckBox.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/FieldDataLink.h"

namespace dataset {

TDBCheckBox::TDBCheckBox(QWidget *parent)
    : QCheckBox(parent)
    , m_link(new TFieldDataLink(this))
{
    setFixedSize(15, 15);
    m_link->OnDataChange = [this] { ShowField(); };
    // The value is written at each click, so nothing is ever pending.
    m_link->OnUpdateData = [] {};
}

TDataSource *TDBCheckBox::DataSource() const { return m_link->DataSource(); }
void TDBCheckBox::SetDataSource(TDataSource *source) { m_link->SetDataSource(source); }
QString TDBCheckBox::DataField() const { return m_link->FieldName(); }
void TDBCheckBox::SetDataField(const QString &field) { m_link->SetFieldName(field); }
TField *TDBCheckBox::Field() const { return m_link->Field(); }

void TDBCheckBox::ShowField()
{
    TField *f = m_link->Field();
    const bool ticked = f && f->AsBoolean();
    if (isChecked() != ticked) {
        const QSignalBlocker block(this);
        setChecked(ticked);
    }
}

void TDBCheckBox::nextCheckState()
{
    if (!m_link->DataSource()) {
        QCheckBox::nextCheckState();
        return;
    }
    if (m_readOnly || !m_link->Field())
        return;
    try {
        if (!m_link->Edit())
            return;
        TField *f = m_link->Field(); // the edit may have re-read the row
        if (!f)
            return;
        f->SetAsBoolean(!f->AsBoolean());
    } catch (...) {
        HandleEventException(std::current_exception());
    }
    ShowField();
}

void TDBCheckBox::focusInEvent(QFocusEvent *event)
{
    QCheckBox::focusInEvent(event);
    if (OnEnter)
        OnEnter(*this);
    emit Entered();
}

void TDBCheckBox::focusOutEvent(QFocusEvent *event)
{
    QCheckBox::focusOutEvent(event);
    if (OnExit)
        OnExit(*this);
    emit Exited();
}

} // namespace dataset
