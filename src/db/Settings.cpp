#include "db/Settings.h"

#include "dataset/Common.h"

namespace db {

namespace {

struct TSettings {
    QString m_printingLanguage = QStringLiteral("F");
    bool m_saveToner = false;
    TLeaseSearchHook m_leaseSearch;
};

// Function-static so that settings read during static initialisation already hold defaults.
TSettings &Current()
{
    static TSettings settings;
    return settings;
}

} // namespace

void InitSettings()
{
    TSettings &s = Current();
    dataset::SetWorkingLanguage(QLatin1Char('F'));
    s.m_printingLanguage = QStringLiteral("F");
    s.m_saveToner = false;
}

QString ShortDateFormat()
{
    return QStringLiteral("yyyy/mm/dd");
}

QChar DateSeparator()
{
    return QLatin1Char('/');
}

// The dataset layer keeps the one copy, so its own messages and ours never disagree.
QString WorkingLanguage()
{
    const QChar language = dataset::WorkingLanguage();
    return language.isNull() ? QString() : QString(language);
}

void SetWorkingLanguage(const QString &language)
{
    dataset::SetWorkingLanguage(language.isEmpty() ? QChar() : language.at(0));
}

QString PrintingLanguage()
{
    return Current().m_printingLanguage;
}

void SetPrintingLanguage(const QString &language)
{
    Current().m_printingLanguage = language.left(1);
}

bool SaveToner()
{
    return Current().m_saveToner;
}

void SetSaveToner(bool on)
{
    Current().m_saveToner = on;
}

bool IsFrench(const QString &language)
{
    return language == QLatin1String("F");
}

QString PickWorkText(const QString &french, const QString &english)
{
    return IsFrench(WorkingLanguage()) ? french : english;
}

QString PickPrintText(const QString &french, const QString &english)
{
    return IsFrench(PrintingLanguage()) ? french : english;
}

QString DateText(const QDate &date)
{
    if (!date.isValid())
        return QString();
    const QChar sep = DateSeparator();
    return QStringLiteral("%1%2%3%4%5")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(sep)
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

std::optional<QDate> ParseDateText(const QString &text)
{
    // Fixed positions: four digits, separator, two digits, separator, two digits.
    if (text.size() != 10 || text.at(4) != DateSeparator() || text.at(7) != DateSeparator())
        return std::nullopt;
    auto number = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            const QChar c = text.at(i);
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
            value = value * 10 + (c.unicode() - '0');
        }
        return value;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (y <= 0 || m < 0 || d < 0)
        return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString RunLeaseSearch(QObject *owner)
{
    const TLeaseSearchHook &hook = Current().m_leaseSearch;
    return hook ? hook(owner) : QString();
}

void SetLeaseSearchHook(TLeaseSearchHook hook)
{
    Current().m_leaseSearch = std::move(hook);
}

} // namespace db
