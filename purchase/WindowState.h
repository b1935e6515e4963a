#pragma once

// What a panel may ask of the invoice window it stands in: the main buttons, the lock of the
// invoice fields and the focus of the issue date. The dataset rules never reach it: the window
// follows their mode (`InvoiceMode`) by listening to them.
class WindowState {
public:
    virtual ~WindowState() = default;

    // The window-state routines.
    virtual void DisableMainButtons() = 0;
    virtual void EnableMainButtons() = 0;
    virtual void LockInvoiceFields() = 0;
    virtual void UnlockInvoiceFields() = 0;

    // Gives the issue-date field `DBEditData` the focus when it is enabled and shown.
    virtual void focusDateFieldIfUsable() = 0;
};
