#pragma once

#include "closing/ClosingData.h"
#include "data/Decimal.h"

#include <QList>

// The money figures of the current invoice: the items total (the sum of the items' line totals,
// SALDO, of the invoice's number and supplier code), the expenses added to it (freight,
// insurance, IRRF, other expenses, IPI value and ICMS withheld), the gross value and the net value
// (gross minus the discount).
struct InvoiceTotals {
    Decimal items;
    Decimal expenses;
    Decimal discount;
    Decimal gross;
    Decimal net;
};

// The totals of the current invoice as they stand in the database and in the invoice's row,
// without writing anything; all zero without a current invoice.
InvoiceTotals ComputeInvoiceTotals(ClosingData dm);

// Recomputes and stores VALBRUTO and VALLIQUIDO of the current invoice, exactly and at the
// columns' two decimals: posts the current item first (a failure there is ignored and the stored
// items count), posts the invoice with its rules, then leaves the invoice, and the current item
// when there is one, in edit. Nothing happens without a current invoice.
InvoiceTotals RecalcInvoiceTotals(ClosingData dm);

// What was just done when the totals are recomputed: a field of the tax panel left (freight,
// insurance, IRRF, other expenses, IPI value, ICMS withheld, discount), the discount of the work
// area left, or the invoice closed.
enum class TotalsStep {
    Freight,
    Insurance,
    Irrf,
    OtherExpenses,
    IpiValue,
    IcmsWithheld,
    Discount,
    DiscountOnInvoice,
    Closing,
};

// Where the clerk goes on once the totals are recomputed: a field of the tax panel (insurance,
// IRRF, other expenses, IPI rate, IPI exemption, discount), its way back to the invoice, or the
// payment form, the issue date or the discount of the work area.
enum class TotalsNext {
    Insurance,
    Irrf,
    OtherExpenses,
    IpiRate,
    IpiExempt,
    Discount,
    BackToInvoice,
    PaymentForm,
    IssueDate,
    DiscountOnInvoice,
};

// The places that take the focus after the totals of a step were recomputed, the first that can
// take it: freight → insurance → IRRF → other expenses → IPI rate; IPI value → IPI exemption;
// ICMS withheld → discount → back to the invoice; the work area's discount → payment form, else
// issue date; closing → the work area's discount.
QList<TotalsNext> FocusAfterTotals(TotalsStep step);
