#pragma once
// A production multiple-index file (.mdx): a header, a tag table and one B+-tree per tag.
//
// The caller (Table) holds the locks: a shared lock on the index lock byte while
// reading, an exclusive one while changing. MdxFile keeps no tree pages in memory
// between calls, so each call sees what other processes committed before it.

#include "dbase/File.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dbase {

enum class KeyType : char { Character = 'C', Numeric = 'N', Date = 'D' };

// One tag of the tag table and its header.
struct TagInfo {
    QString name;          // as stored (upper case)
    QString expression;    // key expression text, e.g. "NOBAIL" or "TYP + NUMMER"
    QString filter;        // FOR expression, empty when none
    KeyType type = KeyType::Character;
    int keyLength = 0;     // bytes of a key: C = width, N = 12, D = 8
    bool descending = false;
    bool unique = false;
    uint32_t headerPage = 0; // page of the tag header block
};

// A key as stored: exactly keyLength bytes (C blank padded, N 12-byte BCD, D double).
using KeyBytes = std::string;

// One index entry.
struct IndexEntry {
    KeyBytes key;
    uint32_t recno = 0; // 1-based record number
};

// Compares two stored keys of a tag's type: <0, 0, >0 (descending tags are not inverted here).
int CompareKeys(KeyType type, const KeyBytes &a, const KeyBytes &b);

// Key encoders and decoders (section "Key encodings" of the format notes).
KeyBytes EncodeCharKey(const std::string &bytes, int keyLength); // pads with blanks / cuts
KeyBytes EncodeNumericKey(double value);
KeyBytes EncodeNumericKeyFromText(const std::string &digits); // "-12.50", exact decimal
KeyBytes EncodeDateKey(int julianDay);                        // 0 = blank date
std::string DecodeNumericKey(const KeyBytes &key);             // shortest decimal text, "0" for zero
int DecodeDateKey(const KeyBytes &key);                        // julian day, 0 for blank
int JulianDay(int year, int month, int day);
void CivilFromJulian(int jd, int &year, int &month, int &day);

class MdxFile {
public:
    // Opens an existing index on file (not owned, stays open while MdxFile lives).
    // Throws kCorruptFile naming the file on any structural error.
    explicit MdxFile(File &file);
    ~MdxFile();
    MdxFile(const MdxFile &) = delete;
    MdxFile &operator=(const MdxFile &) = delete;
    // Writes a new empty index (no tags) for the table of that base name into file.
    static void CreateEmpty(File &file, const QString &tableBaseName);

    // Re-reads the header and tag table when another process may have changed them.
    void Reload();
    const std::vector<TagInfo> &Tags() const { return m_tags; }
    // Index of the tag of that name (case-insensitive), -1 when absent.
    int FindTag(const QString &name) const;

    // Adds a tag on a single field and fills it with entries (any order); rewrites the tag table.
    void AddTag(const QString &name, const QString &fieldName, KeyType type, int keyLength,
                std::vector<IndexEntry> entries);
    // Removes a tag from the tag table (its blocks stay unused until the file is rebuilt).
    void DropTag(const QString &name);
    // Replaces the whole tree of a tag with one built from entries (any order).
    void RebuildTag(int tag, std::vector<IndexEntry> entries);

    // Inserts an entry after every entry with an equal key. Failure-atomic: on a write
    // error the tree is as before.
    void Insert(int tag, const IndexEntry &entry);
    // Removes the entry with that key and record number; false when absent.
    bool Remove(int tag, const IndexEntry &entry);

    // Positioned reads. A position is the entry itself; stepping from a position that
    // another writer has removed continues with the next entry in order.
    bool First(int tag, IndexEntry &out) const;
    bool Last(int tag, IndexEntry &out) const;
    bool Next(int tag, const IndexEntry &from, IndexEntry &out) const;
    bool Prior(int tag, const IndexEntry &from, IndexEntry &out) const;
    // First entry whose key is >= key (key has the tag's full length).
    bool SeekGE(int tag, const KeyBytes &key, IndexEntry &out) const;
    // Every entry in index order.
    std::vector<IndexEntry> All(int tag) const;

    // Structural check of every tag: thread bytes, page count, node layout, key order,
    // branch keys. Returns one line per problem, empty when sound. Uncounted pages are
    // not a problem here (see UncountedPages). A writer killed after marking the nodes a
    // change replaces and before switching to their replacements leaves live nodes marked
    // as replaced: with leftovers given, those lines go there instead.
    std::vector<QString> CheckStructure(std::vector<QString> *leftovers = nullptr) const;
    // Whole pages past the header's page count: a writer killed after adding the new pages
    // of a change and before counting them leaves them. Nothing points into them and the
    // next change allocates past them; a rebuild counts them again.
    uint32_t UncountedPages() const;

    // Dirty mark: set before a sequence of index writes, cleared after. A set mark
    // seen while holding the index lock exclusively means a writer died mid-way.
    bool IsDirty() const;
    void SetDirty(bool dirty);

    // Testing aid: the nth write of the next change (1 = the first) stops half way and
    // fails as on a full disk, so tests can check that every step is undone. 0 = off.
    void FailWriteForTesting(int nth);

private:
    File &m_file;
    std::vector<TagInfo> m_tags; // tag table as last read
    // Implementation members are the implementer's.
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace dbase
