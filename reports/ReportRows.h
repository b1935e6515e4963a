#pragma once

#include <QHash>
#include <QString>

#include <vector>

class CachedDataset;

// The rows of a report's data connection as they stand when the report runs, each field as the
// report prints it: dates dd/mm/yyyy, numbers with a decimal comma, NULL as an empty text.
namespace reports {

using ReportRow = QHash<QString, QString>; // upper-case field name -> text
using ReportRows = std::vector<ReportRow>;

// Walks the dataset from its first row and goes back to the row it was on; a closed dataset is
// opened for the walk and closed again, as a report engine's data connection does.
ReportRows readRows(CachedDataset& dataset);

// `text` with every {FIELD} replaced by the field of `row` (letter case of the name not counting);
// an unknown field reads empty.
QString fillFields(const QString& text, const ReportRow& row);

} // namespace reports
