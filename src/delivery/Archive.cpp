#include "delivery/Archive.h"

#include "dbase/Cursor.h"
#include "dbase/Database.h"
#include "dbase/EngineError.h"
#include "dbase/Table.h"
#include "ui/WaitCursor.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>
#include <vector>

namespace delivery {

namespace {

using dbase::FieldDef;
using dbase::FieldType;

// The field sizes are ours: the product that owns these tables does not publish them.
std::vector<FieldDef> ArchiveFields()
{
    return {{QStringLiteral("NODOCUM"), FieldType::Numeric, 10, 0},
            {QStringLiteral("NOCIE"), FieldType::Numeric, 4, 0},
            {QStringLiteral("NODIV"), FieldType::Numeric, 4, 0},
            {QStringLiteral("LOGI"), FieldType::Character, 10, 0},
            {QStringLiteral("PROG"), FieldType::Numeric, 10, 0},
            {QStringLiteral("USAGER"), FieldType::Character, 20, 0},
            {QStringLiteral("DESC"), FieldType::Character, kDescriptionLength, 0},
            {QStringLiteral("DATE"), FieldType::Date, 8, 0},
            {QStringLiteral("DOCUMENT"), FieldType::Memo, 10, 0}};
}

std::vector<FieldDef> LinkFields()
{
    return {{QStringLiteral("NOCIE"), FieldType::Numeric, 4, 0},
            {QStringLiteral("NODIV"), FieldType::Numeric, 4, 0},
            {QStringLiteral("FICHIER"), FieldType::Character, 10, 0},
            {QStringLiteral("CODE"), FieldType::Character, 20, 0},
            {QStringLiteral("CODEEXT"), FieldType::Character, 20, 0},
            {QStringLiteral("CODEEXT2"), FieldType::Character, 20, 0},
            {QStringLiteral("NOCIEDOC"), FieldType::Numeric, 4, 0},
            {QStringLiteral("NODIVDOC"), FieldType::Numeric, 4, 0},
            {QStringLiteral("NODOCUM"), FieldType::Numeric, 10, 0}};
}

// Opens one archive table through its tag, or logs why it cannot.
std::unique_ptr<dbase::Table> OpenLogged(const char *file)
{
    try {
        return dbase::Session::Instance().OpenTable(QLatin1String(kArchiveDatabase), QLatin1String(file));
    } catch (const dbase::EDBEngineError &e) {
        LogDiagnostic(QStringLiteral("%1 : %2").arg(QLatin1String(file), 12).arg(e.Message()));
    } catch (const std::exception &e) {
        LogDiagnostic(QStringLiteral("%1 : %2").arg(QLatin1String(file), 12).arg(QString::fromUtf8(e.what())));
    }
    return nullptr;
}

// Characters first..first + count - 1 (1-based) of a link; trimmed unless told.
QString Column(const QString &link, int first, int count, bool trim = true)
{
    const QString part = link.mid(first - 1, count);
    return trim ? part.trimmed() : part;
}

long long NumberOr0(const QString &text)
{
    bool ok = false;
    const long long n = text.trimmed().toLongLong(&ok);
    return ok ? n : 0;
}

// The highest document number of a company and division, 0 when there is none.
long long LastDocument(dbase::Table &archive, int company, int division)
{
    dbase::Cursor c(archive);
    c.SetOrder(QLatin1String(kArchiveTag));
    const int nocie = archive.FieldIndex(QStringLiteral("NOCIE"));
    const int nodiv = archive.FieldIndex(QStringLiteral("NODIV"));
    const int nodocum = archive.FieldIndex(QStringLiteral("NODOCUM"));
    for (bool ok = c.Last(); ok; ok = c.Prior()) {
        const dbase::Record &r = c.Current();
        if (r.AsInteger(nocie).value_or(0) == company && r.AsInteger(nodiv).value_or(0) == division)
            return r.AsInteger(nodocum).value_or(0);
    }
    return 0;
}

// Another row of the same company and division holding number, before recno?
bool TakenEarlier(dbase::Table &archive, int company, int division, long long number, uint32_t recno)
{
    dbase::Cursor c(archive);
    c.SetOrder(QLatin1String(kArchiveTag));
    const int tag = archive.FindTag(QLatin1String(kArchiveTag));
    if (!c.FindKey(archive.KeyFromText(tag, QString::number(number))))
        return false;
    const int nocie = archive.FieldIndex(QStringLiteral("NOCIE"));
    const int nodiv = archive.FieldIndex(QStringLiteral("NODIV"));
    const int nodocum = archive.FieldIndex(QStringLiteral("NODOCUM"));
    do {
        const dbase::Record &r = c.Current();
        if (r.AsInteger(nodocum).value_or(0) != number)
            break;
        if (c.Recno() < recno && r.AsInteger(nocie).value_or(0) == company && r.AsInteger(nodiv).value_or(0) == division)
            return true;
    } while (c.Next());
    return false;
}

} // namespace

QString DiagnosticLogPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/leaseform/diagnostic.log");
}

void LogDiagnostic(const QString &line)
{
    const QString path = DiagnosticLogPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return; // a log that cannot be written must not stop what the user does
    QTextStream out(&f);
    out << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << line << '\n';
}

TPOBlobStream::TPOBlobStream(dbase::Record &record, int field, TKelMemoryStream::TProgress progress, bool compressed)
    : m_record(record)
    , m_field(field)
    , m_compressed(compressed)
    , m_stream(std::move(progress))
{
}

void TPOBlobStream::StorePrintout(printout::TPrintout &printout, int first, int count)
{
    m_stream.SaveToStream(printout, first, count);
    m_record.SetMemo(m_field, m_compressed ? m_stream.Compressed() : m_stream.Bytes());
}

bool HasArchiveLinks(const printout::TPrintout &printout)
{
    for (int n = 1; n <= printout.PageCount(); ++n)
        if (!printout.ArchiveLink(n).isEmpty())
            return true;
    return false;
}

int ArchivePages(printout::TPrintout &printout, int first, int last, bool withLinks, const QString &description)
{
    ui::TWaitCursor wait;
    first = std::max(first, 1);
    last = std::min(last, printout.PageCount());
    std::unique_ptr<dbase::Table> archive = OpenLogged(kArchiveTable);
    std::unique_ptr<dbase::Table> links = OpenLogged(kLinkTable);
    if (!archive || last < first)
        return 0;
    const printout::TUserContext *context = printout.UserContext();
    const int company = context ? context->company : 0;
    const int division = context ? context->division : 0;

    dbase::Record row = archive->NewRecord();
    row.SetInteger(row.Index(QStringLiteral("NOCIE")), company);
    row.SetInteger(row.Index(QStringLiteral("NODIV")), division);
    if (context) {
        row.SetString(row.Index(QStringLiteral("LOGI")), context->application);
        row.SetDouble(row.Index(QStringLiteral("PROG")), context->program);
        row.SetString(row.Index(QStringLiteral("USAGER")), context->user);
    }
    row.SetString(row.Index(QStringLiteral("DESC")), description.left(kDescriptionLength));
    row.SetDate(row.Index(QStringLiteral("DATE")), QDate::currentDate());
    long long number = LastDocument(*archive, company, division) + 1;
    row.SetInteger(row.Index(QStringLiteral("NODOCUM")), number);
    TPOBlobStream blob(row, row.Index(QStringLiteral("DOCUMENT")), {}, true);
    blob.StorePrintout(printout, first, last - first + 1);
    const uint32_t recno = archive->AppendRecord(row);

    // Two users archiving at once may both have taken the same number: the later row takes
    // the next free one.
    for (int attempt = 0; attempt < 100 && TakenEarlier(*archive, company, division, number, recno); ++attempt) {
        dbase::Record mine;
        archive->LockRecord(recno, &mine);
        number = LastDocument(*archive, company, division) + 1;
        mine.SetInteger(mine.Index(QStringLiteral("NODOCUM")), number);
        archive->WriteRecord(recno, mine);
        archive->UnlockRecord(recno);
    }

    const QString link = printout.ArchiveLink(first);
    if (withLinks && links && !link.isEmpty()) {
        dbase::Record l = links->NewRecord();
        l.SetInteger(l.Index(QStringLiteral("NOCIE")), NumberOr0(Column(link, 1, 2)));
        l.SetInteger(l.Index(QStringLiteral("NODIV")), NumberOr0(Column(link, 3, 2)));
        l.SetString(l.Index(QStringLiteral("FICHIER")), Column(link, 5, 10));
        l.SetString(l.Index(QStringLiteral("CODE")), Column(link, 15, 20, false));
        l.SetString(l.Index(QStringLiteral("CODEEXT")), Column(link, 35, 20));
        l.SetString(l.Index(QStringLiteral("CODEEXT2")), Column(link, 55, 20));
        l.SetInteger(l.Index(QStringLiteral("NOCIEDOC")), company);
        l.SetInteger(l.Index(QStringLiteral("NODIVDOC")), division);
        l.SetInteger(l.Index(QStringLiteral("NODOCUM")), number);
        links->AppendRecord(l);
    }
    return 1;
}

int ArchiveLinkedRuns(printout::TPrintout &printout, int first, int last, bool withLinks, const QString &description)
{
    int archived = 0;
    const int count = printout.PageCount();
    int page = std::max(first, 1);
    while (page <= count) {
        const QString link = printout.ArchiveLink(page);
        int end = page;
        while (end < count && printout.ArchiveLink(end + 1) == link)
            ++end;
        if (!link.isEmpty())
            archived += ArchivePages(printout, page, end, withLinks, description);
        if (end >= last)
            break;
        page = end + 1;
    }
    return archived;
}

void MakeArchiveTables(const QString &dir)
{
    if (!QDir().mkpath(dir))
        throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("Cannot create the folder %1.").arg(dir));
    const struct {
        const char *file, *tag, *field;
        std::vector<FieldDef> fields;
    } tables[] = {{kArchiveTable, kArchiveTag, "NODOCUM", ArchiveFields()}, {kLinkTable, kLinkTag, "NODOCUM", LinkFields()}};
    for (const auto &t : tables) {
        const QString path = QDir(dir).filePath(QLatin1String(t.file));
        if (QFileInfo::exists(path))
            throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("%1 exists already; it is left as it is.").arg(path));
    }
    for (const auto &t : tables) {
        const QString path = QDir(dir).filePath(QLatin1String(t.file));
        dbase::Table::Create(path, t.fields);
        dbase::Table table(path, dbase::Table::Mode::Exclusive);
        table.AddTag(QLatin1String(t.tag), QLatin1String(t.field));
    }
}

} // namespace delivery
