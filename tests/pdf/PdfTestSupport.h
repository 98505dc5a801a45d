#pragma once
// Reading back what the PDF writer wrote: whole files, page content streams, object counts,
// and the independent PDF tools the checks run.

#include "TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>
#include <zlib.h>

namespace pdftest {

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline int Count(const QByteArray &haystack, const QByteArray &needle)
{
    int n = 0;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + needle.size()))
        ++n;
    return n;
}

// Offset of "<number> 0 obj" at the start of a line, or -1.
inline qsizetype ObjectOffset(const QByteArray &pdf, int number)
{
    const QByteArray head = QByteArray::number(number) + " 0 obj\n";
    for (qsizetype at = pdf.indexOf(head); at >= 0; at = pdf.indexOf(head, at + 1))
        if (at == 0 || pdf[at - 1] == '\n')
            return at;
    return -1;
}

// A zlib stream inflated; empty when it is not one.
inline QByteArray Inflate(const QByteArray &packed)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return QByteArray();
    QByteArray out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    z.avail_in = uInt(packed.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray();
}

// The content stream of page index (0-based), inflated when it is compressed, found through the page objects' /Contents.
inline QByteArray PageContent(const QByteArray &pdf, int index)
{
    static const QRegularExpression contents(QStringLiteral("/Contents (\\d+) 0 R"));
    auto it = contents.globalMatch(QString::fromLatin1(pdf));
    for (int i = 0; it.hasNext(); ++i) {
        const auto match = it.next();
        if (i != index)
            continue;
        const qsizetype at = ObjectOffset(pdf, match.captured(1).toInt());
        if (at < 0)
            return QByteArray();
        const qsizetype lengthAt = pdf.indexOf("/Length ", at) + 8;
        const int length = pdf.mid(lengthAt, pdf.indexOf('\n', lengthAt) - lengthAt).toInt();
        const qsizetype data = pdf.indexOf("stream\n", at) + 7;
        const bool packed = pdf.mid(at, data - at).contains("/Filter/FlateDecode");
        return packed ? Inflate(pdf.mid(data, length)) : pdf.mid(data, length);
    }
    return QByteArray();
}

// Runs an independent tool; the test is skipped when the tool is not installed.
#define PDF_TOOL(program)                                                                         \
    do {                                                                                          \
        if (!testsupport::HaveProgram(QStringLiteral(program)))                                   \
            GTEST_SKIP() << program " not installed";                                             \
    } while (0)

inline QString ToolOutput(const QString &program, const QStringList &args, int *code = nullptr)
{
    QString out, err;
    const int rc = testsupport::Run(program, args, &out, &err);
    if (code)
        *code = rc;
    return out + err;
}

// qpdf --check says the file is sound and has nothing to warn about.
inline ::testing::AssertionResult QpdfClean(const QString &path)
{
    int rc = 0;
    const QString out = ToolOutput(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}, &rc);
    if (rc == 0 && out.contains(QLatin1String("No syntax or stream encoding errors")) &&
        !out.contains(QLatin1String("WARNING")))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << out.toStdString();
}

} // namespace pdftest
