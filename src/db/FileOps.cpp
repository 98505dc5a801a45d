#include "db/FileOps.h"

#include "dbase/EngineError.h"
#include "dbase/File.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

// Closes a descriptor on every way out.
struct TFd {
    int fd = -1;
    ~TFd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

[[noreturn]] void Fail(const QString &action, const QString &path, int err)
{
    throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("I/O error while %1 %2: %3")
                                                     .arg(action, path, QString::fromLocal8Bit(std::strerror(err))));
}

int OpenOrFail(const QString &path, int flags, const QString &action)
{
    int fd;
    do {
        fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(action, path, errno);
    return fd;
}

} // namespace

void CopyFile(const QString &source, const QString &target)
{
    TFd in{OpenOrFail(source, O_RDONLY, QStringLiteral("opening"))};
    TFd out{OpenOrFail(target, O_WRONLY | O_CREAT | O_TRUNC, QStringLiteral("creating"))};
    char block[256];
    for (;;) {
        const ssize_t got = ::read(in.fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            Fail(QStringLiteral("reading"), source, errno);
        }
        if (got == 0)
            break;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(out.fd, block + done, size_t(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                Fail(QStringLiteral("writing"), target, errno);
            }
            if (put == 0)
                Fail(QStringLiteral("writing"), target, ENOSPC);
            done += put;
        }
    }
    // A full disk may only show when the data is flushed or the file closed.
    if (::fsync(out.fd) != 0 && errno != EINVAL)
        Fail(QStringLiteral("flushing"), target, errno);
    const int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0)
        Fail(QStringLiteral("closing"), target, errno);
}

void ClearProductionIndexFlag(const QString &dbfPath)
{
    TFd f{OpenOrFail(dbfPath, O_WRONLY, QStringLiteral("opening"))};
    const char zero = 0;
    ssize_t put;
    do {
        put = ::pwrite(f.fd, &zero, 1, dbase::fmt::kOffProductionIndex);
    } while (put < 0 && errno == EINTR);
    if (put != 1)
        Fail(QStringLiteral("writing"), dbfPath, put < 0 ? errno : ENOSPC);
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0)
        Fail(QStringLiteral("closing"), dbfPath, errno);
}

dbase::DbfHeader ReadTableHeader(const QString &dbfPath)
{
    dbase::File file(dbfPath, dbase::File::Mode::ReadOnly);
    uint8_t first[dbase::fmt::kHeaderSize];
    file.ReadExact(0, first, sizeof first, "the table header");
    const int length = dbase::HeaderLengthOf(first);
    if (length < dbase::fmt::kHeaderSize + 1)
        dbase::ThrowCorrupt(dbfPath, QStringLiteral("invalid header length %1").arg(length));
    std::string bytes(size_t(length), '\0');
    file.ReadExact(0, bytes.data(), bytes.size(), "the field descriptors");
    return dbase::DecodeHeader(dbfPath, bytes, file.Size());
}

} // namespace db
