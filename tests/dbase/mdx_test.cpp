// The .mdx index module: key encodings, reading the fixtures written by other
// programs (cross-checked with Perl XBase's reader), trees our writer builds and
// changes, damaged files, and a write failure in the middle of a split.

#include "support/TestSupport.h"
#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Mdx.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbase;

namespace {

QString Fixture(const QString &rel)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + rel;
}

const QStringList kFixtureMdx = {"s7/BAUSTEIN.MDX", "s7/SYMLIST.MDX", "s7/SYMLISTS.MDX", "s7/XR000001.MDX",
                                 "jdbfdriver/TEST.MDX"};

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

uint32_t U32(const QByteArray &b, qsizetype at)
{
    return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
         | uint32_t(uint8_t(b[at + 3])) << 24;
}
void PutU32(QByteArray &b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(uint8_t(v >> (8 * i)));
}

std::string Hex(const std::string &s)
{
    static const char *d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

// Key text as the Perl tools print it: numbers as decimals without trailing
// fraction zeros, dates as YYYYMMDD, characters without trailing blanks.
QString Canonical(QString text)
{
    text = text.trimmed();
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString KeyText(KeyType type, const KeyBytes &key)
{
    switch (type) {
    case KeyType::Numeric:
        return Canonical(QString::fromStdString(DecodeNumericKey(key)));
    case KeyType::Date: {
        const int jd = DecodeDateKey(key);
        if (jd == 0)
            return QStringLiteral("(blank)");
        int y = 0, m = 0, d = 0;
        CivilFromJulian(jd, y, m, d);
        return QString::asprintf("%04d%02d%02d", y, m, d);
    }
    case KeyType::Character:
        break;
    }
    return QString::fromUtf8(key.data(), qsizetype(key.size())).trimmed();
}

using Walk = std::vector<std::pair<QString, uint32_t>>;

Walk OurWalk(const MdxFile &m, int tag)
{
    Walk w;
    for (const IndexEntry &e : m.All(tag))
        w.push_back({KeyText(m.Tags()[size_t(tag)].type, e.key), e.recno});
    return w;
}

// The same tag walked by Perl XBase: index_dump for character keys, the decoding
// one-liner from the format notes for numeric and date keys.
bool PerlWalk(const QString &mdx, const QString &tag, KeyType type, Walk &out)
{
    QString text, err;
    int rc = 0;
    if (type == KeyType::Character) {
        rc = testsupport::Run(QStringLiteral("index_dump"), {mdx, tag}, &text, &err);
    } else {
        const QString script = QStringLiteral(R"PERL(
  my ($f,$t)=@ARGV; my $ix=XBase::Index->new($f, tag=>$t) or die XBase::Index->errstr;
  my $ty=$ix->{active}{key_type}; $ix->prepare_select or die $ix->errstr;
  while (my ($k,$r)=$ix->fetch) {
    if ($ty eq "N") { my @b=unpack "C12",$k; my $e=$b[0]-52; my $n=($b[1]>>2)&31;
      my $d=substr(join("",map{sprintf "%02x",$_}@b[2..11]),0,$n);
      $d.="0" x ($e-length $d) if $e>length $d;
      $k=$n==0 ? "0" : $e>0 ? substr($d,0,$e).(length($d)>$e ? ".".substr($d,$e) : "") : "0.".("0" x -$e).$d;
      $k="-$k" if $b[1]&0x80 }
    elsif ($ty eq "D") { my $j=unpack "d<",$k; $k=$j ? strftime("%Y%m%d",gmtime(($j-2440588)*86400)) : "(blank)" }
    print "$k\t$r\n" })PERL");
        rc = testsupport::Run(QStringLiteral("perl"), {"-MXBase::Index", "-MPOSIX=strftime", "-e", script, mdx, tag},
                              &text, &err);
    }
    if (rc != 0) {
        ADD_FAILURE() << "Perl reader failed on " << mdx.toStdString() << " " << tag.toStdString() << ": "
                      << err.toStdString();
        return false;
    }
    out.clear();
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype cut = type == KeyType::Character ? line.lastIndexOf(QLatin1Char(' '))
                                                         : line.lastIndexOf(QLatin1Char('\t'));
        if (cut < 0) {
            ADD_FAILURE() << "unexpected Perl output line: " << line.toStdString();
            return false;
        }
        out.push_back({Canonical(line.left(cut)), line.mid(cut + 1).toUInt()});
    }
    return true;
}

bool HavePerlReader()
{
    return testsupport::HaveProgram(QStringLiteral("index_dump")) && testsupport::HaveProgram(QStringLiteral("perl"));
}

void ExpectSameAsPerl(const MdxFile &m, const QString &path)
{
    for (size_t t = 0; t < m.Tags().size(); ++t) {
        Walk perl;
        if (!PerlWalk(path, m.Tags()[t].name, m.Tags()[t].type, perl))
            return;
        EXPECT_EQ(OurWalk(m, int(t)), perl) << path.toStdString() << " tag " << m.Tags()[t].name.toStdString();
    }
}

// Walks with First/Next and Last/Prior and checks both give All() (forwards and back).
void ExpectStepwiseWalks(const MdxFile &m, int tag)
{
    const std::vector<IndexEntry> all = m.All(tag);
    std::vector<IndexEntry> fwd, back;
    IndexEntry e;
    for (bool ok = m.First(tag, e); ok && fwd.size() <= all.size(); ok = m.Next(tag, IndexEntry(e), e))
        fwd.push_back(e);
    for (bool ok = m.Last(tag, e); ok && back.size() <= all.size(); ok = m.Prior(tag, IndexEntry(e), e))
        back.push_back(e);
    std::reverse(back.begin(), back.end());
    auto same = [](const std::vector<IndexEntry> &a, const std::vector<IndexEntry> &b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const IndexEntry &x, const IndexEntry &y) { return x.key == y.key && x.recno == y.recno; });
    };
    EXPECT_TRUE(same(fwd, all)) << "forward walk differs from the tree, tag " << tag;
    EXPECT_TRUE(same(back, all)) << "backward walk differs from the tree, tag " << tag;
}

// Depth of a tag's tree, read straight from the file: 1 for a single leaf.
int TreeDepth(const QByteArray &file, const TagInfo &tag, int itemLength)
{
    uint32_t page = U32(file, qsizetype(tag.headerPage) * 512);
    for (int depth = 1; depth < 64; ++depth) {
        const qsizetype at = qsizetype(page) * 512;
        const uint32_t n = U32(file, at);
        const uint32_t right = U32(file, at + 8 + qsizetype(n) * itemLength);
        if (right == 0)
            return depth;
        page = right;
    }
    return -1;
}

struct Model {
    KeyType type;
    std::multiset<std::pair<std::string, uint32_t>, std::function<bool(const std::pair<std::string, uint32_t> &,
                                                                        const std::pair<std::string, uint32_t> &)>>
        set;
    explicit Model(KeyType t)
        : type(t)
        , set([t](const auto &a, const auto &b) {
            const int c = CompareKeys(t, a.first, b.first);
            return c != 0 ? c < 0 : a.second < b.second;
        })
    {
    }
    std::vector<IndexEntry> Entries() const
    {
        std::vector<IndexEntry> out;
        for (const auto &[k, r] : set)
            out.push_back({k, r});
        return out;
    }
};

bool SameEntries(const std::vector<IndexEntry> &a, const std::vector<IndexEntry> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const IndexEntry &x, const IndexEntry &y) { return x.key == y.key && x.recno == y.recno; });
}

KeyBytes NumKey(int v) { return EncodeNumericKeyFromText(std::to_string(v)); }

} // namespace

// ---- keys ---------------------------------------------------------------------------

TEST(MdxKeys, NumericEncodingMatchesObservedBytes)
{
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("1")), "350510000000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("36")), "360936000000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("140")), "370914000000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("15940")), "391115940000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("0")), "340100000000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("  -0.00 ")), "340100000000000000000000");
    EXPECT_EQ(Hex(EncodeNumericKeyFromText("")), "340100000000000000000000");
    EXPECT_EQ(uint8_t(EncodeNumericKeyFromText("0.5")[0]), 0x34);
    EXPECT_EQ(uint8_t(EncodeNumericKeyFromText("0.05")[0]), 0x33);
    EXPECT_EQ(uint8_t(EncodeNumericKeyFromText("-12.50")[1]), 0x80 | (3 << 2) | 1);
    EXPECT_EQ(EncodeNumericKey(15940.0), EncodeNumericKeyFromText("15940"));
    EXPECT_EQ(EncodeNumericKey(-0.125), EncodeNumericKeyFromText("-.125"));
    EXPECT_EQ(EncodeNumericKey(1.23456789012346), EncodeNumericKeyFromText("1.234567890123460000"));
    for (const char *bad : {"12a", "1.2.3", "-", "*****", "1e5"})
        EXPECT_THROW(EncodeNumericKeyFromText(bad), EDBEngineError) << bad;

    for (const char *text : {"0", "7", "-7", "10", "0.05", "-0.5", "123.456", "99999999999999999999", "1000000"})
        EXPECT_EQ(DecodeNumericKey(EncodeNumericKeyFromText(text)), std::string(text));
}

TEST(MdxKeys, NumericKeysCompareByValueWhateverTheDigitCount)
{
    const std::vector<std::string> ascending = {"-1000", "-99.5", "-2", "-1", "-0.001", "0", "0.0001", "0.5",
                                                "1",     "1.5",   "9",  "10", "11",     "99", "100", "15940"};
    for (size_t i = 0; i < ascending.size(); ++i)
        for (size_t j = 0; j < ascending.size(); ++j) {
            const int c = CompareKeys(KeyType::Numeric, EncodeNumericKeyFromText(ascending[i]),
                                      EncodeNumericKeyFromText(ascending[j]));
            EXPECT_EQ(c, i < j ? -1 : (i > j ? 1 : 0)) << ascending[i] << " vs " << ascending[j];
        }
    // dBase IV itself stores 10 with digit count 10 (36 29 10 ...); zero may come as 00 10.
    KeyBytes dbase10(12, '\0');
    dbase10[0] = 0x36;
    dbase10[1] = 0x29;
    dbase10[2] = 0x10;
    EXPECT_EQ(CompareKeys(KeyType::Numeric, dbase10, NumKey(10)), 0);
    EXPECT_LT(CompareKeys(KeyType::Numeric, dbase10, NumKey(15)), 0);
    KeyBytes otherZero(12, '\0');
    otherZero[1] = 0x10;
    EXPECT_EQ(CompareKeys(KeyType::Numeric, otherZero, NumKey(0)), 0);
}

TEST(MdxKeys, DatesAndCharacters)
{
    EXPECT_EQ(JulianDay(1970, 1, 1), 2440588);
    EXPECT_EQ(JulianDay(1981, 1, 1), 2444606);
    EXPECT_EQ(JulianDay(2000, 3, 1) - JulianDay(2000, 2, 28), 2);
    EXPECT_EQ(JulianDay(1900, 3, 1) - JulianDay(1900, 2, 28), 1);
    for (int jd = JulianDay(1600, 1, 1); jd < JulianDay(2400, 1, 1); jd += 17) {
        int y = 0, m = 0, d = 0;
        CivilFromJulian(jd, y, m, d);
        ASSERT_EQ(JulianDay(y, m, d), jd);
        ASSERT_TRUE(m >= 1 && m <= 12 && d >= 1 && d <= 31);
    }
    EXPECT_EQ(EncodeDateKey(0), std::string(8, '\0'));
    EXPECT_EQ(DecodeDateKey(EncodeDateKey(2440588)), 2440588);
    EXPECT_EQ(Hex(EncodeDateKey(2444606)), "000000009fa64241"); // 2444606.0 as a little-endian double
    EXPECT_LT(CompareKeys(KeyType::Date, EncodeDateKey(0), EncodeDateKey(2440588)), 0);
    EXPECT_LT(CompareKeys(KeyType::Date, EncodeDateKey(2440588), EncodeDateKey(2440589)), 0);

    EXPECT_EQ(EncodeCharKey("abc", 5), "abc  ");
    EXPECT_EQ(EncodeCharKey("abcdef", 4), "abcd");
    EXPECT_LT(CompareKeys(KeyType::Character, "ab ", "abc"), 0);
    EXPECT_GT(CompareKeys(KeyType::Character, "\xE4 ", "z "), 0); // unsigned bytes
}

// ---- fixtures -----------------------------------------------------------------------

TEST(MdxFixtures, TagTablesAndHeaders)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    {
        File f(Fixture("s7/SYMLIST.MDX"), File::Mode::ReadOnly);
        MdxFile m(f);
        ASSERT_EQ(m.Tags().size(), 5u);
        const QStringList names = {"__ID", "__USKZ", "__SKZ", "__OPIEC", "__OPHIST"};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(m.Tags()[size_t(i)].name, names[i]);
        EXPECT_EQ(m.Tags()[0].type, KeyType::Numeric);
        EXPECT_EQ(m.Tags()[1].expression, "UPPER(LTRIM(TRIM(_SKZ)))");
        EXPECT_EQ(m.Tags()[1].keyLength, 24);
        EXPECT_EQ(m.Tags()[4].filter, ".FALSE.");
        EXPECT_EQ(m.FindTag("__opiec"), 3);
        EXPECT_EQ(m.FindTag("NOPE"), -1);
        EXPECT_TRUE(m.All(4).empty());
        IndexEntry e;
        EXPECT_FALSE(m.First(4, e));
        EXPECT_EQ(m.All(0).size(), 9u);
        EXPECT_TRUE(m.CheckStructure().empty()) << m.CheckStructure().front().toStdString();
    }
    {
        File f(Fixture("s7/BAUSTEIN.MDX"), File::Mode::ReadOnly);
        MdxFile m(f);
        ASSERT_EQ(m.Tags().size(), 2u);
        EXPECT_EQ(m.Tags()[1].name, "TYPNUMBER_");
        EXPECT_EQ(m.Tags()[1].expression, "TYP + NUMMER");
        EXPECT_TRUE(m.Tags()[0].unique && m.Tags()[1].unique);
        EXPECT_EQ(m.Tags()[0].filter, ".NOT. DELETED()");
        std::vector<uint32_t> recnos;
        for (const IndexEntry &e : m.All(0))
            recnos.push_back(e.recno);
        EXPECT_EQ(recnos, (std::vector<uint32_t>{6, 5, 4, 3, 2, 1, 8, 9, 10, 11}));
        EXPECT_EQ(DecodeNumericKey(m.All(0).front().key), "2");
        IndexEntry e;
        ASSERT_TRUE(m.SeekGE(0, NumKey(8), e));
        EXPECT_EQ(e.recno, 8u);
        ASSERT_TRUE(m.SeekGE(1, "00014", e)); // short character keys are blank padded
        EXPECT_EQ(e.recno, 11u);
    }
    {
        // dBase IV's own file: garbage in unused slots and header bytes, digit count 10.
        File f(Fixture("jdbfdriver/TEST.MDX"), File::Mode::ReadOnly);
        MdxFile m(f);
        ASSERT_EQ(m.Tags().size(), 2u);
        EXPECT_EQ(m.Tags()[0].keyLength, 50);
        EXPECT_EQ(m.Tags()[1].expression, "test2");
        EXPECT_FALSE(m.IsDirty()); // byte 48 holds leftover text there
        std::vector<std::string> keys;
        for (const IndexEntry &e : m.All(1))
            keys.push_back(DecodeNumericKey(e.key));
        EXPECT_EQ(keys, (std::vector<std::string>{"10", "15", "20"}));
        EXPECT_TRUE(m.CheckStructure().empty());
    }
    {
        File f(Fixture("s7/XR000001.MDX"), File::Mode::ReadOnly);
        MdxFile m(f);
        ASSERT_EQ(m.Tags().size(), 4u);
        EXPECT_EQ(m.Tags()[1].keyLength, 15);
        for (int t = 0; t < 4; ++t)
            EXPECT_TRUE(m.All(t).empty());
        EXPECT_TRUE(m.CheckStructure().empty());
    }
}

TEST(MdxFixtures, EveryTagWalksLikePerl)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    if (!HavePerlReader())
        GTEST_SKIP() << "Perl XBase (libdbd-xbase-perl) not installed";
    for (const QString &rel : kFixtureMdx) {
        File f(Fixture(rel), File::Mode::ReadOnly);
        MdxFile m(f);
        ExpectSameAsPerl(m, Fixture(rel));
        for (size_t t = 0; t < m.Tags().size(); ++t)
            ExpectStepwiseWalks(m, int(t));
    }
}

TEST(MdxFixtures, ChangingADbaseWrittenFileKeepsItReadable)
{
    REQUIRE_FIXTURES(Fixture(QString()));
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("BAUSTEIN.MDX");
    WriteAll(path, ReadAll(Fixture("s7/BAUSTEIN.MDX")));
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    // Unique tag: a second entry with an existing key is silently left out.
    m.Insert(0, {NumKey(5), 40});
    EXPECT_EQ(m.All(0).size(), 10u);
    for (int v = 100; v < 200; ++v)
        m.Insert(0, {NumKey(v), uint32_t(v)});
    EXPECT_TRUE(m.Remove(0, {NumKey(7), 1}));
    EXPECT_FALSE(m.Remove(0, {NumKey(7), 1}));
    EXPECT_EQ(m.All(0).size(), 109u);
    EXPECT_TRUE(m.CheckStructure().empty()) << m.CheckStructure().front().toStdString();
    if (HavePerlReader())
        ExpectSameAsPerl(m, path);
}

// ---- our writer ---------------------------------------------------------------------

TEST(MdxWriter, EmptyFileHeader)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("lease.mdx");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "Lease");
    }
    const QByteArray b = ReadAll(path);
    ASSERT_EQ(b.size(), 2048);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(b.mid(4, 16), QByteArray("LEASE\0\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(b.mid(20, 8), QByteArray("\x02\x00\x00\x04\x01\x30\x20\x00", 8));
    EXPECT_EQ(U32(b, 32), 4u);
    EXPECT_EQ(b[529], 1);
    EXPECT_EQ(b.mid(1, 3), b.mid(44, 3));
    int nonZero = 0;
    for (qsizetype i = 48; i < b.size(); ++i)
        nonZero += b[i] != 0 && i != 529;
    EXPECT_EQ(nonZero, 0);
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    EXPECT_TRUE(m.Tags().empty());
    EXPECT_FALSE(m.IsDirty());
    m.SetDirty(true);
    EXPECT_TRUE(m.IsDirty());
    EXPECT_EQ(ReadAll(path)[48], 1);
    m.SetDirty(false);
    EXPECT_EQ(ReadAll(path)[48], 0);
    EXPECT_TRUE(m.CheckStructure().empty());
}

TEST(MdxWriter, MultiLevelTreesUnderRandomChanges)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "t");
    }
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    std::mt19937 rng(20240807);
    std::vector<Model> models = {Model(KeyType::Numeric), Model(KeyType::Character), Model(KeyType::Date)};
    auto randomKey = [&](int tag) -> KeyBytes {
        switch (tag) {
        case 0: {
            const int v = int(rng() % 2000000) - 1000000;
            return EncodeNumericKeyFromText(std::to_string(v / 100) + "." + std::to_string(std::abs(v % 100)));
        }
        case 1: // few distinct values: long runs of equal keys across leaves
            return EncodeCharKey("name " + std::to_string(rng() % 40), 50);
        default:
            return EncodeDateKey(rng() % 10 == 0 ? 0 : JulianDay(1990, 1, 1) + int(rng() % 12000));
        }
    };
    const int counts[3] = {5000, 2000, 3000};
    const char *names[3] = {"AMOUNT", "NAME", "SIGNED"};
    const KeyType types[3] = {KeyType::Numeric, KeyType::Character, KeyType::Date};
    const int lengths[3] = {12, 50, 8};
    for (int t = 0; t < 3; ++t) {
        std::vector<IndexEntry> entries;
        for (int i = 0; i < counts[t]; ++i)
            entries.push_back({randomKey(t), uint32_t(i + 1)});
        std::shuffle(entries.begin(), entries.end(), rng);
        for (const IndexEntry &e : entries)
            models[size_t(t)].set.insert({e.key, e.recno});
        m.AddTag(names[t], names[t], types[t], lengths[t], entries);
    }
    uint32_t nextRecno = 5001;
    ASSERT_EQ(m.Tags().size(), 3u);
    for (int t = 0; t < 3; ++t)
        ASSERT_TRUE(SameEntries(m.All(t), models[size_t(t)].Entries())) << "after building tag " << t;

    // Inserts always use new record numbers (as appends do), so equal keys stay in
    // record-number order; removals pick random existing entries.
    for (int round = 0; round < 6000; ++round) {
        const int t = int(rng() % 3);
        auto &model = models[size_t(t)].set;
        if (rng() % 3 != 0 || model.empty()) {
            const IndexEntry e{randomKey(t), nextRecno++};
            m.Insert(t, e);
            model.insert({e.key, e.recno});
        } else {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            ASSERT_TRUE(m.Remove(t, {it->first, it->second}));
            model.erase(it);
        }
    }
    ASSERT_FALSE(m.Remove(1, {EncodeCharKey("name 1", 50), 999999}));
    const std::vector<QString> problems = m.CheckStructure();
    EXPECT_TRUE(problems.empty()) << problems.front().toStdString();

    const QByteArray bytes = ReadAll(path);
    EXPECT_EQ(U32(bytes, 32) * 512u, uint32_t(bytes.size()));
    EXPECT_GE(TreeDepth(bytes, m.Tags()[0], 16), 2);
    EXPECT_EQ(TreeDepth(bytes, m.Tags()[1], 56), 3); // branches above branches
    EXPECT_GE(TreeDepth(bytes, m.Tags()[2], 12), 2);
    for (int t = 0; t < 3; ++t) {
        const auto expected = models[size_t(t)].Entries();
        ASSERT_TRUE(SameEntries(m.All(t), expected)) << "tag " << t;
        ExpectStepwiseWalks(m, t);
        // SeekGE lands on the first entry not below the key.
        for (int i = 0; i < 200; ++i) {
            const KeyBytes k = randomKey(t);
            const auto lb = std::lower_bound(expected.begin(), expected.end(), k, [&](const IndexEntry &e, const KeyBytes &key) {
                return CompareKeys(types[t], e.key, key) < 0;
            });
            IndexEntry got;
            const bool found = m.SeekGE(t, k, got);
            ASSERT_EQ(found, lb != expected.end());
            if (found) {
                ASSERT_TRUE(got.key == lb->key && got.recno == lb->recno);
            }
        }
    }
    if (HavePerlReader())
        ExpectSameAsPerl(m, path);

    // Entries with equal keys go after the existing ones, whatever their numbers.
    const KeyBytes dup = EncodeCharKey("zz duplicate", 50);
    m.Insert(1, {dup, 90});
    m.Insert(1, {dup, 80});
    IndexEntry e;
    ASSERT_TRUE(m.SeekGE(1, dup, e));
    EXPECT_EQ(e.recno, 90u);
    ASSERT_TRUE(m.Next(1, e, e));
    EXPECT_EQ(e.recno, 80u);

    // Rebuilding compacts nothing but gives full leaves and the same walk.
    const auto before = m.All(0);
    m.RebuildTag(0, models[0].Entries());
    EXPECT_TRUE(SameEntries(m.All(0), before));
    m.RebuildTag(2, {});
    EXPECT_TRUE(m.All(2).empty());
    EXPECT_EQ(ReadAll(path)[qsizetype(m.Tags()[2].headerPage) * 512 + 246], 0); // has-keys byte
    EXPECT_TRUE(m.CheckStructure().empty());
}

TEST(MdxWriter, TagTableThreadsAfterAddAndDrop)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "T");
    }
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    for (const char *name : {"__ID", "__USKZ", "__SKZ", "__OPIEC", "__OPHIST"})
        m.AddTag(name, "F", KeyType::Character, 10, {{"a", 1}});
    EXPECT_THROW(m.AddTag("__skz", "F", KeyType::Character, 10, {}), EDBEngineError);
    EXPECT_THROW(m.AddTag("TOO LONG NAME", "F", KeyType::Character, 10, {}), EDBEngineError);
    EXPECT_THROW(m.AddTag("BIG", "F", KeyType::Character, 101, {}), EDBEngineError);
    auto threads = [&] {
        const QByteArray b = ReadAll(path);
        std::vector<std::string> out;
        for (int i = 0; i < uint8_t(b[28]); ++i) {
            const qsizetype e = 544 + 32 * i;
            out.push_back(std::to_string(uint8_t(b[e + 16])) + "/" + std::to_string(uint8_t(b[e + 17])) + "/"
                          + std::to_string(uint8_t(b[e + 18])));
            EXPECT_EQ(b[e + 15], 0x10);
            EXPECT_EQ(b[e + 19], 2);
            EXPECT_EQ(b[e + 20], 'C');
        }
        return out;
    };
    // Same names and order as the tag table of s7/SYMLIST.MDX, which has these threads.
    EXPECT_EQ(threads(), (std::vector<std::string>{"0/2/0", "3/0/1", "4/0/2", "5/0/3", "0/0/4"}));
    m.DropTag("__usKz");
    EXPECT_EQ(m.Tags().size(), 4u);
    EXPECT_EQ(m.FindTag("__USKZ"), -1);
    // __ID, __SKZ, __OPIEC, __OPHIST
    EXPECT_EQ(threads(), (std::vector<std::string>{"0/2/0", "3/0/1", "4/0/2", "0/0/3"}));
    EXPECT_THROW(m.DropTag("__USKZ"), EDBEngineError);
    const QByteArray b = ReadAll(path);
    EXPECT_EQ(b.mid(544 + 32 * 4, 32), QByteArray(32, '\0')); // the vacated slot is zeroed

    // The header of the tag just added, byte by byte where the layout is fixed.
    const qsizetype th = qsizetype(m.Tags()[0].headerPage) * 512;
    EXPECT_EQ(U32(b, th + 4), 2u);
    EXPECT_EQ(b[th + 8], 0x10);
    EXPECT_EQ(b[th + 9], 'C');
    EXPECT_EQ(b.mid(th + 12, 8), QByteArray("\x0a\x00\x3f\x00\x00\x00\x10\x00", 8)); // 10, 63 keys, no date, 16
    EXPECT_EQ(b.mid(th + 24, 2), QByteArray("F\0", 2));
    EXPECT_EQ(b[th + 246], 1);
    EXPECT_EQ(U32(b, th + 248), U32(b, th));
    EXPECT_TRUE(m.CheckStructure().empty());
}

TEST(MdxWriter, DescendingTagKeepsReverseOrder)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "T");
        MdxFile m(f);
        m.AddTag("N", "N", KeyType::Numeric, 12, {});
    }
    {
        // No writer we know makes descending tags; set the flag and rebuild.
        QByteArray b = ReadAll(path);
        File f(path, File::Mode::ReadWrite);
        MdxFile m(f);
        b[qsizetype(m.Tags()[0].headerPage) * 512 + 8] = 0x18;
        WriteAll(path, b);
    }
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    ASSERT_TRUE(m.Tags()[0].descending);
    std::vector<IndexEntry> entries;
    for (int i = 0; i < 300; ++i)
        entries.push_back({NumKey(i * 2), uint32_t(i + 1)});
    m.RebuildTag(0, entries);
    for (int i = 0; i < 300; ++i)
        m.Insert(0, {NumKey(i * 2 + 1), uint32_t(i + 301)});
    const auto all = m.All(0);
    ASSERT_EQ(all.size(), 600u);
    for (size_t i = 0; i < all.size(); ++i)
        ASSERT_EQ(DecodeNumericKey(all[i].key), std::to_string(599 - i));
    IndexEntry e;
    ASSERT_TRUE(m.SeekGE(0, NumKey(100), e));
    EXPECT_EQ(DecodeNumericKey(e.key), "100");
    ASSERT_TRUE(m.Next(0, e, e));
    EXPECT_EQ(DecodeNumericKey(e.key), "99");
    EXPECT_TRUE(m.CheckStructure().empty());
}

// Another process's changes are seen by the next call, even when they split the leaf
// a walk is standing on.
TEST(MdxWriter, SecondHandleSeesSplitsAndRemovals)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "T");
        MdxFile m(f);
        std::vector<IndexEntry> entries;
        for (int i = 0; i < 1000; ++i)
            entries.push_back({NumKey(i * 10), uint32_t(i + 1)});
        m.AddTag("N", "N", KeyType::Numeric, 12, entries);
    }
    File fr(path, File::Mode::ReadOnly), fw(path, File::Mode::ReadWrite);
    MdxFile reader(fr), writer(fw);
    IndexEntry at, next;
    ASSERT_TRUE(reader.SeekGE(0, NumKey(4990), at));
    ASSERT_TRUE(reader.Next(0, at, at));
    ASSERT_TRUE(reader.Next(0, at, next));
    EXPECT_EQ(DecodeNumericKey(next.key), "5010");
    // The reader stands on 5000, in the middle of a full leaf; the first insert right
    // after it splits that leaf. The old leaf page still holds 5000 and then 5010.
    for (int i = 1; i <= 6; ++i)
        writer.Insert(0, {EncodeNumericKeyFromText("4990." + std::to_string(i)), uint32_t(3000 + i)});
    ASSERT_TRUE(reader.SeekGE(0, NumKey(5000), at));
    for (int i = 1; i < 200; ++i)
        writer.Insert(0, {EncodeNumericKeyFromText(QString::asprintf("5000.%03d", i).toStdString()), uint32_t(2000 + i)});
    ASSERT_TRUE(reader.Next(0, at, next));
    EXPECT_EQ(DecodeNumericKey(next.key), "5000.001");
    // A removed position continues with the entry after it.
    ASSERT_TRUE(writer.Remove(0, next));
    IndexEntry after;
    ASSERT_TRUE(reader.Next(0, next, after));
    EXPECT_EQ(DecodeNumericKey(after.key), "5000.002");
    ASSERT_TRUE(reader.Prior(0, next, after));
    EXPECT_EQ(DecodeNumericKey(after.key), "5000");
    EXPECT_TRUE(reader.CheckStructure().empty());
    EXPECT_THROW(reader.Insert(0, {NumKey(1), 1}), EDBEngineError); // opened read-only
}

// ---- failures and damage -------------------------------------------------------------

// A write failing in the middle of a split (here: the file size limit, so that
// growing the file fails with EFBIG) leaves the tree as it was.
TEST(MdxFailure, FailedSplitLeavesTreeUnchanged)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    Model model(KeyType::Numeric);
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "T");
        MdxFile m(f);
        std::vector<IndexEntry> entries;
        for (int i = 0; i < 64; ++i)
            entries.push_back({NumKey(i), uint32_t(i + 1)});
        m.AddTag("ROOTLEAF", "N", KeyType::Numeric, 12, {}); // a single leaf filled to the brim below
        m.AddTag("TWOLEVEL", "N", KeyType::Numeric, 12, entries);
        for (int i = 0; i < 63; ++i)
            m.Insert(0, {NumKey(i), uint32_t(i + 1)});
    }
    for (int tag = 0; tag < 2; ++tag) {
        const QByteArray before = ReadAll(path);
        File probe(path, File::Mode::ReadOnly);
        const auto entriesBefore = MdxFile(probe).All(tag);
        fflush(nullptr);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Child: no file may grow by more than 700 bytes, so the new pages of a
            // split are written in part; SIGXFSZ would kill us.
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim {};
            getrlimit(RLIMIT_FSIZE, &lim);
            lim.rlim_cur = rlim_t(before.size() + 700);
            setrlimit(RLIMIT_FSIZE, &lim);
            int inserted = 0;
            try {
                File f(path, File::Mode::ReadWrite);
                MdxFile m(f);
                for (; inserted < 100; ++inserted)
                    m.Insert(tag, {NumKey(1000 + inserted), uint32_t(500 + inserted)});
            } catch (const EDBEngineError &e) {
                _exit(e.Code() == kIoError ? 10 + inserted : 2);
            } catch (...) {
            }
            _exit(1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        const int inserted = WEXITSTATUS(status) - 10;
        ASSERT_GE(inserted, 0) << "status " << WEXITSTATUS(status);
        EXPECT_EQ(tag == 0 ? 0 : 31, inserted); // the root leaf is full; the last of two 32-key leaves has room for 31

        File f(path, File::Mode::ReadWrite);
        MdxFile m(f);
        EXPECT_EQ(ReadAll(path).size(), before.size());
        std::vector<IndexEntry> expected = entriesBefore;
        for (int i = 0; i < inserted; ++i)
            expected.push_back({NumKey(1000 + i), uint32_t(500 + i)});
        EXPECT_TRUE(SameEntries(m.All(tag), expected));
        const auto problems = m.CheckStructure();
        EXPECT_TRUE(problems.empty()) << problems.front().toStdString();
        // Without the limit the same insert goes through.
        m.Insert(tag, {NumKey(1000 + inserted), uint32_t(500 + inserted)});
        EXPECT_EQ(m.All(tag).size(), expected.size() + 1);
        EXPECT_TRUE(m.CheckStructure().empty());
    }
}

// Every write of a change, made to fail in turn (half written, as on a full disk),
// leaves the file byte for byte as it was and the trees sound.
TEST(MdxFailure, EachWriteOfAChangeIsUndone)
{
    auto dir = testsupport::TempDir();
    const QString path = dir->filePath("T.MDX");
    {
        File f(path, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "T");
    }
    File f(path, File::Mode::ReadWrite);
    MdxFile m(f);
    std::vector<IndexEntry> entries;
    for (int i = 0; i < 64; ++i)
        entries.push_back({NumKey(i), uint32_t(i + 1)});
    m.AddTag("ROOTLEAF", "N", KeyType::Numeric, 12, {});
    m.AddTag("TWOLEVEL", "N", KeyType::Numeric, 12, entries);
    for (int i = 0; i < 63; ++i)
        m.Insert(0, {NumKey(i), uint32_t(i + 1)});
    for (int i = 0; i < 31; ++i)
        m.Insert(1, {NumKey(100 + i), uint32_t(100 + i)});

    // Runs op with the nth write failing, n = 1, 2, ... until it succeeds; returns
    // how many writes the change made.
    auto eachWrite = [&](const char *what, const std::function<void()> &op) {
        for (int n = 1; n < 50; ++n) {
            const QByteArray before = ReadAll(path);
            m.FailWriteForTesting(n);
            try {
                op();
            } catch (const EDBEngineError &e) {
                EXPECT_EQ(e.Code(), kIoError);
                EXPECT_TRUE(ReadAll(path) == before) << what << ": write " << n << " not undone";
                const auto problems = m.CheckStructure();
                EXPECT_TRUE(problems.empty()) << what << ": " << problems.front().toStdString();
                continue;
            }
            EXPECT_TRUE(m.CheckStructure().empty()) << what;
            return n - 1;
        }
        ADD_FAILURE() << what << " never succeeded";
        return 0;
    };
    // New pages, page count, counter, superseded mark, switch.
    EXPECT_EQ(eachWrite("leaf split", [&] { m.Insert(1, {NumKey(500), 500}); }), 5);
    EXPECT_EQ(eachWrite("root split", [&] { m.Insert(0, {NumKey(500), 500}); }), 4);
    EXPECT_GE(eachWrite("insert in place", [&] { m.Insert(1, {NumKey(501), 501}); }), 2);
    EXPECT_GE(eachWrite("removal", [&] { ASSERT_TRUE(m.Remove(1, {NumKey(5), 6})); }), 2);
    EXPECT_GE(eachWrite("rebuild", [&] { m.RebuildTag(1, entries); }), 5);
    EXPECT_EQ(eachWrite("add tag", [&] { m.AddTag("THIRD", "N", KeyType::Numeric, 12, entries); }), 3);
    EXPECT_EQ(eachWrite("drop tag", [&] { m.DropTag("ROOTLEAF"); }), 1);
    ASSERT_EQ(m.Tags().size(), 2u);
    EXPECT_TRUE(SameEntries(m.All(0), m.All(1)));
}

namespace {

// Opens path and reads everything; returns the error code, 0 when it all worked.
int OpenAndWalk(const QString &path)
{
    try {
        File f(path, File::Mode::ReadOnly);
        MdxFile m(f);
        for (size_t t = 0; t < m.Tags().size(); ++t) {
            m.All(int(t));
            IndexEntry e;
            int steps = 0;
            for (bool ok = m.First(int(t), e); ok && steps < 100000; ok = m.Next(int(t), IndexEntry(e), e))
                ++steps;
            for (bool ok = m.Last(int(t), e); ok && steps < 200000; ok = m.Prior(int(t), IndexEntry(e), e))
                ++steps;
            const KeyType type = m.Tags()[t].type;
            m.SeekGE(int(t), type == KeyType::Character ? KeyBytes("m") : type == KeyType::Numeric ? NumKey(50) : EncodeDateKey(2440588), e);
        }
        m.CheckStructure();
        return 0;
    } catch (const EDBEngineError &e) {
        EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
        return e.Code();
    }
}

} // namespace

TEST(MdxDamage, HostileFilesThrowCorrupt)
{
    auto dir = testsupport::TempDir();
    const QString good = dir->filePath("GOOD.MDX");
    {
        File f(good, File::Mode::CreateTruncate);
        MdxFile::CreateEmpty(f, "GOOD");
        MdxFile m(f);
        std::vector<IndexEntry> entries;
        for (int i = 0; i < 300; ++i)
            entries.push_back({NumKey(i), uint32_t(i + 1)});
        m.AddTag("N", "N", KeyType::Numeric, 12, entries);
    }
    const QByteArray base = ReadAll(good);
    const qsizetype th = qsizetype(U32(base, 544)) * 512;
    const qsizetype root = qsizetype(U32(base, th)) * 512;
    ASSERT_NE(U32(base, root + 8 + 16 * qsizetype(U32(base, root))), 0u) << "the root must be a branch";
    const QString bad = dir->filePath("BAD.MDX");
    auto expectCorrupt = [&](const char *what, const std::function<void(QByteArray &)> &damage) {
        QByteArray b = base;
        damage(b);
        WriteAll(bad, b);
        EXPECT_EQ(OpenAndWalk(bad), kCorruptFile) << what;
    };
    expectCorrupt("truncated header", [](QByteArray &b) { b.truncate(1000); });
    expectCorrupt("truncated before the tree", [&](QByteArray &b) { b.truncate(th + 1024); });
    expectCorrupt("version", [](QByteArray &b) { b[0] = 3; });
    expectCorrupt("one page per block", [](QByteArray &b) { b[20] = 1, b[22] = 0, b[23] = 2; });
    expectCorrupt("block size field", [](QByteArray &b) { b[22] = char(0xE8), b[23] = 3; });
    expectCorrupt("too many tags", [](QByteArray &b) { b[28] = char(200); });
    expectCorrupt("tag header beyond the end", [](QByteArray &b) { PutU32(b, 544, 100000); });
    expectCorrupt("tag header in the file header", [](QByteArray &b) { PutU32(b, 544, 1); });
    expectCorrupt("key length 0", [&](QByteArray &b) { b[th + 12] = 0; });
    expectCorrupt("item length beyond the block", [&](QByteArray &b) { b[th + 18] = 0, b[th + 19] = 4; });
    expectCorrupt("unknown key type", [&](QByteArray &b) { b[th + 9] = 'L'; });
    expectCorrupt("root beyond the end", [&](QByteArray &b) { PutU32(b, th, 99999); });
    expectCorrupt("root in the header", [&](QByteArray &b) { PutU32(b, th, 0); });
    expectCorrupt("key count larger than a block", [&](QByteArray &b) { PutU32(b, root, 1000); });
    expectCorrupt("branch points to itself", [&](QByteArray &b) { PutU32(b, root + 8 + 16, U32(b, th)); });
    expectCorrupt("branch children all the same", [&](QByteArray &b) {
        const uint32_t n = U32(b, root);
        for (uint32_t i = 1; i <= n; ++i)
            PutU32(b, root + 8 + 16 * i, U32(b, root + 8));
    });
    expectCorrupt("child beyond the end", [&](QByteArray &b) { PutU32(b, root + 8, 0x7FFFFFFF); });

    // Random damage anywhere in the tags' pages must never crash or hang.
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray b = base;
        for (int k = 0; k < 1 + int(rng() % 8); ++k)
            b[qsizetype(2048 + rng() % uint32_t(base.size() - 2048))] = char(rng());
        WriteAll(bad, b);
        const int code = OpenAndWalk(bad);
        EXPECT_TRUE(code == 0 || code == kCorruptFile) << "round " << round << " code " << code;
    }
    // The same for the fixtures, cut short at every page.
    if (!Fixture(QString()).isEmpty()) {
        for (const QString &rel : kFixtureMdx) {
            const QByteArray f = ReadAll(Fixture(rel));
            for (qsizetype cut = 0; cut < f.size(); cut += 512) {
                WriteAll(bad, f.left(cut));
                EXPECT_EQ(OpenAndWalk(bad), kCorruptFile) << rel.toStdString() << " cut at " << cut;
            }
        }
    }
}
