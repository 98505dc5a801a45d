#include "delivery/DocumentExport.h"

#include "delivery/ExcelExport.h"
#include "delivery/WordExport.h"
#include "pdf/PdfBox.h"
#include "printout/Printout.h"
#include "dataset/Common.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace delivery {

EExportError::EExportError(const QString &french, const QString &english)
    : std::runtime_error(english.toStdString()), m_french(french), m_english(english)
{
}

QString EExportError::Message() const { return dataset::WorkingLanguage() == QLatin1Char('F') ? m_french : m_english; }

std::unique_ptr<printout::TPrintoutExport> MakeExport(const QString &fileName, const QString &kind)
{
    const QString k = kind.toUpper();
    if (k == QLatin1String("WORD"))
        return std::make_unique<printout::TPrintoutExport>(fileName, k, std::make_unique<TWordExport>(fileName));
    if (k == QLatin1String("EXCEL"))
        return std::make_unique<printout::TPrintoutExport>(fileName, k, std::make_unique<TExcelExport>(fileName));
    return std::make_unique<printout::TPrintoutExport>(fileName, k);
}

QString KindSuffix(const QString &kind)
{
    const QString k = kind.toUpper();
    if (k == QLatin1String("WORD"))
        return QStringLiteral("docx");
    if (k == QLatin1String("EXCEL"))
        return QStringLiteral("xlsx");
    if (k == QLatin1String("ACROBAT"))
        return QStringLiteral("pdf");
    return {};
}

namespace {

EExportError CannotWrite(const QString &fileName, const QString &why)
{
    return EExportError(QStringLiteral("Le fichier %1 ne peut pas être écrit (%2).").arg(fileName, why),
                        QStringLiteral("The file %1 cannot be written (%2).").arg(fileName, why));
}

// A name beside the target that no other file has, for the document while it is made.
QString PartName(const QFileInfo &target)
{
    static int counter = 0;
    QString name;
    do {
        name = target.absoluteDir().filePath(
            QStringLiteral(".%1.%2-%3.part").arg(target.fileName()).arg(QCoreApplication::applicationPid()).arg(++counter));
    } while (QFileInfo::exists(name));
    return name;
}

} // namespace

bool ExportTo(printout::TPrintout &printout, const QString &fileName, const QString &kind, int from, int to)
{
    if (KindSuffix(kind).isEmpty() || printout.PageCount() == 0)
        return false;
    const QFileInfo target(fileName);
    const QString part = PartName(target);
    // A folder we cannot write into is told before any page is converted.
    if (::access(QFile::encodeName(target.absolutePath()).constData(), W_OK) != 0)
        throw CannotWrite(target.absoluteFilePath(), QString::fromLocal8Bit(std::strerror(errno)));
    std::unique_ptr<printout::TPrintoutExport> exporter = MakeExport(part, kind);
    bool done = false;
    try {
        done = printout::ExportTo(printout, *exporter, from, to);
    } catch (const EExportError &) {
        QFile::remove(part);
        throw;
    } catch (const pdf::EPdfError &e) {
        QFile::remove(part);
        throw CannotWrite(target.absoluteFilePath(), e.Message());
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    exporter.reset(); // closes what the writer still holds
    if (!done) {
        QFile::remove(part);
        return false;
    }
    if (!QFileInfo::exists(part))
        throw CannotWrite(target.absoluteFilePath(), QStringLiteral("?"));
    // The finished document replaces the older one in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(part);
        throw CannotWrite(target.absoluteFilePath(), why);
    }
    return true;
}

} // namespace delivery
