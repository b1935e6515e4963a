#pragma once

#include <QString>

class DbError;

// The one place where a database error becomes what the clerk reads: what was being done, what
// went wrong in plain Portuguese (duplicate key, update conflict, lost connection, text too long,
// character outside the code page), and the server's own text as detail. Lines are separated by
// "\r", as in the program's other messages.
QString DbErrorText(const QString& doing, const DbError& error);

// The plain sentence for the error's cause; empty when it has none of its own.
QString DbErrorCause(const DbError& error);
