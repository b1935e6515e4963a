#pragma once

#include "entry/EntryData.h"

#include <QWidget>

#include <optional>

class CachedDataset;
class DBEdit;
class DBNavigator;
class SupplierLookup;
class WindowState;
struct SessionState;

// The invoice header of the work area: the navigator `DBNavigator5` and the fields `DBEditData`,
// `DBEdit6`, `DBEditNotaFiscal` and `DBEditForn`; the Enter walk through them into the item grid;
// the texts saved when a header field is entered and compared when it is left; the items following
// a changed date, number or supplier of a recorded invoice; the supplier lookup; and the
// navigator's cancel, which returns the header to browsing.
class HeaderEntry : public QWidget {
    Q_OBJECT

public:
    // The question that confirms deleting `invoice`: its number, supplier and issue date.
    static QString DeleteQuestion(const CachedDataset& invoice);
    static const QString kEditModeMessage;
    static const QString kDropStoredItemsQuestion;

    // The header stands at the top of the work area `parent`, bound to the invoice of `dm`; the
    // supplier lookup opens over it.
    HeaderEntry(const EntryData& dm, WindowState& window, QWidget* parent);

    void LeaveDateField();
    void correctNumber();
    void LeaveNumberField();
    void LeaveSupplierField();

    // The invoice-field lock: while locked only the date field takes the focus.
    void setFieldsLocked(bool locked);
    bool isDateFieldEnabledAndVisible() const;
    void makeDateFieldWritable();
    void focusDateField();
    // The supplier field is followed by `next` when Tab walks on.
    void continueTabOrderWith(QWidget* next);
    // An open supplier lookup is cancelled as Esc cancels it: the header gets its name back.
    void cancelSupplierLookup();

signals:
    // The date field was entered: the item grid's price hint goes away.
    void dateFieldEntered();
    // The clerk goes on in the item grid, on its first column when `firstColumn`.
    void itemGridWanted(bool firstColumn);
    // The window's exit button, as the supplier lookup sets it.
    void exitEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attachDataModule(const EntryData& dm);
    void buildFields();
    void connectFields();
    void CaptureSavedFieldText();
    void DateFieldEntered();
    void SupplierFieldEntered();
    void SupplierTyped();
    bool ConfirmNewInvoiceCancel();
    void leaveItemsForTheHeader();
    void HeaderCancelled();
    bool isHeaderBeingEdited() const;

    WindowState& window_;
    std::optional<EntryData> dm_;
    SessionState* session_ = nullptr;
    DBNavigator* DBNavigator5;
    DBEdit* DBEditData;
    DBEdit* DBEdit6; // receipt date
    DBEdit* DBEditNotaFiscal;
    DBEdit* DBEditForn;
    SupplierLookup* lookup_;
    bool supplierFieldActive_ = false;
    // The supplier the header had before a look-up that failed (the server did not answer), for
    // the invoice of that CODIGO: the name typed then is still to be looked up, and any change
    // carried from that supplier.
    struct FailedSupplierLookup {
        qint64 invoiceCode = 0;
        QString supplier;
        QString supplierCode;
    };
    std::optional<FailedSupplierLookup> failedSupplierLookup_;
    bool failedLookupOfCurrentInvoice() const;
};
