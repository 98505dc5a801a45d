// The check-box grid: the cell a click lands on, counted with the title row and the indicator
// column, and the two check-box pictures of the program's resources.

#include "ui/Kelgrid.h"

#include "UiTestUtil.h"
#include "TestSupport.h"

#include "dataset/DataSource.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"

#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(KelDBGrid, ReportsTheCellClickedAfterMovingTheCursorThere)
{
    uitest::App();
    auto dir = testsupport::TempDir();
    db::MakeDemoFolder(dir->path(), 6, 1);
    dataset::TTable leases;
    leases.SetTableName(db::TableFile(dir->path(), db::kBailStd, "dbf"));
    leases.SetIndexName(QStringLiteral("NOBAIL"));
    leases.Open();
    dataset::TDataSource source;
    source.SetDataSet(&leases);
    ui::TKelDBGrid grid;
    grid.SetColumns({{QStringLiteral("NOBAIL"), QStringLiteral("No"), 8}, {QStringLiteral("A_NOM1"), QStringLiteral("Nom"), 20}});
    grid.SetDataSource(&source);
    grid.resize(400, 300);
    grid.show();
    QApplication::processEvents();

    std::vector<std::pair<int, int>> clicks;
    QString numberAtClick;
    grid.OnClickCell = [&](ui::TKelDBGrid &, int column, int row) {
        clicks.emplace_back(column, row);
        numberAtClick = leases.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
    };
    const QModelIndex third = grid.model()->index(2, 1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(third).center());
    EXPECT_EQ(numberAtClick, grid.RowTexts(2).value(0).trimmed());
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, grid.visualRect(third).center());
    QHeaderView *titles = grid.horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, QPoint(titles->sectionViewportPosition(1) + 5, 5));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(5, grid.viewport()->height() - 3)); // below the rows
    QHeaderView *indicator = grid.verticalHeader();
    ASSERT_TRUE(indicator->isVisible());
    QTest::mouseClick(indicator->viewport(), Qt::LeftButton, {}, QPoint(4, indicator->sectionViewportPosition(4) + 4));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{2, 3}, {2, 0}, {-1, -1}, {0, 5}}));
    EXPECT_EQ(grid.CurrentRow(), 4); // the indicator click moved the cursor too
    // The indicator marks that row, and that row only.
    const QImage picture = uitest::Picture(grid);
    auto darkest = [&](int row) {
        const QPoint at = indicator->mapTo(&grid, QPoint(0, indicator->sectionViewportPosition(row)));
        int d = 255;
        for (int y = 0; y < indicator->sectionSize(row); ++y)
            for (int x = 2; x < indicator->width() - 2; ++x)
                d = std::min(d, qGray(picture.pixel(at.x() + x, at.y() + y)));
        return d;
    };
    EXPECT_LT(darkest(4), 64);
    EXPECT_GT(darkest(3), 128);

    // A key the owner handles does not reach the grid; others move as usual.
    grid.OnKeyDown = [](ui::TKelDBGrid &, QKeyEvent *e) { return e->key() == Qt::Key_Down; };
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.CurrentRow(), 4);
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(grid.CurrentRow(), 3);
}

TEST(KelDBGrid, CheckBoxPicturesAreSmallBoxesTickedOrNot)
{
    uitest::App();
    const QImage ticked = ui::CheckBoxPicture(true), unticked = ui::CheckBoxPicture(false);
    ASSERT_FALSE(ticked.isNull());
    ASSERT_FALSE(unticked.isNull());
    EXPECT_EQ(ticked.size(), QSize(13, 13));
    EXPECT_EQ(unticked.size(), QSize(13, 13));
    auto inked = [](const QImage &box) {
        int n = 0;
        for (int y = 1; y < box.height() - 1; ++y)
            for (int x = 1; x < box.width() - 1; ++x)
                n += qGray(box.pixel(x, y)) < 64;
        return n;
    };
    EXPECT_GT(inked(ticked), 12);
    EXPECT_EQ(inked(unticked), 0);
    for (const QImage *box : {&ticked, &unticked}) {
        EXPECT_LT(qGray(box->pixel(0, 0)), 192); // framed
        EXPECT_EQ(qGray(box->pixel(2, 2)), 255);
    }
}
