#include "TestSupport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace testsupport {

QString FixtureDir(const QString &sub)
{
    const QString dir = QStringLiteral(BAIL_SHARED_DIR "/fixtures/") + sub;
    return QFileInfo(dir).isDir() ? dir : QString();
}

std::unique_ptr<QTemporaryDir> TempDir()
{
    auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/bailtest-XXXXXX"));
    return dir;
}

int Run(const QString &program, const QStringList &args, QString *out, QString *err, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -2;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
}

bool HaveProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QString Bailtool()
{
    return QStringLiteral(BAIL_BAILTOOL);
}

QString SeedDir()
{
    return QStringLiteral(BAIL_SEED_DIR);
}

} // namespace testsupport

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

int InChild(const std::function<int()> &fn)
{
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = fn();
        } catch (...) {
            code = 98;
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TCupsWhere RunInCupsChild(const QString &fullTestName)
{
    if (qEnvironmentVariable("BAIL_CUPS_CHILD") == QLatin1String("1"))
        return TCupsWhere::Here;
    const QString server = qEnvironmentVariable("BAIL_CUPS_SERVER");
    if (server.isEmpty() || qEnvironmentVariableIsEmpty("BAIL_CUPS_PDF_QUEUE") || qEnvironmentVariableIsEmpty("BAIL_CUPS_OUT"))
        return TCupsWhere::Skip;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), server);
    env.insert(QStringLiteral("BAIL_CUPS_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + fullTestName});
    const bool finished = child.waitForFinished(300000);
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_TRUE(finished);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
    return TCupsWhere::Done;
}

} // namespace testsupport
