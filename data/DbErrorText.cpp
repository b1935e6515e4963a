#include "data/DbErrorText.h"

#include "data/ServerError.h"

#include <ibase.h>

QString DbErrorCause(const DbError& e)
{
    if (dberror::connectionLost(e)) {
        QString text = QStringLiteral("A conexão com o servidor de banco de dados foi perdida (rede interrompida ou "
                                      "servidor parado).");
        if (dberror::outcomeUnknown(e))
            text += QStringLiteral(" Não se sabe se a última gravação chegou ao servidor: ela será conferida no "
                                   "banco antes de ser feita de novo.");
        return text;
    }
    if (e.sqlcode() == DbError::kDuplicateKey || dberror::hasCode(e, isc_unique_key_violation) ||
        dberror::hasCode(e, isc_no_dup))
        return QStringLiteral("Já existe um registro com a mesma chave (código repetido).");
    if (dberror::hasCode(e, isc_update_conflict) || e.sqlcode() == DbError::kUpdateConflict)
        return QStringLiteral("Outro usuário alterou o mesmo registro ao mesmo tempo. Leia os dados de novo e "
                              "repita a alteração.");
    if (dberror::hasCode(e, isc_transliteration_failed))
        return QStringLiteral("O texto tem um caractere que não existe na página de código do banco de dados "
                              "(WIN1252).");
    if (dberror::hasCode(e, isc_string_truncation))
        return QStringLiteral("Um texto é mais longo do que o campo do banco de dados permite.");
    return {};
}

QString DbErrorText(const QString& doing, const DbError& error)
{
    QString server = error.message().trimmed();
    server.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    QString text = doing;
    const auto add = [&text](const QString& part) {
        if (part.isEmpty())
            return;
        if (!text.isEmpty())
            text += QStringLiteral("\r\r");
        text += part;
    };
    // An error without server codes carries a message of the program's own, already in Portuguese.
    if (dberror::codes(error).empty()) {
        add(server);
        return text;
    }
    const QString cause = DbErrorCause(error);
    add(cause);
    add((cause.isEmpty() && doing.isEmpty() ? QString() : QStringLiteral("Detalhe: ")) + server);
    return text;
}
