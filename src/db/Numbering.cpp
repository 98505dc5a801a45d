#include "db/Numbering.h"

#include "dbase/EngineError.h"

#include <QDeadlineTimer>

#include <chrono>
#include <thread>

namespace db {

namespace {

using dbase::EDBEngineError;

uint32_t FirstLiveRow(dbase::Table &table)
{
    dbase::Record rec;
    const uint32_t count = table.RecordCount();
    for (uint32_t r = 1; r <= count; ++r)
        if (table.ReadRecord(r, rec) && !rec.Deleted())
            return r;
    return 0;
}

// Appends the configuration row to a table that has none. When another process did the
// same at once, the first row wins and ours is deleted again.
uint32_t CreateConfigRow(dbase::Table &table)
{
    const uint32_t mine = table.AppendRecord(table.NewRecord());
    const uint32_t first = FirstLiveRow(table);
    if (first != 0 && first != mine) {
        try {
            table.LockRecord(mine);
            table.DeleteRecord(mine);
            table.UnlockRecord(mine);
        } catch (const EDBEngineError &) {
            table.UnlockRecord(mine); // a stray blank row is harmless: only the first row is used
        }
        return first;
    }
    return mine;
}

// Another process will let go of the row; another window of this process, on this same
// thread, cannot while we wait, so that conflict is reported at once.
bool Transient(int code)
{
    return code == dbase::kLockedByOther || code == dbase::kRecordDeleted;
}

long long NextAfter(long long n, long long max)
{
    return n >= max || n < 0 ? 1 : n + 1;
}

} // namespace

TConfigEdit::TConfigEdit(dbase::Table &bailConf, int timeoutMs)
    : m_table(bailConf)
{
    QDeadlineTimer deadline(timeoutMs);
    for (int attempt = 0;; ++attempt) {
        uint32_t recno = FirstLiveRow(m_table);
        if (recno == 0)
            recno = CreateConfigRow(m_table);
        try {
            m_table.LockRecord(recno, &m_row);
            m_recno = recno;
            return;
        } catch (const EDBEngineError &e) {
            if (!Transient(e.Code()) || deadline.hasExpired())
                throw;
        }
        // Short, slightly varying naps so that waiting processes do not move in step.
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + (attempt * 7) % 11));
    }
}

TConfigEdit::~TConfigEdit()
{
    try {
        m_table.UnlockRecord(m_recno);
    } catch (...) {
    }
}

long long TConfigEdit::LeaseCounter() const
{
    return m_row.AsInteger(m_row.Index(QStringLiteral("NOBAIL"))).value_or(0);
}

void TConfigEdit::SetLeaseCounter(long long value)
{
    m_row.SetInteger(m_row.Index(QStringLiteral("NOBAIL")), value);
}

int TConfigEdit::LessorCounter() const
{
    return int(m_row.AsInteger(m_row.Index(QStringLiteral("NOLOCATEUR"))).value_or(0));
}

void TConfigEdit::SetLessorCounter(int value)
{
    m_row.SetInteger(m_row.Index(QStringLiteral("NOLOCATEUR")), value);
}

int TConfigEdit::DefaultLessor() const
{
    return int(m_row.AsInteger(m_row.Index(QStringLiteral("NOLOCDEF"))).value_or(0));
}

void TConfigEdit::Post()
{
    m_table.WriteRecord(m_recno, m_row);
}

dbase::Record ReadConfigRow(dbase::Table &bailConf)
{
    dbase::Record rec = bailConf.NewRecord();
    const uint32_t r = FirstLiveRow(bailConf);
    if (r != 0)
        bailConf.ReadRecord(r, rec);
    return rec;
}

TKeyLookup::TKeyLookup(dbase::Table &table, const QString &tag)
    : m_table(table)
    , m_cursor(table)
{
    m_cursor.SetOrder(tag);
}

bool TKeyLookup::Exists(const QString &value)
{
    return m_cursor.FindKey(m_table.KeyFromText(m_cursor.OrderTag(), value));
}

QString ProposeLeaseNumber(dbase::Table &bailConf, dbase::Table &bailStd)
{
    const dbase::Record row = ReadConfigRow(bailConf);
    long long counter = row.AsInteger(row.Index(QStringLiteral("NOBAIL"))).value_or(0);
    if (counter >= kMaxLeaseNumber) {
        TConfigEdit edit(bailConf);
        if (edit.LeaseCounter() >= kMaxLeaseNumber) {
            edit.SetLeaseCounter(0);
            edit.Post();
        }
        counter = edit.LeaseCounter();
    }
    TKeyLookup leases(bailStd, QStringLiteral("NOBAIL"));
    long long n = NextAfter(counter, kMaxLeaseNumber);
    for (long long tries = 0; leases.Exists(n); ++tries) {
        if (tries >= kMaxLeaseNumber)
            throw EDBEngineError(dbase::kInvalidOperation, QStringLiteral("Every lease number is in use."));
        n = NextAfter(n, kMaxLeaseNumber);
    }
    return QString::number(n);
}

QString NextLeaseNumber(TConfigEdit &config, TKeyLookup &leasesByNumber)
{
    long long n = NextAfter(config.LeaseCounter(), kMaxLeaseNumber);
    for (long long tries = 0; leasesByNumber.Exists(n); ++tries) {
        if (tries >= kMaxLeaseNumber)
            throw EDBEngineError(dbase::kInvalidOperation, QStringLiteral("Every lease number is in use."));
        n = NextAfter(n, kMaxLeaseNumber);
    }
    config.SetLeaseCounter(n);
    return QString::number(n);
}

QString AssignLeaseNumber(dbase::Table &bailConf, dbase::Table &bailStd)
{
    TConfigEdit edit(bailConf);
    TKeyLookup leases(bailStd, QStringLiteral("NOBAIL"));
    const QString number = NextLeaseNumber(edit, leases);
    edit.Post();
    return number;
}

int NextLessorNumber(TConfigEdit &config, TKeyLookup &lessorsByNumber)
{
    int n = config.LessorCounter();
    for (int tries = 0;; ++tries) {
        if (tries >= kMaxLessorNumber)
            throw EDBEngineError(dbase::kInvalidOperation, QStringLiteral("Every lessor number is in use."));
        n = n >= kMaxLessorNumber || n < 0 ? 1 : n + 1;
        if (!lessorsByNumber.Exists(n))
            break;
    }
    config.SetLessorCounter(n);
    return n;
}

int AssignLessorNumber(dbase::Table &bailConf, dbase::Table &locateur)
{
    TConfigEdit edit(bailConf);
    TKeyLookup lessors(locateur, QStringLiteral("NOLOCATEUR"));
    const int number = NextLessorNumber(edit, lessors);
    edit.Post();
    return number;
}

QString AddLease(TConfigEdit &config, TKeyLookup &leasesByNumber, dbase::Table &bailStd, dbase::Table *annexe,
                 TLeaseKind kind, const TLeaseFiller &fill)
{
    const QString number = NextLeaseNumber(config, leasesByNumber);
    dbase::Record lease = bailStd.NewRecord();
    const int defaultLessor = config.DefaultLessor();
    if (defaultLessor > 0)
        lease.SetInteger(lease.Index(QStringLiteral("NOLOCATEUR")), defaultLessor);
    dbase::Record annex;
    dbase::Record *annexPtr = nullptr;
    if (annexe && IsElderly(kind)) {
        annex = annexe->NewRecord();
        annexPtr = &annex;
    }
    if (fill)
        fill(lease, annexPtr);
    lease.SetString(QStringLiteral("NOBAIL"), number);
    lease.SetString(QStringLiteral("BAILAHCOOP"), LeaseKey(kind, number));
    bailStd.AppendRecord(lease);
    if (annexPtr) {
        annex.SetString(QStringLiteral("NOBAIL"), number);
        annexe->AppendRecord(annex);
    }
    return number;
}

QString AddLease(dbase::Table &bailConf, dbase::Table &bailStd, dbase::Table *annexe, TLeaseKind kind,
                 const TLeaseFiller &fill)
{
    TConfigEdit edit(bailConf);
    TKeyLookup leases(bailStd, QStringLiteral("NOBAIL"));
    const QString number = AddLease(edit, leases, bailStd, annexe, kind, fill);
    edit.Post();
    return number;
}

} // namespace db
