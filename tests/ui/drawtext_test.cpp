#include "ui/DrawText.h"

#include "UiTestUtil.h"

#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <optional>

using ui::DrawTextInRect;

namespace {

// Bounds of the dark pixels of an image, if any.
std::optional<QRect> Ink(const QImage &image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                r |= QRect(x, y, 1, 1);
    return r.isNull() ? std::nullopt : std::optional<QRect>(r);
}

class DrawTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::App();
        m_image = QImage(400, 300, QImage::Format_RGB32);
        m_image.fill(Qt::white);
        m_painter.begin(&m_image);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(14);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        const QFontMetricsF metrics(font);
        m_line = metrics.height();
        m_spacing = metrics.lineSpacing();
    }
    // Height of n lines of the test font, give or take the layout's rounding of line positions.
    double Lines(int n) const { return m_line + (n - 1) * m_spacing; }
    QRect Finish()
    {
        m_painter.end();
        const std::optional<QRect> ink = Ink(m_image);
        EXPECT_TRUE(ink.has_value());
        return ink.value_or(QRect());
    }

    QImage m_image;
    QPainter m_painter;
    double m_line = 0;
    double m_spacing = 0;
};

const QString kParagraph = QStringLiteral(
    "Le locateur ne peut restreindre le droit du locataire d'acheter des biens ou des services "
    "des personnes de son choix.");

} // namespace

TEST_F(DrawTextTest, WordWrapBreaksBetweenWordsInsideTheWidth)
{
    const int h = DrawTextInRect(m_painter, kParagraph, 20, true, false, true, 10, 150, 30);
    const QRect ink = Finish();
    // Several lines, although the rectangle is only 10 high.
    EXPECT_GE(h, Lines(4) - 1);
    EXPECT_GE(ink.left(), 20);
    EXPECT_LE(ink.right(), 20 + 150);
    EXPECT_GE(ink.top(), 30);
    EXPECT_GT(ink.bottom(), 30 + 10); // not clipped to the rectangle
    EXPECT_LE(ink.bottom(), 30 + h);
}

TEST_F(DrawTextTest, WordWrapNeverCutsAWord)
{
    // Wider than the rectangle, but a single word: it stays whole on one line.
    const int h = DrawTextInRect(m_painter, QStringLiteral("Anticonstitutionnellement"), 0, true,
                                 false, true, 20, 40, 0);
    EXPECT_NEAR(h, m_line, 1);
    const int two = DrawTextInRect(m_painter, QStringLiteral("Anticonstitutionnellement dit"), 0,
                                   true, false, true, 20, 40, 100);
    EXPECT_NEAR(two, Lines(2), 3);
    EXPECT_GT(Finish().right(), 40);
}

TEST_F(DrawTextTest, WithoutWordWrapOnlyLineBreaksBreak)
{
    const int one = DrawTextInRect(m_painter, kParagraph, 0, false, false, true, 20, 150, 0);
    EXPECT_NEAR(one, m_line, 1);
    const int three = DrawTextInRect(m_painter, QStringLiteral("un\rdeux\r\ntrois"), 0, false,
                                     false, true, 20, 150, 100);
    EXPECT_NEAR(three, Lines(3), 3);
    EXPECT_EQ(DrawTextInRect(m_painter, QString(), 0, true, false, true, 20, 150, 200), 0);
    const QRect ink = Finish();
    EXPECT_GT(ink.right(), 150); // the long line runs past the rectangle
}

TEST_F(DrawTextTest, SingleLineIsVerticallyCentredAndIgnoresWordWrap)
{
    const int h = DrawTextInRect(m_painter, QStringLiteral("Bail ABCD"), 10, true, false, false,
                                 100, 30, 50);
    const QRect ink = Finish();
    EXPECT_NEAR(h, m_line, 1);
    EXPECT_NEAR(ink.center().y(), 50 + 50, 4);
    EXPECT_GE(ink.left(), 10);
    EXPECT_LT(ink.left(), 14);
    EXPECT_GT(ink.right(), 10 + 30); // one line, wider than the rectangle
}

TEST_F(DrawTextTest, CentredTextIsCentredHorizontally)
{
    DrawTextInRect(m_painter, QStringLiteral("SERVICES"), 100, false, true, true, 40, 200, 10);
    const QRect ink = Finish();
    EXPECT_NEAR(ink.center().x(), 100 + 100, 3);
    EXPECT_GE(ink.top(), 10);
    EXPECT_LT(ink.top(), 10 + m_line); // multi-line text starts at the top
}
