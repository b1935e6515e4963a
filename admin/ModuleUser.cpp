#include "admin/ModuleUser.h"

#include "admin/AdminError.h"
#include "data/AsciiCase.h"
#include "data/SqlText.h"
#include "db/Schema.h"

#include <QHash>
#include <QRegularExpression>

namespace moduleuser {

namespace {

// A plain Firebird identifier: it needs no quotes, and the server stores it in upper case.
constexpr int kMaxNameLength = 31;
const QString kAdministrator = QStringLiteral("SYSDBA");

} // namespace

void validate(const QString& name, const QString& password)
{
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    if (name.size() > kMaxNameLength || !identifier.match(name).hasMatch())
        throw AdminError(QStringLiteral("O nome do usuário do banco de dados \"%1\" deve começar com uma letra e ter "
                                        "até %2 letras, algarismos ou \"_\", sem acentos.")
                             .arg(name)
                             .arg(kMaxNameLength));
    if (ascii::upper(name) == kAdministrator)
        throw AdminError(QStringLiteral("SYSDBA é o administrador do servidor e fica só no servidor; "
                                        "escolha outro nome para as estações."));
    if (password.isEmpty())
        throw AdminError(QStringLiteral("A senha do usuário do banco de dados não foi informada."));
}

QStringList tablesOf(const QString& scriptName)
{
    static const QRegularExpression createTable(QStringLiteral("^\\s*create\\s+table\\s+(\\w+)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QString& statement : schema::statements(scriptName)) {
        const QRegularExpressionMatch match = createTable.match(statement);
        if (match.hasMatch())
            tables << ascii::upper(match.captured(1));
    }
    return tables;
}

void createOrAlter(FbConnection& admin, const QString& name, const QString& password)
{
    validate(name, password);
    // The user management statements take no parameters: the password goes in as a quoted literal.
    admin.execute(QStringLiteral("create or alter user %1 password %2 using plugin Srp")
                      .arg(ascii::upper(name), sql::quoted(password)));
}

const QList<TableRights>& sharedDatabaseRights()
{
    static const QList<TableRights> rights = {
        {QStringLiteral("NFISCAL"), QStringLiteral("SIUD")},  {QStringLiteral("COMPRAS"), QStringLiteral("SIUD")},
        {QStringLiteral("ESTLOTE"), QStringLiteral("SIU")},   {QStringLiteral("MOVEST"), QStringLiteral("SI")},
        {QStringLiteral("FORNECED"), QStringLiteral("SI")},   {QStringLiteral("COMPONEN"), QStringLiteral("SU")},
        {QStringLiteral("SINONIMO"), QStringLiteral("S")},    {QStringLiteral("UNIDADES"), QStringLiteral("S")},
        {QStringLiteral("TABFORMP"), QStringLiteral("S")},    {QStringLiteral("COTDOLAR"), QStringLiteral("S")},
        {QStringLiteral("ESTACOES"), QStringLiteral("SU")},   {QStringLiteral("TABLAB"), QStringLiteral("S")},
        {QStringLiteral("FORMASPG"), QStringLiteral("S")},    {QStringLiteral("CTAPAGAR"), QStringLiteral("SIUD")},
        {QStringLiteral("PAGDIVER"), QStringLiteral("SIUD")}, {QStringLiteral("PRODFORN"), QStringLiteral("SIUD")},
        {QStringLiteral("ITEMNFE"), QStringLiteral("SIUD")},
    };
    return rights;
}

const QList<TableRights>& workstationDatabaseRights()
{
    static const QList<TableRights> rights = {{QStringLiteral("PERIODO"), QStringLiteral("SIU")}};
    return rights;
}

QStringList sharedDatabaseProcedures()
{
    return {QStringLiteral("VERIFICAR_USUARIO")};
}

namespace {

QString privilegeList(const QString& operations)
{
    static const QHash<QChar, QString> names = {{u'S', QStringLiteral("select")},
                                                {u'I', QStringLiteral("insert")},
                                                {u'U', QStringLiteral("update")},
                                                {u'D', QStringLiteral("delete")}};
    QStringList privileges;
    for (const QChar op : operations)
        privileges << names.value(op);
    return privileges.join(QStringLiteral(", "));
}

} // namespace

void grantModuleRights(FbConnection& admin, const QString& scriptName, const QList<TableRights>& rights,
                       const QStringList& procedures, const QString& name)
{
    const QString user = ascii::upper(name);
    const QString role = schema::kModuleRole;
    schema::createMissingAccess(admin,
                                QString(scriptName).replace(QStringLiteral(".sql"), QStringLiteral("-access.sql")));
    for (const QString& table : tablesOf(scriptName)) {
        admin.execute(QStringLiteral("revoke all on %1 from user %2").arg(table, user));
        admin.execute(QStringLiteral("revoke all on %1 from role %2").arg(table, role));
    }
    for (const TableRights& r : rights)
        admin.execute(QStringLiteral("grant %1 on %2 to role %3").arg(privilegeList(r.operations), r.table, role));
    for (const QString& procedure : procedures)
        admin.execute(QStringLiteral("grant execute on procedure %1 to role %2").arg(procedure, role));
    admin.execute(QStringLiteral("grant %1 to user %2").arg(role, user));
}

} // namespace moduleuser
