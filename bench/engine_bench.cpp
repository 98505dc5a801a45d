// Speed of the table engine on lease tables of 10,000 and 100,000 rows.

#include "db/Demo.h"
#include "db/Reindex.h"
#include "db/Schema.h"
#include "dbase/Cursor.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <unistd.h>

using namespace dbase;

namespace {

QString BenchDir(const QString &name)
{
    return QDir::temp().filePath(QStringLiteral("bail-bench-%1-%2").arg(::getpid()).arg(name));
}

// One demo folder per size, made once per run.
QString DemoFolder(int leases)
{
    // Removed again when the program ends.
    static struct Made : std::map<int, QString> {
        ~Made()
        {
            for (const auto &m : *this)
                QDir(m.second).removeRecursively();
        }
    } made;
    auto it = made.find(leases);
    if (it != made.end())
        return it->second;
    const QString dir = BenchDir(QString::number(leases));
    QDir(dir).removeRecursively();
    db::MakeDemoFolder(dir, leases, 50);
    made[leases] = dir;
    return dir;
}

void CopyFolder(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString &f : QDir(from).entryList(QDir::Files)) {
        QFile::copy(QDir(from).filePath(f), QDir(to).filePath(f));
    }
}

QString LeaseTable(const QString &dir)
{
    return db::TableFile(dir, db::kBailStd, "dbf");
}

void BM_FindKeyNobail(benchmark::State &state)
{
    const int leases = int(state.range(0));
    Table t(LeaseTable(DemoFolder(leases)), Table::Mode::Shared);
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOBAIL"));
    std::vector<KeyBytes> keys;
    for (bool ok = c.First(); ok; ok = c.Next())
        keys.push_back(t.KeyFor(c.OrderTag(), c.Current()));
    std::mt19937 rng(7);
    std::shuffle(keys.begin(), keys.end(), rng);
    size_t i = 0;
    for (auto _ : state) {
        const bool found = c.FindKey(keys[i++ % keys.size()]);
        benchmark::DoNotOptimize(found);
        if (!found)
            state.SkipWithError("a lease number was not found");
    }
}
BENCHMARK(BM_FindKeyNobail)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_WalkNomlocInOrder(benchmark::State &state)
{
    const int leases = int(state.range(0));
    Table t(LeaseTable(DemoFolder(leases)), Table::Mode::Shared);
    Cursor c(t);
    c.SetOrder(QStringLiteral("NOMLOC"));
    for (auto _ : state) {
        int rows = 0;
        for (bool ok = c.First(); ok; ok = c.Next())
            ++rows;
        if (rows != leases)
            state.SkipWithError("the walk missed rows");
    }
}
BENCHMARK(BM_WalkNomlocInOrder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// 10,000 appends into a lease table that keeps its four tags up to date.
void BM_Append10000WithFourTags(benchmark::State &state)
{
    const QString source = DemoFolder(10000);
    Table sample(LeaseTable(source), Table::Mode::ReadOnly);
    std::vector<Record> rows;
    Cursor c(sample);
    for (bool ok = c.First(); ok; ok = c.Next())
        rows.push_back(c.Current());
    for (auto _ : state) {
        state.PauseTiming();
        const QString dir = BenchDir(QStringLiteral("append"));
        QDir(dir).removeRecursively();
        db::MakeDemoFolder(dir, 0, 1);
        Table t(LeaseTable(dir), Table::Mode::Shared);
        state.ResumeTiming();
        for (const Record &src : rows) {
            Record r = t.NewRecord();
            r.MutableBytes() = src.Bytes();
            t.AppendRecord(r);
        }
        state.PauseTiming();
        QDir(dir).removeRecursively();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Append10000WithFourTags)->Unit(benchmark::kMillisecond)->Iterations(2);

// Drops, pack and tag creation of the three indexed tables.
void BM_PackAndReindex(benchmark::State &state)
{
    const int leases = int(state.range(0));
    const QString source = DemoFolder(leases);
    const QString dir = BenchDir(QStringLiteral("reindex"));
    for (auto _ : state) {
        state.PauseTiming();
        CopyFolder(source, dir);
        state.ResumeTiming();
        for (const auto &step : db::ReindexDataFolder(dir))
            if (!step.ok)
                state.SkipWithError("reindex failed");
    }
    QDir(dir).removeRecursively();
}
BENCHMARK(BM_PackAndReindex)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

// Reading every row and every field as text, as a full dump does.
void BM_FullReadAllFields(benchmark::State &state)
{
    const int leases = int(state.range(0));
    Table t(LeaseTable(DemoFolder(leases)), Table::Mode::ReadOnly);
    const uint32_t length = t.Header().recordLength;
    std::vector<char> block(size_t(length) * 4096);
    Record rec = t.NewRecord();
    for (auto _ : state) {
        size_t chars = 0;
        for (uint32_t first = 1;;) {
            const uint32_t n = t.ReadRecords(first, 4096, block.data());
            if (n == 0)
                break;
            for (uint32_t i = 0; i < n; ++i) {
                rec.MutableBytes().assign(block.data() + size_t(i) * length, length);
                for (int f = 0; f < rec.FieldCount(); ++f)
                    chars += size_t(rec.AsString(f).size());
            }
            first += n;
        }
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_FullReadAllFields)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
