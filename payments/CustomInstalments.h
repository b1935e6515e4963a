#pragma once

#include "data/Decimal.h"

#include <QString>

class TDM;

// The instalments typed for the current invoice ("Datas e valores diversos"): the rows of PAGDIVER
// whose NFISCAL and FORNECEDOR are the invoice's number and supplier name.
namespace instalments {

// Re-opens `PagDiver` on the invoice's instalments, in ORDEM order, and returns their highest
// ORDEM (0 when there is none).
int OpenInvoiceInstalments(TDM& dm);

// The invoice's net value minus what its instalments add up to, to the cent.
Decimal InstalmentBalance(TDM& dm);

// The balance as `EditValRest` shows it: "0.00" with a decimal comma, right-aligned in 9 characters.
QString BalanceText(const Decimal& balance);

// Removes the invoice's instalments that never got a due date (other invoices' rows stay: another
// workstation may be typing them).
void DeleteUndatedInstalments(TDM& dm);
// Removes every instalment of the invoice.
void DeleteInvoiceInstalments(TDM& dm);

} // namespace instalments
