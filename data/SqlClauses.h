#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The few pieces of a SELECT's text that a cached dataset needs: its ORDER BY items and the
// tables of its FROM list with their aliases. Quoted texts, comments and parenthesised
// sub-queries are passed over.
namespace sqlclauses {

struct OrderItem {
    QString qualifier; // "A" of "A.DATA"; empty when unqualified
    QString name;      // column name, alias, or the position number as text
    bool descending = false;
    bool nullsFirst = true; // Firebird's default: NULLs first ascending, last descending
    bool plain = true;      // false for an expression or a COLLATE clause
};

// The items of the statement's own ORDER BY, empty without one.
QList<OrderItem> orderBy(const QString& sql);

// Alias (upper case) → table name (upper case) for the tables of the FROM list; each table is
// also listed under its own name.
QHash<QString, QString> tableAliases(const QString& sql);

// Where the pieces of a plain SELECT begin: its top-level WHERE (-1 when none) and its ORDER BY,
// which ends the statement. None for a statement that is more than that (grouped, a union, a plan,
// a row limit, a distinct list, no order).
struct SelectParts {
    qsizetype whereAt = -1;
    qsizetype orderAt = -1;
};
std::optional<SelectParts> selectParts(const QString& sql);

} // namespace sqlclauses
