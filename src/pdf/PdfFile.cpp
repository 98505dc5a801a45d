#include "pdf/PdfFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace pdf {

namespace {
const qsizetype kBufferSize = 1 << 16;
}

TPdfFile::~TPdfFile() { Discard(); }

bool TPdfFile::Open(const QString &path)
{
    Discard();
    const QByteArray native = QFile::encodeName(path);
    m_fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    m_failed = false;
    m_position = 0;
    m_buffer.clear();
    m_buffer.reserve(kBufferSize);
    m_offsets.clear();
    return m_fd >= 0;
}

void TPdfFile::Flush()
{
    const char *data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0 && !m_failed) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            break;
        }
        data += n;
        left -= n;
    }
    m_buffer.clear();
}

bool TPdfFile::Close()
{
    if (m_fd < 0)
        return !m_failed;
    Flush();
    // Some file systems report a full disk only when the data reaches them.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        m_failed = true;
    if (::close(m_fd) != 0)
        m_failed = true;
    m_fd = -1;
    return !m_failed;
}

void TPdfFile::Discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
}

void TPdfFile::Write(const QByteArray &bytes)
{
    m_position += bytes.size();
    if (m_failed)
        return;
    if (bytes.size() >= kBufferSize) {
        Flush();
        m_buffer = bytes;
        Flush();
        return;
    }
    m_buffer.append(bytes);
    if (m_buffer.size() >= kBufferSize)
        Flush();
}

void TPdfFile::Line(const QByteArray &line)
{
    Write(line);
    Write(QByteArrayLiteral("\n"));
}

int TPdfFile::Reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size());
}

int TPdfFile::StartObject(int number)
{
    if (number <= 0)
        number = Reserve();
    m_offsets[size_t(number - 1)] = m_position;
    Line(QByteArray::number(number) + " 0 obj");
    return number;
}

} // namespace pdf
