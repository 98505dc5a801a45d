#pragma once
// The Annex's dwelling items and list of services as data: the Annex window builds its
// pages by walking these tables, and the printed Annex pages can follow the same rows.

#include <QString>
#include <span>
#include <vector>

namespace dataset {
class TTable;
}

namespace db {

// A caption in both working languages; '\n' separates the lines of a caption.
struct TAnnexText {
    const char *fr;
    const char *en;
    QString In(bool french) const;
    bool Empty() const { return !fr || !*fr; }
};

// How a field other than the service columns is entered.
enum class TAnnexFieldKind {
    Text,  // a line of text
    Count, // a small whole number
    Hour,  // hours and minutes
    Box,   // a check box
    YesNo, // a Oui/Non group, three states (no choice yet)
};

// A field on a row besides its columns, with the caption that goes with it.
struct TAnnexField {
    const char *field;
    TAnnexFieldKind kind;
    TAnnexText caption; // may be empty
    int maxLength = 0;  // characters typed at most, 0: the field's size
    bool sameLine = false; // follows the previous field on its line
};

// Columns of the list of services, as bits.
enum TAnnexColumns : unsigned { kCol1 = 1, kCol2 = 2, kCol3 = 4, kAllCols = 7 };

// One line of the list of services.
struct TAnnexRow {
    int page;               // window page, 2 to 8
    TAnnexText heading;     // group heading shown above the row, may be empty
    TAnnexText caption;     // the row's own caption
    const char *prefix;     // fields prefix_1, prefix_2, prefix_3; nullptr: no columns
    unsigned columns;       // TAnnexColumns bits present
    std::vector<TAnnexField> fields; // the other fields of the row, in order
    const char *controlStem = nullptr; // control names when they differ from the prefix's mixed case

    QString FieldName(int column) const; // prefix + "_" + column
    // Name of a column's control: "ChB_Lav_1", "E_Lav_2", "ChB_Lav_3".
    QString ControlName(int column) const;
};

// One item of the description of the dwelling (pages 1 and 2): boxes and texts.
struct TDwellingItem {
    int page;
    TAnnexText caption;
    std::vector<TAnnexField> fields;
};

const std::vector<TDwellingItem> &DwellingItems();
const std::vector<TAnnexRow> &AnnexRows();
// The 32 additional-rent amounts (column 2), in the order of the form.
std::span<const char *const> AnnexAmountFields();
// The four yes/no answers.
std::span<const char *const> AnnexYesNoFields();
// Control name of a field: "ChB_" for boxes, "E_" for texts, "RG_" groups as named on the form.
QString AnnexControlName(const TAnnexField &field);

// Adds to an Annex cursor, before it opens, the calculated TotalColonne1 and TotalColonne2
// (the sum of the amounts, an empty one counting as 0) and TotalBail (MNTBAIL plus that sum),
// shown in the system's currency format. Takes the cursor's OnCalcFields.
void AddAnnexTotals(dataset::TTable &annexe);

} // namespace db
