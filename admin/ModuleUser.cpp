#include "admin/ModuleUser.h"

#include "admin/AdminError.h"
#include "data/AsciiCase.h"
#include "data/SqlText.h"
#include "db/Schema.h"

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

void grantTables(FbConnection& admin, const QString& scriptName, const QString& name)
{
    for (const QString& table : tablesOf(scriptName))
        admin.execute(
            QStringLiteral("grant select, insert, update, delete on %1 to user %2").arg(table, ascii::upper(name)));
}

} // namespace moduleuser
