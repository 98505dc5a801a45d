// Printout recording, the metafile codec and the player on pages the size of a form page:
// 500 text records and 200 lines. Limits: recording, encoding and decoding under 1 ms each,
// playing into a 150 dpi picture under 30 ms, 2,000 such pages in memory under 300 MB.

#include "printout/Metafile.h"
#include "printout/PageCanvas.h"
#include "printout/Player.h"
#include "printout/Printout.h"

#include "BenchApp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <memory>

using namespace printout;

namespace {

// The player and the font engine need Qt's GUI part; no display is needed.
void EnsureApplication()
{
    bench::EnsureApplication();
}

const QString kTexts[] = {QStringLiteral("Bail n° 2024-0017"), QStringLiteral("Locateur :"),
                          QStringLiteral("Rue des Érables, app. 4"), QStringLiteral("1 250,00 $"),
                          QStringLiteral("le premier jour de chaque mois")};

void DrawFormPage(TPageCanvas &c)
{
    c.SetTextAlign(emf::TA_BASELINE);
    c.SetPenWidth(3);
    for (int i = 0; i < 500; ++i) {
        if (i % 50 == 0) {
            c.SetFontHeight(30 + (i / 50) % 3 * 5);
            c.SetFontStyle(i % 100 == 0 ? fsBold : 0);
        }
        c.TextOut(120 + (i % 4) * 500, -200 - (i / 4) * 20, kTexts[i % 5]);
    }
    for (int i = 0; i < 200; ++i) {
        c.MoveTo(115, -150 - i * 12);
        c.LineTo(2045, -150 - i * 12);
    }
}

TMetafile RecordedPage()
{
    TMetafile mf;
    mf.SetDevice(TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    TPageCanvas canvas(mf);
    DrawFormPage(canvas);
    canvas.Finish();
    return mf;
}

void BM_RecordFormPage(benchmark::State &state)
{
    EnsureApplication();
    RecordedPage(); // fonts loaded once, as in a print job
    for (auto _ : state) {
        TMetafile mf = RecordedPage();
        benchmark::DoNotOptimize(mf.RecordCount());
    }
}
BENCHMARK(BM_RecordFormPage)->Unit(benchmark::kMicrosecond);

void BM_EncodeEmf(benchmark::State &state)
{
    EnsureApplication();
    const TMetafile mf = RecordedPage();
    for (auto _ : state) {
        QByteArray bytes = mf.ToEmf();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * mf.ToEmf().size());
}
BENCHMARK(BM_EncodeEmf)->Unit(benchmark::kMicrosecond);

void BM_DecodeEmf(benchmark::State &state)
{
    EnsureApplication();
    const QByteArray bytes = RecordedPage().ToEmf();
    for (auto _ : state) {
        TMetafile mf = TMetafile::FromEmf(bytes);
        benchmark::DoNotOptimize(mf.RecordCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}
BENCHMARK(BM_DecodeEmf)->Unit(benchmark::kMicrosecond);

void BM_PlayAt150Dpi(benchmark::State &state)
{
    EnsureApplication();
    const TMetafile mf = RecordedPage();
    QImage image(1275, 1650, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PlayAtPhysicalSize(painter, mf, 150, 150);
    }
}
BENCHMARK(BM_PlayAt150Dpi)->Unit(benchmark::kMillisecond);

void BM_PrintoutOf2000Pages(benchmark::State &state)
{
    EnsureApplication();
    for (auto _ : state) {
        TPrintout printout(nullptr, TPrinter::Virtual(), QStringLiteral("long"));
        for (int p = 0; p < 2000; ++p) {
            printout.NewPage(1);
            DrawFormPage(*printout.Canvas());
            printout.EndPage();
        }
        qsizetype bytes = 0;
        for (int i = 0; i < printout.PageCount(); ++i)
            bytes += printout.Page(i).Metafile().MemoryUsed();
        state.counters["MB"] = double(bytes) / (1 << 20);
    }
}
BENCHMARK(BM_PrintoutOf2000Pages)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
