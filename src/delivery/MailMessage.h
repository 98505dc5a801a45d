#pragma once
// The e-mail that carries a printout: the address check of the mail panel, the default
// attachment name and body lines, and the message itself as it goes to the SMTP server
// (headers, MIME parts, base64 attachments).
//
// Nothing a user types can start a header line: carriage returns and line feeds in a subject,
// name or address are taken out before anything is written.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace delivery {

// The mail failures, in both languages, with the detail of the cause (what went wrong in our
// words, then the server's reply when there is one), also in both languages.
class EMailError : public std::runtime_error {
public:
    EMailError(const QString &french, const QString &english, const QString &detail = {});
    EMailError(const QString &french, const QString &english, const QString &frenchDetail, const QString &englishDetail);
    QString Message() const; // in the working language, detail appended
    const QString &French() const { return m_french; }
    const QString &English() const { return m_english; }
    QString Detail() const; // in the working language
    // The server wants a login, or refused the one given: asking for the password may help.
    bool AuthRefused() const { return m_authRefused; }
    void SetAuthRefused(bool refused) { m_authRefused = refused; }

private:
    QString m_french, m_english, m_detail, m_englishDetail;
    bool m_authRefused = false;
};

// An address as the check judges it and as it goes into the SMTP dialogue and the headers:
// CR and LF removed, blanks around it trimmed. Nothing else may build an address that leaves.
QString MailAddressValue(const QString &address);
// The address check, on MailAddressValue: "@" after the first character and only once, no
// "..", no final ".", a domain part longer than 3 characters with a "." after its first
// character, and nothing but A-Z, a-z, 0-9, "@", ".", "_" and "-".
bool IsValidMailAddress(const QString &address);
// True when text holds a character below 0x20 or DEL: a sender, user name or host with one
// is refused outright, as it could end an SMTP command.
bool HasControlCharacters(const QString &text);
// text for a message or a terminal: control characters shown as \xNN, at most max characters.
QString VisibleText(const QString &text, int max = 200);
// True when text (one address a line) is empty or every line passes the address check.
bool IsValidMailAddressList(const QString &text);
// The addresses of a box: its lines, trimmed, empty ones left out.
QStringList MailAddressLines(const QString &text);

enum class TMailFormat { Krp, Pdf };

// ".krp" or ".pdf".
QString MailAttachmentExtension(TMailFormat format);
// The title without / \ + * ? " < > |, a blank and the date as yyyymmdd.
QString DefaultAttachmentName(const QString &title, const QDate &date);
// The body: the user's text between blank lines, then the bilingual note on the attached
// format, with the address of a viewer when one is known (MailViewerAddress).
QStringList MailBodyLines(const QString &text, TMailFormat format);

// Where a viewer of the format can be downloaded: a public one for PDF; for printout files the
// settings file's "Internet/KrpViewerAddress", empty when the settings name none.
QString MailViewerAddress(TMailFormat format);
extern const char kPdfViewerAddress[];

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

// The Date header's value for when: RFC 5322, "Fri, 11 Dec 2026 14:05:00 -0500".
QByteArray MailDateHeader(const QDateTime &when);

// A header value as RFC 2047 encoded words (UTF-8, base64) when it is not plain ASCII, else
// as it stands; CR and LF become blanks either way.
QByteArray EncodeHeaderText(const QString &text);

} // namespace delivery
