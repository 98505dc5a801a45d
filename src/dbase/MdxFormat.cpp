// Byte-level pieces of the .mdx format: header dates, tag-table threads, node
// serialisation, and the key encodings and comparisons declared in Mdx.h.

#include "MdxFormat.h"

#include "EngineError.h"
#include "Mdx.h"

#include <QString>

#include <bit>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>

namespace dbase {
namespace mdx {

std::array<uint8_t, 3> TodayBytes()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    localtime_r(&now, &tm);
    return {uint8_t(tm.tm_year), uint8_t(tm.tm_mon + 1), uint8_t(tm.tm_mday)};
}

std::vector<Threads> ComputeThreads(const std::vector<std::array<uint8_t, kTagEntrySize>> &entries)
{
    std::vector<Threads> t(entries.size());
    auto name = [&](size_t i) { return entries[i].data() + kTeName; };
    for (size_t k = 1; k < entries.size(); ++k) {
        size_t at = 0; // 0-based index of the node we compare with
        for (;;) {
            const bool lower = std::memcmp(name(k), name(at), kTeNameLen) < 0;
            uint8_t &slot = lower ? t[at].left : t[at].right;
            if (slot == 0) {
                slot = uint8_t(k + 1);
                t[k].parent = uint8_t(at + 1);
                break;
            }
            at = size_t(slot - 1);
        }
    }
    return t;
}

std::string FixedString(const uint8_t *p, size_t maxLen)
{
    size_t n = 0;
    while (n < maxLen && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char *>(p), n);
}

void BuildNode(uint8_t *block, uint32_t blockSize, int itemLength, int keyLength,
               const std::vector<std::string> &keys, const std::vector<uint32_t> &pointers, uint32_t rightmost)
{
    std::memset(block, 0, blockSize);
    PutU32(block + kNodeCount, uint32_t(keys.size()));
    uint8_t *item = block + kNodeItems;
    for (size_t i = 0; i < keys.size(); ++i, item += itemLength) {
        PutU32(item, pointers[i]);
        std::memcpy(item + 4, keys[i].data(), size_t(keyLength));
    }
    PutU32(item, rightmost);
}

} // namespace mdx

// ---- keys -------------------------------------------------------------------

namespace {

// Total order on the 8 bytes of a date key: doubles by value, with -0 as +0 and NaNs
// ordered by their bits, so sorting damaged keys still sees a strict weak order.
uint64_t DateOrder(const uint8_t *p)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | p[i];
    if (bits == 0x8000000000000000ull)
        bits = 0;
    return (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
}

// Decoded view of a numeric key: sign class (-1, 0, +1), exponent byte and digits
// with the nibbles past the digit count zeroed.
struct Bcd {
    int sign = 0;
    uint8_t exponent = 0;
    std::array<uint8_t, 10> digits {};
};

Bcd DecodeBcd(const uint8_t *p)
{
    Bcd b;
    int count = (p[1] >> 2) & 31;
    if (count > 20)
        count = 20;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = p[2 + i / 2];
        const uint8_t nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (nibble != 0)
            any = true;
        b.digits[size_t(i / 2)] |= (i % 2 == 0) ? uint8_t(nibble << 4) : nibble;
    }
    if (!any)
        return b; // zero, whatever its sign and exponent bytes say
    b.sign = (p[1] & 0x80) ? -1 : 1;
    b.exponent = p[0];
    return b;
}

int CompareBcd(const uint8_t *a, const uint8_t *b)
{
    const Bcd x = DecodeBcd(a), y = DecodeBcd(b);
    if (x.sign != y.sign)
        return x.sign < y.sign ? -1 : 1;
    if (x.sign == 0)
        return 0;
    int magnitude = 0;
    if (x.exponent != y.exponent)
        magnitude = x.exponent < y.exponent ? -1 : 1;
    else
        magnitude = std::memcmp(x.digits.data(), y.digits.data(), x.digits.size());
    magnitude = magnitude < 0 ? -1 : (magnitude > 0 ? 1 : 0);
    return x.sign < 0 ? -magnitude : magnitude;
}

[[noreturn]] void ThrowBadNumber(const std::string &text)
{
    throw EDBEngineError(kInvalidField, QStringLiteral("Value '%1' cannot be stored as a numeric index key.")
                                            .arg(QString::fromLatin1(text.data(), qsizetype(text.size()))));
}

// Packs significant digits (no leading zeros) with the decimal point position
// (digits before the point, may be <= 0) into a 12-byte key.
KeyBytes PackBcd(bool negative, std::string digits, int pointPos, const std::string &source)
{
    size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        KeyBytes zero(12, '\0');
        zero[0] = char(0x34);
        zero[1] = char(0x01);
        return zero;
    }
    pointPos -= int(first);
    digits.erase(0, first);
    if (digits.size() > 20) {
        // Round half up on the 21st digit; a carry may lengthen the number.
        const bool up = digits[20] >= '5';
        digits.resize(20);
        if (up) {
            int i = 19;
            for (; i >= 0 && digits[size_t(i)] == '9'; --i)
                digits[size_t(i)] = '0';
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                digits.resize(20);
                ++pointPos;
            } else {
                ++digits[size_t(i)];
            }
        }
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (pointPos < -52 || pointPos > 203)
        ThrowBadNumber(source);
    KeyBytes key(12, '\0');
    key[0] = char(0x34 + pointPos);
    key[1] = char((negative ? 0x80 : 0) | (int(digits.size()) << 2) | 0x01);
    for (size_t i = 0; i < digits.size(); ++i) {
        const uint8_t d = uint8_t(digits[i] - '0');
        key[2 + i / 2] = char(uint8_t(key[2 + i / 2]) | (i % 2 == 0 ? uint8_t(d << 4) : d));
    }
    return key;
}

} // namespace

int mdx::CompareRaw(char type, const uint8_t *a, const uint8_t *b, size_t len)
{
    if (type == 'N' && len >= 12)
        return CompareBcd(a, b);
    if (type == 'D' && len >= 8) {
        const uint64_t x = DateOrder(a), y = DateOrder(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = std::memcmp(a, b, len);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareKeys(KeyType type, const KeyBytes &a, const KeyBytes &b)
{
    const auto *x = reinterpret_cast<const uint8_t *>(a.data());
    const auto *y = reinterpret_cast<const uint8_t *>(b.data());
    if (a.size() == b.size())
        return mdx::CompareRaw(char(type), x, y, a.size());
    const int c = mdx::CompareRaw(char(type), x, y, std::min(a.size(), b.size()));
    if (c != 0 && type == KeyType::Character)
        return c;
    return c != 0 ? c : (a.size() < b.size() ? -1 : 1);
}

KeyBytes EncodeCharKey(const std::string &bytes, int keyLength)
{
    KeyBytes key = bytes.substr(0, size_t(std::max(keyLength, 0)));
    key.resize(size_t(std::max(keyLength, 0)), ' ');
    return key;
}

KeyBytes EncodeNumericKey(double value)
{
    if (!std::isfinite(value))
        ThrowBadNumber(std::to_string(value));
    if (value == 0)
        return PackBcd(false, "0", 1, "0");
    // Shortest text that reads back as the same double: d.ddddde±x.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    const std::string text(buf, res.ptr);
    const size_t e = text.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    const int exponent = std::atoi(text.c_str() + e + 1);
    return PackBcd(value < 0, digits, exponent + 1, text);
}

KeyBytes EncodeNumericKeyFromText(const std::string &text)
{
    size_t i = 0, end = text.size();
    while (i < end && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    bool negative = false, signed_ = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        signed_ = true;
        ++i;
    }
    std::string digits;
    int pointPos = -1;
    bool sawDigit = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            sawDigit = true;
        } else if (c == '.' && pointPos < 0) {
            pointPos = int(digits.size());
        } else {
            ThrowBadNumber(text);
        }
    }
    if (!sawDigit) {
        if (signed_ || pointPos >= 0)
            ThrowBadNumber(text);
        return PackBcd(false, "0", 1, text); // blank counts as zero
    }
    if (pointPos < 0)
        pointPos = int(digits.size());
    return PackBcd(negative, digits, pointPos, text);
}

KeyBytes EncodeDateKey(int julianDay)
{
    const double v = julianDay == 0 ? 0.0 : double(julianDay);
    uint64_t bits = std::bit_cast<uint64_t>(v);
    KeyBytes key(8, '\0');
    for (int i = 0; i < 8; ++i, bits >>= 8)
        key[size_t(i)] = char(uint8_t(bits));
    return key;
}

std::string DecodeNumericKey(const KeyBytes &key)
{
    if (key.size() < 12)
        return "0";
    const auto *p = reinterpret_cast<const uint8_t *>(key.data());
    int count = std::min((p[1] >> 2) & 31, 20);
    std::string digits;
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = p[2 + i / 2];
        digits += "0123456789ABCDEF"[(i % 2 == 0) ? (byte >> 4) : (byte & 0x0F)];
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    const size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return "0";
    const int pointPos = int(p[0]) - 0x34;
    std::string out;
    if (pointPos <= 0)
        out = "0." + std::string(size_t(-pointPos), '0') + digits;
    else if (size_t(pointPos) >= digits.size())
        out = digits + std::string(size_t(pointPos) - digits.size(), '0');
    else
        out = digits.substr(0, size_t(pointPos)) + "." + digits.substr(size_t(pointPos));
    if (p[1] & 0x80)
        out.insert(out.begin(), '-');
    return out;
}

int DecodeDateKey(const KeyBytes &key)
{
    if (key.size() < 8)
        return 0;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | uint8_t(key[size_t(i)]);
    const double v = std::bit_cast<double>(bits);
    if (!std::isfinite(v) || v < 1 || v > double(std::numeric_limits<int>::max()))
        return 0;
    return int(std::lround(v));
}

// Julian day number of a proleptic Gregorian date, counted with March as the first
// month so that the leap day falls at the end of the computed year.
int JulianDay(int year, int month, int day)
{
    const int64_t a = (14 - month) / 12;
    const int64_t y = int64_t(year) + 4800 - a;
    const int64_t m = month + 12 * a - 3;
    return int(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045);
}

void CivilFromJulian(int jd, int &year, int &month, int &day)
{
    const int64_t a = int64_t(jd) + 32044;
    const int64_t b = (4 * a + 3) / 146097;
    const int64_t c = a - 146097 * b / 4;
    const int64_t d = (4 * c + 3) / 1461;
    const int64_t e = c - 1461 * d / 4;
    const int64_t m = (5 * e + 2) / 153;
    day = int(e - (153 * m + 2) / 5 + 1);
    month = int(m + 3 - 12 * (m / 10));
    year = int(100 * b + d - 4800 + m / 10);
}

} // namespace dbase
