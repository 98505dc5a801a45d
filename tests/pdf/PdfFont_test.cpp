// Text on the PDF canvas: font resources, widths, embedding, encodings, placement.

#include "pdf/FontEngine.h"
#include "pdf/PdfBox.h"
#include "pdf/PdfCodePages.h"

#include "PdfTestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>

using namespace pdf;
using namespace pdftest;

namespace {

class PdfTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = testsupport::TempDir();
        path = QDir(dir->path()).filePath(QStringLiteral("text.pdf"));
        box.SetFileName(path);
        box.SetPaperSizeName(QStringLiteral("Letter"));
    }
    QByteArray Finish()
    {
        box.EndDoc();
        return ReadAll(path);
    }
    // The object whose dictionary holds needle, from "n 0 obj" to "endobj".
    static QByteArray ObjectWith(const QByteArray &pdf, const QByteArray &needle)
    {
        const qsizetype at = pdf.indexOf(needle);
        if (at < 0)
            return QByteArray();
        const qsizetype start = pdf.lastIndexOf(" 0 obj\n", at);
        const qsizetype begin = pdf.lastIndexOf('\n', start) + 1;
        return pdf.mid(begin, pdf.indexOf("endobj\n", at) + 7 - begin);
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString path;
    TPdfBox box;
};

TEST_F(PdfTextTest, OneFontObjectPerNameStyleAndCharset)
{
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.TextOut(100, 100, QStringLiteral("one"));
    c.Font().Bold = true;
    c.TextOut(100, 200, QStringLiteral("two"));
    c.Font().Bold = false;
    c.Font().Size = -12; // the sign of a size is ignored
    c.TextOut(100, 300, QStringLiteral("three"));
    const QByteArray pdf = Finish();
    const QByteArray content = PageContent(pdf, 0);
    EXPECT_EQ(Count(content, "/F0 10 Tf"), 1);
    EXPECT_EQ(Count(content, "/F1 10 Tf"), 1);
    EXPECT_EQ(Count(content, "/F0 12 Tf"), 1);
    EXPECT_EQ(Count(pdf, "/Type/Font\n"), 2);
    EXPECT_TRUE(pdf.contains("/Name/F1\n/BaseFont/Arial,Bold\n/Encoding/WinAnsiEncoding\n/FirstChar 32\n/LastChar 255\n"));
    EXPECT_TRUE(pdf.contains("/Font<<\n/F0 "));
    EXPECT_TRUE(pdf.contains("\n/F1 "));

    // Widths: 224 values, 16 to a line; the space of the Arial metrics is 278 thousandths.
    const QByteArray widths = ObjectWith(pdf, "\n[\n278 ");
    ASSERT_FALSE(widths.isEmpty());
    const QByteArrayList lines = widths.split('\n');
    ASSERT_GE(lines.size(), 17);
    EXPECT_EQ(lines[1], QByteArray("["));
    int values = 0;
    for (int i = 2; i < 16; ++i) {
        EXPECT_TRUE(lines[i].endsWith(' '));
        values += int(lines[i].trimmed().split(' ').size());
    }
    EXPECT_EQ(values, 224);
    EXPECT_EQ(lines[16], QByteArray("]"));

    const QByteArray descriptor = ObjectWith(pdf, "/Type/FontDescriptor");
    EXPECT_TRUE(descriptor.contains("/FontName/Arial\n/Ascent 905\n/Descent -212\n/ItalicAngle 0\n/CapHeight 905\n"
                                    "/Flags 32\n/FontBBox[0 0 0 0]\n>>"))
        << descriptor.toStdString();

    PDF_TOOL("pdffonts");
    EXPECT_TRUE(QpdfClean(path));
    const QString fonts = ToolOutput(QStringLiteral("pdffonts"), {path});
    EXPECT_TRUE(fonts.contains(QRegularExpression(QStringLiteral("\\nArial\\s+TrueType\\s+WinAnsi\\s+no"))))
        << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QRegularExpression(QStringLiteral("\\nArial,Bold\\s+TrueType\\s+WinAnsi\\s+no"))));
}

TEST_F(PdfTextTest, EmbeddingHonoursTheListOfFontsNeverEmbedded)
{
    const TFontFace *dejavu = TFontEngine::Instance().Face(QStringLiteral("DejaVu Sans"), false, true);
    if (!dejavu || !dejavu->FamilyName().contains(QLatin1String("DejaVu")) || !dejavu->IsTrueType())
        GTEST_SKIP() << "DejaVu Sans not installed";
    box.SetEmbedFonts(true);
    box.BeginDoc();
    box.Canvas().TextOut(100, 100, QStringLiteral("Arial stays out"));
    box.Canvas().Font().Name = QStringLiteral("DejaVu Sans");
    box.Canvas().Font().Italic = true;
    box.Canvas().TextOut(100, 300, QStringLiteral("DejaVu goes in"));
    const QByteArray pdf = Finish();
    EXPECT_EQ(Count(pdf, "/FontFile2 "), 1);
    const QByteArray program = ObjectWith(pdf, "/Length1 ");
    EXPECT_TRUE(program.contains("/Filter[/ASCII85Decode/FlateDecode]\n"));
    EXPECT_TRUE(program.contains("/Length1 " + QByteArray::number(dejavu->FileBytes().size()) + "\n"));
    EXPECT_TRUE(pdf.contains("/BaseFont/DejaVu#20Sans,Italic\n"));
    const QByteArray descriptor = ObjectWith(pdf, "/FontName/DejaVu#20Sans\n");
    EXPECT_TRUE(descriptor.contains("/Flags 96\n")) << descriptor.toStdString(); // non-symbolic, italic

    PDF_TOOL("pdffonts");
    EXPECT_TRUE(QpdfClean(path));
    const QString fonts = ToolOutput(QStringLiteral("pdffonts"), {path});
    EXPECT_TRUE(fonts.contains(QRegularExpression(QStringLiteral("\\nArial\\s+TrueType\\s+WinAnsi\\s+no"))))
        << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QRegularExpression(QStringLiteral("DejaVu Sans,Italic\\s+TrueType\\s+WinAnsi\\s+yes"))))
        << fonts.toStdString();
    const QString text = ToolOutput(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QLatin1String("DejaVu goes in")));

    // Taken off the list, Arial is embedded too.
    box.NonEmbeddedFonts().clear();
    box.BeginDoc();
    box.Canvas().TextOut(100, 100, QStringLiteral("x"));
    EXPECT_EQ(Count(Finish(), "/FontFile2 "), 1);
}

TEST_F(PdfTextTest, FontsThatCannotBeUsedAbortTheDocument)
{
    const TFontFace *cff = TFontEngine::Instance().Face(QStringLiteral("Nimbus Sans"), false, false);
    box.BeginDoc();
    box.Canvas().Font().Charset = 128; // a character set without a code page here
    try {
        box.Canvas().TextOut(0, 0, QStringLiteral("x"));
        ADD_FAILURE();
    } catch (const EPdfError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Font character set not supported: Arial"));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    if (!cff || cff->IsTrueType())
        GTEST_SKIP() << "no font other than TrueType installed";
    box.BeginDoc();
    box.Canvas().Font().Name = QStringLiteral("Nimbus Sans");
    try {
        box.Canvas().TextOut(0, 0, QStringLiteral("x"));
        ADD_FAILURE();
    } catch (const EPdfError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("This font is not TrueType: Nimbus Sans"));
    }
    EXPECT_FALSE(box.Printing());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PdfTextTest, TextIsEscapedPlacedAndRuled)
{
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.Font().Color = QColor(255, 0, 0);
    c.Font().Underline = true;
    c.Font().StrikeOut = true;
    c.TextOut(500, 1000, QStringLiteral("a(b)c\\d\tCafé"));
    const int width = c.TextWidth(QStringLiteral("a(b)c\\d\tCafé"));
    c.Font().Underline = c.Font().StrikeOut = false;
    c.Font().Color = Qt::black;
    c.Font().Size = 24;
    c.TextOut(1000, 2000, QStringLiteral("Positioned"));
    const int height = c.TextHeight(QStringLiteral("Positioned"));
    const int positionedWidth = c.TextWidth(QStringLiteral("Positioned"));
    const QByteArray content = PageContent(Finish(), 0);
    EXPECT_TRUE(content.contains("BT\n/F0 10 Tf\n1 0 0 rg\n141.732 "));
    EXPECT_TRUE(content.contains("(a\\(b\\)c\\\\d\\tCaf\xE9) Tj\nET\n1 0 0 RG\n[]0 d\n"));
    // Underline below the baseline, strikeout above, both as long as the text.
    const TFontMetrics &arial = TFontEngine::Instance().Face(QStringLiteral("Arial"), false, false)->Metrics();
    const double em = arial.unitsPerEm;
    const double baseline = (2794 - 1000) * 72.0 / 254 - 10 * arial.winAscent / em;
    const QByteArray right = QByteArray::number(141.732 + std::round(width * 72.0 / 254), 'f', 3);
    const QByteArray under = QByteArray::number(baseline + 10 * arial.underlinePosition / em, 'f', 3);
    EXPECT_EQ(Count(content, " l S\n"), 2);
    EXPECT_TRUE(content.contains("141.732 " + under + " m\n" + right + ' ' + under + " l S\n")) << content.toStdString();
    EXPECT_TRUE(content.contains(QByteArray::number(10 * arial.underlineThickness / em, 'f', 3) + " w\n"));
    EXPECT_EQ(Count(content, " m\n"), 2);
    EXPECT_EQ(height, int(std::lround((arial.winAscent + arial.winDescent) / em * 24 * 254 / 72)));

    // An independent reader finds the words where they were drawn, within half a millimetre.
    PDF_TOOL("pdftotext");
    const QString bbox = ToolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">Positioned</word>"));
    const auto match = word.match(bbox);
    ASSERT_TRUE(match.hasMatch()) << bbox.toStdString();
    const double halfMm = 72 / 25.4 / 2;
    const double toPt = 72.0 / 254;
    EXPECT_NEAR(match.captured(1).toDouble(), 1000 * toPt, halfMm);
    EXPECT_NEAR(match.captured(3).toDouble(), (1000 + positionedWidth) * toPt, halfMm);
    // The bottom of the word box is the baseline plus the descent of the font.
    const double base = 2000 * toPt + 24 * 1854.0 / 2048;
    EXPECT_NEAR(match.captured(4).toDouble(), base + 24 * 434.0 / 2048, halfMm);
    EXPECT_TRUE(bbox.contains(QStringLiteral("Café")));
}

TEST_F(PdfTextTest, CodePagesGiveEncodingsAndRightToLeftRuns)
{
    box.BeginDoc();
    TPdfCanvas &c = box.Canvas();
    c.Font().Charset = kRussianCharset;
    c.TextOut(100, 100, QStringLiteral("Привет, мир"));
    c.Font().Charset = kHebrewCharset;
    const QString hebrew = QStringLiteral("שלום עולם");
    c.TextOut(2000, 400, hebrew);
    const int width = c.TextWidth(hebrew);
    c.Font().Charset = kEastEuropeCharset;
    c.TextOut(100, 700, QStringLiteral("Łódź"));
    const QByteArray pdf = Finish();
    const QByteArray content = PageContent(pdf, 0);
    EXPECT_TRUE(pdf.contains("/Type/Encoding\n/BaseEncoding/WinAnsiEncoding\n/Differences [\n"));
    EXPECT_TRUE(pdf.contains("/afii10017/afii10018/"));
    EXPECT_TRUE(pdf.contains("\n224/afii57664/afii57665/"));
    EXPECT_TRUE(pdf.contains("/BaseFont/Arial\n/Encoding "));
    // Hebrew is written right to left: it ends at x and its letters come reversed.
    const QByteArray x = QByteArray::number((2000 - width) * 72.0 / 254, 'f', 3);
    EXPECT_TRUE(content.contains("\n" + x.left(x.size() - 1))) << content.toStdString();
    EXPECT_TRUE(content.contains(EncodeText(QStringLiteral("םלוע םולש"), 1255)));

    PDF_TOOL("pdftotext");
    EXPECT_TRUE(QpdfClean(path));
    const QString text = ToolOutput(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Привет, мир"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Łódź"))) << text.toStdString();
}

TEST(PdfCodePages, DifferencesAreRunsOfCodesUnlikeWinAnsi)
{
    EXPECT_TRUE(EncodingDifferences(1252).isEmpty());
    const QByteArrayList east = EncodingDifferences(1250);
    // 140 and 141 differ; 142 is Zcaron in both; 143 differs again.
    EXPECT_TRUE(east.contains("140/Sacute/Tcaron"));
    EXPECT_TRUE(east.contains("143/Zacute"));
    const QByteArrayList cyrillic = EncodingDifferences(1251);
    EXPECT_TRUE(cyrillic.contains("136/Euro"));
    EXPECT_TRUE(cyrillic.last().endsWith("/afii10097")); // ya at 255
    for (int codePage : {1250, 1251, 1253, 1254, 1255, 1256, 1257})
        for (const QByteArray &entry : EncodingDifferences(codePage))
            if (codePage != 1256) { // two Arabic letters have no name but their code
                EXPECT_FALSE(entry.contains("/uni")) << codePage << " " << entry.constData();
            }
    EXPECT_EQ(EncodeText(QStringLiteral("é€Ж"), 1252), QByteArray("\xE9\x80?"));
    EXPECT_EQ(CodePageChar(1253, 0xC1), u'Α');
    EXPECT_EQ(ReverseRightToLeftRuns(QStringLiteral("no. אבג דה x")), QStringLiteral("no. הד גבא x"));
    EXPECT_EQ(ReverseRightToLeftRuns(QStringLiteral("abc")), QStringLiteral("abc"));
}

} // namespace
