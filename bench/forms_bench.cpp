// Painting the form: the four pages of a filled lease, and a job of 100 leases.

#include "LeaseFolder.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PaintFourLeasePages(benchmark::State &state)
{
    bench::TLeaseFolder &f = bench::LeaseFolder();
    f.lease.First();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        benchmark::DoNotOptimize(forms::PrintLease(1, forms::kLeasePages, f.Rows(), p));
    }
}
BENCHMARK(BM_PaintFourLeasePages)->Unit(benchmark::kMillisecond);

void BM_PrintJobOfHundredLeases(benchmark::State &state)
{
    bench::TLeaseFolder &f = bench::LeaseFolder();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        forms::CalibrateFormFonts();
        state.counters["pages"] = f.PrintStandardLeases(100, p); // 400 pages
    }
}
BENCHMARK(BM_PrintJobOfHundredLeases)->Unit(benchmark::kMillisecond);

} // namespace
