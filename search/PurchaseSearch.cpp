#include "search/PurchaseSearch.h"

#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/Formats.h"
#include "data/SqlText.h"
#include "db/ColumnLists.h"
#include "entry/ProductNames.h"
#include "entry/SupplyProducts.h"
#include "shell/Dialogs.h"

#include <QStringList>

namespace {

// Search keys are cut to these lengths before use.
constexpr int kNumberKeyLength = 30;
constexpr int kSupplierKeyLength = 35;
constexpr int kProductKeyLength = 40;
constexpr int kLotKeyLength = 30;

const QString kDate = QStringLiteral("DATA");
const QString kNumber = QStringLiteral("NOTAFISCAL");
const QString kSupplier = QStringLiteral("FORNECEDOR");
const QString kProduct = QStringLiteral("COMPONENTE");
const QString kExpiry = QStringLiteral("VALIDADE");
const QString kLot = QStringLiteral("LOTE");

QString itemColumns()
{
    QStringList columns = ComprasColumns.split(QStringLiteral(", "));
    for (QString& c : columns)
        c.prepend(QStringLiteral("A."));
    return columns.join(QStringLiteral(", "));
}

void requery(CachedDataset& ds, const QString& sql)
{
    if (ds.state() == CachedDataset::State::Edit || ds.state() == CachedDataset::State::Insert)
        ds.post(); // what was typed is kept, not dropped with the list
    ds.close();
    ds.setCommandText(sql);
    ds.open();
}

// A search while typing: the list follows when it can; a text it cannot search for changes nothing.
template <typename F> void ignoringFailure(F&& search)
{
    try {
        search();
    } catch (const std::exception&) {
    }
}

void searchFailed(const QString& message)
{
    ShowMessage(message);
}

// A search that failed: a failure of the database is told as one, with its cause; any other
// failure means the text typed cannot be searched for (`refusal`).
void searchFailed(const std::exception& failure, const QString& text, const QString& refusal)
{
    if (const auto* dbError = dynamic_cast<const DbError*>(&failure))
        searchFailed(
            DbErrorText(QStringLiteral("Não foi possível pesquisar \"") + text + QStringLiteral("\"."), *dbError));
    else
        searchFailed(refusal);
}

// The buttons go to the date in the field; an empty field stays on the first row, and a text that
// is no date is told rather than searched.
void nearestDate(CachedDataset& ds, const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    const auto date = formats::parseDate(text.trimmed());
    if (!date) {
        searchFailed(text + QStringLiteral(" não é uma data válida."));
        return;
    }
    ds.findNearest({*date});
}

} // namespace

namespace searchqueries {

QString invoices(InvoiceOrder order)
{
    static const char* const orders[] = {"DATA, NOTAFISCAL",
                                         "NOTAFISCAL",
                                         "FORNECEDOR",
                                         "DATA, NOTAFISCAL, FORNECEDOR",
                                         "FORNECEDOR, DATA, NOTAFISCAL",
                                         "NOTAFISCAL, FORNECEDOR"};
    return QStringLiteral("select ") + NFiscalColumns +
           QStringLiteral(" from NFISCAL where GRUPDESP = 'SUP' order by ") + QLatin1String(orders[int(order)]);
}

QString items(ItemOrder order)
{
    static const char* const orders[] = {"A.COMPONENTE",         "A.VALIDADE",   "A.LOTE",
                                         "A.FORNECEDOR, A.DATA", "A.NOTAFISCAL", "A.DATA, A.NOTAFISCAL, A.COMPONENTE"};
    // The supply product is asked for by EXISTS, not joined: the items alone are walked along the
    // index of their order. A join lets the optimizer start from the products on a large database
    // and sort every supply item at each keystroke.
    return QStringLiteral("select ") + itemColumns() +
           QStringLiteral(", A.CODIGO, cast('SUP' as varchar(5)) as GRUPO from COMPRAS A where exists (select 1 "
                          "from COMPONEN B where B.CODIGO = A.CODIGO and B.GRUPO = 'SUP') order by ") +
           QLatin1String(orders[int(order)]);
}

QString synonym(const QString& name)
{
    return QStringLiteral("select APELIDO, CODIGO, GRUPO from SINONIMO where APELIDO = ") + sql::quoted(name);
}

} // namespace searchqueries

PurchaseSearch::PurchaseSearch(SearchData dm) : dm_(dm), invoices_(dm.NFiscal), items_(dm.Compras2) {}

void PurchaseSearch::requeryInvoices(InvoiceOrder order)
{
    requery(invoices_, searchqueries::invoices(order));
}

void PurchaseSearch::requeryItems(ItemOrder order)
{
    requery(items_, searchqueries::items(order));
}

void PurchaseSearch::openItems()
{
    if (items_.isOpen())
        return;
    // Until a search sets it, the item list holds a query of other lists (not of supply items).
    bool ours = false;
    for (ItemOrder order : {ItemOrder::Product, ItemOrder::Expiry, ItemOrder::Lot, ItemOrder::SupplierDate,
                            ItemOrder::Number, ItemOrder::DateNumberProduct})
        ours = ours || items_.commandText() == searchqueries::items(order);
    if (!ours)
        items_.setCommandText(searchqueries::items(ItemOrder::Product));
    items_.open();
}

void PurchaseSearch::closeItems()
{
    items_.close();
}

// ---- invoice date

void PurchaseSearch::dateButton(const QString& text)
{
    requeryInvoices(InvoiceOrder::DateNumber);
    nearestDate(invoices_, text);
}

void PurchaseSearch::dateTyped(const QString& text)
{
    ignoringFailure([&] {
        requeryInvoices(InvoiceOrder::DateNumber);
        invoices_.findNearest({text});
    });
}

bool PurchaseSearch::dateEntered(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        searchFailed(QStringLiteral("Digite uma data para a pesquisa."));
        return false;
    }
    const auto date = formats::parseDate(text.trimmed());
    try {
        if (!date)
            throw std::invalid_argument("not a date");
        requeryInvoices(InvoiceOrder::DateNumber);
        invoices_.findNearest({*date});
        if (invoices_.isEmpty() || invoices_.asDate(kDate) != *date) {
            searchFailed(QStringLiteral("Data ") + text + QStringLiteral(" não encontrada."));
            return false;
        }
    } catch (const std::exception& e) {
        searchFailed(e, text, text + QStringLiteral(" não é uma data válida."));
        return false;
    }
    return true;
}

// ---- invoice number

void PurchaseSearch::numberButton()
{
    requeryInvoices(InvoiceOrder::Number);
}

void PurchaseSearch::numberTyped(const QString& text)
{
    ignoringFailure([&] {
        requeryInvoices(InvoiceOrder::Number);
        invoices_.findNearest({text});
    });
}

bool PurchaseSearch::numberEntered(const QString& text)
{
    if (text.isEmpty()) {
        searchFailed(QStringLiteral("Digite um número de Nota Fiscal para a pesquisa."));
        return false;
    }
    const QString key = text.left(kNumberKeyLength);
    try {
        requeryInvoices(InvoiceOrder::Number);
        invoices_.findNearest({key});
        if (invoices_.isEmpty() || invoices_.asText(kNumber) != key) {
            searchFailed(QStringLiteral("Nota Fiscal ") + key + QStringLiteral(" não encontrada."));
            return false;
        }
    } catch (const std::exception& e) {
        searchFailed(e, key, key + QStringLiteral(" não é um nº válido para Nota Fiscal."));
        return false;
    }
    return true;
}

// ---- supplier

void PurchaseSearch::supplierButton()
{
    requeryInvoices(InvoiceOrder::Supplier);
}

void PurchaseSearch::supplierTyped(const QString& text)
{
    ignoringFailure([&] {
        requeryInvoices(InvoiceOrder::Supplier);
        invoices_.findNearest({text});
    });
}

bool PurchaseSearch::supplierEntered(const QString& text)
{
    if (text.isEmpty()) {
        searchFailed(QStringLiteral("Digite o nome de um fornecedor."));
        return false;
    }
    const QString key = text.left(kSupplierKeyLength);
    try {
        requeryInvoices(InvoiceOrder::Supplier);
        invoices_.findNearest({key});
        if (invoices_.isEmpty() || invoices_.asText(kSupplier) != key) {
            searchFailed(key + QStringLiteral(" não encontrado."));
            return false;
        }
    } catch (const std::exception& e) {
        searchFailed(e, key,
                     QStringLiteral("Não foi possível pesquisar ") + text + QStringLiteral(" não Cadastro ") +
                         QStringLiteral("de Compras."));
        return false;
    }
    return true;
}

// ---- product

void PurchaseSearch::productButton()
{
    requeryItems(ItemOrder::Product);
}

// The name to search for: the typed name, or the name of the supply product an alias stands for.
QString PurchaseSearch::productSearchName(const QString& name)
{
    CachedDataset& synonyms = dm_.SinonPesq;
    CachedDataset& products = dm_.Componentes;
    QString searchName = name;
    requery(synonyms, searchqueries::synonym(name));
    if (!synonyms.isEmpty() && synonyms.asText(QStringLiteral("APELIDO")) == name) {
        const QString code = synonyms.asText(QStringLiteral("CODIGO"));
        requery(products, supplyproducts::byCode(code));
        if (!products.isEmpty() && products.asText(QStringLiteral("CODIGO")) == code)
            searchName = products.asText(kProduct).left(kProductKeyLength);
        else
            ShowMessage(QStringLiteral("Erro nos dados. Não encontrei o Código ") + code +
                        QStringLiteral(" de SINONIMOS (apelido: ") + synonyms.asText(QStringLiteral("APELIDO")) +
                        QStringLiteral(") no Cadastro de Componentes."));
    }
    synonyms.close();
    products.close();
    return searchName;
}

QString PurchaseSearch::productEntered(const QString& text, bool& found)
{
    found = false;
    QString shown = text;
    if (text.isEmpty()) {
        searchFailed(QStringLiteral("Digite o nome de um produto ou matéria prima."));
    } else {
        shown = productSearchName(NormalizeProductName(text).left(kProductKeyLength));
        const QString key = shown.left(kProductKeyLength);
        try {
            requeryItems(ItemOrder::Product);
            items_.findNearest({key});
            found = !items_.isEmpty() && items_.asText(kProduct) == key;
            if (!found)
                searchFailed(key + QStringLiteral(" não encontrado."));
        } catch (const std::exception& e) {
            searchFailed(e, key,
                         QStringLiteral("Não foi possível pesquisar ") + text + QStringLiteral(" não Cadastro ") +
                             QStringLiteral("de Compras."));
        }
    }
    invoiceFollowsItem();
    return shown;
}

// ---- expiry date

void PurchaseSearch::expiryButton(const QString& text)
{
    requeryItems(ItemOrder::Expiry);
    nearestDate(items_, text);
}

void PurchaseSearch::expiryTyped(const QString& text)
{
    ignoringFailure([&] {
        requeryItems(ItemOrder::Expiry);
        items_.findNearest({text});
    });
    ignoringFailure([&] { invoiceFollowsItem(); });
}

bool PurchaseSearch::expiryEntered(const QString& text)
{
    if (text.trimmed().isEmpty()) {
        searchFailed(QStringLiteral("Digite uma data para a pesquisa."));
        return false;
    }
    const auto date = formats::parseDate(text.trimmed());
    if (!date) {
        searchFailed(text + QStringLiteral(" não é uma data válida."));
        return false;
    }
    try {
        requeryItems(ItemOrder::Expiry);
        items_.findNearest({*date});
    } catch (const std::exception& e) {
        searchFailed(e, text, text + QStringLiteral(" não é uma data válida."));
        return false;
    }
    if (items_.isEmpty() || items_.asDate(kExpiry) != *date) {
        searchFailed(QStringLiteral("Data ") + text + QStringLiteral(" não encontrada."));
        return false;
    }
    return true;
}

// ---- lot

void PurchaseSearch::lotButton(const QString& text)
{
    requeryItems(ItemOrder::Lot);
    items_.findNearest({text});
}

void PurchaseSearch::lotTyped(const QString& text)
{
    ignoringFailure([&] { lotButton(text); });
    ignoringFailure([&] { invoiceFollowsItem(); });
}

bool PurchaseSearch::lotEntered(const QString& text)
{
    if (text.isEmpty()) {
        searchFailed(QStringLiteral("Digite o lote para a pesquisa."));
        return false;
    }
    const QString key = text.left(kLotKeyLength);
    try {
        requeryItems(ItemOrder::Lot);
        items_.findNearest({key});
        if (items_.isEmpty() || items_.asText(kLot) != key) {
            searchFailed(QStringLiteral("Lote ") + text + QStringLiteral(" não encontrado."));
            return false;
        }
    } catch (const std::exception& e) {
        searchFailed(e, key, text + QStringLiteral(" não é um lote válido."));
        return false;
    }
    return true;
}

// ---- the other side follows

void PurchaseSearch::itemsFollowInvoiceDate()
{
    const Value date = invoices_.isOpen() ? invoices_.value(kDate) : Value{};
    const Value number = invoices_.isOpen() ? invoices_.value(kNumber) : Value{};
    requeryItems(ItemOrder::DateNumberProduct);
    items_.findNearest({date, number});
}

void PurchaseSearch::itemsFollowInvoiceNumber()
{
    const Value number = invoices_.isOpen() ? invoices_.value(kNumber) : Value{};
    requeryItems(ItemOrder::Number);
    items_.findNearest({number});
}

void PurchaseSearch::itemsFollowInvoiceSupplier()
{
    const Value supplier = invoices_.isOpen() ? invoices_.value(kSupplier) : Value{};
    const Value date = invoices_.isOpen() ? invoices_.value(kDate) : Value{};
    requeryItems(ItemOrder::SupplierDate);
    items_.findNearest({supplier, date});
}

void PurchaseSearch::invoiceFollowsItem()
{
    const bool onItem = items_.isOpen() && !items_.isEmpty();
    const Values key = onItem ? Values{items_.value(kDate), items_.value(kNumber), items_.value(kSupplier)}
                              : Values{Value{}, Value{}, Value{}};
    requeryInvoices(InvoiceOrder::DateNumberSupplier);
    if (onItem)
        invoices_.locate(key);
}

void PurchaseSearch::sortInvoices(InvoiceOrder order)
{
    requeryInvoices(order);
}
