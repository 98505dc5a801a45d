// Speed of the word-processing and spreadsheet exports of a whole lease (twelve pages: the
// form and its Annex) from its recorded pages to the written file.

#include "delivery/DocumentExport.h"
#include "forms/PrintJob.h"
#include "printout/Printout.h"

#include "BenchApp.h"
#include "LeaseFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace printout;

namespace {

// The first demo lease that prints all twelve pages; else three four-page leases.
TPrintout &TwelvePages()
{
    static std::unique_ptr<TPrintout> made;
    if (made)
        return *made;
    bench::TLeaseFolder &folder = bench::LeaseFolder();
    for (folder.lease.First(); !folder.lease.Eof(); folder.lease.Next()) {
        auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("Bail"));
        try {
            if (forms::PrintLease(1, forms::kAllPages, folder.Rows(), *p) == forms::kAllPages) {
                made = std::move(p);
                return *made;
            }
        } catch (const std::exception &) {
            // a kind without an Annex painter: look further
        }
    }
    made = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("Bail"));
    folder.PrintStandardLeases(3, *made);
    return *made;
}

void Export(benchmark::State &state, const char *kind, const char *name)
{
    TPrintout &printout = TwelvePages();
    static QTemporaryDir scratch;
    const QString path = scratch.filePath(QLatin1String(name));
    const QString old = QDir::currentPath();
    QDir::setCurrent(scratch.path()); // the record listing goes to the current directory
    for (auto _ : state)
        delivery::ExportTo(printout, path, QLatin1String(kind), 1, printout.PageCount());
    QDir::setCurrent(old);
    state.counters["pages"] = printout.PageCount();
    state.counters["bytes"] = double(QFileInfo(path).size());
}

void BM_ExportLeaseDocx(benchmark::State &state) { Export(state, "WORD", "lease.docx"); }
void BM_ExportLeaseXlsx(benchmark::State &state) { Export(state, "EXCEL", "lease.xlsx"); }
BENCHMARK(BM_ExportLeaseDocx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportLeaseXlsx)->Unit(benchmark::kMillisecond);

} // namespace
