#pragma once

#include "data/FbConnection.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// The pharmacy's backups: one file per database and run, named by its label, date and time
// ("dados-20261211-213000.fbk"), each checked by restoring it into a temporary database and opening
// that; the oldest of a label are removed once more than the number to keep are there.
namespace backups {

constexpr int kDefaultKeep = 14;

struct Source {
    QString label; // the first part of the backup's name: "dados", "interfac", or the file's name
    FbConnection::Params database;
};

// `backups/` in the product folder.
QString defaultFolder();

// The label of a database named on the command line: its file name without the extension.
QString labelOf(const QString& databaseName);

// Backs up each source into the folder (created when missing), checks each new file, then keeps
// the newest `keep` of each label. Returns the files written. Throws AdminError (or DbError) on
// the first failure; a backup that failed its check is removed and nothing older is.
QStringList backUp(const std::vector<Source>& sources, const QString& folder, int keep, const QDateTime& now);

// The backups of a label in the folder, oldest first.
QStringList backupsOf(const QString& folder, const QString& label);

// Restores a backup into a new database. With `replace`, an existing local file is first restored
// beside, then swapped in, and the old file is kept under a name that says when it was replaced
// (returned); without it, an existing database is refused.
QString restore(const QString& file, const FbConnection::Params& database, bool replace, const QDateTime& now);

} // namespace backups
