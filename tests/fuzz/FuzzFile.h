#pragma once
// Writes a fuzz input to a file of its own in memory-backed storage.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

inline QString FuzzPath(const char *name)
{
    return QStringLiteral("/dev/shm/bailfuzz-%1-%2").arg(::getpid()).arg(QLatin1String(name));
}

inline void WriteFuzzFile(const QString &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f)
        return;
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}
