#include "tests/support/TestDatabase.h"

#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>

#include <ibase.h>

namespace {

constexpr unsigned kShutdownMilliseconds = 10000;

// The embedded engine keeps threads of its own after the last detach and winds them down only as
// the process exits. The sanitizer build's leak check stops every thread at exit and must not meet
// Firebird's threads half-ended, so the engine is shut down, its threads joined, while the test's
// application object goes away (every test database is gone by then).
void shutDownEmbeddedEngine()
{
    fb_shutdown(kShutdownMilliseconds, fb_shutrsn_app_stopped);
}

void shutDownEngineAtEnd()
{
    static const bool registered = [] {
        qAddPostRoutine(shutDownEmbeddedEngine);
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace

TestDatabase::TestDatabase()
{
    shutDownEngineAtEnd();
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
