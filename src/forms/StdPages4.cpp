// Page 4 of the lease: restrictions on the fixing of the rent (section F) and the notice to a
// new lessee (section G).

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre, R = TAnchor::Right;

const TText kTexts[] = {
    {1080, 265, 25, C, "Section à remplir lorsqu'une des situations qui y sont décrites s'applique.",
     "Section to be completed where one of the situations described herein applies."},
    {130, 400, 9, L, "une autre condition du bail parce que", "modification of another condition of the lease because"},
    {185, 570, 25, L, "ou", "or"},
    {130, 810, 9, L, kCourtMayRuleFr, kCourtMayRuleEn},
    {1080, 1445, 25, C, "Avis à remettre obligatoirement par le propriétaire ou le sous-locateur",
     "Mandatory notice to be given by the landlord or the sublessor at the time the lease"},
    {1080, 1490, 25, C, "lors de la conclusion du bail, sauf lorsque la section F est remplie.",
     "is entered into, except when section F is completed."},
    {300, 1750, 9, L, "Le bien loué et les conditions de votre bail sont les mêmes.",
     "The property leased and the conditions of your lease are the same."},
    {300, 1800, 9, L,
     "Si non, les changements suivants ont été apportés (exemples : ajout d'un stationnement, chauffage à la ",
     "If not, the following changes have been made (e.g., addition of parking, heating to be paid by the"},
    {300, 1845, 9, L, "charge du locataire):", "lessee):"},
    {300, 2073, 3, L, "Date", nullptr},
    {1110, 2073, 3, L, "Signature du propriétaire ou du sous-locateur", "Signature of the landlord or sublessor"},
    {1090, 2515, 29, C, kJoinPartsFr[0], kJoinPartsEn[0]},
    {1090, 2560, 29, C, kJoinPartsFr[1], kJoinPartsEn[1]},
};

const TLine kLines[] = {
    {300, 1910, 2050, 1910}, {300, 1975, 2050, 1975},
    {300, 2045, 768, 2045},   {1110, 2045, 2050, 2045},
};

const TBox kBoxes[] = {
    {130, 420, "F_LOG1"},
    {130, 595, "F_LOG2"},
};

const TYesNo kYesNo[] = {{1570, 1730, 1750, 1715, "G_MEME"}};

const TValue kValues[] = {
    {300, 1907, L, "G_CHANG1", 1750},
    {300, 1972, L, "G_CHANG2", 1750},
    {300, 2042, L, "G_DATE", 468, TShow::DateText},
};

const TBandBox kBands[] = {{300, 70, 1875, 215}, {300, 1250, 1875, 1395}};
const TBandTitle kTitles[] = {
    {1080, 130, "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION",
     "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE"},
    {1080, 185, "DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.)", "LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.)"},
    {1080, 1315, "AVIS AU NOUVEAU LOCATAIRE OU AU SOUS-LOCATAIRE", "NOTICE TO A NEW LESSEE OR SUBLESSEE"},
    {1080, 1380, "(art. 1896 et 1950 C.c.V.)", "(arts. 1896 and 1950 C.C.V.)"},
};

} // namespace

namespace stdpages {

void DrawReadyDate(TPageCanvas &canvas, int baseline, const char *fr, const char *en, const QDate &date)
{
    SetFormFont(canvas, 9);
    const QString label = Pick(fr, en);
    DrawText(canvas, 185, baseline, label);
    const int r = 185 + canvas.TextWidth(label);
    DrawDateLine(canvas, r, baseline, date, 130, 510);
    DrawLine(canvas, r + 660, baseline + 3, r + 670, baseline + 3);
    SetFormFont(canvas, 9);
    DrawText(canvas, r + 675, baseline, QStringLiteral("."));
}

void DrawNoticeRent(TPageCanvas &canvas, const TRow &lease, int baseline, int boxTop)
{
    const TText texts[] = {
        {300, baseline, 9, L, "", "$ "},
        {990, baseline, 9, R, "$ par mois", "per month"},
        {1300, baseline, 9, R, "par semaine", "per week"},
        {1500, baseline, 9, R, "autre ", "other "},
        {1955, baseline, 9, L, ".", nullptr},
    };
    DrawTexts(canvas, texts);
    DrawLine(canvas, 1510, baseline + 3, 1950, baseline + 3);
    const TBox boxes[] = {{1000, boxTop, "G_MOIS"}, {1310, boxTop, "G_SEMAINE"}};
    DrawBoxes(canvas, lease, boxes);
    const TValue other[] = {{1510, baseline, L, "G_AUTRE", 440}};
    DrawValues(canvas, lease, other);
    // In English the dollar sign comes before the amount's line.
    SetFormFont(canvas, 9);
    const int start = English() ? 300 + canvas.TextWidth(QStringLiteral("$ ")) : 300;
    DrawLine(canvas, start, baseline + 3, start + 495, baseline + 3);
    DrawFitted(canvas, start, baseline, StarFill(canvas, lease.Text("G_LOYER"), 495, 1), 495);
}

void DrawShrunkTitles(TPageCanvas &canvas, std::span<const TBandBox> bands, std::span<const TBandTitle> titles,
                      int shrinkWidth)
{
    for (const TBandBox &b : bands)
        BeginSectionBand(canvas, b.left, b.top, b.right, b.bottom, 12);
    bool first = true;
    for (const TBandTitle &t : titles) {
        const QString text = Pick(t.fr, t.en);
        if (first)
            ShrinkFontToWidth(canvas, text, shrinkWidth);
        first = false;
        canvas.TextOut(t.x, -t.y, text);
    }
    EndSectionBand(canvas);
}

} // namespace stdpages

void PaintStdPage4(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 110, 180, 2065, 1130, 6);
    DrawFrame(canvas, 110, 1370, 2065, 2400, 6);
    DrawShrunkTitles(canvas, kBands, kTitles, 1500);
    DrawSectionLetter(canvas, 93, 120, QStringLiteral("F"));
    DrawSectionLetter(canvas, 93, 1310, QStringLiteral("G"));

    canvas.SetPenWidth(3);
    DrawLine(canvas, 300, 295, 1875, 295);
    DrawLine(canvas, 300, 1508, 1875, 1508);
    canvas.SetPenWidth(1);

    DrawMarked(canvas, 130, 355,
               Pick("Le locataire et le propriétaire ^ne peuvent demander à la Ostrevane ^de fixer le loyer ou de "
                    "modifier",
                    "The lessee and the landlord ^may not apply to the Ostrevane ^for the fixing of the rent or for the"),
               9, 25);
    DrawTexts(canvas, kTexts);
    DrawLegalLines(canvas, 4);
    DrawLines(canvas, kLines);
    DrawBoxes(canvas, lease, kBoxes);
    DrawYesNos(canvas, lease, kYesNo);
    DrawReadyDate(canvas, 520, "l'habitation le ", "habitation on ", lease.Date("F_PRETHAB1"));
    DrawReadyDate(canvas, 735, "pour l'habitation le ", "habitation on ", lease.Date("F_PRETHAB2"));

    DrawNoticeRent(canvas, lease, 1675, 1640);
    DrawValues(canvas, lease, kValues);
    DrawPageFooter(canvas, PageText(4));
}

} // namespace forms
