// TTable on real demo tables: ranges, keys, order changes, master-detail, the edit
// cycle and its events, record locks between two tables, calculated fields.

#include "DatasetTestUtil.h"
#include "dataset/Common.h"
#include "dataset/DataSource.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/BailKey.h"
#include "dbase/Cursor.h"
#include "dbase/Database.h"

#include <gtest/gtest.h>

#include <algorithm>

using dataset::TDataSetState;
using dataset::TDataSource;
using dataset::TTable;
using dstest::ErrorCodeOf;
using dstest::TDemoFolder;

namespace {

QString F(TTable &t, const char *name)
{
    return t.FieldByName(QLatin1String(name))->AsString();
}

// One shared demo folder for the tests that only read.
class TableRead : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_folder = new TDemoFolder(120, 8); }
    static void TearDownTestSuite() { delete s_folder; s_folder = nullptr; }
    static TDemoFolder *s_folder;
};
TDemoFolder *TableRead::s_folder = nullptr;

// A fresh folder per test, for the tests that write.
class TableWrite : public ::testing::Test {
protected:
    void SetUp() override { m_folder = std::make_unique<TDemoFolder>(30, 4); }
    std::unique_ptr<TDemoFolder> m_folder;
};

} // namespace

TEST_F(TableRead, RangeShowsOnlyTheKindsLeasesInKeyOrder)
{
    // The rows of the kind, found the hard way: every live row of the file.
    auto raw = s_folder->Engine(db::kBailStd);
    std::vector<QString> expected;
    dbase::Record r = raw->NewRecord();
    for (uint32_t n = 1; raw->ReadRecord(n, r); ++n)
        if (!r.Deleted() && r.AsString(QStringLiteral("BAILAHCOOP")).startsWith(QLatin1String("ON")))
            expected.push_back(r.AsString(QStringLiteral("BAILAHCOOP")));
    std::sort(expected.begin(), expected.end());
    ASSERT_GT(expected.size(), 3u);

    auto t = s_folder->Table(db::kBailStd, QStringLiteral("BAILAHCOOP"));
    t->Open();
    const auto range = db::KindRange(db::TLeaseKind::ON);
    t->SetRangeKeys(range.first, range.second);
    std::vector<QString> seen;
    for (t->First(); !t->Eof(); t->Next())
        seen.push_back(F(*t, "BAILAHCOOP"));
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(t->HasRange());
    EXPECT_EQ(t->RecnosInOrder().size(), expected.size());

    // Backwards from the end gives the same rows reversed.
    std::vector<QString> back;
    for (t->Last(); !t->Bof(); t->Prior())
        back.push_back(F(*t, "BAILAHCOOP"));
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, expected);

    t->CancelRange();
    int all = 0;
    for (t->First(); !t->Eof(); t->Next())
        ++all;
    EXPECT_EQ(all, 120);
}

TEST_F(TableRead, FindKeyFailureLeavesThePosition)
{
    auto t = s_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    t->Open();
    ASSERT_TRUE(t->FindKey(QStringLiteral("17")));
    EXPECT_EQ(F(*t, "NOBAIL"), QLatin1String("17"));
    const uint32_t recno = t->RecNo();
    EXPECT_FALSE(t->FindKey(QStringLiteral("nope")));
    EXPECT_EQ(t->RecNo(), recno);
    EXPECT_EQ(F(*t, "NOBAIL"), QLatin1String("17"));

    // Integer keys on an integer order.
    auto lessors = s_folder->Table(db::kLocateur, QStringLiteral("NOLOCATEUR"));
    lessors->Open();
    ASSERT_TRUE(lessors->FindKey(3LL));
    EXPECT_EQ(lessors->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 3);
    EXPECT_FALSE(lessors->FindKey(999LL));
    EXPECT_EQ(lessors->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 3);
    // A text that is no number is refused before anything moves.
    EXPECT_EQ(ErrorCodeOf([&] { lessors->FindKey(QStringLiteral("abc")); }), dbase::kInvalidField);
    EXPECT_EQ(lessors->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 3);

    // Nearest: the first name at or after the text.
    lessors->SetIndexName(QStringLiteral("NOM"));
    ASSERT_TRUE(lessors->FindNearest(QStringLiteral("C")));
    const QString found = F(*lessors, "NOM");
    EXPECT_GE(found.toUpper(), QLatin1String("C"));
    lessors->Prior();
    if (!lessors->Bof()) {
        EXPECT_LT(F(*lessors, "NOM").toUpper(), QLatin1String("C"));
    }
    // Past the last name nothing is found and the position stays.
    lessors->Last();
    const QString beyond = F(*lessors, "NOM") + QStringLiteral("ZZZZ");
    ASSERT_TRUE(lessors->FindNearest(QStringLiteral("C")));
    EXPECT_FALSE(lessors->FindNearest(beyond));
    EXPECT_EQ(F(*lessors, "NOM"), found);
}

TEST_F(TableRead, AChangeOfOrderLeavesTheCurrentRowCurrent)
{
    auto t = s_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    t->Open();
    ASSERT_TRUE(t->FindKey(QStringLiteral("42")));
    const uint32_t recno = t->RecNo();
    const QString name = F(*t, "A_NOM1");
    t->SetIndexName(QStringLiteral("NOMLOC"));
    EXPECT_EQ(t->RecNo(), recno);
    // Neighbours now come in name order.
    t->Next();
    if (!t->Eof()) {
        EXPECT_GE(F(*t, "A_NOM1").toUpper(), name.toUpper());
    }
    t->SetIndexFieldNames(QStringLiteral("BAILAHCOOP"));
    EXPECT_EQ(t->IndexName(), QString());
    EXPECT_EQ(ErrorCodeOf([&] { t->SetIndexName(QStringLiteral("NOSUCHTAG")); }), dbase::kTagNotFound);
    EXPECT_EQ(t->IndexFieldNames(), QLatin1String("BAILAHCOOP"));
}

TEST_F(TableRead, MasterDetailLessorFollowsTheLease)
{
    auto leases = s_folder->Table(db::kBailStd, QStringLiteral("BAILAHCOOP"));
    TDataSource leaseSource;
    leaseSource.SetDataSet(leases.get());
    auto lessor = s_folder->Table(db::kLocateur);
    lessor->SetIndexFieldNames(QStringLiteral("NOLOCATEUR"));
    lessor->SetMasterSource(&leaseSource);
    lessor->SetMasterFields(QStringLiteral("NOLOCATEUR"));
    lessor->SetReadOnly(true);
    leases->Open();
    lessor->Open();
    int checked = 0;
    for (leases->First(); !leases->Eof() && checked < 25; leases->Next(), ++checked) {
        const long long number = leases->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
        ASSERT_FALSE(lessor->IsEmpty()) << "lease " << F(*leases, "NOBAIL").toStdString();
        EXPECT_EQ(lessor->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), number);
        lessor->Next();
        EXPECT_TRUE(lessor->Eof()); // one lessor per number
    }
    EXPECT_EQ(checked, 25);
    // The detail was asked to be read-only.
    EXPECT_EQ(ErrorCodeOf([&] { lessor->Edit(); }), dbase::kInvalidOperation);
    EXPECT_EQ(lessor->State(), TDataSetState::Browse);
}

TEST_F(TableWrite, LeaseWithAnUnknownLessorShowsNoLessor)
{
    auto leases = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    TDataSource leaseSource;
    leaseSource.SetDataSet(leases.get());
    auto lessor = m_folder->Table(db::kLocateur);
    lessor->SetIndexFieldNames(QStringLiteral("NOLOCATEUR"));
    lessor->SetMasterSource(&leaseSource);
    lessor->SetMasterFields(QStringLiteral("NOLOCATEUR"));
    leases->Open();
    lessor->Open();
    ASSERT_FALSE(lessor->IsEmpty());
    leases->Edit();
    leases->FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(999);
    // The detail follows the field as soon as it changes, before the post.
    EXPECT_TRUE(lessor->IsEmpty());
    leases->FieldByName(QStringLiteral("NOLOCATEUR"))->Clear();
    EXPECT_TRUE(lessor->IsEmpty());
    leases->FieldByName(QStringLiteral("NOLOCATEUR"))->SetAsInteger(2);
    EXPECT_EQ(lessor->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger(), 2);
    leases->Cancel();
}

TEST_F(TableWrite, PostCancelAndDeleteFireTheirEventsInOrder)
{
    auto t = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    std::vector<std::string> log;
    auto hook = [&log](const char *name) { return [&log, name](TTable &) { log.emplace_back(name); }; };
    t->BeforeEdit = hook("BeforeEdit");
    t->AfterEdit = hook("AfterEdit");
    t->BeforePost = hook("BeforePost");
    t->AfterPost = hook("AfterPost");
    t->BeforeCancel = hook("BeforeCancel");
    t->AfterCancel = hook("AfterCancel");
    t->BeforeDelete = hook("BeforeDelete");
    t->AfterDelete = hook("AfterDelete");
    t->BeforeInsert = hook("BeforeInsert");
    t->AfterInsert = hook("AfterInsert");
    t->OnNewRecord = [&log](TTable &table) {
        log.emplace_back("OnNewRecord");
        table.FieldByName(QStringLiteral("LANGUEIMP"))->SetAsString(QStringLiteral("F"));
    };
    t->Open();
    ASSERT_TRUE(t->FindKey(QStringLiteral("5")));

    t->Edit();
    t->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("Rose Lemieux"));
    EXPECT_TRUE(t->Modified());
    t->Post();
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
    EXPECT_EQ(t->State(), TDataSetState::Browse);
    {
        auto check = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
        check->Open();
        ASSERT_TRUE(check->FindKey(QStringLiteral("5")));
        EXPECT_EQ(F(*check, "A_NOM1"), QLatin1String("Rose Lemieux"));
    }

    log.clear();
    t->Edit();
    t->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("Not kept"));
    t->Cancel();
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
    EXPECT_EQ(F(*t, "A_NOM1"), QLatin1String("Rose Lemieux"));

    log.clear();
    const uint32_t deleted = t->RecNo();
    t->Delete();
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeDelete", "AfterDelete"}));
    EXPECT_NE(t->RecNo(), deleted);
    EXPECT_FALSE(t->FindKey(QStringLiteral("5")));

    // A new row: OnNewRecord's values do not count as changes, so an untouched row is
    // dropped by a move; a touched one is posted by it.
    log.clear();
    const size_t before = t->RecnosInOrder().size();
    t->Insert();
    EXPECT_EQ(t->State(), TDataSetState::Insert);
    EXPECT_EQ(F(*t, "LANGUEIMP"), QLatin1String("F"));
    EXPECT_FALSE(t->Modified());
    t->First();
    EXPECT_EQ(t->RecnosInOrder().size(), before);
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeInsert", "OnNewRecord", "AfterInsert", "BeforeCancel", "AfterCancel"}));
    t->Append();
    t->FieldByName(QStringLiteral("NOBAIL"))->SetAsString(QStringLiteral("X-1"));
    t->Last();
    EXPECT_EQ(t->RecnosInOrder().size(), before + 1);
    ASSERT_TRUE(t->FindKey(QStringLiteral("X-1")));
    EXPECT_EQ(F(*t, "LANGUEIMP"), QLatin1String("F"));
}

TEST_F(TableWrite, BeforePostCanStopTheSaveWithNothingWritten)
{
    auto t = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    t->BeforePost = [](TTable &table) {
        if (table.FieldByName(QStringLiteral("A_NOM1"))->AsString().isEmpty())
            dataset::Abort();
    };
    t->Open();
    ASSERT_TRUE(t->FindKey(QStringLiteral("3")));
    const QString name = F(*t, "A_NOM1");
    t->Edit();
    t->FieldByName(QStringLiteral("A_NOM1"))->Clear();
    EXPECT_THROW(t->Post(), dataset::EAbort);
    EXPECT_EQ(t->State(), TDataSetState::Edit);
    auto other = m_folder->Engine(db::kBailStd);
    dbase::Record r = other->NewRecord();
    ASSERT_TRUE(other->ReadRecord(t->RecNo(), r));
    EXPECT_EQ(r.AsString(QStringLiteral("A_NOM1")), name);
    // The row is still locked and still editable: fixing it lets the save through.
    t->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("Line Roy"));
    t->Post();
    ASSERT_TRUE(other->ReadRecord(t->RecNo(), r));
    EXPECT_EQ(r.AsString(QStringLiteral("A_NOM1")), QLatin1String("Line Roy"));
}

TEST_F(TableWrite, ASecondTableEditingTheSameRowGetsLockedHere)
{
    auto a = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    auto b = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    a->Open();
    b->Open();
    ASSERT_TRUE(a->FindKey(QStringLiteral("7")));
    ASSERT_TRUE(b->FindKey(QStringLiteral("7")));
    a->Edit();
    a->FieldByName(QStringLiteral("A_NOM1"))->SetAsString(QStringLiteral("First window"));
    EXPECT_EQ(ErrorCodeOf([&] { b->Edit(); }), dbase::kLockedHere);
    EXPECT_EQ(b->State(), TDataSetState::Browse);
    EXPECT_EQ(ErrorCodeOf([&] { b->Delete(); }), dbase::kLockedHere);
    EXPECT_TRUE(b->FindKey(QStringLiteral("7")));
    // Another row is free.
    ASSERT_TRUE(b->FindKey(QStringLiteral("8")));
    b->Edit();
    b->Cancel();
    a->Post();
    // Post released the lock, and the second table sees the change once it re-reads.
    ASSERT_TRUE(b->FindKey(QStringLiteral("7")));
    b->Edit();
    EXPECT_EQ(F(*b, "A_NOM1"), QLatin1String("First window"));
    b->Cancel();
    a->Edit();
    a->Cancel();
}

TEST_F(TableWrite, ExclusiveAndReadOnlyOpens)
{
    auto excl = m_folder->Table(db::kLocateur);
    excl->SetExclusive(true);
    excl->Open();
    auto shared = m_folder->Table(db::kLocateur);
    EXPECT_EQ(ErrorCodeOf([&] { shared->Open(); }), dbase::kFileInUse);
    EXPECT_FALSE(shared->Active());
    excl->Close();
    shared->SetReadOnly(true);
    shared->Open();
    EXPECT_FALSE(shared->CanModify());
    EXPECT_EQ(ErrorCodeOf([&] { shared->Insert(); }), dbase::kInvalidOperation);
    EXPECT_EQ(ErrorCodeOf([&] { shared->Delete(); }), dbase::kInvalidOperation);
    EXPECT_EQ(ErrorCodeOf([&] { shared->FieldByName(QStringLiteral("NOM"))->SetAsString(QStringLiteral("x")); }),
              dbase::kInvalidOperation);

    auto missing = std::make_unique<TTable>();
    missing->SetTableName(m_folder->Path() + QStringLiteral("/Absent.dbf"));
    EXPECT_EQ(ErrorCodeOf([&] { missing->Open(); }), dbase::kTableNotFound);
}

TEST_F(TableWrite, OpensThroughADatabaseName)
{
    dbase::Session::Instance().DefineDatabase(QStringLiteral("DbDatasetTest"), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + m_folder->Path()});
    TTable t;
    t.SetDatabaseName(QStringLiteral("dbdatasettest"));
    t.SetTableName(QStringLiteral("LOCATEUR.DBF"));
    t.SetIndexName(QStringLiteral("Nom"));
    t.Open();
    EXPECT_FALSE(t.IsEmpty());
    EXPECT_EQ(ErrorCodeOf([&] { t.SetTableName(QStringLiteral("BailStd.dbf")); }), dbase::kInvalidOperation);
}

TEST(TableEmpty, EditingAnEmptyTableInsertsItsFirstRow)
{
    auto folder = TDemoFolder::Empty();
    auto annex = folder->Table(db::kAnnexe, QStringLiteral("NOBAIL"));
    annex->Open();
    ASSERT_TRUE(annex->IsEmpty());
    EXPECT_TRUE(annex->Bof());
    EXPECT_TRUE(annex->Eof());
    annex->Edit();
    EXPECT_EQ(annex->State(), TDataSetState::Insert);
    annex->FieldByName(QStringLiteral("NOBAIL"))->SetAsString(QStringLiteral("1"));
    annex->Post();
    EXPECT_FALSE(annex->IsEmpty());
    EXPECT_EQ(annex->FieldByName(QStringLiteral("NOBAIL"))->AsString(), QLatin1String("1"));
    // Now there is a row, so Edit edits it.
    annex->Edit();
    EXPECT_EQ(annex->State(), TDataSetState::Edit);
    annex->Cancel();
    EXPECT_EQ(folder->Engine(db::kAnnexe)->RecordCount(), 1u);
    EXPECT_EQ(ErrorCodeOf([&] { annex->Delete(); annex->Delete(); }), dbase::kInvalidOperation);
}

TEST_F(TableWrite, CalculatedFieldsFollowScrollsAndEdits)
{
    auto annex = m_folder->Table(db::kAnnexe, QStringLiteral("NOBAIL"));
    dataset::TField *total = annex->AddCalcField(QStringLiteral("TotalBail"), dataset::TFieldType::Float);
    dataset::TField *label = annex->AddCalcField(QStringLiteral("Libelle"), dataset::TFieldType::String, 20);
    int calls = 0;
    annex->OnCalcFields = [&](TTable &t) {
        ++calls;
        double sum = t.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat();
        for (int i = 0; i < t.FieldCount(); ++i) {
            dataset::TField *f = t.Fields(i);
            if (!f->Calculated() && f->FieldName().endsWith(QLatin1String("_2")))
                sum += f->AsFloat();
        }
        t.FieldByName(QStringLiteral("TotalBail"))->SetAsFloat(sum);
        t.FieldByName(QStringLiteral("Libelle"))->SetAsString(QStringLiteral("Bail ") + t.FieldByName(QStringLiteral("NOBAIL"))->AsString());
    };
    annex->Open();
    ASSERT_FALSE(annex->IsEmpty());
    EXPECT_GT(calls, 0);
    auto expectTotal = [&] {
        double sum = annex->FieldByName(QStringLiteral("MNTBAIL"))->AsFloat();
        for (int i = 0; i < annex->FieldCount(); ++i)
            if (!annex->Fields(i)->Calculated() && annex->Fields(i)->FieldName().endsWith(QLatin1String("_2")))
                sum += annex->Fields(i)->AsFloat();
        return sum;
    };
    for (annex->First(); !annex->Eof(); annex->Next()) {
        EXPECT_DOUBLE_EQ(total->AsFloat(), expectTotal());
        EXPECT_EQ(label->AsString(), QStringLiteral("Bail ") + annex->FieldByName(QStringLiteral("NOBAIL"))->AsString());
    }
    annex->First();
    const double before = total->AsFloat();
    annex->Edit();
    annex->FieldByName(QStringLiteral("MNTBAIL"))->SetAsFloat(annex->FieldByName(QStringLiteral("MNTBAIL"))->AsFloat() + 100);
    EXPECT_DOUBLE_EQ(total->AsFloat(), before + 100);
    annex->Cancel();
    EXPECT_DOUBLE_EQ(total->AsFloat(), before);
    // Calculated values are only set by the calculation.
    EXPECT_EQ(ErrorCodeOf([&] { total->SetAsFloat(1); }), dbase::kInvalidOperation);
    EXPECT_FALSE(total->CanModify());
    // Grid rows get their own calculation.
    const std::vector<uint32_t> rows = annex->RecnosInOrder();
    ASSERT_GE(rows.size(), 2u);
    dbase::Record other = annex->EngineTable()->NewRecord();
    ASSERT_TRUE(annex->ReadRow(rows[1], other));
    const QStringList texts = annex->RowTexts(other, {label, annex->FieldByName(QStringLiteral("NOBAIL"))});
    EXPECT_EQ(texts[0], QStringLiteral("Bail ") + texts[1]);
    EXPECT_DOUBLE_EQ(total->AsFloat(), before); // the current row's values are untouched
}

TEST_F(TableWrite, DisabledControlsHearNothingUntilEnabled)
{
    auto t = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    TDataSource source;
    source.SetDataSet(t.get());
    t->Open();
    int changes = 0;
    QObject::connect(&source, &TDataSource::DataChanged, [&](dataset::TField *) { ++changes; });
    t->Next();
    EXPECT_EQ(changes, 1);
    t->DisableControls();
    t->Next();
    t->Next();
    t->Last();
    EXPECT_EQ(changes, 1);
    t->EnableControls();
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(t->Eof());
}

TEST_F(TableWrite, FieldsConvertFormatAndRefuseBadInput)
{
    auto t = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    t->Open();
    dataset::TField *rooms = t->FieldByName(QStringLiteral("B_NBPIECE"));
    dataset::TField *start = t->FieldByName(QStringLiteral("C_DEBUT"));
    dataset::TField *name = t->FieldByName(QStringLiteral("A_APP1"));
    dataset::TField *lessor = t->FieldByName(QStringLiteral("NOLOCATEUR"));
    EXPECT_EQ(rooms->DataType(), dataset::TFieldType::Float);
    EXPECT_EQ(lessor->DataType(), dataset::TFieldType::SmallInt);
    EXPECT_EQ(start->DataType(), dataset::TFieldType::Date);
    EXPECT_EQ(start->Size(), 0);
    EXPECT_EQ(name->Size(), 6);
    EXPECT_EQ(rooms->Alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    rooms->SetDisplayFormat(QStringLiteral("#0.0"));

    t->Edit();
    rooms->SetAsFloat(3.5);
    EXPECT_EQ(rooms->DisplayText(), dataset::FormatFloat(QStringLiteral("#0.0"), 3.5));
    start->SetText(QStringLiteral("2024/07/01"));
    EXPECT_EQ(start->AsDate(), QDate(2024, 7, 1));
    EXPECT_EQ(start->DisplayText(), QLatin1String("2024/07/01"));
    name->SetAsString(QStringLiteral("12345678"));
    EXPECT_EQ(name->AsString(), QLatin1String("123456")); // never more than the field's size
    // Bad input: a clear message, and the value already there is kept.
    EXPECT_EQ(ErrorCodeOf([&] { rooms->SetText(QStringLiteral("trois")); }), dbase::kInvalidField);
    EXPECT_DOUBLE_EQ(rooms->AsFloat(), 3.5);
    EXPECT_EQ(ErrorCodeOf([&] { start->SetText(QStringLiteral("2024/13/45")); }), dbase::kInvalidField);
    EXPECT_EQ(start->AsDate(), QDate(2024, 7, 1));
    EXPECT_EQ(ErrorCodeOf([&] { lessor->SetText(QStringLiteral("2.5")); }), dbase::kInvalidField);
    try {
        dataset::SetWorkingLanguage(QLatin1Char('F'));
        start->SetText(QStringLiteral("hier"));
        FAIL();
    } catch (const dbase::EDBEngineError &e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("hier")));
        EXPECT_TRUE(e.Message().contains(QLatin1String("C_DEBUT")));
    }
    start->Clear();
    EXPECT_TRUE(start->IsNull());
    t->Post();
    EXPECT_TRUE(start->IsNull());
    EXPECT_DOUBLE_EQ(rooms->AsFloat(), 3.5);
    EXPECT_EQ(ErrorCodeOf([&] { t->FieldByName(QStringLiteral("NO_SUCH")); }), dbase::kInvalidField);
    // Writes need edit state.
    EXPECT_EQ(ErrorCodeOf([&] { rooms->SetAsFloat(1); }), dbase::kInvalidOperation);
}

// An amount is read in the user's format or refused: "1,5" on a system whose decimals are
// written with "." is not fifteen.
TEST_F(TableWrite, AmountsAreReadInTheUsersFormatOrRefused)
{
    if (QLocale::system().decimalPoint() != QLatin1String(".") || QLocale::system().groupSeparator() != QLatin1String(","))
        GTEST_SKIP() << "the system's number format is not 1,234.5";
    auto t = m_folder->Table(db::kBailStd, QStringLiteral("NOBAIL"));
    t->Open();
    dataset::TField *rooms = t->FieldByName(QStringLiteral("B_NBPIECE"));
    t->Edit();
    const struct {
        const char *typed;
        double stored; // -1: refused, the value before kept
    } cases[] = {{"1,5", -1}, {"2,50", -1}, {"1.234,5", -1}, {"1,2345", -1}, {"12a", -1}, {"1..5", -1},
                 {"1.5", 1.5}, {"$ 12.50", 12.5}, {" 7 ", 7}, {".5", 0.5}, {"999.9", 999.9}};
    for (const auto &c : cases) {
        rooms->SetAsFloat(3);
        const int code = ErrorCodeOf([&] { rooms->SetText(QString::fromLatin1(c.typed)); });
        EXPECT_EQ(code, c.stored < 0 ? dbase::kInvalidField : 0) << c.typed;
        EXPECT_DOUBLE_EQ(rooms->AsFloat(), c.stored < 0 ? 3.0 : c.stored) << c.typed;
    }
    t->Cancel();
}
