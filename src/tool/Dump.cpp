// dump and keys: listings of rows and of index keys.

#include "tool/Commands.h"
#include "tool/DbfReader.h"
#include "tool/Output.h"

#include "dbase/CodePage.h"
#include "dbase/EngineError.h"
#include "dbase/File.h"
#include "dbase/Mdx.h"

#include <QDate>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tool {

namespace {

inline bool Blank(char c)
{
    return c == ' ' || c == '\0';
}

inline bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

// Appends one stored field in its listing form.
void AppendField(std::string &out, const TByteText &text, const dbase::FieldDef &f, const char *p)
{
    switch (f.type) {
    case dbase::FieldType::Character: {
        int e = f.width;
        while (e > 0 && p[e - 1] == ' ')
            --e;
        text.Append(out, p, size_t(e));
        return;
    }
    case dbase::FieldType::Logical:
        switch (p[0]) {
        case 'T': case 't': case 'Y': case 'y': out.push_back('T'); return;
        case 'F': case 'f': case 'N': case 'n': out.push_back('F'); return;
        default: return;
        }
    case dbase::FieldType::Date: {
        if (f.width != 8)
            return;
        for (int i = 0; i < 8; ++i)
            if (!Digit(p[i]))
                return;
        const int y = (p[0] - '0') * 1000 + (p[1] - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
        const int m = (p[4] - '0') * 10 + (p[5] - '0');
        const int d = (p[6] - '0') * 10 + (p[7] - '0');
        if (QDate::isValid(y, m, d))
            out.append(p, 8);
        return;
    }
    default: { // N and F
        int b = 0, e = f.width;
        while (b < e && Blank(p[b]))
            ++b;
        while (e > b && Blank(p[e - 1]))
            --e;
        text.Append(out, p + b, size_t(e - b));
        return;
    }
    }
}

// Appends a memo as its length and the start of its bytes: as text when they read as
// text, else in hex.
void AppendMemo(std::string &out, const TByteText &text, const QByteArray &memo)
{
    if (memo.isEmpty())
        return;
    constexpr qsizetype kTextPreview = 32;
    constexpr qsizetype kHexPreview = 16;
    out += std::to_string(memo.size());
    out += " bytes ";
    const qsizetype n = std::min(memo.size(), kTextPreview);
    bool isText = true;
    for (qsizetype i = 0; i < n && isText; ++i) {
        const auto b = uint8_t(memo[i]);
        isText = (b >= 0x20 && b != 0x7F) || b == '\t' || b == '\n' || b == '\r';
    }
    qsizetype shown = n;
    if (isText) {
        out.push_back('"');
        text.Append(out, memo.constData(), size_t(n));
        out.push_back('"');
    } else {
        static const char digits[] = "0123456789abcdef";
        shown = std::min(memo.size(), kHexPreview);
        out += "0x";
        for (qsizetype i = 0; i < shown; ++i) {
            out.push_back(digits[uint8_t(memo[i]) >> 4]);
            out.push_back(digits[uint8_t(memo[i]) & 15]);
        }
    }
    if (memo.size() > shown)
        out += "...";
}

QString FormatKey(const dbase::TagInfo &tag, const dbase::KeyBytes &key, const TByteText &text)
{
    switch (tag.type) {
    case dbase::KeyType::Numeric:
        return QString::fromStdString(dbase::DecodeNumericKey(key));
    case dbase::KeyType::Date: {
        const int jd = dbase::DecodeDateKey(key);
        if (jd == 0)
            return {};
        int y = 0, m = 0, d = 0;
        dbase::CivilFromJulian(jd, y, m, d);
        return QStringLiteral("%1%2%3").arg(y, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
    }
    case dbase::KeyType::Character:
        break;
    }
    size_t e = key.size();
    while (e > 0 && key[e - 1] == ' ')
        --e;
    std::string out;
    text.Append(out, key.data(), e);
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

} // namespace

int Dump(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const bool withDeleted = TakeFlag(args, QStringLiteral("--deleted"));
    const QString path = OnlyArgument(args, "FILE.dbf");

    TDbfReader reader(path);
    const auto &fields = reader.Header().fields;
    const TByteText text(reader.CodePage(), false);
    TOutput out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out.Put('|');
        std::string name = fields[i].name.toStdString();
        text.Append(out.Buffer(), name.data(), name.size());
    }
    out.EndLine();
    reader.ForEachBlock([&](uint32_t, const char *rows, uint32_t count) {
        const size_t length = reader.Header().recordLength;
        for (uint32_t r = 0; r < count; ++r) {
            const char *row = rows + r * length;
            const bool deleted = row[0] == char(dbase::fmt::kDeleted);
            if (deleted && !withDeleted)
                continue;
            std::string &buf = out.Buffer();
            if (deleted)
                buf.push_back('*');
            for (size_t i = 0; i < fields.size(); ++i) {
                if (i)
                    buf.push_back('|');
                if (fields[i].type == dbase::FieldType::Memo)
                    AppendMemo(buf, text, reader.ReadMemo(row, int(i)));
                else
                    AppendField(buf, text, fields[i], row + fields[i].offset);
            }
            out.EndLine();
        }
    });
    out.Flush();
    return 0;
}

int Keys(const QStringList &argsIn)
{
    if (argsIn.size() != 2)
        throw TUsageError{QStringLiteral("keys needs FILE.dbf and TAG")};
    const QString path = argsIn[0];
    const QString tagName = argsIn[1];
    const QFileInfo fi(path);
    const bool givenMdx = fi.suffix().compare(QLatin1String("mdx"), Qt::CaseInsensitive) == 0;
    const QString mdxPath = givenMdx ? path : dbase::FindFileNoCase(fi.absolutePath(), fi.completeBaseName() + QStringLiteral(".mdx"));
    if (!QFileInfo::exists(mdxPath))
        throw dbase::EDBEngineError(dbase::kTableNotFound, QStringLiteral("Index does not exist."))
            .Add(dbase::kTableNotFound, QStringLiteral("File: ") + mdxPath);

    // Key text is in the table's code page; without a readable table, assume Windows-1252.
    const dbase::CodePage *codePage = &dbase::CodePage::Windows1252();
    std::unique_ptr<TDbfReader> reader;
    if (!givenMdx) {
        reader = std::make_unique<TDbfReader>(path);
        codePage = &reader->CodePage();
    }

    dbase::File file(mdxPath, dbase::File::Mode::ReadOnly);
    file.Lock(dbase::fmt::kLockIndex, 1, dbase::LockKind::Shared);
    const dbase::MdxFile index(file);
    // Writers commit an append under the index lock, so the count read while holding it
    // tells committed rows from the entries a writer killed mid-append left behind.
    const uint32_t committed = reader ? reader->RefreshCount() : UINT32_MAX;
    const int tag = index.FindTag(tagName);
    if (tag < 0) {
        QStringList names;
        for (const auto &t : index.Tags())
            names << t.name;
        throw dbase::EDBEngineError(dbase::kTagNotFound, QStringLiteral("Index tag %1 not found in %2 (tags: %3).")
                                                             .arg(tagName, mdxPath, names.join(QLatin1Char(' '))));
    }
    const dbase::TagInfo &info = index.Tags()[size_t(tag)];
    const TByteText text(*codePage, true);
    TOutput out;
    for (const dbase::IndexEntry &e : index.All(tag)) {
        if (e.recno > committed)
            continue;
        out.Put(FormatKey(info, e.key, text));
        out.Put('\t');
        out.Put(std::to_string(e.recno));
        out.EndLine();
    }
    out.Flush();
    return 0;
}

} // namespace tool
