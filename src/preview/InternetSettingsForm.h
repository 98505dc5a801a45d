#pragma once
// The Internet parameters dialog: the proxy (kept, not used for mail) and the outgoing mail
// server with its port, user name and password. Loaded on creation, saved on OK; the password
// goes to the secret store (or the run's memory), never to the settings file.

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace ui {
class TKelButton;
}

namespace preview {

class TInternetSettingsForm : public QDialog {
    Q_OBJECT
public:
    // server and user left empty by the settings file are filled from the first mail account
    // that has them.
    TInternetSettingsForm(QWidget *parent, bool french, const QString &accountServer = {},
                          const QString &accountUser = {});

    QLineEdit *ProxyServer() const { return m_proxyServer; }
    QLineEdit *ProxyPort() const { return m_proxyPort; }
    QLineEdit *SmtpServer() const { return m_smtpServer; }
    QLineEdit *SmtpPort() const { return m_smtpPort; }
    QLineEdit *SmtpUser() const { return m_smtpUser; }
    QLineEdit *SmtpPassword() const { return m_password; }
    ui::TKelButton *OkButton() const { return m_ok; }
    ui::TKelButton *CancelButton() const { return m_cancel; }

    // Writes the five values (trimmed, ports as numbers) and keeps the password.
    void Save();

private:
    QLineEdit *m_proxyServer = nullptr, *m_proxyPort = nullptr;
    QLineEdit *m_smtpServer = nullptr, *m_smtpPort = nullptr, *m_smtpUser = nullptr, *m_password = nullptr;
    ui::TKelButton *m_ok = nullptr, *m_cancel = nullptr;
};

} // namespace preview
