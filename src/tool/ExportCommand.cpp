#include "tool/ExportCommand.h"

#include "tool/Commands.h"
#include "tool/Output.h"
#include "tool/RenderCommand.h"

#include "delivery/DocumentExport.h"
#include "delivery/KelStream.h"
#include "forms/PrintJob.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QFileInfo>

#include <memory>
#include <stdexcept>

namespace tool {

int Export(const QStringList &argsIn)
{
    QStringList args = argsIn;
    QString nobail;
    if (const int at = int(args.indexOf(QStringLiteral("--lease"))); at >= 0) {
        if (at + 1 >= args.size())
            throw TUsageError{QStringLiteral("--lease needs a value")};
        nobail = args[at + 1].trimmed();
        args.remove(at, 2);
    }
    QString kind;
    for (const auto &[flag, name] : {std::pair{"--docx", "WORD"}, std::pair{"--xlsx", "EXCEL"}, std::pair{"--pdf", "ACROBAT"}}) {
        if (TakeFlag(args, QLatin1String(flag))) {
            if (!kind.isEmpty())
                throw TUsageError{QStringLiteral("export takes one of --docx, --xlsx and --pdf")};
            kind = QLatin1String(name);
        }
    }
    if (kind.isEmpty())
        throw TUsageError{QStringLiteral("export needs one of --docx, --xlsx and --pdf")};
    if (args.size() != 2)
        throw TUsageError{QStringLiteral("export needs FILE.krp or DIR --lease NOBAIL, then OUT")};
    const QString source = args[0], out = QFileInfo(args[1]).absoluteFilePath();

    std::unique_ptr<printout::TPrintout> printout;
    if (!nobail.isEmpty()) {
        printout = std::make_unique<printout::TPrintout>(nullptr, printout::TPrinter::Virtual(),
                                                         QStringLiteral("bailtool export"));
        DrawLease(source, nobail, 1, forms::kAllPages, *printout);
    } else {
        try {
            printout = delivery::LoadPrintoutFile(QFileInfo(source).absoluteFilePath());
        } catch (const delivery::EKrpError &e) {
            throw std::runtime_error(QStringLiteral("%1: %2").arg(source, e.English()).toStdString());
        }
        if (printout->PageCount() == 0)
            throw std::runtime_error(QStringLiteral("%1: no page to export").arg(source).toStdString());
    }
    try {
        if (!delivery::ExportTo(*printout, out, kind, 1, printout->PageCount()))
            throw std::runtime_error(QStringLiteral("%1: nothing exported").arg(out).toStdString());
    } catch (const delivery::EExportError &e) {
        throw std::runtime_error(e.English().toStdString());
    }
    TOutput output;
    output.Put(args[1]);
    output.EndLine();
    output.Flush();
    return 0;
}

} // namespace tool
