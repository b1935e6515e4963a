#pragma once

#include <QString>

// The encoded form in which user names and passwords are stored in USUARIOS. Only the first
// (n mod 32) characters take part; each is taken as its Windows-1252 byte.
QString EncodeCredential(const QString& text);
