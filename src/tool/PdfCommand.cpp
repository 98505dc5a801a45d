#include "tool/PdfCommand.h"

#include "tool/Commands.h"

#include "delivery/KelStream.h"
#include "pdf/PdfBox.h"
#include "printout/Metafile.h"
#include "printout/PdfExport.h"
#include "printout/Printer.h"

#include <QFileInfo>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tool {

int Pdf(const QStringList &args)
{
    if (args.size() < 2)
        throw TUsageError{QStringLiteral("pdf needs an output file and at least one .emf file")};
    std::vector<printout::TMetafile> pages;
    std::vector<QString> sources; // the input each page comes from, for the messages
    for (qsizetype i = 1; i < args.size(); ++i) {
        try {
            if (args[i].endsWith(QLatin1String(".krp"), Qt::CaseInsensitive)) {
                delivery::TKelMemoryStream stream;
                stream.LoadFromFile(args[i], true);
                delivery::TPrintoutContents contents = stream.ReadContents();
                for (size_t p = 0; p < contents.pages.size(); ++p) {
                    pages.push_back(std::move(contents.pages[p]));
                    sources.push_back(QStringLiteral("%1 page %2").arg(args[i]).arg(p + 1));
                }
            } else {
                pages.push_back(printout::TMetafile::Load(args[i]));
                sources.push_back(args[i]);
            }
        } catch (const printout::EEmfError &e) {
            std::fprintf(stderr, "bailtool: %s: %s\n", args[i].toLocal8Bit().constData(),
                         e.English().toLocal8Bit().constData());
            return 1;
        } catch (const delivery::EKrpError &e) {
            std::fprintf(stderr, "bailtool: %s: %s\n", args[i].toLocal8Bit().constData(),
                         e.English().toLocal8Bit().constData());
            return 1;
        }
    }
    if (pages.empty()) {
        std::fprintf(stderr, "bailtool: no page to write\n");
        return 1;
    }
    const printout::TReferenceDevice &device = pages.front().Device();
    // The sheet in tenths of a millimetre: the first page's picture frame, as viewers size it.
    const QRectF frame = pages.front().FrameExtent();
    const QSize sheet(int(std::lround(std::clamp(frame.width() / 10, 1.0, 1e7))),
                      int(std::lround(std::clamp(frame.height() / 10, 1.0, 1e7))));
    // Named from the command line, so relative to the current directory (the writer alone would
    // put a bare name beside the program).
    printout::TPrintoutExport exporter(QFileInfo(args[0]).absoluteFilePath(), QStringLiteral("ACROBAT"));
    int failures = 0;
    exporter.OnRecordError = [&](int page, int record) {
        std::fprintf(stderr, "bailtool: %s: record %d could not be written\n",
                     sources[size_t(page - 1)].toLocal8Bit().constData(), record);
        ++failures;
    };
    try {
        exporter.ExportBegin(pages.front(), printout::ReportMargins(), device.pixels, sheet,
                             sheet.width() > sheet.height() ? 2 : 1);
        for (size_t i = 0; i < pages.size(); ++i)
            exporter.ExportPage(int(i) + 1, i + 1 < pages.size(), pages[i]);
        exporter.ExportEnd();
    } catch (const pdf::EPdfError &e) {
        std::fprintf(stderr, "bailtool: %s\n", e.what());
        return 1;
    }
    return failures ? 2 : 0;
}

} // namespace tool
