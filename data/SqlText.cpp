#include "data/SqlText.h"

namespace sql {

QString escaped(QString text)
{
    return text.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + escaped(text) + QLatin1Char('\'');
}

QString dateLiteral(const QDate& date)
{
    return QLatin1Char('\'') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('\'');
}

QString number(double value, int decimals)
{
    return Decimal::fromDouble(value, decimals).toString();
}

QString number(const Decimal& value, int decimals)
{
    return value.rescaled(decimals).toString();
}

} // namespace sql
