#pragma once
// Display and editing properties of the lease database's fields (masks, formats,
// alignment), the same for every window and grid that shows them.

namespace dataset {
class TTable;
}

namespace db {

// Edit masks of the system.
inline constexpr const char *kPostalCodeMask = ">l9l\\ 9l9;1; ";
inline constexpr const char *kTelephoneMask = "!\\(999\\)\\ 999-9999;0; ";
inline constexpr const char *kDateMask = "!9999/99/99;1; ";
inline constexpr const char *kHourMask = "!99:99;1; ";

// Sets the properties on the fields of an open table of the lease database, recognised
// by its file name (BailStd, Locateur, Annexe, BailConf, without regard to case). Fields
// and tables it does not know are left as they are.
void ApplyFieldProperties(dataset::TTable &table);

} // namespace db
