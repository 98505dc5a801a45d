// Feeds arbitrary bytes to the enhanced-metafile reader, then plays, lists and searches
// whatever it accepts.

#include "printout/EmfListing.h"
#include "printout/Metafile.h"
#include "printout/Player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <memory>

// fontconfig keeps a few allocations of its configuration for the life of the process.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static std::unique_ptr<QGuiApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "emf_fuzz";
        static char *argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const printout::TMetafile mf = printout::TMetafile::FromEmf(bytes);
        (void)printout::ListingLines(mf);
        (void)printout::TextRuns(mf);
        (void)printout::HotSpots(mf);
        QImage image(64, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        printout::PlayMetafile(painter, mf, QRectF(0, 0, 64, 80));
        painter.end();
        (void)printout::TMetafile::FromEmf(mf.ToEmf());
    } catch (const printout::EEmfError &) {
    }
    return 0;
}
