#include "tests/support/TestServer.h"

#include <QFile>

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

} // namespace testserver
