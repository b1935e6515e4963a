#include "data/RowLayout.h"

#include "data/Win1252.h"

#include <firebird/Interface.h>

#include <cstring>

RowLayout::RowLayout(std::vector<Column> columns, unsigned messageLength)
    : columns_(std::move(columns)), messageLength_(messageLength)
{
}

int RowLayout::indexOf(const QString& name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

namespace fbtime {

namespace {
constexpr qint64 kJulianDayOfIscZero = 2400001; // 17 Nov 1858
}

int toIscDate(const QDate& d)
{
    return int(d.toJulianDay() - kJulianDayOfIscZero);
}

QDate fromIscDate(int days)
{
    return QDate::fromJulianDay(days + kJulianDayOfIscZero);
}

unsigned toIscTime(const QTime& t)
{
    return unsigned(t.msecsSinceStartOfDay()) * 10u;
}

QTime fromIscTime(unsigned units)
{
    return QTime::fromMSecsSinceStartOfDay(int(units / 10u));
}

} // namespace fbtime

namespace message {

namespace {

template <typename T> T load(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

qint64 readInteger(const Column& c, const unsigned char* p)
{
    switch (c.sqlType) {
    case SQL_SHORT:
        return load<qint16>(p);
    case SQL_LONG:
        return load<qint32>(p);
    default:
        return load<qint64>(p);
    }
}

} // namespace

bool isNull(const Column& c, const unsigned char* row)
{
    return load<qint16>(row + c.nullOffset) != 0;
}

QString readText(const Column& c, const unsigned char* row)
{
    if (isNull(c, row))
        return {};
    const unsigned char* p = row + c.offset;
    if (c.sqlType == SQL_VARYING)
        return win1252::decode(reinterpret_cast<const char*>(p + 2), load<quint16>(p));
    return win1252::decode(reinterpret_cast<const char*>(p), c.length);
}

Value read(const Column& c, const unsigned char* row)
{
    if (isNull(c, row))
        return std::monostate{};
    const unsigned char* p = row + c.offset;
    switch (c.type) {
    case ColumnType::Text:
        return readText(c, row);
    case ColumnType::Integer:
        return readInteger(c, p);
    case ColumnType::Decimal:
        return Decimal{readInteger(c, p), c.scale};
    case ColumnType::Double:
        return c.sqlType == SQL_FLOAT ? double(load<float>(p)) : load<double>(p);
    case ColumnType::Date:
        return fbtime::fromIscDate(load<ISC_DATE>(p));
    case ColumnType::Time:
        return fbtime::fromIscTime(load<ISC_TIME>(p));
    case ColumnType::Timestamp: {
        const auto ts = load<ISC_TIMESTAMP>(p);
        return QDateTime(fbtime::fromIscDate(ts.timestamp_date), fbtime::fromIscTime(ts.timestamp_time));
    }
    case ColumnType::Boolean:
        return qint64(*p != 0);
    case ColumnType::Blob:
        return std::monostate{};
    }
    return std::monostate{};
}

} // namespace message
