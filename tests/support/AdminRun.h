#pragma once

#include "admin/AdminCommands.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// One run of korvanis-admin inside the test: its exit status and what it printed on each stream.
struct AdminOutcome {
    int code = 0;
    QString out;
    QString err;
};

inline AdminOutcome runAdmin(const QStringList& args)
{
    AdminOutcome o;
    QTextStream out(&o.out);
    QTextStream err(&o.err);
    o.code = admin::run(args, out, err);
    out.flush();
    err.flush();
    return o;
}
