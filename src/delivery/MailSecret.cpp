// The SMTP password in the desktop's secret store (libsecret), with a memory copy for the run.
// libsecret's headers come before Qt's, whose keyword macros clash with GLib's.
#include <libsecret/secret.h>

#include "delivery/MailSender.h"

#include <QHash>

namespace delivery {

namespace {

const SecretSchema *Schema()
{
    static const SecretSchema schema = {
        "org.leaseform.Smtp", SECRET_SCHEMA_NONE,
        {{"server", SECRET_SCHEMA_ATTRIBUTE_STRING}, {"user", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &schema;
}

// Without a session bus there is no secret service to ask, and asking would try to start one.
bool SecretServiceReachable()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

QHash<QString, QString> &RunPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

QString Key(const QString &server, const QString &user)
{
    return server.trimmed().toLower() + QLatin1Char('\n') + user.trimmed();
}

} // namespace

QString MailPassword(const QString &server, const QString &user)
{
    const auto known = RunPasswords().constFind(Key(server, user));
    if (known != RunPasswords().cend())
        return *known;
    if (!SecretServiceReachable())
        return QString();
    GError *error = nullptr;
    gchar *found = secret_password_lookup_sync(Schema(), nullptr, &error, "server", server.trimmed().toUtf8().constData(),
                                               "user", user.trimmed().toUtf8().constData(), nullptr);
    if (error)
        g_error_free(error);
    if (!found)
        return QString();
    const QString password = QString::fromUtf8(found);
    secret_password_free(found);
    RunPasswords().insert(Key(server, user), password);
    return password;
}

void SetMailPassword(const QString &server, const QString &user, const QString &password)
{
    RunPasswords().insert(Key(server, user), password);
    if (!SecretServiceReachable())
        return;
    GError *error = nullptr;
    const QByteArray label = QStringLiteral("SMTP %1@%2").arg(user.trimmed(), server.trimmed()).toUtf8();
    if (password.isEmpty())
        secret_password_clear_sync(Schema(), nullptr, &error, "server", server.trimmed().toUtf8().constData(), "user",
                                   user.trimmed().toUtf8().constData(), nullptr);
    else
        secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.constData(), password.toUtf8().constData(),
                                   nullptr, &error, "server", server.trimmed().toUtf8().constData(), "user",
                                   user.trimmed().toUtf8().constData(), nullptr);
    if (error)
        g_error_free(error); // the run's copy still serves
}

} // namespace delivery
