#pragma once

#include <QString>

// The select lists from which statements are composed: each table's column names in table order,
// separated by a comma and a blank.

// NFISCAL, 41 names.
extern const QString NFiscalColumns;
// ESTLOTE, 19 names.
extern const QString EstLoteColumns;
// MOVEST, 21 names, followed by one blank: statements append "from MOVEST ..." directly.
extern const QString MovestColumns;
// COMPONEN, 63 names.
extern const QString ComponenColumns;
// COMPRAS, 27 names.
extern const QString ComprasColumns;
