#include "Format.h"

#include "EngineError.h"

#include <QDate>
#include <cstring>

namespace dbase {

namespace fmt {

uint16_t GetU16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t GetU32(const uint8_t *p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
void PutU16(uint8_t *p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void PutU32(uint8_t *p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24); }

} // namespace fmt

namespace {

bool KnownVersion(uint8_t v)
{
    switch (v) {
    case 0x03: case 0x83: case 0x8B: case 0x43: case 0xCB: case 0x63: case 0x8E: case 0x7B:
        return true;
    default:
        return false;
    }
}

bool KnownType(char t)
{
    return t == 'C' || t == 'N' || t == 'F' || t == 'L' || t == 'D' || t == 'M';
}

} // namespace

int HeaderLengthOf(const uint8_t *first32)
{
    return fmt::GetU16(first32 + fmt::kOffHeaderLength);
}

DbfHeader DecodeHeader(const QString &path, const std::string &bytes, uint64_t fileSize)
{
    if (bytes.size() < size_t(fmt::kHeaderSize))
        ThrowCorrupt(path, QStringLiteral("header shorter than 32 bytes"));
    const auto *b = reinterpret_cast<const uint8_t *>(bytes.data());
    DbfHeader h;
    h.version = b[fmt::kOffVersion];
    if (!KnownVersion(h.version))
        ThrowCorrupt(path, QStringLiteral("not a dBase III/IV table (version byte 0x%1)")
                               .arg(h.version, 2, 16, QLatin1Char('0')));
    h.year = b[1] < 80 ? 2000 + b[1] : 1900 + b[1];
    h.month = b[2];
    h.day = b[3];
    h.recordCount = fmt::GetU32(b + fmt::kOffRecordCount);
    h.headerLength = fmt::GetU16(b + fmt::kOffHeaderLength);
    h.recordLength = fmt::GetU16(b + fmt::kOffRecordLength);
    h.productionIndex = b[fmt::kOffProductionIndex] == 1;
    h.language = b[fmt::kOffLanguage];
    if (b[fmt::kOffEncrypted] == 0x01)
        ThrowCorrupt(path, QStringLiteral("the table is encrypted"));
    if (h.headerLength < fmt::kHeaderSize + 1 || h.headerLength > bytes.size())
        ThrowCorrupt(path, QStringLiteral("invalid header length %1").arg(h.headerLength));
    if (h.recordLength < 1)
        ThrowCorrupt(path, QStringLiteral("invalid record length %1").arg(h.recordLength));
    if (uint64_t(h.headerLength) + uint64_t(h.recordCount) * h.recordLength > fileSize)
        ThrowCorrupt(path, QStringLiteral("record count %1 does not fit the file size").arg(h.recordCount));

    // Descriptors run until the terminator; FoxPro-style files have more bytes after it.
    int offset = 1;
    for (int pos = fmt::kHeaderSize; ; pos += fmt::kDescriptorSize) {
        if (pos >= h.headerLength)
            ThrowCorrupt(path, QStringLiteral("field descriptors are not terminated"));
        if (b[pos] == fmt::kTerminator)
            break;
        if (pos + fmt::kDescriptorSize > h.headerLength)
            ThrowCorrupt(path, QStringLiteral("field descriptor runs past the header"));
        if (h.fields.size() >= size_t(fmt::kMaxFields))
            ThrowCorrupt(path, QStringLiteral("too many fields"));
        const uint8_t *d = b + pos;
        FieldDef f;
        int n = 0;
        while (n < 11 && d[n] != 0)
            ++n;
        f.name = QString::fromLatin1(reinterpret_cast<const char *>(d), n).toUpper();
        const char t = char(d[fmt::kOffFieldType]);
        if (!KnownType(t))
            ThrowCorrupt(path, QStringLiteral("field %1 has unknown type '%2'").arg(f.name, QChar(t)));
        f.type = FieldType(t);
        f.width = d[fmt::kOffFieldWidth];
        f.decimals = d[fmt::kOffFieldDecimals];
        // Character fields wider than 255 keep the high byte in the decimals byte (Clipper, FoxPro).
        if (f.type == FieldType::Character && f.decimals != 0) {
            f.width += f.decimals << 8;
            f.decimals = 0;
        }
        f.indexFlag = d[fmt::kOffFieldIndexFlag] == 1;
        if (f.width == 0 || n == 0)
            ThrowCorrupt(path, QStringLiteral("field %1 has an invalid name or width").arg(h.fields.size() + 1));
        f.offset = offset;
        offset += f.width;
        h.fields.push_back(std::move(f));
    }
    if (h.fields.empty())
        ThrowCorrupt(path, QStringLiteral("the table has no fields"));
    if (offset != h.recordLength)
        ThrowCorrupt(path, QStringLiteral("record length %1 differs from the fields' total %2")
                               .arg(h.recordLength).arg(offset));
    return h;
}

void PutToday(uint8_t *date3)
{
    const QDate today = QDate::currentDate();
    date3[0] = uint8_t(today.year() - 1900);
    date3[1] = uint8_t(today.month());
    date3[2] = uint8_t(today.day());
}

std::string EncodeHeader(DbfHeader &h)
{
    const size_t headerLength = fmt::kHeaderSize + fmt::kDescriptorSize * h.fields.size() + 1;
    std::string out(headerLength, '\0');
    auto *b = reinterpret_cast<uint8_t *>(out.data());
    b[fmt::kOffVersion] = h.version;
    PutToday(b + fmt::kOffDate);
    int offset = 1;
    for (size_t i = 0; i < h.fields.size(); ++i) {
        FieldDef &f = h.fields[i];
        f.offset = offset;
        offset += f.width;
        uint8_t *d = b + fmt::kHeaderSize + fmt::kDescriptorSize * i;
        const QByteArray name = f.name.toUpper().toLatin1().left(10);
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[fmt::kOffFieldType] = uint8_t(f.type);
        d[fmt::kOffFieldWidth] = uint8_t(f.width);
        d[fmt::kOffFieldDecimals] = uint8_t(f.decimals);
        d[fmt::kOffWorkArea] = 0x01;
        d[fmt::kOffFieldIndexFlag] = f.indexFlag ? 1 : 0;
    }
    b[headerLength - 1] = fmt::kTerminator;
    h.headerLength = uint16_t(headerLength);
    h.recordLength = uint16_t(offset);
    fmt::PutU32(b + fmt::kOffRecordCount, h.recordCount);
    fmt::PutU16(b + fmt::kOffHeaderLength, h.headerLength);
    fmt::PutU16(b + fmt::kOffRecordLength, h.recordLength);
    b[fmt::kOffProductionIndex] = h.productionIndex ? 1 : 0;
    b[fmt::kOffLanguage] = h.language;
    return out;
}

} // namespace dbase
