#pragma once

#include "data/Decimal.h"
#include "payments/PaymentSchedule.h"
#include "payments/PaymentsData.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class CachedDataset;
class FbConnection;

// The payment-form entry whose instalments the clerk types (PAGDIVER) instead of a FORMASPG rule.
inline const QString kCustomInstalmentsForm = QStringLiteral("Datas e valores diversos");
// The status of a payable that the finance module has not taken over yet.
inline const QString kOpenPayableStatus = QStringLiteral("Atualizado (pagar)");

// What a schedule needs of the current invoice (the `NFiscal` row).
struct PayableInvoice {
    QString number;   // NOTAFISCAL
    QString supplier; // FORNECEDOR, the supplier's name
    QDate date;
    Decimal netValue{0, 2};
    QString paymentForm; // FORMAPAGTO

    static PayableInvoice from(const CachedDataset& invoices);
};

// The FORMASPG row of a description; a text that names no form gives an empty type and days,
// one instalment and no surcharge.
schedule::PaymentForm ReadPaymentForm(FbConnection& connection, const QString& description);

// The instalments typed for the invoice, in ORDEM order (a row without DATA has an invalid date).
std::vector<schedule::Instalment> ReadCustomInstalments(FbConnection& connection, const QString& invoiceNumber,
                                                        const QString& supplierName);

// The invoice's schedule, from its payment form or its typed instalments; nullopt (after saying
// why) when it cannot be sent to accounts payable as it stands.
std::optional<std::vector<schedule::Instalment>> InvoiceSchedule(FbConnection& connection,
                                                                 const PayableInvoice& invoice);

enum class Inclusion {
    Included, // every instalment is in CTAPAGAR and the payables add up to the schedule
    Refused,  // the schedule or the payables the finance module holds stand in the way; nothing changed
    Failed,   // the payables could not be made to add up; nothing changed
};

// Writes the payables of the current invoice: one CTAPAGAR row per instalment that no payable of
// the same amount and due date stands for yet, after removing the open payables no instalment
// needs; then verifies that they add up to the schedule. Everything happens in one unit of work:
// the finance module sees the whole new schedule or the payables as they were. Payables the
// finance module has taken over (SITUACAO no longer "Atualizado (pagar)") are never removed.
// Reports by message.
Inclusion IncludeInPayables(PaymentsData dm);
