// Page 1 of the lease: the parties (section A) and the dwelling (section B).

#include "forms/StdPages.h"
#include "forms/StdPagesTables.h"

#include "printout/EmfFormat.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre;

// ---- Section A ----

const TText kPartyTexts[] = {
    {1570, 520, 31, C, "et le propriétaire (locateur)", "and the landlord (lessor)"},
    // lessor
    {1115, 585, 3, L, "Nom", "Name"},
    {1115, 655, 3, L, "N°", "No."},
    {1300, 655, 3, L, "Rue", "Street"},
    {1840, 655, 3, L, "App.", "Apt."},
    {1115, 730, 3, L, "Municipalité", "Municipality"},
    {1760, 700, 3, L, "Code", "Postal"},
    {1760, 730, 3, L, "postal", "code"},
    {1115, 780, 3, L, "Téléphone", "Telephone"},
    {1115, 810, 3, L, "(domicile)", nullptr},
    {1595, 780, 3, L, "Téléphone", "Telephone"},
    {1595, 810, 3, L, "(autre)", "(other)"},
    {1115, 870, 9, L, "S'il y a lieu, représenté par", "Where applicable, represented by"},
    {1115, 1080, 9, L, "mandaté à cet effet.", "mandated for that purpose."},
    {1115, 925, 3, L, "Nom", "Name"},
    {1115, 1000, 3, L, "Fonction", "Position"},
    // notes under the section
    {115, 1224, 5, L,
     "-   Les noms indiqués au bail doivent être celui du locataire et celui du propriétaire ou celui que la loi les "
     "autorise à utiliser.",
     "-   The names indicated in the lease shall be that of the lessee and that of the landlord or the name that the "
     "law authorizes them to use."},
    {115, 1257, 5, L, "-   Le singulier inclut le pluriel.", "-   The singular includes the plural."},
};

const TLine kPartyLines[] = {
    {1115, 595, 2055, 595},
    {1115, 665, 2055, 665},  {1115, 740, 2055, 740},  {1115, 820, 2055, 820},  {1115, 935, 2055, 935},
    {1115, 1010, 2055, 1010}, {1085, 450, 1085, 1160},
};

// The two lessees: their baselines and lines (the telephones of the second have no line).
const TLesseeLayout kLessees[2] = {
    {520, 585, 655, 730, 700, 780, 810, 595, 665, 740, 820, 810},
    {870, 925, 995, 1065, 1035, 1120, 1150, 935, 1005, 1075, 0, 1145},
};

const TValue kLessorValues[] = {
    {1200, 585, L, "Nom", 855},                  {1220, 655, C, "No", 120},
    {1590, 655, C, "Rue", 430},                  {1975, 655, C, "App", 150},
    {1505, 730, C, "Munic", 490},                {1940, 730, C, "CP", 200},
    {1300, 810, L, "TELDOM", 285, TShow::Phone}, {1750, 810, L, "TELAUT", 300, TShow::Phone},
    {1250, 925, L, "Nomrep", 800},               {1250, 995, L, "Fonction", 800},
};

// ---- Section B ----

const TText kDwellingTexts[] = {
    {130, 1680, 9, L, "Le logement est loué à des fins résidentielles seulement.",
     "The dwelling is leased for residential purposes only."},
    {2021, 1750, 9, L, ",", ""},
    {130, 1815, 9, L,
     "mais pas plus du tiers de la superficie totale ne servira à cette dernière fin (art. 1892 C.c.V.).",
     "but no more than one-third of the total area will be used for that second purpose (art. 1892 C.C.V.)."},
    {130, 2170, 9, L, "Des meubles sont loués et inclus dans le loyer.", "Furniture is leased and included in the rent."},
    {130, 2225, 25, L, "Cuisine", "Kitchen"},
    {630, 2225, 25, L, "Chambre(s)", "Rooms"},
    {1160, 2225, 25, L, "Salon", "Living room"},
    {1680, 2225, 25, L, "Autres", "Other"},
    // furniture items
    {130, 2270, 9, L, "Cuisinière", "Stove"},
    {130, 2315, 9, L, "Réfrigérateur", "Refrigerator"},
    {130, 2360, 9, L, "Table", nullptr},
    {130, 2405, 9, L, "Chaise(s)", "Chair(s)"},
    {130, 2495, 9, L, "Lave-vaisselle", "Dishwasher"},
    {630, 2270, 9, L, "Lit(s)", "Bed(s)"},
    {630, 2405, 9, L, "Commode(s)", "Chest(s) of drawers"},
    {630, 2490, 9, L, "Table(s) de nuit", "Bed table(s)"},
    {1160, 2270, 9, L, "Divan(s)", "Couch(es)"},
    {1160, 2360, 9, L, "Fauteuil(s)", "Armchair(s)"},
    {1160, 2450, 9, L, "Table(s)", "Living room table(s)"},
    {1680, 2270, 9, L, "Laveuse", "Washer"},
    {1680, 2315, 9, L, "Sécheuse", "Dryer"},
};

const TBox kFurnitureBoxes[] = {
    {470, 2235, "B_CUIS"},      {470, 2280, "B_REFRIG"},   {470, 2325, "B_TABLE"},
    {470, 2370, "B_CHAISE"},    {470, 2460, "B_LAVEVAIS"}, {980, 2235, "B_LIT"},
    {980, 2370, "B_COMMOD"},    {980, 2460, "B_TABNUI"},   {1500, 2235, "B_DIVAN"},
    {1500, 2325, "B_FAUT"},     {1500, 2415, "B_TABSAL"},  {2000, 2235, "B_LAVEUSE"},
    {2000, 2280, "B_SECHEUSE"},
};

const TYesNo kDwellingYesNo[] = {
    {1230, 1510, 1680, 1650, "B_FINRESID"},
    {1060, 1250, 2170, 2135, "B_MEUBLE"},
};

// A label whose line runs from its end to lineEnd, 4 units under the baseline.
struct TFill {
    int x, y;
    const char *fr, *en;
    int lineEnd;
};

// Furniture counts and sizes.
const TFill kFurnitureFills[] = {
    {150, 2450, "nombre ", "number ", 463},
    {650, 2315, "nombre ", "number ", 970},
    {650, 2360, "format ", "size ", 970},
    {650, 2450, "nombre ", "number ", 970},
    {650, 2535, "nombre ", "number ", 970},
    {1180, 2315, "nombre ", "number ", 1492},
    {1180, 2405, "nombre ", "number ", 1492},
    {1180, 2490, "nombre ", "number ", 1492},
};

const TLine kDwellingLines[] = {
    {130, 2540, 463, 2540},   {1160, 2540, 1531, 2540}, {1680, 2360, 2032, 2360}, {1680, 2405, 2032, 2405},
    {1680, 2450, 2032, 2450}, {1680, 2495, 2032, 2495}, {1680, 2540, 2032, 2540},
};

const TValue kFurnitureValues[] = {
    {950, 1748, L, "B_FINMIXTE", 1065},  {350, 2450, L, "B_CHAISE_N", 110},   {150, 2535, L, "B_CUISINE", 310},
    {800, 2315, L, "B_LIT_N", 170},      {800, 2360, L, "B_LIT_F", 170},      {800, 2450, L, "B_COMMOD_N", 170},
    {800, 2535, L, "B_TABNUI_N", 170},   {1350, 2315, L, "B_DIVAN_N", 140},   {1350, 2405, L, "B_FAUT_N", 140},
    {1350, 2490, L, "B_TABSAL_N", 140},  {1160, 2535, L, "B_SALON", 370},     {1700, 2355, L, "B_AUTRE1", 332},
    {1700, 2400, L, "B_AUTRE2", 332},    {1700, 2445, L, "B_AUTRE3", 332},    {1700, 2490, L, "B_AUTRE4", 332},
    {1700, 2535, L, "B_AUTRE5", 332},
};

const TBandTitle kDwellingTitles[] = {
    {1090, 1340, "DESCRIPTION ET DESTINATION DU LOGEMENT LOUÉ,", "DESCRIPTION AND DESTINATION OF LEASED DWELLING,"},
    {1090, 1400, "DES ACCESSOIRES ET DÉPENDANCES", "ACCESSORIES AND DEPENDENCIES"},
};
const TBandTitle kPartyTitle[] = {{1090, 425, "ENTRE", "BETWEEN"}};

const TTitleLayout kTitle = {335, 1090, 21, 280, 31, 120, false, 1400, nullptr, nullptr, 0};

const TDwellingLayout kDwelling = {
    1485, 0, 0, 1683, 1700, 1550, 1387, 1615, {1890, 1955}, {1860, 1925}, 2020, 1990, 2090, 2590,
};

void DrawSectionA(TPageCanvas &canvas, const TLeaseRows &rows)
{
    DrawFrame(canvas, 115, 425, 2065, 1160, 5);
    DrawSectionLetter(canvas, 93, 360, QStringLiteral("A"));
    DrawBand(canvas, 370, 360, 1810, 450, kPartyTitle);
    DrawLines(canvas, kPartyLines);
    DrawTexts(canvas, kPartyTexts);
    DrawMarked(canvas, 115, 1192,
               Pick("-   Le terme ^propriétaire ^utilisé dans le bail a le même sens que le terme locateur utilisé dans "
                    "la loi.",
                    "-   The term ^landlord ^used in the lease has the same meaning as the term lessor in the law."),
               5, 22);
    DrawLessee(canvas, rows.lease, kLessees[0], 1);
    DrawLessee(canvas, rows.lease, kLessees[1], 2);
    DrawValues(canvas, rows.lessor, kLessorValues); // nothing when the lessor row is absent
}

// Section B of the standard form: the common part, the residential purpose and the furniture.
void DrawSectionB(TPageCanvas &canvas, const TRow &lease)
{
    DrawFrame(canvas, 115, 1395, 2065, 2610, 5);
    DrawSectionLetter(canvas, 93, 1330, QStringLiteral("B"));
    DrawBand(canvas, 370, 1270, 1810, 1420, kDwellingTitles);
    DrawDwelling(canvas, lease, kDwelling);

    SetFormFont(canvas, 9);
    for (const TFill &f : kFurnitureFills)
        DrawFillInLine(canvas, f.x, f.y, Pick(f.fr, f.en), f.lineEnd);
    // The mixed-purpose line ends at 2019, with a comma after it in French only.
    const int r = DrawFillInLine(canvas, 130, 1750, Pick("Si non, à des fins mixtes d'habitation et ",
                                                         "If not, for combined purposes of housing and "),
                                 2019, 3);
    SetFormFont(canvas, 2);
    DrawText(canvas, r, 1778, Pick("Préciser", "Specify"));
    DrawLines(canvas, kDwellingLines);
    DrawTexts(canvas, kDwellingTexts);
    DrawBoxes(canvas, lease, kFurnitureBoxes);
    DrawYesNos(canvas, lease, kDwellingYesNo);
    DrawValues(canvas, lease, kFurnitureValues);
}

} // namespace

namespace stdpages {

// The triangle with "Partie 1" written along its diagonal; at +450 the font is turned 45
// degrees counter-clockwise, so that it rises parallel to the hypotenuse, inside the triangle.
void DrawCorner(TPageCanvas &canvas, int escapement)
{
    DrawLine(canvas, 115, 120, 355, 120);
    DrawLine(canvas, 355, 120, 115, 360);
    DrawLine(canvas, 115, 360, 115, 120);
    printout::TLogFont font;
    font.height = FittedHeight(34);
    font.weight = 700;
    font.escapement = escapement;
    font.orientation = escapement;
    font.faceName = QLatin1String(FormFont(34).face);
    const uint32_t rotated = canvas.CreateFontIndirect(font);
    const uint32_t previous = canvas.SelectObject(rotated);
    DrawText(canvas, 230, 230, Pick("Partie 1", "Part 1"), TAnchor::Centre);
    if (previous)
        canvas.SelectObject(previous);
    canvas.DeleteObject(rotated);
}

void DrawTitleBlock(TPageCanvas &canvas, const TRow &lease, const TTitleLayout &layout)
{
    BeginSectionBand(canvas, 370, 70, 1810, layout.bottom, layout.leaseFont);
    canvas.TextOut(layout.centreX, -layout.leaseY, Pick("BAIL", "LEASE"));
    SetFormFont(canvas, layout.formFont);
    const QString title = Pick("FORMULAIRE OBLIGATOIRE DE LA OSTREVANE", "MANDATORY FORM OF THE OSTREVANE");
    if (layout.formShrink > 0)
        ShrinkFontToWidth(canvas, title, layout.formShrink);
    if (layout.formHangs) {
        const uint32_t align = canvas.TextAlign();
        canvas.SetTextAlign(printout::emf::TA_CENTER); // no vertical flag: the top
        canvas.TextOut(layout.centreX, -layout.formY, title);
        canvas.SetTextAlign(align);
    } else {
        canvas.TextOut(layout.centreX, -layout.formY, title);
    }
    if (layout.thirdFr)
        canvas.TextOut(layout.centreX, -layout.thirdY, Pick(layout.thirdFr, layout.thirdEn));
    EndSectionBand(canvas);

    SetFormFont(canvas, 15);
    DrawText(canvas, 1835, 220, Pick("Bail n°", "Lease No."));
    DrawLine(canvas, 1835, 335, 2070, 335);
    SetFormFont(canvas, 9);
    DrawText(canvas, 1900, 330, lease.Text("NOBAIL"));
}

void DrawLessee(TPageCanvas &canvas, const TRow &lease, const TLesseeLayout &l, int which)
{
    const TText texts[] = {
        {600, l.heading, 31, TAnchor::Centre, "le locataire", "the lessee"},
        {130, l.name, 3, TAnchor::Left, "Nom", "Name"},
        {130, l.address, 3, TAnchor::Left, "N°", "No."},
        {315, l.address, 3, TAnchor::Left, "Rue", "Street"},
        {855, l.address, 3, TAnchor::Left, "App.", "Apt."},
        {130, l.municipality, 3, TAnchor::Left, "Municipalité", "Municipality"},
        {775, l.codeTop, 3, TAnchor::Left, "Code", "Postal"},
        {775, l.municipality, 3, TAnchor::Left, "postal", "code"},
        {130, l.telTop, 3, TAnchor::Left, "Téléphone", "Telephone"},
        {130, l.telBottom, 3, TAnchor::Left, "(domicile)", nullptr},
        {610, l.telTop, 3, TAnchor::Left, "Téléphone", "Telephone"},
        {610, l.telBottom, 3, TAnchor::Left, "(autre)", "(other)"},
    };
    DrawTexts(canvas, texts);
    for (const int y : {l.nameLine, l.addressLine, l.municipalityLine, l.telLine})
        if (y > 0)
            DrawLine(canvas, 130, y, 1070, y);
    const bool first = which == 1;
    const TValue values[] = {
        {250, l.name, TAnchor::Left, first ? "A_NOM1" : "A_NOM2", 820},
        {235, l.address, TAnchor::Centre, first ? "A_NO1" : "A_NO2", 120},
        {600, l.address, TAnchor::Centre, first ? "A_RUE1" : "A_RUE2", 400},
        {1000, l.address, TAnchor::Centre, first ? "A_APP1" : "A_APP2", 130},
        {530, l.municipality, TAnchor::Centre, first ? "A_MUNIC1" : "A_MUNIC2", 470},
        {900, l.municipality, TAnchor::Left, first ? "A_CP1" : "A_CP2", 165},
        {300, l.phones, TAnchor::Left, first ? "A_TELDOM1" : "A_TELDOM2", 300, TShow::Phone},
        {750, l.phones, TAnchor::Left, first ? "A_TELAUT1" : "A_TELAUT2", 320, TShow::Phone},
    };
    DrawValues(canvas, lease, values);
}

void DrawDwelling(TPageCanvas &canvas, const TRow &lease, const TDwellingLayout &l)
{
    SetFormFont(canvas, 9);
    const QString number = Pick("N° ", "No. ");
    DrawText(canvas, 130, l.address, number);
    const int r = 130 + canvas.TextWidth(number);
    // Without a fixed end, the civic number's line is 200 long and the street label follows it.
    const int numberEnd = l.numberLineEnd > 0 ? l.numberLineEnd : r + 200;
    DrawLine(canvas, r, l.address + 4, numberEnd, l.address + 4);
    DrawFillInLine(canvas, l.streetX > 0 ? l.streetX : numberEnd + 5, l.address, Pick("Rue ", "Street "),
                   l.streetLineEnd);
    const TFill fills[] = {
        {l.aptX, l.address, "App. ", "Apt. ", 2032},
        {130, l.municipality, "Municipalité ", "Municipality ", l.municipalityLineEnd},
        {1405, l.municipality, "Code postal ", "Postal code ", 2032},
        {130, l.rooms, "Nombre de pièces ", "Number of rooms ", 628},
        {770, l.parking[0], "Nombre de places ", "Number of places", 1288},
        {1297, l.parking[0], "Emplacements ", "Parking spaces ", 2032},
        {770, l.parking[1], "Nombre de places ", "Number of places", 1288},
        {1297, l.parking[1], "Emplacements ", "Parking spaces ", 2032},
        {770, l.locker, "Précisions ", "Specify ", 2032},
        {130, l.other, "Autres ", "Other ", 2032},
    };
    for (const TFill &f : fills)
        DrawFillInLine(canvas, f.x, f.y, Pick(f.fr, f.en), f.lineEnd);
    const TText texts[] = {
        {130, l.parking[0], 9, TAnchor::Left, "Stationnement extérieur", "Outdoor parking"},
        {130, l.parking[1], 9, TAnchor::Left, "Stationnement intérieur", "Indoor parking"},
        {130, l.locker, 9, TAnchor::Left, "Remise/espace de rangement", "Locker/storage space"},
    };
    DrawTexts(canvas, texts);
    const TBox boxes[] = {
        {660, l.parkingBoxTop[0], "B_EXT"}, {660, l.parkingBoxTop[1], "B_INT"}, {660, l.lockerBoxTop, "B_REMISE"}};
    DrawBoxes(canvas, lease, boxes);
    const TValue values[] = {
        {275, l.address, TAnchor::Centre, "B_NO", 160},       {500, l.address, TAnchor::Left, "B_RUE", 1180},
        {1850, l.address, TAnchor::Left, "B_APP", 180},       {350, l.municipality, TAnchor::Left, "B_MUNIC", 1035},
        {1650, l.municipality, TAnchor::Left, "B_CP", 380},   {500, l.rooms, TAnchor::Left, "B_NBPIECE", 128},
        {1150, l.parking[0], TAnchor::Left, "B_EXT_NBPL", 135}, {1600, l.parking[0], TAnchor::Left, "B_EXT_EMPL", 430},
        {1150, l.parking[1], TAnchor::Left, "B_INT_NBPL", 135}, {1600, l.parking[1], TAnchor::Left, "B_INT_EMPL", 430},
        {1000, l.locker, TAnchor::Left, "B_PRECISIO", 1030},  {250, l.other, TAnchor::Left, "B_AUTRE", 1780},
    };
    DrawValues(canvas, lease, values);
    DrawMarked(canvas, 130, l.condition,
               Pick("Il serait indiqué que les parties fassent une description de l'^état des lieux ^lors de la "
                    "délivrance du logement (art. 1890 C.c.V.).",
                    "The parties should make a description of the ^condition of the premises ^at the time of the "
                    "delivery of the dwelling (art. 1890 C.C.V.)."),
               5, 22);
}

} // namespace stdpages

void PaintStdPage1(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    RestoreNormalState(canvas);
    // The footer comes first: the emblem is the first thing on the page.
    DrawFirstPageFooter(canvas, PageText(1));
    DrawCorner(canvas, 450);
    DrawTitleBlock(canvas, rows.lease, kTitle);
    DrawSectionA(canvas, rows);
    DrawSectionB(canvas, rows.lease);
}

} // namespace forms
