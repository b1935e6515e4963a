#pragma once

#include <QString>

// What the dataset rules may ask of the main window. The window implements it; the data layer
// never reaches a control otherwise, so it builds and is tested without one.
class WindowState {
public:
    virtual ~WindowState() = default;

    // The window-state routines.
    virtual void DisableMainButtons() = 0;
    virtual void EnableMainButtons() = 0;
    virtual void LockInvoiceFields() = 0;
    virtual void UnlockInvoiceFields() = 0;

    virtual bool isPainelComprasVisible() const = 0;
    virtual bool isPainelOutrasDespesasVisible() const = 0;

    // The issue-date field `DBEditData`.
    virtual bool isDateFieldEnabledAndVisible() const = 0;
    virtual void makeDateFieldWritable() = 0;
    virtual void focusDateField() = 0; // may throw when the field cannot take the focus

    // `DBGrid1`: select the first column (the product description), focus the grid and select
    // the first column again.
    virtual void selectItemGridFirstColumn() = 0;

    // The text of `EditValRest`, the remaining amount of the instalment panel.
    virtual QString editValRestText() const = 0;

    // The cost per purchase unit of the current item, shown when `Compras` scrolls.
    virtual void ShowItemCostPerUnit() = 0;
    // The instalments' remaining amount, recomputed after each stored instalment change.
    virtual void RecalcInstalmentBalance() = 0;

    // A message box (the window shows it through the dialog service).
    virtual void showMessage(const QString& text) = 0;
};

// A window that is not there: every routine does nothing, every panel is hidden. For the tools
// that use the data module without a window.
class NoWindow : public WindowState {
public:
    void DisableMainButtons() override {}
    void EnableMainButtons() override {}
    void LockInvoiceFields() override {}
    void UnlockInvoiceFields() override {}
    bool isPainelComprasVisible() const override { return false; }
    bool isPainelOutrasDespesasVisible() const override { return false; }
    bool isDateFieldEnabledAndVisible() const override { return false; }
    void makeDateFieldWritable() override {}
    void focusDateField() override {}
    void selectItemGridFirstColumn() override {}
    QString editValRestText() const override { return {}; }
    void ShowItemCostPerUnit() override {}
    void RecalcInstalmentBalance() override {}
    void showMessage(const QString&) override {}
};
