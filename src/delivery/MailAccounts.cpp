#include "delivery/MailAccounts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>

namespace delivery {

namespace {

// user_pref("name", "value"); lines of a prefs.js, string values unescaped.
QHash<QString, QString> ReadPrefs(const QString &path)
{
    QHash<QString, QString> prefs;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return prefs;
    static const QRegularExpression line(QStringLiteral(R"re(^\s*user_pref\("([^"]+)",\s*(?:"((?:[^"\\]|\\.)*)"|([^)]*?))\s*\);)re"));
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromUtf8(raw));
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2).isNull() ? m.captured(3).trimmed() : m.captured(2);
        value.replace(QLatin1String("\\\""), QLatin1String("\"")).replace(QLatin1String("\\\\"), QLatin1String("\\"));
        prefs.insert(m.captured(1), value);
    }
    return prefs;
}

QStringList ThunderbirdProfiles(const QString &home)
{
    QStringList out;
    for (const QString &base : {home + QStringLiteral("/.thunderbird"), home + QStringLiteral("/.mozilla-thunderbird")}) {
        QSettings ini(base + QStringLiteral("/profiles.ini"), QSettings::IniFormat);
        for (const QString &group : ini.childGroups()) {
            if (!group.startsWith(QLatin1String("Profile")))
                continue;
            const QString path = ini.value(group + QStringLiteral("/Path")).toString();
            if (path.isEmpty())
                continue;
            out << (ini.value(group + QStringLiteral("/IsRelative"), 1).toInt() ? base + QLatin1Char('/') + path : path);
        }
    }
    return out;
}

void AddThunderbird(const QString &home, std::vector<TKelSMTPStruc> &out)
{
    for (const QString &profile : ThunderbirdProfiles(home)) {
        const QHash<QString, QString> prefs = ReadPrefs(profile + QStringLiteral("/prefs.js"));
        // Identities in the order the accounts list them, then any other.
        QStringList ids;
        for (const QString &account : prefs.value(QStringLiteral("mail.accountmanager.accounts")).split(QLatin1Char(','), Qt::SkipEmptyParts))
            for (const QString &id : prefs.value(QStringLiteral("mail.account.%1.identities").arg(account.trimmed())).split(QLatin1Char(','), Qt::SkipEmptyParts))
                if (!ids.contains(id.trimmed()))
                    ids << id.trimmed();
        QStringList rest;
        for (auto it = prefs.cbegin(); it != prefs.cend(); ++it)
            if (it.key().startsWith(QLatin1String("mail.identity.")) && it.key().endsWith(QLatin1String(".useremail"))) {
                const QString id = it.key().section(QLatin1Char('.'), 2, 2);
                if (!ids.contains(id) && !rest.contains(id))
                    rest << id;
            }
        rest.sort();
        const QString defaultSmtp = prefs.value(QStringLiteral("mail.smtp.defaultserver"));
        for (const QString &id : ids + rest) {
            const QString key = QStringLiteral("mail.identity.%1.").arg(id);
            TKelSMTPStruc a;
            a.address = prefs.value(key + QStringLiteral("useremail")).trimmed();
            if (a.address.isEmpty())
                continue;
            a.displayName = prefs.value(key + QStringLiteral("fullName"));
            a.organization = prefs.value(key + QStringLiteral("organization"));
            QString smtp = prefs.value(key + QStringLiteral("smtpServer"));
            if (smtp.isEmpty())
                smtp = defaultSmtp;
            if (!smtp.isEmpty()) {
                a.server = prefs.value(QStringLiteral("mail.smtpserver.%1.hostname").arg(smtp));
                a.user = prefs.value(QStringLiteral("mail.smtpserver.%1.username").arg(smtp));
            }
            out.push_back(a);
        }
    }
}

void AddEvolution(const QString &configHome, std::vector<TKelSMTPStruc> &out)
{
    const QString dir = configHome + QStringLiteral("/evolution/sources");
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.source")}, QDir::Files, QDir::Name);
    QHash<QString, std::pair<QString, QString>> transports; // uid -> host, user
    for (const QString &name : files) {
        QSettings s(dir + QLatin1Char('/') + name, QSettings::IniFormat);
        if (s.childGroups().contains(QStringLiteral("Mail Transport")))
            transports.insert(name.chopped(7), {s.value(QStringLiteral("Authentication/Host")).toString(),
                                                s.value(QStringLiteral("Authentication/User")).toString()});
    }
    for (const QString &name : files) {
        QSettings s(dir + QLatin1Char('/') + name, QSettings::IniFormat);
        if (!s.childGroups().contains(QStringLiteral("Mail Identity")))
            continue;
        TKelSMTPStruc a;
        a.address = s.value(QStringLiteral("Mail Identity/Address")).toString().trimmed();
        if (a.address.isEmpty())
            continue;
        a.displayName = s.value(QStringLiteral("Mail Identity/Name")).toString();
        a.organization = s.value(QStringLiteral("Mail Identity/Organization")).toString();
        const auto t = transports.value(s.value(QStringLiteral("Mail Submission/TransportUid")).toString());
        a.server = t.first;
        a.user = t.second;
        out.push_back(a);
    }
}

} // namespace

std::vector<TKelSMTPStruc> FindMailAccounts(const QString &home, const QString &configHome)
{
    std::vector<TKelSMTPStruc> all;
    AddThunderbird(home, all);
    AddEvolution(!configHome.isEmpty() ? configHome : qEnvironmentVariable("XDG_CONFIG_HOME", home + QStringLiteral("/.config")), all);
    std::vector<TKelSMTPStruc> out;
    QSet<QString> seen;
    for (TKelSMTPStruc &a : all)
        if (!seen.contains(a.address.toLower())) {
            seen.insert(a.address.toLower());
            out.push_back(std::move(a));
        }
    return out;
}

} // namespace delivery
