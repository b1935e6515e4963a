#pragma once

#include "data/Decimal.h"
#include "data/FbConnection.h"

#include <QString>

#include <optional>
#include <vector>

// The suppliers' own product codes: once the clerk has identified the product of an NF-e item, the
// pair (issuer's CNPJ, `cProd`) names that product in the supplier's next invoices, with the factor
// from the supplier's unit to the unit the clerk keeps the item in (a "cx" of 100 "un" is 100).
// PRODFORN holds the pairs; ITEMNFE where each imported item row came from (see
// db/shared-access.sql).
struct SupplierCode {
    QString cnpj;       // the issuer's CNPJ, 14 digits
    QString cProd;      // the issuer's code of the product
    QString codigo;     // the product (COMPONEN.CODIGO)
    QString uCom;       // the supplier's unit, lower case, as the NF-e writes it
    QString unidade;    // the unit the items of the product are kept in
    Decimal fator;      // how many `unidade` one `uCom` holds
    QString componente; // the product's name, when listed
    QString fabricante; // the product's manufacturer, for the issuer's codes
};

namespace suppliercodes {

// The widths of the columns: an issuer's code longer than the column is never remembered.
constexpr qsizetype kCnpjWidth = 14;
constexpr qsizetype kCProdWidth = 60;
constexpr qsizetype kUnitWidth = 6;

// Whether the database has the tables: one made by an earlier version gets them from
// `korvanis-admin indexes` or at the program's first start, where the user may create them.
bool Available(FbConnection& connection);

// Every code of the issuer whose product is still a supply product, read at once: an import looks
// its items up here, not item by item.
std::vector<SupplierCode> ForIssuer(FbConnection& connection, const QString& cnpj);

// What is remembered, by supplier and code; only the supplier's when `cnpj` is not empty.
std::vector<SupplierCode> List(FbConnection& connection, const QString& cnpj = {});

// Forgets a pair; false when it was not remembered.
bool Remove(FbConnection& connection, const QString& cnpj, const QString& cProd);

// The origin of an imported item row (workstation, CODCOMPRA): the issuer, its code, its unit and
// the quantity in that unit.
struct ItemOrigin {
    QString workstation;
    qint64 codCompra = 0;
    QString cnpj;
    QString cProd;
    QString uCom;
    Decimal quantity;
};
// Written in the import's own transaction, all in one batch; an origin whose texts do not fit
// their columns is left out (its item is simply not remembered later).
void RecordOrigins(FbConnection& connection, const std::vector<ItemOrigin>& origins);

// After an item row is stored: when it came from an NF-e and names a product, remembers the pair
// with the factor the row shows (its quantity over the NF-e's). Returns whether it remembered.
bool RememberIdentified(FbConnection& connection, const QString& workstation, qint64 codCompra);

} // namespace suppliercodes
