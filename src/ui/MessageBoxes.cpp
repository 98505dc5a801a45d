#include "ui/MessageBoxes.h"

#include "dataset/Common.h"

#include <QApplication>
#include <QPushButton>

namespace ui {

namespace {

struct TMessageState {
    std::shared_ptr<const TMessageTable> m_table;
    int m_language = 0;
    TMessageBoxHook m_hook;
};

TMessageState &State()
{
    static TMessageState state;
    return state;
}

bool French()
{
    return dataset::WorkingLanguage() == QLatin1Char('F');
}

QString UpperFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

} // namespace

TMessageTable::TMessageTable(const QStringList &words)
{
    for (qsizetype i = 0; i + 2 < words.size(); i += 3) {
        const QString key = words.at(i).toUpper();
        if (!m_rows.contains(key))
            m_rows.insert(key, {words.at(i + 1), words.at(i + 2)});
    }
}

std::optional<QString> TMessageTable::Find(const QString &key, int language) const
{
    const auto it = m_rows.constFind(key.toUpper());
    if (it == m_rows.constEnd())
        return std::nullopt;
    return language == 0 ? it->first : it->second;
}

void InstallMessageTable(std::shared_ptr<const TMessageTable> table)
{
    State().m_table = std::move(table);
}

void SetMessageLanguage(int language)
{
    State().m_language = language == 0 ? 0 : 1;
}

int MessageLanguage()
{
    return State().m_language;
}

QString MessageText(const QString &keyOrText)
{
    if (!keyOrText.startsWith(QLatin1String("@IDS_"), Qt::CaseInsensitive))
        return keyOrText;
    const TMessageState &s = State();
    if (s.m_table)
        if (std::optional<QString> text = s.m_table->Find(keyOrText, s.m_language))
            return *text;
    return keyOrText;
}

QString LineBreaks(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

std::unique_ptr<QMessageBox> BuildMessageBox(QMessageBox::Icon icon, const QString &caption,
                                             const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton,
                                             QWidget *parent)
{
    if (!parent)
        parent = QApplication::activeWindow();
    auto box = std::make_unique<QMessageBox>(icon, caption, LineBreaks(text), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setWindowFlags(box->windowFlags() | Qt::WindowStaysOnTopHint);
    box->setDefaultButton(defaultButton);
    return box;
}

QMessageBox::StandardButton RunMessageBox(QMessageBox &box)
{
    if (const TMessageBoxHook &hook = State().m_hook)
        return hook(box);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : QMessageBox::NoButton;
}

QMessageBox::StandardButton ShowMessageBox(QMessageBox::Icon icon, const QString &caption,
                                           const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton,
                                           QWidget *parent)
{
    const std::unique_ptr<QMessageBox> box =
        BuildMessageBox(icon, caption, text, buttons, defaultButton, parent);
    return RunMessageBox(*box);
}

void SetMessageBoxHook(TMessageBoxHook hook)
{
    State().m_hook = std::move(hook);
}

void ErrorBox(const QString &message, QWidget *parent)
{
    ShowMessageBox(QMessageBox::Critical, MessageText(QStringLiteral("@IDS_ERROR")),
                   UpperFirst(MessageText(message)), QMessageBox::Ok, QMessageBox::Ok, parent);
}

void WarningBox(const QString &message, QWidget *parent)
{
    ShowMessageBox(QMessageBox::Warning, MessageText(QStringLiteral("@IDS_WARNING")),
                   UpperFirst(MessageText(message)), QMessageBox::Ok, QMessageBox::Ok, parent);
}

QMessageBox::StandardButton QuestionBox(const QString &message, QWidget *parent)
{
    return ShowMessageBox(QMessageBox::Question, MessageText(QStringLiteral("@IDS_ATTENTION")),
                          UpperFirst(MessageText(message)), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Yes, parent);
}

QMessageBox::StandardButton AskKeepChanges(QWidget *parent)
{
    return ShowMessageBox(QMessageBox::Question, QStringLiteral("Attention"),
                          French()
                              ? QStringLiteral("Désirez-vous conserver les modifications ?")
                              : QStringLiteral("Do you want to keep the changes ?"),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::No, parent);
}

QMessageBox::StandardButton AskDeleteRecord(QWidget *parent)
{
    return ShowMessageBox(QMessageBox::Question, QStringLiteral("Attention"),
                          French()
                              ? QStringLiteral("Désirez-vous détruire cet enregistrement ?")
                              : QStringLiteral("Do you want to delete this record ?"),
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No, parent);
}

} // namespace ui
