#pragma once

#include <QString>

// The queries the window gives its datasets when it is first shown: the supply products, the
// supply invoices in date order, and every purchased item in invoice order.
namespace workqueries {
QString componentes();
QString nfiscal();
QString compras();
} // namespace workqueries
