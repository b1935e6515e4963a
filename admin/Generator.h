#pragma once

#include "admin/ReferenceData.h"
#include "data/FbConnection.h"

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

// A large synthetic pharmacy for measuring the module on years of data: suppliers, products and
// invoices spread over the years up to today, several a day, with items from skewed choices of
// suppliers and products, varied lots and expiry dates. The same options give the same data.
namespace generator {

struct Options {
    int invoices = 50000;
    int itemsPerInvoice = 10;
    int products = 20000;
    int suppliers = 5000;
    int years = 20;
    unsigned seed = 1994;
};

// The largest supplier count: supplier codes have four digits.
constexpr int kMaxSuppliers = 9999;
constexpr int kMaxProducts = 999999;

// Fills a fresh shared database (and the workstation database when given) with the reference
// rows, Options::suppliers suppliers, Options::products products and Options::invoices invoices
// of Options::itemsPerInvoice items each. All but the three newest invoices are closed into stock
// and accounts payable. `progress` receives a line of text now and then.
std::vector<reference::Login> generate(FbConnection& shared, FbConnection* workstation, const QString& loginName,
                                       const Options& options, const QDate& today,
                                       const std::function<void(const QString&)>& progress = {});

} // namespace generator
