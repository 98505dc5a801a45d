// The recording canvas: what each drawing operation leaves in the page, in page units.

#include "pdf/FontEngine.h"
#include "printout/EmfListing.h"
#include "printout/PageCanvas.h"
#include "printout/Player.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace printout;
using namespace printout::emf;

namespace {

TMetafile LetterPage()
{
    TMetafile mf;
    mf.SetDevice(TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    return mf;
}

std::vector<uint32_t> Types(const TMetafile &mf)
{
    std::vector<uint32_t> t;
    for (int i = 0; i < mf.RecordCount(); ++i)
        t.push_back(mf.Record(i).type);
    return t;
}

} // namespace

TEST(FontEngine, FamiliesResolveToTheMetricCompatibleFonts)
{
    auto &engine = pdf::TFontEngine::Instance();
    const pdf::TFontFace *arial = engine.Face(QStringLiteral("Arial"), false, false);
    const pdf::TFontFace *times = engine.Face(QStringLiteral("Times New Roman"), true, false);
    const pdf::TFontFace *courier = engine.Face(QStringLiteral("courier"), false, true);
    ASSERT_TRUE(arial && times && courier);
    EXPECT_EQ(arial->FamilyName(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(engine.Face(QStringLiteral("Times"), false, false)->FamilyName(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(times->FamilyName(), QStringLiteral("Liberation Serif"));
    EXPECT_TRUE(times->IsBold());
    EXPECT_EQ(courier->FamilyName(), QStringLiteral("Liberation Mono"));
    EXPECT_TRUE(courier->IsItalic());
    EXPECT_TRUE(courier->IsFixedPitch());
    // Arial's metrics: 2048 units per em, "A" 1366 wide, cell 1854 + 434.
    EXPECT_EQ(arial->UnitsPerEm(), 2048);
    EXPECT_EQ(arial->AdvanceUnits(U'A'), 1366);
    EXPECT_EQ(arial->Metrics().winAscent, 1854);
    EXPECT_EQ(arial->Metrics().winDescent, 434);
    EXPECT_TRUE(arial->IsTrueType());
    EXPECT_TRUE(arial->EmbeddingAllowed());
    EXPECT_EQ(arial->GlyphName(arial->GlyphIndex(U'é')), QStringLiteral("eacute"));
    EXPECT_FALSE(arial->FileBytes().isEmpty());
    EXPECT_EQ(arial->FileBytes().left(4), QByteArray::fromHex("00010000"));
    EXPECT_EQ(engine.Face(QStringLiteral("ARIAL"), false, false), arial); // cached
    // Rounded advances never drift from the exact width by more than half a unit.
    const QString text = QStringLiteral("Que le bail soit à durée fixe ou indéterminée");
    const std::vector<int> dx = arial->RoundedAdvances(text, 35);
    long long sum = 0;
    for (int d : dx)
        sum += d;
    EXPECT_NEAR(double(sum), arial->TextWidth(text, 35), 0.5);
    EXPECT_EQ(dx.size(), size_t(text.size()));
}

TEST(PageCanvas, PrologueAndOneRecordPerDrawingOperation)
{
    TMetafile mf = LetterPage();
    TPageCanvas canvas(mf);
    const std::vector<uint32_t> prologue{EMR_SETMAPMODE, EMR_SETWINDOWEXTEX, EMR_SETVIEWPORTEXTEX, EMR_SETBKMODE};
    EXPECT_EQ(Types(mf), prologue);
    EXPECT_EQ(mf.Record(0).U32(8), MM_LOMETRIC);
    EXPECT_EQ(mf.Record(3).U32(8), TRANSPARENT);

    canvas.MoveTo(250, -400);
    canvas.LineTo(500, -400);
    canvas.LineTo(500, -600); // the pen is made once
    std::vector<uint32_t> expect = prologue;
    expect.insert(expect.end(), {EMR_MOVETOEX, EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_LINETO, EMR_LINETO});
    EXPECT_EQ(Types(mf), expect);
    EXPECT_EQ(mf.Record(4).I32(8), 250);
    EXPECT_EQ(mf.Record(4).I32(12), -400);

    // A new pen width makes a new pen and deletes the old one after selecting the new.
    canvas.SetPenWidth(5);
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.Rectangle(100, -100, 200, -200);
    const int n = mf.RecordCount();
    EXPECT_EQ(mf.Record(n - 1).type, EMR_RECTANGLE);
    EXPECT_EQ(mf.Record(n - 2).U32(8), kNullBrush);
    bool deleted = false;
    for (int i = 9; i < n; ++i)
        deleted |= mf.Record(i).type == EMR_DELETEOBJECT;
    EXPECT_TRUE(deleted);
}

TEST(PageCanvas, TextRecordCarriesWidthsAndTheFontEngineMeasure)
{
    TMetafile mf = LetterPage();
    TPageCanvas canvas(mf);
    canvas.SetFontName(QStringLiteral("Arial"));
    canvas.SetFontHeight(40);
    canvas.SetFontStyle(fsBold);
    canvas.SetFontColor(Qt::red);
    canvas.SetTextAlign(TA_BASELINE);
    const QString text = QStringLiteral("Bail n° 42 – été");
    const int width = canvas.TextWidth(text);
    canvas.TextOut(300, -500, text);
    const TRecordView r = mf.Record(mf.RecordCount() - 1);
    ASSERT_EQ(r.type, EMR_EXTTEXTOUTW);
    EXPECT_EQ(r.I32(36), 300);
    EXPECT_EQ(r.I32(40), -500);
    EXPECT_EQ(r.U32(44), uint32_t(text.size()));
    EXPECT_EQ(r.Utf16(r.U32(48), r.U32(44)), text);
    long long sum = 0;
    for (uint32_t i = 0; i < r.U32(44); ++i)
        sum += r.I32(r.U32(72) + 4 * i);
    EXPECT_EQ(sum, width);
    // Height 40 is a cell height: the em is 40 * 2048 / 2288.
    const pdf::TFontFace *bold = pdf::TFontEngine::Instance().Face(QStringLiteral("Arial"), true, false);
    EXPECT_NEAR(width, bold->TextWidth(text, 40.0 * 2048 / 2288), 0.5);
    EXPECT_EQ(r.size, 76 + ((uint32_t(text.size()) * 2 + 3) & ~3u) + 4 * uint32_t(text.size()));
    const QStringList lines = ListingLines(mf);
    EXPECT_TRUE(lines.last(2).first().endsWith(QStringLiteral("EMR_EXTTEXTOUTW    Position (  300,  -500)") + text));
    bool colour = false, font = false;
    for (const QString &l : lines) {
        colour |= l.contains(QLatin1String("EMR_SETTEXTCOLOR"));
        font |= l.contains(QLatin1String("EMR_EXTCREATEFONTINDIRECTW   Arial 11 700 ihFont = 1"));
    }
    EXPECT_TRUE(colour);
    EXPECT_TRUE(font) << lines.join(QLatin1Char('\n')).toStdString();
    // The search box is where the text is: 30 mm from the left, its baseline 50 mm down.
    const std::vector<TTextRun> runs = TextRuns(mf);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0].box.left(), 300, 0.5);
    EXPECT_NEAR(runs[0].box.width(), width, 0.5);
    EXPECT_LT(runs[0].box.top(), 500);
    EXPECT_GT(runs[0].box.bottom(), 500);
}

TEST(PageCanvas, RotatedFontThroughTheRawHandle)
{
    TMetafile mf = LetterPage();
    TPageCanvas canvas(mf);
    canvas.SetFontHeight(30);
    TLogFont rotated;
    rotated.height = 30;
    rotated.escapement = rotated.orientation = 900;
    const uint32_t font = canvas.CreateFontIndirect(rotated);
    const uint32_t old = canvas.SelectObject(font);
    canvas.SetTextAlign(TA_BASELINE | TA_CENTER);
    canvas.TextOut(100, -1000, QStringLiteral("vertical"));
    canvas.SelectObject(old);
    canvas.DeleteObject(font);
    canvas.TextOut(500, -1000, QStringLiteral("flat again"));
    const std::vector<TTextRun> runs = TextRuns(mf);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_GT(runs[0].box.height(), runs[0].box.width());   // reads upward
    EXPECT_NEAR(runs[0].box.center().y(), 1000, 1);           // centred on its point
    EXPECT_GT(runs[1].box.width(), runs[1].box.height());
    canvas.Finish();
    // Every object made was deleted, none while still selected.
    int created = 0, deletedCount = 0;
    for (int i = 0; i < mf.RecordCount(); ++i) {
        created += CreatesObject(mf.Record(i).type);
        deletedCount += mf.Record(i).type == EMR_DELETEOBJECT;
    }
    EXPECT_EQ(created, deletedCount);
}

TEST(PageCanvas, PlayedPageDrawsWhereItWasRecorded)
{
    TMetafile mf = LetterPage();
    {
        TPageCanvas canvas(mf);
        canvas.SetBrushColor(Qt::black);
        canvas.Rectangle(1000, -1000, 1100, -1100); // 100 mm from left and top, 10 mm square
        QImage red(4, 4, QImage::Format_RGB32);
        red.fill(Qt::red);
        red.setPixel(0, 0, qRgb(0, 0, 255)); // top-left marker stays top-left
        canvas.StretchDraw(QRect(QPoint(200, -200), QPoint(400, -400)), red);
    }
    // 100 dpi: 1 mm = 3.937 px.
    QImage image(850, 1100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PlayAtPhysicalSize(painter, mf, 100, 100);
    }
    EXPECT_EQ(image.pixel(413, 413), qRgb(0, 0, 0));       // inside the square (105 mm)
    EXPECT_EQ(image.pixel(380, 413), qRgb(255, 255, 255)); // left of it
    EXPECT_EQ(image.pixel(83, 83), qRgb(0, 0, 255));       // image's top-left quarter
    EXPECT_EQ(image.pixel(150, 150), qRgb(255, 0, 0));
}
