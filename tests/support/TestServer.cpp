#include "tests/support/TestServer.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

#include <stdexcept>

namespace testserver {

QString folder()
{
    const QString dir = qEnvironmentVariable("KORVANIS_TEST_SERVER_DIR");
    if (dir.isEmpty())
        throw std::runtime_error("KORVANIS_TEST_SERVER_DIR is not set: run this test through ctest, which "
                                 "starts the private Firebird server first");
    return dir;
}

QString serverAddress()
{
    QFile portFile(folder() + QStringLiteral("/port"));
    if (!portFile.open(QIODevice::ReadOnly))
        throw std::runtime_error("the private Firebird server is not running (no port file)");
    const QString port = QString::fromLatin1(portFile.readAll()).trimmed();
    return QStringLiteral("localhost/") + port;
}

bool removeDatabases()
{
    QDir dir(folder());
    bool removed = true;
    for (const QString& name : dir.entryList({QStringLiteral("*.fdb")}, QDir::Files))
        removed = dir.remove(name) && removed;
    return removed;
}

bool control(const char* command)
{
    const QByteArray line = QFile::encodeName(qEnvironmentVariable("KORVANIS_TEST_SERVER_SCRIPT")) + ' ' + command +
                            ' ' + QFile::encodeName(folder()) + " >/dev/null";
    return std::system(line.constData()) == 0;
}

} // namespace testserver
