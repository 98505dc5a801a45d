// The batch print dialog as a user drives it: leases ticked by click, Space and Return in the
// grid, the lessor filter, the selection buttons, preview and print; and a batch of every
// kind through the real CUPS queue.

#include "LeaseFixture.h"

#include "dataset/Common.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "forms/Printbat.h"
#include "forms/BatchJob.h"
#include "preview/Preview.h"
#include "ui/Kelgrid.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

using namespace formstest;

namespace {

// A lease's pages in a printout: its number (from the tenant name the test gave it) and count.
struct TSegment {
    QString number;
    int pages = 0;
    bool operator==(const TSegment &) const = default;
};

std::ostream &operator<<(std::ostream &os, const TSegment &s)
{
    return os << s.number.toStdString() << "x" << s.pages;
}

const QRegularExpression kTenant(QStringLiteral("^Tenant-(\\d+)$"));

// Page 1 of every lease carries its tenant's name: a page naming a tenant starts that lease.
std::vector<TSegment> Segments(const printout::TPrintout &p)
{
    std::vector<TSegment> out;
    for (int page = 1; page <= p.PageCount(); ++page) {
        QString starts;
        for (const auto &run : printout::TextRuns(*p.PageMetafile(page)))
            if (const auto m = kTenant.match(run.text.trimmed()); m.hasMatch())
                starts = m.captured(1);
        if (!starts.isEmpty())
            out.push_back({starts, 0});
        if (!out.empty())
            ++out.back().pages;
    }
    return out;
}

class BatchDialog : public LeaseFixture {
protected:
    void SetUp() override
    {
        LeaseFixture::SetUp();
        dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + Dir()});
        // Every tenant named after the lease, so that the printed pages tell the leases apart.
        for (m_lease->First(); !m_lease->Eof(); m_lease->Next()) {
            const QString n = m_lease->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
            m_kinds[n] = m_lease->FieldByName(QStringLiteral("BAILAHCOOP"))->AsString().left(2);
            m_lessors[n] = m_lease->FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger();
            m_annex_[n] = m_annex->FindKey(n);
        }
        for (const auto &[n, kind] : m_kinds)
            SetFields(n, {{"A_NOM1", QStringLiteral("Tenant-%1").arg(n)}});
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            m_boxes << box.windowTitle() + QStringLiteral(": ") + box.text();
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        m_dialog.reset();
        ui::SetMessageBoxHook({});
        forms::SetLeasePrintDialogHook({});
        printout::SetApplicationPrinter(printout::TPrinter::Default());
        delete forms::CurrentLeasePreview();
        LeaseFixture::TearDown();
    }

    forms::TPrintBatch &OpenDialog()
    {
        m_dialog = std::make_unique<forms::TPrintBatch>();
        m_dialog->show();
        QApplication::processEvents();
        return *m_dialog;
    }
    template <typename T>
    T *Control(const char *name)
    {
        T *c = m_dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    ui::TKelDBGrid &Grid() { return *m_dialog->Grid(); }
    int RowOf(const QString &number)
    {
        for (int r = 0; r < Grid().RowCount(); ++r)
            if (Grid().RowTexts(r).value(2).trimmed() == number)
                return r;
        return -1;
    }
    QStringList Listed()
    {
        QStringList out;
        for (int r = 0; r < Grid().RowCount(); ++r)
            out << Grid().RowTexts(r).value(2).trimmed();
        return out;
    }
    // A click on a cell of a lease's row (column 0: the selection box).
    void ClickCell(const QString &number, int column)
    {
        const int row = RowOf(number);
        ASSERT_GE(row, 0) << number.toStdString();
        const QModelIndex at = Grid().model()->index(row, column);
        Grid().scrollTo(at);
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().visualRect(at).center());
    }
    // Moves to the lease's row by clicking its street, then presses the key.
    void Key(const QString &number, Qt::Key key)
    {
        ClickCell(number, 5);
        QTest::keyClick(&Grid(), key);
    }
    // What the preview button builds, the preview closed again.
    std::vector<TSegment> Preview()
    {
        delete forms::CurrentLeasePreview();
        QTest::mouseClick(Control<QPushButton>("BtnPreview"), Qt::LeftButton);
        QApplication::processEvents();
        preview::TFPrintPreview *preview = forms::CurrentLeasePreview();
        if (!preview || !preview->Current())
            return {};
        std::vector<TSegment> out = Segments(*preview->Current());
        delete preview;
        return out;
    }
    int Pages(const QString &n) { return forms::IsElderlyKey(m_kinds[n]) && m_annex_[n] ? 12 : 4; }
    std::vector<TSegment> Expected(const QStringList &numbers)
    {
        std::vector<TSegment> out;
        for (const QString &n : numbers)
            out.push_back({n, Pages(n)});
        return out;
    }
    // Lease numbers of the kind, in number order of the table.
    QStringList OfKind(const QString &kind, std::optional<bool> withAnnex = std::nullopt)
    {
        QStringList out;
        for (m_lease->First(); !m_lease->Eof(); m_lease->Next()) {
            const QString n = m_lease->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
            if (m_kinds[n] == kind && (!withAnnex || *withAnnex == m_annex_[n]))
                out << n;
        }
        return out;
    }

    std::unique_ptr<forms::TPrintBatch> m_dialog;
    std::map<QString, QString> m_kinds;
    std::map<QString, long long> m_lessors;
    std::map<QString, bool> m_annex_;
    QStringList m_boxes;
};

} // namespace

TEST_F(BatchDialog, LeasesPrintInTheOrderTickedByClickSpaceAndReturnWithAllTheirPages)
{
    const QString elderly = OfKind(QStringLiteral("ON"), true).value(0);
    const QString coop = OfKind(QStringLiteral("OO"), true).value(0);
    const QString plain = OfKind(QStringLiteral("NN")).value(0);
    const QString gone = OfKind(QStringLiteral("NN")).value(1);
    ASSERT_FALSE(elderly.isEmpty() || coop.isEmpty() || gone.isEmpty());
    OpenDialog();
    EXPECT_EQ(Grid().RowCount(), kLeases);
    // The grid's order is not the ticking order.
    ClickCell(coop, 0);
    Key(plain, Qt::Key_Space);
    Key(elderly, Qt::Key_Return);
    ClickCell(gone, 0);
    ClickCell(plain, 5); // a click beside the box ticks nothing
    EXPECT_EQ(m_dialog->Selection(), (QStringList{coop, plain, elderly, gone}));
    Key(plain, Qt::Key_Space); // untick, then tick again: it goes to the end
    Key(plain, Qt::Key_Space);
    EXPECT_EQ(m_dialog->Selection(), (QStringList{coop, elderly, gone, plain}));

    // A lease deleted meanwhile is skipped.
    ASSERT_TRUE(m_lease->FindKey(gone));
    m_lease->Delete();
    EXPECT_EQ(Preview(), Expected({coop, elderly, plain}));
    EXPECT_EQ(Control<QProgressBar>("ProgressBar")->value(), 100);
    EXPECT_TRUE(m_dialog->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join(QLatin1Char('\n')).toStdString();
}

TEST_F(BatchDialog, OneLessorListsAndPrintsOnlyItsLeasesAndKeepsTheOtherTicks)
{
    // Lessors X and Y, each with at least two leases.
    std::map<long long, QStringList> byLessor;
    for (const auto &[n, l] : m_lessors)
        byLessor[l] << n;
    const long long x = m_lessors.begin()->second;
    long long y = 0;
    for (const auto &[l, ns] : byLessor)
        if (l != x && ns.size() >= 2)
            y = l;
    ASSERT_GE(byLessor[x].size(), 2);
    ASSERT_NE(y, 0);
    const QString ofY = byLessor[y].first(), ofX = byLessor[x].last();

    OpenDialog();
    ClickCell(ofY, 0);
    ClickCell(ofX, 0);
    auto *combo = Control<QComboBox>("CBLocateur");
    EXPECT_FALSE(combo->isEnabled());
    QTest::mouseClick(Control<QRadioButton>("Particulier"), Qt::LeftButton);
    combo->setCurrentIndex(combo->findData(x));
    EXPECT_TRUE(combo->isEnabled());
    QStringList listed = Listed();
    std::sort(listed.begin(), listed.end());
    QStringList mine = byLessor[x];
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(listed, mine);

    // Select all appends X's other leases in the listing order, after the earlier ticks.
    QTest::mouseClick(Control<QPushButton>("SelectAll"), Qt::LeftButton);
    QStringList expected{ofY, ofX};
    for (const QString &n : Listed())
        if (n != ofX)
            expected << n;
    EXPECT_EQ(m_dialog->Selection(), expected);
    // Only X's leases print; Y's stays ticked.
    EXPECT_EQ(Preview(), Expected(expected.mid(1)));
    EXPECT_EQ(m_dialog->Selection(), expected);
    EXPECT_EQ(Grid().RowCount(), byLessor[x].size()); // the filter is still in force

    // Cancel selection (also the Escape key) removes X's leases only.
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(m_dialog->Selection(), QStringList{ofY});
    EXPECT_TRUE(m_dialog->isVisible());
    QTest::mouseClick(Control<QRadioButton>("Tous"), Qt::LeftButton);
    EXPECT_EQ(Grid().RowCount(), kLeases);
    EXPECT_FALSE(combo->isEnabled());
    EXPECT_EQ(Preview(), Expected({ofY}));
}

TEST_F(BatchDialog, EmptySelectionIsSaidInTheWorkingLanguage)
{
    for (const auto &[language, box] :
         {std::pair{"F", "Attention: Il n'y a aucun bail à imprimer!"}, std::pair{"A", "Warning: There is no lease to print!"}}) {
        db::SetWorkingLanguage(QLatin1String(language));
        m_boxes.clear();
        OpenDialog();
        EXPECT_TRUE(Preview().empty());
        EXPECT_EQ(forms::CurrentLeasePreview(), nullptr);
        QTest::mouseClick(Control<QPushButton>("PrintBtn"), Qt::LeftButton);
        EXPECT_EQ(m_boxes, QStringList(2, QString::fromUtf8(box))) << language;
    }
}

TEST_F(BatchDialog, CaptionsFollowTheWorkingLanguage)
{
    struct TCase {
        const char *control, *french, *english;
    };
    const TCase cases[] = {
        {"Tous", "&Tous", "&All"},
        {"Particulier", "&Particulier", "Par&ticular"},
        {"SelectAll", "Sé&lectionner tous", "&Select all"},
        {"UnSelectAll", "&Annuler sélection", "&Cancel selection"},
        {"BtnPreview", "&Pré-visualiser", "&Pré-visualiser"},
        {"PrintBtn", "&Imprimer...", "&Print"},
        {"CloseBtn", "&Sortie", "&Close"},
    };
    for (const char *language : {"F", "A"}) {
        db::SetWorkingLanguage(QLatin1String(language));
        const bool english = *language == 'A';
        OpenDialog();
        for (const TCase &c : cases)
            EXPECT_EQ(Control<QAbstractButton>(c.control)->text(), QString::fromUtf8(english ? c.english : c.french));
        EXPECT_EQ(Control<QGroupBox>("RGLocateur")->title(),
                  english ? QStringLiteral("Landlord") : QStringLiteral("Propriétaire (Locateur)"));
        EXPECT_TRUE(Control<QLabel>("Instruction")->text().startsWith(english ? QStringLiteral("Press Return")
                                                                                : QStringLiteral("Cliquez sur")));
        EXPECT_EQ(Grid().Column(2).title, english ? QStringLiteral("Lease no.") : QStringLiteral("N° Bail"));
        EXPECT_EQ(Grid().Column(1).title, english ? QStringLiteral("Landlord") : QStringLiteral("Propriétaire (Locateur)"));
    }
    // The lessor column shows the lease's lessor by name.
    auto names = LeaseFixture::Open(db::kLocateur, "NOLOCATEUR");
    const int row = RowOf(m_kinds.begin()->first);
    ASSERT_TRUE(names->FindKey(m_lessors[m_kinds.begin()->first]));
    EXPECT_EQ(Grid().RowTexts(row).value(1).trimmed(), names->FieldByName(QStringLiteral("NOM"))->AsString().trimmed());
    EXPECT_EQ(m_dialog->size(), QSize(620, 416));
}

TEST_F(BatchDialog, PrintAsksForTheSelectionRangeAndPrintsEveryPage)
{
    const QString pdf = Dir() + QStringLiteral("/batch.pdf");
    printout::SetApplicationPrinter(printout::TPrinter::PdfFile(pdf, 300));
    const QStringList ticks{OfKind(QStringLiteral("NN")).value(2), OfKind(QStringLiteral("ON"), true).value(0)};
    OpenDialog();
    for (const QString &n : ticks)
        ClickCell(n, 0);
    int asked = 0;
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::AllPages;
    forms::SetLeasePrintDialogHook([&](QPrintDialog &dialog) {
        ++asked;
        range = dialog.printRange();
        // A page range left in the dialog does not cut the leases short.
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
        dialog.setFromTo(2, 3);
        return int(asked == 1 ? QDialog::Rejected : QDialog::Accepted);
    });
    QTest::mouseClick(Control<QPushButton>("PrintBtn"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(pdf)); // cancelled
    QTest::mouseClick(Control<QPushButton>("PrintBtn"), Qt::LeftButton);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(range, QAbstractPrintDialog::Selection);
    ASSERT_TRUE(QFile::exists(pdf));
    if (testsupport::HaveProgram(QStringLiteral("pdfinfo"))) {
        QString info;
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdfinfo"), {pdf}, &info), 0);
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+16")))) << info.toStdString();
    }
    // The preview that follows ignores whatever the dialog held.
    EXPECT_EQ(Preview(), Expected(ticks));
}

TEST_F(BatchDialog, KindWithoutPaintersIsReportedNotSkippedSilently)
{
    const QString coop = OfKind(QStringLiteral("NO")).value(0), plain = OfKind(QStringLiteral("NN")).value(0);
    OpenDialog();
    ClickCell(coop, 0);
    ClickCell(plain, 0);
    const forms::TPagePainter kept = forms::ReplacePagePainter(2, true, nullptr);
    const std::vector<TSegment> printed = Preview();
    forms::ReplacePagePainter(2, true, kept);
    EXPECT_EQ(printed, Expected({plain}));
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].contains(coop)) << m_boxes[0].toStdString();
    ASSERT_NE(m_dialog->LastResult(), nullptr);
    EXPECT_EQ(m_dialog->LastResult()->Numbers(forms::TBatchOutcome::NoPages), QStringList{coop});
}

// A painter failing like the engine does, to see the run end half way.
void FailingPage(const forms::TLeaseRows &, printout::TPrintout &)
{
    throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("read error"));
}

TEST_F(BatchDialog, AnEngineErrorReachesTheHandlerWithTheDialogRestored)
{
    const QString plain = OfKind(QStringLiteral("NN")).value(0);
    OpenDialog();
    QTest::mouseClick(Control<QRadioButton>("Particulier"), Qt::LeftButton);
    auto *combo = Control<QComboBox>("CBLocateur");
    combo->setCurrentIndex(combo->findData(m_lessors[plain]));
    ClickCell(plain, 0);
    std::vector<int> codes;
    dataset::SetEventExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const dbase::EDBEngineError &error) {
            codes.push_back(error.Code());
        }
    });
    const forms::TPagePainter kept = forms::ReplacePagePainter(3, false, FailingPage);
    const std::vector<TSegment> printed = Preview();
    forms::ReplacePagePainter(3, false, kept);
    dataset::SetEventExceptionHandler({});
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(codes, std::vector<int>{dbase::kIoError});
    EXPECT_TRUE(m_dialog->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(m_dialog->LeaseTable().ControlsDisabled());
    // The one-lessor listing is still in force and the dialog works on.
    EXPECT_EQ(m_dialog->LeaseTable().IndexName(), QLatin1String("NOLOCATEUR"));
    EXPECT_EQ(Preview(), Expected({plain}));
}

TEST(BatchDialogAlone, WithoutLessorsTheOneLessorChoiceIsOff)
{
    db::InitSettings();
    auto dir = testsupport::TempDir();
    db::MakeDemoFolder(dir->path(), 3, 0);
    dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                              {QStringLiteral("PATH=") + dir->path()});
    forms::TPrintBatch dialog;
    EXPECT_FALSE(dialog.findChild<QRadioButton *>(QStringLiteral("Particulier"))->isEnabled());
    EXPECT_TRUE(dialog.findChild<QRadioButton *>(QStringLiteral("Tous"))->isChecked());
    EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("CBLocateur"))->count(), 0);
    EXPECT_EQ(dialog.Grid()->RowCount(), 3);
}

// Every kind, the elderly ones with their Annex, through the cups-pdf queue: one document
// whose pages are the leases' own, in the order ticked.
TEST_F(BatchDialog, EveryKindReachesTheCupsQueueAsOneDocumentInOrder)
{
    CUPS_TEST_PROLOGUE(QStringLiteral("BatchDialog.EveryKindReachesTheCupsQueueAsOneDocumentInOrder"));
    if (!testsupport::HaveProgram(QStringLiteral("pdfinfo")) || !testsupport::HaveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
    std::unique_ptr<printout::TPrinter> printer = printout::TPrinter::Named(qEnvironmentVariable("BAIL_CUPS_PDF_QUEUE"));
    ASSERT_TRUE(printer);
    printout::SetApplicationPrinter(std::move(printer));
    forms::SetLeasePrintDialogHook([](QPrintDialog &) { return int(QDialog::Accepted); });
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);
    const QStringList ticks{OfKind(QStringLiteral("OO"), true).value(0), OfKind(QStringLiteral("NN")).value(0),
                            OfKind(QStringLiteral("NO")).value(0), OfKind(QStringLiteral("ON"), true).value(0)};
    ASSERT_EQ(ticks.size(), 4);
    ASSERT_FALSE(ticks.contains(QString()));
    OpenDialog();
    for (const QString &n : ticks)
        ClickCell(n, 0);
    QTest::mouseClick(Control<QPushButton>("PrintBtn"), Qt::LeftButton);
    ASSERT_TRUE(m_boxes.isEmpty()) << m_boxes.join(QLatin1Char('\n')).toStdString();

    const QString outDir = qEnvironmentVariable("BAIL_CUPS_OUT");
    int pages = 0;
    for (const QString &n : ticks)
        pages += Pages(n);
    EXPECT_EQ(pages, 4 + 4 + 12 + 12);
    // Other printing tests write into the same folder, and the backend takes its time to
    // finish a file under load: this job's file is the one that reads whole with its pages.
    QString pdf, info, text;
    const QRegularExpression pageCount(QStringLiteral("Pages:\\s+%1\\b").arg(pages));
    for (int i = 0; i < 120 && pdf.isEmpty(); ++i) {
        for (const QString &f : QDir(outDir).entryList({QStringLiteral("Bail_de_la_*.pdf")}, QDir::Files)) {
            const QString path = QDir(outDir).filePath(f);
            QString candidate;
            if (QFileInfo(path).lastModified() >= start && testsupport::Run(QStringLiteral("pdfinfo"), {path}, &candidate) == 0
                && candidate.contains(pageCount)) {
                pdf = path;
                info = candidate;
                break;
            }
        }
        if (pdf.isEmpty())
            QThread::msleep(500);
    }
    ASSERT_FALSE(pdf.isEmpty()) << "no readable PDF of " << pages << " pages from CUPS in " << outDir.toStdString();
    // Page by page, each lease's tenant on the first page of its own stretch.
    int page = 1;
    for (const QString &n : ticks) {
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdftotext"),
                                   {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                                    pdf, QStringLiteral("-")},
                                   &text),
                  0);
        EXPECT_TRUE(text.contains(QStringLiteral("Tenant-%1").arg(n))) << n.toStdString() << " on page " << page;
        page += Pages(n);
    }
    if (!HasFailure())
        QFile::remove(pdf);
}
