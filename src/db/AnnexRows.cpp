#include "db/AnnexRows.h"

#include "dataset/Field.h"
#include "dataset/Table.h"

#include <QStringList>

namespace db {

QString TAnnexText::In(bool french) const
{
    return QString::fromUtf8(french ? fr : en);
}

QString TAnnexRow::FieldName(int column) const
{
    return QString::fromLatin1(prefix) + QLatin1Char('_') + QString::number(column);
}

namespace {

// "BUA_LIT" -> "Bua_Lit"
QString MixedCase(const char *name)
{
    QStringList parts = QString::fromLatin1(name).split(QLatin1Char('_'));
    for (QString &p : parts)
        p = p.left(1).toUpper() + p.mid(1).toLower();
    return parts.join(QLatin1Char('_'));
}

using K = TAnnexFieldKind;

const TAnnexText kNone{"", ""};
const TAnnexText kPrec{"précisions", "specify"};
const TAnnexText kEmpl{"emplacement", "location"};
const TAnnexText kWeek{"fois par semaine", "times per week"};
const TAnnexText kOther{"- autres :", "- other :"};

TAnnexField Box(const char *f, TAnnexText c) { return {f, K::Box, c}; }
TAnnexField Txt(const char *f, TAnnexText c = kNone, int max = 0) { return {f, K::Text, c, max}; }
TAnnexField Cnt(const char *f, TAnnexText c, int max) { return {f, K::Count, c, max}; }
TAnnexField Hour(const char *f, TAnnexText c, bool sameLine = false) { return {f, K::Hour, c, 5, sameLine}; }
TAnnexField YesNo(const char *f) { return {f, K::YesNo, kNone}; }

} // namespace

const std::vector<TDwellingItem> &DwellingItems()
{
    static const std::vector<TDwellingItem> items = {
        {1, {"Le logement loué est", "The leased dwelling is"},
         {Box("LOG_APP", {"- un appartement", "- an apartment"})}},
        {1, {"- une chambre", "- a room"},
         {Box("LOG_PRIV", {"- privée", "- private"}), Box("LOG_COM", {"- commune", "- shared"}),
          Txt("LOG_NB", {"nombre de personnes, emplacement", "number of persons, location"})}},
        {1, {"Salle de bain", "Bathroom"},
         {Box("BAIN_PRIV", {"- privée", "- private"}), Box("BAIN_COM", {"- commune", "- shared"}),
          Txt("BAIN_NB", {"nombre de personnes, emplacement", "number of persons, location"})}},
        {1, {"Meubles\nLe locataire a le droit d'apporter", "Furniture\nThe lessee has the right to bring"},
         {Box("MEUB_APP", {"- des appareils électroménagers", "- electric household appliance"}),
          Box("MEUB_MEUB", {"- des meubles", "- furniture"}),
          Box("MEUB_TELE", {"- un téléviseur", "- a television set"}), Txt("MEUB_PREC", kPrec)}},
        {1, {"Balcon", "Balcony"},
         {Box("BALC_PRIV", {"- privé", "- private"}), Box("BALC_COM", {"- commun", "- shared"})}},
        {2, {"Barres d'appui", "Handrail supports"},
         {Box("BAR_BAIN", {"- dans la salle de bain", "- in the bathroom"}),
          Box("BAR_CORR", {"- dans les corridors", "- in the corridors"})}},
        {2, {"Fauteuils roulants", "Wheelchairs"},
         {Box("FAUT_ACCES", {"- logement accessible\naux fauteuils roulants", "- dwelling accessible\nfor wheelchairs"}),
          Box("FAUT_AMENA", {"- logement aménagé   \npour les fauteuils roulants", "- dwelling designed\nfor wheelchairs"})}},
        {2, {"Interphone", "Intercom"}, {Box("INTERPHONE", kNone), Txt("INTER_EMPL", kEmpl)}},
        {2, {"Sonnerie d'appel", "Call system"}, {Box("SONNERIE", kNone), Txt("SON_EMPL", kEmpl)}},
        {2, {"Chauffage", "Heating"}, {Box("CHAUFFAGE", {"- contrôle individuel", "- individual control"})}},
        {2, {"Climatisation", "Air conditioning"},
         {Box("CLIMATISAT", {"- contrôle individuel", "- individual control"})}},
        {2, {"Espace de rangement\nfermé à clé", "Locked\nstorage space"},
         {Box("RANGEMENT", kNone), Txt("RANG_EMPL", kEmpl)}},
        {2, {"Ascenseur", "Elevator"}, {Box("ASCENCEUR", kNone)}},
        {2, {"Espaces communs\n(voir Loisirs et activités sociales)", "Common areas\n(See Recreational and social activities)"},
         {}},
    };
    return items;
}

const std::vector<TAnnexRow> &AnnexRows()
{
    const TAnnexText indoor{"Loisirs et activités sociales\nEspaces communs à l'intérieur",
                            "Recreational and social activities\nIndoor areas"};
    const TAnnexText meals{"Services alimentaires\nLes repas suivants sont offerts par l'établissement",
                           "Food services\nThe following meals are offered by the establishment"};
    const TAnnexText menu{"Le menu offre un choix de", "The menu offers a choice of"};
    const TAnnexText served{"Les repas et collation sont servis", "Meals and snacks are served"};
    const TAnnexText tv{"Télévision dans la chambre ou dans l'appartement", "Television in the room or apartment"};
    const TAnnexText escort{"Service d'accompagnement pour", "Escort service for"};
    static const std::vector<TAnnexRow> rows = {
        {2, kNone, {"Activités religieuses", "Religious activities"}, nullptr, 0,
         {Txt("RELIGIEU1", kPrec), Txt("RELIGIEU2"), Txt("RELIGIEU3")}},
        {3, {"Buanderie", "Laundry"}, {"Salle de lavage", "Laundry room"}, "LAV", kAllCols,
         {Txt("LAV_EMPL", kEmpl), Cnt("LAV_NBLAV", {"nombre de laveuses", "number of washers"}, 2),
          Cnt("LAV_NBSECH", {"nombre de sécheuses", "number of dryers"}, 2)}},
        {3, {"Service de buanderie", "Laundry service"}, {"- literie", "- bedding"}, "BUA_LIT", kAllCols,
         {Cnt("BUA_LITNB", kWeek, 2)}},
        {3, kNone, {"- vêtements", "- clothing"}, "BUA_VET", kAllCols, {Cnt("BUA_VETNB", kWeek, 2)}},
        {3, kNone, {"- nettoyage à sec", "- dry cleaning"}, "BUA_NET", kCol3,
         {Txt("BUA_NET_P1", kPrec), Txt("BUA_NET_P2")}},
        {3, {"Entretien ménager", "Housekeeping"},
         {"Ménage dans l'appartement ou la chambre du locataire", "Cleaning in lessee's apartment or room"}, "MEN",
         kAllCols, {Cnt("MEN_NB", kWeek, 2)}},
        {3, kNone, {"- ménage annuel", "- annual cleaning"}, "MENANN", kAllCols,
         {Txt("MENANN_P1", kPrec), Txt("MENANN_P2")}},
        {4, indoor, {"- cuisine commune", "- shared kitchen"}, "INT_CUIS", kCol1, {}},
        {4, kNone, {"- droit de cuisiner", "- right to cook"}, "INT_DROI", kCol1, {}},
        {4, kNone, {"- salle communautaire", "- common room"}, "INT_SALL", kCol1,
         {Txt("INT_SALL_H", {"heures d'ouverture", "opening hours"})}},
        {4, kNone, {"- animateur", "- social director"}, "INT_ANIM", kCol1, {}},
        {4, kNone, {"- chaîne stéréo", "- stereophonic system"}, "INT_CHAI", kCol1, {}},
        {4, kNone, {"- téléviseur", "- television"}, "INT_TELE", kCol1, {}},
        {4, kNone, {"- utilisation à des fins personnelles", "- personal use"}, "INT_UTIL", kAllCols, {}},
        {4, kNone, kOther, "INT_AUT1", kAllCols, {Txt("INT_AUT1")}},
        {4, kNone, kOther, "INT_AUT2", kAllCols, {Txt("INT_AUT2")}},
        {4, {"Espaces communs à l'extérieur", "Outdoor areas"}, {"- aire de jeux", "- recreation areas"}, "EXT_JEUX",
         kCol1, {}},
        {4, kNone, {"- aire de repos", "- rest areas"}, "EXT_REPO", kCol1, {}},
        {4, kNone, {"- jardin communautaire", "- communal garden"}, "EXT_JARD", kAllCols, {}},
        {4, kNone, kOther, "EXT_AUT1", kAllCols, {Txt("EXT_AUT1")}},
        {4, kNone, kOther, "EXT_AUT2", kAllCols, {Txt("EXT_AUT2")}},
        {4, {"Médicaments", "Medications"},
         {"- distribution de médicaments\npar une personne autorisée par la loi",
          "- distribution of medications by a\nperson authorized by law"},
         "MED", kAllCols, {}},
        {4, kNone,
         {"- conservation des médicaments dans\nun endroit sécuritaire fermé à clé",
          "- keeping of medications in a\nsafe locked place"},
         nullptr, 0, {YesNo("MED_CONSER")}},
        {5, {"Sécurité", "Security"}, {"- gardien", "- guard"}, "SEC_GARD", kCol1,
         {Txt("SEC_HORAIR", {"- horaire : ", "- schedule :"})}},
        {5, kNone, {"- système de surveillance électronique", "- electronic monitoring system"}, "SEC_SURV", kCol1,
         {}},
        {5, meals, {"- déjeuner", "- breakfast"}, "ALI_DEJ", kAllCols, {}},
        {5, kNone, {"- diner", "- lunch"}, "ALI_DIN", kAllCols, {}},
        {5, kNone, {"- souper", "- dinner"}, "ALI_SOU", kAllCols, {}},
        {5, kNone, {"Les heures des repas sont les suivantes :", "Meal hours are as follows :"}, nullptr, 0,
         {Hour("ALI_DEJ_DE", {"déjeuner : de", "breakfast : from"}), Hour("ALI_DEJ_A", {"à", "to"}, true),
          Hour("ALI_DIN_DE", {"diner : de", "lunch : from"}), Hour("ALI_DIN_A", {"à", "to"}, true),
          Hour("ALI_SOU_DE", {"souper : de", "dinner : from"}), Hour("ALI_SOU_A", {"à", "to"}, true)}},
        {5, kNone, {"- nombre de jour par semaine", "- number of days per week"}, nullptr, 0,
         {Cnt("ALI_NBJOUR", kNone, 1)}},
        {5, menu, {"- repas du jour", "- daily specials"}, "ALI_JOUR", kAllCols, {}},
        {5, kNone, {"- repas à la carte", "- à la carte meals"}, "ALI_CART", kAllCols, {}},
        {5, kNone, {"- repas diététiques", "- dietetic meals"}, "ALI_DIET", kAllCols,
         {Txt("ALI_MENUP1", kPrec), Txt("ALI_MENUP2")}},
        {6, kNone, {"- nombre de collations par jour : ", "- number of snacks per day :"}, "ALI_COLL", kAllCols,
         {Cnt("ALI_NBCOLL", kNone, 1), Txt("ALI_COLLH1", {"horaire : ", "schedule :"}), Txt("ALI_COLLH2"),
          Txt("ALI_COLLP1", kPrec), Txt("ALI_COLLP2")}},
        {6, served, kNone, nullptr, 0,
         {Box("ALI_SALLE", {"- à la salle à manger", "- in the dining room"}),
          Box("ALI_CAFE", {"- à la cafétéria", "- in the cafeteria"}),
          Box("ALI_APP", {"- à l'appartement ou à la chambre", "- in the apartment or room"})}},
        {6, kNone, {"Les invités peuvent prendre un repas avec un locataire", "Guests may take a meal with a lessee"},
         "INV_REPA", kCol3, {YesNo("INV_REPAS")}},
        {6, kNone,
         {"Crédit : \nSi le loyer inclut le coût des repas, un crédit est accordé au locataire en cas d'absence.",
          "Credit :\nWhere the rent includes the cost of meals, a credit is granted to the lessee if he is absent."},
         nullptr, 0,
         {YesNo("CREDIT"), Txt("CREDIT_P1", kPrec), Txt("CREDIT_P2"), Txt("CREDIT_P3")}},
        {6, {"Service de soins infirmiers et personnels", "Nursing and personal care service"},
         {"Présence d'une infirmière diplômée ou d'un infirmier diplômé", "Presence of a professional nurse"}, "INF",
         kAllCols, {Box("INF_24H", {"ou\n24 heures sur 24", "or\n24 hours a day"})}},
        {7, kNone, {"selon l'horaire suivant :", "according to the following schedule :"}, nullptr, 0,
         {Txt("INF_H1"), Txt("INF_H2"), Txt("INF_H3")}},
        {7, kNone, kOther, "INF_AUT1", kAllCols, {Txt("INF_AUT1")}, "INF_AUT1"},
        {7, kNone, kOther, "INF_AUT2", kAllCols, {Txt("INF_AUT2")}, "INF_AUT2"},
        {7, kNone, kOther, "INF_AUT3", kAllCols, {Txt("INF_AUT3")}, "INF_AUT3"},
        {7, kNone, kOther, "INF_AUT4", kAllCols, {Txt("INF_AUT4")}, "INF_AUT4"},
        {7, tv, {"- service de câblodistribution", "- cable service"}, "CABLO", kAllCols, {}},
        {7, kNone, {"- antenne communautaire", "- community antenna"}, "ANTENNE", kAllCols, {}},
        {7, kNone, {"Transport", "Transportation"}, "TRANSPOR", kAllCols, {}},
        {7, escort, {"- les visites médicales", "- medical appointments"}, "ACC_VISI", kAllCols, {}},
        {7, kNone, {"- les courses", "- errands"}, "ACC_COUR", kAllCols, {}},
        {7, kNone, kOther, "ACC_AUT1", kAllCols, {Txt("ACC_AUT1")}},
        {7, kNone, kOther, "ACC_AUT2", kAllCols,
         {Txt("ACC_AUT2"), Txt("ACC_HOR1", {"- horaire :", "- schedule :"}), Txt("ACC_HOR2"),
          Cnt("ACC_NBJOUR", {"fois par jour", "times per day"}, 2), Cnt("ACC_NBSEM", kWeek, 2),
          Txt("ACC_PREC1", kPrec), Txt("ACC_PREC2")}},
        {8, kNone, {"Transport adapté pour les personnes handicapées", "Adapted transportation for handicapped persons"},
         "TRA", kAllCols,
         {Txt("TRA_HOR1", {"Horaire si différent de celui inscrit \nci-dessus :",
                           "Schedule, if different from the schedule indicated\nabove :"}),
          Txt("TRA_HOR2")}},
    };
    return rows;
}

std::span<const char *const> AnnexAmountFields()
{
    static const char *const amounts[] = {
        "LAV_2",      "BUA_LIT_2",  "BUA_VET_2",  "MEN_2",      "MENANN_2",   "INT_UTIL_2", "INT_AUT1_2", "INT_AUT2_2",
        "EXT_JARD_2", "EXT_AUT1_2", "EXT_AUT2_2", "MED_2",      "ALI_DEJ_2",  "ALI_DIN_2",  "ALI_SOU_2",  "ALI_JOUR_2",
        "ALI_CART_2", "ALI_DIET_2", "ALI_COLL_2", "INF_2",      "INF_AUT1_2", "INF_AUT2_2", "INF_AUT3_2", "INF_AUT4_2",
        "CABLO_2",    "ANTENNE_2",  "TRANSPOR_2", "ACC_VISI_2", "ACC_COUR_2", "ACC_AUT1_2", "ACC_AUT2_2", "TRA_2",
    };
    static_assert(std::size(amounts) == 32);
    return amounts;
}

std::span<const char *const> AnnexYesNoFields()
{
    static const char *const answers[] = {"MED_CONSER", "INV_REPAS", "CREDIT", "RENSEIGNEM"};
    return answers;
}

QString TAnnexRow::ControlName(int column) const
{
    const QString stem = controlStem ? QString::fromLatin1(controlStem) : MixedCase(prefix);
    return (column == 2 ? QStringLiteral("E_") : QStringLiteral("ChB_")) + stem + QLatin1Char('_') +
           QString::number(column);
}

QString AnnexControlName(const TAnnexField &field)
{
    const QString name = QString::fromLatin1(field.field);
    if (field.kind == TAnnexFieldKind::YesNo) {
        // The groups' names as the form spells them.
        if (name == QLatin1String("MED_CONSER"))
            return QStringLiteral("RG_Med_Conser");
        if (name == QLatin1String("RENSEIGNEM"))
            return QStringLiteral("RG_Renseignem");
        return QStringLiteral("RG_") + name;
    }
    return (field.kind == TAnnexFieldKind::Box ? QStringLiteral("ChB_") : QStringLiteral("E_")) + name;
}

void AddAnnexTotals(dataset::TTable &annexe)
{
    using dataset::TFieldType;
    dataset::TField *total1 = annexe.AddCalcField(QStringLiteral("TotalColonne1"), TFieldType::Float);
    dataset::TField *total2 = annexe.AddCalcField(QStringLiteral("TotalColonne2"), TFieldType::Float);
    dataset::TField *totalBail = annexe.AddCalcField(QStringLiteral("TotalBail"), TFieldType::Float);
    for (dataset::TField *f : {total1, total2, totalBail})
        f->SetCurrency(true);
    annexe.OnCalcFields = [total1, total2, totalBail](dataset::TTable &t) {
        double sum = 0;
        for (const char *name : AnnexAmountFields())
            sum += t.FieldByName(QLatin1String(name))->AsFloat(); // empty reads as 0
        total1->SetAsFloat(sum);
        total2->SetAsFloat(sum);
        totalBail->SetAsFloat(t.FieldByName(QStringLiteral("MNTBAIL"))->AsFloat() + sum);
    };
}

} // namespace db
