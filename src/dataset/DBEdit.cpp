#include "dataset/DBEdit.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/FieldDataLink.h"
#include "dbase/EngineError.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace dataset {

namespace {

// Keys that change a line edit's text.
bool ChangesText(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo)
        || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::Delete)
        || e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord)
        || e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine))
        return true;
    if (e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete)
        return true;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

TDBEdit::TDBEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_link(new TFieldDataLink(this))
{
    m_link->OnDataChange = [this] { ShowField(); };
    m_link->OnUpdateData = [this] { WriteField(); };
    m_link->OnActiveChange = [this] { UpdateLook(); };
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!m_loading)
            m_link->Modified();
    });
    UpdateLook();
}

TDataSource *TDBEdit::DataSource() const { return m_link->DataSource(); }
void TDBEdit::SetDataSource(TDataSource *source) { m_link->SetDataSource(source); }
QString TDBEdit::DataField() const { return m_link->FieldName(); }
void TDBEdit::SetDataField(const QString &field) { m_link->SetFieldName(field); }
TField *TDBEdit::Field() const { return m_link->Field(); }

void TDBEdit::SetEditMask(const QString &mask)
{
    m_ownMask = mask;
    m_mask = TEditMask(mask);
    UpdateLook();
    ShowField();
}

void TDBEdit::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    UpdateLook();
}

const TEditMask &TDBEdit::ActiveMask() const
{
    static const TEditMask kNone;
    if (!m_ownMask.isEmpty())
        return m_mask;
    TField *f = m_link->Field();
    return f ? f->Mask() : kNone;
}

void TDBEdit::UpdateLook()
{
    TField *f = m_link->Field();
    const TEditMask &mask = ActiveMask();
    const QString qtMask = mask.IsEmpty() ? QString() : mask.QtInputMask();
    if (inputMask() != qtMask) {
        const bool was = m_loading;
        m_loading = true;
        setInputMask(qtMask);
        m_loading = was;
    }
    if (mask.IsEmpty())
        setMaxLength(f && f->Size() > 0 ? f->Size() : 32767);
    if (f)
        setAlignment(f->Alignment());
    // Without a data source the control is a plain edit; bound, it follows the table.
    const bool bound = m_link->DataSource() != nullptr;
    const bool writable = !m_readOnly && (!bound || (m_link->Active() && m_link->CanModify()));
    QLineEdit::setReadOnly(!writable);
    // A read-only edit shows the window colour, so it does not invite typing.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, writable ? QPalette().color(QPalette::Base) : QPalette().color(QPalette::Window));
    setPalette(pal);
}

void TDBEdit::ShowField()
{
    TField *f = m_link->Field();
    if (!f && !m_link->FieldName().isEmpty()) {
        m_loading = true;
        clear();
        m_loading = false;
        UpdateLook();
        return;
    }
    if (!f)
        return; // not tied to a field: the text is the window's
    UpdateLook();
    const TEditMask &mask = ActiveMask();
    QString text;
    if (!mask.IsEmpty())
        text = mask.DisplayFromValue(f->Text());
    else
        text = hasFocus() ? f->Text() : f->DisplayText();
    m_loading = true;
    if (text != displayText() || mask.IsEmpty())
        setText(text);
    m_loading = false;
}

QString TDBEdit::Value() const
{
    const TEditMask &mask = ActiveMask();
    return mask.IsEmpty() ? text() : mask.ValueFromDisplay(displayText());
}

void TDBEdit::WriteField()
{
    TField *f = m_link->Field();
    if (!f)
        return;
    const TEditMask &mask = ActiveMask();
    if (!mask.IsEmpty() && !mask.IsComplete(displayText()))
        throw dbase::EDBEngineError(dbase::kInvalidField,
                                    Pick("Valeur incorrecte pour le champ %1. Utilisez la touche Échap pour abandonner les modifications.",
                                         "Invalid input value for field %1. Use the Escape key to abandon the changes.")
                                        .arg(f->DisplayLabel()));
    f->SetText(Value());
}

void TDBEdit::UpdateRecord()
{
    m_link->UpdateRecord();
}

bool TDBEdit::BeginChange()
{
    if (!m_link->DataSource())
        return true;
    try {
        return m_link->Edit();
    } catch (...) {
        HandleEventException(std::current_exception());
        return false;
    }
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link->IsModified()) {
        m_link->Reset();
        selectAll();
        event->accept();
        return;
    }
    if (ChangesText(event) && !isReadOnly() && !BeginChange()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!isReadOnly() && !BeginChange())
        return;
    QLineEdit::inputMethodEvent(event);
}

void TDBEdit::dropEvent(QDropEvent *event)
{
    if (!isReadOnly() && !BeginChange())
        return;
    QLineEdit::dropEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_link->IsModified() && m_link->Field() && ActiveMask().IsEmpty())
        ShowField(); // the edit format while focused
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    // A text that does not convert stays pending; posting the row reports it.
    if (m_link->IsModified()) {
        try {
            m_link->UpdateRecord();
        } catch (const dbase::EDBEngineError &) {
        }
    }
    QLineEdit::focusOutEvent(event);
    if (!m_link->IsModified() && m_link->Field())
        ShowField();
}

} // namespace dataset
