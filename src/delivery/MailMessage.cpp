#include "delivery/MailMessage.h"

#include "ui/MessageBoxes.h"
#include "ui/ProgramSettings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QSet>

namespace delivery {

const char kPdfViewerAddress[] = "https://www.pdfreaders.org/";

EMailError::EMailError(const QString &french, const QString &english, const QString &detail)
    : EMailError(french, english, detail, detail)
{
}

EMailError::EMailError(const QString &french, const QString &english, const QString &frenchDetail, const QString &englishDetail)
    : std::runtime_error(english.toStdString() + (englishDetail.isEmpty() ? std::string() : ": " + englishDetail.toStdString())),
      m_french(french), m_english(english), m_detail(frenchDetail), m_englishDetail(englishDetail)
{
}

QString EMailError::Detail() const
{
    return ui::MessageLanguage() == 0 ? m_detail : m_englishDetail;
}

QString EMailError::Message() const
{
    const QString text = ui::MessageLanguage() == 0 ? m_french : m_english;
    const QString detail = Detail();
    return detail.isEmpty() ? text : text + QStringLiteral("\r") + detail;
}

namespace {

QString WithoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

// A header value can never hold a line break or another control character: a user's CR LF
// would start a header of its own.
QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return text;
}

bool IsAsciiText(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// Addresses in a header or the envelope: only the checked characters survive, so that
// nothing typed in a box can leave the angle brackets.
QByteArray AddressBytes(const QString &address)
{
    QByteArray out;
    for (const QChar c : MailAddressValue(address))
        if (c.unicode() > 0x20 && c.unicode() < 0x7f && c != QLatin1Char('<') && c != QLatin1Char('>')
            && c != QLatin1Char(',') && c != QLatin1Char('"'))
            out += char(c.unicode());
    return out;
}

QByteArray AddressList(const QStringList &addresses)
{
    QByteArrayList items;
    for (const QString &a : addresses) {
        const QByteArray bytes = AddressBytes(a);
        if (!bytes.isEmpty())
            items << bytes;
    }
    return items.join(",\r\n ");
}

QByteArray Base64Lines(const QByteArray &data)
{
    const QByteArray b64 = data.toBase64();
    QByteArray out;
    out.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76) {
        out += b64.mid(i, 76);
        out += "\r\n";
    }
    return out;
}

// A file name as a MIME parameter called key: ASCII names quoted as they stand (quotes and
// backslashes dropped), others as an RFC 2231 UTF-8 value (key*=utf-8''%C3%A9...).
QByteArray FileNameParameter(const char *key, const QString &name)
{
    QString clean = OneLine(name);
    clean.remove(QLatin1Char('"'));
    clean.remove(QLatin1Char('\\'));
    if (IsAsciiText(clean))
        return QByteArray(key) + "=\"" + clean.toLatin1() + '"';
    // RFC 2231's attribute-char: printable ASCII except the tspecials, '*', '\'' and '%'.
    return QByteArray(key) + "*=utf-8''" + clean.toUtf8().toPercentEncoding("!#$&+-.^_`|~");
}

QByteArray RandomBoundary()
{
    QByteArray b = "=_kelvora_";
    for (int i = 0; i < 4; ++i)
        b += QByteArray::number(QRandomGenerator::global()->generate(), 16);
    return b;
}

} // namespace

QByteArray MailDateHeader(const QDateTime &when)
{
    // RFC 5322: English names whatever the user's locale, the zone as a numeric offset.
    const int offset = when.offsetFromUtc() / 60;
    const int minutes = offset < 0 ? -offset : offset;
    return QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")).toLatin1()
         + (offset < 0 ? '-' : '+') + QByteArray::number(minutes / 60).rightJustified(2, '0')
         + QByteArray::number(minutes % 60).rightJustified(2, '0');
}

namespace {

QByteArray DateHeader()
{
    return MailDateHeader(QDateTime::currentDateTime());
}

} // namespace

QString MailAddressValue(const QString &address)
{
    return WithoutLineBreaks(address).trimmed();
}

bool HasControlCharacters(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

QString VisibleText(const QString &text, int max)
{
    QString out;
    for (const QChar c : text.left(max))
        out += c.unicode() < 0x20 || c.unicode() == 0x7f ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                                                          : QString(c);
    return text.size() > max ? out + QStringLiteral("...") : out;
}

bool IsValidMailAddress(const QString &raw)
{
    const QString a = MailAddressValue(raw);
    const qsizetype at = a.indexOf(QLatin1Char('@'));
    if (at < 1)
        return false;
    if (a.contains(QLatin1String("..")) || a.endsWith(QLatin1Char('.')))
        return false;
    if (a.indexOf(QLatin1Char('@'), at + 1) >= 0)
        return false;
    const QString domain = a.mid(at + 1);
    if (domain.indexOf(QLatin1Char('.')) < 1 || domain.size() <= 3)
        return false;
    for (const QChar c : a) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '@'
                     || u == '.' || u == '_' || u == '-';
        if (!ok)
            return false;
    }
    return true;
}

bool IsValidMailAddressList(const QString &text)
{
    if (text.isEmpty())
        return true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The line break after the last address leaves no address to check.
        if (i + 1 == lines.size() && WithoutLineBreaks(lines[i]).isEmpty())
            continue;
        if (!IsValidMailAddress(lines[i]))
            return false;
    }
    return true;
}

QStringList MailAddressLines(const QString &text)
{
    QStringList out;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString a = WithoutLineBreaks(line).trimmed();
        if (!a.isEmpty())
            out << a;
    }
    return out;
}

QString MailAttachmentExtension(TMailFormat format)
{
    return format == TMailFormat::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".krp");
}

QString DefaultAttachmentName(const QString &title, const QDate &date)
{
    QString name = title;
    for (const QChar c : QStringLiteral("/\\+*?\"<>|"))
        name.remove(c);
    return name + QLatin1Char(' ') + date.toString(QStringLiteral("yyyyMMdd"));
}

QString MailViewerAddress(TMailFormat format)
{
    if (format == TMailFormat::Pdf)
        return QString::fromLatin1(kPdfViewerAddress);
    return ui::ProgramSettings()->value(QStringLiteral("Internet/KrpViewerAddress")).toString().trimmed();
}

QStringList MailBodyLines(const QString &text, TMailFormat format)
{
    QStringList lines{QString()};
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!body.isEmpty())
        lines << body.split(QLatin1Char('\n'));
    lines << QString()
          << QStringLiteral("************************************** NOTE IMPORTANTE **********************************");
    const bool pdf = format == TMailFormat::Pdf;
    const QString kind = pdf ? QStringLiteral("PDF") : QStringLiteral("KRP");
    const QString lower = kind.toLower();
    lines << QStringLiteral("Ce courriel contient un fichier %1.                     This email contains a %1 file.").arg(kind)
          << QString();
    // A download address only where there is a real one to give.
    const QString viewer = MailViewerAddress(format);
    if (!viewer.isEmpty())
        lines << QStringLiteral("Vous pouvez telecharger un outil de visionnement pour les fichiers %1 a l'adresse suivante ci-dessous:").arg(lower)
              << QString()
              << QStringLiteral("You can download a viewer for %1 files at the following address:").arg(lower)
              << QString()
              << OneLine(viewer)
              << QString();
    lines << QStringLiteral("*****************************************************************************************")
          << QString();
    return lines;
}

QStringList MailRecipients(const TMailMessage &message)
{
    QStringList out;
    QSet<QString> seen;
    for (const QStringList *list : {&message.to, &message.cc, &message.bcc})
        for (const QString &a : *list) {
            const QString clean = QString::fromLatin1(AddressBytes(a));
            if (!clean.isEmpty() && !seen.contains(clean.toLower())) {
                seen.insert(clean.toLower());
                out << clean;
            }
        }
    return out;
}

QByteArray EncodeHeaderText(const QString &text)
{
    const QString line = OneLine(text);
    if (IsAsciiText(line) && !line.contains(QLatin1String("=?")))
        return line.toLatin1();
    // Encoded words of at most 75 characters: 45 bytes of UTF-8 give 60 base64 characters,
    // cut on character boundaries so that every word decodes alone.
    QByteArrayList words;
    QByteArray chunk;
    for (qsizetype i = 0; i < line.size(); ++i) {
        QString ch = line.mid(i, 1);
        if (line[i].isHighSurrogate() && i + 1 < line.size())
            ch = line.mid(i++, 2);
        const QByteArray utf8 = ch.toUtf8();
        if (chunk.size() + utf8.size() > 45) {
            words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
            chunk.clear();
        }
        chunk += utf8;
    }
    if (!chunk.isEmpty() || words.isEmpty())
        words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
    return words.join("\r\n ");
}

QByteArray BuildMailMessage(const TMailMessage &m, const QByteArray &boundaryIn,
                            const std::function<void(const QString &, bool)> &encoding)
{
    QByteArray out;
    const QByteArray from = AddressBytes(m.fromAddress);
    const QString name = OneLine(m.fromName).trimmed();
    out += "From: ";
    if (!name.isEmpty()) {
        QString quoted = name;
        quoted.remove(QLatin1Char('"'));
        quoted.remove(QLatin1Char('\\'));
        out += IsAsciiText(quoted) ? '"' + quoted.toLatin1() + '"' : EncodeHeaderText(quoted);
        out += ' ';
    }
    out += '<' + from + ">\r\n";
    if (!m.to.isEmpty())
        out += "To: " + AddressList(m.to) + "\r\n";
    if (!m.cc.isEmpty())
        out += "CC: " + AddressList(m.cc) + "\r\n";
    out += "Subject: " + EncodeHeaderText(m.subject) + "\r\n";
    out += "Date: " + DateHeader() + "\r\n";
    const qsizetype at = from.indexOf('@');
    out += "Message-ID: <" + QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '.'
         + QByteArray::number(QRandomGenerator::global()->generate(), 16) + '@'
         + (at >= 0 ? from.mid(at + 1) : QByteArray("localhost")) + ">\r\n";
    out += "X-Mailer: Kelvora\r\n";
    out += "MIME-Version: 1.0\r\n";

    // The text part: plain ASCII as 7bit, anything else (or an over-long line) as base64
    // with its charset declared.
    const QString text = m.bodyLines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
    bool ascii = true;
    for (const QString &line : m.bodyLines)
        if (!IsAsciiText(line) || line.size() > 998)
            ascii = false;
    QByteArray textPart;
    if (ascii)
        textPart = "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + text.toLatin1();
    else
        textPart = "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                 + Base64Lines(text.toUtf8());

    QStringList files;
    QSet<QString> seen;
    for (const QString &f : m.attachments) {
        const QString key = QFileInfo(f).absoluteFilePath();
        if (!f.isEmpty() && !seen.contains(key)) {
            seen.insert(key);
            files << f;
        }
    }
    if (files.isEmpty())
        return out + textPart;

    const QByteArray boundary = boundaryIn.isEmpty() ? RandomBoundary() : boundaryIn;
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "--" + boundary + "\r\n" + textPart;
    for (const QString &path : files) {
        const QString fileName = QFileInfo(path).fileName();
        if (encoding)
            encoding(fileName, false);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EMailError(QStringLiteral("Impossible de lire la pièce jointe %1").arg(path),
                             QStringLiteral("Cannot read the attachment %1").arg(path), file.errorString());
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw EMailError(QStringLiteral("Impossible de lire la pièce jointe %1").arg(path),
                             QStringLiteral("Cannot read the attachment %1").arg(path), file.errorString());
        out += "\r\n--" + boundary + "\r\n";
        out += "Content-Type: application/octet-stream; " + FileNameParameter("name", fileName) + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment; " + FileNameParameter("filename", fileName) + "\r\n\r\n";
        out += Base64Lines(data);
        if (encoding)
            encoding(fileName, true);
    }
    out += "\r\n--" + boundary + "--\r\n";
    return out;
}

} // namespace delivery
