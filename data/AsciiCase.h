#pragma once

#include <QString>

// Letter case of data changes only for the letters A to Z; accented letters keep their case,
// as the rest of the product does. Never use QString::toUpper/toLower on data.
namespace ascii {

QChar upper(QChar c);
QChar lower(QChar c);
QString upper(QString text);
QString lower(QString text);

} // namespace ascii
