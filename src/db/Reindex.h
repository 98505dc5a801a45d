#pragma once
// Rebuilding the index tags of the three indexed tables of a data folder.

#include <QString>
#include <functional>
#include <vector>

namespace db {

// Outcome of one table's pack and tag creation.
struct TReindexStep {
    QString table;  // "BailStd", "Locateur", "Annexe"
    bool ok = false;
    int errorCode = 0; // engine code of the failure
    QString error;     // its message
};

// True when one of the three .mdx files is missing from the folder.
bool IndexMissing(const QString &dir);

// Clears the production-index flag of every indexed table whose .mdx is missing, opens
// the three tables exclusively, drops their tags (the first tag that cannot be dropped
// ends the drops of that table), then packs each table and adds its tags again.
// Opening failures propagate (kFileInUse when someone else has a table open: the caller
// may ask to retry); a failure inside one table's pack or tags is reported in its step
// and the next table is still done. progress is called with each table's name first,
// stepDone with each table's outcome as soon as it is known.
std::vector<TReindexStep> ReindexDataFolder(const QString &dir,
                                            const std::function<void(const QString &table)> &progress = {},
                                            const std::function<void(const TReindexStep &step)> &stepDone = {});

} // namespace db
