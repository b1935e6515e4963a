#include "db/ProductFolder.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace product {

QString folder()
{
    const QString configured = qEnvironmentVariable("KORVANIS_DIR");
    if (!configured.isEmpty())
        return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.local/share/korvanis");
}

QString sharedDatabasePath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("dados/korvanis.bd"));
}

QString workstationDatabasePath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("interfac/korvanis.bd"));
}

void prepareEmbeddedEngine(const QString& folder)
{
    if (qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return;
    const QByteArray defaultLock("/tmp/firebird");
    const bool usable = QFileInfo::exists(QString::fromLatin1(defaultLock))
                            ? ::access(defaultLock.constData(), W_OK | X_OK) == 0
                            : ::access("/tmp", W_OK | X_OK) == 0;
    if (usable)
        return;
    const QString lock = QDir(folder).filePath(QStringLiteral("lock"));
    QDir().mkpath(lock);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(lock));
}

} // namespace product
