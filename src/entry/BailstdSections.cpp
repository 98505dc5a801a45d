// The four pages of the standard lease window as the paper form lays them out, and the
// few routines that walk a layout's tables into pages (the cooperative window's too).

#include "entry/Bailstd.h"
#include "entry/LeaseLayout.h"

#include "dataset/Common.h"
#include "dataset/DBCheckBox.h"
#include "dataset/DBEdit.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "ui/KelSpeedButton.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>
#include <span>

namespace entry {

namespace {

using namespace items;

constexpr int kPageWidth = 900;

// ---- Page 1 -------------------------------------------------------------------------

constexpr TFormItem kTenants[] = {kCols};
constexpr TFormItem kLessee[] = {Bd("le locataire", "the lessee"), kBr};
constexpr TFormItem kBetween[] = {Gp(1), kBr};
constexpr TFormItem kLessorName[] = {kCol, Tx("Nom", "Name", 4), Lo("E_LocateurNom", "NOM"), Sl("SpB_SelLocateur"), kBr};
constexpr TFormItem kLessorPhones[] = {
    Tx("Téléphone (domicile)", "Telephone (domicile)", 19), Lo("E_LocateurTelDom", "TELDOM", 14), kBr,
    Tx("Téléphone (autre)", "Telephone (other)", 19), Lo("E_LocateurTelAut", "TELAUT", 14), kBr,
    Bd("et le propriétaire (locateur)", "and the landlord (lessor)"), kBr,
    Gp(1), kBr,
    Tx("S'il y a lieu, représenté par", "Where applicable, represented by"), kBr,
};
constexpr TFormItem kEndColumns[] = {kEndCols};

constexpr auto kSectionA = Join(kTenants, kTenant1, kLessee, kBetween, kTenant2, kLessee, kLessorName, kLessorAddress,
                                kLessorPhones, kLessorRepresentative, kEndColumns);

constexpr TFormItem kNotesA[] = {
    Pa("- Le terme <b>propriétaire</b> utilisé dans le bail a le même sens que le terme locateur utilisé dans la loi.",
       "- The term <b>landlord</b> used in the lease has the same meaning as the term lessor in the law."),
    Pa("- Les noms inscrits au bail devraient être ceux du locataire et du propriétaire, tels qu'ils paraissent sur "
       "leurs pièces d'identité ou leurs actes constitutifs.",
       "- The names written in the lease should be those of the lessee and of the landlord, as they appear on their "
       "identity documents or constituting acts."),
    Pa("- Le singulier inclut le pluriel.", "- The singular includes the plural."),
};

constexpr TFormItem kPurpose[] = {
    kBr,
    Tx("Le logement est loué à des fins résidentielles seulement.",
       "The dwelling is leased for residential purposes only."),
    Yn("Rg_B_FinResid", "B_FINRESID"), kBr,
    Tx("Si non, à des fins mixtes d'habitation et ", "If not, for combined purposes of housing and"),
    Ed("E_B_FinMixte", "B_FINMIXTE"), Un("Préciser", "Specify"), kBr,
    Tx("Au plus le tiers de la superficie totale du logement peut servir à ces autres fins.",
       "No more than one third of the total area of the dwelling may be used for those other purposes."),
    Hp("Spb_PropHint5"), kBr,
    Gp(1), kBr,
};

constexpr TFormItem kFurniture[] = {
    Gp(1), kBr,
    Tx("Des meubles sont loués et inclus dans le loyer.", "Furniture is leased and included in the rent."),
    Yn("Rg_B_Meuble", "B_MEUBLE"), kBr,
    kCols,
    Bd("Cuisine", "Kitchen"), kBr,
    Ck("ChB_B_Cuis", "B_CUIS"), Tx("Cuisinière", "Stove"), kBr,
    Ck("ChB_B_Refrig", "B_REFRIG"), Tx("Réfrigérateur", "Refrigerator"), kBr,
    Ck("ChB_B_Table", "B_TABLE"), Tx("Table", "Table"), kBr,
    Ck("ChB_B_Chaise", "B_CHAISE"), Tx("Chaise(s)", "Chair(s)"), Tx("nombre", "number"),
    Ed("E_B_Chaise_N", "B_CHAISE_N", 2), kBr,
    Ck("ChB_B_LaveVais", "B_LAVEVAIS"), Tx("Lave-vaisselle", "Dishwasher"), kBr,
    Ed("E_B_Cuisine", "B_CUISINE", 14), kBr,
    kCol,
    Bd("Chambre(s)", "Rooms"), kBr,
    Ck("ChB_B_Lit", "B_LIT"), Tx("Lit(s)", "Bed(s)"), Tx("nombre", "number"), Ed("E_B_Lit_N", "B_LIT_N", 2), kBr,
    Gp(3), Tx("format", "size"), Ed("E_B_Lit_F", "B_LIT_F", 8), kBr,
    Ck("ChB_B_Comod", "B_COMMOD"), Tx("Commode(s)", "Chest(s) of drawers"), Ed("E_B_Comod_N", "B_COMMOD_N", 2), kBr,
    Ck("ChB_TabNui", "B_TABNUI"), Tx("Table(s) de nuit", "Bed table(s)"), Ed("E_B_TabNui_N", "B_TABNUI_N", 2), kBr,
    kCol,
    Bd("Salon", "Living room"), kBr,
    Ck("ChB_B_Divan", "B_DIVAN"), Tx("Divan(s)", "Couch(es)"), Ed("E_B_Divan_N", "B_DIVAN_N", 2), kBr,
    Ck("ChB_B_Faut", "B_FAUT"), Tx("Fauteuil(s)", "Armchair(s)"), Ed("E_B_Faut_N", "B_FAUT_N", 2), kBr,
    Ck("ChB_B_TabSal", "B_TABSAL"), Tx("Table(s)", "Living room table(s)"), Ed("E_B_TabSal_N", "B_TABSAL_N", 2), kBr,
    Ed("E_B_Salon", "B_SALON", 14), kBr,
    kCol,
    Bd("Autres", "Other"), kBr,
    Ck("ChB_B_Laveuse", "B_LAVEUSE"), Tx("Laveuse", "Washer"), kBr,
    Ck("ChB_B_Secheuse", "B_SECHEUSE"), Tx("Sécheuse", "Dryer"), kBr,
    Ed("E_B_Autre1", "B_AUTRE1", 25), kBr,
    Ed("E_B_Autre2", "B_AUTRE2", 25), kBr,
    Ed("E_B_Autre3", "B_AUTRE3", 25), kBr,
    Ed("E_B_Autre4", "B_AUTRE4", 25), kBr,
    Ed("E_B_Autre5", "B_AUTRE5", 25),
    kEndCols,
};

constexpr auto kSectionB = Join(kDwellingAddress, kPurpose, kParking, kFurniture, kPremisesCondition);

// ---- Page 2 -------------------------------------------------------------------------

constexpr TFormItem kSectionC[] = {
    Hd("Bail à durée fixe", "Fixed term lease"),
    Tx("Ce bail a une durée de ", "The term of the lease is"), Ed("E_C_Duree", "C_DUREE", 15),
    Un("Préciser semaine, mois, année", "Specify weeks, months or years"), kBr,
    Tx("commançant le ", "beginning on"), Dt("C_Debut", "C_DEBUT"), Tx("et se terminant le ", "and ending on"),
    Dt("C_Fin", "C_FIN"), Wr("(habituellement le dernier jour d'un mois)", "(usually the last day of a month)"), kBr,
    Bd("ou", "or"), kBr,
    Hd("Bail à durée indéterminée", "Indeterminate term lease"),
    Tx("Ce bail est à durée indéterminée, commançant le ", "The term of the lease is indeterminate, beginning on"),
    Dt("C_DebutInd", "C_DEBUTIND"), kBr,
    Pa("Le propriétaire <b>ne peut</b> mettre fin au bail que dans les cas prévus par la loi; à l'arrivée du terme, le "
       "locataire a normalement le droit de demeurer dans le logement.",
       "The landlord <b>may not</b> end the lease except in the cases provided for by law; when the term ends, the "
       "lessee is normally entitled to remain in the dwelling."),
};

constexpr TFormItem kSectionD[] = {
    Pa("Le loyer est payable en versements égaux dont aucun ne dépasse un mois de loyer, sauf le dernier qui peut être "
       "moindre. Aucune autre somme d'argent ne peut être exigée du locataire à ce titre.",
       "The rent is payable in equal instalments, none of which exceeds one month's rent, except the last one, which "
       "may be less. No other amount of money may be required of the lessee for it."),
    Tx("Le loyer est de ", "The rent is $ "), Ed("E_D_Loyer", "D_LOYER", 14), Tx("$", " "),
    Ck("ChB_D_Mois1", "D_MOIS1"), Tx("par mois", "per month"), Ck("ChB_D_Semaine1", "D_SEMAINE1"),
    Tx("par semaine", "per week"), Tx("autre", "other"), Ed("E_D_Autre1", "D_AUTRE1", 23), kBr,
    Tx(", pour un total de ", ", for a total amount of $"), Ed("E_D_Total1", "D_TOTAL1"), kBr,
    Ed("E_D_Total2", "D_TOTAL2"),
    Tx("$, pour toute la durée du bail (si celui-ci est à durée fixe).",
       "for the full term of the lease (if it is a fixed term lease)."), kBr,
    Hd("Date du paiement", "Date of payment"),
    Pa("Le premier versement est payable au début du bail. Le propriétaire ne peut exiger d'avance que le loyer de la "
       "première période de paiement (le premier mois ou la première semaine, par exemple); les versements suivants "
       "sont payables le premier jour de chaque période, à moins d'une entente différente.",
       "The first instalment is payable when the lease begins. The landlord may require in advance only the rent for "
       "the first payment period (the first month or the first week, for example); later instalments are payable on "
       "the first day of each period unless otherwise agreed."),
    Tx("Le loyer du ", "The rent for the"), Bd(" premier terme ", " first payment period "),
    Tx("sera payé en tout, le", "will be paid in whole, on"), Dt("D_DateTout", "D_DATETOUT"), kBr,
    Bd("ou", "or"), Tx("en partie, soit", "in part, that is $"), Ed("E_D_MntPart1", "D_MNTPART1", 14),
    Un("Préciser le montant", "Specify the amount"), Tx("$, le", ", on"), Dt("D_DatPart1", "D_DATPART1"), kBr,
    Gp(2), Tx("et", "and $"), Ed("E_D_MntPart2", "D_MNTPART2", 14), Tx("$, le", ", on"), Dt("D_DatPart2", "D_DATPART2"),
    kBr,
    Tx("Le paiement des", "Payment of the rent for the"), Bd(" autres termes ", " other payment periods "),
    Tx("de loyer se fera le 1<sup>er</sup>", "will be made on the 1<sup>st</sup>"), kBr, Gp(8), Ck("ChB_D_Mois2", "D_MOIS2"),
    Tx(" jour du mois ", " day of the month "), Ck("ChB_D_Semaine2", "D_SEMAINE2"),
    Tx("     de la semaine ", "      of the week "), Tx("autre", "other"), Ed("E_D_Autre2", "D_AUTRE2", 22), kBr,
    Hd("Mode de paiement", "Method of payment"),
    Pa("Le propriétaire ne peut exiger du locataire la remise d'un chèque postdaté ni d'aucun autre effet postdaté.",
       "The landlord may not require the lessee to hand over a postdated cheque or any other postdated instrument."),
    Tx("Le loyer est payable selon le mode de paiement suivant:",
       "Rent is payable in accordance with the following method of payment:"), kBr,
    Gp(2), Ck("ChB_D_Mode_Chq", "D_MODE_CHQ"), Tx("par chèque", "by cheque"), Gp(2), Ck("ChB_D_Mode_Arg", "D_MODE_ARG"),
    Tx("en argent comptant", "in cash"), Gp(2), Tx("autre", "other method of payment"),
    Ed("E_D_Mode_Aut", "D_MODE_AUT", 30), kBr,
    Hd("Lieu du paiement", "Place of payment"),
    Pa("À moins d'une entente différente, le loyer est payable au domicile du locataire.",
       "Unless otherwise agreed, the rent is payable at the lessee's domicile."),
    Tx("Le loyer sera payable au", "Rent shall be payable at"), Ed("E_D_Lieu", "D_LIEU"),
    Un("Lieu du paiement - si par la poste, l'indiquer", "Place of payment - specify if by mail"), kBr,
    Hd("Preuve de paiement", "Proof of payment"),
    Pa("Le locataire a droit à un reçu pour chacun de ses paiements, y compris ceux qu'il fait en argent comptant.",
       "The lessee is entitled to a receipt for each payment, including the payments made in cash."),
};

constexpr TFormItem kSectionE1[] = {
    Tx("Service de conciergerie", "Janitorial service"), Yn("RG_E_Concierg", "E_CONCIERG"), Hp("Spb_PropHint4"),
    Tx("Précisions", "Specify"), Ed("E_E_Precisio", "E_PRECISIO"), kBr,
    Tx("Le numéro de téléphone du concierge ou de la personne à contacter en cas de",
       "The telephone number of the janitor or person to contact in case"), kBr,
    Tx("besoin est", "of need is"), Ed("E_E_Tel", "E_TEL", 14),
};

// ---- Page 3 -------------------------------------------------------------------------

#define BORNE(fr, en, p, l, pf, lf) Tx(fr, en, 30), Ck(p, pf, 12), Ck(l, lf, 12), kBr

constexpr TFormItem kSectionE2[] = {
    Bd("Règlement de l'immeuble", "By-laws of the immovable"), Tx("(art. 1057 et 1894 C.c.V.)", "(arts. 1057 and 1894 C.C.V.)"),
    kBr,
    Pa("Le règlement de l'immeuble établit les règles d'usage, d'entretien et de jouissance du logement et des espaces "
       "communs que chaque occupant doit suivre pendant le bail.",
       "The by-laws of the immovable set the rules for the use, upkeep and enjoyment of the dwelling and of the common "
       "areas that every occupant must follow during the lease."),
    Pa("Lorsqu'un tel règlement existe, le propriétaire<b> doit </b>en remettre un exemplaire au locataire<b> avant "
       "</b>la conclusion du bail; le règlement fait alors partie du bail.",
       "Where such by-laws exist, the landlord<b> must </b>give the lessee a copy<b> before </b>the lease is entered "
       "into; the by-laws then form part of the lease."),
    Pa("Dans un immeuble détenu en copropriété divise, le règlement s'applique au locataire dès qu'un exemplaire lui en "
       "a été remis par le propriétaire ou par le syndicat des copropriétaires.",
       "In an immovable held in divided co-ownership, the by-laws apply to the lessee as soon as the landlord or the "
       "syndicate of co-owners has given the lessee a copy of them."),
    Tx("Il existe un règlement de l'immeuble.", "There are by-laws for the immovable."),
    Yn("Rg_E_Reglemen", "E_REGLEMEN"), kBr,
    Tx("Si oui, un exemplaire du règlement a été remis au locataire avant la conclusion du bail.",
       "If yes, a copy of the by-laws was given to the lessee before entering into the lease."),
    Yn("Rg_E_Remis", "E_REMIS"), kBr,
    Tx("Si oui, le ", "If yes, on"), Ed("E_E_Date", "E_DATE", 10),
    Un("Date de remise du règlement", "Date when by-laws were given to lessee"), kBr,
    Hd("Travaux et réparations", "Work and repairs"),
    Pa("Le propriétaire doit délivrer le logement en bon état de réparation de toute espèce et en bon état "
       "d'habitabilité, puis le maintenir ainsi pendant toute la durée du bail. Il doit aussi faire les réparations "
       "nécessaires qui ne sont pas à la charge du locataire.",
       "The landlord must deliver the dwelling in a good state of repair of every kind and fit for habitation, then "
       "keep it so for the whole term of the lease. The landlord must also make every necessary repair that is not "
       "the lessee's responsibility."),
    Pa("Le locataire doit aviser le propriétaire, dans un délai raisonnable, de toute défectuosité ou détérioration "
       "importante du logement. Il fait les menues réparations d'entretien, sauf celles qui résultent de l'usure "
       "normale, de la vétusté ou d'une force majeure.",
       "The lessee must inform the landlord, within a reasonable time, of any serious defect or deterioration of the "
       "dwelling. The lessee makes the minor maintenance repairs, except those that result from normal wear, old age "
       "of the premises or superior force."),
    Tx("S'il y a lieu, les travaux à exécuter par le propriétaire sont les suivants:",
       "Where applicable, the work to be carried out by the landlord is as follows:"), Hp("Spb_PropHint2"), kBr,
    Tx("- avant la délivrance du logement", "- before the delivery of the dwelling", 32), Ed("E_E_Avant1", "E_AVANT1"),
    kBr, Gp(32), Ed("E_E_Avant2", "E_AVANT2"), kBr,
    Tx("- en cours de bail", "- during the lease", 32), Ed("E_E_Cours1", "E_COURS1"), kBr,
    Gp(32), Ed("E_E_Cours2", "E_COURS2"), kBr,
    Hd("Services, taxes et coûts de consommation", "Services, taxes and consumption costs"),
    Tx("Sont à la charge du ", "Will be borne by the", 30), Bd("propriétaire", "landlord", 12),
    Bd("locataire", "lessee", 12), kBr,
    BORNE("Chauffage du logement", "Heating of dwelling", "ChB_E_ChauffaP", "ChB_E_ChauffaL", "E_CHAUFFAP", "E_CHAUFFAL"),
    BORNE("Eau chaude", "Hot water", "ChB_E_EauChauP", "ChB_E_EauChauL", "E_EAUCHAUP", "E_EAUCHAUL"),
    BORNE("Électricité", "Electricity", "ChB_E_ElectriP", "ChB_E_ElectriL", "E_ELECTRIP", "E_ELECTRIL"),
    BORNE("Taxe d'eau", "Water tax", "ChB_E_TaxeEauP", "ChB_E_TaxeEauL", "E_TAXEEAUP", "E_TAXEEAUL"),
    Tx("Enlèvement de la neige:", "Snow removal:"), kBr,
    BORNE("    stationnement", "    parking area", "ChB_E_NeigeStP", "ChB_E_NeigeStL", "E_NEIGESTP", "E_NEIGESTL"),
    BORNE("    balcon", "    balcony", "ChB_E_NeigeBaP", "ChB_E_NeigeBaL", "E_NEIGEBAP", "E_NEIGEBAL"),
    BORNE("    entrée", "    entrance", "ChB_E_NeigeEnP", "ChB_E_NeigeEnL", "E_NEIGEENP", "E_NEIGEENL"),
    BORNE("    escalier", "    stairs", "ChB_E_NeigeEsP", "ChB_E_NeigeEsL", "E_NEIGEESP", "E_NEIGEESL"),
    Hd("Conditions", "Conditions"),
    Tx("Le locataire a un droit d'accès au terrain.", "The lessee has a right of access to the land."),
    Yn("RG_E_AccesTer", "E_ACCESTER"), kBr,
    Tx("Précisions ou limitations", "Specifications or limitations", 24), Ed("E_E_Precis1", "E_PRECIS1"), kBr,
    Tx("Le locataire a le droit de garder un ou des animaux.", "The lessee has the right to keep one or more animals."),
    Yn("RG_E_Animaux", "E_ANIMAUX"), kBr,
    Tx("Précisions ou limitations", "Specifications or limitations", 24), Ed("E_E_Precis2", "E_PRECIS2"), kBr,
    Bd("Autres services et conditions", "Other services and conditions"),
    Tx("(exemple: salle de lavage)", "(e.g., laundry room)"), Hp("Spb_PropHint3"), kBr,
    Ed("E_E_Service1", "E_SERVICE1"), kBr,
    Ed("E_E_Service2", "E_SERVICE2"), kBr,
    Ed("E_E_Service3", "E_SERVICE3"),
};

#undef BORNE

// ---- Page 4 -------------------------------------------------------------------------

constexpr TFormItem kNoApplication[] = {
    Pa("Section à remplir lorsqu'une des situation qui y sont décrites s'applique.",
       "Section to be completed where one of the situations described herein applies."),
    Pa("Le locataire et le propriétaire<b> ne peuvent demander à la Ostrevane </b>de fixer le loyer ou de modifier une "
       "autre condition du bail parce que",
       "The lessee and the landlord<b> may not apply to the Ostrevane </b>for the fixing of the rent or for the "
       "modification of another condition of the lease because"),
};
constexpr TFormItem kOr[] = {Bd("ou", "or"), kBr};

constexpr TFormItem kRestrictionNotes[] = {
    Pa("Le tribunal peut néanmoins se prononcer sur toute autre demande relative au bail, par exemple une demande de "
       "diminution de loyer.",
       "The tribunal may nevertheless rule on any other application about the lease, for example an application for "
       "a reduction of rent."),
    Pa("<b>Si une des 2 cases ci-dessus est cochée,</b> le locataire qui refuse une modification du bail demandée par le "
       "propriétaire, par exemple une hausse de loyer, doit quitter le logement à la fin du bail; ces restrictions "
       "durent cinq ans.",
       "<b>If one of the 2 boxes above is ticked off</b>, a lessee who refuses a change to the lease requested by the "
       "landlord, for example a rent increase, must leave the dwelling when the lease ends; these restrictions last "
       "five years."),
    Pa("<b>Si aucune des 2 cases n'est cochée,</b> et que le locataire refuse la modification demandée par le "
       "propriétaire, le bail est reconduit aux mêmes conditions; le propriétaire peut alors demander au tribunal, "
       "dans le délai prévu par la loi, de fixer le loyer ou de statuer sur la modification.",
       "<b>If neither of the 2 boxes is ticked off</b>, and the lessee refuses the change requested by the landlord, "
       "the lease is renewed on the same conditions; the landlord may then apply to the tribunal, within the time "
       "set by law, to fix the rent or to rule on the change."),
    Pa("Le délai de cinq ans se compte à partir du jour où l'immeuble est devenu prêt pour l'habitation.",
       "The five-year period runs from the day on which the immovable became ready for habitation."),
};

constexpr auto kSectionF = Join(kNoApplication, kNewBuilding, kOr, kChangedDestination, kRestrictionNotes);

constexpr TFormItem kSectionG[] = {
    Pa("Cet avis est obligatoire: le propriétaire doit le remettre au nouveau locataire ou au sous-locataire lors de "
       "la conclusion du bail, sauf dans les cas décrits à la section F.",
       "This notice is mandatory: the landlord must give it to the new lessee or sublessee when the lease is entered "
       "into, except in the cases described in section F."),
    Pa("Je vous avise que le loyer le plus bas payé au cours des douze mois qui ont précédé le début de votre bail, ou "
       "le loyer fixé par le tribunal au cours de cette même période, le cas échéant, était de",
       "I hereby notify you that the lowest rent paid during the twelve months before the beginning of your lease, "
       "or the rent fixed by the tribunal during that same period, if any, was"),
    Ed("E_G_Loyer", "G_LOYER", 19), Tx("$", "$"), Ck("ChB_G_Mois", "G_MOIS"), Tx("par mois", "per month"),
    Ck("ChB_G_Semaine", "G_SEMAINE"), Tx("par semaine", "per week"), Tx("autre", "other"),
    Ed("E_G_Autre", "G_AUTRE", 17), kBr,
    Tx("Le bien loué et les conditions de votre bail sont les mêmes.",
       "The property leased and the conditions of your lease are the same."),
    Yn("RG_G_Meme", "G_MEME"), kBr,
    Tx("Si non, les changements suivants ont été apportés (exemple: ajout d'un stationnement, chauffage à la charge "
       "du locataire):",
       "If not, the following changes have been made (e.g., addition of parking, heating to be paid by the lessee):"),
    Hp("Spb_PropHint"), kBr,
    Ed("E_G_Chang1", "G_CHANG1"), kBr,
    Ed("E_G_Chang2", "G_CHANG2"), kBr,
    Tx("Date", "Date"), Ed("E_G_Date", "G_DATE", 10), Gp(6),
    Tx("________________________________________", "________________________________________"),
    Un("Signature du propriétaire ou du sous-locateur", "Signature of the landlord or sublessor"), kBr,
    Pa("Le nouveau locataire qui paie un loyer plus élevé que le loyer le plus bas payé au cours des douze mois "
       "précédant le début du bail peut, dans les dix jours de la conclusion du bail, demander au tribunal de fixer "
       "son loyer.",
       "A new lessee who pays a rent higher than the lowest rent paid during the twelve months before the lease "
       "began may, within ten days after the lease is entered into, apply to the tribunal to have the rent fixed."),
    Pa("Lorsque le propriétaire n'a pas remis cet avis lors de la conclusion du bail, le nouveau locataire peut faire "
       "cette demande dans les deux mois du début du bail; il en est de même lorsque l'avis contient une fausse "
       "déclaration.",
       "Where the landlord did not give this notice when the lease was entered into, the new lessee may make that "
       "application within two months after the lease begins; the same holds where the notice contains a false "
       "statement."),
    Pa("Le nouveau locataire qui découvre plus tard une fausse déclaration peut présenter sa demande dans les deux mois "
       "de cette découverte.",
       "A new lessee who later discovers a false statement may apply within two months after discovering it."),
};

constexpr TFormItem kClosing[] = {
    {K::Heading, "L_Partie1", nullptr,
     "La partie 1 du bail doit être assemblée à la partie 2 pour ne former qu'un seul document.", "", 0},
    Hd("La partie 1 et la partie 2 forment un tout indissociable.", "Part 1 and part 2 form one inseparable whole."),
};

constexpr TFormSection kSections[] = {
    {"A", 'A', 0, "ENTRE", "BETWEEN", kSectionA},
    {"NA", 0, 0, nullptr, nullptr, kNotesA},
    {"B", 'B', 0, "DESCRIPTION ET DESTINATION DU LOGEMENT LOUÉ, DES ACCESSOIRES ET DÉPENDANCES",
     "DESCRIPTION AND DESTINATION OF LEASED DWELLING ACCESSORIES AND DEPENDENCIES", kSectionB},
    {"C", 'C', 1, "DURÉE DU BAIL (art. 1851 C.c.V.)", "TERM OF LEASE (art. 1851 C.C.V.)", kSectionC},
    {"D", 'D', 1, "LOYER (art. 1903 et 1904 C.c.V.)", "RENT (arts. 1903 and 1904 C.C.V.)", kSectionD},
    {"E", 'E', 1, "SERVICES ET CONDITIONS", "SERVICES AND CONDITIONS", kSectionE1},
    {"E2", 'E', 2, "SERVICES ET CONDITIONS (suite)", "SERVICES AND CONDITIONS (cont.)", kSectionE2},
    {"F", 'F', 3,
     "RESTRICTIONS AU DROIT À LA FIXATION DU LOYER ET À LA MODIFICATION DU BAIL PAR LA OSTREVANE (art. 1955 C.c.V.)",
     "RESTRICTIONS ON THE RIGHT TO HAVE THE RENT FIXED AND THE LEASE MODIFIED BY THE OSTREVANE (art. 1955 C.C.V.)",
     kSectionF},
    {"G", 'G', 3, "AVIS AU NOUVEAU LOCATAIRE OU AU SOUS-LOCATAIRE (art. 1896 et 1950 C.c.V.)",
     "NOTICE TO A NEW LESSEE OR SUBLESSEE (arts. 1896 and 1950 C.C.V.)", kSectionG},
    {"NG", 0, 3, nullptr, nullptr, kClosing},
};

QString U(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

// Width in pixels of n characters of the widget's font, with the frame of an edit.
int CharsWidth(const QWidget &w, int n)
{
    return w.fontMetrics().horizontalAdvance(QLatin1Char('0')) * n + 12;
}

int EditHeight()
{
    static const int height = QLineEdit().sizeHint().height();
    return height;
}

// The small help buttons show the program's help image, at the size they show it.
QImage HelpGlyph(int size)
{
    return ui::ProgramImage(QStringLiteral("HELP_32")).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The lessor selection: a person followed by three dots, a list to pick from.
QImage LessorGlyph(int size)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 100, 170));
    p.drawEllipse(QRectF(5, 2, 10, 10));
    p.drawChord(QRectF(0, 14, 20, 24), 0, 180 * 16);
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QRectF(16.5 + i * 5.2, 22, 4.4, 4.4));
    p.end();
    return image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

const TLeaseFormLayout &StandardLeaseLayout()
{
    static const TLeaseFormLayout layout{"BailStdForm", false, kSections, {}, {}, "Bail de logement",
                                         "Lease of a dwelling", "Sélection du locateur", "Lessor selection"};
    return layout;
}

std::span<const TFormItem> StandardSectionItems(const char *key)
{
    for (const TFormSection &s : kSections)
        if (std::strcmp(s.key, key) == 0)
            return s.items;
    return {};
}

const TWording *TBailStdForm::Wording(const char *standardFr) const
{
    if (standardFr)
        for (const TWording &w : m_layout->wording)
            if (std::strcmp(w.standard, standardFr) == 0)
                return &w;
    return nullptr;
}

const char *TBailStdForm::ControlName(const char *standardName) const
{
    for (const TRename &r : m_layout->renames)
        if (std::strcmp(r.standard, standardName) == 0)
            return r.name;
    return standardName;
}

bool TBailStdForm::NotOnThisForm(const TFormItem &item) const
{
    if (item.kind == K::Help || item.kind == K::Edit || item.kind == K::Check || item.kind == K::YesNo)
        return ControlName(item.name) == nullptr;
    const TWording *w = item.name ? nullptr : Wording(item.fr);
    return w && !w->fr;
}

QString TBailStdForm::NextLabelName(const TFormSection &section)
{
    return QStringLiteral("Lb_%1_%2").arg(QLatin1String(section.key)).arg(++m_labelCount, 3, 10, QLatin1Char('0'));
}

QLabel *TBailStdForm::MakeLabel(const TFormSection &section, const TFormItem &item, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(item.name ? QLatin1String(item.name) : NextLabelName(section));
    const char *fr = item.fr;
    const char *en = item.en;
    if (const TWording *w = Wording(item.fr)) {
        fr = w->fr;
        en = w->en;
    }
    label->setText(French() || !en || !*en ? U(fr) : U(en));
    label->setTextFormat(Qt::AutoText);
    m_words << label->objectName() << U(fr) << U(en);
    QFont font = label->font();
    switch (item.kind) {
    case K::Bold:
    case K::Heading:
        font.setBold(true);
        break;
    case K::Under:
        font.setPointSizeF(font.pointSizeF() * 0.8);
        break;
    default:
        break;
    }
    label->setFont(font);
    if (item.kind == K::Para || item.kind == K::Wrap)
        label->setWordWrap(true);
    if (item.kind != K::Para && item.kind != K::Heading && item.kind != K::Under)
        label->setMinimumHeight(EditHeight());
    if (item.width > 0)
        label->setMinimumWidth(CharsWidth(*label, item.width) - 12);
    return label;
}

QWidget *TBailStdForm::MakeSplitDate(const TFormItem &item, int page, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(0);
    const QString suffix = QLatin1String(item.name);
    auto *day = new dataset::TDBEdit(box);
    day->setObjectName(QStringLiteral("ME_J_") + suffix);
    day->SetDataSource(&DsBailStd);
    day->SetEditMask(QStringLiteral("99;1; "));
    day->setFixedWidth(CharsWidth(*day, 2) + 4);
    auto *month = new dataset::TMonthComboBox(box);
    month->setObjectName(QStringLiteral("CB_M_") + suffix);
    month->SetDataSource(&DsBailStd);
    month->setFixedWidth(CharsWidth(*month, 10) + 20);
    auto *year = new dataset::TDBEdit(box);
    year->setObjectName(QStringLiteral("ME_A_") + suffix);
    year->SetDataSource(&DsBailStd);
    year->SetEditMask(QStringLiteral("9999;1; "));
    year->setFixedWidth(CharsWidth(*year, 4) + 4);
    grid->addWidget(day, 0, 0);
    grid->addWidget(month, 0, 1);
    grid->addWidget(year, 0, 2);
    static const TFormItem kParts[] = {Un("jour", "day"), Un("mois", "month"), Un("année", "year")};
    static const TFormSection kDates{"Dt", 0, 0, nullptr, nullptr, {}};
    for (int i = 0; i < 3; ++i) {
        QLabel *caption = MakeLabel(kDates, kParts[i], box);
        grid->addWidget(caption, 1, i, Qt::AlignHCenter);
    }
    for (TSplitDate &d : m_dates)
        if (!d.field) {
            d.field = item.field;
            d.page = page;
            d.day = day;
            d.month = month;
            d.year = year;
            break;
        }
    return box;
}

QWidget *TBailStdForm::MakeItem(const TFormSection &section, const TFormItem *&item, QWidget *parent, bool &stretches)
{
    stretches = false;
    QWidget *w = nullptr;
    switch (item->kind) {
    case K::Text:
    case K::Bold:
        w = MakeLabel(section, *item, parent);
        break;
    case K::Wrap:
        w = MakeLabel(section, *item, parent);
        stretches = true;
        break;
    case K::Edit:
    case K::Lessor: {
        auto *edit = new dataset::TDBEdit(parent);
        edit->setObjectName(QLatin1String(item->name));
        const bool lessor = item->kind == K::Lessor;
        edit->SetDataSource(lessor ? &DsLocateur : &DsBailStd);
        edit->SetDataField(QLatin1String(item->field));
        if (lessor) {
            edit->SetReadOnly(true);
            edit->setEnabled(false);
        }
        if (dataset::TField *f = edit->Field(); f && f->IsNumeric() && item->width > 0)
            edit->setMaxLength(item->width);
        if (item->width > 0)
            edit->setFixedWidth(CharsWidth(*edit, item->width));
        else
            stretches = true;
        w = edit;
        break;
    }
    case K::Check: {
        auto *box = new dataset::TDBCheckBox(parent);
        box->setObjectName(QLatin1String(item->name));
        box->SetDataSource(&DsBailStd);
        box->SetDataField(QLatin1String(item->field));
        if (item->width > 0) {
            // A cell of the "borne by" grid: the box centred under its column head.
            auto *cell = new QWidget(parent);
            cell->setFixedWidth(CharsWidth(*cell, item->width) - 12);
            cell->setMinimumHeight(EditHeight());
            auto *l = new QHBoxLayout(cell);
            l->setContentsMargins(0, 0, 0, 0);
            box->setParent(cell);
            l->addWidget(box, 0, Qt::AlignCenter);
            w = cell;
        } else {
            // On the line of the captions around it, centred on their height.
            auto *cell = new QWidget(parent);
            cell->setFixedSize(17, EditHeight());
            auto *l = new QHBoxLayout(cell);
            l->setContentsMargins(0, 0, 0, 0);
            box->setParent(cell);
            l->addWidget(box, 0, Qt::AlignCenter);
            w = cell;
        }
        break;
    }
    case K::YesNo: {
        auto *group = new dataset::TDBRadioGroup(parent);
        group->setObjectName(QLatin1String(item->name));
        group->setFlat(true);
        group->setStyleSheet(QStringLiteral("QGroupBox { border: 0px; margin: 0px; padding: 0px; }"));
        group->SetDataSource(&DsBailStd);
        group->SetDataField(QLatin1String(item->field));
        group->SetLanguage(dataset::WorkingLanguage());
        group->setMinimumHeight(EditHeight());
        w = group;
        break;
    }
    case K::Date:
        w = MakeSplitDate(*item, section.page, parent);
        break;
    case K::Help: {
        auto *button = new ui::TKelSpeedButton(parent);
        ui::UseToolbarLook(*button);
        button->setObjectName(QLatin1String(ControlName(item->name)));
        button->setFixedSize(20, 20);
        button->SetPNGObject(HelpGlyph(16));
        button->setProperty(kHelpButton, true);
        connect(button, &QAbstractButton::clicked, this, [] { ShowHelpTopic(kFormHelpTopic); });
        w = button;
        break;
    }
    case K::Select: {
        SpB_SelLocateur = new ui::TKelSpeedButton(parent);
        ui::UseToolbarLook(*SpB_SelLocateur);
        SpB_SelLocateur->setObjectName(QLatin1String(item->name));
        SpB_SelLocateur->setFixedSize(EditHeight() + 8, EditHeight());
        SpB_SelLocateur->SetPNGObject(LessorGlyph(EditHeight() - 4));
        w = SpB_SelLocateur;
        break;
    }
    case K::Gap: {
        w = new QWidget(parent);
        w->setFixedSize(CharsWidth(*w, item->width) - 12, 1);
        break;
    }
    default:
        w = MakeLabel(section, *item, parent);
        break;
    }
    // A small caption under the control, as the form prints "Préciser" under its line.
    const TFormItem *end = section.items.data() + section.items.size();
    if (item + 1 != end && item[1].kind == K::Under) {
        ++item;
        auto *holder = new QWidget(parent);
        auto *v = new QVBoxLayout(holder);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(0);
        w->setParent(holder);
        v->addWidget(w);
        v->addWidget(MakeLabel(section, *item, holder), 0, Qt::AlignHCenter);
        w = holder;
    }
    return w;
}

void TBailStdForm::BuildItems(const TFormSection &section, QVBoxLayout *body, QWidget *parent)
{
    QVBoxLayout *column = body;
    QHBoxLayout *columns = nullptr;
    std::vector<QVBoxLayout *> columnList;
    QHBoxLayout *line = nullptr;
    bool lineStretches = false;
    auto endLine = [&] {
        if (line && !lineStretches)
            line->addStretch(1);
        line = nullptr;
        lineStretches = false;
    };
    auto newColumn = [&] {
        column = new QVBoxLayout;
        column->setSpacing(3);
        columns->addLayout(column, 1);
        columnList.push_back(column);
    };
    const TFormItem *end = section.items.data() + section.items.size();
    for (const TFormItem *it = section.items.data(); it != end; ++it) {
        if (NotOnThisForm(*it))
            continue;
        switch (it->kind) {
        case K::Br:
            endLine();
            break;
        case K::Cols:
            endLine();
            columns = new QHBoxLayout;
            columns->setSpacing(18);
            body->addLayout(columns);
            newColumn();
            break;
        case K::Col:
            endLine();
            newColumn();
            break;
        case K::EndCols:
            endLine();
            for (QVBoxLayout *c : columnList)
                c->addStretch(1);
            columnList.clear();
            column = body;
            columns = nullptr;
            break;
        case K::Heading:
            endLine();
            column->addSpacing(6);
            column->addWidget(MakeLabel(section, *it, parent));
            break;
        case K::Para:
            endLine();
            column->addWidget(MakeLabel(section, *it, parent));
            break;
        default: {
            if (!line) {
                line = new QHBoxLayout;
                line->setSpacing(4);
                column->addLayout(line);
            }
            bool stretches = false;
            QWidget *w = MakeItem(section, it, parent, stretches);
            line->addWidget(w, stretches ? 1 : 0, Qt::AlignTop);
            lineStretches = lineStretches || stretches;
            break;
        }
        }
    }
    endLine();
}

QWidget *TBailStdForm::BuildSection(const TFormSection &section, QWidget *page)
{
    auto *frame = new QFrame(page);
    frame->setObjectName(QStringLiteral("Sec_") + QLatin1String(section.key));
    auto *layout = new QVBoxLayout(frame);
    layout->setSpacing(3);
    if (section.letter) {
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        layout->setContentsMargins(1, 1, 1, 8);
        // The title band: the section letter in a square, then the title, white on black.
        auto *band = new QWidget(frame);
        band->setAutoFillBackground(true);
        QPalette pal = band->palette();
        pal.setColor(QPalette::Window, Qt::black);
        pal.setColor(QPalette::WindowText, Qt::white);
        band->setPalette(pal);
        auto *bandLayout = new QHBoxLayout(band);
        bandLayout->setContentsMargins(2, 2, 6, 2);
        auto *letter = new QLabel(QString(QLatin1Char(section.letter)), band);
        letter->setFrameStyle(QFrame::Box | QFrame::Plain);
        letter->setAlignment(Qt::AlignCenter);
        letter->setFixedSize(24, 24);
        QFont bold = letter->font();
        bold.setBold(true);
        bold.setPointSizeF(bold.pointSizeF() * 1.2);
        letter->setFont(bold);
        auto *title = new QLabel(band);
        title->setObjectName(QStringLiteral("Lb_Title_") + QLatin1String(section.key));
        title->setText(French() ? U(section.fr) : U(section.en));
        title->setWordWrap(true);
        QFont titleFont = title->font();
        titleFont.setBold(true);
        title->setFont(titleFont);
        m_words << title->objectName() << U(section.fr) << U(section.en);
        bandLayout->addWidget(letter, 0, Qt::AlignTop);
        bandLayout->addWidget(title, 1);
        layout->addWidget(band);
        auto *body = new QVBoxLayout;
        body->setContentsMargins(8, 4, 8, 0);
        body->setSpacing(3);
        layout->addLayout(body);
        BuildItems(section, body, frame);
    } else {
        layout->setContentsMargins(4, 2, 4, 2);
        BuildItems(section, layout, frame);
    }
    return frame;
}

void TBailStdForm::CreatePages(QVBoxLayout *layout)
{
    PC_Pages = new QTabWidget(this);
    PC_Pages->setObjectName(QStringLiteral("PC_Pages"));
    for (int p = 0; p < kPageCount; ++p) {
        auto *area = new QScrollArea(PC_Pages);
        area->setObjectName(QStringLiteral("SB_Page%1").arg(p + 1));
        area->setWidgetResizable(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // The sheet: a fixed width of paper centred in the scrolling area.
        auto *holder = new QWidget;
        auto *h = new QHBoxLayout(holder);
        h->setContentsMargins(0, 6, 0, 6);
        auto *sheet = new QWidget(holder);
        sheet->setObjectName(QStringLiteral("Pg_Sheet%1").arg(p + 1));
        sheet->setFixedWidth(kPageWidth);
        sheet->setAutoFillBackground(true);
        QPalette pal = sheet->palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, Qt::black);
        sheet->setPalette(pal);
        auto *v = new QVBoxLayout(sheet);
        v->setContentsMargins(14, 12, 14, 12);
        v->setSpacing(8);
        for (const TFormSection &s : m_layout->sections)
            if (s.page == p)
                v->addWidget(BuildSection(s, sheet));
        v->addStretch(1);
        h->addStretch(1);
        h->addWidget(sheet);
        h->addStretch(1);
        area->setWidget(holder);
        PC_Pages->addTab(area, QStringLiteral("Page %1").arg(p + 1));
        m_pageAreas.push_back(area);
    }
    layout->addWidget(PC_Pages, 1);
}

void TBailStdForm::ResetPages()
{
    PC_Pages->setCurrentIndex(0);
    for (QScrollArea *area : m_pageAreas)
        area->verticalScrollBar()->setValue(0);
}

} // namespace entry
