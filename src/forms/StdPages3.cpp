// Page 3 of the lease: the rest of the services and conditions (section E).

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre;

const TText kTexts[] = {
    {130, 426, 9, L, "bail pour que ce règlement en fasse partie.", "the by-laws form a part of the lease."},
    {330, 606, 9, L, "Il existe un règlement de l'immeuble.", "There are by-laws for the immovable."},
    {330, 673, 9, L, "Si oui, un exemplaire du règlement a été remis au locataire avant la conclusion du bail.",
     "If yes, a copy of the by-laws was given to the lessee before entering into the lease."},
    {130, 837, 25, L, "Travaux et réparations", "Work and repairs"},
    {330, 1169, 9, L, "S'il y a lieu, les travaux à exécuter par le propriétaire sont les suivants:",
     "Where applicable, the work to be carried out by the landlord is as follows:"},
    {340, 1225, 9, L, "-", nullptr},
    {374, 1225, 9, L, "avant la délivrance du logement", "before the delivery of the dwelling"},
    {340, 1417, 9, L, "-", nullptr},
    {374, 1417, 9, L, "en cours de bail", "during the lease"},
    {130, 1641, 25, L, "Services, taxes et coûts de consommation", "Services, taxes and consumption costs"},
    {330, 1690, 9, L, "Sont à la charge du", "Will be borne by the"},
    {848, 1690, 25, C, "propriétaire", "landlord"},
    {1082, 1690, 25, C, "locataire", "lessee"},
    {1712, 1690, 25, C, "propriétaire", "landlord"},
    {1949, 1690, 25, C, "locataire", "lessee"},
    // services grid
    {330, 1740, 9, L, "Chauffage du logement", "Heating of dwelling"},
    {330, 1790, 9, L, "Eau chaude", "Hot water"},
    {330, 1840, 9, L, "Électricité", "Electricity"},
    {330, 1890, 9, L, "Taxe d'eau", "Water tax"},
    {1304, 1740, 9, L, "Enlèvement de la neige:", "Snow removal"},
    {1304, 1790, 9, L, "stationnement", "parking area"},
    {1304, 1840, 9, L, "balcon", "balcony"},
    {1304, 1890, 9, L, "entrée", "entrance"},
    {1304, 1940, 9, L, "escalier", "stairs"},
    // conditions
    {130, 2018, 25, L, "Conditions", nullptr},
    {330, 2068, 9, L, "Le locataire a un droit d'accès au terrain.", "The lessee has a right of access to the land."},
    {330, 2152, 3, L, "Précisions ou limitations", "Specifications or limitations"},
    {330, 2222, 9, L, "Le locataire a le droit de garder un ou des animaux.",
     "The lessee has the right to keep one or more animals."},
    {330, 2307, 3, L, "Précisions ou limitations", "Specifications or limitations"},
};

const int kBullets[] = {606, 1169, 1690, 2068, 2222};

const TLine kLines[] = {
    {374, 1284, 2040, 1284}, {374, 1348, 2040, 1348}, {374, 1475, 2040, 1475}, {374, 1538, 2040, 1538},
    {330, 2126, 2040, 2126}, {330, 2279, 2040, 2279}, {330, 2443, 2040, 2443}, {330, 2527, 2040, 2527},
    {330, 2611, 2040, 2611},
};

// Landlord then lessee, tops 35 above the row's baseline.
const TBox kServiceBoxes[] = {
    {831, 1705, "E_CHAUFFAP"},  {1066, 1705, "E_CHAUFFAL"}, {831, 1755, "E_EAUCHAUP"},  {1066, 1755, "E_EAUCHAUL"},
    {831, 1805, "E_ELECTRIP"},  {1066, 1805, "E_ELECTRIL"}, {831, 1855, "E_TAXEEAUP"},  {1066, 1855, "E_TAXEEAUL"},
    {1694, 1755, "E_NEIGESTP"}, {1931, 1755, "E_NEIGESTL"}, {1694, 1805, "E_NEIGEBAP"}, {1931, 1805, "E_NEIGEBAL"},
    {1694, 1855, "E_NEIGEENP"}, {1931, 1855, "E_NEIGEENL"}, {1694, 1905, "E_NEIGEESP"}, {1931, 1905, "E_NEIGEESL"},
};

const TYesNo kYesNo[] = {
    {1077, 1255, 606, 570, "E_REGLEMEN"},
    {1821, 1991, 673, 638, "E_REMIS"},
    {1142, 1321, 2068, 2033, "E_ACCESTER"},
    {1326, 1506, 2222, 2187, "E_ANIMAUX"},
};

const TValue kValues[] = {
    {374, 1281, L, "E_AVANT1", 1666},   {374, 1345, L, "E_AVANT2", 1666},   {374, 1471, L, "E_COURS1", 1666},
    {374, 1535, L, "E_COURS2", 1666},   {330, 2123, L, "E_PRECIS1", 1710},  {330, 2276, L, "E_PRECIS2", 1710},
    {330, 2440, L, "E_SERVICE1", 1710}, {330, 2524, L, "E_SERVICE2", 1710}, {330, 2608, L, "E_SERVICE3", 1710},
};

const TBandTitle kTitle[] = {{1080, 131, "SERVICES ET CONDITIONS (suite)", "SERVICES AND CONDITIONS (cont.)"}};

} // namespace

void PaintStdPage3(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &lease = rows.lease;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 111, 116, 2060, 2649, 6);
    DrawBand(canvas, 302, 70, 1870, 158, kTitle);
    DrawSectionLetter(canvas, 93, 70, QStringLiteral("E"));

    DrawMarked(canvas, 130, 223,
               Pick("^Règlement de l'immeuble ^(art. 1057 et 1894 C.c.V.)",
                    "^By-laws of the immovable ^(arts. 1057 and 1894 C.C.V.)"),
               9, 25);
    DrawMarked(canvas, 130, 383,
               Pick("S'il existe un tel règlement, le propriétaire ^doit ^en remettre un exemplaire au locataire "
                    "^avant ^la conclusion du",
                    "If such by-laws exist, the landlord ^must ^give a copy of them to the lessee ^before ^entering "
                    "into the lease so that"),
               9, 25);
    DrawMarked(canvas, 130, 2384,
               Pick("^Autres services et conditions  ^(exemple: salle de lavage)",
                    "^Other services and conditions  ^(e.g., laundry room)"),
               9, 25);
    DrawLegalLines(canvas, 3);
    DrawTexts(canvas, kTexts);
    for (int y : kBullets)
        DrawBullet(canvas, y);
    DrawLines(canvas, kLines);
    DrawYesNos(canvas, lease, kYesNo);
    DrawBoxes(canvas, lease, kServiceBoxes);

    // Date the by-laws were handed over, written as text.
    SetFormFont(canvas, 9);
    const QString label = Pick("Si oui, le ", "If yes, on ");
    DrawText(canvas, 330, 740, label);
    const int r = 330 + canvas.TextWidth(label);
    DrawLine(canvas, r, 743, r + 450, 743);
    DrawText(canvas, r + 450, 740, QStringLiteral("."));
    DrawFitted(canvas, r, 740, db::DateText(lease.Date("E_DATE")), 450);
    SetFormFont(canvas, 3);
    DrawText(canvas, r, 768, Pick("Date de remise du règlement", "Date when by-laws were given to lessee"));

    DrawValues(canvas, lease, kValues);
    DrawPageFooter(canvas, PageText(3));
}

} // namespace forms
