#include "data/KeyWindow.h"

#include "data/SqlClauses.h"

#include <ibase.h>

#include <limits>

struct KeyWindow::Condition {
    enum class Kind { True, False, Text };
    Kind kind = Kind::True;
    QString text;
    Values params;

    static Condition always() { return {}; }
    static Condition never() { return {Kind::False, {}, {}}; }
    static Condition of(QString text, Values params = {}) { return {Kind::Text, std::move(text), std::move(params)}; }

    Condition operator&&(const Condition& other) const
    {
        if (kind == Kind::False || other.kind == Kind::True)
            return *this;
        if (other.kind == Kind::False || kind == Kind::True)
            return other;
        Values all = params;
        all.insert(all.end(), other.params.begin(), other.params.end());
        return of(QLatin1Char('(') + text + QStringLiteral(" and ") + other.text + QLatin1Char(')'), all);
    }
    Condition operator||(const Condition& other) const
    {
        if (kind == Kind::True || other.kind == Kind::False)
            return *this;
        if (other.kind == Kind::True || kind == Kind::False)
            return other;
        Values all = params;
        all.insert(all.end(), other.params.begin(), other.params.end());
        return of(QLatin1Char('(') + text + QStringLiteral(" or ") + other.text + QLatin1Char(')'), all);
    }
};

std::optional<KeyWindow> KeyWindow::of(const QString& sql, const SortKey& order, const RowLayout& layout)
{
    const auto parts = sqlclauses::selectParts(sql);
    const QList<sqlclauses::OrderItem> items = sqlclauses::orderBy(sql);
    if (!parts || order.isEmpty() || items.size() != order.size())
        return std::nullopt;
    KeyWindow window;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const sqlclauses::OrderItem& item = items[i];
        bool isPosition = false;
        item.name.toInt(&isPosition);
        // Only the server's own NULL placement, which the reverse order mirrors.
        if (!item.plain || isPosition || item.nullsFirst == item.descending)
            return std::nullopt;
        if (layout.at(order.columns()[std::size_t(i)].column).type == ColumnType::Blob)
            return std::nullopt;
        const QString name =
            item.name.contains(QLatin1Char(' ')) ? QLatin1Char('"') + item.name + QLatin1Char('"') : item.name;
        const Column& column = layout.at(order.columns()[std::size_t(i)].column);
        window.items_.push_back({item.qualifier.isEmpty() ? name : item.qualifier + QLatin1Char('.') + name,
                                 item.descending, column.type, column.sqlType, column.scale});
    }
    if (parts->whereAt >= 0) {
        window.head_ = sql.left(parts->whereAt);
        window.condition_ = sql.mid(parts->whereAt + 5, parts->orderAt - parts->whereAt - 5).trimmed();
    } else {
        window.head_ = sql.left(parts->orderAt);
    }
    return window;
}

QString KeyWindow::statement(const QString& condition, bool reverse) const
{
    QString sql = head_.trimmed();
    if (!condition_.isEmpty() && !condition.isEmpty())
        sql += QStringLiteral(" where (") + condition_ + QStringLiteral(") and ") + condition;
    else if (!condition_.isEmpty() || !condition.isEmpty())
        sql += QStringLiteral(" where ") + (condition.isEmpty() ? condition_ : condition);
    QStringList order;
    for (const Item& item : items_)
        order << (item.descending != reverse ? item.expression + QStringLiteral(" desc") : item.expression);
    return sql + QStringLiteral(" order by ") + order.join(QStringLiteral(", "));
}

// Rows at or after the probe in the query's order (`atOrAfter`), or before it. A NULL stands
// before every value in an ascending column and after every value in a descending one.
KeyWindow::Condition KeyWindow::compare(const Values& probe, bool atOrAfter) const
{
    Condition result = atOrAfter ? Condition::always() : Condition::never(); // past the last value
    for (std::size_t i = probe.size(); i-- > 0;) {
        const Item& item = items_[i];
        const QString& x = item.expression;
        const Value& v = probe[i];
        Condition after;
        Condition before;
        Condition equal;
        if (isNull(v)) {
            const Condition notNull = Condition::of(x + QStringLiteral(" is not null"));
            after = item.descending ? Condition::never() : notNull;
            before = item.descending ? notNull : Condition::never();
            equal = Condition::of(x + QStringLiteral(" is null"));
        } else {
            const Condition greater = Condition::of(x + QStringLiteral(" > ?"), {v});
            const Condition lessOrNull =
                Condition::of(QLatin1Char('(') + x + QStringLiteral(" < ? or ") + x + QStringLiteral(" is null)"), {v});
            after = item.descending ? lessOrNull : greater;
            before = item.descending ? greater : lessOrNull;
            equal = Condition::of(x + QStringLiteral(" = ?"), {v});
        }
        result = (atOrAfter ? after : before) || (equal && result);
    }
    return result;
}

// The rows of one direction, in its reading order. The first order column is bounded by a range
// of its own so that the server walks its index from the key: the values on the probe's side
// first, then the NULLs when they belong to this side (or the NULLs first, then every value, when
// the probe itself is NULL).
std::vector<WindowStatement> KeyWindow::staged(const Values& probe, bool forward) const
{
    const Condition side = compare(probe, forward);
    if (side.kind == Condition::Kind::False)
        return {};
    const Item& first = items_.front();
    const QString& x = first.expression;
    const Condition isNullCondition = Condition::of(x + QStringLiteral(" is null"));
    std::vector<Condition> stages;
    if (isNull(probe.front())) {
        stages.push_back(isNullCondition && side);
        if (first.descending != forward)
            stages.push_back(notNull(first));
    } else {
        const bool upwards = forward != first.descending;
        stages.push_back(
            Condition::of(x + (upwards ? QStringLiteral(" >= ?") : QStringLiteral(" <= ?")), {probe.front()}) && side);
        if (first.descending == forward)
            stages.push_back(isNullCondition && side);
    }
    std::vector<WindowStatement> out;
    for (const Condition& c : stages)
        if (c.kind != Condition::Kind::False)
            out.push_back({statement(c.kind == Condition::Kind::True ? QString() : c.text, !forward), c.params});
    return out;
}

std::vector<WindowStatement> KeyWindow::from(const Values& probe) const
{
    return staged(probe, true);
}

std::vector<WindowStatement> KeyWindow::before(const Values& probe) const
{
    return staged(probe, false);
}

// The least value an integer or scaled column can hold: the server refuses a parameter its column
// cannot hold, even in a comparison.
Value KeyWindow::leastStored(const Item& item)
{
    const qint64 units = item.sqlType == SQL_SHORT  ? std::numeric_limits<qint16>::min()
                         : item.sqlType == SQL_LONG ? std::numeric_limits<qint32>::min()
                                                    : std::numeric_limits<qint64>::min();
    if (item.scale > 0)
        return Decimal{units, item.scale};
    return units;
}

// "X is not null" written as a range from the least value of the column's type, so that the
// server walks the index (it sorts the whole result for "is not null" in a join).
KeyWindow::Condition KeyWindow::notNull(const Item& item) const
{
    Value least;
    switch (item.type) {
    case ColumnType::Text:
        least = QString();
        break;
    case ColumnType::Integer:
    case ColumnType::Decimal:
        least = leastStored(item);
        break;
    case ColumnType::Double:
        least = -std::numeric_limits<double>::max();
        break;
    case ColumnType::Date:
        least = QDate(1, 1, 1);
        break;
    case ColumnType::Time:
        least = QTime(0, 0);
        break;
    case ColumnType::Timestamp:
        least = QDateTime(QDate(1, 1, 1), QTime(0, 0));
        break;
    default:
        return Condition::of(item.expression + QStringLiteral(" is not null"));
    }
    return Condition::of(item.expression + QStringLiteral(" >= ?"), {least});
}

// Every row in the query's order (`forward`) or in the reverse order: the NULLs of the first
// column and its values, in the order the reading meets them.
std::vector<WindowStatement> KeyWindow::whole(bool forward) const
{
    const Item& first = items_.front();
    const Condition nulls = Condition::of(first.expression + QStringLiteral(" is null"));
    const Condition values = notNull(first);
    const bool nullsFirst = first.descending != forward; // reading ascending
    std::vector<WindowStatement> out;
    for (const Condition& c : nullsFirst ? std::vector{nulls, values} : std::vector{values, nulls})
        out.push_back({statement(c.text, !forward), c.params});
    return out;
}

std::vector<WindowStatement> KeyWindow::fromStart() const
{
    return whole(true);
}

std::vector<WindowStatement> KeyWindow::fromEnd() const
{
    return whole(false);
}
