#include "entry/HeaderCascade.h"

#include "data/Formats.h"
#include "data/SqlCommand.h"
#include "data/SqlText.h"
#include "payments/PayableDescription.h"
#include "purchase/DatasetRules.h"

#include <optional>
#include <vector>

namespace {

const QString kWorkingCopy = QStringLiteral(
    "select A.ESTACAO, A.CODCOMPRA, A.DATA, A.NOTAFISCAL, A.FORNECEDOR, A.COMPONENTE, A.LOTE, A.QUANTIDADE, "
    "A.UNIDADE, A.PRECOUNITUS, A.PRECOUNITR, A.FABRICACAO, A.VALIDADE, A.USADO, A.SALDO, A.ETIQUETA, "
    "A.RESPONSAVEL, A.CODIGO, A.SITUACAO, A.FABRICANTE, A.SITUACAOMATP, A.DENSIDADE, A.FATORCORRECAO, "
    "A.FATORDILUICAO, A.LABORATORIO, A.CODIGOFORNECEDOR, A.OBSERVACAO, B.CODIGO, B.GRUPO from COMPRAS A, "
    "COMPONEN B WHERE A.CODIGO = B.CODIGO AND B.GRUPO = 'SUP'");

QString columnOf(HeaderColumn c)
{
    switch (c) {
    case HeaderColumn::Date:
        return QStringLiteral("DATA");
    case HeaderColumn::Number:
        return QStringLiteral("NOTAFISCAL");
    case HeaderColumn::Supplier:
        break;
    }
    return QStringLiteral("FORNECEDOR");
}

// An empty value reads as the empty text: NULL, or an empty text in a text column.
QString isEmptyCondition(HeaderColumn c)
{
    const QString column = QStringLiteral("A.") + columnOf(c);
    if (c == HeaderColumn::Date)
        return QStringLiteral(" AND ") + column + QStringLiteral(" IS NULL");
    return QStringLiteral(" AND (") + column + QStringLiteral(" IS NULL OR ") + column + QStringLiteral(" = '')");
}

QString textEquals(const QString& column, const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral(" AND (") + column + QStringLiteral(" IS NULL OR ") + column + QStringLiteral(" = '')");
    return QStringLiteral(" AND ") + column + QStringLiteral(" = ") + sql::quoted(text);
}

// The rows that carry the old key; none when the old date is no date.
std::optional<QString> carriesKeyCondition(const HeaderKey& old)
{
    QString condition;
    if (old.date.isEmpty()) {
        condition = QStringLiteral(" AND A.DATA IS NULL");
    } else {
        const auto date = formats::parseDate(old.date);
        if (!date)
            return std::nullopt;
        condition = QStringLiteral(" AND A.DATA = ") + sql::dateLiteral(*date);
    }
    return condition + textEquals(QStringLiteral("A.NOTAFISCAL"), old.number) +
           textEquals(QStringLiteral("A.FORNECEDOR"), old.supplier);
}

void reopen(CachedDataset& items, const QString& statement)
{
    items.close();
    items.setCommandText(statement);
    items.open();
}

void deleteItemsWithEmptyColumn(CachedDataset& copy, HeaderColumn changed, const QString& order)
{
    reopen(copy, ItemWorkingCopyQuery(isEmptyCondition(changed), order));
    const QString column = columnOf(changed);
    copy.first();
    while (!copy.isEmpty() && !copy.eof()) {
        if (copy.asText(column).isEmpty()) {
            copy.remove();
            DatasetRules::Write(copy);
        } else {
            copy.next();
        }
    }
}

// Every item carrying the old key, whatever its product (an NF-e item whose product was not
// recognised has none), receives the new value; each is written on its own, and one that cannot
// be changed is left as it was.
void moveItemsToNewKey(const EntryData& dm, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                       const QString& newSupplierCode, const QString& order)
{
    const auto carriesOldKey = carriesKeyCondition(old);
    if (!carriesOldKey)
        return;
    struct Carrier {
        qint64 code;
        bool ofOldSupplier;
    };
    std::vector<Carrier> carriers;
    {
        auto cursor = dm.SQLConnection1.openCursor(
            QStringLiteral("select A.CODCOMPRA, A.CODIGOFORNECEDOR from COMPRAS A where A.CODCOMPRA is not null") +
            *carriesOldKey + order);
        while (cursor->fetch())
            carriers.push_back({std::get<qint64>(cursor->value(0)), cursor->text(1) == old.supplierCode});
    }
    QString newValueSql;
    if (changed == HeaderColumn::Date) {
        const auto date = formats::parseDate(newValue);
        if (!date)
            return;
        newValueSql = sql::dateLiteral(*date);
    } else {
        newValueSql = sql::quoted(newValue);
    }
    const QString set =
        QStringLiteral("update COMPRAS A set ") + columnOf(changed) + QStringLiteral(" = ") + newValueSql;
    for (const Carrier& item : carriers) {
        QString statement = set;
        if (changed == HeaderColumn::Supplier && !newSupplierCode.isEmpty() && item.ofOldSupplier)
            statement += QStringLiteral(", CODIGOFORNECEDOR = ") + sql::quoted(newSupplierCode);
        try {
            dm.execute(statement + QStringLiteral(" where A.CODCOMPRA = ") + QString::number(item.code) +
                       *carriesOldKey);
        } catch (const std::exception&) {
            // The item stays as it was.
        }
    }
}

// The invoice's number and supplier name are in its instalments and in the description of its
// payables: they follow a change of either.
struct PayableKeys {
    QString oldDescription;
    QString newDescription;
    QString oldNumber, newNumber;
    QString oldSupplier, newSupplier;
};

PayableKeys payableKeys(HeaderColumn changed, const HeaderKey& old, const QString& newValue)
{
    PayableKeys keys{{}, {}, old.number, old.number, old.supplier, old.supplier};
    if (changed == HeaderColumn::Number)
        keys.newNumber = newValue;
    else
        keys.newSupplier = newValue;
    keys.oldDescription = PayableDescription(keys.oldNumber, keys.oldSupplier);
    keys.newDescription = PayableDescription(keys.newNumber, keys.newSupplier);
    return keys;
}

// Payables the finance module has taken over (paid, or otherwise no longer waiting to be paid)
// must keep the description they were taken over with.
bool payablesTakenOver(SqlCommand& query, const QString& description)
{
    const Value taken =
        query.single(QStringLiteral("select count(*) as MOVIMENTADAS from CTAPAGAR where DESCRICAO = ") +
                         sql::quoted(description) + QStringLiteral(" and (SITUACAO is null or SITUACAO <> ") +
                         sql::quoted(kPayableAwaitingPayment) + QStringLiteral(")"),
                     QStringLiteral("MOVIMENTADAS"));
    const auto* count = std::get_if<qint64>(&taken);
    return count && *count > 0;
}

void movePaymentsToNewKey(const EntryData& dm, const PayableKeys& keys)
{
    dm.execute(QStringLiteral("update PAGDIVER set NFISCAL = ") + sql::quoted(keys.newNumber) +
               QStringLiteral(", FORNECEDOR = ") + sql::quoted(keys.newSupplier) + QStringLiteral(" where NFISCAL = ") +
               sql::quoted(keys.oldNumber) + QStringLiteral(" and FORNECEDOR = ") + sql::quoted(keys.oldSupplier));
    dm.execute(QStringLiteral("update CTAPAGAR set DESCRICAO = ") + sql::quoted(keys.newDescription) +
               QStringLiteral(" where DESCRICAO = ") + sql::quoted(keys.oldDescription) +
               QStringLiteral(" and SITUACAO = ") + sql::quoted(kPayableAwaitingPayment));
}

// The header goes back to the values its items carry.
void restoreHeader(const EntryData& dm, HeaderColumn changed, const HeaderKey& old)
{
    CachedDataset& nf = dm.NFiscal;
    if (nf.state() != CachedDataset::State::Edit && nf.state() != CachedDataset::State::Insert)
        return;
    if (changed == HeaderColumn::Number) {
        nf.setText(QStringLiteral("NOTAFISCAL"), old.number);
    } else {
        nf.setText(QStringLiteral("FORNECEDOR"), old.supplier);
        nf.setText(QStringLiteral("CODIGOFORNECEDOR"), old.supplierCode);
    }
}

// The cascade's own command: what it reads leaves the shared `SQLQuery1` as it stands.
SqlCommand cascadeCommand(const EntryData& dm)
{
    return {QStringLiteral("HeaderCascade"), dm.SQLConnection1};
}

qint64 currentInvoiceCode(const EntryData& dm)
{
    const CachedDataset& nf = dm.NFiscal;
    return nf.isOpen() && !nf.isEmpty() ? nf.asInteger(QStringLiteral("CODIGO")) : 0;
}

// The payables and instalments found by the old number and supplier name are this invoice's
// only when no other invoice has that number and name: another invoice's are never blocked on,
// nor moved.
bool ownsPayablesOf(const EntryData& dm, const HeaderKey& old)
{
    SqlCommand query = cascadeCommand(dm);
    return !InvoiceSharesPayables(query, old.number, old.supplier, currentInvoiceCode(dm));
}

// A new number or supplier is refused when another invoice of the supplier carries the number,
// or when a payable of the invoice has been taken over by the finance module.
void refuseUnmovableChange(const EntryData& dm, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                           const QString& newSupplierCode)
{
    if (changed == HeaderColumn::Date)
        return;
    const PayableKeys keys = payableKeys(changed, old, newValue);
    const qint64 ownCode = currentInvoiceCode(dm);
    const QString code = changed == HeaderColumn::Supplier ? newSupplierCode : old.supplierCode;
    SqlCommand query = cascadeCommand(dm);
    QString refusal;
    if (InvoiceNumberTaken(query, keys.newNumber, code, keys.newSupplier, ownCode))
        refusal = InvoiceNumberTakenMessage(keys.newNumber, keys.newSupplier);
    else if (ownsPayablesOf(dm, old) && payablesTakenOver(query, keys.oldDescription))
        refusal = kPayablesTakenOverMessage;
    if (refusal.isEmpty())
        return;
    restoreHeader(dm, changed, old);
    throw HeaderChangeRefused(refusal);
}

void reopenInvoiceItems(const EntryData& dm)
{
    CachedDataset& items = dm.Compras;
    reopen(items, CurrentInvoiceItemsQuery(dm.NFiscal));
    if (!items.isEmpty())
        items.edit();
}

} // namespace

void StoreTypedItem(CachedDataset& items)
{
    const CachedDataset::State state = items.state();
    if (state != CachedDataset::State::Edit && state != CachedDataset::State::Insert)
        return;
    items.updateRecord();
    const bool untouched = state == CachedDataset::State::Insert ? items.asText(QStringLiteral("COMPONENTE")).isEmpty()
                                                                 : !items.isModified();
    if (untouched)
        items.cancel();
    else
        items.post();
}

QString ItemWorkingCopyQuery(const QString& condition, const QString& orderClause)
{
    return kWorkingCopy + condition + orderClause;
}

void CascadeHeaderChange(const EntryData& dm, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                         const QString& cleanUpOrder, const QString& updateOrder, const QString& newSupplierCode)
{
    CachedDataset& copy = dm.Compras2;
    refuseUnmovableChange(dm, changed, old, newValue, newSupplierCode);
    const bool ownsPayments = changed == HeaderColumn::Date || ownsPayablesOf(dm, old);
    StoreTypedItem(dm.Compras); // with the old key, so that the cascade moves it too
    dm.Compras.close();
    copy.close();
    try {
        deleteItemsWithEmptyColumn(copy, changed, cleanUpOrder);
        copy.close();
        moveItemsToNewKey(dm, changed, old, newValue, newSupplierCode, updateOrder);
        if (changed != HeaderColumn::Date && ownsPayments)
            movePaymentsToNewKey(dm, payableKeys(changed, old, newValue));
    } catch (const std::exception&) {
        // The item list comes back whatever went wrong; the cascade's error is the one reported.
        copy.close();
        try {
            reopenInvoiceItems(dm);
        } catch (const std::exception&) {
            // Reported with the cascade's error below.
        }
        throw;
    }
    copy.close();
    reopenInvoiceItems(dm);
}
