#include "DbTestUtil.h"
#include "support/TestSupport.h"

#include "db/Schema.h"
#include "dbase/EngineError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace db;

namespace {

struct TInfoField {
    QString name;
    QString type;
    int width = 0;
    int decimals = 0;
};

// Fields as the Perl reader reports them ("dbf_dump --info").
std::vector<TInfoField> PerlFields(const QString &path, QString *info)
{
    QString out, err;
    EXPECT_EQ(testsupport::Run(QStringLiteral("dbf_dump"), {QStringLiteral("--info"), path}, &out, &err), 0) << err.toStdString();
    *info = out;
    std::vector<TInfoField> fields;
    static const QRegularExpression row(QStringLiteral("^\\d+\\.\\s+(\\S+)\\s+(\\S)\\s+(\\d+)\\s+(\\d+)\\s*$"));
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const auto m = row.match(line);
        if (m.hasMatch())
            fields.push_back({m.captured(1), m.captured(2), m.captured(3).toInt(), m.captured(4).toInt()});
    }
    return fields;
}

} // namespace

TEST(Schema, FieldCountsAndKeyWidths)
{
    EXPECT_EQ(kBailStd.fields.size(), 136u);
    EXPECT_EQ(kLocateur.fields.size(), 11u);
    EXPECT_EQ(kBailConf.fields.size(), 6u);
    EXPECT_EQ(kAnnexe.fields.size(), 198u);
    EXPECT_EQ(Tags().size(), 7u);
    // Every tag keys on an existing field of its table, and names are unique within a table.
    for (const TTableDesc *t : Tables()) {
        std::set<QString> names;
        for (const TFieldDesc &f : t->fields)
            EXPECT_TRUE(names.insert(QLatin1String(f.name)).second) << t->name << " " << f.name;
        for (const TTagDesc &tag : TagsOf(QLatin1String(t->name)))
            EXPECT_TRUE(names.count(QLatin1String(tag.field))) << tag.tag;
    }
}

TEST(Schema, SeedsReadByThePerlReaderHaveTheSchema)
{
    if (!testsupport::HaveProgram(QStringLiteral("dbf_dump")))
        GTEST_SKIP() << "dbf_dump (libdbd-xbase-perl) not installed";
    auto tmp = testsupport::TempDir();
    WriteSeeds(tmp->path());
    for (const TTableDesc *t : Tables()) {
        const QString path = TableFile(tmp->path(), *t, "dat");
        SCOPED_TRACE(path.toStdString());
        QString info;
        const auto fields = PerlFields(path, &info);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Num of records:\\s+0\\b"))));
        EXPECT_TRUE(info.contains(QStringLiteral("0x03")));
        ASSERT_EQ(fields.size(), t->fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            const TFieldDesc &f = t->fields[i];
            EXPECT_EQ(fields[i].name, QLatin1String(f.name));
            EXPECT_EQ(fields[i].type, QString(QLatin1Char(char(f.type))));
            EXPECT_EQ(fields[i].width, f.width) << f.name;
            EXPECT_EQ(fields[i].decimals, f.decimals) << f.name;
        }
        // No index travels with a seed.
        const QByteArray bytes = dbtest::ReadAll(path);
        ASSERT_GT(bytes.size(), 32);
        EXPECT_EQ(bytes[28], '\0');
        EXPECT_EQ(bytes.back(), '\x1a');
        EXPECT_FALSE(QFileInfo::exists(TableFile(tmp->path(), *t, "mdx")));
    }
}

TEST(Schema, SeedsGivenWidthsTypesAndNumericSizes)
{
    auto tmp = testsupport::TempDir();
    WriteSeeds(tmp->path());
    auto field = [&](const TTableDesc &t, const char *name) {
        const auto h = ReadTableHeader(TableFile(tmp->path(), t, "dat"));
        for (const auto &f : h.fields)
            if (f.name == QLatin1String(name))
                return f;
        ADD_FAILURE() << name << " missing";
        return dbase::FieldDef{};
    };
    EXPECT_EQ(field(kBailStd, "A_NOM1").width, 50);
    EXPECT_EQ(field(kBailStd, "D_LIEU").width, 80);
    EXPECT_EQ(field(kBailStd, "B_AUTRE").width, 100);
    EXPECT_EQ(field(kBailStd, "A_CP1").width, 7);
    EXPECT_EQ(field(kBailStd, "B_NBPIECE").decimals, 1);
    EXPECT_EQ(field(kBailStd, "C_DEBUT").type, dbase::FieldType::Date);
    EXPECT_EQ(field(kBailStd, "E_REMIS").type, dbase::FieldType::Logical);
    EXPECT_EQ(field(kLocateur, "NOM").width, 50);
    EXPECT_EQ(field(kLocateur, "NOLOCATEUR").type, dbase::FieldType::Numeric);
    EXPECT_EQ(field(kAnnexe, "LAV_2").decimals, 2);
    EXPECT_EQ(field(kAnnexe, "ALI_COLLH1").width, 30);
    EXPECT_EQ(field(kAnnexe, "ALI_COLLH2").width, 35);
    // The lease counter holds 99999999, an amount 9999999.99.
    EXPECT_FALSE(dbase::FormatNumber(99999999, field(kBailConf, "NOBAIL").width, 0).empty());
    EXPECT_FALSE(dbase::FormatNumber(9999999.99, field(kAnnexe, "MNTBAIL").width, 2).empty());
    EXPECT_FALSE(dbase::FormatNumber(-32768, field(kBailStd, "B_LIT_N").width, 0).empty());
}

TEST(Schema, BuildSeedsMatchFreshOnes)
{
    auto tmp = testsupport::TempDir();
    WriteSeeds(tmp->path());
    for (const TTableDesc *t : Tables()) {
        QByteArray built = dbtest::ReadAll(TableFile(testsupport::SeedDir(), *t, "dat"));
        QByteArray fresh = dbtest::ReadAll(TableFile(tmp->path(), *t, "dat"));
        ASSERT_GT(built.size(), 32) << t->name;
        built.replace(1, 3, "\0\0\0", 3); // header dates differ
        fresh.replace(1, 3, "\0\0\0", 3);
        EXPECT_EQ(built, fresh) << t->name;
    }
}

TEST(Schema, SeedsIntoAnUnwritableFolderFailWithAnIoError)
{
    auto tmp = testsupport::TempDir();
    dbtest::WriteAll(tmp->path() + QStringLiteral("/file"), "x");
    try {
        WriteSeeds(tmp->path() + QStringLiteral("/file/seeds"));
        FAIL() << "no error";
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_EQ(e.Code(), dbase::kIoError);
    }
}
