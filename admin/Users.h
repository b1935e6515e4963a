#pragma once

#include "data/FbConnection.h"

#include <QString>

// Users of the product (USUARIOS): name and password stored in encoded form, and the access
// string that grants the rights this module reads.
namespace users {

// The longest name and password whose encoded forms fit USUARIOS.USUARIO and USUARIOS.SENHA.
constexpr int kMaxNameLength = 15;
constexpr int kMaxPasswordLength = 6;

// An access string granting the use of this module, and the financial right when asked, to a
// user whose upper-case name starts with `initial`; every other position grants nothing.
QString accessString(QChar initial, bool financial);

// Checks a name and password typed by the administrator; throws AdminError with the reason.
void validate(const QString& name, const QString& password);

// Writes a user: name and password upper-cased and encoded, with the access string above.
// Throws AdminError when the name or password cannot be stored or the user already exists.
void add(FbConnection& shared, const QString& name, const QString& password, bool financial);

// Whether a workstation (ESTACOES) names this user, compared without regard to letter case.
bool hasWorkstation(FbConnection& shared, const QString& name);

} // namespace users
