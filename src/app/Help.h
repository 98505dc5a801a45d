#pragma once
// Online help: a help set is a folder of HTML topics named by context number
// ("ctx<N>.html"), shown in one help window with an index of the topics' titles.

#include <QPointer>
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace app {

// Requests of the help hook, numbered as the classic help engines number them.
enum THelpCommand : int {
    kHelpContext = 1,
    kHelpQuit = 2,
    kHelpContextPopup = 8,
    kHelpKey = 257,
};

// Help contexts of the main window and its menus.
inline constexpr int kHelpMainWindow = 1;
inline constexpr int kHelpOnHelp = 520;

// The help window: index on the left (filtered by a key), topic on the right.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);

    // The help set folder; the index is rebuilt from its topics.
    void SetHelpSet(const QString &folder);
    const QString &HelpSet() const { return m_folder; }
    // Shows the topic of a context; an unknown context shows the default topic.
    void ShowContext(int context);
    // Shows the index filtered by key (all topics when key is empty) and the first match.
    void ShowIndex(const QString &key);
    // Topic shown now (0 when none) and the index entries visible.
    int CurrentContext() const { return m_context; }
    QStringList IndexEntries() const;

    QTextBrowser *Browser() const { return m_browser; }

private slots:
    void IndexActivated();
    void FilterIndex(const QString &key);

private:
    QString TopicPath(int context) const;
    void Retitle();

    QString m_folder;
    int m_context = 0;
    QLineEdit *m_key = nullptr;
    QListWidget *m_index = nullptr;
    QTextBrowser *m_browser = nullptr;
};

// The one help hook of the application: every help request goes through Command, which
// uses the current help set and remembers the help window for the main window to move.
class THelp {
public:
    static THelp &Instance();

    // Folder of the help set used from now on ("…/Bailf" or "…/baila").
    void SetHelpFile(const QString &folder);
    const QString &HelpFile() const { return m_helpFile; }

    // Context (1) and context pop-up (8) show the topic of data; quit (2) closes the help
    // window; key (257) shows the index for key; anything else the default topic.
    // Always handled: returns true.
    bool Command(int command, int data = 0, const QString &key = QString());

    // The help window while it exists.
    THelpViewer *Viewer() const { return m_viewer; }

private:
    THelpViewer &EnsureViewer();

    QString m_helpFile;
    QPointer<THelpViewer> m_viewer;
};

} // namespace app
