#pragma once

#include "data/FbConnection.h"

class DbError;

// How the data module's two connections are set up when it is created: the shared database
// (`SQLConnection1`, "KorvDados") and the workstation database (`SQLConnection2`, "Interfac").
struct ConnectionConfig {
    FbConnection::Params shared;
    FbConnection::Params workstation;
    // The client library named by the client-library location file, or the default "gds32.dll".
    // The library is bound when the program is built; this name only appears in a failure message.
    QString clientLibrary;
    bool clientLibraryFromLocationFile = false;
};

inline const QString kDefaultClientLibrary = QStringLiteral("gds32.dll");

// With a server address: the address followed by ":C:\korvanis\dados\korvanis.bd", the whole name
// kept to 90 characters. Without one: the embedded file dados/korvanis.bd of the product folder.
QString SharedDatabaseName(const QString& serverAddress, const QString& productFolder);

// With a server address: the address, ":C:\korvanis\interfac", the workstation code and
// "\korvanis.bd". Without one: interfac<code>/korvanis.bd in the product folder. At start-up no one
// has logged in yet, so the code is empty and the pieces meet with nothing between them.
QString WorkstationDatabaseName(const QString& serverAddress, const QString& workstationCode,
                                const QString& productFolder);

// The client library named by the location file: its first line (at most 100 characters) with a
// backslash appended when it lacks one, followed by "GDS32.DLL". No file, or an empty first line,
// gives an empty text.
QString ClientLibraryFromLocationFile(const QString& locationFile);

// Everything the data-module creation sets: both database names, the administrator's user and
// password (ISC_USER, SYSDBA when unset, and ISC_PASSWORD) and the client library.
ConnectionConfig ComposeConnections(const QString& serverAddress, const QString& workstationCode,
                                    const QString& productFolder, const QString& clientLibraryLocationFile);

// The same, for the product folder of this workstation.
ConnectionConfig DataModuleConnections(const QString& serverAddress);

// The message shown when a database cannot be opened: the database's name and the server's text.
QString ConnectionFailureMessage(const QString& database, const DbError& error, const ConnectionConfig& config);
