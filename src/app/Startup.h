#pragma once
// The steps that prepare a data folder when the program starts: where the folder is, the
// database name that points at it, first-start seeding, the upgrade of old tables, the
// configuration row, and whether the indexes must be rebuilt.

#include <QString>
#include <QStringList>

class QWidget;

namespace app {

inline constexpr char kApplicationTitle[] = "Bail de la Ostrevane";
inline constexpr char kApplicationVersion[] = "0.1";
inline constexpr char kDatabaseName[] = "DbBailData";
inline constexpr char kReindexMarker[] = "Reindex.cmd";

// Folder of the running program (without trailing '/').
QString ExecutableDir();
// The data folder: the current directory, or the program's folder when the current one
// cannot be read. Always ends with '/'.
QString DataDirectory();
// Defines DbBailData on dir, or repoints it. False when that failed; start-up goes on.
bool DefineDataDatabase(const QString &dir);
// The archive folder of the program's settings (Archive/Folder), and the database name VESTRA
// pointed at it; false when none is set.
QString ArchiveFolderSetting();
bool DefineArchiveDatabase();

// Folders holding the seed files shipped with the program, in search order: beside it
// (build tree), then the installed share folder.
QStringList SeedFolders();
// On a first start (no lease table in dir) copies the four seed tables into dir, each from
// dir's own .dat when present, else from the first seed folder that has it. Returns true
// when it seeded. A missing seed or failed copy throws EDBEngineError and removes the
// tables this call created, so the next start tries again.
bool SeedDataFolder(const QString &dir, const QStringList &seedFolders = SeedFolders());

// Widens tables written by older releases. The lease table is widened only after a warning
// that the user must be alone; refusals are shown; a closing note follows any attempt.
// Messages are French only. Returns true when a restructure was attempted.
bool UpgradeOldTables(const QString &dir, QWidget *parent = nullptr);

// Reads the configuration row through DbBailData: the working language (set first from the
// fr.txt / en.txt marker when the row has none; the marker used is deleted once the row is
// saved) and the save-toner flag, into the process settings.
void ReadConfiguration(const QString &dir);

// True when an index file is missing or the reindex marker is present.
bool NeedsReindex(const QString &dir);

// Folder of the help set for a working language: "Bailf" for French, "baila" otherwise,
// found beside the program, in the build tree or in the installed share folder. When none
// exists, the path beside the program is returned.
QString HelpFileFor(const QString &language);

} // namespace app
