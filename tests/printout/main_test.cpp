// The widget tests need one QApplication for the whole run; the offscreen platform
// stands in for a display when none is set.

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

// fontconfig keeps a few allocations of its configuration for the life of the process.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "printout_tests";
        static char *argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

const auto *const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
