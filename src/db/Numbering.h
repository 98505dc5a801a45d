#pragma once
// Lease and lessor numbering through the counters of the configuration row.
//
// Counters are read and incremented inside the record lock of the configuration row,
// so two windows or processes never hand out the same number.

#include "db/BailKey.h"
#include "dbase/Cursor.h"
#include "dbase/Table.h"

#include <QString>
#include <functional>

namespace db {

constexpr long long kMaxLeaseNumber = 99999999;
constexpr int kMaxLessorNumber = 9999;
// How long an edit of the configuration row waits for another holder of its lock.
constexpr int kConfigLockTimeoutMs = 10000;

// An edit of the configuration row (the first live row of BailConf) holding its record lock.
class TConfigEdit {
public:
    // Locks the row, re-reading it; an empty table gets its row first. While another
    // process holds the lock, retries for timeoutMs, then rethrows its error; a lock held
    // by another window of this process fails at once (kLockedHere).
    explicit TConfigEdit(dbase::Table &bailConf, int timeoutMs = kConfigLockTimeoutMs);
    ~TConfigEdit(); // releases the lock; changes not posted are dropped
    TConfigEdit(const TConfigEdit &) = delete;
    TConfigEdit &operator=(const TConfigEdit &) = delete;

    dbase::Record &Row() { return m_row; }
    uint32_t Recno() const { return m_recno; }
    // Counters; a blank field reads as 0.
    long long LeaseCounter() const;
    void SetLeaseCounter(long long value);
    int LessorCounter() const;
    void SetLessorCounter(int value);
    int DefaultLessor() const;
    // Writes the row; the lock is kept until destruction.
    void Post();

private:
    dbase::Table &m_table;
    uint32_t m_recno = 0; // record number of the configuration row
    dbase::Record m_row;  // the row as locked, with the caller's changes
};

// Reads the configuration row without locking it; a table without a live row gives a blank record.
dbase::Record ReadConfigRow(dbase::Table &bailConf);

// Exact-key existence tests on one tag of a table (deleted rows do not count).
class TKeyLookup {
public:
    // Throws kTagNotFound when the table has no such tag.
    TKeyLookup(dbase::Table &table, const QString &tag);
    bool Exists(const QString &value);
    bool Exists(long long value) { return Exists(QString::number(value)); }

private:
    dbase::Table &m_table;
    dbase::Cursor m_cursor; // ordered by the tag
};

// Lease numbering step 1, when a new lease row is created: the number to show. Resets a
// counter at 99999999 to 0 (saving the row); the proposal is the counter plus one, skipping
// numbers in use. bailStd needs its NOBAIL tag.
QString ProposeLeaseNumber(dbase::Table &bailConf, dbase::Table &bailStd);
// Lease numbering step 2 inside an edit of the configuration row: the counter plus one,
// skipping numbers in use, stored in the row (not posted). Returns the number.
QString NextLeaseNumber(TConfigEdit &config, TKeyLookup &leasesByNumber);
// Step 2 as one edit: locks, numbers, posts. Returns the number saved.
QString AssignLeaseNumber(dbase::Table &bailConf, dbase::Table &bailStd);

// Lessor numbering inside an edit of the configuration row: the counter wraps from 9999
// to 0, is increased, and skips numbers in use. Stored in the row (not posted).
int NextLessorNumber(TConfigEdit &config, TKeyLookup &lessorsByNumber);
int AssignLessorNumber(dbase::Table &bailConf, dbase::Table &locateur);

// Sets the fields of a new lease beyond its number, kind and key.
using TLeaseFiller = std::function<void(dbase::Record &lease, dbase::Record *annex)>;

// Appends a lease of that kind numbered automatically: the configuration row is locked,
// the number taken, the lease (and, for the elderly kinds, its Annex row when annexe is
// given) appended and the counter saved. The lessor defaults to the default lessor; fill
// may set anything else. Returns the lease number.
QString AddLease(dbase::Table &bailConf, dbase::Table &bailStd, dbase::Table *annexe, TLeaseKind kind,
                 const TLeaseFiller &fill = {});
// The same inside an edit the caller holds (for numbering many leases under one lock);
// the caller posts the configuration row.
QString AddLease(TConfigEdit &config, TKeyLookup &leasesByNumber, dbase::Table &bailStd, dbase::Table *annexe,
                 TLeaseKind kind, const TLeaseFiller &fill = {});

} // namespace db
