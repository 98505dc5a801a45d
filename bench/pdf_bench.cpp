// Speed and size of PDF output: recorded lease printouts saved with our writer and with Qt's
// QPdfWriter through the page player, and the writer's canvas on dense pages.

#include "pdf/PdfBox.h"
#include "printout/Player.h"
#include "printout/Printout.h"
#include "printout/PdfExport.h"

#include "BenchApp.h"
#include "LeaseFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace printout;

namespace {

// QPdfWriter needs the GUI part of Qt; without a display it runs offscreen.
void NeedGui()
{
    bench::EnsureApplication();
}

QTemporaryDir &Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Real lease pages as the form's painters draw them: one lease (4 pages) or 100 (400).
TPrintout &LeasePrintout(int pages)
{
    static std::map<int, std::unique_ptr<TPrintout>> made;
    auto &slot = made[pages];
    if (!slot) {
        slot = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), QStringLiteral("Bail"));
        bench::LeaseFolder().PrintStandardLeases(pages / 4, *slot);
    }
    return *slot;
}

void BM_ExportOurWriter(benchmark::State &state)
{
    TPrintout &printout = LeasePrintout(int(state.range(0)));
    const QString path = Scratch().filePath(QStringLiteral("ours.pdf"));
    const QString old = QDir::currentPath();
    QDir::setCurrent(Scratch().path()); // the record listing goes to the current directory
    for (auto _ : state)
        ExportTo(printout, path, QStringLiteral("ACROBAT"), 1, printout.PageCount());
    QDir::setCurrent(old);
    state.counters["bytes"] = double(QFileInfo(path).size());
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportOurWriter)->Arg(4)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_ExportQPdfWriter(benchmark::State &state)
{
    NeedGui();
    TPrintout &printout = LeasePrintout(int(state.range(0)));
    const QString path = Scratch().filePath(QStringLiteral("qt.pdf"));
    for (auto _ : state) {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF());
        writer.setResolution(600);
        QPainter painter(&writer);
        const QRectF sheet(0, 0, writer.width(), writer.height());
        for (int p = 1; p <= printout.PageCount(); ++p) {
            if (p > 1)
                writer.newPage();
            PlayMetafile(painter, *printout.PageMetafile(p), sheet);
        }
        painter.end();
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportQPdfWriter)->Arg(4)->Arg(400)->Unit(benchmark::kMillisecond);

// Pages of 500 texts and 200 lines straight onto the writer's canvas.
void BM_CanvasDensePages(benchmark::State &state)
{
    const QString path = Scratch().filePath(QStringLiteral("dense.pdf"));
    const int pages = int(state.range(0));
    for (auto _ : state) {
        pdf::TPdfBox box;
        box.SetFileName(path);
        box.SetPaperSizeName(QStringLiteral("Letter"));
        box.BeginDoc();
        pdf::TPdfCanvas &c = box.Canvas();
        for (int p = 0; p < pages; ++p) {
            if (p)
                box.NewPage();
            for (int l = 0; l < 200; ++l) {
                c.MoveTo(100, 100 + l * 13);
                c.LineTo(2000, 100 + l * 13);
            }
            for (int t = 0; t < 500; ++t) {
                c.Font().Bold = t % 9 == 0;
                c.TextOut(100 + (t % 5) * 400, 100 + (t / 5) * 26, QStringLiteral("Texte %1 de la page").arg(t));
            }
        }
        box.EndDoc();
    }
    state.counters["bytes/page"] = double(QFileInfo(path).size()) / pages;
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations() * pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CanvasDensePages)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
