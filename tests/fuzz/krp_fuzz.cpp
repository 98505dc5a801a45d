// Feeds arbitrary bytes to the printout-file reader, both as a stored (compressed) file and as
// a bare serialisation, then writes back whatever it accepts.

#include "delivery/KelStream.h"

#include <QGuiApplication>

#include <cstdint>
#include <memory>

extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

void ReadAndWriteBack(delivery::TKelMemoryStream &stream)
{
    delivery::TPrintoutContents in = stream.ReadContents();
    delivery::TKelMemoryStream out;
    out.WriteString(in.title);
    for (const printout::TMetafile &page : in.pages)
        out.WriteMetafile(page);
    (void)out.Compressed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static std::unique_ptr<QGuiApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "krp_fuzz";
        static char *argv[] = {name, nullptr};
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        delivery::TKelMemoryStream stored;
        stored.SetFromCompressed(bytes);
        ReadAndWriteBack(stored);
    } catch (const delivery::EKrpError &) {
    }
    try {
        delivery::TKelMemoryStream plain;
        plain.SetBytes(QByteArray(bytes.constData(), bytes.size()));
        ReadAndWriteBack(plain);
    } catch (const delivery::EKrpError &) {
    }
    return 0;
}
