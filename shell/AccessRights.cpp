#include "shell/AccessRights.h"

#include "data/Win1252.h"

namespace rights {

namespace {

int offsetFor(int position)
{
    return position + 1;
}

int byteOf(QChar c)
{
    const QString one(c);
    return win1252::canEncode(one) ? static_cast<unsigned char>(win1252::encode(one).at(0)) : (c.unicode() & 0xFF);
}

} // namespace

bool holds(const QString& accessString, int position, int offset, QChar initial)
{
    if (position < 1 || position > accessString.size() || initial.isNull())
        return false;
    const int code = (byteOf(accessString.at(position - 1)) - offset + 256) % 256;
    return code == byteOf(initial);
}

bool holdsModuleRight(const QString& accessString, QChar initial)
{
    return holds(accessString, 16, offsetFor(16), initial);
}

bool holdsFinancialRight(const QString& accessString, QChar initial)
{
    return holds(accessString, 24, offsetFor(24), initial);
}

QChar grantingCharacter(int position, QChar initial)
{
    const int code = (byteOf(initial) + offsetFor(position)) % 256;
    return win1252::decode(QByteArray(1, char(code))).at(0);
}

} // namespace rights

QString PunctuatedCnpj(const QString& cnpj)
{
    return cnpj.mid(0, 2) + QLatin1Char('.') + cnpj.mid(2, 3) + QLatin1Char('.') + cnpj.mid(5, 3) + QLatin1Char('/') +
           cnpj.mid(8, 4) + QLatin1Char('-') + cnpj.mid(12, 2);
}
