#pragma once
// One printout sent by e-mail: its pages written as the attachment file, the message built
// and handed to the SMTP server, the attachment file deleted again whatever happened. The
// mail panel and bailtool mail both send through here; the settings file's "Internet" and
// "Init" values are read and written here too.

#include "delivery/MailMessage.h"
#include "delivery/SmtpClient.h"

#include <QString>

#include <vector>

namespace printout {
class TPrintout;
}

namespace delivery {

struct TPrintoutMail {
    TMailMessage message; // attachments: the other files to join
    TMailFormat format = TMailFormat::Krp;
    QString attachmentPath; // the file written for the pages, deleted after the send
    int first = 1, last = 1;
    // One message of a multiple send: the attached printout file keeps its pages' To and Cc
    // (they are this message's); a single message keeps none. Neither keeps a Bcc.
    bool perPageRecipients = false;
};

// A multiple send: pages first..last in runs of consecutive pages with the same To, each run
// one message to its first page's To, Cc and Bcc (the texts of the page, one address a line).
// Runs whose To is blank are left out. The mail panel and bailtool mail both send by these.
struct TMailRun {
    int first = 1, last = 1;
    QString to, cc, bcc;
};
std::vector<TMailRun> MailRuns(const printout::TPrintout &printout, int first, int last);

// Writes pages first..last of printout to the attachment path, sends them with the message's
// other attachments and deletes the attachment file. Throws EMailError (or EKrpError when the
// pages cannot be written) after deleting it; nothing is left behind either way.
void SendPrintoutMail(printout::TPrintout &printout, const TPrintoutMail &mail, TSmtpClient &client);

// The "Internet" section of the settings file, with its defaults.
struct TInternetSettings {
    QString smtpServer;
    int smtpPort = 25;
    QString smtpUser;
    QString proxyServer;
    int proxyPort = 0;
};
TInternetSettings LoadInternetSettings();
void SaveInternetSettings(const TInternetSettings &settings);
// "Init/DefaultSender": the sender address last used.
QString DefaultSender();
void SetDefaultSender(const QString &address);

// The SMTP password of server and user: the desktop's secret store where one runs, else kept
// in memory for the run only; it never goes to the settings file. Empty when none is known.
QString MailPassword(const QString &server, const QString &user);
// Keeps the password (in the secret store when one runs, and for the run in any case).
void SetMailPassword(const QString &server, const QString &user, const QString &password);
// The settings file's server, port and user with the known password, as a send uses them.
TSmtpSettings SmtpSettingsFromFile();

} // namespace delivery
