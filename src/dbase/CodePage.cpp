#include "CodePage.h"

#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace dbase {

namespace {

const char *IconvNameFor(uint8_t driver)
{
    switch (driver) {
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18:
    case 0x19: case 0x1B:
        return "CP437";
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A:
    case 0x1D: case 0x25: case 0x37:
        return "CP850";
    case 0x1C: return "CP863";
    case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: return "CP852";
    case 0x24: return "CP860";
    case 0x26: case 0x65: return "CP866";
    case 0x08: case 0x17: case 0x66: return "CP865";
    case 0x67: return "CP861";
    case 0x6A: return "CP737";
    case 0x6B: return "CP857";
    case 0x04: return "MACINTOSH";
    case 0xC8: return "CP1250";
    case 0xC9: return "CP1251";
    case 0xCA: return "CP1254";
    case 0xCB: return "CP1253";
    case 0x7D: return "CP1255";
    case 0x7E: return "CP1256";
    default: return "CP1252";
    }
}

} // namespace

CodePage::CodePage(const char *iconvName)
    : m_name(iconvName)
{
    iconv_t cd = iconv_open("UTF-16LE", iconvName);
    for (int i = 0; i < 256; ++i) {
        char16_t unit = char16_t(i < 128 ? i : '?');
        if (cd != iconv_t(-1)) {
            char in = char(i);
            char outBuf[8];
            char *inp = &in;
            char *outp = outBuf;
            size_t inLeft = 1, outLeft = sizeof outBuf;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && outLeft == sizeof outBuf - 2)
                unit = char16_t(uint8_t(outBuf[0]) | (uint8_t(outBuf[1]) << 8));
            else if (i >= 128)
                unit = char16_t(i); // undefined in the code page: keep the byte's Latin-1 value
        } else if (i >= 128) {
            unit = char16_t(i);
        }
        m_toUnicode[size_t(i)] = unit;
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
    for (int i = 255; i >= 0; --i)
        m_fromUnicode[m_toUnicode[size_t(i)]] = char(i);
}

const CodePage &CodePage::ForLanguageDriver(uint8_t driver)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CodePage>> pages;
    const char *name = IconvNameFor(driver);
    std::lock_guard guard(mutex);
    auto &slot = pages[name];
    if (!slot)
        slot.reset(new CodePage(name));
    return *slot;
}

const CodePage &CodePage::Windows1252()
{
    static const CodePage &page = ForLanguageDriver(0x57);
    return page;
}

QString CodePage::Decode(const char *bytes, size_t n) const
{
    QString s(qsizetype(n), Qt::Uninitialized);
    QChar *out = s.data();
    for (size_t i = 0; i < n; ++i)
        out[i] = QChar(m_toUnicode[uint8_t(bytes[i])]);
    return s;
}

std::string CodePage::Encode(const QString &text) const
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 128 && m_toUnicode[u] == u) {
            out.push_back(char(u));
            continue;
        }
        auto it = m_fromUnicode.find(u);
        out.push_back(it == m_fromUnicode.end() ? '?' : it->second);
    }
    return out;
}

} // namespace dbase
