#pragma once

#include "data/Value.h"

#include <QString>

#include <vector>

enum class ColumnType { Text, Integer, Decimal, Double, Date, Time, Timestamp, Blob, Boolean };

// One column of a result set and where its value lies in the fetched message buffer.
struct Column {
    QString name;     // the select list's name for it; a repeated name gets "_1", "_2"...
    QString relation; // table it comes from, empty for expressions
    QString field;    // column name in that table
    ColumnType type = ColumnType::Text;
    unsigned sqlType = 0;
    int scale = 0;       // decimals of a Decimal column
    int precision = 0;   // digits a Decimal column's storage holds (4, 9 or 18); 0: 18
    unsigned length = 0; // bytes in the message (text: maximum characters)
    unsigned offset = 0;
    unsigned nullOffset = 0;
    bool nullable = true;
};

// The columns of a result set and the size of one fetched row.
class RowLayout {
public:
    RowLayout() = default;
    RowLayout(std::vector<Column> columns, unsigned messageLength);

    const std::vector<Column>& columns() const { return columns_; }
    int count() const { return int(columns_.size()); }
    const Column& at(int i) const { return columns_[std::size_t(i)]; }
    unsigned messageLength() const { return messageLength_; }

    // Index of a column by name, compared without regard to letter case; -1 when absent.
    int indexOf(const QString& name) const;

private:
    std::vector<Column> columns_;
    unsigned messageLength_ = 0;
};

// Reads the values of a row held in a message buffer laid out by `RowLayout`.
namespace message {

bool isNull(const Column& c, const unsigned char* row);
// Blob columns are not decoded here (their identifiers need the transaction): they read as NULL.
Value read(const Column& c, const unsigned char* row);
QString readText(const Column& c, const unsigned char* row);

} // namespace message

// Conversions between the server's date and time numbers and Qt's types.
namespace fbtime {

int toIscDate(const QDate& d);
QDate fromIscDate(int days);
unsigned toIscTime(const QTime& t);
QTime fromIscTime(unsigned units);

} // namespace fbtime
