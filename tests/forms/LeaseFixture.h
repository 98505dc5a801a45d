#pragma once
// A demo data folder with its three tables open by path, the way the print command sees them,
// and the pages of one lease recorded into a printout on the virtual printer.

#include "TestSupport.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Demo.h"
#include "db/FieldProps.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "forms/FormPrims.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"
#include "printout/Player.h"
#include "printout/Printer.h"
#include "printout/Printout.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace formstest {

class LeaseFixture : public ::testing::Test {
protected:
    static constexpr int kLeases = 30;
    static constexpr int kLessors = 5;

    void SetUp() override
    {
        db::InitSettings();
        m_dir = testsupport::TempDir();
        db::MakeDemoFolder(m_dir->path(), kLeases, kLessors);
        m_lease = Open(db::kBailStd, "NOBAIL");
        m_lessor = Open(db::kLocateur, "NOLOCATEUR");
        m_annex = Open(db::kAnnexe, "NOBAIL");
        forms::CalibrateFormFonts();
    }
    void TearDown() override { db::InitSettings(); }

    QString Dir() const { return m_dir->path(); }

    std::unique_ptr<dataset::TTable> Open(const db::TTableDesc &desc, const char *tag)
    {
        auto t = std::make_unique<dataset::TTable>();
        t->SetTableName(db::TableFile(m_dir->path(), desc, "dbf"));
        t->SetIndexName(QLatin1String(tag));
        t->Open();
        db::ApplyFieldProperties(*t);
        return t;
    }

    // Number of the first lease whose kind prefix matches (second character 'O' or not...).
    QString FindLease(const std::function<bool(const QString &kind)> &match)
    {
        for (m_lease->First(); !m_lease->Eof(); m_lease->Next()) {
            const QString kind = m_lease->FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
            if (match(kind))
                return m_lease->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
        }
        ADD_FAILURE() << "no lease of the kind wanted";
        return QString();
    }
    QString StandardLease()
    {
        return FindLease([](const QString &k) { return !forms::IsCooperativeKey(k) && !forms::IsElderlyKey(k); });
    }

    // Writes field values into a lease (a null QVariant clears the field).
    void SetFields(const QString &nobail, std::initializer_list<std::pair<const char *, QVariant>> values)
    {
        ASSERT_TRUE(m_lease->FindKey(nobail));
        m_lease->Edit();
        for (const auto &[name, value] : values) {
            dataset::TField *f = m_lease->FieldByName(QLatin1String(name));
            if (value.isNull())
                f->Clear();
            else if (value.typeId() == QMetaType::Bool)
                f->SetAsBoolean(value.toBool());
            else if (value.typeId() == QMetaType::QDate)
                f->SetAsDate(value.toDate());
            else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
                f->SetAsInteger(value.toLongLong());
            else
                f->SetAsString(value.toString());
        }
        m_lease->Post();
    }

    // Pages first to last of a lease, recorded as the print command records them.
    std::unique_ptr<printout::TPrintout> Print(const QString &nobail, int first = 1, int last = forms::kAllPages)
    {
        auto p = std::make_unique<printout::TPrintout>(nullptr, printout::TPrinter::Virtual(), QStringLiteral("test"));
        EXPECT_TRUE(m_lease->FindKey(nobail));
        m_rows = forms::PositionPrintRows(*m_lease, *m_lessor, *m_annex);
        m_drawn = forms::PrintLease(first, last, m_rows, *p);
        return p;
    }

    static std::vector<printout::TTextRun> Runs(const printout::TPrintout &p, int page)
    {
        return printout::TextRuns(*p.PageMetafile(page));
    }
    // The first run with that text (optionally near a baseline), or nullopt.
    static std::optional<printout::TTextRun> Find(const std::vector<printout::TTextRun> &runs, const QString &text,
                                                  int baseline = -1)
    {
        for (const auto &r : runs)
            if (r.text == text && (baseline < 0 || (r.box.top() < baseline && r.box.bottom() > baseline)))
                return r;
        return std::nullopt;
    }
    static bool HasText(const std::vector<printout::TTextRun> &runs, const QString &text)
    {
        return Find(runs, text).has_value();
    }
    // Page n at 200 dpi.
    static QImage Picture(const printout::TPrintout &p, int page)
    {
        QImage image(1700, 2200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        printout::PlayAtPhysicalSize(painter, *p.PageMetafile(page), 200, 200);
        return image;
    }
    // Whether the check box whose top-left corner is (left, top) in 0.1 mm is crossed: the
    // centre of a crossed box is inked.
    static bool Crossed(const QImage &image, int left, int top)
    {
        const double px = 200 / 254.0;
        const int cx = int((left + 17.5) * px), cy = int((top + 17.5) * px);
        int darkest = 255;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                darkest = std::min(darkest, image.pixelColor(cx + dx, cy + dy).lightness());
        return darkest < 128;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<dataset::TTable> m_lease, m_lessor, m_annex;
    int m_drawn = 0;
    forms::TLeaseRows m_rows; // the rows the last Print read
};

} // namespace formstest
