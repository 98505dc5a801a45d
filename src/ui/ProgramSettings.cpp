#include "ui/ProgramSettings.h"

namespace ui {

std::unique_ptr<QSettings> ProgramSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Logiciels Kelvora"),
                                       QStringLiteral("leaseform"));
}

} // namespace ui
