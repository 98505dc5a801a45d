#include "LeaseWindowTestUtil.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "ui/KelButton.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QProcess>

#include <set>

using namespace leasetest;
using entrytest::TBoxAnswers;
using entrytest::TDataFolder;

namespace {

using BailCoopTest = BailStdTest;

bool IsNull(TTable &t, const char *field)
{
    return t.FieldByName(QLatin1String(field))->IsNull();
}

bool Flag(TTable &t, const char *field)
{
    return t.FieldByName(QLatin1String(field))->AsBoolean();
}

// The page (0 to 3) a control or section of the window is on; -1 when it is on none.
int PageOf(TWindow &w, const QWidget *control)
{
    for (int p = 0; p < TBailStdForm::kPageCount; ++p)
        if (w.form->PageArea(p)->isAncestorOf(control))
            return p;
    return -1;
}

// The cooperative form speaks of the cooperative wherever the standard form names the landlord.
void ExpectNoWord(TWindow &w, const QString &word)
{
    for (QLabel *l : w.form->findChildren<QLabel *>())
        EXPECT_FALSE(l->text().contains(word, Qt::CaseInsensitive)) << l->objectName().toStdString() << ": "
                                                                     << l->text().toStdString();
}

TEST_F(BailCoopTest, NewLeaseHasMembersNoByLawsAndTheStandardTermsOnTheCooperativeForm)
{
    TDataFolder folder;
    SetConfig(true, 9);
    AddLease(db::TLeaseKind::NN, QStringLiteral("10"));
    TWindow w(false, true);
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Bail d'un logement dans une coopérative"));
    EXPECT_TRUE(w.form->IsCooperative());
    EXPECT_TRUE(w.Find("PB_Annexe")->isHidden());
    EXPECT_EQ(w.Find<ui::TKelSpeedButton>("Pb_SelLocateur")->toolTip(), QStringLiteral("Sélection du locateur"));
    // The services are borne "de la coopérative", not "du".
    int borne = 0;
    for (QLabel *l : w.form->findChildren<QLabel *>()) {
        EXPECT_NE(l->text(), QStringLiteral("Sont à la charge du "));
        borne += l->text() == QStringLiteral("Sont à la charge de la ");
    }
    EXPECT_EQ(borne, 1);

    // The form's own distribution of the sections, and what it leaves out.
    const std::pair<const char *, int> pages[] = {{"Sec_A", 0}, {"Sec_B", 0}, {"Sec_C", 0}, {"Sec_D", 1},
                                                  {"Sec_E", 1}, {"Sec_E2", 2}, {"Sec_F", 2}, {"Sec_F2", 3},
                                                  {"Sec_G", 3}};
    for (const auto &[name, page] : pages)
        EXPECT_EQ(PageOf(w, w.Find<QFrame>(name)), page) << name;
    EXPECT_EQ(PageOf(w, w.Find("ChB_F_LogCoop")), 2);
    EXPECT_EQ(PageOf(w, w.Find("ChB_F_Log2")), 3);
    for (const char *absent : {"Rg_B_FinResid", "E_B_FinMixte", "Rg_B_Meuble", "ChB_B_Cuis", "E_B_Autre5",
                               "E_LocateurTelAut", "SpB_SelLocateur", "Spb_PropHint4"})
        EXPECT_EQ(w.form->findChild<QWidget *>(QLatin1String(absent)), nullptr) << absent;
    for (const char *help : {"Spb_PropHint5", "SpB_PropHint2", "SpB_PropHint3", "SpB_PropHint"})
        EXPECT_NE(w.form->findChild<ui::TKelSpeedButton *>(QLatin1String(help)), nullptr) << help;
    EXPECT_EQ(w.Find<QLabel>("Lb_Title_G")->text(), QStringLiteral("AVIS AU NOUVEAU LOCATAIRE  (art. 1896 et 1950 C.c.V.)"));
    ExpectNoWord(w, QStringLiteral("propriétaire"));

    w.host.Click(TNavigateBtn::Insert);
    ASSERT_EQ(w.Lease().State(), TDataSetState::Insert);
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("RG_A_MemCoop1")->ItemIndex(), 0);
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("RG_A_MemCoop2")->ItemIndex(), 0);
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("Rg_E_Reglemen")->ItemIndex(), 1);
    EXPECT_FALSE(w.Find<QCheckBox>("ChB_F_LogCoop")->isChecked());
    EXPECT_TRUE(IsNull(w.Lease(), "B_FINRESID"));
    EXPECT_TRUE(IsNull(w.Lease(), "B_MEUBLE"));
    for (const char *ticked : {"D_MOIS1", "D_MOIS2", "D_MODE_CHQ", "E_ACCESTER"})
        EXPECT_TRUE(Flag(w.Lease(), ticked)) << ticked;
    const int year = QDate::currentDate().year();
    EXPECT_EQ(Str(w.Lease(), "C_DEBUT"), QStringLiteral("%1/07/01").arg(year));
    EXPECT_EQ(Str(w.Lease(), "C_FIN"), QStringLiteral("%1/06/30").arg(year + 1));
    EXPECT_EQ(Str(w.Lease(), "C_DUREE").trimmed(), QStringLiteral("12 mois"));

    // Ticking the cooperative case needs no date to be saved.
    w.Click("ChB_F_LogCoop");
    w.Type("E_A_Nom1", QStringLiteral("Bergeron"));
    w.host.Click(TNavigateBtn::Post);
    ASSERT_EQ(w.Lease().State(), TDataSetState::Browse);
    EXPECT_EQ(Str(w.Lease(), "BAILAHCOOP"), QLatin1String("NO      11"));
    EXPECT_TRUE(Flag(w.Lease(), "F_LOGCOOP"));
}

TEST_F(BailCoopTest, EachWindowKeepsToItsKindsWhileNumbersStayUniqueAcrossProcesses)
{
    TDataFolder folder;
    SetConfig(true, 0);
    const std::pair<db::TLeaseKind, const char *> rows[] = {
        {db::TLeaseKind::NN, "1"}, {db::TLeaseKind::ON, "2"}, {db::TLeaseKind::NO, "3"}, {db::TLeaseKind::OO, "4"}};
    for (const auto &[kind, number] : rows)
        AddLease(kind, QLatin1String(number));
    SetConfig(true, 4);
    auto keysOf = [](TWindow &w) {
        std::vector<QString> keys;
        for (w.Lease().First(); !w.Lease().Eof(); w.Lease().Next())
            keys.push_back(Str(w.Lease(), "BAILAHCOOP"));
        return keys;
    };
    {
        TWindow coop(false, true), coopElderly(true, true), standard(false, false);
        EXPECT_EQ(keysOf(coop), std::vector<QString>{QStringLiteral("NO       3")});
        EXPECT_EQ(keysOf(coopElderly), std::vector<QString>{QStringLiteral("OO       4")});
        EXPECT_EQ(keysOf(standard), std::vector<QString>{QStringLiteral("NN       1")});
        coop.form->GoToLease(QStringLiteral("NN       1"));
        EXPECT_EQ(Str(coop.Lease(), "NOBAIL"), QLatin1String("3"));
    }

    // Another program adds standard leases while the cooperative window saves its own.
    QProcess other;
    other.start(testsupport::Bailtool(), {QStringLiteral("add-lease"), folder.Path(), QStringLiteral("--count"),
                                          QStringLiteral("150"), QStringLiteral("--kind"), QStringLiteral("NN")});
    ASSERT_TRUE(other.waitForStarted());
    {
        TWindow coop(false, true);
        for (int i = 0; i < 8; ++i) {
            coop.host.Click(TNavigateBtn::Insert);
            coop.Type("E_A_Nom1", QStringLiteral("Membre %1").arg(i));
            coop.host.Click(TNavigateBtn::Post);
            ASSERT_EQ(coop.Lease().State(), TDataSetState::Browse) << i;
        }
    }
    if (other.state() != QProcess::NotRunning) {
        ASSERT_TRUE(other.waitForFinished(60000));
    }
    ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();

    TTable all;
    Open(all, "BailStd.dbf", nullptr);
    std::set<QString> numbers;
    int coopRows = 0;
    for (all.First(); !all.Eof(); all.Next()) {
        numbers.insert(Str(all, "NOBAIL").trimmed());
        coopRows += Str(all, "BAILAHCOOP").startsWith(QLatin1String("NO")) ? 1 : 0;
    }
    EXPECT_EQ(numbers.size(), size_t(4 + 150 + 8));
    EXPECT_EQ(coopRows, 1 + 8);
}

TEST_F(BailCoopTest, OtherTextsUntickTheBoxesOfTheirGroup)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NO, QStringLiteral("1"));
    TWindow w(false, true);
    struct TGroup {
        const char *other, *first, *second, *firstField;
    };
    const TGroup groups[] = {{"E_D_Autre1", "ChB_D_Mois1", "ChB_D_Semaine1", "D_MOIS1"},
                             {"E_D_Autre2", "ChB_D_Mois2", "ChB_D_Semaine2", "D_MOIS2"},
                             {"E_D_Mode_Aut", "ChB_D_Mode_Chq", "ChB_D_Mode_Arg", "D_MODE_CHQ"},
                             {"E_G_Autre", "ChB_G_Mois", "ChB_G_Semaine", "G_MOIS"}};
    for (const TGroup &g : groups) {
        SCOPED_TRACE(g.other);
        w.Click(g.first);
        ASSERT_TRUE(w.Find<QCheckBox>(g.first)->isChecked());
        w.Type(g.other, QStringLiteral("aux 2 semaines"));
        EXPECT_FALSE(w.Find<QCheckBox>(g.first)->isChecked());
        EXPECT_FALSE(w.Find<QCheckBox>(g.second)->isChecked());
        EXPECT_FALSE(Flag(w.Lease(), g.firstField));
    }
    // Ticking "par mois" again empties the first other text, as on the standard form.
    w.Click("ChB_D_Mois1");
    EXPECT_TRUE(IsNull(w.Lease(), "D_AUTRE1") || Str(w.Lease(), "D_AUTRE1").trimmed().isEmpty());
    EXPECT_TRUE(Flag(w.Lease(), "D_MOIS1"));
    // The section G rule saw the boxes already unticked: the same-conditions answer stays
    // as the other text left it.
    EXPECT_EQ(Str(w.Lease(), "G_AUTRE").trimmed(), QLatin1String("aux 2 semaines"));
    w.host.Click(TNavigateBtn::Post);
    EXPECT_EQ(w.Lease().State(), TDataSetState::Browse);

    // The standard window has no such rule.
    AddLease(db::TLeaseKind::NN, QStringLiteral("2"));
    TWindow standard(false);
    standard.Click("ChB_D_Mois1");
    standard.Type("E_D_Autre1", QStringLiteral("x"));
    EXPECT_TRUE(standard.Find<QCheckBox>("ChB_D_Mois1")->isChecked());
}

TEST_F(BailCoopTest, ByLawsDateIsNotFilledInOnEnteringButTypingMarksItGiven)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::NO, QStringLiteral("1"));
    TWindow w(false, true);
    w.ClickYesNo("Rg_E_Remis", 0);
    ASSERT_TRUE(Flag(w.Lease(), "E_REMIS"));
    auto *date = w.Reveal(w.Find<QLineEdit>("E_E_Date"));
    date->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(IsNull(w.Lease(), "E_DATE"));
    EXPECT_EQ(w.host.status, QStringLiteral("Format de date: aaaa/mm/jj"));
    w.ClickYesNo("Rg_E_Remis", 1);
    EXPECT_FALSE(Flag(w.Lease(), "E_REMIS"));
    w.Type("E_E_Date", QStringLiteral("2025"));
    EXPECT_TRUE(Flag(w.Lease(), "E_REMIS"));
}

// The sentences that run over several captions read on in English: each caption shows its
// whole text and the next one starts just after it.
TEST_F(BailCoopTest, EnglishSentencesOverSeveralCaptionsReadWithoutGapsOrOverlaps)
{
    TDataFolder folder;
    AddLease(db::TLeaseKind::OO, QStringLiteral("1"));
    English();
    TWindow w(true, true);
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Lease of a dwelling in a cooperative - Elderly or handicapped persons"));
    EXPECT_EQ(w.Find<ui::TKelSpeedButton>("Pb_SelLocateur")->toolTip(), QStringLiteral("Cooperative selection"));
    EXPECT_EQ(w.Find<ui::TKelButton>("PB_Annexe")->text(), QStringLiteral("Schedule..."));
    EXPECT_EQ(w.Find<dataset::TDBRadioGroup>("RG_A_MemCoop1")->Items(), (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(w.Find<QLabel>("Lb_Title_E2")->text(), QStringLiteral("SERVICES AND CONDITIONS (cont.)"));
    ExpectNoWord(w, QStringLiteral("landlord"));
    w.form->resize(1200, 900);
    w.form->Pages()->setCurrentIndex(1);
    QCoreApplication::processEvents();

    const QStringList sentence = {QStringLiteral("The rent for the"), QStringLiteral(" first payment period "),
                                  QStringLiteral("will be paid in whole, on")};
    std::vector<QLabel *> pieces;
    for (const QString &text : sentence)
        for (QLabel *l : w.Find("Sec_D")->findChildren<QLabel *>())
            if (l->text() == text)
                pieces.push_back(l);
    ASSERT_EQ(pieces.size(), 3u);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const QRect r = pieces[i]->geometry();
        EXPECT_GE(r.width(), pieces[i]->fontMetrics().horizontalAdvance(pieces[i]->text())) << i;
        if (i == 0)
            continue;
        const QRect before = pieces[i - 1]->geometry();
        EXPECT_EQ(r.top(), before.top()) << i;
        EXPECT_GE(r.left(), before.right() + 1) << i;  // no overlap
        EXPECT_LE(r.left(), before.right() + 10) << i; // no gap beyond the spacing of a line
    }
    // Nowhere on the form does a one-line caption lose part of its text.
    for (int p = 0; p < TBailStdForm::kPageCount; ++p) {
        w.form->Pages()->setCurrentIndex(p);
        QCoreApplication::processEvents();
        for (QLabel *l : w.form->PageArea(p)->findChildren<QLabel *>()) {
            if (!l->wordWrap() && !Qt::mightBeRichText(l->text()) && !l->text().isEmpty()) {
                EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
            }
        }
    }
}

} // namespace
