#include "shell/Login.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "shell/AccessRights.h"
#include "shell/Credential.h"

namespace {

constexpr int kNameChars = 60;
constexpr int kPasswordChars = 20;
constexpr int kAccessChars = 100;

} // namespace

LoginCheck CheckLogin(CachedDataset& usuarios, const QString& typedName, const QString& typedPassword)
{
    LoginCheck check;
    if (typedName.isEmpty())
        return check;
    usuarios.open();
    check.name = ascii::upper(typedName).left(kNameChars);
    const QChar initial = check.name.at(0);
    if (!usuarios.locate({EncodeCredential(ascii::upper(typedName)).left(kNameChars)})) {
        usuarios.close();
        check.outcome = LoginCheck::Outcome::UnknownUser;
        return check;
    }
    const QString stored = usuarios.asText(QStringLiteral("SENHA")).left(kPasswordChars);
    if (EncodeCredential(ascii::upper(typedPassword)) != stored) {
        usuarios.close();
        check.outcome = LoginCheck::Outcome::WrongPassword;
        return check;
    }
    const QString access = usuarios.asText(QStringLiteral("ACESSO")).left(kAccessChars);
    usuarios.close();
    check.financialAccess = rights::holdsFinancialRight(access, initial);
    check.financialAccessRead = true;
    check.outcome =
        rights::holdsModuleRight(access, initial) ? LoginCheck::Outcome::Accepted : LoginCheck::Outcome::NoModuleRight;
    return check;
}

QString LoginRefusalMessage(LoginCheck::Outcome outcome, const QString& typedName)
{
    switch (outcome) {
    case LoginCheck::Outcome::NoName:
        return QStringLiteral("Não foi informado o Nome do Usuário.");
    case LoginCheck::Outcome::WrongPassword:
        return QStringLiteral("Senha incorreta. Tente novamente.");
    case LoginCheck::Outcome::UnknownUser:
    case LoginCheck::Outcome::NoModuleRight:
        return QStringLiteral("Usuário ") + typedName + QStringLiteral(" não autorizado");
    case LoginCheck::Outcome::Accepted:
        break;
    }
    return {};
}
