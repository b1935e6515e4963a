#include "admin/BatchInsert.h"

#include <QStringList>

#include <stdexcept>

namespace {

QStringList columnNames(const QString& columnList)
{
    QStringList names = columnList.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& name : names)
        name = name.trimmed();
    return names;
}

} // namespace

BatchInsert::BatchInsert(FbConnection& connection, const QString& table, const QString& columnList, int chunkSize)
    : connection_(connection), sql_(statement(table, columnList)), chunkSize_(std::size_t(std::max(1, chunkSize)))
{
    const QStringList names = columnNames(columnList);
    for (int i = 0; i < names.size(); ++i)
        index_.insert(names.at(i), i);
    rows_.reserve(chunkSize_);
}

QString BatchInsert::statement(const QString& table, const QString& columnList)
{
    const QStringList names = columnNames(columnList);
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

void BatchInsert::begin()
{
    current_.assign(std::size_t(index_.size()), Value{});
}

void BatchInsert::set(const QString& column, Value value)
{
    const auto it = index_.constFind(column);
    if (it == index_.constEnd())
        throw std::logic_error("unknown column " + column.toStdString());
    current_[std::size_t(*it)] = std::move(value);
}

void BatchInsert::end()
{
    rows_.push_back(std::move(current_));
    current_.clear();
    if (rows_.size() >= chunkSize_)
        flush();
}

void BatchInsert::finish()
{
    if (!rows_.empty())
        flush();
}

void BatchInsert::flush()
{
    connection_.executeMany(sql_, rows_);
    written_ += qint64(rows_.size());
    rows_.clear();
    if (onProgress)
        onProgress(written_);
}
