#include "admin/Users.h"

#include "admin/AdminError.h"
#include "data/AsciiCase.h"
#include "data/DbError.h"
#include "data/Win1252.h"
#include "shell/AccessRights.h"
#include "shell/Credential.h"

namespace users {

namespace {

constexpr int kAccessLength = 40;
constexpr int kModulePosition = 16;
constexpr int kFinancialPosition = 24;

// A filler that grants nothing at its position.
QChar fillerAt(int position, QChar initial)
{
    const QChar zero(u'0');
    return rights::grantingCharacter(position, initial) == zero ? QChar(u'1') : zero;
}

qint64 nextUserCode(FbConnection& shared)
{
    const Values row = shared.executeRow(QStringLiteral("select count(*) from USUARIOS"));
    return std::get<qint64>(row.front()) + 1;
}

} // namespace

QString accessString(QChar initial, bool financial)
{
    QString access;
    for (int position = 1; position <= kAccessLength; ++position)
        access += fillerAt(position, initial);
    access[kModulePosition - 1] = rights::grantingCharacter(kModulePosition, initial);
    if (financial)
        access[kFinancialPosition - 1] = rights::grantingCharacter(kFinancialPosition, initial);
    return access;
}

void validate(const QString& name, const QString& password)
{
    if (name.trimmed().isEmpty())
        throw AdminError(QStringLiteral("O nome do usuário não foi informado."));
    if (name.size() > kMaxNameLength)
        throw AdminError(
            QStringLiteral("O nome do usuário \"%1\" tem mais de %2 caracteres.").arg(name).arg(kMaxNameLength));
    if (password.size() > kMaxPasswordLength)
        throw AdminError(QStringLiteral("A senha tem mais de %1 caracteres.").arg(kMaxPasswordLength));
    if (!win1252::canEncode(name) || !win1252::canEncode(password))
        throw AdminError(QStringLiteral("O nome ou a senha contém caracteres que o banco de dados não aceita."));
    if (!win1252::canEncode(accessString(ascii::upper(name).at(0), true)))
        throw AdminError(QStringLiteral("O nome do usuário \"%1\" não pode começar com \"%2\".").arg(name, name.at(0)));
}

void add(FbConnection& shared, const QString& name, const QString& password, bool financial)
{
    validate(name, password);
    const QString upperName = ascii::upper(name);
    try {
        shared.execute(QStringLiteral("insert into USUARIOS (USUARIO, CODIGO, SENHA, ACESSO, LOGADO, "
                                      "CONSIST_INICIAL, DEFVIDEOKOR) values (?, ?, ?, ?, 'N', 'N', 0)"),
                       {EncodeCredential(upperName), QString::number(nextUserCode(shared)).rightJustified(4, u'0'),
                        EncodeCredential(ascii::upper(password)), accessString(upperName.at(0), financial)});
    } catch (const DbError& e) {
        if (e.sqlcode() == DbError::kDuplicateKey)
            throw AdminError(QStringLiteral("O usuário \"%1\" já está cadastrado.").arg(upperName));
        throw;
    }
}

bool hasWorkstation(FbConnection& shared, const QString& name)
{
    // The server's upper case, on both sides: it also upper-cases accented letters.
    const Values row = shared.executeRow(
        QStringLiteral("select count(*) from ESTACOES where upper(USUARIO) = upper(cast(? as varchar(60)))"), {name});
    return std::get<qint64>(row.front()) > 0;
}

} // namespace users
