#pragma once
// Buffered standard output for the listing commands, and the text escapes they share.

#include "dbase/CodePage.h"

#include <QString>
#include <cstddef>
#include <string>

namespace tool {

// Collects output and writes it to a file descriptor in large blocks.
class TOutput {
public:
    explicit TOutput(int fd = 1);
    ~TOutput(); // flushes, ignoring errors (call Flush to see them)
    TOutput(const TOutput &) = delete;
    TOutput &operator=(const TOutput &) = delete;

    std::string &Buffer() { return m_buffer; }
    void Put(char c) { m_buffer.push_back(c); }
    void Put(const char *p, size_t n) { m_buffer.append(p, n); }
    void Put(const std::string &s) { m_buffer.append(s); }
    void Put(const QString &s);
    // Ends a line and writes the buffer out once it is large.
    void EndLine()
    {
        m_buffer.push_back('\n');
        if (m_buffer.size() >= kFlushAt)
            Flush();
    }
    // Throws EDBEngineError (kIoError) when the output cannot be written.
    void Flush();

private:
    static constexpr size_t kFlushAt = 1 << 20;
    int m_fd;             // where the output goes
    std::string m_buffer; // not yet written
};

// Converts single bytes of a code page to UTF-8 with the escapes of the listings:
// backslash, '|', line feed, carriage return, NUL (and tab when asked) become \\, \|, \n,
// \r, \0 and \t, so that one row always stays one line.
class TByteText {
public:
    TByteText(const dbase::CodePage &codePage, bool escapeTab);
    void Append(std::string &out, const char *p, size_t n) const
    {
        for (size_t i = 0; i < n; ++i) {
            const auto b = uint8_t(p[i]);
            if (m_plain[b])
                out.push_back(char(b));
            else
                out.append(m_text[b], m_length[b]);
        }
    }

private:
    bool m_plain[256];    // byte copied as it is
    char m_text[256][4];  // otherwise its UTF-8 or escape
    uint8_t m_length[256];
};

} // namespace tool
