// The speed button: the face under the mouse and its fading back in eight ticks of the worker
// thread, the thread ending with the button, the presets, the disabled look, radio groups,
// repeated clicks and the caption's accelerator.

#include "ui/KelSpeedButton.h"

#include "UiTestUtil.h"

#include <QEnterEvent>
#include <QIcon>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace ui;

namespace {

const QColor kNormal(200, 200, 200);
const QColor kHot(40, 120, 240);

// The face as a button of that plain colour, without a hot colour, paints it.
QImage PlainFace(const QColor &color)
{
    TKelSpeedButton plain;
    plain.SetColor(color);
    return plain.RenderFace();
}

void Enter(QWidget &w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w, &e);
}

void Leave(QWidget &w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

struct Panel {
    QWidget parent;
    TKelSpeedButton *button = new TKelSpeedButton(&parent);
    Panel()
    {
        parent.resize(300, 100);
        button->SetColor(kNormal);
        button->SetHotTrackColor(kHot);
        parent.show();
    }
};

} // namespace

TEST(KelSpeedButton, LeavingFadesBackInEightTicksOrAtOnceWithoutSlowDecease)
{
    uitest::App();
    Panel p;
    EXPECT_EQ(p.button->size(), QSize(100, 38));
    const QImage normal = PlainFace(kNormal);
    EXPECT_EQ(p.button->RenderFace(), normal);

    Enter(*p.button);
    EXPECT_TRUE(p.button->Hot());
    EXPECT_EQ(p.button->RenderFace(), PlainFace(kHot));
    Leave(*p.button);
    EXPECT_EQ(p.button->FadeLevel(), 0);
    EXPECT_EQ(p.button->RenderFace(), normal);

    p.button->SetSlowDecease(true);
    Enter(*p.button);
    Leave(*p.button);
    // Each tick paints the next blend: 7/8 of the hot colour down to the normal face.
    std::vector<QImage> seen{p.button->RenderFace()};
    while (p.button->FadeLevel() > 0) {
        const int level = p.button->FadeLevel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.button->FadeLevel() != level; }, 2000));
        ASSERT_EQ(p.button->FadeLevel(), level - 1);
        seen.push_back(p.button->RenderFace());
    }
    ASSERT_EQ(seen.size(), 9u);
    for (int step = 0; step <= 8; ++step)
        EXPECT_EQ(seen[size_t(step)], PlainFace(BlendFace(kNormal, kHot, 8 - step))) << step;
    // Once faded, the thread rests: no further ticks change anything.
    QTest::qWait(100);
    EXPECT_EQ(p.button->FadeLevel(), 0);
    EXPECT_EQ(p.button->RenderFace(), normal);
}

TEST(KelSpeedButton, DestroyedMidFadeOrWithSlowDeceaseClearedTheThreadEnds)
{
    uitest::App();
    for (int i = 0; i < 20; ++i) {
        auto p = std::make_unique<Panel>();
        p->button->SetSlowDecease(true);
        Enter(*p->button);
        Leave(*p->button);
        QTest::qWait(i % 3 * 20);   // before, at and after the first tick
        if (i % 2)
            p->button->SetSlowDecease(false);   // stops the fade at once
        else
            p.reset();
        QTest::qWait(40);   // ticks already queued must come to nothing
        if (p) {
            EXPECT_EQ(p->button->FadeLevel(), 0);
            EXPECT_EQ(p->button->RenderFace(), PlainFace(kNormal));
        }
    }
}

TEST(KelSpeedButton, PresetsAssignTheirColoursAndTheStyleKeepsReadingCustom)
{
    uitest::App();
    const QColor face = QApplication::palette().color(QPalette::Button);
    struct Case {
        TKelColorStyle style;
        QColor color, hot, down, font;
        TKelSpeedButtonStyle look;
        bool flat;
    };
    const Case cases[] = {
        {lcsQuicken, QColor(0, 48, 96), QColor(156, 174, 206), QColor(41, 101, 173), Qt::white, bsQuicken, false},
        {lcsGold, QColor(192, 192, 0), QColor(223, 223, 0), QColor(), Qt::black, bsModern, false},
        {lcsUltraFlat2, face, QColor(228, 246, 140), QColor(188, 218, 36), Qt::black, bsNormal, true},
    };
    for (const Case &c : cases) {
        TKelSpeedButton b;
        b.SetColorStyle(c.style);
        EXPECT_EQ(b.ColorStyle(), lcsCustom);
        EXPECT_EQ(b.Color(), c.color) << c.style;
        EXPECT_EQ(b.HotTrackColor(), c.hot) << c.style;
        EXPECT_EQ(b.ColorWhenDown(), c.down) << c.style;
        EXPECT_EQ(b.FontColor(), c.font) << c.style;
        EXPECT_EQ(b.Style(), c.look) << c.style;
        EXPECT_EQ(b.Flat(), c.flat) << c.style;
    }
}

TEST(KelSpeedButton, DisabledShowsPlainColourGreyCaptionAndItsSecondCell)
{
    uitest::App();
    Panel p;
    p.button->setEnabled(false);
    Enter(*p.button);
    EXPECT_FALSE(p.button->Hot());
    EXPECT_EQ(p.button->RenderFace(), PlainFace(kNormal));

    // A strip of four 16-pixel cells, each its own colour: the disabled button shows cell 1,
    // the enabled one cell 0, cell 3 when hot and cell 2 when down.
    const QRgb cells[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255)};
    QImage strip(64, 16, QImage::Format_ARGB32);
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                strip.setPixel(i * 16 + x, y, cells[i]);
    p.button->SetGlyph(strip);
    EXPECT_EQ(p.button->NumGlyphs(), 4);
    // Without a caption the glyph sits in the middle of the button.
    auto glyphPixel = [&] { return p.button->RenderFace().pixel(p.button->width() / 2, p.button->height() / 2); };
    EXPECT_EQ(glyphPixel(), cells[1]);
    p.button->setEnabled(true);
    EXPECT_EQ(glyphPixel(), cells[0]);
    Enter(*p.button);
    EXPECT_EQ(glyphPixel(), cells[3]);
    QTest::mousePress(p.button, Qt::LeftButton);
    EXPECT_EQ(glyphPixel() & 0xffffff, cells[2] & 0xffffff);
    QTest::mouseRelease(p.button, Qt::LeftButton);

    // A PNG image instead: lightened by 75 % when disabled.
    QImage png(16, 16, QImage::Format_ARGB32);
    png.fill(qRgb(0, 0, 0));
    p.button->SetPNGObject(png);
    p.button->setEnabled(false);
    EXPECT_EQ(QColor(glyphPixel()), QColor(191, 191, 191));
    // A button given only an icon shows it as it would a PNG image.
    p.button->SetPNGObject(QImage());
    p.button->SetGlyph(QImage());
    QPixmap icon(16, 16);
    icon.fill(Qt::black);
    p.button->setIcon(QIcon(icon));
    p.button->setIconSize(QSize(16, 16));
    EXPECT_EQ(QColor(glyphPixel()), QColor(191, 191, 191));
    p.button->setIcon(QIcon());

    // The caption is grey when disabled, and cut at its end without an ellipsis when too long.
    p.button->SetPNGObject(QImage());
    p.button->SetCaption(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
    const QImage face = p.button->RenderFace();
    bool grey = false;
    for (int x = 0; x < face.width() && !grey; ++x)
        for (int y = 0; y < face.height() && !grey; ++y)
            grey = QColor(face.pixel(x, y)) == QColor(128, 128, 128);
    EXPECT_TRUE(grey);
}

TEST(KelSpeedButton, GroupsActAsRadioButtonsAndRepeatAndAcceleratorsClick)
{
    uitest::App();
    QWidget parent;
    auto *first = new TKelSpeedButton(&parent);
    auto *second = new TKelSpeedButton(&parent);
    auto *other = new TKelSpeedButton(&parent);   // group 2: not touched by group 1
    second->move(100, 0);
    other->move(200, 0);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    parent.show();
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_TRUE(first->Down());
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_FALSE(first->Down());
    EXPECT_TRUE(second->Down());
    QTest::mouseClick(second, Qt::LeftButton);   // stays down without AllowAllUp
    EXPECT_TRUE(second->Down());
    second->SetAllowAllUp(true);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_FALSE(second->Down());
    EXPECT_TRUE(other->Down());

    // Held down, a repeatable button clicks again after 400 ms and then every 100 ms.
    TKelSpeedButton repeat(&parent);
    repeat.move(0, 50);
    repeat.show();
    repeat.SetRepeatable(true);
    int clicks = 0;
    QObject::connect(&repeat, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mousePress(&repeat, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks >= 2; }, 3000));
    const int held = clicks;
    QTest::mouseRelease(&repeat, Qt::LeftButton);
    QTest::qWait(250);
    EXPECT_EQ(clicks, held + 1);   // the release's own click, then nothing

    // The accelerator clicks once and leaves the button up as it was.
    clicks = 0;
    repeat.SetCaption(QStringLiteral("&Go"));
    parent.activateWindow();
    QTest::keyClick(&parent, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(repeat.Down());
}
