#pragma once

#include <QStyledItemDelegate>

#include <functional>

class DatasetTableModel;
class QKeyEvent;

// The cell editors of a data grid: a drop-down list where the column has a pick list (the clerk
// may still type another text), an edit with the column's entry mask otherwise. Editors are
// painted in the focus colour. Keys typed into an editor go first to `keyHook`, so that the grid
// sees them as it sees its own (Ctrl+Delete, Insert, Down past the last row, Enter).
class DBGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    DBGridDelegate(DatasetTableModel& model, QObject* parent = nullptr);

    std::function<bool(QKeyEvent&)> keyHook;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    // The text an editor holds.
    static QString editorText(const QWidget* editor);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    DatasetTableModel& model_;
};
