#pragma once

#include <QString>

// The private Firebird server that CTest starts for the server tests (fixture "firebird_server").
// Its folder comes in KORVANIS_TEST_SERVER_DIR; the server writes the port it listens on there.
namespace testserver {

// The server's folder, holding the database files that its aliases point at; throws when the test
// was not started through CTest.
QString folder();
// "localhost/PORT", the form a workstation's ServerAddress takes.
QString serverAddress();
// Removes the server's databases, for a case that makes them afresh; false when one stays.
bool removeDatabases();
// Runs a command of the server's script on it ("restart", "freeze", "thaw"; see fbserver.sh);
// true when it succeeded.
bool control(const char* command);

} // namespace testserver
