#pragma once

#include <QString>

// Every payable of an invoice carries "N.Fiscal " + number + " " + supplier name in DESCRICAO;
// all lookups of an invoice's payables go through this text.
QString PayableDescription(const QString& invoiceNumber, const QString& supplierName);

// The status of a payable this module wrote and the finance module has not taken over yet.
inline const QString kPayableAwaitingPayment = QStringLiteral("Atualizado (pagar)");
