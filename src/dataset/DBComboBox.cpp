#include "dataset/DBComboBox.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/FieldDataLink.h"
#include "dbase/EngineError.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace dataset {

TDBComboBox::TDBComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_link(new TFieldDataLink(this))
{
    SetStyle(TComboStyle::DropDown);
    m_link->OnDataChange = [this] { ShowField(); };
    m_link->OnUpdateData = [this] { WriteField(); };
    m_link->OnActiveChange = [this] { UpdateLook(); };
    connect(this, qOverload<int>(&QComboBox::activated), this, &TDBComboBox::Chosen);
}

TDataSource *TDBComboBox::DataSource() const { return m_link->DataSource(); }
void TDBComboBox::SetDataSource(TDataSource *source) { m_link->SetDataSource(source); }
QString TDBComboBox::DataField() const { return m_link->FieldName(); }
void TDBComboBox::SetDataField(const QString &field) { m_link->SetFieldName(field); }
TField *TDBComboBox::Field() const { return m_link->Field(); }

QStringList TDBComboBox::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void TDBComboBox::SetItems(const QStringList &items)
{
    m_loading = true;
    {
        const QSignalBlocker block(this);
        clear();
        addItems(items);
    }
    m_loading = false;
    ShowField();
}

void TDBComboBox::SetStyle(TComboStyle style)
{
    m_style = style;
    const QSignalBlocker block(this);
    setEditable(style == TComboStyle::DropDown);
    // Typed texts go into the field, never into the list.
    setInsertPolicy(QComboBox::NoInsert);
    if (QLineEdit *e = lineEdit()) {
        connect(e, &QLineEdit::textEdited, this, [this] {
            if (!m_loading)
                m_link->Modified();
        });
    }
    UpdateLook();
    ShowField();
}

void TDBComboBox::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    UpdateLook();
}

void TDBComboBox::UpdateLook()
{
    TField *f = m_link->Field();
    if (QLineEdit *e = lineEdit()) {
        e->setMaxLength(f && f->Size() > 0 ? f->Size() : 32767);
        const bool bound = m_link->DataSource() != nullptr;
        e->setReadOnly(m_readOnly || (bound && !m_link->CanModify()));
    }
}

void TDBComboBox::ShowField()
{
    TField *f = m_link->Field();
    if (!f && m_link->FieldName().isEmpty())
        return; // not tied to a field: the choice is the window's
    const QString value = f ? f->AsString() : QString();
    m_loading = true;
    {
        const QSignalBlocker block(this);
        const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly);
        setCurrentIndex(index);
        if (isEditable())
            setEditText(value);
    }
    m_loading = false;
}

void TDBComboBox::WriteField()
{
    if (TField *f = m_link->Field())
        f->SetAsString(currentText());
}

void TDBComboBox::UpdateRecord()
{
    m_link->UpdateRecord();
}

bool TDBComboBox::BeginChange()
{
    if (!m_link->DataSource())
        return !m_readOnly;
    if (m_readOnly)
        return false;
    try {
        return m_link->Edit();
    } catch (...) {
        HandleEventException(std::current_exception());
        return false;
    }
}

void TDBComboBox::Chosen(int index)
{
    if (m_loading || !m_link->DataSource())
        return;
    const QString text = itemText(index);
    if (!BeginChange()) {
        ShowField();
        return;
    }
    try {
        if (TField *f = m_link->Field()) // the edit may have re-read the row
            f->SetAsString(text);
        m_link->Reset();
    } catch (...) {
        HandleEventException(std::current_exception());
        ShowField();
    }
}

void TDBComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link->IsModified()) {
        m_link->Reset();
        event->accept();
        return;
    }
    const QString t = event->text();
    const bool typing = !t.isEmpty() && t.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool deleting = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
        || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
    // Arrow keys choose another item, as a click in the list does.
    const bool choosing = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down
        || event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown
        || ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End) && !isEditable());
    if ((typing || deleting || choosing) && !BeginChange()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TDBComboBox::wheelEvent(QWheelEvent *event)
{
    if (!BeginChange())
        return;
    QComboBox::wheelEvent(event);
}

void TDBComboBox::showPopup()
{
    if (!BeginChange())
        return;
    QComboBox::showPopup();
}

void TDBComboBox::focusOutEvent(QFocusEvent *event)
{
    // A text the field refuses stays pending; posting the row reports it.
    if (m_link->IsModified()) {
        try {
            m_link->UpdateRecord();
        } catch (const dbase::EDBEngineError &) {
        }
    }
    QComboBox::focusOutEvent(event);
}

} // namespace dataset
