#include "app/Help.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>

namespace app {

namespace {

bool IsFrenchSet(const QString &folder)
{
    return QFileInfo(folder).fileName().compare(QLatin1String("Bailf"), Qt::CaseInsensitive) == 0;
}

QString TitleOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = title.match(QString::fromUtf8(f.read(4096)));
    // Titles are HTML: entities such as &#x27; must read as the characters they stand for.
    return m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText().trimmed() : QFileInfo(path).baseName();
}

int ContextOf(const QString &fileName)
{
    static const QRegularExpression ctx(QStringLiteral("^ctx(\\d+)\\.html$"));
    const QRegularExpressionMatch m = ctx.match(fileName);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

THelpViewer::THelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    auto *indexPanel = new QWidget;
    auto *indexLayout = new QVBoxLayout(indexPanel);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    m_key = new QLineEdit;
    m_key->setClearButtonEnabled(true);
    m_index = new QListWidget;
    indexLayout->addWidget(m_key);
    indexLayout->addWidget(m_index);
    m_browser = new QTextBrowser;
    m_browser->setOpenLinks(true);

    auto *splitter = new QSplitter;
    splitter->addWidget(indexPanel);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(860, 600);

    connect(m_key, &QLineEdit::textChanged, this, &THelpViewer::FilterIndex);
    connect(m_index, &QListWidget::itemActivated, this, &THelpViewer::IndexActivated);
    connect(m_index, &QListWidget::itemClicked, this, &THelpViewer::IndexActivated);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl &url) { m_context = ContextOf(QFileInfo(url.toLocalFile()).fileName()); });
}

void THelpViewer::SetHelpSet(const QString &folder)
{
    if (folder == m_folder && m_index->count() > 0)
        return;
    m_folder = folder;
    m_index->clear();
    const QFileInfoList topics =
        QDir(folder).entryInfoList({QStringLiteral("ctx*.html")}, QDir::Files, QDir::Name);
    for (const QFileInfo &t : topics) {
        const int context = ContextOf(t.fileName());
        if (context == 0)
            continue;
        auto *item = new QListWidgetItem(TitleOf(t.filePath()), m_index);
        item->setData(Qt::UserRole, context);
    }
    m_index->sortItems();
    m_browser->setSearchPaths({folder});
    Retitle();
}

void THelpViewer::Retitle()
{
    const bool french = IsFrenchSet(m_folder);
    setWindowTitle(french ? QStringLiteral("Aide - Bail de la Ostrevane") : QStringLiteral("Help - Bail de la Ostrevane"));
    m_key->setPlaceholderText(french ? QStringLiteral("Rechercher dans l'index") : QStringLiteral("Search the index"));
}

QString THelpViewer::TopicPath(int context) const
{
    return QDir(m_folder).filePath(QStringLiteral("ctx%1.html").arg(context));
}

void THelpViewer::ShowContext(int context)
{
    QString path = TopicPath(context);
    if (!QFileInfo::exists(path))
        path = TopicPath(kHelpMainWindow);
    if (!QFileInfo::exists(path)) {
        m_context = 0;
        m_browser->setHtml(IsFrenchSet(m_folder)
                               ? QStringLiteral("<p>L'aide est introuvable dans %1.</p>").arg(m_folder.toHtmlEscaped())
                               : QStringLiteral("<p>The help files cannot be found in %1.</p>").arg(m_folder.toHtmlEscaped()));
        return;
    }
    m_browser->setSource(QUrl::fromLocalFile(path));
    m_context = ContextOf(QFileInfo(path).fileName());
}

void THelpViewer::ShowIndex(const QString &key)
{
    m_key->setText(key);
    FilterIndex(key);
    for (int i = 0; i < m_index->count(); ++i)
        if (!m_index->item(i)->isHidden()) {
            m_index->setCurrentRow(i);
            ShowContext(m_index->item(i)->data(Qt::UserRole).toInt());
            break;
        }
    m_key->setFocus();
}

QStringList THelpViewer::IndexEntries() const
{
    QStringList entries;
    for (int i = 0; i < m_index->count(); ++i)
        if (!m_index->item(i)->isHidden())
            entries << m_index->item(i)->text();
    return entries;
}

void THelpViewer::IndexActivated()
{
    if (QListWidgetItem *item = m_index->currentItem())
        ShowContext(item->data(Qt::UserRole).toInt());
}

void THelpViewer::FilterIndex(const QString &key)
{
    const QString k = key.trimmed();
    for (int i = 0; i < m_index->count(); ++i)
        m_index->item(i)->setHidden(!k.isEmpty() && !m_index->item(i)->text().contains(k, Qt::CaseInsensitive));
}

THelp &THelp::Instance()
{
    static THelp help;
    return help;
}

void THelp::SetHelpFile(const QString &folder)
{
    m_helpFile = folder;
}

THelpViewer &THelp::EnsureViewer()
{
    if (!m_viewer)
        m_viewer = new THelpViewer;
    m_viewer->setAttribute(Qt::WA_DeleteOnClose);
    m_viewer->SetHelpSet(m_helpFile);
    return *m_viewer;
}

bool THelp::Command(int command, int data, const QString &key)
{
    switch (command) {
    case kHelpQuit:
        if (m_viewer)
            m_viewer->close();
        return true;
    case kHelpContext:
    case kHelpContextPopup:
        EnsureViewer().ShowContext(data);
        break;
    case kHelpKey:
        EnsureViewer().ShowIndex(key);
        break;
    default:
        EnsureViewer().ShowContext(kHelpMainWindow);
        break;
    }
    m_viewer->show();
    m_viewer->raise();
    m_viewer->activateWindow();
    return true;
}

} // namespace app
