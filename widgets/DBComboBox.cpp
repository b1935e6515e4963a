#include "widgets/DBComboBox.h"

#include "widgets/EditKeys.h"
#include "widgets/FocusColours.h"
#include "widgets/ReadOnlyLook.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// Up, Down and the page keys pick another item of a closed list.
bool picksAnItem(const QKeyEvent& e)
{
    switch (e.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return !(e.modifiers() & Qt::AltModifier); // Alt+Down opens the list
    default:
        return false;
    }
}

} // namespace

DBComboBox::DBComboBox(QWidget* parent)
    : QComboBox(parent), link_(this, {[this] { return currentText(); }, [this](const QString& t) { setCurrentText(t); },
                                      [](const QKeyEvent& e) { return IsTextEditingKey(e) || picksAnItem(e); }})
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    HighlightOnFocus(this);
    ShowDisabledAsReadOnly(this);
    connect(lineEdit(), &QLineEdit::textEdited, &link_, &FieldLink::userChanged);
    connect(this, &QComboBox::activated, &link_, &FieldLink::userChanged);
    connect(&link_, &FieldLink::entered, this, &DBComboBox::entered);
    connect(&link_, &FieldLink::exited, this, &DBComboBox::exited);
    connect(&link_, &FieldLink::edited, this, &DBComboBox::edited);
}

void DBComboBox::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
