// check: consistency of every table of a data folder and of its index tags.

#include "tool/Commands.h"
#include "tool/DbfReader.h"

#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Mdx.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace tool {

namespace {

// Problems beyond this many per tag are only counted.
constexpr int kMaxPerTag = 10;

class TProblems {
public:
    // kind, when given, follows the file name on each line.
    explicit TProblems(const QString &file, const QString &kind = {})
        : m_prefix(QFileInfo(file).fileName() + QStringLiteral(": ") + (kind.isEmpty() ? kind : kind + QStringLiteral(": ")))
    {
    }
    void Add(const QString &what) { m_lines << m_prefix + what; }
    void Append(const TProblems &other) { m_lines << other.m_lines; }
    const QStringList &Lines() const { return m_lines; }

private:
    QString m_prefix;    // table or index file name (and kind), put before each line
    QStringList m_lines; // one per problem
};

const QString kInterrupted = QStringLiteral("interrupted write");

// Collects the problems of one tag, keeping the first few.
class TTagProblems {
public:
    TTagProblems(TProblems &all, const QString &tag) : m_all(all), m_tag(tag) {}
    ~TTagProblems()
    {
        if (m_count > kMaxPerTag)
            m_all.Add(QStringLiteral("tag %1: %2 more problems").arg(m_tag).arg(m_count - kMaxPerTag));
    }
    void Add(const QString &what)
    {
        if (++m_count <= kMaxPerTag)
            m_all.Add(QStringLiteral("tag %1: %2").arg(m_tag, what));
    }

private:
    TProblems &m_all;
    QString m_tag;
    int m_count = 0;
};

// The key a row gives for a tag on one field, as the engine must store it.
std::optional<dbase::KeyBytes> ExpectedKey(const dbase::Record &rec, int field, const dbase::TagInfo &tag)
{
    const dbase::FieldDef &f = rec.GetLayout().fields[size_t(field)];
    switch (tag.type) {
    case dbase::KeyType::Character:
        if (f.type != dbase::FieldType::Character)
            return std::nullopt;
        return dbase::EncodeCharKey(rec.RawField(field), tag.keyLength);
    case dbase::KeyType::Numeric: {
        if (f.type != dbase::FieldType::Numeric && f.type != dbase::FieldType::Float)
            return std::nullopt;
        const auto value = rec.AsDouble(field);
        return dbase::EncodeNumericKeyFromText(value ? rec.AsString(field).toStdString() : std::string("0"));
    }
    case dbase::KeyType::Date: {
        if (f.type != dbase::FieldType::Date)
            return std::nullopt;
        const QDate d = rec.AsDate(field);
        return dbase::EncodeDateKey(d.isValid() ? dbase::JulianDay(d.year(), d.month(), d.day()) : 0);
    }
    }
    return std::nullopt;
}

QString Printable(const dbase::KeyBytes &key, const dbase::TagInfo &tag)
{
    switch (tag.type) {
    case dbase::KeyType::Numeric: return QString::fromStdString(dbase::DecodeNumericKey(key));
    case dbase::KeyType::Date: return QString::number(dbase::DecodeDateKey(key));
    case dbase::KeyType::Character: break;
    }
    QString s = QString::fromLatin1(key.data(), qsizetype(key.size())).trimmed();
    for (QChar &c : s)
        if (c.unicode() < 32)
            c = QLatin1Char('?');
    return QLatin1Char('"') + s + QLatin1Char('"');
}

int FieldOfTag(const dbase::Layout &layout, const dbase::TagInfo &tag)
{
    return layout.FieldIndex(tag.expression.trimmed());
}

// Checks the tags of one index. What a writer killed mid-way leaves (see TTableCheck) goes to
// leftovers, everything else to problems.
void CheckTags(TDbfReader &reader, const QString &mdxPath, TProblems &problems, TProblems &leftovers)
{
    TProblems mdxProblems(mdxPath);
    TProblems mdxLeftovers(mdxPath, kInterrupted);
    dbase::File file(mdxPath, dbase::File::Mode::ReadOnly);
    // Writers hold this lock exclusively from their dirty mark to their commit, so while we
    // hold it shared a set mark means a dead writer, and the count read now is the committed one.
    file.Lock(dbase::fmt::kLockIndex, 1, dbase::LockKind::Shared);
    reader.RefreshCount();
    std::unique_ptr<dbase::MdxFile> index;
    try {
        index = std::make_unique<dbase::MdxFile>(file);
    } catch (const dbase::EDBEngineError &e) {
        mdxProblems.Add(e.Message().replace(QLatin1Char('\n'), QLatin1Char(' ')));
        problems.Append(mdxProblems);
        return;
    }
    const bool marked = index->IsDirty();
    std::vector<QString> structureLeftovers;
    for (const QString &line : index->CheckStructure(marked ? &structureLeftovers : nullptr))
        mdxProblems.Add(line);
    if (marked)
        mdxLeftovers.Add(QStringLiteral("marked as being changed by a writer that is no longer running"));
    for (const QString &line : structureLeftovers)
        mdxLeftovers.Add(line);
    if (const uint32_t pages = index->UncountedPages())
        mdxLeftovers.Add(QStringLiteral("%1 pages past the header's page count").arg(pages));

    const dbase::Layout &layout = *reader.SharedLayout();
    const auto &tags = index->Tags();
    const auto &header = reader.Header();

    // Descriptor byte 31 marks fields that are the whole key of a tag.
    for (size_t i = 0; i < layout.fields.size(); ++i) {
        bool keyed = false;
        for (const auto &t : tags)
            keyed = keyed || t.expression.trimmed().compare(layout.fields[i].name, Qt::CaseInsensitive) == 0;
        // dBase itself leaves the flag 0 on some keyed fields, so only a stray 1 is a fault.
        if (layout.fields[i].indexFlag && !keyed)
            problems.Add(QStringLiteral("field %1: index flag is set but no tag keys on it").arg(layout.fields[i].name));
    }

    // Expected keys of the tags on one field without a filter, from one pass over the rows.
    std::vector<int> fieldOf(tags.size(), -1);
    std::vector<std::vector<dbase::KeyBytes>> expected(tags.size());
    for (size_t t = 0; t < tags.size(); ++t)
        if (tags[t].filter.trimmed().isEmpty()) {
            fieldOf[t] = FieldOfTag(layout, tags[t]);
            if (fieldOf[t] >= 0)
                expected[t].reserve(header.recordCount);
        }
    std::vector<bool> typeMismatch(tags.size(), false);
    dbase::Record rec(reader.SharedLayout());
    reader.ForEachBlock([&](uint32_t, const char *rows, uint32_t count) {
        for (uint32_t r = 0; r < count; ++r) {
            rec.MutableBytes().assign(rows + size_t(r) * header.recordLength, header.recordLength);
            for (size_t t = 0; t < tags.size(); ++t) {
                if (fieldOf[t] < 0)
                    continue;
                auto key = ExpectedKey(rec, fieldOf[t], tags[t]);
                if (!key) {
                    typeMismatch[t] = true;
                    fieldOf[t] = -1;
                    continue;
                }
                expected[t].push_back(std::move(*key));
            }
        }
    });

    for (size_t t = 0; t < tags.size(); ++t) {
        const dbase::TagInfo &tag = tags[t];
        TTagProblems tagProblems(mdxProblems, tag.name);
        TTagProblems tagLeftovers(mdxLeftovers, tag.name);
        // With the mark set every key that disagrees with the rows is the dead writer's.
        TTagProblems &keyProblems = marked ? tagLeftovers : tagProblems;
        if (typeMismatch[t]) {
            tagProblems.Add(QStringLiteral("key type does not match field %1").arg(tag.expression.trimmed()));
            continue;
        }
        std::vector<dbase::IndexEntry> entries;
        try {
            entries = index->All(int(t));
        } catch (const dbase::EDBEngineError &e) {
            tagProblems.Add(e.Message().replace(QLatin1Char('\n'), QLatin1Char(' ')));
            continue;
        }
        for (size_t i = 1; i < entries.size(); ++i) {
            int c = dbase::CompareKeys(tag.type, entries[i - 1].key, entries[i].key);
            if (tag.descending)
                c = -c;
            if (c > 0)
                tagProblems.Add(QStringLiteral("key %1 (record %2) comes after %3 (record %4)")
                                    .arg(Printable(entries[i].key, tag)).arg(entries[i].recno)
                                    .arg(Printable(entries[i - 1].key, tag)).arg(entries[i - 1].recno));
        }
        if (fieldOf[t] < 0)
            continue; // an expression or a filter: only the order can be checked
        std::vector<uint8_t> seen(size_t(header.recordCount) + 1, 0);
        int pastTheEnd = 0; // entries for the one row an append past the count was adding
        for (const dbase::IndexEntry &e : entries) {
            if (e.recno == 0 || e.recno > header.recordCount) {
                const bool crashedAppend = e.recno == uint64_t(header.recordCount) + 1 && ++pastTheEnd == 1;
                (crashedAppend ? tagLeftovers : keyProblems)
                    .Add(QStringLiteral("entry for record %1, beyond the %2 rows").arg(e.recno).arg(header.recordCount));
                continue;
            }
            if (seen[e.recno] < 255)
                ++seen[e.recno];
            const dbase::KeyBytes &want = expected[t][e.recno - 1];
            if (e.key.size() != want.size() || dbase::CompareKeys(tag.type, e.key, want) != 0)
                keyProblems.Add(QStringLiteral("record %1 has key %2, its row gives %3")
                                    .arg(e.recno).arg(Printable(e.key, tag), Printable(want, tag)));
        }
        for (uint32_t r = 1; r <= header.recordCount; ++r)
            if (seen[r] != 1)
                keyProblems.Add(QStringLiteral("record %1 has %2 keys instead of one").arg(r).arg(seen[r]));
    }
    problems.Append(mdxProblems);
    leftovers.Append(mdxLeftovers);
}

// What the check of one table found. Leftovers are what a writer killed in the middle of a
// change leaves in the index by design: the dirty mark, entries for the row an append was
// adding past the count, keys that disagree with the rows while the mark is set, pages not
// yet counted. Readers never see them and a rebuild of the tags clears them, so they are
// not damage.
struct TTableCheck {
    QStringList problems;
    QStringList leftovers;
};

TTableCheck CheckTable(const QString &path)
{
    TProblems problems(path);
    TProblems leftovers(path, kInterrupted);
    std::unique_ptr<TDbfReader> reader;
    try {
        reader = std::make_unique<TDbfReader>(path);
    } catch (const dbase::EDBEngineError &e) {
        problems.Add(e.Message().replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return {problems.Lines(), {}};
    }
    try {
        const auto &h = reader->Header();
        const int expectedHeader = dbase::fmt::kHeaderSize + dbase::fmt::kDescriptorSize * int(h.fields.size()) + 1;
        if (h.headerLength != expectedHeader)
            problems.Add(QStringLiteral("header length %1, expected %2 for %3 fields")
                             .arg(h.headerLength).arg(expectedHeader).arg(h.fields.size()));
        // Every row must carry a valid deletion flag.
        int badFlags = 0;
        reader->ForEachBlock([&](uint32_t first, const char *rows, uint32_t count) {
            for (uint32_t r = 0; r < count; ++r) {
                const char flag = rows[size_t(r) * h.recordLength];
                if (flag != char(dbase::fmt::kActive) && flag != char(dbase::fmt::kDeleted) && ++badFlags <= kMaxPerTag)
                    problems.Add(QStringLiteral("record %1 has an invalid deletion flag 0x%2")
                                     .arg(first + r).arg(uint8_t(flag), 2, 16, QLatin1Char('0')));
            }
        });
        if (badFlags > kMaxPerTag)
            problems.Add(QStringLiteral("%1 more records with an invalid deletion flag").arg(badFlags - kMaxPerTag));

        const QFileInfo fi(path);
        const QString mdxPath = dbase::FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".mdx"));
        const bool haveMdx = QFileInfo::exists(mdxPath);
        if (h.productionIndex && !haveMdx)
            problems.Add(QStringLiteral("production-index flag is set but %1 is missing").arg(QFileInfo(mdxPath).fileName()));
        if (!h.productionIndex && haveMdx)
            problems.Add(QStringLiteral("%1 exists but the production-index flag is not set").arg(QFileInfo(mdxPath).fileName()));
        if (haveMdx) {
            CheckTags(*reader, mdxPath, problems, leftovers);
        } else {
            for (const auto &f : h.fields)
                if (f.indexFlag)
                    problems.Add(QStringLiteral("field %1: index flag is set without an index").arg(f.name));
        }
    } catch (const dbase::EDBEngineError &e) {
        problems.Add(e.Message().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    } catch (const std::bad_alloc &) {
        problems.Add(QStringLiteral("out of memory while checking"));
    }
    return {problems.Lines(), leftovers.Lines()};
}

// Rebuilds the tags of a table left by a dead writer, when nobody else has it open. Only
// the index is written: the exclusive open repairs a marked index itself, and a rebuild
// reads the rows without changing them.
struct TRepair {
    enum class Outcome { Repaired, InUse, Failed } outcome;
    QString line; // what happened, for the report
};

TRepair Repair(const QString &path)
{
    const QFileInfo fi(path);
    const QString name = QFileInfo(dbase::FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".mdx"))).fileName();
    try {
        dbase::Table table(path, dbase::Table::Mode::Exclusive);
        if (table.Index() && !table.Index()->IsDirty())
            table.RebuildIndex(); // leftovers without the mark: the open had nothing to do
        return {TRepair::Outcome::Repaired,
                QStringLiteral("%1: %2 repaired: tags rebuilt from the %3 rows of %4, which were left as they are")
                    .arg(name, kInterrupted).arg(table.RecordCount()).arg(fi.fileName())};
    } catch (const dbase::EDBEngineError &e) {
        if (e.Code() == dbase::kFileInUse)
            return {TRepair::Outcome::InUse,
                    QStringLiteral("%1: %2 not repaired: the table is open elsewhere; its next writer repairs the index")
                        .arg(name, kInterrupted)};
        QString message = e.Message();
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return {TRepair::Outcome::Failed,
                QStringLiteral("%1: %2 not repaired: [%3] %4").arg(name, kInterrupted).arg(e.Code()).arg(message)};
    }
}

} // namespace

int Check(const QStringList &args)
{
    const QString dir = OnlyArgument(args, "DIR");
    const QDir d(dir);
    if (!QFileInfo(dir).isDir())
        throw dbase::EDBEngineError(dbase::kTableNotFound, QStringLiteral("Folder does not exist: %1").arg(dir));
    QStringList tables;
    for (const QString &name : d.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (QFileInfo(name).suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0)
            tables << d.filePath(name);
    if (tables.isEmpty())
        throw dbase::EDBEngineError(dbase::kTableNotFound, QStringLiteral("No table in %1").arg(dir));
    int problems = 0;
    auto print = [](const QString &line) { std::printf("%s\n", line.toUtf8().constData()); };
    auto report = [&](const QStringList &lines) {
        for (const QString &line : lines) {
            print(line);
            ++problems;
        }
    };
    for (const QString &path : tables) {
        const TTableCheck found = CheckTable(path);
        for (const QString &line : found.leftovers)
            print(line);
        // Real damage is left for a reindex to deal with, in full view.
        if (found.leftovers.isEmpty() || !found.problems.isEmpty()) {
            report(found.problems);
            continue;
        }
        const TRepair repair = Repair(path);
        print(repair.line);
        if (repair.outcome == TRepair::Outcome::Failed) {
            ++problems;
        } else if (repair.outcome == TRepair::Outcome::Repaired) {
            // Whatever the rebuild did not clear was damage after all.
            const TTableCheck after = CheckTable(path);
            report(after.problems);
            report(after.leftovers);
        }
    }
    std::fflush(stdout);
    if (problems == 0)
        return 0;
    std::fprintf(stderr, "bailtool: %d problem%s found in %s\n", problems, problems == 1 ? "" : "s",
                 QFile::encodeName(dir).constData());
    return 1;
}

} // namespace tool
