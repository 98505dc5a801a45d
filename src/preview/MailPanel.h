#pragma once
// The preview's mail panel: sender, recipients, subject, attachment name, other files and
// text on the left; page range, document format and Send / Cancel / Internet parameters on
// the right. In multiple mode the recipient boxes and the other files are those of the
// current page, stored into the printout as the pages change.

#include "delivery/MailAccounts.h"
#include "delivery/MailMessage.h"
#include "delivery/SmtpClient.h"

#include "ui/KelGradient.h"

#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QRadioButton;

namespace printout {
class TPrintout;
}

namespace ui {
class TKelButton;
}

namespace preview {

class TMailPanel : public ui::TKelGradient {
    Q_OBJECT
public:
    // What the panel needs of its window.
    struct THost {
        std::function<printout::TPrintout *()> current;            // the shown printout
        std::function<void(int page)> setPage;                     // makes a page current
        std::function<void(const QString &hint)> hint;             // the application's hint
        std::function<void(int percent, bool visible)> progress;   // the window's progress bar
        std::function<bool()> multipleArchiving;                   // archive panel's box ticked
        std::function<QString()> archiveDescription;
    };

    explicit TMailPanel(QWidget *parent);

    void SetHost(THost host) { m_host = std::move(host); }
    void SetFrench(bool french);
    // Fills the sender box with the accounts found and the stored default sender.
    void SetAccounts(std::vector<delivery::TKelSMTPStruc> accounts);
    const std::vector<delivery::TKelSMTPStruc> &Accounts() const { return m_accounts; }

    // The two toolbar commands: defaults filled in, panel shown, current page set again.
    void Open(bool multiple);
    bool Multiple() const { return m_multiple; }
    // Sends as the Send button does; true when every message went and the panel closed.
    bool Send();

    // The page-change handlers of the window, active while the panel shows in multiple mode
    // and the printout has per-page recipients.
    void BeforePageChange(printout::TPrintout &printout, int page);
    void AfterPageChange(printout::TPrintout &printout, int page);

    // Heights of a recipient box and of the panel, from the number of lines of the boxes.
    static int RecipientBoxHeight(int lines);
    int PanelHeight() const;

    // The other files to join: added (in multiple mode after the all/current question).
    void AddOtherFiles(const QStringList &files);
    void RemoveOtherFiles(const QStringList &files);

    // Controls, for the window, the tests and the screens.
    QComboBox *SenderBox() const { return m_sender; }
    QLineEdit *SenderName() const { return m_senderName; }
    QPlainTextEdit *ToBox() const { return m_to; }
    QPlainTextEdit *CcBox() const { return m_cc; }
    QPlainTextEdit *BccBox() const { return m_bcc; }
    QLineEdit *SubjectEdit() const { return m_subject; }
    QLineEdit *AttachEdit() const { return m_attach; }
    QListWidget *OtherFiles() const { return m_others; }
    QPlainTextEdit *TextBox() const { return m_text; }
    QRadioButton *RangeAll() const { return m_rangeAll; }
    QRadioButton *RangeCurrent() const { return m_rangeCurrent; }
    QRadioButton *RangeFromTo() const { return m_rangeFromTo; }
    QLineEdit *FromEdit() const { return m_from; }
    QLineEdit *ToEdit() const { return m_toPage; }
    QRadioButton *FormatKrp() const { return m_formatKrp; }
    QRadioButton *FormatPdf() const { return m_formatPdf; }
    ui::TKelButton *SendButton() const { return m_send; }
    ui::TKelButton *CancelButton() const { return m_cancel; }
    ui::TKelButton *SettingsButton() const { return m_settings; }

    // Tests answer the file dialog and the password question through these.
    static void SetFileDialogHook(std::function<QStringList()> hook);
    static void SetPasswordHook(std::function<QString(bool &ok)> hook);

private slots:
    void BtnSendClick() { Send(); }
    void BtnSettingsClick();
    void BtnAddFilesClick();
    void BtnRemoveFilesClick();
    void SenderChanged();
    void RecipientsChanged();

private:
    void Error(const QString &french, const QString &english);
    bool French() const { return m_french; }
    bool StoresPerPage(printout::TPrintout &printout) const;
    bool SendOne(printout::TPrintout &printout, int first, int last, delivery::TMailFormat format, const QString &path);
    bool ConnectionTest(delivery::TSmtpSettings &settings);
    bool AskPassword(delivery::TSmtpSettings &settings);
    void SetPageList(const QStringList &files);
    QStringList PageList() const;

    THost m_host;
    bool m_french = true;
    bool m_multiple = false;
    bool m_sending = false;
    std::vector<delivery::TKelSMTPStruc> m_accounts;
    delivery::TSmtpSettings m_smtp; // of the send under way

    QLabel *m_lblFrom = nullptr, *m_lblTo = nullptr, *m_lblCc = nullptr, *m_lblBcc = nullptr;
    QLabel *m_lblSubject = nullptr, *m_lblAttach = nullptr, *m_lblOthers = nullptr, *m_lblText = nullptr;
    QLabel *m_lblToPage = nullptr;
    QComboBox *m_sender = nullptr;
    QLineEdit *m_senderName = nullptr;
    QPlainTextEdit *m_to = nullptr, *m_cc = nullptr, *m_bcc = nullptr, *m_text = nullptr;
    QLineEdit *m_subject = nullptr, *m_attach = nullptr, *m_from = nullptr, *m_toPage = nullptr;
    QListWidget *m_others = nullptr;
    ui::TKelButton *m_add = nullptr, *m_remove = nullptr;
    QMenu *m_othersMenu = nullptr;
    QGroupBox *m_range = nullptr, *m_format = nullptr;
    QRadioButton *m_rangeAll = nullptr, *m_rangeCurrent = nullptr, *m_rangeFromTo = nullptr;
    QRadioButton *m_formatKrp = nullptr, *m_formatPdf = nullptr;
    ui::TKelButton *m_send = nullptr, *m_cancel = nullptr, *m_settings = nullptr;
};

} // namespace preview
