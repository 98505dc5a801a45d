// From process start to the main window shown, over a data folder of 10,000 leases: each
// iteration forks a fresh process that runs the program until its main window is up. A fork
// skips the dynamic loader, so its cost is measured apart: a process that loads the same
// libraries and does nothing; the start-up is the sum of the two.

#include "app/Main.h"
#include "app/Program.h"
#include "db/Demo.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString &LeaseFolder()
{
    static std::unique_ptr<QTemporaryDir> dir = [] {
        auto d = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/bail-startup-XXXXXX"));
        db::MakeDemoFolder(d->path(), 10000, 200);
        return d;
    }();
    static const QString path = dir->path();
    return path;
}

// Times one child process running child() to its end; false when it did not exit with 0.
bool TimeChild(benchmark::State &state, const std::function<void()> &child)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        child();
        _exit(4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    return true;
}

void BM_StartToMainWindowShown(benchmark::State &state)
{
    const QString folder = LeaseFolder();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (auto _ : state) {
        const bool shown = TimeChild(state, [&] {
            if (!QDir::setCurrent(folder))
                _exit(2);
            static int argc = 1;
            static char name[] = "leaseform";
            static char *argv[] = {name, nullptr};
            app::RunProgram(argc, argv, [](app::TMainForm &form) { _exit(form.isVisible() ? 0 : 3); });
        });
        if (!shown) {
            state.SkipWithError("the program did not reach its main window");
            break;
        }
    }
}
BENCHMARK(BM_StartToMainWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LoadTheProgramsLibraries(benchmark::State &state)
{
    for (auto _ : state) {
        const bool loaded = TimeChild(state, [] {
            // This program links every library of the application; a filter that matches no
            // benchmark makes it end as soon as it is loaded.
            static char name[] = "bail_bench";
            static char filter[] = "--benchmark_filter=^$";
            static char *argv[] = {name, filter, nullptr};
            execv("/proc/self/exe", argv);
            _exit(5);
        });
        if (!loaded) {
            state.SkipWithError("the program could not be started");
            break;
        }
    }
}
BENCHMARK(BM_LoadTheProgramsLibraries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
