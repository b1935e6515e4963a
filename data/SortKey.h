#pragma once

#include "data/RowLayout.h"
#include "data/Value.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// One value of a sort key in a form that compares as the server orders it: integers, scaled
// decimals, dates and times as numbers; texts as their Windows-1252 bytes without trailing blanks,
// compared byte by byte, a text that begins another coming first (the server's order for WIN1252
// text).
struct KeyAtom {
    enum class Kind : unsigned char { Null, Integer, Scaled, Real, Bytes };
    Kind kind = Kind::Null;
    int scale = 0;
    qint64 integer = 0;
    double real = 0;
    const char* bytes = nullptr;
    qsizetype size = 0;

    static KeyAtom fromMessage(const Column& column, const unsigned char* row);
    // `storage` keeps the bytes of a text alive while the atom is used.
    static KeyAtom fromValue(const Value& value, QByteArray& storage);
};

// Search values held as atoms, ready to be compared with many rows.
class KeyProbe {
public:
    explicit KeyProbe(const Values& values);
    KeyProbe(const KeyProbe&) = delete;
    KeyProbe& operator=(const KeyProbe&) = delete;

    const std::vector<KeyAtom>& atoms() const { return atoms_; }
    std::size_t size() const { return atoms_.size(); }

private:
    std::vector<QByteArray> storage_; // the bytes the text atoms point to
    std::vector<KeyAtom> atoms_;
};

// Compares two non-null atoms of one column: negative, zero or positive.
int compareAtoms(const KeyAtom& a, const KeyAtom& b);

struct SortColumn {
    int column = -1;
    bool descending = false;
    bool nullsFirst = true;
};

// The ORDER BY of a query, resolved to the columns of its result. Items that are not plain
// columns (expressions, COLLATE) end the key: rows are then known to be ordered only by the
// items before them.
class SortKey {
public:
    SortKey() = default;
    SortKey(const QString& sql, const RowLayout& layout);

    const std::vector<SortColumn>& columns() const { return columns_; }
    int size() const { return int(columns_.size()); }
    bool isEmpty() const { return columns_.empty(); }
    QStringList names(const RowLayout& layout) const;

    // Order of two atoms of the key's column i, NULLs and direction included.
    int compare(int i, const KeyAtom& a, const KeyAtom& b) const;

private:
    std::vector<SortColumn> columns_;
};
