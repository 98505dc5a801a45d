// The codec against real files: every fixture reads, lists, plays and writes back; damaged
// files are refused with a message; our pages read back record for record.

#include "printout/EmfListing.h"
#include "printout/Metafile.h"
#include "printout/PageCanvas.h"
#include "printout/Player.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace printout;

namespace {

QStringList Fixtures()
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("emf"));
    QStringList out;
    if (dir.isEmpty())
        return out;
    for (const QString &name : QDir(dir).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name))
        out.append(dir + QLatin1Char('/') + name);
    return out;
}

TMetafile LetterPage()
{
    TMetafile mf;
    mf.SetDevice(TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    return mf;
}

uint32_t U32At(const QByteArray &b, qsizetype off)
{
    uint32_t v;
    std::memcpy(&v, b.constData() + off, 4);
    return v;
}

} // namespace

TEST(EmfFixtures, SoundFilesReadListPlayAndWriteBack)
{
    const QStringList files = Fixtures();
    REQUIRE_FIXTURES(files.isEmpty() ? QString() : files.first());
    int sound = 0;
    for (const QString &path : files) {
        if (path.contains(QLatin1String("bad_corrupted")))
            continue;
        SCOPED_TRACE(path.toStdString());
        TMetafile mf;
        ASSERT_NO_THROW(mf = TMetafile::Load(path));
        EXPECT_GT(mf.RecordCount(), 0);
        const QStringList lines = ListingLines(mf);
        EXPECT_EQ(lines.size(), mf.RecordCount() + 2);
        EXPECT_TRUE(lines.first().startsWith(QLatin1String("0001")));
        QImage image(200, 260, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PlayMetafile(painter, mf, QRectF(0, 0, 200, 260));
        }
        // Written again, the file reads to the same records, and its counts are right.
        const QByteArray bytes = mf.ToEmf();
        EXPECT_EQ(U32At(bytes, 48), uint32_t(bytes.size()));
        EXPECT_EQ(U32At(bytes, 52), uint32_t(mf.RecordCount() + 2));
        const TMetafile again = TMetafile::FromEmf(bytes);
        EXPECT_TRUE(again.SameRecords(mf));
        EXPECT_EQ(again.Frame(), mf.Frame());
        ++sound;
    }
    EXPECT_EQ(sound, 15);
}

TEST(EmfFixtures, DamagedFilesGiveAClearError)
{
    const QStringList files = Fixtures().filter(QStringLiteral("bad_corrupted"));
    REQUIRE_FIXTURES(files.isEmpty() ? QString() : files.first());
    ASSERT_EQ(files.size(), 3);
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        try {
            TMetafile::Load(path);
            ADD_FAILURE() << "read without error";
        } catch (const EEmfError &e) {
            EXPECT_TRUE(e.English().contains(QLatin1String("damaged"))) << e.English().toStdString();
            EXPECT_TRUE(e.French().contains(QStringLiteral("endommagé")));
        }
    }
}

TEST(EmfFixtures, TextOfForeignFilesIsFound)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("emf"));
    REQUIRE_FIXTURES(dir);
    const TMetafile cyr = TMetafile::Load(dir + QStringLiteral("/e2s_test-184.emf"));
    bool cyrillic = false;
    for (const TTextRun &run : TextRuns(cyr))
        cyrillic |= std::any_of(run.text.begin(), run.text.end(), [](QChar c) { return c.unicode() >= 0x400 && c.unicode() < 0x500; });
    EXPECT_TRUE(cyrillic);
    // Glyph-index text holds no characters a search could match.
    const TMetafile hebrew = TMetafile::Load(dir + QStringLiteral("/e2s_test-183.emf"));
    for (const TTextRun &run : TextRuns(hebrew))
        EXPECT_FALSE(run.text.isEmpty());
}

TEST(EmfCodec, HostileLengthsAreRefused)
{
    TMetafile mf = LetterPage();
    {
        TPageCanvas canvas(mf);
        canvas.TextOut(100, -100, QStringLiteral("abc"));
    }
    const QByteArray good = mf.ToEmf();
    ASSERT_NO_THROW(TMetafile::FromEmf(good));
    // Each damage of a field that says where or how long something is.
    struct TDamage {
        qsizetype offset;
        uint32_t value;
    };
    const qsizetype headerSize = U32At(good, 4);
    qsizetype text = headerSize;
    while (U32At(good, text) != emf::EMR_EXTTEXTOUTW)
        text += U32At(good, text + 4);
    const TDamage damages[] = {
        {4, 7},                       // header size off the grid
        {4, 0x7FFFFFF0},              // header past the end
        {40, 0x12345678},             // signature
        {60, 0x8000001F},             // description length
        {text + 4, 0xFFFFFFF0},       // record past the end
        {text + 4, 6},                // record too small
        {text + 48, 0xAE00F04C},      // string offset
        {text + 44, 0x40000000},      // character count
        {text + 72, 0xFFFFFFF0},      // spacing offset
    };
    for (const TDamage &d : damages) {
        QByteArray bad = good;
        std::memcpy(bad.data() + d.offset, &d.value, 4);
        EXPECT_THROW(TMetafile::FromEmf(bad), EEmfError) << "offset " << d.offset;
    }
    // Truncated anywhere: never read, never a crash.
    for (qsizetype n = 0; n < good.size(); n += 4)
        EXPECT_THROW(TMetafile::FromEmf(good.left(n)), EEmfError) << n;
}

TEST(EmfCodec, HeaderOfALetterPageAt600Dpi)
{
    TMetafile mf = LetterPage();
    {
        TPageCanvas canvas(mf);
        canvas.SetPenWidth(5);
        canvas.Rectangle(100, -100, 2059, -2694);
    }
    const QByteArray b = mf.ToEmf();
    const int32_t *h = reinterpret_cast<const int32_t *>(b.constData());
    EXPECT_EQ(h[1], 108);                                          // size, no description
    EXPECT_EQ(QRect(QPoint(h[2], h[3]), QPoint(h[4], h[5])), QRect(0, 0, 5100, 6600)); // bounds 0..5099
    EXPECT_EQ(h[6], 0);
    EXPECT_EQ(h[8], 21590);                                        // frame right
    EXPECT_EQ(h[9], 27940);
    EXPECT_EQ(h[18], 5100);                                        // device
    EXPECT_EQ(h[19], 6600);
    EXPECT_EQ(h[20], 216);                                         // millimetres
    EXPECT_EQ(h[21], 279);
    EXPECT_EQ(h[25], 215900);                                      // micrometres
    EXPECT_EQ(h[26], 279400);
    EXPECT_EQ(uint16_t(h[14]), 3);                                 // pen and brush alive at once
    EXPECT_EQ(b.right(20), QByteArray::fromHex("0e00000014000000000000001000000014000000"));
    // Every record on the 4-byte grid, tiling the file.
    qsizetype at = 0;
    int records = 0;
    while (at < b.size()) {
        const uint32_t size = U32At(b, at + 4);
        ASSERT_EQ(size % 4, 0u);
        at += size;
        ++records;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_EQ(records, int(U32At(b, 52)));
}

TEST(EmfPlayer, TextUnderAStretchedWorldTransformIsPlayedWithoutFault)
{
    // Foreign files may squeeze one axis and stretch the other: glyphs must then be drawn
    // as shapes or skipped, never rasterised at a size the glyph cache cannot hold.
    const float stretches[][2] = {{6.0f, 0.5f}, {5000.0f, 0.0001f}, {0.0001f, 5000.0f}, {400.0f, 0.5f}, {1e30f, 1e-30f}};
    for (const auto &s : stretches) {
        const bool visible = s[0] == 6.0f;
        TMetafile mf = LetterPage();
        QByteArray world(32, '\0');
        const uint32_t type = emf::EMR_SETWORLDTRANSFORM, size = 32;
        const float m[6] = {s[0], 0, 0, s[1], 0, 0};
        std::memcpy(world.data(), &type, 4);
        std::memcpy(world.data() + 4, &size, 4);
        std::memcpy(world.data() + 8, m, 24);
        ASSERT_TRUE(mf.AppendRecord(world));
        {
            TPageCanvas canvas(mf);
            canvas.SetFontName(QStringLiteral("Arial"));
            canvas.SetFontHeight(40);
            canvas.TextOut(10, -10, QStringLiteral("WWWW"));
        }
        for (const QSize &target : {QSize(64, 80), QSize(1275, 1650)}) {
            QImage image(target, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            PlayMetafile(painter, TMetafile::FromEmf(mf.ToEmf()), QRectF(QPointF(0, 0), target));
            painter.end();
            if (visible && target.width() > 100) {
                // A moderate stretch still shows its letters.
                int dark = 0;
                for (int y = 0; y < 200; ++y)
                    for (int x = 0; x < target.width(); ++x)
                        dark += qGray(image.pixel(x, y)) < 128;
                EXPECT_GT(dark, 200);
            }
        }
    }
}

TEST(EmfReader, ExtremeFrameCornersAreReadWithoutOverflow)
{
    // A header whose frame and bounds span the whole 32-bit range: widths computed in int
    // would overflow. The page still reads, lists its text and plays.
    TMetafile mf = LetterPage();
    {
        TPageCanvas canvas(mf);
        canvas.TextOut(10, -10, QStringLiteral("Bail"));
    }
    QByteArray emf = mf.ToEmf();
    const int32_t corners[8] = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    std::memcpy(emf.data() + 8, corners, sizeof corners);
    const TMetafile read = TMetafile::FromEmf(emf);
    EXPECT_EQ(read.Frame().left(), INT32_MAX);
    EXPECT_GT(read.FrameExtent().width(), 4e9);
    EXPECT_FALSE(TextRuns(read).empty());
    QImage image(64, 80, QImage::Format_RGB32);
    QPainter painter(&image);
    PlayMetafile(painter, read, QRectF(0, 0, 64, 80));
}
