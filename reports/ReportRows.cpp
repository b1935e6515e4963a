#include "reports/ReportRows.h"

#include "data/AsciiCase.h"
#include "data/CachedDataset.h"

#include <QRegularExpression>

namespace reports {

namespace {

ReportRow currentRow(const CachedDataset& dataset, const QStringList& names)
{
    ReportRow row;
    for (const QString& name : names)
        row.insert(name, dataset.asText(name));
    return row;
}

} // namespace

ReportRows readRows(CachedDataset& dataset)
{
    const bool wasOpen = dataset.isOpen();
    dataset.open();
    QStringList names;
    for (const Column& column : dataset.layout().columns())
        names << ascii::upper(column.name);
    const int shownRow = dataset.currentRow();
    ReportRows rows;
    for (dataset.first(); !dataset.eof(); dataset.next())
        rows.push_back(currentRow(dataset, names));
    if (!wasOpen)
        dataset.close();
    else if (shownRow >= 0)
        dataset.moveTo(shownRow); // a grid showing the rows stays where it was
    return rows;
}

QString fillFields(const QString& text, const ReportRow& row)
{
    static const QRegularExpression field(QStringLiteral("\\{([A-Za-z0-9_]+)\\}"));
    QString result;
    qsizetype from = 0;
    for (auto it = field.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += text.mid(from, match.capturedStart() - from);
        result += row.value(ascii::upper(match.captured(1)));
        from = match.capturedEnd();
    }
    return result + text.mid(from);
}

} // namespace reports
