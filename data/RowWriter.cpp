#include "data/RowWriter.h"

#include "data/DbError.h"

RowWriter::RowWriter(QString table, const RowLayout& layout, bool byAllColumns, const QStringList& keyColumns)
    : table_(std::move(table)), layout_(layout)
{
    for (int i = 0; i < layout_.count(); ++i) {
        const Column& c = layout_.at(i);
        if (!c.field.isEmpty() && c.relation.compare(table_, Qt::CaseInsensitive) == 0)
            tableColumns_.push_back(i);
    }
    if (byAllColumns) {
        for (int i : tableColumns_)
            if (layout_.at(i).type != ColumnType::Blob)
                whereColumns_.push_back(i);
        return;
    }
    for (const QString& key : keyColumns) {
        int found = -1;
        for (int i : tableColumns_)
            if (layout_.at(i).field.compare(key, Qt::CaseInsensitive) == 0)
                found = i;
        if (found < 0)
            missingKey_ = key;
        else
            whereColumns_.push_back(found);
    }
}

QString RowWriter::rowNotFoundText()
{
    return QStringLiteral("Registro não encontrado ou alterado por outro usuário.");
}

void RowWriter::run(FbConnection& connection, const QString& sql, const Values& params) const
{
    if (connection.execute(sql, params) == 0)
        throw DbError(rowNotFoundText(), DbError::kRowNotFound);
}

QString RowWriter::whereClause(const CachedRow& row, Values& params) const
{
    if (!missingKey_.isEmpty())
        throw DbError(QStringLiteral("A coluna-chave %1 da tabela %2 não está na consulta.").arg(missingKey_, table_),
                      -206);
    if (whereColumns_.empty())
        throw DbError(QStringLiteral("A tabela %1 não tem colunas que identifiquem o registro.").arg(table_), -206);
    QString where;
    for (int i : whereColumns_) {
        where += where.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ");
        const Value v = row.original(layout_, i);
        if (isNull(v)) {
            where += layout_.at(i).field + QStringLiteral(" is null");
        } else {
            where += layout_.at(i).field + QStringLiteral(" = ?");
            params.push_back(v);
        }
    }
    return where;
}

void RowWriter::insert(FbConnection& connection, const CachedRow& row) const
{
    QString names;
    QString marks;
    Values params;
    for (int i : tableColumns_) {
        Value v = row.current(layout_, i);
        if (isNull(v))
            continue;
        if (!names.isEmpty()) {
            names += QStringLiteral(", ");
            marks += QStringLiteral(", ");
        }
        names += layout_.at(i).field;
        marks += QLatin1Char('?');
        params.push_back(std::move(v));
    }
    if (params.empty())
        run(connection, QStringLiteral("insert into %1 default values").arg(table_), {});
    else
        run(connection, QStringLiteral("insert into %1 (%2) values (%3)").arg(table_, names, marks), params);
}

void RowWriter::update(FbConnection& connection, const CachedRow& row) const
{
    if (!row.changes)
        return;
    QString set;
    Values params;
    for (const auto& [column, value] : row.changes->pending.entries()) {
        if (std::find(tableColumns_.begin(), tableColumns_.end(), column) == tableColumns_.end())
            continue;
        if (value == row.original(layout_, column))
            continue;
        set += (set.isEmpty() ? QString() : QStringLiteral(", ")) + layout_.at(column).field + QStringLiteral(" = ?");
        params.push_back(value);
    }
    if (set.isEmpty())
        return;
    const QString where = whereClause(row, params);
    run(connection, QStringLiteral("update %1 set %2%3").arg(table_, set, where), params);
}

void RowWriter::remove(FbConnection& connection, const CachedRow& row) const
{
    Values params;
    const QString where = whereClause(row, params);
    run(connection, QStringLiteral("delete from %1%2").arg(table_, where), params);
}

// Values that read back exactly as they were written; floating-point numbers and blobs may not.
static bool comparable(ColumnType type)
{
    return type != ColumnType::Double && type != ColumnType::Blob && type != ColumnType::Boolean;
}

bool RowWriter::isStored(FbConnection& connection, const CachedRow& row, bool removal) const
{
    Values params;
    QString where;
    if (removal) {
        where = whereClause(row, params);
    } else {
        for (int i : tableColumns_) {
            const Value v = row.current(layout_, i);
            if (isNull(v) || !comparable(layout_.at(i).type))
                continue;
            where += (where.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ")) + layout_.at(i).field +
                     QStringLiteral(" = ?");
            params.push_back(v);
        }
    }
    const Values found = connection.executeRow(QStringLiteral("select count(*) from %1%2").arg(table_, where), params);
    const auto* count = found.empty() ? nullptr : std::get_if<qint64>(&found.front());
    const bool present = count && *count > 0;
    return removal ? !present : present;
}
