#pragma once
// Helpers of the bailtool tests: running programs on raw bytes, parsing listings,
// reading the same tables through the Perl XBase reader.

#include "support/TestSupport.h"

#include "db/FileOps.h"
#include "dbase/CodePage.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tooltest {

// Runs a program, keeping its output as bytes; returns the exit code (negative when it
// did not start, timed out or crashed).
inline int RunRaw(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        return -2;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
}

inline int Tool(const QStringList &args, QString *out = nullptr, QString *err = nullptr)
{
    return testsupport::Run(testsupport::Bailtool(), args, out, err, 300000);
}

// Splits one listing line on unescaped '|' and undoes the escapes.
inline QStringList SplitEscaped(const QString &line)
{
    QStringList fields;
    QString cur;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            const QChar n = line[++i];
            cur += n == QLatin1Char('n') ? QChar('\n') : n == QLatin1Char('r') ? QChar('\r')
                 : n == QLatin1Char('0') ? QChar(char16_t(0)) : n == QLatin1Char('t') ? QChar('\t') : n;
        } else if (c == QLatin1Char('|')) {
            fields << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    fields << cur;
    return fields;
}

// Lines of a dump: the header first, then the rows.
inline std::vector<QStringList> ParseDump(const QByteArray &out)
{
    std::vector<QStringList> rows;
    const QString text = QString::fromUtf8(out);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (const QString &line : lines)
        rows.push_back(SplitEscaped(line));
    return rows;
}

// Live rows as the Perl reader gives them, decoded from the table's code page.
inline std::vector<QStringList> PerlRows(const QString &path)
{
    static const QByteArray fs = "\x1f<F>\x1f";
    static const QByteArray rs = "\x1e<R>\x1e\n";
    QByteArray out, err;
    const int rc = RunRaw(QStringLiteral("dbf_dump"), {QStringLiteral("--nomemo"), QStringLiteral("--fs"), QString::fromLatin1(fs),
                                                      QStringLiteral("--rs"), QString::fromLatin1(rs), path}, &out, &err);
    std::vector<QStringList> rows;
    if (rc != 0) {
        ADD_FAILURE() << "dbf_dump failed on " << path.toStdString() << ": " << err.toStdString();
        return rows;
    }
    const dbase::CodePage &cp = dbase::CodePage::ForLanguageDriver(db::ReadTableHeader(path).language);
    qsizetype at = 0;
    while (at < out.size()) {
        qsizetype end = out.indexOf(rs, at);
        if (end < 0)
            end = out.size();
        const QByteArray record = out.mid(at, end - at);
        QStringList values;
        qsizetype f = 0;
        for (;;) {
            const qsizetype next = record.indexOf(fs, f);
            const QByteArray v = record.mid(f, next < 0 ? -1 : next - f);
            values << cp.Decode(v.constData(), size_t(v.size()));
            if (next < 0)
                break;
            f = next + fs.size();
        }
        rows.push_back(values);
        at = end + rs.size();
    }
    return rows;
}

inline QString ChopSpaces(QString s)
{
    while (!s.isEmpty() && QStringLiteral(" \t\n\r\f\v").contains(s.back()))
        s.chop(1);
    return s;
}

// Compares one value of ours with Perl's, allowing for how Perl prints numbers
// (as numbers), logicals (1/0), dates (numbers, so a zero date is 0) and text (all
// trailing white space removed).
inline bool SameValue(dbase::FieldType type, const QString &ours, const QString &perl)
{
    switch (type) {
    case dbase::FieldType::Memo:
        return true; // Perl prints the memo text, we print its block number
    case dbase::FieldType::Logical:
        return (ours == QLatin1String("T") && perl == QLatin1String("1"))
               || (ours == QLatin1String("F") && perl == QLatin1String("0")) || (ours.isEmpty() && perl.isEmpty());
    case dbase::FieldType::Date:
        return ours == perl || (ours.isEmpty() && perl == QLatin1String("0"));
    case dbase::FieldType::Numeric:
    case dbase::FieldType::Float: {
        if (ours.isEmpty() || perl.isEmpty())
            return ours.isEmpty() && perl.isEmpty();
        bool ok1 = false, ok2 = false;
        const double a = ours.toDouble(&ok1), b = perl.toDouble(&ok2);
        return ok1 && ok2 && std::fabs(a - b) <= 1e-12 * std::max(1.0, std::fabs(a));
    }
    case dbase::FieldType::Character:
        break;
    }
    return ChopSpaces(ours) == perl;
}

// Dumps a table with bailtool and with Perl and reports every difference.
inline void ExpectDumpMatchesPerl(const QString &path)
{
    SCOPED_TRACE(path.toStdString());
    QByteArray out, err;
    ASSERT_EQ(RunRaw(testsupport::Bailtool(), {QStringLiteral("dump"), path}, &out, &err), 0) << err.toStdString();
    const auto ours = ParseDump(out);
    const auto header = db::ReadTableHeader(path);
    ASSERT_FALSE(ours.empty());
    ASSERT_EQ(ours[0].size(), qsizetype(header.fields.size()));
    for (size_t i = 0; i < header.fields.size(); ++i)
        EXPECT_EQ(ours[0][qsizetype(i)], header.fields[i].name);
    const auto perl = PerlRows(path);
    ASSERT_EQ(ours.size() - 1, perl.size());
    // dbf_dump looks fields up by name, so a repeated name shows the first field's value;
    // those are compared positionally by DuplicateFieldsMatchPerl.
    std::vector<bool> duplicate(header.fields.size(), false);
    for (size_t f = 0; f < header.fields.size(); ++f)
        for (size_t g = 0; g < f; ++g)
            duplicate[f] = duplicate[f] || header.fields[g].name == header.fields[f].name;
    int reported = 0;
    for (size_t r = 0; r < perl.size() && reported < 20; ++r) {
        const QStringList &a = ours[r + 1];
        const QStringList &b = perl[r];
        if (a.size() != b.size() || a.size() != qsizetype(header.fields.size())) {
            ADD_FAILURE() << "row " << r << ": " << a.size() << " values against Perl's " << b.size();
            ++reported;
            continue;
        }
        for (size_t f = 0; f < header.fields.size(); ++f)
            if (!duplicate[f] && !SameValue(header.fields[f].type, a[qsizetype(f)], b[qsizetype(f)]) && reported++ < 20)
                ADD_FAILURE() << "row " << r << " field " << header.fields[f].name.toStdString() << ": ours '"
                              << a[qsizetype(f)].toStdString() << "', Perl '" << b[qsizetype(f)].toStdString() << "'";
    }
}

} // namespace tooltest
