// The widget tests share one application object for the whole run.

#include "QtEnvironment.h"

namespace {

const auto *const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::TQtEnvironment<>("entry_tests"));

} // namespace
