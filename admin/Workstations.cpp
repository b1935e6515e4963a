#include "admin/Workstations.h"

#include "admin/AdminError.h"
#include "data/AsciiCase.h"
#include "data/DbError.h"
#include "db/Cnpj.h"
#include "shell/Credential.h"

#include <QRegularExpression>

namespace workstations {

namespace {

// The name of the workstation database as the product family writes it in every row.
const QString kWorkstationDatabase = QStringLiteral("C:\\korvanis\\interfac\\korvanis.bd");

qint64 count(FbConnection& shared, const QString& sql, const Values& params)
{
    return std::get<qint64>(shared.executeRow(sql, params).front());
}

void checkCode(FbConnection& shared, const QString& code)
{
    static const QRegularExpression allowed(QStringLiteral("^[0-9A-Za-z]+$"));
    if (code.size() > kMaxCodeLength || !allowed.match(code).hasMatch())
        throw AdminError(QStringLiteral("O código da estação \"%1\" deve ter de 1 a %2 letras ou algarismos.")
                             .arg(code)
                             .arg(kMaxCodeLength));
    const Values row = shared.executeRow(QStringLiteral("select USUARIO from ESTACOES where ESTACAO = ?"), {code});
    if (!row.empty())
        throw AdminError(QStringLiteral("A estação %1 já está cadastrada (usuário %2).")
                             .arg(code, isNull(row.front()) ? QString() : std::get<QString>(row.front())));
}

void checkUser(FbConnection& shared, const QString& user)
{
    if (count(shared, QStringLiteral("select count(*) from USUARIOS where USUARIO = ?"), {EncodeCredential(user)}) == 0)
        throw AdminError(QStringLiteral("O usuário %1 não está cadastrado. Inclua-o antes com "
                                        "\"korvanis-admin user add\".")
                             .arg(user));
    // The login takes the workstation by the user's name: a second one would make it ambiguous.
    const Values row = shared.executeRow(
        QStringLiteral("select first 1 ESTACAO from ESTACOES where upper(USUARIO) = upper(cast(? as varchar(60)))"),
        {user});
    if (!row.empty())
        throw AdminError(
            QStringLiteral("O usuário %1 já está associado à estação %2.").arg(user, std::get<QString>(row.front())));
}

} // namespace

QString checkedCnpj(const QString& typed)
{
    QString digits = typed;
    digits.remove(QRegularExpression(QStringLiteral("[./\\-\\s]")));
    static const QRegularExpression fourteenDigits(QStringLiteral("^[0-9]{14}$"));
    if (!fourteenDigits.match(digits).hasMatch() || CnpjWithCheckDigits(digits.left(12)) != digits)
        throw AdminError(QStringLiteral("\"%1\" não é um CNPJ válido.").arg(typed));
    return digits;
}

QString firstStoreCnpj(FbConnection& shared)
{
    const Values row = shared.executeRow(
        QStringLiteral("select first 1 CNPJ from ESTACOES where CNPJ is not null and CNPJ <> '' order by ESTACAO"));
    return row.empty() ? QString() : std::get<QString>(row.front());
}

void write(FbConnection& shared, const QString& code, const QString& user, const QString& cnpj)
{
    shared.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, TIPO, ESVAZIAR, EMUSO, USUARIO, CNPJ) "
                                  "values (?, ?, 'Compras', 'N', 'N', ?, ?)"),
                   {code, kWorkstationDatabase, user, cnpj});
}

void add(FbConnection& shared, const QString& code, const QString& user, const QString& cnpj)
{
    const QString upperUser = ascii::upper(user.trimmed());
    checkCode(shared, code);
    checkUser(shared, upperUser);
    const QString digits = checkedCnpj(cnpj);
    try {
        write(shared, code, upperUser, digits);
    } catch (const DbError& e) {
        // Another administrator added the same code in the meantime.
        if (e.sqlcode() == DbError::kDuplicateKey)
            throw AdminError(QStringLiteral("A estação %1 já está cadastrada.").arg(code));
        throw;
    }
}

} // namespace workstations
