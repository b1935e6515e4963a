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

// Creates the indexes that databases made before them lack (the index on upper(SITUACAO) of
// COMPRAS, by which the start-up sweep finds its lots). Nothing when they are all there.
void addMissingIndexes(FbConnection& connection);

} // namespace schema
