#include "purchase/DatasetRules.h"

#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/FieldValue.h"
#include "data/ServerError.h"
#include "data/SqlText.h"
#include "db/ColumnLists.h"
#include "nfe/SupplierCodes.h"
#include "payments/CustomInstalments.h"
#include "payments/PayableDescription.h"
#include "purchase/DataModule.h"
#include "purchase/KeyDraws.h"
#include "purchase/SessionState.h"

namespace {

const QString kItemNotSaved = QStringLiteral("Erro tentando salvar o registro corrente na tabela COMPRAS.");

// A refused item stays in the list, pending, until the database takes it: the list is never read
// again over it (reading it again would drop the item without a word).
void WritePendingItems(TDM& dm)
{
    CachedDataset& items = dm.Compras;
    if (!items.isOpen() || items.pendingChanges() == 0)
        return;
    if (items.applyUpdates() > 0)
        throw DatasetError(DbErrorText(kItemNotSaved, LastApplyFailure(items)) +
                           QStringLiteral("\r\rO item continua na lista e será gravado na próxima tentativa."));
    items.refresh();
}

} // namespace

QString InvoiceItemsQuery(const QString& invoiceNumber, const QString& supplierCode, const QDate& date)
{
    QString sql = QStringLiteral("select ") + ComprasColumns + QStringLiteral(" from COMPRAS where NOTAFISCAL = ") +
                  sql::quoted(invoiceNumber) + QStringLiteral(" and CODIGOFORNECEDOR = ") + sql::quoted(supplierCode);
    if (date.isValid())
        sql += QStringLiteral(" and DATA = ") + sql::dateLiteral(date);
    return sql;
}

QString CurrentInvoiceItemsQuery(const CachedDataset& invoices)
{
    const QString date = QStringLiteral("DATA");
    return InvoiceItemsQuery(invoices.asText(QStringLiteral("NOTAFISCAL")),
                             invoices.asText(QStringLiteral("CODIGOFORNECEDOR")),
                             invoices.isNull(date) ? QDate() : invoices.asDate(date));
}

bool InvoiceNumberTaken(SqlCommand& query, const QString& number, const QString& supplierCode,
                        const QString& supplierName, qint64 ownCode)
{
    if (number.isEmpty() || (supplierCode.isEmpty() && supplierName.isEmpty()))
        return false;
    QString supplier;
    if (!supplierCode.isEmpty())
        supplier = QStringLiteral("CODIGOFORNECEDOR = ") + sql::quoted(supplierCode);
    if (!supplierName.isEmpty())
        supplier += (supplier.isEmpty() ? QString() : QStringLiteral(" or ")) + QStringLiteral("FORNECEDOR = ") +
                    sql::quoted(supplierName);
    const Value taken = query.single(QStringLiteral("select count(*) as TOMADAS from NFISCAL where NOTAFISCAL = ") +
                                         sql::quoted(number) + QStringLiteral(" and (") + supplier +
                                         QStringLiteral(") and CODIGO <> ") + QString::number(ownCode),
                                     QStringLiteral("TOMADAS"));
    const auto* count = std::get_if<qint64>(&taken);
    return count && *count > 0;
}

QString InvoiceNumberTakenMessage(const QString& number, const QString& supplierName)
{
    return QStringLiteral("N.Fiscal ") + number + QStringLiteral("\rdo fornecedor ") + supplierName +
           QStringLiteral(" já encontra-se no Cadastro de Notas Fiscais do KORVANIS.");
}

void RefuseTakenInvoiceNumber(TDM& dm)
{
    const CachedDataset& nf = dm.NFiscal;
    const QString number = nf.asText(QStringLiteral("NOTAFISCAL"));
    const QString supplier = nf.asText(QStringLiteral("FORNECEDOR"));
    SqlCommand query(QStringLiteral("NumberTaken"), dm.SQLConnection1);
    if (InvoiceNumberTaken(query, number, nf.asText(QStringLiteral("CODIGOFORNECEDOR")), supplier,
                           nf.asInteger(QStringLiteral("CODIGO"))))
        throw DatasetError(InvoiceNumberTakenMessage(number, supplier));
}

bool InvoiceSharesPayables(SqlCommand& query, const QString& number, const QString& supplierName, qint64 ownCode)
{
    const Value shared =
        query.single(QStringLiteral("select count(*) as OUTRAS from NFISCAL where NOTAFISCAL = ") +
                         sql::quoted(number) + QStringLiteral(" and FORNECEDOR = ") + sql::quoted(supplierName) +
                         QStringLiteral(" and CODIGO <> ") + QString::number(ownCode),
                     QStringLiteral("OUTRAS"));
    const auto* count = std::get_if<qint64>(&shared);
    return count && *count > 0;
}

bool TellTakenInvoiceNumber(TDM& dm)
{
    try {
        RefuseTakenInvoiceNumber(dm);
    } catch (const DatasetError& taken) {
        dm.rules().tell(taken.message());
        return true;
    }
    return false;
}

DatasetRules::DatasetRules(TDM& dm) : dm_(dm), session_(dm.session())
{
    attachInvoiceRules();
    attachItemRules();
    attachSupplierRules();
    attachPaymentRules();
    attachWriteRules();
    attachKeyRedraws();
}

const char* InvoiceModeName(InvoiceMode mode)
{
    switch (mode) {
    case InvoiceMode::Starting:
        return "Starting";
    case InvoiceMode::Browsing:
        return "Browsing";
    case InvoiceMode::EditingHeader:
        return "EditingHeader";
    case InvoiceMode::Taxes:
        return "Taxes";
    }
    return "?";
}

void DatasetRules::setMode(InvoiceMode mode)
{
    const InvoiceMode from = std::exchange(mode_, mode);
    if (from != mode)
        modeChanged.notify(from, mode);
}

void DatasetRules::leaveTaxes()
{
    const CachedDataset::State state = dm_.NFiscal.state();
    const bool editing = state == CachedDataset::State::Edit || state == CachedDataset::State::Insert;
    setMode(editing ? InvoiceMode::EditingHeader : InvoiceMode::Browsing);
}

SqlCommand DatasetRules::command() const
{
    return SqlCommand(QStringLiteral("DatasetRules"), dm_.SQLConnection1);
}

void DatasetRules::Write(CachedDataset& dataset)
{
    // A post that changed nothing has nothing to write, and the list holds what it held.
    if (dataset.pendingChanges() == 0)
        return;
    if (dataset.applyUpdates() > 0)
        throw LastApplyFailure(dataset);
    dataset.refresh();
}

// ---- NFiscal: the invoice header

void DatasetRules::attachInvoiceRules()
{
    CachedDataset& nf = dm_.NFiscal;
    // A new invoice is refused, before its row exists, while items of the current one are still
    // refused: its items query would read the list again over them.
    nf.beforeInsert = [this](CachedDataset&) {
        WritePendingItems(dm_);
        invoiceEditingStarts(true);
    };
    nf.afterInsert = [this](CachedDataset&) { invoiceDefaults(); };
    // An edit begun while browsing starts editing the header; under the tax panel, or before the
    // work area is shown, the mode stays.
    nf.beforeEdit = [this](CachedDataset&) {
        if (mode_ == InvoiceMode::Browsing || mode_ == InvoiceMode::EditingHeader)
            invoiceEditingStarts(false);
    };
    nf.afterEdit = [this](CachedDataset& ds) {
        editStartKey_ = {ds.asText(QStringLiteral("NOTAFISCAL")), ds.asText(QStringLiteral("CODIGOFORNECEDOR")),
                         ds.asText(QStringLiteral("FORNECEDOR"))};
        copyHeaderIntoItem();
    };
    // An invoice whose number another invoice of its supplier carries is never stored; one stored
    // so before (an old database) can still be posted as long as its number and supplier stay.
    nf.beforePost = [this](CachedDataset& ds) {
        if (ds.state() == CachedDataset::State::Insert || invoiceKeyChangedSinceEdit())
            RefuseTakenInvoiceNumber(dm_);
        postCurrentItem(ds.state() == CachedDataset::State::Edit);
    };
    nf.afterPost = [this](CachedDataset& ds) {
        if (mode_ == InvoiceMode::EditingHeader)
            setMode(InvoiceMode::Browsing);
        Write(ds);
    };
    // Items the database refused are written again before the list changes invoice; still
    // refused, they stay listed and the move waits.
    nf.beforeScroll = [this](CachedDataset&) { WritePendingItems(dm_); };
    nf.beforeDelete = [this](CachedDataset&) { removeItemsAndPayables(); };
    nf.afterDelete = [](CachedDataset& ds) { Write(ds); };
    nf.afterScroll = [this](CachedDataset&) {
        reloadItems();
        CachedDataset& items = dm_.Compras;
        if (items.isEmpty() || items.isNull(QStringLiteral("RESPONSAVEL")))
            return;
        try {
            session_.ItemCounter = int(items.asInteger(QStringLiteral("RESPONSAVEL")));
        } catch (const ConversionError&) {
            // Not a number: the counter keeps its value.
        }
    };
    nf.beforeRefresh = [this](CachedDataset&) {
        if (dm_.Compras.isOpen())
            dm_.Compras.refresh();
    };
}

bool DatasetRules::invoiceKeyChangedSinceEdit() const
{
    const CachedDataset& nf = dm_.NFiscal;
    if (nf.state() != CachedDataset::State::Edit || editStartKey_.size() != 3)
        return false;
    return editStartKey_ != QStringList{nf.asText(QStringLiteral("NOTAFISCAL")),
                                        nf.asText(QStringLiteral("CODIGOFORNECEDOR")),
                                        nf.asText(QStringLiteral("FORNECEDOR"))};
}

void DatasetRules::invoiceEditingStarts(bool inserting)
{
    if (inserting)
        session_.InsertingInvoice = true;
    setMode(InvoiceMode::EditingHeader);
}

void DatasetRules::invoiceDefaults()
{
    CachedDataset& nf = dm_.NFiscal;
    session_.ItemCounter = 0;
    nf.setText(QStringLiteral("TIPOOPERACAO"), QStringLiteral("1"));
    SqlCommand draw = command();
    nf.setInteger(QStringLiteral("CODIGO"), keys::NextInvoiceCode(draw));
    nf.setText(QStringLiteral("ESTACAO"), session_.WorkstationCode);
    nf.setText(QStringLiteral("LOJA"), session_.StoreCnpj);
    nf.setText(QStringLiteral("GRUPDESP"), QStringLiteral("SUP"));
}

void DatasetRules::copyHeaderIntoItem()
{
    if (!headerKeyFollowsEdits())
        return;
    session_.SavedFieldText.date = dm_.NFiscal.asText(QStringLiteral("DATA")).left(40);
    copyHeaderKey();
}

// DATA, NOTAFISCAL, FORNECEDOR and CODIGOFORNECEDOR of the header into the current item. An
// invoice without items has no item row to carry them.
void DatasetRules::copyHeaderKey()
{
    CachedDataset& nf = dm_.NFiscal;
    CachedDataset& items = dm_.Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    items.edit();
    for (const char* column : {"DATA", "NOTAFISCAL", "FORNECEDOR", "CODIGOFORNECEDOR"})
        items.setValue(QLatin1String(column), nf.value(QLatin1String(column)));
}

// The current item is posted with the header, so that the header's key values reach it together.
// The values are copied again here: those copied when the edit began are the old ones, and a
// changed date or number must reach the item.
void DatasetRules::postCurrentItem(bool editingHeader)
{
    CachedDataset& items = dm_.Compras;
    if (!items.isOpen() || items.isEmpty())
        return;
    try {
        if (editingHeader && headerKeyFollowsEdits())
            copyHeaderKey();
        items.edit();
        items.post();
    } catch (const std::exception&) {
        // A failure of the item leaves the header to be posted all the same.
    }
}

// The items are read again by the invoice's own key first: the item list may hold another
// invoice's rows (the list of every item at start-up). The payables are found only by their
// description, which an invoice of the same number and supplier name shares: those are left
// alone, as nobody can tell whose they are.
void DatasetRules::removeItemsAndPayables()
{
    CachedDataset& nf = dm_.NFiscal;
    CachedDataset& items = dm_.Compras;
    reloadItems();
    items.first();
    while (!items.eof() && !items.isEmpty())
        items.remove(); // each deletion is written by the item rule
    const QString number = nf.asText(QStringLiteral("NOTAFISCAL"));
    const QString supplier = nf.asText(QStringLiteral("FORNECEDOR"));
    const QString description = PayableDescription(number, supplier);
    SqlCommand query = command();
    if (InvoiceSharesPayables(query, number, supplier, nf.asInteger(QStringLiteral("CODIGO")))) {
        tell(QStringLiteral("As contas do \"Contas a Pagar\" com a descrição \"") + description +
             QStringLiteral("\" não foram excluídas:\routra nota fiscal com o mesmo número e o mesmo "
                            "fornecedor usa esta descrição."));
        return;
    }
    // Payables the finance module has taken over stay: the server refuses this module their deletion.
    dm_.execute(QStringLiteral("Delete from CTAPAGAR where DESCRICAO = ") + sql::quoted(description) +
                QStringLiteral(" and SITUACAO = ") + sql::quoted(kPayableAwaitingPayment));
}

void DatasetRules::reloadItems()
{
    CachedDataset& items = dm_.Compras;
    WritePendingItems(dm_);
    items.close();
    items.setCommandText(CurrentInvoiceItemsQuery(dm_.NFiscal));
    items.open();
}

// ---- Compras: the items of the current invoice

void DatasetRules::attachItemRules()
{
    CachedDataset& items = dm_.Compras;
    // No item goes under a number another invoice of the supplier carries: it would join that
    // invoice's items.
    items.beforeInsert = [this](CachedDataset&) {
        if (dm_.NFiscal.state() == CachedDataset::State::Insert || invoiceKeyChangedSinceEdit())
            RefuseTakenInvoiceNumber(dm_);
        reloadItems();
    };
    items.afterInsert = [this](CachedDataset&) { itemDefaults(); };
    items.beforePost = [](CachedDataset& ds) {
        ItemLineTotal(ds); // an item whose total would not fit is not stored
        if (!ds.isNull(QStringLiteral("LOTE")))
            ds.setText(QStringLiteral("LOTE"), ds.asText(QStringLiteral("LOTE")).remove(QLatin1Char(' ')));
    };
    items.afterPost = [this](CachedDataset& ds) {
        try {
            Write(ds);
        } catch (const DbError& e) {
            tell(DbErrorText(kItemNotSaved, e));
            return;
        } catch (const std::exception&) {
            tell(kItemNotSaved);
            return;
        }
        rememberSupplierCode(ds);
    };
    items.afterDelete = [](CachedDataset& ds) { Write(ds); };
    items.afterScroll = [this](CachedDataset&) { itemScrolled.notify(); };
    items.onPostError = [](CachedDataset& ds, const std::exception&) { ds.cancel(); };
}

// The product the clerk gave an NF-e item names it in the supplier's next invoices.
void DatasetRules::rememberSupplierCode(const CachedDataset& items)
{
    try {
        suppliercodes::RememberIdentified(dm_.SQLConnection1, items.asText(QStringLiteral("ESTACAO")),
                                          items.asInteger(QStringLiteral("CODCOMPRA")));
    } catch (const DbError& e) {
        tell(DbErrorText(QStringLiteral("O item foi gravado, mas o código do produto no fornecedor não "
                                        "pôde ser guardado para as próximas NF-e."),
                         e));
    }
}

Decimal DatasetRules::ItemLineTotal(const CachedDataset& items)
{
    const Decimal quantity = field::toDecimal(items.value(QStringLiteral("QUANTIDADE")));
    const Decimal price = field::toDecimal(items.value(QStringLiteral("PRECOUNITR")));
    const Column& column = items.layout().at(items.fieldIndex(QStringLiteral("SALDO")));
    const QString product = field::toText(quantity) + QStringLiteral(" × ") + field::toText(price);
    try {
        const Decimal total = Decimal::product(quantity, price, column.scale);
        if (!total.fits(field::precisionOf(column), column.scale))
            throw ValueOutOfRange(product, column);
        return total;
    } catch (const DecimalOverflow&) {
        throw ValueOutOfRange(product, column);
    }
}

void DatasetRules::itemDefaults()
{
    CachedDataset& nf = dm_.NFiscal;
    CachedDataset& items = dm_.Compras;
    ++session_.ItemCounter;
    for (const char* column : {"DATA", "NOTAFISCAL", "FORNECEDOR", "CODIGOFORNECEDOR"})
        items.setText(QLatin1String(column), nf.asText(QLatin1String(column)));
    items.setText(QStringLiteral("RESPONSAVEL"), QString::number(session_.ItemCounter).rightJustified(4, u'0'));
    items.setText(QStringLiteral("SITUACAO"), QStringLiteral("Estoque"));
    items.setText(QStringLiteral("LABORATORIO"), session_.DefaultStockLocation);
    SqlCommand draw = command();
    items.setInteger(QStringLiteral("CODCOMPRA"), keys::NextItemCode(draw));
    items.setText(QStringLiteral("ESTACAO"), session_.WorkstationCode);
    itemAdded.notify();
}

// ---- Fornecedor: the supplier code

void DatasetRules::attachSupplierRules()
{
    CachedDataset& suppliers = dm_.Fornecedor;
    suppliers.beforeInsert = [this](CachedDataset&) {
        SqlCommand draw = command();
        supplierCodeBase_ = keys::SupplierCodeBase(draw);
    };
    // The code drawn replaces any provisional code another panel put into the row.
    suppliers.beforePost = [this](CachedDataset& ds) {
        if (ds.state() == CachedDataset::State::Insert)
            ds.setText(QStringLiteral("CODIGO"), keys::SupplierCodeText(supplierCodeBase_ + 1));
    };
    // A supplier the database refuses stays pending (its code is not taken by any invoice) until
    // the caller writes it again or drops it; the clerk is told why.
    suppliers.afterPost = [this](CachedDataset& ds) {
        try {
            Write(ds);
        } catch (const DbError& e) {
            tell(DbErrorText(QStringLiteral("Não foi possível gravar o fornecedor no cadastro."), e));
        }
    };
    suppliers.afterDelete = [](CachedDataset& ds) { Write(ds); };
}

// ---- ContasP and PagDiver: payables and custom instalments

void DatasetRules::attachPaymentRules()
{
    dm_.ContasP.afterInsert = [this](CachedDataset& ds) {
        SqlCommand draw = command();
        ds.setInteger(QStringLiteral("CODCTAPAGAR"), keys::NextPayableCode(draw));
    };
    dm_.ContasP.afterPost = [](CachedDataset& ds) { Write(ds); };
    dm_.ContasP.afterDelete = [](CachedDataset& ds) { Write(ds); };

    dm_.PagDiver.afterInsert = [this](CachedDataset&) { instalmentDefaults(); };
    // An instalment without due date, or one that would take the instalments above the net value,
    // is never stored: it stays in the grid to be corrected.
    dm_.PagDiver.beforePost = [this](CachedDataset&) {
        const QString refusal = instalments::InstalmentRefusal(dm_);
        if (!refusal.isEmpty())
            throw DatasetError(refusal);
    };
    const auto writeAndRecalc = [this](CachedDataset& ds) {
        Write(ds);
        instalmentsChanged.notify();
    };
    dm_.PagDiver.afterPost = writeAndRecalc;
    dm_.PagDiver.afterDelete = writeAndRecalc;
}

void DatasetRules::instalmentDefaults()
{
    CachedDataset& nf = dm_.NFiscal;
    CachedDataset& instalments = dm_.PagDiver;
    SqlCommand draw = command();
    instalments.setInteger(QStringLiteral("CODPAGDIVER"), keys::NextInstalmentCode(draw));
    instalments.setText(QStringLiteral("NFISCAL"), nf.asText(QStringLiteral("NOTAFISCAL")));
    instalments.setText(QStringLiteral("FORNECEDOR"), nf.asText(QStringLiteral("FORNECEDOR")));
    ++session_.InstalmentCounter;
    instalments.setInteger(QStringLiteral("ORDEM"), session_.InstalmentCounter);
    instalments.setValue(QStringLiteral("VALORTOTAL"), nf.value(QStringLiteral("VALLIQUIDO")));
    // What the stored instalments leave of the net value, as the panel shows it.
    instalments.setValue(QStringLiteral("VALOR"), instalments::InstalmentBalance(dm_));
}

// ---- the other datasets: write what is posted and deleted

void DatasetRules::attachWriteRules()
{
    const auto write = [](CachedDataset& ds) { Write(ds); };
    for (CachedDataset* ds : {&dm_.Movest, &dm_.Periodo, &dm_.Componentes, &dm_.CompNomes, &dm_.Estacoes}) {
        ds->afterPost = write;
        ds->afterDelete = write;
    }
    dm_.EstLote.afterPost = write;
    dm_.Movest.onPostError = [this](CachedDataset&, const std::exception& e) {
        const auto* db = dynamic_cast<const DbError*>(&e);
        tell(db ? db->message() : QString::fromUtf8(e.what()));
    };
}

// Two workstations drawing the same greatest + 1 must not lose a row: a new row refused as a
// duplicate draws its key again.
void DatasetRules::attachKeyRedraws()
{
    dm_.NFiscal.setKeyDraw(QStringLiteral("CODIGO"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::NextInvoiceCode(draw) + skip};
    });
    dm_.Compras.setKeyDraw(QStringLiteral("CODCOMPRA"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::NextItemCode(draw) + skip};
    });
    dm_.Movest.setKeyDraw(QStringLiteral("CODMOVEST"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::NextMovementCode(draw) + skip};
    });
    // A supplier code has four digits: it skips no more than a few.
    dm_.Fornecedor.setKeyDraw(QStringLiteral("CODIGO"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::SupplierCodeText(keys::SupplierCodeBase(draw) + 1 + skip % 5)};
    });
    dm_.ContasP.setKeyDraw(QStringLiteral("CODCTAPAGAR"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::NextPayableCode(draw) + skip};
    });
    dm_.PagDiver.setKeyDraw(QStringLiteral("CODPAGDIVER"), [this](qint64 skip) {
        SqlCommand draw = command();
        return Value{keys::NextInstalmentCode(draw) + skip};
    });
}
