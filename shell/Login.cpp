#include "shell/Login.h"

#include "data/AsciiCase.h"
#include "data/FbConnection.h"
#include "data/FieldValue.h"
#include "shell/AccessRights.h"
#include "shell/Credential.h"

namespace {

constexpr int kNameChars = 60;
constexpr int kAccessChars = 100;

// What VERIFICAR_USUARIO answers in SITUACAO.
constexpr qint64 kUnknownUser = 0;
constexpr qint64 kPasswordRight = 2;

} // namespace

LoginCheck CheckLogin(FbConnection& shared, const QString& typedName, const QString& typedPassword)
{
    LoginCheck check;
    if (typedName.isEmpty())
        return check;
    check.name = ascii::upper(typedName).left(kNameChars);
    const QChar initial = check.name.at(0);
    const Values answer = shared.executeRow(
        QStringLiteral("select SITUACAO, ACESSO from VERIFICAR_USUARIO(?, ?)"),
        {EncodeCredential(ascii::upper(typedName)).left(kNameChars), EncodeCredential(ascii::upper(typedPassword))});
    const qint64 outcome = answer.empty() ? kUnknownUser : field::toInteger(answer.at(0));
    if (outcome == kUnknownUser) {
        check.outcome = LoginCheck::Outcome::UnknownUser;
        return check;
    }
    if (outcome != kPasswordRight) {
        check.outcome = LoginCheck::Outcome::WrongPassword;
        return check;
    }
    const QString access = field::toText(answer.at(1)).left(kAccessChars);
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
