#pragma once

#include "widgets/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class CachedDataset;

// The colours of one cell, chosen by the screen (for example white on maroon for an expired lot).
struct CellColours {
    QColor text;
    QColor background;
};

// The rows of a cached dataset as a table, one column per `GridColumn`. Rows come as the dataset
// fetches them (a view asks for more as it scrolls; rows fetched before the first come in at the top). Writing a cell
// writes the field of that row, which becomes the dataset's current row; a text equal to the one shown writes nothing,
// so that passing through a cell does not change a row.
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using ColourHook = std::function<std::optional<CellColours>(int row, int column)>;

    explicit DatasetTableModel(QObject* parent = nullptr);

    void setDataset(CachedDataset* dataset);
    CachedDataset* dataset() const { return dataset_; }
    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    GridColumn& column(int index) { return columns_.at(std::size_t(index)); }
    void setColourHook(ColourHook hook);
    // Whether typing may start on a browsed row (the data source's automatic edit).
    void setAutoEdit(bool on) { autoEdit_ = on; }

    // The value of a column's field in a row (NULL when the field is absent).
    Value value(int row, int column) const;
    // Writes a typed text into the field of the cell's row; throws the conversion's or the
    // dataset's error. Nothing is written when the text equals the one offered for typing.
    void writeCell(const QModelIndex& index, const QString& text);
    // The row of the cell is made current and put into edit, when the dataset allows it.
    bool startEditing(int row);

    // True while the views are being told of a change the dataset made: a view that moves its
    // current cell then is following the dataset, not the clerk.
    bool isUpdatingViews() const { return updatingViews_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    int fieldColumn(int column) const; // the dataset's column, -1 when absent
    int datasetRow(int row) const;
    bool isCell(const QModelIndex& index) const;
    void reset();
    void onRowsFetched(int first, int last);
    void onRowsFetchedBefore(int count);
    void onRowAppended(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void onFieldChanged(int row, int datasetColumn);
    void onCurrentRowChanged(int row);

    QPointer<CachedDataset> dataset_;
    std::vector<GridColumn> columns_;
    ColourHook colours_;
    int rows_ = 0;        // rows as the views know them
    int indicated_ = -1;  // the row marked as current in the row header
    int removedRow_ = -1; // the row being taken away from the views
    bool autoEdit_ = true;
    bool updatingViews_ = false;
};
