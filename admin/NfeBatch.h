#pragma once

#include "data/FbConnection.h"

#include <QDate>
#include <QStringList>
#include <QTextStream>

// korvanis-admin import-nfe: the day's NF-e files imported one after the other through the same
// reader, checks, supplier registration and import as the window's panel, with nobody to answer:
// every question is answered No, except those about a missing protocol or signature when the
// administrator accepts such files.
namespace admin {

struct NfeBatchOptions {
    FbConnection::Params shared;
    FbConnection::Params workstation;
    QDate receipt;
    bool acceptUnsigned = false;
};

// Imports each file, printing one line per file on `out` (imported, with number, supplier, items
// and unrecognised items; or refused, with the reason) and progress on `err` when the files are
// many. A refused file never stops the others. Returns kFailure when any file was refused.
int ImportNfeFiles(const NfeBatchOptions& options, const QStringList& files, QTextStream& out, QTextStream& err);

// The folder NF-e files arrive in: each `.xml` directly in it is imported as `ImportNfeFiles` does,
// then moved to `importadas/` when imported or to `recusadas/` when refused, with a `.txt` beside
// it saying why; a run finds only the files that came since the last. One run at a time. Returns
// kFailure when a file was refused or could not be moved.
int ImportNfeInbox(const NfeBatchOptions& options, const QString& folder, QTextStream& out, QTextStream& err);

} // namespace admin
