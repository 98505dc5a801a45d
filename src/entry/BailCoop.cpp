// The cooperative form: its own sections A, B, F and its notes, the standard sections C, D,
// E and G worded for the cooperative, and the pages they fall on.

#include "entry/BailCoop.h"

#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/Field.h"
#include "entry/LeaseLayout.h"

#include <vector>

namespace entry {

namespace {

using namespace items;

// ---- Page 1 -------------------------------------------------------------------------

constexpr TFormItem kColumns[] = {kCols};
constexpr TFormItem kMember1[] = {Tx("Membre de la coopérative", "Member of the cooperative"),
                                  Yn("RG_A_MemCoop1", "A_MEMCOOP1"), kBr};
constexpr TFormItem kMember2[] = {Tx("Membre de la coopérative", "Member of the cooperative"),
                                  Yn("RG_A_MemCoop2", "A_MEMCOOP2"), kBr};
constexpr TFormItem kLessee[] = {Bd("le locataire", "the lessee"), kBr};
constexpr TFormItem kBetween[] = {Gp(1), kBr};
constexpr TFormItem kCooperativeName[] = {
    kCol,
    Bd("et le locateur, ci-après appelé la coopérative", "and the lessor, hereinafter referred to as the cooperative"),
    kBr, Gp(1), kBr,
    Tx("Nom de la coopérative", "Name of the cooperative"), Lo("E_LocateurNom", "NOM"), Sl("Pb_SelLocateur"), kBr,
};
constexpr TFormItem kCooperativePhone[] = {
    Tx("Téléphone ", "Telephone", 10), Lo("E_LocateurTelDom", "TELDOM", 14), kBr,
    Gp(1), kBr,
    Tx("Représentée par", "Represented by"), kBr,
};
constexpr TFormItem kEndColumns[] = {kEndCols};

constexpr auto kSectionA = Join(kColumns, kTenant1, kMember1, kLessee, kBetween, kTenant2, kMember2, kLessee,
                                kCooperativeName, kLessorAddress, kCooperativePhone, kLessorRepresentative, kEndColumns);

constexpr TFormItem kNotesA[] = {
    Pa("- Les noms indiqués au bail doivent être celui du locataire et celui de la coopérative ou celui que la loi les "
       "autorise à utiliser.",
       "- The names given in the lease must be those of the lessee and of the cooperative, or the names the law "
       "allows them to use."),
    Pa("- Le singulier inclut le pluriel.", "- The singular includes the plural."),
};

// No residential-purpose question and no furniture: a member's dwelling is leased as it is.
constexpr TFormItem kRoomsHelp[] = {Hp("Spb_PropHint5"), kBr, Gp(1), kBr};
constexpr auto kSectionB = Join(kDwellingAddress, kRoomsHelp, kParking, kPremisesCondition);

// ---- Pages 3 and 4: section F with its third case ------------------------------------

constexpr TFormItem kNoApplication[] = {
    Pa("Section à remplir lorsqu'une ou des situations qui y sont décrites s'appliquent.",
       "Section to be completed where one or more of the situations described herein applies."),
    Pa("Le locataire et la coopérative<b> ne peuvent demander à la Ostrevane </b>de fixer le loyer ou de modifier une "
       "autre condition du bail parce que",
       "The lessee and the cooperative<b> may not apply to the Ostrevane </b>to fix the rent or to modify another "
       "condition of the lease because"),
    Ck("ChB_F_LogCoop", "F_LOGCOOP"),
    Wr("le logement est loué par une coopérative d'habitation à l'un de ses membres.",
       "the dwelling is leased by a housing cooperative to one of its members."), kBr,
    Bd("ou", "or"), kBr,
};
constexpr TFormItem kOr[] = {Bd("ou", "or"), kBr};
constexpr auto kSectionF = Join(kNoApplication, kNewBuilding, kOr);

constexpr TFormItem kRestrictionNotes[] = {
    Pa("Le tribunal peut toutefois statuer sur toute autre demande relative au bail (exemple : diminution de loyer).",
       "The tribunal may nevertheless rule on any other application about the lease (for example, a reduction of "
       "rent)."),
    Pa("<b>Si une des 3 cases ci-dessus est cochée,</b> le locataire qui refuse une modification du bail demandée par "
       "la coopérative, par exemple une hausse de loyer, doit quitter le logement à la fin du bail. Pour un membre, "
       "cette règle vaut aussi longtemps que la coopérative lui loue le logement; dans les deux autres cas, elle vaut "
       "cinq ans à partir du jour où l'immeuble était prêt pour l'habitation.",
       "<b>If one of the 3 boxes above is ticked off,</b> a lessee who refuses a change to the lease requested by the "
       "cooperative, for example a rent increase, must leave the dwelling when the lease ends. For a member, this "
       "holds for as long as the cooperative leases the dwelling to the member; in the two other cases, it holds for "
       "five years from the day the immovable became ready for habitation."),
    Pa("<b>Si aucune des 3 cases n'est cochée,</b> et que le locataire refuse la modification demandée par la "
       "coopérative, le bail est reconduit aux mêmes conditions; la coopérative peut alors demander au tribunal, dans "
       "le délai prévu par la loi, de fixer le loyer ou de statuer sur la modification.",
       "<b>If none of the 3 boxes is ticked off,</b> and the lessee refuses the change requested by the cooperative, "
       "the lease is renewed on the same conditions; the cooperative may then apply to the tribunal, within the time "
       "set by law, to fix the rent or to rule on the change."),
};
constexpr auto kSectionF2 = Join(kChangedDestination, kRestrictionNotes);

// ---- The standard sections as the cooperative form words them -------------------------

constexpr TWording kWording[] = {
    {"Le propriétaire <b>ne peut</b> mettre fin au bail que dans les cas prévus par la loi; à l'arrivée du terme, le "
     "locataire a normalement le droit de demeurer dans le logement.",
     "La coopérative <b>ne peut</b> mettre fin au bail que dans les cas prévus par la loi; à l'arrivée du terme, le "
     "locataire a normalement le droit de demeurer dans le logement.",
     "The cooperative <b>may not</b> end the lease except in the cases provided for by law; when the term ends, the "
     "lessee is normally entitled to remain in the dwelling."},
    {"Le premier versement est payable au début du bail. Le propriétaire ne peut exiger d'avance que le loyer de la "
     "première période de paiement (le premier mois ou la première semaine, par exemple); les versements suivants "
     "sont payables le premier jour de chaque période, à moins d'une entente différente.",
     "Le premier versement est payable au début du bail. La coopérative ne peut exiger d'avance que le loyer de la "
     "première période de paiement (le premier mois ou la première semaine, par exemple); les versements suivants "
     "sont payables le premier jour de chaque période, à moins d'une entente différente.",
     "The first instalment is payable when the lease begins. The cooperative may require in advance only the rent "
     "for the first payment period (the first month or the first week, for example); later instalments are payable "
     "on the first day of each period unless otherwise agreed."},
    {"Le propriétaire ne peut exiger du locataire la remise d'un chèque postdaté ni d'aucun autre effet postdaté.",
     "La coopérative ne peut exiger du locataire la remise d'un chèque postdaté ni d'aucun autre effet postdaté.",
     "The cooperative may not require the lessee to hand over a postdated cheque or any other postdated instrument."},
    {"(art. 1057 et 1894 C.c.V.)", "(art. 1894 C.c.V.)", "(art. 1894 C.C.V.)"},
    {"Lorsqu'un tel règlement existe, le propriétaire<b> doit </b>en remettre un exemplaire au locataire<b> avant "
     "</b>la conclusion du bail; le règlement fait alors partie du bail.",
     "Lorsqu'un tel règlement existe, la coopérative<b> doit </b>en remettre un exemplaire au locataire<b> avant "
     "</b>la conclusion du bail; le règlement fait alors partie du bail.",
     "Where such by-laws exist, the cooperative<b> must </b>give the lessee a copy<b> before </b>the lease is entered "
     "into; the by-laws then form part of the lease."},
    // A cooperative's building is not held in divided co-ownership.
    {"Dans un immeuble détenu en copropriété divise, le règlement s'applique au locataire dès qu'un exemplaire lui en "
     "a été remis par le propriétaire ou par le syndicat des copropriétaires.",
     nullptr, nullptr},
    {"Le propriétaire doit délivrer le logement en bon état de réparation de toute espèce et en bon état "
     "d'habitabilité, puis le maintenir ainsi pendant toute la durée du bail. Il doit aussi faire les réparations "
     "nécessaires qui ne sont pas à la charge du locataire.",
     "La coopérative doit délivrer le logement en bon état de réparation de toute espèce et en bon état "
     "d'habitabilité, puis le maintenir ainsi pendant toute la durée du bail. Elle doit aussi faire les réparations "
     "nécessaires qui ne sont pas à la charge du locataire.",
     "The cooperative must deliver the dwelling in a good state of repair of every kind and fit for habitation, then "
     "keep it so for the whole term of the lease. It must also make every necessary repair that is not the lessee's "
     "responsibility."},
    {"Le locataire doit aviser le propriétaire, dans un délai raisonnable, de toute défectuosité ou détérioration "
     "importante du logement. Il fait les menues réparations d'entretien, sauf celles qui résultent de l'usure "
     "normale, de la vétusté ou d'une force majeure.",
     "Le locataire doit aviser la coopérative, dans un délai raisonnable, de toute défectuosité ou détérioration "
     "importante du logement. Il fait les menues réparations d'entretien, sauf celles qui résultent de l'usure "
     "normale, de la vétusté ou d'une force majeure.",
     "The lessee must inform the cooperative, within a reasonable time, of any serious defect or deterioration of "
     "the dwelling. The lessee makes the minor maintenance repairs, except those that result from normal wear, old "
     "age of the premises or superior force."},
    {"S'il y a lieu, les travaux à exécuter par le propriétaire sont les suivants:",
     "S'il y a lieu, les travaux à exécuter par la coopérative sont les suivants:",
     "Where applicable, the work to be carried out by the cooperative is as follows:"},
    // "la coopérative" where the standard form says "du propriétaire".
    {"Sont à la charge du ", "Sont à la charge de la ", "Will be borne by the"},
    {"propriétaire", "coopérative", "cooperative"},
    {"Cet avis est obligatoire: le propriétaire doit le remettre au nouveau locataire ou au sous-locataire lors de "
     "la conclusion du bail, sauf dans les cas décrits à la section F.",
     "La coopérative n'a pas à remettre cet avis lorsqu'elle loue le logement à l'un de ses membres et qu'elle "
     "l'indique à la section F.<br><b>Dans les autres cas:</b><br>"
     "Avis à remettre obligatoirement par la coopérative lors de la conclusion du bail.",
     "The cooperative need not give this notice when it leases the dwelling to one of its members and says so in "
     "section F.<br><b>In other cases:</b><br>Mandatory notice to be given by the cooperative at the time the lease "
     "is entered into."},
    {"Signature du propriétaire ou du sous-locateur", "Signature du mandataire de la coopérative",
     "Signature of the mandatary of the cooperative"},
    {"Lorsque le propriétaire n'a pas remis cet avis lors de la conclusion du bail, le nouveau locataire peut faire "
     "cette demande dans les deux mois du début du bail; il en est de même lorsque l'avis contient une fausse "
     "déclaration.",
     "Lorsque la coopérative n'a pas remis cet avis lors de la conclusion du bail, le nouveau locataire peut faire "
     "cette demande dans les deux mois du début du bail; il en est de même lorsque l'avis contient une fausse "
     "déclaration.",
     "Where the cooperative did not give this notice when the lease was entered into, the new lessee may make that "
     "application within two months after the lease begins; the same holds where the notice contains a false "
     "statement."},
};

// The help buttons of the cooperative form; the janitor line has none.
constexpr TRename kRenames[] = {
    {"Spb_PropHint4", nullptr},
    {"Spb_PropHint2", "SpB_PropHint2"},
    {"Spb_PropHint3", "SpB_PropHint3"},
    {"Spb_PropHint", "SpB_PropHint"},
};

constexpr const char *kRestrictionsFr =
    "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.)";
constexpr const char *kRestrictionsEn =
    "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.)";

std::vector<TFormSection> CooperativeSections()
{
    return {
        {"A", 'A', 0, "ENTRE", "BETWEEN", kSectionA},
        {"NA", 0, 0, nullptr, nullptr, kNotesA},
        {"B", 'B', 0, "DESCRIPTION ET DESTINATION DU LOGEMENT LOUÉ, DES ACCESSOIRES ET DÉPENDANCES",
         "DESCRIPTION AND DESTINATION OF LEASED DWELLING ACCESSORIES AND DEPENDENCIES", kSectionB},
        {"C", 'C', 0, "DURÉE DU BAIL (art. 1851 C.c.V.)", "TERM OF LEASE (art. 1851 C.C.V.)", StandardSectionItems("C")},
        {"D", 'D', 1, "LOYER (art. 1903 et 1904 C.c.V.)", "RENT (arts. 1903 and 1904 C.C.V.)", StandardSectionItems("D")},
        {"E", 'E', 1, "SERVICES ET CONDITIONS", "SERVICES AND CONDITIONS", StandardSectionItems("E")},
        {"E2", 'E', 2, "SERVICES ET CONDITIONS (suite)", "SERVICES AND CONDITIONS (cont.)", StandardSectionItems("E2")},
        {"F", 'F', 2, kRestrictionsFr, kRestrictionsEn, kSectionF},
        {"F2", 'F', 3,
         "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.) "
         "(suite)",
         "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.) "
         "(cont.)",
         kSectionF2},
        {"G", 'G', 3, "AVIS AU NOUVEAU LOCATAIRE  (art. 1896 et 1950 C.c.V.)",
         "NOTICE TO A NEW LESSEE (arts. 1896 and 1950 C.C.V.)", StandardSectionItems("G")},
        {"NG", 0, 3, nullptr, nullptr, StandardSectionItems("NG")},
    };
}

} // namespace

const TLeaseFormLayout &CooperativeLeaseLayout()
{
    static const std::vector<TFormSection> sections = CooperativeSections();
    static const TLeaseFormLayout layout{"BailCoopForm",
                                         true,
                                         sections,
                                         kWording,
                                         kRenames,
                                         "Bail d'un logement dans une coopérative",
                                         "Lease of a dwelling in a cooperative",
                                         "Sélection du locateur",
                                         "Cooperative selection"};
    return layout;
}

TBailCoopForm::TBailCoopForm(QWidget *parent, bool elderly)
    : TBailStdForm(parent, elderly, CooperativeLeaseLayout())
{
}

void TBailCoopForm::OtherTextTyped(dataset::TDBEdit *edit)
{
    struct TGroup {
        dataset::TDBEdit *other;
        dataset::TDBCheckBox *first, *second;
    };
    const TGroup groups[] = {{E_D_Autre1, ChB_D_Mois1, ChB_D_Semaine1},
                             {E_D_Autre2, ChB_D_Mois2, ChB_D_Semaine2},
                             {E_D_Mode_Aut, ChB_D_Mode_Chq, ChB_D_Mode_Arg},
                             {E_G_Autre, ChB_G_Mois, ChB_G_Semaine}};
    if (!Editing() || !edit->hasFocus())
        return;
    for (const TGroup &g : groups)
        if (g.other == edit)
            for (dataset::TDBCheckBox *box : {g.first, g.second}) {
                box->setChecked(false);
                box->Field()->SetAsBoolean(false);
            }
}

} // namespace entry
