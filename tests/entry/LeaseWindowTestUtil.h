#pragma once
// The lease windows as their tests use them: a toolbar host standing for the main window,
// the window shown and bound to it, rows written straight into the tables, and the errors
// that reach the application's handler.

#include "EntryTestUtil.h"
#include "dataset/Common.h"
#include "dataset/DBNavigator.h"
#include "dataset/DBRadioGroup.h"
#include "dataset/Field.h"
#include "dataset/MonthList.h"
#include "dataset/Table.h"
#include "db/BailKey.h"
#include "db/LeaseRules.h"
#include "db/Settings.h"
#include "dbase/EngineError.h"
#include "entry/BailCoop.h"
#include "entry/Bailstd.h"
#include "ui/MLBase.h"
#include "ui/ToolbarHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace leasetest {

using dataset::TDataSetState;
using dataset::TNavigateBtn;
using dataset::TTable;
using entry::TBailStdForm;


// The main window's toolbar as a lease window sees it: a real navigator, the command
// states and the status text it is given.
class TTestHost : public ui::TToolbarHost {
public:
    TTestHost() { navigator.show(); }
    dataset::TDBNavigator &Navigator() override { return navigator; }
    void SetPrintAction(std::function<void()> action) override { print = std::move(action); }
    void SetPreviewAction(std::function<void()> action) override { preview = std::move(action); }
    void SetCopyAction(std::function<void()> action) override { copy = std::move(action); }
    void SetPrintCommandsEnabled(bool enabled) override { commandsEnabled = enabled; }
    void SetStatusText(int panel, const QString &text) override
    {
        if (panel == 0)
            status = text;
    }
    void ResetToolbar() override
    {
        navigator.SetDataSource(nullptr);
        navigator.BeforeAction = nullptr;
        navigator.OnClick = nullptr;
        print = preview = copy = nullptr;
        commandsEnabled = false;
        status.clear();
        ++resets;
    }
    void Click(TNavigateBtn b) { QTest::mouseClick(navigator.Button(b), Qt::LeftButton); }

    dataset::TDBNavigator navigator;
    std::function<void()> print, preview, copy;
    bool commandsEnabled = false;
    QString status;
    int resets = 0;
};

// Errors that reach the application's handler, as texts (engine errors with their code).
class TErrors {
public:
    TErrors()
    {
        dataset::SetEventExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const dbase::EDBEngineError &err) {
                codes.push_back(err.Code());
                texts.push_back(err.Message());
            } catch (const db::EConvertError &err) {
                texts.push_back(err.Message());
            } catch (const std::exception &err) {
                texts.push_back(QString::fromUtf8(err.what()));
            }
        });
    }
    ~TErrors() { dataset::SetEventExceptionHandler({}); }
    std::vector<int> codes;
    std::vector<QString> texts;
};

inline TTable &Open(TTable &t, const char *file, const char *order)
{
    t.SetDatabaseName(QLatin1String(db::kDatabaseName));
    t.SetTableName(QLatin1String(file));
    if (order)
        t.SetIndexFieldNames(QLatin1String(order));
    t.Open();
    return t;
}

inline void AddLease(db::TLeaseKind kind, const QString &number, const QString &name = QString())
{
    TTable t;
    Open(t, "BailStd.dbf", nullptr);
    t.Append();
    t.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(number);
    t.FieldByName(QStringLiteral("BAILAHCOOP"))->SetAsString(db::LeaseKey(kind, number));
    t.FieldByName(QStringLiteral("A_NOM1"))->SetAsString(name);
    t.FieldByName(QStringLiteral("C_DEBUT"))->SetAsDate(QDate(2024, 7, 1));
    t.Post();
}

inline void AddAnnex(const QString &number, double amount)
{
    TTable t;
    Open(t, "Annexe.dbf", nullptr);
    t.Append();
    t.FieldByName(QStringLiteral("NOBAIL"))->SetAsString(number);
    t.FieldByName(QStringLiteral("MNTBAIL"))->SetAsFloat(amount);
    t.FieldByName(QStringLiteral("BAIN_PRIV"))->SetAsBoolean(true);
    t.Post();
}

inline bool AnnexExists(const QString &number)
{
    TTable t;
    Open(t, "Annexe.dbf", "NOBAIL");
    return t.FindKey(number);
}

inline void SetConfig(bool automatic, long long counter = -1)
{
    TTable t;
    Open(t, "BailConf.dbf", nullptr);
    t.Edit();
    t.FieldByName(QStringLiteral("GENAUTO"))->SetAsBoolean(automatic);
    if (counter >= 0)
        t.FieldByName(QStringLiteral("NOBAIL"))->SetAsInteger(counter);
    t.Post();
}

inline long long Counter()
{
    TTable t;
    Open(t, "BailConf.dbf", nullptr);
    return t.FieldByName(QStringLiteral("NOBAIL"))->AsInteger();
}

inline QString Str(TTable &t, const char *field)
{
    return t.FieldByName(QLatin1String(field))->AsString();
}

// A lease window shown, active and bound to a host, as the main window leaves it.
class TWindow {
public:
    explicit TWindow(bool elderly, bool coop = false)
        : form(coop ? new entry::TBailCoopForm(nullptr, elderly) : new TBailStdForm(nullptr, elderly))
    {
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->ChildActivated(host);
    }
    template <class T = QWidget>
    T *Find(const char *name)
    {
        T *w = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Brings the page holding w to the front and scrolls it into view.
    template <class T>
    T *Reveal(T *w)
    {
        for (int p = 0; p < TBailStdForm::kPageCount; ++p)
            if (form->PageArea(p)->isAncestorOf(w)) {
                form->Pages()->setCurrentIndex(p);
                form->PageArea(p)->ensureWidgetVisible(w);
            }
        QCoreApplication::processEvents();
        return w;
    }
    // Types into an edit after clicking into it, as a user does.
    void Activate()
    {
        if (QApplication::activeWindow() != form.get())
            QApplication::setActiveWindow(form.get());
    }
    void Type(const char *name, const QString &text)
    {
        Activate();
        auto *e = Reveal(Find<QLineEdit>(name));
        QTest::mouseClick(e, Qt::LeftButton);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void Erase(const char *name)
    {
        auto *e = Reveal(Find<QLineEdit>(name));
        e->setFocus();
        e->end(false);
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(e, Qt::Key_Backspace);
    }
    void Click(const char *name) { QTest::mouseClick(Reveal(Find(name)), Qt::LeftButton, {}, QPoint(7, 7)); }
    void ClickYesNo(const char *name, int index)
    {
        auto *g = Reveal(Find<dataset::TDBRadioGroup>(name));
        QTest::mouseClick(g->Button(index), Qt::LeftButton, {}, QPoint(6, g->Button(index)->height() / 2));
    }
    // Moves the focus to a plain field without rules of its own.
    // Chooses a month with the keyboard, as the list cannot be typed into.
    void ChooseMonth(const char *name, int month)
    {
        auto *list = Reveal(Find<dataset::TMonthComboBox>(name));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < month; ++i)
            QTest::keyClick(list, Qt::Key_Down);
    }
    void Leave() { Activate(); Reveal(Find<QLineEdit>("E_A_Nom1"))->setFocus(); QCoreApplication::processEvents(); }
    TTable &Lease() { return form->BailStdTable(); }

    TTestHost host;
    std::unique_ptr<TBailStdForm> form;
};

class BailStdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dataset::SetWorkingLanguage(QLatin1Char('F'));
        db::InitSettings();
        ui::TBaseMultiLang::SetAllLanguages(0);
    }
    void TearDown() override
    {
        dataset::SetWorkingLanguage(QLatin1Char('F'));
        db::InitSettings();
        ui::TBaseMultiLang::SetAllLanguages(0);
    }
    void English()
    {
        dataset::SetWorkingLanguage(QLatin1Char('A'));
        db::SetWorkingLanguage(QStringLiteral("A"));
        ui::TBaseMultiLang::SetAllLanguages(1);
    }
};

} // namespace leasetest
