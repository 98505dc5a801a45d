#include "db/Schema.h"

#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Table.h"

#include <QDir>
#include <QFileInfo>

namespace db {

namespace {

using dbase::FieldType;

constexpr TFieldDesc C(const char *name, int width) { return {name, FieldType::Character, width, 0}; }
constexpr TFieldDesc L(const char *name) { return {name, FieldType::Logical, 1, 0}; }
constexpr TFieldDesc D(const char *name) { return {name, FieldType::Date, 8, 0}; }
// 16-bit integers.
constexpr TFieldDesc I(const char *name) { return {name, FieldType::Numeric, 6, 0}; }
// Amounts shown as "#####0.00".
constexpr TFieldDesc M(const char *name) { return {name, FieldType::Numeric, 10, 2}; }
constexpr TFieldDesc N(const char *name, int width, int decimals) { return {name, FieldType::Numeric, width, decimals}; }

const TFieldDesc kBailStdFields[] = {
    // header and keys
    C("NOBAIL", 8), C("LANGUEIMP", 1), I("NOLOCATEUR"), C("BAILAHCOOP", 10),
    // A: the lessees
    C("A_NOM1", 50), C("A_NOM2", 50), C("A_NO1", 6), C("A_NO2", 6), C("A_RUE1", 30), C("A_RUE2", 30),
    C("A_APP1", 6), C("A_APP2", 6), C("A_MUNIC1", 30), C("A_MUNIC2", 30), C("A_CP1", 7), C("A_CP2", 7),
    C("A_TELDOM1", 10), C("A_TELDOM2", 10), C("A_TELAUT1", 10), C("A_TELAUT2", 10),
    L("A_MEMCOOP1"), L("A_MEMCOOP2"),
    // B: the dwelling
    C("B_NO", 10), C("B_RUE", 45), C("B_APP", 6), C("B_MUNIC", 40), C("B_CP", 7), N("B_NBPIECE", 5, 1),
    L("B_FINRESID"), C("B_FINMIXTE", 50),
    L("B_EXT"), N("B_EXT_NBPL", 4, 0), C("B_EXT_EMPL", 18),
    L("B_INT"), N("B_INT_NBPL", 4, 0), C("B_INT_EMPL", 18),
    L("B_REMISE"), C("B_PRECISIO", 50), C("B_AUTRE", 100), L("B_MEUBLE"),
    L("B_CUIS"), L("B_REFRIG"), L("B_TABLE"), L("B_LAVEVAIS"), L("B_CHAISE"), I("B_CHAISE_N"),
    C("B_CUISINE", 14), L("B_LIT"), I("B_LIT_N"), C("B_LIT_F", 8), L("B_COMMOD"), I("B_COMMOD_N"),
    L("B_TABNUI"), I("B_TABNUI_N"), L("B_DIVAN"), I("B_DIVAN_N"), L("B_FAUT"), I("B_FAUT_N"),
    L("B_TABSAL"), I("B_TABSAL_N"), C("B_SALON", 14), L("B_LAVEUSE"), L("B_SECHEUSE"),
    C("B_AUTRE1", 25), C("B_AUTRE2", 25), C("B_AUTRE3", 25), C("B_AUTRE4", 25), C("B_AUTRE5", 25),
    // C: term
    C("C_DUREE", 15), D("C_DEBUT"), D("C_FIN"), D("C_DEBUTIND"),
    // D: rent
    C("D_LOYER", 50), L("D_MOIS1"), L("D_SEMAINE1"), C("D_AUTRE1", 23), C("D_TOTAL1", 50), C("D_TOTAL2", 50),
    D("D_DATETOUT"), C("D_MNTPART1", 50), D("D_DATPART1"), C("D_MNTPART2", 50), D("D_DATPART2"),
    L("D_MOIS2"), L("D_SEMAINE2"), C("D_AUTRE2", 22), L("D_MODE_CHQ"), L("D_MODE_ARG"), C("D_MODE_AUT", 30),
    C("D_LIEU", 80),
    // E: services and conditions
    L("E_CONCIERG"), C("E_PRECISIO", 100), C("E_TEL", 10), L("E_REGLEMEN"), L("E_REMIS"), D("E_DATE"),
    C("E_AVANT1", 100), C("E_AVANT2", 100), C("E_COURS1", 100), C("E_COURS2", 100),
    L("E_CHAUFFAP"), L("E_CHAUFFAL"), L("E_EAUCHAUP"), L("E_EAUCHAUL"), L("E_ELECTRIP"), L("E_ELECTRIL"),
    L("E_TAXEEAUP"), L("E_TAXEEAUL"), L("E_NEIGESTP"), L("E_NEIGESTL"), L("E_NEIGEBAP"), L("E_NEIGEBAL"),
    L("E_NEIGEENP"), L("E_NEIGEENL"), L("E_NEIGEESP"), L("E_NEIGEESL"),
    L("E_ACCESTER"), C("E_PRECIS1", 100), L("E_ANIMAUX"), C("E_PRECIS2", 100),
    C("E_SERVICE1", 100), C("E_SERVICE2", 100), C("E_SERVICE3", 100),
    // F: restrictions on fixing the rent
    L("F_LOG1"), D("F_PRETHAB1"), L("F_LOG2"), D("F_PRETHAB2"), L("F_LOGCOOP"),
    // G: notice to a new lessee
    C("G_LOYER", 19), L("G_MOIS"), L("G_SEMAINE"), C("G_AUTRE", 17), L("G_MEME"),
    C("G_CHANG1", 100), C("G_CHANG2", 100), D("G_DATE"),
};
static_assert(std::size(kBailStdFields) == 136);

const TFieldDesc kLocateurFields[] = {
    C("NOM", 50), C("NO", 6), C("RUE", 30), C("APP", 6), C("MUNIC", 30), C("CP", 7),
    C("NOMREP", 50), C("FONCTION", 30), C("TELDOM", 10), C("TELAUT", 10), I("NOLOCATEUR"),
};

// A service triple: included in the rent, additional rent, other service maintained.
#define TRIPLE(stem) L(stem "_1"), M(stem "_2"), L(stem "_3")

const TFieldDesc kAnnexeFields[] = {
    C("NOBAIL", 8),
    L("LOG_APP"), L("LOG_PRIV"), L("LOG_COM"), C("LOG_NB", 30),
    L("BAIN_PRIV"), L("BAIN_COM"), C("BAIN_NB", 30),
    L("MEUB_APP"), L("MEUB_MEUB"), L("MEUB_TELE"), C("MEUB_PREC", 30),
    L("BALC_PRIV"), L("BALC_COM"), L("BAR_BAIN"), L("BAR_CORR"), L("FAUT_ACCES"), L("FAUT_AMENA"),
    L("INTERPHONE"), C("INTER_EMPL", 30), L("SONNERIE"), C("SON_EMPL", 30),
    L("CHAUFFAGE"), L("CLIMATISAT"), L("RANGEMENT"), C("RANG_EMPL", 30), L("ASCENCEUR"),
    C("RELIGIEU1", 35), C("RELIGIEU2", 35), C("RELIGIEU3", 35),
    TRIPLE("LAV"), C("LAV_EMPL", 35), I("LAV_NBLAV"), I("LAV_NBSECH"),
    I("BUA_LITNB"), TRIPLE("BUA_LIT"),
    I("BUA_VETNB"), TRIPLE("BUA_VET"),
    C("BUA_NET_P1", 30), C("BUA_NET_P2", 30), L("BUA_NET_3"),
    I("MEN_NB"), TRIPLE("MEN"),
    TRIPLE("MENANN"), C("MENANN_P1", 35), C("MENANN_P2", 35),
    L("INT_CUIS_1"), L("INT_DROI_1"), L("INT_SALL_1"), C("INT_SALL_H", 35),
    L("INT_ANIM_1"), L("INT_CHAI_1"), L("INT_TELE_1"),
    TRIPLE("INT_UTIL"),
    C("INT_AUT1", 30), TRIPLE("INT_AUT1"),
    C("INT_AUT2", 35), TRIPLE("INT_AUT2"),
    L("EXT_JEUX_1"), L("EXT_REPO_1"),
    TRIPLE("EXT_JARD"),
    C("EXT_AUT1", 30), TRIPLE("EXT_AUT1"),
    C("EXT_AUT2", 35), TRIPLE("EXT_AUT2"),
    TRIPLE("MED"), L("MED_CONSER"),
    L("SEC_GARD_1"), C("SEC_HORAIR", 30), L("SEC_SURV_1"),
    TRIPLE("ALI_DEJ"), TRIPLE("ALI_DIN"), TRIPLE("ALI_SOU"),
    C("ALI_DEJ_DE", 5), C("ALI_DEJ_A", 5), C("ALI_DIN_DE", 5), C("ALI_DIN_A", 5),
    C("ALI_SOU_DE", 5), C("ALI_SOU_A", 5),
    I("ALI_NBJOUR"),
    TRIPLE("ALI_JOUR"), TRIPLE("ALI_CART"), TRIPLE("ALI_DIET"),
    C("ALI_MENUP1", 35), C("ALI_MENUP2", 35),
    I("ALI_NBCOLL"), TRIPLE("ALI_COLL"), C("ALI_COLLH1", 30), C("ALI_COLLH2", 35),
    C("ALI_COLLP1", 35), C("ALI_COLLP2", 35),
    L("ALI_SALLE"), L("ALI_CAFE"), L("ALI_APP"),
    L("INV_REPAS"), L("INV_REPA_3"),
    L("CREDIT"), C("CREDIT_P1", 35), C("CREDIT_P2", 35), C("CREDIT_P3", 35),
    TRIPLE("INF"), L("INF_24H"), C("INF_H1", 35), C("INF_H2", 35), C("INF_H3", 35),
    C("INF_AUT1", 30), TRIPLE("INF_AUT1"),
    C("INF_AUT2", 35), TRIPLE("INF_AUT2"),
    C("INF_AUT3", 35), TRIPLE("INF_AUT3"),
    C("INF_AUT4", 35), TRIPLE("INF_AUT4"),
    TRIPLE("CABLO"), TRIPLE("ANTENNE"), TRIPLE("TRANSPOR"),
    TRIPLE("ACC_VISI"), TRIPLE("ACC_COUR"),
    C("ACC_AUT1", 30), TRIPLE("ACC_AUT1"),
    C("ACC_AUT2", 35), TRIPLE("ACC_AUT2"),
    C("ACC_HOR1", 30), C("ACC_HOR2", 35), I("ACC_NBJOUR"), I("ACC_NBSEM"),
    C("ACC_PREC1", 35), C("ACC_PREC2", 35),
    TRIPLE("TRA"), C("TRA_HOR1", 30), C("TRA_HOR2", 35),
    M("MNTBAIL"), C("TERME", 30), L("RENSEIGNEM"),
};

#undef TRIPLE

const TFieldDesc kBailConfFields[] = {
    N("NOBAIL", 10, 0), C("LANGUETRAV", 1), L("GENAUTO"), I("NOLOCATEUR"), I("NOLOCDEF"), L("SAVETONER"),
};

const TTagDesc kTags[] = {
    {"BailStd", "NOBAIL", "NOBAIL"},
    {"BailStd", "NOLOCATEUR", "NOLOCATEUR"},
    {"BailStd", "BAILAHCOOP", "BAILAHCOOP"},
    {"BailStd", "NOMLOC", "A_NOM1"},
    {"Locateur", "NOLOCATEUR", "NOLOCATEUR"},
    {"Locateur", "NOM", "NOM"},
    {"Annexe", "NOBAIL", "NOBAIL"},
};

} // namespace

const TTableDesc kBailStd{"BailStd", kBailStdFields, true};
const TTableDesc kLocateur{"Locateur", kLocateurFields, true};
const TTableDesc kAnnexe{"Annexe", kAnnexeFields, true};
const TTableDesc kBailConf{"BailConf", kBailConfFields, false};

namespace {
const TTableDesc *const kTables[] = {&kBailStd, &kLocateur, &kAnnexe, &kBailConf};
}

std::span<const TTableDesc *const> Tables()
{
    return kTables;
}

std::span<const TTagDesc> Tags()
{
    return kTags;
}

std::vector<TTagDesc> TagsOf(const QString &table)
{
    std::vector<TTagDesc> out;
    for (const TTagDesc &t : kTags)
        if (table.compare(QLatin1String(t.table), Qt::CaseInsensitive) == 0)
            out.push_back(t);
    return out;
}

const TTableDesc *FindTable(const QString &name)
{
    for (const TTableDesc *t : kTables)
        if (name.compare(QLatin1String(t->name), Qt::CaseInsensitive) == 0)
            return t;
    return nullptr;
}

std::vector<dbase::FieldDef> FieldDefs(const TTableDesc &table)
{
    std::vector<dbase::FieldDef> defs;
    defs.reserve(table.fields.size());
    for (const TFieldDesc &f : table.fields) {
        dbase::FieldDef d;
        d.name = QLatin1String(f.name);
        d.type = f.type;
        d.width = f.width;
        d.decimals = f.decimals;
        defs.push_back(std::move(d));
    }
    return defs;
}

QString TableFile(const QString &dir, const TTableDesc &table, const char *ext)
{
    return dbase::FindFileNoCase(dir, QLatin1String(table.name) + QLatin1Char('.') + QLatin1String(ext));
}

void WriteSeeds(const QString &dir)
{
    if (!QDir().mkpath(dir))
        throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("Cannot create the folder %1.").arg(dir));
    for (const TTableDesc *t : kTables) {
        // Written beside the target and renamed, so a failed run never leaves half a seed.
        const QString target = QDir(dir).filePath(QLatin1String(t->name) + QStringLiteral(".dat"));
        const QString temp = target + QStringLiteral(".tmp");
        try {
            dbase::Table::Create(temp, FieldDefs(*t));
        } catch (...) {
            QFile::remove(temp);
            throw;
        }
        QFile::remove(target);
        if (!QFile::rename(temp, target)) {
            QFile::remove(temp);
            throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("Cannot write the seed file %1.").arg(target));
        }
    }
}

} // namespace db
