#pragma once

#include <QStringList>
#include <QTextStream>

// The commands of korvanis-admin: init, demo, user add, workstation add, dbuser add, encode, generate,
// indexes and report.
namespace admin {

enum ExitCode { kSuccess = 0, kFailure = 1, kBadArguments = 2 };

// Runs one command given by its arguments (without the program name). Results go to `out`;
// error messages and progress to `err`. Every refusal leaves the databases as they were.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The text that explains the commands.
QString usage();

} // namespace admin
