#include "tool/Output.h"

#include "dbase/EngineError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tool {

TOutput::TOutput(int fd)
    : m_fd(fd)
{
    m_buffer.reserve(kFlushAt + 65536);
}

TOutput::~TOutput()
{
    try {
        Flush();
    } catch (...) {
    }
}

void TOutput::Put(const QString &s)
{
    const QByteArray u = s.toUtf8();
    m_buffer.append(u.constData(), size_t(u.size()));
}

void TOutput::Flush()
{
    size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t put = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            m_buffer.clear();
            throw dbase::EDBEngineError(dbase::kIoError, QStringLiteral("I/O error while writing the output: %1")
                                                             .arg(QString::fromLocal8Bit(std::strerror(err))));
        }
        done += size_t(put);
    }
    m_buffer.clear();
}

TByteText::TByteText(const dbase::CodePage &codePage, bool escapeTab)
{
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        const char *escape = nullptr;
        switch (c) {
        case '\\': escape = "\\\\"; break;
        case '|': escape = "\\|"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\0': escape = "\\0"; break;
        case '\t': escape = escapeTab ? "\\t" : nullptr; break;
        default: break;
        }
        m_plain[b] = !escape && b >= 0x20 && b < 0x7F && codePage.Decode(&c, 1) == QChar(char16_t(b));
        if (c == '\t' && !escape)
            m_plain[b] = true;
        std::memset(m_text[b], 0, sizeof m_text[b]);
        if (escape) {
            m_length[b] = uint8_t(std::strlen(escape));
            std::memcpy(m_text[b], escape, m_length[b]);
        } else {
            const QByteArray u = codePage.Decode(&c, 1).toUtf8();
            m_length[b] = uint8_t(std::min<qsizetype>(u.size(), 4));
            std::memcpy(m_text[b], u.constData(), m_length[b]);
        }
    }
}

} // namespace tool
