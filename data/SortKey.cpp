#include "data/SortKey.h"

#include "data/SqlClauses.h"
#include "data/Win1252.h"

#include <firebird/Interface.h>

#include <cstring>

namespace {

constexpr qint64 kTimeUnitsPerDay = 864000000; // the server's time unit is 1/10000 s

// Scaled decimals of different scales are compared without overflow in 128 bits.
__extension__ using Wide = __int128;

template <typename T> T load(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

KeyAtom integerAtom(qint64 n, int scale = 0)
{
    KeyAtom a;
    a.kind = scale == 0 ? KeyAtom::Kind::Integer : KeyAtom::Kind::Scaled;
    a.integer = n;
    a.scale = scale;
    return a;
}

KeyAtom realAtom(double v)
{
    KeyAtom a;
    a.kind = KeyAtom::Kind::Real;
    a.real = v;
    return a;
}

KeyAtom bytesAtom(const char* p, qsizetype n)
{
    KeyAtom a;
    a.kind = KeyAtom::Kind::Bytes;
    a.bytes = p;
    a.size = n;
    return a;
}

qint64 timestampUnits(const QDateTime& dt)
{
    return qint64(fbtime::toIscDate(dt.date())) * kTimeUnitsPerDay + qint64(fbtime::toIscTime(dt.time()));
}

int sign(Wide v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int compareScaled(const KeyAtom& a, const KeyAtom& b)
{
    Wide x = a.integer;
    Wide y = b.integer;
    for (int s = a.scale; s < b.scale; ++s)
        x *= 10;
    for (int s = b.scale; s < a.scale; ++s)
        y *= 10;
    return sign(x - y);
}

double asReal(const KeyAtom& a)
{
    if (a.kind == KeyAtom::Kind::Real)
        return a.real;
    double v = double(a.integer);
    for (int s = 0; s < a.scale; ++s)
        v /= 10;
    return v;
}

qsizetype withoutTrailingBlanks(const char* p, qsizetype n)
{
    while (n > 0 && p[n - 1] == ' ')
        --n;
    return n;
}

// The server's order of WIN1252 text: trailing blanks do not count, then byte by byte, and a text
// that is the beginning of another comes first.
int compareBytes(const KeyAtom& a, const KeyAtom& b)
{
    const qsizetype na = withoutTrailingBlanks(a.bytes, a.size);
    const qsizetype nb = withoutTrailingBlanks(b.bytes, b.size);
    const qsizetype common = std::min(na, nb);
    if (common > 0) {
        const int c = std::memcmp(a.bytes, b.bytes, std::size_t(common));
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

} // namespace

KeyAtom KeyAtom::fromMessage(const Column& c, const unsigned char* row)
{
    if (message::isNull(c, row))
        return {};
    const unsigned char* p = row + c.offset;
    switch (c.type) {
    case ColumnType::Text:
        if (c.sqlType == SQL_VARYING)
            return bytesAtom(reinterpret_cast<const char*>(p + 2), load<quint16>(p));
        return bytesAtom(reinterpret_cast<const char*>(p), qsizetype(c.length));
    case ColumnType::Integer:
    case ColumnType::Decimal: {
        const qint64 n = c.sqlType == SQL_SHORT  ? load<qint16>(p)
                         : c.sqlType == SQL_LONG ? load<qint32>(p)
                                                 : load<qint64>(p);
        return integerAtom(n, c.scale);
    }
    case ColumnType::Double:
        return realAtom(c.sqlType == SQL_FLOAT ? double(load<float>(p)) : load<double>(p));
    case ColumnType::Date:
        return integerAtom(load<ISC_DATE>(p));
    case ColumnType::Time:
        return integerAtom(qint64(load<ISC_TIME>(p)));
    case ColumnType::Timestamp: {
        const auto ts = load<ISC_TIMESTAMP>(p);
        return integerAtom(qint64(ts.timestamp_date) * kTimeUnitsPerDay + qint64(ts.timestamp_time));
    }
    case ColumnType::Boolean:
        return integerAtom(*p != 0);
    case ColumnType::Blob:
        return {};
    }
    return {};
}

KeyAtom KeyAtom::fromValue(const Value& value, QByteArray& storage)
{
    struct Visitor {
        QByteArray& storage;
        KeyAtom operator()(std::monostate) const { return {}; }
        KeyAtom operator()(const QString& s) const
        {
            storage = win1252::canEncode(s) ? win1252::encode(s) : s.toUtf8();
            return bytesAtom(storage.constData(), storage.size());
        }
        KeyAtom operator()(qint64 n) const { return integerAtom(n); }
        KeyAtom operator()(const Decimal& d) const { return integerAtom(d.units, d.scale); }
        KeyAtom operator()(double v) const { return realAtom(v); }
        KeyAtom operator()(const QDate& d) const { return integerAtom(fbtime::toIscDate(d)); }
        KeyAtom operator()(const QTime& t) const { return integerAtom(qint64(fbtime::toIscTime(t))); }
        KeyAtom operator()(const QDateTime& dt) const { return integerAtom(timestampUnits(dt)); }
        KeyAtom operator()(const QByteArray& b) const
        {
            storage = b;
            return bytesAtom(storage.constData(), storage.size());
        }
    };
    return std::visit(Visitor{storage}, value);
}

KeyProbe::KeyProbe(const Values& values) : storage_(values.size())
{
    for (std::size_t i = 0; i < values.size(); ++i)
        atoms_.push_back(KeyAtom::fromValue(values[i], storage_[i]));
}

int compareAtoms(const KeyAtom& a, const KeyAtom& b)
{
    using K = KeyAtom::Kind;
    if (a.kind == K::Bytes && b.kind == K::Bytes)
        return compareBytes(a, b);
    if (a.kind == K::Bytes || b.kind == K::Bytes)
        return a.kind == K::Bytes ? 1 : -1; // a text and a number never meet in one column
    if (a.kind == K::Real || b.kind == K::Real) {
        const double x = asReal(a);
        const double y = asReal(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return compareScaled(a, b);
}

SortKey::SortKey(const QString& sql, const RowLayout& layout)
{
    const QList<sqlclauses::OrderItem> items = sqlclauses::orderBy(sql);
    if (items.isEmpty())
        return;
    const QHash<QString, QString> aliases = sqlclauses::tableAliases(sql);
    for (const sqlclauses::OrderItem& item : items) {
        if (!item.plain)
            break;
        int index = -1;
        bool isPosition = false;
        const int position = item.name.toInt(&isPosition);
        if (isPosition) {
            index = position >= 1 && position <= layout.count() ? position - 1 : -1;
        } else if (!item.qualifier.isEmpty()) {
            const QString table = aliases.value(item.qualifier, item.qualifier);
            for (int i = 0; i < layout.count() && index < 0; ++i) {
                const Column& c = layout.at(i);
                if (c.relation.compare(table, Qt::CaseInsensitive) == 0 &&
                    c.field.compare(item.name, Qt::CaseInsensitive) == 0)
                    index = i;
            }
        }
        if (index < 0 && !isPosition)
            index = layout.indexOf(item.name);
        for (int i = 0; i < layout.count() && index < 0 && !isPosition; ++i)
            if (layout.at(i).field.compare(item.name, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0 || layout.at(index).type == ColumnType::Blob)
            break;
        columns_.push_back({index, item.descending, item.nullsFirst});
    }
}

QStringList SortKey::names(const RowLayout& layout) const
{
    QStringList out;
    for (const SortColumn& c : columns_)
        out << layout.at(c.column).name;
    return out;
}

int SortKey::compare(int i, const KeyAtom& a, const KeyAtom& b) const
{
    const SortColumn& c = columns_[std::size_t(i)];
    const bool aNull = a.kind == KeyAtom::Kind::Null;
    const bool bNull = b.kind == KeyAtom::Kind::Null;
    if (aNull || bNull) {
        if (aNull && bNull)
            return 0;
        return aNull == c.nullsFirst ? -1 : 1;
    }
    const int r = compareAtoms(a, b);
    return c.descending ? -r : r;
}
