// Batch printing of 1,000 leases of every kind (about 7,000 pages) as a user runs it: every
// lease ticked in the batch dialog, previewed, and the preview saved as one PDF document.

#include "BenchApp.h"

#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Database.h"
#include "forms/PrintCommand.h"
#include "forms/Printbat.h"
#include "preview/Preview.h"
#include "ui/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kLeases = 1000;

struct TBatchFolder {
    QTemporaryDir dir;
    TBatchFolder()
    {
        bench::EnsureApplication();
        db::MakeDemoFolder(dir.path(), kLeases, 25);
        dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + dir.path()});
        ui::SetMessageBoxHook([](QMessageBox &) { return QMessageBox::Ok; });
    }
};

TBatchFolder &Folder()
{
    static TBatchFolder *folder = new TBatchFolder; // kept to the end of the process
    return *folder;
}

double PeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The dialog's preview of every lease, preview window included.
void BM_BatchPreviewOfThousandLeases(benchmark::State &state)
{
    Folder();
    forms::TPrintBatch dialog;
    dialog.findChild<QPushButton *>(QStringLiteral("SelectAll"))->click();
    QPushButton *preview = dialog.findChild<QPushButton *>(QStringLiteral("BtnPreview"));
    int pages = 0;
    for (auto _ : state) {
        preview->click();
        preview::TFPrintPreview *shown = forms::CurrentLeasePreview();
        pages = shown && shown->Current() ? shown->Current()->PageCount() : 0;
        state.PauseTiming();
        delete shown;
        state.ResumeTiming();
    }
    state.counters["leases"] = double(dialog.Selection().size());
    state.counters["pages"] = pages;
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_BatchPreviewOfThousandLeases)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same preview saved as one PDF document.
void BM_BatchPreviewSavedAsPdf(benchmark::State &state)
{
    TBatchFolder &folder = Folder();
    forms::TPrintBatch dialog;
    dialog.findChild<QPushButton *>(QStringLiteral("SelectAll"))->click();
    dialog.findChild<QPushButton *>(QStringLiteral("BtnPreview"))->click();
    preview::TFPrintPreview *shown = forms::CurrentLeasePreview();
    // The export's record listing goes to the current folder: the benchmark's own.
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.dir.path());
    const QString pdf = folder.dir.filePath(QStringLiteral("batch.pdf"));
    for (auto _ : state)
        benchmark::DoNotOptimize(shown->SavePdf(pdf));
    QDir::setCurrent(before);
    state.counters["pages"] = shown->Current()->PageCount();
    state.counters["pdf_mb"] = QFileInfo(pdf).size() / 1048576.0;
    state.counters["peak_rss_mb"] = PeakRssMb();
    delete shown;
}
BENCHMARK(BM_BatchPreviewSavedAsPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
