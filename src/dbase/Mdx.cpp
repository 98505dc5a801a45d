// Production index (.mdx): tag table, B+-trees, and their crash-safe modification.
//
// Reading. No tree page outlives a public call: every call reads what it needs
// afresh. To make Next/Prior cheap, the path (page and slot per level) of the last
// position returned is remembered. The next call first re-reads just that leaf: a
// leaf holds a contiguous stretch of the order, so if it still holds the entry at
// that slot and is not marked superseded, its neighbour slot is the answer. Every
// change that makes a leaf unreachable (split, unlink, rebuild) marks it first, in
// the same failure-atomic sequence. At a leaf's end the whole path is re-read from
// the current root and must still lead to the same pages; otherwise the position is
// sought again from the root.
// Damaged files never make a read run away: nodes are bounds-checked when read,
// descents stop at kMaxDepth levels and on a page repeated in the path, walks refuse
// a page reached twice, and every call has a budget of node reads tied to the file
// size.
//
// Writing. Pages are never reused; the file only grows (a rebuild into a new file
// compacts it). Every change follows one order, so that a process killed between
// any two writes leaves a sound tree holding either the old or the new entries:
//   1. new pages only (space reserved first), appended past the end of the file;
//   2. the file header's page count and date;
//   3. the tag header's change counter and has-keys byte (after step 5 instead when
//      a removal may clear has-keys, so that it never reads 0 while keys exist);
//   4. the superseded mark on leaves the change will make unreachable (harmless
//      while they are still reachable: readers then just take the slow path);
//   5. ONE in-place write that switches to the new state: the leaf itself for an
//      insert or removal that fits, the parent of a split (which now points to both
//      new halves), the tag header's root pointer for a root split or rebuild, or
//      the tag table for adding and dropping tags.
// Node blocks are 1024 bytes at 1024-aligned offsets, so a single block write never
// straddles a 4 KiB page. If any write fails (full disk, file size limit), the
// writes already made are undone in reverse order and the file is cut back to its
// old size, so the tree is as before the call.

#include "Mdx.h"

#include "EngineError.h"
#include "MdxFormat.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace dbase {

using namespace mdx;

namespace {

// What a tag's header says about its keys and nodes.
struct TagLayout {
    uint32_t headerPage = 0;
    char type = 'C';
    int keyLength = 0;
    int itemLength = 0;
    int capacity = 0; // keys that fit in a node of this block size
    int maxKeys = 0;  // keys per node when we write (never above the header's figure)
    bool descending = false;
    bool unique = false;
    QString name;
};

struct Level {
    uint32_t page = 0;
    Node node;
    int idx = 0; // branch: child slot taken; leaf: entry slot
};
using Path = std::vector<Level>;

struct Step {
    uint32_t page = 0;
    int idx = 0;
};

// Logical content of a node while it is being changed.
struct Items {
    bool leaf = true;
    std::vector<std::string> keys;
    std::vector<uint32_t> ptrs; // leaf: one record number per key; branch: keys + 1 children
};

struct Patch {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes; // what to write
    std::vector<uint8_t> old;   // what was there, for undoing
};

QString Latin1(const std::string &s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

struct MdxFile::Impl {
    uint32_t pagesPerBlock = kWritePagesPerBlock;
    uint32_t blockSize = kWriteBlockSize;
    std::vector<TagLayout> layouts;

    int failAtWrite = 0; // see FailWriteForTesting

    std::mutex positionMutex;
    std::vector<std::pair<uint32_t, std::vector<Step>>> positions; // per tag: header page, path
};

namespace {

// Reads one tag's tree during one call.
class Tree {
public:
    Tree(const File &file, uint32_t blockSize, const TagLayout &layout, bool trackVisits = false)
        : m_file(file), m_blockSize(blockSize), m_l(layout), m_trackVisits(trackVisits) {}

    const TagLayout &Layout() const { return m_l; }

    [[noreturn]] void Corrupt(const QString &what) const
    {
        ThrowCorrupt(m_file.Path(), QStringLiteral("tag %1: %2").arg(m_l.name, what));
    }

    uint32_t Root()
    {
        if (!m_haveRoot) {
            uint8_t b[4];
            if (m_file.ReadAt(uint64_t(m_l.headerPage) * kPageSize, b, 4) != 4)
                Corrupt(QStringLiteral("tag header beyond the end of the file"));
            m_root = GetU32(b);
            m_haveRoot = true;
        }
        return m_root;
    }

    void ReadNode(uint32_t page, Node &node)
    {
        if (++m_reads > 64 && m_reads > Budget())
            Corrupt(QStringLiteral("the tree references more nodes than the file holds (cycle)"));
        if (page < kHeaderPages)
            Corrupt(QStringLiteral("node page %1 lies in the file header").arg(page));
        if (m_trackVisits && !m_visited.insert(page).second)
            Corrupt(QStringLiteral("node page %1 is referenced twice").arg(page));
        node.Reset(m_blockSize, m_l.itemLength, m_l.keyLength);
        if (m_file.ReadAt(uint64_t(page) * kPageSize, node.Data(), m_blockSize) != m_blockSize)
            Corrupt(QStringLiteral("node page %1 lies beyond the end of the file").arg(page));
        if (node.RawCount() > uint32_t(m_l.capacity))
            Corrupt(QStringLiteral("node page %1 claims %2 keys, at most %3 fit")
                        .arg(page).arg(node.RawCount()).arg(m_l.capacity));
    }

    int Cmp(const uint8_t *a, const uint8_t *b) const
    {
        const int c = CompareRaw(m_l.type, a, b, size_t(m_l.keyLength));
        return m_l.descending ? -c : c;
    }
    int Cmp(const uint8_t *a, const std::string &b) const { return Cmp(a, reinterpret_cast<const uint8_t *>(b.data())); }

    void Push(Path &path, uint32_t page)
    {
        if (path.size() >= size_t(kMaxDepth))
            Corrupt(QStringLiteral("the tree is deeper than %1 levels").arg(kMaxDepth));
        for (const Level &l : path)
            if (l.page == page)
                Corrupt(QStringLiteral("cycle in branch pointers at page %1").arg(page));
        path.emplace_back();
        path.back().page = page;
        ReadNode(page, path.back().node);
    }

    void DescendFirst(Path &path)
    {
        while (!path.back().node.IsLeaf()) {
            path.back().idx = 0;
            Push(path, path.back().node.Pointer(0));
        }
        path.back().idx = 0;
    }

    void DescendLast(Path &path)
    {
        while (!path.back().node.IsLeaf()) {
            const int n = path.back().node.Count();
            path.back().idx = n;
            Push(path, path.back().node.Pointer(n));
        }
        path.back().idx = path.back().node.Count() - 1;
    }

    // Moves forward from the leaf slot to the first existing entry, skipping empty leaves.
    bool SettleForward(Path &path)
    {
        for (;;) {
            const Level &leaf = path.back();
            if (leaf.idx >= 0 && leaf.idx < leaf.node.Count())
                return true;
            do {
                path.pop_back();
                if (path.empty())
                    return false;
            } while (path.back().idx >= path.back().node.Count());
            const int slot = ++path.back().idx;
            Push(path, path.back().node.Pointer(slot));
            DescendFirst(path);
        }
    }

    bool SettleBackward(Path &path)
    {
        for (;;) {
            const Level &leaf = path.back();
            if (leaf.idx >= 0 && leaf.idx < leaf.node.Count())
                return true;
            do {
                path.pop_back();
                if (path.empty())
                    return false;
            } while (path.back().idx <= 0);
            const int slot = --path.back().idx;
            Push(path, path.back().node.Pointer(slot));
            DescendLast(path);
        }
    }

    bool StepForward(Path &path)
    {
        ++path.back().idx;
        return SettleForward(path);
    }
    bool StepBackward(Path &path)
    {
        --path.back().idx;
        return SettleBackward(path);
    }

    bool First(Path &path)
    {
        path.clear();
        Push(path, Root());
        DescendFirst(path);
        return SettleForward(path);
    }
    bool Last(Path &path)
    {
        path.clear();
        Push(path, Root());
        DescendLast(path);
        return SettleBackward(path);
    }

    // Descends towards key. strict = false: first slot whose key >= key (where the first
    // entry not below key starts); strict = true: first slot whose key > key (where an
    // entry goes after all equal ones). Leaves the leaf slot there, unsettled.
    void Descend(Path &path, const std::string &key, bool strict)
    {
        path.clear();
        Push(path, Root());
        for (;;) {
            Level &l = path.back();
            const int n = l.node.Count();
            int lo = 0, hi = n;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                const int c = Cmp(l.node.Key(mid), key);
                if (strict ? c <= 0 : c < 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            l.idx = lo;
            if (l.node.IsLeaf())
                return;
            Push(path, l.node.Pointer(lo));
        }
    }

    bool SeekLower(Path &path, const std::string &key)
    {
        Descend(path, key, false);
        return SettleForward(path);
    }

    static IndexEntry At(const Path &path)
    {
        const Level &l = path.back();
        return {l.node.KeyString(l.idx), l.node.Pointer(l.idx)};
    }
    bool KeyIs(const Path &path, const std::string &key) const
    {
        return Cmp(path.back().node.Key(path.back().idx), key) == 0;
    }

    // Finds the exact entry, scanning the run of equal keys (it may span leaves).
    bool FindExact(Path &path, const std::string &key, uint32_t recno)
    {
        bool ok = SeekLower(path, key);
        while (ok && KeyIs(path, key)) {
            if (path.back().node.Pointer(path.back().idx) == recno)
                return true;
            ok = StepForward(path);
        }
        return false;
    }

private:
    uint64_t Budget()
    {
        if (m_budget == 0)
            m_budget = 3 * (m_file.Size() / m_blockSize) + 256;
        return m_budget;
    }

    const File &m_file;
    uint32_t m_blockSize;
    const TagLayout &m_l;
    bool m_trackVisits;
    bool m_haveRoot = false;
    uint32_t m_root = 0;
    uint64_t m_reads = 0;
    uint64_t m_budget = 0;
    std::unordered_set<uint32_t> m_visited;
};

Items Unpack(const Node &node)
{
    Items it;
    it.leaf = node.IsLeaf();
    const int n = node.Count();
    it.keys.reserve(size_t(n) + 1);
    it.ptrs.reserve(size_t(n) + 2);
    for (int i = 0; i < n; ++i) {
        it.keys.push_back(node.KeyString(i));
        it.ptrs.push_back(node.Pointer(i));
    }
    if (!it.leaf)
        it.ptrs.push_back(node.Pointer(n));
    return it;
}

void Pack(const Items &it, const TagLayout &l, uint32_t blockSize, uint8_t *block)
{
    const uint32_t rightmost = it.leaf ? 0 : it.ptrs.back();
    BuildNode(block, blockSize, l.itemLength, l.keyLength, it.keys, it.ptrs, rightmost);
}

std::vector<uint8_t> PackedNode(const Items &it, const TagLayout &l, uint32_t blockSize)
{
    std::vector<uint8_t> block(blockSize);
    Pack(it, l, blockSize, block.data());
    return block;
}

// Writes new pages, then the patches in order; undoes everything on a failure.
void Commit(File &file, uint64_t newOffset, const std::vector<uint8_t> &newPages, uint64_t oldSize,
            std::vector<Patch> &patches, int &failAtWrite)
{
    // failAtWrite > 0 (tests only): that write of this change stops half way, as on a full disk.
    auto write = [&](uint64_t offset, const std::vector<uint8_t> &bytes) {
        if (failAtWrite > 0 && --failAtWrite == 0) {
            file.WriteAt(offset, bytes.data(), bytes.size() / 2);
            ThrowIo(file.Path(), QStringLiteral("writing"), ENOSPC);
        }
        file.WriteAt(offset, bytes.data(), bytes.size());
    };
    size_t done = 0;
    bool patching = false;
    try {
        if (!newPages.empty()) {
            file.Reserve(newOffset, newPages.size());
            write(newOffset, newPages);
        }
        patching = true;
        for (; done < patches.size(); ++done)
            write(patches[done].offset, patches[done].bytes);
        failAtWrite = 0;
    } catch (...) {
        failAtWrite = 0;
        // The failed patch may be half written, so it is restored as well.
        for (size_t i = patching ? std::min(done + 1, patches.size()) : 0; i-- > 0;) {
            try {
                file.WriteAt(patches[i].offset, patches[i].old.data(), patches[i].old.size());
            } catch (...) {
            }
        }
        if (!newPages.empty()) {
            try {
                if (file.Size() > oldSize)
                    file.Truncate(oldSize);
            } catch (...) {
            }
        }
        throw;
    }
}

// Sorts entries into tree order (key, then record number) and applies the unique rule.
void SortEntries(std::vector<IndexEntry> &entries, const TagLayout &l)
{
    auto cmp = [&](const IndexEntry &a, const IndexEntry &b) {
        int c = CompareRaw(l.type, reinterpret_cast<const uint8_t *>(a.key.data()),
                           reinterpret_cast<const uint8_t *>(b.key.data()), size_t(l.keyLength));
        if (l.descending)
            c = -c;
        return c != 0 ? c < 0 : a.recno < b.recno;
    };
    std::sort(entries.begin(), entries.end(), cmp);
    if (l.unique) {
        auto same = [&](const IndexEntry &a, const IndexEntry &b) {
            return CompareRaw(l.type, reinterpret_cast<const uint8_t *>(a.key.data()),
                              reinterpret_cast<const uint8_t *>(b.key.data()), size_t(l.keyLength)) == 0;
        };
        entries.erase(std::unique(entries.begin(), entries.end(), same), entries.end());
    }
}

// Builds a tree bottom-up from sorted entries into consecutive new pages starting at
// firstPage; returns the root page. Leaves and branches are filled to about 90 % so
// that the next inserts do not split at once.
uint32_t BuildTree(const std::vector<IndexEntry> &entries, const TagLayout &l, uint32_t blockSize,
                   uint32_t pagesPerBlock, uint32_t firstPage, std::vector<uint8_t> &out)
{
    const int maxKeys = l.maxKeys;
    const int fill = maxKeys <= 4 ? maxKeys : maxKeys - std::max(1, maxKeys / 10);
    uint32_t nextPage = firstPage;
    auto appendNode = [&](const Items &it) {
        const size_t at = out.size();
        out.resize(at + blockSize);
        Pack(it, l, blockSize, out.data() + at);
        const uint32_t page = nextPage;
        nextPage += pagesPerBlock;
        return page;
    };
    // Splits count items into as few groups of at most per as possible, evenly.
    auto groups = [](size_t count, size_t per) {
        const size_t n = std::max<size_t>(1, (count + per - 1) / per);
        std::vector<size_t> sizes(n, count / n);
        for (size_t i = 0; i < count % n; ++i)
            ++sizes[i];
        return sizes;
    };

    std::vector<uint32_t> pages;
    std::vector<std::string> maxKey;
    size_t at = 0;
    for (size_t size : groups(entries.size(), size_t(fill))) {
        Items it;
        for (size_t i = 0; i < size; ++i, ++at) {
            it.keys.push_back(entries[at].key);
            it.ptrs.push_back(entries[at].recno);
        }
        maxKey.push_back(it.keys.empty() ? std::string(size_t(l.keyLength), '\0') : it.keys.back());
        pages.push_back(appendNode(it));
    }
    const size_t perBranch = size_t(std::max(3, std::min(fill + 1, maxKeys + 1)));
    while (pages.size() > 1) {
        std::vector<uint32_t> upPages;
        std::vector<std::string> upKeys;
        at = 0;
        for (size_t size : groups(pages.size(), perBranch)) {
            Items it;
            it.leaf = false;
            for (size_t i = 0; i < size; ++i, ++at) {
                if (i + 1 < size)
                    it.keys.push_back(maxKey[at]);
                it.ptrs.push_back(pages[at]);
            }
            upKeys.push_back(maxKey[at - 1]);
            upPages.push_back(appendNode(it));
        }
        pages = std::move(upPages);
        maxKey = std::move(upKeys);
    }
    return pages.front();
}

} // namespace

// ---------------------------------------------------------------------------------

MdxFile::MdxFile(File &file)
    : m_file(file)
    , m_impl(std::make_unique<Impl>())
{
    Reload();
}

MdxFile::~MdxFile() = default;

void MdxFile::CreateEmpty(File &file, const QString &tableBaseName)
{
    std::vector<uint8_t> h(kHeaderBytes, 0);
    const auto today = TodayBytes();
    h[kHdrVersion] = 2;
    std::copy(today.begin(), today.end(), h.begin() + kHdrDate);
    const QByteArray name = tableBaseName.toUpper().toLatin1().left(12);
    std::copy(name.begin(), name.end(), h.begin() + kHdrName);
    PutU16(&h[kHdrPagesPerBlock], uint16_t(kWritePagesPerBlock));
    PutU16(&h[kHdrBlockSize], uint16_t(kWriteBlockSize));
    h[kHdrProduction] = 1;
    h[kHdrSlots] = uint8_t(kTagSlots);
    h[kHdrEntryLen] = uint8_t(kTagEntrySize);
    PutU32(&h[kHdrPageCount], kHeaderPages);
    std::copy(today.begin(), today.end(), h.begin() + kHdrCreated);
    h[kHdrMagic529] = 1;
    file.Truncate(0);
    file.WriteAt(0, h.data(), h.size());
}

void MdxFile::Reload()
{
    const QString &path = m_file.Path();
    uint8_t h[kHeaderBytes];
    m_file.ReadExact(0, h, sizeof h, "the index header");
    if (h[kHdrVersion] != 2)
        ThrowCorrupt(path, QStringLiteral("not a multiple-index file (version byte %1)").arg(h[kHdrVersion]));
    const uint32_t ppb = GetU16(h + kHdrPagesPerBlock);
    const uint32_t blockSize = GetU16(h + kHdrBlockSize);
    if (ppb < kMinPagesPerBlock || ppb > kMaxPagesPerBlock || blockSize != ppb * kPageSize)
        ThrowCorrupt(path, QStringLiteral("unsupported block size (%1 pages, %2 bytes)").arg(ppb).arg(blockSize));
    if (h[kHdrEntryLen] != kTagEntrySize)
        ThrowCorrupt(path, QStringLiteral("tag table entries of %1 bytes").arg(h[kHdrEntryLen]));
    const int count = GetU16(h + kHdrTagCount);
    if (count > kMaxTags)
        ThrowCorrupt(path, QStringLiteral("%1 tags, at most %2 fit").arg(count).arg(kMaxTags));

    std::vector<TagInfo> tags;
    std::vector<TagLayout> layouts;
    std::vector<uint8_t> block(blockSize);
    for (int i = 0; i < count; ++i) {
        const uint8_t *e = h + kTagTable + i * kTagEntrySize;
        TagInfo info;
        TagLayout l;
        info.name = Latin1(FixedString(e + kTeName, kTeNameLen)).trimmed();
        l.name = info.name;
        l.headerPage = GetU32(e + kTeHeaderPage);
        info.headerPage = l.headerPage;
        auto bad = [&](const QString &what) {
            ThrowCorrupt(path, QStringLiteral("tag %1: %2").arg(info.name, what));
        };
        if (l.headerPage < kHeaderPages)
            bad(QStringLiteral("header page %1 lies in the file header").arg(l.headerPage));
        if (m_file.ReadAt(uint64_t(l.headerPage) * kPageSize, block.data(), blockSize) != blockSize)
            bad(QStringLiteral("header page %1 lies beyond the end of the file").arg(l.headerPage));
        const uint8_t *t = block.data();
        l.type = char(t[kThKeyType]);
        l.keyLength = GetU16(t + kThKeyLength);
        l.itemLength = GetU16(t + kThItemLength);
        if (l.type != 'C' && l.type != 'N' && l.type != 'D')
            bad(QStringLiteral("unknown key type 0x%1").arg(uint8_t(l.type), 2, 16, QLatin1Char('0')));
        if ((l.type == 'N' && l.keyLength != 12) || (l.type == 'D' && l.keyLength != 8) || l.keyLength < 1)
            bad(QStringLiteral("key length %1 for key type %2").arg(l.keyLength).arg(QLatin1Char(l.type)));
        if (l.itemLength < l.keyLength + 4 || uint32_t(l.itemLength) > blockSize - 12)
            bad(QStringLiteral("key item length %1 for key length %2").arg(l.itemLength).arg(l.keyLength));
        l.capacity = MaxKeysFor(blockSize, l.itemLength);
        const int stored = GetU16(t + kThMaxKeys);
        l.maxKeys = stored > 0 ? std::min(stored, l.capacity) : l.capacity;
        l.descending = t[kThFlags] & kFlagDescending;
        l.unique = t[kThFlags] & kFlagUnique;
        info.type = KeyType(l.type);
        info.keyLength = l.keyLength;
        info.descending = l.descending;
        info.unique = l.unique;
        info.expression = Latin1(FixedString(t + kThExpression, kThTextLen));
        if (t[kThHasFilter] != 0)
            info.filter = Latin1(FixedString(t + kThFilter, kThTextLen));
        tags.push_back(std::move(info));
        layouts.push_back(std::move(l));
    }
    m_tags = std::move(tags);
    m_impl->pagesPerBlock = ppb;
    m_impl->blockSize = blockSize;
    m_impl->layouts = std::move(layouts);
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions.assign(m_tags.size(), {});
}

int MdxFile::FindTag(const QString &name) const
{
    for (size_t i = 0; i < m_tags.size(); ++i)
        if (m_tags[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// ---- helpers shared by the public calls -----------------------------------------

namespace {

const TagLayout &LayoutOf(const std::vector<TagLayout> &layouts, int tag, const QString &path)
{
    if (tag < 0 || size_t(tag) >= layouts.size())
        throw EDBEngineError(kTagNotFound, QStringLiteral("No index tag number %1 in %2.").arg(tag).arg(path));
    return layouts[size_t(tag)];
}

// A key of the tag's length: character keys are padded or cut, others must fit.
std::string NormalKey(const KeyBytes &key, const TagLayout &l, const QString &path)
{
    if (int(key.size()) == l.keyLength)
        return key;
    if (l.type == 'C')
        return EncodeCharKey(key, l.keyLength);
    throw EDBEngineError(kInvalidOperation, QStringLiteral("Key of %1 bytes for tag %2 in %3, which holds %4-byte keys.")
                                                .arg(key.size()).arg(l.name, path).arg(l.keyLength));
}

std::vector<Step> StepsOf(const Path &path)
{
    std::vector<Step> steps;
    steps.reserve(path.size());
    for (const Level &l : path)
        steps.push_back({l.page, l.idx});
    return steps;
}

} // namespace

// Rebuilds the remembered path of tag and checks that it still leads, from the current
// root, to the entry (key, recno). Any read problem just means "seek again".
static bool RestorePath(Tree &t, const std::vector<Step> &steps, const std::string &key, uint32_t recno, Path &path)
{
    if (steps.empty())
        return false;
    try {
        if (steps.front().page != t.Root())
            return false;
        path.clear();
        for (size_t i = 0; i < steps.size(); ++i) {
            t.Push(path, steps[i].page);
            Level &l = path.back();
            l.idx = steps[i].idx;
            const bool last = i + 1 == steps.size();
            if (l.node.IsLeaf() != last || l.idx < 0)
                return false;
            if (!last) {
                if (l.idx > l.node.Count() || l.node.Pointer(l.idx) != steps[i + 1].page)
                    return false;
            } else if (l.idx >= l.node.Count() || l.node.Pointer(l.idx) != recno
                       || std::memcmp(l.node.Key(l.idx), key.data(), key.size()) != 0) {
                return false;
            }
        }
        return true;
    } catch (const EDBEngineError &) {
        return false;
    }
}

// Answers Next/Prior from the remembered leaf alone when the step stays inside it.
static bool StepInLeaf(Tree &t, std::vector<Step> &steps, const std::string &key, uint32_t recno, int delta,
                       IndexEntry &out)
{
    if (steps.empty())
        return false;
    Node node;
    try {
        t.ReadNode(steps.back().page, node);
    } catch (const EDBEngineError &) {
        return false;
    }
    const int idx = steps.back().idx;
    const int to = idx + delta;
    if (!node.IsLeaf() || node.Spare() != 0 || idx < 0 || idx >= node.Count() || to < 0 || to >= node.Count()
        || node.Pointer(idx) != recno || std::memcmp(node.Key(idx), key.data(), key.size()) != 0)
        return false;
    out = {node.KeyString(to), node.Pointer(to)};
    steps.back().idx = to;
    return true;
}

bool MdxFile::First(int tag, IndexEntry &out) const
{
    Tree t(m_file, m_impl->blockSize, LayoutOf(m_impl->layouts, tag, m_file.Path()));
    Path p;
    if (!t.First(p))
        return false;
    out = Tree::At(p);
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions[size_t(tag)] = {t.Layout().headerPage, StepsOf(p)};
    return true;
}

bool MdxFile::Last(int tag, IndexEntry &out) const
{
    Tree t(m_file, m_impl->blockSize, LayoutOf(m_impl->layouts, tag, m_file.Path()));
    Path p;
    if (!t.Last(p))
        return false;
    out = Tree::At(p);
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions[size_t(tag)] = {t.Layout().headerPage, StepsOf(p)};
    return true;
}

bool MdxFile::SeekGE(int tag, const KeyBytes &key, IndexEntry &out) const
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    Tree t(m_file, m_impl->blockSize, l);
    Path p;
    if (!t.SeekLower(p, NormalKey(key, l, m_file.Path())))
        return false;
    out = Tree::At(p);
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions[size_t(tag)] = {l.headerPage, StepsOf(p)};
    return true;
}

bool MdxFile::Next(int tag, const IndexEntry &from, IndexEntry &out) const
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    const std::string key = NormalKey(from.key, l, m_file.Path());
    Tree t(m_file, m_impl->blockSize, l);
    std::vector<Step> steps;
    {
        std::lock_guard guard(m_impl->positionMutex);
        if (m_impl->positions[size_t(tag)].first == l.headerPage)
            steps.swap(m_impl->positions[size_t(tag)].second); // put back (or replaced) below
    }
    if (StepInLeaf(t, steps, key, from.recno, +1, out)) {
        std::lock_guard guard(m_impl->positionMutex);
        m_impl->positions[size_t(tag)] = {l.headerPage, std::move(steps)};
        return true;
    }
    Path p;
    bool found = false;
    if (RestorePath(t, steps, key, from.recno, p)) {
        found = t.StepForward(p);
    } else {
        // Sought again: the entry itself, else (removed meanwhile) the first equal key
        // with a higher record number, else the first greater key.
        bool ok = t.SeekLower(p, key);
        std::optional<Path> candidate;
        while (ok && t.KeyIs(p, key)) {
            const uint32_t r = p.back().node.Pointer(p.back().idx);
            if (r == from.recno) {
                candidate.reset();
                ok = t.StepForward(p);
                break;
            }
            if (!candidate && r > from.recno)
                candidate = p;
            ok = t.StepForward(p);
        }
        if (candidate) {
            p = std::move(*candidate);
            ok = true;
        }
        found = ok;
    }
    if (!found)
        return false;
    out = Tree::At(p);
    // A damaged tree must not send a caller's walk round in circles.
    if (t.Cmp(reinterpret_cast<const uint8_t *>(out.key.data()), key) < 0)
        t.Corrupt(QStringLiteral("keys out of order near record %1").arg(out.recno));
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions[size_t(tag)] = {l.headerPage, StepsOf(p)};
    return true;
}

bool MdxFile::Prior(int tag, const IndexEntry &from, IndexEntry &out) const
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    const std::string key = NormalKey(from.key, l, m_file.Path());
    Tree t(m_file, m_impl->blockSize, l);
    std::vector<Step> steps;
    {
        std::lock_guard guard(m_impl->positionMutex);
        if (m_impl->positions[size_t(tag)].first == l.headerPage)
            steps.swap(m_impl->positions[size_t(tag)].second); // put back (or replaced) below
    }
    if (StepInLeaf(t, steps, key, from.recno, -1, out)) {
        std::lock_guard guard(m_impl->positionMutex);
        m_impl->positions[size_t(tag)] = {l.headerPage, std::move(steps)};
        return true;
    }
    Path p;
    bool found = false;
    if (RestorePath(t, steps, key, from.recno, p)) {
        found = t.StepBackward(p);
    } else {
        // The entry itself, else the last equal key with a lower record number, else
        // the last smaller key.
        bool ok = t.SeekLower(p, key);
        if (!ok) {
            found = t.Last(p);
        } else {
            Path start = p;
            std::optional<Path> candidate;
            bool exact = false;
            while (ok && t.KeyIs(p, key)) {
                const uint32_t r = p.back().node.Pointer(p.back().idx);
                if (r == from.recno) {
                    exact = true;
                    break;
                }
                if (r < from.recno)
                    candidate = p;
                ok = t.StepForward(p);
            }
            if (exact) {
                found = t.StepBackward(p);
            } else if (candidate) {
                p = std::move(*candidate);
                found = true;
            } else {
                p = std::move(start);
                found = t.StepBackward(p);
            }
        }
    }
    if (!found)
        return false;
    out = Tree::At(p);
    // A damaged tree must not send a caller's walk round in circles.
    if (t.Cmp(reinterpret_cast<const uint8_t *>(out.key.data()), key) > 0)
        t.Corrupt(QStringLiteral("keys out of order near record %1").arg(out.recno));
    std::lock_guard guard(m_impl->positionMutex);
    m_impl->positions[size_t(tag)] = {l.headerPage, StepsOf(p)};
    return true;
}

std::vector<IndexEntry> MdxFile::All(int tag) const
{
    Tree t(m_file, m_impl->blockSize, LayoutOf(m_impl->layouts, tag, m_file.Path()), true);
    std::vector<IndexEntry> out;
    Path p;
    for (bool ok = t.First(p); ok; ok = t.StepForward(p))
        out.push_back(Tree::At(p));
    return out;
}

// ---- changes ----------------------------------------------------------------------

namespace {

// State read afresh at the start of a change, with the writes it prepares.
class Change {
public:
    Change(File &file, uint32_t blockSize, uint32_t pagesPerBlock, const TagLayout *layout)
        : m_file(file), m_pagesPerBlock(pagesPerBlock), m_layout(layout)
    {
        if (!file.Writable())
            throw EDBEngineError(kInvalidOperation, QStringLiteral("Index %1 is open read-only.").arg(file.Path()));
        if (blockSize != kWriteBlockSize)
            throw EDBEngineError(kInvalidOperation,
                                 QStringLiteral("Index %1 has %2-byte blocks; only 1024-byte blocks can be changed.")
                                     .arg(file.Path()).arg(blockSize));
        if (layout && layout->maxKeys < 2)
            throw EDBEngineError(kInvalidOperation, QStringLiteral("Tag %1 in %2 has keys too long to change.")
                                                        .arg(layout->name, file.Path()));
        file.ReadExact(0, m_header, sizeof m_header, "the index header");
        std::memcpy(m_headerOld, m_header, sizeof m_header);
        if (layout) {
            file.ReadExact(uint64_t(layout->headerPage) * kPageSize, m_tagHeader, sizeof m_tagHeader, "the tag header");
            std::memcpy(m_tagHeaderOld, m_tagHeader, sizeof m_tagHeader);
        }
    }

    uint8_t *Header() { return m_header; }
    uint8_t *TagHeader() { return m_tagHeader; }

    // First page for new blocks: past both the counted pages and the file's real end
    // (pages a killed writer added but never counted), aligned to a block.
    uint32_t AllocStart()
    {
        if (!m_haveSize) {
            m_oldSize = m_file.Size();
            m_haveSize = true;
        }
        const uint64_t counted = GetU32(m_header + kHdrPageCount);
        uint64_t start = std::max<uint64_t>({counted, (m_oldSize + kPageSize - 1) / kPageSize, kHeaderPages});
        start = (start + m_pagesPerBlock - 1) / m_pagesPerBlock * m_pagesPerBlock;
        if (start + 0x100000 > UINT32_MAX)
            throw EDBEngineError(kInvalidOperation, QStringLiteral("Index %1 is full.").arg(m_file.Path()));
        return uint32_t(start);
    }

    // Marks the file header as changed today and, when new pages were added, grown.
    void TouchHeader(uint32_t newPageCount)
    {
        const auto today = TodayBytes();
        std::copy(today.begin(), today.end(), m_header + kHdrDate);
        if (newPageCount)
            PutU32(m_header + kHdrPageCount, newPageCount);
    }
    void BumpCounter() { ++m_tagHeader[kThCounter]; }

    void AddHeaderPatch(size_t bytes = 48) { AddPatch(0, m_header, m_headerOld, bytes); }
    void AddTagHeaderPatch(size_t bytes = 256)
    {
        AddPatch(uint64_t(m_layout->headerPage) * kPageSize, m_tagHeader, m_tagHeaderOld, bytes);
    }
    void AddMarkPatch(uint32_t page, const uint8_t *oldNode)
    {
        Patch p;
        p.offset = uint64_t(page) * kPageSize + kNodeSpare;
        p.bytes.resize(4);
        PutU32(p.bytes.data(), kSupersededMark);
        p.old.assign(oldNode + kNodeSpare, oldNode + kNodeSpare + 4);
        m_patches.push_back(std::move(p));
    }
    void AddNodePatch(uint32_t page, std::vector<uint8_t> bytes, const Node &old)
    {
        Patch p;
        p.offset = uint64_t(page) * kPageSize;
        p.bytes = std::move(bytes);
        p.old.assign(old.Data(), old.Data() + old.Size());
        m_patches.push_back(std::move(p));
    }

    void Commit(uint32_t newStart, const std::vector<uint8_t> &newPages, int &failAtWrite)
    {
        if (!newPages.empty() && !m_haveSize) {
            m_oldSize = m_file.Size();
            m_haveSize = true;
        }
        dbase::Commit(m_file, uint64_t(newStart) * kPageSize, newPages, m_oldSize, m_patches, failAtWrite);
    }

private:
    void AddPatch(uint64_t offset, const uint8_t *now, const uint8_t *old, size_t bytes)
    {
        if (std::memcmp(now, old, bytes) == 0)
            return;
        Patch p;
        p.offset = offset;
        p.bytes.assign(now, now + bytes);
        p.old.assign(old, old + bytes);
        m_patches.push_back(std::move(p));
    }

    File &m_file;
    uint32_t m_pagesPerBlock;
    const TagLayout *m_layout;
    uint8_t m_header[kHeaderBytes];
    uint8_t m_headerOld[kHeaderBytes];
    uint8_t m_tagHeader[kWriteBlockSize] {};
    uint8_t m_tagHeaderOld[kWriteBlockSize] {};
    std::vector<Patch> m_patches;
    uint64_t m_oldSize = 0;
    bool m_haveSize = false;
};

} // namespace

void MdxFile::Insert(int tag, const IndexEntry &entry)
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    const std::string key = NormalKey(entry.key, l, m_file.Path());
    Change ch(m_file, m_impl->blockSize, m_impl->pagesPerBlock, &l);
    Tree t(m_file, m_impl->blockSize, l);
    Path p;
    t.Descend(p, key, true);
    if (l.unique) {
        Path q = p;
        if (t.StepBackward(q) && t.KeyIs(q, key))
            return; // a unique tag keeps the first entry of a key
    }

    // Where the split goes: appending in key order, or at the end of a run of equal
    // keys, fills the left half instead of leaving half-empty nodes behind forever.
    bool afterEqual = p.back().idx > 0 && t.Cmp(p.back().node.Key(p.back().idx - 1), key) == 0;
    bool rightEdge = true, leftEdge = true;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
        rightEdge = rightEdge && p[i].idx == p[i].node.Count();
        leftEdge = leftEdge && p[i].idx == 0;
    }
    size_t level = p.size() - 1;
    Items cur = Unpack(p[level].node);
    size_t insertedAt = size_t(p[level].idx);
    cur.keys.insert(cur.keys.begin() + std::ptrdiff_t(insertedAt), key);
    cur.ptrs.insert(cur.ptrs.begin() + std::ptrdiff_t(insertedAt), entry.recno);

    // Split upwards while a node overflows; all halves go to new pages.
    std::vector<Items> fresh;
    uint32_t start = 0;
    auto newPage = [&](Items it) {
        if (fresh.empty())
            start = ch.AllocStart();
        fresh.push_back(std::move(it));
        return start + uint32_t(fresh.size() - 1) * m_impl->pagesPerBlock;
    };
    std::optional<uint32_t> newRoot;
    while (cur.keys.size() > size_t(l.maxKeys)) {
        const size_t m = cur.keys.size();
        const bool atEnd = insertedAt == m - 1, atStart = insertedAt == 0;
        Items left, right;
        left.leaf = right.leaf = cur.leaf;
        std::string sep;
        if (cur.leaf) {
            // Appending in key order fills leaves instead of leaving them half empty.
            size_t s = m / 2;
            if (rightEdge && atEnd)
                s = m - 1;
            else if (leftEdge && atStart)
                s = 1;
            else if (afterEqual && insertedAt >= m / 2)
                s = insertedAt;
            left.keys.assign(cur.keys.begin(), cur.keys.begin() + std::ptrdiff_t(s));
            left.ptrs.assign(cur.ptrs.begin(), cur.ptrs.begin() + std::ptrdiff_t(s));
            right.keys.assign(cur.keys.begin() + std::ptrdiff_t(s), cur.keys.end());
            right.ptrs.assign(cur.ptrs.begin() + std::ptrdiff_t(s), cur.ptrs.end());
            sep = left.keys.back();
        } else {
            // Left keeps s keys and s + 1 children; key s moves up.
            size_t s = m / 2;
            if (rightEdge && atEnd)
                s = m - 2;
            else if (leftEdge && atStart)
                s = 1;
            else if (afterEqual && insertedAt >= m / 2)
                s = std::min(insertedAt, m - 2);
            left.keys.assign(cur.keys.begin(), cur.keys.begin() + std::ptrdiff_t(s));
            left.ptrs.assign(cur.ptrs.begin(), cur.ptrs.begin() + std::ptrdiff_t(s + 1));
            sep = cur.keys[s];
            right.keys.assign(cur.keys.begin() + std::ptrdiff_t(s + 1), cur.keys.end());
            right.ptrs.assign(cur.ptrs.begin() + std::ptrdiff_t(s + 1), cur.ptrs.end());
        }
        const uint32_t pl = newPage(std::move(left));
        const uint32_t pr = newPage(std::move(right));
        if (level == 0) {
            Items root;
            root.leaf = false;
            root.keys = {sep};
            root.ptrs = {pl, pr};
            newRoot = newPage(std::move(root));
            break;
        }
        --level;
        cur = Unpack(p[level].node);
        insertedAt = size_t(p[level].idx);
        cur.keys.insert(cur.keys.begin() + std::ptrdiff_t(insertedAt), sep);
        cur.ptrs[insertedAt] = pl;
        cur.ptrs.insert(cur.ptrs.begin() + std::ptrdiff_t(insertedAt + 1), pr);
    }

    std::vector<uint8_t> pages;
    pages.reserve(fresh.size() * m_impl->blockSize);
    for (const Items &it : fresh) {
        const auto block = PackedNode(it, l, m_impl->blockSize);
        pages.insert(pages.end(), block.begin(), block.end());
    }
    ch.TouchHeader(fresh.empty() ? 0 : start + uint32_t(fresh.size()) * m_impl->pagesPerBlock);
    ch.AddHeaderPatch();
    ch.BumpCounter();
    ch.TagHeader()[kThHasKeys] = 1;
    if (newRoot) {
        ch.AddMarkPatch(p.back().page, p.back().node.Data());
        PutU32(ch.TagHeader() + kThRoot, *newRoot);
        ch.AddTagHeaderPatch(); // the switch
    } else {
        ch.AddTagHeaderPatch();
        if (!fresh.empty())
            ch.AddMarkPatch(p.back().page, p.back().node.Data());
        ch.AddNodePatch(p[level].page, PackedNode(cur, l, m_impl->blockSize), p[level].node); // the switch
    }
    ch.Commit(start, pages, m_impl->failAtWrite);
}

bool MdxFile::Remove(int tag, const IndexEntry &entry)
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    const std::string key = NormalKey(entry.key, l, m_file.Path());
    Change ch(m_file, m_impl->blockSize, m_impl->pagesPerBlock, &l);
    Tree t(m_file, m_impl->blockSize, l);
    Path p;
    if (!t.FindExact(p, key, entry.recno))
        return false;

    const size_t leafLevel = p.size() - 1;
    const Level &leaf = p[leafLevel];
    bool emptyAfter = false;
    if (leaf.node.Count() == 1) {
        Path before = p, after = p;
        emptyAfter = !t.StepBackward(before) && !t.StepForward(after);
    }
    ch.TouchHeader(0);
    ch.AddHeaderPatch();
    // An emptied leaf is unlinked from a parent that keeps at least one key; else it
    // stays as an empty leaf whose branch key remains an upper bound.
    if (leaf.node.Count() == 1 && leafLevel > 0 && p[leafLevel - 1].node.Count() >= 2) {
        const Level &parent = p[leafLevel - 1];
        Items it = Unpack(parent.node);
        const size_t j = size_t(parent.idx);
        const size_t n = it.keys.size();
        it.keys.erase(it.keys.begin() + std::ptrdiff_t(j < n ? j : n - 1));
        it.ptrs.erase(it.ptrs.begin() + std::ptrdiff_t(j));
        ch.AddMarkPatch(leaf.page, leaf.node.Data());
        ch.AddNodePatch(parent.page, PackedNode(it, l, m_impl->blockSize), parent.node);
    } else {
        Items it = Unpack(leaf.node);
        it.keys.erase(it.keys.begin() + leaf.idx);
        it.ptrs.erase(it.ptrs.begin() + leaf.idx);
        ch.AddNodePatch(leaf.page, PackedNode(it, l, m_impl->blockSize), leaf.node);
    }
    ch.BumpCounter();
    ch.TagHeader()[kThHasKeys] = emptyAfter ? 0 : 1;
    ch.AddTagHeaderPatch();
    ch.Commit(0, {}, m_impl->failAtWrite);
    return true;
}

void MdxFile::RebuildTag(int tag, std::vector<IndexEntry> entries)
{
    const TagLayout &l = LayoutOf(m_impl->layouts, tag, m_file.Path());
    for (IndexEntry &e : entries)
        e.key = NormalKey(e.key, l, m_file.Path());
    SortEntries(entries, l);
    Change ch(m_file, m_impl->blockSize, m_impl->pagesPerBlock, &l);
    const uint32_t start = ch.AllocStart();
    std::vector<uint8_t> pages;
    const uint32_t root = BuildTree(entries, l, m_impl->blockSize, m_impl->pagesPerBlock, start, pages);
    ch.TouchHeader(start + uint32_t(pages.size() / kPageSize));
    ch.AddHeaderPatch();
    uint8_t *th = ch.TagHeader();
    const uint32_t oldRoot = GetU32(th + kThRoot);
    PutU32(th + kThRoot, root);
    // These two follow the root where they did before (their meaning is not settled).
    if (GetU32(th + kThFirstPage) == oldRoot)
        PutU32(th + kThFirstPage, root);
    if (GetU32(th + kThLastPage) == oldRoot)
        PutU32(th + kThLastPage, root);
    th[kThHasKeys] = entries.empty() ? 0 : 1;
    ch.BumpCounter();
    // The old tree's leaves, as far as they can be walked (it may be what is being repaired).
    {
        Tree old(m_file, m_impl->blockSize, l, true);
        Path path;
        uint32_t last = 0;
        try {
            for (bool ok = old.First(path); ok; ok = old.StepForward(path))
                if (path.back().page != last) {
                    last = path.back().page;
                    if (path.back().node.Spare() == 0)
                        ch.AddMarkPatch(last, path.back().node.Data());
                }
        } catch (const EDBEngineError &) {
        }
    }
    ch.AddTagHeaderPatch(); // the switch
    ch.Commit(start, pages, m_impl->failAtWrite);
}

namespace {

// The tag table as the 47 raw entries of the header region.
std::vector<std::array<uint8_t, kTagEntrySize>> TagEntries(const uint8_t *header, int count)
{
    std::vector<std::array<uint8_t, kTagEntrySize>> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        std::memcpy(entries[size_t(i)].data(), header + kTagTable + i * kTagEntrySize, kTagEntrySize);
    return entries;
}

// Writes the entries back with fresh threads and zeroes the unused slots.
void StoreTagEntries(uint8_t *header, std::vector<std::array<uint8_t, kTagEntrySize>> entries)
{
    const auto threads = ComputeThreads(entries);
    std::memset(header + kTagTable, 0, size_t(kMaxTags) * kTagEntrySize);
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i][kTeLeft] = threads[i].left;
        entries[i][kTeRight] = threads[i].right;
        entries[i][kTeParent] = threads[i].parent;
        std::memcpy(header + kTagTable + i * kTagEntrySize, entries[i].data(), kTagEntrySize);
    }
    PutU16(header + kHdrTagCount, uint16_t(entries.size()));
}

bool ValidName(const QByteArray &name, int maxLen)
{
    if (name.isEmpty() || name.size() > maxLen)
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

} // namespace

void MdxFile::AddTag(const QString &name, const QString &fieldName, KeyType type, int keyLength,
                     std::vector<IndexEntry> entries)
{
    const QString &path = m_file.Path();
    const QByteArray tagName = name.trimmed().toUpper().toLatin1();
    const QByteArray field = fieldName.trimmed().toUpper().toLatin1();
    if (!ValidName(tagName, kTeNameLen - 1))
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Invalid index tag name '%1'.").arg(name));
    if (!ValidName(field, 10))
        throw EDBEngineError(kInvalidField, QStringLiteral("Invalid field name '%1' for an index key.").arg(fieldName));
    const bool lengthOk = type == KeyType::Character ? keyLength >= 1 && keyLength <= kMaxCharKey
                        : type == KeyType::Numeric   ? keyLength == 12
                        : type == KeyType::Date      ? keyLength == 8
                                                     : false;
    if (!lengthOk)
        throw EDBEngineError(kInvalidField, QStringLiteral("Key length %1 is not allowed for index tag %2.")
                                                .arg(keyLength).arg(name));

    Change ch(m_file, m_impl->blockSize, m_impl->pagesPerBlock, nullptr);
    uint8_t *h = ch.Header();
    const int count = GetU16(h + kHdrTagCount);
    if (count > kMaxTags)
        ThrowCorrupt(path, QStringLiteral("%1 tags, at most %2 fit").arg(count).arg(kMaxTags));
    if (count == kMaxTags)
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Index %1 already holds %2 tags.").arg(path).arg(kMaxTags));
    auto table = TagEntries(h, count);
    for (const auto &e : table)
        if (Latin1(FixedString(e.data() + kTeName, kTeNameLen)).trimmed().compare(QString::fromLatin1(tagName), Qt::CaseInsensitive) == 0)
            throw EDBEngineError(kInvalidOperation, QStringLiteral("Index tag %1 already exists in %2.").arg(name, path));

    TagLayout l;
    l.name = QString::fromLatin1(tagName);
    l.type = char(type);
    l.keyLength = keyLength;
    l.itemLength = ItemLengthFor(keyLength);
    l.capacity = l.maxKeys = MaxKeysFor(m_impl->blockSize, l.itemLength);
    for (IndexEntry &e : entries)
        e.key = NormalKey(e.key, l, path);
    SortEntries(entries, l);

    const uint32_t start = ch.AllocStart();
    l.headerPage = start;
    std::vector<uint8_t> pages(m_impl->blockSize, 0); // the tag header, filled in below
    const uint32_t root = BuildTree(entries, l, m_impl->blockSize, m_impl->pagesPerBlock,
                                    start + m_impl->pagesPerBlock, pages);
    const auto today = TodayBytes();
    uint8_t *th = pages.data();
    PutU32(th + kThRoot, root);
    PutU32(th + kThSize, m_impl->pagesPerBlock);
    th[kThFlags] = kFlagBase;
    th[kThKeyType] = uint8_t(l.type);
    th[11] = h[31]; // language driver, as the file header has it
    PutU16(th + kThKeyLength, uint16_t(keyLength));
    PutU16(th + kThMaxKeys, uint16_t(l.maxKeys));
    PutU16(th + kThDateFlag, type == KeyType::Date ? 1 : 0);
    PutU16(th + kThItemLength, uint16_t(l.itemLength));
    th[kThCounter] = 1;
    std::memcpy(th + kThExpression, field.constData(), size_t(field.size()));
    th[kThHasKeys] = entries.empty() ? 0 : 1;
    PutU32(th + kThFirstPage, root);
    PutU32(th + kThLastPage, root);
    std::copy(today.begin(), today.end(), th + kThCreated);
    th[kThCompiledFlag] = 1;
    std::memcpy(th + kThCompiledName, field.constData(), size_t(field.size()));

    std::array<uint8_t, kTagEntrySize> e {};
    PutU32(e.data() + kTeHeaderPage, start);
    std::memcpy(e.data() + kTeName, tagName.constData(), size_t(tagName.size()));
    e[kTeKeyFormat] = kFlagBase;
    e[kTeConst19] = 2;
    e[kTeKeyType] = uint8_t(l.type);
    table.push_back(e);

    ch.TouchHeader(start + uint32_t(pages.size() / kPageSize));
    ch.AddHeaderPatch();
    StoreTagEntries(h, std::move(table));
    ch.AddHeaderPatch(kHeaderBytes); // the switch: tag count and table in one block
    ch.Commit(start, pages, m_impl->failAtWrite);
    Reload();
}

void MdxFile::DropTag(const QString &name)
{
    const QString &path = m_file.Path();
    Change ch(m_file, m_impl->blockSize, m_impl->pagesPerBlock, nullptr);
    uint8_t *h = ch.Header();
    const int count = GetU16(h + kHdrTagCount);
    if (count > kMaxTags)
        ThrowCorrupt(path, QStringLiteral("%1 tags, at most %2 fit").arg(count).arg(kMaxTags));
    auto table = TagEntries(h, count);
    auto it = std::find_if(table.begin(), table.end(), [&](const auto &e) {
        return Latin1(FixedString(e.data() + kTeName, kTeNameLen)).trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0;
    });
    if (it == table.end())
        throw EDBEngineError(kTagNotFound, QStringLiteral("Index tag %1 not found in %2.").arg(name, path));
    table.erase(it);
    ch.TouchHeader(0);
    StoreTagEntries(h, std::move(table));
    ch.AddHeaderPatch(kHeaderBytes); // the switch
    ch.Commit(0, {}, m_impl->failAtWrite);
    Reload();
}

void MdxFile::FailWriteForTesting(int nth)
{
    m_impl->failAtWrite = nth;
}

// ---- dirty mark -------------------------------------------------------------------

bool MdxFile::IsDirty() const
{
    uint8_t b = 0;
    m_file.ReadExact(kHdrDirty, &b, 1, "the index header");
    return b == kDirtyMark;
}

void MdxFile::SetDirty(bool dirty)
{
    if (!m_file.Writable())
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Index %1 is open read-only.").arg(m_file.Path()));
    const uint8_t b = dirty ? kDirtyMark : 0;
    m_file.WriteAt(kHdrDirty, &b, 1);
}

// ---- structural check ---------------------------------------------------------------

uint32_t MdxFile::UncountedPages() const
{
    uint8_t b[4];
    m_file.ReadExact(kHdrPageCount, b, 4, "the index header");
    const uint64_t counted = GetU32(b);
    const uint64_t held = m_file.Size() / kPageSize;
    return held > counted ? uint32_t(std::min<uint64_t>(held - counted, UINT32_MAX)) : 0;
}

namespace {

class Checker {
public:
    // Live nodes still marked as superseded go to leftovers when it is given, else to problems.
    Checker(const File &file, uint32_t blockSize, uint64_t fileSize, std::vector<QString> &problems,
            std::vector<QString> *leftovers, std::unordered_set<uint32_t> &usedPages)
        : m_file(file), m_blockSize(blockSize), m_fileSize(fileSize), m_problems(problems), m_leftovers(leftovers),
          m_used(usedPages) {}

    // Walks one tag; returns the number of entries found.
    uint64_t Walk(const TagLayout &l, uint32_t root)
    {
        m_l = &l;
        m_prev.reset();
        m_pendingBounds.clear();
        m_leafDepth = -1;
        m_entries = 0;
        Visit(root, 0);
        return m_entries;
    }

    void Problem(const QString &what)
    {
        if (m_problems.size() < 200)
            m_problems.push_back(QStringLiteral("tag %1: %2").arg(m_l->name, what));
    }

private:
    int Cmp(const std::string &a, const std::string &b) const
    {
        const int c = CompareRaw(m_l->type, reinterpret_cast<const uint8_t *>(a.data()),
                                 reinterpret_cast<const uint8_t *>(b.data()), size_t(m_l->keyLength));
        return m_l->descending ? -c : c;
    }

    // Checks the subtree at page; returns its greatest key, if it holds any.
    std::optional<std::string> Visit(uint32_t page, int depth)
    {
        if (depth >= kMaxDepth) {
            Problem(QStringLiteral("tree deeper than %1 levels at page %2").arg(kMaxDepth).arg(page));
            return std::nullopt;
        }
        if (page < kHeaderPages || uint64_t(page) * kPageSize + m_blockSize > m_fileSize) {
            Problem(QStringLiteral("node page %1 lies outside the file").arg(page));
            return std::nullopt;
        }
        if (!m_used.insert(page).second) {
            Problem(QStringLiteral("page %1 is used twice").arg(page));
            return std::nullopt;
        }
        Node node(m_blockSize, m_l->itemLength, m_l->keyLength);
        if (m_file.ReadAt(uint64_t(page) * kPageSize, node.Data(), m_blockSize) != m_blockSize) {
            Problem(QStringLiteral("node page %1 cannot be read").arg(page));
            return std::nullopt;
        }
        if (node.RawCount() > uint32_t(m_l->capacity)) {
            Problem(QStringLiteral("node page %1 claims %2 keys, at most %3 fit").arg(page).arg(node.RawCount()).arg(m_l->capacity));
            return std::nullopt;
        }
        const int n = node.Count();
        if (n > m_l->maxKeys)
            Problem(QStringLiteral("node page %1 holds %2 keys, the tag allows %3").arg(page).arg(n).arg(m_l->maxKeys));
        if (node.Spare() == kSupersededMark && m_leftovers) {
            if (m_leftovers->size() < 200)
                m_leftovers->push_back(QStringLiteral("tag %1: node page %2 is marked as replaced but still in the tree")
                                           .arg(m_l->name).arg(page));
        } else if (node.Spare() != 0) {
            Problem(QStringLiteral("node page %1 has a non-zero link field").arg(page));
        }

        if (node.IsLeaf()) {
            if (m_leafDepth < 0)
                m_leafDepth = depth;
            else if (m_leafDepth != depth)
                Problem(QStringLiteral("leaf page %1 at depth %2, other leaves at depth %3").arg(page).arg(depth).arg(m_leafDepth));
            std::optional<std::string> greatest;
            for (int i = 0; i < n; ++i) {
                std::string key = node.KeyString(i);
                for (const auto &[bound, from] : m_pendingBounds)
                    if (Cmp(bound, key) > 0)
                        Problem(QStringLiteral("branch key in page %1 is greater than a later key in page %2").arg(from).arg(page));
                m_pendingBounds.clear();
                if (m_prev) {
                    const int c = Cmp(*m_prev, key);
                    if (c > 0)
                        Problem(QStringLiteral("keys out of order at page %1 item %2").arg(page).arg(i));
                    else if (c == 0 && m_l->unique)
                        Problem(QStringLiteral("duplicate key in a unique tag at page %1 item %2").arg(page).arg(i));
                }
                if (node.Pointer(i) == 0)
                    Problem(QStringLiteral("record number 0 at page %1 item %2").arg(page).arg(i));
                m_prev = key;
                greatest = std::move(key);
                ++m_entries;
            }
            return greatest;
        }

        std::optional<std::string> greatest;
        for (int i = 0; i <= n; ++i) {
            const std::optional<std::string> sub = Visit(node.Pointer(i), depth + 1);
            if (i < n) {
                std::string bound = node.KeyString(i);
                if (sub && Cmp(bound, *sub) < 0)
                    Problem(QStringLiteral("branch key %1 in page %2 is below a key of its child").arg(i).arg(page));
                if (i > 0 && Cmp(node.KeyString(i - 1), bound) > 0)
                    Problem(QStringLiteral("branch keys out of order in page %1").arg(page));
                m_pendingBounds.emplace_back(std::move(bound), page);
            }
            if (sub)
                greatest = sub;
        }
        return greatest;
    }

    const File &m_file;
    uint32_t m_blockSize;
    uint64_t m_fileSize;
    std::vector<QString> &m_problems;
    std::vector<QString> *m_leftovers;
    std::unordered_set<uint32_t> &m_used;
    const TagLayout *m_l = nullptr;
    std::optional<std::string> m_prev;                          // last key walked
    std::vector<std::pair<std::string, uint32_t>> m_pendingBounds; // branch keys the next key must not be below
    int m_leafDepth = -1;
    uint64_t m_entries = 0;
};

} // namespace

std::vector<QString> MdxFile::CheckStructure(std::vector<QString> *leftovers) const
{
    std::vector<QString> problems;
    const QString &path = m_file.Path();
    const uint64_t size = m_file.Size();
    uint8_t h[kHeaderBytes];
    if (m_file.ReadAt(0, h, sizeof h) != sizeof h)
        return {QStringLiteral("%1: file shorter than the index header").arg(path)};
    if (size % kPageSize != 0)
        problems.push_back(QStringLiteral("file size %1 is not a whole number of pages").arg(size));
    const uint32_t pageCount = GetU32(h + kHdrPageCount);
    if (uint64_t(pageCount) * kPageSize > size)
        problems.push_back(QStringLiteral("header page count %1, the file holds %2 pages").arg(pageCount).arg(size / kPageSize));
    const int count = GetU16(h + kHdrTagCount);
    if (count != int(m_tags.size()))
        problems.push_back(QStringLiteral("the header counts %1 tags, %2 were loaded").arg(count).arg(m_tags.size()));
    const int usable = std::min<int>({count, kMaxTags, int(m_impl->layouts.size())});

    const auto table = TagEntries(h, std::min(count, kMaxTags));
    const auto threads = ComputeThreads(table);
    std::unordered_set<uint32_t> used;
    for (int i = 0; i < usable; ++i) {
        const TagLayout &l = m_impl->layouts[size_t(i)];
        const uint8_t *e = table[size_t(i)].data();
        Checker check(m_file, m_impl->blockSize, size, problems, leftovers, used);
        // Shown with the tag's name via Problem().
        auto tagProblem = [&](const QString &what) { problems.push_back(QStringLiteral("tag %1: %2").arg(l.name, what)); };
        const auto &t = threads[size_t(i)];
        if (e[kTeLeft] != t.left || e[kTeRight] != t.right || e[kTeParent] != t.parent)
            tagProblem(QStringLiteral("thread bytes %1/%2/%3, expected %4/%5/%6")
                           .arg(e[kTeLeft]).arg(e[kTeRight]).arg(e[kTeParent]).arg(t.left).arg(t.right).arg(t.parent));
        if (GetU32(e + kTeHeaderPage) != l.headerPage) {
            tagProblem(QStringLiteral("the tag table changed since it was loaded"));
            continue;
        }
        if (char(e[kTeKeyType]) != l.type)
            tagProblem(QStringLiteral("key type %1 in the tag table, %2 in the tag header")
                           .arg(QLatin1Char(char(e[kTeKeyType]))).arg(QLatin1Char(l.type)));
        std::vector<uint8_t> th(m_impl->blockSize);
        if (m_file.ReadAt(uint64_t(l.headerPage) * kPageSize, th.data(), th.size()) != th.size()) {
            tagProblem(QStringLiteral("tag header page %1 lies beyond the end of the file").arg(l.headerPage));
            continue;
        }
        if (!used.insert(l.headerPage).second)
            tagProblem(QStringLiteral("tag header page %1 is used twice").arg(l.headerPage));
        const int formula = MaxKeysFor(m_impl->blockSize, l.itemLength);
        if (GetU16(th.data() + kThMaxKeys) != formula)
            tagProblem(QStringLiteral("maximum keys %1, expected %2").arg(GetU16(th.data() + kThMaxKeys)).arg(formula));
        if (l.itemLength != ItemLengthFor(l.keyLength))
            tagProblem(QStringLiteral("key item length %1 for key length %2").arg(l.itemLength).arg(l.keyLength));
        const uint64_t entries = check.Walk(l, GetU32(th.data() + kThRoot));
        if ((entries > 0) != (th[kThHasKeys] != 0))
            tagProblem(QStringLiteral("has-keys byte %1 with %2 keys").arg(th[kThHasKeys]).arg(entries));
    }
    return problems;
}

} // namespace dbase
