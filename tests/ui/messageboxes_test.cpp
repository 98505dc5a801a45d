#include "ui/MessageBoxes.h"

#include "dataset/Common.h"

#include "UiTestUtil.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace ui;

namespace {

// What a box looked like when it was about to be shown.
struct TSeenBox {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool topmost = false;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::App();
        SetMessageBoxHook([this](QMessageBox &box) {
            TSeenBox seen;
            seen.caption = box.windowTitle();
            seen.text = box.text();
            seen.icon = box.icon();
            seen.buttons = box.standardButtons();
            seen.defaultButton = box.standardButton(box.defaultButton());
            seen.topmost = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            m_seen.push_back(seen);
            return m_answer;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        InstallMessageTable(nullptr);
        SetMessageLanguage(0);
        dataset::SetWorkingLanguage(QLatin1Char('F'));
    }
    const TSeenBox &Last() const { return m_seen.back(); }

    std::vector<TSeenBox> m_seen;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};

} // namespace

TEST_F(MessageBoxTest, AskKeepChangesInBothLanguages)
{
    m_answer = QMessageBox::Cancel;
    EXPECT_EQ(AskKeepChanges(), QMessageBox::Cancel);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(Last().caption, QStringLiteral("Attention"));
    EXPECT_EQ(Last().text, QStringLiteral("Désirez-vous conserver les modifications ?"));
    EXPECT_EQ(Last().icon, QMessageBox::Question);
    EXPECT_EQ(Last().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(Last().defaultButton, QMessageBox::No);
    EXPECT_TRUE(Last().topmost);

    m_answer = QMessageBox::Yes;
    dataset::SetWorkingLanguage(QLatin1Char('A'));
    EXPECT_EQ(AskKeepChanges(), QMessageBox::Yes);
    EXPECT_EQ(Last().caption, QStringLiteral("Attention"));
    EXPECT_EQ(Last().text, QStringLiteral("Do you want to keep the changes ?"));
    // Anything but 'F' is English.
    dataset::SetWorkingLanguage(QLatin1Char('f'));
    AskKeepChanges();
    EXPECT_EQ(Last().text, QStringLiteral("Do you want to keep the changes ?"));
}

TEST_F(MessageBoxTest, AskDeleteRecordInBothLanguages)
{
    m_answer = QMessageBox::No;
    EXPECT_EQ(AskDeleteRecord(), QMessageBox::No);
    EXPECT_EQ(Last().caption, QStringLiteral("Attention"));
    EXPECT_EQ(Last().text, QStringLiteral("Désirez-vous détruire cet enregistrement ?"));
    EXPECT_EQ(Last().icon, QMessageBox::Question);
    EXPECT_EQ(Last().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Last().defaultButton, QMessageBox::No);
    EXPECT_TRUE(Last().topmost);

    dataset::SetWorkingLanguage(QLatin1Char('A'));
    AskDeleteRecord();
    EXPECT_EQ(Last().text, QStringLiteral("Do you want to delete this record ?"));
}

TEST_F(MessageBoxTest, LibraryBoxesShowKeysWhenNoTableIsInstalled)
{
    ErrorBox(QStringLiteral("erreur sur l'énumération des objets."));
    EXPECT_EQ(Last().caption, QStringLiteral("@IDS_ERROR"));
    EXPECT_EQ(Last().text, QStringLiteral("Erreur sur l'énumération des objets."));
    EXPECT_EQ(Last().icon, QMessageBox::Critical);
    EXPECT_EQ(Last().buttons, QMessageBox::Ok);
    EXPECT_TRUE(Last().topmost);

    WarningBox(QStringLiteral("«x» non trouvé"));
    EXPECT_EQ(Last().caption, QStringLiteral("@IDS_WARNING"));
    EXPECT_EQ(Last().text, QStringLiteral("«x» non trouvé"));
    EXPECT_EQ(Last().icon, QMessageBox::Warning);
    EXPECT_EQ(Last().buttons, QMessageBox::Ok);
    EXPECT_TRUE(Last().topmost);

    m_answer = QMessageBox::No;
    EXPECT_EQ(QuestionBox(QStringLiteral("archiver ?")), QMessageBox::No);
    EXPECT_EQ(Last().caption, QStringLiteral("@IDS_ATTENTION"));
    EXPECT_EQ(Last().text, QStringLiteral("Archiver ?"));
    EXPECT_EQ(Last().icon, QMessageBox::Question);
    EXPECT_EQ(Last().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Last().defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(Last().topmost);

    // A message that is itself a key is shown as the key when it cannot be resolved.
    ErrorBox(QStringLiteral("@IDS_SEND_MAIL_ERROR"));
    EXPECT_EQ(Last().text, QStringLiteral("@IDS_SEND_MAIL_ERROR"));
}

TEST_F(MessageBoxTest, InstalledTableResolvesKeysWithoutRegardToCase)
{
    InstallMessageTable(std::make_shared<TMessageTable>(QStringList{
        QStringLiteral("@IDS_ERROR"), QStringLiteral("Erreur"), QStringLiteral("Error"),
        QStringLiteral("@ids_send_mail_error"), QStringLiteral("échec de l'envoi"),
        QStringLiteral("sending failed"),
        QStringLiteral("@IDS_ERROR"), QStringLiteral("doublon"), QStringLiteral("duplicate"),
        QStringLiteral("@IDS_INCOMPLETE"), QStringLiteral("seul")}));

    ErrorBox(QStringLiteral("@IDS_Send_Mail_Error"));
    EXPECT_EQ(Last().caption, QStringLiteral("Erreur"));
    EXPECT_EQ(Last().text, QStringLiteral("Échec de l'envoi"));

    SetMessageLanguage(1);
    ErrorBox(QStringLiteral("@IDS_SEND_MAIL_ERROR"));
    EXPECT_EQ(Last().caption, QStringLiteral("Error"));
    EXPECT_EQ(Last().text, QStringLiteral("Sending failed"));

    // Absent keys, the incomplete last row and plain texts pass through.
    EXPECT_EQ(MessageText(QStringLiteral("@IDS_WARNING")), QStringLiteral("@IDS_WARNING"));
    EXPECT_EQ(MessageText(QStringLiteral("@IDS_INCOMPLETE")), QStringLiteral("@IDS_INCOMPLETE"));
    EXPECT_EQ(MessageText(QStringLiteral("ERROR")), QStringLiteral("ERROR"));
}

TEST_F(MessageBoxTest, CarriageReturnsBecomeLineBreaks)
{
    ShowMessageBox(QMessageBox::Critical, QStringLiteral("Attention"),
                   QStringLiteral("Fichier introuvable :\rBailstd.dbf\r\nfin"), QMessageBox::Ok,
                   QMessageBox::Ok);
    EXPECT_EQ(Last().text, QStringLiteral("Fichier introuvable :\nBailstd.dbf\nfin"));
    WarningBox(QStringLiteral("un\rdeux"));
    EXPECT_EQ(Last().text, QStringLiteral("Un\ndeux"));
}

// Without the hook the box really runs modally and answers with the button the user chose.
TEST(MessageBoxRun, KeyboardAnswersAShownBox)
{
    uitest::App();
    // Polls until the box is up, so the key cannot be sent before exec has shown it.
    QTimer poll;
    Qt::Key key = Qt::Key_unknown;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            poll.stop();
            QTest::keyClick(box, key);
        }
    });
    auto pressWhenShown = [&](Qt::Key k) {
        key = k;
        poll.start(5);
    };
    // Enter takes the default button: No, never the destructive answer.
    pressWhenShown(Qt::Key_Return);
    EXPECT_EQ(AskDeleteRecord(), QMessageBox::No);
    pressWhenShown(Qt::Key_Escape);
    EXPECT_EQ(AskKeepChanges(), QMessageBox::Cancel);
    pressWhenShown(Qt::Key_Return);
    EXPECT_EQ(QuestionBox(QStringLiteral("encore ?")), QMessageBox::Yes);
}
