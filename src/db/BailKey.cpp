#include "db/BailKey.h"

namespace db {

QString Trim(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b).unicode() < 33)
        ++b;
    while (e > b && text.at(e - 1).unicode() < 33)
        --e;
    return text.mid(b, e - b);
}

QString PadLeft(const QString &text, int width)
{
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), QLatin1Char(' ')) + text;
}

QString KindPrefix(bool elderly, bool coop)
{
    return QString(QLatin1Char(elderly ? 'O' : 'N')) + QLatin1Char(coop ? 'O' : 'N');
}

bool IsElderly(TLeaseKind kind)
{
    return kind == TLeaseKind::ON || kind == TLeaseKind::OO;
}

bool IsCooperative(TLeaseKind kind)
{
    return kind == TLeaseKind::NO || kind == TLeaseKind::OO;
}

QString KindPrefix(TLeaseKind kind)
{
    return KindPrefix(IsElderly(kind), IsCooperative(kind));
}

std::optional<TLeaseKind> KindFromPrefix(const QString &prefixOrKey)
{
    if (prefixOrKey.size() < 2)
        return std::nullopt;
    const QString p = prefixOrKey.left(2).toUpper();
    for (TLeaseKind k : {TLeaseKind::NN, TLeaseKind::ON, TLeaseKind::NO, TLeaseKind::OO})
        if (p == KindPrefix(k))
            return k;
    return std::nullopt;
}

QString LeaseKey(bool elderly, bool coop, const QString &nobail)
{
    return KindPrefix(elderly, coop) + PadLeft(nobail, kLeaseNumberWidth);
}

QString LeaseKey(TLeaseKind kind, const QString &nobail)
{
    return LeaseKey(IsElderly(kind), IsCooperative(kind), nobail);
}

std::pair<dbase::KeyBytes, dbase::KeyBytes> KindRange(TLeaseKind kind)
{
    const std::string prefix = KindPrefix(kind).toStdString();
    return {prefix + std::string(kLeaseNumberWidth, '\0'), prefix + std::string(kLeaseNumberWidth, '\xFF')};
}

} // namespace db
