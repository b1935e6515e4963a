#pragma once

#include "admin/ReferenceData.h"
#include "data/FbConnection.h"

#include <QDate>
#include <QString>

#include <vector>

// A small believable compounding pharmacy: twenty suppliers, the supplies it buys, products for
// resale and bases of its own products, and a dozen purchase invoices of the last two years, all
// closed into stock and accounts payable but the newest one. Some resale and own-product items
// have passed their expiry without being marked so, as the start-up sweep expects to find them.
namespace demo {

// Fills fresh shared and workstation databases; returns the users created.
std::vector<reference::Login> fill(FbConnection& shared, FbConnection& workstation, const QString& loginName,
                                   const QDate& today);

} // namespace demo
