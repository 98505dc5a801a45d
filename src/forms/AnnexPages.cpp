// The Annex pages: the services table header and the page painters, as tables of texts,
// lines, boxes and values walked by the routines the lease pages use.

#include "forms/AnnexPages.h"
#include "forms/StdPagesTables.h"

#include "db/AnnexRows.h"
#include "db/Settings.h"
#include "printout/PageCanvas.h"
#include "printout/Printout.h"

namespace forms {

using namespace stdpages;

namespace {

constexpr TAnchor L = TAnchor::Left, C = TAnchor::Centre, R = TAnchor::Right;

QString AnnexPageText(int page)
{
    return db::PickPrintText(QStringLiteral("Page %1 de 8").arg(page), QStringLiteral("Page %1 of 8").arg(page));
}

// Column heads: the x each is centred on, its number, and its lines. French column 1 keeps
// its own four baselines; the others share seven.
struct THeadLine {
    int column; // 0, 1, 2
    int dy;
    const char *fr;
    const char *en;
};
constexpr int kHeadX[] = {1300, 1600, 1900};

const THeadLine kHeadLines[] = {
    {0, 120, "", "Tick off if"},
    {0, 140, "Cocher si inclus", ""},
    {0, 165, "", "included in the"},
    {0, 190, "dans le loyer", ""},
    {0, 210, "", "rent for the"},
    {0, 240, "du logement", ""},
    {0, 255, "", "dwelling"},
    {0, 290, "indiqué au bail", ""},
    {0, 300, "", "indicated in the"},
    {0, 345, "", "lease"},
    {1, 120, "Loyer", "Additional rent in"},
    {1, 165, "supplémentaire", "accordance with"},
    {1, 210, "selon", "the term"},
    {1, 255, "le terme prévu", "provided for in"},
    {1, 300, "au bail (mois,", "the lease (month,"},
    {1, 345, "semaine", "week or other)"},
    {1, 390, "ou autre)", ""},
    {2, 120, "Autres services", "Other services"},
    {2, 165, "que le proprié-", "that the landlord"},
    {2, 210, "taire s'engage", "undertakes to"},
    {2, 255, "à maintenir", "maintain (often"},
    {2, 300, "(souvent payables", "payable each"},
    {2, 345, "à chaque", "time used)"},
    {2, 390, "utilisation)", ""},
};

// ---- Annex page 1 ----

const TText kPage1Texts[] = {
    {1805, 220, 15, L, "Bail n°", "Lease No."},
    {1065, 1365, 31, R, "Cocher s'il y a lieu", "Tick off where applicable"},
    {2050, 1365, 31, R, "Cocher s'il y a lieu", "Tick off where applicable"},
    // Left column.
    {150, 1445, 31, L, "•", nullptr},
    {185, 1445, 31, L, "Le logement loué est", "The leased dwelling is"},
    {150, 1905, 31, L, "•", nullptr},
    {185, 1905, 31, L, "Salle de bain", "Bathroom"},
    {150, 2230, 31, L, "•", nullptr},
    {185, 2230, 31, L, "Meubles", "Furniture"},
    {180, 1510, 13, L, "- un appartement", "- an apartment"},
    {180, 1575, 13, L, "- une chambre", "- a room"},
    {180, 1640, 13, L, "  - privée", "  - private"},
    {180, 1705, 13, L, "  - commune", "  - shared"},
    {180, 1970, 13, L, "- privée", "- private"},
    {180, 2030, 13, L, "- commune", "- shared"},
    {180, 2290, 13, L, "Le locataire a le droit d'apporter", "The lessee has the right to bring"},
    {180, 2355, 13, L, "- des appareils électroménagers", "- electric household appliances"},
    {180, 2420, 13, L, "- des meubles", "- furniture"},
    {180, 2485, 13, L, "- un téléviseur", "- a television set"},
    {230, 1820, 3, L, "nombre de personnes, emplacement", "number of persons, location"},
    {230, 2150, 3, L, "nombre de personnes, emplacement", "number of persons, location"},
    {180, 2580, 3, L, "précisions", "specify"},
    // Right column.
    {1130, 1445, 31, L, "•", nullptr},
    {1170, 1445, 31, L, "Balcon", "Balcony"},
    {1130, 1730, 31, L, "•", nullptr},
    {1170, 1730, 31, L, "Barres d'appui", "Handrail supports"},
    {1130, 2065, 31, L, "•", nullptr},
    {1170, 2065, 31, L, "Fauteuils roulants", "Wheelchairs"},
    {1130, 2430, 31, L, "•", nullptr},
    {1170, 2430, 31, L, "Interphone", "Intercom"},
    {1170, 1510, 13, L, "- privé", "- private"},
    {1170, 1575, 13, L, "- commun", "- shared"},
    {1170, 1795, 13, L, "- dans la salle de bain", "- in the bathroom"},
    {1170, 1860, 13, L, "- dans les corridors", "- in the corridors"},
    {1170, 2130, 13, L, "- logement accessible", "- dwelling accessible"},
    {1170, 2185, 13, L, "  aux fauteuils roulants", "  for wheelchairs"},
    {1170, 2245, 13, L, "- logement aménagé", "- dwelling designed"},
    {1170, 2300, 13, L, "  pour les fauteuils roulants", "  for wheelchairs"},
    {1170, 2530, 3, L, "emplacement", "location"},
};

const TLine kPage1Lines[] = {
    {1805, 335, 2040, 335}, {230, 1790, 970, 1790}, {230, 2120, 970, 2120},
    {180, 2550, 970, 2550}, {1170, 2500, 1960, 2500},
};

const TBox kPage1Boxes[] = {
    {1005, 1475, "LOG_APP"},    {1005, 1605, "LOG_PRIV"},   {1005, 1670, "LOG_COM"},    {1005, 1930, "BAIN_PRIV"},
    {1005, 2000, "BAIN_COM"},   {1005, 2320, "MEUB_APP"},   {1005, 2385, "MEUB_MEUB"},  {1005, 2450, "MEUB_TELE"},
    {1980, 1475, "BALC_PRIV"},  {1980, 1540, "BALC_COM"},   {1980, 1755, "BAR_BAIN"},   {1980, 1820, "BAR_CORR"},
    {1980, 2145, "FAUT_ACCES"}, {1980, 2260, "FAUT_AMENA"}, {1980, 2400, "INTERPHONE"},
};

const TValue kPage1Values[] = {
    {230, 1785, L, "LOG_NB", 740},
    {230, 2115, L, "BAIN_NB", 740},
    {180, 2545, L, "MEUB_PREC", 790},
    {1170, 2495, L, "INTER_EMPL", 790},
};

// ---- Annex page 2 ----

const TText kPage2Texts[] = {
    {1065, 250, 31, R, "Cocher s'il y a lieu", "Tick off where applicable"},
    {2035, 255, 31, R, "Cocher s'il y a lieu", "Tick off where applicable"},
    {145, 330, 31, L, "•", nullptr},
    {180, 330, 31, L, "Sonnerie d'appel", "Call system"},
    {145, 505, 31, L, "•", nullptr},
    {180, 505, 31, L, "Chauffage", "Heating"},
    {145, 625, 31, L, "•", nullptr},
    {180, 625, 31, L, "Climatisation", "Air conditioning"},
    {1110, 330, 31, L, "•", nullptr},
    {1155, 330, 31, L, "Espace de rangement", "Locked"},
    {1155, 380, 31, L, "fermé à clé", "storage space"},
    {1110, 550, 31, L, "•", nullptr},
    {1155, 550, 31, L, "Ascenseur", "Elevator"},
    {1110, 620, 31, L, "•", nullptr},
    {1155, 620, 31, L, "Espaces communs", "Common areas"},
    {180, 560, 13, L, "- contrôle individuel", "- individual control"},
    {180, 685, 13, L, "- contrôle individuel", "- individual control"},
    {1155, 665, 13, L, "(voir Loisirs et activités sociales)", "(See Recreational and social activities)"},
    {180, 425, 3, L, "emplacement", "location"},
    {1155, 475, 3, L, "emplacement", "location"},
    {1090, 1385, 36, C, "Les services", "Services"},
    {130, 2260, 33, L, "Activités religieuses", "Religious activities"},
    {180, 2385, 3, L, "précisions", "specify"},
};

const TLine kPage2Lines[] = {
    {1095, 160, 1095, 750}, {180, 395, 960, 395},   {1155, 445, 1940, 445},
    {180, 2355, 1140, 2355}, {180, 2450, 1140, 2450}, {180, 2545, 1140, 2545},
};

const TBox kPage2Boxes[] = {
    {1005, 290, "SONNERIE"}, {1005, 520, "CHAUFFAGE"}, {1005, 645, "CLIMATISAT"},
    {1970, 340, "RANGEMENT"}, {1970, 510, "ASCENCEUR"},
};

const TValue kPage2Values[] = {
    {180, 390, L, "SON_EMPL", 780},     {1155, 440, L, "RANG_EMPL", 785},
    {180, 2350, L, "RELIGIEU1", 960},   {180, 2445, L, "RELIGIEU2", 960},
    {180, 2540, L, "RELIGIEU3", 960},
};

// ---- The list of services ----

// One service row's columns: boxes in columns 1 and 3 with their top, the column-2 amount
// on its baseline; fields prefix_1, prefix_2, prefix_3.
struct TServiceRow {
    int page;
    const char *prefix;
    unsigned columns; // db::TAnnexColumns bits
    int boxTop;
    int amountBaseline;
};

constexpr unsigned kC1 = 1, kC2 = 2, kC3 = 4, kAll = 7;

const TServiceRow kServiceRows[] = {
    {3, "LAV", kAll, 700, 730},       {3, "BUA_LIT", kAll, 1310, 1350}, {3, "BUA_VET", kAll, 1510, 1540},
    {3, "BUA_NET", kC3, 1610, 0},     {3, "MEN", kAll, 2180, 2220},     {3, "MENANN", kAll, 2270, 2310},
    {4, "INT_CUIS", kC1, 770, 0},     {4, "INT_DROI", kC1, 850, 0},     {4, "INT_SALL", kC1, 940, 0},
    {4, "INT_ANIM", kC1, 1110, 0},    {4, "INT_CHAI", kC1, 1195, 0},    {4, "INT_TELE", kC1, 1280, 0},
    {4, "INT_UTIL", kAll, 1365, 1415}, {4, "INT_AUT1", kAll, 1450, 1500}, {4, "INT_AUT2", kAll, 1535, 1585},
    {4, "EXT_JEUX", kC1, 1735, 0},    {4, "EXT_REPO", kC1, 1820, 0},    {4, "EXT_JARD", kAll, 1905, 1945},
    {4, "EXT_AUT1", kAll, 1985, 2030}, {4, "EXT_AUT2", kAll, 2070, 2115}, {4, "MED", kAll, 2360, 2410},
    {5, "SEC_GARD", kC1, 690, 0},     {5, "SEC_SURV", kC1, 870, 0},     {5, "ALI_DEJ", kAll, 1250, 1290},
    {5, "ALI_DIN", kAll, 1345, 1380}, {5, "ALI_SOU", kAll, 1440, 1470}, {5, "ALI_JOUR", kAll, 2080, 2115},
    {5, "ALI_CART", kAll, 2170, 2205}, {5, "ALI_DIET", kAll, 2260, 2295},
    {6, "ALI_COLL", kAll, 580, 620},  {6, "INV_REPA", kC3, 1470, 0},    {6, "INF", kAll, 2290, 2330},
    {7, "INF_AUT1", kAll, 930, 965},  {7, "INF_AUT2", kAll, 1015, 1050}, {7, "INF_AUT3", kAll, 1100, 1135},
    {7, "INF_AUT4", kAll, 1185, 1220}, {7, "CABLO", kAll, 1510, 1545},   {7, "ANTENNE", kAll, 1600, 1635},
    {7, "TRANSPOR", kAll, 1730, 1765}, {7, "ACC_VISI", kAll, 1890, 1925}, {7, "ACC_COUR", kAll, 1975, 2010},
    {7, "ACC_AUT1", kAll, 2060, 2095}, {7, "ACC_AUT2", kAll, 2145, 2180}, {8, "TRA", kAll, 590, 630},
};

void DrawServiceRows(TPageCanvas &canvas, const TRow &annex, int page)
{
    for (const TServiceRow &row : kServiceRows) {
        if (row.page != page)
            continue;
        const QByteArray prefix(row.prefix);
        if (row.columns & kC1)
            DrawCheckBox(canvas, 1280, row.boxTop, annex.Bool(prefix + "_1"));
        if (row.columns & kC2)
            DrawAmount(canvas, 1470, row.amountBaseline, false, annex.Float(prefix + "_2"));
        if (row.columns & kC3)
            DrawCheckBox(canvas, 1880, row.boxTop, annex.Bool(prefix + "_3"));
    }
}

// ---- Annex page 3 ----

const TText kPage3Texts[] = {
    {130, 630, 33, L, "Buanderie", "Laundry"},
    {130, 730, 30, L, "•", nullptr},
    {180, 730, 30, L, "Salle de lavage", "Laundry room"},
    {130, 1165, 30, L, "•", nullptr},
    {180, 1165, 30, L, "Service de buanderie", "Laundry service"},
    {130, 1970, 33, L, "Entretien ménager", "Housekeeping"},
    {130, 2070, 30, L, "•", nullptr},
    {180, 2070, 30, L, "Ménage dans l'appartement", "Cleaning in lessee's"},
    {180, 2120, 30, L, "ou la chambre du locataire", "apartment or room"},
    {180, 1250, 13, L, "- literie", "- bedding"},
    {325, 1350, 13, L, "fois par semaine", "times per week"},
    {180, 1450, 13, L, "- vêtements", "- clothing"},
    {325, 1550, 13, L, "fois par semaine", "times per week"},
    {180, 1650, 13, L, "- nettoyage à sec", "- dry cleaning"},
    {325, 2220, 13, L, "fois par semaine", "times per week"},
    {180, 2320, 13, L, "- ménage annuel", "- annual cleaning"},
    {180, 840, 3, L, "emplacement", "location"},
    {210, 1760, 3, L, "précisions", "specify"},
    {210, 2430, 3, L, "précisions", "specify"},
};

const TLine kPage3Lines[] = {
    {180, 810, 1140, 810},   {210, 1350, 310, 1350},  {210, 1550, 310, 1550},  {210, 1730, 1140, 1730},
    {210, 1830, 1140, 1830}, {210, 2220, 310, 2220},  {210, 2400, 1140, 2400}, {210, 2500, 1140, 2500},
};

const TValue kPage3Values[] = {
    {180, 805, L, "LAV_EMPL", 960},    {650, 940, L, "LAV_NBLAV", 170},    {650, 1040, L, "LAV_NBSECH", 170},
    {230, 1345, L, "BUA_LITNB", 80},   {230, 1545, L, "BUA_VETNB", 80},    {210, 1725, L, "BUA_NET_P1", 930},
    {210, 1825, L, "BUA_NET_P2", 930}, {230, 2215, L, "MEN_NB", 80},       {210, 2395, L, "MENANN_P1", 930},
    {210, 2495, L, "MENANN_P2", 930},
};

// ---- Annex page 4 ----

const TText kPage4Texts[] = {
    {130, 630, 33, L, "Loisirs et activités sociales", "Recreational and social activities"},
    {130, 730, 30, L, "•", nullptr},
    {180, 730, 30, L, "Espaces communs à l'intérieur", "Indoor areas"},
    {130, 1690, 30, L, "•", nullptr},
    {180, 1690, 30, L, "Espaces communs à l'extérieur", "Outdoor areas"},
    {130, 2255, 33, L, "Médicaments", "Medications"},
    {180, 810, 13, L, "- cuisine commune", "- shared kitchen"},
    {180, 895, 13, L, "- droit de cuisiner", "- right to cook"},
    {180, 980, 13, L, "- salle communautaire", "- common room"},
    {180, 1150, 13, L, "- animateur", "- social director"},
    {180, 1235, 13, L, "- chaîne stéréo", "- stereophonic system"},
    {180, 1320, 13, L, "- téléviseur", "- television"},
    {180, 1405, 13, L, "- utilisation à des fins personnelles", "- personal use"},
    {180, 1490, 13, L, "- autres :", "- other :"},
    {180, 1770, 13, L, "- aire de jeux", "- recreation areas"},
    {180, 1860, 13, L, "- aire de repos", "- rest areas"},
    {180, 1940, 13, L, "- jardin communautaire", "- communal garden"},
    {180, 2030, 13, L, "- autres :", "- other :"},
    {180, 2350, 13, L, "- distribution de médicaments", "- distribution of medications by a"},
    {180, 2405, 13, L, "par une personne autorisée par la loi ", "person authorized by law"},
    {180, 2495, 13, L, "- conservation des médicaments", "- keeping of medications in a"},
    {180, 2550, 13, L, "dans un endroit sécuritaire fermé à clé", "safe locked place"},
    {990, 2500, 9, C, "Oui", "Yes"},
    {1090, 2500, 9, C, "Non", "No"},
    {210, 1070, 3, L, "heures d'ouverture", "opening hours"},
};

const TLine kPage4Lines[] = {
    {210, 1040, 1140, 1040}, {370, 1490, 1140, 1490}, {210, 1575, 1140, 1575},
    {370, 2030, 1140, 2030}, {210, 2110, 1140, 2110},
};

const TValue kPage4Values[] = {
    {210, 1035, L, "INT_SALL_H", 930}, {370, 1485, L, "INT_AUT1", 770}, {210, 1570, L, "INT_AUT2", 930},
    {370, 2025, L, "EXT_AUT1", 770},   {210, 2105, L, "EXT_AUT2", 930},
};

// ---- Annex page 5 ----

const TText kPage5Texts[] = {
    {130, 630, 33, L, "Sécurité", "Security"},
    {130, 1050, 33, L, "Services alimentaires", "Food services"},
    {130, 1140, 30, L, "•", nullptr},
    {180, 1140, 30, L, "Les repas suivants sont offerts", "The following meals are offered"},
    {180, 1205, 30, L, "par l'établissement", "by the establishment"},
    {180, 730, 13, L, "- gardien", "- guard"},
    {180, 910, 13, L, "- système de surveillance électronique", "- electronic monitoring system"},
    {180, 1295, 13, L, "- déjeuner", "- breakfast"},
    {180, 1385, 13, L, "- dîner", "- lunch"},
    {180, 1475, 13, L, "- souper", "- dinner"},
    {180, 1570, 13, L, "Les heures des repas sont les suivantes:", "Meal hours are as follows:"},
    {240, 1665, 13, L, "déjeuner:", "breakfast:"},
    {240, 1755, 13, L, "dîner:", "lunch:"},
    {240, 1845, 13, L, "souper:", "dinner:"},
    {460, 1665, 13, L, "  de", "from"},
    {460, 1755, 13, L, "  de", "from"},
    {460, 1845, 13, L, "  de", "from"},
    {820, 1665, 13, L, " à", "to"},
    {820, 1755, 13, L, " à", "to"},
    {820, 1845, 13, L, " à", "to"},
    {180, 1935, 13, L, "- nombre de jours par semaine ", "- number of days per week"},
    {180, 2025, 13, L, "Le menu offre un choix de", "The menu offers a choice of"},
    {180, 2115, 13, L, "- repas du jour", "- daily specials"},
    {180, 2205, 13, L, "- repas à la carte", "- à la carte meals"},
    {180, 2295, 13, L, "- repas diététiques", "- dietetic meals"},
    {240, 2420, 3, L, "précisions", "specify"},
};

const TLine kPage5Lines[] = {
    {550, 1665, 800, 1665}, {550, 1755, 800, 1755}, {550, 1845, 800, 1845},
    {240, 2390, 1140, 2390}, {240, 2490, 1140, 2490},
};

const TValue kPage5Values[] = {
    {440, 815, L, "SEC_HORAIR", 700},  {650, 1660, L, "ALI_DEJ_DE", 150}, {950, 1660, L, "ALI_DEJ_A", 190},
    {650, 1750, L, "ALI_DIN_DE", 150}, {950, 1750, L, "ALI_DIN_A", 190},  {650, 1840, L, "ALI_SOU_DE", 150},
    {950, 1840, L, "ALI_SOU_A", 190},  {800, 1930, L, "ALI_NBJOUR", 340}, {240, 2385, L, "ALI_MENUP1", 900},
    {240, 2485, L, "ALI_MENUP2", 900},
};

// ---- Annex page 6 ----

const TText kPage6Texts[] = {
    {180, 620, 13, L, "- nombre de collations par jour : ", "- number of snacks per day:"},
    {210, 920, 3, L, "précisions", "specify"},
    {130, 1090, 30, L, "•", nullptr},
    {180, 1090, 30, L, "Les repas et collation sont servis", "Meals and snacks are served"},
    {210, 1175, 13, L, "- à la salle à manger", "- in the dining room"},
    {210, 1260, 13, L, "- à la cafétéria", "- in the cafeteria"},
    {210, 1345, 13, L, "- à l'appartement ou à la chambre", "- in the apartment or room"},
    {130, 1450, 30, L, "•", nullptr},
    {180, 1450, 30, L, "Les invités peuvent prendre", "Guests may take a meal"},
    {180, 1510, 30, L, "un repas avec un locataire", "with a lessee"},
    {990, 1450, 9, C, "Oui", "Yes"},
    {1110, 1450, 9, C, "Non", "No"},
    {130, 1610, 30, L, "•", nullptr},
    {180, 1610, 30, L, "Crédit :", "Credit :"},
    {990, 1670, 9, C, "Oui", "Yes"},
    {1110, 1670, 9, C, "Non", "No"},
    {210, 1900, 3, L, "précisions", "specify"},
    {130, 2180, 33, L, "Service de soins infirmiers", "Nursing and personal"},
    {130, 2240, 33, L, "et personnels", "care service"},
    {130, 2330, 30, L, "•", nullptr},
    {180, 2330, 30, L, "Présence d'une infirmière diplômée", "Presence of a professional nurse"},
    {180, 2390, 30, L, "ou d'un infirmier diplômé", ""},
    {240, 2490, 13, L, "24 heures sur 24", "24 hours a day"},
    {240, 2570, 13, L, "ou", "or"},
};

const TLine kPage6Lines[] = {
    {210, 805, 1140, 805},   {210, 890, 1140, 890},   {210, 975, 1140, 975},
    {210, 1870, 1140, 1870}, {210, 1960, 1140, 1960}, {210, 2050, 1140, 2050},
};

const TBox kPage6Boxes[] = {{910, 1140, "ALI_SALLE"}, {910, 1225, "ALI_CAFE"}, {910, 1310, "ALI_APP"}, {180, 2455, "INF_24H"}};

const TValue kPage6Values[] = {
    {850, 625, L, "ALI_NBCOLL", 290}, {400, 715, L, "ALI_COLLH1", 740}, {210, 800, L, "ALI_COLLH2", 930},
    {210, 885, L, "ALI_COLLP1", 930}, {210, 970, L, "ALI_COLLP2", 930}, {210, 1865, L, "CREDIT_P1", 930},
    {210, 1955, L, "CREDIT_P2", 930}, {210, 2045, L, "CREDIT_P3", 930},
};

// A Yes/No whose words stand above its boxes; an empty answer marks the second box.
void DrawYesNoBelow(TPageCanvas &canvas, int yesLeft, int noLeft, int top, bool value)
{
    DrawCheckBox(canvas, yesLeft, top, value);
    DrawCheckBox(canvas, noLeft, top, !value);
}

// ---- Annex page 7 ----

const TText kPage7Texts[] = {
    {240, 630, 13, L, "selon l'horaire suivant :", "according to the following schedule :"},
    {180, 970, 13, L, "- autres :", "- other :"},
    {130, 1405, 30, L, "•", nullptr},
    {180, 1405, 30, L, "Télévision dans la chambre", "Television in the room"},
    {180, 1470, 30, L, "ou dans l'appartement", "or apartment"},
    {180, 1555, 13, L, "- service de câblodistribution", "- cable service"},
    {180, 1640, 13, L, "- antenne communautaire", "- community antenna"},
    {130, 1770, 30, L, "•", nullptr},
    {180, 1770, 30, L, "Transport", "Transportation"},
    {130, 1850, 30, L, "•", nullptr},
    {180, 1850, 30, L, "Service d'accompagnement pour", "Escort service for"},
    {180, 1930, 13, L, "- les visites médicales", "- medical appointments"},
    {180, 2020, 13, L, "- les courses", "- errands"},
    {180, 2100, 13, L, "- autres :", "- other :"},
    {320, 2440, 13, L, "fois par jour", "times per day"},
    {760, 2440, 13, L, "fois par semaine", "times per week"},
    {210, 2560, 3, L, "précisions", "specify"},
};

const TLine kPage7Lines[] = {
    {240, 720, 1140, 720},   {240, 805, 1140, 805},   {240, 890, 1140, 890},   {360, 975, 1140, 975},
    {240, 1060, 1140, 1060}, {240, 1145, 1140, 1145}, {240, 1230, 1140, 1230}, {360, 2100, 1140, 2100},
    {210, 2185, 1140, 2185}, {210, 2355, 1140, 2355}, {220, 2440, 310, 2440},  {660, 2440, 750, 2440},
    {210, 2530, 1140, 2530}, {210, 2620, 1140, 2620},
};

const TValue kPage7Values[] = {
    {240, 715, L, "INF_H1", 900},    {240, 800, L, "INF_H2", 900},     {240, 885, L, "INF_H3", 900},
    {360, 970, L, "INF_AUT1", 780},  {240, 1055, L, "INF_AUT2", 900},  {240, 1140, L, "INF_AUT3", 900},
    {240, 1225, L, "INF_AUT4", 900}, {360, 2095, L, "ACC_AUT1", 780},  {210, 2180, L, "ACC_AUT2", 930},
    {410, 2265, L, "ACC_HOR1", 730}, {210, 2350, L, "ACC_HOR2", 930},  {230, 2435, L, "ACC_NBJOUR", 80},
    {670, 2435, L, "ACC_NBSEM", 80}, {210, 2525, L, "ACC_PREC1", 930}, {210, 2615, L, "ACC_PREC2", 930},
};

// ---- Annex page 8 ----

const TText kPage8Texts[] = {
    {1400, 1070, 13, R, "Total du loyer supplémentaire", "Total additional rent"},
    {260, 1190, 13, L, "Le loyer total à payer par le locataire est de :", "Total rent to be paid by the lessee is :"},
    {330, 1275, 13, L, "Montant indiqué au bail", "Amount indicated in the lease"},
    {330, 1360, 13, L, "Montant du loyer supplémentaire, s'il y a lieu (colonne 2)",
     "Amount of additional rent, if any (Column 2)"},
    {1410, 1360, 13, L, "+", nullptr},
    {1410, 1440, 13, L, "=", nullptr},
    {620, 1475, 3, L, "Préciser le terme (mois, semaine ou autre)", "Specify the term (month, week or other)"},
    {130, 1610, 30, L, "Renseignements sur le personnel", "Information on personnel"},
    {180, 1665, 13, L, "Le propriétaire a informé le locataire du nom et des fonctions",
     "The landlord has informed the lessee of the names and duties"},
    {180, 1715, 13, L, "des membres du personnel qui travaillent dans l'immeuble.",
     "of the members of the personnel working in the immovable."},
    {1825, 1710, 13, R, "Oui", "Yes"},
    {1995, 1710, 13, R, "Non", "No"},
    {1090, 1905, 26, C, "Attention : Chaque exemplaire doit être signé séparément.",
     "Please note : Each copy must be signed separately."},
    {130, 2020, 3, L, "Lieu de signature", "Place of signature"},
    {130, 2130, 3, L, "Lieu de signature", "Place of signature"},
    {130, 2240, 3, L, "Lieu de signature", "Place of signature"},
    {130, 2350, 3, L, "Lieu de signature", "Place of signature"},
    {750, 2020, 3, L, "Date", nullptr},
    {750, 2130, 3, L, "Date", nullptr},
    {750, 2240, 3, L, "Date", nullptr},
    {750, 2350, 3, L, "Date", nullptr},
    {1120, 2020, 3, L, "Signature du propriétaire (ou de son mandataire)", "Signature of landlord (or his mandatary)"},
    {1120, 2130, 3, L, "Signature du locataire", "Signature of lessee"},
    {1120, 2240, 3, L, "Signature du locataire", "Signature of lessee"},
    {1120, 2350, 3, L, "Autre signataire (exemple : témoin ou autre)", "Other signatory (e.g., witness or other)"},
};

const TLine kPage8Lines[] = {
    {180, 910, 1140, 910},    {1450, 985, 1450, 1085},  {1450, 1085, 1745, 1085}, {1745, 1085, 1745, 985},
    {130, 1990, 720, 1990},   {750, 1990, 1070, 1990},  {1120, 1990, 2040, 1990}, {130, 2100, 720, 2100},
    {750, 2100, 1070, 2100},  {1120, 2100, 2040, 2100}, {130, 2210, 720, 2210},   {750, 2210, 1070, 2210},
    {1120, 2210, 2040, 2210}, {130, 2320, 720, 2320},   {750, 2320, 1070, 2320},  {1120, 2320, 2040, 2320},
};

// The column-2 total: every amount in the form's order, added in extended precision so
// that the printed total does not depend on rounding along the way.
double Column2Total(const TRow &annex)
{
    long double sum = 0;
    for (const char *field : db::AnnexAmountFields())
        sum += annex.Float(field);
    return double(sum);
}

// The explanatory paragraphs, in our own words. Each line was broken to stay inside its
// column in its fonts (checked by the tests).
const TAnnexProse kProse[] = {
    // Annex page 1, left column: what the Annex is for.
    {1, 195, 515, 1090, "Cette annexe obligatoire complète le bail", "This mandatory Schedule completes the"},
    {1, 125, 560, 1090, "de tout logement loué à une personne âgée ou", "lease of any dwelling leased to an elderly or"},
    {1, 125, 605, 1090, "handicapée. Elle décrit le logement et ses", "handicapped person. It describes the dwelling"},
    {1, 125, 650, 1090, "accessoires, puis dresse la liste des services", "and its accessories, then lists the services"},
    {1, 125, 695, 1090, "offerts au locataire en raison de sa condition", "offered to the lessee owing to his personal"},
    {1, 125, 740, 1090, "personnelle et indique, pour chacun, s'il est", "condition and states, for each of them, whether"},
    {1, 125, 785, 1090, "compris dans le loyer ou ce qu'il coûte en plus.", "it is included in the rent or what it costs."},
    // Rights and obligations that reach the services.
    {1, 195, 850, 1090, "Les droits et obligations que le ~Code civil du~",
     "The rights and obligations that the ~Civil Code of~"},
    {1, 125, 895, 1090, "~Vellmar~ reconnaît aux locataires et aux", "~Vellmar~ gives to lessees and landlords also"},
    {1, 125, 940, 1090, "propriétaires s'appliquent aussi aux ^services^,", "apply to the ^services^, ^accessories^ and"},
    {1, 125, 985, 1090, "aux ^accessoires^ et aux ^dépendances^ décrits", "^dependencies^ described in this Schedule."},
    {1, 125, 1030, 1090, "dans cette annexe. Ainsi, le propriétaire ne peut", "Thus, the landlord may not withdraw a service"},
    {1, 125, 1075, 1090, "réduire ni retirer un service inscrit à l'annexe", "of the Schedule during the lease, and a lessee"},
    {1, 125, 1120, 1090, "pendant la durée du bail, et le locataire qui", "who receives it must pay its agreed price."},
    // The French paragraph ends at the top of the right column; the English one ended above.
    {1, 1130, 515, 2060, "en bénéficie doit en payer le prix convenu", ""},
    {1, 1130, 560, 2060, "selon le terme prévu au bail.", ""},
    // Freedom to buy goods and services.
    {1, 1200, 640, 2060, "Le locataire demeure libre de se procurer", ""},
    {1, 1130, 685, 2060, "les biens et les services de son choix auprès", ""},
    {1, 1130, 730, 2060, "de qui il veut; le propriétaire ne peut l'obliger", ""},
    {1, 1130, 775, 2060, "à les acheter de lui ni d'un fournisseur imposé.", ""},
    {1, 1200, 515, 2060, "", "The lessee remains free to obtain the goods and"},
    {1, 1130, 560, 2060, "", "services of his choice from whomever he wishes;"},
    {1, 1130, 605, 2060, "", "the landlord may not compel him to buy them"},
    {1, 1130, 650, 2060, "", "from himself or from a supplier he imposes."},
    // Protection against exploitation.
    {1, 1200, 855, 2060, "La ~Charte des droits de la personne~ protège", ""},
    {1, 1130, 900, 2060, "toute personne âgée ou handicapée contre toute", ""},
    {1, 1130, 945, 2060, "forme d'exploitation. Le locataire qui se croit", ""},
    {1, 1130, 990, 2060, "exploité peut porter plainte auprès de l'orga-", ""},
    {1, 1130, 1035, 2060, "nisme chargé de faire respecter la Charte; il", ""},
    {1, 1130, 1080, 2060, "peut aussi s'adresser au tribunal pour faire", ""},
    {1, 1130, 1125, 2060, "respecter le bail et la présente annexe.", ""},
    {1, 1200, 730, 2060, "", "The ~Charter of human rights~ protects every"},
    {1, 1130, 775, 2060, "", "elderly or handicapped person against any form"},
    {1, 1130, 820, 2060, "", "of exploitation. A lessee who believes he is being"},
    {1, 1130, 865, 2060, "", "exploited may file a complaint with the body that"},
    {1, 1130, 910, 2060, "", "enforces the Charter, which may act on his behalf;"},
    {1, 1130, 955, 2060, "", "he may also apply to the Court to have the lease"},
    {1, 1130, 1000, 2060, "", "and this Schedule complied with, and to obtain"},
    {1, 1130, 1045, 2060, "", "the reduction of his rent or damages where the"},
    {1, 1130, 1090, 2060, "", "landlord fails to provide a service he promised."},
    // Annex page 2: the term landlord, and the leases this Annex is not for.
    {2, 125, 805, 2060, "* Le terme ^propriétaire ^utilisé dans la présente annexe inclut la coopérative.",
     "* The term ^landlord ^used in this Schedule includes the cooperative."},
    {2, 125, 875, 2060, "La présente annexe ne sert pas pour le bail d'un logement situé dans un établissement de santé",
     "This Schedule is not used for the lease of a dwelling located in a health or social services institution,"},
    {2, 125, 920, 2060, "ou de services sociaux, ni pour celui d'une chambre louée à un seul locataire dans la résidence",
     "nor for that of a room rented to a single lessee in the landlord's principal residence. It is used only"},
    {2, 125, 965, 2060, "principale du propriétaire. Elle ne sert que si des services sont offerts au locataire âgé ou handicapé.",
     "where services are offered to a lessee who is an elderly or handicapped person."},
    // What columns 1 and 2, then column 3, of the list mean.
    {2, 125, 1480, 1090, "Le propriétaire coche la colonne 1 pour chaque", "The landlord ticks off column 1 for each service"},
    {2, 125, 1525, 1090, "service compris dans le loyer du bail. Il inscrit", "included in the rent of the lease. He enters in"},
    {2, 125, 1570, 1090, "à la colonne 2 le loyer supplémentaire demandé", "column 2 the additional rent charged for a"},
    {2, 125, 1615, 1090, "pour un service, selon le terme prévu au bail.", "service, according to the term of the lease."},
    {2, 1110, 1480, 2060, "La colonne 3 indique les autres services que le", "Column 3 shows the other services that the"},
    {2, 1110, 1525, 2060, "propriétaire s'engage à maintenir pendant le bail,", "landlord undertakes to maintain during the lease,"},
    {2, 1110, 1570, 2060, "même s'ils ne sont pas compris dans le loyer; ils", "even though they are not included in the rent;"},
    {2, 1110, 1615, 2060, "sont souvent payables à chaque utilisation, au", "they are often payable each time they are used,"},
    {2, 1110, 1660, 2060, "prix convenu entre les parties.", "at the price agreed between the parties."},
    // Annex page 6: the meal credit during an absence.
    {6, 340, 1610, 960, "Le locataire absent à un repas", "A lessee who is absent for a"},
    {6, 340, 1670, 960, "reçoit un crédit pour ce repas", "meal receives a credit for that"},
    {6, 340, 1730, 960, "s'il en avise d'avance.", "meal if he gives notice of his"},
    {6, 340, 1790, 960, "", "absence in advance."},
};

// Walks a prose line run by run in the printing language, each in its font, drawing the runs
// when draw is set; returns the x where the line ends. The fit check measures with the same
// walk that draws, so the two cannot disagree.
int WalkProse(TPageCanvas &canvas, const TAnnexProse &line, bool draw)
{
    const QString text = Pick(line.fr, line.en);
    int x = line.x;
    int font = 37;
    QString piece;
    const auto flush = [&] {
        if (piece.isEmpty())
            return;
        SetFormFont(canvas, font);
        if (draw)
            DrawText(canvas, x, line.y, piece);
        x += canvas.TextWidth(piece);
        piece.clear();
    };
    for (const QChar c : text) {
        if (c == QLatin1Char('^') || c == QLatin1Char('~')) {
            flush();
            const int toggled = c == QLatin1Char('^') ? 38 : 39;
            font = font == toggled ? 37 : toggled;
        } else {
            piece += c;
        }
    }
    flush();
    return x;
}

void DrawProse(TPageCanvas &canvas, int page)
{
    for (const TAnnexProse &line : kProse)
        if (line.page == page)
            WalkProse(canvas, line, true);
}

// The white-on-black title block; its last line is centred by hand because it mixes
// two fonts ("OU" is smaller than the words about it).
void DrawTitleBlock(TPageCanvas &canvas, bool english)
{
    const uint32_t leftAlign = canvas.TextAlign();
    BeginSectionBand(canvas, 420, 70, 1780, 460, 29);
    const QString form = Pick("FORMULAIRE OBLIGATOIRE DE LA OSTREVANE", "MANDATORY FORM OF THE OSTREVANE");
    ShrinkFontToWidth(canvas, form, 1350);
    canvas.TextOut(1090, -130, form);
    // The English title is longer: its font starts one size smaller.
    SetFormFont(canvas, english ? 18 : 19);
    const QString title = Pick("ANNEXE AU BAIL", "SCHEDULE TO THE LEASE");
    ShrinkFontToWidth(canvas, title, 1350);
    canvas.TextOut(1110, -280, title);
    SetFormFont(canvas, 24);
    canvas.TextOut(1090, -330, Pick("SERVICES OFFERTS AU LOCATAIRE", "SERVICES OFFERED TO THE LESSEE"));
    canvas.TextOut(1090, -360, Pick("EN RAISON DE SA CONDITION PERSONNELLE, ENTRE AUTRES À UNE",
                                    "OWING TO HIS PERSONAL CONDITION, INCLUDING SERVICES OFFERED TO"));

    SetFormFont(canvas, 24);
    const QString word = Pick("OU", "OR");
    const int w2 = canvas.TextWidth(word);
    SetFormFont(canvas, 35);
    const int h = ShrinkFontToWidth(canvas, Pick("PERSONNE ÂGÉE  HANDICAPÉE", "ELDERLY  HANDICAPPED PERSONS"), 1100);
    const int w1 = canvas.TextWidth(Pick("PERSONNE ÂGÉE  HANDICAPÉE", "ELDERLY  HANDICAPPED PERSONS"));
    int x = 1090 - (w1 + w2) / 2;
    canvas.SetTextAlign(leftAlign);
    const QString before = Pick("PERSONNE ÂGÉE ", "ELDERLY ");
    canvas.TextOut(x, -435, before);
    x += canvas.TextWidth(before);
    SetFormFont(canvas, 24);
    canvas.TextOut(x, -435, word);
    x += w2;
    SetFormFont(canvas, 35);
    canvas.SetFontHeight(h);
    canvas.TextOut(x, -435, Pick(" HANDICAPÉE", " HANDICAPPED PERSONS"));
    EndSectionBand(canvas);
}

} // namespace

QString ServicesHeadFitText()
{
    return QStringLiteral("(souvent payables");
}

void DrawServicesHeader(TPageCanvas &canvas, int top, int bottom, bool continued)
{
    canvas.SetPenWidth(5);
    DrawBox(canvas, 115, top, 2065, bottom);
    canvas.SetPenWidth(1);
    DrawLine(canvas, 115, top + 400, 2065, top + 400);
    for (const int x : {1155, 1450, 1745})
        DrawLine(canvas, x, top, x, bottom);

    BeginSectionBand(canvas, 300, top - 65, 1880, top + 20, 16);
    canvas.TextOut(1090, -(top - 5),
                   continued ? Pick("LISTE DES SERVICES (suite)", "LIST OF SERVICES (cont.)")
                             : Pick("LISTE DES SERVICES", "LIST OF SERVICES"));
    EndSectionBand(canvas);

    for (int column = 0; column < 3; ++column) {
        SetFormFont(canvas, 32);
        DrawText(canvas, kHeadX[column], top + 80, QString::number(column + 1), C);
        SetFormFont(canvas, 25);
        ShrinkFontToWidth(canvas, ServicesHeadFitText(), kServicesHeadWidth);
        for (const THeadLine &line : kHeadLines) {
            const QString text = Pick(line.fr, line.en);
            if (line.column == column && !text.isEmpty())
                DrawText(canvas, kHeadX[column], top + line.dy, text, C);
        }
    }
}

std::span<const TAnnexProse> AnnexProse()
{
    return kProse;
}

int AnnexProseEnd(TPageCanvas &canvas, const TAnnexProse &line)
{
    return WalkProse(canvas, line, false);
}

namespace {

// The footer of Annex pages 2 to 8: its own positions, "Page n de 8".
void DrawAnnexFooter(TPageCanvas &canvas, int page)
{
    DrawPageFooter(canvas, AnnexPageText(page), -10, 1090, 1655, 1660, 2070);
}

// Pages 3 to 8 open on the continued services table, whose frame ends at bottom.
void BeginListPage(TPageCanvas &canvas, int bottom)
{
    RestoreNormalState(canvas);
    DrawServicesHeader(canvas, 160, bottom, true);
}

} // namespace

void PaintAnnexPage1(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    const bool english = !db::IsFrench(db::PrintingLanguage());
    RestoreNormalState(canvas);
    DrawTitleBlock(canvas, english);

    DrawTexts(canvas, kPage1Texts);
    SetFormFont(canvas, 15);
    DrawFitted(canvas, 1870, 330, annex.Text("NOBAIL").trimmed(), 190);
    DrawProse(canvas, 1);

    DrawFrame(canvas, 120, 1275, 2070, 2605, 5);
    DrawLine(canvas, 1095, 1295, 1095, 2605);
    BeginSectionBand(canvas, 290, 1210, 1895, 1295, 16);
    const QString band = Pick("DESCRIPTION DÉTAILLÉE DU LOGEMENT ET DES ACCESSOIRES",
                              "DETAILED DESCRIPTION OF THE DWELLING AND ACCESSORIES");
    ShrinkFontToWidth(canvas, band, 1550);
    canvas.TextOut(1090, -1275, band);
    EndSectionBand(canvas);

    DrawLines(canvas, kPage1Lines);
    DrawBoxes(canvas, annex, kPage1Boxes);
    DrawValues(canvas, annex, kPage1Values);
    DrawFirstPageFooter(canvas, AnnexPageText(1), 230, 1655, 1660, 2070);
}

void PaintAnnexPage2(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    RestoreNormalState(canvas);
    DrawFrame(canvas, 110, 160, 2055, 750, 5);
    BeginSectionBand(canvas, 290, 105, 1895, 185, 13);
    const QString band = Pick("DESCRIPTION DÉTAILLÉE DU LOGEMENT ET DES ACCESSOIRES (suite)",
                              "DETAILED DESCRIPTION OF THE DWELLING AND ACCESSORIES (cont.)");
    ShrinkFontToWidth(canvas, band, 1550);
    canvas.TextOut(1090, -155, band);
    EndSectionBand(canvas);

    DrawServicesHeader(canvas, 1785, 2600, false);
    DrawTexts(canvas, kPage2Texts);
    DrawLines(canvas, kPage2Lines);
    DrawProse(canvas, 2);
    DrawBoxes(canvas, annex, kPage2Boxes);
    DrawValues(canvas, annex, kPage2Values);
    DrawAnnexFooter(canvas, 2);
}

void PaintAnnexPage3(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    BeginListPage(canvas, 2650);
    DrawTexts(canvas, kPage3Texts);
    SetFormFont(canvas, 13);
    DrawFillInLine(canvas, 180, 945, Pick("nombre de laveuses ", "number of washers"), 820);
    DrawFillInLine(canvas, 180, 1045, Pick("nombre de sécheuses ", "number of dryers"), 820);
    DrawLines(canvas, kPage3Lines);
    DrawServiceRows(canvas, annex, 3);
    DrawValues(canvas, annex, kPage3Values);
    DrawAnnexFooter(canvas, 3);
}

void PaintAnnexPage4(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    BeginListPage(canvas, 2650);
    DrawTexts(canvas, kPage4Texts);
    DrawLines(canvas, kPage4Lines);
    DrawServiceRows(canvas, annex, 4);
    DrawYesNoBelow(canvas, 975, 1075, 2520, annex.Bool("MED_CONSER"));
    DrawValues(canvas, annex, kPage4Values);
    DrawAnnexFooter(canvas, 4);
}

void PaintAnnexPage5(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    BeginListPage(canvas, 2650);
    DrawTexts(canvas, kPage5Texts);
    SetFormFont(canvas, 13);
    DrawFillInLine(canvas, 210, 820, Pick("- horaire: ", "- schedule:"), 1140);
    DrawLines(canvas, kPage5Lines);
    DrawServiceRows(canvas, annex, 5);
    DrawValues(canvas, annex, kPage5Values);
    DrawAnnexFooter(canvas, 5);
}

void PaintAnnexPage6(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    BeginListPage(canvas, 2650);
    DrawTexts(canvas, kPage6Texts);
    SetFormFont(canvas, 13);
    DrawFillInLine(canvas, 210, 715, Pick("horaire : ", "schedule:"), 1140);
    DrawLines(canvas, kPage6Lines);
    DrawProse(canvas, 6);
    DrawServiceRows(canvas, annex, 6);
    DrawBoxes(canvas, annex, kPage6Boxes);
    DrawYesNoBelow(canvas, 980, 1090, 1470, annex.Bool("INV_REPAS"));
    DrawYesNoBelow(canvas, 980, 1090, 1690, annex.Bool("CREDIT"));
    DrawValues(canvas, annex, kPage6Values);
    DrawAnnexFooter(canvas, 6);
}

void PaintAnnexPage7(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    BeginListPage(canvas, 2650);
    DrawTexts(canvas, kPage7Texts);
    SetFormFont(canvas, 13);
    DrawFillInLine(canvas, 180, 2270, Pick("- horaire : ", "- schedule :"), 1140);
    DrawLines(canvas, kPage7Lines);
    DrawServiceRows(canvas, annex, 7);
    DrawValues(canvas, annex, kPage7Values);
    DrawAnnexFooter(canvas, 7);
}

void PaintAnnexPage8(const TLeaseRows &rows, printout::TPrintout &printout)
{
    TPageCanvas &canvas = *printout.Canvas();
    const TRow &annex = rows.annex;
    const bool english = !db::IsFrench(db::PrintingLanguage());
    BeginListPage(canvas, 985);
    // The row's texts are kept out of the columns.
    SetFormFont(canvas, 27);
    DrawText(canvas, 130, 630, QString(QChar(0x2022)));
    DrawFitted(canvas, 180, 630,
               Pick("Transport adapté pour les personnes handicapées", "Adapted transportation for handicapped persons"),
               960);
    SetFormFont(canvas, 13);
    DrawFitted(canvas, 180, 720,
               Pick("Horaire si différent de celui inscrit", "Schedule, if different from the schedule indicated"), 960);
    SetFormFont(canvas, 13);
    const int scheduleLine = DrawFillInLine(canvas, 180, 810, Pick("ci-dessus : ", "above : "), 1140, 0);
    DrawServiceRows(canvas, annex, 8);
    SetFormFont(canvas, 9);
    DrawFitted(canvas, scheduleLine + 20, 805, annex.Text("TRA_HOR1"), 1140 - scheduleLine - 20);
    DrawFitted(canvas, 180, 905, annex.Text("TRA_HOR2"), 960);

    DrawTexts(canvas, kPage8Texts);
    DrawLines(canvas, kPage8Lines);
    const double total = Column2Total(annex);
    DrawAmount(canvas, 1470, 1070, false, total);

    SetFormFont(canvas, 13);
    DrawFillInLine(canvas, 330, 1445, Pick("Loyer total par ", "Total rent per "), 1390, 0);
    SetFormFont(canvas, 9);
    DrawFitted(canvas, 620, 1440, annex.Text("TERME"), 760);
    const double rent = annex.Float("MNTBAIL");
    DrawAmount(canvas, 1470, 1270, true, rent);
    DrawAmount(canvas, 1470, 1360, true, total);
    DrawAmount(canvas, 1470, 1450, true, rent + total);
    if (english)
        DrawLine(canvas, 1485, 1460, 1730, 1460);
    else
        DrawLine(canvas, 1470, 1460, 1710, 1460);

    DrawFrame(canvas, 115, 1550, 2065, 1765, 5);
    DrawYesNoBelow(canvas, 1840, 2010, 1680, annex.Bool("RENSEIGNEM"));

    DrawFrame(canvas, 115, 1830, 2065, 2420, 5);
    BeginSectionBand(canvas, 300, 1765, 1880, 1850, 16);
    canvas.TextOut(1090, -1825, QStringLiteral("SIGNATURES"));
    EndSectionBand(canvas);
    DrawAnnexFooter(canvas, 8);
}

} // namespace forms
