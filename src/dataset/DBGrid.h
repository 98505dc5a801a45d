#pragma once
// A read-only grid of the rows of a data source's table, in the table's order and range:
// columns with a field, a title and a width in characters, whole-row selection, the
// current row following the table's cursor and a click on a row moving the cursor there.
// Rows are read only when shown and the rows read are cached, so scrolling over many
// thousands of rows stays fast; the current row shows the table's own buffer, edits
// included.

#include <QPointer>
#include <QString>
#include <QTableView>

#include <functional>
#include <vector>

namespace dataset {

class TDataSource;
class TTable;
class TGridModel;

struct TColumn {
    QString fieldName;
    QString title;    // empty: the field's display label
    int width = 0;    // characters; 0: the field's display width
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);

    // The columns shown; none set: every visible field of the table.
    void SetColumns(const std::vector<TColumn> &columns);
    int ColumnCount() const;
    // The column as shown (title and width resolved from the field when not given).
    TColumn Column(int index) const;
    void SetColumnTitle(int index, const QString &title);
    void SetColumnWidth(int index, int chars);

    // Rows of the table's order and range, and the one the cursor is on (-1 when none).
    int RowCount() const;
    int CurrentRow() const;
    // The record number shown in a row, 0 when out of range.
    uint32_t RowRecno(int row) const;
    // The texts a row shows, one per column.
    QStringList RowTexts(int row) const;
    // Rows read from the table since the last reload (for measuring the cache).
    long long RowsRead() const;

    // Double click on a row, after the click moved the cursor there.
    std::function<void(TDBGrid &)> OnDblClick;

signals:
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class TGridModel;
    void ApplyWidths();
    void FollowCursor();

    TGridModel *m_model;
    bool m_following = false; // moving the selection to the cursor's row: not a user move
};

} // namespace dataset
