#include "purchase/DataModule.h"

#include "purchase/DatasetRules.h"
#include "db/ColumnLists.h"

namespace {

using Mode = CachedDataset::WriteMode;

QStringList names(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The COMPRAS column list with "A." before every name.
QString comprasColumnsOfA()
{
    QStringList columns = ComprasColumns.split(QStringLiteral(", "));
    for (QString& c : columns)
        c.prepend(QStringLiteral("A."));
    return columns.join(QStringLiteral(", "));
}

const QStringList kComprasKey = names("ESTACAO CODCOMPRA DATA NOTAFISCAL CODIGO");
const QStringList kComprasRequired = names("ESTACAO CODCOMPRA DATA NOTAFISCAL COMPONENTE CODIGOFORNECEDOR");

} // namespace

QString TDM::standingQuery(const QString& datasetName)
{
    static const QHash<QString, QString> queries = {
        {QStringLiteral("NFiscal"),
         QStringLiteral("select ") + NFiscalColumns + QStringLiteral(" from NFISCAL  order by DATA, NOTAFISCAL, FORNECEDOR")},
        {QStringLiteral("Compras"), QStringLiteral("select ") + ComprasColumns + QStringLiteral(" from COMPRAS")},
        {QStringLiteral("Compras2"),
         QStringLiteral("select ") + comprasColumnsOfA() +
             QStringLiteral(", B.CODIGO, B.GRUPO from COMPRAS A, COMPONEN B WHERE A.CODIGO = B.CODIGO AND "
                            "(B.GRUPO = 'REV' OR B.GRUPO = 'PRP')")},
        {QStringLiteral("Movest"),
         QStringLiteral("select CODMOVEST, ESTACAO, NPEDIDO, CODCOMPRA, CODPERDA, CODIGOCQ, NFORMULA, NITEM, CODPROD, "
                        "NNOTAFISCAL, FORNECEDOR, LOTE, DATA, DESCRICAO, QUANTIDADE, UNIDADE, USADOESTPREV, "
                        "USADOESTCOR, LABORATORIO, CONTROLADA, VALIDADE from MOVEST order by ESTACAO, CODCOMPRA, "
                        "DATA, LOTE, FORNECEDOR, DESCRICAO")},
        {QStringLiteral("EstLote"), QStringLiteral("select ") + EstLoteColumns + QStringLiteral(" from ESTLOTE")},
        {QStringLiteral("Fornecedor"),
         QStringLiteral("select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, "
                        "E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED order by NOMEFANTASIA")},
        {QStringLiteral("Componentes"), QStringLiteral("select ") + ComponenColumns + QStringLiteral(" from COMPONEN")},
        {QStringLiteral("CompNomes"), QStringLiteral("select ") + ComponenColumns + QStringLiteral(" from COMPONEN")},
        {QStringLiteral("SinonPesq"), QStringLiteral("select APELIDO, CODIGO, GRUPO from SINONIMO")},
        {QStringLiteral("Unidades"), QStringLiteral("select UNIDADE from UNIDADES order by UNIDADE")},
        {QStringLiteral("TabFormP"),
         QStringLiteral("select UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, MULTIPLICADOR from TABFORMP")},
        {QStringLiteral("CotDolar"), QStringLiteral("select COTDOLAR from COTDOLAR")},
        {QStringLiteral("Usuarios"),
         QStringLiteral("select USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, CONSIST_INICIAL, "
                        "DEFVIDEOKOR from USUARIOS order by USUARIO")},
        {QStringLiteral("Estacoes"),
         QStringLiteral("select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                        "CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, "
                        "ROTULO6, USUARIO, CNPJ from ESTACOES order by ESTACAO")},
        {QStringLiteral("TabLab"), QStringLiteral("select LABORATORIO, LOJA from TABLAB order by LABORATORIO")},
        {QStringLiteral("Periodo"),
         QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, NFORMULA, "
                        "VALORTOTAL, VALORTOTAL2 from PERIODO")},
        {QStringLiteral("FormasPG"),
         QStringLiteral("select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, FORMAPAG, QAUT "
                        "from FORMASPG order by DESCRICAO")},
        {QStringLiteral("ContasP"),
         QStringLiteral("select CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, CODBARRA, DATAPAGTO, VALORPAGO, "
                        "SITUACAO, COMPETENCIA, FUNCIONARIO, SITUACAOORIGINAL, OBSERVACOES from CTAPAGAR order by "
                        "VENCIMENTO")},
        {QStringLiteral("PagDiver"),
         QStringLiteral("select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, PERCENTUAL, VALORTOTAL from "
                        "PAGDIVER order by ORDEM")},
        // The report queries are always replaced before use; these keep their shape with sample dates.
        {QStringLiteral("qryVencimentos"),
         QStringLiteral("Select Componen.DCB,Compras.* From Compras,Componen where Compras.Validade between "
                        "'01/01/05' and '12/31/05' and (Compras.componente = Componen.Componente)Order by "
                        "Validade,Componente")},
        {QStringLiteral("qryRotulos"),
         QStringLiteral("Select Componen.DCB, Compras.* from Compras, Componen where upper(Compras.Componente) = "
                        "upper(Componen.Componente) and COMPRAS.DATA = '01/01/05' order by Componente")},
    };
    return queries.value(datasetName);
}

TDM::TDM(const FbConnection::Params& shared, const FbConnection::Params& workstation, SessionState& session,
         WindowState& window, QObject* parent)
    : QObject(parent), SQLConnection1(shared), SQLConnection2(workstation),
      SQLQuery1(QStringLiteral("SQLQuery1"), SQLConnection1),
      NFiscal(QStringLiteral("NFiscal"), SQLConnection1, QStringLiteral("NFISCAL"), Mode::KeyColumns,
              names("ESTACAO CODIGO DATA NOTAFISCAL CODIGOFORNECEDOR"),
              names("ESTACAO CODIGO DATA NOTAFISCAL CODIGOFORNECEDOR")),
      Compras(QStringLiteral("Compras"), SQLConnection1, QStringLiteral("COMPRAS"), Mode::KeyColumns, kComprasKey,
              kComprasRequired),
      Compras2(QStringLiteral("Compras2"), SQLConnection1, QStringLiteral("COMPRAS"), Mode::KeyColumns, kComprasKey,
               kComprasRequired + names("CODIGO_1")),
      Movest(QStringLiteral("Movest"), SQLConnection1, QStringLiteral("MOVEST"), Mode::KeyColumns, names("CODMOVEST"),
             names("CODMOVEST")),
      EstLote(QStringLiteral("EstLote"), SQLConnection1, QStringLiteral("ESTLOTE"), Mode::KeyColumns,
              names("DESCRICAO LOTE FORNECEDOR"), names("DESCRICAO LOTE FORNECEDOR")),
      Fornecedor(QStringLiteral("Fornecedor"), SQLConnection1, QStringLiteral("FORNECED"), Mode::KeyColumns,
                 names("CODIGO"), names("CODIGO")),
      Componentes(QStringLiteral("Componentes"), SQLConnection1, QStringLiteral("COMPONEN"), Mode::KeyColumns,
                  names("CODIGO"), names("CODIGO")),
      CompNomes(QStringLiteral("CompNomes"), SQLConnection1, QStringLiteral("COMPONEN"), Mode::KeyColumns,
                names("CODIGO"), names("CODIGO")),
      SinonPesq(QStringLiteral("SinonPesq"), SQLConnection1, QStringLiteral("SINONIMO"), Mode::KeyColumns,
                names("APELIDO"), names("APELIDO")),
      Unidades(QStringLiteral("Unidades"), SQLConnection1, QStringLiteral("UNIDADES"), Mode::AllColumns, {},
               names("UNIDADE")),
      TabFormP(QStringLiteral("TabFormP"), SQLConnection1, QStringLiteral("TABFORMP"), Mode::AllColumns),
      CotDolar(QStringLiteral("CotDolar"), SQLConnection1, QStringLiteral("COTDOLAR"), Mode::AllColumns),
      Usuarios(QStringLiteral("Usuarios"), SQLConnection1, QStringLiteral("USUARIOS"), Mode::KeyColumns,
               names("USUARIO"), names("USUARIO")),
      Estacoes(QStringLiteral("Estacoes"), SQLConnection1, QStringLiteral("ESTACOES"), Mode::KeyColumns,
               names("ESTACAO"), names("ESTACAO")),
      TabLab(QStringLiteral("TabLab"), SQLConnection1, QStringLiteral("TABLAB"), Mode::AllColumns),
      Periodo(QStringLiteral("Periodo"), SQLConnection2, QStringLiteral("PERIODO"), Mode::AllColumns),
      FormasPG(QStringLiteral("FormasPG"), SQLConnection1, QStringLiteral("FORMASPG"), Mode::KeyColumns,
               names("CODIGOFP"), names("CODIGOFP")),
      ContasP(QStringLiteral("ContasP"), SQLConnection1, QStringLiteral("CTAPAGAR"), Mode::KeyColumns,
              names("CODCTAPAGAR"), names("CODCTAPAGAR")),
      PagDiver(QStringLiteral("PagDiver"), SQLConnection1, QStringLiteral("PAGDIVER"), Mode::KeyColumns,
               names("CODPAGDIVER"), names("CODPAGDIVER")),
      qryVencimentos(QStringLiteral("qryVencimentos"), SQLConnection1, QStringLiteral("COMPRAS"), Mode::ReadOnly),
      qryRotulos(QStringLiteral("qryRotulos"), SQLConnection1, QStringLiteral("COMPRAS"), Mode::ReadOnly),
      DS_NFiscal(QStringLiteral("DS_NFiscal"), &NFiscal), DS_Compras(QStringLiteral("DS_Compras"), &Compras, false),
      DS_Compras2(QStringLiteral("DS_Compras2"), &Compras2), DS_Fornecedor(QStringLiteral("DS_Fornecedor"), &Fornecedor),
      DS_Compon(QStringLiteral("DS_Compon"), &Componentes), DS_CompNomes(QStringLiteral("DS_CompNomes"), &CompNomes),
      DS_Unidades(QStringLiteral("DS_Unidades"), &Unidades), DS_CotDolar(QStringLiteral("DS_CotDolar"), &CotDolar),
      DS_Usuarios(QStringLiteral("DS_Usuarios"), &Usuarios), DS_Periodo(QStringLiteral("DS_Periodo"), &Periodo),
      DS_FormasPG(QStringLiteral("DS_FormasPG"), &FormasPG), DS_ContasP(QStringLiteral("DS_ContasP"), &ContasP),
      DS_PagDiver(QStringLiteral("DS_PagDiver"), &PagDiver),
      DS_Vencimentos(QStringLiteral("DS_Vencimentos"), &qryVencimentos),
      DS_Rotulos(QStringLiteral("DS_Rotulos"), &qryRotulos), session_(session), window_(window)
{
    setObjectName(QStringLiteral("DM"));
    for (CachedDataset* ds : datasets())
        ds->setCommandText(standingQuery(ds->name()));
    rules_ = std::make_unique<DatasetRules>(*this);
}

// Members go in reverse order: the rules, the datasets, then the connections they use.
TDM::~TDM() = default;

QList<CachedDataset*> TDM::datasets()
{
    return {&NFiscal,  &Compras,  &Compras2, &Movest,   &EstLote, &Fornecedor, &Componentes,
            &CompNomes, &SinonPesq, &Unidades, &TabFormP, &CotDolar, &Usuarios,  &Estacoes,
            &TabLab,   &Periodo,  &FormasPG, &ContasP,  &PagDiver, &qryVencimentos, &qryRotulos};
}

CachedDataset* TDM::dataset(const QString& name)
{
    for (CachedDataset* ds : datasets())
        if (ds->name() == name)
            return ds;
    return nullptr;
}

unsigned TDM::execute(const QString& sql)
{
    return SQLConnection1.execute(sql);
}
