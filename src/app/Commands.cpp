// The windows the main window's commands open, as far as this build has them. A window
// added to the program gets its line here; until then its menu item stays disabled.

#include "app/Config.h"
#include "app/Main.h"
#include "entry/Locateur.h"

namespace app {

TWindowCommands DefaultWindowCommands()
{
    TWindowCommands commands;
    // The MDI area adopts the window.
    commands.lessorWindow = [](QWidget *) -> ui::TMdiChild * { return new entry::TLocateurForm(nullptr); };
    commands.configuration = [](QWidget *parent) {
        TConfigForm form(parent);
        if (form.Opened())
            form.exec();
    };
    return commands;
}

} // namespace app
