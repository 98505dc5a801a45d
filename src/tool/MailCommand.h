#pragma once
// bailtool's mail command: a lease's pages sent by e-mail as the mail panel sends them.

#include <QStringList>

namespace tool {

// mail DIR --lease NOBAIL --from ADDR --to ADDR [--cc ADDR] [--bcc ADDR] [--subject TEXT]
//      [--text TEXT] [--format pdf|krp] [--server HOST[:PORT]] [--user NAME] [--password-stdin]
// --to, --cc and --bcc may be repeated or hold addresses separated by commas. Server, port and
// user come from the settings file unless given. Exit 0 only when the server accepted the
// message for every recipient.
int Mail(const QStringList &args);

} // namespace tool
