#include "db/Schema.h"

#include "data/AsciiCase.h"
#include "data/DbError.h"

#include <QFile>
#include <QRegularExpression>

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
    // A PSQL body holds statements of its own: it ends only at a line "end;" at the line's start.
    static const QRegularExpression psqlModule(QStringLiteral("^\\s*create\\s+(procedure|trigger)\\s"),
                                               QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    QString current;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        const bool ends = psqlModule.match(current).hasMatch()
                              ? line.trimmed() == line && trimmed == QLatin1String("end;")
                              : trimmed.endsWith(QLatin1Char(';'));
        if (ends) {
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
    FbConnection connection(params);
    createMissingAccess(connection, QStringLiteral("shared-access.sql"));
}

void createWorkstationDatabase(const FbConnection::Params& params, bool forcedWrites)
{
    create(params, QStringLiteral("workstation.sql"), forcedWrites);
    FbConnection connection(params);
    createMissingAccess(connection, QStringLiteral("workstation-access.sql"));
}

namespace {

// The system table and name column where an object of a kind of the access scripts is listed.
struct ObjectKind {
    const char* kind;
    const char* table;
    const char* column;
};

constexpr ObjectKind kObjectKinds[] = {
    {"role", "RDB$ROLES", "RDB$ROLE_NAME"},
    {"procedure", "RDB$PROCEDURES", "RDB$PROCEDURE_NAME"},
    {"exception", "RDB$EXCEPTIONS", "RDB$EXCEPTION_NAME"},
    {"trigger", "RDB$TRIGGERS", "RDB$TRIGGER_NAME"},
    {"table", "RDB$RELATIONS", "RDB$RELATION_NAME"},
};

bool objectExists(FbConnection& connection, const QString& kind, const QString& name)
{
    for (const ObjectKind& k : kObjectKinds)
        if (kind.compare(QLatin1String(k.kind), Qt::CaseInsensitive) == 0) {
            const Values row = connection.executeRow(QStringLiteral("select count(*) from %1 where %2 = ?")
                                                         .arg(QLatin1String(k.table), QLatin1String(k.column)),
                                                     {ascii::upper(name)});
            return !row.empty() && std::get<qint64>(row.front()) > 0;
        }
    return false;
}

} // namespace

QStringList createMissingAccess(FbConnection& connection, const QString& scriptName)
{
    static const QRegularExpression createObject(QStringLiteral("^\\s*create\\s+(\\w+)\\s+(\\w+)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    QStringList created;
    bool objectCreated = false;
    for (const QString& statement : statements(scriptName)) {
        const QRegularExpressionMatch match = createObject.match(statement);
        if (match.hasMatch()) {
            objectCreated = !objectExists(connection, match.captured(1), match.captured(2));
            if (!objectCreated)
                continue;
            created << ascii::upper(match.captured(2));
        } else if (!objectCreated) {
            continue; // the grant of an object that was there already
        }
        connection.execute(statement);
    }
    return created;
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

QStringList createMissingIndexes(FbConnection& connection, const QString& scriptName)
{
    // "create [unique] [descending] index NAME on TABLE (...)"
    static const QRegularExpression indexStatement(
        QStringLiteral("^\\s*create\\s+(?:unique\\s+)?(?:(?:asc|ascending|desc|descending)\\s+)?index\\s+(\\w+)\\s"),
        QRegularExpression::CaseInsensitiveOption);
    const QStringList existing = userIndexes(connection, false);
    QStringList created;
    for (const QString& statement : statements(scriptName)) {
        const QRegularExpressionMatch match = indexStatement.match(statement);
        if (!match.hasMatch() || existing.contains(match.captured(1), Qt::CaseInsensitive))
            continue;
        connection.execute(statement);
        created << match.captured(1);
    }
    return created;
}

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

} // namespace schema
