#include "purchase/ConnectionConfig.h"

#include "data/DbError.h"
#include "data/Win1252.h"
#include "platform/ProductFolder.h"

#include <QFile>

namespace {

constexpr qsizetype kSharedNameLength = 90;
constexpr qsizetype kLocationLineLength = 100;

} // namespace

QString SharedDatabaseName(const QString& serverAddress, const QString& productFolder)
{
    if (serverAddress.isEmpty())
        return productFolder + QStringLiteral("/dados/korvanis.bd");
    return (serverAddress + QStringLiteral(":C:\\korvanis\\dados\\korvanis.bd")).left(kSharedNameLength);
}

QString WorkstationDatabaseName(const QString& serverAddress, const QString& workstationCode,
                                const QString& productFolder)
{
    if (serverAddress.isEmpty())
        return productFolder + QStringLiteral("/interfac") + workstationCode + QStringLiteral("/korvanis.bd");
    return serverAddress + QStringLiteral(":C:\\korvanis\\interfac") + workstationCode +
           QStringLiteral("\\korvanis.bd");
}

QString ClientLibraryFromLocationFile(const QString& locationFile)
{
    QFile file(locationFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray line = file.readLine();
    for (const char end : {'\r', '\n'})
        if (const qsizetype at = line.indexOf(end); at >= 0)
            line.truncate(at);
    QString folder = win1252::decode(line.left(kLocationLineLength));
    if (folder.isEmpty())
        return {};
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    return folder + QStringLiteral("GDS32.DLL");
}

ConnectionConfig ComposeConnections(const QString& serverAddress, const QString& workstationCode,
                                    const QString& productFolder, const QString& clientLibraryLocationFile)
{
    ConnectionConfig config;
    const QString user = FbConnection::defaultUser();
    const QString password = FbConnection::defaultPassword();
    config.shared = {SharedDatabaseName(serverAddress, productFolder), user, password};
    config.workstation = {WorkstationDatabaseName(serverAddress, workstationCode, productFolder), user, password};
    const QString library = ClientLibraryFromLocationFile(clientLibraryLocationFile);
    config.clientLibraryFromLocationFile = !library.isEmpty();
    config.clientLibrary = library.isEmpty() ? kDefaultClientLibrary : library;
    return config;
}

ConnectionConfig DataModuleConnections(const QString& serverAddress)
{
    return ComposeConnections(serverAddress, QString(), productfolder::path(), productfolder::clientLibraryLocation());
}

QString ConnectionFailureMessage(const QString& database, const DbError& error, const ConnectionConfig& config)
{
    QString serverText = error.message().trimmed();
    serverText.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    QString text = QStringLiteral("Não foi possível abrir o banco de dados \"") + database + QStringLiteral("\".") +
                   QStringLiteral("\r\r") + serverText;
    if (config.clientLibraryFromLocationFile && database == config.shared.database)
        text += QStringLiteral("\r\rBiblioteca cliente indicada em CaminhoGDS.txt: ") + config.clientLibrary;
    return text;
}
