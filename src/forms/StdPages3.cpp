// Page 3 of the lease: the rest of the services and conditions (section E), drawn from layouts
// that the cooperative pages share.

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre;

const TBylawsLayout kBylaws = {
    223, 383, 426, 606, 570, 673, 638, 740, 768, false,
    "^Règlement de l'immeuble ^(art. 1057 et 1894 C.c.V.)", "^By-laws of the immovable ^(arts. 1057 and 1894 C.C.V.)",
    "S'il existe un tel règlement, le propriétaire ^doit ^en remettre un exemplaire au locataire ^avant ^la conclusion du",
    "If such by-laws exist, the landlord ^must ^give a copy of them to the lessee ^before ^entering into the lease so "
    "that",
};

const TText kServiceHeads[] = {
    {848, 1690, 25, C, "propriétaire", "landlord"},
    {1082, 1690, 25, C, "locataire", "lessee"},
    {1712, 1690, 25, C, "propriétaire", "landlord"},
    {1949, 1690, 25, C, "locataire", "lessee"},
};

const TWorksLayout kWorks = {
    837, 1169, 1225, 1417, {1281, 1345, 1471, 1535}, {1284, 1348, 1475, 1538},
    "S'il y a lieu, les travaux à exécuter par le propriétaire sont les suivants:",
    "Where applicable, the work to be carried out by the landlord is as follows:",
};
const TServicesLayout kServices = {
    1641, 1690, 1740, {831, 1066}, 1304, {1694, 1931}, "Sont à la charge du", "Will be borne by the", kServiceHeads};
const TConditionsLayout kConditions = {2018, 2068, 2033, 2123, 2222, 2187, 2276, 2384, {2440, 2524, 2608}};

const TBandTitle kTitle[] = {{1080, 131, "SERVICES ET CONDITIONS (suite)", "SERVICES AND CONDITIONS (cont.)"}};

// A value on a line from x to 2040, by default three units below its baseline.
void ValueLine(TPageCanvas &canvas, const TRow &lease, int x, int baseline, const char *field, int line = 0)
{
    line = line > 0 ? line : baseline + 3;
    DrawLine(canvas, x, line, 2040, line);
    const TValue value[] = {{x, baseline, L, field, 2040 - x}};
    DrawValues(canvas, lease, value);
}

} // namespace

namespace stdpages {

void DrawBylaws(TPageCanvas &canvas, const TRow &lease, const TBylawsLayout &l)
{
    DrawMarked(canvas, 130, l.head, Pick(l.headFr, l.headEn), 9, 25);
    DrawMarked(canvas, 130, l.run, Pick(l.runFr, l.runEn), 9, 25);
    const TText texts[] = {
        {130, l.runEnd, 9, L, "bail pour que ce règlement en fasse partie.", "the by-laws form a part of the lease."},
        {330, l.exist, 9, L, "Il existe un règlement de l'immeuble.", "There are by-laws for the immovable."},
        {330, l.given, 9, L, "Si oui, un exemplaire du règlement a été remis au locataire avant la conclusion du bail.",
         "If yes, a copy of the by-laws was given to the lessee before entering into the lease."},
    };
    DrawTexts(canvas, texts);
    DrawBullet(canvas, l.exist);
    const TYesNo pairs[] = {
        {1077, 1255, l.exist, l.existBoxTop, "E_REGLEMEN"},
        {1821, 1991, l.given, l.givenBoxTop, "E_REMIS", l.givenThreeState},
    };
    DrawYesNos(canvas, lease, pairs);

    // Date the by-laws were handed over, written as text.
    SetFormFont(canvas, 9);
    const QString label = Pick("Si oui, le ", "If yes, on ");
    DrawText(canvas, 330, l.date, label);
    const int r = 330 + canvas.TextWidth(label);
    DrawLine(canvas, r, l.date + 3, r + 450, l.date + 3);
    DrawText(canvas, r + 450, l.date, QStringLiteral("."));
    DrawFitted(canvas, r, l.date, db::DateText(lease.Date("E_DATE")), 450);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, l.dateCaption, Pick("Date de remise du règlement", "Date when by-laws were given to lessee"));
}

void DrawWorks(TPageCanvas &canvas, const TRow &lease, const TWorksLayout &l)
{
    const TText texts[] = {
        {130, l.head, 25, L, "Travaux et réparations", "Work and repairs"},
        {330, l.sentence, 9, L, l.sentenceFr, l.sentenceEn},
        {340, l.before, 9, L, "-", nullptr},
        {374, l.before, 9, L, "avant la délivrance du logement", "before the delivery of the dwelling"},
        {340, l.during, 9, L, "-", nullptr},
        {374, l.during, 9, L, "en cours de bail", "during the lease"},
    };
    DrawTexts(canvas, texts);
    DrawBullet(canvas, l.sentence);
    const char *const fields[] = {"E_AVANT1", "E_AVANT2", "E_COURS1", "E_COURS2"};
    for (int i = 0; i < 4; ++i)
        ValueLine(canvas, lease, 374, l.values[i], fields[i], l.lines[i]);
}

void DrawServices(TPageCanvas &canvas, const TRow &lease, const TServicesLayout &l)
{
    const int y = l.firstRow;
    const TText texts[] = {
        {130, l.head, 25, L, "Services, taxes et coûts de consommation", "Services, taxes and consumption costs"},
        {330, l.borneBy, 9, L, l.borneByFr, l.borneByEn},
        {330, y, 9, L, "Chauffage du logement", "Heating of dwelling"},
        {330, y + 50, 9, L, "Eau chaude", "Hot water"},
        {330, y + 100, 9, L, "Électricité", "Electricity"},
        {330, y + 150, 9, L, "Taxe d'eau", "Water tax"},
        {l.rightX, y, 9, L, "Enlèvement de la neige:", "Snow removal"},
        {l.rightX, y + 50, 9, L, "stationnement", "parking area"},
        {l.rightX, y + 100, 9, L, "balcon", "balcony"},
        {l.rightX, y + 150, 9, L, "entrée", "entrance"},
        {l.rightX, y + 200, 9, L, "escalier", "stairs"},
    };
    DrawTexts(canvas, texts);
    DrawTexts(canvas, l.columnHeads);
    DrawBullet(canvas, l.borneBy);
    // The lessor's box, then the lessee's, tops 35 above the row's baseline.
    const int a = l.leftBoxes[0], b = l.leftBoxes[1], c = l.rightBoxes[0], d = l.rightBoxes[1];
    const TBox boxes[] = {
        {a, y - 35, "E_CHAUFFAP"},  {b, y - 35, "E_CHAUFFAL"},  {a, y + 15, "E_EAUCHAUP"},  {b, y + 15, "E_EAUCHAUL"},
        {a, y + 65, "E_ELECTRIP"},  {b, y + 65, "E_ELECTRIL"},  {a, y + 115, "E_TAXEEAUP"}, {b, y + 115, "E_TAXEEAUL"},
        {c, y + 15, "E_NEIGESTP"},  {d, y + 15, "E_NEIGESTL"},  {c, y + 65, "E_NEIGEBAP"},  {d, y + 65, "E_NEIGEBAL"},
        {c, y + 115, "E_NEIGEENP"}, {d, y + 115, "E_NEIGEENL"}, {c, y + 165, "E_NEIGEESP"}, {d, y + 165, "E_NEIGEESL"},
    };
    DrawBoxes(canvas, lease, boxes);
}

void DrawConditions(TPageCanvas &canvas, const TRow &lease, const TConditionsLayout &l)
{
    const TText texts[] = {
        {130, l.head, 25, L, "Conditions", nullptr},
        {330, l.access, 9, L, "Le locataire a un droit d'accès au terrain.", "The lessee has a right of access to the land."},
        {330, l.details1 + 29, 3, L, "Précisions ou limitations", "Specifications or limitations"},
        {330, l.animals, 9, L, "Le locataire a le droit de garder un ou des animaux.",
         "The lessee has the right to keep one or more animals."},
        {330, l.details2 + 31, 3, L, "Précisions ou limitations", "Specifications or limitations"},
    };
    DrawTexts(canvas, texts);
    DrawBullet(canvas, l.access);
    DrawBullet(canvas, l.animals);
    const TYesNo pairs[] = {
        {1142, 1321, l.access, l.accessBoxTop, "E_ACCESTER"},
        {1326, 1506, l.animals, l.animalsBoxTop, "E_ANIMAUX"},
    };
    DrawYesNos(canvas, lease, pairs);
    ValueLine(canvas, lease, 330, l.details1, "E_PRECIS1");
    ValueLine(canvas, lease, 330, l.details2, "E_PRECIS2");
    DrawMarked(canvas, 130, l.othersHead,
               Pick("^Autres services et conditions  ^(exemple: salle de lavage)",
                    "^Other services and conditions  ^(e.g., laundry room)"),
               9, 25);
    const char *const fields[] = {"E_SERVICE1", "E_SERVICE2", "E_SERVICE3"};
    for (int i = 0; i < 3; ++i)
        ValueLine(canvas, lease, 330, l.others[i], fields[i]);
}

} // namespace stdpages

void PaintStdPage3(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 116, 2060, 2649, 6);
    DrawBand(canvas, 302, 70, 1870, 158, kTitle);
    DrawSectionLetter(canvas, 93, 70, QStringLiteral("E"));

    DrawLegalLines(canvas, 3);
    DrawBylaws(canvas, lease, kBylaws);
    DrawWorks(canvas, lease, kWorks);
    DrawServices(canvas, lease, kServices);
    DrawConditions(canvas, lease, kConditions);
    DrawPageFooter(canvas, PageText(3));
}

} // namespace forms
