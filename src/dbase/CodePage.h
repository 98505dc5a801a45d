#pragma once
// Single-byte code pages of table text, chosen by the header's language driver byte.

#include <QString>
#include <array>
#include <string>
#include <unordered_map>

namespace dbase {

class CodePage {
public:
    // The code page a language driver byte names; 0 and unknown values give Windows-1252.
    static const CodePage &ForLanguageDriver(uint8_t driver);
    static const CodePage &Windows1252();

    QString Decode(const char *bytes, size_t n) const;
    // Characters the code page lacks become '?'.
    std::string Encode(const QString &text) const;
    const char *Name() const { return m_name; }

private:
    explicit CodePage(const char *iconvName);

    const char *m_name;                          // iconv name, e.g. "CP1252"
    std::array<char16_t, 256> m_toUnicode{};     // byte -> UTF-16 unit
    std::unordered_map<char16_t, char> m_fromUnicode; // reverse of m_toUnicode
};

} // namespace dbase
