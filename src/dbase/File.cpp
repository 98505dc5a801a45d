#include "File.h"

#include "EngineError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dbase {

namespace {

struct HeldLock {
    const File *owner;
    uint64_t offset;
    uint64_t len;
    LockKind kind;
};

// Locks held by File objects of this process, per file identity. OFD locks do not
// say who holds a conflicting lock, so this tells "another window" from "another user".
struct Registry {
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, std::vector<HeldLock>> held;
};

Registry &TheRegistry()
{
    static Registry registry;
    // A forked child inherits the parent's entries, but not as its own windows.
    static const int forkHook = pthread_atfork(nullptr, nullptr, [] { TheRegistry().held.clear(); });
    (void)forkHook;
    return registry;
}

bool Overlaps(uint64_t a, uint64_t alen, uint64_t b, uint64_t blen)
{
    return a < b + blen && b < a + alen;
}

} // namespace

File::File(const QString &path, Mode mode)
    : m_path(path)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::ReadOnly: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    m_writable = mode != Mode::ReadOnly;
    const QByteArray native = QFile::encodeName(path);
    do {
        m_fd = ::open(native.constData(), flags, 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        const int err = errno;
        if (err == ENOENT)
            throw EDBEngineError(kTableNotFound, QStringLiteral("Table does not exist."))
                .Add(kTableNotFound, QStringLiteral("File: ") + path);
        ThrowIo(path, QStringLiteral("opening"), err);
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        const int err = errno;
        ::close(m_fd);
        m_fd = -1;
        ThrowIo(path, QStringLiteral("reading the status of"), err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        ThrowCorrupt(path, QStringLiteral("not a regular file"));
    }
    m_dev = st.st_dev;
    m_ino = st.st_ino;
}

File::~File()
{
    Close();
}

File::File(File &&other) noexcept
{
    *this = std::move(other);
}

File &File::operator=(File &&other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_mapReads = other.m_mapReads;
        m_map = other.m_map;
        m_mapLength = other.m_mapLength;
        other.m_map = nullptr;
        other.m_mapLength = 0;
        other.m_mapReads = false;
        m_path = std::move(other.m_path);
        m_writable = other.m_writable;
        m_dev = other.m_dev;
        m_ino = other.m_ino;
        other.m_fd = -1;
        // Registered locks follow the object.
        Registry &r = TheRegistry();
        std::lock_guard guard(r.mutex);
        auto it = r.held.find({m_dev, m_ino});
        if (it != r.held.end())
            for (auto &h : it->second)
                if (h.owner == &other)
                    h.owner = this;
    }
    return *this;
}

void File::Unmap()
{
    if (m_map)
        ::munmap(const_cast<char *>(m_map), m_mapLength);
    m_map = nullptr;
    m_mapLength = 0;
}

bool File::Remap() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || size_t(st.st_size) <= m_mapLength)
        return false;
    void *p = ::mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_SHARED, m_fd, 0);
    if (p == MAP_FAILED)
        return false;
    if (m_map)
        ::munmap(const_cast<char *>(m_map), m_mapLength);
    m_map = static_cast<const char *>(p);
    m_mapLength = size_t(st.st_size);
    return true;
}

void File::EnableMappedReads()
{
    m_mapReads = true;
    Remap();
}

void File::Close()
{
    if (m_fd < 0)
        return;
    Unmap();
    m_mapReads = false;
    {
        Registry &r = TheRegistry();
        std::lock_guard guard(r.mutex);
        auto it = r.held.find({m_dev, m_ino});
        if (it != r.held.end()) {
            std::erase_if(it->second, [this](const HeldLock &h) { return h.owner == this; });
            if (it->second.empty())
                r.held.erase(it);
        }
    }
    ::close(m_fd); // closing the description releases its OFD locks
    m_fd = -1;
}

size_t File::ReadAt(uint64_t offset, void *buf, size_t n) const
{
    if (m_mapReads && (offset + n <= m_mapLength || Remap()) && offset + n <= m_mapLength) {
        std::memcpy(buf, m_map + offset, n);
        return n;
    }
    size_t done = 0;
    auto *p = static_cast<char *>(buf);
    while (done < n) {
        const ssize_t got = ::pread(m_fd, p + done, n - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowIo(m_path, QStringLiteral("reading"), errno);
        }
        if (got == 0)
            break;
        done += size_t(got);
    }
    return done;
}

void File::ReadExact(uint64_t offset, void *buf, size_t n, const char *what) const
{
    if (ReadAt(offset, buf, n) != n)
        ThrowCorrupt(m_path, QStringLiteral("file too short for %1").arg(QLatin1String(what)));
}

void File::WriteAt(uint64_t offset, const void *buf, size_t n)
{
    size_t done = 0;
    const auto *p = static_cast<const char *>(buf);
    while (done < n) {
        const ssize_t put = ::pwrite(m_fd, p + done, n - done, off_t(offset + done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ThrowIo(m_path, QStringLiteral("writing"), errno);
        }
        if (put == 0)
            ThrowIo(m_path, QStringLiteral("writing"), ENOSPC);
        done += size_t(put);
    }
}

uint64_t File::Size() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        ThrowIo(m_path, QStringLiteral("reading the size of"), errno);
    return uint64_t(st.st_size);
}

void File::Truncate(uint64_t size)
{
    // Pages past the new end may not be touched through the mapping any more.
    if (m_map && size < m_mapLength)
        Unmap();
    if (::ftruncate(m_fd, off_t(size)) != 0)
        ThrowIo(m_path, QStringLiteral("truncating"), errno);
}

void File::Sync()
{
    if (::fdatasync(m_fd) != 0)
        ThrowIo(m_path, QStringLiteral("flushing"), errno);
}

void File::Reserve(uint64_t offset, uint64_t n)
{
    if (n == 0)
        return;
    if (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, off_t(offset), off_t(n)) == 0)
        return;
    const int err = errno;
    // File systems without fallocate (some network shares) get no reservation;
    // writes still report a full disk themselves.
    if (err == EOPNOTSUPP || err == ENOSYS)
        return;
    ThrowIo(m_path, QStringLiteral("reserving space in"), err);
}

LockResult File::TryLock(uint64_t offset, uint64_t len, LockKind kind)
{
    struct flock fl {};
    fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(len);
    for (;;) {
        if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0) {
            Register(offset, len, kind);
            return LockResult::Granted;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EACCES)
            ThrowIo(m_path, QStringLiteral("locking"), errno);
        break;
    }
    Registry &r = TheRegistry();
    std::lock_guard guard(r.mutex);
    auto it = r.held.find({m_dev, m_ino});
    if (it != r.held.end())
        for (const auto &h : it->second)
            if (h.owner != this && Overlaps(h.offset, h.len, offset, len)
                && (kind == LockKind::Exclusive || h.kind == LockKind::Exclusive))
                return LockResult::HeldHere;
    return LockResult::HeldElsewhere;
}

void File::Lock(uint64_t offset, uint64_t len, LockKind kind)
{
    struct flock fl {};
    fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(len);
    while (::fcntl(m_fd, F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR)
            ThrowIo(m_path, QStringLiteral("locking"), errno);
    }
    Register(offset, len, kind);
}

void File::Unlock(uint64_t offset, uint64_t len)
{
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(len);
    while (::fcntl(m_fd, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR)
            ThrowIo(m_path, QStringLiteral("unlocking"), errno);
    }
    Unregister(offset, len);
}

void File::Register(uint64_t offset, uint64_t len, LockKind kind)
{
    Registry &r = TheRegistry();
    std::lock_guard guard(r.mutex);
    auto &list = r.held[{m_dev, m_ino}];
    // A new lock on the same range replaces the old one, as fcntl does.
    std::erase_if(list, [&](const HeldLock &h) { return h.owner == this && h.offset == offset && h.len == len; });
    list.push_back({this, offset, len, kind});
}

void File::Unregister(uint64_t offset, uint64_t len)
{
    Registry &r = TheRegistry();
    std::lock_guard guard(r.mutex);
    auto it = r.held.find({m_dev, m_ino});
    if (it == r.held.end())
        return;
    std::erase_if(it->second, [&](const HeldLock &h) {
        return h.owner == this && Overlaps(h.offset, h.len, offset, len);
    });
    if (it->second.empty())
        r.held.erase(it);
}

QString FindFileNoCase(const QString &dir, const QString &name)
{
    const QDir d(dir);
    if (QFileInfo::exists(d.filePath(name)))
        return d.filePath(name);
    const QStringList entries = d.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return d.filePath(e);
    return d.filePath(name);
}

void KeepAccessOf(const QString &original, File &replacement)
{
    struct stat st {};
    if (::stat(QFile::encodeName(original).constData(), &st) != 0)
        return;
    // Another owner's group may be out of reach; the permissions are ours to set.
    if (::fchown(replacement.Fd(), uid_t(-1), st.st_gid) != 0 && errno != EPERM)
        ThrowIo(replacement.Path(), QStringLiteral("setting the group of"), errno);
    if (::fchmod(replacement.Fd(), st.st_mode & 07777) != 0)
        ThrowIo(replacement.Path(), QStringLiteral("setting the permissions of"), errno);
}

void SyncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        ThrowIo(dir, QStringLiteral("opening the folder"), errno);
    const int r = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some network file systems cannot sync a folder; that is no failure of ours.
    if (r != 0 && error != EINVAL && error != ENOTSUP)
        ThrowIo(dir, QStringLiteral("syncing the folder"), error);
}

} // namespace dbase
