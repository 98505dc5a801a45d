#pragma once
// A table cursor in the manner of the classic data-aware components: a dBase table
// opened by database name and file name, an order, an optional range or master-detail
// link, one current row with browse / edit / insert states, fields, events, and data
// sources that keep bound controls in step.
//
// Each TTable owns one dbase::Table (one open file description): two TTables on the same
// file conflict on record locks exactly as two windows do. Engine errors pass through
// unchanged (EDBEngineError); the layer's own refusals are EDBEngineError too, with
// kInvalidOperation or kInvalidField and a message in the working language.

#include "dataset/Field.h"
#include "dbase/Mdx.h"
#include "dbase/Record.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace dbase {
class Table;
class Cursor;
}

namespace dataset {

class TDataSource;

enum class TDataSetState { Inactive, Browse, Edit, Insert, CalcFields };

// What a data source tells its controls.
enum class TDataEvent {
    DataSetChange,  // rows, order or range changed, or the table opened or closed
    DataSetScroll,  // another row became current
    RecordChange,   // the current row's values changed (field: which one, null: all)
    UpdateState,    // the state changed
    UpdateRecord,   // controls write the text they hold into their fields
    LayoutChange,   // a field's display properties changed
};

class TTable : public QObject {
    Q_OBJECT
public:
    using TDataSetNotify = std::function<void(TTable &)>;

    explicit TTable(QObject *parent = nullptr);
    ~TTable() override;

    // Where the table lives; set while closed. An empty database name takes the table
    // name as a path.
    const QString &DatabaseName() const { return m_databaseName; }
    void SetDatabaseName(const QString &name);
    const QString &TableName() const { return m_tableName; }
    void SetTableName(const QString &name);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool exclusive);

    // The order: a tag by name, or the tag keyed on a field. Setting one clears the other;
    // both empty is the physical order. On an open table the current row stays current
    // (pending changes are posted first) and a range is cancelled.
    const QString &IndexName() const { return m_indexName; }
    void SetIndexName(const QString &tag);
    const QString &IndexFieldNames() const { return m_indexFieldNames; }
    void SetIndexFieldNames(const QString &field);

    // Master-detail: only rows whose key on the current order equals the master field of
    // the master source's current row are visible, following every move of the master.
    TDataSource *MasterSource() const { return m_masterSource; }
    void SetMasterSource(TDataSource *source);
    const QString &MasterFields() const { return m_masterFields; }
    void SetMasterFields(const QString &fields);

    void Open();
    void Close(); // pending changes are dropped and the lock released
    bool Active() const { return m_state != TDataSetState::Inactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TDataSetState State() const { return m_state; }
    bool CanModify() const { return Active() && !m_readOnly; }
    // A field was changed since Edit or Insert (values set by OnNewRecord do not count).
    bool Modified() const { return m_modified; }

    // Moves. Pending changes are posted first (an untouched insertion is cancelled).
    void First();
    void Last();
    void Next();  // at the last row: Eof() and the position stays
    void Prior(); // at the first row: Bof()
    int MoveBy(int distance); // returns the rows actually moved (negative backwards)
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    // Record number of the current row (0 when none), and moving to one; false (position
    // unchanged) when that row is deleted or not visible.
    uint32_t RecNo() const;
    bool SetRecNo(uint32_t recno);

    // Exact key on the current order; on failure the position is unchanged.
    bool FindKey(const QString &value);
    bool FindKey(long long value);
    // First row whose key is >= value; false (position unchanged) when none.
    bool FindNearest(const QString &value);
    // Only rows with keys between start and end (inclusive) on the current order; moves
    // to the first of them. Text values are converted as keys of the order's type.
    void SetRange(const QString &start, const QString &end);
    void SetRangeKeys(const dbase::KeyBytes &low, const dbase::KeyBytes &high);
    void CancelRange();
    bool HasRange() const { return m_rangeLow.has_value(); }

    // Edit locks the current row (the engine's lock errors pass through) and re-reads it;
    // on an empty table it inserts instead. Insert and Append start a new row written at
    // the end of the table by Post. Post writes and releases the lock; Cancel drops the
    // changes and releases it. Delete removes the current row (an insertion is cancelled).
    // Refresh re-reads the current row and the rows around it.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Posts when modified, cancels otherwise; nothing in browse state.
    void CheckBrowseMode();
    // Asks the bound controls to write what they hold into their fields.
    void UpdateRecord();

    // Controls stop following the table until the matching EnableControls, which then
    // shows the current row.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    int FieldCount() const { return int(m_fields.size()); }
    TField *Fields(int index) const { return m_fields.at(size_t(index)).get(); }
    TField *FindField(const QString &name) const; // nullptr when absent
    TField *FieldByName(const QString &name) const; // throws kInvalidField when absent
    // An unstored field whose value OnCalcFields computes for every row; size is the
    // characters of a text field.
    TField *AddCalcField(const QString &name, TFieldType type, int size = 0);

    // Rows of the current order and range, for grids: their record numbers in order
    // (read through a second engine cursor, the current row is not moved), one row read
    // by number, and the calculated fields of such a row.
    std::vector<uint32_t> RecnosInOrder();
    bool ReadRow(uint32_t recno, dbase::Record &out);
    // Display texts of fields for another row, its calculated fields computed for it.
    QStringList RowTexts(const dbase::Record &record, const std::vector<TField *> &fields);

    // The engine objects, while open.
    dbase::Table *EngineTable() const { return m_table.get(); }
    dbase::Cursor *EngineCursor() const { return m_cursor.get(); }

    // Events. Before-events may throw (EAbort for a silent stop) to prevent the operation.
    TDataSetNotify BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotify BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotify BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotify BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotify OnNewRecord, OnCalcFields;

private:
    friend class TField;
    friend class TDataSource;

    // The row fields read and write: the current row, or the row being calculated.
    const dbase::Record *ActiveRecord() const { return m_active; }
    dbase::Record *WritableRecord() { return m_active; }
    QVariant CalcValue(int slot) const;
    void SetCalcValue(int slot, const QVariant &v);
    void FieldChanged(TField &field);
    void FieldLayoutChanged(TField &field);

    void RequireActive() const;
    // Settings of the file and its opening change only while the table is closed.
    void RequireClosed(const char *frenchWhat, const char *englishWhat) const;
    void RequireBrowsable();
    void CreateFields();
    void ApplyOrder();
    void SetOrderNames(const QString &tag, const QString &field);
    int OrderTag() const;
    void LoadCurrent();        // the cursor's row into the buffer, then calculate
    void CalculateFields();
    void Scrolled();           // after a move: notify and AfterScroll
    void BeginInsert(bool append);
    void MasterChanged(TField *field);
    void ApplyMasterRange();
    void SetRangeInternal(const dbase::KeyBytes &low, const dbase::KeyBytes &high);
    void SetState(TDataSetState state);
    void Notify(TDataEvent event, TField *field = nullptr);
    void AddSource(TDataSource *source);
    void RemoveSource(TDataSource *source);
    void Fire(const TDataSetNotify &event) { if (event) event(*this); }
    QString DisplayName() const;

    QString m_databaseName;
    QString m_tableName;
    QString m_indexName;
    QString m_indexFieldNames;
    QString m_masterFields;
    TDataSource *m_masterSource = nullptr;      // cleared when the source is destroyed
    QMetaObject::Connection m_masterConnection;
    QMetaObject::Connection m_masterGone;
    bool m_readOnly = false;
    bool m_exclusive = false;

    std::unique_ptr<dbase::Table> m_table;   // the open file
    std::unique_ptr<dbase::Cursor> m_cursor; // position, order, range
    std::optional<dbase::KeyBytes> m_rangeLow;  // range in force, mirrored for grids
    std::optional<dbase::KeyBytes> m_rangeHigh;
    TDataSetState m_state = TDataSetState::Inactive;
    dbase::Record m_buffer;                  // current row, with the edits made to it
    dbase::Record *m_active = &m_buffer;     // row the fields read and write
    std::vector<QVariant> m_calcValues;      // calculated values of the current row
    std::vector<QVariant> *m_activeCalc = &m_calcValues;
    uint32_t m_editRecno = 0;                // row locked by Edit
    bool m_modified = false;
    bool m_inNewRecord = false;
    bool m_calculating = false;
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;

    std::vector<std::unique_ptr<TField>> m_fields; // stored fields, then calculated ones
    int m_calcCount = 0;
    std::vector<TDataSource *> m_sources;     // data sources showing this table
};

} // namespace dataset
