// The window tests share one application object for the whole run: the program's own, so
// that its event-loop exception handler is under test too.

#include "QtEnvironment.h"
#include "app/AppException.h"

namespace {

const auto *const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::TQtEnvironment<app::TApplication>("app_tests"));

} // namespace
