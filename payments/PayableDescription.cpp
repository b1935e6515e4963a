#include "payments/PayableDescription.h"

QString PayableDescription(const QString& invoiceNumber, const QString& supplierName)
{
    return QStringLiteral("N.Fiscal ") + invoiceNumber + QLatin1Char(' ') + supplierName;
}
