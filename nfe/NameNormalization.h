#pragma once

#include <QString>

// House style for person and company names: capitalised words, lower-case connecting words,
// connecting words dropped from the middle of long names, and one "S/A" company suffix.
QString NormalizeName(const QString& text);
