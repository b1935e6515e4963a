#pragma once

// What the clerk is doing with the current invoice, as far as the dataset rules tell one thing from
// another. The rules hold it; the window's panels ask the rules to change it and listen for the
// changes.
enum class InvoiceMode {
    Starting,      // before the work area is shown: start-up and login, or a tool without a window
    Browsing,      // the work area, the invoice shown with its fields locked
    EditingHeader, // the invoice header being entered or changed
    Taxes,         // the tax panel over the work area: the header is edited there, not its key
};

// The name of a mode, for messages and test output.
const char* InvoiceModeName(InvoiceMode mode);
