#include "purchase/DataModule.h"

#include "db/ColumnLists.h"
#include "db/Schema.h"
#include "purchase/DatasetRules.h"

#include <stdexcept>
#include <vector>

namespace {

using Mode = CachedDataset::WriteMode;
enum class Database { Shared, Workstation };

QStringList names(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString select(const QString& columns, const char* rest)
{
    return QStringLiteral("select ") + columns + QLatin1Char(' ') + QLatin1String(rest);
}

// The COMPRAS column list with "A." before every name.
QString comprasColumnsOfA()
{
    QStringList columns = ComprasColumns.split(QStringLiteral(", "));
    for (QString& c : columns)
        c.prepend(QStringLiteral("A."));
    return columns.join(QStringLiteral(", "));
}

struct DatasetDefinition {
    QString name;
    Database database;
    QString table;
    Mode mode;
    QStringList key;
    QStringList required;
    QString standingQuery;
};

const char* const kComprasKey = "ESTACAO CODCOMPRA DATA NOTAFISCAL CODIGO";
const char* const kComprasRequired = "ESTACAO CODCOMPRA DATA NOTAFISCAL COMPONENTE CODIGOFORNECEDOR";
const char* const kInvoiceKey = "ESTACAO CODIGO DATA NOTAFISCAL CODIGOFORNECEDOR";

// Every cached dataset of the data module, in the order of `TDM::datasets()`: its name, database,
// table, write mode, key and required columns, and the query it has when the program starts.
// clang-format off
const std::vector<DatasetDefinition>& definitions()
{
    using enum Database;
    static const std::vector<DatasetDefinition> table = {
        {"NFiscal", Shared, "NFISCAL", Mode::KeyColumns, names(kInvoiceKey), names(kInvoiceKey),
         select(NFiscalColumns, "from NFISCAL  order by DATA, NOTAFISCAL, FORNECEDOR")},
        {"Compras", Shared, "COMPRAS", Mode::KeyColumns, names(kComprasKey), names(kComprasRequired),
         select(ComprasColumns, "from COMPRAS")},
        {"Compras2", Shared, "COMPRAS", Mode::KeyColumns, names(kComprasKey), names(kComprasRequired) + names("CODIGO_1"),
         QStringLiteral("select ") + comprasColumnsOfA() +
             QStringLiteral(", B.CODIGO, B.GRUPO from COMPRAS A, COMPONEN B WHERE A.CODIGO = B.CODIGO AND "
                            "(B.GRUPO = 'REV' OR B.GRUPO = 'PRP')")},
        {"Movest", Shared, "MOVEST", Mode::KeyColumns, names("CODMOVEST"), names("CODMOVEST"),
         QStringLiteral("select CODMOVEST, ESTACAO, NPEDIDO, CODCOMPRA, CODPERDA, CODIGOCQ, NFORMULA, NITEM, CODPROD, "
                        "NNOTAFISCAL, FORNECEDOR, LOTE, DATA, DESCRICAO, QUANTIDADE, UNIDADE, USADOESTPREV, "
                        "USADOESTCOR, LABORATORIO, CONTROLADA, VALIDADE from MOVEST order by ESTACAO, CODCOMPRA, "
                        "DATA, LOTE, FORNECEDOR, DESCRICAO")},
        {"EstLote", Shared, "ESTLOTE", Mode::KeyColumns, names("DESCRICAO LOTE FORNECEDOR"),
         names("DESCRICAO LOTE FORNECEDOR"), select(EstLoteColumns, "from ESTLOTE")},
        {"Fornecedor", Shared, "FORNECED", Mode::KeyColumns, names("CODIGO"), names("CODIGO"),
         QStringLiteral("select CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, "
                        "E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from FORNECED order by NOMEFANTASIA")},
        {"Componentes", Shared, "COMPONEN", Mode::KeyColumns, names("CODIGO"), names("CODIGO"),
         select(ComponenColumns, "from COMPONEN")},
        {"CompNomes", Shared, "COMPONEN", Mode::KeyColumns, names("CODIGO"), names("CODIGO"),
         select(ComponenColumns, "from COMPONEN")},
        {"SinonPesq", Shared, "SINONIMO", Mode::KeyColumns, names("APELIDO"), names("APELIDO"),
         QStringLiteral("select APELIDO, CODIGO, GRUPO from SINONIMO")},
        {"Unidades", Shared, "UNIDADES", Mode::AllColumns, {}, names("UNIDADE"),
         QStringLiteral("select UNIDADE from UNIDADES order by UNIDADE")},
        {"TabFormP", Shared, "TABFORMP", Mode::AllColumns, {}, {},
         QStringLiteral("select UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, MULTIPLICADOR from TABFORMP")},
        {"CotDolar", Shared, "COTDOLAR", Mode::AllColumns, {}, {},
         QStringLiteral("select COTDOLAR from COTDOLAR")},
        {"Usuarios", Shared, "USUARIOS", Mode::KeyColumns, names("USUARIO"), names("USUARIO"),
         QStringLiteral("select USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, CONSIST_INICIAL, "
                        "DEFVIDEOKOR from USUARIOS order by USUARIO")},
        {"Estacoes", Shared, "ESTACOES", Mode::KeyColumns, names("ESTACAO"), names("ESTACAO"),
         QStringLiteral("select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                        "CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, "
                        "ROTULO6, USUARIO, CNPJ from ESTACOES order by ESTACAO")},
        {"TabLab", Shared, "TABLAB", Mode::AllColumns, {}, {},
         QStringLiteral("select LABORATORIO, LOJA from TABLAB order by LABORATORIO")},
        {"Periodo", Workstation, "PERIODO", Mode::AllColumns, {}, {},
         QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, NFORMULA, "
                        "VALORTOTAL, VALORTOTAL2 from PERIODO")},
        {"FormasPG", Shared, "FORMASPG", Mode::KeyColumns, names("CODIGOFP"), names("CODIGOFP"),
         QStringLiteral("select CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1, TAXA2, CTABANCO, FORMAPAG, QAUT "
                        "from FORMASPG order by DESCRICAO")},
        {"ContasP", Shared, "CTAPAGAR", Mode::KeyColumns, names("CODCTAPAGAR"), names("CODCTAPAGAR"),
         QStringLiteral("select CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, CODBARRA, DATAPAGTO, VALORPAGO, "
                        "SITUACAO, COMPETENCIA, FUNCIONARIO, SITUACAOORIGINAL, OBSERVACOES from CTAPAGAR order by "
                        "VENCIMENTO")},
        {"PagDiver", Shared, "PAGDIVER", Mode::KeyColumns, names("CODPAGDIVER"), names("CODPAGDIVER"),
         QStringLiteral("select CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR, PERCENTUAL, VALORTOTAL from "
                        "PAGDIVER order by ORDEM")},
        // The report queries are always replaced before use; these keep their shape with sample dates.
        {"qryVencimentos", Shared, "COMPRAS", Mode::ReadOnly, {}, {},
         QStringLiteral("Select Componen.DCB,Compras.* From Compras,Componen where Compras.Validade between "
                        "'01/01/05' and '12/31/05' and (Compras.componente = Componen.Componente)Order by "
                        "Validade,Componente")},
        {"qryRotulos", Shared, "COMPRAS", Mode::ReadOnly, {}, {},
         QStringLiteral("Select Componen.DCB, Compras.* from Compras, Componen where upper(Compras.Componente) = "
                        "upper(Componen.Componente) and COMPRAS.DATA = '01/01/05' order by Componente")},
    };
    return table;
}
// clang-format on

const DatasetDefinition* findDefinition(const QString& name)
{
    for (const DatasetDefinition& d : definitions())
        if (d.name == name)
            return &d;
    return nullptr;
}

FbConnection& connectionOf(const DatasetDefinition& d, FbConnection& shared, FbConnection& workstation)
{
    return d.database == Database::Shared ? shared : workstation;
}

// A member without its line in the table is a programming error, found the first time the module
// is made.
const DatasetDefinition& definition(const char* name)
{
    const DatasetDefinition* found = findDefinition(QLatin1String(name));
    if (!found)
        throw std::logic_error(std::string("no definition for the dataset ") + name);
    return *found;
}

} // namespace

QString TDM::standingQuery(const QString& datasetName)
{
    const DatasetDefinition* found = findDefinition(datasetName);
    return found ? found->standingQuery : QString();
}

// Each dataset member is made from the table line of its own name.
#define KORVANIS_DATASET(member)                                                                                       \
    member(definition(#member).name, connectionOf(definition(#member), SQLConnection1, SQLConnection2),                \
           definition(#member).table, definition(#member).mode, definition(#member).key, definition(#member).required)

TDM::TDM(const FbConnection::Params& shared, const FbConnection::Params& workstation, SessionState& session,
         QObject* parent)
    : QObject(parent), SQLConnection1(shared), SQLConnection2(workstation),
      SQLQuery1(QStringLiteral("SQLQuery1"), SQLConnection1), KORVANIS_DATASET(NFiscal), KORVANIS_DATASET(Compras),
      KORVANIS_DATASET(Compras2), KORVANIS_DATASET(Movest), KORVANIS_DATASET(EstLote), KORVANIS_DATASET(Fornecedor),
      KORVANIS_DATASET(Componentes), KORVANIS_DATASET(CompNomes), KORVANIS_DATASET(SinonPesq),
      KORVANIS_DATASET(Unidades), KORVANIS_DATASET(TabFormP), KORVANIS_DATASET(CotDolar), KORVANIS_DATASET(Usuarios),
      KORVANIS_DATASET(Estacoes), KORVANIS_DATASET(TabLab), KORVANIS_DATASET(Periodo), KORVANIS_DATASET(FormasPG),
      KORVANIS_DATASET(ContasP), KORVANIS_DATASET(PagDiver), KORVANIS_DATASET(qryVencimentos),
      KORVANIS_DATASET(qryRotulos), DS_NFiscal(QStringLiteral("DS_NFiscal"), &NFiscal),
      DS_Compras(QStringLiteral("DS_Compras"), &Compras, false), DS_Compras2(QStringLiteral("DS_Compras2"), &Compras2),
      DS_Fornecedor(QStringLiteral("DS_Fornecedor"), &Fornecedor), DS_Compon(QStringLiteral("DS_Compon"), &Componentes),
      DS_CompNomes(QStringLiteral("DS_CompNomes"), &CompNomes), DS_Unidades(QStringLiteral("DS_Unidades"), &Unidades),
      DS_CotDolar(QStringLiteral("DS_CotDolar"), &CotDolar), DS_Usuarios(QStringLiteral("DS_Usuarios"), &Usuarios),
      DS_Periodo(QStringLiteral("DS_Periodo"), &Periodo), DS_FormasPG(QStringLiteral("DS_FormasPG"), &FormasPG),
      DS_ContasP(QStringLiteral("DS_ContasP"), &ContasP), DS_PagDiver(QStringLiteral("DS_PagDiver"), &PagDiver),
      DS_Vencimentos(QStringLiteral("DS_Vencimentos"), &qryVencimentos),
      DS_Rotulos(QStringLiteral("DS_Rotulos"), &qryRotulos), session_(session)
{
    setObjectName(QStringLiteral("DM"));
    // The module connects with its role: the workstations' database user holds its rights only
    // through it (an administrator, or the embedded engine's user, is not granted it and keeps his
    // own).
    SQLConnection1.setRole(schema::kModuleRole);
    SQLConnection2.setRole(schema::kModuleRole);
    if (datasets().size() != qsizetype(definitions().size()))
        throw std::logic_error("a dataset definition has no member of the data module");
    for (CachedDataset* ds : datasets())
        ds->setCommandText(standingQuery(ds->name()));
    // The long lists searched as the clerk types are read around the row looked for.
    for (CachedDataset* ds : {&NFiscal, &Compras2, &CompNomes})
        ds->setReadAroundKey(true);
    rules_ = std::make_unique<DatasetRules>(*this);
}

#undef KORVANIS_DATASET

// Members go in reverse order: the rules, the datasets, then the connections they use.
TDM::~TDM() = default;

QList<CachedDataset*> TDM::datasets()
{
    return {&NFiscal,   &Compras,   &Compras2, &Movest,   &EstLote,  &Fornecedor,     &Componentes,
            &CompNomes, &SinonPesq, &Unidades, &TabFormP, &CotDolar, &Usuarios,       &Estacoes,
            &TabLab,    &Periodo,   &FormasPG, &ContasP,  &PagDiver, &qryVencimentos, &qryRotulos};
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
