// Commands that create or change the tables of a data folder.

#include "tool/Commands.h"

#include "db/BailKey.h"
#include "db/Demo.h"
#include "db/Numbering.h"
#include "db/Reindex.h"
#include "db/Restruct.h"
#include "db/Schema.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace tool {

namespace {

void Print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

std::unique_ptr<dbase::Table> OpenShared(const QString &dir, const db::TTableDesc &desc)
{
    return std::make_unique<dbase::Table>(db::TableFile(dir, desc, "dbf"), dbase::Table::Mode::Shared);
}

QString Failure(int code, const QString &message)
{
    QString m = message;
    return QStringLiteral("[%1] %2").arg(code).arg(m.replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

// Ends a command over several tables: exit 0, or 1 with the first failure (its engine code
// included) as the one line on stderr.
int Finish(const QString &what, const QString &firstFailure)
{
    std::fflush(stdout);
    if (firstFailure.isEmpty())
        return 0;
    std::fprintf(stderr, "bailtool: %s: %s\n", qPrintable(what), firstFailure.toLocal8Bit().constData());
    return 1;
}

} // namespace

int TakeCount(QStringList &args, const QString &name, int fallback, int min, int max)
{
    const int at = int(args.indexOf(name));
    if (at < 0)
        return fallback;
    if (at + 1 >= args.size())
        throw TUsageError{QStringLiteral("%1 needs a number").arg(name)};
    bool ok = false;
    const int value = args[at + 1].toInt(&ok);
    if (!ok || value < min || value > max)
        throw TUsageError{QStringLiteral("%1 must be a whole number from %2 to %3, not '%4'").arg(name).arg(min).arg(max).arg(args[at + 1])};
    args.remove(at, 2);
    return value;
}

QString TakeValue(QStringList &args, const QString &name)
{
    const int at = int(args.indexOf(name));
    if (at < 0)
        return QString();
    if (at + 1 >= args.size() || args[at + 1].startsWith(QLatin1String("--")))
        throw TUsageError{QStringLiteral("%1 needs a value").arg(name)};
    const QString value = args[at + 1];
    args.remove(at, 2);
    return value;
}

bool TakeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

QString OnlyArgument(const QStringList &args, const char *what)
{
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")))
        throw TUsageError{args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1String("--")))
                              ? QStringLiteral("unexpected argument '%1'").arg(args.size() > 1 ? args[1] : args[0])
                              : QStringLiteral("missing %1").arg(QLatin1String(what))};
    return args[0];
}

int MakeSeeds(const QStringList &args)
{
    const QString dir = OnlyArgument(args, "DIR");
    db::WriteSeeds(dir);
    return 0;
}

int Demo(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const int leases = TakeCount(args, QStringLiteral("--leases"), 200, 0, 10000000);
    const int lessors = TakeCount(args, QStringLiteral("--lessors"), 20, 0, db::kMaxLessorNumber);
    const QString dir = OnlyArgument(args, "DIR");
    const db::TDemoCounts counts = db::MakeDemoFolder(dir, leases, lessors);
    Print(QStringLiteral("%1 lessors, %2 leases, %3 annexes in %4").arg(counts.lessors).arg(counts.leases).arg(counts.annexes).arg(dir));
    return 0;
}

int AddLease(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const int count = TakeCount(args, QStringLiteral("--count"), 1, 1, 10000000);
    db::TLeaseKind kind = db::TLeaseKind::NN;
    const int at = int(args.indexOf(QStringLiteral("--kind")));
    if (at >= 0) {
        const auto k = at + 1 < args.size() && args[at + 1].size() == 2 ? db::KindFromPrefix(args[at + 1]) : std::nullopt;
        if (!k)
            throw TUsageError{QStringLiteral("--kind must be NN, ON, NO or OO")};
        kind = *k;
        args.remove(at, 2);
    }
    const QString dir = OnlyArgument(args, "DIR");

    auto bailConf = OpenShared(dir, db::kBailConf);
    auto bailStd = OpenShared(dir, db::kBailStd);
    std::unique_ptr<dbase::Table> annexe;
    if (db::IsElderly(kind))
        annexe = OpenShared(dir, db::kAnnexe);
    for (int i = 0; i < count; ++i) {
        const QString number = db::AddLease(*bailConf, *bailStd, annexe.get(), kind, [&](dbase::Record &lease, dbase::Record *) {
            lease.SetString(lease.Index(QStringLiteral("LANGUEIMP")), QStringLiteral("F"));
        });
        Print(number);
    }
    std::fflush(stdout);
    return 0;
}

int Reindex(const QStringList &args)
{
    const QString dir = OnlyArgument(args, "DIR");
    QString firstFailure;
    for (const db::TReindexStep &step : db::ReindexDataFolder(dir)) {
        if (step.ok) {
            Print(step.table + QStringLiteral(": reindexed"));
        } else {
            const QString failure = step.table + QStringLiteral(": ") + Failure(step.errorCode, step.error);
            Print(step.table + QStringLiteral(": failed: ") + Failure(step.errorCode, step.error));
            if (firstFailure.isEmpty())
                firstFailure = failure;
        }
    }
    return Finish(QStringLiteral("reindexing failed"), firstFailure);
}

int Upgrade(const QStringList &args)
{
    const QString dir = OnlyArgument(args, "DIR");
    if (!QFileInfo(dir).isDir())
        throw dbase::EDBEngineError(dbase::kTableNotFound, QStringLiteral("Folder does not exist: %1").arg(dir));
    const std::vector<db::TUpgradeStep> steps = db::UpgradeDataFolder(dir);
    QString firstFailure;
    if (steps.empty())
        Print(QStringLiteral("no table to upgrade"));
    for (const db::TUpgradeStep &step : steps) {
        if (step.errorCode != 0) {
            Print(step.table + QStringLiteral(": failed: ") + Failure(step.errorCode, step.error));
            if (firstFailure.isEmpty())
                firstFailure = step.table + QStringLiteral(": ") + Failure(step.errorCode, step.error);
        } else {
            Print(step.table + (step.widened ? QStringLiteral(": widened") : QStringLiteral(": up to date")));
        }
    }
    return Finish(QStringLiteral("upgrade failed"), firstFailure);
}

} // namespace tool
