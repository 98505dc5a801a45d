#include "tool/MailCommand.h"

#include "tool/Commands.h"
#include "tool/Output.h"
#include "tool/RenderCommand.h"

#include "db/Settings.h"
#include "delivery/KelStream.h"
#include "delivery/MailSender.h"
#include "forms/PrintJob.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <stdexcept>

namespace tool {

namespace {

// Every "--name VALUE" of args, removed; values may list addresses separated by commas.
QStringList TakeAll(QStringList &args, const QString &name, bool commaList)
{
    QStringList values;
    for (int at; (at = int(args.indexOf(name))) >= 0;) {
        if (at + 1 >= args.size() || args[at + 1].startsWith(QLatin1String("--")))
            throw TUsageError{QStringLiteral("%1 needs a value").arg(name)};
        if (commaList) {
            for (const QString &a : args[at + 1].split(QLatin1Char(','), Qt::SkipEmptyParts))
                if (!a.trimmed().isEmpty())
                    values << a.trimmed();
        } else {
            values << args[at + 1];
        }
        args.remove(at, 2);
    }
    return values;
}

QString TakeOne(QStringList &args, const QString &name)
{
    const QStringList values = TakeAll(args, name, false);
    if (values.size() > 1)
        throw TUsageError{QStringLiteral("%1 may be given once").arg(name)};
    return values.value(0);
}

void CheckAddresses(const QStringList &addresses, const char *what)
{
    for (const QString &a : addresses)
        if (delivery::HasControlCharacters(a) || !delivery::IsValidMailAddress(a))
            throw TUsageError{QStringLiteral("%1: '%2' is not a valid address").arg(QLatin1String(what), delivery::VisibleText(a))};
}

} // namespace

int Mail(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const QString nobail = TakeOne(args, QStringLiteral("--lease")).trimmed();
    const QString from = TakeOne(args, QStringLiteral("--from")).trimmed();
    const QStringList to = TakeAll(args, QStringLiteral("--to"), true);
    const QStringList cc = TakeAll(args, QStringLiteral("--cc"), true);
    const QStringList bcc = TakeAll(args, QStringLiteral("--bcc"), true);
    const QString subjectArg = TakeOne(args, QStringLiteral("--subject"));
    const QString text = TakeOne(args, QStringLiteral("--text"));
    const QString format = TakeOne(args, QStringLiteral("--format")).toLower();
    const QString server = TakeOne(args, QStringLiteral("--server")).trimmed();
    const QString user = TakeOne(args, QStringLiteral("--user"));
    const bool passwordStdin = TakeFlag(args, QStringLiteral("--password-stdin"));
    const bool multiple = TakeFlag(args, QStringLiteral("--multiple"));
    const QString source = OnlyArgument(args, "DIR or FILE.krp");
    // A printout file is sent as the preview's panel sends it; a folder gives a lease's pages.
    const bool file = source.endsWith(QLatin1String(".krp"), Qt::CaseInsensitive) && QFileInfo(source).isFile();
    if (!file && nobail.isEmpty())
        throw TUsageError{QStringLiteral("mail needs --lease NOBAIL (or a printout file FILE.krp)")};
    if (file && !nobail.isEmpty())
        throw TUsageError{QStringLiteral("--lease is for a data folder, not a printout file")};
    if (multiple && !file)
        throw TUsageError{QStringLiteral("--multiple sends a printout file's pages to their own recipients: give FILE.krp")};
    // A control character could end an SMTP command: refused, and shown escaped.
    if (delivery::HasControlCharacters(from))
        throw TUsageError{QStringLiteral("--from holds a control character: '%1'").arg(delivery::VisibleText(from))};
    if (!delivery::IsValidMailAddress(from))
        throw TUsageError{QStringLiteral("mail needs --from ADDR with a valid address, not '%1'").arg(delivery::VisibleText(from))};
    if (multiple && !(to.isEmpty() && cc.isEmpty() && bcc.isEmpty()))
        throw TUsageError{QStringLiteral("with --multiple each run of pages goes to its own recipients: no --to, --cc or --bcc")};
    if (!multiple && to.isEmpty())
        throw TUsageError{QStringLiteral("mail needs --to ADDR")};
    CheckAddresses(to, "--to");
    CheckAddresses(cc, "--cc");
    CheckAddresses(bcc, "--bcc");
    if (!format.isEmpty() && format != QLatin1String("pdf") && format != QLatin1String("krp"))
        throw TUsageError{QStringLiteral("--format is pdf or krp, not '%1'").arg(format)};

    // Server, port and user: the settings file's unless given.
    const delivery::TInternetSettings stored = delivery::LoadInternetSettings();
    delivery::TSmtpSettings smtp;
    smtp.host = stored.smtpServer.trimmed();
    smtp.port = stored.smtpPort;
    smtp.user = stored.smtpUser;
    if (!server.isEmpty()) {
        const qsizetype colon = server.lastIndexOf(QLatin1Char(':'));
        smtp.host = colon < 0 ? server : server.left(colon);
        if (colon >= 0) {
            bool ok = false;
            smtp.port = server.mid(colon + 1).toInt(&ok);
            if (!ok || smtp.port < 1 || smtp.port > 65535)
                throw TUsageError{QStringLiteral("--server HOST[:PORT] has a bad port: '%1'").arg(server)};
        }
    }
    if (!user.isEmpty())
        smtp.user = user;
    if (smtp.host.isEmpty())
        throw TUsageError{QStringLiteral("no SMTP server: give --server or set Internet/SMTPServer in the settings file")};
    if (passwordStdin) {
        QTextStream in(stdin);
        smtp.password = in.readLine();
    } else {
        smtp.password = delivery::MailPassword(smtp.host, smtp.user);
    }

    std::unique_ptr<printout::TPrintout> printout;
    QString title;
    if (file) {
        try {
            printout = delivery::LoadPrintoutFile(source);
        } catch (const delivery::EKrpError &e) {
            throw std::runtime_error(e.English().toStdString());
        }
        if (!printout || printout->PageCount() == 0)
            throw std::runtime_error("the printout file holds no page");
        title = printout->Title();
    } else {
        title = db::PickWorkText(QStringLiteral("Bail de la Ostrevane"), QStringLiteral("Lease of the Ostrevane"));
        // The attached printout file carries the title the subject and the file's name give.
        printout = std::make_unique<printout::TPrintout>(nullptr, printout::TPrinter::Virtual(), title);
        DrawLease(source, nobail, 1, forms::kAllPages, *printout);
    }
    if (title.trimmed().isEmpty())
        title = QStringLiteral("Document");

    delivery::TPrintoutMail mail;
    mail.format = format == QLatin1String("pdf") ? delivery::TMailFormat::Pdf : delivery::TMailFormat::Krp;
    mail.perPageRecipients = multiple;
    // The attachment is written in a folder of its own, so that its name is the panel's and
    // nothing is left in the caller's folder (the PDF export's listing included).
    QTemporaryDir work;
    if (!work.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    mail.attachmentPath = work.filePath(delivery::DefaultAttachmentName(title, QDate::currentDate())
                                        + delivery::MailAttachmentExtension(mail.format));
    mail.message.fromAddress = from;
    mail.message.subject = subjectArg.isEmpty() ? title : subjectArg;
    mail.message.bodyLines = delivery::MailBodyLines(text, mail.format);

    // One message to the recipients given, or one per run of pages with their own.
    std::vector<delivery::TMailRun> runs;
    if (multiple) {
        runs = delivery::MailRuns(*printout, 1, printout->PageCount());
        if (runs.empty())
            throw std::runtime_error("no page of the printout file has a recipient");
    } else {
        runs.push_back({1, printout->PageCount(), to.join(QLatin1Char('\n')), cc.join(QLatin1Char('\n')), bcc.join(QLatin1Char('\n'))});
    }

    delivery::TSmtpClient client(smtp);
    const QString here = QDir::currentPath();
    QDir::setCurrent(work.path());
    TOutput out;
    for (const delivery::TMailRun &run : runs) {
        mail.first = run.first;
        mail.last = run.last;
        mail.message.to = delivery::MailAddressLines(run.to);
        mail.message.cc = delivery::MailAddressLines(run.cc);
        mail.message.bcc = delivery::MailAddressLines(run.bcc);
        const QString pages = QStringLiteral("pages %1-%2").arg(run.first).arg(run.last);
        try {
            delivery::SendPrintoutMail(*printout, mail, client);
        } catch (const delivery::EMailError &e) {
            QDir::setCurrent(here);
            out.Flush();
            // Messages already sent stay sent; the send ends here, as the panel's does.
            throw std::runtime_error((pages + QStringLiteral(": ")).toStdString() + e.what());
        } catch (const delivery::EKrpError &e) {
            QDir::setCurrent(here);
            out.Flush();
            throw std::runtime_error((pages + QStringLiteral(": ") + e.English()).toStdString());
        }
        out.Put(QStringLiteral("sent %1 page(s) to %2 recipient(s)").arg(run.last - run.first + 1).arg(delivery::MailRecipients(mail.message).size()));
        out.EndLine();
    }
    QDir::setCurrent(here);
    out.Flush();
    return 0;
}

} // namespace tool
