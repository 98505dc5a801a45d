#pragma once
// A captionless check box bound to a logical field: ticked is true, unticked false (and
// empty). Clicking a row in browse state puts it in edit state first.

#include <QCheckBox>

#include <functional>

namespace dataset {

class TDataSource;
class TField;
class TFieldDataLink;

class TDBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBox(QWidget *parent = nullptr);

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);
    QString DataField() const;
    void SetDataField(const QString &field);
    TField *Field() const;
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Called when the box gains and loses the focus (e.g. to draw a focus frame around it).
    std::function<void(TDBCheckBox &)> OnEnter;
    std::function<void(TDBCheckBox &)> OnExit;

signals:
    void Entered();
    void Exited();

protected:
    void nextCheckState() override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void ShowField();

    TFieldDataLink *m_link;
    bool m_readOnly = false;
};

} // namespace dataset
