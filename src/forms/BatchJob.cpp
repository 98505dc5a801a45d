#include "forms/BatchJob.h"

#include "dataset/Field.h"
#include "dataset/Table.h"
#include "forms/PrintCommand.h"
#include "forms/PrintJob.h"

namespace forms {

int TBatchResult::Printed() const
{
    int n = 0;
    for (const TBatchLease &l : leases)
        n += l.outcome == TBatchOutcome::Printed;
    return n;
}

int TBatchResult::Pages() const
{
    int n = 0;
    for (const TBatchLease &l : leases)
        n += l.pages;
    return n;
}

QStringList TBatchResult::Numbers(TBatchOutcome outcome) const
{
    QStringList out;
    for (const TBatchLease &l : leases)
        if (l.outcome == outcome)
            out << l.number;
    return out;
}

TBatchResult PrintBatch(const QStringList &numbers, std::optional<long long> lessorFilter, dataset::TTable &lease,
                        dataset::TTable &lessor, dataset::TTable &annex, printout::TPrintout &printout,
                        const std::function<void(int done, int count)> &progress)
{
    TBatchResult result;
    result.leases.reserve(size_t(numbers.size()));
    const int count = int(numbers.size());
    for (int i = 0; i < count; ++i) {
        TBatchLease &entry = result.leases.emplace_back();
        entry.number = numbers[i].trimmed();
        if (!entry.number.isEmpty() && lease.FindKey(entry.number)) {
            entry.kind = lease.FieldByName(QStringLiteral("BAILAHCOOP"))->AsString().left(2);
            if (lessorFilter && lease.FieldByName(QStringLiteral("NOLOCATEUR"))->AsInteger() != *lessorFilter) {
                entry.outcome = TBatchOutcome::OtherLessor;
            } else {
                try {
                    entry.pages = PrintWholeLease(lease, lessor, annex, printout);
                    entry.outcome = TBatchOutcome::Printed;
                } catch (const ENoPainter &) {
                    entry.outcome = TBatchOutcome::NoPages; // nothing of it was drawn
                }
            }
        }
        if (progress)
            progress(i + 1, count);
    }
    return result;
}

} // namespace forms
