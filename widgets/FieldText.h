#pragma once

#include "data/RowLayout.h"
#include "data/Value.h"

#include <QString>

// How a bound control shows a field and how it takes it typed.
struct FieldFormat {
    enum class Display {
        Plain,  // the field's own text: dates dd/mm/yyyy, numbers 1234,5
        Date2,  // "dd/mm/yy"
        Money,  // "#,###,##0.00": 1.234,56
        Fixed2, // "0.00": 1234,56
    };
    Display display = Display::Plain;
    // The entry mask as the screens state it ("!99/99/00;1;_"); empty for free typing.
    QString entryMask;

    static FieldFormat date() { return {Display::Date2, QStringLiteral("!99/99/00;1;_")}; }
    static FieldFormat money() { return {Display::Money, {}}; }
};

namespace fieldtext {

// The text shown while the control is not being typed into.
QString display(const Value& value, const FieldFormat& format);
// The text offered for typing: a date fits its mask (two-digit year for "99/99/00"), numbers come
// without thousands dots ("1234,56"), so that what is typed reads back as the same value.
QString edit(const Value& value, const FieldFormat& format);

// The entry mask in Qt's notation: "!99/99/00;1;_" becomes "99/99/9900;_" (every digit required,
// the literals kept with the text, "_" for a position not yet typed); a date's two-digit year
// takes two more, optional, digits, so that dd/mm/yy and dd/mm/yyyy are both typed as they are.
QString qtInputMask(const QString& entryMask);

// Whether the column holds a number.
bool isNumeric(ColumnType type);

} // namespace fieldtext
