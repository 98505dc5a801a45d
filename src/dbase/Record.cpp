#include "Record.h"

#include "CodePage.h"
#include "EngineError.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dbase {

int Layout::FieldIndex(const QString &name) const
{
    auto it = byName.constFind(name.toUpper());
    return it == byName.constEnd() ? -1 : it.value();
}

Record::Record(std::shared_ptr<const Layout> layout)
    : m_layout(std::move(layout))
    , m_bytes(size_t(m_layout->recordLength), ' ')
{
}

void Record::SetDeleted(bool deleted)
{
    m_bytes[0] = char(deleted ? fmt::kDeleted : fmt::kActive);
}

int Record::Index(const QString &name) const
{
    const int i = m_layout->FieldIndex(name);
    if (i < 0)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field '%1' not found.").arg(name));
    return i;
}

const FieldDef &Record::Def(int field) const
{
    if (field < 0 || size_t(field) >= m_layout->fields.size())
        throw EDBEngineError(kInvalidField, QStringLiteral("Field number %1 out of range.").arg(field));
    return m_layout->fields[size_t(field)];
}

QString Record::TrimmedAscii(int field) const
{
    const FieldDef &f = Def(field);
    const char *p = Ptr(field);
    int b = 0, e = f.width;
    while (b < e && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\0'))
        --e;
    return QString::fromLatin1(p + b, e - b);
}

bool Record::IsNull(int field) const
{
    const FieldDef &f = Def(field);
    const char *p = Ptr(field);
    switch (f.type) {
    case FieldType::Character:
        for (int i = 0; i < f.width; ++i)
            if (p[i] != ' ')
                return false;
        return true;
    case FieldType::Logical:
        return !AsBoolean(field).has_value();
    case FieldType::Date:
        return !AsDate(field).isValid();
    case FieldType::Numeric:
    case FieldType::Float:
        return !AsDouble(field).has_value();
    case FieldType::Memo:
        return !PendingMemo(field) && MemoBlock(field) == 0u; // block 0 is the header: no memo
    }
    return true;
}

QString Record::AsString(int field) const
{
    const FieldDef &f = Def(field);
    const char *p = Ptr(field);
    switch (f.type) {
    case FieldType::Character: {
        int e = f.width;
        while (e > 0 && p[e - 1] == ' ')
            --e;
        return m_layout->codePage->Decode(p, size_t(e));
    }
    case FieldType::Logical: {
        const auto b = AsBoolean(field);
        return b ? QString(*b ? QStringLiteral("T") : QStringLiteral("F")) : QString();
    }
    case FieldType::Date: {
        const QDate d = AsDate(field);
        return d.isValid() ? d.toString(QStringLiteral("yyyyMMdd")) : QString();
    }
    default:
        return TrimmedAscii(field);
    }
}

std::optional<double> Record::AsDouble(int field) const
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Numeric && f.type != FieldType::Float) {
        bool ok = false;
        const double v = AsString(field).trimmed().toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    }
    const QString t = TrimmedAscii(field);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok); // QString::toDouble is locale-independent
    if (!ok || !std::isfinite(v))
        return std::nullopt; // e.g. a field overflowed with '*'
    return v;
}

std::optional<long long> Record::AsInteger(int field) const
{
    const auto d = AsDouble(field);
    if (!d)
        return std::nullopt;
    if (*d > 9.2e18 || *d < -9.2e18)
        return std::nullopt;
    return static_cast<long long>(std::llround(*d));
}

std::optional<bool> Record::AsBoolean(int field) const
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Logical)
        return std::nullopt;
    switch (Ptr(field)[0]) {
    case 'T': case 't': case 'Y': case 'y': return true;
    case 'F': case 'f': case 'N': case 'n': return false;
    default: return std::nullopt;
    }
}

QDate Record::AsDate(int field) const
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Date || f.width != 8)
        return {};
    const char *p = Ptr(field);
    int v[8];
    for (int i = 0; i < 8; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return {};
        v[i] = p[i] - '0';
    }
    const int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
    const int m = v[4] * 10 + v[5];
    const int d = v[6] * 10 + v[7];
    return QDate(y, m, d); // 00000000 and impossible dates read as blank
}

std::string Record::RawField(int field) const
{
    const FieldDef &f = Def(field);
    return std::string(Ptr(field), size_t(f.width));
}

void Record::Clear(int field)
{
    const FieldDef &f = Def(field);
    DropPendingMemo(field);
    std::memset(Ptr(field), ' ', size_t(f.width));
}

void Record::SetRawField(int field, const std::string &bytes)
{
    const FieldDef &f = Def(field);
    DropPendingMemo(field);
    char *p = Ptr(field);
    std::memset(p, ' ', size_t(f.width));
    std::memcpy(p, bytes.data(), std::min(bytes.size(), size_t(f.width)));
}

std::string FormatNumber(double value, int width, int decimals)
{
    if (!std::isfinite(value))
        return {};
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    if (n <= 0 || n > width)
        return {};
    std::string s(buf, size_t(n));
    if (s == "-0" || (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos))
        s.erase(0, 1); // no negative zero
    return std::string(size_t(width) - s.size(), ' ') + s;
}

void Record::SetDouble(int field, double value)
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Numeric && f.type != FieldType::Float) {
        SetString(field, QString::number(value));
        return;
    }
    const std::string s = FormatNumber(value, f.width, f.decimals);
    if (s.empty())
        throw EDBEngineError(kInvalidField, QStringLiteral("Value %1 does not fit field %2 (width %3).")
                                                .arg(value).arg(f.name).arg(f.width));
    std::memcpy(Ptr(field), s.data(), size_t(f.width));
}

void Record::SetInteger(int field, long long value)
{
    SetDouble(field, double(value));
}

void Record::SetBoolean(int field, bool value)
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Logical)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field %1 is not logical.").arg(f.name));
    Ptr(field)[0] = value ? 'T' : 'F';
}

void Record::SetDate(int field, const QDate &date)
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Date)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field %1 is not a date.").arg(f.name));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        Clear(field);
        return;
    }
    const QByteArray s = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    std::memcpy(Ptr(field), s.constData(), 8);
}

void Record::SetString(int field, const QString &text)
{
    const FieldDef &f = Def(field);
    if (text.isEmpty()) {
        Clear(field);
        return;
    }
    switch (f.type) {
    case FieldType::Character: {
        std::string bytes = m_layout->codePage->Encode(text);
        if (bytes.size() > size_t(f.width))
            bytes.resize(size_t(f.width));
        SetRawField(field, bytes);
        return;
    }
    case FieldType::Numeric:
    case FieldType::Float: {
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok)
            throw EDBEngineError(kInvalidField, QStringLiteral("'%1' is not a valid number for field %2.")
                                                    .arg(text, f.name));
        SetDouble(field, v);
        return;
    }
    case FieldType::Logical: {
        const QChar c = text.at(0).toUpper();
        if (c == 'T' || c == 'Y' || c == 'O')
            SetBoolean(field, true);
        else if (c == 'F' || c == 'N')
            SetBoolean(field, false);
        else
            throw EDBEngineError(kInvalidField, QStringLiteral("'%1' is not a valid logical value for field %2.")
                                                    .arg(text, f.name));
        return;
    }
    case FieldType::Date: {
        QString t = text.trimmed();
        t.remove(QLatin1Char('/')).remove(QLatin1Char('-'));
        const QDate d = QDate::fromString(t, QStringLiteral("yyyyMMdd"));
        if (!d.isValid())
            throw EDBEngineError(kInvalidField, QStringLiteral("'%1' is not a valid date for field %2.")
                                                    .arg(text, f.name));
        SetDate(field, d);
        return;
    }
    case FieldType::Memo:
        throw EDBEngineError(kInvalidOperation, QStringLiteral("Memo field %1 takes bytes, not text.").arg(f.name));
    }
}

void Record::DropPendingMemo(int field)
{
    std::erase_if(m_pendingMemos, [field](const auto &p) { return p.first == field; });
}

void Record::SetMemo(int field, const QByteArray &bytes)
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Memo)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field %1 is not a memo field.").arg(f.name));
    if (bytes.isEmpty()) {
        Clear(field);
        return;
    }
    DropPendingMemo(field);
    m_pendingMemos.push_back({field, bytes});
}

std::optional<uint32_t> Record::MemoBlock(int field) const
{
    const FieldDef &f = Def(field);
    if (f.type != FieldType::Memo)
        throw EDBEngineError(kInvalidField, QStringLiteral("Field %1 is not a memo field.").arg(f.name));
    const char *p = Ptr(field);
    int b = 0, e = f.width;
    while (b < e && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\0'))
        --e;
    uint64_t block = 0;
    for (int i = b; i < e; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return std::nullopt;
        block = block * 10 + uint64_t(p[i] - '0');
        if (block > UINT32_MAX)
            return std::nullopt;
    }
    return uint32_t(block);
}

const QByteArray *Record::PendingMemo(int field) const
{
    for (const auto &p : m_pendingMemos)
        if (p.first == field)
            return &p.second;
    return nullptr;
}

} // namespace dbase
