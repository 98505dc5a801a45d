#pragma once
// The program's own settings file, beside the user's other configuration files:
// ~/.config/Logiciels Kelvora/leaseform.conf (XDG_CONFIG_HOME when set), sections such as
// [Archive], [Internet] and [Init].

#include <QSettings>

#include <memory>

namespace ui {

std::unique_ptr<QSettings> ProgramSettings();

} // namespace ui
