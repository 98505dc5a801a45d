#pragma once
// The tie between one bound control and one field of a data source's table: tells the
// control when to show the field again and when to write its value, and puts the table
// in edit state when the user starts changing a row in browse state.

#include "dataset/DataSource.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace dataset {

class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit TFieldDataLink(QObject *parent = nullptr);

    TDataSource *DataSource() const { return m_source; }
    void SetDataSource(TDataSource *source);
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &name);
    // The bound field, nullptr when unbound, the name is unknown or the table closed.
    TField *Field() const { return m_field; }
    TTable *DataSet() const { return m_source ? m_source->DataSet() : nullptr; }
    bool Active() const;
    // The table is in edit or insert state.
    bool Editing() const;
    // The user may change the field: table open and writable, field writable.
    bool CanModify() const;

    // Before the user changes the value: edit state when browsing (AutoEdit). False when
    // the change is not possible; lock and other engine errors pass through.
    bool Edit();
    // The control holds a value not yet written to the field.
    void Modified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Drops the control's pending value and shows the field again.
    void Reset();
    // Writes the pending value (OnUpdateData) and clears the mark.
    void UpdateRecord();

    std::function<void()> OnDataChange;   // show the field's value again
    std::function<void()> OnUpdateData;   // write the control's value into the field
    std::function<void()> OnActiveChange; // editable or not may have changed (state, layout)

private:
    void Event(TDataEvent event, TField *field);
    void Rebind();

    QPointer<TDataSource> m_source;
    QMetaObject::Connection m_connection;
    QString m_fieldName;
    TField *m_field = nullptr; // resolved from m_fieldName at each data set change
    bool m_modified = false;
    bool m_updating = false;   // inside UpdateRecord: ignore our own field change
};

} // namespace dataset
