#include "forms/PrintJob.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "db/Settings.h"
#include "forms/AnnexPages.h"
#include "forms/CoopPages.h"
#include "forms/StdPages.h"
#include "printout/Printout.h"

#include <algorithm>
#include <utility>

namespace forms {

namespace {

struct TPlanRow {
    int page;
    TPagePainter standard;
    TPagePainter cooperative;
};

// The page plan: both forms share the eight Annex pages.
TPlanRow g_plan[] = {
    {1, PaintStdPage1, PaintCoopPage1},     {2, PaintStdPage2, PaintCoopPage2},
    {3, PaintStdPage3, PaintCoopPage3},     {4, PaintStdPage4, PaintCoopPage4},
    {5, PaintAnnexPage1, PaintAnnexPage1},  {6, PaintAnnexPage2, PaintAnnexPage2},
    {7, PaintAnnexPage3, PaintAnnexPage3},  {8, PaintAnnexPage4, PaintAnnexPage4},
    {9, PaintAnnexPage5, PaintAnnexPage5},  {10, PaintAnnexPage6, PaintAnnexPage6},
    {11, PaintAnnexPage7, PaintAnnexPage7}, {12, PaintAnnexPage8, PaintAnnexPage8},
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

std::optional<bool> TRow::MaybeBool(const char *field) const
{
    if (!Present())
        return std::nullopt;
    const dataset::TField *f = m_table->FindField(QLatin1String(field));
    if (!f || f->IsNull())
        return std::nullopt;
    return f->AsBoolean();
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
    for (const TPlanRow &row : g_plan)
        if (row.page == page)
            return cooperative ? row.cooperative : row.standard;
    return nullptr;
}

TPagePainter ReplacePagePainter(int page, bool cooperative, TPagePainter painter)
{
    for (TPlanRow &row : g_plan) {
        if (row.page == page) {
            TPagePainter &slot = cooperative ? row.cooperative : row.standard;
            return std::exchange(slot, painter);
        }
    }
    return nullptr;
}

ENoPainter::ENoPainter(const QString &kind, int page)
    : std::runtime_error(QStringLiteral("a lease of kind \"%1\" cannot be printed: page %2 of its form has no painter")
                             .arg(kind).arg(page).toStdString())
    , m_kind(kind)
    , m_page(page)
{
}

QString ENoPainter::Message() const
{
    return db::PickWorkText(
        QStringLiteral("Un bail de type « %1 » ne peut pas être imprimé : la page %2 de son formulaire n'existe pas "
                       "dans cette version.").arg(m_kind).arg(m_page),
        QStringLiteral("A lease of kind \"%1\" cannot be printed: page %2 of its form does not exist in this "
                       "version.").arg(m_kind).arg(m_page));
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
    const int end = annexPages ? last : std::min(last, kLeasePages);
    // Every painter first: a kind missing one prints nothing rather than a part of its form.
    for (int page = first; page <= end; ++page)
        if (!PagePainter(page, cooperative))
            throw ENoPainter(key.left(2), page);
    db::SetPrintingLanguage(rows.lease.Raw("LANGUEIMP").left(1));
    int drawn = 0;
    for (int page = first; page <= end; ++page) {
        const TPagePainter painter = PagePainter(page, cooperative);
        printout.NewPage(1);
        painter(rows, printout);
        printout.EndPage();
        ++drawn;
    }
    return drawn;
}

} // namespace forms
