#pragma once
// Helpers of the application tests: data folders as the program finds them, the current
// directory, and message boxes answered and recorded.

#include "support/TestSupport.h"

#include "db/FileOps.h"
#include "db/Reindex.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <unistd.h>
#include <vector>

namespace apptest {

// Runs with the current directory set to dir, restored on destruction.
class TCurrentDir {
public:
    explicit TCurrentDir(const QString &dir) : m_old(QDir::currentPath())
    {
        if (!QDir::setCurrent(dir))
            throw std::runtime_error("cannot enter the test folder");
    }
    ~TCurrentDir() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

struct TShownBox {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Records every message box; answers from a queue (then OK, or the escape button).
class TBoxRecorder {
public:
    TBoxRecorder()
    {
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            m_boxes.push_back({box.icon(), box.windowTitle(), box.text(), box.standardButtons()});
            if (onBox)
                onBox(m_boxes.back());
            if (!m_answers.empty()) {
                const QMessageBox::StandardButton a = m_answers.front();
                m_answers.pop_front();
                return a;
            }
            return box.standardButtons() & QMessageBox::Ok ? QMessageBox::Ok : QMessageBox::Cancel;
        });
    }
    ~TBoxRecorder() { ui::SetMessageBoxHook({}); }

    void Answer(QMessageBox::StandardButton b) { m_answers.push_back(b); }
    const std::vector<TShownBox> &Boxes() const { return m_boxes; }
    QStringList Texts() const
    {
        QStringList t;
        for (const TShownBox &b : m_boxes)
            t << b.text;
        return t;
    }
    std::function<void(const TShownBox &)> onBox; // called before answering

private:
    std::vector<TShownBox> m_boxes;
    std::deque<QMessageBox::StandardButton> m_answers;
};

// A data folder as a first start leaves it after its reindex: tables, tags, blank config.
inline void MakeDataFolder(const QString &dir)
{
    for (const db::TTableDesc *t : db::Tables())
        db::CopyFile(db::TableFile(testsupport::SeedDir(), *t, "dat"),
                     QDir(dir).filePath(QLatin1String(t->name) + QStringLiteral(".dbf")));
    for (const db::TReindexStep &s : db::ReindexDataFolder(dir))
        if (!s.ok)
            throw dbase::EDBEngineError(s.errorCode, s.error);
}

inline void Touch(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write test file");
}

// Lets queued events (deferred deletes included) run.
inline void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

} // namespace apptest
