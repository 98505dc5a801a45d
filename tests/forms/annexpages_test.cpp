// The Annex pages painted one at a time from a demo Annex row and read back from their
// recorded text, or looked at where the text cannot tell.

#include "LeaseFixture.h"

#include "db/AnnexRows.h"
#include "forms/AnnexPages.h"
#include "forms/StdPagesTables.h"
#include "printout/PageCanvas.h"

using namespace formstest;

namespace {

printout::TMetafile SheetMetafile()
{
    printout::TMetafile mf;
    mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    return mf;
}

} // namespace

class AnnexPages : public LeaseFixture {
protected:
    // One page drawn by painter in a language ("F" or "A") from the first Annex row.
    std::unique_ptr<printout::TPrintout> Paint(forms::TPagePainter painter, const char *language)
    {
        auto p = std::make_unique<printout::TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("test"));
        m_annex->First();
        forms::TLeaseRows rows;
        rows.annex = forms::TRow(m_annex.get());
        db::SetPrintingLanguage(QLatin1String(language));
        p->NewPage(1);
        painter(rows, *p);
        p->EndPage();
        return p;
    }
    void SetAnnex(std::initializer_list<std::pair<const char *, bool>> values)
    {
        m_annex->First();
        m_annex->Edit();
        for (const auto &[name, value] : values)
            m_annex->FieldByName(QLatin1String(name))->SetAsBoolean(value);
        m_annex->Post();
    }
};

TEST_F(AnnexPages, TitleStartsFromEntry19InFrenchAnd18InEnglish)
{
    const auto fr = Find(Runs(*Paint(forms::PaintAnnexPage1, "F"), 1), QStringLiteral("ANNEXE AU BAIL"));
    const auto en = Find(Runs(*Paint(forms::PaintAnnexPage1, "A"), 1), QStringLiteral("SCHEDULE TO THE LEASE"));
    ASSERT_TRUE(fr && en);
    // Neither title needs shrinking to 1350, so each keeps its entry's height.
    EXPECT_NEAR(fr->box.height() / en->box.height(), double(forms::FittedHeight(19)) / forms::FittedHeight(18), 0.05);
    EXPECT_LE(en->box.width(), 1350);
}

TEST_F(AnnexPages, ColumnHeadsHaveOneShrunkHeightInBothLanguages)
{
    const auto draw = [](const char *language) {
        db::SetPrintingLanguage(QLatin1String(language));
        printout::TMetafile mf = SheetMetafile();
        {
            printout::TPageCanvas canvas(mf);
            forms::RestoreNormalState(canvas);
            forms::DrawServicesHeader(canvas, 160, 2650, true);
        }
        return printout::TextRuns(mf);
    };
    const auto fr = draw("F"), en = draw("A");
    const auto frHead = Find(fr, QStringLiteral("(souvent payables")), enHead = Find(en, QStringLiteral("payable each"));
    const auto frOther = Find(fr, QStringLiteral("Cocher si inclus")), enOther = Find(en, QStringLiteral("Tick off if"));
    ASSERT_TRUE(frHead && enHead && frOther && enOther);
    EXPECT_LE(frHead->box.width(), forms::kServicesHeadWidth);
    EXPECT_NEAR(frHead->box.height(), enHead->box.height(), 0.01);
    EXPECT_NEAR(frOther->box.height(), enHead->box.height(), 0.01);
    EXPECT_TRUE(HasText(fr, QStringLiteral("LISTE DES SERVICES (suite)")));
    EXPECT_TRUE(HasText(en, QStringLiteral("LIST OF SERVICES (cont.)")));
    // Every head inside its column (x 1155 to 2065).
    for (const auto *runs : {&fr, &en})
        for (const auto &r : *runs)
            if (r.box.top() > 160) {
                EXPECT_TRUE(r.box.left() >= 1155 && r.box.right() <= 2065) << r.text.toStdString();
            }
    db::InitSettings();
}

TEST_F(AnnexPages, ProseFitsItsColumnsAndIsOurOwnParagraphs)
{
    QStringList french, english;
    for (const auto &line : forms::AnnexProse()) {
        for (const char *language : {"F", "A"}) {
            db::SetPrintingLanguage(QLatin1String(language));
            printout::TMetafile mf = SheetMetafile();
            printout::TPageCanvas canvas(mf);
            EXPECT_LE(forms::AnnexProseEnd(canvas, line), line.right) << "y " << line.y << " " << language;
            (QLatin1String(language) == QLatin1String("F") ? french : english)
                << forms::stdpages::Pick(line.fr, line.en);
        }
    }
    EXPECT_GT(french.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 180);
    EXPECT_GT(english.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 180);
    db::InitSettings();
}

TEST_F(AnnexPages, TextStaysOnTheSheetAndPagesAreNumberedOfEight)
{
    const forms::TPagePainter painters[] = {forms::PaintAnnexPage1, forms::PaintAnnexPage2, forms::PaintAnnexPage3,
                                            forms::PaintAnnexPage4, forms::PaintAnnexPage5,
                                            forms::PaintAnnexPage6, forms::PaintAnnexPage7,
                                            forms::PaintAnnexPage8};
    for (int page = 1; page <= int(std::size(painters)); ++page) {
        for (const char *language : {"F", "A"}) {
            auto p = Paint(painters[page - 1], language);
            const auto runs = Runs(*p, 1);
            for (const auto &r : runs)
                EXPECT_TRUE(r.box.left() >= 115 && r.box.right() <= 2075 && r.box.top() >= 60 &&
                            r.box.bottom() <= 2720)
                    << page << language << " " << r.text.toStdString();
            const QString of = QLatin1String(language) == QLatin1String("F") ? QStringLiteral("Page %1 de 8")
                                                                             : QStringLiteral("Page %1 of 8");
            EXPECT_TRUE(HasText(runs, of.arg(page))) << page << language;
        }
    }
    db::InitSettings();
}

TEST_F(AnnexPages, Page1ShowsTheLeaseNumberOnItsLine)
{
    const auto runs = Runs(*Paint(forms::PaintAnnexPage1, "A"), 1);
    const auto number = Find(runs, m_annex->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed(), 330);
    ASSERT_TRUE(number);
    EXPECT_GE(number->box.left(), 1865);
    db::InitSettings();
}

TEST_F(AnnexPages, Page1BoxesFollowTheirFields)
{
    SetAnnex({{"LOG_APP", true}, {"LOG_PRIV", false}, {"INTERPHONE", true}, {"BALC_COM", false}});
    const QImage image = Picture(*Paint(forms::PaintAnnexPage1, "F"), 1);
    EXPECT_TRUE(Crossed(image, 1005, 1475));
    EXPECT_FALSE(Crossed(image, 1005, 1605));
    EXPECT_TRUE(Crossed(image, 1980, 2400));
    EXPECT_FALSE(Crossed(image, 1980, 1540));
    db::InitSettings();
}

TEST_F(AnnexPages, ServiceRowsShowTheirBoxesAndEmptyAmountsAsZero)
{
    SetAnnex({{"LAV_1", true}, {"LAV_3", false}, {"MENANN_1", false}, {"MENANN_3", true}});
    m_annex->First();
    m_annex->Edit();
    for (const char *amount : {"LAV_2", "BUA_LIT_2", "BUA_VET_2", "MEN_2", "MENANN_2"})
        m_annex->FieldByName(QLatin1String(amount))->Clear();
    m_annex->FieldByName(QStringLiteral("MED_CONSER"))->Clear();
    m_annex->Post();
    // An unanswered Yes/No marks No.
    const QImage page4 = Picture(*Paint(forms::PaintAnnexPage4, "F"), 1);
    EXPECT_FALSE(Crossed(page4, 975, 2520));
    EXPECT_TRUE(Crossed(page4, 1075, 2520));
    const QString zero = QLocale::system().toString(0.0, 'f', 2);
    for (const char *language : {"F", "A"}) {
        auto p = Paint(forms::PaintAnnexPage3, language);
        const auto runs = Runs(*p, 1);
        const auto zeros = std::count_if(runs.begin(), runs.end(), [&](const auto &r) {
            return r.text == zero && r.box.left() > 1450 && r.box.right() < 1745;
        });
        EXPECT_EQ(zeros, 5) << language;
        const QImage image = Picture(*p, 1);
        EXPECT_TRUE(Crossed(image, 1280, 700));
        EXPECT_FALSE(Crossed(image, 1880, 700));
        EXPECT_FALSE(Crossed(image, 1280, 2270));
        EXPECT_TRUE(Crossed(image, 1880, 2270));
    }
    db::InitSettings();
}

TEST_F(AnnexPages, Page8TotalsAddEveryAmountAndStarTheRent)
{
    // The amount printed in column 2 on a baseline (drawn 5 units above it).
    const auto amountAt = [](const std::vector<printout::TTextRun> &runs, int baseline) {
        for (const auto &r : runs)
            if (r.box.left() > 1450 && r.box.right() < 1745 && r.box.top() < baseline - 5 && r.box.bottom() > baseline - 5)
                return r.text;
        return QString();
    };
    const auto money = [](long double v) {
        QLocale locale = QLocale::system();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(double(v), 'f', 2);
    };
    const auto amounts = db::AnnexAmountFields();
    struct Case {
        const char *name;
        bool empty;
    };
    for (const Case c : {Case{"no amounts", true}, Case{"some negative", false}}) {
        m_annex->First();
        m_annex->Edit();
        long double sum = 0;
        for (size_t i = 0; i < amounts.size(); ++i) {
            dataset::TField *f = m_annex->FieldByName(QLatin1String(amounts[i]));
            if (c.empty) {
                f->Clear();
            } else {
                const double v = i % 4 == 0 ? -12.35 : 7.1 + double(i);
                f->SetAsFloat(v);
                sum += v;
            }
        }
        m_annex->Post();
        const double rent = m_annex->FieldByName(QStringLiteral("MNTBAIL"))->AsFloat();
        const auto runs = Runs(*Paint(forms::PaintAnnexPage8, "F"), 1);
        EXPECT_EQ(amountAt(runs, 1070), money(sum)) << c.name;
        const QString rentRun = amountAt(runs, 1270), addedRun = amountAt(runs, 1360), totalRun = amountAt(runs, 1450);
        EXPECT_TRUE(rentRun.startsWith(QLatin1Char('*')) && rentRun.endsWith(money(rent))) << c.name;
        EXPECT_TRUE(addedRun.startsWith(QLatin1Char('*')) && addedRun.endsWith(money(sum))) << c.name;
        EXPECT_TRUE(totalRun.startsWith(QLatin1Char('*')) && totalRun.endsWith(money(rent + sum))) << c.name;
        if (c.empty) {
            EXPECT_EQ(totalRun, rentRun);
        }
    }
    db::InitSettings();
}
