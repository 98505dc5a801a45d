#pragma once
// The one application object of the benchmark program: every benchmark that needs Qt's
// GUI or widgets asks for it, whichever runs first. Offscreen when no platform is set.

#include <QApplication>

namespace bench {

inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bail_bench";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv); // kept to the end of the process
}

} // namespace bench
