#include "db/Settings.h"
#include "forms/FormPrims.h"
#include "printout/PageCanvas.h"
#include "printout/Player.h"
#include "printout/Printout.h"

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <gtest/gtest.h>

using namespace forms;

namespace {

// A page of a Letter sheet at 600 dpi, recording.
class FormPage : public ::testing::Test {
protected:
    FormPage()
    {
        db::InitSettings();
        m_metafile.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
        m_canvas = std::make_unique<TPageCanvas>(m_metafile);
        RestoreNormalState(Canvas());
    }
    ~FormPage() override { db::InitSettings(); }
    TPageCanvas &Canvas() { return *m_canvas; }
    void Close()
    {
        if (!m_canvas->IsFinished())
            m_canvas->Finish();
    }
    std::vector<printout::TTextRun> Runs()
    {
        Close();
        return printout::TextRuns(m_metafile);
    }
    const printout::TTextRun *Run(const std::vector<printout::TTextRun> &runs, const QString &text)
    {
        for (const auto &r : runs)
            if (r.text == text)
                return &r;
        return nullptr;
    }
    QImage Picture()
    {
        Close();
        QImage image(850, 1100, QImage::Format_RGB32); // 100 dpi
        image.fill(Qt::white);
        QPainter p(&image);
        printout::PlayAtPhysicalSize(p, m_metafile, 100, 100);
        return image;
    }

    printout::TMetafile m_metafile;
    std::unique_ptr<TPageCanvas> m_canvas;
};

} // namespace

TEST(FormFonts, CalibrationNeverWidensAndKeepsFontsThatFit)
{
    CalibrateFormFonts();
    for (int i = 1; i <= kFormFontCount; ++i) {
        const FontRecord &f = FormFont(i);
        EXPECT_GE(f.fittedHeight, 1) << i;
        EXPECT_LE(f.fittedHeight, f.nominalHeight) << i;
    }
    EXPECT_EQ(FormFont(9).nominalHeight, 40);
    EXPECT_EQ(FormFont(34).nominalHeight, 65);
    EXPECT_TRUE(FormFont(34).bold);
    EXPECT_TRUE(FormFont(39).italic);
    EXPECT_EQ(QLatin1String(FormFont(37).face), QLatin1String("Times"));
}

TEST(FormFonts, ANarrowPrinterKeepsTheNominalHeightsAndAWideOneLowersThem)
{
    // Widths proportional to the height: exactly the reference at the nominal height, or 20 % wider.
    auto scaled = [](double factor) {
        return [factor](const FontRecord &f, int height) {
            return factor * f.referenceWidth * height / f.nominalHeight;
        };
    };
    CalibrateFormFonts(scaled(1.0));
    for (int i = 1; i <= kFormFontCount; ++i)
        EXPECT_EQ(FormFont(i).fittedHeight, FormFont(i).nominalHeight) << i;
    CalibrateFormFonts(scaled(1.2));
    for (int i = 1; i <= kFormFontCount; ++i) {
        const FontRecord &f = FormFont(i);
        EXPECT_LT(f.fittedHeight, f.nominalHeight) << i;
        EXPECT_LE(1.2 * f.fittedHeight, f.nominalHeight + 1e-9) << i;
        EXPECT_GT(1.2 * (f.fittedHeight + 1), f.nominalHeight) << i;
    }
    // A measure that never fits still ends, at height 1.
    CalibrateFormFonts([](const FontRecord &, int) { return 1e9; });
    EXPECT_EQ(FormFont(9).fittedHeight, 1);
    CalibrateFormFonts();
}

TEST_F(FormPage, FittedFontsMakeTheReferenceSentenceFitItsWidth)
{
    CalibrateFormFonts();
    for (int i = 1; i <= kFormFontCount; ++i) {
        SetFormFont(Canvas(), i);
        const int width = Canvas().TextWidth(ReferenceSentence());
        // Within a few units of rounding: the canvas measures in whole device pixels.
        EXPECT_LE(width, FormFont(i).referenceWidth + 4) << i;
        if (FormFont(i).fittedHeight < FormFont(i).nominalHeight) {
            Canvas().SetFontHeight(FormFont(i).fittedHeight + 1);
            EXPECT_GT(Canvas().TextWidth(ReferenceSentence()), FormFont(i).referenceWidth - 4) << i;
        }
    }
}

TEST_F(FormPage, StarFillPadsOnTheSideAsked)
{
    SetFormFont(Canvas(), 9);
    const QString left = StarFill(Canvas(), QStringLiteral("750"), 240, 2);
    EXPECT_TRUE(left.endsWith(QLatin1String(" 750")));
    EXPECT_TRUE(left.startsWith(QLatin1Char('*')));
    EXPECT_LT(Canvas().TextWidth(left), 240);
    EXPECT_GE(Canvas().TextWidth(left + QLatin1Char('*')), 240);
    const QString right = StarFill(Canvas(), QStringLiteral("750"), 240, 0);
    EXPECT_TRUE(right.startsWith(QLatin1String("750 *")));
    const QString both = StarFill(Canvas(), QStringLiteral("750"), 240, 6);
    EXPECT_TRUE(both.contains(QLatin1String("* 750 *")));
    EXPECT_EQ(both.count(QLatin1Char('*')) % 2, 0);
    const QString empty = StarFill(Canvas(), QString(), 240, 2);
    EXPECT_FALSE(empty.isEmpty());
    EXPECT_EQ(empty.count(QLatin1Char('*')), empty.size());
}

TEST_F(FormPage, StarFillNeverPassesItsWidthAndStopsOneStepShort)
{
    // Every side, short and long amounts, and the widths the pages use; both-side fills add
    // two stars a step, the step that would reach the width is not taken.
    SetFormFont(Canvas(), 9);
    for (const int side : {0, 1, 2}) {
        for (const char *text : {"", "7", "750,00", "12 345,67 $"}) {
            for (const int width : {240, 495, 630, 740, 900}) {
                const QString filled = StarFill(Canvas(), QString::fromUtf8(text), width, side);
                const std::string what = std::to_string(side) + " '" + text + "' " + std::to_string(width);
                EXPECT_LT(Canvas().TextWidth(filled), width) << what;
                QString next = filled;
                if (side != 2)
                    next.append(QLatin1Char('*'));
                if (side != 0)
                    next.prepend(QLatin1Char('*'));
                EXPECT_GE(Canvas().TextWidth(next), width) << what;
            }
        }
    }
}

TEST(FormText, PhoneNumbersAndMonthNames)
{
    EXPECT_EQ(FormatPhone(QStringLiteral("5145551234")), QLatin1String("(514) 555-1234"));
    EXPECT_EQ(FormatPhone(QStringLiteral("5551234")), QLatin1String("(   ) 555-1234"));
    EXPECT_EQ(FormatPhone(QString()), QLatin1String("(   )    -    "));
    db::SetPrintingLanguage(QStringLiteral("F"));
    EXPECT_EQ(MonthName(8), QStringLiteral("août"));
    db::SetPrintingLanguage(QStringLiteral("A"));
    EXPECT_EQ(MonthName(8), QLatin1String("August"));
    EXPECT_EQ(MonthName(0), QString());
    EXPECT_EQ(MonthName(13), QString());
    db::SetPrintingLanguage(QStringLiteral("F"));
}

TEST_F(FormPage, AmountLayoutInEnglishAndFrench)
{
    const QString text = QStringLiteral("1234") + QLocale::system().decimalPoint() + QStringLiteral("50");
    db::SetPrintingLanguage(QStringLiteral("A"));
    DrawAmount(Canvas(), 1000, 500, false, 1234.5);
    db::SetPrintingLanguage(QStringLiteral("F"));
    DrawAmount(Canvas(), 1000, 800, false, 1234.5);
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 4u);
    // English: "$" at x - 10, the amount ending at x + 260 half a millimetre up.
    EXPECT_EQ(runs[0].text, QLatin1String("$"));
    EXPECT_NEAR(runs[0].box.left(), 990, 1.5);
    EXPECT_EQ(runs[1].text, text);
    EXPECT_NEAR(runs[1].box.right(), 1260, 1.5);
    // French: the amount ending at x + 240, "$" after it at x + 245.
    EXPECT_EQ(runs[2].text, text);
    EXPECT_NEAR(runs[2].box.right(), 1240, 1.5);
    EXPECT_EQ(runs[3].text, QLatin1String("$"));
    EXPECT_NEAR(runs[3].box.left(), 1245, 1.5);
    EXPECT_LT(runs[2].box.bottom(), runs[3].box.bottom()); // raised above the line
}

TEST_F(FormPage, EmptyDatesDrawNothingAndRealOnesDrawThreeParts)
{
    SetFormFont(Canvas(), 9);
    DrawDate(Canvas(), 300, 400, QDate());
    DrawDate(Canvas(), 300, 600, QDate(2025, 7, 1));
    const auto runs = Runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, QLatin1String("1"));
    EXPECT_NEAR(runs[0].box.left(), 330, 1.5);
    EXPECT_EQ(runs[1].text, QLatin1String("juillet"));
    EXPECT_NEAR(runs[1].box.left(), 460, 1.5);
    EXPECT_EQ(runs[2].text, QLatin1String("2025"));
    EXPECT_NEAR(runs[2].box.left(), 840, 1.5);
}

TEST_F(FormPage, YesNoMarksNonForEmptyAndFalse)
{
    SetFormFont(Canvas(), 9);
    DrawYesNo(Canvas(), 500, 800, 300, 270, false);
    const QImage image = Picture();
    // 100 dpi: one form unit is 0.03937 pixel. Box "Oui" at 510..545, box "Non" at 810..845.
    auto centreDark = [&](int left, int top) {
        const int x = int((left + 17.5) * 100 / 254.0), y = int((top + 17.5) * 100 / 254.0);
        return qGray(image.pixel(x, y)) < 128;
    };
    EXPECT_FALSE(centreDark(510, 270));
    EXPECT_TRUE(centreDark(810, 270));
}

TEST_F(FormPage, SaveTonerOutlinesTheSectionLetter)
{
    db::SetSaveToner(false);
    DrawSectionLetter(Canvas(), 93, 100, QStringLiteral("A"));
    db::SetSaveToner(true);
    DrawSectionLetter(Canvas(), 93, 400, QStringLiteral("B"));
    const QImage image = Picture();
    auto px = [&](int x, int y) { return qGray(image.pixel(int(x * 100 / 254.0), int(y * 100 / 254.0))); };
    EXPECT_LT(px(100, 108), 128); // black square
    EXPECT_GT(px(100, 408), 128); // white square with an outline
    EXPECT_LT(px(93, 440), 128);
}

TEST_F(FormPage, CheckBoxCrossStaysOneUnitInsideItsBox)
{
    DrawCheckBox(Canvas(), 300, 500, false);
    DrawCheckBox(Canvas(), 400, 500, true);
    Close();
    // Every line drawn runs between corners one unit inside the marked box (35 units wide);
    // the empty box draws none.
    std::vector<QPoint> ends;
    for (int i = 0; i < m_metafile.RecordCount(); ++i) {
        const printout::emf::TRecordView r = m_metafile.Record(i);
        if (r.type == printout::emf::EMR_MOVETOEX || r.type == printout::emf::EMR_LINETO)
            ends.push_back(QPoint(r.I32(8), -r.I32(12)));
    }
    ASSERT_EQ(ends.size(), 4u);
    for (const QPoint &p : ends) {
        EXPECT_TRUE(p.x() == 401 || p.x() == 434) << p.x();
        EXPECT_TRUE(p.y() == 501 || p.y() == 534) << p.y();
    }
    EXPECT_NE(ends[0], ends[1]);
    EXPECT_NE(ends[2], ends[3]);
}

TEST_F(FormPage, SaveTonerBandsAreWhiteWithBlackText)
{
    // A wide band so that its middle is clear of the caption.
    for (const bool save : {false, true}) {
        db::SetSaveToner(save);
        const int top = save ? 600 : 200;
        BeginSectionBand(Canvas(), 200, top, 2000, top + 80);
        Canvas().TextOut(1100, -(top + 60), QStringLiteral("ENTRE"));
        EndSectionBand(Canvas());
    }
    const QImage image = Picture();
    auto px = [&](int x, int y) { return qGray(image.pixel(int(x * 100 / 254.0), int(y * 100 / 254.0))); };
    EXPECT_LT(px(300, 240), 128); // black band
    EXPECT_GT(px(300, 640), 128); // white band
    EXPECT_LT(px(200, 640), 160); // with its outline
}
