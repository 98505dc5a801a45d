// The widget tests share one application object for the whole run.

#include "QtEnvironment.h"

// fontconfig keeps a few allocations of its configuration for the life of the process.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

const auto *const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::TQtEnvironment<>("preview_tests"));

} // namespace
