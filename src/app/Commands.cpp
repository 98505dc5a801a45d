// The windows the main window's commands open, as far as this build has them. A window
// added to the program gets its line here; until then its menu item stays disabled.

#include "app/Config.h"
#include "app/Help.h"
#include "app/Main.h"
#include "entry/BailCoop.h"
#include "entry/Bailstd.h"
#include "entry/Locateur.h"
#include "db/Settings.h"
#include "forms/PrintCommand.h"
#include "forms/Printbat.h"
#include "ui/MessageBoxes.h"
#include "ui/WaitCursor.h"

#include <optional>

namespace app {

namespace {

// What the entry windows reach through hooks because they sit below the application:
// the help viewer and the printing of a lease.
void InstallEntryHooks()
{
    entry::SetHelpTopicHook([](int topic) { THelp::Instance().Command(1, topic); });
    forms::TPrintBatch::SetHelpHook([](int topic) { THelp::Instance().Command(1, topic); });
    entry::TBailStdForm::SetPrintHook([](entry::TBailStdForm &form, bool preview) {
        // The dialog offers the Annex pages when the window stands on the lease's Annex row.
        const bool annex = form.IsElderly() && form.SeekAnnexe();
        forms::PrintCurrentLease(&form, preview ? forms::TPrintButton::SBPreview : forms::TPrintButton::SBPrint,
                                 form.BailStdTable(), form.LocateurTable(), form.AnnexePrintTable(), annex,
                                 form.RepositionsAfterPrintDialog());
    });
}

} // namespace

TWindowCommands DefaultWindowCommands()
{
    InstallEntryHooks();
    TWindowCommands commands;
    // The MDI area adopts the windows.
    commands.lessorWindow = [](QWidget *) -> ui::TMdiChild * { return new entry::TLocateurForm(nullptr); };
    commands.leaseWindow = [](QWidget *, bool elderly, bool coop, const QString &key) -> ui::TMdiChild * {
        entry::TBailStdForm *form = coop ? new entry::TBailCoopForm(nullptr, elderly)
                                         : new entry::TBailStdForm(nullptr, elderly);
        if (!key.isEmpty())
            form->GoToLease(key);
        return form;
    };
    commands.batchPrint = [](QWidget *parent) {
        std::optional<ui::TWaitCursor> wait(std::in_place);
        forms::TPrintBatch dialog(parent);
        wait.reset();
        dialog.exec();
    };
    commands.configuration = [](QWidget *parent) {
        TConfigForm form(parent);
        if (form.Opened())
            form.exec();
    };
    return commands;
}

} // namespace app
