// bailtool mail: a lease's pages sent to a real SMTP server on loopback, read back with
// Python's email module; exit 0 only when every recipient was accepted.

#include "ToolTestUtil.h"

#include "SmtpTestServer.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Table.h"
#include "delivery/KelStream.h"
#include "printout/Printout.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

struct TToolRun {
    int code = -1;
    QString out, err;
};

// bailtool mail in a folder of its own, with a settings folder of its own and stdin given.
TToolRun MailIn(const QString &cwd, const QString &config, const QStringList &args, const QByteArray &input = {},
                const QString &caFile = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // no password from the user's secret store
    if (!caFile.isEmpty())
        env.insert(QStringLiteral("SSL_CERT_FILE"), caFile);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(cwd);
    p.start(testsupport::Bailtool(), QStringList{QStringLiteral("mail")} + args);
    TToolRun r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(300000))
        return r;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
    return r;
}

QStringList Strings(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &x : v.toArray())
        out << x.toString();
    return out;
}

class ToolMail : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = testsupport::TempDir().release();
        db::MakeDemoFolder(s_dir->filePath(QStringLiteral("data")), 4, 2);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString Data() { return s_dir->filePath(QStringLiteral("data")); }
    static QString TenantOfLeaseOne()
    {
        dbase::Table t(db::TableFile(Data(), db::kBailStd, "dbf"), dbase::Table::Mode::ReadOnly);
        dbase::Record r;
        for (uint32_t i = 1; t.ReadRecord(i, r); ++i)
            if (r.AsString(QStringLiteral("NOBAIL")).trimmed() == QLatin1String("1"))
                return r.AsString(QStringLiteral("A_NOM1")).trimmed();
        return QStringLiteral("no lease 1");
    }

    std::unique_ptr<QTemporaryDir> m_work = testsupport::TempDir();
    QString Cwd() const { return m_work->path(); }
    QString Config() const { return m_work->filePath(QStringLiteral("config")); }

    // Settings file values, as the settings dialog writes them.
    void WriteSettings(const QString &server, int port, const QString &user) const
    {
        QDir().mkpath(Config() + QStringLiteral("/Logiciels Kelvora"));
        QFile f(Config() + QStringLiteral("/Logiciels Kelvora/leaseform.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Internet]\nSMTPServer=%1\nSMTPPort=%2\nSMTPUser=%3\n").arg(server).arg(port).arg(user).toUtf8());
    }

    static QTemporaryDir *s_dir;
};

QTemporaryDir *ToolMail::s_dir = nullptr;

} // namespace

TEST_F(ToolMail, SendsTheLeaseToEveryRecipientFromTheSettingsServer)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    WriteSettings(QStringLiteral("127.0.0.1"), server.Port(), QStringLiteral("bureau-2"));
    const TToolRun r = MailIn(Cwd(), Config(),
                              {Data(), QStringLiteral("--lease"), QStringLiteral("1"), QStringLiteral("--from"),
                               QStringLiteral("bureau@gestion.qc.ca"), QStringLiteral("--to"),
                               QStringLiteral("un@exemple.qc.ca,deux@exemple.qc.ca"), QStringLiteral("--cc"),
                               QStringLiteral("trois@exemple.qc.ca"), QStringLiteral("--bcc"), QStringLiteral("cache@exemple.qc.ca"),
                               QStringLiteral("--subject"), QStringLiteral("Bail\r\nBcc: x@y.com")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_EQ(server.MessageCount(), 1);
    const QJsonObject env = server.Envelope(1);
    EXPECT_EQ(env.value(QStringLiteral("helo")).toString(), QStringLiteral("bureau-2"));
    EXPECT_EQ(Strings(env.value(QStringLiteral("rcpt"))),
              (QStringList{"un@exemple.qc.ca", "deux@exemple.qc.ca", "trois@exemple.qc.ca", "cache@exemple.qc.ca"}));
    const QString saved = m_work->filePath(QStringLiteral("saved"));
    QDir().mkpath(saved);
    const QJsonObject msg = server.Read(1, saved);
    EXPECT_FALSE(Strings(msg.value(QStringLiteral("header_names"))).contains(QStringLiteral("bcc")));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("Subject")), QStringLiteral("Bail  Bcc: x@y.com"));
    const QJsonObject krp = msg.value(QStringLiteral("parts")).toArray().at(1).toObject();
    EXPECT_TRUE(krp.value(QStringLiteral("filename")).toString().endsWith(QLatin1String(".krp")));
    QString out, err;
    ASSERT_EQ(Tool({QStringLiteral("krp"), krp.value(QStringLiteral("saved")).toString()}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("page 4: "))) << out.toStdString();
    // Nothing is left in the caller's folder: no attachment, no export listing.
    EXPECT_EQ(QDir(Cwd()).entryList(QDir::Files).size(), 0);
}

TEST_F(ToolMail, PdfOverStartTlsWithAuthAndEachFailureExitsOne)
{
    REQUIRE_SMTP_SERVER();
    QString cert, key;
    if (!testsupport::MakeTestCertificate(Cwd(), &cert, &key))
        GTEST_SKIP() << "openssl is not installed";
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start({QStringLiteral("--tls"), cert, key, QStringLiteral("--auth"), QStringLiteral("bureau"),
                              QStringLiteral("s3cret"), QStringLiteral("--refuse"), QStringLiteral("absent@exemple.qc.ca")}));
    const QString at = QStringLiteral("127.0.0.1:%1").arg(server.Port());
    const QStringList base{Data(), QStringLiteral("--lease"), QStringLiteral("1"), QStringLiteral("--from"),
                           QStringLiteral("bureau@gestion.qc.ca"), QStringLiteral("--user"), QStringLiteral("bureau"),
                           QStringLiteral("--password-stdin"), QStringLiteral("--format"), QStringLiteral("pdf")};
    const QString work = m_work->filePath(QStringLiteral("run"));
    QDir().mkpath(work);
    TToolRun r = MailIn(work, Config(), base + QStringList{QStringLiteral("--server"), at, QStringLiteral("--to"), QStringLiteral("un@exemple.qc.ca")},
                        "s3cret\n", cert);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_EQ(server.MessageCount(), 1);
    EXPECT_TRUE(server.Envelope(1).value(QStringLiteral("auth")).toBool());
    if (testsupport::HaveProgram(QStringLiteral("pdftotext"))) {
        const QJsonObject msg = server.Read(1, m_work->path());
        const QString pdf = msg.value(QStringLiteral("parts")).toArray().at(1).toObject().value(QStringLiteral("saved")).toString();
        QString text;
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}, &text), 0);
        EXPECT_TRUE(text.contains(TenantOfLeaseOne())) << text.left(400).toStdString();
    }

    // Trusting another certificate than the server's: STARTTLS fails, and the server takes
    // nothing without it.
    const QString other = m_work->filePath(QStringLiteral("other"));
    QString otherCert, otherKey;
    ASSERT_TRUE(QDir().mkpath(other) && testsupport::MakeTestCertificate(other, &otherCert, &otherKey));
    const struct {
        const char *what;
        QStringList args;
        QByteArray password;
        QString ca;
    } failures[] = {
        {"refused recipient", {QStringLiteral("--server"), at, QStringLiteral("--to"), QStringLiteral("un@exemple.qc.ca,absent@exemple.qc.ca")}, "s3cret\n", cert},
        {"wrong password", {QStringLiteral("--server"), at, QStringLiteral("--to"), QStringLiteral("un@exemple.qc.ca")}, "nope\n", cert},
        {"untrusted certificate", {QStringLiteral("--server"), at, QStringLiteral("--to"), QStringLiteral("un@exemple.qc.ca")}, "s3cret\n", otherCert},
        {"server down", {QStringLiteral("--server"), QStringLiteral("127.0.0.1:1"), QStringLiteral("--to"), QStringLiteral("un@exemple.qc.ca")}, "s3cret\n", cert},
    };
    for (const auto &c : failures) {
        r = MailIn(work, Config(), base + c.args, c.password, c.ca);
        EXPECT_EQ(r.code, 1) << c.what;
        EXPECT_TRUE(r.err.contains(QLatin1String("bailtool: "))) << c.what << r.err.toStdString();
        EXPECT_EQ(server.MessageCount(), 1) << c.what;
    }
    EXPECT_EQ(QDir(work).entryList(QDir::Files).size(), 0);
}

TEST_F(ToolMail, PrintoutFileSentPerRecipientRunAndControlCharactersRefused)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    WriteSettings(QStringLiteral("127.0.0.1"), server.Port(), QString());
    // A lease's four pages in a printout file, pages 1-2 for alice with a copy, 3-4 for bob
    // with a hidden copy.
    const QString file = m_work->filePath(QStringLiteral("baux.krp"));
    QString err;
    ASSERT_EQ(Tool({QStringLiteral("render"), Data(), QStringLiteral("--lease"), QStringLiteral("1"), QStringLiteral("--krp"), file},
                   nullptr, &err), 0) << err.toStdString();
    {
        std::unique_ptr<printout::TPrintout> p = delivery::LoadPrintoutFile(file);
        ASSERT_EQ(p->PageCount(), 4);
        p->SetMailRecipients(1, 2, {}, QStringLiteral("copie@exemple.org"), QStringLiteral("alice@exemple.org"));
        p->SetMailRecipients(3, 4, QStringLiteral("cache@exemple.org"), {}, QStringLiteral("bob@exemple.org"));
        delivery::SavePrintoutFile(*p, file);
    }
    const QStringList sender{QStringLiteral("--from"), QStringLiteral("bureau@gestion.qc.ca")};
    const TToolRun r = MailIn(Cwd(), Config(), QStringList{file, QStringLiteral("--multiple")} + sender);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(QStringLiteral("sent 2 page(s) to 2 recipient(s)")), 2) << r.out.toStdString();
    ASSERT_EQ(server.MessageCount(), 2);
    EXPECT_EQ(Strings(server.Envelope(1).value(QStringLiteral("rcpt"))), (QStringList{"alice@exemple.org", "copie@exemple.org"}));
    EXPECT_EQ(Strings(server.Envelope(2).value(QStringLiteral("rcpt"))), (QStringList{"bob@exemple.org", "cache@exemple.org"}));
    for (int n = 1; n <= 2; ++n) {
        const QString saved = m_work->filePath(QStringLiteral("saved-%1").arg(n));
        QDir().mkpath(saved);
        const QJsonObject krp = server.Read(n, saved).value(QStringLiteral("parts")).toArray().at(1).toObject();
        QString listing;
        ASSERT_EQ(Tool({QStringLiteral("krp"), krp.value(QStringLiteral("saved")).toString()}, &listing, &err), 0) << err.toStdString();
        EXPECT_EQ(listing.count(QRegularExpression(QStringLiteral("page \\d+: "))), 2) << listing.toStdString();
        EXPECT_FALSE(listing.contains(QStringLiteral("cache@"))) << listing.toStdString();
    }

    // A sender that would end MAIL FROM, and recipients given to a multiple send: refused,
    // nothing sent, the control characters shown escaped.
    const struct {
        QStringList args;
        const char *said;
    } refusals[] = {
        {{file, QStringLiteral("--to"), QStringLiteral("x@exemple.org"), QStringLiteral("--from"),
          QStringLiteral("bureau@exemple.org\r\nRSET")}, "\\x0d\\x0aRSET"},
        {QStringList{file, QStringLiteral("--multiple"), QStringLiteral("--to"), QStringLiteral("x@exemple.org")} + sender, "--multiple"},
    };
    for (const auto &c : refusals) {
        const TToolRun bad = MailIn(Cwd(), Config(), c.args);
        EXPECT_EQ(bad.code, 1) << c.said;
        EXPECT_TRUE(bad.err.contains(QLatin1String(c.said))) << bad.err.toStdString();
        EXPECT_FALSE(bad.err.contains(QLatin1Char('\r'))) << c.said;
    }
    EXPECT_EQ(server.MessageCount(), 2);
}
