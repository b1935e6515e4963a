#pragma once

#include "widgets/FieldText.h"

#include <QString>
#include <QStringList>

// One column of a data grid: the field it shows, its title, its width in pixels (0: the grid's
// default), the texts offered in its drop-down list, and how it is shown and typed.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;
    QStringList pickList;
    FieldFormat format;
    bool readOnly = false;
};
