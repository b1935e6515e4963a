#include "closing/InvoiceTotals.h"

#include "data/CachedDataset.h"
#include "data/FieldValue.h"
#include "data/SqlText.h"

namespace {

constexpr int kMoneyScale = 2;

// The expenses added to the items total, in the order they are added.
const char* const kExpenseColumns[] = {"FRETE", "SEGURO", "IRRF", "OUTRASDESP", "VALORIPI", "ICMS_RETIDO_ST"};

void postCurrentItemIgnoringFailure(CachedDataset& items)
{
    try {
        if (items.isOpen() &&
            (items.state() == CachedDataset::State::Edit || items.state() == CachedDataset::State::Insert))
            items.post();
    } catch (const std::exception&) {
        // The stored items are totalled all the same.
    }
}

Decimal itemsTotal(const ClosingData& dm)
{
    const CachedDataset& nf = dm.NFiscal;
    return field::toDecimal(dm.command().single(
        QStringLiteral("select SUM(SALDO) AS TOTAL from COMPRAS where NOTAFISCAL = ") +
            sql::quoted(nf.asText(QStringLiteral("NOTAFISCAL"))) + QStringLiteral(" and CODIGOFORNECEDOR = ") +
            sql::quoted(nf.asText(QStringLiteral("CODIGOFORNECEDOR"))),
        QStringLiteral("TOTAL")));
}

} // namespace

InvoiceTotals ComputeInvoiceTotals(ClosingData dm)
{
    const CachedDataset& nf = dm.NFiscal;
    InvoiceTotals t;
    if (!nf.isOpen() || nf.isEmpty())
        return t;
    t.items = itemsTotal(dm);
    for (const char* column : kExpenseColumns)
        t.expenses = t.expenses + field::toDecimal(nf.value(QLatin1String(column)));
    t.gross = (t.items + t.expenses).rescaled(kMoneyScale);
    t.discount = field::toDecimal(nf.value(QStringLiteral("DESCONTOTOTAL")));
    t.net = (t.gross - t.discount).rescaled(kMoneyScale);
    return t;
}

InvoiceTotals RecalcInvoiceTotals(ClosingData dm)
{
    CachedDataset& nf = dm.NFiscal;
    CachedDataset& items = dm.Compras;
    if (!nf.isOpen() || nf.isEmpty())
        return {};
    postCurrentItemIgnoringFailure(items);
    const InvoiceTotals t = ComputeInvoiceTotals(dm);

    nf.edit();
    nf.setValue(QStringLiteral("VALBRUTO"), t.gross);
    nf.setValue(QStringLiteral("VALLIQUIDO"), t.net);
    nf.post();

    nf.edit();
    // Editing an empty item list would add an item: only an item that is there goes into edit.
    if (items.isOpen() && !items.isEmpty())
        items.edit();
    return t;
}

QList<TotalsNext> FocusAfterTotals(TotalsStep step)
{
    switch (step) {
    case TotalsStep::Freight:
        return {TotalsNext::Insurance};
    case TotalsStep::Insurance:
        return {TotalsNext::Irrf};
    case TotalsStep::Irrf:
        return {TotalsNext::OtherExpenses};
    case TotalsStep::OtherExpenses:
        return {TotalsNext::IpiRate};
    case TotalsStep::IpiValue:
        return {TotalsNext::IpiExempt};
    case TotalsStep::IcmsWithheld:
        return {TotalsNext::Discount};
    case TotalsStep::Discount:
        return {TotalsNext::BackToInvoice};
    case TotalsStep::DiscountOnInvoice:
        return {TotalsNext::PaymentForm, TotalsNext::IssueDate};
    case TotalsStep::Closing:
        return {TotalsNext::DiscountOnInvoice};
    }
    return {};
}
