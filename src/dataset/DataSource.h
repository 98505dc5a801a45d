#pragma once
// Connects bound controls to a TTable: relays its state and data events as signals.

#include "dataset/Table.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace dataset {

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);
    ~TDataSource() override;

    TTable *DataSet() const { return m_dataSet; }
    void SetDataSet(TTable *table);
    // Typing into a bound control of a row in browse state puts the table in edit state.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // A disabled source tells its controls nothing, as if no table were attached.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    TDataSetState State() const;

    // Puts the table in edit state when it is browsing and AutoEdit allows; true when
    // it is then in edit or insert state. Lock errors pass through.
    bool EnsureEditing();

    std::function<void(TDataSource &)> OnStateChange;
    std::function<void(TDataSource &, TField *)> OnDataChange;
    std::function<void(TDataSource &)> OnUpdateData;

signals:
    void DataEvent(dataset::TDataEvent event, dataset::TField *field);
    void StateChanged();
    // The current row or its values changed (field: the one that changed, or null).
    void DataChanged(dataset::TField *field);

private:
    friend class TTable;
    void Dispatch(TDataEvent event, TField *field);
    void Detach(); // the table is going away

    QPointer<TTable> m_dataSet;
    bool m_autoEdit = true;
    bool m_enabled = true;
};

} // namespace dataset
