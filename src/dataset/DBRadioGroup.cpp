#include "dataset/DBRadioGroup.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/FieldDataLink.h"

#include <QHBoxLayout>
#include <QRadioButton>

namespace dataset {

// A button of the group: asks the group before it changes, so a refused edit (lock,
// read-only row) leaves the choice as it was.
class TRadioItem : public QRadioButton {
public:
    TRadioItem(TDBRadioGroup *group, int index)
        : QRadioButton(group)
        , m_group(group)
        , m_index(index)
    {
        setAutoExclusive(false);
    }

protected:
    void nextCheckState() override
    {
        if (!isChecked())
            m_group->Choose(m_index);
    }

private:
    TDBRadioGroup *m_group;
    int m_index;
};

TDBRadioGroup::TDBRadioGroup(QWidget *parent)
    : QGroupBox(parent)
    , m_link(new TFieldDataLink(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    for (int i = 0; i < 2; ++i) {
        auto *b = new TRadioItem(this, i);
        m_buttons.push_back(b);
        layout->addWidget(b);
    }
    // Buttons keep their own width: a radio button reacts only to clicks on its circle and
    // caption, so a stretched one would look clickable where it is not.
    layout->addStretch(1);
    SetLanguage(WorkingLanguage());
    m_link->OnDataChange = [this] { ShowField(); };
    m_link->OnUpdateData = [] {};
}

TDataSource *TDBRadioGroup::DataSource() const { return m_link->DataSource(); }
void TDBRadioGroup::SetDataSource(TDataSource *source) { m_link->SetDataSource(source); }
QString TDBRadioGroup::DataField() const { return m_link->FieldName(); }
void TDBRadioGroup::SetDataField(const QString &field) { m_link->SetFieldName(field); }
TField *TDBRadioGroup::Field() const { return m_link->Field(); }

QStringList TDBRadioGroup::Items() const
{
    QStringList out;
    for (QRadioButton *b : m_buttons)
        out << b->text();
    return out;
}

void TDBRadioGroup::SetItems(const QStringList &items)
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setText(int(i) < items.size() ? items[int(i)] : QString());
}

void TDBRadioGroup::SetLanguage(QChar language)
{
    SetItems({Pick(language, "Oui", "Yes"), Pick(language, "Non", "No")});
}

void TDBRadioGroup::SetValues(const QStringList &values)
{
    m_values = values;
    ShowField();
}

QRadioButton *TDBRadioGroup::Button(int index) const
{
    return index >= 0 && size_t(index) < m_buttons.size() ? m_buttons[size_t(index)] : nullptr;
}

int TDBRadioGroup::ItemIndex() const
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->isChecked())
            return int(i);
    return -1;
}

void TDBRadioGroup::ShowIndex(int index)
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const QSignalBlocker block(m_buttons[i]);
        m_buttons[i]->setChecked(int(i) == index);
    }
}

void TDBRadioGroup::ShowField()
{
    TField *f = m_link->Field();
    int index = -1;
    if (f && !f->IsNull()) {
        if (m_values.isEmpty() && f->DataType() == TFieldType::Boolean)
            index = f->AsBoolean() ? 0 : 1;
        else {
            const QStringList values = m_values.isEmpty() ? Items() : m_values;
            index = int(values.indexOf(f->AsString()));
        }
    }
    const int before = ItemIndex();
    ShowIndex(index);
    if (before != index)
        emit Changed();
}

bool TDBRadioGroup::Choose(int index)
{
    if (m_readOnly)
        return false;
    if (!m_link->DataSource()) {
        ShowIndex(index);
        emit Changed();
        return true;
    }
    try {
        if (!m_link->Field() || !m_link->Edit())
            return false;
        TField *f = m_link->Field();
        if (m_values.isEmpty() && f->DataType() == TFieldType::Boolean)
            f->SetAsBoolean(index == 0);
        else
            f->SetAsString((m_values.isEmpty() ? Items() : m_values).value(index));
    } catch (...) {
        HandleEventException(std::current_exception());
    }
    ShowField();
    return ItemIndex() == index;
}

} // namespace dataset
