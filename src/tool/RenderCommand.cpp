#include "tool/RenderCommand.h"

#include "tool/Commands.h"
#include "tool/Output.h"

#include "dataset/Table.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "delivery/KelStream.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"
#include "printout/Metafile.h"
#include "printout/Player.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace tool {

namespace {

void ParsePages(const QString &text, int &first, int &last)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false, ok2 = false;
    if (parts.size() == 2) {
        first = parts[0].toInt(&ok1);
        last = parts[1].toInt(&ok2);
    } else if (parts.size() == 1) {
        first = last = parts[0].toInt(&ok1);
        ok2 = ok1;
    }
    if (!ok1 || !ok2 || first < 1 || last > forms::kAllPages || first > last)
        throw TUsageError{QStringLiteral("--pages must be FIRST-LAST with 1 <= FIRST <= LAST <= %1, not '%2'")
                              .arg(forms::kAllPages).arg(text)};
}

// A table of the data folder opened by path, read-only, with the system's display properties.
std::unique_ptr<dataset::TTable> OpenTable(const QString &dir, const db::TTableDesc &desc, const char *indexTag)
{
    const QString path = db::TableFile(dir, desc, "dbf");
    if (!QFileInfo::exists(path))
        throw std::runtime_error(QStringLiteral("%1: no such table").arg(path).toStdString());
    auto table = std::make_unique<dataset::TTable>();
    table->SetTableName(path);
    table->SetReadOnly(true);
    if (indexTag)
        table->SetIndexName(QLatin1String(indexTag));
    table->Open();
    db::ApplyFieldProperties(*table);
    return table;
}

void WritePng(const printout::TMetafile &mf, const QString &path, int dpi)
{
    const QRectF frame = mf.FrameExtent();
    const double w = frame.width() / 2540.0 * dpi, h = frame.height() / 2540.0 * dpi;
    QImage image(int(std::ceil(w - 1e-6)), int(std::ceil(h - 1e-6)), QImage::Format_RGB32);
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("%1: picture too large at %2 dpi").arg(path).arg(dpi).toStdString());
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        printout::PlayAtPhysicalSize(painter, mf, dpi, dpi);
    }
    if (!image.save(path, "PNG"))
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
}

} // namespace

TLeaseTables::TLeaseTables(const QString &dir)
{
    // The folder's configuration decides the save-toner look, as it does in the program.
    auto config = OpenTable(dir, db::kBailConf, nullptr);
    config->First();
    const forms::TRow settings(config.get());
    db::SetSaveToner(settings.Bool("SAVETONER"));
    if (settings.Present() && !settings.Raw("LANGUETRAV").isEmpty())
        db::SetWorkingLanguage(settings.Raw("LANGUETRAV"));

    lease = OpenTable(dir, db::kBailStd, "NOBAIL");
    lessor = OpenTable(dir, db::kLocateur, "NOLOCATEUR");
    annex = OpenTable(dir, db::kAnnexe, "NOBAIL");
}

TLeaseTables::~TLeaseTables() = default;

int DrawLease(const QString &dir, const QString &nobail, int first, int last, printout::TPrintout &printout)
{
    TLeaseTables tables(dir);
    if (!tables.lease->FindKey(nobail))
        throw std::runtime_error(QStringLiteral("%1: no lease number %2").arg(dir, nobail).toStdString());
    const forms::TLeaseRows rows = forms::PositionPrintRows(*tables.lease, *tables.lessor, *tables.annex);

    forms::CalibrateFormFonts();
    int drawn = 0;
    try {
        drawn = forms::PrintLease(first, last, rows, printout);
    } catch (const forms::ENoPainter &e) {
        throw std::runtime_error(
            QStringLiteral("lease %1: no page drawn, nothing written: %2").arg(nobail, QString::fromUtf8(e.what())).toStdString());
    }
    if (drawn == 0) {
        // Nothing to write is a failure: a script must not take an empty result for pages.
        throw std::runtime_error(QStringLiteral("lease %1: no page drawn, nothing written: pages %2-%3 do not exist for it "
                                                "(pages 5 to 12 are the Annex of a lease for elderly or handicapped "
                                                "persons that has one)")
                                     .arg(nobail).arg(first).arg(last)
                                     .toStdString());
    }

    return drawn;
}

int Render(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const QString nobail = TakeValue(args, QStringLiteral("--lease")).trimmed();
    const QString pages = TakeValue(args, QStringLiteral("--pages"));
    const QString emf = TakeValue(args, QStringLiteral("--emf"));
    const QString png = TakeValue(args, QStringLiteral("--png"));
    const QString krp = TakeValue(args, QStringLiteral("--krp"));
    const int dpi = TakeCount(args, QStringLiteral("--dpi"), 150, 10, 1200);
    const QString dir = OnlyArgument(args, "DIR");
    if (nobail.isEmpty())
        throw TUsageError{QStringLiteral("render needs --lease NOBAIL")};
    if (int(!emf.isEmpty()) + int(!png.isEmpty()) + int(!krp.isEmpty()) != 1)
        throw TUsageError{QStringLiteral("render needs exactly one of --emf PREFIX, --png PREFIX and --krp OUT.krp")};
    int first = 1, last = forms::kAllPages;
    if (!pages.isEmpty())
        ParsePages(pages, first, last);

    // The virtual Letter device makes the pages the same on every machine.
    printout::TPrintout printout(nullptr, printout::TPrinter::Virtual(), QStringLiteral("bailtool render"));
    const int drawn = DrawLease(dir, nobail, first, last, printout);

    if (!krp.isEmpty()) {
        try {
            delivery::SavePrintoutFile(printout, QFileInfo(krp).absoluteFilePath());
        } catch (const delivery::EKrpError &e) {
            throw std::runtime_error(e.English().toStdString());
        }
        TOutput out;
        out.Put(krp);
        out.EndLine();
        out.Flush();
        return 0;
    }
    const QString prefix = emf.isEmpty() ? png : emf;
    const QString parent = QFileInfo(prefix).absolutePath();
    if (!QDir().mkpath(parent))
        throw std::runtime_error(QStringLiteral("cannot create %1").arg(parent).toStdString());
    TOutput out;
    for (int i = 1; i <= drawn; ++i) {
        const printout::TMetafile &mf = *printout.PageMetafile(i);
        const int page = first + i - 1;
        if (!emf.isEmpty()) {
            const QString path = QStringLiteral("%1-%2.emf").arg(emf).arg(page);
            try {
                mf.Save(path);
            } catch (const printout::EEmfError &e) {
                throw std::runtime_error(QStringLiteral("%1: %2").arg(path, e.English()).toStdString());
            }
            out.Put(path);
        } else {
            const QString path = QStringLiteral("%1-%2.png").arg(png).arg(page);
            WritePng(mf, path, dpi);
            out.Put(path);
        }
        out.EndLine();
    }
    out.Flush();
    return 0;
}

} // namespace tool
