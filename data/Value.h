#pragma once

#include "data/Decimal.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <variant>
#include <vector>

// One value of a column or a statement parameter. std::monostate is SQL NULL; qint64 holds the
// integer types; Decimal the scaled numeric types; QByteArray a blob's bytes.
using Value = std::variant<std::monostate, QString, qint64, Decimal, double, QDate, QTime, QDateTime, QByteArray>;

using Values = std::vector<Value>;

inline bool isNull(const Value& v)
{
    return std::holds_alternative<std::monostate>(v);
}
