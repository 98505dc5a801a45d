#pragma once
// A line edit bound to a field: shows the field's text through its edit mask, puts the
// row in edit state when the user types, and writes the text back when focus leaves,
// before the row is posted, or when told to.

#include "dataset/EditMask.h"

#include <QLineEdit>

namespace dataset {

class TDataSource;
class TField;
class TFieldDataLink;

class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);
    QString DataField() const;
    void SetDataField(const QString &field);
    TField *Field() const;

    // A mask of the control's own, in place of the field's (empty: the field's). A control
    // with a data source but no field still puts the row in edit state when typed into.
    const QString &EditMask() const { return m_ownMask; }
    void SetEditMask(const QString &mask);
    // The control refuses typing even when the field could change.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // The stored value the control's text stands for (mask rules applied).
    QString Value() const;
    // Writes the pending text into the field now (throws on a text that does not convert).
    void UpdateRecord();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ShowField();
    void UpdateLook();
    void WriteField();
    bool BeginChange();
    const TEditMask &ActiveMask() const;

    TFieldDataLink *m_link;
    QString m_ownMask;
    TEditMask m_mask;        // the control's own mask, parsed
    bool m_readOnly = false;
    bool m_loading = false;  // the control is showing the field: not a user change
};

} // namespace dataset
