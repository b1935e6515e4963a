#pragma once

#include "data/FbConnection.h"

#include <QString>
#include <QStringList>

// The database user the workstations log in with on a Firebird server: it may read and write the
// module's tables and nothing more. It owns no table, so it can neither change nor drop one, and it
// is not the server's administrator (SYSDBA stays on the server).
namespace moduleuser {

// Checks the name and password of a new database user; throws AdminError with the reason.
void validate(const QString& name, const QString& password);

// The tables a schema script creates ("shared.sql", "workstation.sql").
QStringList tablesOf(const QString& scriptName);

// Creates the user on the server of `admin` (an attachment of the server's administrator), or gives
// an existing one the new password.
void createOrAlter(FbConnection& admin, const QString& name, const QString& password);

// Grants the user reading and writing on every table of the schema script in that database.
void grantTables(FbConnection& admin, const QString& scriptName, const QString& name);

} // namespace moduleuser
