#include "forms/PrintJob.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Settings.h"
#include "forms/AnnexPages.h"
#include "forms/StdPages.h"
#include "printout/Printout.h"

namespace forms {

namespace {

struct TPlanRow {
    int page;
    TPagePainter standard;
    TPagePainter cooperative;
};

// The page plan: the cooperative painters join it as they are written. The Annex pages
// wait for them on the cooperative side, so that no cooperative lease prints as an Annex alone.
const TPlanRow kPlan[] = {
    {1, PaintStdPage1, nullptr},   {2, PaintStdPage2, nullptr},   {3, PaintStdPage3, nullptr},
    {4, PaintStdPage4, nullptr},   {5, PaintAnnexPage1, nullptr}, {6, PaintAnnexPage2, nullptr},
    {7, PaintAnnexPage3, nullptr}, {8, PaintAnnexPage4, nullptr}, {9, PaintAnnexPage5, nullptr},
    {10, PaintAnnexPage6, nullptr}, {11, PaintAnnexPage7, nullptr}, {12, PaintAnnexPage8, nullptr},
};

} // namespace

TRow::TRow(const dataset::TTable *table)
    : m_table(table)
{
}

bool TRow::Present() const
{
    return m_table && m_table->Active() && !m_table->IsEmpty();
}

QString TRow::Text(const char *field) const
{
    if (!Present())
        return QString();
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f ? f->DisplayText() : QString();
}

QString TRow::Raw(const char *field) const
{
    if (!Present())
        return QString();
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f ? f->AsString() : QString();
}

bool TRow::Bool(const char *field) const
{
    if (!Present())
        return false;
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f && f->AsBoolean();
}

QDate TRow::Date(const char *field) const
{
    if (!Present())
        return QDate();
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f ? f->AsDate() : QDate();
}

double TRow::Float(const char *field) const
{
    if (!Present())
        return 0;
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f ? f->AsFloat() : 0;
}

long long TRow::Integer(const char *field) const
{
    if (!Present())
        return 0;
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    return f ? f->AsInteger() : 0;
}

TPagePainter PagePainter(int page, bool cooperative)
{
    for (const TPlanRow &row : kPlan)
        if (row.page == page)
            return cooperative ? row.cooperative : row.standard;
    return nullptr;
}

bool IsElderlyKey(const QString &key)
{
    return key.size() >= 1 && key.at(0) == QLatin1Char('O');
}

bool IsCooperativeKey(const QString &key)
{
    return key.size() >= 2 && key.at(1) == QLatin1Char('O');
}

int PrintLease(int first, int last, const TLeaseRows &rows, printout::TPrintout &printout)
{
    const QString key = rows.lease.Raw("BAILAHCOOP");
    const bool cooperative = IsCooperativeKey(key);
    const bool annexPages = IsElderlyKey(key) && rows.annex.Present();
    db::SetPrintingLanguage(rows.lease.Raw("LANGUEIMP").left(1));
    int drawn = 0;
    for (int page = first; page <= last; ++page) {
        if (page > kLeasePages && !annexPages)
            break;
        const TPagePainter painter = PagePainter(page, cooperative);
        if (!painter)
            continue; // a page whose painter this build does not have yet
        printout.NewPage(1);
        painter(rows, printout);
        printout.EndPage();
        ++drawn;
    }
    return drawn;
}

} // namespace forms
