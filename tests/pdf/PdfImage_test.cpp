// Pictures on the PDF canvas: image objects, samples, filters, placement; and the lexical
// pieces of the file (numbers, strings, names, ASCII85).

#include "pdf/PdfBox.h"
#include "pdf/PdfImage.h"
#include "pdf/PdfSyntax.h"

#include "PdfTestSupport.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <zlib.h>

using namespace pdf;
using namespace pdftest;

namespace {

class PdfImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::TempDir();
        path = QDir(dir->path()).filePath(QStringLiteral("pictures.pdf"));
        box.SetFileName(path);
        box.SetPaperSizeName(QStringLiteral("Letter"));
    }
    QByteArray Finish()
    {
        box.EndDoc();
        return ReadAll(path);
    }
    static QImage Filled(QSize size, QColor color, QImage::Format format = QImage::Format_RGB32)
    {
        QImage image(size, format);
        image.fill(color);
        return image;
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    TPdfBox box;
};

class TBoxesMetafile : public TPdfMetafile {
public:
    quint64 Handle() const override { return 7; }
    QSize SizePixels() const override { return {96, 48}; } // an inch by half an inch
    void Render(QPainter &painter, const QRect &target) const override
    {
        painter.fillRect(QRect(target.topLeft(), QSize(target.width() / 2, target.height())), Qt::green);
        ++renders;
    }
    mutable int renders = 0;
};

TEST_F(PdfImageTest, OneObjectPerPictureWrittenAfterItsFirstPage)
{
    const QImage picture = Filled({40, 20}, QColor(0, 128, 255));
    box.BeginDoc();
    box.Canvas().StretchDraw(100, 100, 500, 300, picture);
    box.NewPage();
    box.NewPage();
    box.Canvas().StretchDraw(600, 600, 1000, 800, QImage(picture)); // a copy is the same picture
    const QByteArray pdf = Finish();
    EXPECT_EQ(Count(pdf, "/Subtype/Image"), 1);
    EXPECT_TRUE(PageContent(pdf, 0).contains("/Im0 Do\n"));
    EXPECT_FALSE(PageContent(pdf, 1).contains("Do\n"));
    EXPECT_TRUE(PageContent(pdf, 2).contains("/Im0 Do\n"));
    // Between the first page's content stream and its page object.
    const qsizetype image = pdf.indexOf("/Subtype/Image");
    EXPECT_GT(image, pdf.indexOf("stream\n"));
    EXPECT_LT(image, pdf.indexOf("/Type/Page\n"));
    EXPECT_TRUE(pdf.contains("/XObject <<\n/Im0 "));
    EXPECT_TRUE(pdf.contains("\n >>\n>>\nendobj\nxref\n"));

    PDF_TOOL("pdfimages");
    EXPECT_TRUE(QpdfClean(path));
    const QString list = ToolOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    EXPECT_TRUE(list.contains(QRegularExpression(QStringLiteral("\\n\\s+1\\s+0\\s+image\\s+40\\s+20\\s+rgb\\s+3\\s+8\\s+jpeg"))))
        << list.toStdString();
    EXPECT_TRUE(list.contains(QRegularExpression(QStringLiteral("\\n\\s+3\\s+1\\s+image\\s+40\\s+20"))));
}

TEST_F(PdfImageTest, FiltersFollowTheModeAndTheDepth)
{
    QImage mono(16, 2, QImage::Format_Mono);
    mono.fill(1);
    QImage indexed = Filled({8, 8}, Qt::red).convertToFormat(QImage::Format_Indexed8);
    box.BeginDoc();
    box.Canvas().StretchDraw(0, 0, 100, 100, Filled({8, 8}, Qt::red));
    box.Canvas().StretchDraw(0, 0, 100, 100, mono);
    box.Canvas().StretchDraw(0, 0, 100, 100, indexed);
    const QByteArray jpeg = Finish();
    EXPECT_TRUE(jpeg.contains("/ColorSpace/DeviceRGB\n/BitsPerComponent 8\n"));
    EXPECT_TRUE(jpeg.contains("/Filter[/ASCII85Decode/DCTDecode]\n"));
    EXPECT_TRUE(jpeg.contains("/ColorSpace/DeviceGray\n/BitsPerComponent 1\n"));
    EXPECT_TRUE(jpeg.contains("/BitsPerComponent 4\n"));
    EXPECT_EQ(Count(jpeg, "/Filter[/ASCII85Decode/FlateDecode]\n"), 2);

    box.SetImageCompressMode(cpNone);
    box.BeginDoc();
    box.Canvas().StretchDraw(0, 0, 100, 100, Filled({8, 8}, Qt::red));
    box.Canvas().StretchDraw(0, 0, 100, 100, mono);
    const QByteArray none = Finish();
    EXPECT_EQ(Count(none, "/Filter[/ASCII85Decode]\n"), 2);
    EXPECT_TRUE(QpdfClean(path));

    box.SetImageCompressMode(cpZlib);
    box.BeginDoc();
    box.Canvas().StretchDraw(0, 0, 100, 100, Filled({8, 8}, Qt::red));
    EXPECT_EQ(Count(Finish(), "/Filter[/ASCII85Decode/FlateDecode]\n"), 1);
}

TEST_F(PdfImageTest, SamplesArePackedFromTheTopRow)
{
    QImage mono(10, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(1, 0, 1);
    mono.setPixel(9, 1, 1);
    EXPECT_EQ(TPdfImage::Samples(mono, 1), QByteArray("\x40\x00\x00\x40", 4));
    QImage rgb = Filled({2, 1}, QColor(255, 0, 0));
    rgb.setPixel(1, 0, qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(TPdfImage::Samples(rgb, 8), QByteArray("\xFF\x00\x00\x12\x34\x56", 6));
    // Four bits: components shifted right by four, packed, the row padded to a byte.
    EXPECT_EQ(TPdfImage::Samples(rgb, 4), QByteArray("\xF0\x01\x35", 3));
    EXPECT_EQ(TPdfImage::Samples(rgb, 2), QByteArray("\xC0\x10", 2));
    // Transparent parts are shown on white paper.
    EXPECT_EQ(TPdfImage::Samples(Filled({1, 1}, Qt::transparent, QImage::Format_ARGB32), 8),
              QByteArray("\xFF\xFF\xFF", 3));
    EXPECT_EQ(TPdfImage::BitsPerComponentOf(mono), 1);
    EXPECT_EQ(TPdfImage::BitsPerComponentOf(rgb.convertToFormat(QImage::Format_Indexed8)), 4);
    EXPECT_EQ(TPdfImage::BitsPerComponentOf(rgb.convertToFormat(QImage::Format_RGB888)), 8);

    // The zlib form inflates back to the same samples.
    const QByteArray packed = ZlibCompress(TPdfImage::Samples(rgb, 8));
    uLongf size = 6;
    QByteArray back(6, '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef *>(back.data()), &size,
                         reinterpret_cast<const Bytef *>(packed.constData()), uLong(packed.size())),
              Z_OK);
    EXPECT_EQ(back, TPdfImage::Samples(rgb, 8));
    EXPECT_TRUE(TPdfImage::Jpeg(rgb, 90).startsWith("\xFF\xD8"));
}

TEST_F(PdfImageTest, PicturesArePlacedByTheirRectangle)
{
    const QImage wide = Filled({200, 100}, Qt::black);
    box.SetImageCompressMode(cpZlib);
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.StretchDraw(0, 0, 1000, 1000, wide); // aspect kept, centred
    c.HorzAlign = haRight;
    c.VertAlign = vaTop;
    c.StretchDraw(0, 0, 1000, 2000, wide);
    c.StretchDraw(300, 400, 300, 400, wide); // own size: 200 px at 96 dpi
    const QByteArray content = PageContent(Finish(), 0);
    // Drawn one unit short of the rectangle, from the bottom edge up.
    auto placed = [](double w, double h, double x, double bottom) {
        const double k = 72.0 / 254;
        return "q\n" + FormatNumber((w - 1) * k) + " 0 0 " + FormatNumber((h - 1) * k) + ' ' + FormatNumber(x * k) +
               ' ' + FormatNumber((2794 - bottom) * k) + " cm\n/Im0 Do\nQ\n";
    };
    EXPECT_TRUE(content.contains(placed(1000, 500, 0, 750))) << content.toStdString();
    EXPECT_TRUE(content.contains(placed(1000, 500, 0, 500))) << content.toStdString();
    EXPECT_TRUE(content.startsWith("q\n283.181 0 0 141.449 0 579.402 cm\n"));
    // 200 px = 529 tenths of a millimetre, 100 px = 265.
    EXPECT_TRUE(content.contains(FormatNumber(528 * 72.0 / 254) + " 0 0 " + FormatNumber(264 * 72.0 / 254) + ' ' +
                                 FormatNumber(300 * 72.0 / 254) + ' ' + FormatNumber((2794 - 665) * 72.0 / 254) +
                                 " cm\n"))
        << content.toStdString();

    box.SetSmartStretchDraw(false);
    box.BeginDoc();
    box.Canvas().StretchDraw(1000, 1000, 0, 0, wide); // fills the rectangle
    EXPECT_TRUE(PageContent(Finish(), 0).startsWith("q\n283.181 0 0 283.181 0 508.535 cm\n"));
}

TEST_F(PdfImageTest, MetafilesAreRenderedAt600Dpi)
{
    TBoxesMetafile metafile;
    box.SetImageCompressMode(cpZlib);
    box.BeginDoc();
    box.Canvas().StretchDraw(254, 254, 508, 381, metafile);
    box.Canvas().StretchDraw(254, 600, 508, 727, metafile);
    const QByteArray pdf = Finish();
    EXPECT_EQ(metafile.renders, 1);
    EXPECT_TRUE(pdf.contains("/Width 600\n/Height 300\n"));

    PDF_TOOL("pdftoppm");
    EXPECT_TRUE(QpdfClean(path));
    const QString png = QDir(dir->path()).filePath(QStringLiteral("page"));
    ASSERT_EQ(testsupport::Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"),
                                                           QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                           path, png}),
              0);
    const QImage page(png + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    // The inch-wide picture sits one inch from the left: green on its left half only.
    auto green = [&](int x, int y) {
        const QColor c(page.pixel(x, y));
        return c.green() > 240 && c.red() < 16 && c.blue() < 16;
    };
    auto white = [&](int x, int y) { return QColor(page.pixel(x, y)).value() > 240 && QColor(page.pixel(x, y)).saturation() < 16; };
    EXPECT_TRUE(green(125, 125));
    EXPECT_TRUE(white(175, 125));
    EXPECT_TRUE(white(50, 125));
}

TEST(PdfSyntax, NumbersStringsNamesAndAscii85)
{
    EXPECT_EQ(FormatNumber(2.5), QByteArray("2.5"));
    EXPECT_EQ(FormatNumber(3), QByteArray("3"));
    EXPECT_EQ(FormatNumber(0.28346), QByteArray("0.283"));
    EXPECT_EQ(FormatNumber(-0.0004), QByteArray("0"));
    EXPECT_EQ(FormatNumber(-12.3456), QByteArray("-12.346"));
    EXPECT_EQ(FormatNumber(100000), QByteArray("100000"));

    EXPECT_EQ(LiteralString("a(b)c\\d"), QByteArray("(a\\(b\\)c\\\\d)"));
    EXPECT_EQ(LiteralString("\b\t\n\f\r\xE9"), QByteArray("(\\b\\t\\n\\f\\r\xE9)"));
    EXPECT_EQ(NameText("Times New Roman,Bold"), QByteArray("Times#20New#20Roman,Bold"));
    EXPECT_EQ(NameText("A/B#"), QByteArray("A#2FB#23"));

    EXPECT_EQ(Ascii85(QByteArray("\0\0\0\0\1", 5)), QByteArray("z!<~>"));
    EXPECT_EQ(Ascii85("Man "), QByteArray("9jqo^~>"));
    EXPECT_EQ(Ascii85(QByteArray("\0\0\0", 3)), QByteArray("!!!!~>")); // never 'z' at the end
    EXPECT_EQ(Ascii85(QByteArray()), QByteArray("~>"));
    EXPECT_EQ(Ascii85("\xFF\xFF\xFF\xFF"), QByteArray("s8W-!~>"));
}

} // namespace
