#include "dataset/DBGrid.h"

#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "dbase/Record.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>

#include <unordered_map>

namespace dataset {

namespace {

// Rows kept once read; a screenful is a few dozen, so this covers many pages back and forth.
constexpr size_t kCacheRows = 2048;

} // namespace

// The rows of the table as the view asks for them: record numbers of the order and range
// are listed once per change of the data set, texts are read per row on first display.
class TGridModel : public QAbstractTableModel {
public:
    explicit TGridModel(TDBGrid &grid)
        : QAbstractTableModel(&grid)
        , m_grid(grid)
    {
    }

    TDataSource *Source() const { return m_source; }
    TTable *Table() const
    {
        TTable *t = m_source ? m_source->DataSet() : nullptr;
        return t && t->Active() && m_source->Enabled() ? t : nullptr;
    }

    void SetSource(TDataSource *source)
    {
        QObject::disconnect(m_connection);
        m_source = source;
        if (source)
            m_connection = connect(source, &TDataSource::DataEvent, this, [this](TDataEvent e, TField *) { Event(e); });
        Reload();
    }

    void SetColumns(const std::vector<TColumn> &columns)
    {
        beginResetModel();
        m_columns = columns;
        Resolve();
        m_cache.clear();
        endResetModel();
    }

    // The columns as shown: given ones, or every visible field of the table.
    int ColumnCount() const { return int(m_shown.size()); }
    TColumn Column(int index) const
    {
        if (index < 0 || index >= ColumnCount())
            return {};
        TColumn c = m_shown[size_t(index)];
        TField *f = m_fields[size_t(index)];
        if (c.title.isEmpty() && f)
            c.title = f->DisplayLabel();
        if (c.width <= 0)
            c.width = f ? f->DisplayWidth() : 10;
        return c;
    }
    void SetTitle(int index, const QString &title)
    {
        if (index < 0 || index >= ColumnCount())
            return;
        m_shown[size_t(index)].title = title;
        // Titles given in the column list survive a change of table.
        if (size_t(index) < m_columns.size())
            m_columns[size_t(index)].title = title;
        emit headerDataChanged(Qt::Horizontal, index, index);
    }
    void SetWidth(int index, int chars)
    {
        if (index < 0 || index >= ColumnCount())
            return;
        m_shown[size_t(index)].width = chars;
        if (size_t(index) < m_columns.size())
            m_columns[size_t(index)].width = chars;
    }

    int RowCountOf() const { return int(m_recnos.size()); }
    int CurrentRow() const { return m_currentRow; }
    uint32_t Recno(int row) const { return row >= 0 && size_t(row) < m_recnos.size() ? m_recnos[size_t(row)] : 0; }
    long long RowsRead() const { return m_rowsRead; }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : RowCountOf(); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : ColumnCount(); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const int col = index.column();
        if (role == Qt::DisplayRole) {
            return Texts(index.row()).value(col);
        }
        if (role == Qt::TextAlignmentRole) {
            TField *f = m_fields[size_t(col)];
            const Qt::Alignment h = f ? (f->Alignment() & Qt::AlignHorizontal_Mask) : Qt::AlignLeft;
            return QVariant::fromValue(h | Qt::AlignVCenter);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return Column(section).title;
        if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QStringList Texts(int row) const
    {
        TTable *t = Table();
        if (!t || row < 0 || size_t(row) >= m_recnos.size())
            return {};
        // The cursor's row shows the table's buffer, so edits in progress show at once.
        if (row == m_currentRow) {
            QStringList out;
            for (TField *f : m_fields)
                out << (f ? f->DisplayText() : QString());
            return out;
        }
        auto it = m_cache.find(row);
        if (it != m_cache.end())
            return it->second;
        if (m_cache.size() >= kCacheRows)
            m_cache.clear();
        QStringList texts;
        ++m_rowsRead;
        if (t->ReadRow(m_recnos[size_t(row)], m_scratch))
            texts = t->RowTexts(m_scratch, m_fields);
        else
            texts = QStringList(QList<QString>(qsizetype(m_fields.size())));
        return m_cache.emplace(row, texts).first->second;
    }

    void Reload()
    {
        beginResetModel();
        TTable *t = Table();
        m_recnos = t ? t->RecnosInOrder() : std::vector<uint32_t>{};
        m_rowOf.clear();
        m_rowOf.reserve(m_recnos.size());
        for (size_t i = 0; i < m_recnos.size(); ++i)
            m_rowOf.emplace(m_recnos[i], int(i));
        m_cache.clear();
        m_rowsRead = 0;
        Resolve();
        m_currentRow = FindCurrent();
        endResetModel();
        m_grid.ApplyWidths();
        m_grid.FollowCursor();
    }

private:
    int FindCurrent() const
    {
        TTable *t = Table();
        if (!t || t->State() == TDataSetState::Insert)
            return -1;
        auto it = m_rowOf.find(t->RecNo());
        return it == m_rowOf.end() ? -1 : it->second;
    }

    void Resolve()
    {
        TTable *t = Table();
        m_shown.clear();
        m_fields.clear();
        if (!m_columns.empty()) {
            m_shown = m_columns;
            for (const TColumn &c : m_columns)
                m_fields.push_back(t ? t->FindField(c.fieldName) : nullptr);
        } else if (t) {
            for (int i = 0; i < t->FieldCount(); ++i) {
                TField *f = t->Fields(i);
                if (!f->Visible())
                    continue;
                m_shown.push_back(TColumn{f->FieldName(), QString(), 0});
                m_fields.push_back(f);
            }
        }
    }

    void RowChanged(int row)
    {
        if (row >= 0 && row < RowCountOf())
            emit dataChanged(index(row, 0), index(row, ColumnCount() - 1), {Qt::DisplayRole});
    }

    void Event(TDataEvent e)
    {
        switch (e) {
        case TDataEvent::DataSetChange:
            Reload();
            break;
        case TDataEvent::DataSetScroll: {
            const int before = m_currentRow;
            m_currentRow = FindCurrent();
            // The row left shows the stored values again, read afresh.
            m_cache.erase(before);
            RowChanged(before);
            RowChanged(m_currentRow);
            m_grid.FollowCursor();
            break;
        }
        case TDataEvent::RecordChange:
            RowChanged(m_currentRow);
            break;
        case TDataEvent::UpdateState: {
            const bool open = Table() != nullptr;
            if (open != m_wasOpen || (!open && !m_recnos.empty()))
                Reload();
            else if (FindCurrent() != m_currentRow) {
                const int before = m_currentRow;
                m_currentRow = FindCurrent();
                RowChanged(before);
                RowChanged(m_currentRow);
                m_grid.FollowCursor();
            }
            break;
        }
        case TDataEvent::LayoutChange:
            m_cache.clear();
            emit headerDataChanged(Qt::Horizontal, 0, ColumnCount() - 1);
            if (RowCountOf() > 0)
                emit dataChanged(index(0, 0), index(RowCountOf() - 1, ColumnCount() - 1));
            break;
        case TDataEvent::UpdateRecord:
            break;
        }
        m_wasOpen = Table() != nullptr;
    }

    TDBGrid &m_grid;
    QPointer<TDataSource> m_source;
    QMetaObject::Connection m_connection;
    std::vector<TColumn> m_columns;      // as given; empty: every visible field
    std::vector<TColumn> m_shown;        // the columns shown
    std::vector<TField *> m_fields;      // field of each shown column (null: unknown name)
    std::vector<uint32_t> m_recnos;      // record number of each row, in order
    std::unordered_map<uint32_t, int> m_rowOf; // row of each record number
    int m_currentRow = -1;
    bool m_wasOpen = false;
    mutable std::unordered_map<int, QStringList> m_cache; // texts of rows read
    mutable dbase::Record m_scratch;     // buffer rows are read into
    mutable long long m_rowsRead = 0;
};

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new TGridModel(*this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Fixed row heights let the view place any row without measuring the ones before it.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TDBGrid::~TDBGrid() = default;

TDataSource *TDBGrid::DataSource() const { return m_model->Source(); }
void TDBGrid::SetDataSource(TDataSource *source) { m_model->SetSource(source); }

void TDBGrid::SetColumns(const std::vector<TColumn> &columns)
{
    m_model->SetColumns(columns);
    ApplyWidths();
    FollowCursor();
}

int TDBGrid::ColumnCount() const { return m_model->ColumnCount(); }
TColumn TDBGrid::Column(int index) const { return m_model->Column(index); }
void TDBGrid::SetColumnTitle(int index, const QString &title) { m_model->SetTitle(index, title); }

void TDBGrid::SetColumnWidth(int index, int chars)
{
    m_model->SetWidth(index, chars);
    ApplyWidths();
}

int TDBGrid::RowCount() const { return m_model->RowCountOf(); }
int TDBGrid::CurrentRow() const { return m_model->CurrentRow(); }
uint32_t TDBGrid::RowRecno(int row) const { return m_model->Recno(row); }
QStringList TDBGrid::RowTexts(int row) const { return m_model->Texts(row); }
long long TDBGrid::RowsRead() const { return m_model->RowsRead(); }

void TDBGrid::ApplyWidths()
{
    const int charWidth = fontMetrics().averageCharWidth();
    for (int i = 0; i < ColumnCount(); ++i)
        setColumnWidth(i, Column(i).width * charWidth + 10);
}

void TDBGrid::FollowCursor()
{
    m_following = true;
    const int row = m_model->CurrentRow();
    if (row >= 0) {
        const int col = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex at = m_model->index(row, qBound(0, col, qMax(0, ColumnCount() - 1)));
        if (at != currentIndex())
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // Before the grid has its size, scrolling would put the row at the top.
        if (isVisible())
            scrollTo(at);
    } else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    m_following = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || current.row() == m_model->CurrentRow())
        return;
    TTable *t = m_model->Table();
    if (!t)
        return;
    try {
        t->SetRecNo(m_model->Recno(current.row()));
    } catch (...) {
        HandleEventException(std::current_exception());
    }
    // A move refused (a post that failed, a row gone) puts the selection back.
    if (m_model->CurrentRow() != current.row())
        FollowCursor();
}

void TDBGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (!indexAt(event->position().toPoint()).isValid())
        return;
    if (OnDblClick)
        OnDblClick(*this);
    emit DblClick();
}

} // namespace dataset
