#include "tool/EmfCommands.h"

#include "tool/Commands.h"
#include "tool/Output.h"

#include "printout/EmfListing.h"
#include "printout/Metafile.h"
#include "printout/Player.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace tool {

namespace {

printout::TMetafile LoadOrThrow(const QString &path)
{
    try {
        return printout::TMetafile::Load(path);
    } catch (const printout::EEmfError &e) {
        // The tool speaks English; the message names the file and the damage.
        throw std::runtime_error(QStringLiteral("%1: %2").arg(path, e.English()).toStdString());
    }
}

} // namespace

bool CommandNeedsGui(const QString &command) { return command == QLatin1String("emf-png"); }

int Emf(const QStringList &args)
{
    const QString path = OnlyArgument(args, "FILE.emf");
    const printout::TMetafile mf = LoadOrThrow(path);
    TOutput out;
    for (const QString &line : printout::ListingLines(mf)) {
        out.Put(line);
        out.EndLine();
    }
    out.Flush();
    return 0;
}

int EmfPng(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const int dpi = TakeCount(args, QStringLiteral("--dpi"), 96, 10, 1200);
    if (args.size() != 2)
        throw TUsageError{QStringLiteral("emf-png needs FILE.emf and OUT.png")};
    const printout::TMetafile mf = LoadOrThrow(args[0]);
    const QRectF frame = mf.FrameExtent();
    const double w = frame.width() / 2540.0 * dpi, h = frame.height() / 2540.0 * dpi;
    // A poster-sized frame would make a picture larger than memory allows.
    if (w * h > 200e6)
        throw std::runtime_error(QStringLiteral("%1: picture of %2 x %3 pixels is too large at %4 dpi")
                                     .arg(args[0]).arg(std::lround(w)).arg(std::lround(h)).arg(dpi).toStdString());
    QImage image(int(std::ceil(w - 1e-6)), int(std::ceil(h - 1e-6)), QImage::Format_RGB32);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        printout::PlayAtPhysicalSize(painter, mf, dpi, dpi);
    }
    if (!image.save(args[1], "PNG"))
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(args[1]).toStdString());
    return 0;
}

} // namespace tool
