#include "ToolTestUtil.h"

#include "db/Demo.h"
#include "db/Schema.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

struct TKeyLine {
    QString key;
    QString recno;
};

std::vector<TKeyLine> OurKeys(const QString &dbf, const QString &tag)
{
    QByteArray out, err;
    EXPECT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("keys"), dbf, tag}, &out, &err), 0) << err.toStdString();
    std::vector<TKeyLine> keys;
    for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype tab = line.lastIndexOf(QLatin1Char('\t'));
        keys.push_back({SplitEscaped(line.left(tab)).join(QLatin1Char('|')), line.mid(tab + 1)});
    }
    return keys;
}

// "key recno" lines of the Perl index walker, keys decoded from Windows-1252.
std::vector<TKeyLine> PerlKeys(const QString &mdx, const QString &tag)
{
    QByteArray out, err;
    EXPECT_EQ(RunRaw(QStringLiteral("index_dump"), {mdx, tag}, &out, &err), 0) << err.toStdString();
    std::vector<TKeyLine> keys;
    const dbase::CodePage &cp = dbase::CodePage::Windows1252();
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype sp = line.lastIndexOf(' ');
        const QByteArray key = line.left(sp);
        keys.push_back({ChopSpaces(cp.Decode(key.constData(), size_t(key.size()))), QString::fromLatin1(line.mid(sp + 1))});
    }
    return keys;
}

} // namespace

TEST(Keys, EveryDemoTagWalksInThePerlIndexOrder)
{
    if (!testsupport::HaveProgram(QStringLiteral("index_dump")))
        GTEST_SKIP() << "index_dump (libdbd-xbase-perl) not installed";
    auto tmp = testsupport::TempDir();
    db::MakeDemoFolder(tmp->path(), 2000, 60);
    for (const db::TTagDesc &tag : db::Tags()) {
        SCOPED_TRACE(std::string(tag.table) + "." + tag.tag);
        const db::TTableDesc *table = db::FindTable(QLatin1String(tag.table));
        const auto ours = OurKeys(db::TableFile(tmp->path(), *table, "dbf"), QLatin1String(tag.tag));
        const auto perl = PerlKeys(db::TableFile(tmp->path(), *table, "mdx"), QLatin1String(tag.tag));
        ASSERT_EQ(ours.size(), perl.size());
        ASSERT_GT(ours.size(), 10u);
        const bool numeric = QLatin1String(tag.field) == QLatin1String("NOLOCATEUR");
        for (size_t i = 0; i < ours.size(); ++i) {
            ASSERT_EQ(ours[i].recno, perl[i].recno) << "entry " << i;
            if (!numeric) {
                ASSERT_EQ(ours[i].key, perl[i].key) << "entry " << i;
            }
        }
    }
}

TEST(Keys, ForeignExpressionAndNumericTags)
{
    const QString dir = testsupport::FixtureDir(QStringLiteral("dbase"));
    REQUIRE_FIXTURES(dir);
    const auto id = OurKeys(dir + QStringLiteral("/s7/BAUSTEIN.DBF"), QStringLiteral("ID_TAG"));
    QStringList walk;
    for (const auto &k : id)
        walk << k.key + QLatin1Char('>') + k.recno;
    EXPECT_EQ(walk.join(' '), QStringLiteral("2>6 3>5 4>4 5>3 6>2 7>1 8>8 9>9 10>10 11>11"));

    const auto test2 = OurKeys(dir + QStringLiteral("/jdbfdriver/TEST.DBF"), QStringLiteral("test2"));
    ASSERT_EQ(test2.size(), 3u);
    EXPECT_EQ(test2[0].key + test2[1].key + test2[2].key, QStringLiteral("101520"));
    EXPECT_EQ(test2[0].recno + test2[1].recno + test2[2].recno, QStringLiteral("132"));

    const auto uname = OurKeys(dir + QStringLiteral("/s7/SYMLISTS.DBF"), QStringLiteral("__UNAME"));
    ASSERT_EQ(uname.size(), 2u);
    EXPECT_EQ(uname[0].key, QStringLiteral("Symbols"));
    EXPECT_EQ(uname[0].recno, QStringLiteral("2"));

    EXPECT_TRUE(OurKeys(dir + QStringLiteral("/s7/SYMLIST.DBF"), QStringLiteral("__OPHIST")).empty()); // an empty tree

    QString err;
    EXPECT_EQ(Tool({QStringLiteral("keys"), dir + QStringLiteral("/s7/BAUSTEIN.DBF"), QStringLiteral("NOPE")}, nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("TYPNUMBER_"))) << err.toStdString(); // lists the tags there are
}
