#pragma once
// What a lease window's pages hold, as data: each section a list of items read left to
// right, line by line, so that captions and fields read as the form's sentences. The
// standard and the cooperative windows are two layouts walked by the same builder.

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

namespace entry {

enum class TItemKind : char {
    Text,    // caption on the line
    Bold,    // caption in bold
    Wrap,    // caption that takes the rest of the line and wraps
    Para,    // paragraph on lines of its own (may hold <b>, <br> and <sup>)
    Heading, // bold caption on a line of its own
    Under,   // small caption under the control before it
    Edit,    // lease field
    Lessor,  // lessor field, read-only
    Check,   // check box of a logical lease field
    YesNo,   // Oui/Non group of a logical lease field
    Date,    // split date: name is the part suffix ("C_Debut")
    Help,    // small help button
    Select,  // lessor selection button
    Gap,     // blank of width characters
    Br,      // next line
    Cols,    // columns start: the lines below go into the first column
    Col,     // next column
    EndCols, // back to full width
};

struct TFormItem {
    TItemKind kind;
    const char *name;  // control name (controls), fixed label name or null (captions)
    const char *field; // bound field
    const char *fr;
    const char *en;
    int width; // characters: fields' width (0 stretches), captions' minimum width
};

struct TFormSection {
    const char *key; // "A" ... "G", "E2"/"F2" for a continuation, "NA"/"NG" for unframed notes
    char letter;     // 0: not framed, no title
    int page;
    const char *fr;
    const char *en;
    std::span<const TFormItem> items;
};

// A caption of a shared section that this form words otherwise: the caption whose French
// text is `standard` reads fr/en instead (fr null: the caption is not on this form).
struct TWording {
    const char *standard;
    const char *fr;
    const char *en;
};

// A control of a shared section named otherwise on this form (name null: not on it).
struct TRename {
    const char *standard;
    const char *name;
};

// One kind of lease window: its pages, its wording and its captions.
struct TLeaseFormLayout {
    const char *objectName;
    bool cooperative;
    std::span<const TFormSection> sections;
    std::span<const TWording> wording;
    std::span<const TRename> renames;
    const char *captionFr, *captionEn; // the window's caption; the elderly kind adds its suffix
    const char *lessorHintFr, *lessorHintEn;
};

const TLeaseFormLayout &StandardLeaseLayout();
const TLeaseFormLayout &CooperativeLeaseLayout();

// The items of a standard section ("C", "D", "E", "E2" ...), which other forms share.
std::span<const TFormItem> StandardSectionItems(const char *key);

namespace items {

using K = TItemKind;

constexpr TFormItem Tx(const char *fr, const char *en, int w = 0) { return {K::Text, nullptr, nullptr, fr, en, w}; }
constexpr TFormItem Bd(const char *fr, const char *en, int w = 0) { return {K::Bold, nullptr, nullptr, fr, en, w}; }
constexpr TFormItem Wr(const char *fr, const char *en) { return {K::Wrap, nullptr, nullptr, fr, en, 0}; }
constexpr TFormItem Pa(const char *fr, const char *en) { return {K::Para, nullptr, nullptr, fr, en, 0}; }
constexpr TFormItem Hd(const char *fr, const char *en) { return {K::Heading, nullptr, nullptr, fr, en, 0}; }
constexpr TFormItem Un(const char *fr, const char *en) { return {K::Under, nullptr, nullptr, fr, en, 0}; }
constexpr TFormItem Ed(const char *name, const char *field, int w = 0) { return {K::Edit, name, field, nullptr, nullptr, w}; }
constexpr TFormItem Lo(const char *name, const char *field, int w = 0) { return {K::Lessor, name, field, nullptr, nullptr, w}; }
constexpr TFormItem Ck(const char *name, const char *field, int w = 0) { return {K::Check, name, field, nullptr, nullptr, w}; }
constexpr TFormItem Yn(const char *name, const char *field) { return {K::YesNo, name, field, nullptr, nullptr, 0}; }
constexpr TFormItem Dt(const char *suffix, const char *field) { return {K::Date, suffix, field, nullptr, nullptr, 0}; }
constexpr TFormItem Hp(const char *name) { return {K::Help, name, nullptr, nullptr, nullptr, 0}; }
constexpr TFormItem Sl(const char *name) { return {K::Select, name, nullptr, nullptr, nullptr, 0}; }
constexpr TFormItem Gp(int w) { return {K::Gap, nullptr, nullptr, nullptr, nullptr, w}; }
inline constexpr TFormItem kBr{K::Br, nullptr, nullptr, nullptr, nullptr, 0};
inline constexpr TFormItem kCols{K::Cols, nullptr, nullptr, nullptr, nullptr, 0};
inline constexpr TFormItem kCol{K::Col, nullptr, nullptr, nullptr, nullptr, 0};
inline constexpr TFormItem kEndCols{K::EndCols, nullptr, nullptr, nullptr, nullptr, 0};

// Lists of items joined into one section, so that forms share their common lines.
template <std::size_t... N>
constexpr auto Join(const TFormItem (&...parts)[N])
{
    std::array<TFormItem, (N + ...)> out{};
    std::size_t at = 0;
    ((std::copy(std::begin(parts), std::end(parts), out.begin() + at), at += N), ...);
    return out;
}

// ---- Lines both forms share ------------------------------------------------------------

#define LEASE_TENANT(n)                                                                                      \
    Tx("Nom", "Name", 4), Ed("E_A_Nom" #n, "A_NOM" #n), kBr, Tx("N°", "N°", 4), Ed("E_A_No" #n, "A_NO" #n, 6),  \
        Tx("Rue", "Street"), Ed("E_A_Rue" #n, "A_RUE" #n), Tx("App.", "Apt."), Ed("E_A_App" #n, "A_APP" #n, 6), \
        kBr, Tx("Municipalité", "Municipality"), Ed("E_A_Munic" #n, "A_MUNIC" #n), Tx("Code Postal", "Postal code"), \
        Ed("E_A_Cp" #n, "A_CP" #n, 7), kBr, Tx("Téléphone (domicile)", "Telephone (domicile)", 19),             \
        Ed("E_A_TelDom" #n, "A_TELDOM" #n, 14), kBr, Tx("Téléphone (autre)", "Telephone (other)", 19),           \
        Ed("E_A_TelAut" #n, "A_TELAUT" #n, 14), kBr

inline constexpr TFormItem kTenant1[] = {LEASE_TENANT(1)};
inline constexpr TFormItem kTenant2[] = {LEASE_TENANT(2)};

#undef LEASE_TENANT

// The lessor's address, read from the lessor row.
inline constexpr TFormItem kLessorAddress[] = {
    Tx("N°", "N°", 4), Lo("E_LocateurNo", "NO", 6), Tx("Rue", "Street"), Lo("E_LocateurRue", "RUE"),
    Tx("App.", "Apt."), Lo("E_LocateurApp", "APP", 6), kBr,
    Tx("Municipalité", "Municipality"), Lo("E_LocateurMunic", "MUNIC"), Tx("Code Postal", "Postal code"),
    Lo("E_LocateurCp", "CP", 7), kBr,
};

inline constexpr TFormItem kLessorRepresentative[] = {
    Tx("Nom", "Name", 8), Lo("E_LocateurNomRep", "NOMREP"), kBr,
    Tx("Fonction", "Position", 8), Lo("E_LocateurFonction", "FONCTION"), kBr,
    Tx("mandaté à cet effet.", "mandated for that purpose."),
};

inline constexpr TFormItem kDwellingAddress[] = {
    Tx("N°", "N°"), Ed("E_B_No", "B_NO", 10), Tx("Rue", "Street"), Ed("E_B_Rue", "B_RUE"), Tx("App.", "Apt."),
    Ed("E_B_App", "B_APP", 6), kBr,
    Tx("Municipalité", "Municipality"), Ed("E_B_Munic", "B_MUNIC"), Tx("Code Postal", "Postal code"),
    Ed("E_B_Cp", "B_CP", 7), Tx("Nombre de pièces", "Number of rooms"), Ed("E_B_NbPiece", "B_NBPIECE", 4),
};

inline constexpr TFormItem kParking[] = {
    Ck("ChB_B_Ext", "B_EXT"), Tx("Stationnement extérieur", "Outdoor parking", 24),
    Tx("Nombre de places", "Number of places"), Ed("E_B_ExtNbPl", "B_EXT_NBPL", 6),
    Tx("Emplacements", "Parking spaces"), Ed("E_B_ext_EMPL", "B_EXT_EMPL", 18), kBr,
    Ck("ChB_B_Int", "B_INT"), Tx("Stationnement intérieur", "Indoor parking", 24),
    Tx("Nombre de places", "Number of places"), Ed("E_B_intNbPl", "B_INT_NBPL", 6),
    Tx("Emplacements", "Parking spaces"), Ed("E_B_INT_EMPL", "B_INT_EMPL", 18), kBr,
    Ck("ChB_B_remise", "B_REMISE"), Tx("Remise/espace de rangement", "Locker/storage space", 24),
    Tx("Précisions", "Specify"), Ed("E_B_Presisio", "B_PRECISIO"), kBr,
    Tx("Autres", "Other"), Ed("E_B_Autre", "B_AUTRE"), kBr,
};

inline constexpr TFormItem kPremisesCondition[] = {
    Pa("Il serait indiqué que les parties fassent une description de l'<b>état des lieux</b> lors de la délivrance du "
       "logement (art. 1890 C.c.V.).",
       "The parties should make a description of the <b>condition of the premises</b> at the time of the delivery of "
       "the dwelling (art. 1890 C.C.V.)."),
};

// The two restriction cases of section F with their dates.
inline constexpr TFormItem kNewBuilding[] = {
    Ck("ChB_F_Log1", "F_LOG1"),
    Wr("le logement est situé dans un immeuble construit depuis 5 ans ou moins. L'immeuble était prêt pour",
       "the dwelling is located in an immovable erected 5 years ago or less. The immovable became ready for"), kBr,
    Gp(3), Tx("l'habitation le ", "habitation on"), Dt("F_PretHab1", "F_PRETHAB1"), kBr,
};

inline constexpr TFormItem kChangedDestination[] = {
    Ck("ChB_F_Log2", "F_LOG2"),
    Wr("le logement est situé dans un immeuble dont l'utilisation à des fins résidentielles résulte d'un changement "
       "d'affectation fait depuis 5 ans ou moins. L'immeuble était prêt",
       "the dwelling is located in an immovable whose use for residential purposes results from a change of "
       "destination made 5 years ago or less. The immovable became ready for"), kBr,
    Gp(3), Tx("pour l'habitation le ", "habitation on"), Dt("F_PretHab2", "F_PRETHAB2"), kBr,
};

} // namespace items

} // namespace entry
