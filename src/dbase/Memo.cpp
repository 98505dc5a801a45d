#include "Memo.h"

#include "EngineError.h"
#include "Format.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace dbase {

namespace {

constexpr uint8_t kMemoSignature[4] = {0xFF, 0xFF, 0x08, 0x00};
constexpr uint8_t kMemoTerminator = 0x1A; // dBase III memos end with two of them
// Smallest block size we accept: real files use 64 and up, and a block must hold a memo's prefix.
constexpr int kMinBlockSize = 32;

// Releases the append lock however Append ends.
class AppendLock {
public:
    explicit AppendLock(File &f) : m_f(f) { m_f.Lock(fmt::kLockMemoAppend, 1, LockKind::Exclusive); }
    ~AppendLock()
    {
        try {
            m_f.Unlock(fmt::kLockMemoAppend, 1);
        } catch (...) {
        }
    }
    AppendLock(const AppendLock &) = delete;
    AppendLock &operator=(const AppendLock &) = delete;

private:
    File &m_f;
};

} // namespace

MemoFile::MemoFile(const QString &path, Style style, bool writable)
    : m_file(path, writable ? File::Mode::ReadWrite : File::Mode::ReadOnly)
    , m_style(style)
{
    uint8_t header[fmt::kMemoHeaderLength] = {};
    const size_t got = m_file.ReadAt(0, header, sizeof header);
    if (got < 4) {
        m_headerError = QStringLiteral("the memo file header is cut short");
        return;
    }
    // dBase III files always use 512-byte blocks; a dBase IV header cut off before its block
    // size (seen in files that never held a memo) means the default.
    if (style == Style::DbaseIII || got < sizeof header)
        return;
    const int size = fmt::GetU16(header + fmt::kMemoOffBlockSize);
    if (size == 0)
        return; // some writers leave it unset
    if (size < kMinBlockSize) {
        m_headerError = QStringLiteral("invalid memo block size %1").arg(size);
        return;
    }
    m_blockSize = size;
}

void MemoFile::Create(const QString &path, const QString &tableBaseName, int blockSize)
{
    std::string header(size_t(blockSize), '\0');
    auto *b = reinterpret_cast<uint8_t *>(header.data());
    fmt::PutU32(b + fmt::kMemoOffNextFree, 1);
    const QByteArray name = tableBaseName.toUpper().toLatin1().left(8);
    std::memcpy(b + fmt::kMemoOffName, name.constData(), size_t(name.size()));
    b[18] = 0x02; // 00 00 02 01, as every dBase IV memo file has
    b[19] = 0x01;
    fmt::PutU16(b + fmt::kMemoOffBlockSize, uint16_t(blockSize));
    File out(path, File::Mode::CreateTruncate);
    out.WriteAt(0, header.data(), header.size());
    out.Sync();
}

void MemoFile::CreateIfMissing(const QString &path, const QString &tableBaseName)
{
    // Written aside and linked into place: link never replaces a file, so a memo file
    // another writer created and filled in the meantime stays whole.
    const QString temp = path + QStringLiteral(".%1.tmp").arg(::getpid());
    Create(temp, tableBaseName);
    const int rc = ::link(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData());
    const int err = errno;
    QFile::remove(temp);
    if (rc != 0 && err != EEXIST)
        ThrowIo(path, QStringLiteral("creating"), err);
}

void MemoFile::RequireUsableHeader() const
{
    if (!m_headerError.isEmpty())
        ThrowCorrupt(Path(), m_headerError);
}

void MemoFile::ThrowBadBlock(uint32_t block, const QString &why) const
{
    ThrowCorrupt(Path(), QStringLiteral("memo block %1: %2").arg(block).arg(why));
}

QByteArray MemoFile::Read(uint32_t block) const
{
    RequireUsableHeader();
    if (block == 0)
        ThrowBadBlock(block, QStringLiteral("block 0 is the header"));
    const uint64_t size = m_file.Size();
    const uint64_t offset = uint64_t(block) * uint64_t(m_blockSize);
    if (offset >= size)
        ThrowBadBlock(block, QStringLiteral("beyond the end of the file (%1 bytes)").arg(size));

    if (m_style == Style::DbaseIII) {
        // Text up to the terminator; a last memo without one ends with the file.
        QByteArray out;
        char chunk[4096];
        for (uint64_t at = offset; at < size;) {
            const size_t got = m_file.ReadAt(at, chunk, size_t(std::min<uint64_t>(sizeof chunk, size - at)));
            if (got == 0)
                break;
            const void *end = std::memchr(chunk, kMemoTerminator, got);
            if (end) {
                out.append(chunk, qsizetype(static_cast<const char *>(end) - chunk));
                return out;
            }
            out.append(chunk, qsizetype(got));
            at += got;
        }
        return out;
    }

    if (offset + fmt::kMemoPrefixLength > size)
        ThrowBadBlock(block, QStringLiteral("the memo is cut short"));
    uint8_t prefix[fmt::kMemoPrefixLength];
    m_file.ReadExact(offset, prefix, sizeof prefix, "a memo prefix");
    if (std::memcmp(prefix, kMemoSignature, sizeof kMemoSignature) != 0)
        ThrowBadBlock(block, QStringLiteral("no memo starts there"));
    const uint32_t length = fmt::GetU32(prefix + 4);
    if (length < uint32_t(fmt::kMemoPrefixLength))
        ThrowBadBlock(block, QStringLiteral("invalid memo length %1").arg(length));
    // Checked against the file before allocating, so a damaged length cannot ask for gigabytes.
    if (offset + length > size)
        ThrowBadBlock(block, QStringLiteral("the memo's length %1 runs past the end of the file (%2 bytes)")
                                 .arg(length).arg(size));
    QByteArray out(qsizetype(length - fmt::kMemoPrefixLength), Qt::Uninitialized);
    m_file.ReadExact(offset + fmt::kMemoPrefixLength, out.data(), size_t(out.size()), "a memo");
    return out;
}

uint32_t MemoFile::Append(const QByteArray &bytes)
{
    if (m_style != Style::DbaseIV)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Memos of the older dBase III style can only be read: %1")
                                                    .arg(Path()));
    if (!m_file.Writable())
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Memo file is read only: %1").arg(Path()));
    RequireUsableHeader();
    const uint64_t length = uint64_t(bytes.size()) + fmt::kMemoPrefixLength;
    if (bytes.isEmpty() || length > UINT32_MAX)
        throw EDBEngineError(kInvalidField, QStringLiteral("A memo of %1 bytes cannot be stored in %2.")
                                                .arg(bytes.size()).arg(Path()));

    AppendLock lock(m_file);
    uint8_t next[4];
    m_file.ReadExact(fmt::kMemoOffNextFree, next, sizeof next, "the memo file header");
    const uint64_t size = m_file.Size();
    const uint64_t bs = uint64_t(m_blockSize);
    // Past both the header's free block and the file's end: blocks a writer filled but never
    // counted (it died before updating the header) are never referenced, yet never reused either.
    const uint64_t start = std::max<uint64_t>({fmt::GetU32(next), (size + bs - 1) / bs, 1});
    const uint64_t blocks = (length + bs - 1) / bs;
    if (start + blocks > UINT32_MAX)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Memo file is full: %1").arg(Path()));

    const uint64_t offset = start * bs;
    try {
        m_file.Reserve(offset, blocks * bs);
        uint8_t prefix[fmt::kMemoPrefixLength];
        std::memcpy(prefix, kMemoSignature, sizeof kMemoSignature);
        fmt::PutU32(prefix + 4, uint32_t(length));
        m_file.WriteAt(offset, prefix, sizeof prefix);
        m_file.WriteAt(offset + sizeof prefix, bytes.constData(), size_t(bytes.size()));
        const std::string pad(size_t(blocks * bs - length), '\0');
        if (!pad.empty())
            m_file.WriteAt(offset + length, pad.data(), pad.size());
        // Counting the blocks comes last: until then they are free space to every writer.
        fmt::PutU32(next, uint32_t(start + blocks));
        m_file.WriteAt(fmt::kMemoOffNextFree, next, sizeof next);
    } catch (...) {
        try {
            m_file.Truncate(size);
        } catch (...) {
        }
        throw;
    }
    return uint32_t(start);
}

} // namespace dbase
