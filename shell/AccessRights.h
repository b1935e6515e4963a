#pragma once

#include <QString>

// A user's access string holds one character per right: the right at position p (from 1) is
// held when that character minus the position's offset (modulo 256) is the first letter of the
// user's name in upper case.
namespace rights {

bool holds(const QString& accessString, int position, int offset, QChar initial);
// Position 16: use of this module.
bool holdsModuleRight(const QString& accessString, QChar initial);
// Position 24: the financial right.
bool holdsFinancialRight(const QString& accessString, QChar initial);
// The character that grants the right at `position` to a user with this initial.
QChar grantingCharacter(int position, QChar initial);

} // namespace rights

// A CNPJ written NN.NNN.NNN/NNNN-NN (the pieces that are missing stay empty).
QString PunctuatedCnpj(const QString& cnpj);
