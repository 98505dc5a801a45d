#include "../entry/EntryTestUtil.h"
#include "app/Findbail.h"
#include "dataset/DBGrid.h"
#include "dataset/Field.h"
#include "db/Numbering.h"
#include "db/Settings.h"
#include "dbase/Table.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using app::TFindBailDlg;
using entrytest::TDataFolder;

namespace {

// Leases of several kinds whose first lessees are C, A and B.
class LeaseSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        dbase::Table conf(m_folder.File(db::kBailConf), dbase::Table::Mode::Shared);
        dbase::Table leases(m_folder.File(db::kBailStd), dbase::Table::Mode::Shared);
        const std::pair<const char *, db::TLeaseKind> rows[] = {
            {"Côté", db::TLeaseKind::NN}, {"Allard", db::TLeaseKind::ON}, {"Bédard", db::TLeaseKind::OO}};
        for (auto [name, kind] : rows) {
            const QString tenant = QString::fromUtf8(name);
            const QString number = db::AddLease(conf, leases, nullptr, kind, [&](dbase::Record &lease, dbase::Record *) {
                lease.SetString(QStringLiteral("A_NOM1"), tenant);
            });
            m_keys[tenant] = db::LeaseKey(kind, number);
        }
    }
    QString Name(TFindBailDlg &d) { return d.LeaseTable().FieldByName(QStringLiteral("A_NOM1"))->AsString(); }

    TDataFolder m_folder;
    std::map<QString, QString> m_keys;
};

} // namespace

TEST_F(LeaseSearch, TypingMovesToTheFirstNameAtOrAfterTheText)
{
    TFindBailDlg d;
    d.show();
    EXPECT_EQ(d.Grid()->RowCount(), 3); // every kind, cooperative ones included
    QTest::keyClicks(d.FindText(), QStringLiteral("B"));
    EXPECT_EQ(Name(d), QStringLiteral("Bédard"));
    EXPECT_EQ(d.SelectedKey(), m_keys[QStringLiteral("Bédard")]);
    EXPECT_EQ(d.Grid()->CurrentRow(), 1);
    QTest::keyClicks(d.FindText(), QStringLiteral("z"));
    EXPECT_EQ(Name(d), QStringLiteral("Bédard")); // nothing at or after "Bz": the list stays
    d.FindText()->clear();
    EXPECT_EQ(Name(d), QStringLiteral("Allard"));
}

TEST_F(LeaseSearch, RunGivesTheChosenKeyOrNothing)
{
    app::InstallLeaseSearch();
    // Answers the dialog once it runs: search "C" then select, or cancel.
    auto answer = [](bool select) {
        QTimer::singleShot(0, [select] {
            auto *d = qobject_cast<TFindBailDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            QTest::keyClicks(d->FindText(), QStringLiteral("C"));
            select ? d->accept() : d->reject();
        });
    };
    answer(true);
    EXPECT_EQ(db::RunLeaseSearch(nullptr), m_keys[QStringLiteral("Côté")]);
    answer(false);
    EXPECT_EQ(db::RunLeaseSearch(nullptr), QString());
    db::SetLeaseSearchHook({});
}

TEST(LeaseSearchTexts, EnglishCaptionsAndColumns)
{
    TDataFolder folder;
    db::SetWorkingLanguage(QStringLiteral("A"));
    TFindBailDlg d;
    db::SetWorkingLanguage(QStringLiteral("F"));
    EXPECT_EQ(d.windowTitle(), QLatin1String("Lease search"));
    EXPECT_EQ(d.Grid()->Column(0).title, QLatin1String("Lease No."));
    EXPECT_EQ(d.Grid()->Column(9).title, QLatin1String("Joint tenant"));
    EXPECT_EQ(d.Grid()->Column(9).width, 50);
    EXPECT_TRUE(d.SelectedKey().isEmpty());
}

TEST(LeaseSearchTexts, NoColumnTitleIsCut)
{
    TDataFolder folder;
    for (const char *language : {"F", "A"}) {
        db::SetWorkingLanguage(QLatin1String(language));
        TFindBailDlg d;
        d.show();
        QHeaderView *header = d.Grid()->horizontalHeader();
        for (int i = 0; i < d.Grid()->ColumnCount(); ++i)
            EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i)) << language << ' ' << d.Grid()->Column(i).title.toStdString();
    }
    db::SetWorkingLanguage(QStringLiteral("F"));
}
