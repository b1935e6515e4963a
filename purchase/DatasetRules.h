#pragma once

#include "data/SqlCommand.h"

#include <QString>

class TDM;
class CachedDataset;
struct SessionState;
class WindowState;

// The items of an invoice: its COMPRAS rows by number and supplier code, in the server's order.
QString InvoiceItemsQuery(const QString& invoiceNumber, const QString& supplierCode);

// The rules the datasets of the data module carry: keys drawn as greatest + 1, defaults from the
// current invoice and the login identity, every posted or deleted change written at once, the
// items and payables removed with their invoice, the items reloaded when the invoice changes,
// and the window switched between browsing and editing an invoice.
class DatasetRules {
public:
    explicit DatasetRules(TDM& dm);
    DatasetRules(const DatasetRules&) = delete;
    DatasetRules& operator=(const DatasetRules&) = delete;

    // Applies every pending change of the dataset and reads it again; throws the database's error
    // when a change was refused (the change stays pending for the next write).
    static void Write(CachedDataset& dataset);

private:
    void attachInvoiceRules();
    void attachItemRules();
    void attachSupplierRules();
    void attachPaymentRules();
    void attachWriteRules();
    void attachKeyRedraws();

    void ReloadItems();
    void InvoiceEditingStarts(bool inserting);
    void InvoiceDefaults();
    void CopyHeaderIntoItem();
    void CopyHeaderKey();
    void PostCurrentItem(bool editingHeader);
    void RemoveItemsAndPayables();
    void ItemDefaults();
    void InstalmentDefaults();

    TDM& dm_;
    SessionState& session_;
    WindowState& window_;
    // Redraws of refused keys run while `SQLQuery1` may be walking rows of its own.
    SqlCommand redraws_;
    qint64 supplierCodeBase_ = 0;
};
