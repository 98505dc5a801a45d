#pragma once
// What the picture programs do before and after they draw: the platform, the output folder, a
// demo data folder behind the database name, the working language, and writing a picture.
// A header, because every examples/*.cpp is a program of its own.

#include "db/Demo.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "ui/MLBase.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>

namespace examples {

// Off screen unless a platform is asked for: the pictures then do not depend on the desktop
// (its window manager, its scaling). Call before the application object is made.
inline void ChoosePlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// name in the folder of this program.
inline QString BesideProgram(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

// The first argument, else fallback.
inline QString ArgumentOr(int argc, char **argv, const QString &fallback)
{
    return argc > 1 ? QString::fromLocal8Bit(argv[1]) : fallback;
}

// The folder the pictures go to (the first argument, else fallback), created.
inline QString OutputFolder(int argc, char **argv, const QString &fallback)
{
    const QString out = ArgumentOr(argc, argv, fallback);
    QDir().mkpath(out);
    return out;
}

// A demo data folder in a temporary directory that lives as long as this object.
class TDemoData {
public:
    // Fills the folder; false, with the engine's message on stderr, when that fails.
    bool Make(int leases, int lessors)
    {
        try {
            db::MakeDemoFolder(m_dir.path(), leases, lessors);
            return true;
        } catch (const dbase::EDBEngineError &e) {
            std::fprintf(stderr, "demo folder: %s\n", qPrintable(e.Message()));
            return false;
        }
    }

    // Points the database name the windows open their tables under at the folder.
    void DefineDatabase() const
    {
        dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + m_dir.path()});
    }

    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The working language of the tables' texts and of every window that switches language:
// "F" French, "A" English.
inline void UseLanguage(const char *language)
{
    db::SetWorkingLanguage(QLatin1String(language));
    ui::TBaseMultiLang::SetAllLanguages(*language == 'F' ? 0 : 1);
}

// Writes a picture; says so on stderr when it cannot.
inline bool SavePicture(const QImage &image, const QString &path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// The widget as drawn once pending events are handled, as a PNG, reported on stdout.
inline bool SaveShown(QWidget &w, const QString &path)
{
    QCoreApplication::processEvents();
    const bool ok = w.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.toLocal8Bit().constData());
    return ok;
}

} // namespace examples
