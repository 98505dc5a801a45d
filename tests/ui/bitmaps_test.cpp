#include "ui/Bitmaps.h"

#include "UiTestUtil.h"

#include <QBuffer>
#include <QFile>
#include <QLibraryInfo>
#include <QPixmap>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace ui;

namespace {

quint32 U32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

QByteArray BmpBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "BMP"));
    return bytes;
}

// A small picture with distinct corners, so that flips and palette mix-ups show.
QImage Sample(QImage::Format format)
{
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(4, 0, qRgb(0, 0, 255));
    image.setPixel(0, 2, qRgb(0, 0, 0));
    image.setPixel(4, 2, qRgb(0, 128, 0));
    return image.convertToFormat(format);
}

void ExpectSamplePixels(const QImage &image)
{
    ASSERT_EQ(image.size(), QSize(5, 3));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(0, 2), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(4, 2), qRgb(0, 128, 0));
    EXPECT_EQ(image.pixel(2, 1), qRgb(255, 255, 255));
}

// A DIB by hand: 40-byte header, the given colour table bytes, then the rows.
QByteArray Dib(int width, int height, int bits, quint32 compression, quint32 colorsUsed,
               const QByteArray &table, const QByteArray &pixels)
{
    QByteArray h(40, '\0');
    qToLittleEndian<quint32>(40, h.data());
    qToLittleEndian<qint32>(width, h.data() + 4);
    qToLittleEndian<qint32>(height, h.data() + 8);
    qToLittleEndian<quint16>(1, h.data() + 12);
    qToLittleEndian<quint16>(quint16(bits), h.data() + 14);
    qToLittleEndian<quint32>(compression, h.data() + 16);
    qToLittleEndian<quint32>(quint32(pixels.size()), h.data() + 20);
    qToLittleEndian<quint32>(colorsUsed, h.data() + 32);
    return h + table + pixels;
}

} // namespace

TEST(Bitmaps, FileHeaderMatchesTheOneQtWrites)
{
    uitest::App();
    for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_RGB32, QImage::Format_Mono}) {
        const QByteArray file = BmpBytes(Sample(format));
        const QByteArray dib = file.mid(14);
        const QByteArray rebuilt = BitmapFileFromDib(dib);
        ASSERT_EQ(rebuilt.size(), file.size()) << format;
        EXPECT_EQ(rebuilt.left(2), QByteArray("BM"));
        EXPECT_EQ(U32(rebuilt, 2), quint32(14 + dib.size()));
        EXPECT_EQ(U32(rebuilt, 10), U32(file, 10)) << format;
        EXPECT_EQ(rebuilt.mid(14), dib);

        QImage loaded;
        ASSERT_TRUE(LoadBitmapFromDib(loaded, dib)) << format;
        if (format != QImage::Format_Mono)
            ExpectSamplePixels(loaded.convertToFormat(QImage::Format_RGB32));
    }
}

TEST(Bitmaps, PixelOffsetCountsShortPalettesAndColourMasks)
{
    uitest::App();
    // 4 bits per pixel with only two palette entries: pixels start 8 bytes after the header.
    const QByteArray palette = QByteArray::fromHex("0000ff00" "00ff0000"); // red, green (BGR0)
    const QByteArray rows4 = QByteArray::fromHex("01000000" "10000000"); // bottom row first
    const QByteArray dib4 = Dib(2, 2, 4, 0, 2, palette, rows4);
    EXPECT_EQ(U32(BitmapFileFromDib(dib4), 10), 14u + 40u + 8u);
    QImage four;
    ASSERT_TRUE(LoadBitmapFromDib(four, dib4));
    four = four.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(four.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(four.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(four.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(four.pixel(1, 1), qRgb(0, 255, 0));

    // 16 bits with colour masks after a plain header (5-6-5): 12 more bytes before the pixels.
    const QByteArray masks = QByteArray::fromHex("00f80000" "e0070000" "1f000000");
    const QByteArray rows16 = QByteArray::fromHex("00f8" "1f00"); // red, blue
    const QByteArray dib16 = Dib(2, 1, 16, 3, 0, masks, rows16);
    EXPECT_EQ(U32(BitmapFileFromDib(dib16), 10), 14u + 40u + 12u);
    QImage sixteen;
    ASSERT_TRUE(LoadBitmapFromDib(sixteen, dib16));
    sixteen = sixteen.convertToFormat(QImage::Format_RGB32);
    // Five-bit channels come back as 0xf8 or 0xff depending on how the reader scales them.
    EXPECT_EQ(sixteen.pixel(0, 0) & 0xf0f0f0, 0xf00000u);
    EXPECT_EQ(sixteen.pixel(1, 0) & 0xf0f0f0, 0x0000f0u);
}

TEST(Bitmaps, RejectsWhatIsNoBitmap)
{
    uitest::App();
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(BitmapFileFromDib(QByteArray("\x28\0", 2)).isEmpty());
    EXPECT_TRUE(BitmapFileFromDib(QByteArray(39, '\x28')).isEmpty());
    EXPECT_FALSE(LoadBitmapFromDib(image, QByteArray(64, '\0')));
    EXPECT_EQ(image.size(), QSize(1, 1)); // unchanged on failure
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
}

// The resource path: compile a resource file with Qt's own compiler and register it.
TEST(Bitmaps, LoadsNamedResourceOfTheProgram)
{
    uitest::App();
    const QString rcc = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/rcc");
    if (!QFile::exists(rcc))
        GTEST_SKIP() << "Qt resource compiler not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile dib(dir.filePath(QStringLiteral("check.dib")));
        ASSERT_TRUE(dib.open(QIODevice::WriteOnly));
        dib.write(BmpBytes(Sample(QImage::Format_Indexed8)).mid(14));
        QFile qrc(dir.filePath(QStringLiteral("bitmaps.qrc")));
        ASSERT_TRUE(qrc.open(QIODevice::WriteOnly));
        qrc.write("<RCC><qresource prefix=\"/bitmaps\">"
                  "<file alias=\"tstCheck\">check.dib</file></qresource></RCC>\n");
    }
    const QString out = dir.filePath(QStringLiteral("bitmaps.rcc"));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(rcc, {QStringLiteral("--binary"), QStringLiteral("-o"), out, QStringLiteral("bitmaps.qrc")});
    ASSERT_TRUE(p.waitForFinished());
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    ASSERT_TRUE(QResource::registerResource(out));

    QImage image;
    // Names of the test's own, beside the program's pictures in the same folder.
    ASSERT_TRUE(LoadBitmapResource(image, QStringLiteral("tstCheck")));
    ExpectSamplePixels(image.convertToFormat(QImage::Format_RGB32));
    QPixmap pixmap;
    ASSERT_TRUE(LoadBitmapResource(pixmap, QStringLiteral("TSTCHECK")));
    EXPECT_EQ(pixmap.size(), QSize(5, 3));
    EXPECT_FALSE(LoadBitmapResource(image, QStringLiteral("tstUCheck")));
    EXPECT_FALSE(LoadBitmapResource(image, QString()));

    EXPECT_TRUE(QResource::unregisterResource(out));
}
