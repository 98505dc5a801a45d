#include "ui/EditHelpers.h"

#include "TestSupport.h"
#include "UiTestUtil.h"
#include "dataset/DBCheckBox.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/Schema.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using dataset::TDBCheckBox;
using dataset::TFieldType;
using dataset::TTable;

namespace {

class DottedMasksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = testsupport::TempDir();
        db::MakeDemoFolder(m_dir->path(), 1, 1);
    }
    std::unique_ptr<TTable> Open(const db::TTableDesc &t, const QString &objectName = QString())
    {
        auto table = std::make_unique<TTable>();
        table->setObjectName(objectName);
        table->SetTableName(db::TableFile(m_dir->path(), t, "dbf"));
        table->Open();
        return table;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace

TEST_F(DottedMasksTest, LeaseFieldsShowDotsInUnfilledPositions)
{
    auto bail = Open(db::kBailStd);
    ASSERT_EQ(ui::FieldComponentName(*bail->FieldByName(QStringLiteral("D_LOYER"))),
              QStringLiteral("BailStd_D_LOYER"));
    bail->FieldByName(QStringLiteral("A_CP1"))->SetEditMask(QStringLiteral(">l9l\\ 9l9;1; "));
    bail->FieldByName(QStringLiteral("C_DEBUT"))->SetEditMask(QStringLiteral("!9999/99/99;1; "));
    bail->FieldByName(QStringLiteral("D_LOYER"))->SetEditMask(QStringLiteral("#,##0.00;1; "));

    ui::ApplyDottedEditMasks(*bail);

    auto mask = [&](const char *name) { return bail->FieldByName(QString::fromLatin1(name))->EditMask(); };
    EXPECT_EQ(mask("A_CP1"), QStringLiteral(">l9l\\ 9l9;1;."));
    EXPECT_EQ(mask("C_DEBUT"), QStringLiteral("!9999/99/99;1;."));
    EXPECT_EQ(mask("B_CP"), QStringLiteral("ccccccc;0;."));
    EXPECT_EQ(mask("A_MUNIC1"), QString(30, QLatin1Char('c')) + QStringLiteral(";0;."));
    EXPECT_EQ(mask("C_FIN"), QStringLiteral(";0;."));
    EXPECT_EQ(mask("D_LOYER"), QStringLiteral("#,##0.00;1; "));
    // Numbers and logicals keep no mask.
    EXPECT_EQ(mask("B_NBPIECE"), QString());
    EXPECT_EQ(mask("A_MEMCOOP1"), QString());

    // Every text and date field was reached, not just the ones above.
    for (int i = 0; i < bail->FieldCount(); ++i) {
        const dataset::TField &f = *bail->Fields(i);
        const bool dotted = f.EditMask().endsWith(QLatin1Char('.'));
        const bool textOrDate = f.DataType() == TFieldType::String || f.DataType() == TFieldType::Date;
        EXPECT_EQ(dotted, textOrDate && f.FieldName() != QLatin1String("D_LOYER")) << f.FieldName().toStdString();
    }
}

TEST_F(DottedMasksTest, OnlyTheLeaseTablesRentIsLeftAlone)
{
    // The same file under another component name: its D_LOYER is an ordinary text field.
    auto coop = Open(db::kBailStd, QStringLiteral("BailCoop"));
    ui::ApplyDottedEditMasks(*coop);
    EXPECT_EQ(coop->FieldByName(QStringLiteral("D_LOYER"))->EditMask(),
              QString(50, QLatin1Char('c')) + QStringLiteral(";0;."));

    auto lease = Open(db::kBailStd, QStringLiteral("bailstd"));
    ui::ApplyDottedEditMasks(*lease);
    EXPECT_EQ(lease->FieldByName(QStringLiteral("D_LOYER"))->EditMask(), QString());

    auto lessor = Open(db::kLocateur);
    ui::ApplyDottedEditMasks(*lessor);
    EXPECT_EQ(lessor->FieldByName(QStringLiteral("CP"))->EditMask(), QStringLiteral("ccccccc;0;."));
}

namespace {

// A subclass must not be hooked: only the plain data-aware check box is.
class TOtherCheckBox : public TDBCheckBox {
public:
    using TDBCheckBox::TDBCheckBox;
};

// A window with two check boxes (one of them inside a panel), a subclassed one and an edit.
// Constructed before the fixture's widgets, which need the application object.
struct TAppFirst {
    TAppFirst() { uitest::App(); }
};

class FocusFrameTest : public ::testing::Test, private TAppFirst {
protected:
    void SetUp() override
    {
        uitest::App();
        m_window.resize(200, 140);
        m_window.setAutoFillBackground(true);
        QPalette pal = m_window.palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, Qt::black);
        m_window.setPalette(pal);
        m_first = new TDBCheckBox(&m_window);
        m_first->move(20, 20);
        m_panel = new QWidget(&m_window);
        m_panel->setGeometry(60, 50, 120, 80);
        m_second = new TDBCheckBox(m_panel);
        m_second->move(30, 30);
        m_other = new TOtherCheckBox(&m_window);
        m_other->move(20, 100);
        m_edit = new QLineEdit(&m_window);
        m_edit->setGeometry(120, 2, 70, 16);
        m_frame = new ui::TFocusFrame(m_window);
        m_frame->HookCheckBoxes();
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }
    void Focus(QWidget *w)
    {
        w->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }
    // Dark pixels on the one-pixel ring just outside a control, in window coordinates.
    static int RingInk(const QImage &picture, const QWidget *control)
    {
        const QRect r(control->mapTo(control->window(), QPoint(-1, -1)), QSize(17, 17));
        int dark = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            for (int y : {r.top(), r.bottom()})
                dark += qGray(picture.pixel(x, y)) < 128;
        for (int y = r.top() + 1; y < r.bottom(); ++y)
            for (int x : {r.left(), r.right()})
                dark += qGray(picture.pixel(x, y)) < 128;
        return dark;
    }

    QWidget m_window;
    TDBCheckBox *m_first = nullptr;
    QWidget *m_panel = nullptr;
    TDBCheckBox *m_second = nullptr;
    TDBCheckBox *m_other = nullptr;
    QLineEdit *m_edit = nullptr;
    ui::TFocusFrame *m_frame = nullptr;
};

} // namespace

TEST_F(FocusFrameTest, HooksExactlyThePlainCheckBoxesAndSizesThem)
{
    EXPECT_TRUE(m_first->OnEnter && m_first->OnExit);
    EXPECT_TRUE(m_second->OnEnter && m_second->OnExit);
    EXPECT_FALSE(m_other->OnEnter || m_other->OnExit);

    QWidget window;
    auto *box = new TDBCheckBox(&window);
    box->setFixedSize(40, 20);
    int entered = 0, left = 0;
    ui::HookCheckBoxes(window, [&](TDBCheckBox &b) { entered += &b == box; },
                       [&](TDBCheckBox &b) { left += &b == box; });
    EXPECT_EQ(box->size(), QSize(15, 15));
    box->OnEnter(*box);
    box->OnExit(*box);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 1);
}

TEST_F(FocusFrameTest, FrameFollowsTheFocusAndLeavesNothingBehind)
{
    // The window gives the focus to its first box when shown; start from the edit instead.
    Focus(m_edit);
    ASSERT_TRUE(m_edit->hasFocus());
    // Everything below the edit, whose blinking cursor would make pictures differ.
    const QRect boxes(0, 19, 200, 121);
    const QImage before = uitest::Picture(m_window).copy(boxes);
    EXPECT_EQ(RingInk(uitest::Picture(m_window), m_first), 0);
    EXPECT_EQ(RingInk(uitest::Picture(m_window), m_second), 0);

    // The pictures go to a folder of this test's own, kept only when the test fails.
    const std::unique_ptr<QTemporaryDir> pictures = testsupport::TempDir();
    Focus(m_first);
    EXPECT_EQ(m_frame->Rect(), QRect(19, 19, 17, 17));
    EXPECT_EQ(m_frame->FrameParent(), &m_window);
    QImage picture = uitest::Picture(m_window);
    picture.save(pictures->filePath(QStringLiteral("focusframe_first.png")));
    // A dotted ring: about every other pixel of its 64 is dark.
    EXPECT_GE(RingInk(picture, m_first), 24);
    EXPECT_LE(RingInk(picture, m_first), 40);
    EXPECT_EQ(RingInk(picture, m_second), 0);

    // Entering the second box, which sits in a panel, moves the frame onto the panel.
    Focus(m_second);
    EXPECT_EQ(m_frame->Rect(), QRect(29, 29, 17, 17));
    EXPECT_EQ(m_frame->FrameParent(), m_panel);
    picture = uitest::Picture(m_window);
    picture.save(pictures->filePath(QStringLiteral("focusframe_second.png")));
    EXPECT_EQ(RingInk(picture, m_first), 0);
    EXPECT_GE(RingInk(picture, m_second), 24);

    // Leaving for a control that is no check box takes the frame away altogether.
    Focus(m_edit);
    EXPECT_TRUE(m_frame->Rect().isNull());
    EXPECT_EQ(m_frame->FrameParent(), nullptr);
    picture = uitest::Picture(m_window);
    EXPECT_EQ(RingInk(picture, m_first), 0);
    EXPECT_EQ(RingInk(picture, m_second), 0);
    EXPECT_TRUE(picture.copy(boxes) == before) << "the boxes look as before they were entered";

    // An unhooked subclass gets no frame.
    Focus(m_other);
    EXPECT_EQ(RingInk(uitest::Picture(m_window), m_other), 0);
    if (HasFailure()) {
        pictures->setAutoRemove(false);
        std::fprintf(stderr, "pictures kept in %s\n", qPrintable(pictures->path()));
    }
}

TEST_F(FocusFrameTest, FrameDoesNotTakeTheClicks)
{
    Focus(m_first);
    ASSERT_FALSE(m_frame->Rect().isNull());
    const bool was = m_first->isChecked();
    QTest::mouseClick(m_first, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_NE(m_first->isChecked(), was);
    // The frame's own edge lies over the parent: a click there reaches the parent, not it.
    EXPECT_EQ(m_window.childAt(19, 19), nullptr);
}

TEST_F(FocusFrameTest, NothingIsDrawnWithoutAnActiveControl)
{
    QWidget lonely;
    ui::TFocusFrame frame(lonely);
    frame.Draw();
    EXPECT_TRUE(frame.Rect().isNull());
    frame.Erase();
    EXPECT_TRUE(frame.Rect().isNull());
}
