#include "admin/BatchInsert.h"

#include "data/UnitOfWork.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace {

// One input message of the engine holds at most 64 KB; the groups stay well below it, and small
// enough that the statement text and its compiled form stay modest.
constexpr unsigned kBlockMessageBytes = 32000;
constexpr int kMostRowsPerBlock = 64;

QStringList columnNames(const QString& columnList)
{
    QStringList names = columnList.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& name : names)
        name = name.trimmed();
    return names;
}

} // namespace

BatchInsert::BatchInsert(FbConnection& connection, const QString& table, const QString& columnList, int chunkSize)
    : connection_(connection), table_(table), columns_(columnNames(columnList)),
      chunkSize_(std::size_t(std::max(1, chunkSize)))
{
    for (int i = 0; i < columns_.size(); ++i)
        index_.insert(columns_.at(i), i);
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

QString BatchInsert::blockStatement(const QString& table, const QStringList& columns, int rows)
{
    QStringList parameters;
    QString body;
    const QString insert = QStringLiteral("insert into %1 (%2) values (").arg(table, columns.join(QLatin1Char(',')));
    for (int row = 0; row < rows; ++row) {
        QStringList values;
        for (int c = 0; c < columns.size(); ++c) {
            const QString name = QStringLiteral("P%1_%2").arg(row).arg(c);
            parameters << QStringLiteral("%1 type of column %2.%3 = ?").arg(name, table, columns.at(c));
            values << QLatin1Char(':') + name;
        }
        body += insert + values.join(QLatin1Char(',')) + QStringLiteral(");\n");
    }
    return QStringLiteral("execute block (") + parameters.join(QLatin1Char(',')) + QStringLiteral(") as begin\n") +
           body + QStringLiteral("end");
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

// As many rows as fit one modest input message, from the size of the table's row.
int BatchInsert::rowsPerBlock()
{
    if (rowsPerBlock_ == 0) {
        const unsigned rowBytes = std::max(
            1u, connection_.describe(QStringLiteral("select %1 from %2").arg(columns_.join(QLatin1Char(',')), table_))
                    .messageLength());
        rowsPerBlock_ = std::clamp(int(kBlockMessageBytes / rowBytes), 1, kMostRowsPerBlock);
    }
    return rowsPerBlock_;
}

// The chunk in one transaction (one unit of work): whole groups through one block statement, the rows left over
// one by one.
void BatchInsert::flush()
{
    const int perBlock = rowsPerBlock();
    const std::size_t grouped = rows_.size() / std::size_t(perBlock) * std::size_t(perBlock);
    std::vector<Values> groups;
    groups.reserve(grouped / std::size_t(perBlock));
    for (std::size_t first = 0; first < grouped; first += std::size_t(perBlock)) {
        Values params;
        params.reserve(std::size_t(perBlock) * std::size_t(columns_.size()));
        for (std::size_t r = first; r < first + std::size_t(perBlock); ++r)
            for (Value& v : rows_[r])
                params.push_back(std::move(v));
        groups.push_back(std::move(params));
    }
    const std::vector<Values> rest(std::make_move_iterator(rows_.begin() + qsizetype(grouped)),
                                   std::make_move_iterator(rows_.end()));
    UnitOfWork unit(connection_);
    if (!groups.empty())
        connection_.executeMany(blockStatement(table_, columns_, perBlock), groups);
    if (!rest.empty())
        connection_.executeMany(statement(table_, columns_.join(QLatin1Char(','))), rest);
    unit.commit();
    written_ += qint64(rows_.size());
    rows_.clear();
    if (onProgress)
        onProgress(written_);
}
