#pragma once
// One open file description with positional I/O and byte-range locks.
//
// Locks are Linux open-file-description locks (F_OFD_SETLK): they belong to this
// File object, so two File objects on the same path conflict even inside one
// process, and closing some other descriptor of the file does not drop them.

#include <QString>
#include <cstdint>
#include <sys/types.h>

namespace dbase {

enum class LockKind { Shared, Exclusive };

// Outcome of a lock attempt.
enum class LockResult {
    Granted,
    HeldHere,  // a conflicting lock is held by another File of this process
    HeldElsewhere, // held by another process (or one we cannot identify)
};

class File {
public:
    enum class Mode { ReadOnly, ReadWrite, CreateTruncate };

    File() = default;
    // Opens path; throws EDBEngineError (kIoError, or kTableNotFound when missing and notFoundCode set).
    File(const QString &path, Mode mode);
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    File(File &&other) noexcept;
    File &operator=(File &&other) noexcept;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    const QString &Path() const { return m_path; }
    bool Writable() const { return m_writable; }
    void Close();

    // Serves later reads from a shared read-only mapping of the file, which sees every
    // write to the file at once and saves a system call per read; reads past the mapped
    // length fall back to pread and map the grown file.
    void EnableMappedReads();

    // Reads exactly n bytes at offset; returns bytes read (short only at end of file).
    size_t ReadAt(uint64_t offset, void *buf, size_t n) const;
    // Reads exactly n bytes or throws a corrupt-file error naming what was expected.
    void ReadExact(uint64_t offset, void *buf, size_t n, const char *what) const;
    // Writes all n bytes at offset or throws kIoError (ENOSPC included).
    void WriteAt(uint64_t offset, const void *buf, size_t n);
    uint64_t Size() const;
    void Truncate(uint64_t size);
    void Sync();
    // Reserves disk space for [offset, offset+n) without changing the size; throws on a full disk.
    void Reserve(uint64_t offset, uint64_t n);

    // Non-blocking byte-range lock; the in-process registry tells HeldHere from HeldElsewhere.
    LockResult TryLock(uint64_t offset, uint64_t len, LockKind kind);
    // Blocking lock, for short critical sections every writer takes in the same order.
    void Lock(uint64_t offset, uint64_t len, LockKind kind);
    void Unlock(uint64_t offset, uint64_t len);

    // Identity of the underlying file, for the in-process lock registry.
    dev_t Device() const { return m_dev; }
    ino_t Inode() const { return m_ino; }

private:
    void Register(uint64_t offset, uint64_t len, LockKind kind);
    void Unregister(uint64_t offset, uint64_t len);

    void Unmap();
    bool Remap() const;

    int m_fd = -1;           // descriptor, -1 when closed
    bool m_mapReads = false; // reads go through m_map when they fit
    mutable const char *m_map = nullptr; // read-only mapping of the file's first m_mapLength bytes
    mutable size_t m_mapLength = 0;
    QString m_path;          // path as opened, for messages
    bool m_writable = false; // opened for writing
    dev_t m_dev = 0;         // device of the open file
    ino_t m_ino = 0;         // inode of the open file
};

// Finds a file in dir whose name equals name without regard to case; returns the
// full path of the existing file, or dir/name when none exists.
QString FindFileNoCase(const QString &dir, const QString &name);

// Gives a file that is to replace original the original's permissions and, where this user
// may, its group, so that a rewritten table stays open to everyone who shared it. Silent when
// original does not exist.
void KeepAccessOf(const QString &original, File &replacement);

// Makes the renames done in dir durable (throws kIoError).
void SyncDirectory(const QString &dir);

} // namespace dbase
