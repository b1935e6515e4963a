#include "platform/ProductFolder.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace productfolder {
namespace {

QString file(const char* relativePath)
{
    return path() + QLatin1Char('/') + QLatin1String(relativePath);
}

// True when files can be created in the folder, or in the folder that would hold it.
bool canCreateFilesIn(const QString& folder)
{
    QFileInfo info(folder);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString path()
{
    const QString fromEnvironment = qEnvironmentVariable("KORVANIS_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    return QDir::homePath() + QStringLiteral("/.local/share/korvanis");
}

QString inUseStamp()
{
    return file("Em_Uso.txt");
}
QString activityFile()
{
    return file("ULTATIV.KVX");
}
QString stockEntryLog()
{
    return file("LOGESTLOTE.TXT");
}
QString clientLibraryLocation()
{
    return file("CaminhoGDS.txt");
}
QString reportProject()
{
    return file("rpt/rptNFiscal.xml");
}
QString errorLog()
{
    return file("erros.log");
}
QString sharedDatabase()
{
    return file("dados/korvanis.bd");
}
QString workstationDatabase()
{
    return file("interfac/korvanis.bd");
}

QString useOwnLockFolderIfNeeded(const QString& defaultLockFolder)
{
    if (!qEnvironmentVariableIsEmpty("FIREBIRD_LOCK") || canCreateFilesIn(defaultLockFolder))
        return {};
    const QString own = file("firebird-lock");
    QDir().mkpath(own);
    qputenv("FIREBIRD_LOCK", QFile::encodeName(own));
    return own;
}

} // namespace productfolder
