#include "EngineError.h"

#include <QStringList>
#include <cstring>

namespace dbase {

EDBEngineError::EDBEngineError(int code, const QString &message)
{
    m_entries.push_back({code, message});
    UpdateWhat();
}

EDBEngineError::EDBEngineError(std::vector<EngineErrorEntry> entries)
    : m_entries(std::move(entries))
{
    UpdateWhat();
}

EDBEngineError &EDBEngineError::Add(int code, const QString &message)
{
    m_entries.push_back({code, message});
    UpdateWhat();
    return *this;
}

QString EDBEngineError::Message() const
{
    QStringList lines;
    for (const auto &e : m_entries)
        lines << e.message;
    return lines.join('\n');
}

void EDBEngineError::UpdateWhat()
{
    m_what = Message().toStdString();
}

void ThrowIo(const QString &path, const QString &action, int err)
{
    throw EDBEngineError(kIoError, QStringLiteral("I/O error while %1 %2: %3")
                                       .arg(action, path, QString::fromLocal8Bit(std::strerror(err))));
}

void ThrowCorrupt(const QString &path, const QString &what)
{
    throw EDBEngineError(kCorruptFile, QStringLiteral("Corrupt file %1: %2").arg(path, what));
}

} // namespace dbase
