#pragma once
// The user's mail accounts, found in the profiles of the Linux mail clients: Thunderbird's
// prefs.js identities with their SMTP servers, and Evolution's identity and transport sources.

#include <QString>

#include <vector>

namespace delivery {

struct TKelSMTPStruc {
    QString address, displayName, server, organization;
    QString user; // the outgoing server's login name, when the client keeps one
};

// Every account with an address under home (the user's home folder) and configHome (empty:
// $XDG_CONFIG_HOME, else home/.config), Thunderbird's first, in profile and identity order;
// an address is listed once.
std::vector<TKelSMTPStruc> FindMailAccounts(const QString &home, const QString &configHome = {});

} // namespace delivery
