#include "shell/Workstation.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"
#include "data/Formats.h"
#include "data/SqlCommand.h"
#include "data/SqlText.h"
#include "purchase/SessionState.h"
#include "shell/AccessRights.h"

namespace {

constexpr int kStockLocationChars = 30;
constexpr int kCnpjChars = 14;
constexpr int kWorkstationCodeChars = 2;

QString noWorkstationMessage(const QString& user)
{
    return QStringLiteral("Não foi possível selecionar uma área de trabalho para o usuário \"") + user +
           QStringLiteral("\". \r\rCausas prováveis: \r\r  1) Na tabela \"Estacoes.db\" não foi incluída uma "
                          "estação para o usuário \"") +
           user +
           QStringLiteral("\".\r     Obs: Criar também a área de trabalho física (pasta C:\\Korvanis\\InterfacXX) "
                          "para este usuário.\r  --> Favor contactar o suporte técnico da KOR SISTEMAS <--");
}

QString emptyCnpjMessage(const QString& workstationCode)
{
    return QStringLiteral("Erro na configuração da tabela ESTACOES:\rO campo CNPJ tabela ESTACOES não foi "
                          "preenchido para o a estação ") +
           workstationCode;
}

QString workstationCaption(const SessionState& session)
{
    return QStringLiteral("  NOTAS FISCAIS DE SUPRIMENTOS DE USO INTERNO  -  Usuário: \"") + session.CurrentUserName +
           QStringLiteral("\"   Estação: ") + session.WorkstationCode + QStringLiteral("  Loja: ") +
           PunctuatedCnpj(session.StoreCnpj);
}

QString workstationQuery(const QString& user)
{
    return QStringLiteral("Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                          "CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, "
                          "ROTULO6, USUARIO, CNPJ from ESTACOES where upper(USUARIO) = upper(") +
           sql::quoted(user) + QLatin1Char(')');
}

void markInUse(CachedDataset& estacoes, const QDateTime& now)
{
    estacoes.edit();
    estacoes.setText(QStringLiteral("EMUSO"), QStringLiteral("S"));
    estacoes.setText(QStringLiteral("ATCAIXA"), QStringLiteral("Ultima atividade: ") + formats::shortDate2(now.date()) +
                                                    QLatin1Char(' ') + formats::longTime(now.time()));
    estacoes.post();
}

} // namespace

QString StockLocationOfStore(SessionData dm, const QString& cnpj)
{
    SqlCommand q(QStringLiteral("Workstation"), dm.SQLConnection1);
    q.setText(QStringLiteral("Select LABORATORIO, LOJA from TABLAB where LOJA = ") + sql::quoted(cnpj));
    q.open();
    QString location;
    if (!q.eof() && q.asText(QStringLiteral("LOJA")) == cnpj)
        location = q.asText(QStringLiteral("LABORATORIO"));
    q.close();
    return location;
}

WorkstationBinding IdentifyWorkstation(SessionData dm, SessionState& session, const QDateTime& now)
{
    WorkstationBinding binding;
    session.WorkstationCode.clear();
    CachedDataset& estacoes = dm.Estacoes;
    estacoes.close();
    estacoes.setCommandText(workstationQuery(session.CurrentUserName));
    estacoes.open();
    // Both names are upper-cased by the server, which also upper-cases accented letters ("andré"
    // is "ANDRÉ" there): the program's own upper case covers A to Z only, so it compares nothing.
    if (estacoes.isEmpty()) {
        binding.messages << noWorkstationMessage(session.CurrentUserName);
        estacoes.close();
        return binding;
    }
    session.WorkstationCode = estacoes.asText(QStringLiteral("ESTACAO")).left(kWorkstationCodeChars);
    binding.databaseName = estacoes.asText(QStringLiteral("DATBASNAM"));
    session.StoreCnpj = estacoes.asText(QStringLiteral("CNPJ")).left(kCnpjChars);
    if (!session.StoreCnpj.isEmpty())
        session.DefaultStockLocation = StockLocationOfStore(dm, session.StoreCnpj).left(kStockLocationChars);
    else
        binding.messages << emptyCnpjMessage(session.WorkstationCode);
    binding.caption = workstationCaption(session);
    markInUse(estacoes, now);
    estacoes.close();
    return binding;
}
