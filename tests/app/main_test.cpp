// The window tests need one application object for the whole run: the program's own, so
// that its event-loop exception handler is under test too. Offscreen when no display is set.

#include "app/AppException.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "app_tests";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<app::TApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<app::TApplication> m_app;
};

const auto *const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
