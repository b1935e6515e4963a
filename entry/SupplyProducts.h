#pragma once

#include <QString>

class CachedDataset;

// The supply products (group SUP) of the catalogue, the only products an invoice of this module
// takes. Statements select the whole COMPONEN column list.
namespace supplyproducts {

QString byDcb(const QString& dcb);
QString byName(const QString& name);
QString byCode(const QString& code);
// Every supply product in name order with the columns the options panel shows and takes. The
// options list (`CompNomes`) reads it around the name looked for, so it carries no more than it needs.
QString optionsList();

} // namespace supplyproducts

// The name looked for when the typed text is no DCB code: the catalogue's letter case, at most
// 40 characters.
QString ProductSearchName(const QString& typed);

// Looks the typed text up among the supply products: first as a DCB code (the first row the server
// returns, when its DCB is exactly the text), then as a name written in the catalogue's letter case
// (exactly, letter case included). True when found; `componentes` then stands on the product.
// Reads one product at most, never the whole catalogue.
bool FindSupplyProduct(CachedDataset& componentes, const QString& typed);
