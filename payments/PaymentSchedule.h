#pragma once

#include "data/Decimal.h"

#include <QDate>
#include <QString>

#include <vector>

// The schedule of an invoice's payables: each instalment's due date and amount, from a payment
// form (FORMASPG) or from the instalments typed for the invoice (PAGDIVER).
namespace schedule {

// An invoice is paid in 180 instalments at most.
constexpr int kMaxInstalments = 180;

struct Instalment {
    QDate due;
    Decimal amount; // two decimals
};

// A payment form as FORMASPG gives it; a text that names no form is {"", "", 1, 0}.
struct PaymentForm {
    QString type;            // "Dias Corridos", "Dia Fixo" or any other
    QString days;            // DIAS
    int instalments = 1;     // QDEPARCELAS; 0 (or less) counts as 1
    Decimal surcharge{0, 2}; // TAXA1, percent on the net value

    int count() const { return instalments <= 0 ? 1 : instalments; }
};

// The net value with the form's surcharge, to the cent: what the instalments add up to.
Decimal ScheduledTotal(const Decimal& netValue, const Decimal& surcharge);

// A total split into `count` equal amounts to the cent; the last one takes the cents left over
// (100.00 in 3 gives 33.33, 33.33, 33.34).
std::vector<Decimal> SplitIntoCents(const Decimal& total, int count);

// The due dates of a payment form for an invoice dated `invoiceDate` (form.count() of them).
// A DIAS entry that is not a whole number is reported through the dialog service, and so is a
// fixed day that gives no date in a month.
std::vector<QDate> DueDates(const PaymentForm& form, const QDate& invoiceDate);

// Due dates and amounts of a payment form: the scheduled total split into equal instalments.
std::vector<Instalment> FormSchedule(const PaymentForm& form, const QDate& invoiceDate, const Decimal& netValue);

// What every instalment adds up to.
Decimal Total(const std::vector<Instalment>& instalments);

} // namespace schedule
