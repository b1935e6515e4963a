#pragma once

#include "closing/ClosingData.h"
#include "data/Decimal.h"
#include "data/Value.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

class StockEntryLog;

// An item of the invoice as the closing takes it from COMPRAS, each text cut to the width the
// stock tables hold (the cut value is what is compared and stored).
struct StockItem {
    QString workstation; // 2 characters
    QString purchaseKey; // CODCOMPRA as text
    QString invoiceNumber;
    QString productCode; // 13 characters
    QString lot;         // 30 characters
    QString supplier;    // 35 characters
    QString productName; // 70 characters
    QString location;    // 20 characters; "Almoxarifado" when empty
    QDate date;
    QDate expiry;
    Value density;
    Value correctionFactor;
    Decimal quantity;   // in the purchase unit
    QString unit;       // the purchase unit
    QString itemNumber; // RESPONSAVEL, to name the item in messages

    // The product name as a movement and a lot store it (60 characters): what the duplicate check
    // and the lot look-up compare, so that closing twice never enters an item twice.
    QString storedName() const;
};

// What became of one item.
enum class StockEntryOutcome {
    Entered,        // a movement written and its lot created or raised
    AlreadyEntered, // a movement of the item exists: nothing done
    // Left out of stock, nothing done: the item has no product name, no lot or no supplier, or
    // no product of the catalogue has its code or its name.
    NoProductName,
    NoLot,
    NoSupplier,
    UnknownProduct,
};

// An item the closing left out of stock, and why ("sem lote", "produto não identificado").
struct LeftOutItem {
    QString item; // "item 0002 (Frasco âmbar 100 ml, lote L1)"
    QString reason;
};

// How many items of an invoice became what, and which ones were left out.
struct StockClosing {
    int entered = 0;
    int alreadyEntered = 0;
    std::vector<LeftOutItem> leftOut;
};

// What the clerk is told after a closing: the success message when every item is in stock;
// otherwise each item left out and why, and that the others were entered.
QString ClosingMessage(const StockClosing& closing);

// The items of the current invoice in item order, read through a command of their own.
std::vector<StockItem> InvoiceStockItems(ClosingData dm);

// The quantity in the product's stock unit: the item's quantity times the metric factor between
// the stock unit and the purchase unit, exact, with the eight decimals of the stock tables.
// Throws DbError when the result is too large for them.
Decimal StockQuantity(const Decimal& quantity, const QString& stockUnit, const QString& purchaseUnit);

// The movement keys of one closing: the greatest is read at the first movement, and each movement
// takes the next one (or the one drawn again when another workstation took it).
struct MovementKeys {
    qint64 last = -1; // not read yet
};

// Enters one item into stock: a movement (MOVEST) with the next CODMOVEST, and its lot (ESTLOTE)
// created with the quantity or raised by it. The log records of what was done are added to
// `logLines` (written by the caller once the work is committed); `now` stamps them. The movement
// is written through `Movest` left open for the next item: the caller closes it.
StockEntryOutcome EnterItemIntoStock(ClosingData dm, const StockItem& item, QStringList& logLines, const QDateTime& now,
                                     MovementKeys& keys);

// Enters every item of the current invoice into stock, as one unit of work: either every item is
// entered, or nothing is and the error names the item that failed (a DbError). The log is made
// ready before anything is written (a log that cannot be written stops the closing there) and its
// records are appended only after the commit.
StockClosing CloseInvoiceIntoStock(ClosingData dm, const StockEntryLog& log);

// Closes the invoice: its totals are recomputed and stored, and its items entered into stock, in
// one unit of work; then the invoice's row takes the totals as RecalcInvoiceTotals leaves it. When
// anything fails, neither the totals nor any item are stored, and the invoice keeps the totals it
// had, so that it still reads as not closed.
StockClosing CloseInvoice(ClosingData dm, const StockEntryLog& log);
