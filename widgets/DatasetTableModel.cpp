#include "widgets/DatasetTableModel.h"

#include "data/CachedDataset.h"
#include "data/FieldValue.h"
#include "widgets/DatasetActions.h"
#include "widgets/UnhandledError.h"

#include <QBrush>
#include <QScopedValueRollback>

namespace {

// Rows fetched at a time while a view scrolls.
constexpr int kFetchBatch = 100;

} // namespace

DatasetTableModel::DatasetTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetTableModel::setDataset(CachedDataset* dataset)
{
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        for (auto whole : {&CachedDataset::opened, &CachedDataset::closed, &CachedDataset::rowsReset})
            connect(dataset_, whole, this, &DatasetTableModel::reset);
        connect(dataset_, &CachedDataset::rowsFetched, this, &DatasetTableModel::onRowsFetched);
        connect(dataset_, &CachedDataset::rowsFetchedBefore, this, &DatasetTableModel::onRowsFetchedBefore);
        connect(dataset_, &CachedDataset::rowAppended, this, &DatasetTableModel::onRowAppended);
        connect(dataset_, &CachedDataset::rowRemoved, this, &DatasetTableModel::onRowRemoved);
        connect(dataset_, &CachedDataset::rowChanged, this, &DatasetTableModel::onRowChanged);
        connect(dataset_, &CachedDataset::fieldChanged, this, &DatasetTableModel::onFieldChanged);
        connect(dataset_, &CachedDataset::currentRowChanged, this, &DatasetTableModel::onCurrentRowChanged);
        connect(dataset_, &CachedDataset::stateChanged, this, [this] { onCurrentRowChanged(dataset_->currentRow()); });
    }
    reset();
}

void DatasetTableModel::setColumns(std::vector<GridColumn> columns)
{
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void DatasetTableModel::setColourHook(ColourHook hook)
{
    colours_ = std::move(hook);
    if (rows_ > 0 && !columns_.empty())
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

int DatasetTableModel::fieldColumn(int column) const
{
    if (!dataset_ || !dataset_->isOpen() || column < 0 || column >= columnCount())
        return -1;
    const QString& field = columns_[std::size_t(column)].field;
    return dataset_->hasField(field) ? dataset_->fieldIndex(field) : -1;
}

// While the views are told of a removal, they still see the rows as they were.
int DatasetTableModel::datasetRow(int row) const
{
    if (removedRow_ < 0 || row < removedRow_)
        return row;
    return row == removedRow_ ? -1 : row - 1;
}

Value DatasetTableModel::value(int row, int column) const
{
    const int c = fieldColumn(column);
    return c < 0 ? Value{} : dataset_->valueAt(datasetRow(row), c);
}

bool DatasetTableModel::isCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < rows_ && index.column() < columnCount();
}

bool DatasetTableModel::startEditing(int row)
{
    if (!dataset_ || !dataset_->isOpen() || row < 0)
        return false;
    if (row != dataset_->currentRow())
        dataset_->moveTo(row);
    if (IsEditing(*dataset_))
        return true;
    if (!autoEdit_)
        return false;
    dataset_->edit();
    return IsEditing(*dataset_);
}

void DatasetTableModel::writeCell(const QModelIndex& index, const QString& text)
{
    const int c = fieldColumn(index.column());
    if (c < 0 || !startEditing(index.row()))
        return;
    const Value typed = field::forColumn(text, dataset_->layout().at(c));
    if (typed == dataset_->valueAt(index.row(), c))
        return;
    dataset_->setValue(dataset_->layout().at(c).name, typed);
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    const GridColumn& col = columns_[std::size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return fieldtext::display(value(index.row(), index.column()), col.format);
    case Qt::EditRole:
        return fieldtext::edit(value(index.row(), index.column()), col.format);
    case Qt::TextAlignmentRole: {
        const int c = fieldColumn(index.column());
        if (c >= 0 && fieldtext::isNumeric(dataset_->layout().at(c).type))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
        if (colours_)
            if (const auto colours = colours_(index.row(), index.column()))
                return QBrush(role == Qt::ForegroundRole ? colours->text : colours->background);
        return {};
    default:
        return {};
    }
}

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !isCell(index))
        return false;
    return RunGuarded([&] { writeCell(index, value.toString()); });
}

// The row header marks the current row: a triangle while browsing, I while editing, * for a new row.
QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? columns_[std::size_t(section)].title : QString();
    if (!dataset_ || section != dataset_->currentRow())
        return QString();
    switch (dataset_->state()) {
    case CachedDataset::State::Insert:
        return QStringLiteral("*");
    case CachedDataset::State::Edit:
        return QStringLiteral("I");
    default:
        return QStringLiteral("▶");
    }
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!columns_[std::size_t(index.column())].readOnly && fieldColumn(index.column()) >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetTableModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && dataset_ && dataset_->isOpen() && dataset_->hasRowsAfter();
}

void DatasetTableModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        RunGuarded([this] { dataset_->fetchMore(kFetchBatch); });
}

void DatasetTableModel::reset()
{
    const QScopedValueRollback guard(updatingViews_, true);
    beginResetModel();
    rows_ = dataset_ && dataset_->isOpen() ? dataset_->fetchedRowCount() : 0;
    indicated_ = dataset_ && dataset_->isOpen() ? dataset_->currentRow() : -1;
    endResetModel();
}

// The dataset tells of each change after making it; the rows the views know follow it here, and
// anything unexpected makes the views start again from the dataset.
void DatasetTableModel::onRowsFetched(int first, int last)
{
    if (first != rows_ || last < first) {
        reset();
        return;
    }
    const QScopedValueRollback guard(updatingViews_, true);
    beginInsertRows({}, first, last);
    rows_ = last + 1;
    endInsertRows();
}

void DatasetTableModel::onRowsFetchedBefore(int count)
{
    if (count <= 0)
        return;
    if (dataset_->fetchedRowCount() != rows_ + count) {
        reset();
        return;
    }
    const QScopedValueRollback guard(updatingViews_, true);
    beginInsertRows({}, 0, count - 1);
    rows_ += count;
    if (indicated_ >= 0)
        indicated_ += count;
    endInsertRows();
}

void DatasetTableModel::onRowAppended(int row)
{
    onRowsFetched(row, row);
}

void DatasetTableModel::onRowRemoved(int row)
{
    if (row < 0 || row >= rows_ || dataset_->fetchedRowCount() != rows_ - 1) {
        reset();
        return;
    }
    const QScopedValueRollback guard(updatingViews_, true);
    removedRow_ = row;
    beginRemoveRows({}, row, row);
    --rows_;
    removedRow_ = -1;
    if (indicated_ >= rows_)
        indicated_ = -1;
    endRemoveRows();
}

void DatasetTableModel::onRowChanged(int row)
{
    if (row >= 0 && row < rows_ && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetTableModel::onFieldChanged(int row, int datasetColumn)
{
    if (row < 0 || row >= rows_)
        return;
    for (int c = 0; c < columnCount(); ++c)
        if (fieldColumn(c) == datasetColumn)
            emit dataChanged(index(row, c), index(row, c));
    if (colours_) // the colours of a row may follow any of its fields
        onRowChanged(row);
}

void DatasetTableModel::onCurrentRowChanged(int row)
{
    const int before = indicated_;
    indicated_ = row < rows_ ? row : -1;
    for (int r : {before, indicated_})
        if (r >= 0 && r < rows_)
            emit headerDataChanged(Qt::Vertical, r, r);
}
