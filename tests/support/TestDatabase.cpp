#include "tests/support/TestDatabase.h"

#include "db/Schema.h"

#include <QDir>

TestDatabase::TestDatabase()
{
    QDir(dir_.path()).mkpath(QStringLiteral("dados"));
    QDir(dir_.path()).mkpath(QStringLiteral("interfac"));
    // A test database needs no durability: without forced writes a commit does not wait for the disk.
    schema::createSharedDatabase(sharedParams(), false);
    schema::createWorkstationDatabase(workstationParams(), false);
    connection_ = newConnection();
}

FbConnection::Params TestDatabase::sharedParams() const
{
    return {dir_.filePath(QStringLiteral("dados/korvanis.bd")), QStringLiteral("SYSDBA"), QString()};
}

FbConnection::Params TestDatabase::workstationParams() const
{
    return {dir_.filePath(QStringLiteral("interfac/korvanis.bd")), QStringLiteral("SYSDBA"), QString()};
}

std::unique_ptr<FbConnection> TestDatabase::newConnection() const
{
    auto c = std::make_unique<FbConnection>(sharedParams());
    c->open();
    return c;
}
