#pragma once

#include "shell/SessionData.h"

#include <QStringList>

// What the window reads once when it is first shown.

// Every stock location (TABLAB.LABORATORIO) in order: the pick list of the item grid.
QStringList StockLocationNames(SessionData dm);

// The CODIGO of the last supplier by trade name, as an integer; 0 when there is no supplier or
// that code is not a whole number.
int LastSupplierCodeOf(SessionData dm);

// The entries of the payment-form combo: "Datas e valores diversos", then every payment form
// with a description, in order of description.
QStringList PaymentFormEntries(SessionData dm);
