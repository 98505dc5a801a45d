// The cooperative lease form: its own tables (positions, the cooperative's column, the
// membership lines, the third restriction case) around the sections it shares with the
// standard form, which are drawn from the standard pages' routines with this form's layouts.

#include "forms/CoopPages.h"
#include "forms/StdPagesTables.h"

#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre;

// ---- Page 1: the parties (A), the dwelling (B) and the term (C) ----

const TTitleLayout kTitle = {
    340, 1080, 20, 270, 30, 80, true, 0, "D'UN LOGEMENT DANS UNE COOPÉRATIVE", "OF A DWELLING IN A COOPERATIVE", 320,
};

const TLesseeLayout kLessees[2] = {
    {520, 585, 642, 705, 680, 742, 772, 595, 652, 715, 782, 772},
    {897, 960, 1022, 1085, 1060, 1130, 1160, 970, 1032, 1095, 1165, 1160},
};

const TText kPartyTexts[] = {
    {130, 833, 9, L, "Membre de la coopérative", "Member of the cooperative"},
    {130, 1218, 9, L, "Membre de la coopérative", "Member of the cooperative"},
    // the cooperative's column
    {1570, 520, 31, C, "et le locateur, ci-après appelé", "and the lessor, hereinafter"},
    {1570, 570, 31, C, "la coopérative", "referred to as the cooperative"},
    {1115, 635, 3, L, "Nom de la coopérative", "Name of the cooperative"},
    {1115, 758, 3, L, "N°", "No."},
    {1300, 758, 3, L, "Rue", "Street"},
    {1840, 758, 3, L, "App.", "Apt."},
    {1115, 828, 3, L, "Municipalité", "Municipality"},
    {1760, 798, 3, L, "Code", "Postal"},
    {1760, 828, 3, L, "postal", "code"},
    {1115, 895, 3, L, "Téléphone", "Telephone"},
    {1115, 950, 9, L, "Représentée par", "Represented by"},
    {1115, 1165, 9, L, "mandaté à cet effet.", "mandated for that purpose."},
    {1115, 1015, 3, L, "Nom", "Name"},
    {1115, 1085, 3, L, "Fonction", "Position"},
    // notes under the section
    {115, 1300, 5, L,
     "-   Les noms indiqués au bail doivent être celui du locataire et celui de la coopérative ou celui que la loi les "
     "autorise à utiliser.",
     "-   The names indicated in the lease shall be that of the lessee and that of the cooperative or the name that "
     "the law authorizes them to use."},
    {115, 1330, 5, L, "-   Le singulier inclut le pluriel.", "-   The singular includes the plural."},
};

const TLine kPartyLines[] = {
    {130, 843, 1070, 843},    {1085, 450, 1085, 1258},  {1115, 645, 2055, 645},   {1115, 710, 2055, 710},
    {1115, 768, 2055, 768},   {1115, 838, 2055, 838},   {1115, 900, 2055, 900},   {1115, 1025, 2055, 1025},
    {1115, 1095, 2055, 1095},
};

const TYesNo kMembership[] = {
    {710, 900, 833, 798, "A_MEMCOOP1"},
    {710, 900, 1218, 1183, "A_MEMCOOP2"},
};

// The cooperative has one telephone.
const TValue kCooperativeValues[] = {
    {1425, 635, L, "Nom", 630},                  {1220, 758, C, "No", 120},  {1590, 758, C, "Rue", 430},
    {1975, 758, C, "App", 150},                  {1505, 828, C, "Munic", 490}, {1940, 828, C, "CP", 200},
    {1300, 895, L, "TELDOM", 755, TShow::Phone}, {1250, 1015, L, "Nomrep", 800}, {1250, 1085, L, "Fonction", 800},
};

const TDwellingLayout kDwelling = {
    1587, 370, 380, 1685, 1695, 1652, 1385, 1714, {1805, 1870}, {1770, 1835}, 1935, 1900, 1997, 2080,
};

const TTermLayout kTerm = {
    130, 2225, 2270, 2340, 2396, 2405, 2445, 2490, 2565, 2600,
    "Que le bail soit à durée fixe ou indéterminée, la coopérative ^ne peut ^y mettre fin (sauf les cas prévus par la "
    "loi)",
    "Whether the term of the lease is fixed or indeterminate, the cooperative ^may not ^terminate the lease (except in "
    "the cases",
    "(mentions 5 et 9).", "provided for by law) (particulars Nos. 5 and 9).",
};

const TBandTitle kPartyTitle[] = {{1080, 425, "ENTRE", "BETWEEN"}};
const TBandTitle kDwellingTitles[] = {
    {1090, 1440, "DESCRIPTION ET DESTINATION DU LOGEMENT LOUÉ,", "DESCRIPTION AND DESTINATION OF LEASED DWELLING,"},
    {1090, 1500, "DES ACCESSOIRES ET DÉPENDANCES", "ACCESSORIES AND DEPENDENCIES"},
};
const TBandTitle kTermTitle[] = {{1080, 2165, "DURÉE DU BAIL (art. 1851 C.c.V.)", "TERM OF LEASE (art. 1851 C.C.V.)"}};

// ---- Page 2: the rent (D) and the first part of the services and conditions (E) ----

const TRentLayout kRent = {
    317, 285, 382, 452, 545, 750, 820, 887, 980, 945, 1015, 1050,
    1140, 1190, 1260, 1330, 1295, 1400, 1450, 1517, 1548, 1620, 1670,
    "La coopérative ne peut exiger la remise d'un chèque ou d'un autre effet ",
    "The cooperative may not require payment by means of a ",
    "Le loyer sera payable au ", "Rent will be payable at ",
};

const TJanitorLayout kJanitor = {1830, 1795, 1888, 1918, 1970, 2034};

const TBylawsLayout kBylaws = {
    2145, 2300, 2345, 2410, 2375, 2480, 2445, 2547, 2578, true,
    "^Règlement de l'immeuble ^(art. 1894 C.c.V.)", "^By-laws of the immovable ^(art. 1894 C.C.V.)",
    "S'il existe un tel règlement, la coopérative ^doit ^en remettre un exemplaire au locataire ^avant ^la conclusion du",
    "If such by-laws exist, the cooperative ^must ^give a copy of them to the lessee ^before ^entering into the lease so "
    "that",
};

const TBandTitle kRentTitle[] = {{1080, 135, "LOYER (art. 1903 et 1904 C.c.V.)", "RENT (arts. 1903 and 1904 C.C.V.)"}};
const TBandTitle kServicesTitle[] = {{1080, 1760, "SERVICES ET CONDITIONS", "SERVICES AND CONDITIONS"}};

// ---- Page 3: the rest of E and the first part of the restrictions (F) ----

const TWorksLayout kWorks = {
    200, 525, 575, 763, {631, 694, 818, 882}, {634, 697, 822, 885},
    "S'il y a lieu, les travaux à exécuter par la coopérative sont les suivants:",
    "Where applicable, the work to be carried out by the cooperative is as follows:",
};

// The right block repeats the heads over its own boxes, as the standard page does.
const TText kServiceHeads[] = {
    {790, 1035, 25, L, "de la coopérative", "    cooperative"},
    {1100, 1035, 25, L, "du locataire", "lessee"},
    {1637, 1035, 25, C, "de la coopérative", "cooperative"},
    {1927, 1035, 25, C, "du locataire", "lessee"},
};
const TServicesLayout kServices = {
    985, 1035, 1080, {831, 1075}, 1250, {1620, 1910}, "Sont à la charge", "Will be borne by the", kServiceHeads,
};
const TConditionsLayout kConditions = {1355, 1405, 1370, 1469, 1550, 1515, 1604, 1700, {1760, 1825, 1890}};

const TBandTitle kPage3Titles[] = {
    {1080, 135, "SERVICES ET CONDITIONS (suite)", "SERVICES AND CONDITIONS (cont.)"},
};
const TBandTitle kRestrictionTitles[] = {
    {1080, 2020, "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION",
     "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE"},
    {1080, 2080, "DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.)", "LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.)"},
};

const TText kRestrictionTexts[] = {
    {1080, 2165, 25, C, "Section à remplir lorsqu'une ou des situations qui y sont décrites s'appliquent.",
     "Section to be completed where one or more of the situations described herein applies."},
    {130, 2305, 9, L, "une autre condition du bail parce que", "modification of another condition of the lease because"},
    {185, 2370, 9, L, "le logement est loué par une coopérative d'habitation à l'un de ses membres.",
     "the dwelling is leased by a housing cooperative to one of its members."},
    {185, 2590, 25, L, "ou", "or"},
};

// The cooperative's own case comes first of the three.
const TBox kRestrictionBoxes[] = {{130, 2335, "F_LOGCOOP"}, {130, 2415, "F_LOG1"}};

// ---- Page 4: the rest of F and the notice to a new lessee (G) ----

const TBandBox kPage4Bands[] = {{300, 70, 1870, 210}, {300, 775, 1870, 865}};
const TBandTitle kPage4Titles[] = {
    {1080, 130, "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION",
     "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE"},
    {1080, 190, "DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.) (suite)",
     "LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.) (cont.)"},
    {1080, 845, "AVIS AU NOUVEAU LOCATAIRE (art. 1896 et 1950 C.c.V.)", "NOTICE TO A NEW LESSEE (arts. 1896 and 1950 C.C.V.)"},
};

const TText kNoticeTexts[] = {
    {130, 470, 9, L, kCourtMayRuleFr, kCourtMayRuleEn},
    {130, 1095, 25, L, "Dans les autres cas:", "In other cases:"},
    {1080, 1140, 25, C, "Avis à remettre obligatoirement par la coopérative lors de la conclusion du bail.",
     "Mandatory notice to be given by the cooperative at the time the lease is entered into."},
    {300, 1405, 9, L, "Le bien loué et les conditions de votre bail sont les mêmes.",
     "The property leased and the conditions of your lease are the same."},
    {300, 1470, 9, L,
     "Si non, les changements suivants ont été apportés (exemples : ajout d'un stationnement, chauffage à la ",
     "If not, the following changes have been made (e.g., addition of parking, heating to be paid by the"},
    {300, 1510, 9, L, "charge du locataire):", "lessee):"},
    {300, 1743, 3, L, "Date", nullptr},
    {1110, 1743, 3, L, "Signature du mandataire de la coopérative", "Signature of the mandatary of the cooperative"},
    {1090, 2515, 29, C, kJoinPartsFr[0], kJoinPartsEn[0]},
    {1090, 2560, 29, C, kJoinPartsFr[1], kJoinPartsEn[1]},
};

const TLine kNoticeLines[] = {
    {300, 1575, 2050, 1575}, {300, 1640, 2050, 1640}, {300, 1715, 768, 1715}, {1110, 1715, 2050, 1715},
};

const TYesNo kSame[] = {{1570, 1730, 1405, 1370, "G_MEME", true}};

const TValue kNoticeValues[] = {
    {300, 1572, L, "G_CHANG1", 1750},
    {300, 1637, L, "G_CHANG2", 1750},
    {300, 1712, L, "G_DATE", 468, TShow::DateText},
};

// A rule of pen 3 under a centred heading.
void DrawRule(TPageCanvas &canvas, int y)
{
    canvas.SetPenWidth(3);
    DrawLine(canvas, 300, y, 1875, y);
    canvas.SetPenWidth(1);
}

} // namespace

void PaintCoopPage1(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    // The footer comes first: the emblem is the first thing on the page.
    DrawFirstPageFooter(canvas, PageText(1));
    DrawCorner(canvas, 450);
    DrawFrame(canvas, 115, 425, 2065, 1258, 6);
    DrawFrame(canvas, 115, 1500, 2065, 2105, 6);
    DrawFrame(canvas, 115, 2165, 2065, 2615, 6);
    DrawTitleBlock(canvas, lease, kTitle);
    DrawBand(canvas, 300, 360, 1870, 450, kPartyTitle, 14);
    DrawBand(canvas, 300, 1375, 1870, 1525, kDwellingTitles, 14);
    DrawBand(canvas, 300, 2100, 1870, 2190, kTermTitle, 14);
    DrawSectionLetter(canvas, 95, 360, QStringLiteral("A"));
    DrawSectionLetter(canvas, 95, 1435, QStringLiteral("B"));
    DrawSectionLetter(canvas, 95, 2100, QStringLiteral("C"));

    DrawLines(canvas, kPartyLines);
    DrawTexts(canvas, kPartyTexts);
    DrawLessee(canvas, lease, kLessees[0], 1);
    DrawLessee(canvas, lease, kLessees[1], 2);
    DrawYesNos(canvas, lease, kMembership);
    DrawValues(canvas, rows.lessor, kCooperativeValues); // nothing when the cooperative's row is absent
    DrawDwelling(canvas, lease, kDwelling);
    DrawTerm(canvas, lease, kTerm);
}

void PaintCoopPage2(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 115, 2065, 1700, 6);
    DrawFrame(canvas, 111, 1750, 2065, 2615, 6);
    DrawBand(canvas, 300, 70, 1870, 155, kRentTitle);
    DrawBand(canvas, 300, 1690, 1870, 1780, kServicesTitle);
    DrawSectionLetter(canvas, 95, 70, QStringLiteral("D"));
    DrawSectionLetter(canvas, 95, 1690, QStringLiteral("E"));

    DrawLegalLines(canvas, CoopLegalLines(), 2);
    DrawRentSection(canvas, lease, kRent);
    DrawJanitor(canvas, lease, kJanitor);
    DrawBylaws(canvas, lease, kBylaws);
    DrawPageFooter(canvas, PageText(2), -10, 1080);
}

void PaintCoopPage3(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 115, 2065, 1960, 6);
    DrawFrame(canvas, 111, 2075, 2065, 2630, 6);
    DrawBand(canvas, 300, 70, 1870, 155, kPage3Titles, 12);
    DrawBand(canvas, 300, 1950, 1870, 2100, kRestrictionTitles, 12);
    DrawSectionLetter(canvas, 95, 70, QStringLiteral("E"));
    DrawSectionLetter(canvas, 95, 2020, QStringLiteral("F"));

    DrawLegalLines(canvas, CoopLegalLines(), 3);
    DrawWorks(canvas, lease, kWorks);
    DrawServices(canvas, lease, kServices);
    DrawConditions(canvas, lease, kConditions);

    DrawRule(canvas, 2195);
    DrawMarked(canvas, 130, 2260,
               Pick("Le locataire et la coopérative ^ne peuvent demander à la Ostrevane ^de fixer le loyer ou de modifier",
                    "The lessee and the cooperative ^may not apply to the Ostrevane ^for the fixing of the rent or for "
                    "the"),
               9, 25);
    DrawTexts(canvas, kRestrictionTexts);
    DrawBoxes(canvas, lease, kRestrictionBoxes);
    DrawReadyDate(canvas, 2510, "l'habitation le ", "habitation on ", lease.Date("F_PRETHAB1"));
    DrawPageFooter(canvas, PageText(3), -10);
}

void PaintCoopPage4(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 180, 2065, 790, 6);
    DrawFrame(canvas, 111, 840, 2065, 2090, 6);
    DrawShrunkTitles(canvas, kPage4Bands, kPage4Titles, 1550);
    DrawSectionLetter(canvas, 95, 120, QStringLiteral("F"));
    DrawSectionLetter(canvas, 95, 775, QStringLiteral("G"));

    const TBox third[] = {{130, 235, "F_LOG2"}};
    DrawBoxes(canvas, lease, third);
    DrawReadyDate(canvas, 375, "pour l'habitation le ", "habitation on ", lease.Date("F_PRETHAB2"));
    DrawLegalLines(canvas, CoopLegalLines(), 4);
    DrawTexts(canvas, kNoticeTexts);
    DrawRule(canvas, 1160);
    DrawNoticeRent(canvas, lease, 1330, 1295);
    DrawYesNos(canvas, lease, kSame);
    DrawLines(canvas, kNoticeLines);
    DrawValues(canvas, lease, kNoticeValues);
    DrawPageFooter(canvas, PageText(4), -10);
}

} // namespace forms
