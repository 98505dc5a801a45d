// The four standard lease pages read back from their recorded text, and looked at where the
// text alone cannot tell (check-box marks).

#include "LeaseFixture.h"

#include "forms/StdPagesTables.h"
#include "printout/PageCanvas.h"
#include "pdf/PdfBox.h"
#include "printout/PdfExport.h"

using namespace formstest;

namespace {

// Width of a text in a form font entry, measured as the pages measure it.
int Width(int font, const QString &text)
{
    printout::TMetafile mf;
    mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
    printout::TPageCanvas canvas(mf);
    forms::SetFormFont(canvas, font);
    return canvas.TextWidth(text);
}

} // namespace

class StdPages : public LeaseFixture {};

#define PDF_TOOL_OR_SKIP(program)                                                                 \
    do {                                                                                          \
        if (!testsupport::HaveProgram(QStringLiteral(program)))                                   \
            GTEST_SKIP() << program " not installed";                                             \
    } while (0)

TEST_F(StdPages, ResidentialPurposeMarksYesOnlyWhenTrue)
{
    const QString n = StandardLease();
    SetFields(n, {{"B_FINRESID", true}, {"LANGUEIMP", "F"}});
    auto yes = Print(n, 1, 1);
    const QImage marked = Picture(*yes, 1);
    EXPECT_TRUE(Crossed(marked, 1240, 1650));
    EXPECT_FALSE(Crossed(marked, 1520, 1650));

    SetFields(n, {{"B_FINRESID", QVariant()}});
    auto empty = Print(n, 1, 1);
    const QImage unmarked = Picture(*empty, 1);
    EXPECT_FALSE(Crossed(unmarked, 1240, 1650));
    EXPECT_TRUE(Crossed(unmarked, 1520, 1650));
    // The labels of the pair end where the page puts them.
    const auto runs = Runs(*empty, 1);
    const auto oui = Find(runs, QStringLiteral("Oui"), 1680);
    ASSERT_TRUE(oui);
    EXPECT_NEAR(oui->box.right(), 1230, 1.5);
}

TEST_F(StdPages, EndDatePrintsDayMonthAndYearOnItsDateLine)
{
    const QString n = StandardLease();
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"C_FIN", QDate(2024, 12, 31)}, {"LANGUEIMP", language}});
        auto p = Print(n, 2, 2);
        const bool french = QLatin1String(language) == QLatin1String("F");
        const int r = 330 + Width(9, french ? QStringLiteral("et se terminant le ") : QStringLiteral("and ending on "));
        const auto runs = Runs(*p, 1);
        const auto day = Find(runs, QStringLiteral("31"), 328);
        const auto month = Find(runs, french ? QStringLiteral("décembre") : QStringLiteral("December"), 328);
        const auto year = Find(runs, QStringLiteral("2024"), 328);
        ASSERT_TRUE(day && month && year) << language;
        EXPECT_NEAR(day->box.left(), r + 30, 1.5) << language;
        EXPECT_NEAR(month->box.left(), r + 160, 1.5) << language;
        EXPECT_NEAR(year->box.left(), r + 540, 1.5) << language;
    }
}

TEST_F(StdPages, DatesWrittenAsTextUseTheDateFormat)
{
    const QString n = StandardLease();
    SetFields(n, {{"E_DATE", QDate(2025, 3, 7)}, {"G_DATE", QDate(2024, 11, 2)}, {"LANGUEIMP", "F"}});
    auto p = Print(n, 3, 4);
    ASSERT_EQ(m_drawn, 2);
    EXPECT_TRUE(Find(Runs(*p, 1), QStringLiteral("2025/03/07"), 740));
    const auto g = Find(Runs(*p, 2), QStringLiteral("2024/11/02"), 2042);
    ASSERT_TRUE(g);
    EXPECT_NEAR(g->box.left(), 300, 1.5);
}

TEST_F(StdPages, TotalEndsAtTheLineEndWithLeadingStars)
{
    const QString n = StandardLease();
    for (const char *total : {"12,00 $", "123456,78 $"}) {
        for (const char *language : {"F", "A"}) {
            SetFields(n, {{"D_TOTAL1", total}, {"LANGUEIMP", language}});
            auto p = Print(n, 2, 2);
            const auto runs = Runs(*p, 1);
            bool found = false;
            for (const auto &r : runs) {
                if (r.text.endsWith(QLatin1String(" ") + QLatin1String(total)) && r.text.startsWith(QLatin1Char('*'))) {
                    found = true;
                    EXPECT_NEAR(r.box.right(), 2040, 1.5) << total << language;
                }
            }
            EXPECT_TRUE(found) << total << language;
        }
    }
}

TEST_F(StdPages, DollarSignsFollowTheLanguageText)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 2, 4);
    const auto en2 = Runs(*en, 1), en4 = Runs(*en, 3);
    EXPECT_TRUE(HasText(en2, QStringLiteral("The rent is $ ")));
    EXPECT_TRUE(HasText(en2, QStringLiteral("per month")));
    EXPECT_FALSE(HasText(en2, QStringLiteral("$    par mois")));
    const auto notice = Find(en4, QStringLiteral("$ "), 1675);
    ASSERT_TRUE(notice);
    EXPECT_NEAR(notice->box.left(), 300, 1.5);

    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 2, 4);
    const auto fr2 = Runs(*fr, 1), fr4 = Runs(*fr, 3);
    EXPECT_TRUE(HasText(fr2, QStringLiteral("Le loyer est de ")));
    EXPECT_TRUE(HasText(fr2, QStringLiteral("$    par mois")));
    EXPECT_FALSE(Find(fr4, QStringLiteral("$ "), 1675));
    EXPECT_TRUE(HasText(fr4, QStringLiteral("$ par mois")));
}

TEST_F(StdPages, WeeklyBoxMovesToTheNextLineInEnglish)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 2, 2);
    const auto week = Find(Runs(*en, 1), QStringLiteral("of the week"), 1718);
    ASSERT_TRUE(week);
    EXPECT_NEAR(week->box.left(), 330, 1.5);

    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 2, 2);
    const auto runs = Runs(*fr, 1);
    EXPECT_TRUE(Find(runs, QStringLiteral("de la semaine"), 1634));
    const auto other = Find(runs, QStringLiteral("autre "), 1718);
    ASSERT_TRUE(other);
    EXPECT_NEAR(other->box.left(), 330, 1.5);
}

TEST_F(StdPages, LinesOfOneLanguageOnly)
{
    const QString n = StandardLease();
    SetFields(n, {{"LANGUEIMP", "F"}});
    auto fr = Print(n, 1, 4);
    SetFields(n, {{"LANGUEIMP", "A"}});
    auto en = Print(n, 1, 4);
    const auto comma = Find(Runs(*fr, 1), QStringLiteral(","), 1750);
    ASSERT_TRUE(comma);
    EXPECT_NEAR(comma->box.left(), 2021, 1.5);
    EXPECT_FALSE(Find(Runs(*en, 1), QStringLiteral(","), 1750));
    EXPECT_TRUE(HasText(Runs(*en, 2), QStringLiteral("by law) (particulars Nos. 5 and 9).")));
    EXPECT_TRUE(HasText(Runs(*en, 3), QStringLiteral("and 1911 C.C.V.).")));
    for (int page = 1; page <= 4; ++page) {
        for (const auto &r : Runs(*fr, page)) {
            EXPECT_NE(r.text, QLatin1String("by law) (particulars Nos. 5 and 9)."));
            EXPECT_NE(r.text, QLatin1String("and 1911 C.C.V.)."));
        }
    }
}

TEST_F(StdPages, LessorBlockStaysEmptyWithoutLessor)
{
    const QString n = StandardLease();
    SetFields(n, {{"NOLOCATEUR", 1}, {"LANGUEIMP", "F"}});
    auto with = Print(n, 1, 1);
    ASSERT_TRUE(m_lessor->FindKey(1LL));
    const QString name = m_lessor->FieldByName(QStringLiteral("NOM"))->DisplayText();
    ASSERT_FALSE(name.isEmpty());
    const auto at = Find(Runs(*with, 1), name, 585);
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->box.left(), 1200, 1.5);

    SetFields(n, {{"NOLOCATEUR", 4321}});
    auto without = Print(n, 1, 1);
    const auto runs = Runs(*without, 1);
    EXPECT_FALSE(HasText(runs, name));
    // The labels are there, and nothing else is written in the lessor's column.
    EXPECT_TRUE(HasText(runs, QStringLiteral("Fonction")));
    EXPECT_TRUE(HasText(runs, QStringLiteral("S'il y a lieu, représenté par")));
    const QStringList labels = {QStringLiteral("Rue"),       QStringLiteral("App."),    QStringLiteral("Code"),
                                QStringLiteral("postal"),    QStringLiteral("Téléphone"), QStringLiteral("(autre)"),
                                QStringLiteral("et le propriétaire (locateur)")};
    for (const auto &r : runs)
        if (r.box.left() > 1190 && r.box.top() > 540 && r.box.bottom() < 1000 && !labels.contains(r.text))
            ADD_FAILURE() << "lessor value without lessor: " << r.text.toStdString();
}

TEST_F(StdPages, EveryLegalLineFitsInsideItsFrame)
{
    QStringList french, english;
    for (const auto &line : forms::stdpages::LegalLines()) {
        for (const char *language : {"F", "A"}) {
            db::SetPrintingLanguage(QLatin1String(language));
            printout::TMetafile mf;
            mf.SetDevice(printout::TReferenceDevice::ForSheet(QSize(5100, 6600), 600, 600));
            printout::TPageCanvas canvas(mf);
            const int end = forms::stdpages::LegalLineEnd(canvas, line);
            EXPECT_LE(end, 2030) << "page " << line.page << " y " << line.y << " " << language;
            (QLatin1String(language) == QLatin1String("F") ? french : english)
                << forms::stdpages::Pick(line.fr, line.en);
        }
    }
    // Our own wording, long enough to be paragraphs rather than stubs.
    EXPECT_GT(french.join(QLatin1Char(' ')).split(QLatin1Char(' ')).size(), 450);
    EXPECT_GT(english.join(QLatin1Char(' ')).split(QLatin1Char(' ')).size(), 450);
    db::InitSettings();
}

TEST_F(StdPages, FormTextOfAnEmptyLeaseStaysInsideTheLayout)
{
    // Form texts only: a lease with nothing typed in.
    const QString n = StandardLease();
    ASSERT_TRUE(m_lease->FindKey(n));
    m_lease->Edit();
    for (int i = 0; i < m_lease->FieldCount(); ++i) {
        dataset::TField *f = m_lease->Fields(i);
        const QString name = f->FieldName().toUpper();
        if (name != QLatin1String("NOBAIL") && name != QLatin1String("BAILAHCOOP") && name != QLatin1String("LANGUEIMP"))
            f->Clear();
    }
    m_lease->Post();
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"LANGUEIMP", language}});
        auto p = Print(n, 1, 4);
        ASSERT_EQ(m_drawn, 4);
        for (int page = 1; page <= 4; ++page) {
            for (const auto &r : Runs(*p, page)) {
                if (r.text.trimmed().isEmpty())
                    continue;
                EXPECT_GE(r.box.left(), 93 - 1) << language << page << r.text.toStdString();
                EXPECT_LE(r.box.right(), 2070 + 1) << language << page << r.text.toStdString();
                EXPECT_LE(r.box.bottom(), 2730) << language << page << r.text.toStdString();
            }
        }
        // Footers carry the page numbers of the ten-page form.
        EXPECT_TRUE(HasText(Runs(*p, 1), forms::stdpages::PageText(1)));
        EXPECT_TRUE(HasText(Runs(*p, 4), forms::stdpages::PageText(4)));
    }
}

TEST_F(StdPages, CornerLabelLiesInsideItsTriangle)
{
    // The triangle (115, 120)-(355, 120)-(115, 360): its hypotenuse is x + y = 475. On both
    // forms the label rises at +45 degrees along it; turned the other way it would cross it.
    const QString cooperative = FindLease([](const QString &k) { return forms::IsCooperativeKey(k); });
    for (const QString &n : {StandardLease(), cooperative})
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"LANGUEIMP", language}});
        auto p = Print(n, 1, 1);
        const QImage image = Picture(*p, 1);
        const double px = 200 / 254.0;
        int inside = 0, beyond = 0;
        for (int y = 125; y < 355; ++y) {
            for (int x = 120; x < 360; ++x) {
                if (qGray(image.pixel(int(x * px), int(y * px))) >= 128)
                    continue;
                if (x + y < 465 && x > 122 && y > 127)
                    ++inside;
                else if (x + y > 485)
                    ++beyond; // past the hypotenuse and its pen
            }
        }
        EXPECT_GT(inside, 1000) << language; // the label is there
        EXPECT_EQ(beyond, 0) << language;
    }
}

namespace {

// Two recorded texts that print over each other on one line: their boxes share more than a
// sliver across and half the taller one's height (a large title's box may reach into the
// line above it without any ink there).
bool Overprint(const printout::TTextRun &a, const printout::TTextRun &b)
{
    const QRectF common = a.box.intersected(b.box);
    return common.width() > 2 && common.height() > 0.5 * std::max(a.box.height(), b.box.height());
}

} // namespace

TEST_F(StdPages, FieldValuesKeepToTheirLinesAtAnyLength)
{
    // Every text field of the lease and of its lessor filled to its length with the widest
    // letter, then with a short value (star fills at their fullest); numbers at their largest.
    const QString n = StandardLease();
    SetFields(n, {{"NOLOCATEUR", 1}});
    ASSERT_TRUE(m_lessor->FindKey(1LL));
    auto fill = [](dataset::TTable &table, int length, const QStringList &keep) {
        table.Edit();
        for (int i = 0; i < table.FieldCount(); ++i) {
            dataset::TField *f = table.Fields(i);
            if (keep.contains(f->FieldName().toUpper()))
                continue;
            switch (f->DataType()) {
            case dataset::TFieldType::String: {
                const bool phone = f->FieldName().toUpper().contains(QLatin1String("TEL"));
                f->SetAsString(QString(std::min(length, f->Size()), phone ? QLatin1Char('8') : QLatin1Char('W')));
                break;
            }
            case dataset::TFieldType::SmallInt:
            case dataset::TFieldType::Integer: f->SetAsInteger(999); break;
            case dataset::TFieldType::Float: f->SetAsString(QStringLiteral("999.9")); break;
            default: break;
            }
        }
        table.Post();
    };
    for (const int length : {1000, 3}) {
        ASSERT_TRUE(m_lease->FindKey(n));
        fill(*m_lease, length, {QStringLiteral("NOBAIL"), QStringLiteral("BAILAHCOOP"), QStringLiteral("LANGUEIMP"),
                                QStringLiteral("NOLOCATEUR")});
        ASSERT_TRUE(m_lessor->FindKey(1LL));
        fill(*m_lessor, length, {QStringLiteral("NOLOCATEUR")});
        for (const char *language : {"F", "A"}) {
            SetFields(n, {{"LANGUEIMP", language}});
            auto p = Print(n, 1, 4);
            ASSERT_EQ(m_drawn, 4);
            // The five free lines of the "Other" furniture column: from 1700 to the line's end.
            for (const int y : {2355, 2400, 2445, 2490, 2535}) {
                bool found = false;
                for (const auto &r : Runs(*p, 1)) {
                    if (r.box.left() > 1650 && r.box.top() < y && r.box.bottom() > y && r.text.startsWith(QLatin1Char('W'))) {
                        found = true;
                        EXPECT_NEAR(r.box.left(), 1700, 1.5) << y;
                        EXPECT_LE(r.box.right(), 2032) << y;
                    }
                }
                EXPECT_TRUE(found) << y;
            }
            for (int page = 1; page <= 4; ++page) {
                const auto runs = Runs(*p, page);
                for (size_t i = 0; i < runs.size(); ++i) {
                    const auto &a = runs[i];
                    if (a.text.trimmed().isEmpty())
                        continue;
                    const std::string where = std::string(language) + " page " + std::to_string(page) + " length " +
                                              std::to_string(length) + ": " + a.text.toStdString();
                    EXPECT_LE(a.box.right(), 2060) << where;
                    for (size_t j = i + 1; j < runs.size(); ++j)
                        if (!runs[j].text.trimmed().isEmpty() && Overprint(a, runs[j]))
                            ADD_FAILURE() << where << " over " << runs[j].text.toStdString() << " at ("
                                          << a.box.left() << ", " << a.box.bottom() << ")";
                }
            }
        }
    }
}

namespace {

// Dark pixels of one picture with no dark pixel within radius in the other, counted per
// square tile; the worst tile tells a misplaced word from anti-aliasing noise.
struct TInkDifference {
    int worst = 0;
    QPoint at;
};

TInkDifference CompareInk(const QImage &a, const QImage &b, int tile, int radius)
{
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    auto dark = [](const QImage &image) {
        std::vector<char> out(size_t(image.width()) * size_t(image.height()));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                out[size_t(y) * size_t(image.width()) + size_t(x)] = qGray(image.pixel(x, y)) < 128;
        return out;
    };
    const std::vector<char> da = dark(a), db = dark(b);
    auto near = [&](const std::vector<char> &d, int stride, int x, int y) {
        for (int yy = std::max(0, y - radius); yy <= std::min(h - 1, y + radius); ++yy)
            for (int xx = std::max(0, x - radius); xx <= std::min(w - 1, x + radius); ++xx)
                if (d[size_t(yy) * size_t(stride) + size_t(xx)])
                    return true;
        return false;
    };
    std::map<std::pair<int, int>, int> tiles;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inA = da[size_t(y) * size_t(a.width()) + size_t(x)];
            const bool inB = db[size_t(y) * size_t(b.width()) + size_t(x)];
            if ((inA && !near(db, b.width(), x, y)) || (inB && !near(da, a.width(), x, y)))
                ++tiles[{x / tile, y / tile}];
        }
    }
    TInkDifference worst;
    for (const auto &[key, count] : tiles) {
        if (count > worst.worst) {
            worst.worst = count;
            worst.at = QPoint(key.first * tile, key.second * tile);
        }
    }
    return worst;
}

} // namespace

TEST_F(StdPages, SavedPdfPagesLookLikeThePlayersPages)
{
    PDF_TOOL_OR_SKIP("pdftoppm");
    const QString n = StandardLease();
    auto dir = testsupport::TempDir();
    for (const char *language : {"F", "A"}) {
        SetFields(n, {{"LANGUEIMP", language}});
        auto p = Print(n, 1, 4);
        ASSERT_EQ(m_drawn, 4);
        const QString pdf = dir->filePath(QStringLiteral("lease%1.pdf").arg(QLatin1String(language)));
        printout::TPrintoutExport exporter(pdf, QStringLiteral("ACROBAT"));
        // A reader draws a font left out of the file in a substitute of its own (a taller one
        // for Arial), so the fonts go in: what is compared is where things are drawn.
        exporter.Writer()->NonEmbeddedFonts().clear();
        printout::ExportRange(exporter, *p, 1, 4, {});
        const QString prefix = dir->filePath(QLatin1String(language));
        ASSERT_EQ(testsupport::Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"),
                                                              QStringLiteral("-gray"), QStringLiteral("-png"), pdf, prefix}),
                  0);
        for (int page = 1; page <= 4; ++page) {
            const QImage saved(prefix + QStringLiteral("-%1.png").arg(page));
            ASSERT_FALSE(saved.isNull()) << language << page;
            QImage ours(saved.size(), QImage::Format_RGB32);
            ours.fill(Qt::white);
            {
                QPainter painter(&ours);
                printout::PlayAtPhysicalSize(painter, *p->PageMetafile(page), 100, 100);
            }
            // Tiles of 1 cm; a word out of place leaves far more than this behind.
            const TInkDifference d = CompareInk(saved, ours, 40, 1);
            EXPECT_LT(d.worst, 25) << language << " page " << page << " near (" << d.at.x() << ", " << d.at.y()
                                   << ") px at 100 dpi";
        }
    }
}
