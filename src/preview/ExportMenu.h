#pragma once
// The preview's export command: a small menu under its button with "export" and "export and
// open", the file dialog whose filter chooses the kind (word-processing document, spreadsheet,
// PDF), the export itself, and the finished file handed to the desktop's program for it.

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QFileDialog;
class QMenu;
class QUrl;
class QWidget;

namespace printout {
class TPrintout;
}

namespace ui {
class TKelButtonFace;
}

namespace preview {

// The index in filters of what a file dialog reports as selected: the whole filter, or only
// its description where the dialog hides the pattern. -1 when none is.
int NameFilterIndex(const QStringList &filters, const QString &selected);

class TExportMenu : public QObject {
    Q_OBJECT
public:
    // button: the toolbar button the menu drops from when clicked; current gives the shown
    // printout and french the working language of the window.
    TExportMenu(ui::TKelButtonFace *button, std::function<printout::TPrintout *()> current, std::function<bool()> french);

    QMenu *Menu() const { return m_menu; }
    QAction *ExportAction() const { return m_export; }
    QAction *ExportOpenAction() const { return m_exportOpen; }
    void SetFrench(bool french);
    // Opens the menu under the button.
    void Popup();

    // Asks for the file, then exports (and opens it when open is set).
    void Run(bool open);
    // What the dialog leads to: kind 0 word processor, 1 spreadsheet, 2 PDF. A file that cannot
    // be written is told in a box; any other failure ends the command silently.
    bool ExportFile(const QString &fileName, int kind, bool open);

    // The dialog's filters in the window's language, in kind order.
    QStringList Filters() const;

    // Tests answer the file dialog (return whether it was accepted) and see what would be
    // opened instead of starting a program.
    static void SetFileDialogHook(std::function<bool(QFileDialog &)> hook);
    static void SetOpenHook(std::function<bool(const QUrl &)> hook);

private:
    ui::TKelButtonFace *m_button;
    std::function<printout::TPrintout *()> m_current;
    std::function<bool()> m_french;
    QMenu *m_menu;
    QAction *m_export, *m_exportOpen;
    int m_lastKind = 0;
};

} // namespace preview
