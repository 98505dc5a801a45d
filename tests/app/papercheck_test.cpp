// The page-format check after the printer set-up.

#include "AppTestUtil.h"

#include "printout/PaperCheck.h"
#include "printout/Printer.h"

#include <QPageSize>
#include <QPrinter>
#include <gtest/gtest.h>

using namespace apptest;

namespace {

class PaperCheckTest : public ::testing::Test {
protected:
    void SetUp() override { printout::DefaultPaperRecord() = {}; }
    void TearDown() override { db::InitSettings(); }
    std::unique_ptr<printout::TPrinter> m_owned = printout::TPrinter::Virtual();
    printout::TPrinter &m_printer = *m_owned;
};

TEST_F(PaperCheckTest, OtherFormatIsOfferedBackAndYesRestoresIt)
{
    ASSERT_TRUE(m_printer.SetPaper({9, 2, 0, 0}));
    printout::DefaultPaperRecord() = {9, 2, 0, 0};
    TBoxRecorder boxes;
    boxes.Answer(QMessageBox::Yes);
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Boxes()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(boxes.Boxes()[0].text.startsWith(QStringLiteral("Le format de papier sélectionné")));
    EXPECT_EQ(m_printer.Paper().sizeCode, 1);
    EXPECT_EQ(m_printer.Paper().orientation, 1);
    EXPECT_EQ(printout::DefaultPaperRecord().sizeCode, 1);
    EXPECT_EQ(printout::DefaultPaperRecord().orientation, 1);
}

TEST_F(PaperCheckTest, NoKeepsTheChosenFormatAndLetterPortraitAsksNothing)
{
    db::SetWorkingLanguage(QStringLiteral("A"));
    ASSERT_TRUE(m_printer.SetPaper({5, 1, 0, 0}));
    TBoxRecorder boxes;
    boxes.Answer(QMessageBox::No);
    EXPECT_FALSE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(boxes.Boxes()[0].text.startsWith(QStringLiteral("The selected page format")));
    EXPECT_EQ(m_printer.Paper().sizeCode, 5);
    EXPECT_EQ(printout::DefaultPaperRecord().sizeCode, 1); // untouched default

    ASSERT_TRUE(m_printer.SetPaper({1, 1, 0, 0}));
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(PaperCheckTest, CustomSizesCompareTheirDimensions)
{
    // A Qt printer's own custom size reads back as code 256 with its dimensions.
    QPrinter qprinter(QPrinter::HighResolution);
    qprinter.setOutputFormat(QPrinter::PdfFormat);
    qprinter.setPageSize(QPageSize(QSizeF(200, 250), QPageSize::Millimeter));
    const printout::TPaper paper = printout::PrinterPaper(qprinter);
    EXPECT_EQ(paper.sizeCode, printout::kPaperCustom);
    EXPECT_EQ(paper.width, 2000);
    EXPECT_EQ(paper.length, 2500);
    ASSERT_TRUE(m_printer.SetPaper(paper));
    TBoxRecorder boxes;
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 256, 1, 2000, 2500));
    EXPECT_TRUE(boxes.Boxes().empty());
    boxes.Answer(QMessageBox::Yes);
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 256, 1, 2100, 2800));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(m_printer.Paper().width, 2100);
}

} // namespace
