#include "delivery/SmtpClient.h"

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
};

int Progress(void *user, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *st = static_cast<TProgressState *>(user);
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
TCurl Prepare(const TSmtpSettings &s, char *errorBuffer)
{
    GlobalInit();
    const QString host = s.host.trimmed();
    if (host.isEmpty() || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char(' ')))
        throw EMailError(QStringLiteral("Serveur invalide"), QStringLiteral("Invalid host"), host);
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
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
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

[[noreturn]] void Fail(CURL *curl, CURLcode code, const char *errorBuffer)
{
    QString detail = QString::fromUtf8(errorBuffer).trimmed();
    if (detail.isEmpty())
        detail = QString::fromUtf8(curl_easy_strerror(code));
    long reply = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply);
    // 530: authentication required; 534/535: the login was refused.
    if (code == CURLE_LOGIN_DENIED || reply == 530 || reply == 534 || reply == 535) {
        EMailError e(QStringLiteral("Le serveur refuse l'envoi sans authentification valide"),
                     QStringLiteral("The server refuses to send without a valid login"), detail);
        e.SetAuthRefused(true);
        throw e;
    }
    if (code == CURLE_COULDNT_RESOLVE_HOST)
        throw EMailError(QStringLiteral("Serveur invalide"), QStringLiteral("Invalid Host!"), detail);
    if (code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT)
        throw EMailError(QStringLiteral("La connexion a échoué"), QStringLiteral("Connection Failed"), detail);
    throw EMailError(QStringLiteral("Erreur de l'envoi"), QStringLiteral("Failure"), detail);
}

} // namespace

void TSmtpClient::TestConnection()
{
    char errorBuffer[CURL_ERROR_SIZE] = {};
    TCurl curl = Prepare(m_settings, errorBuffer);
    // Connect-only ends once the greeting (and STARTTLS when offered) is done.
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK)
        Fail(curl.get(), rc, errorBuffer);
    SmtpStatus(m_events, "Connecté", "Connected");
    curl.reset();
    SmtpStatus(m_events, "Deconnecté", "Disconnected");
}

void TSmtpClient::Send(const QString &from, const QStringList &recipients, const QByteArray &message)
{
    if (recipients.isEmpty())
        throw EMailError(QStringLiteral("Aucun destinataire"), QStringLiteral("No recipient"));
    char errorBuffer[CURL_ERROR_SIZE] = {};
    TCurl curl = Prepare(m_settings, errorBuffer);
    CURL *c = curl.get();
    const QByteArray mailFrom = '<' + from.trimmed().toUtf8() + '>';
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, mailFrom.constData());
    curl_slist *list = nullptr;
    for (const QString &r : recipients) {
        curl_slist *next = curl_slist_append(list, ('<' + r.trimmed().toUtf8() + '>').constData());
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
    TProgressState progress{&m_events, -1};
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, Connected);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, &progress);
    const CURLcode rc = curl_easy_perform(c);
    if (rc != CURLE_OK) {
        SmtpStatus(m_events, "Erreur de l'envoi", "Failure");
        Fail(c, rc, errorBuffer);
    }
    curl.reset();
    SmtpStatus(m_events, "Deconnecté", "Disconnected");
    SmtpStatus(m_events, "Opération terminée avec succès", "Success");
}

} // namespace delivery
