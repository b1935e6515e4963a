#pragma once

#include "data/SqlCommand.h"
#include "purchase/InvoiceMode.h"
#include "purchase/Listeners.h"

#include <QDate>
#include <QString>
#include <QStringList>

class TDM;
class CachedDataset;
struct SessionState;

// The items of an invoice: its COMPRAS rows by number, supplier code and, when given, issue date
// (two invoices of one supplier may share a number on different days), in the server's order.
QString InvoiceItemsQuery(const QString& invoiceNumber, const QString& supplierCode, const QDate& date = {});
// The item query of the current `NFiscal` row.
QString CurrentInvoiceItemsQuery(const CachedDataset& invoices);

// Whether another invoice (any but the one with `ownCode`) of the same supplier, by code or by
// name, carries this number. Nothing is taken while the number or the supplier is still empty.
bool InvoiceNumberTaken(SqlCommand& query, const QString& number, const QString& supplierCode,
                        const QString& supplierName, qint64 ownCode);
QString InvoiceNumberTakenMessage(const QString& number, const QString& supplierName);
// Throws DatasetError with the message above when the current `NFiscal` row's number is taken.
void RefuseTakenInvoiceNumber(TDM& dm);
// Tells the clerk when the current invoice's number is taken (as `RefuseTakenInvoiceNumber`
// would refuse it); true then.
bool TellTakenInvoiceNumber(TDM& dm);
// Another invoice than `ownCode` has the same number and supplier name: the payables and
// instalments found by that description may be that invoice's.
bool InvoiceSharesPayables(SqlCommand& query, const QString& number, const QString& supplierName, qint64 ownCode);

// The rules the datasets of the data module carry: keys drawn as greatest + 1, defaults from the
// current invoice and the login identity, every posted or deleted change written at once, the
// items and payables removed with their invoice, the items reloaded when the invoice changes,
// and the invoice's mode (`InvoiceMode`): a header edit begun while browsing starts editing the
// header, a header posted while editing it goes back to browsing, and under the tax panel neither
// happens nor does a header change reach the current item.
//
// The rules reach no window: what the clerk is to see is told to whoever listens.
class DatasetRules {
public:
    explicit DatasetRules(TDM& dm);
    DatasetRules(const DatasetRules&) = delete;
    DatasetRules& operator=(const DatasetRules&) = delete;

    InvoiceMode mode() const { return mode_; }
    // Changes the mode; the listeners of `modeChanged` hear of a real change only.
    void setMode(InvoiceMode mode);
    // The tax panel is left: back to editing the header while the invoice is being edited, to
    // browsing otherwise.
    void leaveTaxes();

    // What the rules tell whoever shows the invoice.
    Listeners<InvoiceMode, InvoiceMode> modeChanged; // from, to
    Listeners<const QString&> messageRaised;         // a text for the clerk
    Listeners<> itemAdded;                           // a new item row holds its defaults
    Listeners<> itemScrolled;                        // another item is current
    Listeners<> instalmentsChanged;                  // an instalment was stored or deleted

    // Tells the listeners of `messageRaised`.
    void tell(const QString& text) { messageRaised.notify(text); }

    // Applies every pending change of the dataset and reads it again; throws the database's error
    // when a change was refused (the change stays pending for the next write). Without a pending
    // change nothing is written or read.
    static void Write(CachedDataset& dataset);
    // The item's line total, quantity × unit price, exact and at the scale of its column (SALDO);
    // throws ValueOutOfRange, naming the column and the product, when it does not fit.
    static Decimal ItemLineTotal(const CachedDataset& items);

private:
    void attachInvoiceRules();
    void attachItemRules();
    void attachSupplierRules();
    void attachPaymentRules();
    void attachWriteRules();
    void attachKeyRedraws();

    void reloadItems();
    void rememberSupplierCode(const CachedDataset& items);
    void invoiceEditingStarts(bool inserting);
    bool headerKeyFollowsEdits() const { return mode_ != InvoiceMode::Taxes; }
    // A command of its own for each statement: a key redraw may run while another command walks
    // rows.
    SqlCommand command() const;
    void invoiceDefaults();
    void copyHeaderIntoItem();
    void copyHeaderKey();
    void postCurrentItem(bool editingHeader);
    void removeItemsAndPayables();
    bool invoiceKeyChangedSinceEdit() const;
    void itemDefaults();
    void instalmentDefaults();

    TDM& dm_;
    SessionState& session_;
    InvoiceMode mode_ = InvoiceMode::Starting;
    qint64 supplierCodeBase_ = 0;
    // Number, supplier code and supplier name of the header when its edit began.
    QStringList editStartKey_;
};
