#include "db/Demo.h"

#include "db/BailKey.h"
#include "db/FileOps.h"
#include "db/Numbering.h"
#include "db/Reindex.h"
#include "db/Schema.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <memory>

namespace db {

namespace {

using dbase::EDBEngineError;
using dbase::FieldType;
using dbase::Record;

// Small deterministic generator: the same seed gives the same folder on every platform.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : m_state(seed) {}
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : int(Next() % uint64_t(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <size_t N>
    const char *Pick(const char *const (&list)[N]) { return list[Below(int(N))]; }

private:
    uint64_t m_state;
};

const char *const kFirstNames[] = {
    "Geneviève", "Mathieu", "Isabelle", "François", "Chantal", "Étienne", "Mélanie", "Sébastien",
    "Josée", "Marc-André", "Nathalie", "Jean-François", "Sophie", "Hélène", "Benoît", "Marie-Ève",
    "Louis", "Émilie", "Réjean", "Annie", "Yves", "Caroline", "Luc", "Valérie", "Gaétan", "Julie",
    "Patrick", "Andrée", "Olivier", "Marguerite",
};
const char *const kLastNames[] = {
    "Tremblay", "Gagnon", "Roy", "Côté", "Bouchard", "Gauthier", "Morin", "Lavoie", "Fortin",
    "Gagné", "Ouellet", "Pelletier", "Bélanger", "Lévesque", "Bergeron", "Leblanc", "Paquette",
    "Girard", "Simard", "Boucher", "Caron", "Beaulieu", "Cloutier", "Dubé", "Poirier", "Fournier",
    "Lapointe", "Leclerc", "Lefebvre", "Poulin", "St-Pierre", "Thibault",
};
const char *const kCompanies[] = {
    "Gestion immobilière Laurentides inc.", "Habitations du Fleuve", "Immeubles Saint-Laurent ltée",
    "Coopérative d'habitation Les Érables", "Coopérative d'habitation du Vieux-Port",
    "Placements Beaubien inc.", "Résidence Les Jardins d'Automne", "Société immobilière Maisonneuve",
};
const char *const kStreets[] = {
    "rue Saint-Denis", "boulevard René-Lévesque Est", "avenue du Parc", "rue Sherbrooke Ouest",
    "chemin Sainte-Foy", "rue Saint-Jean", "avenue Cartier", "boulevard Saint-Laurent",
    "rue de la Montagne", "rue Principale", "rue King Ouest", "boulevard Taschereau",
    "rue des Érables", "avenue Papineau", "rue Notre-Dame Est", "chemin de la Côte-des-Neiges",
    "rue Racine Est", "boulevard des Forges", "rue Wellington Nord", "avenue Laurier Ouest",
};

// A municipality with the first half of its postal codes and its telephone area code.
struct TTown {
    const char *name;
    const char *postal; // forward sortation area
    const char *area;
};
const TTown kTowns[] = {
    {"Montréal", "H2X", "514"}, {"Montréal", "H3T", "438"}, {"Montréal", "H1V", "514"},
    {"Québec", "G1R", "418"}, {"Québec", "G1V", "581"}, {"Laval", "H7N", "450"},
    {"Longueuil", "J4K", "450"}, {"Gatineau", "J8X", "819"}, {"Sherbrooke", "J1H", "819"},
    {"Trois-Rivières", "G9A", "819"}, {"Saguenay", "G7H", "418"}, {"Lévis", "G6V", "418"},
    {"Rimouski", "G5L", "418"}, {"Saint-Jérôme", "J7Z", "450"},
};

const char *const kRemarks[] = {
    "Peinture des murs du salon et de la cuisine", "Remplacement du tapis de la chambre principale",
    "Réparation du balcon arrière avant le 1er juillet", "Installation d'un nouveau chauffe-eau",
    "Accès à la cour arrière, sauf le potager du propriétaire", "Un chat ou un petit chien accepté",
    "Aucun animal, sauf poissons", "Déneigement fait par une entreprise privée",
    "Stationnement numéro 12 dans la cour", "Casier de rangement au sous-sol, numéro 4",
    "Entretien de la pelouse par le locataire", "Buanderie commune au rez-de-chaussée",
    "Calfeutrage des fenêtres à l'automne", "Changement des électroménagers en cours de bail",
    "Remise à neuf de la salle de bains", "Poubelles le mardi, recyclage le jeudi",
};
const char *const kBedSizes[] = {"simple", "double", "queen", "king"};
const char *const kPositions[] = {"Gestionnaire", "Administratrice", "Président", "Concierge", "Secrétaire-trésorière"};
const char *const kTermsFr[] = {"12 mois", "6 mois", "24 mois", "1 an"};
const char *const kTermsEn[] = {"12 months", "6 months", "24 months", "1 year"};
const char *const kMealHours[] = {"07:00", "07:30", "08:00", "11:30", "12:00", "17:00", "17:30", "18:00"};

// An amount as a lessor types it into a text field: digits and the decimal separator of the
// lease's language, no currency sign, since the printed form puts "$" beside the field itself.
QString Money(int cents, bool english)
{
    return QStringLiteral("%1%2%3").arg(cents / 100).arg(QLatin1Char(english ? '.' : ',')).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString PostalCode(TRandom &rng, const TTown &town)
{
    static const char kLetters[] = "ABCEGHJKLMNPRSTVXY";
    const QChar a = QLatin1Char(char('0' + rng.Below(10)));
    const QChar b = QLatin1Char(kLetters[rng.Below(18)]);
    const QChar c = QLatin1Char(char('0' + rng.Below(10)));
    return QLatin1String(town.postal) + QLatin1Char(' ') + a + b + c;
}

QString Phone(TRandom &rng, const TTown &town)
{
    return QLatin1String(town.area) + QString::number(rng.Between(200, 999)) + QStringLiteral("%1").arg(rng.Below(10000), 4, 10, QLatin1Char('0'));
}

QString PersonName(TRandom &rng)
{
    return QString::fromUtf8(rng.Pick(kFirstNames)) + QLatin1Char(' ') + QString::fromUtf8(rng.Pick(kLastNames));
}

QDate SomeDate(TRandom &rng, int fromYear, int toYear)
{
    return QDate(rng.Between(fromYear, toYear), rng.Between(1, 12), rng.Between(1, 28));
}

// How a field is filled, decided once per table from its name and type.
enum class TRule {
    Skip, Name, Civic, Street, Apartment, Town, Postal, Phone, Money, Duration, BedSize, Position,
    Place, MealHour, Rooms, Parking, Count, Amount, Text, Logical, Date,
};

struct TFieldRule {
    int field;
    TRule rule;
    int width;
};

TRule RuleFor(const dbase::FieldDef &f)
{
    const QString &n = f.name;
    if (n == QLatin1String("NOBAIL") || n == QLatin1String("BAILAHCOOP") || n == QLatin1String("NOLOCATEUR")
        || n == QLatin1String("LANGUEIMP"))
        return TRule::Skip;
    switch (f.type) {
    case FieldType::Logical: return TRule::Logical;
    case FieldType::Date: return TRule::Date;
    case FieldType::Numeric:
    case FieldType::Float:
        if (n == QLatin1String("B_NBPIECE")) return TRule::Rooms;
        if (n.contains(QLatin1String("NBPL"))) return TRule::Parking;
        if (f.decimals == 2) return TRule::Amount;
        return TRule::Count;
    case FieldType::Memo: return TRule::Skip;
    case FieldType::Character: break;
    }
    if (n.startsWith(QLatin1String("A_NOM")) || n == QLatin1String("NOM") || n == QLatin1String("NOMREP"))
        return TRule::Name;
    if (n.startsWith(QLatin1String("A_NO")) || n == QLatin1String("B_NO") || n == QLatin1String("NO"))
        return TRule::Civic;
    if (n.contains(QLatin1String("RUE"))) return TRule::Street;
    if (n.contains(QLatin1String("APP")) && f.width <= 6) return TRule::Apartment;
    if (n.contains(QLatin1String("MUNIC"))) return TRule::Town;
    if (n.startsWith(QLatin1String("A_CP")) || n == QLatin1String("B_CP") || n == QLatin1String("CP"))
        return TRule::Postal;
    if (n.contains(QLatin1String("TEL")) && f.width == 10) return TRule::Phone;
    if (n == QLatin1String("D_LOYER") || n.startsWith(QLatin1String("D_TOTAL")) || n.startsWith(QLatin1String("D_MNTPART"))
        || n == QLatin1String("G_LOYER"))
        return TRule::Money;
    if (n == QLatin1String("C_DUREE") || n == QLatin1String("TERME")) return TRule::Duration;
    if (n == QLatin1String("B_LIT_F")) return TRule::BedSize;
    if (n == QLatin1String("FONCTION")) return TRule::Position;
    if (n == QLatin1String("D_LIEU")) return TRule::Place;
    if (f.width == 5 && n.startsWith(QLatin1String("ALI_"))) return TRule::MealHour;
    return TRule::Text;
}

std::vector<TFieldRule> RulesFor(const dbase::Table &table)
{
    std::vector<TFieldRule> rules;
    for (size_t i = 0; i < table.Fields().size(); ++i) {
        const dbase::FieldDef &f = table.Fields()[i];
        const TRule r = RuleFor(f);
        if (r != TRule::Skip)
            rules.push_back({int(i), r, f.width});
    }
    return rules;
}

// Fills the lessee, dwelling, term and rent of a lease, or every field when full.
class TDemoFiller {
public:
    TDemoFiller(const dbase::Table &leases, const dbase::Table &lessors, const dbase::Table &annexes)
        : m_leaseRules(RulesFor(leases))
        , m_lessorRules(RulesFor(lessors))
        , m_annexRules(RulesFor(annexes))
    {
        // What a lessor types first: the lessee, the dwelling, the term and the rent.
        static const char *const kSparse[] = {"A_NOM1", "A_NO1", "A_RUE1", "A_MUNIC1", "A_CP1", "A_TELDOM1",
                                              "B_NO", "B_RUE", "B_MUNIC", "B_CP", "B_NBPIECE", "C_DUREE",
                                              "D_MOIS1", "E_CHAUFFAP", "D_LIEU"};
        for (const TFieldRule &r : m_leaseRules)
            for (const char *name : kSparse)
                if (leases.Fields()[size_t(r.field)].name == QLatin1String(name))
                    m_sparseRules.push_back(r);
    }

    void FillLessor(TRandom &rng, Record &rec, int index)
    {
        m_town = &kTowns[rng.Below(int(std::size(kTowns)))];
        FillAll(rng, rec, m_lessorRules, index % 4 != 3);
        // Every lessor has a name, even one whose other particulars are left out.
        const int name = rec.Index(QStringLiteral("NOM"));
        if (index % 5 == 0)
            rec.SetString(name, QString::fromUtf8(rng.Pick(kCompanies)));
        else if (rec.AsString(name).isEmpty())
            rec.SetString(name, PersonName(rng));
    }

    void FillLease(TRandom &rng, Record &rec, bool english, bool full)
    {
        m_english = english;
        m_town = &kTowns[rng.Below(int(std::size(kTowns)))];
        m_rent = rng.Between(45, 260) * 1000; // in cents, steps of 10 $
        for (const TFieldRule &r : full ? m_leaseRules : m_sparseRules)
            Fill(rng, rec, r);
        const QDate start(rng.Between(2019, 2025), rng.Chance(70) ? 7 : rng.Between(1, 12), 1);
        rec.SetDate(rec.Index(QStringLiteral("C_DEBUT")), start);
        rec.SetDate(rec.Index(QStringLiteral("C_FIN")), start.addYears(1).addDays(-1));
        rec.SetString(rec.Index(QStringLiteral("D_LOYER")), Money(m_rent, m_english));
    }

    void FillAnnex(TRandom &rng, Record &rec, bool full)
    {
        FillAll(rng, rec, m_annexRules, full);
        rec.SetDouble(rec.Index(QStringLiteral("MNTBAIL")), m_rent / 100.0);
    }

private:
    void FillAll(TRandom &rng, Record &rec, const std::vector<TFieldRule> &rules, bool full)
    {
        for (const TFieldRule &r : rules)
            if (full || rng.Chance(25))
                Fill(rng, rec, r);
    }

    QString Text(TRandom &rng, int width)
    {
        QString t = QString::fromUtf8(rng.Pick(kRemarks));
        if (width >= 60 && rng.Chance(50))
            t += QStringLiteral("; ") + QString::fromUtf8(rng.Pick(kRemarks)).toLower();
        return t;
    }

    void Fill(TRandom &rng, Record &rec, const TFieldRule &r)
    {
        switch (r.rule) {
        case TRule::Skip: return;
        case TRule::Name: rec.SetString(r.field, PersonName(rng)); return;
        case TRule::Civic: rec.SetString(r.field, QString::number(rng.Between(1, 9999))); return;
        case TRule::Street: rec.SetString(r.field, QString::fromUtf8(rng.Pick(kStreets))); return;
        case TRule::Apartment: rec.SetString(r.field, QString::number(rng.Between(1, 12) * 100 + rng.Between(1, 8))); return;
        case TRule::Town: rec.SetString(r.field, QString::fromUtf8(m_town->name)); return;
        case TRule::Postal: rec.SetString(r.field, PostalCode(rng, *m_town)); return;
        case TRule::Phone: rec.SetString(r.field, Phone(rng, *m_town)); return;
        case TRule::Money:
            rec.SetString(r.field, Money(m_rent * rng.Between(1, 12) / (rng.Chance(50) ? 1 : 2), m_english));
            return;
        case TRule::Duration:
            rec.SetString(r.field, QString::fromUtf8(m_english ? rng.Pick(kTermsEn) : rng.Pick(kTermsFr)));
            return;
        case TRule::BedSize: rec.SetString(r.field, QString::fromUtf8(rng.Pick(kBedSizes))); return;
        case TRule::Position: rec.SetString(r.field, QString::fromUtf8(rng.Pick(kPositions))); return;
        case TRule::Place:
            rec.SetString(r.field, QStringLiteral("Au bureau du locateur, %1 %2")
                                       .arg(rng.Between(1, 9999)).arg(QString::fromUtf8(rng.Pick(kStreets))));
            return;
        case TRule::MealHour: rec.SetString(r.field, QString::fromUtf8(rng.Pick(kMealHours))); return;
        case TRule::Rooms: rec.SetDouble(r.field, rng.Between(1, 7) + 0.5); return;
        case TRule::Parking: rec.SetInteger(r.field, rng.Between(0, 3)); return;
        case TRule::Count: rec.SetInteger(r.field, rng.Between(1, 7)); return;
        case TRule::Amount: rec.SetDouble(r.field, rng.Between(0, 25000) / 100.0); return;
        case TRule::Text: rec.SetString(r.field, Text(rng, r.width)); return;
        case TRule::Logical: rec.SetBoolean(r.field, rng.Chance(50)); return;
        case TRule::Date: rec.SetDate(r.field, SomeDate(rng, 2015, 2026)); return;
        }
    }

    std::vector<TFieldRule> m_leaseRules;  // BailStd fields and how to fill them
    std::vector<TFieldRule> m_lessorRules; // Locateur fields
    std::vector<TFieldRule> m_annexRules;  // Annexe fields
    std::vector<TFieldRule> m_sparseRules; // the few lease fields of a sparse lease
    const TTown *m_town = &kTowns[0];      // town of the row being filled
    bool m_english = false;                // printing language of the lease being filled
    int m_rent = 0;                        // monthly rent of the lease being filled, in cents
};

TLeaseKind KindFor(TRandom &rng)
{
    const int r = rng.Below(10);
    return r < 5 ? TLeaseKind::NN : r < 7 ? TLeaseKind::ON : r < 9 ? TLeaseKind::NO : TLeaseKind::OO;
}

std::unique_ptr<dbase::Table> Open(const QString &dir, const TTableDesc &t, dbase::Table::Mode mode)
{
    return std::make_unique<dbase::Table>(TableFile(dir, t, "dbf"), mode);
}

// Leases numbered under one lock of the configuration row, so that a large folder does
// not take the lock once per lease.
constexpr int kLeasesPerEdit = 1000;

} // namespace

TDemoCounts MakeDemoFolder(const QString &dir, int leases, int lessors)
{
    if (leases < 0 || lessors < 0 || lessors > kMaxLessorNumber)
        throw EDBEngineError(dbase::kInvalidOperation,
                             QStringLiteral("Invalid counts: %1 leases, %2 lessors (at most %3).")
                                 .arg(leases).arg(lessors).arg(kMaxLessorNumber));
    if (QFileInfo::exists(TableFile(dir, kBailStd, "dbf")))
        throw EDBEngineError(dbase::kInvalidOperation,
                             QStringLiteral("The folder %1 already holds a lease table; choose an empty folder.").arg(dir));

    WriteSeeds(dir);
    for (const TTableDesc *t : Tables())
        CopyFile(TableFile(dir, *t, "dat"), QDir(dir).filePath(QLatin1String(t->name) + QStringLiteral(".dbf")));
    for (const TReindexStep &step : ReindexDataFolder(dir))
        if (!step.ok)
            throw EDBEngineError(step.errorCode, step.error);

    auto bailConf = Open(dir, kBailConf, dbase::Table::Mode::Shared);
    auto locateur = Open(dir, kLocateur, dbase::Table::Mode::Shared);
    // Leases and Annex rows are loaded with only the tag the numbering needs; the others
    // are built in one pass at the end, which is much cheaper than one insert per row.
    auto bailStd = Open(dir, kBailStd, dbase::Table::Mode::Exclusive);
    auto annexe = Open(dir, kAnnexe, dbase::Table::Mode::Exclusive);
    const std::vector<TTagDesc> leaseTags = TagsOf(QLatin1String(kBailStd.name));
    for (const TTagDesc &tag : leaseTags)
        if (QLatin1String(tag.tag) != QLatin1String("NOBAIL"))
            bailStd->DropTag(QLatin1String(tag.tag));
    const std::vector<TTagDesc> annexTags = TagsOf(QLatin1String(kAnnexe.name));
    for (const TTagDesc &tag : annexTags)
        annexe->DropTag(QLatin1String(tag.tag));

    TRandom rng(20240701);
    TDemoFiller filler(*bailStd, *locateur, *annexe);
    TDemoCounts counts;
    {
        TConfigEdit config(*bailConf);
        Record &row = config.Row();
        row.SetString(row.Index(QStringLiteral("LANGUETRAV")), QStringLiteral("F"));
        row.SetBoolean(row.Index(QStringLiteral("GENAUTO")), true);
        row.SetBoolean(row.Index(QStringLiteral("SAVETONER")), false);
        config.SetLeaseCounter(0);
        config.SetLessorCounter(0);
        row.SetInteger(row.Index(QStringLiteral("NOLOCDEF")), 0);

        TKeyLookup lessorsByNumber(*locateur, QStringLiteral("NOLOCATEUR"));
        for (int i = 0; i < lessors; ++i) {
            Record rec = locateur->NewRecord();
            filler.FillLessor(rng, rec, i);
            const int number = NextLessorNumber(config, lessorsByNumber);
            rec.SetInteger(rec.Index(QStringLiteral("NOLOCATEUR")), number);
            locateur->AppendRecord(rec);
            if (i == 0)
                row.SetInteger(row.Index(QStringLiteral("NOLOCDEF")), number);
            ++counts.lessors;
        }
        config.Post();
    }

    for (int done = 0; done < leases;) {
        TConfigEdit config(*bailConf);
        TKeyLookup leasesByNumber(*bailStd, QStringLiteral("NOBAIL"));
        for (int n = 0; n < kLeasesPerEdit && done < leases; ++n, ++done) {
            const TLeaseKind kind = KindFor(rng);
            const bool english = rng.Chance(35);
            const bool full = rng.Chance(30);
            const bool bare = !full && rng.Chance(3);
            const int lessor = lessors > 0 ? rng.Between(1, lessors) : 0;
            AddLease(config, leasesByNumber, *bailStd, annexe.get(), kind, [&](Record &lease, Record *annex) {
                if (!bare)
                    filler.FillLease(rng, lease, english, full);
                lease.SetString(lease.Index(QStringLiteral("LANGUEIMP")), QLatin1String(english ? "A" : "F"));
                if (lessor > 0)
                    lease.SetInteger(lease.Index(QStringLiteral("NOLOCATEUR")), lessor);
                if (annex) {
                    filler.FillAnnex(rng, *annex, full);
                    ++counts.annexes;
                }
            });
            ++counts.leases;
        }
        config.Post();
    }
    for (const TTagDesc &tag : leaseTags)
        if (QLatin1String(tag.tag) != QLatin1String("NOBAIL"))
            bailStd->AddTag(QLatin1String(tag.tag), QLatin1String(tag.field));
    for (const TTagDesc &tag : annexTags)
        annexe->AddTag(QLatin1String(tag.tag), QLatin1String(tag.field));
    return counts;
}

} // namespace db
