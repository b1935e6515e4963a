#pragma once

#include "purchase/DataModule.h"

#include <QString>

namespace testdm {

// A walk a caller keeps open on the command object `SQLQuery1`, standing on its first row. Code
// that runs meanwhile with a command of its own leaves it open on the same statement and row.
class CallerWalk {
public:
    CallerWalk(TDM& dm, const QString& sql, const QString& column) : query_(dm.SQLQuery1), sql_(sql), column_(column)
    {
        query_.close();
        query_.setText(sql);
        query_.open();
        first_ = query_.asText(column);
    }

    bool intact() const
    {
        return query_.isOpen() && query_.text() == sql_ && !query_.eof() && query_.asText(column_) == first_;
    }

private:
    SqlCommand& query_;
    QString sql_;
    QString column_;
    QString first_;
};

} // namespace testdm
