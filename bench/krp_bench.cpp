// Printout files of lease pages: 1,200 pages (300 standard leases) saved to a compressed
// .krp and loaded back. Limits: under 2 s each way, under 10 kB of file per lease page.

#include "LeaseFolder.h"

#include "delivery/KelStream.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

printout::TPrintout &TwelveHundredPages()
{
    static printout::TPrintout *printout = [] {
        auto *p = new printout::TPrintout(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        bench::TLeaseFolder &f = bench::LeaseFolder();
        forms::CalibrateFormFonts();
        while (p->PageCount() < 1200)
            f.PrintStandardLeases(300, *p);
        return p;
    }();
    return *printout;
}

QString BenchFile()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("twelve-hundred.krp"));
}

void BM_SaveTwelveHundredPageKrp(benchmark::State &state)
{
    printout::TPrintout &p = TwelveHundredPages();
    for (auto _ : state)
        delivery::SavePrintoutFile(p, BenchFile());
    state.counters["pages"] = p.PageCount();
    state.counters["bytes_per_page"] = double(QFileInfo(BenchFile()).size()) / p.PageCount();
}
BENCHMARK(BM_SaveTwelveHundredPageKrp)->Unit(benchmark::kMillisecond);

void BM_LoadTwelveHundredPageKrp(benchmark::State &state)
{
    printout::TPrintout &p = TwelveHundredPages();
    if (!QFileInfo::exists(BenchFile()))
        delivery::SavePrintoutFile(p, BenchFile());
    for (auto _ : state) {
        std::unique_ptr<printout::TPrintout> loaded = delivery::LoadPrintoutFile(BenchFile());
        state.counters["pages"] = loaded->PageCount();
    }
}
BENCHMARK(BM_LoadTwelveHundredPageKrp)->Unit(benchmark::kMillisecond);

} // namespace
