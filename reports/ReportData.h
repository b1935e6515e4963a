#pragma once

#include "reports/ReportDatasets.h"
#include "reports/ReportRows.h"

#include <QDate>
#include <QString>

// The data of the two reports: the statements of `qryRotulos` and `qryVencimentos`, and the
// period row of the workstation database (`Periodo`) that the expiry listing keeps between uses.
namespace reports {

inline const QString kRotulos = QStringLiteral("rpt_Rotulos");
inline const QString kVencimentos = QStringLiteral("rpt_Vencimentos");

// Both statements give each item with the DCB of its product, found by the product's code; an item
// whose product is not found is there all the same, with an empty DCB.
//
// The items of one invoice, found by date, number and supplier (the names compared in upper case).
QString RotulosStatement(const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier);
// Every purchased item whose expiry date lies within the period, by expiry date, product and lot.
QString VencimentosStatement(const QDate& start, const QDate& end);

// Closes `qryRotulos`, gives it the statement of the invoice's items and opens it.
void PrepareRotulos(ReportDatasets dm, const QDate& invoiceDate, const QString& invoiceNumber, const QString& supplier);

// Opens `Periodo` and puts its row into edit (an empty table gets a new row).
void OpenPeriodo(ReportDatasets dm);
// Discards the change of the period and closes `Periodo`.
void CancelPeriodo(ReportDatasets dm);

// Stores the period, closes `Periodo`, and opens `qryVencimentos` over it. A period without its
// first or last date is not stored: the clerk is told and false returned, `Periodo` still in edit.
bool Calcula_Vencimentos_SQL(ReportDatasets dm);

// The field of a listing row that reads "VENCIDO" when the lot's expiry date (VALIDADE) is past.
inline const QString kVencido = QStringLiteral("VENCIDO");
// Marks each row whose expiry date lies before `printDate`.
void markExpiredLots(ReportRows& rows, const QDate& printDate);

} // namespace reports
