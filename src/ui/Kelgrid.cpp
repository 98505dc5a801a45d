#include "ui/Kelgrid.h"

#include "ui/Bitmaps.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace ui {

namespace {

constexpr int kIndicatorWidth = 12;

// The indicator column: blank sections, a small arrow on the grid's current row.
class TIndicatorHeader : public QHeaderView {
public:
    explicit TIndicatorHeader(QWidget *parent)
        : QHeaderView(Qt::Vertical, parent)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        auto *grid = qobject_cast<const dataset::TDBGrid *>(parentWidget());
        const int row = grid ? grid->CurrentRow() : -1;
        if (row < 0)
            return;
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::WindowText));
        const QPointF c(width() / 2.0, sectionViewportPosition(row) + sectionSize(row) / 2.0);
        QPainterPath arrow;
        arrow.moveTo(c.x() - 2.5, c.y() - 4);
        arrow.lineTo(c.x() + 2.5, c.y());
        arrow.lineTo(c.x() - 2.5, c.y() + 4);
        arrow.closeSubpath();
        painter.drawPath(arrow);
    }
};

// Normal painting, then the grid's own drawing over the cell.
class TCellDelegate : public QStyledItemDelegate {
public:
    explicit TCellDelegate(TKelDBGrid &grid)
        : QStyledItemDelegate(&grid)
        , m_grid(grid)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (m_grid.OnDrawDataCell) {
            painter->save();
            m_grid.OnDrawDataCell(m_grid, *painter, option.rect, index.column() + 1, index.row() + 1);
            painter->restore();
        }
    }

private:
    TKelDBGrid &m_grid;
};

} // namespace

TKelDBGrid::TKelDBGrid(QWidget *parent)
    : dataset::TDBGrid(parent)
{
    setVerticalHeader(new TIndicatorHeader(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(kIndicatorWidth);
    verticalHeader()->setSectionsClickable(true); // a new header is not, as the view's own is
    verticalHeader()->show();
    setItemDelegate(new TCellDelegate(*this));
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
        CellClicked(section + 1, 0);
    });
    connect(verticalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
        CellClicked(0, section + 1);
    });
    // The arrow follows the current row.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, verticalHeader()->viewport(),
            qOverload<>(&QWidget::update));
}

TKelDBGrid::~TKelDBGrid() = default;

void TKelDBGrid::InvalidateCell(int column, int row)
{
    const QModelIndex at = model()->index(row - 1, column - 1);
    if (at.isValid())
        viewport()->update(visualRect(at));
}

void TKelDBGrid::CellClicked(int column, int row)
{
    if (OnClickCell)
        OnClickCell(*this, column, row);
    emit ClickCell(column, row);
}

void TKelDBGrid::mousePressEvent(QMouseEvent *event)
{
    dataset::TDBGrid::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid())
        CellClicked(at.column() + 1, at.row() + 1);
    else
        CellClicked(-1, -1);
}

void TKelDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (OnKeyDown && OnKeyDown(*this, event)) {
        event->accept();
        return;
    }
    dataset::TDBGrid::keyPressEvent(event);
}

QImage CheckBoxPicture(bool ticked)
{
    QImage image;
    LoadBitmapResource(image, ticked ? QStringLiteral("cbCheck") : QStringLiteral("cbUCheck"));
    return image;
}

} // namespace ui
