#pragma once

#include <QString>

class FbConnection;

// Checks a typed name and password against USUARIOS through the server's procedure
// VERIFICAR_USUARIO, which takes the encoded upper-case name and password and gives the access
// string only for the right password: the workstations' database user may not read the table.
// Passwords ignore letter case; an empty password matches an empty SENHA. The user needs the
// module right of his access string; the financial right is read too.
struct LoginCheck {
    enum class Outcome { Accepted, NoName, UnknownUser, WrongPassword, NoModuleRight };

    Outcome outcome = Outcome::NoName;
    QString name;                 // the typed name in upper case, at most 60 characters
    bool financialAccess = false; // read once the password matched, refused or not
    bool financialAccessRead = false;
};

LoginCheck CheckLogin(FbConnection& shared, const QString& typedName, const QString& typedPassword);

// The messages of a refused login (`typedName` as the name field shows it).
QString LoginRefusalMessage(LoginCheck::Outcome outcome, const QString& typedName);
