// The four standard lease pages read back from their recorded text, and looked at where the
// text alone cannot tell (check-box marks).

#include "LeaseFixture.h"

#include "forms/StdPagesTables.h"
#include "printout/PageCanvas.h"

using namespace formstest;

namespace {

// Width of a text in a form font entry, measured as the pages measure it.
int Width(int font, const QString &text)
{
    printout::TMetafile mf;
    mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    printout::TPageCanvas canvas(mf);
    forms::SetFormFont(canvas, font);
    return canvas.TextWidth(text);
}

} // namespace

class StdPages : public LeaseFixture {};

TEST_F(StdPages, ResidentialPurposeMarksYesOnlyWhenTrue)
{
    const QString n = StandardLease();
    SetFields(n, {{"B_FINRESID", true}, {"LANGUEIMP", "F"}});
    auto yes = Print(n, 1, 1);
    const QImage marked = Picture(*yes, 1);
    EXPECT_TRUE(Crossed(marked, 1240, 1650));
    EXPECT_FALSE(Crossed(marked, 1520, 1650));

    SetFields(n, {{"B_FINRESID", QVariant()}});
    auto empty = Print(n, 1, 1);
    const QImage unmarked = Picture(*empty, 1);
    EXPECT_FALSE(Crossed(unmarked, 1240, 1650));
    EXPECT_TRUE(Crossed(unmarked, 1520, 1650));
    // The labels of the pair end where the page puts them.
    const auto runs = Runs(*empty, 1);
    const auto oui = Find(runs, QStringLiteral("Oui"), 1680);
    ASSERT_TRUE(oui);
    EXPECT_NEAR(oui->box.right(), 1230, 1.5);
}

TEST_F(StdPages, EndDatePrintsDayMonthAndYearOnItsDateLine)
{
    const QString n = StandardLease();
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"C_FIN", QDate(2024, 12, 31)}, {"LANGUEIMP", language}});
        auto p = Print(n, 2, 2);
        const bool french = QLatin1String(language) == QLatin1String("F");
        const int r = 330 + Width(9, french ? QStringLiteral("et se terminant le ") : QStringLiteral("and ending on "));
        const auto runs = Runs(*p, 1);
        const auto day = Find(runs, QStringLiteral("31"), 328);
        const auto month = Find(runs, french ? QStringLiteral("décembre") : QStringLiteral("December"), 328);
        const auto year = Find(runs, QStringLiteral("2024"), 328);
        ASSERT_TRUE(day && month && year) << language;
        EXPECT_NEAR(day->box.left(), r + 30, 1.5) << language;
        EXPECT_NEAR(month->box.left(), r + 160, 1.5) << language;
        EXPECT_NEAR(year->box.left(), r + 540, 1.5) << language;
    }
}

TEST_F(StdPages, DatesWrittenAsTextUseTheDateFormat)
{
    const QString n = StandardLease();
    SetFields(n, {{"E_DATE", QDate(2025, 3, 7)}, {"G_DATE", QDate(2024, 11, 2)}, {"LANGUEIMP", "F"}});
    auto p = Print(n, 3, 4);
    ASSERT_EQ(m_drawn, 2);
    EXPECT_TRUE(Find(Runs(*p, 1), QStringLiteral("2025/03/07"), 740));
    const auto g = Find(Runs(*p, 2), QStringLiteral("2024/11/02"), 2042);
    ASSERT_TRUE(g);
    EXPECT_NEAR(g->box.left(), 300, 1.5);
}

TEST_F(StdPages, TotalEndsAtTheLineEndWithLeadingStars)
{
    const QString n = StandardLease();
    for (const char *total : {"12,00 $", "123456,78 $"}) {
        for (const char *language : {"F", "A"}) {
            SetFields(n, {{"D_TOTAL1", total}, {"LANGUEIMP", language}});
            auto p = Print(n, 2, 2);
            const auto runs = Runs(*p, 1);
            bool found = false;
            for (const auto &r : runs) {
                if (r.text.endsWith(QLatin1String(" ") + QLatin1String(total)) && r.text.startsWith(QLatin1Char('*'))) {
                    found = true;
                    EXPECT_NEAR(r.box.right(), 2040, 1.5) << total << language;
                }
            }
            EXPECT_TRUE(found) << total << language;
        }
    }
}

TEST_F(StdPages, DollarSignsFollowTheLanguageText)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 2, 4);
    const auto en2 = Runs(*en, 1), en4 = Runs(*en, 3);
    EXPECT_TRUE(HasText(en2, QStringLiteral("The rent is $ ")));
    EXPECT_TRUE(HasText(en2, QStringLiteral("per month")));
    EXPECT_FALSE(HasText(en2, QStringLiteral("$    par mois")));
    const auto notice = Find(en4, QStringLiteral("$ "), 1675);
    ASSERT_TRUE(notice);
    EXPECT_NEAR(notice->box.left(), 300, 1.5);

    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 2, 4);
    const auto fr2 = Runs(*fr, 1), fr4 = Runs(*fr, 3);
    EXPECT_TRUE(HasText(fr2, QStringLiteral("Le loyer est de ")));
    EXPECT_TRUE(HasText(fr2, QStringLiteral("$    par mois")));
    EXPECT_FALSE(Find(fr4, QStringLiteral("$ "), 1675));
    EXPECT_TRUE(HasText(fr4, QStringLiteral("$ par mois")));
}

TEST_F(StdPages, WeeklyBoxMovesToTheNextLineInEnglish)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 2, 2);
    const auto week = Find(Runs(*en, 1), QStringLiteral("of the week"), 1718);
    ASSERT_TRUE(week);
    EXPECT_NEAR(week->box.left(), 330, 1.5);

    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 2, 2);
    const auto runs = Runs(*fr, 1);
    EXPECT_TRUE(Find(runs, QStringLiteral("de la semaine"), 1634));
    const auto other = Find(runs, QStringLiteral("autre "), 1718);
    ASSERT_TRUE(other);
    EXPECT_NEAR(other->box.left(), 330, 1.5);
}

TEST_F(StdPages, LinesOfOneLanguageOnly)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 1, 4);
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 1, 4);
    const auto comma = Find(Runs(*fr, 1), QStringLiteral(","), 1750);
    ASSERT_TRUE(comma);
    EXPECT_NEAR(comma->box.left(), 2021, 1.5);
    EXPECT_FALSE(Find(Runs(*en, 1), QStringLiteral(","), 1750));
    EXPECT_TRUE(HasText(Runs(*en, 2), QStringLiteral("by law) (particulars Nos. 5 and 9).")));
    EXPECT_TRUE(HasText(Runs(*en, 3), QStringLiteral("and 1911 C.C.V.).")));
    for (int page = 1; page <= 4; ++page) {
        for (const auto &r : Runs(*fr, page)) {
            EXPECT_NE(r.text, QLatin1String("by law) (particulars Nos. 5 and 9)."));
            EXPECT_NE(r.text, QLatin1String("and 1911 C.C.V.)."));
        }
    }
}

TEST_F(StdPages, LessorBlockStaysEmptyWithoutLessor)
{
    const QString n = StandardLease();
    SetFields(n, {{"NOLOCATEUR", 1}, {"LANGUEIMP", "F"}});
    auto with = Print(n, 1, 1);
    ASSERT_TRUE(m_lessor->FindKey(1LL));
    const QString name = m_lessor->FieldByName(QStringLiteral("NOM"))->DisplayText();
    ASSERT_FALSE(name.isEmpty());
    const auto at = Find(Runs(*with, 1), name, 585);
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->box.left(), 1200, 1.5);

    SetFields(n, {{"NOLOCATEUR", 4321}});
    auto without = Print(n, 1, 1);
    const auto runs = Runs(*without, 1);
    EXPECT_FALSE(HasText(runs, name));
    // The labels are there, and nothing else is written in the lessor's column.
    EXPECT_TRUE(HasText(runs, QStringLiteral("Fonction")));
    EXPECT_TRUE(HasText(runs, QStringLiteral("S'il y a lieu, représenté par")));
    const QStringList labels = {QStringLiteral("Rue"),       QStringLiteral("App."),    QStringLiteral("Code"),
                                QStringLiteral("postal"),    QStringLiteral("Téléphone"), QStringLiteral("(autre)"),
                                QStringLiteral("et le propriétaire (locateur)")};
    for (const auto &r : runs)
        if (r.box.left() > 1190 && r.box.top() > 540 && r.box.bottom() < 1000 && !labels.contains(r.text))
            ADD_FAILURE() << "lessor value without lessor: " << r.text.toStdString();
}

TEST_F(StdPages, EveryLegalLineFitsInsideItsFrame)
{
    QStringList french, english;
    for (const auto &line : forms::stdpages::LegalLines()) {
        for (const char *language : {"F", "A"}) {
            db::SetPrintingLanguage(QLatin1String(language));
            printout::TMetafile mf;
            mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
            printout::TPageCanvas canvas(mf);
            const int end = forms::stdpages::LegalLineEnd(canvas, line);
            EXPECT_LE(end, 2030) << "page " << line.page << " y " << line.y << " " << language;
            (QLatin1String(language) == QLatin1String("F") ? french : english)
                << forms::stdpages::Pick(line.fr, line.en);
        }
    }
    // Our own wording, long enough to be paragraphs rather than stubs.
    EXPECT_GT(french.join(QLatin1Char(' ')).split(QLatin1Char(' ')).size(), 450);
    EXPECT_GT(english.join(QLatin1Char(' ')).split(QLatin1Char(' ')).size(), 450);
    db::InitSettings();
}

TEST_F(StdPages, FormTextOfAnEmptyLeaseStaysInsideTheLayout)
{
    // Form texts only: a lease with nothing typed in.
    const QString n = StandardLease();
    ASSERT_TRUE(m_lease->FindKey(n));
    m_lease->Edit();
    for (int i = 0; i < m_lease->FieldCount(); ++i) {
        dataset::TField *f = m_lease->Fields(i);
        const QString name = f->FieldName().toUpper();
        if (name != QLatin1String("NOBAIL") && name != QLatin1String("BAILAHCOOP") && name != QLatin1String("LANGUEIMP"))
            f->Clear();
    }
    m_lease->Post();
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"LANGUEIMP", language}});
        auto p = Print(n, 1, 4);
        ASSERT_EQ(m_drawn, 4);
        for (int page = 1; page <= 4; ++page) {
            for (const auto &r : Runs(*p, page)) {
                if (r.text.trimmed().isEmpty())
                    continue;
                EXPECT_GE(r.box.left(), 93 - 1) << language << page << r.text.toStdString();
                EXPECT_LE(r.box.right(), 2070 + 1) << language << page << r.text.toStdString();
                EXPECT_LE(r.box.bottom(), 2730) << language << page << r.text.toStdString();
            }
        }
        // Footers carry the page numbers of the ten-page form.
        EXPECT_TRUE(HasText(Runs(*p, 1), forms::stdpages::PageText(1)));
        EXPECT_TRUE(HasText(Runs(*p, 4), forms::stdpages::PageText(4)));
    }
}
