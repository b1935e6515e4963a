#pragma once

#include "data/FbConnection.h"

#include <QStringList>

// The tables of the shared database and of the workstation database, as statements.
namespace schema {

// The statements of a schema script of the resource folder ":/db" (shared.sql, workstation.sql).
QStringList statements(const QString& scriptName);

// Creates a new database file and its tables; refuses to overwrite an existing database. Forced
// (synchronous) writes protect a database in use against a crash; a scratch database may go without.
void createSharedDatabase(const FbConnection::Params& params, bool forcedWrites = true);
void createWorkstationDatabase(const FbConnection::Params& params, bool forcedWrites = true);

// Recomputes the selectivity of every index of the database. An index created on an empty table
// looks perfectly selective to the optimizer until then; after a bulk load it would choose
// poor plans.
void updateIndexStatistics(FbConnection& connection);

// Switches off (and back on) the indexes that back no constraint. A bulk load into tables
// without them, followed by one rebuild of each, is faster than keeping them up to date row by row.
void setSecondaryIndexesActive(FbConnection& connection, bool active);

// The role the module connects with (see shared-access.sql): the module's tables are granted to
// it, and it to the workstations' database user.
inline const QString kModuleRole = QStringLiteral("KORVANIS_COMPRAS");

// Creates in a database the objects of an access script ("shared-access.sql",
// "workstation-access.sql": the module's role, the login procedure, the trigger that keeps the
// payables the finance module took over) that it lacks, with their grants; returns their names.
// New databases get them at once; one made by an earlier version at its first start, or by
// `korvanis-admin indexes` and `dbuser add`.
QStringList createMissingAccess(FbConnection& connection, const QString& scriptName);

// Creates in an existing database the indexes of a schema script that it lacks (found by name), so
// that a database made before an index joined the script gets it too; returns their names.
QStringList createMissingIndexes(FbConnection& connection, const QString& scriptName = QStringLiteral("shared.sql"));

} // namespace schema
