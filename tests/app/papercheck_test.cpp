// The page-format check after the printer set-up.

#include "AppTestUtil.h"

#include "printout/PaperCheck.h"

#include <QPageSize>
#include <QPrinter>
#include <gtest/gtest.h>

using namespace apptest;

namespace {

class PaperCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        printout::DefaultPaperRecord() = {};
    }
    void TearDown() override { db::InitSettings(); }
    QPrinter m_printer{QPrinter::HighResolution};
};

TEST_F(PaperCheckTest, OtherFormatIsOfferedBackAndYesRestoresIt)
{
    m_printer.setPageSize(QPageSize(QPageSize::A4));
    m_printer.setPageOrientation(QPageLayout::Landscape);
    printout::DefaultPaperRecord() = {9, 2, 0, 0};
    TBoxRecorder boxes;
    boxes.Answer(QMessageBox::Yes);
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Boxes()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(boxes.Boxes()[0].text.startsWith(QStringLiteral("Le format de papier sélectionné")));
    EXPECT_EQ(m_printer.pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(m_printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printout::DefaultPaperRecord().sizeCode, 1);
    EXPECT_EQ(printout::DefaultPaperRecord().orientation, 1);
}

TEST_F(PaperCheckTest, NoKeepsTheChosenFormatAndLetterPortraitAsksNothing)
{
    db::SetWorkingLanguage(QStringLiteral("A"));
    m_printer.setPageSize(QPageSize(QPageSize::Legal));
    TBoxRecorder boxes;
    boxes.Answer(QMessageBox::No);
    EXPECT_FALSE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(boxes.Boxes()[0].text.startsWith(QStringLiteral("The selected page format")));
    EXPECT_EQ(m_printer.pageLayout().pageSize().id(), QPageSize::Legal);
    EXPECT_EQ(printout::DefaultPaperRecord().sizeCode, 1); // untouched default

    m_printer.setPageSize(QPageSize(QPageSize::Letter));
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 1, 1, 0, 0));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(PaperCheckTest, CustomSizesCompareTheirDimensions)
{
    m_printer.setPageSize(QPageSize(QSizeF(200, 250), QPageSize::Millimeter));
    const printout::TPaper paper = printout::PrinterPaper(m_printer);
    EXPECT_EQ(paper.sizeCode, printout::kPaperCustom);
    EXPECT_EQ(paper.width, 2000);
    EXPECT_EQ(paper.length, 2500);
    TBoxRecorder boxes;
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 256, 1, 2000, 2500));
    EXPECT_TRUE(boxes.Boxes().empty());
    boxes.Answer(QMessageBox::Yes);
    EXPECT_TRUE(printout::EnsureDefaultPaper(m_printer, 256, 1, 2100, 2800));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(printout::PrinterPaper(m_printer).width, 2100);
}

} // namespace
