#pragma once
// bailtool's batch command: many leases of a data folder in one job, drawn by the same print
// job as the batch print dialog, written as one PDF document or one metafile per page.

#include <QStringList>

namespace tool {

// batch DIR (--all | --lessor NOLOCATEUR | --leases N1,N2,...) (--pdf OUT.pdf | --emf PREFIX):
// leases in the order given (--all and --lessor: lease-number order); --lessor beside --leases
// keeps only that lessor's leases of the list. A number that names no lease, or a lease of
// another lessor, is skipped with a line on the standard error. Exit 1
// when nothing was drawn. A job longer than a second reports its progress on the standard error.
int Batch(const QStringList &args);

} // namespace tool
