#pragma once

#include "data/Decimal.h"
#include "payments/PaymentsData.h"

#include <QString>

// The instalments typed for the current invoice ("Datas e valores diversos"): the rows of PAGDIVER
// whose NFISCAL and FORNECEDOR are the invoice's number and supplier name.
namespace instalments {

// Re-opens `PagDiver` on the invoice's instalments, in ORDEM order, and returns their highest
// ORDEM (0 when there is none).
int OpenInvoiceInstalments(PaymentsData dm);

// The invoice's net value minus what its instalments add up to, to the cent.
Decimal InstalmentBalance(PaymentsData dm);

// Why the current instalment of `PagDiver` cannot be stored; empty when it can. It needs a due
// date and an amount above zero, and the invoice's instalments may not add up to more than its
// net value.
QString InstalmentRefusal(PaymentsData dm);
inline const QString kInstalmentsAboveNetValue =
    QStringLiteral("ERRO: Total das parcelas maior que o Total da Nota Fiscal. Favor corrigir.");

// Whether the current instalment falls due before the invoice's issue date.
bool DueBeforeIssue(PaymentsData dm);

// The balance as `EditValRest` shows it: "0.00" with a decimal comma, right-aligned in 9 characters.
QString BalanceText(const Decimal& balance);

// Removes the invoice's instalments that never got a due date (other invoices' rows stay: another
// workstation may be typing them).
void DeleteUndatedInstalments(PaymentsData dm);
// Removes every instalment of the invoice.
void DeleteInvoiceInstalments(PaymentsData dm);

} // namespace instalments
