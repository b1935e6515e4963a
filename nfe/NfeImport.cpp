#include "nfe/NfeImport.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "data/FieldValue.h"
#include "data/SqlText.h"
#include "data/UnitOfWork.h"
#include "db/ColumnLists.h"
#include "db/Schema.h"
#include "nfe/NfeChecks.h"
#include "nfe/NfeReader.h"
#include "nfe/NfeRows.h"
#include "nfe/NfeSignature.h"
#include "nfe/NfeSupplier.h"
#include "nfe/SupplierCodes.h"
#include "payments/IncludeInPayables.h"
#include "purchase/KeyDraws.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/WorkQueries.h"

namespace {

// Attempts at writing an invoice whose keys another workstation took first.
constexpr int kWriteAttempts = 3;
constexpr qsizetype kBarCodeWidth = 15; // COMPONEN.DCB

const QString kProductByBarCode =
    QStringLiteral("Select Componente, Unid, Fabricante, DivisorUnid, Codigo from Componen where GRUPO = 'SUP' and "
                   "DCB = ?");

const QString kInsertHeader = QStringLiteral(
    "INSERT INTO NFISCAL (Estacao, Codigo, Data, DataRecebim, NotaFiscal, Fornecedor, CodigoFornecedor, ValBruto, "
    "DescontoTotal, OutrosImp, ValLiquido, ICMS, IPI, TipoOperacao, Serie, EntradaSaida, FormaPagto, GRUPDESP) VALUES "
    "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'SUP')");

const QString kInsertInstalment = QStringLiteral("INSERT INTO PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, "
                                                 "FORNECEDOR, VALORTOTAL) VALUES (?, ?, ?, ?, ?, ?, ?)");

const QString kInsertItem = QStringLiteral(
    "INSERT INTO COMPRAS (Estacao, CodCompra, Codigo, Data, NotaFiscal, Fornecedor, CodigoFornecedor, Fabricante, "
    "Componente, Responsavel, PrecoUnitUS, PrecoUnitR, Quantidade, Unidade, Saldo, Lote, Fabricacao, Validade, "
    "Situacao, Laboratorio) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'Estoque', 'Almoxarifado')");

// "SEM GTIN" is what the layout writes for a product without a bar code: like an empty one, it
// names no product.
bool namesNoProduct(const QString& barCode)
{
    return barCode.trimmed().isEmpty() || barCode.trimmed() == QLatin1String("SEM GTIN") ||
           barCode.size() > kBarCodeWidth;
}

NfeProduct productByBarCode(FbConnection& connection, const QString& barCode)
{
    NfeProduct product;
    if (namesNoProduct(barCode))
        return product;
    auto cursor = connection.openCursor(kProductByBarCode, {barCode});
    if (cursor->fetch() && !cursor->text(0).isEmpty()) {
        product.found = true;
        product.componente = cursor->text(0);
        product.fabricante = cursor->text(2);
        product.codigo = cursor->text(4);
        product.match = NfeProduct::Match::BarCode;
    }
    return product;
}

NfeProduct productOfCode(const SupplierCode& code)
{
    NfeProduct product;
    product.found = true;
    product.match = NfeProduct::Match::SupplierCode;
    product.codigo = code.codigo;
    product.componente = code.componente;
    product.fabricante = code.fabricante;
    product.uCom = code.uCom;
    product.unidade = code.unidade;
    product.fator = code.fator;
    return product;
}

void writeRows(const NfeData& dm, const QString& workstation, const NfeRows& rows, const QString& cnpj,
               bool keepOrigins)
{
    const NfeHeaderRow& h = rows.header;
    UnitOfWork work(dm.SQLConnection1);
    SqlCommand draw = dm.command();
    const qint64 invoiceCode = keys::NextInvoiceCode(draw);
    const bool withInstalments = !rows.instalments.empty();
    dm.SQLConnection1.execute(
        kInsertHeader, {workstation, invoiceCode, h.data, h.dataRecebim, h.notaFiscal, h.fornecedor, h.codigoFornecedor,
                        h.valBruto, h.descontoTotal, h.outrosImp, h.valLiquido, h.icms, h.ipi, h.tipoOperacao, h.serie,
                        h.entradaSaida, withInstalments ? Value{kCustomInstalmentsForm} : Value{}});
    qint64 instalmentCode = withInstalments ? keys::NextInstalmentCode(draw) : 0;
    for (const NfeInstalmentRow& i : rows.instalments)
        dm.SQLConnection1.execute(kInsertInstalment, {instalmentCode++, qint64(i.ordem), i.data, i.valor, h.notaFiscal,
                                                      h.fornecedor, h.valLiquido});
    qint64 itemCode = rows.items.empty() ? 0 : keys::NextItemCode(draw);
    std::vector<suppliercodes::ItemOrigin> origins;
    for (const NfeItemRow& r : rows.items) {
        dm.SQLConnection1.execute(kInsertItem, {workstation, itemCode, r.codigo.isEmpty() ? Value{} : Value{r.codigo},
                                                h.data, h.notaFiscal, h.fornecedor, h.codigoFornecedor, r.fabricante,
                                                r.componente, r.responsavel, r.precoUnit, r.precoUnit, r.quantidade,
                                                r.unidade, r.saldo, r.lote, r.fabricacao, r.validade});
        if (keepOrigins)
            origins.push_back({workstation, itemCode, cnpj, r.cProd, r.uCom, r.quantidadeNfe});
        ++itemCode;
    }
    suppliercodes::RecordOrigins(dm.SQLConnection1, origins);
    work.commit();
}

QString resultMessage(int unrecognised)
{
    if (unrecognised == 0)
        return QStringLiteral(
            "SUCESSO: Todos os itens da NF-e foram reconhecidos pelo sistema.\r1) Percorra, com o cursor, todas "
            "colunas "
            "dos itens da N. Fiscal para atualizar os preços dos produtos no banco de dados.\r2) Em seguida, clique no "
            "botão \"FECHAR NOTA FISCAL\" para atualizar o estoque.\r3) Finalizando, selecione a forma de pagamento  "
            "para incluir esta Nota Fiscal no cadastro de \"Contas a Pagar\" do sistema.");
    if (unrecognised == 1)
        return QStringLiteral(
            "ATENÇÃO: \r1) Um item da Nota Fiscal não pôde ser identificado corretamente pelo sistema.\r2) Percorra, "
            "com "
            "o cursor, todas colunas dos itens da N. Fiscal atualizar os preços no banco de dados e tentar identificar "
            "o "
            "produto não reconhecido.\r3) Em seguida, clique no botão \"FECHAR NOTA FISCAL\" para atualizar o "
            "estoque.\r4) Finalizando, selecione a forma de pagamento  para incluir esta Nota Fiscal no cadastro de "
            "\"Contas a Pagar\" do sistema.");
    return QStringLiteral("ATENÇÃO: \r1) ") + QString::number(unrecognised) +
           QStringLiteral(" itens da Nota Fiscal não foram identificados corretamente pelo sistema.") + u'\r' +
           QStringLiteral("2) Percorra, com o cursor, todas colunas de cada item da N. Fiscal para atualizar os preços "
                          "no banco de dados e tentar identificar os produtos não reconhecidos.") +
           u'\r' + QStringLiteral("3) Em seguida, clique no botão \"FECHAR NOTA FISCAL\" para atualizar o estoque.") +
           u'\r' +
           QStringLiteral("4) Finalizando, selecione a forma de pagamento para incluir esta Nota Fiscal no cadastro de "
                          "\"Contas a Pagar\" do sistema.");
}

// Instalments another invoice of this number and supplier left behind would join these: the
// supplier's are then not stored.
void keepOnlyOwnInstalments(FbConnection& connection, NfeRows& rows)
{
    if (rows.instalments.empty())
        return;
    const Values row =
        connection.executeRow(QStringLiteral("select count(*) from PAGDIVER where NFISCAL = ? and FORNECEDOR = ?"),
                              {rows.header.notaFiscal, rows.header.fornecedor});
    if (!row.empty() && std::get<qint64>(row.front()) > 0) {
        rows.instalments.clear();
        rows.instalmentNote = QStringLiteral("As duplicatas da NF-e (cobr/dup) não foram registradas como parcelas: "
                                             "já há parcelas de \"Datas e valores diversos\" com este número de nota "
                                             "e este fornecedor.");
    }
}

QString noteAfter(const QString& note)
{
    return note.isEmpty() ? QString() : QStringLiteral("\r\r") + note;
}

QString recognitionNote(const NfeRows& rows)
{
    return QStringLiteral("\r\rItens reconhecidos pelo código do fornecedor: %1; pelo código de barras: %2.")
        .arg(rows.bySupplierCode)
        .arg(rows.byBarCode);
}

QString adjustedNote(const QStringList& adjusted)
{
    if (adjusted.isEmpty())
        return {};
    return QStringLiteral("\r\rTextos ajustados para caberem no banco de dados:\r") + adjusted.join(u'\r');
}

} // namespace

QString NfeNoProtocolQuestion()
{
    return QStringLiteral("O arquivo não traz o protocolo de autorização da NF-e: não há como saber se a SEFAZ "
                          "autorizou esta nota.\rDeseja importá-la mesmo assim?");
}

QString NfeUnsignedQuestion()
{
    return QStringLiteral("O arquivo não traz a assinatura digital da NF-e: não há como saber se foi alterado depois "
                          "de emitido.\rDeseja importá-lo mesmo assim?");
}

QString NfeSignerWithoutCnpjQuestion()
{
    return QStringLiteral("O certificado que assinou a NF-e não informa CNPJ: não há como saber se foi o emitente "
                          "quem assinou.\rDeseja importá-la mesmo assim?");
}

bool IsNfeEvidenceQuestion(const QString& question)
{
    return question == NfeNoProtocolQuestion() || question == NfeUnsignedQuestion() ||
           question == NfeSignerWithoutCnpjQuestion();
}

QString NfeAlteredMessage()
{
    return QStringLiteral("A assinatura digital da NF-e não confere: o arquivo foi alterado depois de assinado.");
}

NfeImporter::NfeImporter(NfeData dm, const SessionState& session) : dm_(dm), session_(session) {}

void NfeImporter::tell(const QString& message)
{
    told_ << message;
    ShowMessage(message);
}

bool NfeImporter::refuse(const QString& message)
{
    tell(message);
    refusal_ = message;
    return false;
}

bool NfeImporter::confirm(const QString& question)
{
    if (AskYesNo(question))
        return true;
    refusal_ = question.left(question.indexOf(u'\r')) + QStringLiteral(" Importação não confirmada.");
    return false;
}

// The evidence of an authorised invoice, before anything is written: a key that is the document's,
// the protocol of this key with an authorised status, and a signature that verifies.
bool NfeImporter::checkEvidence(const QByteArray& content)
{
    if (const QString problem = NfeAccessKeyProblem(doc_); !problem.isEmpty())
        return refuse(problem);
    if (const QString problem = NfeProtocolProblem(doc_); !problem.isEmpty())
        return refuse(problem);
    if (const QString problem = NfeEnvironmentProblem(doc_); !problem.isEmpty())
        return refuse(problem);
    if (const QString problem = NfeTotalsProblem(doc_); !problem.isEmpty())
        return refuse(problem);
    const NfeSignatureCheck signature = VerifyNfeSignature(content, doc_.Id);
    switch (signature.status) {
    case NfeSignatureCheck::Status::Altered:
        return refuse(NfeAlteredMessage());
    case NfeSignatureCheck::Status::Unverifiable:
        return refuse(QStringLiteral("A assinatura digital da NF-e não pôde ser verificada: %1.\rNada foi importado.")
                          .arg(signature.detail));
    case NfeSignatureCheck::Status::Valid:
        doc_.isSigned = true;
        doc_.signer = signature.signer;
        doc_.signerCnpj = signature.signerCnpj;
        if (const QString problem = NfeDigestProblem(doc_, signature.digestValue); !problem.isEmpty())
            return refuse(problem);
        if (const QString problem = NfeSignerProblem(doc_); !problem.isEmpty())
            return refuse(problem);
        break;
    case NfeSignatureCheck::Status::Absent:
        break;
    }
    if (!doc_.hasProtocol && !confirm(NfeNoProtocolQuestion()))
        return false;
    if (doc_.isSigned && doc_.signerCnpj.isEmpty())
        return confirm(NfeSignerWithoutCnpjQuestion());
    return doc_.isSigned || confirm(NfeUnsignedQuestion());
}

NfeReadOutcome NfeImporter::read(const QString& path)
{
    told_.clear();
    refusal_.clear();
    readOk_ = false;
    issuerCodes_.reset();
    addMissingIndexes();
    QByteArray content;
    const NfeReadResult result = ReadNfeFile(path, doc_, content);
    for (const QString& message : result.messages)
        tell(message);
    if (!result.ok) {
        refusal_ = result.messages.value(result.messages.size() - 1);
        return NfeReadOutcome::Failed;
    }
    if (documentRead_)
        documentRead_();
    if (!checkEvidence(content))
        return NfeReadOutcome::Failed;
    readOk_ = true;
    RegisterNfeSupplier(dm_, doc_);
    // The list is searched only for an invoice that is there: leaving it in date order otherwise
    // spares the clerk's list a re-query of every invoice.
    if (!doc_.NfeSupplierName.isEmpty() && recordedInvoice() && showRecorded()) {
        tell(QStringLiteral("Nota Fiscal já cadastrada no KORVANIS."));
        refusal_ = told_.back();
        return NfeReadOutcome::Duplicate;
    }
    return NfeReadOutcome::Ready;
}

// A database made before the import's indexes existed gets them at the first read; without them
// the import only runs slower, so a failure here stops nothing.
void NfeImporter::addMissingIndexes()
{
    if (indexesChecked_)
        return;
    indexesChecked_ = true;
    try {
        schema::createMissingIndexes(dm_.SQLConnection1);
        schema::createMissingAccess(dm_.SQLConnection1, QStringLiteral("shared-access.sql"));
    } catch (const std::exception&) {
    }
    try {
        supplierCodes_ = suppliercodes::Available(dm_.SQLConnection1);
    } catch (const DbError&) {
        supplierCodes_ = false;
    }
}

NfeProduct NfeImporter::productOf(const NfeItem& item)
{
    if (!issuerCodes_) {
        issuerCodes_.emplace();
        if (supplierCodes_)
            for (const SupplierCode& code : suppliercodes::ForIssuer(dm_.SQLConnection1, doc_.CNPJ.trimmed()))
                issuerCodes_->emplace(code.cProd, code);
    }
    if (const auto code = issuerCodes_->find(item.cProd); code != issuerCodes_->end())
        return productOfCode(code->second);
    return productByBarCode(dm_.SQLConnection1, item.cEAN);
}

NfeImporter::Recognition NfeImporter::recognisedItems()
{
    Recognition count;
    for (const NfeItem& item : doc_.items) {
        const NfeProduct product = productOf(item);
        if (product.match == NfeProduct::Match::SupplierCode)
            ++count.bySupplierCode;
        else if (product.match == NfeProduct::Match::BarCode)
            ++count.byBarCode;
    }
    return count;
}

// The key (date, number, supplier) of this supplier's invoice of this number, when it is recorded.
std::optional<Values> NfeImporter::recordedInvoice()
{
    const Values row = dm_.SQLConnection1.executeRow(
        QStringLiteral("select first 1 DATA from NFISCAL where GRUPDESP = 'SUP' and NOTAFISCAL = ? and FORNECEDOR = ?"),
        {doc_.nNF, doc_.NfeSupplierName});
    if (row.empty())
        return std::nullopt;
    return Values{row.front(), doc_.nNF, doc_.NfeSupplierName};
}

// The invoice list in number order, standing on this supplier's invoice of this number.
bool NfeImporter::showRecorded()
{
    CachedDataset& nf = dm_.NFiscal;
    nf.close();
    dm_.Compras.close();
    nf.setCommandText(QStringLiteral("select ") + NFiscalColumns +
                      QStringLiteral(" from NFISCAL where GRUPDESP = 'SUP' order by NOTAFISCAL, FORNECEDOR"));
    nf.open();
    dm_.Compras.open();
    return nf.locate({doc_.nNF, doc_.NfeSupplierName});
}

bool NfeImporter::alreadyImported()
{
    SqlCommand q = dm_.command();
    q.setText(QStringLiteral("Select NOTAFISCAL, FORNECEDOR from NFISCAL where NOTAFISCAL = ") + sql::quoted(doc_.nNF) +
              QStringLiteral(" and FORNECEDOR = ") + sql::quoted(doc_.NfeSupplierName.left(40)));
    q.open();
    const bool found = !q.eof() && q.asText(QStringLiteral("NOTAFISCAL")) == doc_.nNF &&
                       q.asText(QStringLiteral("FORNECEDOR")) == doc_.NfeSupplierName.left(40);
    q.close();
    return found;
}

NfeImportResult NfeImporter::import(const QString& receiptDate, const QDate& today)
{
    told_.clear();
    NfeImportResult result;
    const auto finish = [&](NfeImportResult::Outcome outcome, const QString& message,
                            const std::optional<Values>& invoice = std::nullopt) {
        result.outcome = outcome;
        result.message = message;
        if (!message.isEmpty())
            tell(message);
        // A refused import leaves everything as it was, the panel open to mend the receipt date.
        if (positionsDatasets_ && outcome != NfeImportResult::Outcome::Refused)
            positionMainWindow(invoice);
        return result;
    };

    if (!readOk_)
        return finish(NfeImportResult::Outcome::Refused,
                      QStringLiteral("Nenhuma NF-e foi lida. Escolha o arquivo da NF-e antes de importar."));
    RegisterNfeSupplier(dm_, doc_);
    if (doc_.NfeSupplierName.isEmpty())
        return finish(NfeImportResult::Outcome::SupplierFailed,
                      QStringLiteral("Não foi possível importar N. Fiscal ") + doc_.nNF +
                          QStringLiteral(". Erro no cadastro do fornecedor."));
    if (alreadyImported()) {
        const QString message = QStringLiteral("N.Fiscal ") + doc_.nNF + u'\r' + QStringLiteral("do fornecedor ") +
                                doc_.NfeSupplierName +
                                QStringLiteral(" já encontra-se no Cadastro de Notas Fiscais do KORVANIS.");
        tell(message);
        NfeImportResult duplicate = finish(NfeImportResult::Outcome::Duplicate, {}, recordedInvoice());
        duplicate.message = message;
        return duplicate;
    }

    NfeRows rows;
    try {
        rows = BuildNfeRows(doc_, receiptDate, today, [this](const NfeItem& item) { return productOf(item); });
    } catch (const NfeValueError& e) {
        return finish(NfeImportResult::Outcome::Refused, e.message());
    }
    keepOnlyOwnInstalments(dm_.SQLConnection1, rows);

    for (int attempt = 1;; ++attempt) {
        try {
            writeRows(dm_, session_.WorkstationCode, rows, doc_.CNPJ.trimmed(), supplierCodes_);
            break;
        } catch (const DbError& e) {
            // Another workstation took the same keys at the same moment: draw them again.
            if (e.sqlcode() == DbError::kDuplicateKey && attempt < kWriteAttempts)
                continue;
            return finish(NfeImportResult::Outcome::Refused,
                          QStringLiteral("Não foi possível importar a N. Fiscal %1: o banco de dados recusou a "
                                         "gravação.\r%2\rNada foi gravado.")
                              .arg(doc_.nNF, e.message()));
        }
    }
    result.rows = int(rows.items.size());
    result.unrecognised = rows.unrecognised;
    result.bySupplierCode = rows.bySupplierCode;
    result.byBarCode = rows.byBarCode;
    result.instalments = int(rows.instalments.size());
    result.instalmentNote = rows.instalmentNote;
    result.adjusted = rows.adjusted;

    const std::optional<Values> imported = recordedInvoice();
    if (!imported)
        return finish(NfeImportResult::Outcome::NotFoundAfterwards,
                      QStringLiteral("Não foi possível localizar a nota ") + doc_.nNF +
                          QStringLiteral(" do fornecedor ") + doc_.NfeSupplierName +
                          QStringLiteral(" após o cadastramento automático."));
    return finish(NfeImportResult::Outcome::Imported,
                  resultMessage(rows.unrecognised) + recognitionNote(rows) + noteAfter(rows.instalmentNote) +
                      adjustedNote(rows.adjusted),
                  imported);
}

// The invoice list back in date order, on the given invoice (by default the one it stood on),
// with the items of that invoice.
void NfeImporter::positionMainWindow(std::optional<Values> invoice)
{
    CachedDataset& nf = dm_.NFiscal;
    if (!invoice && nf.isOpen() && !nf.isEmpty())
        invoice = Values{nf.value(QStringLiteral("DATA")), nf.value(QStringLiteral("NOTAFISCAL")),
                         nf.value(QStringLiteral("FORNECEDOR"))};
    const bool hadRow = invoice.has_value();
    const Values key = invoice.value_or(Values{});
    dm_.Compras.close();
    nf.close();
    nf.setCommandText(workqueries::nfiscal());
    // Opening the list and moving to the invoice load the items of the invoice stood on (the
    // list's scroll rule); the list of every purchased item is not read for nothing.
    nf.open();
    if (hadRow && !nf.locate(key)) {
        nf.first();
        tell(QStringLiteral("Erro na importação da NFe:   Data......: ") + field::toText(key[0]) + u'\r' +
             QStringLiteral("  Numero NF.: ") + field::toText(key[1]) + u'\r' + QStringLiteral("  Fornecedor: ") +
             field::toText(key[2]));
    }
}
