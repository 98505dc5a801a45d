// Speed of opening the Annex window over an elderly lease whose Annex row is full: every
// box ticked and every amount given, so each control has something to show.

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/AnnexRows.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Database.h"
#include "entry/Annexe.h"
#include "entry/Bailstd.h"

#include "BenchApp.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_OpenAnnexWindowOnAFullAnnex(benchmark::State &state)
{
    bench::EnsureApplication();
    QTemporaryDir dir;
    db::MakeDemoFolder(dir.path(), 50, 5);
    dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + dir.path()});
    entry::TBailStdForm lease(nullptr, true);
    lease.setAttribute(Qt::WA_DeleteOnClose, false);
    lease.PrepareAnnexEdit();
    dataset::TTable &annex = lease.AnnexeTable();
    for (int i = 0; i < annex.FieldCount(); ++i)
        if (dataset::TField *f = annex.Fields(i); !f->Calculated() && f->DataType() == dataset::TFieldType::Boolean)
            f->SetAsBoolean(true);
    double amount = 10.25;
    for (const char *name : db::AnnexAmountFields())
        annex.FieldByName(QLatin1String(name))->SetAsFloat(amount += 1);
    for (auto _ : state) {
        entry::TAnnexeForm form(&lease, annex);
        form.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form.Pages()->count());
    }
    annex.Cancel();
    lease.BailStdTable().Cancel();
}
BENCHMARK(BM_OpenAnnexWindowOnAFullAnnex)->Unit(benchmark::kMillisecond);

} // namespace
