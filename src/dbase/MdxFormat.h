#pragma once
// On-disk layout of a production index (.mdx): offsets, little-endian access, the
// tag-table name threads and a view of one tree node. Everything here is pure
// byte handling; MdxFile (Mdx.cpp) does the I/O and the tree algorithms.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dbase::mdx {

// ---- file geometry ----------------------------------------------------------
inline constexpr uint32_t kPageSize = 512;        // every pointer counts these
inline constexpr uint32_t kWritePagesPerBlock = 2; // what we create and modify
inline constexpr uint32_t kWriteBlockSize = kWritePagesPerBlock * kPageSize;
inline constexpr uint32_t kMinPagesPerBlock = 2;   // a tag header needs 1024 bytes
inline constexpr uint32_t kMaxPagesPerBlock = 63;
inline constexpr uint32_t kHeaderPages = 4;        // header + tag table
inline constexpr uint32_t kHeaderBytes = kHeaderPages * kPageSize;
inline constexpr int kMaxTags = 47;
inline constexpr int kTagSlots = 48;               // written in the header although 47 fit
inline constexpr int kTagEntrySize = 32;
inline constexpr int kMaxDepth = 64;               // deeper trees are treated as damaged
inline constexpr int kMaxCharKey = 100;

// ---- file header (page 0) ---------------------------------------------------
inline constexpr int kHdrVersion = 0;       // 1 byte, always 2
inline constexpr int kHdrDate = 1;          // YY MM DD of the last change
inline constexpr int kHdrName = 4;          // 16 bytes, table base name
inline constexpr int kHdrNameLen = 16;
inline constexpr int kHdrPagesPerBlock = 20; // u16
inline constexpr int kHdrBlockSize = 22;    // u16
inline constexpr int kHdrProduction = 24;   // 1 byte
inline constexpr int kHdrSlots = 25;        // 1 byte
inline constexpr int kHdrEntryLen = 26;     // 1 byte
inline constexpr int kHdrTagCount = 28;     // u16
inline constexpr int kHdrPageCount = 32;    // u32, file size / 512
inline constexpr int kHdrFreePage = 36;     // u32
inline constexpr int kHdrFreeCount = 40;    // u32
inline constexpr int kHdrCreated = 44;      // YY MM DD
inline constexpr int kHdrDirty = 48;        // our own mark, unused by other writers
inline constexpr int kHdrMagic529 = 529;    // 1 in every known file
inline constexpr int kTagTable = 544;       // first tag-table entry
inline constexpr uint8_t kDirtyMark = 1;

// ---- tag-table entry (32 bytes) ---------------------------------------------
inline constexpr int kTeHeaderPage = 0;  // u32
inline constexpr int kTeName = 4;        // 11 bytes NUL padded
inline constexpr int kTeNameLen = 11;
inline constexpr int kTeKeyFormat = 15;  // 0x10
inline constexpr int kTeLeft = 16;
inline constexpr int kTeRight = 17;
inline constexpr int kTeParent = 18;
inline constexpr int kTeConst19 = 19;    // 2
inline constexpr int kTeKeyType = 20;

// ---- tag header block -------------------------------------------------------
inline constexpr int kThRoot = 0;         // u32
inline constexpr int kThSize = 4;         // u32 pages per block
inline constexpr int kThFlags = 8;
inline constexpr int kThKeyType = 9;
inline constexpr int kThKeyLength = 12;   // u16
inline constexpr int kThMaxKeys = 14;     // u16
inline constexpr int kThDateFlag = 16;    // u16
inline constexpr int kThItemLength = 18;  // u16
inline constexpr int kThCounter = 20;
inline constexpr int kThUnique = 22;      // u16 0x4000 on unique tags
inline constexpr int kThExpression = 24;  // 221 bytes NUL terminated
inline constexpr int kThTextLen = 221;
inline constexpr int kThHasFilter = 245;
inline constexpr int kThHasKeys = 246;
inline constexpr int kThFirstPage = 248;  // u32
inline constexpr int kThLastPage = 252;   // u32
inline constexpr int kThCreated = 257;    // YY MM DD
inline constexpr int kThCompiledFlag = 480;
inline constexpr int kThCompiledName = 482;
inline constexpr int kThFilter = 762;     // 221 bytes NUL terminated
inline constexpr int kThFilterEnd = kThFilter + kThTextLen;

inline constexpr uint8_t kFlagBase = 0x10;
inline constexpr uint8_t kFlagDescending = 0x08;
inline constexpr uint8_t kFlagUnique = 0x40;

// ---- nodes ------------------------------------------------------------------
inline constexpr int kNodeCount = 0;  // u32 keys in the node
inline constexpr int kNodeSpare = 4;  // u32, 0 in live nodes
inline constexpr int kNodeItems = 8;  // first key item
// Written into the link field of a node just before a change makes it unreachable
// (split, unlinked, rebuilt), so that a reader who remembered it knows to look again.
inline constexpr uint32_t kSupersededMark = 0xFFFFFFFF;

// ---- little-endian access ---------------------------------------------------
inline uint16_t GetU16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutU16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Item length for a key length: pointer + key, rounded up to a multiple of 4.
inline int ItemLengthFor(int keyLength) { return (4 + keyLength + 3) / 4 * 4; }
// Keys that fit in one node: one pointer after the last item must fit too.
inline int MaxKeysFor(uint32_t blockSize, int itemLength) { return int((blockSize - 12) / uint32_t(itemLength)); }

// Compares two keys of len bytes of a tag's key type ('C', 'N' or 'D'): <0, 0, >0.
// A total order for any bytes, so damaged keys cannot upset a sort.
int CompareRaw(char type, const uint8_t *a, const uint8_t *b, size_t len);

// Today's date as three header bytes (year - 1900, month, day).
std::array<uint8_t, 3> TodayBytes();

// Computes the left/right/parent thread bytes of the tag table: a binary search tree
// over the 11-byte stored names, rooted at tag 1 and built in tag order.
struct Threads {
    uint8_t left = 0, right = 0, parent = 0;
};
std::vector<Threads> ComputeThreads(const std::vector<std::array<uint8_t, kTagEntrySize>> &entries);

// Text field of a header: bytes up to the first NUL within maxLen.
std::string FixedString(const uint8_t *p, size_t maxLen);

// One tree node held in a block-sized buffer. Bounds were checked by whoever filled it
// (count <= capacity), so every accessor stays inside the buffer.
class Node {
public:
    Node() = default;
    Node(uint32_t blockSize, int itemLength, int keyLength)
        : m_bytes(blockSize, 0), m_itemLength(itemLength), m_keyLength(keyLength) {}
    // Makes the node ready to be read into, reusing its buffer: contents are undefined.
    void Reset(uint32_t blockSize, int itemLength, int keyLength)
    {
        m_bytes.resize(blockSize);
        m_itemLength = itemLength;
        m_keyLength = keyLength;
    }

    uint8_t *Data() { return m_bytes.data(); }
    const uint8_t *Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

    int Count() const { return int(GetU32(m_bytes.data() + kNodeCount)); }
    uint32_t RawCount() const { return GetU32(m_bytes.data() + kNodeCount); }
    uint32_t Spare() const { return GetU32(m_bytes.data() + kNodeSpare); }
    // Pointer of item i, 0 <= i <= Count(): a record number in a leaf, a child page in
    // a branch; item Count() is the rightmost child of a branch (0 in a leaf).
    uint32_t Pointer(int i) const { return GetU32(Item(i)); }
    const uint8_t *Key(int i) const { return Item(i) + 4; }
    std::string KeyString(int i) const { return std::string(reinterpret_cast<const char *>(Key(i)), size_t(m_keyLength)); }
    bool IsLeaf() const { return Pointer(Count()) == 0; }

private:
    const uint8_t *Item(int i) const { return m_bytes.data() + kNodeItems + size_t(i) * size_t(m_itemLength); }

    std::vector<uint8_t> m_bytes;
    int m_itemLength = 0;
    int m_keyLength = 0;
};

// Serialises a node from its items: for a leaf, pointers are record numbers and
// rightmost is 0; for a branch, pointers are child pages and rightmost the last child.
// Slack is zero. keys[i] must hold keyLength bytes.
void BuildNode(uint8_t *block, uint32_t blockSize, int itemLength, int keyLength,
               const std::vector<std::string> &keys, const std::vector<uint32_t> &pointers, uint32_t rightmost);

} // namespace dbase::mdx
