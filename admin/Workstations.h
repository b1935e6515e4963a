#pragma once

#include "data/FbConnection.h"

#include <QString>

// Workstations of the product (ESTACOES): each names the user who logs in there and the CNPJ of
// its store, which the login needs to complete.
namespace workstations {

// The longest workstation code ESTACOES.ESTACAO holds.
constexpr int kMaxCodeLength = 3;

// The fourteen digits of a CNPJ typed with or without its punctuation ("11.222.333/0001-81");
// throws AdminError when it is not a CNPJ with the right check digits.
QString checkedCnpj(const QString& typed);

// The CNPJ of the store of the first workstation; empty when there is none.
QString firstStoreCnpj(FbConnection& shared);

// Writes the row of a workstation as the login reads it. The caller has checked the values.
void write(FbConnection& shared, const QString& code, const QString& user, const QString& cnpj);

// Adds a workstation for a registered user after checking the code, the user (registered, and
// bound to no other workstation) and the CNPJ; throws AdminError with the reason otherwise.
void add(FbConnection& shared, const QString& code, const QString& user, const QString& cnpj);

} // namespace workstations
