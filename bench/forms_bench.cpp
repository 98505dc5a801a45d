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

// The four pages of a cooperative lease: the standard sections at the cooperative layouts.
void BM_PaintFourCooperativePages(benchmark::State &state)
{
    bench::TLeaseFolder &f = bench::LeaseFolder();
    for (f.lease.First();
         !f.lease.Eof() && !forms::IsCooperativeKey(f.lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString());
         f.lease.Next()) {
    }
    const forms::TLeaseRows rows = f.Rows();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        state.counters["pages"] = forms::PrintLease(1, forms::kLeasePages, rows, p);
    }
}
BENCHMARK(BM_PaintFourCooperativePages)->Unit(benchmark::kMillisecond);

// The elderly standard leases have their eight Annex pages after the lease pages.
bool ElderlyStandard(const dataset::TTable &lease)
{
    const QString key = lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
    return forms::IsElderlyKey(key) && !forms::IsCooperativeKey(key);
}

void BM_PaintEightAnnexPages(benchmark::State &state)
{
    bench::TLeaseFolder &f = bench::LeaseFolder();
    for (f.lease.First(); !f.lease.Eof() && !ElderlyStandard(f.lease); f.lease.Next()) {
    }
    const forms::TLeaseRows rows = f.Rows();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        state.counters["pages"] = forms::PrintLease(forms::kLeasePages + 1, forms::kAllPages, rows, p);
    }
}
BENCHMARK(BM_PaintEightAnnexPages)->Unit(benchmark::kMillisecond);

void BM_PrintJobOfHundredElderlyLeases(benchmark::State &state)
{
    bench::TLeaseFolder &f = bench::LeaseFolder();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        int pages = 0, done = 0;
        for (f.lease.First(); !f.lease.Eof() && done < 100; f.lease.Next()) {
            if (!ElderlyStandard(f.lease))
                continue;
            pages += forms::PrintLease(1, forms::kAllPages, f.Rows(), p);
            ++done;
        }
        state.counters["pages"] = pages; // 12 a lease: 1,200 when the folder holds 100 of them
    }
}
BENCHMARK(BM_PrintJobOfHundredElderlyLeases)->Unit(benchmark::kMillisecond);

} // namespace
