#pragma once

#include "data/FbConnection.h"

#include <QString>

// Firebird's own backup format (gbak's). A local database file is backed up and restored by the
// embedded engine's service manager inside this process, so a connection of this process may
// keep writing meanwhile. A database on a server goes through the gbak tool, which reads it over
// the network and writes the backup file on this machine (and reads it back to restore).
namespace fbbackup {

// Whether a database name names a database on a server ("host:path", "host/port:path").
bool isServerName(const QString& name);

// Writes a backup of the database into `file`, which must not exist yet. Throws DbError with the
// engine's text, or AdminError when the gbak tool is missing or fails.
void backupDatabase(const FbConnection::Params& database, const QString& file);

// Creates the database from a backup file; fails when the database exists already.
void restoreDatabase(const QString& file, const FbConnection::Params& database);

} // namespace fbbackup
