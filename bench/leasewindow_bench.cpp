// Speed of the standard lease window on a folder of 10,000 leases: opening it (cursors,
// four pages of controls, the last lease shown) and moving to the next lease.

#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Database.h"
#include "entry/Bailstd.h"

#include "BenchApp.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kLeases = 10000;

void EnsureApplication()
{
    bench::EnsureApplication();
}

// One demo folder behind DbBailData, made once per run.
QString LeaseFolder()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        auto d = std::make_unique<QTemporaryDir>();
        db::MakeDemoFolder(d->path(), kLeases, 200);
        return d;
    }();
    dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + dir->path()});
    return dir->path();
}

void BM_OpenLeaseWindowOnTheLastLease(benchmark::State &state)
{
    EnsureApplication();
    LeaseFolder();
    const bool elderly = state.range(0) != 0;
    for (auto _ : state) {
        entry::TBailStdForm form(nullptr, elderly);
        benchmark::DoNotOptimize(form.BailStdTable().RecNo());
        state.PauseTiming();
        form.setAttribute(Qt::WA_DeleteOnClose, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenLeaseWindowOnTheLastLease)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NextLease(benchmark::State &state)
{
    EnsureApplication();
    LeaseFolder();
    entry::TBailStdForm form(nullptr, state.range(0) != 0);
    dataset::TTable &leases = form.BailStdTable();
    leases.First();
    for (auto _ : state) {
        leases.Next();
        if (leases.Eof()) {
            state.PauseTiming();
            leases.First();
            state.ResumeTiming();
        }
        // What the navigator's reaction does after the move.
        form.EnableNobail();
        form.SeekAnnexe();
        form.AjusteDates();
    }
}
BENCHMARK(BM_NextLease)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
