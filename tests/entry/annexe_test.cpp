#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Settings.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBRadioGroup.h"
#include "db/AnnexRows.h"
#include "db/LeaseRules.h"
#include "entry/Annexe.h"
#include "entry/Bailstd.h"
#include "ui/KelButton.h"
#include "ui/MLBase.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace entry;
using dataset::TTable;
using entrytest::TDataFolder;

namespace {

QString Money(double v)
{
    return QLocale::system().toCurrencyString(v);
}

// An elderly lease window with a new Annex row, and the Annex window shown over it, as
// the lease window's Annex button leaves them.
struct TAnnexWindow {
    TAnnexWindow()
        : lease(nullptr, true)
    {
        lease.AnnexeTable().Insert();
        form = new TAnnexeForm(&lease, lease.AnnexeTable());
        lease.ResetAnnexFields(form);
        form->show();
        QApplication::setActiveWindow(form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
    }
    ~TAnnexWindow()
    {
        delete form;
        lease.AnnexeTable().Cancel();
    }
    template <class T = QWidget>
    T *Find(const QString &name)
    {
        T *w = form->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QWidget *Reveal(QWidget *w)
    {
        for (int p = 0; p < TAnnexeForm::kPageCount; ++p)
            if (form->PageArea(p)->isAncestorOf(w)) {
                form->Pages()->setCurrentIndex(p);
                form->PageArea(p)->ensureWidgetVisible(w);
            }
        QCoreApplication::processEvents();
        return w;
    }
    void Type(const char *name, const QString &text)
    {
        auto *e = Find<QLineEdit>(QLatin1String(name));
        Reveal(e);
        e->setFocus();
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            QTest::keyClicks(e, text);
        Reveal(Find(QStringLiteral("E_Terme")))->setFocus(); // leaving the field commits it
        QCoreApplication::processEvents();
    }
    QString Shown(const char *name) { return Find<QLineEdit>(QLatin1String(name))->text(); }

    TBailStdForm lease;
    TAnnexeForm *form = nullptr;
};

class AnnexeTest : public ::testing::Test {
protected:
    void SetUp() override { French(); }
    void TearDown() override { French(); }
    static void French()
    {
        dataset::SetWorkingLanguage(QLatin1Char('F'));
        db::InitSettings();
        ui::TBaseMultiLang::SetAllLanguages(0);
    }
    static void English()
    {
        dataset::SetWorkingLanguage(QLatin1Char('A'));
        db::SetWorkingLanguage(QStringLiteral("A"));
        ui::TBaseMultiLang::SetAllLanguages(1);
    }
};

} // namespace

TEST_F(AnnexeTest, LeaseWindowTotalsAddTheAmountsAndTheRent)
{
    TDataFolder folder;
    TBailStdForm lease(nullptr, true);
    TTable &annex = lease.AnnexeTable();
    auto field = [&](const char *name) { return annex.FieldByName(QLatin1String(name)); };
    annex.Insert();
    field("ALI_DEJ_2")->SetText(QStringLiteral("100"));
    field("CABLO_2")->SetText(QStringLiteral("25.50"));
    field("MNTBAIL")->SetText(QStringLiteral("800"));
    EXPECT_EQ(field("TotalColonne1")->DisplayText(), Money(125.5));
    EXPECT_EQ(field("TotalColonne2")->DisplayText(), Money(125.5));
    EXPECT_EQ(field("TotalBail")->DisplayText(), Money(925.5));
    field("CABLO_2")->SetText(QString());
    EXPECT_EQ(field("TotalColonne1")->DisplayText(), Money(100));
    EXPECT_EQ(field("TotalBail")->DisplayText(), Money(900));
    annex.Cancel();
}

TEST_F(AnnexeTest, TypedAmountsAndRentGiveTheTotalsShownOnPageEight)
{
    TDataFolder folder;
    TAnnexWindow w;
    w.Type("E_Ali_Dej_2", QStringLiteral("100"));
    w.Type("E_Cablo_2", QStringLiteral("25") + QLocale().decimalPoint() + QStringLiteral("50"));
    w.Type("E_MntBail", QStringLiteral("800"));
    EXPECT_EQ(w.Shown("E_TotalColonne1"), Money(125.5));
    EXPECT_EQ(w.Shown("E_TotalColonne2"), Money(125.5));
    EXPECT_EQ(w.Shown("E_TotalBail"), Money(925.5));
    EXPECT_EQ(w.Shown("E_Cablo_2"), QStringLiteral("25") + QLocale().decimalPoint() + QStringLiteral("50"));
    w.Type("E_Cablo_2", QString());
    EXPECT_EQ(w.Shown("E_TotalColonne2"), Money(100));
    EXPECT_EQ(w.Shown("E_TotalBail"), Money(900));
    // 'e' would make a number of another size; only the transport amount takes keys as typed.
    w.Type("E_Ali_Din_2", QStringLiteral("1e2"));
    EXPECT_EQ(w.Shown("E_Ali_Din_2"), QStringLiteral("12") + QLocale().decimalPoint() + QStringLiteral("00"));
    // At most nine characters, on every amount.
    w.Type("E_Tra_2", QStringLiteral("12345") + QLocale().decimalPoint() + QStringLiteral("678901"));
    EXPECT_DOUBLE_EQ(w.lease.AnnexeTable().FieldByName(QStringLiteral("TRA_2"))->AsFloat(), 12345.68);
    w.Type("E_LAV_NBLAV", QStringLiteral("123"));
    EXPECT_EQ(w.lease.AnnexeTable().FieldByName(QStringLiteral("LAV_NBLAV"))->AsInteger(), 12);
}

TEST_F(AnnexeTest, NewAnnexOpensUntickedOnPageOneWithEveryRowControl)
{
    TDataFolder folder;
    TAnnexWindow w;
    ASSERT_EQ(w.form->Pages()->count(), TAnnexeForm::kPageCount);
    for (int p = 0; p < TAnnexeForm::kPageCount; ++p)
        EXPECT_EQ(w.form->Pages()->tabText(p), QStringLiteral("Page %1").arg(p + 1));
    EXPECT_EQ(w.form->Pages()->currentIndex(), 0);
    EXPECT_EQ(w.Find(QStringLiteral("E_Nobail"))->focusPolicy(), Qt::NoFocus);
    ASSERT_NE(w.Find<ui::TKelButton>(QStringLiteral("Pb_Retour")), nullptr);

    const auto boxes = w.form->findChildren<dataset::TDBCheckBox *>();
    int logicals = -4; // less the four yes/no answers
    for (int i = 0; i < w.lease.AnnexeTable().FieldCount(); ++i)
        logicals += w.lease.AnnexeTable().Fields(i)->DataType() == dataset::TFieldType::Boolean;
    EXPECT_EQ(boxes.size(), logicals);
    for (dataset::TDBCheckBox *b : boxes) {
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
        EXPECT_EQ(b->size(), QSize(15, 15)) << b->objectName().toStdString();
        EXPECT_FALSE(b->Field()->IsNull()) << b->objectName().toStdString();
    }
    for (const char *group : {"RG_Med_Conser", "RG_INV_REPAS", "RG_CREDIT", "RG_Renseignem"})
        EXPECT_EQ(w.Find<dataset::TDBRadioGroup>(QLatin1String(group))->ItemIndex(), -1) << group;
    for (const db::TAnnexRow &row : db::AnnexRows())
        if (row.columns & db::kCol2) {
            w.Find(row.ControlName(2));
        }
    for (const char *name : {"ChB_Lav_1", "E_Int_Aut1_2", "ChB_INF_AUT1_3", "ChB_LOG_APP", "E_ACC_NBSEM"})
        w.Find(QLatin1String(name));
    // The column heads open every page of the list of services.
    int heads = 0;
    for (QLabel *l : w.form->findChildren<QLabel *>())
        heads += l->text().startsWith(QLatin1String("Cocher si inclus"));
    EXPECT_EQ(heads, 7);
}

TEST_F(AnnexeTest, EnglishWindowHasItsOwnTitleButtonAnswersHintsAndCaptions)
{
    TDataFolder folder;
    English();
    TAnnexWindow w;
    EXPECT_EQ(w.form->windowTitle(), QLatin1String("Schedule to the lease"));
    EXPECT_EQ(w.Find<ui::TKelButton>(QStringLiteral("Pb_Retour"))->text(), QLatin1String("&Return to the lease"));
    EXPECT_EQ(w.Find<QLabel>(QStringLiteral("Lb_Titre"))->font().pointSize(), 24);
    EXPECT_EQ(w.Find<QLabel>(QStringLiteral("Lb_Titre"))->text(), QLatin1String("SCHEDULE TO THE LEASE"));
    auto *credit = w.Find<dataset::TDBRadioGroup>(QStringLiteral("RG_CREDIT"));
    EXPECT_EQ(credit->Items(), QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(w.Find(QStringLiteral("ChB_Med_1"))->toolTip(), QLatin1String("Included in the rent"));
    EXPECT_EQ(w.Find(QStringLiteral("E_Med_2"))->toolTip(), QLatin1String("Additional rent"));
    EXPECT_EQ(w.Find(QStringLiteral("ChB_Med_3"))->toolTip(), QLatin1String("Each time used"));
    int french = 0;
    for (QLabel *l : w.form->findChildren<QLabel *>())
        french += l->text().contains(QLatin1String("Cocher")) || l->text().contains(QLatin1String("loyer"));
    EXPECT_EQ(french, 0);

    // The preamble follows the working language when it is painted again.
    QWidget *preamble = w.Find(QStringLiteral("PWC"));
    const QImage english = preamble->grab().toImage();
    dataset::SetWorkingLanguage(QLatin1Char('F'));
    EXPECT_NE(preamble->grab().toImage(), english);
}

TEST_F(AnnexeTest, ClosingTheWindowKeepsWhatWasTypedInTheUnsavedRow)
{
    TDataFolder folder;
    TAnnexWindow w;
    auto *terme = w.Find<QLineEdit>(QStringLiteral("E_Terme"));
    w.Reveal(terme)->setFocus();
    QTest::keyClicks(terme, QStringLiteral("mois"));
    w.form->close(); // the close box, without leaving the field first
    EXPECT_EQ(w.lease.AnnexeTable().State(), dataset::TDataSetState::Insert);
    EXPECT_EQ(w.lease.AnnexeTable().FieldByName(QStringLiteral("TERME"))->AsString().trimmed(), QLatin1String("mois"));
}

// E_Tra_2 takes keys as typed: a text that is no number is refused when it is committed, with
// the engine's conversion message, and the window stays open on it.
TEST_F(AnnexeTest, AmountThatIsNoNumberIsRefusedWhenCommitted)
{
    TDataFolder folder;
    TAnnexWindow w;
    QStringList messages;
    dataset::SetEventExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const db::EConvertError &err) {
            messages << err.Message();
        } catch (const std::exception &err) {
            messages << QString::fromUtf8(err.what());
        }
    });
    w.Type("E_Tra_2", QStringLiteral("12a"));
    QTest::mouseClick(w.Find<ui::TKelButton>(QStringLiteral("Pb_Retour")), Qt::LeftButton);
    dataset::SetEventExceptionHandler({});
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.first().contains(QLatin1String("12a"))) << messages.first().toStdString();
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_TRUE(w.lease.AnnexeTable().FieldByName(QStringLiteral("TRA_2"))->IsNull());

    // Corrected, the button writes it and closes with OK.
    w.Type("E_Tra_2", QStringLiteral("12"));
    QTest::mouseClick(w.Find<ui::TKelButton>(QStringLiteral("Pb_Retour")), Qt::LeftButton);
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_EQ(w.form->result(), QDialog::Accepted);
    EXPECT_EQ(w.lease.AnnexeTable().FieldByName(QStringLiteral("TRA_2"))->AsFloat(), 12);
}
