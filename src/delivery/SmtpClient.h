#pragma once
// The SMTP client: one message to its envelope recipients over libcurl. The server's greeting
// gets the configured user name; STARTTLS is used whenever the server offers it, port 465
// speaks TLS from the start, and AUTH is used when a password is set.

#include "delivery/MailMessage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace delivery {

struct TSmtpSettings {
    QString host;
    int port = 25;
    QString user;     // the greeting's argument, and the login name when a password is set
    QString password; // empty: no AUTH
    int timeoutMs = 60000;
    QString caFile;   // certificates to trust beyond the system's; empty: $SSL_CERT_FILE or none
};

// What the client tells while it works, for the status line and the progress bar.
struct TSmtpEvents {
    std::function<void(const QString &french, const QString &english)> status;
    std::function<void(qint64 sent, qint64 total)> progress;
};

class TSmtpClient {
public:
    explicit TSmtpClient(TSmtpSettings settings, TSmtpEvents events = {});

    // Opens a connection to the server (greeting and TLS included) and closes it again.
    // Throws EMailError when the server cannot be reached.
    void TestConnection();
    // MAIL FROM, one RCPT TO for each recipient, DATA with message, QUIT. Returns when the
    // server accepted the message for every recipient; otherwise throws EMailError with the
    // cause, and nothing was delivered to anyone.
    void Send(const QString &from, const QStringList &recipients, const QByteArray &message);

    const TSmtpSettings &Settings() const { return m_settings; }
    const TSmtpEvents &Events() const { return m_events; }

private:
    TSmtpSettings m_settings;
    TSmtpEvents m_events;
};

// The status texts, French then English.
void SmtpStatus(const TSmtpEvents &events, const char *french, const char *english);

} // namespace delivery
