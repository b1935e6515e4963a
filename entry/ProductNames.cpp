#include "entry/ProductNames.h"

#include "data/AsciiCase.h"

QString NormalizeProductName(const QString& text)
{
    QString name = ascii::lower(text);
    if (name.isEmpty())
        return name;
    name[0] = ascii::upper(name[0]);
    if (ascii::lower(name.left(8)) == QLatin1String("vitamina") && name.size() >= 10)
        name[9] = ascii::upper(name[9]);
    return name;
}
