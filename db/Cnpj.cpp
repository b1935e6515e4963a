#include "db/Cnpj.h"

namespace {

QChar checkDigit(const QString& digits)
{
    // Weights run 2..9 from the rightmost digit leftwards, and start again at 2.
    int sum = 0;
    int weight = 2;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += digits.at(i).digitValue() * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return QChar(u'0' + (rest < 2 ? 0 : 11 - rest));
}

} // namespace

QString CnpjWithCheckDigits(const QString& twelveDigits)
{
    QString cnpj = twelveDigits;
    cnpj += checkDigit(cnpj);
    cnpj += checkDigit(cnpj);
    return cnpj;
}
