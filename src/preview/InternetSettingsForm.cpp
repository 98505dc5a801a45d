#include "preview/InternetSettingsForm.h"

#include "delivery/MailSender.h"
#include "ui/KelButton.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace preview {

namespace {

QLineEdit *Edit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMinimumWidth(260);
    return e;
}

QString T(bool french, const char *fr, const char *en)
{
    return QString::fromUtf8(french ? fr : en);
}

} // namespace

TInternetSettingsForm::TInternetSettingsForm(QWidget *parent, bool french, const QString &accountServer,
                                             const QString &accountUser)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("InternetSettingsForm"));
    setModal(true);
    setWindowTitle(T(french, "Paramètres Internet", "Internet parameters"));
    auto *layout = new QVBoxLayout(this);

    auto *proxy = new QGroupBox(T(french, "Serveur Proxy", "Proxy server"), this);
    proxy->setObjectName(QStringLiteral("GrpProxy"));
    auto *proxyForm = new QFormLayout(proxy);
    m_proxyServer = Edit(proxy, "EdtProxyServer");
    m_proxyPort = Edit(proxy, "EdtProxyPort");
    proxyForm->addRow(T(french, "Serveur proxy", "Proxy server"), m_proxyServer);
    proxyForm->addRow(T(french, "Port du proxy", "Proxy port number"), m_proxyPort);
    layout->addWidget(proxy);

    auto *mail = new QGroupBox(T(french, "Courrier", "Mail"), this);
    mail->setObjectName(QStringLiteral("GrpMail"));
    auto *mailForm = new QFormLayout(mail);
    m_smtpServer = Edit(mail, "EdtSmtpServer");
    m_smtpPort = Edit(mail, "EdtSmtpPort");
    m_smtpUser = Edit(mail, "EdtSmtpUser");
    m_password = Edit(mail, "EdtSmtpPassword");
    m_password->setEchoMode(QLineEdit::Password);
    mailForm->addRow(T(french, "Serveur de courrier sortant (SMTP)", "Outgoing mail server (SMTP)"), m_smtpServer);
    mailForm->addRow(T(french, "Port", "Port number"), m_smtpPort);
    mailForm->addRow(T(french, "Nom d'usager SMTP", "SMTP User name"), m_smtpUser);
    mailForm->addRow(T(french, "Mot de passe SMTP", "SMTP password"), m_password);
    layout->addWidget(mail);

    // OK saves before its result closes the dialog; Cancel closes it with nothing written.
    m_ok = new ui::TKelButton(this);
    ui::UseDialogLook(*m_ok);
    m_ok->setObjectName(QStringLiteral("BtnOK"));
    m_ok->SetKind(ui::bkOK);
    m_ok->SetDefault(true);
    m_ok->OnClick = [this](ui::TKelButtonFace &) { Save(); };
    m_cancel = new ui::TKelButton(this);
    ui::UseDialogLook(*m_cancel);
    m_cancel->setObjectName(QStringLiteral("BtnCancel"));
    m_cancel->SetKind(ui::bkCancel);
    m_cancel->setText(T(french, "Annuler", "Cancel"));
    m_cancel->SetCancel(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (ui::TKelButton *b : {m_ok, m_cancel}) {
        b->setFixedSize(100, 25);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    // The boxes' initial texts stand until the settings file has values.
    m_smtpServer->setText(QStringLiteral("smtp."));
    m_smtpPort->setText(QStringLiteral("25"));
    const delivery::TInternetSettings s = delivery::LoadInternetSettings();
    if (!s.smtpServer.isEmpty())
        m_smtpServer->setText(s.smtpServer);
    m_smtpPort->setText(QString::number(s.smtpPort));
    m_smtpUser->setText(s.smtpUser);
    m_proxyServer->setText(s.proxyServer);
    m_proxyPort->setText(QString::number(s.proxyPort));
    if (s.smtpServer.isEmpty() && !accountServer.isEmpty())
        m_smtpServer->setText(accountServer);
    if (m_smtpUser->text().isEmpty())
        m_smtpUser->setText(accountUser);
    m_password->setText(delivery::MailPassword(m_smtpServer->text(), m_smtpUser->text()));
}

void TInternetSettingsForm::Save()
{
    delivery::TInternetSettings s;
    s.smtpServer = m_smtpServer->text().trimmed();
    s.smtpUser = m_smtpUser->text().trimmed();
    s.proxyServer = m_proxyServer->text().trimmed();
    bool ok = false;
    s.smtpPort = m_smtpPort->text().trimmed().toInt(&ok);
    if (!ok)
        s.smtpPort = 25;
    s.proxyPort = m_proxyPort->text().trimmed().toInt(&ok);
    if (!ok)
        s.proxyPort = 0;
    delivery::SaveInternetSettings(s);
    delivery::SetMailPassword(s.smtpServer, s.smtpUser, m_password->text());
}

} // namespace preview
