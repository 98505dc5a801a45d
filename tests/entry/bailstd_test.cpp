#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "dataset/MonthList.h"
#include "dataset/Table.h"
#include "db/BailKey.h"
#include "db/LeaseRules.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"
#include "entry/Annexe.h"
#include "entry/Bailstd.h"
#include "entry/Inputmnt.h"
#include "entry/Locateur.h"
#include "entry/Pickloc.h"
#include "ui/Accessibility.h"
#include "ui/KelButton.h"
#include "ui/MLBase.h"
#include "ui/ToolbarHost.h"

#include <QApplication>
#include <sys/wait.h>
#include <unistd.h>
#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using dataset::TDataSetState;
using dataset::TNavigateBtn;
using dataset::TTable;
using entry::TBailStdForm;
using entrytest::TBoxAnswers;
using entrytest::TDataFolder;

#include "LeaseWindowTestUtil.h"

using namespace leasetest;

namespace {

TEST_F(BailStdTest, NewLeaseHasTheYearDefaultsAndTheProposedNumber)
{
    TDataFolder folder;
    SetConfig(true, 41);
    AddLease(db::TLeaseKind::NN, QStringLiteral("42"));
    AddLease(db::TLeaseKind::ON, QStringLiteral("43"));
    TWindow w(false);
    w.host.Click(TNavigateBtn::Insert);
    ASSERT_EQ(w.Lease().State(), TDataSetState::Insert);
    EXPECT_TRUE(w.form->NewLease());
    EXPECT_FALSE(w.host.commandsEnabled);
    EXPECT_EQ(w.Find<QLineEdit>("E_BailStdNobail")->text().trimmed(), QLatin1String("44"));
    EXPECT_FALSE(w.Find("E_BailStdNobail")->isEnabled());
    const int year = QDate::currentDate().year();
    EXPECT_EQ(Str(w.Lease(), "C_DEBUT"), QStringLiteral("%1/07/01").arg(year));
    EXPECT_EQ(Str(w.Lease(), "C_FIN"), QStringLiteral("%1/06/30").arg(year + 1));
    // The split dates show the defaults, page 1 is in front.
    EXPECT_EQ(w.Find<QLineEdit>("ME_J_C_Debut")->text().trimmed(), QLatin1String("01"));
    EXPECT_EQ(w.Find<dataset::TMonthComboBox>("CB_M_C_Debut")->currentText(), QLatin1String("juillet"));
    EXPECT_EQ(w.Find<QLineEdit>("ME_A_C_Fin")->text().trimmed(), QString::number(year + 1));
    EXPECT_EQ(w.Find<dataset::TMonthComboBox>("CB_M_D_DateTout")->Month(), 7);
    EXPECT_EQ(w.form->Pages()->currentIndex(), 0);
    EXPECT_TRUE(w.Find<QCheckBox>("ChB_D_Mois1")->isChecked());
    EXPECT_TRUE(w.Find<QCheckBox>("ChB_D_Mode_Chq")->isChecked());
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_B_FinResid")->ItemIndex(), 0);
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_E_Remis")->ItemIndex(), -1);

    // Another window saves 44 meanwhile: this lease becomes 45, and so does the counter.
    {
        TWindow other(true);
        other.host.Click(TNavigateBtn::Insert);
        other.Type("E_A_Nom1", QStringLiteral("Autre"));
        other.host.Click(TNavigateBtn::Post);
        EXPECT_EQ(Str(other.Lease(), "BAILAHCOOP"), QLatin1String("ON      44"));
    }
    QApplication::setActiveWindow(w.form.get());
    w.Type("E_A_Nom1", QStringLiteral("Tremblay"));
    w.host.Click(TNavigateBtn::Post);
    EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
    EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("45"));
    EXPECT_EQ(Str(w.Lease(), "BAILAHCOOP"), QLatin1String("NN      45"));
    EXPECT_EQ(Counter(), 45);
    EXPECT_FALSE(w.form->NewLease());
    EXPECT_TRUE(w.host.commandsEnabled);
    EXPECT_EQ(w.host.status, QLatin1String("Tremblay"));
}

TEST_F(BailStdTest, TypedLeaseNumberIsCheckedInFrenchAndLockedOnceSaved)
{
    TDataFolder folder;
    SetConfig(false);
    AddLease(db::TLeaseKind::ON, QStringLiteral("42"));
    English(); // the number messages are French whatever the language
    TBoxAnswers boxes({QMessageBox::Ok});
    TWindow w(false);
    auto *number = w.Find<QLineEdit>("E_BailStdNobail");
    w.host.Click(TNavigateBtn::Insert);
    EXPECT_TRUE(number->isEnabled());
    EXPECT_TRUE(Str(w.Lease(), "NOBAIL").isEmpty());
    w.Type("E_BailStdNobail", QStringLiteral("42"));
    w.Leave();
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Ce numéro de bail existe déjà."));
    EXPECT_EQ(boxes.Captions()[0], QLatin1String("Attention"));
    EXPECT_TRUE(number->hasFocus());

    // Emptied and saved: refused with the second message, the row stays in insert state.
    number->selectAll();
    QTest::keyClick(number, Qt::Key_Backspace);
    QTest::keyClick(number, Qt::Key_Backspace);
    w.host.Click(TNavigateBtn::Post);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[1], QStringLiteral("Le numéro de bail est obligatoire"));
    EXPECT_EQ(w.Lease().State(), TDataSetState::Insert);

    w.Type("E_BailStdNobail", QStringLiteral("B-12"));
    w.host.Click(TNavigateBtn::Post);
    EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
    EXPECT_EQ(Str(w.Lease(), "BAILAHCOOP"), QLatin1String("NN    B-12"));
    EXPECT_FALSE(number->isEnabled());
    EXPECT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(Counter(), 0); // manual numbers leave the counter alone
}

TEST_F(BailStdTest, EachKindSeesOnlyItsLeasesAndTheAnnexButtonFollowsTheKind)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Regular one"));
    AddLease(db::TLeaseKind::ON, QStringLiteral("2"), QStringLiteral("Elderly"));
    AddLease(db::TLeaseKind::NO, QStringLiteral("3"), QStringLiteral("Coop"));
    AddLease(db::TLeaseKind::NN, QStringLiteral("4"), QStringLiteral("Regular two"));
    {
        TWindow w(false);
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("4")); // opens on the last lease
        std::vector<QString> keys;
        for (w.Lease().First(); !w.Lease().Eof(); w.Lease().Next())
            keys.push_back(Str(w.Lease(), "BAILAHCOOP"));
        EXPECT_EQ(keys, (std::vector<QString>{QStringLiteral("NN       1"), QStringLiteral("NN       4")}));
        w.form->GoToLease(QStringLiteral("ON       2"));
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("4"));
        w.form->GoToLease(QStringLiteral("NN       1"));
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("1"));
        EXPECT_TRUE(w.Find("PB_Annexe")->isHidden());
        EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Bail de logement"));
        EXPECT_EQ(w.form->HelpContext(), 6);
    }
    {
        TWindow regular(false);
        EXPECT_TRUE(regular.Find("PB_Annexe")->isHidden());
        TWindow elderly(true);
        EXPECT_FALSE(elderly.Find("PB_Annexe")->isHidden());
        EXPECT_EQ(elderly.Find<ui::TKelButton>("PB_Annexe")->text(), QStringLiteral("Annexe..."));
        EXPECT_EQ(Str(elderly.Lease(), "NOBAIL"), QLatin1String("2"));
        EXPECT_EQ(elderly.form->windowTitle(), QStringLiteral("Bail de logement - Personnes âgées ou handicapées"));
    }
}

TEST_F(BailStdTest, CopyOfAnElderlyLeaseTakesItsAnnexAndIsShown)
{
    for (const bool coop : {false, true}) {
        SCOPED_TRACE(coop ? "cooperative" : "standard");
        const db::TLeaseKind kind = coop ? db::TLeaseKind::OO : db::TLeaseKind::ON;
        TDataFolder folder;
        SetConfig(false, 11); // copies number from the counter in manual mode too
        AddLease(kind, QStringLiteral("12"), QStringLiteral("Gagnon"));
        AddLease(db::TLeaseKind::NN, QStringLiteral("13"));
        AddAnnex(QStringLiteral("12"), 650);
        TBoxAnswers boxes({QMessageBox::Ok});
        TWindow w(true, coop);
        ASSERT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("12"));
        ASSERT_TRUE(w.host.copy);
        w.host.copy();
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("14"));
        EXPECT_EQ(Str(w.Lease(), "BAILAHCOOP"), db::LeaseKey(kind, QStringLiteral("14")));
        EXPECT_EQ(Str(w.Lease(), "A_NOM1"), QLatin1String("Gagnon"));
        EXPECT_EQ(w.Find<QLineEdit>("ME_A_C_Debut")->text().trimmed(), QLatin1String("2024"));
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Nouveau bail : 14"));
        EXPECT_TRUE(AnnexExists(QStringLiteral("14")));
        EXPECT_TRUE(AnnexExists(QStringLiteral("12")));
        EXPECT_DOUBLE_EQ(w.form->AnnexeTable().FieldByName(QStringLiteral("MNTBAIL"))->AsFloat(), 650);
        EXPECT_EQ(Counter(), 14);

        // While a lease is being edited the copy does nothing.
        w.Type("E_A_Nom2", QStringLiteral("X"));
        w.host.copy();
        EXPECT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(Counter(), 14);
    }
}

TEST_F(BailStdTest, DeletingAnElderlyLeaseTakesItsAnnexAndNoDeletesNothing)
{
    for (const bool coop : {false, true}) {
        SCOPED_TRACE(coop ? "cooperative" : "standard");
        const db::TLeaseKind kind = coop ? db::TLeaseKind::OO : db::TLeaseKind::ON;
        TDataFolder folder;
        AddLease(kind, QStringLiteral("5"));
        AddLease(kind, QStringLiteral("6"));
        AddAnnex(QStringLiteral("5"), 400);
        AddAnnex(QStringLiteral("6"), 500);
        TBoxAnswers boxes({QMessageBox::No, QMessageBox::Yes});
        TWindow w(true, coop);
        ASSERT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("6"));
        w.host.Click(TNavigateBtn::Delete);
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Désirez-vous détruire cet enregistrement ?"));
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("6"));
        EXPECT_TRUE(AnnexExists(QStringLiteral("6")));

        w.host.Click(TNavigateBtn::Delete);
        EXPECT_EQ(boxes.Texts().size(), 2u);
        EXPECT_FALSE(AnnexExists(QStringLiteral("6")));
        EXPECT_TRUE(AnnexExists(QStringLiteral("5")));
        EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("5"));
        EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
    }
}

TEST_F(BailStdTest, TypingEditsTheLeaseAndSplitDatesAreSavedOrRefused)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Roy"));
    TErrors errors;
    TWindow w(false);
    EXPECT_TRUE(w.host.commandsEnabled);
    w.Type("ME_J_C_DebutInd", QStringLiteral("5"));
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_FALSE(w.host.commandsEnabled);
    auto *month = w.Find<dataset::TMonthComboBox>("CB_M_C_DebutInd");
    w.ChooseMonth("CB_M_C_DebutInd", 7);
    w.Type("ME_A_C_DebutInd", QStringLiteral("2024"));

    // A month chosen but not yet saved survives page switches (the lists are refilled).
    w.form->Pages()->setCurrentIndex(2);
    w.form->Pages()->setCurrentIndex(1);
    EXPECT_EQ(month->currentText(), QLatin1String("juillet"));

    // 31 February stops the save with the built message, on the date's page and day.
    w.Type("ME_J_C_Fin", QStringLiteral("31"));
    w.ChooseMonth("CB_M_C_Fin", 2);
    w.Type("ME_A_C_Fin", QStringLiteral("2024"));
    w.form->Pages()->setCurrentIndex(0);
    w.host.Click(TNavigateBtn::Post);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], QStringLiteral("\"31 / février / 2024\" n'est pas une date valide"));
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_EQ(w.form->Pages()->currentIndex(), 1);
    EXPECT_TRUE(w.Find("ME_J_C_Fin")->hasFocus());
    EXPECT_EQ(Str(w.Lease(), "C_DEBUT"), QLatin1String("2024/07/01"));

    // Emptied parts clear the date.
    w.Erase("ME_J_C_Fin");
    w.ChooseMonth("CB_M_C_Fin", 0);
    w.Erase("ME_A_C_Fin");
    w.host.Click(TNavigateBtn::Post);
    EXPECT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
    EXPECT_TRUE(w.Lease().FieldByName(QStringLiteral("C_FIN"))->IsNull());
    EXPECT_EQ(Str(w.Lease(), "C_DEBUTIND"), QLatin1String("2024/07/05"));
    EXPECT_TRUE(w.host.commandsEnabled);

    // Abandoning reloads the parts from the fields.
    w.Type("ME_A_C_DebutInd", QStringLiteral("1999"));
    w.host.Click(TNavigateBtn::Cancel);
    EXPECT_EQ(w.Find<QLineEdit>("ME_A_C_DebutInd")->text().trimmed(), QLatin1String("2024"));
}

TEST_F(BailStdTest, ClosingWithAnInvalidDateKeepsTheWindowAndWhatWasTyped)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Roy"));
    TErrors errors;
    TBoxAnswers boxes({QMessageBox::Yes});
    TWindow w(false);
    w.Type("E_A_Nom2", QStringLiteral("Bouchard"));
    w.Type("ME_J_C_Debut", QStringLiteral("30"));
    w.ChooseMonth("CB_M_C_Debut", 2);
    w.Leave();
    EXPECT_FALSE(w.form->close());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("Désirez-vous conserver les modifications ?"));
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], QStringLiteral("\"30 / février / 2024\" n'est pas une date valide"));
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_EQ(w.Find<QLineEdit>("E_A_Nom2")->text().section(QLatin1Char('.'), 0, 0), QLatin1String("Bouchard"));
    EXPECT_EQ(w.Find<QLineEdit>("ME_J_C_Debut")->text().trimmed(), QLatin1String("30"));
    EXPECT_EQ(w.host.resets, 0);

    // Corrected, Yes saves and closes; the toolbar is handed back.
    w.Type("ME_J_C_Debut", QStringLiteral("28"));
    EXPECT_TRUE(w.form->close());
    EXPECT_EQ(w.host.resets, 1);
    TTable t;
    Open(t, "BailStd.dbf", "NOBAIL");
    ASSERT_TRUE(t.FindKey(QStringLiteral("1")));
    EXPECT_EQ(Str(t, "A_NOM2"), QLatin1String("Bouchard"));
    EXPECT_EQ(Str(t, "C_DEBUT"), QLatin1String("2024/02/28"));
}

TEST_F(BailStdTest, TickedAnswersWithoutTheirDatesStopTheSave)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TBoxAnswers boxes({QMessageBox::Ok});
    TWindow w(false);
    w.ClickYesNo("Rg_E_Remis", 0);
    ASSERT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_TRUE(w.Lease().FieldByName(QStringLiteral("E_REGLEMEN"))->AsBoolean()); // any answer means by-laws exist
    w.Leave();
    w.host.Click(TNavigateBtn::Post);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("La date de remise du règlement est invalide"));
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_EQ(w.form->Pages()->currentIndex(), 2);
    EXPECT_TRUE(w.Find("E_E_Date")->hasFocus());
    w.Click("ChB_F_Log2");
    w.Leave();
    w.host.Click(TNavigateBtn::Post);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[1], QStringLiteral("La date à laquelle le logement était prêt\npour l'habitation est invalide."));
    EXPECT_TRUE(w.Find("ME_J_F_PretHab2")->hasFocus());
}

TEST_F(BailStdTest, RentTermPairsKeepOneBoxTickedAndClearTheOtherText)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TWindow w(false);
    w.host.Click(TNavigateBtn::Insert);
    w.Type("E_D_Autre1", QStringLiteral("par mois"));
    w.Click("ChB_D_Semaine1");
    TTable &t = w.Lease();
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_SEMAINE1"))->AsBoolean());
    EXPECT_FALSE(t.FieldByName(QStringLiteral("D_MOIS1"))->AsBoolean());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_AUTRE1"))->IsNull());
    EXPECT_TRUE(w.Find<QLineEdit>("E_D_Autre1")->text().remove(QChar(0x2024)).trimmed().isEmpty());
    w.Click("ChB_D_Semaine1");
    EXPECT_FALSE(t.FieldByName(QStringLiteral("D_SEMAINE1"))->AsBoolean());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_MOIS1"))->AsBoolean());
    EXPECT_FALSE(w.Find<QCheckBox>("ChB_D_Semaine1")->isChecked());
    // The second pair follows the same rule; the payment methods are independent.
    w.Click("ChB_D_Mois2");
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_SEMAINE2"))->AsBoolean());
    w.Click("ChB_D_Mode_Arg");
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_MODE_ARG"))->AsBoolean());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("D_MODE_CHQ"))->AsBoolean());
}

TEST_F(BailStdTest, ByLawsAnswersFollowEachOther)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TWindow w(false);
    TTable &t = w.Lease();
    w.Type("E_E_Date", QStringLiteral("20240601"));
    EXPECT_TRUE(t.FieldByName(QStringLiteral("E_REMIS"))->AsBoolean()); // typing the date answers yes
    w.Leave();
    EXPECT_EQ(Str(t, "E_DATE"), QLatin1String("2024/06/01"));
    w.ClickYesNo("Rg_E_Reglemen", 1);
    EXPECT_TRUE(t.FieldByName(QStringLiteral("E_REMIS"))->IsNull());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("E_DATE"))->IsNull());
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_E_Remis")->ItemIndex(), -1);
    w.ClickYesNo("Rg_E_Reglemen", 0);
    EXPECT_FALSE(t.FieldByName(QStringLiteral("E_REMIS"))->IsNull());
    EXPECT_FALSE(t.FieldByName(QStringLiteral("E_REMIS"))->AsBoolean());
    // Entering the date field after "Oui" proposes today.
    w.ClickYesNo("Rg_E_Remis", 0);
    w.Reveal(w.Find("E_E_Date"))->setFocus();
    EXPECT_EQ(Str(t, "E_DATE"), db::DateText(QDate::currentDate()));
    EXPECT_EQ(w.host.status, QStringLiteral("Format de date: aaaa/mm/jj"));
    w.ClickYesNo("Rg_E_Remis", 1);
    EXPECT_TRUE(t.FieldByName(QStringLiteral("E_DATE"))->IsNull());
}

TEST_F(BailStdTest, ImpossibleFullDateIsRefusedWithItsMessage)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Roy"));
    TErrors errors;
    TWindow w(false);
    w.Type("E_G_Date", QStringLiteral("20240231"));
    w.Find("E_G_Chang1")->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(errors.texts.size(), 1u) << errors.texts.back().toStdString();
    EXPECT_EQ(errors.texts[0], QStringLiteral("\"2024/02/31\" n'est pas une date valide"));
    EXPECT_TRUE(w.Find("E_G_Date")->hasFocus());
    EXPECT_EQ(w.host.status, QStringLiteral("Format de date: aaaa/mm/jj"));
    w.Type("E_G_Date", QStringLiteral("20240229"));
    w.Find("E_G_Chang1")->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(Str(w.Lease(), "G_DATE"), QLatin1String("2024/02/29"));
    EXPECT_EQ(w.host.status, QLatin1String("Roy")); // the names are back after the date hint
}

TEST_F(BailStdTest, NoticeToANewLesseeFillsAndEmptiesItself)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TWindow w(false);
    TTable &t = w.Lease();
    w.Type("E_G_Loyer", QStringLiteral("650"));
    EXPECT_TRUE(t.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("G_MEME"))->AsBoolean());
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("RG_G_Meme")->ItemIndex(), 0);
    w.Type("E_G_Chang1", QStringLiteral("stationnement"));
    EXPECT_FALSE(t.FieldByName(QStringLiteral("G_MEME"))->AsBoolean());
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("RG_G_Meme")->ItemIndex(), 1);
    w.ClickYesNo("RG_G_Meme", 0);
    EXPECT_TRUE(t.FieldByName(QStringLiteral("G_CHANG1"))->IsNull());
    EXPECT_TRUE(t.FieldByName(QStringLiteral("G_MEME"))->AsBoolean());
    w.Erase("E_G_Loyer");
    for (const char *f : {"G_LOYER", "G_AUTRE", "G_MEME", "G_CHANG1", "G_CHANG2"})
        EXPECT_TRUE(t.FieldByName(QLatin1String(f))->IsNull()) << f;
    EXPECT_FALSE(t.FieldByName(QStringLiteral("G_MOIS"))->AsBoolean());
    EXPECT_FALSE(w.Find<QCheckBox>("ChB_G_Mois")->isChecked());

    // In a new lease too, a change line makes the answer "Non".
    w.host.Click(TNavigateBtn::Post);
    w.host.Click(TNavigateBtn::Insert);
    w.Type("E_G_Chang2", QStringLiteral("chauffage"));
    EXPECT_FALSE(t.FieldByName(QStringLiteral("G_MEME"))->IsNull());
    EXPECT_FALSE(t.FieldByName(QStringLiteral("G_MEME"))->AsBoolean());
}

TEST_F(BailStdTest, RoomCountTakesTheDecimalSeparatorAndNoExponent)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TWindow w(false);
    const QString sep = QLocale().decimalPoint();
    w.Type("E_B_NbPiece", QStringLiteral("4,5e,"));
    EXPECT_EQ(w.Find<QLineEdit>("E_B_NbPiece")->text(), QStringLiteral("4") + sep + QStringLiteral("5"));
    w.Leave();
    EXPECT_DOUBLE_EQ(w.Lease().FieldByName(QStringLiteral("B_NBPIECE"))->AsFloat(), 4.5);
}

// Answers the rent amount dialog when it shows: records the amount shown, types a new one.
struct TAmountAnswer {
    explicit TAmountAnswer(const QString &typed)
    {
        auto *timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, typed] {
            auto *dlg = qobject_cast<entry::TInputMntDlg *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            shown = dlg->AmountEdit()->text();
            dlg->AmountEdit()->selectAll();
            QTest::keyClicks(dlg->AmountEdit(), typed);
            QTest::mouseClick(dlg->OkButton(), Qt::LeftButton);
            timer->deleteLater();
        });
        timer->start();
        m_timer = timer;
    }
    ~TAmountAnswer() { delete m_timer.data(); }
    QString shown;
    QPointer<QTimer> m_timer;
};

TEST_F(BailStdTest, RentOfAnElderlyLeaseIsConfirmedIntoItsAnnex)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::ON, QStringLiteral("7"));
    AddLease(db::TLeaseKind::NN, QStringLiteral("8"));
    {
        TWindow w(true);
        TAmountAnswer answer(QStringLiteral("725.5"));
        w.Type("E_D_Loyer", QStringLiteral("725,50 $"));
        w.Leave();
        QTest::qWait(100);
        EXPECT_EQ(answer.shown, QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("00"));
        TTable &annex = w.form->AnnexeTable();
        ASSERT_EQ(annex.State(), TDataSetState::Insert);
        EXPECT_DOUBLE_EQ(annex.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat(), 725.5);
        EXPECT_FALSE(annex.FieldByName(QStringLiteral("LOG_APP"))->IsNull()); // boxes set to No
        EXPECT_TRUE(annex.FieldByName(QStringLiteral("MED_CONSER"))->IsNull());
        w.host.Click(TNavigateBtn::Post);
        EXPECT_EQ(annex.State(), TDataSetState::Browse);
        EXPECT_TRUE(AnnexExists(QStringLiteral("7")));
        EXPECT_EQ(Str(w.Lease(), "D_LOYER"), QLatin1String("725,50 $"));

        // A second change opens the dialog with the saved amount and updates the same row.
        TAmountAnswer again(QStringLiteral("800"));
        w.Type("E_D_Loyer", QStringLiteral("800 $"));
        w.Leave();
        QTest::qWait(100);
        EXPECT_EQ(again.shown, QStringLiteral("725") + QLocale().decimalPoint() + QStringLiteral("50"));
        w.host.Click(TNavigateBtn::Post);
        EXPECT_DOUBLE_EQ(annex.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat(), 800);

        // The Annex window shows the amount the dialog confirmed.
        QString shownInAnnex;
        QTimer::singleShot(50, [&] {
            auto *window = QApplication::activeModalWidget();
            if (auto *edit = window ? window->findChild<QLineEdit *>(QStringLiteral("E_MntBail")) : nullptr)
                shownInAnnex = edit->text().trimmed();
            if (window)
                window->close();
        });
        w.Click("PB_Annexe");
        EXPECT_EQ(shownInAnnex.toDouble(), 800) << shownInAnnex.toStdString();
        w.host.Click(TNavigateBtn::Cancel);
    }
    {
        TWindow w(false);
        TAmountAnswer answer(QStringLiteral("1"));
        w.Type("E_D_Loyer", QStringLiteral("900 $"));
        w.Leave();
        QTest::qWait(100);
        EXPECT_TRUE(answer.shown.isEmpty());
        w.host.Click(TNavigateBtn::Post);
        EXPECT_FALSE(AnnexExists(QStringLiteral("8")));
    }
}

TEST_F(BailStdTest, TwoWindowsOnOneLeaseAreToldTheRowIsTaken)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"));
    TErrors errors;
    TWindow first(false);
    TWindow second(false);
    QApplication::setActiveWindow(first.form.get());
    first.Type("E_A_Nom1", QStringLiteral("A"));
    ASSERT_EQ(first.Lease().State(), TDataSetState::Edit);
    QApplication::setActiveWindow(second.form.get());
    second.Type("E_A_Nom1", QStringLiteral("B"));
    EXPECT_EQ(second.Lease().State(), TDataSetState::Browse);
    ASSERT_FALSE(errors.codes.empty());
    EXPECT_EQ(errors.codes[0], 10247);
}

TEST_F(BailStdTest, ALeaseHeldByAnotherProcessIsToldAndKeepsItsText)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Tremblay"));
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only the parent keeps the ends it writes: if it dies, the child reads EOF and ends.
        close(ready[0]);
        close(release[1]);
        dbase::Table leases(folder.File(db::kBailStd), dbase::Table::Mode::Shared);
        leases.LockRecord(1);
        char c = 1;
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    {
        TErrors errors;
        TWindow w(false);
        QApplication::setActiveWindow(w.form.get());
        w.Type("E_A_Nom1", QStringLiteral("X"));
        EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
        ASSERT_FALSE(errors.codes.empty());
        EXPECT_EQ(errors.codes[0], 10241);
    }
    (void)!write(release[1], &c, 1);
    waitpid(child, nullptr, 0);
    TTable t;
    Open(t, "BailStd.dbf", nullptr);
    EXPECT_EQ(t.FieldByName(QStringLiteral("A_NOM1"))->AsString(), QLatin1String("Tremblay"));
}

TEST_F(BailStdTest, EnglishWindowKeepsTheFormWordsAndSetsItsOwnCaptions)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::ON, QStringLiteral("1"), QStringLiteral("Smith"));
    English();
    TWindow w(true);
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Lease of a dwelling - Elderly or handicapped persons"));
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_B_Meuble")->Items(), (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_LangueImp")->Items(),
              (QStringList{QStringLiteral("French"), QStringLiteral("English")}));
    EXPECT_EQ(w.Find<QLabel>("L_Partie1")->text(), QStringLiteral("Part1 and part2 must be used together."));
    EXPECT_EQ(w.Find<QLabel>("Lb_Title_C")->text(), QStringLiteral("TERM OF LEASE (art. 1851 C.C.V.)"));
    EXPECT_EQ(w.Find<dataset::TMonthComboBox>("CB_M_C_Debut")->currentText(), QLatin1String("July"));
    // Every caption of the word list shows its English text.
    const QStringList &words = w.form->WordList();
    ASSERT_EQ(words.size() % 3, 0);
    for (int i = 0; i < words.size(); i += 3) {
        if (words[i] == QLatin1String("L_Partie1"))
            continue;
        auto *label = w.form->findChild<QLabel *>(words[i]);
        ASSERT_NE(label, nullptr) << words[i].toStdString();
        EXPECT_EQ(label->text(), words[i + 2].isEmpty() ? words[i + 1] : words[i + 2]) << words[i].toStdString();
    }
}

} // namespace

namespace {

TEST_F(BailStdTest, LessorBlockAndStatusFollowTheSavedLessor)
{
    TDataFolder folder;
    {
        TTable lessors;
        Open(lessors, "Locateur.dbf", nullptr);
        lessors.Append();
        lessors.FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("Gestion Alpha"));
        lessors.FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(3);
        lessors.Post();
    }
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("  Roy\t"));
    {
        TTable leases;
        Open(leases, "BailStd.dbf", nullptr);
        leases.First();
        leases.Edit();
        leases.FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(3);
        leases.Post();
    }
    TWindow w(false);
    EXPECT_EQ(w.Find<QLineEdit>("E_LocateurNom")->text().section(QLatin1Char('.'), 0, 0).trimmed(),
              QLatin1String("Gestion Alpha"));
    EXPECT_FALSE(w.Find("E_LocateurNom")->isEnabled());
    EXPECT_EQ(w.host.status, QLatin1String("Roy, Gestion Alpha"));

    // The lessor window saves a new name: every lease window shows it.
    {
        TTable lessors;
        Open(lessors, "Locateur.dbf", "NOLOCATEUR");
        ASSERT_TRUE(lessors.FindKey(3));
        lessors.Edit();
        lessors.FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("Gestion Beta"));
        lessors.Post();
    }
    emit entry::TLessorEvents::Instance().LessorSaved(3);
    EXPECT_EQ(w.host.status, QLatin1String("Roy, Gestion Beta"));
    EXPECT_TRUE(w.Find<QLineEdit>("E_LocateurNom")->text().startsWith(QLatin1String("Gestion Beta")));
}

TEST_F(BailStdTest, AbandonAndClosingWithNoDropTheLeaseAndItsAnnex)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::ON, QStringLiteral("7"), QStringLiteral("Roy"));
    TWindow w(true);
    {
        TAmountAnswer answer(QStringLiteral("600"));
        w.Type("E_D_Loyer", QStringLiteral("600 $"));
        w.Leave();
        QTest::qWait(100);
    }
    ASSERT_EQ(w.form->AnnexeTable().State(), TDataSetState::Insert);
    w.host.Click(TNavigateBtn::Cancel);
    EXPECT_EQ(w.form->AnnexeTable().State(), TDataSetState::Browse);
    EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);
    EXPECT_FALSE(AnnexExists(QStringLiteral("7")));
    EXPECT_TRUE(Str(w.Lease(), "D_LOYER").isEmpty());
    EXPECT_TRUE(w.host.commandsEnabled);

    // A new lease abandoned leaves nothing and clears the new-lease state.
    w.host.Click(TNavigateBtn::Insert);
    EXPECT_TRUE(w.form->NewLease());
    w.host.Click(TNavigateBtn::Cancel);
    EXPECT_FALSE(w.form->NewLease());
    EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("7"));

    // Cancel keeps the window and the typing; No closes without saving.
    TBoxAnswers boxes({QMessageBox::Cancel, QMessageBox::No});
    w.Type("E_A_Nom2", QStringLiteral("Tardif"));
    EXPECT_FALSE(w.form->close());
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_TRUE(w.form->close());
    EXPECT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(w.host.resets, 1);
    TTable t;
    Open(t, "BailStd.dbf", "NOBAIL");
    ASSERT_TRUE(t.FindKey(QStringLiteral("7")));
    EXPECT_TRUE(Str(t, "A_NOM2").isEmpty());
}

} // namespace

namespace {

TEST_F(BailStdTest, PickingALessorEditsTheLeaseAndShowsTheLessor)
{
    TDataFolder folder;
    {
        TTable lessors;
        Open(lessors, "Locateur.dbf", nullptr);
        lessors.Append();
        lessors.FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("Gestion Alpha"));
        lessors.FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(3);
        lessors.Post();
    }
    AddLease(db::TLeaseKind::NN, QStringLiteral("1"), QStringLiteral("Roy"));
    TWindow w(false);
    EXPECT_TRUE(w.Find<QLineEdit>("E_LocateurNom")->text().remove(QChar(0x2024)).trimmed().isEmpty());
    QTimer::singleShot(50, [] {
        if (auto *dlg = qobject_cast<entry::TPickLocDlg *>(QApplication::activeModalWidget()))
            QTest::mouseClick(dlg->SelectButton(), Qt::LeftButton);
    });
    w.Click("SpB_SelLocateur");
    EXPECT_EQ(w.Lease().State(), TDataSetState::Edit);
    EXPECT_EQ(w.Lease().FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 3);
    EXPECT_TRUE(w.Find<QLineEdit>("E_LocateurNom")->text().startsWith(QLatin1String("Gestion Alpha")));
    EXPECT_FALSE(w.host.commandsEnabled);
    EXPECT_EQ(w.host.status, QLatin1String("Roy, Gestion Alpha"));
}

} // namespace

TEST_F(BailStdTest, EveryHelpButtonOpensTheFormsTopic)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NN, QStringLiteral("7"));
    TWindow w(false);
    std::vector<int> topics;
    entry::SetHelpTopicHook([&](int topic) { topics.push_back(topic); });
    int buttons = 0;
    for (ui::TKelSpeedButton *b : w.form->findChildren<ui::TKelSpeedButton *>()) {
        if (!b->objectName().contains(QLatin1String("PropHint")))
            continue;
        ++buttons;
        EXPECT_EQ(ui::AccessibleName(*b), QStringLiteral("Aide")) << b->objectName().toStdString();   // not the caption beside it
        b->click();
    }
    entry::SetHelpTopicHook({});
    EXPECT_EQ(buttons, 5);
    EXPECT_EQ(ui::AccessibleName(*w.form->findChild<QWidget *>(QStringLiteral("SpB_SelLocateur"))),
              QStringLiteral("Sélection du locateur"));
    EXPECT_EQ(topics, std::vector<int>(size_t(buttons), TBailStdForm::kFormHelpTopic));
    EXPECT_EQ(TBailStdForm::kFormHelpTopic, 15);
}

// A new row begun another way than the navigator's Insert must show its default dates too,
// or the save reads the empty split dates and clears them.
TEST_F(BailStdTest, ARowBegunInAnEmptyTableKeepsItsDefaultDates)
{
    const int year = QDate::currentDate().year();
    const std::pair<const char *, std::function<void(TWindow &)>> starts[] = {
        {"typing", [](TWindow &w) { w.Type("E_A_Nom1", QStringLiteral("Levesque")); }},
        {"picking a lessor",
         [](TWindow &w) {
             QTimer::singleShot(50, [] {
                 if (auto *dlg = qobject_cast<entry::TPickLocDlg *>(QApplication::activeModalWidget()))
                     QTest::mouseClick(dlg->SelectButton(), Qt::LeftButton);
             });
             w.Click("SpB_SelLocateur");
         }},
    };
    for (const auto &[name, start] : starts) {
        TDataFolder folder(0, 1);
        TBoxAnswers boxes({QMessageBox::Ok});
        TWindow w(false);
        ASSERT_TRUE(w.Lease().IsEmpty());
        start(w);
        ASSERT_EQ(w.Lease().State(), TDataSetState::Insert) << name;
        EXPECT_EQ(w.Find<QLineEdit>("ME_A_C_Debut")->text().trimmed(), QString::number(year)) << name;
        EXPECT_EQ(w.Find<dataset::TMonthComboBox>("CB_M_D_DateTout")->Month(), 7) << name;
        w.host.Click(TNavigateBtn::Post);
        ASSERT_EQ(w.Lease().State(), TDataSetState::Browse) << name;
        EXPECT_EQ(Str(w.Lease(), "C_DEBUT"), QStringLiteral("%1/07/01").arg(year)) << name;
        EXPECT_EQ(Str(w.Lease(), "C_FIN"), QStringLiteral("%1/06/30").arg(year + 1)) << name;
        EXPECT_FALSE(Str(w.Lease(), "D_DATETOUT").trimmed().isEmpty()) << name;
    }
}

// The Annex filled through the lease window's button is saved or abandoned with the lease.
TEST_F(BailStdTest, AnnexFilledFromTheLeaseWindowGoesWithTheLease)
{
    // The cooperative window keeps the Annex window's own caption and leaves the status as
    // the Annex window found it.
    const std::pair<bool, bool> cases[] = {{true, false}, {false, false}, {true, true}}; // save, cooperative
    for (const auto &[save, coop] : cases) {
        SCOPED_TRACE(coop ? "cooperative" : "standard");
        TDataFolder folder;
        SetConfig(true, 20);
        TBoxAnswers boxes({QMessageBox::Ok});
        TWindow w(true, coop);
        w.host.Click(TNavigateBtn::Insert);
        w.Type("E_A_Nom1", QStringLiteral("Gagnon"));
        QString title, statusWhileOpen = QStringLiteral("unchanged");
        QTimer::singleShot(50, [&] {
            auto *annex = qobject_cast<entry::TAnnexeForm *>(QApplication::activeModalWidget());
            if (!annex)
                return;
            title = annex->windowTitle();
            statusWhileOpen = w.host.status;
            annex->Pages()->setCurrentIndex(2);
            QTest::mouseClick(annex->findChild<QCheckBox *>(QStringLiteral("ChB_Lav_1")), Qt::LeftButton, {}, QPoint(7, 7));
            auto *amount = annex->findChild<QLineEdit *>(QStringLiteral("E_Lav_2"));
            amount->setFocus();
            QTest::keyClicks(amount, QStringLiteral("100"));
            QTest::mouseClick(annex->findChild<QAbstractButton *>(QStringLiteral("Pb_Retour")), Qt::LeftButton);
        });
        w.Click("PB_Annexe");
        EXPECT_EQ(title, coop ? QStringLiteral("Annexe au bail") : QStringLiteral("Annexe au bail - [ 21, Gagnon ]"));
        EXPECT_TRUE(statusWhileOpen.isEmpty()) << statusWhileOpen.toStdString();
        EXPECT_EQ(w.host.status, coop ? QString() : QStringLiteral("Gagnon"));
        EXPECT_EQ(w.form->AnnexeTable().State(), TDataSetState::Insert);
        w.host.Click(save ? TNavigateBtn::Post : TNavigateBtn::Cancel);

        // What is on disk, read back by another program.
        QString dump;
        ASSERT_EQ(testsupport::Run(testsupport::Bailtool(),
                                   {QStringLiteral("dump"), folder.Path() + QStringLiteral("/Annexe.dbf")}, &dump), 0);
        const QStringList rows = dump.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList head = rows.value(0).split(QLatin1Char('|'));
        ASSERT_EQ(rows.size(), save ? 2 : 1) << dump.toStdString();
        if (save) {
            const QStringList row = rows[1].split(QLatin1Char('|'));
            EXPECT_EQ(row.value(int(head.indexOf(QStringLiteral("NOBAIL")))).trimmed(), QLatin1String("21"));
            EXPECT_EQ(row.value(int(head.indexOf(QStringLiteral("LAV_1")))), QLatin1String("T"));
            EXPECT_DOUBLE_EQ(row.value(int(head.indexOf(QStringLiteral("LAV_2")))).trimmed().toDouble(), 100);
            EXPECT_EQ(Str(w.Lease(), "NOBAIL"), QLatin1String("21"));
        }
    }
}

// A second window on the same lease is told the row is taken; the first keeps what it typed.
TEST_F(BailStdTest, AnnexTakenByAnotherWindowIsToldAndNothingIsLost)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::ON, QStringLiteral("5"), QStringLiteral("Roy"));
    AddAnnex(QStringLiteral("5"), 700);
    TErrors errors;
    TWindow first(true);
    QTimer::singleShot(50, [] {
        auto *annex = qobject_cast<entry::TAnnexeForm *>(QApplication::activeModalWidget());
        if (!annex)
            return;
        auto *terme = annex->findChild<QLineEdit *>(QStringLiteral("E_Terme"));
        terme->setFocus();
        QTest::keyClicks(terme, QStringLiteral("mois"));
        annex->close();
    });
    first.Click("PB_Annexe");
    ASSERT_EQ(first.form->AnnexeTable().State(), TDataSetState::Edit);

    TWindow second(true);
    bool opened = false;
    QTimer::singleShot(50, [&] {
        if (auto *w = QApplication::activeModalWidget()) {
            opened = true;
            w->close();
        }
    });
    second.Click("PB_Annexe");
    EXPECT_FALSE(opened);
    ASSERT_EQ(errors.codes.size(), 1u);
    EXPECT_EQ(errors.codes[0], 10247);
    EXPECT_NE(second.form->AnnexeTable().State(), TDataSetState::Edit);

    first.host.Click(TNavigateBtn::Post);
    TTable annex;
    Open(annex, "Annexe.dbf", "NOBAIL");
    ASSERT_TRUE(annex.FindKey(QStringLiteral("5")));
    EXPECT_EQ(annex.FieldByName(QStringLiteral("TERME"))->AsString().trimmed(), QLatin1String("mois"));
    EXPECT_DOUBLE_EQ(annex.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat(), 700);
}
