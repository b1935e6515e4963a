#pragma once

#include "data/Decimal.h"

#include <QString>
#include <QStringList>

class TDM;

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
InvoiceTotals ComputeInvoiceTotals(TDM& dm);

// Recomputes and stores VALBRUTO and VALLIQUIDO of the current invoice, exactly and at the
// columns' two decimals: posts the current item first (a failure there is ignored and the stored
// items count), posts the invoice with its rules, then leaves the invoice, and the current item
// when there is one, in edit. Nothing happens without a current invoice.
InvoiceTotals RecalcInvoiceTotals(TDM& dm);

// The keys naming the field just left, with the controls that take the focus after the totals
// were recomputed: the first of them that can take it.
//   "Frete" DBEdit20, "Seguro" DBEdit16, "IRRF" DBEdit19, "Outras" DBEdit15, "ValorIPI" DBEdit18,
//   "ICMSST" DBEdit24, "Desconto" BitBtn6, "DescFin" DBComboBox1 then DBEditData, "Fechar" DBEdit2.
// An unknown key gives no control.
QStringList FocusAfterTotals(const QString& step);
