#pragma once
// Message boxes of the system: the library's error, warning and question boxes, the two
// record-editing questions, and the message-key table their texts may come from.

#include <QHash>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QWidget;

namespace ui {

// Texts named by "@IDS_" keys, in French and English.
class TMessageTable {
public:
    // words: flattened rows of three entries (key, French text, English text); an incomplete
    // last row is ignored, and a key given twice keeps its first row.
    explicit TMessageTable(const QStringList &words);

    // The text of key (matched without regard to case) in language 0 French or 1 English.
    std::optional<QString> Find(const QString &key, int language) const;

private:
    QHash<QString, std::pair<QString, QString>> m_rows; // upper-cased key -> texts
};

// Installs the process-wide table; nullptr removes it.
void InstallMessageTable(std::shared_ptr<const TMessageTable> table);
// Language of the message texts: 0 French (the start value), anything else English.
void SetMessageLanguage(int language);
int MessageLanguage();
// A text starting with "@IDS_" (any case) is looked up in the installed table; without a
// table or a row the key itself is returned. Any other text is returned unchanged.
QString MessageText(const QString &keyOrText);

// "\r" (and "\r\n") in the system's messages is a line break.
QString LineBreaks(const QString &text);

// A topmost message box, not yet shown: icon, caption, text (line breaks converted), buttons
// and default button. parent defaults to the active window.
std::unique_ptr<QMessageBox> BuildMessageBox(QMessageBox::Icon icon, const QString &caption,
                                             const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton,
                                             QWidget *parent = nullptr);
// Shows box modally and returns the button pressed (the escape button when it is closed).
QMessageBox::StandardButton RunMessageBox(QMessageBox &box);
// BuildMessageBox then RunMessageBox.
QMessageBox::StandardButton ShowMessageBox(QMessageBox::Icon icon, const QString &caption,
                                           const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton,
                                           QWidget *parent = nullptr);

// When set, RunMessageBox hands the built box to the hook instead of showing it and returns
// the hook's answer: lets tests inspect boxes and answer them. An empty hook removes it.
using TMessageBoxHook = std::function<QMessageBox::StandardButton(QMessageBox &box)>;
void SetMessageBoxHook(TMessageBoxHook hook);

// The library boxes: caption from "@IDS_ERROR", "@IDS_WARNING" or "@IDS_ATTENTION"; message
// resolved by MessageText, its first letter upper-cased.
void ErrorBox(const QString &message, QWidget *parent = nullptr);
void WarningBox(const QString &message, QWidget *parent = nullptr);
// Yes/No, Yes by default; returns the button pressed.
QMessageBox::StandardButton QuestionBox(const QString &message, QWidget *parent = nullptr);

// The two record-editing questions, in the working language of the bound controls
// (dataset::WorkingLanguage). Before discarding an edited record: Yes/No/Cancel, No by
// default; callers post on Yes, cancel the edit on No and stay on Cancel.
QMessageBox::StandardButton AskKeepChanges(QWidget *parent = nullptr);
// Before deleting a record: Yes/No, No by default; No aborts the deletion.
QMessageBox::StandardButton AskDeleteRecord(QWidget *parent = nullptr);

} // namespace ui
