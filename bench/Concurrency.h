#pragma once

#include <QStringList>

// The load check: N writer processes against one database, each writing invoices of three items
// and registering suppliers through the data module and its dataset rules, all at the same moment.
//
//   korvanis-bench concurrency DATABASE [--writers N] [--invoices M] [--suppliers S] [--keep]
//
// DATABASE is a server address and path ("localhost/3055:/dados/korvanis.fdb") or an alias. It
// prints, per scenario, the rows attempted, stored and lost, duplicate rows, and invoices stored
// without their items, then removes the rows it wrote (unless --keep). Exit code 0 when nothing
// was lost and nothing doubled, 1 otherwise, 2 for wrong arguments.
int runConcurrency(const QStringList& args);

// One writer process of the check (started by `runConcurrency`).
int runConcurrencyWriter(const QStringList& args);
