#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "entry/Inputmnt.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>

using entry::TInputMntDlg;
using entrytest::TBoxAnswers;

namespace {

// A shown dialog with the focus in its amount, ready for typing.
class AmountDialog : public ::testing::Test {
protected:
    void Open(double amount)
    {
        m_dlg.SetAmount(amount);
        m_dlg.show();
        m_dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
    }
    void Retype(const QString &text)
    {
        QLineEdit *e = m_dlg.AmountEdit();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    TInputMntDlg m_dlg;
};

} // namespace

TEST_F(AmountDialog, ShowsTwoDecimalsAndTypesTheSystemSeparator)
{
    const QString sep = QLocale::system().decimalPoint();
    Open(0);
    EXPECT_EQ(m_dlg.AmountEdit()->text(), QStringLiteral("0") + sep + QStringLiteral("00"));
    Retype(QStringLiteral("725,5"));
    EXPECT_EQ(m_dlg.AmountEdit()->text(), QStringLiteral("725") + sep + QStringLiteral("5"));
    QTest::keyClicks(m_dlg.AmountEdit(), QStringLiteral(".,"));
    // A second separator is refused.
    EXPECT_EQ(m_dlg.AmountEdit()->text(), QStringLiteral("725") + sep + QStringLiteral("5"));
    TBoxAnswers boxes;
    QTest::mouseClick(m_dlg.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(m_dlg.Amount(), 725.5);
}

TEST_F(AmountDialog, NegativeAmountsAreAccepted)
{
    Open(650);
    EXPECT_EQ(m_dlg.AmountEdit()->text(), QStringLiteral("650") + QLocale::system().decimalPoint() + QStringLiteral("00"));
    Retype(QStringLiteral("-40"));
    QTest::mouseClick(m_dlg.OkButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(m_dlg.Amount(), -40);
}

TEST_F(AmountDialog, TextThatIsNoNumberKeepsTheDialogOpenUntilCancelled)
{
    Open(650);
    Retype(QStringLiteral("abc"));
    {
        TBoxAnswers boxes({QMessageBox::Ok});
        QTest::mouseClick(m_dlg.OkButton(), Qt::LeftButton);
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Valeur invalide, veuillez entrer\nune valeur numérique"));
        EXPECT_EQ(boxes.Captions()[0], QLatin1String("Attention"));
        EXPECT_TRUE(m_dlg.isVisible());
        EXPECT_EQ(m_dlg.AmountEdit()->text(), QLatin1String("abc"));
    }
    // Cancel, by its button or by Escape in the field, closes without a message.
    for (const bool escape : {false, true}) {
        if (escape) {
            Open(650);
            Retype(QStringLiteral("abc"));
        }
        TBoxAnswers none;
        if (escape)
            QTest::keyClick(m_dlg.AmountEdit(), Qt::Key_Escape);
        else
            QTest::mouseClick(m_dlg.CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(none.Texts().empty()) << escape;
        EXPECT_FALSE(m_dlg.isVisible()) << escape;
        EXPECT_EQ(m_dlg.result(), ui::mrCancel) << escape;
        EXPECT_DOUBLE_EQ(m_dlg.Amount(), 650) << escape;
    }
}

TEST_F(AmountDialog, AmountsOverNineCharactersAreFlaggedOnLeavingTheField)
{
    Open(1234567.5);
    EXPECT_EQ(m_dlg.AmountEdit()->text().size(), 10);
    TBoxAnswers boxes({QMessageBox::Ok});
    m_dlg.OkButton()->setFocus();
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Le maximum autorisé est 999999.99"));
}

TEST_F(AmountDialog, AtMostNineCharactersAreTyped)
{
    Open(0);
    // Every key past the ninth is refused, not one in two.
    Retype(QStringLiteral("12345678901234567"));
    EXPECT_EQ(m_dlg.AmountEdit()->text(), QStringLiteral("123456789"));
    // A longer amount the dialog opened with may still be shortened and corrected.
    Open(1234567.5);
    QLineEdit *e = m_dlg.AmountEdit();
    const QString opened = e->text();
    e->end(false);
    QTest::keyClicks(e, QStringLiteral("9"));
    EXPECT_EQ(e->text(), opened);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), opened.left(opened.size() - 1));
}

TEST_F(AmountDialog, EnterInTheFieldConfirms)
{
    Open(0);
    Retype(QStringLiteral("12,5"));
    TBoxAnswers boxes;
    QTest::keyClick(m_dlg.AmountEdit(), Qt::Key_Return);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_FALSE(m_dlg.isVisible());
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(m_dlg.Amount(), 12.5);
}

// The stock buttons keep the dialog's own captions in both languages.
TEST(AmountDialogCaptions, ButtonsFollowTheWorkingLanguage)
{
    const struct {
        char language;
        const char *title, *ok, *cancel;
    } cases[] = {
        {'F', "Confirmation du montant de loyer", "&Ok", "&Annuler"},
        {'A', "Rent amount confirmation", "&Ok", "&Cancel"},
    };
    for (const auto &c : cases) {
        dataset::SetWorkingLanguage(QLatin1Char(c.language));
        TInputMntDlg dlg;
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(dlg.OkButton()->text(), QLatin1String(c.ok)) << c.language;
        EXPECT_EQ(dlg.CancelButton()->text(), QLatin1String(c.cancel)) << c.language;
    }
    dataset::SetWorkingLanguage(QLatin1Char('F'));
}
