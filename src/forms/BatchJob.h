#pragma once
// The batch job shared by the batch print dialog and bailtool: many leases, in the order
// given, each through its whole page plan, into one printout.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace dataset {
class TTable;
}
namespace printout {
class TPrintout;
}

namespace forms {

enum class TBatchOutcome {
    Printed,
    Missing,     // no lease has that number (any more)
    OtherLessor, // the lease belongs to another lessor than the one asked for
    NoPages,     // the lease's kind has no page this build can draw
};

struct TBatchLease {
    QString number;
    TBatchOutcome outcome = TBatchOutcome::Missing;
    QString kind; // the two-letter kind prefix, when the lease was found
    int pages = 0;
};

struct TBatchResult {
    std::vector<TBatchLease> leases; // one per number given, in that order
    int Printed() const;
    int Pages() const;
    // The numbers whose outcome is outcome, in the order given.
    QStringList Numbers(TBatchOutcome outcome) const;
};

// Prints the leases numbered numbers (NOBAIL values), in that order, a number listed twice
// printing twice. lease is searched on its current order, which must be NOBAIL; lessor must
// be ordered on NOLOCATEUR and annex on NOBAIL (both are moved onto each lease's rows). With
// lessorFilter, leases of other lessors are skipped. progress hears (done, count) after each
// number, skipped or not. Engine errors propagate.
TBatchResult PrintBatch(const QStringList &numbers, std::optional<long long> lessorFilter, dataset::TTable &lease,
                        dataset::TTable &lessor, dataset::TTable &annex, printout::TPrintout &printout,
                        const std::function<void(int done, int count)> &progress = {});

} // namespace forms
