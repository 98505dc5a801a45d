#pragma once
// The e-mail that carries a printout: the address check of the mail panel, the default
// attachment name and body lines, and the message itself as it goes to the SMTP server
// (headers, MIME parts, base64 attachments).
//
// Nothing a user types can start a header line: carriage returns and line feeds in a subject,
// name or address are taken out before anything is written.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace delivery {

// The mail failures, in both languages, with the detail of the cause (server reply, library
// error) in English.
class EMailError : public std::runtime_error {
public:
    EMailError(const QString &french, const QString &english, const QString &detail = {});
    QString Message() const; // in the working language, detail appended
    const QString &French() const { return m_french; }
    const QString &English() const { return m_english; }
    const QString &Detail() const { return m_detail; }
    // The server wants a login, or refused the one given: asking for the password may help.
    bool AuthRefused() const { return m_authRefused; }
    void SetAuthRefused(bool refused) { m_authRefused = refused; }

private:
    QString m_french, m_english, m_detail;
    bool m_authRefused = false;
};

// The address check: CR and LF removed, then "@" after the first character and only once,
// no "..", no final ".", a domain part longer than 3 characters with a "." after its first
// character, and nothing but A-Z, a-z, 0-9, "@", ".", "_" and "-".
bool IsValidMailAddress(const QString &address);
// True when text (one address a line) is empty or every line passes the address check.
bool IsValidMailAddressList(const QString &text);
// The addresses of a box: its lines, trimmed, empty ones left out.
QStringList MailAddressLines(const QString &text);

enum class TMailFormat { Krp, Pdf };

// ".krp" or ".pdf".
QString MailAttachmentExtension(TMailFormat format);
// The title without / \ + * ? " < > |, a blank and the date as yyyymmdd.
QString DefaultAttachmentName(const QString &title, const QDate &date);
// The body: the user's text between blank lines, then the bilingual note naming the viewer
// that opens the attached format.
QStringList MailBodyLines(const QString &text, TMailFormat format);

// Where a viewer of each attached format can be downloaded; kept here only.
extern const char kPdfViewerAddress[];
extern const char kKrpViewerAddress[];

struct TMailMessage {
    QString fromAddress, fromName, subject;
    QStringList to, cc, bcc; // bcc only reaches the envelope, never a header
    QStringList bodyLines;
    QStringList attachments; // file paths; duplicates are sent once
};

// Every envelope recipient: To, Cc and Bcc, each address once.
QStringList MailRecipients(const TMailMessage &message);

// The message with CR LF line ends, ready for DATA (the transport stuffs leading dots).
// boundary: the MIME boundary, or empty for a random one. Throws EMailError when an
// attachment cannot be read. encoding hears each attachment's name as it starts and ends.
QByteArray BuildMailMessage(const TMailMessage &message, const QByteArray &boundary = {},
                            const std::function<void(const QString &name, bool done)> &encoding = {});

// A header value as RFC 2047 encoded words (UTF-8, base64) when it is not plain ASCII, else
// as it stands; CR and LF become blanks either way.
QByteArray EncodeHeaderText(const QString &text);

} // namespace delivery
