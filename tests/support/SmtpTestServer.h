#pragma once
// A real SMTP server (Python's aiosmtpd) on a free loopback port for the mail tests, plain or
// with STARTTLS and AUTH, and the reading of what it received through Python's email module.

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace testsupport {

inline QString SmtpServerScript()
{
    return QStringLiteral(BAIL_TESTS_DIR "/support/smtp_server.py");
}

// A Python that has aiosmtpd (Debian's, even when another python3 comes first on PATH), or
// empty when there is none.
inline QString SmtpPython()
{
    static const QString found = [] {
        for (const QString &p : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")})
            if (Run(p, {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")}) == 0)
                return p;
        return QString();
    }();
    return found;
}

// A self-signed certificate for 127.0.0.1 made with openssl; false when openssl is missing.
inline bool MakeTestCertificate(const QString &dir, QString *cert, QString *key)
{
    *cert = dir + QStringLiteral("/cert.pem");
    *key = dir + QStringLiteral("/key.pem");
    return Run(QStringLiteral("openssl"),
               {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"), QStringLiteral("-keyout"), *key,
                QStringLiteral("-out"), *cert})
        == 0;
}

class TSmtpTestServer {
public:
    // options: --tls CERT KEY, --auth USER PASS, --refuse ADDR (see smtp_server.py).
    bool Start(const QStringList &options = {})
    {
        if (SmtpPython().isEmpty() || !m_dir.isValid())
            return false;
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(SmtpPython(), QStringList{SmtpServerScript(), QStringLiteral("serve"), m_dir.path()} + options);
        if (!m_process.waitForStarted(10000))
            return false;
        for (int i = 0; i < 300; ++i) {
            QFile f(m_dir.filePath(QStringLiteral("port")));
            if (f.open(QIODevice::ReadOnly)) {
                m_port = f.readAll().trimmed().toInt();
                return m_port > 0;
            }
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return false;
    }
    ~TSmtpTestServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(10000)) {
                m_process.kill();
                m_process.waitForFinished();
            }
        }
    }
    int Port() const { return m_port; }
    QString Dir() const { return m_dir.path(); }
    int MessageCount() const
    {
        return int(QDir(m_dir.path()).entryList({QStringLiteral("msg-*.json")}, QDir::Files).size());
    }
    // The envelope of message n (1-based): from, rcpt, helo, tls, auth.
    QJsonObject Envelope(int n) const
    {
        QFile f(m_dir.filePath(QStringLiteral("msg-%1.json").arg(n)));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    QByteArray Raw(int n) const
    {
        QFile f(m_dir.filePath(QStringLiteral("msg-%1.eml").arg(n)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Message n as Python's email module reads it; attachments decoded into outDir.
    QJsonObject Read(int n, const QString &outDir) const
    {
        QString out;
        if (Run(SmtpPython(), {SmtpServerScript(), QStringLiteral("read"),
                               m_dir.filePath(QStringLiteral("msg-%1.eml").arg(n)), outDir},
                &out)
            != 0)
            return {};
        return QJsonDocument::fromJson(out.toUtf8()).object();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// The value of the first header of that name (any case) in a summary from Read.
inline QString SummaryHeader(const QJsonObject &summary, const QString &name)
{
    for (const QJsonValue &h : summary.value(QStringLiteral("headers")).toArray())
        if (h.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            return h.toArray().at(1).toString();
    return QString();
}

} // namespace testsupport

#define REQUIRE_SMTP_SERVER()                                                                     \
    do {                                                                                          \
        if (testsupport::SmtpPython().isEmpty())                                                  \
            GTEST_SKIP() << "python3-aiosmtpd is not installed";                                  \
    } while (0)
