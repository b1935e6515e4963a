#pragma once

#include "data/FbConnection.h"

#include <QList>
#include <QString>
#include <QStringList>

// The database user the workstations log in with on a Firebird server. It holds exactly what the
// module's statements need, table by table and operation by operation, through the module's role
// (schema::kModuleRole), which the program connects with; it owns no table, so it can neither change
// nor drop one, and it is not the server's administrator (SYSDBA stays on the server). It reads no
// user's password: the login asks the procedure VERIFICAR_USUARIO.
namespace moduleuser {

// The operations on one table: "S" select, "I" insert, "U" update, "D" delete.
struct TableRights {
    QString table;
    QString operations;
};

// What the module's statements need in the shared database and in the workstation database.
const QList<TableRights>& sharedDatabaseRights();
const QList<TableRights>& workstationDatabaseRights();
// The procedures the module user may run in the shared database.
QStringList sharedDatabaseProcedures();

// Checks the name and password of a new database user; throws AdminError with the reason.
void validate(const QString& name, const QString& password);

// The tables a schema script creates ("shared.sql", "workstation.sql").
QStringList tablesOf(const QString& scriptName);

// Creates the user on the server of `admin` (an attachment of the server's administrator), or gives
// an existing one the new password.
void createOrAlter(FbConnection& admin, const QString& name, const QString& password);

// Grants the module's role the rights of `rights` (and `procedures`) in that database, and the role
// to the user; whatever an earlier version granted the user directly on the tables of the schema
// script is taken back. The database gets the role and the login procedure first when it lacks them.
void grantModuleRights(FbConnection& admin, const QString& scriptName, const QList<TableRights>& rights,
                       const QStringList& procedures, const QString& name);

} // namespace moduleuser
