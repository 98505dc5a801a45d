#include "preview/MailPanel.h"

#include "delivery/Archive.h"
#include "delivery/MailSender.h"
#include "preview/InternetSettingsForm.h"
#include "preview/PreviewLook.h"
#include "printout/Printout.h"
#include "ui/KelButton.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace preview {

namespace {

constexpr int kLineHeight = 21;

std::function<QStringList()> &FileDialogHook()
{
    static std::function<QStringList()> hook;
    return hook;
}

std::function<QString(bool &)> &PasswordHook()
{
    static std::function<QString(bool &)> hook;
    return hook;
}

int LineCount(const QPlainTextEdit *box)
{
    const QString text = box->toPlainText();
    return text.isEmpty() ? 0 : int(text.count(QLatin1Char('\n'))) + 1;
}

QString Tr(bool french, const char *fr, const char *en)
{
    return QString::fromUtf8(french ? fr : en);
}

QString NoLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

// A push button of the panel, 25 pixels high and at least width wide.
ui::TKelButton *PanelButton(QWidget *parent, const char *name, int width)
{
    auto *b = new ui::TKelButton(parent);
    ui::UseDialogLook(*b);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(width);
    b->setFixedHeight(25);
    return b;
}

// A page-range box: trimmed, 1 when not a number.
int PageNumber(const QLineEdit *edit)
{
    bool ok = false;
    const int n = edit->text().trimmed().toInt(&ok);
    return ok ? n : 1;
}

} // namespace

void TMailPanel::SetFileDialogHook(std::function<QStringList()> hook) { FileDialogHook() = std::move(hook); }
void TMailPanel::SetPasswordHook(std::function<QString(bool &)> hook) { PasswordHook() = std::move(hook); }

TMailPanel::TMailPanel(QWidget *parent)
    : ui::TKelGradient(parent)
{
    setObjectName(QStringLiteral("MailPanel"));
    UsePanelGradient(*this);
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 4, 8, 4);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(5);
    grid->setHorizontalSpacing(6);
    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_lblFrom = label("LblFrom");
    m_sender = new QComboBox(this);
    m_sender->setObjectName(QStringLiteral("CBFrom"));
    m_sender->setEditable(true);
    m_sender->setMinimumWidth(260);
    m_senderName = new QLineEdit(this);
    m_senderName->setObjectName(QStringLiteral("EdtFromName"));
    m_senderName->setReadOnly(true);
    auto *senderRow = new QHBoxLayout;
    senderRow->addWidget(m_sender, 1);
    senderRow->addWidget(m_senderName, 1);
    grid->addWidget(m_lblFrom, 0, 0);
    grid->addLayout(senderRow, 0, 1);

    auto box = [this](const char *name) {
        auto *b = new QPlainTextEdit(this);
        b->setObjectName(QLatin1String(name));
        b->setLineWrapMode(QPlainTextEdit::NoWrap);
        b->document()->setDocumentMargin(2);
        b->setFixedHeight(RecipientBoxHeight(0));
        connect(b, &QPlainTextEdit::textChanged, this, &TMailPanel::RecipientsChanged);
        return b;
    };
    m_lblTo = label("LblTo");
    m_to = box("MemTo");
    m_lblCc = label("LblCc");
    m_cc = box("MemCc");
    m_lblBcc = label("LblBcc");
    m_bcc = box("MemBcc");
    grid->addWidget(m_lblTo, 1, 0, Qt::AlignTop);
    grid->addWidget(m_to, 1, 1);
    grid->addWidget(m_lblCc, 2, 0, Qt::AlignTop);
    grid->addWidget(m_cc, 2, 1);
    grid->addWidget(m_lblBcc, 3, 0, Qt::AlignTop);
    grid->addWidget(m_bcc, 3, 1);

    m_lblSubject = label("LblSubject");
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("EdtSubject"));
    grid->addWidget(m_lblSubject, 4, 0);
    grid->addWidget(m_subject, 4, 1);
    m_lblAttach = label("LblAttach");
    m_attach = new QLineEdit(this);
    m_attach->setObjectName(QStringLiteral("EdtAttach"));
    grid->addWidget(m_lblAttach, 5, 0);
    grid->addWidget(m_attach, 5, 1);

    m_lblOthers = label("LblOtherFiles");
    m_others = new QListWidget(this);
    m_others->setObjectName(QStringLiteral("LstOtherFiles"));
    m_others->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_others->setFixedHeight(2 * kLineHeight + 4);
    m_others->setContextMenuPolicy(Qt::CustomContextMenu);
    m_add = PanelButton(this, "BtnAddFile", 25);
    m_add->setText(QStringLiteral("+"));
    m_add->setFixedWidth(25);
    m_remove = PanelButton(this, "BtnRemoveFile", 25);
    m_remove->setText(QStringLiteral("\u2212"));
    m_remove->setFixedWidth(25);
    m_othersMenu = new QMenu(this);
    m_othersMenu->setObjectName(QStringLiteral("OtherFilesMenu"));
    connect(m_othersMenu->addAction(QString()), &QAction::triggered, this, &TMailPanel::BtnAddFilesClick);
    connect(m_othersMenu->addAction(QString()), &QAction::triggered, this, &TMailPanel::BtnRemoveFilesClick);
    connect(m_others, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_othersMenu->popup(m_others->viewport()->mapToGlobal(at)); });
    connect(m_add, &QAbstractButton::clicked, this, &TMailPanel::BtnAddFilesClick);
    connect(m_remove, &QAbstractButton::clicked, this, &TMailPanel::BtnRemoveFilesClick);
    auto *othersRow = new QHBoxLayout;
    othersRow->addWidget(m_others, 1);
    auto *othersButtons = new QVBoxLayout;
    othersButtons->setSpacing(4); // two buttons that touch read as one
    othersButtons->addWidget(m_add);
    othersButtons->addWidget(m_remove);
    othersRow->addLayout(othersButtons);
    grid->addWidget(m_lblOthers, 6, 0, Qt::AlignTop);
    grid->addLayout(othersRow, 6, 1);

    m_lblText = label("LblText");
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("MemText"));
    m_text->setFixedHeight(3 * kLineHeight);
    grid->addWidget(m_lblText, 7, 0, Qt::AlignTop);
    grid->addWidget(m_text, 7, 1);
    outer->addLayout(grid, 1);

    auto *right = new QVBoxLayout;
    m_range = new QGroupBox(this);
    m_range->setObjectName(QStringLiteral("GrpPageRange"));
    auto *rangeLayout = new QGridLayout(m_range);
    m_rangeAll = new QRadioButton(m_range);
    m_rangeAll->setObjectName(QStringLiteral("RBAll"));
    m_rangeCurrent = new QRadioButton(m_range);
    m_rangeCurrent->setObjectName(QStringLiteral("RBCurrent"));
    m_rangeFromTo = new QRadioButton(m_range);
    m_rangeFromTo->setObjectName(QStringLiteral("RBFromTo"));
    m_from = new QLineEdit(m_range);
    m_from->setObjectName(QStringLiteral("EdtFromPage"));
    m_from->setMaxLength(3);
    m_from->setFixedWidth(40);
    m_toPage = new QLineEdit(m_range);
    m_toPage->setObjectName(QStringLiteral("EdtToPage"));
    m_toPage->setMaxLength(3);
    m_toPage->setFixedWidth(40);
    m_lblToPage = new QLabel(m_range);
    m_lblToPage->setObjectName(QStringLiteral("LblToPage"));
    m_rangeAll->setChecked(true);
    rangeLayout->addWidget(m_rangeAll, 0, 0, 1, 4);
    rangeLayout->addWidget(m_rangeCurrent, 1, 0, 1, 4);
    rangeLayout->addWidget(m_rangeFromTo, 2, 0);
    rangeLayout->addWidget(m_from, 2, 1);
    rangeLayout->addWidget(m_lblToPage, 2, 2);
    rangeLayout->addWidget(m_toPage, 2, 3);
    right->addWidget(m_range);
    m_format = new QGroupBox(this);
    m_format->setObjectName(QStringLiteral("GrpFormat"));
    auto *formatLayout = new QVBoxLayout(m_format);
    m_formatKrp = new QRadioButton(m_format);
    m_formatKrp->setObjectName(QStringLiteral("RBKrp"));
    m_formatPdf = new QRadioButton(m_format);
    m_formatPdf->setObjectName(QStringLiteral("RBPdf"));
    m_formatKrp->setChecked(true);
    formatLayout->addWidget(m_formatKrp);
    formatLayout->addWidget(m_formatPdf);
    right->addWidget(m_format);
    auto *buttons = new QHBoxLayout;
    m_send = PanelButton(this, "BtnSend", 100);
    m_send->SetPNGObject(ToolbarGlyph(QStringLiteral("BtnSendMail")));
    m_cancel = PanelButton(this, "BtnMailCancel", 100);
    m_cancel->SetKind(ui::bkCancel);
    m_cancel->SetModalResult(ui::mrNone);   // it hides the panel, never the window it is on
    m_settings = PanelButton(this, "BtnInternetSettings", 100);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);
    right->addLayout(buttons);
    right->addWidget(m_settings);
    right->addStretch(1);
    outer->addLayout(right);

    connect(m_send, &QAbstractButton::clicked, this, &TMailPanel::BtnSendClick);
    connect(m_cancel, &QAbstractButton::clicked, this, &QWidget::hide);
    connect(m_settings, &QAbstractButton::clicked, this, &TMailPanel::BtnSettingsClick);
    connect(m_sender, &QComboBox::currentTextChanged, this, &TMailPanel::SenderChanged);
    SetFrench(true);
    RecipientsChanged();
    hide();
}

void TMailPanel::SetFrench(bool french)
{
    m_french = french;
    m_lblFrom->setText(Tr(french, "De", "From"));
    m_lblTo->setText(Tr(french, "À", "To"));
    m_lblCc->setText(QStringLiteral("Cc"));
    m_lblBcc->setText(Tr(french, "Cci", "Bcc"));
    m_lblSubject->setText(Tr(french, "Objet", "Subject"));
    m_lblAttach->setText(Tr(french, "Joindre", "Attach"));
    m_lblOthers->setText(Tr(french, "Autres fichiers à joindre", "Other files to join"));
    m_lblText->setText(Tr(french, "Texte", "Text"));
    m_othersMenu->actions().at(0)->setText(Tr(french, "Ajouter", "Add"));
    m_othersMenu->actions().at(1)->setText(Tr(french, "Retirer", "Remove"));
    m_add->setToolTip(Tr(french, "Ajouter", "Add"));
    m_remove->setToolTip(Tr(french, "Retirer", "Remove"));
    m_add->setAccessibleName(m_add->toolTip());
    m_remove->setAccessibleName(m_remove->toolTip());
    m_range->setTitle(Tr(french, "Étendue des pages", "Page range"));
    m_rangeAll->setText(Tr(french, "Toutes", "All"));
    m_rangeCurrent->setText(Tr(french, "Page courante", "Current page"));
    m_rangeFromTo->setText(Tr(french, "De", "From"));
    m_lblToPage->setText(Tr(french, "à", "To"));
    // The range's boxes are named for what they hold, not by the group's title.
    m_from->setAccessibleName(Tr(french, "De", "From"));
    m_toPage->setAccessibleName(Tr(french, "À", "To"));
    m_format->setTitle(Tr(french, "Format du document à envoyer", "Type of document to send"));
    m_formatKrp->setText(Tr(french, "Document Kelvora (.krp)", "Kelvora Document (.krp)"));
    m_formatPdf->setText(Tr(french, "Document Adobe Acrobat® (.pdf)", "Adobe Acrobat Document® (.pdf)"));
    m_send->setText(Tr(french, "Envoyer", "Send"));
    m_cancel->setText(Tr(french, "Annuler", "Cancel"));
    m_settings->setText(Tr(french, "Paramètres Internet", "Internet parameters"));
    for (auto [box, label] : {std::pair{m_to, m_lblTo}, std::pair{m_cc, m_lblCc}, std::pair{m_bcc, m_lblBcc}})
        box->setAccessibleName(label->text());
    m_sender->setAccessibleName(m_lblFrom->text());
    m_subject->setAccessibleName(m_lblSubject->text());
    m_attach->setAccessibleName(m_lblAttach->text());
    m_others->setAccessibleName(m_lblOthers->text());
    m_text->setAccessibleName(m_lblText->text());
}

void TMailPanel::SetAccounts(std::vector<delivery::TKelSMTPStruc> accounts)
{
    m_accounts = std::move(accounts);
    m_sender->clear();
    for (const auto &a : m_accounts)
        m_sender->addItem(a.address);
    const QString stored = delivery::DefaultSender();
    m_sender->setEditText(!stored.isEmpty() || m_accounts.empty() ? stored : m_accounts.front().address);
    SenderChanged();
}

void TMailPanel::SenderChanged()
{
    const QString address = m_sender->currentText().trimmed();
    for (const auto &a : m_accounts)
        if (a.address.compare(address, Qt::CaseInsensitive) == 0) {
            m_senderName->setText(a.organization.isEmpty() ? a.displayName
                                                           : a.displayName + QStringLiteral(" (") + a.organization + QLatin1Char(')'));
            return;
        }
    m_senderName->clear();
}

int TMailPanel::RecipientBoxHeight(int lines)
{
    if (lines <= 0)
        return kLineHeight;
    return lines <= 2 ? (lines + 1) * kLineHeight : 4 * kLineHeight;
}

int TMailPanel::PanelHeight() const
{
    // Each row is 5 pixels taller than its box: sender, the three recipient boxes, subject,
    // attachment name, other files and text, plus the margins.
    int height = 0;
    for (const int box : {kLineHeight, RecipientBoxHeight(LineCount(m_to)), RecipientBoxHeight(LineCount(m_cc)),
                          RecipientBoxHeight(LineCount(m_bcc)), kLineHeight, kLineHeight, 2 * kLineHeight + 4, 3 * kLineHeight})
        height += box + 5;
    return height + 8;
}

void TMailPanel::RecipientsChanged()
{
    for (QPlainTextEdit *b : {m_to, m_cc, m_bcc}) {
        // A box grows up to three lines; only longer lists need to scroll.
        b->setFixedHeight(RecipientBoxHeight(LineCount(b)));
        b->setVerticalScrollBarPolicy(LineCount(b) > 3 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }
    setFixedHeight(PanelHeight());
}

bool TMailPanel::StoresPerPage(printout::TPrintout &printout) const
{
    return isVisible() && m_multiple && printout.HasMailRecipients();
}

QStringList TMailPanel::PageList() const
{
    QStringList files;
    for (int i = 0; i < m_others->count(); ++i)
        files << m_others->item(i)->text();
    return files;
}

void TMailPanel::SetPageList(const QStringList &files)
{
    m_others->clear();
    m_others->addItems(files);
}

void TMailPanel::BeforePageChange(printout::TPrintout &printout, int page)
{
    if (!StoresPerPage(printout) || page < 1 || page > printout.PageCount())
        return;
    printout.SetPageMailRecipients(page, m_bcc->toPlainText(), m_cc->toPlainText(), m_to->toPlainText());
    printout.Page(page - 1).Attachments() = PageList();
}

void TMailPanel::AfterPageChange(printout::TPrintout &printout, int page)
{
    if (!StoresPerPage(printout) || page < 1 || page > printout.PageCount())
        return;
    m_to->setPlainText(printout.MailTo(page));
    m_cc->setPlainText(printout.MailCc(page));
    m_bcc->setPlainText(printout.MailBcc(page));
    SetPageList(printout.Page(page - 1).Attachments());
}

void TMailPanel::Open(bool multiple)
{
    printout::TPrintout *p = m_host.current ? m_host.current() : nullptr;
    if (!p)
        return;
    if (m_subject->text().isEmpty())
        m_subject->setText(p->Title());
    if (m_attach->text().isEmpty())
        m_attach->setText(delivery::DefaultAttachmentName(p->Title(), QDate::currentDate()));
    // The printout's default message text is empty in this program.
    m_multiple = multiple;
    show();
    // The boxes show the current page's recipients; what they held before (another mode's
    // typing) never goes into a page.
    AfterPageChange(*p, p->CurrentPage());
    // The program's default document format is the printout file.
    m_formatKrp->setChecked(true);
    m_to->setFocus();
}

void TMailPanel::Error(const QString &french, const QString &english)
{
    ui::ErrorBox(m_french ? french : english, this);
}

void TMailPanel::AddOtherFiles(const QStringList &files)
{
    printout::TPrintout *p = m_host.current ? m_host.current() : nullptr;
    m_others->addItems(files);
    if (!m_multiple || !p || !p->HasMailRecipients())
        return;
    const auto answer = ui::QuestionBox(
        Tr(m_french, "Désirez-vous joindre ce(s) fichier(s) pour tous les destinataires (Oui) ou seulement pour le destinataire courant (Non)?",
           "Do you wish to join this file for all recipients (Yes) or only for the current one (No)?"),
        this);
    const int current = p->CurrentPage();
    for (int i = 1; i <= p->PageCount(); ++i) {
        if (i != current && answer != QMessageBox::Yes)
            continue;
        QStringList &list = p->Page(i - 1).Attachments();
        if (i == current) {
            list = PageList();
            continue;
        }
        for (const QString &f : files)
            if (!list.contains(f))
                list << f;
    }
}

void TMailPanel::RemoveOtherFiles(const QStringList &files)
{
    for (int i = m_others->count() - 1; i >= 0; --i)
        if (files.contains(m_others->item(i)->text()))
            delete m_others->takeItem(i);
    printout::TPrintout *p = m_host.current ? m_host.current() : nullptr;
    if (!m_multiple || !p || !p->HasMailRecipients())
        return;
    const auto answer = ui::QuestionBox(
        Tr(m_french, "Désirez-vous retirer ce(s) fichier(s) pour tous les destinataires (Oui) ou seulement pour le destinataire courant (Non)?",
           "Do you wish to remove this file for all recipients (Yes) or only for the current one (No)?"),
        this);
    const int current = p->CurrentPage();
    for (int i = 1; i <= p->PageCount(); ++i)
        if (i == current || answer == QMessageBox::Yes) {
            QStringList &list = p->Page(i - 1).Attachments();
            for (const QString &f : files)
                list.removeAll(f);
        }
}

void TMailPanel::BtnAddFilesClick()
{
    QStringList files;
    if (FileDialogHook())
        files = FileDialogHook()();
    else
        files = QFileDialog::getOpenFileNames(this, QString(), QString(),
                                              Tr(m_french, "Tous les fichiers (*)", "All files (*)"));
    QStringList existing;
    for (const QString &f : files)
        if (QFileInfo(f).isFile())
            existing << f;
    if (!existing.isEmpty())
        AddOtherFiles(existing);
}

void TMailPanel::BtnRemoveFilesClick()
{
    QStringList files;
    for (const QListWidgetItem *item : m_others->selectedItems())
        files << item->text();
    if (!files.isEmpty())
        RemoveOtherFiles(files);
}

void TMailPanel::BtnSettingsClick()
{
    QString server, user;
    for (const auto &a : m_accounts)
        if (server.isEmpty() && !a.server.isEmpty()) {
            server = a.server;
            user = a.user;
        }
    TInternetSettingsForm form(this, m_french, server, user);
    form.exec();
}

bool TMailPanel::AskPassword(delivery::TSmtpSettings &settings)
{
    bool ok = false;
    QString password;
    const QString prompt = Tr(m_french, "Mot de passe SMTP de %1 sur %2", "SMTP password of %1 on %2").arg(settings.user, settings.host);
    if (PasswordHook())
        password = PasswordHook()(ok);
    else
        password = QInputDialog::getText(this, Tr(m_french, "Paramètres Internet", "Internet parameters"), prompt,
                                         QLineEdit::Password, QString(), &ok);
    if (!ok || password.isEmpty())
        return false;
    settings.password = password;
    delivery::SetMailPassword(settings.host, settings.user, password);
    return true;
}

// Opens and closes a connection; an unknown host may be replaced and a refused login may get
// a password, each then tried again.
bool TMailPanel::ConnectionTest(delivery::TSmtpSettings &settings)
{
    for (;;) {
        try {
            delivery::TSmtpClient(settings).TestConnection();
            return true;
        } catch (const delivery::EMailError &e) {
            if (e.English() == QLatin1String("Invalid Host!")) {
                bool ok = false;
                const QString host = QInputDialog::getText(this, Tr(m_french, "Serveur invalide", "Invalid Host!"),
                                                           Tr(m_french, "Entrez un nouveau serveur", "Specify a new host:"),
                                                           QLineEdit::Normal, settings.host, &ok);
                if (ok && !host.trimmed().isEmpty()) {
                    settings.host = host.trimmed();
                    continue;
                }
            } else if (e.AuthRefused() && AskPassword(settings)) {
                continue;
            }
            Error(QStringLiteral("Erreur lors de l'envoi du courriel.\r") + e.Detail(),
                  QStringLiteral("The e-mail could not be sent.\r") + e.Detail());
            return false;
        }
    }
}

bool TMailPanel::SendOne(printout::TPrintout &p, int first, int last, delivery::TMailFormat format, const QString &path)
{
    // The connection test's settings, with the host or password the user gave it.
    delivery::TSmtpSettings settings = m_smtp;
    delivery::TSmtpEvents events;
    events.status = [this](const QString &fr, const QString &en) {
        if (m_host.hint)
            m_host.hint(m_french ? fr : en);
        if (m_host.progress && (en == QLatin1String("Success") || en == QLatin1String("Failure")))
            m_host.progress(0, false);
    };
    events.progress = [this](qint64 sent, qint64 total) {
        if (m_host.progress)
            m_host.progress(total > 0 ? int(sent * 100 / total) : 0, true);
    };
    delivery::TPrintoutMail mail;
    mail.format = format;
    mail.attachmentPath = path;
    mail.first = first;
    mail.last = last;
    mail.perPageRecipients = m_multiple;
    mail.message.fromAddress = m_sender->currentText().trimmed();
    mail.message.fromName = m_senderName->text();
    mail.message.subject = m_subject->text();
    mail.message.to = delivery::MailAddressLines(m_to->toPlainText());
    mail.message.cc = delivery::MailAddressLines(m_cc->toPlainText());
    mail.message.bcc = delivery::MailAddressLines(m_bcc->toPlainText());
    if (m_multiple) {
        for (int i = first; i <= last && i <= p.PageCount(); ++i)
            mail.message.attachments << p.Page(i - 1).Attachments();
    } else {
        mail.message.attachments = PageList();
    }
    mail.message.bodyLines = delivery::MailBodyLines(m_text->toPlainText(), format);
    for (;;) {
        try {
            ui::TWaitCursor wait;
            delivery::TSmtpClient client(settings, events);
            delivery::SendPrintoutMail(p, mail, client);
            return true;
        } catch (const delivery::EMailError &e) {
            if (e.AuthRefused() && AskPassword(settings)) {
                m_smtp.password = settings.password;
                continue;
            }
            Error(QStringLiteral("Erreur lors de l'envoi du courriel.\r") + e.Message(),
                  QStringLiteral("The e-mail could not be sent.\r") + e.Message());
            return false;
        } catch (const std::exception &e) {
            Error(QStringLiteral("Erreur lors de l'envoi du courriel.\r") + QString::fromLocal8Bit(e.what()),
                  QStringLiteral("The e-mail could not be sent.\r") + QString::fromLocal8Bit(e.what()));
            return false;
        }
    }
}

bool TMailPanel::Send()
{
    printout::TPrintout *p = m_host.current ? m_host.current() : nullptr;
    if (!p || m_sending)
        return false;
    // 1. The sender and the To list; a sender with a control character could end an SMTP
    // command and is refused as it stands.
    if (delivery::HasControlCharacters(m_sender->currentText())) {
        Error(QStringLiteral("L'adresse de l'expéditeur contient un caractère de contrôle."),
              QStringLiteral("The sender's address holds a control character."));
        return false;
    }
    if (!delivery::IsValidMailAddress(m_sender->currentText().trimmed())) {
        Error(QStringLiteral("L'adresse de l'expéditeur est invalide."), QStringLiteral("The sender's address is not valid."));
        return false;
    }
    if (!delivery::IsValidMailAddressList(m_to->toPlainText())) {
        Error(QStringLiteral("L'adresse du destinataire est invalide."), QStringLiteral("The recipient's address is not valid."));
        return false;
    }
    // 2. The server must answer before anything is written.
    m_smtp = delivery::SmtpSettingsFromFile();
    if (!ConnectionTest(m_smtp))
        return false;
    // 3. The boxes go into the current page in multiple mode.
    if (m_host.setPage)
        m_host.setPage(p->CurrentPage());
    // 4. One set of recipients needs a To.
    if (!m_multiple && m_to->toPlainText().trimmed().isEmpty()) {
        Error(QStringLiteral("Le champ « Destinataire » est obligatoire."), QStringLiteral("The field \"Recipient\" is mandatory."));
        m_to->setFocus();
        return false;
    }
    // 5. The page range.
    int from = 1, to = p->PageCount();
    if (m_rangeCurrent->isChecked()) {
        from = to = p->CurrentPage();
    } else if (m_rangeFromTo->isChecked()) {
        from = PageNumber(m_from);
        to = PageNumber(m_toPage);
        if (to < from) {
            Error(QStringLiteral("La première page doit être plus petite ou égale à la dernière."),
                  QStringLiteral("The first page must be less than or equal to the last one."));
            return false;
        }
        if (from == 0 || to == 0) {
            Error(QStringLiteral("L'intervalle de pages est invalide."), QStringLiteral("The page range is not valid."));
            return false;
        }
    }
    to = std::min(to, p->PageCount());
    // 6. Every page's recipients in multiple mode.
    if (m_multiple) {
        for (int i = from; i <= to; ++i) {
            const QString pageTo = NoLineBreaks(p->MailTo(i)), cc = NoLineBreaks(p->MailCc(i)), bcc = NoLineBreaks(p->MailBcc(i));
            const bool ok = delivery::IsValidMailAddress(pageTo) && (cc.isEmpty() || delivery::IsValidMailAddress(cc))
                         && (bcc.isEmpty() || delivery::IsValidMailAddress(bcc));
            if (ok)
                continue;
            if (ui::QuestionBox(Tr(m_french,
                                   "Certaines pages ne contiennent pas de destinataire ou contiennent des destinataires invalides. Désirez-vous tout de même poursuivre?",
                                   "Some pages don't have a recipient or recipient is invalid.  Do you wish to continue?"),
                                this)
                != QMessageBox::Yes) {
                if (m_host.setPage)
                    m_host.setPage(i);
                return false;
            }
            break;
        }
    }
    // 7. Multiple archiving needs every page's link.
    const bool archive = m_host.multipleArchiving && m_host.multipleArchiving() && delivery::HasArchiveLinks(*p);
    if (archive) {
        for (int i = from; i <= to; ++i) {
            if (!p->ArchiveLink(i).isEmpty())
                continue;
            if (ui::QuestionBox(Tr(m_french,
                                   "Certaines pages ne contiennent pas de lien au destinataire. Désirez-vous tout de même poursuivre?",
                                   "Some pages don't have a link to data recipient.  Do you wish to continue?"),
                                this)
                != QMessageBox::Yes) {
                if (m_host.setPage)
                    m_host.setPage(i);
                return false;
            }
            break;
        }
    }
    // 8. The sender is remembered; the panel waits while sending.
    delivery::SetDefaultSender(m_sender->currentText().trimmed());
    const delivery::TMailFormat format = m_formatPdf->isChecked() ? delivery::TMailFormat::Pdf : delivery::TMailFormat::Krp;
    m_sending = true;
    setEnabled(false);
    struct TEnable {
        TMailPanel *panel;
        ~TEnable()
        {
            panel->m_sending = false;
            panel->setEnabled(true);
            // The boxes may hold another page's recipients now: show the current page's again.
            printout::TPrintout *p = panel->m_host.current ? panel->m_host.current() : nullptr;
            if (p && panel->m_multiple)
                panel->AfterPageChange(*p, p->CurrentPage());
        }
    } enable{this};
    // 9. The attachment file, in a folder of our own so that no file of the user's is
    // touched: it must be possible to create it under the name given.
    QString base = m_attach->text().trimmed();
    if (base.isEmpty())
        base = m_subject->text().trimmed();
    if (base.isEmpty())
        base = QStringLiteral("Document");
    QTemporaryDir work;
    const QString path = work.filePath(base + delivery::MailAttachmentExtension(format));
    {
        QFile probe(path);
        if (!work.isValid() || base.contains(QLatin1Char('/')) || !probe.open(QIODevice::NewOnly)) {
            Error(QStringLiteral("Le nom du fichier à joindre est invalide."), QStringLiteral("The attachment's file name is not valid."));
            return false;
        }
        probe.close();
        probe.remove();
    }
    m_from->setText(QString::number(from));
    m_toPage->setText(QString::number(to));
    // 10. and 11. One message, or one per run of pages with the same To.
    if (!m_multiple) {
        if (!SendOne(*p, from, to, format, path))
            return false;
    } else {
        for (const delivery::TMailRun &run : delivery::MailRuns(*p, from, to)) {
            m_to->setPlainText(run.to);
            m_cc->setPlainText(run.cc);
            m_bcc->setPlainText(run.bcc);
            if (!SendOne(*p, run.first, run.last, format, path))
                return false;
        }
    }
    // 12. Archive the pages sent, by runs of equal links.
    if (archive) {
        const QString description = m_host.archiveDescription ? m_host.archiveDescription() : QString();
        delivery::ArchiveLinkedRuns(*p, from, to, true, description.isEmpty() ? p->Title() : description);
    }
    // 13.
    hide();
    return true;
}

} // namespace preview
