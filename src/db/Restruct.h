#pragma once
// In-place widening of the text fields of tables written by older releases.

#include "dbase/Format.h"

#include <QString>
#include <QStringList>
#include <span>
#include <vector>

namespace db {

// Restructures one table: reads its field descriptions, lets the caller change named
// fields, then submits the changed structure to the engine keeping every row.
class TRestruct {
public:
    // One field as the table has it, and what is to become of it.
    struct TFieldOp {
        int number = 0;          // 1-based position in the table
        dbase::FieldDef field;   // description, changed by ChangeField
        bool modify = false;     // marked for modification
    };

    // Reads the field descriptions of the table at path (without opening its index).
    // fieldsToAdd is reserved room for new fields; the lease database adds none.
    explicit TRestruct(const QString &tablePath, int fieldsToAdd = 0);

    // Marks every field of that name (case-insensitive) for modification; false when none.
    bool ChangeField(const QString &name, dbase::FieldType type, int decimals, int width);
    // Opens the table exclusively and restructures it. A failure throws EDBEngineError with
    // the code of its cause (kRestructureFailed when the engine refuses the new structure,
    // kFileInUse when the table is open elsewhere, ...) and a last entry naming the table;
    // the table then keeps its old structure.
    void Restructure();

    const QString &TablePath() const { return m_path; }
    int FieldCount() const { return m_fieldCount; }
    const std::vector<TFieldOp> &Fields() const { return m_fields; }

private:
    QString m_path;                // table file
    int m_fieldCount = 0;          // fields of the table plus fields to add
    std::vector<TFieldOp> m_fields; // one per field, in table order
};

// One widening: the table, its trigger field and old width, and the new widths.
struct TWidenField {
    const char *name;
    int width;
};
struct TWidening {
    const char *table;        // base name in the data folder
    const char *triggerField; // widened when this field exists with the old width
    int triggerWidth;
    std::span<const TWidenField> fields;
};

std::span<const TWidening> Widenings();

// What the upgrade of one table did.
struct TUpgradeStep {
    QString table;        // base name
    bool triggered = false; // the old width was found
    bool widened = false;   // the restructure succeeded
    int errorCode = 0;      // engine code of the failure, 0 when none
    QString error;          // its message
};

// True when the table at path has the trigger field at its old width.
bool NeedsWidening(const QString &tablePath, const TWidening &widening);
// Widens every table of the data folder that needs it. Tables absent from the folder are
// skipped; a refused restructure is reported in its step and the next table is still done.
std::vector<TUpgradeStep> UpgradeDataFolder(const QString &dir);

} // namespace db
