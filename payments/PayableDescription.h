#pragma once

#include <QString>

// Every payable of an invoice carries "N.Fiscal " + number + " " + supplier name in DESCRICAO;
// all lookups of an invoice's payables go through this text.
QString PayableDescription(const QString& invoiceNumber, const QString& supplierName);
