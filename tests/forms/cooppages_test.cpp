// The four cooperative lease pages read back from their recorded text, and looked at where the
// text alone cannot tell (check-box marks); the page plan of cooperative leases.

#include "LeaseFixture.h"

#include "forms/StdPagesTables.h"
#include "preview/Preview.h"
#include "ui/MessageBoxes.h"

#include <QMessageBox>

using namespace formstest;

class CoopPages : public LeaseFixture {
protected:
    QString Cooperative(bool elderly = false)
    {
        return FindLease([elderly](const QString &k) { return forms::IsCooperativeKey(k) && forms::IsElderlyKey(k) == elderly; });
    }
    static QString PageText(const printout::TPrintout &p, int page)
    {
        QStringList texts;
        for (const auto &r : Runs(p, page))
            texts << r.text;
        return texts.join(QLatin1Char('\n'));
    }
};

TEST_F(CoopPages, KindsPrintTheirLeasePagesAndTheAnnexOfAnElderlyCooperative)
{
    const QString regular = Cooperative(false);
    QString elderly;
    for (m_lease->First(); !m_lease->Eof() && elderly.isEmpty(); m_lease->Next()) {
        const QString kind = m_lease->FieldByName(QStringLiteral("BAILAHCOOP"))->AsString();
        const QString n = m_lease->FieldByName(QStringLiteral("NOBAIL"))->AsString().trimmed();
        if (kind.startsWith(QLatin1String("OO")) && m_annex->FindKey(n))
            elderly = n;
    }
    ASSERT_FALSE(elderly.isEmpty()) << "no elderly cooperative lease with an Annex in the demo";
    const struct {
        QString lease;
        int pages;
    } cases[] = {{regular, 4}, {elderly, 12}};
    for (const auto &c : cases) {
        SetFields(c.lease, {{"LANGUEIMP", "F"}});
        auto p = Print(c.lease);
        ASSERT_EQ(m_drawn, c.pages) << c.lease.toStdString();
        EXPECT_TRUE(HasText(Runs(*p, 1), QStringLiteral("D'UN LOGEMENT DANS UNE COOPÉRATIVE")));
        if (c.pages == 12) {
            // The same Annex pages as a standard lease, numbered as the Annex's.
            EXPECT_TRUE(HasText(Runs(*p, 5), QStringLiteral("Page 1 de 8")));
            EXPECT_TRUE(HasText(Runs(*p, 12), QStringLiteral("Page 8 de 8")));
        }
    }
}

TEST_F(CoopPages, SectionsSitOnTheirOwnPagesWithoutFurnitureOrResidentialQuestion)
{
    const QString n = Cooperative();
    const struct {
        const char *language;
        const char *term;   // section C, on page 1
        const char *notice; // section G, on page 4
        QStringList never;  // section B of the standard form only
    } cases[] = {
        {"F", "Bail à durée fixe", "AVIS AU NOUVEAU LOCATAIRE (art. 1896 et 1950 C.c.V.)",
         {QStringLiteral("Cuisinière"), QStringLiteral("Des meubles sont loués et inclus dans le loyer."),
          QStringLiteral("Le logement est loué à des fins résidentielles seulement.")}},
        {"A", "Fixed term lease", "NOTICE TO A NEW LESSEE (arts. 1896 and 1950 C.C.V.)",
         {QStringLiteral("Stove"), QStringLiteral("Furniture is leased and included in the rent."),
          QStringLiteral("The dwelling is leased for residential purposes only.")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        SetFields(n, {{"LANGUEIMP", c.language}});
        auto p = Print(n, 1, 4);
        ASSERT_EQ(m_drawn, 4);
        EXPECT_TRUE(Find(Runs(*p, 1), QString::fromUtf8(c.term), 2225));
        EXPECT_TRUE(Find(Runs(*p, 4), QString::fromUtf8(c.notice), 845));
        for (int page = 1; page <= 4; ++page)
            for (const QString &text : c.never)
                EXPECT_FALSE(HasText(Runs(*p, page), text)) << page << " " << text.toStdString();
        EXPECT_TRUE(HasText(Runs(*p, 1), forms::stdpages::PageText(1)));
        EXPECT_TRUE(HasText(Runs(*p, 4), forms::stdpages::PageText(4)));
    }
}

// Each pair or box: where its marks are, for a field true, false and empty.
TEST_F(CoopPages, BoxesMarkTheirFieldsAndThreeStatePairsStayBlankWhenEmpty)
{
    const QString n = Cooperative();
    SetFields(n, {{"LANGUEIMP", "F"}});
    const struct {
        const char *field;
        int page;
        QPoint yes, no; // box tops-left; no == (0, 0) for a single box
        bool threeState;
    } cases[] = {
        {"A_MEMCOOP1", 1, {720, 798}, {910, 798}, false},
        {"A_MEMCOOP2", 1, {720, 1183}, {910, 1183}, false},
        {"E_REMIS", 2, {1831, 2445}, {2001, 2445}, true},
        {"G_MEME", 4, {1580, 1370}, {1740, 1370}, true},
        {"F_LOGCOOP", 3, {130, 2335}, {}, false},
        {"F_LOG1", 3, {130, 2415}, {}, false},
        {"F_LOG2", 4, {130, 235}, {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        for (const QVariant &value : {QVariant(true), QVariant(false), QVariant()}) {
            SetFields(n, {{c.field, value}});
            auto p = Print(n, c.page, c.page);
            const QImage image = Picture(*p, 1);
            const bool isTrue = value.isValid() && value.toBool();
            EXPECT_EQ(Crossed(image, c.yes.x(), c.yes.y()), isTrue) << value.toString().toStdString();
            if (!c.no.isNull()) {
                const bool markNo = c.threeState ? value.isValid() && !value.toBool() : !isTrue;
                EXPECT_EQ(Crossed(image, c.no.x(), c.no.y()), markNo) << value.toString().toStdString();
            }
        }
    }
}

TEST_F(CoopPages, EnglishPrintsTheCooperativeWordingAndContinuedHeadings)
{
    const QString n = Cooperative();
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto p = Print(n, 1, 4);
    ASSERT_EQ(m_drawn, 4);
    EXPECT_TRUE(Find(Runs(*p, 1), QStringLiteral("OF A DWELLING IN A COOPERATIVE"), 320));
    EXPECT_TRUE(Find(Runs(*p, 1), QStringLiteral("referred to as the cooperative"), 570));
    EXPECT_TRUE(Find(Runs(*p, 3), QStringLiteral("SERVICES AND CONDITIONS (cont.)"), 135));
    EXPECT_TRUE(Find(Runs(*p, 4), QStringLiteral("LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.) (cont.)"), 190));
    EXPECT_TRUE(Find(Runs(*p, 3), QStringLiteral("the dwelling is leased by a housing cooperative to one of its members."), 2370));
    // The form's own wording where it differs from the standard one's.
    EXPECT_TRUE(PageText(*p, 2).contains(QLatin1String("Rent will be payable at"))) << PageText(*p, 2).toStdString();
    EXPECT_TRUE(PageText(*p, 3).contains(QLatin1String("Specifications or limitations")));
    // The lessor is the cooperative throughout, never the landlord.
    int cooperative = 0;
    for (int page = 1; page <= 4; ++page) {
        const QString text = PageText(*p, page);
        cooperative += int(text.count(QLatin1String("cooperative")));
        EXPECT_FALSE(text.contains(QLatin1String("landlord"))) << page;
    }
    EXPECT_GT(cooperative, 15);
}

TEST_F(CoopPages, EveryLegalLineFitsAndTheWordingIsOurs)
{
    for (const auto &line : forms::stdpages::CoopLegalLines()) {
        for (const char *language : {"F", "A"}) {
            db::SetPrintingLanguage(QLatin1String(language));
            printout::TMetafile mf;
            mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
            printout::TPageCanvas canvas(mf);
            EXPECT_LE(forms::stdpages::LegalLineEnd(canvas, line), 2030)
                << "page " << line.page << " y " << line.y << " " << language;
        }
    }
    db::InitSettings();
}

namespace {

bool Overprint(const printout::TTextRun &a, const printout::TTextRun &b)
{
    const QRectF common = a.box.intersected(b.box);
    return common.width() > 2 && common.height() > 0.5 * std::max(a.box.height(), b.box.height());
}

} // namespace

// Every field at its full length and then empty: nothing leaves the page's frame and no text
// prints over another.
TEST_F(CoopPages, FullAndEmptyLeasesKeepTheirTextApart)
{
    const QString n = Cooperative();
    SetFields(n, {{"NOLOCATEUR", 1}});
    auto fill = [](dataset::TTable &table, bool full, const QStringList &keep) {
        table.Edit();
        for (int i = 0; i < table.FieldCount(); ++i) {
            dataset::TField *f = table.Fields(i);
            if (keep.contains(f->FieldName().toUpper()))
                continue;
            if (!full) {
                f->Clear();
                continue;
            }
            switch (f->DataType()) {
            case dataset::TFieldType::String: {
                const bool phone = f->FieldName().toUpper().contains(QLatin1String("TEL"));
                f->SetAsString(QString(f->Size(), phone ? QLatin1Char('8') : QLatin1Char('W')));
                break;
            }
            case dataset::TFieldType::SmallInt:
            case dataset::TFieldType::Integer: f->SetAsInteger(999); break;
            case dataset::TFieldType::Float: f->SetAsString(QStringLiteral("999.9")); break;
            case dataset::TFieldType::Boolean: f->SetAsBoolean(true); break;
            case dataset::TFieldType::Date: f->SetAsDate(QDate(2024, 9, 30)); break;
            default: break;
            }
        }
        table.Post();
    };
    for (const bool full : {true, false}) {
        ASSERT_TRUE(m_lease->FindKey(n));
        fill(*m_lease, full, {QStringLiteral("NOBAIL"), QStringLiteral("BAILAHCOOP"), QStringLiteral("LANGUEIMP"),
                              QStringLiteral("NOLOCATEUR")});
        ASSERT_TRUE(m_lessor->FindKey(1LL));
        fill(*m_lessor, full, {QStringLiteral("NOLOCATEUR")});
        for (const char *language : {"F", "A"}) {
            SetFields(n, {{"LANGUEIMP", language}});
            auto p = Print(n, 1, 4);
            ASSERT_EQ(m_drawn, 4);
            for (int page = 1; page <= 4; ++page) {
                const auto runs = Runs(*p, page);
                for (size_t i = 0; i < runs.size(); ++i) {
                    const auto &a = runs[i];
                    if (a.text.trimmed().isEmpty())
                        continue;
                    const std::string where = std::string(language) + (full ? " full" : " empty") + " page " +
                                              std::to_string(page) + ": " + a.text.toStdString();
                    EXPECT_GE(a.box.left(), 93 - 1) << where;
                    EXPECT_LE(a.box.right(), 2060) << where;
                    EXPECT_LE(a.box.bottom(), 2730) << where;
                    for (size_t j = i + 1; j < runs.size(); ++j)
                        if (!runs[j].text.trimmed().isEmpty() && Overprint(a, runs[j]))
                            ADD_FAILURE() << where << " over " << runs[j].text.toStdString() << " at ("
                                          << a.box.left() << ", " << a.box.bottom() << ")";
                }
            }
        }
    }
}

// A kind whose form misses a painter prints no page: the job says so, and the print command
// shows it instead of an empty preview.
TEST_F(CoopPages, KindWithoutPainterPrintsNothingAndSaysSo)
{
    const QString n = Cooperative();
    const forms::TPagePainter kept = forms::ReplacePagePainter(3, true, nullptr);
    ASSERT_NE(kept, nullptr);
    EXPECT_THROW(Print(n, 1, 4), forms::ENoPainter);
    EXPECT_EQ(m_drawn, 0);

    QString shown;
    ui::SetMessageBoxHook([&](QMessageBox &box) {
        shown = box.text();
        return QMessageBox::Ok;
    });
    db::SetWorkingLanguage(QStringLiteral("F"));
    ASSERT_TRUE(m_lease->FindKey(n));
    forms::PrintCurrentLease(nullptr, forms::TPrintButton::SBPreview, *m_lease, *m_lessor, *m_annex, false);
    ui::SetMessageBoxHook({});
    forms::ReplacePagePainter(3, true, kept);
    EXPECT_TRUE(shown.contains(QString::fromUtf8("ne peut pas être imprimé"))) << shown.toStdString();
    EXPECT_EQ(forms::CurrentLeasePreview(), nullptr);

    // With its painter back the same lease prints its four pages.
    auto p = Print(n, 1, 4);
    EXPECT_EQ(m_drawn, 4);
}
