#include "payments/Payables.h"

#include "data/SqlText.h"
#include "payments/PayableDescription.h"

bool IsInvoiceInPayables(FbConnection& connection, const QString& grossValueText, const QString& invoiceNumber,
                         const QString& supplierName)
{
    if (grossValueText.isEmpty())
        return true;
    const QString description = PayableDescription(invoiceNumber, supplierName);
    const Values row =
        connection.executeRow(QStringLiteral("Select DESCRICAO, VALOR, VENCIMENTO from CTAPAGAR where DESCRICAO = ") +
                              sql::quoted(description));
    return !row.empty() && std::holds_alternative<QString>(row.front()) &&
           std::get<QString>(row.front()) == description;
}
