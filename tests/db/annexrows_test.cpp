#include "db/AnnexRows.h"
#include "db/Schema.h"

#include <QMap>
#include <QStringList>
#include <gtest/gtest.h>

using namespace db;

namespace {

QStringList FieldsOf(const std::vector<TAnnexField> &fields)
{
    QStringList out;
    for (const TAnnexField &f : fields)
        out << QString::fromLatin1(f.field);
    return out;
}

} // namespace

// The tables and the final statement between them name every stored Annex field once:
// a misspelt, missing or doubled field shows here.
TEST(AnnexRowsTest, TablesNameEveryAnnexFieldExactlyOnce)
{
    QStringList named{QStringLiteral("NOBAIL"), QStringLiteral("MNTBAIL"), QStringLiteral("TERME"),
                      QStringLiteral("RENSEIGNEM")};
    for (const TDwellingItem &item : DwellingItems())
        named << FieldsOf(item.fields);
    for (const TAnnexRow &row : AnnexRows()) {
        for (int c = 1; c <= 3; ++c)
            if (row.columns & (1u << (c - 1)))
                named << row.FieldName(c);
        named << FieldsOf(row.fields);
    }
    QMap<QString, int> count;
    for (const QString &n : named)
        ++count[n];
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString() << " named more than once";

    QStringList schema;
    for (const TFieldDesc &f : kAnnexe.fields)
        schema << QString::fromLatin1(f.name);
    QStringList sortedNamed = count.keys();
    schema.sort();
    EXPECT_EQ(sortedNamed, schema);
}

TEST(AnnexRowsTest, AmountsAreTheColumnTwoFieldsOfTheRowsInOrder)
{
    QStringList fromRows;
    for (const TAnnexRow &row : AnnexRows())
        if (row.columns & kCol2)
            fromRows << row.FieldName(2);
    QStringList amounts;
    for (const char *f : AnnexAmountFields())
        amounts << QString::fromLatin1(f);
    EXPECT_EQ(amounts, fromRows);
}
