#pragma once

#include <QString>

// The values the window, the data module and the panels share while the program runs: the login
// identity, the local settings, the counters and the texts saved when a header field is entered.
struct SessionState {
    // Login identity.
    QString CurrentUserName;      // upper case, at most 60 characters
    QString WorkstationCode;      // 2 characters
    QString StoreCnpj;            // 14 characters
    QString DefaultStockLocation; // at most 30 characters; from the settings file until the login
    bool FinancialAccess = false;

    // Local settings.
    QString ServerAddress;
    qint64 WindowColour = 0xFF00000F; // the system button-face colour
    bool AutoPriceUpdate = false;
    QString ProgramFolder;  // with its trailing separator
    QString NfeInboxFolder; // the folder the NF-e file dialog opens in; empty: the current one

    // Counters and window state.
    int ItemCounter = 0;       // running item number of the current invoice (COMPRAS.RESPONSAVEL)
    int InstalmentCounter = 0; // ORDEM of the next custom instalment
    int LastSupplierCode = 0;  // provisional supplier code
    int StockLocationCount = 0;
    bool InsertingInvoice = false; // a new invoice header is being entered

    // The header texts as they stood when one of the header fields last received focus, and the
    // supplier code that went with them.
    struct SavedTexts {
        QString date;
        QString number;
        QString supplier;
        QString supplierCode;
    } SavedFieldText;
};
