#pragma once

#include <QString>

// A text from an NF-e made fit for a text column of the database (Windows-1252, a fixed width).
struct ColumnText {
    QString text;
    bool replaced = false; // characters outside Windows-1252 were replaced
    bool cut = false;      // the text was longer than the column
};

// Every character that Windows-1252 cannot hold becomes its closest equivalent (Greek mu the
// micro sign, typographic dashes and minus "-", a letter with an accent the code page lacks the
// bare letter), else "?"; then the text is cut to `width` characters.
ColumnText FitColumn(const QString& text, int width);
