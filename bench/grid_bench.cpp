// Speed of the lease grid over 10,000 leases: one page of rows scrolled into view and
// painted, by the scroll bar and by the cursor; and the listing of the rows in order that
// each change of the table (post, cancel, range) costs.

#include "dataset/DBGrid.h"
#include "dataset/DataSource.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"

#include "BenchApp.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kLeases = 10000;

QApplication &App()
{
    bench::EnsureApplication();
    return *qApp;
}

// One demo folder and one grid on its leases, in key order, made once per run.
struct TGridFixture {
    QTemporaryDir dir;
    dataset::TTable table;
    dataset::TDataSource source;
    dataset::TDBGrid grid;
    QImage image;

    TGridFixture()
    {
        db::MakeDemoFolder(dir.path(), kLeases, 50);
        table.SetTableName(db::TableFile(dir.path(), db::kBailStd, "dbf"));
        table.SetIndexName(QStringLiteral("BAILAHCOOP"));
        table.Open();
        source.SetDataSet(&table);
        grid.SetColumns({{QStringLiteral("BAILAHCOOP"), QStringLiteral("Bail"), 11},
                         {QStringLiteral("A_NOM1"), QStringLiteral("Locataire"), 30},
                         {QStringLiteral("B_RUE"), QStringLiteral("Rue"), 25},
                         {QStringLiteral("B_MUNIC"), QStringLiteral("Municipalité"), 18},
                         {QStringLiteral("D_LOYER"), QStringLiteral("Loyer"), 10}});
        grid.SetDataSource(&source);
        grid.resize(900, 700);
        grid.show();
        image = QImage(grid.size(), QImage::Format_RGB32);
    }

    int RowsPerPage() const { return grid.verticalScrollBar()->pageStep(); }
    void Paint()
    {
        QPainter p(&image);
        grid.render(&p);
    }
};

TGridFixture &Fixture()
{
    App();
    static TGridFixture *f = new TGridFixture;
    return *f;
}

// A page of new rows brought in by the scroll bar, read, formatted and painted.
void BM_GridScrollPage(benchmark::State &state)
{
    TGridFixture &f = Fixture();
    QScrollBar *bar = f.grid.verticalScrollBar();
    bar->setValue(0);
    f.Paint();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        f.Paint();
    }
    state.counters["rows_per_page"] = f.RowsPerPage();
    state.counters["rows"] = f.grid.RowCount();
}
BENCHMARK(BM_GridScrollPage)->Unit(benchmark::kMillisecond);

// The same page painted again: every row comes from the cache.
void BM_GridRepaintCachedPage(benchmark::State &state)
{
    TGridFixture &f = Fixture();
    f.grid.verticalScrollBar()->setValue(kLeases / 2);
    f.Paint();
    for (auto _ : state)
        f.Paint();
    state.counters["rows_per_page"] = f.RowsPerPage();
}
BENCHMARK(BM_GridRepaintCachedPage)->Unit(benchmark::kMillisecond);

// The cursor moves a page down; the grid follows it and paints.
void BM_GridCursorPage(benchmark::State &state)
{
    TGridFixture &f = Fixture();
    f.table.First();
    const int page = f.RowsPerPage();
    for (auto _ : state) {
        if (f.table.MoveBy(page) == 0)
            f.table.First();
        f.Paint();
    }
    state.counters["rows_per_page"] = page;
}
BENCHMARK(BM_GridCursorPage)->Unit(benchmark::kMillisecond);

// The record numbers of every row in key order, listed again after a post or a cancel.
void BM_GridRowListing(benchmark::State &state)
{
    TGridFixture &f = Fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.table.RecnosInOrder());
    state.counters["rows"] = kLeases;
}
BENCHMARK(BM_GridRowListing)->Unit(benchmark::kMillisecond);

} // namespace
