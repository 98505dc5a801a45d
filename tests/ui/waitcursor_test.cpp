#include "ui/WaitCursor.h"

#include "UiTestUtil.h"

#include <QCursor>

#include <gtest/gtest.h>

#include <stdexcept>

using ui::TWaitCursor;

namespace {

bool Waiting()
{
    const QCursor *c = QApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

} // namespace

TEST(WaitCursor, NestedGuardsRestoreInOrder)
{
    uitest::App();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    {
        TWaitCursor outer;
        EXPECT_TRUE(Waiting());
        {
            TWaitCursor inner;
            EXPECT_TRUE(Waiting());
        }
        // The inner guard must not take away the outer hourglass.
        EXPECT_TRUE(Waiting());
    }
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(WaitCursor, RestoredWhenAnExceptionLeavesTheScope)
{
    uitest::App();
    try {
        TWaitCursor wait;
        TWaitCursor again;
        ASSERT_TRUE(Waiting());
        throw std::runtime_error("engine failure");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
