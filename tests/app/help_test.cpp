// The help sets shipped with the program and the help hook that shows them.

#include "AppTestUtil.h"

#include "app/Help.h"
#include "app/Startup.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

const int kContexts[] = {1, 6, 7, 8, 9, 10, 11, 15, 140, 151, 160, 310, 320, 520};

TEST(Help, EveryContextHasATopicInBothHelpSets)
{
    for (const char *language : {"F", "A"}) {
        const QString set = app::HelpFileFor(QLatin1String(language));
        ASSERT_TRUE(QFileInfo(set).isDir()) << set.toStdString();
        app::THelpViewer viewer;
        viewer.SetHelpSet(set);
        EXPECT_EQ(viewer.IndexEntries().size(), int(std::size(kContexts)));
        for (int context : kContexts) {
            viewer.ShowContext(context);
            EXPECT_EQ(viewer.CurrentContext(), context) << language << context;
            EXPECT_GT(viewer.Browser()->toPlainText().size(), 100) << language << context;
        }
        // Links between topics lead somewhere.
        viewer.ShowContext(1);
        EXPECT_TRUE(viewer.Browser()->toHtml().contains(QStringLiteral("ctx6.html")));
    }
    EXPECT_EQ(QFileInfo(app::HelpFileFor(QStringLiteral("F"))).fileName(), QStringLiteral("Bailf"));
    EXPECT_EQ(QFileInfo(app::HelpFileFor(QStringLiteral("x"))).fileName(), QStringLiteral("baila"));
}

TEST(Help, HookShowsContextsIndexAndDefaultAndQuitCloses)
{
    app::THelp &help = app::THelp::Instance();
    help.SetHelpFile(app::HelpFileFor(QStringLiteral("A")));
    EXPECT_TRUE(help.Command(app::kHelpContextPopup, 310));
    ASSERT_NE(help.Viewer(), nullptr);
    EXPECT_EQ(help.Viewer()->CurrentContext(), 310);
    EXPECT_EQ(help.Viewer()->windowTitle(), QStringLiteral("Help - Bail de la Ostrevane"));
    EXPECT_TRUE(help.Command(app::kHelpKey, 0, QStringLiteral("window")));
    EXPECT_EQ(help.Viewer()->IndexEntries(), QStringList({QStringLiteral("Closing a window"), QStringLiteral("Main window"),
                                                           QStringLiteral("Window menu")}));
    EXPECT_EQ(help.Viewer()->CurrentContext(), 140);
    EXPECT_TRUE(help.Command(999, 7)); // unknown request: the default topic
    EXPECT_EQ(help.Viewer()->CurrentContext(), 1);
    EXPECT_TRUE(help.Command(app::kHelpContext, 4242)); // unknown context: the default topic too
    EXPECT_EQ(help.Viewer()->CurrentContext(), 1);
    EXPECT_TRUE(help.Command(app::kHelpQuit));
    apptest::Settle();
    EXPECT_EQ(help.Viewer(), nullptr);
}

} // namespace
