#pragma once

#include <QString>

class CachedDataset;
#include "search/SearchData.h"

// The orders of the invoice list `NFiscal` (supply invoices) and of the supply-item list `Compras2`.
enum class InvoiceOrder { DateNumber, Number, Supplier, DateNumberSupplier, SupplierDateNumber, NumberSupplier };
enum class ItemOrder { Product, Expiry, Lot, SupplierDate, Number, DateNumberProduct };

namespace searchqueries {

QString invoices(InvoiceOrder order);
QString items(ItemOrder order);
QString synonym(const QString& name);

} // namespace searchqueries

// The searches of past purchases: by invoice date, number and supplier on the invoice list, by
// product, expiry date and lot on the supply-item list, each side positioning the other. Enter in
// a field tells whether the row was found (the panel then goes to the grid); otherwise a message
// was shown and the focus stays in the field. Searches while typing ignore their failures.
class PurchaseSearch {
public:
    explicit PurchaseSearch(SearchData dm);

    // The item list opens with the last item search (the product order the first time); it is open
    // only while the search panel is.
    void openItems();
    void closeItems();

    // ---- invoice date
    void dateButton(const QString& text); // a text that is no date is told, not searched
    void dateTyped(const QString& text);
    bool dateEntered(const QString& text);
    // ---- invoice number
    void numberButton();
    void numberTyped(const QString& text);
    bool numberEntered(const QString& text);
    // ---- supplier
    void supplierButton();
    void supplierTyped(const QString& text);
    bool supplierEntered(const QString& text);
    // ---- product: the name the field shows afterwards (the catalogue's letter case, or the name
    // of the product an alias stands for); `found` tells whether the item list stands on it.
    void productButton();
    QString productEntered(const QString& text, bool& found);
    // ---- expiry date
    void expiryButton(const QString& text); // a text that is no date is told, not searched
    void expiryTyped(const QString& text);
    bool expiryEntered(const QString& text);
    // ---- lot
    void lotButton(const QString& text);
    void lotTyped(const QString& text);
    bool lotEntered(const QString& text);

    // ---- moving in the grids: the other side follows the row chosen
    void itemsFollowInvoiceDate();     // GradeData
    void itemsFollowInvoiceNumber();   // GradeNFiscal (cell click)
    void itemsFollowInvoiceSupplier(); // GradeForn
    void invoiceFollowsItem();         // GradeComp, GradeValid, GradeLote

    // The sort buttons of the invoice header.
    void sortInvoices(InvoiceOrder order);

private:
    void requeryInvoices(InvoiceOrder order);
    void requeryItems(ItemOrder order);
    QString productSearchName(const QString& name);

    SearchData dm_;
    CachedDataset& invoices_;
    CachedDataset& items_;
};
