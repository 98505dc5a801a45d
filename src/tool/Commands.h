#pragma once
// The commands of bailtool. Each returns the exit code; failures throw.

#include <QStringList>

namespace tool {

// Thrown for a command line that cannot be run; main prints it with the usage hint.
struct TUsageError {
    QString message;
};

int Dump(const QStringList &args);
int Keys(const QStringList &args);
int Check(const QStringList &args);
int MakeSeeds(const QStringList &args);
int Demo(const QStringList &args);
int AddLease(const QStringList &args);
int Reindex(const QStringList &args);
int Upgrade(const QStringList &args);

// Shared argument helpers.
// Removes "--name VALUE" from args and returns VALUE parsed as a count in [min, max],
// or fallback when absent.
int TakeCount(QStringList &args, const QString &name, int fallback, int min, int max);
// Removes "--name VALUE" from args and returns VALUE, or an empty text when absent.
QString TakeValue(QStringList &args, const QString &name);
// Removes "--name" from args; true when it was there.
bool TakeFlag(QStringList &args, const QString &name);
// The single positional argument left; anything else is a usage error.
QString OnlyArgument(const QStringList &args, const char *what);

} // namespace tool
