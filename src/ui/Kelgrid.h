#pragma once
// The data grid that reports which cell a click landed on, with a narrow indicator column in
// front of the data columns (the current row's marker), and a hook that draws over a data
// cell after its normal painting. Cells are numbered as the grid shows them: row 0 is the
// title row, column 0 the indicator column, data cells from (1, 1).

#include "dataset/DBGrid.h"

#include <QImage>

#include <functional>

class QPainter;

namespace ui {

class TKelDBGrid : public dataset::TDBGrid {
    Q_OBJECT
public:
    explicit TKelDBGrid(QWidget *parent = nullptr);
    ~TKelDBGrid() override;

    // After the grid's own handling of a left button press (which moves the cursor to the
    // row clicked): the cell under the mouse, -1 for a coordinate outside every cell.
    std::function<void(TKelDBGrid &, int column, int row)> OnClickCell;
    // Before the grid's own handling of a key; true when the key was handled.
    std::function<bool(TKelDBGrid &, QKeyEvent *)> OnKeyDown;
    // After the normal painting of a data cell (column and row counted as above).
    std::function<void(TKelDBGrid &, QPainter &, const QRect &, int column, int row)> OnDrawDataCell;

    // Repaints one data cell at once (column and row counted as above).
    void InvalidateCell(int column, int row);

signals:
    void ClickCell(int column, int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CellClicked(int column, int row);
};

// The check-box pictures of the program's bitmap resources: cbCheck (ticked) and cbUCheck
// (not ticked). A null image when the resource cannot be read.
QImage CheckBoxPicture(bool ticked);

} // namespace ui
