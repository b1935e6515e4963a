#include "data/AsciiCase.h"

namespace ascii {

QChar upper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 32) : c;
}

QChar lower(QChar c)
{
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
}

QString upper(QString text)
{
    for (QChar& c : text)
        c = upper(c);
    return text;
}

QString lower(QString text)
{
    for (QChar& c : text)
        c = lower(c);
    return text;
}

} // namespace ascii
