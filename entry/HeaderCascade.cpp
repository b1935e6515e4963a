#include "entry/HeaderCascade.h"

#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "data/Formats.h"
#include "data/SqlText.h"

#include <QSet>

#include <optional>

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

bool carries(const CachedDataset& items, const HeaderKey& key)
{
    return items.asText(QStringLiteral("DATA")) == key.date &&
           items.asText(QStringLiteral("NOTAFISCAL")) == key.number &&
           items.asText(QStringLiteral("FORNECEDOR")) == key.supplier;
}

// Two suppliers may share a trade name: the code tells whose item it is.
bool ofOldSupplier(const CachedDataset& items, const HeaderKey& old)
{
    return items.asText(QStringLiteral("CODIGOFORNECEDOR")) == old.supplierCode;
}

QString itemIdentity(const CachedDataset& items)
{
    return items.asText(QStringLiteral("ESTACAO")) + QLatin1Char('/') + items.asText(QStringLiteral("CODCOMPRA"));
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

// The first item still carrying the old key that was not tried yet.
bool toNextCarrier(CachedDataset& copy, const HeaderKey& old, const QSet<QString>& tried)
{
    copy.first();
    while (!copy.isEmpty() && !copy.eof()) {
        if (carries(copy, old) && !tried.contains(itemIdentity(copy)))
            return true;
        copy.next();
    }
    return false;
}

void moveItemsToNewKey(CachedDataset& copy, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                       const QString& newSupplierCode, const QString& order)
{
    const auto carriesOldKey = carriesKeyCondition(old);
    if (!carriesOldKey)
        return;
    reopen(copy, ItemWorkingCopyQuery(*carriesOldKey, order));
    const QString column = columnOf(changed);
    // A changed row leaves the old key; a row that cannot be changed is tried once.
    QSet<QString> tried;
    while (toNextCarrier(copy, old, tried)) {
        tried.insert(itemIdentity(copy));
        try {
            copy.edit();
            copy.setText(column, newValue);
            if (changed == HeaderColumn::Supplier && !newSupplierCode.isEmpty() && ofOldSupplier(copy, old))
                copy.setText(QStringLiteral("CODIGOFORNECEDOR"), newSupplierCode);
            copy.post();
            copy.applyUpdates();
        } catch (const std::exception&) {
            copy.cancel(); // the item stays as it was
        }
    }
}

void reopenInvoiceItems(TDM& dm)
{
    CachedDataset& items = dm.Compras;
    reopen(items, InvoiceItemsQuery(dm.NFiscal.asText(QStringLiteral("NOTAFISCAL")),
                                    dm.NFiscal.asText(QStringLiteral("CODIGOFORNECEDOR"))));
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

void CascadeHeaderChange(TDM& dm, HeaderColumn changed, const HeaderKey& old, const QString& newValue,
                         const QString& cleanUpOrder, const QString& updateOrder, const QString& newSupplierCode)
{
    CachedDataset& copy = dm.Compras2;
    StoreTypedItem(dm.Compras); // with the old key, so that the cascade moves it too
    dm.Compras.close();
    copy.close();
    try {
        deleteItemsWithEmptyColumn(copy, changed, cleanUpOrder);
        moveItemsToNewKey(copy, changed, old, newValue, newSupplierCode, updateOrder);
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
