#pragma once
// The program from start to exit: splash, main window over the current directory's data
// folder, message loop.

#include <functional>

namespace app {

class TMainForm;

// Runs the program and returns its exit code. onShown, when given, runs once the main
// window has been shown and painted (a benchmark quits the loop there).
int RunProgram(int &argc, char **argv, const std::function<void(TMainForm &)> &onShown = {});

} // namespace app
