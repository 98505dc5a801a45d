#include "tool/KrpCommand.h"

#include "tool/Commands.h"
#include "tool/Output.h"

#include "delivery/Archive.h"
#include "delivery/KelStream.h"

#include <stdexcept>

namespace tool {

int Krp(const QStringList &args)
{
    const QString path = OnlyArgument(args, "FILE.krp");
    delivery::TPrintoutContents in;
    try {
        delivery::TKelMemoryStream stream;
        stream.LoadFromFile(path, true);
        in = stream.ReadContents();
    } catch (const delivery::EKrpVersion &e) {
        throw std::runtime_error(QStringLiteral("%1: version \"%2\" is not one this program reads (0100 to 0102)")
                                     .arg(path, e.Version())
                                     .toStdString());
    } catch (const delivery::EKrpError &e) {
        throw std::runtime_error(QStringLiteral("%1: %2").arg(path, e.English()).toStdString());
    }
    TOutput out;
    auto line = [&out](const QString &name, const QString &value) {
        out.Put(name + QStringLiteral(": ") + value);
        out.EndLine();
    };
    auto yes = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    line(QStringLiteral("version"), in.version);
    line(QStringLiteral("printer"), in.printerName);
    line(QStringLiteral("paper"), QStringLiteral("%1, orientation %2, %3 x %4 (0.1 mm)")
                                      .arg(in.paper.sizeCode)
                                      .arg(in.paper.orientation)
                                      .arg(in.paper.width)
                                      .arg(in.paper.length));
    line(QStringLiteral("title"), in.title);
    line(QStringLiteral("fit to printable"), yes(in.fit));
    line(QStringLiteral("copies"), QString::number(in.copies));
    line(QStringLiteral("printed"), yes(in.printed));
    line(QStringLiteral("previewed"), yes(in.previewed));
    line(QStringLiteral("page colour"), QStringLiteral("$%1").arg(in.pageColor, 8, 16, QLatin1Char('0')).toUpper());
    line(QStringLiteral("background"), in.background ? QStringLiteral("%1 records").arg(in.background->RecordCount())
                                                     : QStringLiteral("none"));
    line(QStringLiteral("pages"), QString::number(in.pages.size()));
    line(QStringLiteral("mail recipients"), yes(in.hasRecipients));
    for (size_t i = 0; i < in.pages.size(); ++i) {
        QString text = QStringLiteral("page %1: %2 records").arg(i + 1).arg(in.pages[i].RecordCount());
        if (i < in.recipients.size()) {
            const auto &r = in.recipients[i];
            text += QStringLiteral("; to \"%1\", cc \"%2\", bcc \"%3\"").arg(r[0], r[1], r[2]);
        }
        out.Put(text);
        out.EndLine();
    }
    out.Flush();
    return 0;
}

int MakeArchive(const QStringList &args)
{
    const QString dir = OnlyArgument(args, "DIR");
    delivery::MakeArchiveTables(dir);
    return 0;
}

} // namespace tool
