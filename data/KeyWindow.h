#pragma once

#include "data/SortKey.h"
#include "data/Value.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One statement of a key window, with its parameters.
struct WindowStatement {
    QString sql;
    Values params;
};

// The statements that read an ordered SELECT from a given key onwards, in both directions, each
// walking an index that matches the order from its first row: the rows at or after the key in
// the query's order, and the rows before it in the reverse order. NULLs stand where the server
// puts them (first in an ascending order, last in a descending one). A direction may take more
// than one statement (the NULLs of the first order column come in a statement of their own, so
// that the others keep an index range); they are read one after the other.
class KeyWindow {
public:
    // None when the query cannot be read that way: an ORDER BY with positions, expressions,
    // COLLATE or a NULLS placement of its own, or a statement with more than WHERE and ORDER BY.
    static std::optional<KeyWindow> of(const QString& sql, const SortKey& order, const RowLayout& layout);

    // The rows whose first probe.size() order columns are at or after the probe, in the query's
    // order; and the rows before it, in the reverse order.
    std::vector<WindowStatement> from(const Values& probe) const;
    std::vector<WindowStatement> before(const Values& probe) const;
    // Every row from the first, and every row in the reverse order (from the last row back).
    std::vector<WindowStatement> fromStart() const;
    std::vector<WindowStatement> fromEnd() const;

private:
    struct Item {
        QString expression; // the column as the ORDER BY names it ("A.DATA")
        bool descending = false;
        ColumnType type = ColumnType::Text;
        unsigned sqlType = 0; // how the server stores it, with its decimals
        int scale = 0;
    };
    struct Condition;

    QString statement(const QString& condition, bool reverse) const;
    Condition compare(const Values& probe, bool atOrAfter) const;
    std::vector<WindowStatement> staged(const Values& probe, bool forward) const;
    std::vector<WindowStatement> whole(bool forward) const;
    Condition notNull(const Item& item) const;
    static Value leastStored(const Item& item);

    QString head_;      // the statement up to its WHERE (or its ORDER BY when it has none)
    QString condition_; // its own WHERE condition, empty when none
    std::vector<Item> items_;
};
