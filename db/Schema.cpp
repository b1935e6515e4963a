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

void create(const FbConnection::Params& params, const QString& scriptName)
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

void createSharedDatabase(const FbConnection::Params& params)
{
    create(params, QStringLiteral("shared.sql"));
}

void createWorkstationDatabase(const FbConnection::Params& params)
{
    create(params, QStringLiteral("workstation.sql"));
}

} // namespace schema
