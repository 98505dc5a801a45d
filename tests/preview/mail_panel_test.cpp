// The preview's mail panel driven as a user would, sending to a real SMTP server on loopback:
// one message, one per run of pages with the same recipient, and every refusal with the panel
// left open as it was.

#include "preview/Preview.h"

#include "dbase/Database.h"
#include "dbase/Table.h"
#include "delivery/Archive.h"
#include "delivery/KelStream.h"
#include "preview/ArchivePanel.h"
#include "delivery/MailSender.h"
#include "preview/InternetSettingsForm.h"
#include "preview/MailPanel.h"
#include "ui/KelButton.h"
#include "ui/MessageBoxes.h"

#include "SmtpTestServer.h"

#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QTimer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

using namespace printout;
using preview::TFPrintPreview;
using preview::TMailPanel;

namespace {

std::unique_ptr<TPrintout> Pages(int count, const QString &title)
{
    auto p = std::make_unique<TPrintout>(nullptr, TPrinter::Virtual(), title);
    for (int i = 1; i <= count; ++i) {
        p->NewPage(1);
        p->Canvas()->SetFontHeight(40);
        p->Canvas()->TextOut(250, -400, QStringLiteral("Bail page %1").arg(i));
        p->EndPage();
    }
    return p;
}

class MailPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The settings file and the attachment files of this test stay in its own folders, and
        // no password reaches the user's secret store.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath(QStringLiteral("config")));
        m_here = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            m_boxes << box.text();
            return box.standardButtons() & QMessageBox::Yes ? m_answer : QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        ui::SetMessageBoxHook({});
        QDir::setCurrent(m_here);
    }
    void UseServer(int port)
    {
        delivery::TInternetSettings s;
        s.smtpServer = QStringLiteral("127.0.0.1");
        s.smtpPort = port;
        delivery::SaveInternetSettings(s);
    }
    // A preview of printout with the panel opened by its key, sender and To typed.
    std::unique_ptr<TFPrintPreview> Open(std::unique_ptr<TPrintout> printout, bool multiple, const QString &to)
    {
        auto w = std::make_unique<TFPrintPreview>(nullptr, std::move(printout));
        w->resize(1200, 900);
        w->show();
        QTest::keyClick(w.get(), Qt::Key_E, multiple ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        TMailPanel *panel = w->MailPanel();
        EXPECT_TRUE(panel->isVisible());
        panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca"));
        if (!multiple) {
            panel->ToBox()->setFocus();
            QTest::keyClicks(panel->ToBox(), to);
        }
        return w;
    }
    std::unique_ptr<QTemporaryDir> m_dir = testsupport::TempDir();
    QString m_here;
    QStringList m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};

// Pages of the printout file message n carried, decoded into a folder of its own.
int SavedPageCount(testsupport::TSmtpTestServer &server, int n, const QString &parent)
{
    const QString dir = parent + QStringLiteral("/received-%1").arg(n);
    QDir().mkpath(dir);
    const QJsonObject msg = server.Read(n, dir);
    const QString saved = msg.value(QStringLiteral("parts")).toArray().at(1).toObject().value(QStringLiteral("saved")).toString();
    return delivery::LoadPrintoutFile(saved)->PageCount();
}

} // namespace

TEST(MailPanelLayout, RecipientBoxesGrowWithTheirLines)
{
    const int heights[] = {21, 42, 63, 84, 84};
    for (int lines = 0; lines < 5; ++lines)
        EXPECT_EQ(TMailPanel::RecipientBoxHeight(lines), heights[lines]) << lines;
}

TEST_F(MailPanel, SingleModeSendsTheRangeOnceAndRefusalsKeepThePanel)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    UseServer(server.Port());
    auto w = Open(Pages(3, QStringLiteral("word / word")), false, QString());
    TMailPanel *panel = w->MailPanel();
    EXPECT_EQ(panel->SubjectEdit()->text(), QStringLiteral("word / word"));
    EXPECT_EQ(panel->AttachEdit()->text(), QStringLiteral("word  word ") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    EXPECT_TRUE(panel->FormatKrp()->isChecked());

    // Refusals: an empty To, bad ranges, a bad sender; each leaves the panel open.
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    panel->ToBox()->setPlainText(QStringLiteral("locataire@exemple.qc.ca"));
    panel->RangeFromTo()->setChecked(true);
    for (auto [from, to] : {std::pair{"3", "2"}, std::pair{"0", "2"}}) {
        panel->FromEdit()->setText(QLatin1String(from));
        panel->ToEdit()->setText(QLatin1String(to));
        QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    }
    panel->SenderBox()->setEditText(QStringLiteral("bureau@g.c"));
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    ASSERT_EQ(m_boxes.size(), 4) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(m_boxes[0].contains(QStringLiteral("obligatoire")));
    EXPECT_TRUE(m_boxes[1].contains(QStringLiteral("première page")));
    EXPECT_TRUE(m_boxes[2].contains(QStringLiteral("intervalle")));
    EXPECT_TRUE(m_boxes[3].contains(QStringLiteral("expéditeur")));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(server.MessageCount(), 0);

    panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca"));
    panel->FromEdit()->setText(QStringLiteral("2"));
    panel->ToEdit()->setText(QStringLiteral("3"));
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    EXPECT_EQ(m_boxes.size(), 4) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(panel->isVisible());
    ASSERT_EQ(server.MessageCount(), 1);
    EXPECT_EQ(SavedPageCount(server, 1, m_dir->path()), 2);
    EXPECT_EQ(delivery::DefaultSender(), QStringLiteral("bureau@gestion.qc.ca"));
    EXPECT_FALSE(QFileInfo::exists(m_dir->filePath(panel->AttachEdit()->text() + QStringLiteral(".krp"))))
        << QDir(m_dir->path()).entryList().join(QLatin1Char('|')).toStdString();
}

TEST_F(MailPanel, MultipleModeSendsOneMessagePerRecipientRun)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    UseServer(server.Port());
    auto printout = Pages(4, QStringLiteral("Baux"));
    printout->SetMailRecipients(1, 2, {}, {}, QStringLiteral("un@exemple.qc.ca"));
    printout->SetMailRecipients(3, 3, QStringLiteral("cache@exemple.qc.ca"), {}, QStringLiteral("deux@exemple.qc.ca"));
    printout->SetHasMailRecipients(true); // page 4 has no recipient
    auto w = Open(std::move(printout), true, QString());
    EXPECT_TRUE(w->Button("BtnSendMailMulti")->isEnabled());
    TMailPanel *panel = w->MailPanel();
    EXPECT_EQ(panel->ToBox()->toPlainText(), QStringLiteral("un@exemple.qc.ca"));

    // What is typed for a page stays with it as the pages change.
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_EQ(panel->BccBox()->toPlainText(), QStringLiteral("cache@exemple.qc.ca"));
    panel->CcBox()->setPlainText(QStringLiteral("copie@exemple.qc.ca"));
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_TRUE(panel->ToBox()->toPlainText().isEmpty());

    // Page 4 has no recipient: No stops at it, Yes skips it.
    m_answer = QMessageBox::No;
    QTest::keyClick(w.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    EXPECT_EQ(w->Current()->CurrentPage(), 4);
    EXPECT_EQ(server.MessageCount(), 0);
    m_answer = QMessageBox::Yes;
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    ASSERT_EQ(server.MessageCount(), 2) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(server.Envelope(1).value(QStringLiteral("rcpt")).toArray().size(), 1);
    EXPECT_EQ(SavedPageCount(server, 1, m_dir->path()), 2);
    const QJsonArray second = server.Envelope(2).value(QStringLiteral("rcpt")).toArray();
    EXPECT_EQ(second.size(), 3); // deux, copie, cache
    EXPECT_EQ(SavedPageCount(server, 2, m_dir->path()), 1);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(MailPanel, EachModeSendsWhatTheUserSeesAndNoFileOfTheUsersIsTouched)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    UseServer(server.Port());
    auto printout = Pages(3, QStringLiteral("Baux"));
    printout->SetMailRecipients(1, 2, {}, QStringLiteral("copie@exemple.org"), QStringLiteral("alice@exemple.org"));
    printout->SetMailRecipients(3, 3, QStringLiteral("cache@exemple.org"), {}, QStringLiteral("bob@exemple.org"));
    // A file of the user's named as the attachment will be.
    const QString mine = m_dir->filePath(delivery::DefaultAttachmentName(QStringLiteral("Baux"), QDate::currentDate()) + QStringLiteral(".krp"));
    {
        QFile f(mine);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }

    // Typed in single mode and cancelled: multiple mode shows the page's own recipients.
    auto w = Open(std::move(printout), false, QStringLiteral("inconnu@exemple.org"));
    TMailPanel *panel = w->MailPanel();
    QTest::mouseClick(panel->findChild<QAbstractButton *>(QStringLiteral("BtnMailCancel")), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(panel->isVisible());
    panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca"));
    EXPECT_EQ(panel->ToBox()->toPlainText(), QStringLiteral("alice@exemple.org"));
    EXPECT_EQ(panel->CcBox()->toPlainText(), QStringLiteral("copie@exemple.org"));

    // Page 3's Bcc emptied stays empty after leaving the page and coming back.
    QTest::keyClick(w.get(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(panel->BccBox()->toPlainText(), QStringLiteral("cache@exemple.org"));
    panel->BccBox()->setFocus();
    QTest::keyClick(panel->BccBox(), Qt::Key_End);
    QTest::keyClick(panel->BccBox(), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(panel->BccBox(), Qt::Key_Backspace);
    ASSERT_EQ(panel->BccBox()->toPlainText(), QString());
    QTest::keyClick(w.get(), Qt::Key_PageUp);
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_EQ(panel->BccBox()->toPlainText(), QString());

    // A sender that would end MAIL FROM is refused before anything is sent.
    panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca\r\nRSET"));
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    EXPECT_EQ(server.MessageCount(), 0);
    ASSERT_FALSE(m_boxes.isEmpty());
    EXPECT_TRUE(m_boxes.last().contains(QStringLiteral("caractère de contrôle"))) << m_boxes.last().toStdString();
    panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca"));

    // Pages 1 to 1: one message of one page, to alice and the copy only.
    QTest::mouseClick(panel->findChild<QRadioButton *>(QStringLiteral("RBFromTo")), Qt::LeftButton);
    for (const char *box : {"EdtFromPage", "EdtToPage"}) {
        auto *edit = panel->findChild<QLineEdit *>(QLatin1String(box));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1"));
    }
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    ASSERT_EQ(server.MessageCount(), 1) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(server.Envelope(1).value(QStringLiteral("rcpt")).toArray(),
              (QJsonArray{QStringLiteral("alice@exemple.org"), QStringLiteral("copie@exemple.org")}));
    EXPECT_EQ(SavedPageCount(server, 1, m_dir->path()), 1);

    // All pages: page 3 goes to bob alone, and no file it carries names a Bcc.
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    panel->SenderBox()->setEditText(QStringLiteral("bureau@gestion.qc.ca"));
    auto *all = panel->findChild<QRadioButton *>(QStringLiteral("RBAll"));
    QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(8, all->height() / 2)); // on its circle
    ASSERT_TRUE(all->isChecked());
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    ASSERT_EQ(server.MessageCount(), 3) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(server.Envelope(3).value(QStringLiteral("rcpt")).toArray(), QJsonArray{QStringLiteral("bob@exemple.org")});
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(server.Raw(n).contains("cache@exemple.org")) << n;
    QFile f(mine);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("mine"));
}

TEST_F(MailPanel, MultipleModeKeyDoesNothingWhileItsButtonIsDisabled)
{
    auto w = std::make_unique<TFPrintPreview>(nullptr, Pages(2, QStringLiteral("Baux")));
    w->show();
    ASSERT_FALSE(w->Button("BtnSendMailMulti")->isEnabled()); // no page has a recipient
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w->MailPanel()->isVisible());
    QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(w->MailPanel()->isVisible());
}

TEST_F(MailPanel, ServerDownShowsTheErrorAndKeepsEverythingTyped)
{
    UseServer(1);
    auto w = Open(Pages(1, QStringLiteral("Bail")), false, QStringLiteral("locataire@exemple.qc.ca"));
    TMailPanel *panel = w->MailPanel();
    QTest::mouseClick(panel->SendButton(), Qt::LeftButton);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].contains(QStringLiteral("courriel")));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_EQ(panel->ToBox()->toPlainText(), QStringLiteral("locataire@exemple.qc.ca"));
    EXPECT_TRUE(QDir(m_dir->path()).entryList({QStringLiteral("*.krp")}, QDir::Files).isEmpty());
}

TEST_F(MailPanel, SenderDefaultsAndTheSettingsDialogKeepThePasswordOutOfTheFile)
{
    TMailPanel panel(nullptr);
    panel.SetAccounts({});
    EXPECT_TRUE(panel.SenderBox()->currentText().isEmpty());
    panel.SetAccounts({{QStringLiteral("a@exemple.qc.ca"), QStringLiteral("Anne"), QStringLiteral("smtp.exemple.qc.ca"),
                        QStringLiteral("Gestion A"), QStringLiteral("anne")}});
    EXPECT_EQ(panel.SenderBox()->currentText(), QStringLiteral("a@exemple.qc.ca"));
    EXPECT_EQ(panel.SenderName()->text(), QStringLiteral("Anne (Gestion A)"));
    panel.SenderBox()->setEditText(QStringLiteral("autre@exemple.qc.ca"));
    EXPECT_TRUE(panel.SenderName()->text().isEmpty());
    delivery::SetDefaultSender(QStringLiteral("stocke@exemple.qc.ca"));
    panel.SetAccounts({});
    EXPECT_EQ(panel.SenderBox()->currentText(), QStringLiteral("stocke@exemple.qc.ca"));

    {
        // An empty file: the initial texts, then the account's server and user.
        preview::TInternetSettingsForm form(nullptr, true, QStringLiteral("smtp.exemple.qc.ca"), QStringLiteral("anne"));
        EXPECT_EQ(form.SmtpServer()->text(), QStringLiteral("smtp.exemple.qc.ca"));
        EXPECT_EQ(form.SmtpPort()->text(), QStringLiteral("25"));
        EXPECT_EQ(form.SmtpUser()->text(), QStringLiteral("anne"));
        form.SmtpPort()->setText(QStringLiteral("x"));
        form.ProxyPort()->setText(QStringLiteral(" 8080 "));
        form.SmtpPassword()->setText(QStringLiteral("motdepasse-secret"));
        form.Save();
    }
    const delivery::TInternetSettings saved = delivery::LoadInternetSettings();
    EXPECT_EQ(saved.smtpServer, QStringLiteral("smtp.exemple.qc.ca"));
    EXPECT_EQ(saved.smtpPort, 25);
    EXPECT_EQ(saved.proxyPort, 8080);
    EXPECT_EQ(delivery::MailPassword(saved.smtpServer, saved.smtpUser), QStringLiteral("motdepasse-secret"));
    QFile file(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Logiciels Kelvora"), QStringLiteral("leaseform")).fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("[Internet]"));
    EXPECT_FALSE(text.contains("motdepasse"));
}

TEST_F(MailPanel, SettingsDialogOkSavesBeforeItClosesAndCancelWritesNothing)
{
    for (const bool ok : {false, true}) {
        preview::TInternetSettingsForm form(nullptr, false);
        EXPECT_EQ(form.CancelButton()->text(), QStringLiteral("Cancel"));
        form.show();
        form.SmtpServer()->setText(QStringLiteral("smtp.ailleurs.qc.ca"));
        QTest::mouseClick(ok ? form.OkButton() : form.CancelButton(), Qt::LeftButton);
        EXPECT_FALSE(form.isVisible()) << ok;
        EXPECT_EQ(form.result(), ok ? ui::mrOk : ui::mrCancel);
        EXPECT_EQ(delivery::LoadInternetSettings().smtpServer, ok ? QStringLiteral("smtp.ailleurs.qc.ca") : QString());
    }
}

TEST_F(MailPanel, PasswordIsAskedWhenTheServerWantsALoginAndKeptOnlyForTheRun)
{
    REQUIRE_SMTP_SERVER();
    QString cert, key;
    if (!testsupport::MakeTestCertificate(m_dir->path(), &cert, &key))
        GTEST_SKIP() << "openssl is not installed";
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start({QStringLiteral("--tls"), cert, key, QStringLiteral("--auth"), QStringLiteral("bureau"),
                              QStringLiteral("s3cret")}));
    const QByteArray oldCa = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", cert.toLocal8Bit());
    delivery::TInternetSettings s;
    s.smtpServer = QStringLiteral("127.0.0.1");
    s.smtpPort = server.Port();
    s.smtpUser = QStringLiteral("bureau");
    delivery::SaveInternetSettings(s);
    int asked = 0;
    TMailPanel::SetPasswordHook([&](bool &ok) {
        ++asked;
        ok = true;
        return QStringLiteral("s3cret");
    });
    auto w = Open(Pages(1, QStringLiteral("Bail")), false, QStringLiteral("locataire@exemple.qc.ca"));
    QTest::mouseClick(w->MailPanel()->SendButton(), Qt::LeftButton);
    TMailPanel::SetPasswordHook({});
    if (oldCa.isNull())
        qunsetenv("SSL_CERT_FILE");
    else
        qputenv("SSL_CERT_FILE", oldCa);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(server.MessageCount(), 1);
    EXPECT_TRUE(server.Envelope(1).value(QStringLiteral("tls")).toBool());
    EXPECT_TRUE(server.Envelope(1).value(QStringLiteral("auth")).toBool());
    QFile file(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Logiciels Kelvora"), QStringLiteral("leaseform")).fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("s3cret"));
}

TEST_F(MailPanel, OtherFilesGoToTheCurrentPageOrToEveryPageAsAnswered)
{
    const QString a = m_dir->filePath(QStringLiteral("a.txt")), b = m_dir->filePath(QStringLiteral("b.txt"));
    for (const QString &f : {a, b}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto printout = Pages(3, QStringLiteral("Baux"));
    printout->SetMailRecipients(1, 3, {}, {}, QStringLiteral("un@exemple.qc.ca"));
    printout->SetHasMailRecipients(true);
    auto w = Open(std::move(printout), true, QString());
    TMailPanel *panel = w->MailPanel();
    QStringList chosen{a, m_dir->filePath(QStringLiteral("missing.txt"))};
    TMailPanel::SetFileDialogHook([&] { return chosen; });
    m_answer = QMessageBox::No;
    QTest::mouseClick(panel->findChild<QAbstractButton *>(QStringLiteral("BtnAddFile")), Qt::LeftButton);
    chosen = {b};
    m_answer = QMessageBox::Yes;
    QTest::mouseClick(panel->findChild<QAbstractButton *>(QStringLiteral("BtnAddFile")), Qt::LeftButton);
    TMailPanel::SetFileDialogHook({});
    TPrintout *p = w->Current();
    EXPECT_EQ(p->Page(0).Attachments(), (QStringList{a, b}));
    EXPECT_EQ(p->Page(1).Attachments(), (QStringList{b}));
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_EQ(panel->OtherFiles()->count(), 1);

    // Removing for the current recipient only leaves the other pages' lists alone.
    panel->OtherFiles()->item(0)->setSelected(true);
    m_answer = QMessageBox::No;
    QTest::mouseClick(panel->findChild<QAbstractButton *>(QStringLiteral("BtnRemoveFile")), Qt::LeftButton);
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_TRUE(p->Page(1).Attachments().isEmpty());
    EXPECT_EQ(p->Page(2).Attachments(), (QStringList{b}));
}

namespace {

TEST_F(MailPanel, AnUnknownHostIsAskedForAgainAndTheMessageGoesThere)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    delivery::TInternetSettings s;
    s.smtpServer = QStringLiteral("no-such-host.invalid");
    s.smtpPort = server.Port();
    delivery::SaveInternetSettings(s);
    auto w = Open(Pages(1, QStringLiteral("Bail")), false, QStringLiteral("locataire@exemple.qc.ca"));
    // The question for another host is answered with the server that runs.
    QString asked;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
            asked = dialog->labelText();
            dialog->setTextValue(QStringLiteral("127.0.0.1"));
            dialog->accept();
        }
    });
    answer.start(20);
    QTest::mouseClick(w->MailPanel()->SendButton(), Qt::LeftButton);
    answer.stop();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(server.MessageCount(), 1);
    EXPECT_FALSE(w->MailPanel()->isVisible());
}

} // namespace

namespace {

TEST_F(MailPanel, MultipleArchivingStoresEachLinkRunOfThePagesSent)
{
    REQUIRE_SMTP_SERVER();
    testsupport::TSmtpTestServer server;
    ASSERT_TRUE(server.Start());
    UseServer(server.Port());
    const QString archive = m_dir->filePath(QStringLiteral("archive"));
    delivery::MakeArchiveTables(archive);
    dbase::Session::Instance().DefineDatabase(QLatin1String(delivery::kArchiveDatabase), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + archive});
    auto printout = Pages(3, QStringLiteral("Baux"));
    printout->SetMailRecipients(1, 2, {}, {}, QStringLiteral("un@exemple.qc.ca"));
    printout->SetMailRecipients(3, 3, {}, {}, QStringLiteral("deux@exemple.qc.ca"));
    printout->SetArchiveLink(1, 2, QStringLiteral(" 1 1BAIL      12"));
    printout->SetArchiveLink(3, 3, QStringLiteral(" 1 1BAIL      13"));
    auto w = Open(std::move(printout), true, QString());
    w->ShowArchivePanel(); // its multiple archiving box shows ticked
    w->ArchivePanel()->DescriptionEdit()->clear();
    QTest::mouseClick(w->MailPanel()->SendButton(), Qt::LeftButton);
    ASSERT_EQ(server.MessageCount(), 2) << m_boxes.join(QLatin1Char('|')).toStdString();
    dbase::Table rows(QDir(archive).filePath(QLatin1String(delivery::kArchiveTable)), dbase::Table::Mode::ReadOnly);
    ASSERT_EQ(rows.RecordCount(), 2u);
    dbase::Record r;
    ASSERT_TRUE(rows.ReadRecord(1, r));
    EXPECT_EQ(r.AsString(QStringLiteral("DESC")), QStringLiteral("Baux")); // the title for an empty description
}

} // namespace
