#pragma once

#include "widgets/DatasetTableModel.h"

#include <QPointer>
#include <QTableView>

#include <functional>

class DataSource;
class DBGridDelegate;

// A data grid over a cached dataset: one row per row of the dataset, one column per `GridColumn`
// (field, title, width, pick list, display format and entry mask).
//
// - The current row is the dataset's current row, both ways; moving to another row posts a changed
//   row (the dataset does so before every move).
// - `rowLeaving` tells, before the grid moves the dataset to another row or appends one, that the
//   current row is about to be left (and posted); the typed text is in the field by then.
// - `selectedIndex` is the current column; code may set it. `columnExited` (the old column still
//   selected) and then `columnEntered` tell of each change; a column chosen inside those handlers
//   is taken once they return.
// - Insert appends a row, Down on the last row appends one, Ctrl+Delete deletes the current row
//   after "Excluir o registro?".
// - A new row nobody typed into (`isUntouchedRow`; by default one without changes) is dropped
//   silently when it is left by Up, Down or a click on another row; Insert on it adds no other.
//   Leaving the grid for another control of the window drops a new row without any change, then
//   `exited` runs.
// - `keyHook` sees every key typed in the grid or in a cell editor before the grid does; it returns
//   true when it used the key. Enter ends the typing in a cell first, so the hook finds the typed
//   text in the field.
// - A text the field refuses (a date that does not exist, letters in a number) is reported, and the
//   cell editor stays open with the text typed, the focus back in it to correct it; the grid keeps
//   its row and column until the text is corrected or Esc drops it.
// - Typing into a cell puts the dataset into edit when the data source allows automatic edit;
//   otherwise a browsed row cannot be typed into.
// - `setCellColours` lets the screen choose the colours of each cell.
// - A list read around a key (CachedDataset::setReadAroundKey) scrolls both ways: rows before the
//   first fetched one come in as the grid reaches the top; Ctrl+Home and Ctrl+End go to the first
//   and the last row of the whole list.
class DBGrid : public QTableView {
    Q_OBJECT

public:
    explicit DBGrid(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    CachedDataset* dataset() const;
    void setColumns(std::vector<GridColumn> columns);
    GridColumn& gridColumn(int index) { return model_.column(index); }
    void setPickList(int column, const QStringList& items) { model_.column(column).pickList = items; }
    QStringList pickList(int column) { return model_.column(column).pickList; }
    void setCellColours(DatasetTableModel::ColourHook hook) { model_.setColourHook(std::move(hook)); }
    // No typing, no new or deleted rows: a list to pick from.
    void setGridReadOnly(bool on);
    // Tab and Shift+Tab go to the next and the previous control of the window instead of the next
    // and the previous cell; a cell being typed is written first and the column is left.
    void setTabLeavesGrid(bool on);
    DatasetTableModel& tableModel() { return model_; }
    DBGridDelegate& delegate() { return *delegate_; }

    int selectedIndex() const { return selectedIndex_; }
    void setSelectedIndex(int column);
    // The text of the current cell as typed so far (the editor's, or the field's typing form).
    QString editText() const;
    bool isTypingInCell() const { return openEditor() != nullptr; }
    // Writes the text typed in the open cell editor into its field and closes the editor; false
    // when the field refused it (reported; the editor stays open).
    bool commitTyping();

    void appendRow(); // as the Insert key
    void deleteRow(); // as Ctrl+Delete

    std::function<bool(QKeyEvent&)> keyHook;
    // Whether the dataset's new row is one nobody typed into, when its defaults count as changes.
    std::function<bool(const CachedDataset&)> isUntouchedRow;

signals:
    void columnEntered(int column);
    void columnExited(int column);
    void rowLeaving();
    void entered();
    void exited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

protected slots:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool handleKey(QKeyEvent& event, bool fromEditor);
    bool opensEditor(const QModelIndex& index, EditTrigger trigger, const QEvent* event) const;
    QWidget* openEditor() const;
    bool commitEditor();
    void keepTyping(QWidget* editor);
    void dropEditor();
    void flushEditor();
    bool onLastRow() const;
    bool onUntouchedNewRow() const;
    void dropUntouchedRow();
    void fetchRowsAbove();
    bool goToEnd(const QKeyEvent& event);
    void followDataset();
    void showSelectedColumn();
    void focusMoved(QWidget* from, QWidget* to);
    bool contains(const QWidget* w) const;

    DatasetTableModel model_;
    DBGridDelegate* delegate_;
    QPointer<DataSource> source_;
    int selectedIndex_ = 0;
    int pendingColumn_ = -1;
    bool changingColumn_ = false;
    bool following_ = false;
    bool readOnly_ = false;
    bool tabLeaves_ = false;
    bool fetchingAbove_ = false;
    // The cell the open editor belongs to.
    QPersistentModelIndex editedCell_;
    // The editor whose text is being written (a message box may open meanwhile) or was refused.
    QPointer<QWidget> committingEditor_;
    QPointer<QWidget> refusedEditor_;
    // A refused text kept the editor open while the current cell was moving: it moves back.
    bool typingKept_ = false;
};
