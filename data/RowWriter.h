#pragma once

#include "data/FbConnection.h"
#include "data/RowStore.h"

#include <QStringList>

#include <vector>

// Writes cached rows back to the table of their dataset, one statement each, committed on its own:
// an INSERT of the row's values, an UPDATE of the columns that changed, a DELETE. UPDATE and
// DELETE find the row by the key columns with their values as read, or by every column
// (`byAllColumns`); a NULL is matched with "is null". Columns of other tables (a join) are never
// written. A statement that finds no row throws DbError with SQLCODE 100.
class RowWriter {
public:
    RowWriter() = default;
    RowWriter(QString table, const RowLayout& layout, bool byAllColumns, const QStringList& keyColumns);

    void insert(FbConnection& connection, const CachedRow& row) const;
    void update(FbConnection& connection, const CachedRow& row) const;
    void remove(FbConnection& connection, const CachedRow& row) const;

    // Whether the database already holds the change: the row with every value it was to be
    // written with (insert, update), or no row found by its key as read (removal). For a write
    // whose commit answer was lost.
    bool isStored(FbConnection& connection, const CachedRow& row, bool removal) const;

    static QString rowNotFoundText();

private:
    // " where A = ? and B is null", with the values of the non-null ones.
    QString whereClause(const CachedRow& row, Values& params) const;
    void run(FbConnection& connection, const QString& sql, const Values& params) const;

    QString table_;
    RowLayout layout_;
    std::vector<int> tableColumns_;
    std::vector<int> whereColumns_;
    QString missingKey_; // a key column the query does not return
};
