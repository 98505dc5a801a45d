#pragma once
// A combo box bound to a text field: the chosen (or typed) text is stored in the field.
// In list style the text can only be chosen among the items; in editable style any text
// can be typed (at most the field's size). Choosing or typing in a row in browse state
// puts it in edit state first.

#include <QComboBox>

namespace dataset {

class TDataSource;
class TField;
class TFieldDataLink;

enum class TComboStyle { DropDown, DropDownList };

class TDBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget *parent = nullptr);

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);
    QString DataField() const;
    void SetDataField(const QString &field);
    TField *Field() const;

    // The choices; the field's value is shown again after a change of the list.
    QStringList Items() const;
    void SetItems(const QStringList &items);
    TComboStyle Style() const { return m_style; }
    void SetStyle(TComboStyle style);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // The text the control holds (the field's value unless the user changed it).
    QString Text() const { return currentText(); }
    // Writes a pending typed text into the field now.
    void UpdateRecord();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showPopup() override;

private:
    void ShowField();
    void UpdateLook();
    void WriteField();
    bool BeginChange();
    void Chosen(int index);

    TFieldDataLink *m_link;
    TComboStyle m_style = TComboStyle::DropDown;
    bool m_readOnly = false;
    bool m_loading = false; // the control is showing the field: not a user change
};

} // namespace dataset
