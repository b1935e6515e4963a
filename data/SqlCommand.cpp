#include "data/SqlCommand.h"

#include "data/CachedDataset.h"
#include "data/FieldValue.h"

SqlCommand::SqlCommand(QString name, FbConnection& connection) : name_(std::move(name)), connection_(connection) {}

SqlCommand::~SqlCommand() = default;

void SqlCommand::setText(const QString& sql)
{
    if (open_)
        throw DatasetError(QStringLiteral("Feche %1 antes de trocar o seu comando SQL.").arg(name_));
    text_ = sql;
}

void SqlCommand::open()
{
    if (open_)
        return;
    cursor_ = connection_.openCursor(text_);
    layout_ = cursor_->layout();
    open_ = true;
    fetch();
}

void SqlCommand::close()
{
    cursor_.reset();
    row_.clear();
    layout_ = RowLayout();
    open_ = false;
}

void SqlCommand::fetch()
{
    row_.clear();
    if (!cursor_)
        return;
    if (!cursor_->fetch()) {
        cursor_.reset();
        return;
    }
    for (int i = 0; i < cursor_->layout().count(); ++i)
        row_.push_back(cursor_->value(i));
}

void SqlCommand::next()
{
    fetch();
}

bool SqlCommand::hasField(const QString& alias) const
{
    return layout_.indexOf(alias) >= 0;
}

Value SqlCommand::value(const QString& alias) const
{
    if (!open_)
        throw DatasetError(QStringLiteral("%1 está fechado.").arg(name_));
    const int i = layout_.indexOf(alias);
    if (i < 0)
        throw std::out_of_range(QStringLiteral("%1: campo '%2' não encontrado.").arg(name_, alias).toStdString());
    return row_.empty() ? Value{} : row_[std::size_t(i)];
}

bool SqlCommand::isNull(const QString& alias) const
{
    return ::isNull(value(alias));
}

QString SqlCommand::asText(const QString& alias) const
{
    return field::toText(value(alias));
}

qint64 SqlCommand::asInteger(const QString& alias) const
{
    return field::toInteger(value(alias));
}

double SqlCommand::asFloat(const QString& alias) const
{
    return field::toFloat(value(alias));
}

QDateTime SqlCommand::asDateTime(const QString& alias) const
{
    return field::toDateTime(value(alias));
}

Value SqlCommand::single(const QString& sql, const QString& alias)
{
    close();
    setText(sql);
    open();
    Value v = value(alias);
    close();
    return v;
}
