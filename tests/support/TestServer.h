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

} // namespace testserver
