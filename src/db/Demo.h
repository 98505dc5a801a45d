#pragma once
// A data folder filled with made-up, deterministic lessors and leases, for trying the
// program and for tests and benchmarks of the tables.

#include <QString>

namespace db {

struct TDemoCounts {
    int lessors = 0;
    int leases = 0;
    int annexes = 0;
};

// Creates the tables of a data folder in dir from fresh seeds, builds their tags, writes
// the configuration row (French, automatic numbering) and adds lessors and leases spread
// over the four kinds and both printing languages, numbered by the real numbering. The
// same arguments always give the same rows. Refuses a folder that already has a lease
// table. Throws EDBEngineError.
TDemoCounts MakeDemoFolder(const QString &dir, int leases, int lessors);

} // namespace db
