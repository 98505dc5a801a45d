// bailtool: the command-line companion of the lease-form program.

#include "tool/BatchCommand.h"
#include "tool/Commands.h"
#include "tool/PdfCommand.h"
#include "tool/EmfCommands.h"
#include "tool/ExportCommand.h"
#include "tool/KrpCommand.h"
#include "tool/MailCommand.h"
#include "tool/RenderCommand.h"

#include "dbase/EngineError.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

const char kUsage[] =
    "usage: bailtool COMMAND ...\n"
    "  dump FILE.dbf [--deleted]     rows as '|'-separated UTF-8 text, header line first\n"
    "                                (\\\\ \\| \\n \\r \\0 escape those bytes; --deleted adds deleted rows marked '*')\n"
    "  keys FILE.dbf TAG             keys of an index tag in index order: key, tab, record number\n"
    "  check DIR                     consistency of every table and index tag of a data folder;\n"
    "                                rebuilds the tags a killed writer left half changed, when it can\n"
    "                                have the table to itself\n"
    "  make-seeds DIR                writes the seed tables (*.dat)\n"
    "  demo DIR [--leases N] [--lessors M]\n"
    "                                a data folder with made-up lessors and leases\n"
    "  add-lease DIR [--count N] [--kind NN|ON|NO|OO]\n"
    "                                adds leases through automatic numbering, printing their numbers\n"
    "  reindex DIR                   rebuilds the index tags (needs the tables for itself)\n"
    "  upgrade DIR                   widens the fields of tables from older releases\n"
    "  emf FILE.emf                  diagnostic listing of the records of an enhanced metafile\n"
    "  emf-png FILE.emf OUT.png [--dpi N]\n"
    "                                the metafile drawn into a picture (96 dpi unless told)\n"
    "  pdf OUT.pdf IN1.emf|IN1.krp [IN2 ...]\n"
    "                                one PDF page per enhanced metafile, and per page of a printout file\n"
    "  krp FILE.krp                  what a printout file holds: its header, and each page's records and\n"
    "                                mail recipients\n"
    "  make-archive DIR              empty archive tables (KelArch.dbf, KelDocLk.dbf) with their index tags;\n"
    "                                the program archives into the folder its Archive/Folder setting names\n"
    "  render DIR --lease NOBAIL [--pages FIRST-LAST] (--emf PREFIX | --png PREFIX [--dpi N] | --krp OUT.krp)\n"
    "                                the form pages of a lease, one PREFIX-<page> file each (150 dpi unless told),\n"
    "                                or one printout file\n"
    "  batch DIR (--all | --lessor NOLOCATEUR | --leases N1,N2,...) (--pdf OUT.pdf | --emf PREFIX)\n"
    "                                many leases in one job, each with all its pages, as one PDF or one\n"
    "                                PREFIX-<page>.emf per page; --all and --lessor take lease-number order,\n"
    "                                --leases the order given, and a number listed twice prints twice (this\n"
    "                                is a list of jobs, not the batch dialog's set of ticked leases); --lessor\n"
    "                                beside --leases keeps that lessor's leases of the list; a lease that does\n"
    "                                not exist or is another lessor's is skipped with a line on stderr;\n"
    "                                exit 1 when nothing was printed\n"
    "  export (FILE.krp | DIR --lease NOBAIL) (--docx | --xlsx | --pdf) OUT\n"
    "                                a printout file or a lease's pages as a word-processing document, a\n"
    "                                spreadsheet or a PDF file; the record listing goes to ./emf.txt\n"
    "  mail (DIR --lease NOBAIL | FILE.krp) --from ADDR --to ADDR [--cc ADDR] [--bcc ADDR] [--subject TEXT]\n"
    "       [--text TEXT] [--format pdf|krp] [--server HOST[:PORT]] [--user NAME] [--password-stdin]\n"
    "  mail FILE.krp --multiple --from ADDR [...]\n"
    "                                a lease's pages or a printout file e-mailed as a printout file (the\n"
    "                                default) or a PDF; --multiple sends one message per run of pages with\n"
    "                                the same recipients, to the pages' own, each with its pages only, and\n"
    "                                prints a line per message sent; the first refusal ends the send;\n"
    "                                server, port and user from the settings file unless given; address\n"
    "                                options repeat or take commas; exit 0 only when the server accepted\n"
    "                                the message for every recipient\n";

void PrintError(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "bailtool: %s\n", line.toUtf8().constData());
}

int Run(const QStringList &all)
{
    if (all.isEmpty() || all[0] == QLatin1String("--help") || all[0] == QLatin1String("-h")) {
        std::fputs(kUsage, all.isEmpty() ? stderr : stdout);
        return all.isEmpty() ? 1 : 0;
    }
    const QString command = all[0];
    const QStringList args = all.mid(1);
    if (command == QLatin1String("dump")) return tool::Dump(args);
    if (command == QLatin1String("keys")) return tool::Keys(args);
    if (command == QLatin1String("check")) return tool::Check(args);
    if (command == QLatin1String("make-seeds")) return tool::MakeSeeds(args);
    if (command == QLatin1String("demo")) return tool::Demo(args);
    if (command == QLatin1String("add-lease")) return tool::AddLease(args);
    if (command == QLatin1String("reindex")) return tool::Reindex(args);
    if (command == QLatin1String("upgrade")) return tool::Upgrade(args);
    if (command == QLatin1String("pdf")) return tool::Pdf(args);
    if (command == QLatin1String("emf")) return tool::Emf(args);
    if (command == QLatin1String("krp")) return tool::Krp(args);
    if (command == QLatin1String("make-archive")) return tool::MakeArchive(args);
    if (command == QLatin1String("emf-png")) return tool::EmfPng(args);
    if (command == QLatin1String("render")) return tool::Render(args);
    if (command == QLatin1String("batch")) return tool::Batch(args);
    if (command == QLatin1String("mail")) return tool::Mail(args);
    if (command == QLatin1String("export")) return tool::Export(args);
    throw tool::TUsageError{QStringLiteral("unknown command '%1'").arg(command)};
}

} // namespace

int main(int argc, char **argv)
{
    // A closed pipe is reported as a write error instead of killing the process.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        // Drawing commands need Qt's GUI part; without a display it runs offscreen.
        const bool gui = argc > 1 && (tool::CommandNeedsGui(QString::fromLocal8Bit(argv[1]))
                                      || QString::fromLocal8Bit(argv[1]) == QLatin1String("render")
                                      || QString::fromLocal8Bit(argv[1]) == QLatin1String("batch")
                                      || QString::fromLocal8Bit(argv[1]) == QLatin1String("export")
                                      || QString::fromLocal8Bit(argv[1]) == QLatin1String("mail"));
        if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        std::unique_ptr<QCoreApplication> appPtr(gui ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        return Run(args);
    } catch (const tool::TUsageError &e) {
        PrintError(e.message + QStringLiteral(" (bailtool --help for usage)"));
    } catch (const dbase::EDBEngineError &e) {
        PrintError(QStringLiteral("[%1] %2").arg(e.Code()).arg(e.Message()));
    } catch (const std::bad_alloc &) {
        PrintError(QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        PrintError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        PrintError(QStringLiteral("unexpected failure"));
    }
    return 1;
}
