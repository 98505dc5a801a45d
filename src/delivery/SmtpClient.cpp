#include "delivery/SmtpClient.h"

#include <QElapsedTimer>
#include <QUrl>

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace delivery {

namespace {

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TCurlDeleter {
    void operator()(CURL *c) const { curl_easy_cleanup(c); }
};
struct TSlistDeleter {
    void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};
using TCurl = std::unique_ptr<CURL, TCurlDeleter>;
using TSlist = std::unique_ptr<curl_slist, TSlistDeleter>;

struct TUpload {
    const QByteArray *data = nullptr;
    qint64 pos = 0;
};

size_t ReadMessage(char *buffer, size_t size, size_t count, void *user)
{
    auto *up = static_cast<TUpload *>(user);
    const qint64 left = up->data->size() - up->pos;
    const qint64 n = std::min<qint64>(left, qint64(size * count));
    if (n > 0) {
        std::memcpy(buffer, up->data->constData() + up->pos, size_t(n));
        up->pos += n;
    }
    return size_t(n);
}

struct TProgressState {
    const TSmtpEvents *events = nullptr;
    qint64 lastSent = -1;
    int timeoutMs = 60000;
    QElapsedTimer sinceData; // started once the whole message is sent
    bool timedOut = false;
};

int Progress(void *user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *st = static_cast<TProgressState *>(user);
    // A server that takes the whole message and then says nothing: the time-out counts from
    // the end of the data, as for any other reply.
    if (ultotal > 0 && ulnow >= ultotal) {
        if (!st->sinceData.isValid())
            st->sinceData.start();
        else if (st->sinceData.elapsed() > st->timeoutMs) {
            st->timedOut = true;
            return 1;
        }
    }
    if (ulnow != st->lastSent && ultotal > 0) {
        st->lastSent = ulnow;
        if (st->events->progress)
            st->events->progress(qint64(ulnow), qint64(ultotal));
        if (st->events->status)
            st->events->status(QStringLiteral("%1 octets envoyés sur %2").arg(qint64(ulnow)).arg(qint64(ultotal)),
                               QStringLiteral("%1 bytes of %2 sent").arg(qint64(ulnow)).arg(qint64(ultotal)));
    }
    return 0;
}

// Called once the connection stands, before the mail dialogue: the host was found and reached.
int Connected(void *user, char *, char *, int, int)
{
    auto *st = static_cast<TProgressState *>(user);
    SmtpStatus(*st->events, "Serveur trouvé", "Host Resolved");
    SmtpStatus(*st->events, "Connecté", "Connected");
    if (st->events->progress)
        st->events->progress(0, 0);
    SmtpStatus(*st->events, "Envoi du message", "Sending message");
    return CURL_PREREQFUNC_OK;
}

// The last command sent and the server's reply to it, kept for the error message: a refused
// recipient is named, and the server's own words are shown.
struct TDialogue {
    QByteArray command;
    QByteArray reply;
    bool replyDone = false; // the reply's last line came ("250 " rather than "250-")
    // The first refusal (a 4xx or 5xx reply) and the command it answered: libcurl still says
    // QUIT after it.
    QByteArray refusedCommand, refusal;
};

int Debug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *d = static_cast<TDialogue *>(user);
    const QByteArray line = QByteArray(data, qsizetype(std::min<size_t>(size, 4096))).trimmed();
    if (type == CURLINFO_HEADER_OUT) {
        // An AUTH line carries the password: only the command's name is kept.
        d->command = line.startsWith("AUTH") ? QByteArray("AUTH") : line;
        d->reply.clear();
        d->replyDone = false;
    } else if (type == CURLINFO_HEADER_IN) {
        // The reply after the message's data follows DATA's own "354" with no command between.
        if (d->replyDone)
            d->reply.clear();
        if (d->reply.size() < 4096)
            d->reply += (d->reply.isEmpty() ? "" : " ") + line;
        d->replyDone = line.size() < 4 || line[3] != '-';
        if (d->replyDone && d->refusal.isEmpty() && (line.startsWith('4') || line.startsWith('5'))) {
            d->refusedCommand = d->command;
            d->refusal = d->reply;
        }
    }
    return 0;
}

} // namespace

void SmtpStatus(const TSmtpEvents &events, const char *french, const char *english)
{
    if (events.status)
        events.status(QString::fromUtf8(french), QString::fromUtf8(english));
}

TSmtpClient::TSmtpClient(TSmtpSettings settings, TSmtpEvents events)
    : m_settings(std::move(settings)), m_events(std::move(events))
{
}

namespace {

// The handle every exchange starts from: address, greeting name, TLS, login and time-outs.
TCurl Prepare(const TSmtpSettings &s)
{
    GlobalInit();
    const QString host = s.host.trimmed();
    if (host.isEmpty() || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char(' ')) || HasControlCharacters(host))
        throw EMailError(QStringLiteral("Serveur invalide"), QStringLiteral("Invalid Host!"), VisibleText(host));
    // The user name is the greeting's argument: a line break in it would end the command.
    if (HasControlCharacters(s.user))
        throw EMailError(QStringLiteral("Le nom d'utilisateur SMTP contient un caractère de contrôle : %1").arg(VisibleText(s.user)),
                         QStringLiteral("The SMTP user name holds a control character: %1").arg(VisibleText(s.user)));
    TCurl curl(curl_easy_init());
    if (!curl)
        throw EMailError(QStringLiteral("Erreur de l'envoi"), QStringLiteral("Failure"), QStringLiteral("no curl handle"));
    const bool implicitTls = s.port == 465;
    // The path of an SMTP URL is the name the greeting sends.
    const QString user = s.user.trimmed();
    QByteArray url = (implicitTls ? "smtps://" : "smtp://") + host.toUtf8() + ':' + QByteArray::number(s.port) + '/';
    if (!user.isEmpty())
        url += QUrl::toPercentEncoding(user);
    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(s.timeoutMs));
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, long((s.timeoutMs + 999) / 1000));
    // A transfer that stalls for the time-out ends; a large attachment that moves does not.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long((s.timeoutMs + 999) / 1000));
    if (!implicitTls)
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(s.password.isEmpty() ? CURLUSESSL_TRY : CURLUSESSL_ALL));
    QByteArray ca = s.caFile.toLocal8Bit();
    if (ca.isEmpty())
        ca = qgetenv("SSL_CERT_FILE");
    if (!ca.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, ca.constData()); // copied by libcurl
    if (!s.password.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.toUtf8().constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, s.password.toUtf8().constData());
    }
    return curl;
}

// What went wrong, in our words, for each of libcurl's results that a user meets.
struct TCause {
    const char *french, *english;
};
TCause CauseOf(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return {"Ce serveur est inconnu.", "This server is unknown."};
    case CURLE_COULDNT_CONNECT:
        return {"Le serveur refuse la connexion.", "The server refuses the connection."};
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:
        return {"Le serveur ne répond plus (délai dépassé).", "The server stopped answering (time-out)."};
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return {"La connexion sécurisée (TLS) a échoué.", "The secure (TLS) connection failed."};
    case CURLE_LOGIN_DENIED:
        return {"Le serveur a refusé l'identification.", "The server refused the login."};
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return {"La connexion avec le serveur a été perdue.", "The connection to the server was lost."};
    default:
        return {"Le serveur a refusé l'échange.", "The server refused the exchange."};
    }
}

void Listen(CURL *curl, TDialogue &dialogue)
{
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &dialogue);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
}

[[noreturn]] void Fail(CURL *curl, CURLcode code, const TDialogue &dialogue, bool timedOut)
{
    long reply = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    const bool refused = !dialogue.refusal.isEmpty();
    const QByteArray command = refused ? dialogue.refusedCommand : dialogue.command;
    if (refused)
        reply = std::max(reply, dialogue.refusal.left(3).toLong());
    const QString server = VisibleText(QString::fromUtf8(refused ? dialogue.refusal : dialogue.reply), 400);
    const auto withReply = [&](const char *text, const char *label) {
        QString out = QString::fromUtf8(text);
        if (reply >= 400 && !server.isEmpty())
            out += QStringLiteral("\r") + QString::fromUtf8(label) + server;
        return out;
    };
    const auto detail = [&](const TCause &cause) {
        return std::pair{withReply(cause.french, "Réponse du serveur : "), withReply(cause.english, "Server reply: ")};
    };
    if (timedOut)
        code = CURLE_OPERATION_TIMEDOUT;
    // 530: authentication required; 534/535: the login was refused.
    if (code == CURLE_LOGIN_DENIED || reply == 530 || reply == 534 || reply == 535) {
        const auto [fr, en] = detail(CauseOf(CURLE_LOGIN_DENIED));
        EMailError e(QStringLiteral("Le serveur refuse l'envoi sans authentification valide"),
                     QStringLiteral("The server refuses to send without a valid login"), fr, en);
        e.SetAuthRefused(true);
        throw e;
    }
    if (code == CURLE_COULDNT_RESOLVE_HOST) {
        const auto [fr, en] = detail(CauseOf(code));
        throw EMailError(QStringLiteral("Serveur invalide"), QStringLiteral("Invalid Host!"), fr, en);
    }
    if (code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT) {
        const auto [fr, en] = detail(CauseOf(code));
        throw EMailError(QStringLiteral("La connexion a échoué"), QStringLiteral("Connection Failed"), fr, en);
    }
    if (reply >= 400 && command.startsWith("RCPT TO:")) {
        const QByteArray &c = command;
        const qsizetype open = c.indexOf('<'), close = c.lastIndexOf('>');
        const QString address = VisibleText(QString::fromUtf8(open >= 0 && close > open ? c.mid(open + 1, close - open - 1) : c.mid(8)));
        throw EMailError(QStringLiteral("Recipient \"%1\" non trouvé").arg(address),
                         QStringLiteral("Recipient \"%1\" not found").arg(address),
                         QStringLiteral("Réponse du serveur : ") + server, QStringLiteral("Server reply: ") + server);
    }
    TCause cause = CauseOf(code);
    if (reply >= 400 && command.startsWith("MAIL FROM:"))
        cause = {"Le serveur refuse l'expéditeur.", "The server refuses the sender."};
    else if (reply >= 400 && command.startsWith("DATA"))
        cause = {"Le serveur a refusé le message.", "The server refused the message."};
    else if (reply >= 400 && command.isEmpty())
        cause = {"Le serveur refuse la connexion.", "The server refuses the connection."};
    const auto [fr, en] = detail(cause);
    throw EMailError(QStringLiteral("Erreur de l'envoi"), QStringLiteral("Failure"), fr, en);
}

} // namespace

void TSmtpClient::TestConnection()
{
    TCurl curl = Prepare(m_settings);
    TDialogue dialogue;
    Listen(curl.get(), dialogue);
    // Connect-only ends once the greeting (and STARTTLS when offered) is done.
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK)
        Fail(curl.get(), rc, dialogue, false);
    SmtpStatus(m_events, "Connecté", "Connected");
    curl.reset();
    SmtpStatus(m_events, "Deconnecté", "Disconnected");
}

void TSmtpClient::Send(const QString &from, const QStringList &recipients, const QByteArray &message)
{
    if (recipients.isEmpty())
        throw EMailError(QStringLiteral("Aucun destinataire"), QStringLiteral("No recipient"));
    // What goes into MAIL FROM and RCPT TO is what the address check judged, and a sender with
    // a control character is refused outright: a line break in it would end the command.
    if (HasControlCharacters(from))
        throw EMailError(QStringLiteral("L'adresse de l'expéditeur contient un caractère de contrôle : %1").arg(VisibleText(from)),
                         QStringLiteral("The sender's address holds a control character: %1").arg(VisibleText(from)));
    if (!IsValidMailAddress(from))
        throw EMailError(QStringLiteral("L'adresse de l'expéditeur est invalide : %1").arg(VisibleText(from)),
                         QStringLiteral("The sender's address is not valid: %1").arg(VisibleText(from)));
    for (const QString &r : recipients)
        if (!IsValidMailAddress(r) || HasControlCharacters(MailAddressValue(r)))
            throw EMailError(QStringLiteral("L'adresse du destinataire est invalide : %1").arg(VisibleText(r)),
                             QStringLiteral("The recipient's address is not valid: %1").arg(VisibleText(r)));
    TCurl curl = Prepare(m_settings);
    CURL *c = curl.get();
    TDialogue dialogue;
    Listen(c, dialogue);
    const QByteArray mailFrom = '<' + MailAddressValue(from).toUtf8() + '>';
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, mailFrom.constData());
    curl_slist *list = nullptr;
    for (const QString &r : recipients) {
        curl_slist *next = curl_slist_append(list, ('<' + MailAddressValue(r).toUtf8() + '>').constData());
        if (!next) {
            curl_slist_free_all(list);
            throw std::bad_alloc();
        }
        list = next;
    }
    TSlist rcpt(list);
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    TUpload upload{&message, 0};
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(message.size()));
    TProgressState progress;
    progress.events = &m_events;
    progress.timeoutMs = m_settings.timeoutMs;
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, Connected);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, &progress);
    const CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        SmtpStatus(m_events, "Erreur de l'envoi", "Failure");
        Fail(c, rc, dialogue, progress.timedOut);
    }
    curl.reset();
    SmtpStatus(m_events, "Deconnecté", "Disconnected");
    SmtpStatus(m_events, "Opération terminée avec succès", "Success");
}

} // namespace delivery
