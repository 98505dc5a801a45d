// Painting the form: the four pages of a filled lease, and a job of 100 leases.

#include "BenchApp.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A demo folder of filled leases of every kind with its three tables open, made once per run.
struct TFolder {
    QTemporaryDir dir;
    dataset::TTable lease, lessor, annex;

    TFolder()
    {
        bench::EnsureApplication();
        db::MakeDemoFolder(dir.path(), 240, 10);
        Open(lease, db::kBailStd, "BAILAHCOOP");
        Open(lessor, db::kLocateur, "NOLOCATEUR");
        Open(annex, db::kAnnexe, "NOBAIL");
        forms::CalibrateFormFonts();
    }
    void Open(dataset::TTable &t, const db::TTableDesc &desc, const char *tag)
    {
        t.SetTableName(db::TableFile(dir.path(), desc, "dbf"));
        t.SetIndexName(QLatin1String(tag));
        t.Open();
        db::ApplyFieldProperties(t);
    }
    forms::TLeaseRows Rows()
    {
        forms::PositionPrintRows(lease, lessor, annex);
        return {forms::TRow(&lease), forms::TRow(&lessor), forms::TRow(&annex)};
    }
};

TFolder &Folder()
{
    static TFolder *folder = new TFolder;
    return *folder;
}

void BM_PaintFourLeasePages(benchmark::State &state)
{
    TFolder &f = Folder();
    f.lease.First();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        benchmark::DoNotOptimize(forms::PrintLease(1, forms::kLeasePages, f.Rows(), p));
    }
}
BENCHMARK(BM_PaintFourLeasePages)->Unit(benchmark::kMillisecond);

void BM_PrintJobOfHundredLeases(benchmark::State &state)
{
    TFolder &f = Folder();
    for (auto _ : state) {
        printout::TPrintout p(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bench"));
        forms::CalibrateFormFonts();
        // The first 100 leases of the standard kinds: 400 pages.
        int pages = 0, leases = 0;
        for (f.lease.First(); !f.lease.Eof() && leases < 100; f.lease.Next()) {
            if (forms::IsCooperativeKey(f.lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString()))
                continue;
            pages += forms::PrintLease(1, forms::kLeasePages, f.Rows(), p);
            ++leases;
        }
        state.counters["pages"] = pages;
    }
}
BENCHMARK(BM_PrintJobOfHundredLeases)->Unit(benchmark::kMillisecond);

} // namespace
