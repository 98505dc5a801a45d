#pragma once
// One application object for a whole widget test program, made before the first test and
// gone after the last; the offscreen platform stands in for a display when none is set.
// A test folder registers it once, in its main_test.cpp, with the application class it needs.

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

template <typename TApp = QApplication>
class TQtEnvironment : public ::testing::Environment {
public:
    explicit TQtEnvironment(const char *programName) : m_name(programName) {}

    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char *argv[] = {nullptr, nullptr};
        argv[0] = const_cast<char *>(m_name);
        m_app = std::make_unique<TApp>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    const char *m_name;
    std::unique_ptr<TApp> m_app;
};

} // namespace testsupport
