#include "tool/BatchCommand.h"

#include "tool/Commands.h"
#include "tool/Output.h"
#include "tool/RenderCommand.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "forms/BatchJob.h"
#include "forms/FormPrims.h"
#include "forms/PrintJob.h"
#include "pdf/PdfBox.h"
#include "printout/Metafile.h"
#include "printout/PdfExport.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tool {

namespace {

void Say(const QString &line)
{
    std::fprintf(stderr, "bailtool: batch: %s\n", line.toUtf8().constData());
}

// Progress lines once the job has run a second, at most one a second.
class TProgress {
public:
    TProgress() { m_clock.start(); }
    void Report(const QString &line)
    {
        const qint64 now = m_clock.elapsed();
        if (now < 1000 || now - m_last < 1000)
            return;
        m_last = now;
        Say(line);
    }

private:
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

} // namespace

int Batch(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const bool all = TakeFlag(args, QStringLiteral("--all"));
    const QString lessorText = TakeValue(args, QStringLiteral("--lessor"));
    const QString leasesText = TakeValue(args, QStringLiteral("--leases"));
    const QString pdfPath = TakeValue(args, QStringLiteral("--pdf"));
    const QString emfPrefix = TakeValue(args, QStringLiteral("--emf"));
    const QString dir = OnlyArgument(args, "DIR");
    // --lessor alone takes that lessor's leases; beside --leases it keeps only theirs of the list.
    if (int(all) + int(!leasesText.isEmpty()) + int(!lessorText.isEmpty() && leasesText.isEmpty()) != 1)
        throw TUsageError{QStringLiteral("batch needs one of --all, --lessor NOLOCATEUR and --leases N1,N2,...")};
    if (pdfPath.isEmpty() == emfPrefix.isEmpty())
        throw TUsageError{QStringLiteral("batch needs exactly one of --pdf OUT.pdf and --emf PREFIX")};
    std::optional<long long> lessorFilter;
    if (!lessorText.isEmpty()) {
        bool ok = false;
        const long long n = lessorText.toLongLong(&ok);
        if (!ok || n < 1 || n > 9999)
            throw TUsageError{QStringLiteral("--lessor must be a lessor number from 1 to 9999, not '%1'").arg(lessorText)};
        lessorFilter = n;
    }

    // The folder's configuration also decides the title's language.
    TLeaseTables tables(dir);
    dataset::TTable &lease = *tables.lease;
    dataset::TTable &lessor = *tables.lessor;

    QStringList numbers;
    if (!leasesText.isEmpty()) {
        for (const QString &n : leasesText.split(QLatin1Char(',')))
            if (!n.trimmed().isEmpty())
                numbers << n.trimmed();
        if (numbers.isEmpty())
            throw TUsageError{QStringLiteral("--leases needs lease numbers separated by commas")};
    } else {
        if (lessorFilter && !lessor.FindKey(*lessorFilter))
            throw std::runtime_error(QStringLiteral("%1: no lessor number %2").arg(dir).arg(*lessorFilter).toStdString());
        for (lease.First(); !lease.Eof(); lease.Next())
            if (!lessorFilter || lease.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger() == *lessorFilter)
                numbers << lease.FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
        if (numbers.isEmpty())
            throw std::runtime_error(lessorFilter ? QStringLiteral("lessor %1 has no lease: nothing written").arg(*lessorFilter).toStdString()
                                                  : QStringLiteral("%1 holds no lease: nothing written").arg(dir).toStdString());
    }

    // The virtual Letter device makes the pages the same on every machine.
    printout::TPrintout printout(nullptr, printout::TPrinter::Virtual(),
                                 db::PickWorkText(QStringLiteral("Bail de la Ostrevane"), QStringLiteral("Lease of the Ostrevane")));
    forms::CalibrateFormFonts();
    TProgress progress;
    const forms::TBatchResult result =
        forms::PrintBatch(numbers, lessorFilter, lease, lessor, *tables.annex, printout, [&](int done, int count) {
            progress.Report(QStringLiteral("%1 of %2 leases drawn, %3 pages").arg(done).arg(count).arg(printout.PageCount()));
        });
    for (const forms::TBatchLease &l : result.leases) {
        switch (l.outcome) {
        case forms::TBatchOutcome::Printed: break;
        case forms::TBatchOutcome::Missing: Say(QStringLiteral("lease %1: no such lease, skipped").arg(l.number)); break;
        case forms::TBatchOutcome::OtherLessor:
            Say(QStringLiteral("lease %1: belongs to another lessor than %2, skipped").arg(l.number).arg(*lessorFilter));
            break;
        case forms::TBatchOutcome::NoPages:
            Say(QStringLiteral("lease %1: this build cannot draw a lease of kind %2, skipped").arg(l.number, l.kind));
            break;
        }
    }
    if (result.Printed() == 0)
        throw std::runtime_error(QStringLiteral("none of the %1 leases asked for could be drawn: nothing written")
                                     .arg(numbers.size()).toStdString());

    TOutput out;
    const int pages = printout.PageCount();
    if (!pdfPath.isEmpty()) {
        // Named from the command line, so relative to the current directory.
        const QString path = QFileInfo(pdfPath).absoluteFilePath();
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            throw std::runtime_error(QStringLiteral("cannot create %1").arg(QFileInfo(path).absolutePath()).toStdString());
        int failures = 0;
        try {
            printout::TPrintoutExport exporter(path, QStringLiteral("ACROBAT"));
            if (!exporter.Ready())
                throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
            exporter.OnListing = [](const QStringList &) {}; // no listing: it would only fill memory
            exporter.OnRecordError = [&](int page, int record) {
                Say(QStringLiteral("page %1: record %2 could not be written").arg(page).arg(record));
                ++failures;
            };
            printout::ExportRange(exporter, printout, 1, pages, [&](int done) {
                progress.Report(QStringLiteral("%1 of %2 pages written").arg(done).arg(pages));
            });
        } catch (const pdf::EPdfError &e) {
            QFile::remove(path); // no half document left behind
            throw std::runtime_error(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what())).toStdString());
        }
        out.Put(path);
        out.EndLine();
        out.Flush();
        return failures ? 2 : 0;
    }
    const QString parent = QFileInfo(emfPrefix).absolutePath();
    if (!QDir().mkpath(parent))
        throw std::runtime_error(QStringLiteral("cannot create %1").arg(parent).toStdString());
    for (int page = 1; page <= pages; ++page) {
        const QString path = QStringLiteral("%1-%2.emf").arg(emfPrefix).arg(page);
        try {
            printout.PageMetafile(page)->Save(path);
        } catch (const printout::EEmfError &e) {
            throw std::runtime_error(QStringLiteral("%1: %2").arg(path, e.English()).toStdString());
        }
        out.Put(path);
        out.EndLine();
        progress.Report(QStringLiteral("%1 of %2 pages written").arg(page).arg(pages));
    }
    out.Flush();
    return 0;
}

} // namespace tool
