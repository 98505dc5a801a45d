#include "app/Startup.h"

#include "delivery/Archive.h"

#include "db/FileOps.h"
#include "db/Reindex.h"
#include "db/Restruct.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "dataset/Field.h"
#include "dataset/Table.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "ui/MessageBoxes.h"
#include "ui/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <unistd.h>
#include <vector>

namespace app {

namespace {

QString WithSlash(QString dir)
{
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// A file of dir named without regard to case, or empty when there is none.
QString ExistingFile(const QString &dir, const QString &name)
{
    const QString path = dbase::FindFileNoCase(dir, name);
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

QString ExecutableDir()
{
    // Read from /proc so that this also works before a QCoreApplication exists.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!exe.isEmpty())
        return QFileInfo(exe).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString DataDirectory()
{
    // getcwd fails when the current directory was removed or cannot be reached.
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) && buffer[0] != '\0')
        return WithSlash(QString::fromLocal8Bit(buffer));
    return WithSlash(ExecutableDir());
}

bool DefineDataDatabase(const QString &dir)
{
    QString path = dir;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    try {
        dbase::Session::Instance().DefineDatabase(QString::fromLatin1(kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + path});
        return true;
    } catch (const dbase::EDBEngineError &) {
        return false;
    }
}

QString ArchiveFolderSetting()
{
    return ui::ProgramSettings()->value(QStringLiteral("Archive/Folder")).toString().trimmed();
}

bool DefineArchiveDatabase()
{
    const QString folder = ArchiveFolderSetting();
    if (folder.isEmpty())
        return false;
    try {
        dbase::Session::Instance().DefineDatabase(QString::fromLatin1(delivery::kArchiveDatabase), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + folder});
        return true;
    } catch (const dbase::EDBEngineError &e) {
        delivery::LogDiagnostic(QStringLiteral("%1 : %2").arg(QString::fromLatin1(delivery::kArchiveDatabase), 12).arg(e.Message()));
        return false;
    }
}

QStringList SeedFolders()
{
    const QString exe = ExecutableDir();
    return {exe + QStringLiteral("/seeds"), exe + QStringLiteral("/../seeds"),
            exe + QStringLiteral("/../share/leaseform/seeds")};
}

bool SeedDataFolder(const QString &dir, const QStringList &seedFolders)
{
    if (!ExistingFile(dir, QStringLiteral("BailStd.dbf")).isEmpty())
        return false;
    // The order matters: the lease table is the first-start marker.
    const db::TTableDesc *const order[] = {&db::kBailStd, &db::kBailConf, &db::kAnnexe, &db::kLocateur};
    std::vector<QString> created;
    try {
        for (const db::TTableDesc *t : order) {
            const QString seedName = QLatin1String(t->name) + QStringLiteral(".dat");
            QString source = ExistingFile(dir, seedName);
            for (int i = 0; source.isEmpty() && i < seedFolders.size(); ++i)
                source = ExistingFile(seedFolders[i], seedName);
            if (source.isEmpty())
                throw dbase::EDBEngineError(dbase::kTableNotFound, QStringLiteral("Table does not exist."))
                    .Add(dbase::kTableNotFound, QStringLiteral("File: ") + seedName);
            const QString target = db::TableFile(dir, *t, "dbf");
            const bool existed = QFileInfo::exists(target);
            db::CopyFile(source, target);
            if (!existed)
                created.push_back(target);
        }
    } catch (...) {
        for (const QString &path : created)
            QFile::remove(path);
        throw;
    }
    return true;
}

bool UpgradeOldTables(const QString &dir, QWidget *parent)
{
    const std::span<const db::TWidening> widenings = db::Widenings();
    const QString leasePath = ExistingFile(dir, QStringLiteral("Bailstd.dbf"));
    if (!leasePath.isEmpty() && db::NeedsWidening(leasePath, widenings.front()))
        ui::ShowMessageBox(QMessageBox::Warning, QStringLiteral("Attention"),
                           QStringLiteral("Assurez-vous d'être seul à utiliser le Bail de la Ostrevane avant de "
                                          "mettre à jour les données"),
                           QMessageBox::Ok, QMessageBox::Ok, parent);
    bool attempted = false;
    for (const db::TUpgradeStep &step : db::UpgradeDataFolder(dir)) {
        attempted = attempted || step.triggered;
        if (step.errorCode != 0)
            ui::ShowMessageBox(step.errorCode == dbase::kRestructureFailed ? QMessageBox::Warning : QMessageBox::Critical,
                               step.errorCode == dbase::kRestructureFailed ? QStringLiteral("Attention")
                                                                           : QStringLiteral("Erreur"),
                               step.error, QMessageBox::Ok, QMessageBox::Ok, parent);
    }
    if (attempted)
        ui::ShowMessageBox(QMessageBox::Information, QStringLiteral("Information"), QStringLiteral("Mise à jour terminée!"),
                           QMessageBox::Ok, QMessageBox::Ok, parent);
    return attempted;
}

void ReadConfiguration(const QString &dir)
{
    dataset::TTable bailConf;
    bailConf.SetDatabaseName(QString::fromLatin1(kDatabaseName));
    bailConf.SetTableName(QStringLiteral("Bailconf.dbf"));
    bailConf.Open();
    dataset::TField *language = bailConf.FieldByName(QStringLiteral("LANGUETRAV"));
    if (language->AsString().trimmed().isEmpty()) {
        QString marker;
        QString value = QStringLiteral("F");
        if (const QString fr = ExistingFile(dir, QStringLiteral("fr.txt")); !fr.isEmpty()) {
            marker = fr;
        } else if (const QString en = ExistingFile(dir, QStringLiteral("en.txt")); !en.isEmpty()) {
            marker = en;
            value = QStringLiteral("A");
        }
        bailConf.Edit();
        language->SetAsString(value);
        bailConf.Post();
        // Only once the choice is saved: a failed save leaves the marker for the next start.
        if (!marker.isEmpty())
            QFile::remove(marker);
    }
    db::SetWorkingLanguage(language->AsString().trimmed().left(1));
    db::SetSaveToner(bailConf.FieldByName(QStringLiteral("SAVETONER"))->AsBoolean());
    bailConf.Close();
}

bool NeedsReindex(const QString &dir)
{
    return db::IndexMissing(dir) || !ExistingFile(dir, QString::fromLatin1(kReindexMarker)).isEmpty();
}

QString HelpFileFor(const QString &language)
{
    const QString set = db::IsFrench(language) ? QStringLiteral("Bailf") : QStringLiteral("baila");
    const QString exe = ExecutableDir();
    const QString candidates[] = {exe + QLatin1Char('/') + set, exe + QStringLiteral("/help/") + set,
                                  exe + QStringLiteral("/../help/") + set,
                                  exe + QStringLiteral("/../share/leaseform/help/") + set};
    for (const QString &c : candidates)
        if (QFileInfo(c).isDir())
            return QDir::cleanPath(c);
    return candidates[0];
}

} // namespace app
