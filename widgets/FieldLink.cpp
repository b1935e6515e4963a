#include "widgets/FieldLink.h"

#include "data/CachedDataset.h"
#include "widgets/DatasetActions.h"
#include "widgets/UnhandledError.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWidget>

namespace {

// Focus lent to a message box or a pop-up list is not the field being left.
bool staysInTheField(const QFocusEvent& e)
{
    return e.reason() == Qt::ActiveWindowFocusReason || e.reason() == Qt::PopupFocusReason;
}

bool isEscape(const QKeyEvent& e)
{
    return e.key() == Qt::Key_Escape && e.modifiers() == Qt::NoModifier;
}

} // namespace

FieldLink::FieldLink(QWidget* control, Control access) : QObject(control), control_(control), access_(std::move(access))
{
    control_->installEventFilter(this);
}

void FieldLink::setDataSource(DataSource* source)
{
    source_ = source;
    connectDataset();
    load();
    emit bindingChanged();
}

CachedDataset* FieldLink::dataset() const
{
    return source_ ? source_->dataset() : nullptr;
}

void FieldLink::setField(const QString& field)
{
    field_ = field;
    load();
    emit bindingChanged();
}

void FieldLink::setFormat(const FieldFormat& format)
{
    format_ = format;
    load();
    emit bindingChanged();
}

bool FieldLink::isBound() const
{
    const CachedDataset* ds = dataset();
    return ds && ds->isOpen() && !field_.isEmpty() && ds->hasField(field_);
}

int FieldLink::column() const
{
    return isBound() ? dataset()->fieldIndex(field_) : -1;
}

ColumnType FieldLink::columnType() const
{
    const int c = column();
    return c < 0 ? ColumnType::Text : dataset()->layout().at(c).type;
}

bool FieldLink::startEditing()
{
    if (!isBound())
        return false;
    CachedDataset& ds = *dataset();
    if (IsEditing(ds))
        return true;
    if (!source_->autoEdit())
        return false;
    ds.edit();
    return IsEditing(ds);
}

void FieldLink::userChanged()
{
    // A change that came without a key (a paste through the context menu, a pick from the list)
    // puts the dataset into edit now, or is undone.
    const QString changed = access_.text();
    bool editable = false;
    RunGuarded([&] { editable = startEditing(); });
    if (!editable) {
        load();
        return;
    }
    if (access_.text() != changed)
        access_.setText(changed); // going into edit reloaded the field
    modified_ = true;
    refusedText_ = QString();
    RunGuarded([&] { emit edited(changed); });
}

void FieldLink::writePending()
{
    if (!modified_)
        return;
    if (!isBound() || !IsEditing(*dataset())) {
        load();
        return;
    }
    {
        const QScopedValueRollback guard(writing_, true);
        dataset()->setValue(field_, access_.text());
    }
    modified_ = false;
}

QString FieldLink::fieldText(bool forTyping) const
{
    if (!isBound() || dataset()->currentRow() < 0)
        return {};
    const Value value = dataset()->value(field_);
    return forTyping ? fieldtext::edit(value, format_) : fieldtext::display(value, format_);
}

void FieldLink::load()
{
    modified_ = false;
    refusedText_ = QString();
    const QString text = fieldText(inside_);
    if (text != access_.text())
        access_.setText(text);
}

void FieldLink::connectDataset()
{
    if (connected_)
        disconnect(connected_, nullptr, this, nullptr);
    connected_ = dataset();
    if (!connected_)
        return;
    for (auto reload : {&CachedDataset::opened, &CachedDataset::closed, &CachedDataset::rowsReset})
        connect(connected_, reload, this, &FieldLink::load);
    for (auto rebind : {&CachedDataset::opened, &CachedDataset::closed})
        connect(connected_, rebind, this, &FieldLink::bindingChanged);
    connect(connected_, &CachedDataset::currentRowChanged, this, [this] { load(); });
    connect(connected_, &CachedDataset::stateChanged, this, [this] { load(); });
    connect(connected_, &CachedDataset::fieldChanged, this, &FieldLink::onFieldChanged);
    connect(connected_, &CachedDataset::rowChanged, this, &FieldLink::onRowChanged);
    connect(connected_, &CachedDataset::beforePostFlush, this, &FieldLink::writePending);
}

void FieldLink::onFieldChanged(int row, int changedColumn)
{
    if (!writing_ && row == dataset()->currentRow() && changedColumn == column())
        load();
}

void FieldLink::onRowChanged(int row)
{
    if (row == dataset()->currentRow())
        load();
}

// The control handles the event first (a line edit selects its text on Tab), then the link.
bool FieldLink::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (isEscape(key) && holdsRefusedText()) {
            load();
            return false; // Esc goes on to the panel's cancel button
        }
        if (!access_.isEditingKey(key))
            return false;
        bool editable = false;
        RunGuarded([&] { editable = startEditing(); });
        return !editable; // a key the dataset cannot take is dropped
    }
    case QEvent::FocusIn:
        if (inside_)
            return false; // back from a message box or a pop-up: the field was never left
        inside_ = true;
        if (!modified_)
            load();
        static_cast<QObject*>(control_)->event(event);
        RunGuarded([&] { emit entered(); });
        return true;
    case QEvent::FocusOut:
        if (staysInTheField(*static_cast<QFocusEvent*>(event)) || !inside_)
            return false;
        static_cast<QObject*>(control_)->event(event);
        leave();
        return true;
    default:
        return false;
    }
}

// Leaving writes the typed text; a text that does not convert keeps the focus in the control,
// and the exit handler does not run. A control that can no longer hold the focus (its panel was
// closed) drops the text instead, and is left.
void FieldLink::leave()
{
    try {
        writePending();
    } catch (const std::exception&) {
        const bool told = holdsRefusedText();
        const bool reachable = control_->isVisible() && control_->isEnabled();
        refusedText_ = access_.text();
        if (!told || reachable)
            ReportLater(std::current_exception());
        if (reachable) {
            control_->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    inside_ = false;
    load();
    RunGuarded([&] { emit exited(); });
}

bool FieldLink::holdsRefusedText() const
{
    return modified_ && !refusedText_.isNull() && access_.text() == refusedText_;
}
