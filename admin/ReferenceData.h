#pragma once

#include "data/Decimal.h"
#include "data/FbConnection.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

// The rows every pharmacy database needs before the first invoice: the store with its stock
// locations, workstations and users, units and purchase-unit conversions, payment forms and the
// dollar rate; and the report period of the workstation database.
namespace reference {

struct Login {
    QString name;
    QString password;
    bool financial = false;
    QString workstation;
};

struct PaymentForm {
    int code = 0;
    QString type;
    QString description;
    QString days;
    int instalments = 1;
    Decimal surcharge{0, 2}; // TAXA1, percent on the net value
};

QString storeCnpj();
QStringList stockLocations();
const std::vector<PaymentForm>& paymentForms();
// The dollar rate written to COTDOLAR, in cents.
constexpr qint64 kDollarRateCents = 545;

// The name the first user logs in with: the operating-system login name when its encoded form
// fits USUARIOS, otherwise FARMACIA.
QString firstUserName(const QString& loginName);

// Writes the rows above into a fresh shared database; returns the users created (the first one,
// bound to workstation 01, is named after `loginName`).
std::vector<Login> write(FbConnection& shared, const QString& loginName);
// The report period row of a fresh workstation database.
void writePeriod(FbConnection& workstation, const QDate& today);

} // namespace reference
