#include "app/Reindex.h"

#include "app/Help.h"
#include "app/Startup.h"
#include "db/Reindex.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace app {

namespace {

QString Work(const char *french, const char *english)
{
    return db::PickWorkText(QString::fromUtf8(french), QString::fromUtf8(english));
}

} // namespace

TReindexForm::TReindexForm(const QString &dataDir, QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_dataDir(dataDir)
{
    setObjectName(QStringLiteral("ReindexForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setFixedSize(393, 183);
    setWindowTitle(Work("Index des fichiers", "File indexing"));

    m_infoReindex = new QLabel(this);
    m_infoReindex->setObjectName(QStringLiteral("InfoReindex"));
    m_infoReindex->setWordWrap(true);
    m_infoReindex->setGeometry(12, 12, 369, 64);
    m_infoReindex->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_infoReindex->setText(Work("Assurez-vous d'être seul sur le système avant de réindexer les fichiers. "
                                "Si vous n'êtes pas en réseau, cliquez sur réindexer.",
                                "Be sure you are the only user on the network before reindexing files. "
                                "If you're not on a network, click on reindex."));

    m_labelFile = new QLabel(Work("Fichier indexé:", "Indexed files:"), this);
    m_labelFile->setObjectName(QStringLiteral("LabelFile"));
    m_labelFile->setGeometry(12, 92, 110, 20);
    m_fichierIndex = new QLabel(this);
    m_fichierIndex->setObjectName(QStringLiteral("FichierIndex"));
    m_fichierIndex->setGeometry(126, 92, 255, 20);
    QFont bold = m_fichierIndex->font();
    bold.setBold(true);
    m_fichierIndex->setFont(bold);

    m_reindex = new QPushButton(Work("&Réindexer", "&Reindex"), this);
    m_reindex->setObjectName(QStringLiteral("Reindex"));
    m_reindex->setGeometry(186, 140, 94, 30);
    m_reindex->setDefault(true);
    m_closeBtn = new QPushButton(Work("&Sortie", "&Close"), this);
    m_closeBtn->setObjectName(QStringLiteral("CloseBtn"));
    m_closeBtn->setGeometry(288, 140, 94, 30);
    // A reindex asked for by the marker file must run before the window may be left.
    m_closeBtn->setEnabled(!NeedsReindex(m_dataDir));

    connect(m_reindex, &QPushButton::clicked, this, &TReindexForm::ReindexClick);
    connect(m_closeBtn, &QPushButton::clicked, this, &TReindexForm::CloseBtnClick);

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { THelp::Instance().Command(kHelpContext, TReindexForm::kHelpContext); });

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
}

bool TReindexForm::CanClose() const
{
    return !db::IndexMissing(m_dataDir);
}

void TReindexForm::Progress(const QString &table)
{
    m_fichierIndex->setText(table);
    m_fichierIndex->repaint();
}

bool TReindexForm::Rebuild()
{
    for (;;) {
        try {
            ui::TWaitCursor wait;
            db::ReindexDataFolder(
                m_dataDir, [this](const QString &table) { Progress(table); },
                [this](const db::TReindexStep &step) {
                    if (!step.ok)
                        ui::ShowMessageBox(QMessageBox::Critical, Work("Erreur", "Error"),
                                           Work("Une erreur est survenue en réindexant les fichiers.",
                                                "An error occurred while reindexing files."),
                                           QMessageBox::Ok, QMessageBox::Ok, this);
                });
            return true;
        } catch (const dbase::EDBEngineError &e) {
            // The tables are opened, and the failed open closed again, before asking.
            QMessageBox::StandardButton answer;
            if (e.Code() == dbase::kFileInUse)
                answer = ui::ShowMessageBox(QMessageBox::Question, Work("Attention", "Warning"),
                                            Work("Un des fichiers est déjà ouvert par une autre\rapplication ou un autre "
                                                 "usager du réseau.",
                                                 "The configuration file is in use by another\rapplication or network user."),
                                            QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry, this);
            else
                answer = ui::ShowMessageBox(QMessageBox::Critical, Work("Erreur", "Error"), e.Message(),
                                            QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Cancel, this);
            if (answer != QMessageBox::Retry)
                return false;
        }
    }
}

void TReindexForm::ReindexClick()
{
    m_reindex->setEnabled(false);
    m_closeBtn->setEnabled(false);
    Rebuild();
    m_fichierIndex->clear();
    m_closeBtn->setEnabled(true);
    // A window that must stay open would otherwise leave no way forward.
    m_reindex->setEnabled(!CanClose());
    CloseBtnClick();
}

void TReindexForm::CloseBtnClick()
{
    close();
}

void TReindexForm::closeEvent(QCloseEvent *event)
{
    if (CanClose())
        event->accept();
    else
        event->ignore();
}

} // namespace app
