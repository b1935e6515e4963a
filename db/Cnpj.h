#pragma once

#include <QString>

// A CNPJ of 14 digits: the 12 given digits (8 of the company, 4 of the branch) followed by
// their two check digits.
QString CnpjWithCheckDigits(const QString& twelveDigits);
