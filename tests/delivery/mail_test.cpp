// E-mail of printouts: the address check, the default attachment name, and messages sent to a
// real SMTP server on loopback (plain, and STARTTLS with AUTH) read back with Python's email
// module: envelope, headers, parts and attachments that open again.

#include "delivery/KelStream.h"
#include "delivery/MailAccounts.h"
#include "delivery/MailSender.h"
#include "printout/Printout.h"
#include "ui/MessageBoxes.h"

#include "SmtpTestServer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace delivery;
using printout::TPrintout;

namespace {

std::unique_ptr<TPrintout> Pages(int count)
{
    auto p = std::make_unique<TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("Bail 12"));
    for (int i = 1; i <= count; ++i) {
        p->NewPage(1);
        printout::TPageCanvas *c = p->Canvas();
        c->SetFontName(QStringLiteral("Arial"));
        c->SetFontHeight(40);
        c->TextOut(200, -200 * i, QStringLiteral("Locataire page %1").arg(i));
        p->EndPage();
    }
    return p;
}

QStringList Strings(const QJsonValue &v)
{
    QStringList out;
    for (const QJsonValue &x : v.toArray())
        out << x.toString();
    return out;
}

TSmtpSettings Loopback(int port, const QString &user = {}, const QString &password = {})
{
    TSmtpSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.user = user;
    s.password = password;
    return s;
}

// A port nothing listens on.
int ClosedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

struct TMailFixture {
    std::unique_ptr<QTemporaryDir> dir = testsupport::TempDir();
    std::unique_ptr<TPrintout> printout = Pages(3);
    TPrintoutMail mail;

    TMailFixture()
    {
        mail.format = TMailFormat::Krp;
        mail.attachmentPath = dir->filePath(QStringLiteral("Bail 12 20261210.krp"));
        mail.first = 1;
        mail.last = 2;
        mail.message.fromAddress = QStringLiteral("bureau@gestion-ostrevane.ca");
        mail.message.fromName = QStringLiteral("Hélène Ostrevane");
        mail.message.to = {QStringLiteral("locataire@exemple.qc.ca")};
        mail.message.subject = QStringLiteral("Bail n° 12");
        mail.message.bodyLines = MailBodyLines(QStringLiteral("Bonjour"), mail.format);
    }
};

} // namespace

TEST(MailAddress, CheckAcceptsOnlyTheCheckedShape)
{
    const struct {
        const char *address;
        bool valid;
    } cases[] = {
        {"jean.tremblay_2-x@exemple-1.qc.ca", true},
        {"a@b.cd", true},
        {"jean@\r\nexemple.ca", true}, // line breaks are removed first
        {"a@b.c", false},              // domain part of three characters
        {"jean..t@exemple.ca", false},
        {"jean@exemple..ca", false},
        {"jean t@exemple.ca", false},
        {"@exemple.ca", false},
        {"jean@exemple.ca.", false},
        {"jean@ex@emple.ca", false},
        {"jean@.exemple.ca", false},
        {"jean@exemple", false},
        {"hélène@exemple.ca", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsValidMailAddress(QString::fromUtf8(c.address)), c.valid) << c.address;
    EXPECT_TRUE(IsValidMailAddressList(QString()));
    EXPECT_TRUE(IsValidMailAddressList(QStringLiteral("a@exemple.ca\nb@exemple.ca\n")));
    EXPECT_FALSE(IsValidMailAddressList(QStringLiteral("a@exemple.ca\n\nb@exemple.ca")));
    EXPECT_FALSE(IsValidMailAddressList(QStringLiteral("a@exemple.ca\nb@e.c")));
}

TEST(MailMessage, DefaultAttachmentNameDropsTheListedCharacters)
{
    const QDate day(2026, 3, 7);
    EXPECT_EQ(DefaultAttachmentName(QStringLiteral("word / word"), day), QStringLiteral("word  word 20260307"));
    EXPECT_EQ(DefaultAttachmentName(QStringLiteral("a\\b+c*d?e\"f<g>h|i:j"), day), QStringLiteral("abcdefghi:j 20260307"));
}

TEST(MailSend, PlainServerGetsEveryRecipientHeadersPartsAndAttachments)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    TMailFixture f;
    const QString other = f.dir->filePath(QStringLiteral("Règlement.txt"));
    {
        QFile o(other);
        ASSERT_TRUE(o.open(QIODevice::WriteOnly));
        o.write("article 1\n");
    }
    f.mail.message.to << QStringLiteral("second@exemple.qc.ca");
    f.mail.message.cc = {QStringLiteral("copie@exemple.qc.ca")};
    f.mail.message.bcc = {QStringLiteral("cachee@exemple.qc.ca")};
    // A line break in the subject must not start a header of its own.
    f.mail.message.subject = QStringLiteral("Bail n° 12 été\r\nBcc: x@y.com");
    f.mail.message.attachments = {other, other};
    f.mail.message.bodyLines = MailBodyLines(QStringLiteral("Bonjour,\n.\n..deux points\n.fin"), TMailFormat::Krp);

    QStringList statuses;
    TSmtpClient client(Loopback(server.Port(), QStringLiteral("poste-12")),
                       {[&](const QString &, const QString &en) { statuses << en; }, {}});
    SendPrintoutMail(*f.printout, f.mail, client);

    EXPECT_FALSE(QFileInfo::exists(f.mail.attachmentPath));
    ASSERT_EQ(server.MessageCount(), 1);
    const QJsonObject env = server.Envelope(1);
    EXPECT_EQ(env.value(QStringLiteral("from")).toString(), f.mail.message.fromAddress);
    EXPECT_EQ(Strings(env.value(QStringLiteral("rcpt"))),
              (QStringList{"locataire@exemple.qc.ca", "second@exemple.qc.ca", "copie@exemple.qc.ca", "cachee@exemple.qc.ca"}));
    EXPECT_EQ(env.value(QStringLiteral("helo")).toString(), QStringLiteral("poste-12"));

    const QJsonObject msg = server.Read(1, f.dir->path());
    ASSERT_FALSE(msg.isEmpty());
    EXPECT_TRUE(msg.value(QStringLiteral("defects")).toArray().isEmpty());
    const QStringList names = Strings(msg.value(QStringLiteral("header_names")));
    EXPECT_FALSE(names.contains(QStringLiteral("bcc")));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("Subject")), QStringLiteral("Bail n° 12 été  Bcc: x@y.com"));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("From")),
              QStringLiteral("Hélène Ostrevane <bureau@gestion-ostrevane.ca>"));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("To")),
              QStringLiteral("locataire@exemple.qc.ca, second@exemple.qc.ca"));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("CC")), QStringLiteral("copie@exemple.qc.ca"));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("X-Mailer")), QStringLiteral("Kelvora"));
    EXPECT_EQ(testsupport::SummaryHeader(msg, QStringLiteral("MIME-Version")), QStringLiteral("1.0"));
    EXPECT_EQ(msg.value(QStringLiteral("content_type")).toString(), QStringLiteral("multipart/mixed"));

    const QJsonArray parts = msg.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 3); // the text, the pages, the other file once
    const QJsonObject text = parts[0].toObject();
    EXPECT_EQ(text.value(QStringLiteral("type")).toString(), QStringLiteral("text/plain"));
    const QStringList lines = text.value(QStringLiteral("text")).toString().remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    for (const char *line : {"Bonjour,", ".", "..deux points", ".fin"})
        EXPECT_TRUE(lines.contains(QString::fromLatin1(line))) << line;
    // No viewer address is known for printout files: no sentence leads to one.
    EXPECT_FALSE(text.value(QStringLiteral("text")).toString().contains(QLatin1String("download")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\w{3}, \\d{2} \\w{3} \\d{4} \\d{2}:\\d{2}:\\d{2} [+-]\\d{4}$"))
                    .match(testsupport::SummaryHeader(msg, QStringLiteral("Date"))).hasMatch())
        << testsupport::SummaryHeader(msg, QStringLiteral("Date")).toStdString();
    EXPECT_TRUE(server.Raw(1).contains("filename*=utf-8''R%C3%A8glement.txt"));

    const QJsonObject pages = parts[1].toObject();
    EXPECT_EQ(pages.value(QStringLiteral("type")).toString(), QStringLiteral("application/octet-stream"));
    EXPECT_EQ(pages.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
    EXPECT_EQ(pages.value(QStringLiteral("encoding")).toString(), QStringLiteral("base64"));
    EXPECT_EQ(pages.value(QStringLiteral("filename")).toString(), QStringLiteral("Bail 12 20261210.krp"));
    std::unique_ptr<TPrintout> back = LoadPrintoutFile(pages.value(QStringLiteral("saved")).toString());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->PageCount(), 2);
    EXPECT_EQ(parts[2].toObject().value(QStringLiteral("filename")).toString(), QStringLiteral("Règlement.txt"));
    // The status line follows the dialogue: connected, sending, bytes sent, success.
    const qsizetype connected = statuses.indexOf(QStringLiteral("Connected"));
    const qsizetype sending = statuses.indexOf(QStringLiteral("Sending message"));
    const qsizetype sent = statuses.indexOf(QRegularExpression(QStringLiteral("^\\d+ bytes of \\d+ sent$")));
    const qsizetype success = statuses.indexOf(QStringLiteral("Success"));
    EXPECT_TRUE(connected >= 0 && connected < sending && sending < sent && sent < success) << statuses.join(QLatin1Char('|')).toStdString();
}

TEST(MailSend, PdfAttachmentReadsBackWithItsPages)
{
    REQUIRE_SMTP_SERVER();
    if (!testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext is not installed";
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    TMailFixture f;
    f.mail.format = TMailFormat::Pdf;
    f.mail.attachmentPath = f.dir->filePath(QStringLiteral("Bail.pdf"));
    f.mail.first = f.mail.last = 3;
    f.mail.message.bodyLines = MailBodyLines(QStringLiteral("Voici votre bail à signer"), TMailFormat::Pdf);
    TSmtpClient client(Loopback(server.Port()));
    // The export leaves its record listing in the current folder.
    const QString here = QDir::currentPath();
    QDir::setCurrent(f.dir->path());
    SendPrintoutMail(*f.printout, f.mail, client);
    QDir::setCurrent(here);
    ASSERT_EQ(server.MessageCount(), 1);
    const QJsonObject msg = server.Read(1, f.dir->path());
    // Text outside ASCII travels with its charset declared.
    const QJsonObject text = msg.value(QStringLiteral("parts")).toArray().at(0).toObject();
    EXPECT_EQ(text.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
    EXPECT_TRUE(text.value(QStringLiteral("text")).toString().contains(QStringLiteral("Voici votre bail à signer")));
    EXPECT_TRUE(text.value(QStringLiteral("text")).toString().contains(QStringLiteral("This email contains a PDF file.")));
    const QJsonObject pdf = msg.value(QStringLiteral("parts")).toArray().at(1).toObject();
    QString out;
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"), {pdf.value(QStringLiteral("saved")).toString(), QStringLiteral("-")}, &out), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("Locataire page 3"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Locataire page 1")));
}

TEST(MailSend, StartTlsWithAuthDeliversAndEveryFailureLeavesNothing)
{
    REQUIRE_SMTP_SERVER();
    TMailFixture f;
    QString cert, key;
    if (!testsupport::MakeTestCertificate(f.dir->path(), &cert, &key))
        GTEST_SKIP() << "openssl is not installed";
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start({QStringLiteral("--tls"), cert, key, QStringLiteral("--auth"), QStringLiteral("bureau"),
                              QStringLiteral("s3cret"), QStringLiteral("--refuse"), QStringLiteral("absent@exemple.qc.ca")}));
    TSmtpSettings settings = Loopback(server.Port(), QStringLiteral("bureau"), QStringLiteral("s3cret"));
    settings.caFile = cert;

    TSmtpClient good(settings);
    good.TestConnection();
    SendPrintoutMail(*f.printout, f.mail, good);
    ASSERT_EQ(server.MessageCount(), 1);
    EXPECT_TRUE(server.Envelope(1).value(QStringLiteral("tls")).toBool());
    EXPECT_TRUE(server.Envelope(1).value(QStringLiteral("auth")).toBool());

    // Wrong password, an untrusted certificate, a refused recipient, no server: each fails
    // with its cause, delivers nothing and leaves no attachment file behind.
    TSmtpSettings wrong = settings;
    wrong.password = QStringLiteral("nope");
    // Trusting another certificate: the server's is refused, STARTTLS fails and the server
    // will take nothing without it.
    const QString otherDir = f.dir->filePath(QStringLiteral("other"));
    QString otherCert, otherKey;
    ASSERT_TRUE(QDir().mkpath(otherDir) && testsupport::MakeTestCertificate(otherDir, &otherCert, &otherKey));
    TSmtpSettings untrusted = settings;
    untrusted.caFile = otherCert;
    TSmtpSettings down = settings;
    down.port = ClosedPort();
    const struct {
        const char *what;
        TSmtpSettings settings;
        QStringList to;
    } failures[] = {
        {"wrong password", wrong, {QStringLiteral("locataire@exemple.qc.ca")}},
        {"untrusted certificate", untrusted, {QStringLiteral("locataire@exemple.qc.ca")}},
        {"refused recipient", settings, {QStringLiteral("locataire@exemple.qc.ca"), QStringLiteral("absent@exemple.qc.ca")}},
        {"server down", down, {QStringLiteral("locataire@exemple.qc.ca")}},
    };
    for (const auto &c : failures) {
        TSmtpClient client(c.settings);
        f.mail.message.to = c.to;
        try {
            SendPrintoutMail(*f.printout, f.mail, client);
            ADD_FAILURE() << c.what << ": sent";
        } catch (const EMailError &e) {
            EXPECT_FALSE(e.Detail().isEmpty()) << c.what;
        }
        EXPECT_FALSE(QFileInfo::exists(f.mail.attachmentPath)) << c.what;
        EXPECT_EQ(server.MessageCount(), 1) << c.what;
    }
}

TEST(MailMessage, DateHeaderHasANumericZone)
{
    const QDate day(2026, 12, 11);
    const struct {
        int offsetSeconds;
        const char *expected;
    } cases[] = {{-5 * 3600, "Fri, 11 Dec 2026 14:05:09 -0500"}, {3600, "Fri, 11 Dec 2026 14:05:09 +0100"},
                 {5 * 3600 + 1800, "Fri, 11 Dec 2026 14:05:09 +0530"}, {0, "Fri, 11 Dec 2026 14:05:09 +0000"}};
    for (const auto &c : cases)
        EXPECT_EQ(MailDateHeader(QDateTime(day, QTime(14, 5, 9), Qt::OffsetFromUTC, c.offsetSeconds)),
                  QByteArray(c.expected));
}

TEST(MailSend, ControlCharactersNeverReachTheDialogue)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    TMailFixture f;
    const struct {
        const char *what;
        QString from, to, user;
    } cases[] = {
        {"sender", QStringLiteral("bureau@exemple.org\r\nRSET"), QStringLiteral("locataire@exemple.qc.ca"), {}},
        {"sender with a NUL", QStringLiteral("bureau@exemple.org") + QChar(0) + QStringLiteral("x"),
         QStringLiteral("locataire@exemple.qc.ca"), {}},
        {"user name", QStringLiteral("bureau@exemple.org"), QStringLiteral("locataire@exemple.qc.ca"), QStringLiteral("poste\r\nRSET")},
    };
    for (const auto &c : cases) {
        f.mail.message.fromAddress = c.from;
        f.mail.message.to = {c.to};
        TSmtpClient client(Loopback(server.Port(), c.user));
        try {
            SendPrintoutMail(*f.printout, f.mail, client);
            ADD_FAILURE() << c.what << ": sent";
        } catch (const EMailError &e) {
            // Shown escaped, never as a line break.
            EXPECT_FALSE(e.Message().contains(QLatin1Char('\n'))) << c.what;
            EXPECT_TRUE(e.French().contains(QStringLiteral("caractère de contrôle"))) << c.what << " " << e.French().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(f.mail.attachmentPath)) << c.what;
    }
    EXPECT_EQ(server.MessageCount(), 0);
    // A recipient with a line break has it taken out, as the address check does.
    f.mail.message.fromAddress = QStringLiteral("bureau@exemple.org");
    f.mail.message.to = {QStringLiteral("locataire@exemple.qc.ca\r\n")};
    TSmtpClient client(Loopback(server.Port()));
    SendPrintoutMail(*f.printout, f.mail, client);
    ASSERT_EQ(server.MessageCount(), 1);
    EXPECT_EQ(Strings(server.Envelope(1).value(QStringLiteral("rcpt"))), QStringList{QStringLiteral("locataire@exemple.qc.ca")});
}

TEST(MailSend, FailuresSayWhatHappenedInTheWorkingLanguageWithTheServersReply)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server, silent;
    ASSERT_TRUE(server.Start({QStringLiteral("--refuse"), QStringLiteral("absent@exemple.qc.ca")}));
    ASSERT_TRUE(silent.Start({QStringLiteral("--silent-after-data")}));
    TMailFixture f;
    TSmtpSettings quick = Loopback(silent.Port());
    quick.timeoutMs = 1500;
    const struct {
        const char *what;
        TSmtpSettings settings;
        QString to, french, frenchDetail, englishDetail;
    } cases[] = {
        {"refused recipient", Loopback(server.Port()), QStringLiteral("absent@exemple.qc.ca"),
         QStringLiteral("Recipient \"absent@exemple.qc.ca\" non trouvé"), QStringLiteral("Réponse du serveur : 550 5.1.1 No such user here"),
         QStringLiteral("Server reply: 550 5.1.1 No such user here")},
        {"server down", Loopback(ClosedPort()), QStringLiteral("locataire@exemple.qc.ca"), QStringLiteral("La connexion a échoué"),
         QStringLiteral("Le serveur refuse la connexion."), QStringLiteral("The server refuses the connection.")},
        {"silent after the data", quick, QStringLiteral("locataire@exemple.qc.ca"), QStringLiteral("La connexion a échoué"),
         QStringLiteral("Le serveur ne répond plus (délai dépassé)."), QStringLiteral("The server stopped answering (time-out).")},
    };
    for (const auto &c : cases) {
        f.mail.message.to = {QStringLiteral("locataire@exemple.qc.ca"), c.to};
        TSmtpClient client(c.settings);
        QElapsedTimer timer;
        timer.start();
        try {
            SendPrintoutMail(*f.printout, f.mail, client);
            ADD_FAILURE() << c.what << ": sent";
        } catch (const EMailError &e) {
            EXPECT_EQ(e.French().toStdString(), c.french.toStdString()) << c.what << " " << e.Detail().toStdString();
            ui::SetMessageLanguage(0);
            EXPECT_EQ(e.Detail(), c.frenchDetail) << c.what;
            ui::SetMessageLanguage(1);
            EXPECT_EQ(e.Detail(), c.englishDetail) << c.what;
            ui::SetMessageLanguage(0);
        }
        EXPECT_LT(timer.elapsed(), 20000) << c.what;
    }
    EXPECT_EQ(server.MessageCount(), 0);
}

TEST(MailSend, TheAttachedPrintoutCarriesNoBccAndASingleMessageNoOtherRecipients)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    TMailFixture f;
    f.printout->SetMailRecipients(1, 2, QStringLiteral("cache@exemple.org"), QStringLiteral("copie@exemple.org"),
                                  QStringLiteral("alice@exemple.org"));
    for (const bool perPage : {true, false}) {
        f.mail.perPageRecipients = perPage;
        TSmtpClient client(Loopback(server.Port()));
        SendPrintoutMail(*f.printout, f.mail, client);
        const QJsonObject msg = server.Read(server.MessageCount(), f.dir->path());
        std::unique_ptr<TPrintout> back = LoadPrintoutFile(msg.value(QStringLiteral("parts")).toArray()[1].toObject().value(QStringLiteral("saved")).toString());
        ASSERT_TRUE(back);
        for (int page = 1; page <= 2; ++page) {
            EXPECT_EQ(back->MailBcc(page), QString()) << perPage;
            EXPECT_EQ(back->MailTo(page), perPage ? QStringLiteral("alice@exemple.org") : QString()) << perPage;
            EXPECT_EQ(back->MailCc(page), perPage ? QStringLiteral("copie@exemple.org") : QString()) << perPage;
        }
    }
    // The printout itself keeps them all.
    EXPECT_EQ(f.printout->MailBcc(1), QStringLiteral("cache@exemple.org"));
}

TEST(MailAccounts, ThunderbirdIdentitiesThenEvolutionOnesEachAddressOnce)
{
    auto home = testsupport::TempDir();
    auto write = [&](const QString &path, const QByteArray &text) {
        QDir().mkpath(QFileInfo(home->filePath(path)).path());
        QFile f(home->filePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    EXPECT_TRUE(FindMailAccounts(home->path(), home->filePath(QStringLiteral(".config"))).empty());
    write(QStringLiteral(".thunderbird/profiles.ini"), "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\nIsRelative=1\nPath=ab12.default\n");
    write(QStringLiteral(".thunderbird/ab12.default/prefs.js"),
          "// Mozilla User Preferences\n"
          "user_pref(\"mail.accountmanager.accounts\", \"account2,account1\");\n"
          "user_pref(\"mail.account.account1.identities\", \"id1\");\n"
          "user_pref(\"mail.account.account2.identities\", \"id2\");\n"
          "user_pref(\"mail.identity.id1.useremail\", \"bureau@gestion.qc.ca\");\n"
          "user_pref(\"mail.identity.id1.fullName\", \"H\xc3\xa9l\xc3\xa8ne \\\"Lena\\\" Roy\");\n"
          "user_pref(\"mail.identity.id1.organization\", \"Gestion Roy\");\n"
          "user_pref(\"mail.identity.id1.smtpServer\", \"smtp1\");\n"
          "user_pref(\"mail.identity.id2.useremail\", \"perso@exemple.qc.ca\");\n"
          "user_pref(\"mail.smtp.defaultserver\", \"smtp2\");\n"
          "user_pref(\"mail.smtpserver.smtp1.hostname\", \"smtp.gestion.qc.ca\");\n"
          "user_pref(\"mail.smtpserver.smtp1.username\", \"hroy\");\n"
          "user_pref(\"mail.smtpserver.smtp2.hostname\", \"smtp.exemple.qc.ca\");\n");
    write(QStringLiteral(".config/evolution/sources/a1.source"),
          "[Data Source]\nDisplayName=Bureau\n\n[Mail Identity]\nAddress=bureau@gestion.qc.ca\nName=Other\n");
    write(QStringLiteral(".config/evolution/sources/b2.source"),
          "[Data Source]\nDisplayName=Maison\n\n[Mail Identity]\nAddress=maison@exemple.qc.ca\nName=Luc\nOrganization=Syndic\n\n"
          "[Mail Submission]\nTransportUid=t3\n");
    write(QStringLiteral(".config/evolution/sources/t3.source"),
          "[Data Source]\nDisplayName=Envoi\n\n[Mail Transport]\nBackendName=smtp\n\n[Authentication]\nHost=smtp.maison.ca\nUser=luc\n");
    const auto accounts = FindMailAccounts(home->path(), home->filePath(QStringLiteral(".config")));
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts[0].address, QStringLiteral("perso@exemple.qc.ca"));
    EXPECT_EQ(accounts[0].server, QStringLiteral("smtp.exemple.qc.ca"));
    EXPECT_EQ(accounts[1].address, QStringLiteral("bureau@gestion.qc.ca"));
    EXPECT_EQ(accounts[1].displayName, QStringLiteral("Hélène \"Lena\" Roy"));
    EXPECT_EQ(accounts[1].organization, QStringLiteral("Gestion Roy"));
    EXPECT_EQ(accounts[1].user, QStringLiteral("hroy"));
    EXPECT_EQ(accounts[2].address, QStringLiteral("maison@exemple.qc.ca"));
    EXPECT_EQ(accounts[2].server, QStringLiteral("smtp.maison.ca"));
    EXPECT_EQ(accounts[2].user, QStringLiteral("luc"));
}
