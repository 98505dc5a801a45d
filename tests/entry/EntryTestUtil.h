#pragma once
// Helpers of the entry-window tests: a data folder behind the database name the windows
// open, and answers to the message boxes they ask.

#include "TestSupport.h"
#include "db/Demo.h"
#include "db/Schema.h"
#include "dbase/Database.h"
#include "ui/MessageBoxes.h"

#include <QMessageBox>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace entrytest {

// A temporary data folder (demo rows, possibly none) that DbBailData points at.
class TDataFolder {
public:
    TDataFolder(int leases = 0, int lessors = 0)
        : m_dir(testsupport::TempDir())
    {
        db::MakeDemoFolder(m_dir->path(), leases, lessors);
        dbase::Session::Instance().DefineDatabase(QLatin1String(db::kDatabaseName), QStringLiteral("DBASE"),
                                                  {QStringLiteral("PATH=") + m_dir->path()});
    }
    QString Path() const { return m_dir->path(); }
    QString File(const db::TTableDesc &t) const { return db::TableFile(m_dir->path(), t, "dbf"); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Answers every message box with the next of the given buttons (the last one repeats)
// and keeps the texts shown; the hook is removed with the object.
class TBoxAnswers {
public:
    explicit TBoxAnswers(std::vector<QMessageBox::StandardButton> answers = {QMessageBox::Yes})
        : m_answers(std::move(answers))
    {
        ui::SetMessageBoxHook([this](QMessageBox &box) {
            m_texts.push_back(box.text());
            m_captions.push_back(box.windowTitle());
            const size_t i = std::min(m_next++, m_answers.size() - 1);
            return m_answers[i];
        });
    }
    ~TBoxAnswers() { ui::SetMessageBoxHook({}); }
    const std::vector<QString> &Texts() const { return m_texts; }
    const std::vector<QString> &Captions() const { return m_captions; }

private:
    std::vector<QMessageBox::StandardButton> m_answers;
    size_t m_next = 0;
    std::vector<QString> m_texts;
    std::vector<QString> m_captions;
};

} // namespace entrytest
