#pragma once
// A Oui/Non radio group bound to a field, with three states: the first button for true,
// the second for false, and no button chosen when the field is empty.

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QRadioButton;

namespace dataset {

class TDataSource;
class TField;
class TFieldDataLink;

class TDBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TDBRadioGroup(QWidget *parent = nullptr);

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);
    QString DataField() const;
    void SetDataField(const QString &field);
    TField *Field() const;

    // Button captions, by default "Oui" and "Non" ("Yes" and "No" in English).
    QStringList Items() const;
    void SetItems(const QStringList &items);
    void SetLanguage(QChar language);
    // Values stored for each button in a text field; a logical field stores true for the
    // first button and false for the second.
    const QStringList &Values() const { return m_values; }
    void SetValues(const QStringList &values);
    // The chosen button, -1 for none.
    int ItemIndex() const;
    QRadioButton *Button(int index) const;
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

signals:
    void Changed();

private:
    friend class TRadioItem;
    void ShowField();
    void ShowIndex(int index);
    // A button asks to be chosen; true when the field took its value.
    bool Choose(int index);

    TFieldDataLink *m_link;
    std::vector<QRadioButton *> m_buttons;
    QStringList m_values;
    bool m_readOnly = false;
};

} // namespace dataset
