#pragma once

#include <QObject>

#include <memory>

class SupplierLookup;
class TDM;
class TFormCompras;
struct SessionState;

// The invoice header of the work area: the Enter walk through date, receipt date, number and
// supplier into the item grid; the texts saved when a header field is entered and compared when
// it is left; the items following a changed date, number or supplier of a recorded invoice; and
// the navigator's cancel, which returns the header to browsing.
class HeaderEntry : public QObject {
    Q_OBJECT

public:
    static const QString kEditModeMessage;

    HeaderEntry(TFormCompras& form, TDM& dm);
    ~HeaderEntry() override;

    void LeaveDateField();
    void LeaveNumberField();
    void LeaveSupplierField();

    SupplierLookup& supplierLookup() { return *lookup_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectFields();
    void CaptureSavedFieldText();
    void DateFieldEntered();
    void SupplierFieldEntered();
    void SupplierTyped();
    void HeaderCancelled();
    bool isHeaderBeingEdited() const;

    TFormCompras& form_;
    TDM& dm_;
    SessionState& session_;
    std::unique_ptr<SupplierLookup> lookup_;
    bool supplierFieldActive_ = false;
};
