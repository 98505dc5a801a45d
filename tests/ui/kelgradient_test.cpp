// The gradient panel: the palette's shift and rotation in integer steps, one picture per family
// of patterns, the border, the update lock, the system colours and the animation.

#include "ui/KelGradient.h"

#include "UiTestUtil.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace ui;

namespace {

QRgb Rgb(int r, int g, int b) { return qRgb(r, g, b); }

// Within a few units per channel: stretching the pattern smooths the colours between cells.
::testing::AssertionResult Near(QRgb actual, QRgb expected, int tolerance = 24)
{
    if (std::abs(qRed(actual) - qRed(expected)) <= tolerance
        && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << QColor(actual).name().toStdString() << " is not near "
                                         << QColor(expected).name().toStdString();
}

} // namespace

TEST(KelGradientPalette, ShiftOfOneHundredGivesTheEndColourEverywhere)
{
    const auto palette = KelGradientPalette(QColor(200, 100, 0), QColor(0, 100, 200), false, 100, 0);
    for (QRgb entry : palette)
        ASSERT_EQ(entry, Rgb(0, 100, 200));
}

TEST(KelGradientPalette, RotationOfOneHundredFallsFromTheEndBackToTheBegin)
{
    const auto palette = KelGradientPalette(QColor(0, 0, 0), QColor(255, 128, 64), false, 0, 100);
    EXPECT_EQ(palette[0], Rgb(255, 128, 64));
    EXPECT_EQ(palette[255], Rgb(0, 0, 0));
    for (int i = 1; i < 256; ++i)
        ASSERT_LE(qRed(palette[i]), qRed(palette[i - 1])) << i;
}

TEST(KelGradientPalette, EntriesWorkedOutByHandFromTheFormulas)
{
    struct Case {
        QColor begin, end;
        bool reverse;
        int shift, rotation, index;
        QRgb expected;
    };
    const Case cases[] = {
        // Begin moved halfway to (110,70,30); rise to the end colour at p = 128.
        {QColor(10, 20, 30), QColor(210, 120, 30), false, 50, 50, 64, Rgb(160, 95, 30)},
        {QColor(10, 20, 30), QColor(210, 120, 30), false, 50, 50, 128, Rgb(210, 120, 30)},
        {QColor(10, 20, 30), QColor(210, 120, 30), false, 50, 50, 200, Rgb(153, 91, 30)},
        // End moved back to (80,160,40); r = -76 starts from the end colour.
        {QColor(0, 0, 0), QColor(100, 200, 50), false, -20, -30, 0, Rgb(80, 160, 40)},
        {QColor(0, 0, 0), QColor(100, 200, 50), false, -20, -30, 38, Rgb(40, 80, 20)},
        {QColor(0, 0, 0), QColor(100, 200, 50), false, -20, -30, 76, Rgb(0, 0, 0)},
        {QColor(0, 0, 0), QColor(100, 200, 50), false, -20, -30, 200, Rgb(56, 111, 28)},
        {QColor(0, 0, 0), QColor(100, 200, 50), false, -20, -30, 255, Rgb(80, 160, 40)},
        // Reverse swaps the ends; a falling channel truncates toward zero.
        {QColor(0, 0, 0), QColor(255, 255, 255), true, 0, 0, 0, Rgb(255, 255, 255)},
        {QColor(0, 0, 0), QColor(255, 255, 255), true, 0, 0, 1, Rgb(254, 254, 254)},
        {QColor(0, 0, 0), QColor(255, 255, 255), true, 0, 0, 100, Rgb(155, 155, 155)},
    };
    for (const Case &c : cases) {
        const auto palette = KelGradientPalette(c.begin, c.end, c.reverse, c.shift, c.rotation);
        EXPECT_EQ(QColor(palette[c.index]).name(), QColor(c.expected).name())
            << "shift " << c.shift << " rotation " << c.rotation << " entry " << c.index;
    }
}

TEST(KelGradient, EachFamilyOfPatternsPaintsItsEndsWhereItsNameSays)
{
    uitest::App();
    const QRgb b = Rgb(0, 0, 0), e = Rgb(255, 255, 255);
    struct Case {
        TKelGradientStyle style;
        QPoint at;
        QRgb expected;
    };
    const Case cases[] = {
        {gsLinearH, {1, 32}, b}, {gsLinearH, {62, 32}, e},
        {gsLinearV, {32, 1}, b}, {gsLinearV, {32, 62}, e},
        {gsReflectedH, {32, 0}, e}, {gsReflectedH, {32, 32}, b}, {gsReflectedH, {32, 63}, e},
        {gsReflectedV, {0, 32}, e}, {gsReflectedV, {32, 32}, b}, {gsReflectedV, {63, 32}, e},
        {gsDiagonalLF, {0, 0}, b}, {gsDiagonalLF, {63, 63}, e},
        {gsDiagonalRB, {0, 0}, e}, {gsDiagonalRB, {63, 63}, b},
        {gsRadialC, {32, 32}, b}, {gsRadialC, {0, 0}, e},
        {gsRadialTL, {0, 0}, b}, {gsRadialTL, {63, 63}, e},
        {gsDiamond, {32, 32}, b}, {gsDiamond, {0, 32}, Rgb(128, 128, 128)},
        {gsRadialRect, {32, 32}, b}, {gsRadialRect, {0, 32}, e},
        {gsArrowL, {0, 32}, b}, {gsArrowL, {63, 0}, e},
        {gsButterfly, {32, 32}, b}, {gsButterfly, {32, 0}, e}, {gsButterfly, {0, 0}, b},
        // Without a handler the custom style is a checker of the two colours.
        {gsCustom, {10, 10}, b}, {gsCustom, {50, 10}, e}, {gsCustom, {50, 50}, b},
    };
    for (const Case &c : cases) {
        TKelGradient gradient;
        gradient.SetColorBegin(QColor(b));
        gradient.SetColorEnd(QColor(e));
        gradient.SetStyle(c.style);
        gradient.resize(64, 64);
        EXPECT_TRUE(Near(uitest::Picture(gradient).pixel(c.at), c.expected))
            << "style " << c.style << " at " << c.at.x() << "," << c.at.y();
    }
}

TEST(KelGradient, CustomHandlerFillsThePatternAndBorderFramesIt)
{
    uitest::App();
    TKelGradient gradient;
    gradient.OnCustom = [](TKelGradient &, const TKelPalette &, QImage &pattern) {
        pattern = QImage(1, 1, QImage::Format_RGB32);
        pattern.fill(qRgb(0, 0, 255));
    };
    gradient.SetStyle(gsCustom);
    gradient.SetBorderWidth(3);
    gradient.SetBorderColor(Qt::red);
    gradient.resize(40, 40);
    const QImage picture = uitest::Picture(gradient);
    EXPECT_EQ(picture.pixel(1, 1), Rgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(38, 20), Rgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(20, 20), Rgb(0, 0, 255));
}

TEST(KelGradient, UpdateLockRebuildsOnceWhenTheLastLockIsReleased)
{
    uitest::App();
    TKelGradient gradient;
    gradient.SetColorBegin(Qt::black);
    gradient.SetColorEnd(Qt::white);
    gradient.BeginUpdate();
    gradient.BeginUpdate();
    gradient.SetShift(100);
    gradient.EndUpdate();
    EXPECT_EQ(gradient.Palette()[0], Rgb(0, 0, 0));
    gradient.EndUpdate();
    EXPECT_EQ(gradient.Palette()[0], Rgb(255, 255, 255));
}

TEST(KelGradient, SystemColoursAreTakenAndAColourSetByHandClearsThem)
{
    uitest::App();
    TKelGradient gradient;
    gradient.SetUseSysColors(true);
    EXPECT_TRUE(gradient.UseSysColors());
    EXPECT_EQ(gradient.ColorBegin(), QApplication::palette().color(QPalette::Active, QPalette::Highlight));
    gradient.SetColorEnd(Qt::green);
    EXPECT_FALSE(gradient.UseSysColors());
    EXPECT_EQ(gradient.Palette()[255], Rgb(0, 255, 0));
}

TEST(KelGradient, AnimationRaisesRotationUnderTheMouseAndLowersItAfter)
{
    uitest::App();
    TKelGradient gradient;
    gradient.SetAnimated(true);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&gradient, &enter);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gradient.Rotation() == 100; }, 5000));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&gradient, &leave);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gradient.Rotation() == 0; }, 5000));
}
