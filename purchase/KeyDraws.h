#pragma once

#include <QString>

class SqlCommand;

// New keys are the greatest existing value plus one, read through the command object just before
// the insert; no server generator is used. Two workstations may draw the same value: the cached
// datasets then draw again when the database refuses the second one as a duplicate.
namespace keys {

// "select Max(CODIGO) as UltCod from NFiscal" + 1, over every invoice of every group; 1 at first.
qint64 NextInvoiceCode(SqlCommand& q);
// "select Max(CODCOMPRA) as UltCod from Compras" + 1; 1 at first. A greatest value that is not an
// integer counts as its text without the first two characters, after "99".
qint64 NextItemCode(SqlCommand& q);
// "select Max(CODIGO) as UltCod from Forneced" read as an integer, 0 at first; a greatest code that
// is not a number throws ConversionError.
qint64 SupplierCodeBase(SqlCommand& q);
// A supplier code: four digits, "0000" pattern.
QString SupplierCodeText(qint64 code);
// "Select Max(CODCTAPAGAR) as MaiorCODCTAPAGAR from CTAPAGAR" + 1, or 1 when there is none.
qint64 NextPayableCode(SqlCommand& q);
// "Select Max(CODPAGDIVER) as MaiorCOD from PAGDIVER" + 1, or 1 when there is none.
qint64 NextInstalmentCode(SqlCommand& q);
// The greatest CODMOVEST + 1, or 1 when there is none.
qint64 NextMovementCode(SqlCommand& q);

} // namespace keys
