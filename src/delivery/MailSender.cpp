#include "delivery/MailSender.h"

#include "delivery/KelStream.h"
#include "printout/PdfExport.h"
#include "printout/Printout.h"
#include "ui/ProgramSettings.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace delivery {

namespace {

// Deletes the attachment file when the send ends, however it ends.
struct TFileRemover {
    QString path;
    ~TFileRemover() { QFile::remove(path); }
};

void WriteAttachment(printout::TPrintout &printout, const TPrintoutMail &mail)
{
    if (mail.format == TMailFormat::Pdf) {
        if (!printout::ExportTo(printout, mail.attachmentPath, QStringLiteral("ACROBAT"), mail.first, mail.last)
            || !QFileInfo::exists(mail.attachmentPath))
            throw EMailError(QStringLiteral("Impossible d'écrire le fichier %1").arg(mail.attachmentPath),
                             QStringLiteral("Cannot write the file %1").arg(mail.attachmentPath));
        return;
    }
    TKelMemoryStream stream;
    stream.SaveToStream(printout, mail.first, mail.last - mail.first + 1,
                        mail.perPageRecipients ? TKelMemoryStream::TRecipients::WithoutBcc : TKelMemoryStream::TRecipients::None);
    stream.SaveToFile(mail.attachmentPath, true);
}

} // namespace

std::vector<TMailRun> MailRuns(const printout::TPrintout &p, int first, int last)
{
    std::vector<TMailRun> runs;
    first = std::max(first, 1);
    last = std::min(last, p.PageCount());
    for (int s = first; s <= last;) {
        int end = s;
        // A run of equal recipients ends with the range.
        while (end < last && p.MailTo(end + 1) == p.MailTo(s))
            ++end;
        if (!p.MailTo(s).trimmed().isEmpty())
            runs.push_back({s, end, p.MailTo(s), p.MailCc(s), p.MailBcc(s)});
        s = end + 1;
    }
    return runs;
}

void SendPrintoutMail(printout::TPrintout &printout, const TPrintoutMail &mail, TSmtpClient &client)
{
    TFileRemover remover{mail.attachmentPath};
    WriteAttachment(printout, mail);
    TMailMessage message = mail.message;
    message.attachments.prepend(mail.attachmentPath);
    const TSmtpEvents &events = client.Events();
    const QByteArray bytes = BuildMailMessage(message, {}, [&events](const QString &name, bool done) {
        if (events.status)
            events.status((done ? QStringLiteral("Encodage terminé de ") : QStringLiteral("Encodage de ")) + name,
                          (done ? QStringLiteral("Finished encoding ") : QStringLiteral("Encoding ")) + name);
    });
    client.Send(message.fromAddress, MailRecipients(message), bytes);
}

TInternetSettings LoadInternetSettings()
{
    auto s = ui::ProgramSettings();
    TInternetSettings out;
    out.smtpServer = s->value(QStringLiteral("Internet/SMTPServer")).toString();
    bool ok = false;
    out.smtpPort = s->value(QStringLiteral("Internet/SMTPPort"), 25).toInt(&ok);
    if (!ok)
        out.smtpPort = 25;
    out.smtpUser = s->value(QStringLiteral("Internet/SMTPUser")).toString();
    out.proxyServer = s->value(QStringLiteral("Internet/ProxyServer")).toString();
    out.proxyPort = s->value(QStringLiteral("Internet/ProxyPort"), 0).toInt();
    return out;
}

void SaveInternetSettings(const TInternetSettings &in)
{
    auto s = ui::ProgramSettings();
    s->setValue(QStringLiteral("Internet/SMTPServer"), in.smtpServer.trimmed());
    s->setValue(QStringLiteral("Internet/SMTPPort"), in.smtpPort);
    s->setValue(QStringLiteral("Internet/SMTPUser"), in.smtpUser.trimmed());
    s->setValue(QStringLiteral("Internet/ProxyServer"), in.proxyServer.trimmed());
    s->setValue(QStringLiteral("Internet/ProxyPort"), in.proxyPort);
}

QString DefaultSender()
{
    return ui::ProgramSettings()->value(QStringLiteral("Init/DefaultSender")).toString();
}

TSmtpSettings SmtpSettingsFromFile()
{
    const TInternetSettings stored = LoadInternetSettings();
    TSmtpSettings out;
    out.host = stored.smtpServer.trimmed();
    out.port = stored.smtpPort;
    out.user = stored.smtpUser.trimmed();
    out.password = MailPassword(out.host, out.user);
    return out;
}

void SetDefaultSender(const QString &address)
{
    ui::ProgramSettings()->setValue(QStringLiteral("Init/DefaultSender"), address.trimmed());
}

} // namespace delivery
