#include "widgets/DBGridDelegate.h"

#include "data/CachedDataset.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/EditKeys.h"
#include "widgets/FocusColours.h"
#include "widgets/SingleLineText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

DBGridDelegate::DBGridDelegate(DatasetTableModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model)
{
}

QWidget* DBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const GridColumn& column = model_.columns().at(std::size_t(index.column()));
    QWidget* editor = nullptr;
    if (!column.pickList.isEmpty()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(column.pickList);
        RefuseControlCharacters(combo->lineEdit());
        editor = combo;
    } else {
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        RefuseControlCharacters(edit);
        if (!column.format.entryMask.isEmpty())
            edit->setInputMask(fieldtext::qtInputMask(column.format.entryMask));
        editor = edit;
    }
    ShowFocusColour(editor);
    return editor;
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    // A pick-list cell starts with its text selected, as every other cell: typing replaces it.
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentText(text);
        if (combo->lineEdit())
            combo->lineEdit()->selectAll();
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor))
        edit->setText(text);
}

void DBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    model->setData(index, editorText(editor), Qt::EditRole);
}

QString DBGridDelegate::editorText(const QWidget* editor)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentText();
    if (const auto* edit = qobject_cast<const QLineEdit*>(editor))
        return edit->text();
    return {};
}

// The screen's colours hold for the current cell too.
void DBGridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant background = index.data(Qt::BackgroundRole);
    const QVariant text = index.data(Qt::ForegroundRole);
    if (background.isValid())
        option->palette.setBrush(QPalette::Highlight, background.value<QBrush>());
    if (text.isValid())
        option->palette.setBrush(QPalette::HighlightedText, text.value<QBrush>());
}

bool DBGridDelegate::eventFilter(QObject* editor, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && keyHook && keyHook(*static_cast<QKeyEvent*>(event)))
        return true;
    return QStyledItemDelegate::eventFilter(editor, event);
}
