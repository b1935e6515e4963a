#include "db/Schema.h"

#include "data/DbError.h"

#include <QFile>

// The scripts live in a resource of this static library, which must be registered by hand.
static void registerSchemaResource()
{
    static const bool once = [] {
        Q_INIT_RESOURCE(schema);
        return true;
    }();
    Q_UNUSED(once);
}

namespace schema {

QStringList statements(const QString& scriptName)
{
    registerSchemaResource();
    QFile file(QStringLiteral(":/db/") + scriptName);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("Script do banco de dados não encontrado: %1").arg(scriptName), -902);
    QStringList out;
    QString current;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            current = current.trimmed();
            current.chop(1);
            out << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

namespace {

void create(const FbConnection::Params& params, const QString& scriptName, bool forcedWrites)
{
    const QStringList script = statements(scriptName);
    // Each statement of the script is committed on its own; with forced writes every commit
    // would wait for the disk, so they are switched on only once the tables exist.
    FbConnection::createDatabase(params, 8192, false);
    FbConnection connection(params);
    try {
        for (const QString& sql : script)
            connection.execute(sql);
        connection.close();
        if (forcedWrites)
            FbConnection::setForcedWrites(params, true);
    } catch (...) {
        // A half-made database would be refused as existing next time: remove it.
        try {
            connection.dropDatabase();
        } catch (const DbError&) {
        }
        throw;
    }
}

} // namespace

void createSharedDatabase(const FbConnection::Params& params, bool forcedWrites)
{
    create(params, QStringLiteral("shared.sql"), forcedWrites);
}

void createWorkstationDatabase(const FbConnection::Params& params, bool forcedWrites)
{
    create(params, QStringLiteral("workstation.sql"), forcedWrites);
}

namespace {

QStringList userIndexes(FbConnection& connection, bool secondaryOnly)
{
    QString sql = QStringLiteral("select trim(I.RDB$INDEX_NAME) from RDB$INDICES I "
                                 "where coalesce(I.RDB$SYSTEM_FLAG, 0) = 0");
    if (secondaryOnly)
        sql += QStringLiteral(" and not exists (select 1 from RDB$RELATION_CONSTRAINTS C "
                              "where C.RDB$INDEX_NAME = I.RDB$INDEX_NAME)");
    QStringList indexes;
    auto cursor = connection.openCursor(sql);
    while (cursor->fetch())
        indexes << cursor->text(0);
    return indexes;
}

} // namespace

void updateIndexStatistics(FbConnection& connection)
{
    for (const QString& index : userIndexes(connection, false))
        connection.execute(QStringLiteral("set statistics index \"%1\"").arg(index));
}

void setSecondaryIndexesActive(FbConnection& connection, bool active)
{
    const QString state = active ? QStringLiteral("active") : QStringLiteral("inactive");
    for (const QString& index : userIndexes(connection, true))
        connection.execute(QStringLiteral("alter index \"%1\" %2").arg(index, state));
}

void addMissingIndexes(FbConnection& connection)
{
    struct Index {
        const char* name;
        const char* statement;
    };
    static const Index later[] = {
        {"IX_COMPRAS_SITUACAO", "create index IX_COMPRAS_SITUACAO on COMPRAS computed by (upper(SITUACAO))"},
    };
    for (const Index& index : later) {
        const Values found =
            connection.executeRow(QStringLiteral("select count(*) from RDB$INDICES where RDB$INDEX_NAME = ?"),
                                  {QString::fromLatin1(index.name)});
        if (std::get<qint64>(found.front()) == 0)
            connection.execute(QString::fromLatin1(index.statement));
    }
}

} // namespace schema
