#include "widgets/DBGrid.h"

#include "data/CachedDataset.h"
#include "widgets/DBGridDelegate.h"
#include "widgets/DatasetActions.h"
#include "widgets/EnterAsTab.h"
#include "widgets/ReadOnlyLook.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace {

// Rows fetched at a time when the grid reaches the first fetched row of a list read around a key.
constexpr int kRowsAbove = 64;

} // namespace

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), delegate_(new DBGridDelegate(model_, this))
{
    setModel(&model_);
    setItemDelegate(delegate_);
    delegate_->keyHook = [this](QKeyEvent& e) { return handleKey(e, true); };
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumWidth(14);
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::followDataset);
    // Rows fetched above come in after the change being told has ended, never inside it.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DBGrid::fetchRowsAbove, Qt::QueuedConnection);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &DBGrid::fetchRowsAbove, Qt::QueuedConnection);
    connect(&model_, &QAbstractItemModel::modelReset, this, &DBGrid::fetchRowsAbove, Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::focusMoved);
    ShowDisabledAsReadOnly(this);
}

CachedDataset* DBGrid::dataset() const
{
    return model_.dataset();
}

void DBGrid::setDataSource(DataSource* source)
{
    if (CachedDataset* old = dataset())
        disconnect(old, nullptr, this, nullptr);
    source_ = source;
    CachedDataset* ds = source ? source->dataset() : nullptr;
    model_.setAutoEdit(source && source->autoEdit());
    model_.setDataset(ds);
    if (ds) {
        connect(ds, &CachedDataset::currentRowChanged, this, &DBGrid::followDataset);
        connect(ds, &CachedDataset::beforePostFlush, this, &DBGrid::flushEditor);
    }
    followDataset();
}

void DBGrid::setColumns(std::vector<GridColumn> columns)
{
    model_.setColumns(std::move(columns));
    for (int i = 0; i < model_.columnCount(); ++i)
        if (model_.column(i).width > 0)
            setColumnWidth(i, model_.column(i).width);
    selectedIndex_ = 0;
    followDataset();
}

void DBGrid::setGridReadOnly(bool on)
{
    readOnly_ = on;
    setEditTriggers(on ? NoEditTriggers
                       : EditTriggers(AnyKeyPressed | EditKeyPressed | DoubleClicked | SelectedClicked));
}

void DBGrid::setTabLeavesGrid(bool on)
{
    tabLeaves_ = on;
    setTabKeyNavigation(!on);
}

// Leaving by Tab leaves the column too: its rules run as when another column is chosen, and one
// that takes the focus elsewhere (a list to pick from) keeps the clerk there.
bool DBGrid::focusNextPrevChild(bool next)
{
    if (tabLeaves_ && contains(QApplication::focusWidget())) {
        if (!commitEditor())
            return true;
        RunGuarded([&] { emit columnExited(selectedIndex_); });
        if (!contains(QApplication::focusWidget()))
            return true;
    }
    return QTableView::focusNextPrevChild(next);
}

// ---- current row and column

// The view stands on the dataset's current row, in the selected column.
void DBGrid::followDataset()
{
    const CachedDataset* ds = dataset();
    const int row = ds && ds->isOpen() ? ds->currentRow() : -1;
    if (row < 0 || row >= model_.rowCount() || selectedIndex_ >= model_.columnCount())
        return;
    const QModelIndex target = model_.index(row, selectedIndex_);
    if (currentIndex() == target)
        return;
    if (currentIndex().row() != row)
        dropEditor(); // the text typed belonged to the row the dataset left
    const QScopedValueRollback guard(following_, true);
    setCurrentIndex(target);
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    typingKept_ = false;
    QTableView::currentChanged(current, previous); // an editor left behind writes its text
    if (std::exchange(typingKept_, false) && editedCell_.isValid()) {
        const QScopedValueRollback guard(following_, true);
        setCurrentIndex(editedCell_); // the refused text is corrected where it was typed
        return;
    }
    if (following_ || model_.isUpdatingViews() || !current.isValid())
        return;
    CachedDataset* ds = dataset();
    if (ds && ds->isOpen() && current.row() != ds->currentRow() && onUntouchedNewRow())
        dropUntouchedRow();
    if (ds && ds->isOpen() && current.row() != ds->currentRow()) {
        RunGuarded([&] { emit rowLeaving(); });
        RunGuarded([&] { ds->moveTo(current.row()); });
        followDataset(); // where the dataset really stands (a failed post keeps it on its row)
    }
    if (currentIndex().column() != selectedIndex_)
        setSelectedIndex(currentIndex().column());
}

void DBGrid::setSelectedIndex(int column)
{
    if (column < 0 || column >= model_.columnCount())
        return;
    pendingColumn_ = column;
    if (changingColumn_)
        return; // taken when the running handler returns
    const QScopedValueRollback guard(changingColumn_, true);
    bool exitedOld = false;
    while (pendingColumn_ >= 0) {
        const int target = std::exchange(pendingColumn_, -1);
        if (target == selectedIndex_) {
            exitedOld = false;
            showSelectedColumn();
            continue;
        }
        if (!exitedOld) {
            exitedOld = true;
            RunGuarded([&] { emit columnExited(selectedIndex_); });
            if (pendingColumn_ >= 0)
                continue; // the exit handler chose another column
        }
        selectedIndex_ = target;
        exitedOld = false;
        showSelectedColumn();
        RunGuarded([&] { emit columnEntered(target); });
    }
}

void DBGrid::showSelectedColumn()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.column() == selectedIndex_)
        return;
    const QScopedValueRollback guard(following_, true);
    setCurrentIndex(model_.index(current.row(), selectedIndex_));
}

// ---- editors

bool DBGrid::opensEditor(const QModelIndex& index, EditTrigger trigger, const QEvent* event) const
{
    if (!index.isValid() || !(model_.flags(index) & Qt::ItemIsEditable) || indexWidget(index))
        return false;
    if (trigger == AllEditTriggers)
        return true; // edit() called by code
    if (!(editTriggers() & trigger))
        return false;
    if (trigger == AnyKeyPressed) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        return event && event->type() == QEvent::KeyPress && !key->text().isEmpty() && key->text().front().isPrint();
    }
    return true;
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!opensEditor(index, trigger, event))
        return QTableView::edit(index, trigger, event);
    const int column = index.column();
    bool editable = false;
    RunGuarded([&] { editable = model_.startEditing(index.row()); });
    if (!editable)
        return false; // a browsed row of a source without automatic edit takes no typing
    // Going into edit may have reloaded the rows (a dataset rule): stand where the dataset is.
    followDataset();
    const QModelIndex target = model_.index(dataset()->currentRow(), column);
    if (currentIndex() != target) {
        const QScopedValueRollback guard(following_, true);
        setCurrentIndex(target);
    }
    const bool opened = QTableView::edit(target, trigger, event);
    if (opened)
        editedCell_ = target;
    return opened;
}

QWidget* DBGrid::openEditor() const
{
    return state() == EditingState ? indexWidget(currentIndex()) : nullptr;
}

bool DBGrid::commitEditor()
{
    QWidget* editor = openEditor();
    if (!editor)
        return true;
    commitData(editor);
    const bool written = refusedEditor_ != editor;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    typingKept_ = false;
    return written;
}

bool DBGrid::commitTyping()
{
    return commitEditor();
}

// The text goes into the field here rather than through the view, so that a refusal is known. A
// message box opened meanwhile takes the focus from the editor, which then asks again to write
// and to close: neither happens while the first write runs.
void DBGrid::commitData(QWidget* editor)
{
    if (!editor || committingEditor_ || !editedCell_.isValid())
        return;
    committingEditor_ = editor;
    refusedEditor_ = nullptr;
    const QModelIndex cell = editedCell_;
    const bool written = RunGuarded([&] { model_.writeCell(cell, DBGridDelegate::editorText(editor)); });
    committingEditor_ = nullptr;
    if (!written)
        refusedEditor_ = editor;
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (editor && editor == committingEditor_)
        return;
    if (editor && editor == refusedEditor_ && hint != QAbstractItemDelegate::RevertModelCache) {
        refusedEditor_ = nullptr;
        keepTyping(editor);
        return;
    }
    refusedEditor_ = nullptr;
    QTableView::closeEditor(editor, hint);
    if (!openEditor())
        editedCell_ = QPersistentModelIndex();
}

// Back in the cell with the text typed, selected, for the clerk to correct.
void DBGrid::keepTyping(QWidget* editor)
{
    typingKept_ = true;
    editor->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(editor); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
}

void DBGrid::dropEditor()
{
    if (QWidget* editor = openEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

// Posting the dataset takes what is typed in the cell; an error ends the post.
void DBGrid::flushEditor()
{
    QWidget* editor = openEditor();
    if (editor && currentIndex().row() == dataset()->currentRow())
        model_.writeCell(currentIndex(), DBGridDelegate::editorText(editor));
}

QString DBGrid::editText() const
{
    if (QWidget* editor = openEditor())
        return DBGridDelegate::editorText(editor);
    return currentIndex().data(Qt::EditRole).toString();
}

// ---- keys

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    // A key that comes up from a cell editor was offered to `handleKey` already.
    const QWidget* focus = QApplication::focusWidget();
    const bool fromEditor = focus && focus != this && isAncestorOf(focus);
    if (!fromEditor && handleKey(*event, false)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool DBGrid::handleKey(QKeyEvent& event, bool fromEditor)
{
    const bool enter = IsEnterKey(event);
    if (fromEditor && enter && !commitEditor())
        return true; // the refused text stays in its cell to be corrected
    const bool tab = event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
    if (tabLeaves_ && tab && fromEditor) {
        focusNextPrevChild(event.key() == Qt::Key_Tab && !(event.modifiers() & Qt::ShiftModifier));
        return true;
    }
    bool used = false;
    if (keyHook)
        RunGuarded([&] { used = keyHook(event); });
    if (used)
        return true;
    if (goToEnd(event))
        return true;
    const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if ((event.key() == Qt::Key_Up || event.key() == Qt::Key_PageUp) && currentIndex().row() == 0 && dataset() &&
        dataset()->hasRowsBefore())
        RunGuarded([&] { dataset()->fetchMoreBefore(kRowsAbove); });
    // Rows after the last fetched one are read before moving, so the first Down already moves.
    if ((event.key() == Qt::Key_Down || event.key() == Qt::Key_PageDown) &&
        currentIndex().row() >= model_.rowCount() - 1 && model_.canFetchMore({}))
        model_.fetchMore({});
    if (!readOnly_ && event.key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        appendRow();
        return true;
    }
    if (!readOnly_ && event.key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        deleteRow();
        return true;
    }
    if (!readOnly_ && event.key() == Qt::Key_Down && modifiers == Qt::NoModifier && onLastRow()) {
        if (!commitEditor())
            return true;
        if (onUntouchedNewRow())
            dropUntouchedRow();
        else
            appendRow();
        return true;
    }
    return fromEditor && enter; // the cell's typing has ended
}

// A list read around a key grows upwards as the grid reaches its first fetched row, the rows in
// view staying where they are.
void DBGrid::fetchRowsAbove()
{
    CachedDataset* ds = dataset();
    if (fetchingAbove_ || !ds || !ds->isOpen() || !ds->hasRowsBefore() ||
        verticalScrollBar()->value() > verticalScrollBar()->minimum())
        return;
    const QScopedValueRollback guard(fetchingAbove_, true);
    const int topRow = std::max(0, rowAt(0));
    const int before = model_.rowCount();
    RunGuarded([&] { ds->fetchMoreBefore(kRowsAbove); });
    const int added = model_.rowCount() - before;
    if (added > 0)
        scrollTo(model_.index(topRow + added, 0), PositionAtTop);
}

// Ctrl+Home and Ctrl+End go to the first and the last row of the whole list.
bool DBGrid::goToEnd(const QKeyEvent& event)
{
    CachedDataset* ds = dataset();
    const auto modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (!ds || !ds->isOpen() || modifiers != Qt::ControlModifier ||
        (event.key() != Qt::Key_Home && event.key() != Qt::Key_End))
        return false;
    if (!commitEditor())
        return true;
    RunGuarded([&] { emit rowLeaving(); });
    RunGuarded([&] { event.key() == Qt::Key_Home ? ds->first() : ds->last(); });
    followDataset();
    if (currentIndex().isValid())
        scrollTo(currentIndex());
    return true;
}

bool DBGrid::onLastRow() const
{
    if (model_.canFetchMore({}))
        return false;
    return model_.rowCount() == 0 || currentIndex().row() == model_.rowCount() - 1;
}

bool DBGrid::onUntouchedNewRow() const
{
    const CachedDataset* ds = dataset();
    if (!ds || !ds->isOpen() || ds->state() != CachedDataset::State::Insert)
        return false;
    return isUntouchedRow ? isUntouchedRow(*ds) : !ds->isModified();
}

void DBGrid::dropUntouchedRow()
{
    dropEditor();
    RunGuarded([&] { dataset()->cancel(); });
    followDataset();
}

void DBGrid::appendRow()
{
    CachedDataset* ds = dataset();
    if (!ds || !ds->isOpen() || !commitEditor())
        return;
    if (onUntouchedNewRow())
        return; // already on a new row nobody typed into
    RunGuarded([&] { emit rowLeaving(); });
    RunGuarded([&] { ds->append(); });
}

void DBGrid::deleteRow()
{
    CachedDataset* ds = dataset();
    if (!ds || !ds->isOpen())
        return;
    dropEditor();
    RunGuarded([&] { ConfirmAndDelete(*ds); });
}

// ---- focus

bool DBGrid::contains(const QWidget* w) const
{
    return w && (w == this || isAncestorOf(w));
}

// Focus lent to another window (a message box) or taken by none is not the grid being left.
void DBGrid::focusMoved(QWidget* from, QWidget* to)
{
    if (!from || !to || from->window() != to->window() || contains(from) == contains(to))
        return;
    if (contains(to)) {
        RunGuarded([&] { emit entered(); });
        return;
    }
    // Only a row without changes at all: a list opened to fill the row takes the focus too.
    CachedDataset* ds = dataset();
    if (ds && ds->isOpen() && ds->state() == CachedDataset::State::Insert && !ds->isModified())
        RunGuarded([&] { ds->cancel(); });
    RunGuarded([&] { emit exited(); });
}
