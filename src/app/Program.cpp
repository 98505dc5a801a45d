#include "app/Program.h"

#include "app/AppException.h"
#include "app/Findbail.h"
#include "app/Help.h"
#include "app/Main.h"
#include "app/Reindex.h"
#include "app/Splash.h"
#include "app/Startup.h"

#include <QPointer>
#include <QProxyStyle>
#include <QTimer>

namespace app {

namespace {

// Toolbar hints appear after a short pause, quicker than the platform's default.
class THintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 400;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

int RunProgram(int &argc, char **argv, const std::function<void(TMainForm &)> &onShown)
{
    TApplication application(argc, argv);
    application.setStyle(new THintStyle);
    // The splash deletes itself after its time; one still up at exit goes with the program.
    QPointer<TSplashScreen> splash = new TSplashScreen;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));

    InstallLeaseSearch();
    TMainForm mainForm;
    try {
        mainForm.Start();
    } catch (...) {
        // The window still opens: the user reads what went wrong and may fix it.
        ShowException(std::current_exception());
    }
    mainForm.showMaximized();
    if (TReindexForm *reindex = mainForm.ReindexForm())
        reindex->raise();
    if (onShown) {
        mainForm.repaint();
        QTimer::singleShot(0, &mainForm, [&] { onShown(mainForm); });
    }
    const int code = application.exec();
    delete splash.data();
    delete THelp::Instance().Viewer();
    return code;
}

} // namespace app
