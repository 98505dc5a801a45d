#pragma once
// The memo file (.dbt) beside a table: blocks of variable-length values that memo fields
// point to by block number.
//
// Two styles exist. dBase IV memos start with FF FF 08 00 and a u32 length (prefix included),
// so they may hold any bytes; the block size is in the header. dBase III memos are text in
// 512-byte blocks ended by 0x1A 0x1A; we read them but never write them.

#include "dbase/File.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace dbase {

namespace fmt {

constexpr int kMemoDefaultBlockSize = 512;
constexpr int kMemoHeaderLength = 22;   // next free block, reserved, name, 00 00 02 01, block size
constexpr int kMemoPrefixLength = 8;    // FF FF 08 00 + u32 length
constexpr int kMemoOffNextFree = 0;
constexpr int kMemoOffName = 8;
constexpr int kMemoOffBlockSize = 20;
// Held exclusively while a memo is appended, so that two writers never take the same blocks.
constexpr uint64_t kLockMemoAppend = 0xEFFFFFFFull;

} // namespace fmt

class MemoFile {
public:
    enum class Style { DbaseIII, DbaseIV };

    // Opens the memo file at path. A damaged header is reported only when a memo is read or
    // written, so that the table's other fields stay readable.
    MemoFile(const QString &path, Style style, bool writable);

    // Writes an empty dBase IV memo file: one header block naming the table.
    static void Create(const QString &path, const QString &tableBaseName,
                       int blockSize = fmt::kMemoDefaultBlockSize);
    // The same, but leaves a file that exists meanwhile as it is (another process made it).
    static void CreateIfMissing(const QString &path, const QString &tableBaseName);
    // The memo style a table's version byte announces.
    static Style StyleForVersion(uint8_t version) { return (version & 0x08) ? Style::DbaseIV : Style::DbaseIII; }

    const QString &Path() const { return m_file.Path(); }
    Style GetStyle() const { return m_style; }
    int BlockSize() const { return m_blockSize; }

    // The bytes of the memo starting at block; kCorruptFile when block or the memo's length
    // lies outside the file or no memo starts there.
    QByteArray Read(uint32_t block) const;
    // Stores bytes (not empty) as a new memo at the file's first free block and returns it.
    // dBase IV style only; kInvalidOperation for the older style.
    uint32_t Append(const QByteArray &bytes);

private:
    void RequireUsableHeader() const;
    [[noreturn]] void ThrowBadBlock(uint32_t block, const QString &why) const;

    File m_file;                                 // the .dbt
    Style m_style;                               // how memos are laid out
    int m_blockSize = fmt::kMemoDefaultBlockSize; // bytes per block
    QString m_headerError;                       // why the header is unusable, empty when fine
};

} // namespace dbase
